#include "vault/CodePage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmora {
namespace {

// Characters of the bytes 0x80 to 0xFF.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

using ReverseTable = std::array<std::pair<char16_t, unsigned char>, 128>;

const ReverseTable& ReverseUpperHalf()
{
    static const ReverseTable table = [] {
        ReverseTable reverse{};
        for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
            reverse[i] = {kUpperHalf[i], static_cast<unsigned char>(0x80 + i)};
        }
        std::sort(reverse.begin(), reverse.end());
        return reverse;
    }();
    return table;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // The code page only reaches the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::optional<char32_t> DecodeUtf8Character(std::string_view text, std::size_t& position)
{
    const auto lead = static_cast<unsigned char>(text[position]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++position;
        return lead;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        ++position;
        return std::nullopt;
    }
    if (text.size() - position < length) {
        ++position;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[position + i]);
        if ((next & 0xC0) != 0x80) {
            ++position;
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++position;
        return std::nullopt;
    }
    position += length;
    return value;
}

char32_t CodePageToUnicode(unsigned char byte)
{
    return byte < 0x80 ? char32_t{byte} : char32_t{kUpperHalf[byte - 0x80]};
}

std::optional<unsigned char> UnicodeToCodePage(char32_t character)
{
    if (character < 0x80) {
        return static_cast<unsigned char>(character);
    }
    if (character > 0xFFFF) {
        return std::nullopt;
    }
    const auto& table = ReverseUpperHalf();
    const auto wanted = static_cast<char16_t>(character);
    const auto found = std::lower_bound(table.begin(), table.end(), std::pair<char16_t, unsigned char>{wanted, 0});
    if (found == table.end() || found->first != wanted) {
        return std::nullopt;
    }
    return found->second;
}

std::string CodePageToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        AppendUtf8(out, CodePageToUnicode(static_cast<unsigned char>(byte)));
    }
    return out;
}

CodePageText Utf8ToCodePage(std::string_view utf8)
{
    CodePageText result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto character = DecodeUtf8Character(utf8, pos);
        if (!character) {
            result.unmappable = U'\uFFFD';
            return result;
        }
        const auto byte = UnicodeToCodePage(*character);
        if (!byte) {
            result.unmappable = *character;
            return result;
        }
        result.bytes += static_cast<char>(*byte);
    }
    return result;
}

} // namespace velmora
