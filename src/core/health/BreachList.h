#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

using Sha1Digest = std::array<unsigned char, 20>;

// The SHA-1 digest a breach list names a password by: that of its UTF-8 text (the password is
// given in the code page, as the account holds it).
Sha1Digest BreachDigest(std::string_view password);

// A downloaded list of breached passwords, one `SHA1-HEX:COUNT` a line, sorted by the digest
// (LF or CR LF line ends). The list may be tens of gigabytes, so it is never read whole: each
// look-up is a binary search over the file's bytes that reads a small window at each step and
// moves on to the next line start. A line that is no digest and count is passed over as if it
// were not there. Nothing here goes over the network.
class BreachList
{
public:
    // Throws FileError when the file cannot be opened.
    explicit BreachList(const std::filesystem::path& file);

    // How often the list says the password was seen in breaches; nothing when it is not listed.
    // Throws FileError when the file cannot be read.
    std::optional<std::uint64_t> TimesSeen(const Sha1Digest& digest);

private:
    struct Line
    {
        std::uint64_t start = 0;
        std::uint64_t next = 0; // where the line after it starts
        std::optional<std::string> key;
        std::uint64_t count = 0;
    };

    // The first line that starts at `offset` or after it and holds a digest and a count; nothing
    // when there is none before the end.
    std::optional<Line> FirstListedLineFrom(std::uint64_t offset);
    Line ReadLine(std::uint64_t start);
    std::uint64_t NextNewline(std::uint64_t from);
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size);

    std::filesystem::path m_path;
    std::ifstream m_file;
    std::uint64_t m_size = 0;
};

} // namespace velmora
