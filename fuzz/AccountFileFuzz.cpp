// The account file reader on arbitrary bytes, under a fixed password and under the password of
// the seed corpus (the first input byte chooses).

#include "FuzzSupport.h"
#include "core/os/AtomicFile.h"
#include "core/vault/AccountFile.h"
#include "core/vault/SealedText.h"
#include "core/vault/StringCipher.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A sealed file costs a key derivation per input, at a cost its header chooses: the envelope
    // has tests of its own (every byte changed, cut short, grown), this target reads plain files.
    if (size == 0 || IsSealedText({reinterpret_cast<const char*>(data + 1), size - 1})) {
        return 0;
    }
    const auto& path = fuzz::InputFile("account.vmk");
    fuzz::WriteInput(path, data + 1, size - 1);

    TAccount account;
    account.Password = (data[0] & 1) != 0 ? fuzz::kSeedPassword : "another password";
    const ReadResult result = account.LoadFromFile(path);
    if (static_cast<int>(result) < 0 || static_cast<int>(result) > 5 || result == ReadResult::NoFile) {
        fuzz::Violation("result code out of range");
    }
    fuzz::CheckAccount(account);
    if (result == ReadResult::Ok) {
        // A complete read holds exactly the folders that the second line announces.
        AccountFileReader reader(ReadWholeFile(path), account.Cipher(), account.Password);
        reader.NextValue();
        const auto announced = ParseFileInteger(reader.NextValue());
        if (!announced || account.FolderCount() != static_cast<std::size_t>(std::max(0, *announced))) {
            fuzz::Violation("folder count differs from the announced count");
        }
        if (account.Modified) {
            fuzz::Violation("a complete read left the account modified");
        }
    }
    return 0;
}
