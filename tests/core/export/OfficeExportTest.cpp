#include "core/export/OfficeExport.h"

#include "core/settings/IniLang.h"
#include "platform/RecordingAutomation.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using Calls = std::vector<std::string>;

const TextExportTexts kEnglish{"Account: ", "  Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};

void Add(Calls& calls, const Calls& more)
{
    calls.insert(calls.end(), more.begin(), more.end());
}

// The spreadsheet's way of making a cell bold.
Calls BoldCell(const std::string& cell)
{
    return {cell, cell + ".select", "A.ActiveCell", "A.ActiveCell.Font", "A.ActiveCell.Font.Bold := true"};
}

Calls Cell(int row, int column, const std::string& text)
{
    return {"A.cells(" + std::to_string(row) + ", " + std::to_string(column) + ") := \"" + text + "\""};
}

Calls FolderRow(int row, const std::string& name)
{
    Calls calls = Cell(row, 1, "[" + name + "]");
    Add(calls, BoldCell("A.cells(" + std::to_string(row) + ", 1)"));
    return calls;
}

const std::string kRange = "W.application.activedocument.range";

Calls Append(const std::string& text)
{
    return {"W.application", "W.application.activedocument", kRange, kRange + ".insertAfter(\"" + text + "\")"};
}

Calls DocumentBold(bool bold)
{
    return {"W.application", "W.application.activedocument", kRange, kRange + ".font",
            kRange + ".font.bold := " + (bold ? "true" : "false")};
}

class OfficeExportTest : public ::testing::Test
{
protected:
    OfficeExportTest()
    {
        account.Name = "Home";
        account.AddFolder("Mail", 3);
        account.Folder(0).AddRecord("Box", "", "ann", "ID-7", "x1", "");
        account.Folder(0).AddRecord("Shop", "https://shop.example", "", "", "p2", "line1\r\nline2");
        account.AddFolder("\xC1\xE0\xED\xEA", 0); // "Банк" in the code page, without records
    }

    Calls Spreadsheet(const TextExportOptions& options)
    {
        testing::RecordingAutomation automation;
        ExportToSpreadsheet(automation, account, options, kEnglish, "T");
        return automation.calls;
    }

    Calls Document(const TextExportOptions& options)
    {
        testing::RecordingAutomation automation;
        ExportToDocument(automation, account, options, kEnglish, "T");
        return automation.calls;
    }

    TAccount account;
};

TEST_F(OfficeExportTest, SpreadsheetCallsInOrder)
{
    Calls expected = {"new Excel.Application", "A.WorkBooks", "A.WorkBooks.Add",
                      "A.range(\"A1\") := \"Account: Home  Date: T\""};
    Add(expected, BoldCell("A.range(\"A1\")"));
    Add(expected, FolderRow(3, "Mail"));
    for (const auto& [row, label, value] :
         std::vector<std::tuple<int, std::string, std::string>>{{4, "Name: ", "Box"},
                                                                {5, "Login: ", "ann"},
                                                                {6, "Password: ", "x1"},
                                                                {8, "Name: ", "Shop"},
                                                                {9, "URL: ", "https://shop.example"},
                                                                {10, "Password: ", "p2"},
                                                                {11, "Notes: ", "line1\\r\\nline2"}}) {
        Add(expected, Cell(row, 1, label));
        Add(expected, Cell(row, 2, value));
    }
    Add(expected, FolderRow(13, "Банк"));
    expected.push_back("A.Visible := true");
    EXPECT_EQ(Spreadsheet({}), expected);
}

TEST_F(OfficeExportTest, DocumentCallsInOrder)
{
    Calls expected = {"new Word.Application", "W.documents", "W.documents.add"};
    Add(expected, Append("Account: Home  Date: T\\r\\n"));
    Add(expected, Append("\\r\\n"));
    Add(expected, Append("[Mail]\\r\\n"));
    const auto caption = [&](const std::string& name) {
        Add(expected, DocumentBold(true));
        Add(expected, Append("Name: "));
        Add(expected, DocumentBold(false));
        Add(expected, Append(name + "\\r\\n"));
    };
    const auto field = [&](const std::string& label, const std::string& value) {
        Add(expected, Append(label));
        Add(expected, Append(value + "\\r\\n"));
    };
    caption("Box");
    field("Login: ", "ann");
    field("Password: ", "x1");
    Add(expected, Append("\\r\\n"));
    caption("Shop");
    field("URL: ", "https://shop.example");
    field("Password: ", "p2");
    field("Notes: ", "line1\\r\\nline2");
    Add(expected, Append("\\r\\n"));
    Add(expected, Append("[Банк]\\r\\n"));
    expected.push_back("W.visible := true");
    EXPECT_EQ(Document({}), expected);
}

TEST_F(OfficeExportTest, WithoutHeadingRowsStillStartAtThreeAndTheDocumentWithAnEmptyParagraph)
{
    Calls sheet = {"new Excel.Application", "A.WorkBooks", "A.WorkBooks.Add"};
    Add(sheet, FolderRow(3, "Mail"));
    const Calls spreadsheet = Spreadsheet({.Heading = false});
    ASSERT_GE(spreadsheet.size(), sheet.size());
    EXPECT_EQ(Calls(spreadsheet.begin(), spreadsheet.begin() + static_cast<long>(sheet.size())), sheet);

    Calls text = {"new Word.Application", "W.documents", "W.documents.add"};
    Add(text, Append("\\r\\n"));
    Add(text, Append("[Mail]\\r\\n"));
    const Calls document = Document({.Heading = false});
    ASSERT_GE(document.size(), text.size());
    EXPECT_EQ(Calls(document.begin(), document.begin() + static_cast<long>(text.size())), text);
}

TEST_F(OfficeExportTest, WithoutLabelsOnlyValuesAreWrittenAndTheSpreadsheetUsesColumnOne)
{
    const TextExportOptions options{.FieldLabels = false, .SkipEmpty = false};
    const Calls sheet = Spreadsheet(options);
    Calls values;
    std::copy_if(sheet.begin(), sheet.end(), std::back_inserter(values), [](const std::string& call) {
        return call.starts_with("A.cells(") && call.find(":=") != std::string::npos;
    });
    Calls expected;
    Add(expected, Cell(3, 1, "[Mail]"));
    int row = 4;
    for (const char* value :
         {"Box", "", "ann", "x1", "", "Shop", "https://shop.example", "", "p2", "line1\\r\\nline2"}) {
        Add(expected, Cell(row, 1, value));
        row += row == 8 ? 2 : 1; // the empty row after the first record
    }
    Add(expected, Cell(16, 1, "[Банк]"));
    EXPECT_EQ(values, expected);

    const Calls document = Document(options);
    for (const char* label : {"Name: ", "URL: ", "Login: ", "Password: ", "Notes: "}) {
        EXPECT_EQ(std::count(document.begin(), document.end(), kRange + ".insertAfter(\"" + label + "\")"), 0);
    }
    // The bold switches around the display name stay.
    EXPECT_EQ(std::count(document.begin(), document.end(), kRange + ".font.bold := true"), 2);
}

TEST_F(OfficeExportTest, RowsGoOnPastTwoHundredFiftyFive)
{
    TAccount large;
    large.Name = "Large";
    large.AddFolder("F", 0);
    for (int i = 0; i < 100; ++i) {
        large.Folder(0).AddRecord("R" + std::to_string(i), "", "l", "", "p", "");
    }
    testing::RecordingAutomation automation;
    ExportToSpreadsheet(automation, large, {}, kEnglish, "T");
    // Record i takes rows 4 + 4i to 6 + 4i; the last one ends at row 402.
    const Calls& calls = automation.calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), Cell(256, 2, "R63").front()), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), Cell(402, 2, "p").front()), calls.end());
    EXPECT_EQ(calls.back(), "A.Visible := true");
}

