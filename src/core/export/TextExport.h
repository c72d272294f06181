#pragma once

#include "core/export/ExportBuffer.h"
#include "core/settings/IniLang.h"
#include "core/vault/Account.h"

#include <ctime>
#include <string>
#include <vector>

namespace velmora {

// The three account settings that shape the text export.
struct TextExportOptions
{
    bool Heading = true;     // a first line with the account name and the moment of the export
    bool FieldLabels = true; // each value preceded by its label
    bool SkipEmpty = true;   // empty fields left out
};

// Texts from the language file in use, as code page bytes.
struct TextExportTexts
{
    std::string Account; // heading, before the account name
    std::string Date;    // heading, before the moment
    std::string Caption; // label of the display name
    std::string Login;
    std::string Password;
    std::string Notes;
};

// The export's texts from the language in use.
TextExportTexts ExportTexts(const IniLang& lang);

// The URL label is the same in every language.
inline constexpr std::string_view kUrlLabel = "URL: ";

// One exported field of a record: its label (empty when labels are off) and its value.
struct ExportField
{
    bool IsCaption = false; // the display name
    std::string_view Label;
    std::string_view Value;
};

// The fields a record exports, in their order (display name, URL, login, password, notes), with
// the empty ones left out when the options say so. The ID number is never exported.
std::vector<ExportField> ExportedFields(const TRecType& record, const TextExportOptions& options,
                                        const TextExportTexts& texts);

// The heading line's text, without a line end.
std::string ExportHeading(const TAccount& account, const TextExportTexts& texts, const std::string& moment);

// The whole account as plain text with CR LF lines: the optional heading, an empty line, then
// each folder as "[name]" followed by its records (display name, URL, login, password, notes;
// never the ID number), each record ended by an empty line. `moment` is the heading's date text.
std::string TextExport(const TAccount& account, const TextExportOptions& options, const TextExportTexts& texts,
                       const std::string& moment);

// The same text with every byte as `encoding` gives it, written to `out` as it is made.
void WriteTextExport(const TAccount& account, const TextExportOptions& options, const TextExportTexts& texts,
                     const std::string& moment, const CodePageTable& encoding, ExportBuffer& out);

// The date in the locale's short form and, unless it is exactly midnight, a blank and the time in
// the locale's long form (the C library's current locale).
std::string ExportMoment(const std::tm& local);

// ExportMoment of the current local time, as code page bytes; where the locale's date holds a
// character the code page lacks, the ISO form instead.
std::string CurrentExportMoment();

} // namespace velmora
