// The account file reader, and the folder reader after it, on files enciphered from a fuzzed
// plain structure: check lines, counts over and under what follows, counts past the limits and
// past 32 bits, negative numbers and numbers that are no numbers.

#include "AccountStructure.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <string_view>

using namespace velmora;
using namespace velmora::fuzz;

namespace {

// What a structure must read as, where that is known for certain.
enum class Expect
{
    ReadBack, // every line as the writer writes it: read as it was written
    Refusal,  // well-formed up to a number past its limit or past 32 bits: not read
    Anything  // damaged in another way: only the account's own invariants hold
};

bool Past32Bits(long long number)
{
    return number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max();
}

// For a line that does not say the value it stands for.
Expect ForWrongNumber(const NumberLine& line, long long value, std::size_t limit)
{
    const auto stated = line.Stated(value);
    return stated && (Past32Bits(*stated) || *stated > static_cast<long long>(limit)) ? Expect::Refusal
                                                                                      : Expect::Anything;
}

Expect ForFolder(const PlainFolder& folder)
{
    if (!folder.RightCheckLine()) {
        return Expect::Anything;
    }
    if (!folder.iconLine.Says(folder.icon)) {
        return ForWrongNumber(folder.iconLine, folder.icon, std::numeric_limits<std::int32_t>::max());
    }
    const auto count = static_cast<long long>(folder.records.size());
    return folder.countLine.Says(count) ? Expect::ReadBack
                                        : ForWrongNumber(folder.countLine, count, kMaxRecordsPerFolder);
}

// The folders are read in order, so the first one that is not well-formed decides.
Expect ForAccount(const PlainAccount& account)
{
    if (!account.RightCheckLine()) {
        return Expect::Anything;
    }
    const auto count = static_cast<long long>(account.folders.size());
    if (!account.countLine.Says(count)) {
        return ForWrongNumber(account.countLine, count, kMaxFolders);
    }
    for (const PlainFolder& folder : account.folders) {
        if (const Expect expect = ForFolder(folder); expect != Expect::ReadBack) {
            return expect;
        }
    }
    return Expect::ReadBack;
}

bool Holds(const TFolderType& loaded, const PlainFolder& plain)
{
    if (loaded.Name != plain.name || loaded.ImageIndex != plain.icon || loaded.Count() != plain.records.size()) {
        return false;
    }
    for (std::size_t i = 0; i < loaded.Count(); ++i) {
        const TRecType& record = loaded.RecordAt(i);
        const std::array<std::string_view, 6> fields{record.Name(),     record.URL(),      record.Login(),
                                                     record.IDNumber(), record.Password(), record.Notes()};
        if (!std::equal(fields.begin(), fields.end(), plain.records[i].begin(), plain.records[i].end())) {
            return false;
        }
    }
    return true;
}

bool Holds(const TAccount& loaded, const PlainAccount& plain)
{
    if (loaded.FolderCount() != plain.folders.size()) {
        return false;
    }
    for (std::size_t i = 0; i < loaded.FolderCount(); ++i) {
        if (!Holds(loaded.Folder(i), plain.folders[i])) {
            return false;
        }
    }
    return true;
}

void CheckOutcome(Expect expect, ReadResult result, bool readBack, const char* what)
{
    if (expect == Expect::ReadBack && (result != ReadResult::Ok || !readBack)) {
        std::fprintf(stderr, "%s: ", what);
        Violation("a well-formed file did not read back as written");
    }
    if (expect == Expect::Refusal && result == ReadResult::Ok) {
        std::fprintf(stderr, "%s: ", what);
        Violation("a number past its limit was read");
    }
}

void LoadAccount(TAccount& account, const PlainAccount& plain)
{
    StructureFile file;
    file.Add(plain);
    const std::string content = file.Finish(account.Cipher(), account.Password);
    const auto& path = InputFile("structure.vmk");
    WriteInput(path, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());

    const ReadResult result = account.LoadFromFile(path);
    CheckAccount(account);
    CheckOutcome(ForAccount(plain), result, result == ReadResult::Ok && Holds(account, plain), "account file");
}

// Filled once: a folder block read into it must be refused and leave it as it is.
TAccount& FullAccount()
{
    static TAccount full;
    if (full.FolderCount() == 0) {
        full.Password = kSeedPassword;
        for (std::size_t i = 0; i < kMaxFolders; ++i) {
            full.AddFolder({}, 0);
        }
    }
    return full;
}

void ReadBlock(TAccount& account, const PlainFolder& block)
{
    const std::size_t before = account.FolderCount();
    StructureFile file;
    file.Add(block);
    AccountFileReader reader(file.Finish(account.Cipher(), account.Password), account.Cipher(), account.Password);
    const ReadResult result = account.ReadFolder(reader);
    if (account.FolderCount() > before + 1) {
        Violation("one folder block added more than one folder");
    }
    if (before == kMaxFolders) {
        if (account.FolderCount() != before) {
            Violation("a full account took a folder block");
        }
        CheckOutcome(Expect::Refusal, result, false, "folder block into a full account");
        return;
    }
    CheckAccount(account);
    CheckOutcome(ForFolder(block), result, result == ReadResult::Ok && Holds(account.Folder(before), block),
                 "folder block");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const PlainAccount plain = ReadStructure(data, size);
    TAccount account;
    account.Password = kSeedPassword;
    LoadAccount(account, plain);
    ReadBlock(plain.BlockIntoFullAccount() ? FullAccount() : account, plain.block);
    return 0;
}
