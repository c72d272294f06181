#include "core/export/OfficeExport.h"

#include "core/vault/CodePage.h"

namespace velmora {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A member whose result the export goes on calling.
AutomationObjectPtr Member(const AutomationObjectPtr& object, std::string_view name,
                           const AutomationArguments& arguments = {})
{
    AutomationObjectPtr result = object->Invoke(name, arguments);
    if (!result) {
        throw AutomationError("The automation member \"" + std::string(name) + "\" gave no object.");
    }
    return result;
}

// Automation texts are Unicode; the account's are code page bytes.
AutomationValue Text(std::string_view bytes)
{
    return CodePageToUtf8(bytes);
}

class Spreadsheet
{
public:
    explicit Spreadsheet(AutomationObjectPtr application) : m_application(std::move(application)) {}

    void Write(std::int64_t row, std::int64_t column, std::string_view bytes)
    {
        m_application->Put("cells", {row, column}, Text(bytes));
    }

    // The cell written last is made bold the way a recorded macro does it: select it, then
    // set the font of the active cell.
    void MakeBold(const AutomationObjectPtr& cell)
    {
        cell->Invoke("select");
        Member(Member(m_application, "ActiveCell"), "Font")->Put("Bold", {}, true);
    }

    const AutomationObjectPtr& Application() const { return m_application; }

private:
    AutomationObjectPtr m_application;
};

class Document
{
public:
    explicit Document(AutomationObjectPtr application) : m_application(std::move(application)) {}

    void Append(std::string_view bytes) { Range()->Invoke("insertAfter", {Text(bytes)}); }
    void AppendLine(std::string_view bytes) { Append(std::string(bytes) + std::string(kLineEnd)); }
    void SetBold(bool bold) { Member(Range(), "font")->Put("bold", {}, bold); }

private:
    AutomationObjectPtr Range()
    {
        return Member(Member(Member(m_application, "application"), "activedocument"), "range");
    }

    AutomationObjectPtr m_application;
};

} // namespace

void ExportToSpreadsheet(AutomationService& automation, const TAccount& account, const TextExportOptions& options,
                         const TextExportTexts& texts, const std::string& moment)
{
    Spreadsheet sheet(automation.CreateObject("Excel.Application"));
    const AutomationObjectPtr& application = sheet.Application();
    Member(application, "WorkBooks")->Invoke("Add");
    if (options.Heading) {
        application->Put("range", {std::string("A1")}, Text(ExportHeading(account, texts, moment)));
        sheet.MakeBold(Member(application, "range", {std::string("A1")}));
    }
    // Wide enough for every row a worksheet has.
    std::int64_t row = 3;
    const std::int64_t valueColumn = options.FieldLabels ? 2 : 1;
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        sheet.Write(row, 1, "[" + folder.Name + "]");
        sheet.MakeBold(Member(application, "cells", {row, std::int64_t{1}}));
        ++row;
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            for (const ExportField& field : ExportedFields(folder.RecordAt(r), options, texts)) {
                if (options.FieldLabels) {
                    sheet.Write(row, 1, field.Label);
                }
                sheet.Write(row, valueColumn, field.Value);
                ++row;
            }
            ++row;
        }
    }
    application->Put("Visible", {}, true);
}

void ExportToDocument(AutomationService& automation, const TAccount& account, const TextExportOptions& options,
                      const TextExportTexts& texts, const std::string& moment)
{
    const AutomationObjectPtr application = automation.CreateObject("Word.Application");
    Member(application, "documents")->Invoke("add");
    Document document(application);
    if (options.Heading) {
        document.AppendLine(ExportHeading(account, texts, moment));
    }
    document.AppendLine("");
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        document.AppendLine("[" + folder.Name + "]");
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            for (const ExportField& field : ExportedFields(folder.RecordAt(r), options, texts)) {
                // Bold goes on and off over the whole document's range around the label, as these calls
                // always did.
                if (field.IsCaption) {
                    document.SetBold(true);
                }
                if (options.FieldLabels) {
                    document.Append(field.Label);
                }
                if (field.IsCaption) {
                    document.SetBold(false);
                }
                document.AppendLine(field.Value);
            }
            document.AppendLine("");
        }
    }
    application->Put("visible", {}, true);
}

} // namespace velmora
