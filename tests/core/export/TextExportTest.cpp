#include "core/export/TextExport.h"

#include "core/vault/CodePage.h"

#include <algorithm>
#include <clocale>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// Russian texts in the code page.
const TextExportTexts kRussian{
    "\xC0\xEA\xEA\xE0\xF3\xED\xF2: ",     // "Аккаунт: "
    "      \xC4\xE0\xF2\xE0: ",           // "      Дата: "
    "\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5: ", // "Название: "
    "\xCB\xEE\xE3\xE8\xED: ",             // "Логин: "
    "\xCF\xE0\xF0\xEE\xEB\xFC: ",         // "Пароль: "
    "\xC7\xE0\xEC\xE5\xF2\xEA\xE8: ",     // "Заметки: "
};

class TextExportTest : public ::testing::Test
{
protected:
    TextExportTest()
    {
        account.Name = "Home";
        account.AddFolder("Mail", 3);
        account.Folder(0).AddRecord("Box", "", "ann", "ID-7", "x1", "");
        account.AddFolder("Bank", 0);
    }
    TAccount account;
};

TEST_F(TextExportTest, WorkedExample)
{
    const std::string expected = kRussian.Account + "Home" + kRussian.Date +
                                 "01.02.2026 10:00:00\r\n"
                                 "\r\n"
                                 "[Mail]\r\n" +
                                 kRussian.Caption + "Box\r\n" + kRussian.Login + "ann\r\n" + kRussian.Password +
                                 "x1\r\n"
                                 "\r\n"
                                 "[Bank]\r\n";
    EXPECT_EQ(TextExport(account, {}, kRussian, "01.02.2026 10:00:00"), expected);
}

TEST_F(TextExportTest, SettingsShapeTheLines)
{
    struct Case
    {
        const char* name;
        TextExportOptions options;
        std::string expected;
    };
    const std::string labelled = kRussian.Caption + "Box\r\nURL: \r\n" + kRussian.Login + "ann\r\n" +
                                 kRussian.Password + "x1\r\n" + kRussian.Notes + "\r\n";
    const Case cases[] = {
        {"all fields with labels",
         {.Heading = false, .SkipEmpty = false},
         "\r\n[Mail]\r\n" + labelled + "\r\n[Bank]\r\n"},
        {"values only",
         {.Heading = false, .FieldLabels = false, .SkipEmpty = false},
         "\r\n[Mail]\r\nBox\r\n\r\nann\r\nx1\r\n\r\n\r\n[Bank]\r\n"},
        {"values only, empty ones skipped",
         {.Heading = false, .FieldLabels = false},
         "\r\n[Mail]\r\nBox\r\nann\r\nx1\r\n\r\n[Bank]\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextExport(account, c.options, kRussian, "now"), c.expected) << c.name;
    }
}

TEST_F(TextExportTest, NotesKeepTheirLineBreaksAndEmptyRecordsLeaveTheirLine)
{
    TAccount other;
    other.Name = "X";
    other.AddFolder("F", 0);
    other.Folder(0).AddRecord("", "", "", "secret id", "", "");
    other.Folder(0).AddRecord("N", "", "", "", "", "a\r\nb");
    EXPECT_EQ(TextExport(other, {.Heading = false, .FieldLabels = false}, kRussian, ""),
              "\r\n[F]\r\n\r\nN\r\na\r\nb\r\n\r\n");

    TAccount empty;
    empty.Name = "E";
    EXPECT_EQ(TextExport(empty, {}, kRussian, "T"), kRussian.Account + "E" + kRussian.Date + "T\r\n\r\n");
}

// The pieces WriteTextExport hands over in UTF-8, joined, with the largest of them.
struct Streamed
{
    std::string text;
    std::size_t largestPiece = 0;
};

Streamed StreamedUtf8(const TAccount& account, const TextExportOptions& options)
{
    Streamed streamed;
    const PieceWriter collect = [&streamed](std::string_view piece) {
        streamed.text += piece;
        streamed.largestPiece = std::max(streamed.largestPiece, piece.size());
    };
    ExportBuffer out(collect);
    WriteTextExport(account, options, kRussian, "01.02.2026", Utf8Bytes(), out);
    out.Flush();
    return streamed;
}

TEST(TextExportStream, GivesTheExportsTextInUtf8InPieces)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    TAccount account;
    account.Name = everyByte;
    account.AddFolder(everyByte, 0);
    account.AddFolder("", 1);
    for (int i = 0; i < 300; ++i) {
        // Varying lengths put multi-byte characters on the pieces' boundaries.
        const std::string value = everyByte.substr(static_cast<std::size_t>(i % 256));
        account.Folder(1).AddRecord(value, "", value, "id", value, value + "\r\n" + value);
    }
    for (const TextExportOptions options :
         {TextExportOptions{}, TextExportOptions{.Heading = false, .FieldLabels = false, .SkipEmpty = false}}) {
        const Streamed streamed = StreamedUtf8(account, options);
        EXPECT_EQ(streamed.text, CodePageToUtf8(TextExport(account, options, kRussian, "01.02.2026")));
        EXPECT_LT(streamed.largestPiece, streamed.text.size() / 4) << "the export was held whole";
    }
}

TEST(ExportMoment, LeavesTheTimeOutOnlyAtMidnight)
{
    std::setlocale(LC_TIME, "C");
    std::tm moment{};
    moment.tm_year = 126;
    moment.tm_mon = 1;
    moment.tm_mday = 3;
    EXPECT_EQ(ExportMoment(moment), "02/03/26");
    moment.tm_sec = 1;
    EXPECT_EQ(ExportMoment(moment), "02/03/26 00:00:01");
}

} // namespace
} // namespace velmora
