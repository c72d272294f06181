#include "core/export/TextExport.h"

#include "core/os/LocalTime.h"
#include "core/vault/CodePage.h"

#include <array>

namespace velmora {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The texts are code page bytes; the line ends are the same in every encoding.
void WriteLine(ExportBuffer& out, const CodePageTable& encoding, std::string_view text)
{
    out.Append(text, encoding);
    out.Append(kLineEnd);
}

} // namespace

TextExportTexts ExportTexts(const IniLang& lang)
{
    return {lang.GetMessageText("const_acc"),      lang.GetMessageText("const_date"),
            lang.GetMessageText("const_caption"),  lang.GetMessageText("const_login"),
            lang.GetMessageText("const_password"), lang.GetMessageText("const_notes")};
}

std::vector<ExportField> ExportedFields(const TRecType& record, const TextExportOptions& options,
                                        const TextExportTexts& texts)
{
    const std::array<ExportField, 5> all = {{
        {true, texts.Caption, record.Name()},
        {false, kUrlLabel, record.URL()},
        {false, texts.Login, record.Login()},
        {false, texts.Password, record.Password()},
        {false, texts.Notes, record.Notes()},
    }};
    std::vector<ExportField> fields;
    for (ExportField field : all) {
        if (options.SkipEmpty && field.Value.empty()) {
            continue;
        }
        if (!options.FieldLabels) {
            field.Label = {};
        }
        fields.push_back(field);
    }
    return fields;
}

std::string ExportHeading(const TAccount& account, const TextExportTexts& texts, const std::string& moment)
{
    return texts.Account + account.Name + texts.Date + moment;
}

std::string TextExport(const TAccount& account, const TextExportOptions& options, const TextExportTexts& texts,
                       const std::string& moment)
{
    std::string text;
    const PieceWriter collect = [&text](std::string_view piece) { text += piece; };
    ExportBuffer out(collect);
    WriteTextExport(account, options, texts, moment, CodePageBytes(), out);
    out.Flush();
    return text;
}

void WriteTextExport(const TAccount& account, const TextExportOptions& options, const TextExportTexts& texts,
                     const std::string& moment, const CodePageTable& encoding, ExportBuffer& out)
{
    if (options.Heading) {
        WriteLine(out, encoding, ExportHeading(account, texts, moment));
    }
    out.Append(kLineEnd);
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        out.Append("[");
        out.Append(folder.Name, encoding);
        WriteLine(out, encoding, "]");
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            for (const ExportField& field : ExportedFields(folder.RecordAt(r), options, texts)) {
                out.Append(field.Label, encoding);
                WriteLine(out, encoding, field.Value);
            }
            out.Append(kLineEnd);
        }
    }
}

std::string ExportMoment(const std::tm& local)
{
    std::array<char, 128> text{};
    const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
    const std::size_t size = std::strftime(text.data(), text.size(), midnight ? "%x" : "%x %X", &local);
    return std::string(text.data(), size);
}

std::string CurrentExportMoment()
{
    const std::tm local = LocalTime(std::time(nullptr));
    // The locale's date may use characters the code page lacks; the ISO form never does.
    CodePageText moment = Utf8ToCodePage(ExportMoment(local));
    if (!moment.unmappable) {
        return std::move(moment.bytes);
    }
    std::array<char, 32> iso{};
    return std::string(iso.data(), std::strftime(iso.data(), iso.size(), "%Y-%m-%d %H:%M:%S", &local));
}

} // namespace velmora