TEST_F(OfficeExportTest, AFailingCallStopsTheExportBeforeAnythingIsShown)
{
    for (const bool spreadsheet : {true, false}) {
        SCOPED_TRACE(spreadsheet ? "spreadsheet" : "document");
        const auto run = [&](testing::RecordingAutomation& automation) {
            spreadsheet ? ExportToSpreadsheet(automation, account, {}, kEnglish, "T")
                        : ExportToDocument(automation, account, {}, kEnglish, "T");
        };
        testing::RecordingAutomation failing;
        failing.failAt = 20;
        EXPECT_THROW(run(failing), AutomationError);
        EXPECT_EQ(failing.calls.size(), 21U);

        testing::RecordingAutomation missing;
        missing.missing = {"Excel.Application", "Word.Application"};
        EXPECT_THROW(run(missing), AutomationError);
        EXPECT_EQ(missing.calls.size(), 1U);
    }
}

// The URL label is not translated: every shipped language gives "URL: ".
TEST_F(OfficeExportTest, TheUrlLabelIsTheSameInEveryLanguage)
{
    const std::filesystem::path programDir = VELMORA_RUNTIME_DIR;
    std::vector<std::filesystem::path> files = {programDir / "Default.lng"};
    for (const auto& entry : std::filesystem::directory_iterator(programDir / "Languages")) {
        files.push_back(entry.path());
    }
    ASSERT_GE(files.size(), 2U);
    for (const std::filesystem::path& file : files) {
        SCOPED_TRACE(file.string());
        IniLang lang;
        lang.SetDocument(OpenLanguageFile(programDir, file));
        const TextExportTexts texts = ExportTexts(lang);
        testing::RecordingAutomation automation;
        ExportToSpreadsheet(automation, account, {}, texts, "T");
        ExportToDocument(automation, account, {}, texts, "T");
        const Calls& calls = automation.calls;
        EXPECT_NE(std::find(calls.begin(), calls.end(), Cell(9, 1, "URL: ").front()), calls.end());
        EXPECT_NE(std::find(calls.begin(), calls.end(), kRange + ".insertAfter(\"URL: \")"), calls.end());
    }
}

} // namespace
} // namespace velmora
