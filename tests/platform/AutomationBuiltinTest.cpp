#include "platform/AutomationBuiltin.h"

#include "core/export/OfficeExport.h"
#include "platform/AutomationDocument.h"
#include "platform/AutomationWorkbook.h"
#include "support/TempDir.h"

#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <zip.h>

namespace velmora {
namespace {

const TextExportTexts kEnglish{"Account: ", "  Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};

std::string ZipEntry(const std::filesystem::path& file, const char* name)
{
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        ADD_FAILURE() << "not a zip file: " << file;
        return {};
    }
    zip_stat_t stat;
    zip_file_t* entry = zip_stat(archive, name, 0, &stat) == 0 ? zip_fopen(archive, name, 0) : nullptr;
    std::string content;
    if (entry == nullptr) {
        ADD_FAILURE() << "no entry " << name;
    } else {
        content.resize(static_cast<std::size_t>(stat.size));
        EXPECT_EQ(zip_fread(entry, content.data(), stat.size), static_cast<zip_int64_t>(stat.size));
        zip_fclose(entry);
    }
    zip_close(archive);
    return content;
}

// Walks the elements of an XML part; `visit` sees each start element.
template <typename Visit> void ForEachElement(const std::string& xml, Visit visit)
{
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            visit(reader);
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
}

struct ReadCell
{
    std::string text;
    bool bold = false;
    bool operator==(const ReadCell&) const = default;
};

// A shared string as stored: characters XML cannot hold are written as "_xHHHH_".
std::string Unescaped(const QString& stored)
{
    QString text = stored;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-F]{4})_"));
    for (QRegularExpressionMatch match = escape.match(text); match.hasMatch(); match = escape.match(text)) {
        text.replace(match.capturedStart(), match.capturedLength(), QChar(match.captured(1).toUShort(nullptr, 16)));
    }
    return text.toStdString();
}

// The cells of the first worksheet of an .xlsx file, by name ("A1"), as a spreadsheet reads them.
std::map<std::string, ReadCell> ReadXlsx(const std::filesystem::path& file)
{
    std::vector<std::string> strings;
    ForEachElement(ZipEntry(file, "xl/sharedStrings.xml"), [&](QXmlStreamReader& reader) {
        if (reader.name() == QLatin1String("si")) {
            strings.emplace_back();
        } else if (reader.name() == QLatin1String("t")) {
            strings.back() += Unescaped(reader.readElementText());
        }
    });
    std::vector<bool> boldFonts;
    std::vector<bool> boldStyles;
    bool inCellStyles = false;
    ForEachElement(ZipEntry(file, "xl/styles.xml"), [&](QXmlStreamReader& reader) {
        if (reader.name() == QLatin1String("font")) {
            boldFonts.push_back(false);
        } else if (reader.name() == QLatin1String("b") && !inCellStyles) {
            boldFonts.back() = true;
        } else if (reader.name() == QLatin1String("cellXfs")) {
            inCellStyles = true;
        } else if (reader.name() == QLatin1String("xf") && inCellStyles) {
            boldStyles.push_back(boldFonts.at(reader.attributes().value(QLatin1String("fontId")).toUInt()));
        }
    });
    std::map<std::string, ReadCell> cells;
    std::string current;
    ForEachElement(ZipEntry(file, "xl/worksheets/sheet1.xml"), [&](QXmlStreamReader& reader) {
        if (reader.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            current = attributes.value(QLatin1String("r")).toString().toStdString();
            EXPECT_TRUE(attributes.value(QLatin1String("t")).isEmpty() ||
                        attributes.value(QLatin1String("t")) == QLatin1String("s"))
                << current << " is not text";
            cells[current].bold = boldStyles.at(attributes.value(QLatin1String("s")).toUInt());
        } else if (reader.name() == QLatin1String("v")) {
            cells[current].text = strings.at(reader.readElementText().toUInt());
        }
    });
    return cells;
}

// How the first worksheet shows its cells: column widths and row heights that were set, and the
// cells whose style wraps their text.
struct ReadLayout
{
    std::map<int, double> columnWidths; // by column number, from 1
    std::map<int, double> rowHeights;   // by row number, from 1
    std::set<std::string> wrapped;      // cell names
};

