// The folder copy reader: one folder block read into an account that already has a folder.

#include "FuzzSupport.h"
#include "core/vault/AccountFile.h"

#include <string>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TAccount account;
    account.Password = fuzz::kSeedPassword;
    account.AddFolder("existing", 1);
    AccountFileReader reader(std::string(reinterpret_cast<const char*>(data), size), account.Cipher(),
                             account.Password);
    const ReadResult result = account.ReadFolder(reader);
    if (result != ReadResult::Ok && result != ReadResult::BadCheckLine && result != ReadResult::Failed) {
        fuzz::Violation("result code out of range");
    }
    if (result == ReadResult::BadCheckLine && account.FolderCount() != 1) {
        fuzz::Violation("a block without its check line added a folder");
    }
    if (result == ReadResult::Ok && account.FolderCount() != 2) {
        fuzz::Violation("a complete block did not add exactly one folder");
    }
    fuzz::CheckAccount(account);
    return 0;
}
