#include "core/settings/IniLang.h"

#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

void WriteFile(const std::filesystem::path& path, std::string_view content)
{
    std::ofstream(path, std::ios::binary) << content;
}

IniLang LangWith(std::string_view text)
{
    IniLang lang;
    lang.SetDocument(IniDocument::Parse(text));
    return lang;
}

struct DecodeCase
{
    std::string value;
    std::string message;   // through ReadMiscText: line breaks are CR LF
    std::string component; // through DecodeLangText: line breaks are a single CR
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << testing::PrintToString(c.value);
}

class Decoding : public testing::TestWithParam<DecodeCase>
{};

TEST_P(Decoding, MessagesAndComponentTexts)
{
    const DecodeCase& c = GetParam();
    const IniLang lang = LangWith("[Misc]\nconst_x:string=" + c.value + "\n[frmMain]\nlab.Caption=" + c.value + "\n");
    EXPECT_EQ(lang.GetMessageText("const_x"), c.message);
    EXPECT_EQ(lang.ReadFormText("FRMMAIN", "lab.caption"), c.component);
    EXPECT_EQ(DecodeLangText(c.value), c.component);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Decoding,
    testing::Values(DecodeCase{"plain", "plain", "plain"}, DecodeCase{"", "", ""},
                    DecodeCase{"two_words", "two words", "two words"},
                    DecodeCase{"______Date:_", "      Date: ", "      Date: "}, DecodeCase{"A*|*B", "A\r\nB", "A\rB"},
                    DecodeCase{"a*|*b*|*c", "a\r\nb\r\nc", "a\rb\rc"}, DecodeCase{"*|*c", "\r\nc", "\rc"},
                    DecodeCase{"a*|*", "a\r\n", "a\r"}, DecodeCase{"*|**|*c", "\r\nc", "\r\rc"},
                    DecodeCase{"a*|**|*c", "a\r\n\r\nc", "a\r\rc"}, DecodeCase{"x_*|*_y", "x \r\n y", "x \r y"},
                    DecodeCase{"*|", "*|", "*|"}, DecodeCase{"*|*|*", "\r\n|*", "\r|*"},
                    DecodeCase{"Text files|*.txt", "Text files|*.txt", "Text files|*.txt"}));

TEST(IniLang, LookupWithoutDocumentGivesTheFallback)
{
    const IniLang lang;
    EXPECT_FALSE(lang.HasDocument());
    EXPECT_EQ(lang.ReadMiscText("fallback", "const_x:string"), "fallback");
    EXPECT_EQ(lang.GetMessageText("const_x"), "");
    EXPECT_EQ(lang.ReadFormText("frmMain", "Caption"), "");
}

TEST(IniLang, MessagesComeFromMiscByKeyAndSuffix)
{
    const IniLang lang = LangWith("[frmMain]\nconst_a:string=form\n"
                                  "[MISC]\nCONST_A:STRING=found\nconst_b=no suffix\nconst_e:string=\n");
    EXPECT_TRUE(lang.HasDocument());
    EXPECT_EQ(lang.GetMessageText("const_a"), "found");
    EXPECT_EQ(lang.GetMessageText("const_b"), "");
    EXPECT_EQ(lang.GetMessageText("const_e"), "");
    EXPECT_EQ(lang.GetMessageText("const_missing"), "");
    EXPECT_EQ(lang.ReadMiscText("fallback", "const_missing:string"), "");
}

TEST(IniLang, ReplacingTheDocumentReplacesEveryText)
{
    IniLang lang = LangWith("[Misc]\nconst_a:string=old\nconst_b:string=only old\n");
    lang.SetDocument(IniDocument::Parse("[Misc]\nconst_a:string=new\n"));
    EXPECT_EQ(lang.GetMessageText("const_a"), "new");
    EXPECT_EQ(lang.GetMessageText("const_b"), "");
}

struct FormatCase
{
    std::string text;
    std::vector<std::string> arguments;
    std::string expected;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << testing::PrintToString(c.text);
}

class Formatting : public testing::TestWithParam<FormatCase>
{};