ReadLayout ReadXlsxLayout(const std::filesystem::path& file)
{
    std::vector<bool> wrapStyles;
    bool inCellStyles = false;
    ForEachElement(ZipEntry(file, "xl/styles.xml"), [&](QXmlStreamReader& reader) {
        if (reader.name() == QLatin1String("cellXfs")) {
            inCellStyles = true;
        } else if (reader.name() == QLatin1String("xf") && inCellStyles) {
            wrapStyles.push_back(false);
        } else if (reader.name() == QLatin1String("alignment") && inCellStyles) {
            wrapStyles.back() = reader.attributes().value(QLatin1String("wrapText")) == QLatin1String("1");
        }
    });
    ReadLayout layout;
    ForEachElement(ZipEntry(file, "xl/worksheets/sheet1.xml"), [&](QXmlStreamReader& reader) {
        const QXmlStreamAttributes attributes = reader.attributes();
        const auto number = [&attributes](const char* name) {
            return attributes.value(QLatin1String(name)).toDouble();
        };
        if (reader.name() == QLatin1String("col")) {
            for (int column = static_cast<int>(number("min")); column <= static_cast<int>(number("max")); ++column) {
                layout.columnWidths[column] = number("width");
            }
        } else if (reader.name() == QLatin1String("row") &&
                   attributes.value(QLatin1String("customHeight")) == QLatin1String("1")) {
            layout.rowHeights[static_cast<int>(number("r"))] = number("ht");
        } else if (reader.name() == QLatin1String("c") &&
                   wrapStyles.at(attributes.value(QLatin1String("s")).toUInt())) {
            layout.wrapped.insert(attributes.value(QLatin1String("r")).toString().toStdString());
        }
    });
    return layout;
}

using ReadParagraph = std::vector<ReadCell>; // runs

std::vector<ReadParagraph> ReadDocx(const std::filesystem::path& file)
{
    EXPECT_FALSE(ZipEntry(file, "[Content_Types].xml").empty());
    EXPECT_FALSE(ZipEntry(file, "_rels/.rels").empty());
    std::vector<ReadParagraph> paragraphs;
    ForEachElement(ZipEntry(file, "word/document.xml"), [&](QXmlStreamReader& reader) {
        if (reader.name() == QLatin1String("p")) {
            paragraphs.emplace_back();
        } else if (reader.name() == QLatin1String("r")) {
            paragraphs.back().emplace_back();
        } else if (reader.name() == QLatin1String("b")) {
            paragraphs.back().back().bold = true;
        } else if (reader.name() == QLatin1String("t")) {
            paragraphs.back().back().text += reader.readElementText().toStdString();
        } else if (reader.name() == QLatin1String("tab")) {
            paragraphs.back().back().text += '\t';
        }
    });
    return paragraphs;
}

unsigned Mode(const std::filesystem::path& path)
{
    struct stat status
    {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 0777U;
}

class BuiltinAutomationTest : public ::testing::Test
{
protected:
    BuiltinAutomationTest()
    {
        // More than 300 rows: two folders of 40 records, 4 fields each, a spare row between them.
        account.Name = "Big";
        for (int f = 0; f < 2; ++f) {
            account.AddFolder("F" + std::to_string(f), 0);
            for (int r = 0; r < 40; ++r) {
                const std::string id = std::to_string(f) + "." + std::to_string(r);
                account.Folder(static_cast<std::size_t>(f))
                    .AddRecord("R" + id, "https://" + id, "", "", "=1+" + id, "n&<" + id + ">");
            }
        }
        account.Folder(1).AddRecord("\xCF\xEE\xF7\xF2\xE0", "", "12345", "", "", "a\r\nb\tc"); // "Почта"
    }

    std::unique_ptr<BuiltinAutomation> Automation(bool opens = true)
    {
        return std::make_unique<BuiltinAutomation>(parent.Path(), [this, opens](const std::filesystem::path& file) {
            opened.push_back(file);
            return opens;
        });
    }

    test::TempDir parent;
    std::vector<std::filesystem::path> opened;
    TAccount account;
};

TEST_F(BuiltinAutomationTest, SpreadsheetFileHoldsEveryRowAsText)
{
    auto automation = Automation();
    ExportToSpreadsheet(*automation, account, {}, kEnglish, "T");
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0].filename(), "Book1.xlsx");
    EXPECT_EQ(opened[0].parent_path(), automation->Files().Directory());
    EXPECT_EQ(Mode(opened[0]), 0600U);
    EXPECT_EQ(Mode(opened[0].parent_path()), 0700U);

    const std::map<std::string, ReadCell> cells = ReadXlsx(opened[0]);
    // Folder 0 at row 3, its records from row 4 at five rows each; folder 1 at row 204.
    const std::map<std::string, ReadCell> expected = {
        {"A1", {"Account: Big  Date: T", true}},
        {"A3", {"[F0]", true}},
        {"A4", {"Name: ", false}},
        {"B4", {"R0.0", false}},
        {"B6", {"=1+0.0", false}},
        {"B7", {"n&<0.0>", false}},
        {"A204", {"[F1]", true}},
        {"B400", {"R1.39", false}},
        {"B405", {"\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0", false}}, // UTF-8 "Почта"
        {"B406", {"12345", false}},
        {"B407", {"a\r\nb\tc", false}},
    };
    for (const auto& [name, cell] : expected) {
        ASSERT_TRUE(cells.contains(name)) << name;
        EXPECT_EQ(cells.at(name), cell) << name;
    }
    // Heading, 2 folder rows, 80 records of 4 labelled fields, the last record's 3.
    EXPECT_EQ(cells.size(), 1U + 2U + 80U * 8U + 6U);
}

