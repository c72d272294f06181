#include "core/settings/AccountSettings.h"

#include "core/os/AtomicFile.h"
#include "core/os/FileExists.h"
#include "core/settings/IniDocument.h"
#include "core/settings/TSECURITYINI.h"

#include <optional>
#include <system_error>

namespace velmora {

using S = AccountSettings;

const std::array<SettingKey, 30> kSettingKeys = {{
    {"cbHeaders", SettingKind::Bool, &S::cbHeaders},
    {"cbGridLines", SettingKind::Bool, &S::cbGridLines},
    {"cbFoldIcons", SettingKind::Bool, &S::cbFoldIcons},
    {"cbRecIcons", SettingKind::Bool, &S::cbRecIcons},
    {"rbFull", SettingKind::Bool, &S::rbFull},
    {"cbLoginStars", SettingKind::Bool, &S::cbLoginStars},
    {"cbIDStars", SettingKind::Bool, &S::cbIDStars},
    {"cbPassStars", SettingKind::Bool, &S::cbPassStars},
    {"BgColor", SettingKind::Integer, &S::BgColor},
    {"FontSize", SettingKind::Integer, &S::FontSize},
    {"FontName", SettingKind::FontName, &S::FontName},
    // An explicit 0 clears a style, so a font style never carries over from an earlier account.
    {"FontBold", SettingKind::Bool, &S::FontBold},
    {"FontItalic", SettingKind::Bool, &S::FontItalic},
    {"FontUnderline", SettingKind::Bool, &S::FontUnderline},
    {"FontColor", SettingKind::Integer, &S::FontColor},
    {"Tray", SettingKind::Bool, &S::cbTray},
    {"SaveMod", SettingKind::Bool, &S::cbSaveMod},
    {"cbSaveBeforeTray", SettingKind::Bool, &S::cbSaveBeforeTray},
    {"ExpHeaders", SettingKind::Bool, &S::cbExpHeaders},
    {"Hat", SettingKind::Bool, &S::cbHat},
    {"cbSkipEmpty", SettingKind::Bool, &S::cbSkipEmpty},
    {"FP", SettingKind::Bool, &S::cbFP},
    {"Strict", SettingKind::Bool, &S::cbStrict},
    {"cbRegistr", SettingKind::Bool, &S::cbRegistr},
    {"L_Column1", SettingKind::Width, &S::L_Column1},
    {"R_Column1", SettingKind::Width, &S::R_Column1},
    {"R_Column2", SettingKind::Width, &S::R_Column2},
    {"R_Column3", SettingKind::Width, &S::R_Column3},
    {"R_Column4", SettingKind::Width, &S::R_Column4},
    {"L_Width", SettingKind::Width, &S::L_Width},
}};

namespace {

// -1 and -2 are the list's automatic widths; anything lower is not a width.
constexpr std::int32_t kLowestWidth = -2;

struct WriteKey
{
    TSECURITYINI& ini;
    const AccountSettings& settings;
    std::string_view key;

    void operator()(bool S::*member) const { ini.WriteBool(kSettingsSection, key, settings.*member); }
    void operator()(std::int32_t S::*member) const { ini.WriteInteger(kSettingsSection, key, settings.*member); }
    void operator()(std::string S::*member) const { ini.WriteString(kSettingsSection, key, settings.*member); }
};

// Reads one stored key into `settings`; false when the value is not acceptable. Throws
// SettingsReadError when it cannot be deciphered.
bool ReadStoredKey(TSECURITYINI& ini, const SettingKey& key, AccountSettings& settings)
{
    switch (key.kind) {
    case SettingKind::Bool: {
        bool& value = settings.*std::get<bool S::*>(key.member);
        value = ini.ReadBool(kSettingsSection, key.key, value);
        return true;
    }
    case SettingKind::Integer: {
        std::int32_t& value = settings.*std::get<std::int32_t S::*>(key.member);
        value = ini.ReadInteger(kSettingsSection, key.key, value);
        return true;
    }
    case SettingKind::Width: {
        std::int32_t& value = settings.*std::get<std::int32_t S::*>(key.member);
        const std::int32_t width = ini.ReadInteger(kSettingsSection, key.key, value);
        if (width < kLowestWidth) {
            return false;
        }
        value = width;
        return true;
    }
    case SettingKind::FontName: {
        std::string& value = settings.*std::get<std::string S::*>(key.member);
        std::string name = ini.ReadString(kSettingsSection, key.key, value);
        if (!name.empty()) {
            value = std::move(name);
        }
        return true;
    }
    }
    return false;
}

} // namespace

std::string SettingsFileText(const AccountSettings& settings, std::string_view password)
{
    TSECURITYINI ini(password, password);
    for (const SettingKey& key : kSettingKeys) {
        std::visit(WriteKey{ini, settings, key.key}, key.member);
    }
    return ini.Text();
}

bool SaveSettings(const std::filesystem::path& file, std::string_view password, const AccountSettings& settings)
{
    try {
        WriteFileAtomically(file, SettingsFileText(settings, password));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

SettingsLoad LoadSettings(const std::filesystem::path& file, std::string_view password, AccountSettings& settings,
                          const std::optional<SealKey>& seal)
{
    using Result = SettingsLoad::Result;
    std::string text;
    try {
        if (!FileExists(file)) {
            return {Result::Missing, {}};
        }
        text = ReadWholeFile(file, kMaxSettingsFileBytes);
    } catch (const std::exception&) {
        return {Result::Unreadable, {}};
    }
    if (IsSealedText(text)) {
        UnsealedText opened = UnsealText(text, password, seal);
        if (opened.result != UnsealResult::Ok) {
            return {opened.result == UnsealResult::WrongPassword ? Result::Unreadable : Result::SealChanged, {}};
        }
        text = std::move(opened.text);
    }
    TSECURITYINI ini(password, password);
    ini.Open(text);
    // Written under another password, or emptied: nothing in it can be read under this one.
    if (!ini.HasSection(kSettingsSection)) {
        return {Result::Unreadable, {}};
    }
    // The first of the keys missing since the last one found: the file may end there.
    std::optional<std::string_view> missingSince;
    for (const SettingKey& key : kSettingKeys) {
        if (!ini.HasEntry(kSettingsSection, key.key)) {
            missingSince = missingSince.value_or(key.key);
            continue;
        }
        missingSince.reset();
        bool acceptable = false;
        try {
            acceptable = ReadStoredKey(ini, key, settings);
        } catch (const SettingsReadError&) {
            acceptable = false;
        }
        if (!acceptable) {
            return {Result::Damaged, key.key};
        }
    }
    if (missingSince) {
        return {Result::Damaged, *missingSince};
    }
    return {Result::Complete, {}};
}

} // namespace velmora
