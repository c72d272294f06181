#include "cli/PrintableText.h"

#include <cstdio>

namespace velmora::cli {
namespace {

std::string Escape(unsigned code)
{
    switch (code) {
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    case '\\':
        return "\\\\";
    default:
        break;
    }
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    return escape;
}

} // namespace

std::string PrintableText(std::string_view utf8, std::string_view kept)
{
    std::string printable;
    printable.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        const auto next = at + 1 < utf8.size() ? static_cast<unsigned char>(utf8[at + 1]) : 0U;
        unsigned control = 0x100; // none
        if (byte < 0x20 || byte == 0x7F || byte == '\\') {
            control = byte;
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) { // U+0080 to U+009F in UTF-8
            control = next;
            ++at;
        }
        if (control == 0x100 || (control < 0x80 && kept.find(static_cast<char>(control)) != std::string_view::npos)) {
            printable += utf8.substr(at, 1);
        } else {
            printable += Escape(control);
        }
    }
    return printable;
}

} // namespace velmora::cli
