#include "core/settings/IniLang.h"

#include "core/os/AtomicFile.h"
#include "core/settings/MessageKeys.h"
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
    EXPECT_EQ(lang.ReadMiscText("fallback", "const_missing:string"), "fallback");
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

// A text the chosen file lacks or leaves empty comes from the English document under it.
TEST_F(LanguageFiles, TextsTheChosenFileLacksComeFromDefaultLng)
{
    WriteFile(m_dir / "Chosen.lng", "[Misc]\nconst_a:string=chosen\nconst_e:string=\n"
                                    "[frmMain]\nlabA.Caption=chosen\nlabE.Caption=\n");
    WriteFile(m_dir / "Default.lng", "[Misc]\nconst_a:string=english\nconst_b:string=only*|*english\n"
                                     "const_e:string=english\n"
                                     "[frmMain]\nlabA.Caption=english\nlabB.Caption=only*|*english\n"
                                     "labE.Caption=english\n");
    IniLang lang;
    lang.Open(m_dir.Path(), m_dir / "Chosen.lng");
    EXPECT_EQ(lang.GetMessageText("const_a"), "chosen");
    EXPECT_EQ(lang.GetMessageText("const_b"), "only\r\nenglish");
    EXPECT_EQ(lang.GetMessageText("const_e"), "english");
    EXPECT_EQ(lang.ReadFormText("frmMain", "labA.Caption"), "chosen");
    EXPECT_EQ(lang.ReadFormText("frmMain", "labB.Caption"), "only\renglish");
    EXPECT_EQ(lang.ReadFormText("frmMain", "labE.Caption"), "english");
    EXPECT_EQ(lang.ReadFormText("frmMain", "labC.Caption"), "");         // the form keeps its own
    EXPECT_EQ(lang.LangIni()->ReadString("Misc", "const_b:string"), ""); // the document itself is as read
}

// The first keys of the message list, as a language file written before any later key has them.
constexpr std::string_view kOldFile = "[Misc]\n"
                                      "const_mod:string=Modifiziert\n"
                                      "const_folders:string=Ordner:_\n"
                                      "const_records:string=Eintraege:_\n"
                                      "const_err_save:string=Fehler_beim_Speichern_der_Datei.\n"
                                      "const_forgot_folder:string=Bitte_einen_Ordner_waehlen.\n"
                                      "const_forgot_record:string=Bitte_einen_Eintrag_waehlen.\n"
                                      "const_do_save:string=Aenderungen_speichern?\n"
                                      "const_err_user:string=Fehler_beim_Kontowechsel.\n"
                                      "const_exp_text:string=Export_in_eine_Textdatei\n"
                                      "const_exp_txt_filter:string=Textdateien|*.txt\n"
                                      "const_overwrite:string=Die_Datei_existiert._Ueberschreiben?\n";

// Where the English text of a later key comes from when the chosen file is older than the key.
struct OlderFileCase
{
    enum class Default
    {
        Missing,
        Written, // with `defaultText`
        Unreadable
    };
    const char* name;
    Default defaultFile;
    std::string defaultText;
    std::string fileChanged; // the expected text of const_file_changed
};

void PrintTo(const OlderFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class OlderLanguageFile : public LanguageFiles, public testing::WithParamInterface<OlderFileCase>
{};

TEST_P(OlderLanguageFile, TakesWhatItLacksFromTheEnglishTexts)
{
    const OlderFileCase& c = GetParam();
    if (c.defaultFile == OlderFileCase::Default::Written) {
        WriteFile(m_dir / "Default.lng", c.defaultText);
    } else if (c.defaultFile == OlderFileCase::Default::Unreadable) {
        std::filesystem::create_directory(m_dir / "Default.lng");
    }
    WriteFile(m_dir / "Old.lng", kOldFile);
    IniLang lang;
    lang.Open(m_dir.Path(), m_dir / "Old.lng");
    EXPECT_EQ(lang.GetMessageText("const_err_save"), "Fehler beim Speichern der Datei.");
    EXPECT_EQ(lang.GetMessageText("const_file_changed"), c.fileChanged);
    EXPECT_EQ(lang.FormatMessage("const_file_failed", {"Home.vmk", "No space left on device"}),
              "The file \"Home.vmk\" could not be read or written: No space left on device");
    for (const MessageKey& message : kMessageKeys) {
        EXPECT_NE(lang.GetMessageText(message.key).find_first_not_of(" \r\n"), std::string::npos) << message.key;
    }
}

const std::string kShippedFileChanged = "Another program saved this account after it was opened here. Overwrite "
                                        "those changes with what is shown here?";

using Default = OlderFileCase::Default;
INSTANTIATE_TEST_SUITE_P(
    Table, OlderLanguageFile,
    testing::Values(OlderFileCase{"no Default.lng", Default::Missing, "", kShippedFileChanged},
                    OlderFileCase{"an old Default.lng", Default::Written,
                                  "[Misc]\nconst_err_save:string=Error saving the file.\n", kShippedFileChanged},
                    OlderFileCase{"an edited Default.lng", Default::Written,
                                  "[Misc]\nconst_file_changed:string=Edited_question?\n", "Edited question?"},
                    OlderFileCase{"a Default.lng that cannot be read", Default::Unreadable, "", kShippedFileChanged}));

TEST_F(LanguageFiles, OpenThatFailsKeepsTheDocumentsInUse)
{
    WriteFile(m_dir / "Default.lng", "[Misc]\nconst_a:string=english\n");
    WriteFile(m_dir / "Other.lng", "[Misc]\nconst_b:string=other\n");
    IniLang lang;
    lang.Open(m_dir.Path(), m_dir / "Other.lng");
    std::filesystem::create_directory(m_dir / "Dir.lng");
    EXPECT_THROW(lang.Open(m_dir.Path(), m_dir / "Dir.lng"), FileError);
    EXPECT_EQ(lang.ReadMiscText({}, "const_a:string"), "english");
    EXPECT_EQ(lang.ReadMiscText({}, "const_b:string"), "other");
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
