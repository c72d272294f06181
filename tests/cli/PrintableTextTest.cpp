#include "cli/PrintableText.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

TEST(PrintableText, EscapesControlCharactersAndBackslashesOnly)
{
    const struct
    {
        std::string text;
        std::string kept;
        std::string printable;
    } cases[] = {
        {"Home", "", "Home"},
        {"Дом и работа", "", "Дом и работа"},
        {"red\x1B[31m", "", "red\\u001b[31m"},
        {"two\nlines\r\tand tab", "", "two\\nlines\\r\\tand tab"},
        {std::string("nul\0", 4), "", "nul\\u0000"},
        {"del\x7F", "", "del\\u007f"},
        {"csi\xC2\x9B and nbsp\xC2\xA0", "", "csi\\u009b and nbsp\xC2\xA0"}, // U+009B escaped, U+00A0 not
        {"a\\u001b", "", "a\\\\u001b"}, // a backslash of the text never starts an escape
        {"tab\there\\x\n", "\t\\", "tab\there\\x\\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintableText(c.text, c.kept), c.printable) << c.text;
    }
}

} // namespace
} // namespace velmora::cli
