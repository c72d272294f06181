#include "BenchAccount.h"

#include "Rounds.h"
#include "core/vault/Account.h"
#include "core/vault/Base64.h"

#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>

namespace velmora::bench {
namespace {

constexpr int kRecordsPerFolder = 10'000;

// Every byte but the line ends, so the code page conversion and the escaping both have work.
std::string RandomText(std::mt19937& random, std::size_t minimum, std::size_t maximum)
{
    std::uniform_int_distribution<std::size_t> length(minimum, maximum);
    std::uniform_int_distribution<int> byte(0x01, 0xFF);
    std::string text(length(random), ' ');
    for (char& c : text) {
        const int value = byte(random);
        c = static_cast<char>(value == '\r' || value == '\n' ? ' ' : value);
    }
    return text;
}

// Every line of an account file is one enciphered value of the same length as its ciphertext, the
// check lines, names and counts as much as the fields: a load deciphers them all, a save under a
// new password enciphers them all.
std::size_t EncipheredBytesOf(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::size_t total = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        const std::optional<std::size_t> bytes = DecodedBase64Length(line);
        if (!bytes) {
            throw std::runtime_error("the generated account has a line that is no Base64");
        }
        total += *bytes;
    }
    if (!in.eof()) {
        throw std::runtime_error("the generated account could not be read back");
    }
    return total;
}

BenchAccount MakeAccount(std::int64_t records)
{
    const std::filesystem::path shm = "/dev/shm";
    BenchAccount made;
    made.directory = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
                     "velmora-bench" / std::to_string(records);
    std::filesystem::create_directories(made.directory / "Users");
    made.file = made.directory / "Users" / "bench.vmk";

    TAccount account;
    account.Password = kBenchPassword;
    std::mt19937 random(2026);
    const int folders = static_cast<int>(std::max<std::int64_t>(10, records / kRecordsPerFolder));
    const int perFolder = static_cast<int>(records / folders);
    for (int f = 0; f < folders; ++f) {
        account.AddFolder(RandomText(random, 5, 40), f);
        TFolderType& folder = account.Folder(static_cast<std::size_t>(f));
        for (int r = 0; r < perFolder; ++r) {
            folder.AddRecord(RandomText(random, 5, 40), RandomText(random, 5, 40), RandomText(random, 5, 40),
                             RandomText(random, 5, 40), RandomText(random, 5, 40), RandomText(random, 0, 200));
        }
    }
    account.SaveToFile(made.file);
    made.encipheredBytes = EncipheredBytesOf(made.file);
    return made;
}

} // namespace

const BenchAccount& GeneratedAccount(std::int64_t records)
{
    static std::map<std::int64_t, BenchAccount> made;
    auto it = made.find(records);
    if (it == made.end()) {
        it = made.emplace(records, MakeAccount(records)).first;
    }
    return it->second;
}

void EverySize(benchmark::internal::Benchmark* benchmark)
{
    for (const std::int64_t size : kSizes) {
        benchmark->Arg(size);
    }
    InRounds(benchmark);
}

} // namespace velmora::bench