// Notes of several lines must not run over the rows around them, and labels must not touch their
// values: cells with line breaks wrap in rows tall enough for their lines, and columns are as wide
// as their longest line up to a cap, with every text kept whole.
TEST(SpreadsheetLayout, WrapsLinesAndSizesColumns)
{
    const std::string longUrl = "https://mail.example.com/" + std::string(120, 'x');
    const std::string cyrillicLine(30, '\xE0'); // 30 letters, 60 bytes in UTF-8
    TAccount account;
    account.Name = "Home";
    account.AddFolder("Mail and everything that comes with it", 0);
    account.Folder(0).AddRecord("Post", longUrl, "someone", "", "pw", "line one\r\nline two\r\nthree");
    account.Folder(0).AddRecord("Bank", "", "", "", "", cyrillicLine + "\n" + cyrillicLine + cyrillicLine);

    struct Case
    {
        TextExportOptions options;
        std::map<int, std::pair<double, double>> widths; // column: at least, at most
        std::map<std::string, double> wrappedLines;      // cell: lines its row holds
        std::string urlCell;
        std::string notesCell;
    };
    const Case cases[] = {
        // Labels in A (the longest is "Password: "); the heading and folder row run on beside them.
        // The URL caps the values' column, where the second notes' long line takes two lines.
        {{}, {{1, {10, 14}}, {2, {60, 62}}}, {{"B8", 3}, {"B11", 3}}, "B5", "B8"},
        // Values alone in A.
        {{.Heading = false, .FieldLabels = false}, {{1, {60, 62}}}, {{"A8", 3}, {"A11", 3}}, "A5", "A8"},
    };
    for (const Case& c : cases) {
        test::TempDir parent;
        std::vector<std::filesystem::path> opened;
        BuiltinAutomation automation(parent.Path(), [&opened](const std::filesystem::path& file) {
            opened.push_back(file);
            return true;
        });
        ExportToSpreadsheet(automation, account, c.options, kEnglish, "10.12.2026 20:52:00");
        ASSERT_EQ(opened.size(), 1U);

        const ReadLayout layout = ReadXlsxLayout(opened[0]);
        ASSERT_EQ(layout.columnWidths.size(), c.widths.size());
        for (const auto& [column, range] : c.widths) {
            ASSERT_TRUE(layout.columnWidths.contains(column)) << column;
            EXPECT_GE(layout.columnWidths.at(column), range.first) << column;
            EXPECT_LE(layout.columnWidths.at(column), range.second) << column;
        }
        std::set<std::string> wrapped;
        std::set<int> tallRows;
        for (const auto& [name, lines] : c.wrappedLines) {
            wrapped.insert(name);
            const int row = Workbook::Ref(name).first;
            tallRows.insert(row);
            ASSERT_TRUE(layout.rowHeights.contains(row)) << name;
            EXPECT_GE(layout.rowHeights.at(row), lines * 15) << name;
            EXPECT_LT(layout.rowHeights.at(row), (lines + 1) * 15) << name;
        }
        EXPECT_EQ(layout.wrapped, wrapped);
        EXPECT_EQ(layout.rowHeights.size(), tallRows.size());

        const std::map<std::string, ReadCell> cells = ReadXlsx(opened[0]);
        EXPECT_EQ(cells.at(c.urlCell).text, longUrl);
        EXPECT_EQ(cells.at(c.notesCell).text, "line one\r\nline two\r\nthree");
    }
}

TEST_F(BuiltinAutomationTest, DocumentFileHoldsEveryParagraph)
{
    auto automation = Automation();
    ExportToDocument(*automation, account, {.Heading = false, .FieldLabels = false}, kEnglish, "T");
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0].filename(), "Document1.docx");
    EXPECT_EQ(Mode(opened[0]), 0600U);

    std::vector<std::string> expected = {"", "[F0]"};
    for (int f = 0; f < 2; ++f) {
        if (f == 1) {
            expected.push_back("[F1]");
        }
        for (int r = 0; r < 40; ++r) {
            const std::string id = std::to_string(f) + "." + std::to_string(r);
            for (const std::string& line : {"R" + id, "https://" + id, "=1+" + id, "n&<" + id + ">", std::string()}) {
                expected.push_back(line);
            }
        }
    }
    for (const char* line : {"\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0", "12345", "a", "b\tc", "", ""}) {
        expected.push_back(line); // the notes' line break starts a paragraph; the final mark ends
    }
    std::vector<std::string> paragraphs;
    for (const ReadParagraph& paragraph : ReadDocx(opened[0])) {
        std::string text;
        for (const ReadCell& run : paragraph) {
            EXPECT_FALSE(run.bold); // the last bold call of the export turned the whole document plain
            text += run.text;
        }
        paragraphs.push_back(text);
    }
    EXPECT_EQ(paragraphs, expected);
    EXPECT_GT(paragraphs.size(), 300U);
}