TEST_P(Formatting, FillsMarkersInOrderAndNeverFails)
{
    const FormatCase& c = GetParam();
    std::string result;
    switch (c.arguments.size()) {
    case 0:
        result = FormatMessageText(c.text, {});
        break;
    case 1:
        result = FormatMessageText(c.text, {c.arguments[0]});
        break;
    default:
        result = FormatMessageText(c.text, {c.arguments[0], c.arguments[1]});
        break;
    }
    EXPECT_EQ(result, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Formatting,
                         testing::Values(FormatCase{"Delete \"%s\" ?", {"Home"}, "Delete \"Home\" ?"},
                                         FormatCase{"Replace %s with %s?", {"old", "new"}, "Replace old with new?"},
                                         FormatCase{"%s%s", {"a", "b"}, "ab"}, FormatCase{"Found %s", {}, "Found %s"},
                                         FormatCase{"%s and %s", {"one"}, "one and %s"},
                                         FormatCase{"No marker", {"unused"}, "No marker"},
                                         FormatCase{"100% %d %x %", {"a"}, "100% %d %x %"},
                                         FormatCase{"%%s", {"a"}, "%a"},
                                         FormatCase{"Folder %s!", {"50% %s off"}, "Folder 50% %s off!"},
                                         FormatCase{"%s, then %s", {"%s", "b"}, "%s, then b"},
                                         FormatCase{"", {"a"}, ""}, FormatCase{"%", {"a"}, "%"}));

TEST(IniLang, FormatMessageUsesTheKeysText)
{
    const IniLang lang = LangWith("[Misc]\nconst_del_rec:string=Delete_\"%s\"_?\n");
    EXPECT_EQ(lang.FormatMessage("const_del_rec", {"Mail"}), "Delete \"Mail\" ?");
}

TEST(IniLang, ACountTakesTheFormOfTheFilesPluralRuleElseTheOtherForm)
{
    const IniLang english = LangWith("[Misc]\nconst_n_one:string=%s_file\nconst_n_other:string=%s_files\n");
    EXPECT_EQ(english.FormatCount("const_n", 1), "1 file");
    EXPECT_EQ(english.FormatCount("const_n", 21), "21 files");
    EXPECT_EQ(english.FormatCount("const_n", 0), "0 files");

    const IniLang russian =
        LangWith("[Language]\nPluralRule=one-few-many\n[Misc]\n"
                 "const_n_one:string=%s_one\nconst_n_few:string=%s_few\nconst_n_other:string=%s_other\n");
    EXPECT_EQ(russian.FormatCount("const_n", 21), "21 one");
    EXPECT_EQ(russian.FormatCount("const_n", 3), "3 few");
    EXPECT_EQ(russian.FormatCount("const_n", 11), "11 other"); // no form "many" in the file
    EXPECT_EQ(CountedMessageKey("const_n", PluralForm::Many), "const_n_many");
}

class LanguageFiles : public testing::Test
{
protected:
    test::TempDir m_dir;
};

TEST_F(LanguageFiles, EmptyPathOpensDefaultInTheProgramDirectory)
{
    WriteFile(m_dir / "Default.lng", "[Misc]\nconst_a:string=default\n");
    EXPECT_EQ(OpenLanguageFile(m_dir.Path(), {}).ReadString("Misc", "const_a:string"), "default");
}

TEST_F(LanguageFiles, MissingFileIsAnEmptyDocument)
{
    EXPECT_TRUE(OpenLanguageFile(m_dir.Path(), {}).Empty());
    EXPECT_TRUE(OpenLanguageFile(m_dir.Path(), m_dir / "Languages" / "Gone.lng").Empty());
}

TEST_F(LanguageFiles, ChosenFileThatIsGoneKeepsTheDefaultDocument)
{
    WriteFile(m_dir / "Default.lng", "[Misc]\nconst_a:string=default\n");
    WriteFile(m_dir / "Other.lng", "[Misc]\nconst_a:string=other\n");
    const auto read = [&](const std::filesystem::path& chosen) {
        return OpenChosenLanguageFile(m_dir.Path(), chosen).ReadString("Misc", "const_a:string");
    };
    EXPECT_EQ(read(m_dir / "Other.lng"), "other");
    EXPECT_EQ(read({}), "default");
    EXPECT_EQ(read(m_dir / "Gone.lng"), "default");
}

TEST_F(LanguageFiles, UnreadableFileThrows)
{
    std::filesystem::create_directory(m_dir / "Dir.lng");
    EXPECT_THROW(OpenLanguageFile(m_dir.Path(), m_dir / "Dir.lng"), FileError);
    EXPECT_THROW(OpenChosenLanguageFile(m_dir.Path(), m_dir / "Dir.lng"), FileError);
}

TEST_F(LanguageFiles, CodePageBytesAreKeptAsTheyAre)
{
    // "Папки" in Windows-1251.
    WriteFile(m_dir / "Ru.lng", "[Misc]\nconst_folders_cap:string=\xCF\xE0\xEF\xEA\xE8\n");
    EXPECT_EQ(OpenLanguageFile(m_dir.Path(), m_dir / "Ru.lng").ReadString("Misc", "const_folders_cap:string"),
              "\xCF\xE0\xEF\xEA\xE8");
}

TEST_F(LanguageFiles, Utf8WithByteOrderMarkIsConvertedToTheCodePage)
{
    // "Папки" and a section name in UTF-8 after the mark.
    WriteFile(m_dir / "Ru.lng",
              "\xEF\xBB\xBF[Misc]\nconst_folders_cap:string=\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB8\n");
    EXPECT_EQ(OpenLanguageFile(m_dir.Path(), m_dir / "Ru.lng").ReadString("Misc", "const_folders_cap:string"),
              "\xCF\xE0\xEF\xEA\xE8");
}

TEST(LanguageFileBytes, Utf8ConversionMarksWhatTheCodePageCannotHold)
{
    const struct
    {
        std::string in;
        std::string out;
    } cases[] = {
        {"no mark \xD0\x9F", "no mark \xD0\x9F"}, // without the mark: bytes as they are
        {"\xEF\xBB\xBF", ""},                     // the mark alone
        {"\xEF\xBB\xBF\xE2\x82\xAC", "\x88"},     // euro sign
        {"\xEF\xBB\xBF\xE4\xB8\xAD!", "?!"},      // a character without a byte
        {"\xEF\xBB\xBF\xD0", "?"},                // truncated sequence
        {"\xEF\xBB\xBF\xD0x", "?x"},              // broken sequence keeps the next byte
        {"\xEF\xBB\xBF\xC0\xAF", "??"},           // overlong form
        {"\xEF\xBB\xBF\xED\xA0\x80", "???"},      // surrogate
        {"\xEF\xBB\xBF\xF0\x9F\x98\x80.", "?."},  // outside the BMP
        {"\xEF\xBB\xBF\xFF\xFE", "??"},           // bytes that start nothing
        {"\xEF\xBB\xBF\xC2\x98", "\x98"},         // U+0098 has its byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageFileBytesToCodePage(c.in), c.out) << c.in;
    }
}

} // namespace
} // namespace velmora
