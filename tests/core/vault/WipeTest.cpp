// Secrets must not outlive their use in memory that is given back: a core dump or a later
// allocation would show them. This executable replaces the global allocation functions so that
// every freed heap block can be searched for a secret before it goes.

#include "core/vault/Account.h"
#include "core/vault/Secret.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::string_view g_secret; // searched for while not empty
int g_blocksWithSecret = 0;

void Inspect(void* block)
{
    if (g_secret.empty() || block == nullptr) {
        return;
    }
    const std::string_view bytes(static_cast<const char*>(block), malloc_usable_size(block));
    if (bytes.find(g_secret) != std::string_view::npos) {
        ++g_blocksWithSecret;
    }
}

} // namespace

// New blocks start zeroed, so a freed block holds only what was written into it while in use, not
// what an earlier owner of the same memory left there.
void* operator new(std::size_t size)
{
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return std::memset(block, 0, malloc_usable_size(block));
    }
    throw std::bad_alloc();
}

// Not inlined: the compiler would take the free() of a block from operator new for a mistake.
[[gnu::noinline]] void operator delete(void* block) noexcept
{
    Inspect(block);
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

namespace velmora {
namespace {

// Counts the freed blocks that still hold `secret` while it lives.
class FreedBlockWatch
{
public:
    explicit FreedBlockWatch(std::string_view secret)
    {
        g_blocksWithSecret = 0;
        g_secret = secret;
    }
    ~FreedBlockWatch() { g_secret = {}; }
    FreedBlockWatch(const FreedBlockWatch&) = delete;
    FreedBlockWatch& operator=(const FreedBlockWatch&) = delete;

    int BlocksWithSecret() const { return g_blocksWithSecret; }
};

// Long enough for a heap buffer of its own; the short one fits inside the string object.
const std::string kLongSecret = "correct horse battery staple, never to be seen again";
const std::string kShortSecret = "shh:S3cr3t!#";

// What betrays a secret: its last bytes, so that overwriting its first byte, as clearing a
// string does, does not count as wiping it.
std::string_view Tail(const std::string& secret)
{
    return std::string_view(secret).substr(secret.size() - 8);
}

TEST(Wipe, ClearsTheTextAndEveryByteOfItsBuffer)
{
    std::optional<std::string> text = kLongSecret;
    text->resize(3); // the rest of the secret still sits behind the end
    Wipe(*text);
    EXPECT_TRUE(text->empty());
    const FreedBlockWatch watch(Tail(kLongSecret));
    text.reset();
    EXPECT_EQ(watch.BlocksWithSecret(), 0);
}

// Which field of an account holds the secret, and what is done with the account then.
struct WipeCase
{
    const char* name;
    std::function<void(TAccount&, const std::string&)> place;
    std::function<void(std::unique_ptr<TAccount>&)> end;
};

void AddRecordWith(TAccount& account, int field, const std::string& secret)
{
    std::string texts[6] = {"name", "url", "login", "id", "password", "notes"};
    texts[field] = secret;
    account.Folder(0).AddRecord(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
}

std::vector<WipeCase> WipeCases(const test::TempDir& dir)
{
    const auto clear = [](std::unique_ptr<TAccount>& account) { account->Clear(); };
    const auto close = [](std::unique_ptr<TAccount>& account) { account->Close(); };
    const auto destroy = [](std::unique_ptr<TAccount>& account) { account.reset(); };
    const auto loadOther = [&dir](std::unique_ptr<TAccount>& account) {
        ASSERT_EQ(account->LoadFromFile(dir / "other.vmk"), ReadResult::Ok);
    };
    std::vector<WipeCase> cases;
    const char* const fields[] = {"record name", "URL", "login", "ID", "record password", "notes"};
    for (int field = 0; field < 6; ++field) {
        const auto place = [field](TAccount& a, const std::string& secret) { AddRecordWith(a, field, secret); };
        cases.push_back({fields[field], place, clear});
    }
    const auto inRecord = [](TAccount& a, const std::string& secret) { AddRecordWith(a, 4, secret); };
    const auto inFolderName = [](TAccount& a, const std::string& secret) { a.AddFolder(secret, 0); };
    const auto inPassword = [](TAccount& a, const std::string& secret) { a.Password = secret; };
    cases.push_back({"folder name, cleared", inFolderName, clear});
    cases.push_back({"record, replaced by loading another file", inRecord, loadOther});
    cases.push_back({"record, account closed", inRecord, close});
    cases.push_back({"record, account destroyed", inRecord, destroy});
    cases.push_back({"account password, account destroyed", inPassword, destroy});
    return cases;
}

TEST(Wipe, AnAccountLeavesNoSecretInTheMemoryItGivesBack)
{
    const test::TempDir dir;
    TAccount other;
    other.Password = "key";
    other.AddFolder("elsewhere", 0);
    other.SaveToFile(dir / "other.vmk");

    for (const WipeCase& wipeCase : WipeCases(dir)) {
        for (const std::string& secret : {kLongSecret, kShortSecret}) {
            SCOPED_TRACE(std::string(wipeCase.name) + (secret == kLongSecret ? ", long" : ", short"));
            auto account = std::make_unique<TAccount>();
            account->Password = "key";
            account->AddFolder("folder", 0);
            wipeCase.place(*account, secret);
            const FreedBlockWatch watch(Tail(secret));
            wipeCase.end(account);
            EXPECT_EQ(watch.BlocksWithSecret(), 0);
        }
    }
}

// The closed account's password string keeps its storage: nothing of the password is left in it.
TEST(Wipe, CloseWipesThePasswordWhereItIsAndClearKeepsIt)
{
    for (const std::string& secret : {kLongSecret, kShortSecret}) {
        SCOPED_TRACE(secret == kLongSecret ? "long" : "short");
        TAccount account;
        account.Name = "Name";
        account.Password = secret;
        account.AddFolder("folder", 0);
        account.Clear();
        EXPECT_EQ(account.FolderCount(), 0u);
        EXPECT_EQ(account.Password, secret); // a load clears first and still needs the key
        const char* storage = account.Password.data();
        const std::size_t capacity = account.Password.capacity();
        account.Close();
        EXPECT_EQ(account.Password, "");
        EXPECT_EQ(account.Name, "Name");
        ASSERT_EQ(account.Password.data(), storage); // still the string's own storage: readable
        EXPECT_EQ(std::string_view(storage, capacity).find(Tail(secret)), std::string_view::npos);
    }
}

} // namespace
} // namespace velmora