TEST_F(BuiltinAutomationTest, BoldActsOnTheWholeDocumentAndWhatFollows)
{
    auto automation = Automation();
    AutomationObjectPtr word = automation->CreateObject("word.application");
    word->Invoke("Documents")->Invoke("Add");
    AutomationObjectPtr range = word->Invoke("ActiveDocument")->Invoke("Range");
    range->Invoke("InsertAfter", {std::string("plain\r\n")});
    range->Invoke("Font")->Put("Bold", {}, true);
    range->Invoke("InsertAfter", {std::string("bold")});
    word->Put("Visible", {}, true);
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(ReadDocx(opened[0]), (std::vector<ReadParagraph>{{{"plain", true}}, {{"bold", true}}}));

    WordDocument document;
    document.InsertAfter("a\rb\nc\r\n");
    document.SetBold(true);
    document.SetBold(false);
    document.InsertAfter("d");
    EXPECT_EQ(document.Paragraphs().size(), 4U);
    EXPECT_EQ(document.Paragraphs()[3], (WordDocument::Paragraph{{"d", false}}));
}

TEST_F(BuiltinAutomationTest, FailuresRaise)
{
    {
        auto automation = Automation(false); // nothing opens the file
        EXPECT_THROW(ExportToSpreadsheet(*automation, account, {}, kEnglish, "T"), AutomationError);
        EXPECT_THROW(ExportToDocument(*automation, account, {}, kEnglish, "T"), AutomationError);
        EXPECT_EQ(opened.size(), 2U);
    }
    auto automation = Automation();
    EXPECT_THROW(automation->CreateObject("Outlook.Application"), AutomationError);
    AutomationObjectPtr excel = automation->CreateObject("Excel.Application");
    EXPECT_THROW(excel->Invoke("cells", {std::int64_t{1}, std::int64_t{1}}), AutomationError); // no workbook yet
    excel->Invoke("workbooks")->Invoke("ADD");
    EXPECT_THROW(excel->Invoke("NoSuchMember"), AutomationError);
    EXPECT_THROW(excel->Put("cells", {std::int64_t{1}, std::int64_t{1}}, true), AutomationError); // not a text
    EXPECT_THROW(excel->Invoke("cells", {std::string("1"), std::int64_t{1}}), AutomationError);
}

TEST(WorkbookCells, NamesAndNumbersInsideTheSheet)
{
    using Ref = Workbook::CellRef;
    EXPECT_EQ(Workbook::Ref("A1"), Ref(1, 1));
    EXPECT_EQ(Workbook::Ref("ab12"), Ref(12, 28));
    EXPECT_EQ(Workbook::Ref("XFD1048576"), Ref(Workbook::kRows, Workbook::kColumns));
    EXPECT_EQ(Workbook::Ref(256, 2), Ref(256, 2));
    for (const char* bad : {"", "A", "1", "1A", "A0", "A1B", "XFE1", "A1048577", "A99999999999999999999"}) {
        EXPECT_THROW(Workbook::Ref(bad), AutomationError) << bad;
    }
    for (const auto& [row, column] :
         {Ref(0, 1), Ref(1, 0), Ref(Workbook::kRows + 1, 1), Ref(1, Workbook::kColumns + 1)}) {
        EXPECT_THROW(Workbook::Ref(row, column), AutomationError) << row << "," << column;
    }
}

// The file goes to the desktop's opener as one path, whatever its directory is called, and the
// private directory goes when the program does.
TEST_F(BuiltinAutomationTest, ThePathReachesTheOpenerUnchangedAndGoesAway)
{
    const std::filesystem::path odd = parent / "a b;$(touch x) 'q' \"&|";
    std::filesystem::create_directories(odd);
    std::filesystem::path directory;
    {
        BuiltinAutomation automation(odd, [&](const std::filesystem::path& file) {
            opened.push_back(file);
            return true;
        });
        ExportToDocument(automation, account, {}, kEnglish, "T");
        ExportToDocument(automation, account, {}, kEnglish, "T");
        directory = automation.Files().Directory();
        ASSERT_EQ(opened.size(), 2U);
        EXPECT_EQ(opened[0].parent_path().parent_path(), odd);
        EXPECT_EQ(opened[1].filename(), "Document2.docx");
        EXPECT_TRUE(std::filesystem::is_regular_file(opened[0]));
    }
    EXPECT_FALSE(std::filesystem::exists(directory));
    EXPECT_FALSE(std::filesystem::exists(odd / "x"));
}

} // namespace
} // namespace velmora
