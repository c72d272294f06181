#pragma once

#include "core/settings/IniDocument.h"
#include "core/settings/PluralRule.h"

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kDefaultLanguageFileName = "Default.lng";
inline constexpr std::string_view kLanguagesDirectoryName = "Languages";
inline constexpr std::string_view kMiscSection = "Misc";
// Facts about the language file itself rather than texts. Readers that know only the form
// sections and "Misc" pass it by.
inline constexpr std::string_view kLanguageSection = "Language";
// Entry of kLanguageSection: the language of Qt's own texts (standard buttons, file, colour and
// font dialogs), as Qt names its translations ("ru" for qtbase_ru.qm); empty for Qt's English.
inline constexpr std::string_view kQtTranslationEntry = "QtTranslation";
// Entry of kLanguageSection: how the file's counted messages pick their form, by a name
// PluralRuleNamed knows; "one-other" when missing.
inline constexpr std::string_view kPluralRuleEntry = "PluralRule";

// Language files larger than this are refused as unreadable.
inline constexpr std::uintmax_t kMaxLanguageFileBytes = 8u << 20;

// Replaces every "*|*" by CR, then every "_" by a blank: values are trimmed when read, so the
// files spell blanks and line breaks this way.
std::string DecodeLangText(std::string_view text);

// The language file as a document of code-page bytes. An empty path means Default.lng in the
// program directory; a file that does not exist gives an empty document. A file that starts
// with a UTF-8 byte-order mark is read as UTF-8 and converted; a character the code page cannot
// hold becomes "?". Throws FileError when the file exists but cannot be read.
IniDocument OpenLanguageFile(const std::filesystem::path& programDir, const std::filesystem::path& path);

// As OpenLanguageFile, but a chosen file that no longer exists gives the default document, so
// the program never ends up without its texts because a language file was deleted.
IniDocument OpenChosenLanguageFile(const std::filesystem::path& programDir, const std::filesystem::path& path);

// Converts language file bytes to code-page bytes (drops a UTF-8 byte-order mark and converts
// the UTF-8 text after it; other text is taken as code-page bytes already).
std::string LanguageFileBytesToCodePage(std::string_view bytes);

// Puts the arguments in for the "%s" markers in order. Any other "%" and any "%s" beyond the
// arguments stay as they are; arguments are never scanned for markers. Never fails.
std::string FormatMessageText(std::string_view text, std::initializer_list<std::string_view> arguments);

// The key of one form of a counted message: "<key>_<form>", e.g. "const_foreign_tags_few".
std::string CountedMessageKey(std::string_view key, PluralForm form);

// The language document in use and the lookups of message and form texts in it. Under it lies the
// English document (Default.lng of the program directory), and under that the English file built
// into the program: a text the chosen file lacks or leaves empty is taken from the English one, so
// no message is ever blank, however old or incomplete the chosen file is.
class IniLang
{
public:
    bool HasDocument() const { return m_langIni.has_value(); }
    const IniDocument* LangIni() const { return m_langIni ? &*m_langIni : nullptr; }

    // Replaces the document in use as a whole; the English document under it stays.
    void SetDocument(IniDocument document) { m_langIni = std::move(document); }

    // The chosen file (as OpenChosenLanguageFile opens it) as the document in use, and the
    // program directory's Default.lng under it; a Default.lng that cannot be read leaves the
    // built-in English texts alone under it. Throws FileError when the chosen file exists but
    // cannot be read, and then changes nothing.
    void Open(const std::filesystem::path& programDir, const std::filesystem::path& chosen);

    // One value of section "Misc", decoded: its "*|*" markers become CR LF line breaks (empty
    // leading pieces vanish, the last piece always gets its break), "_" becomes a blank. The
    // fallback when neither the document in use nor the English one holds a value.
    std::string ReadMiscText(std::string_view fallback, std::string_view entryName) const;

    // The message text of a key ("const_..."); the built-in English text when no document holds
    // it, empty only for a key the program does not know.
    std::string GetMessageText(std::string_view key) const;

    // GetMessageText with the "%s" markers filled in.
    std::string FormatMessage(std::string_view key, std::initializer_list<std::string_view> arguments) const;

    // The rule the document names for its counted messages.
    PluralRule Plurals() const;

    // A counted message: the form the count takes under the document's rule, else the form
    // "other", with its "%s" marker filled with the count.
    std::string FormatCount(std::string_view key, std::uint64_t count) const;

    // A form or component text (entry "Caption", "<name>.Caption", "<name>.Hint" or
    // "<name>.items[i]" of the form's section), decoded with line breaks as a single CR; empty
    // when neither document holds it, which means "leave the text as it is" (the form's own).
    std::string ReadFormText(std::string_view form, std::string_view entry) const;

private:
    // The first value that is not empty: in the document in use, then in the English one.
    std::optional<std::string_view> Find(std::string_view section, std::string_view entry) const;

    std::optional<IniDocument> m_langIni;
    std::optional<IniDocument> m_english;
};

} // namespace velmora
