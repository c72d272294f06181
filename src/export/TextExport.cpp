#include "export/TextExport.h"

#include <array>

namespace velmora {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

void AppendLine(std::string& out, std::string_view text)
{
    out += text;
    out += kLineEnd;
}

} // namespace

std::string TextExport(const TAccount& account, const TextExportOptions& options, const TextExportTexts& texts,
                       const std::string& moment)
{
    std::string out;
    if (options.Heading) {
        AppendLine(out, texts.Account + account.Name + texts.Date + moment);
    }
    AppendLine(out, "");
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        AppendLine(out, "[" + folder.Name + "]");
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            const TRecType& record = folder.RecordAt(r);
            const std::array<std::pair<std::string_view, const std::string*>, 5> fields = {{
                {texts.Caption, &record.Name},
                {kUrlLabel, &record.URL},
                {texts.Login, &record.Login},
                {texts.Password, &record.Password},
                {texts.Notes, &record.Notes},
            }};
            for (const auto& [label, value] : fields) {
                if (options.SkipEmpty && value->empty()) {
                    continue;
                }
                if (options.FieldLabels) {
                    out += label;
                }
                AppendLine(out, *value);
            }
            AppendLine(out, "");
        }
    }
    return out;
}

std::string ExportMoment(const std::tm& local)
{
    std::array<char, 128> text{};
    const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
    const std::size_t size = std::strftime(text.data(), text.size(), midnight ? "%x" : "%x %X", &local);
    return std::string(text.data(), size);
}

} // namespace velmora
