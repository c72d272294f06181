#include "core/os/AtomicFile.h"
#include "core/settings/IniLang.h"
#include "core/settings/MessageKeys.h"
#include "core/settings/ShippedEnglish.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// The language files as the build puts them beside the executables.
const std::filesystem::path kProgramDir = VELMORA_RUNTIME_DIR;
const std::filesystem::path kRussian = kProgramDir / "Languages" / "Russian.lng";

constexpr std::string_view kForms[] = {"frmAbout",   "frmAccountSet", "frmFolder", "frmMain", "frmOptions",
                                       "frmPassGen", "frmRecord",     "frmTray",   "frmUser", "frmFind"};

std::size_t CountMarkers(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("%s"); at != std::string_view::npos; at = text.find("%s", at + 2)) {
        ++count;
    }
    return count;
}

// An entry of a counted message's form: each language has forms of its own.
bool IsCountedForm(std::string_view entry)
{
    return std::any_of(kCountedMessageKeys.begin(), kCountedMessageKeys.end(), [&](std::string_view key) {
        return entry.starts_with(key) && entry.size() > key.size() && entry[key.size()] == '_';
    });
}

std::vector<std::string> EntriesBesidesCountedForms(const IniDocument& document, std::string_view section)
{
    std::vector<std::string> names = document.EntryNames(section);
    std::erase_if(names, [](const std::string& name) { return IsCountedForm(name); });
    return names;
}

class ShippedLanguageFile : public testing::TestWithParam<std::filesystem::path>
{};

TEST_P(ShippedLanguageFile, DefinesEveryMessageWithItsValues)
{
    ASSERT_TRUE(std::filesystem::exists(kProgramDir / GetParam()));
    const IniDocument document = OpenLanguageFile(kProgramDir, kProgramDir / GetParam());
    IniLang lang;
    lang.SetDocument(document);
    for (const MessageKey& message : kMessageKeys) {
        SCOPED_TRACE(message.key);
        // The file's own text, not the English one that stands in for a missing text.
        EXPECT_TRUE(document.Find(kMiscSection, std::string(message.key) + ":string"));
        const std::string text = lang.GetMessageText(message.key);
        EXPECT_NE(text.find_first_not_of(' '), std::string::npos);
        EXPECT_EQ(CountMarkers(text), static_cast<std::size_t>(message.arguments));
        EXPECT_EQ(text.find("\r"), std::string::npos); // no message is meant to break lines
    }
    for (const std::string_view key : kCountedMessageKeys) {
        for (const PluralForm form : PluralFormsOf(lang.Plurals())) {
            SCOPED_TRACE(CountedMessageKey(key, form));
            const std::string text = lang.GetMessageText(CountedMessageKey(key, form));
            EXPECT_NE(text.find_first_not_of(' '), std::string::npos);
            EXPECT_EQ(CountMarkers(text), 1u);
            EXPECT_EQ(text.find("\r"), std::string::npos);
        }
    }
}

TEST_P(ShippedLanguageFile, TranslatesEveryForm)
{
    const IniDocument document = OpenLanguageFile(kProgramDir, kProgramDir / GetParam());
    for (const std::string_view form : kForms) {
        EXPECT_FALSE(document.EntryNames(form).empty()) << form;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguageFile,
                         testing::Values(std::filesystem::path("Default.lng"),
                                         std::filesystem::path("Languages/Russian.lng")));

TEST(ShippedLanguageFiles, BothGiveTheSameEntriesAndBlanksAtTheEnds)
{
    const IniDocument english = OpenLanguageFile(kProgramDir, {});
    const IniDocument russian = OpenLanguageFile(kProgramDir, kRussian);
    std::vector<std::string_view> sections(std::begin(kForms), std::end(kForms));
    sections.push_back(kMiscSection);
    for (const std::string_view section : sections) {
        const std::vector<std::string> names = EntriesBesidesCountedForms(english, section);
        EXPECT_EQ(EntriesBesidesCountedForms(russian, section), names) << section;
        for (const std::string& name : names) {
            SCOPED_TRACE(std::string(section) + "/" + name);
            const std::string en = DecodeLangText(english.ReadString(section, name));
            const std::string ru = DecodeLangText(russian.ReadString(section, name));
            ASSERT_FALSE(en.empty());
            ASSERT_FALSE(ru.empty());
            EXPECT_EQ(en.front() == ' ', ru.front() == ' ');
            EXPECT_EQ(en.back() == ' ', ru.back() == ' ');
            EXPECT_TRUE(std::all_of(en.begin(), en.end(), [](char c) { return c >= 0x20 && c < 0x7F; }));
        }
    }
}

// The English texts built into the program are those of the file that ships beside it.
TEST(ShippedLanguageFiles, TheBuiltInEnglishIsTheShippedDefaultFile)
{
    EXPECT_EQ(ShippedEnglishLanguageFile(), ReadWholeFile(kProgramDir / "Default.lng"));
}

// Qt's own buttons and dialogs follow the interface language: English needs no translation,
// Russian names Qt's.
TEST(ShippedLanguageFiles, NameQtsTranslationOfTheirLanguage)
{
    const IniDocument english = OpenLanguageFile(kProgramDir, {});
    const IniDocument russian = OpenLanguageFile(kProgramDir, kRussian);
    EXPECT_EQ(english.Find(kLanguageSection, kQtTranslationEntry), std::optional<std::string_view>(""));
    EXPECT_EQ(russian.Find(kLanguageSection, kQtTranslationEntry), std::optional<std::string_view>("ru"));
}

TEST(ShippedLanguageFiles, RussianIsInTheCodePage)
{
    IniLang lang;
    lang.SetDocument(OpenLanguageFile(kProgramDir, kRussian));
    // "      Дата: " and "Папки" in Windows-1251.
    EXPECT_EQ(lang.GetMessageText("const_date"), "      \xC4\xE0\xF2\xE0: ");
    EXPECT_EQ(lang.GetMessageText("const_folders_cap"), "\xCF\xE0\xEF\xEA\xE8");
    EXPECT_EQ(lang.ReadFormText("frmMain", "mMisc.Caption"), " &\xD0\xE0\xE7\xED\xEE\xE5"); // " &Разное"
}

TEST(ShippedLanguageFiles, CountWithTheirLanguagesPluralForms)
{
    IniLang english;
    english.SetDocument(OpenLanguageFile(kProgramDir, {}));
    EXPECT_EQ(english.FormatCount("const_foreign_attachments", 1), "1 attachment");
    EXPECT_EQ(english.FormatCount("const_foreign_attachments", 2), "2 attachments");
    IniLang russian;
    russian.SetDocument(OpenLanguageFile(kProgramDir, kRussian));
    const std::string attachment = "\xE2\xEB\xEE\xE6\xE5\xED\xE8"; // "вложени" in Windows-1251
    EXPECT_EQ(russian.FormatCount("const_foreign_attachments", 1), "1 " + attachment + "\xE5");   // вложение
    EXPECT_EQ(russian.FormatCount("const_foreign_attachments", 2), "2 " + attachment + "\xFF");   // вложения
    EXPECT_EQ(russian.FormatCount("const_foreign_attachments", 5), "5 " + attachment + "\xE9");   // вложений
    EXPECT_EQ(russian.FormatCount("const_foreign_attachments", 21), "21 " + attachment + "\xE5"); // вложение
    EXPECT_EQ(russian.FormatCount("const_foreign_attachments", 11), "11 " + attachment + "\xE9"); // вложений
}

} // namespace
} // namespace velmora
