// The settings file reader on arbitrary bytes.

#include "FuzzSupport.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/SealedText.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A sealed file costs a key derivation per input, at a cost its header chooses: the envelope
    // has tests of its own, this target reads plain files.
    if (IsSealedText({reinterpret_cast<const char*>(data), size})) {
        return 0;
    }
    const auto& path = fuzz::InputFile("settings.int");
    fuzz::WriteInput(path, data, size);
    AccountSettings settings;
    const bool complete = static_cast<bool>(LoadSettings(path, fuzz::kSeedPassword, settings));
    // Widths below -2 are refused, so no loaded width can be one.
    for (const std::int32_t width : {settings.L_Column1, settings.R_Column1, settings.R_Column2, settings.R_Column3,
                                     settings.R_Column4, settings.L_Width}) {
        if (width < -2) {
            fuzz::Violation("a width below -2 was loaded");
        }
    }
    // What was loaded saves and loads again to the same settings.
    if (complete) {
        const std::string text = SettingsFileText(settings, fuzz::kSeedPassword);
        fuzz::WriteInput(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        AccountSettings again;
        if (!LoadSettings(path, fuzz::kSeedPassword, again) || again != settings) {
            fuzz::Violation("settings did not survive a save and a load");
        }
    }
    return 0;
}
