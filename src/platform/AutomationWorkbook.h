#pragma once

#include "core/export/Automation.h"
#include "platform/AutomationFiles.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

namespace velmora {

// One worksheet of text cells, some of them bold: what the built-in "Excel.Application" fills.
class Workbook
{
public:
    // 1-based, as the automation numbers rows and columns.
    using CellRef = std::pair<std::int64_t, std::int64_t>;
    struct Cell
    {
        std::string text; // UTF-8
        bool bold = false;
    };

    // A worksheet's size; cells outside it raise AutomationError.
    static constexpr std::int64_t kRows = 1'048'576;
    static constexpr std::int64_t kColumns = 16'384;

    // A cell by its row and column, or by its name ("A1", "ab12"); AutomationError outside the sheet.
    static CellRef Ref(std::int64_t row, std::int64_t column);
    static CellRef Ref(std::string_view name);

    void SetText(CellRef cell, std::string text) { m_cells[cell].text = std::move(text); }
    void Select(CellRef cell) { m_active = cell; }
    CellRef Active() const { return m_active; }
    void SetBold(CellRef cell, bool bold) { m_cells[cell].bold = bold; }
    const std::map<CellRef, Cell>& Cells() const { return m_cells; }

    // Writes the sheet as an .xlsx file, every cell as text (nothing turns into a formula or a
    // number), laid out as WorksheetLayout says. Throws AutomationError.
    void WriteXlsx(const std::filesystem::path& file, const std::filesystem::path& workDirectory) const;

private:
    std::map<CellRef, Cell> m_cells;
    CellRef m_active{1, 1};
};

// The built-in "Excel.Application": WorkBooks.Add, range(name) and cells(row, column) (read, to
// select them, or written with a text), ActiveCell.Font.Bold, and Visible, which writes the
// active workbook into `files` and opens it.
AutomationObjectPtr NewSpreadsheetApplication(AutomationFiles& files);

} // namespace velmora
