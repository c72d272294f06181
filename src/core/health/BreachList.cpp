#include "core/health/BreachList.h"

#include "core/os/AtomicFile.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <openssl/sha.h>
#include <system_error>

namespace velmora {
namespace {

// A line is 40 hex digits, a colon and a count: a window of this size holds any listed line.
constexpr std::size_t kWindow = 128;
constexpr std::size_t kDigestDigits = 40;

std::string HexOf(const Sha1Digest& digest)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(kDigestDigits);
    for (unsigned char byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// The digest in upper case, or nothing when the line is not `HEX:COUNT`.
std::optional<std::string> ParseKey(std::string_view line, std::uint64_t& count)
{
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    if (line.size() <= kDigestDigits + 1 || line[kDigestDigits] != ':') {
        return std::nullopt;
    }
    std::string key(line.substr(0, kDigestDigits));
    for (char& c : key) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return std::nullopt;
        }
    }
    const std::string_view digits = line.substr(kDigestDigits + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return key;
}

} // namespace

Sha1Digest BreachDigest(std::string_view password)
{
    std::string utf8 = CodePageToUtf8(password);
    WipeOnExit wipeUtf8(utf8);
    Sha1Digest digest{};
    SHA1(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), digest.data());
    return digest;
}

BreachList::BreachList(const std::filesystem::path& file) : m_path(file), m_file(file, std::ios::binary)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!m_file || error) {
        ThrowFileError("Cannot open the breach list", file,
                       error ? error.message() : std::generic_category().message(errno));
    }
    m_size = size;
}

std::optional<std::uint64_t> BreachList::TimesSeen(const Sha1Digest& digest)
{
    const std::string wanted = HexOf(digest);
    // The smallest offset whose first listed line has a digest not below the wanted one: the lines
    // are sorted, so that holds for every offset after it too.
    std::uint64_t low = 0;
    std::uint64_t high = m_size;
    while (low < high) {
        const std::uint64_t middle = low + (high - low) / 2;
        const std::optional<Line> line = FirstListedLineFrom(middle);
        if (!line || *line->key >= wanted) {
            high = middle;
        } else {
            low = line->start + 1;
        }
    }
    const std::optional<Line> found = FirstListedLineFrom(low);
    if (found && *found->key == wanted) {
        return found->count;
    }
    return std::nullopt;
}

std::optional<BreachList::Line> BreachList::FirstListedLineFrom(std::uint64_t offset)
{
    // A line starts at the file's start or after a line feed.
    std::uint64_t start = offset == 0 ? 0 : NextNewline(offset - 1) + 1;
    while (start < m_size) {
        Line line = ReadLine(start);
        if (line.key) {
            return line;
        }
        start = line.next;
    }
    return std::nullopt;
}

BreachList::Line BreachList::ReadLine(std::uint64_t start)
{
    char window[kWindow];
    const std::size_t got = ReadAt(start, window, sizeof window);
    const std::string_view text(window, got);
    const std::size_t end = text.find('\n');
    Line line;
    line.start = start;
    if (end == std::string_view::npos && start + got < m_size) {
        // Longer than any listed line: damaged; go on after it.
        line.next = NextNewline(start + got) + 1;
        return line;
    }
    const std::string_view content = text.substr(0, end);
    line.next = start + content.size() + 1;
    line.key = ParseKey(content, line.count);
    return line;
}

std::uint64_t BreachList::NextNewline(std::uint64_t from)
{
    char window[kWindow];
    while (from < m_size) {
        const std::size_t got = ReadAt(from, window, sizeof window);
        const char* newline = std::find(window, window + got, '\n');
        if (newline != window + got) {
            return from + static_cast<std::uint64_t>(newline - window);
        }
        from += got;
    }
    return m_size;
}

std::size_t BreachList::ReadAt(std::uint64_t offset, char* buffer, std::size_t size)
{
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, m_size - offset));
    m_file.clear();
    m_file.seekg(static_cast<std::streamoff>(offset));
    m_file.read(buffer, static_cast<std::streamsize>(wanted));
    if (static_cast<std::size_t>(m_file.gcount()) != wanted) {
        ThrowFileError("Cannot read the breach list", m_path, "the file ended early or could not be read");
    }
    return wanted;
}

} // namespace velmora
