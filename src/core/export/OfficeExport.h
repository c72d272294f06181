#pragma once

#include "core/export/Automation.h"
#include "core/export/TextExport.h"

namespace velmora {

// The account, with the text export's heading, fields and settings, into a new workbook of
// "Excel.Application": the heading in A1, each folder as a bold "[name]" row from row 3 on,
// then each record's fields one per row (labels in column 1 and values in column 2, or values
// alone in column 1), an empty row after each record; then the application is made visible.
// Throws whatever the automation throws; what was written by then stays in the application.
void ExportToSpreadsheet(AutomationService& automation, const TAccount& account, const TextExportOptions& options,
                         const TextExportTexts& texts, const std::string& moment);

// The same into a new document of "Word.Application", appended paragraph by paragraph to the
// whole document's range, as the text export lays out its lines.
void ExportToDocument(AutomationService& automation, const TAccount& account, const TextExportOptions& options,
                      const TextExportTexts& texts, const std::string& moment);

} // namespace velmora
