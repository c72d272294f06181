#pragma once

#include "platform/AutomationWorkbook.h"

#include <cstdint>
#include <map>

namespace velmora {

// How a written worksheet shows its texts: a cell with line breaks wraps and its row grows to
// hold its lines; a column is as wide as its longest line, up to a cap, so labels and values keep
// apart. Titles (bold cells of one line with nothing to their right: the heading, the folder rows)
// run on into the empty cells beside them and leave their column's width alone.
class WorksheetLayout
{
public:
    // In the spreadsheet's units: characters of the standard font, and points.
    static constexpr double kDefaultWidth = 8.43;
    static constexpr double kMaxWidth = 60;
    static constexpr double kLineHeight = 15;
    static constexpr double kMaxHeight = 409; // the tallest row a sheet can have

    explicit WorksheetLayout(const std::map<Workbook::CellRef, Workbook::Cell>& cells);

    static bool Wraps(const Workbook::Cell& cell);

    // Only the columns wider than the default and the rows taller than one line.
    const std::map<std::int64_t, double>& ColumnWidths() const { return m_widths; }
    const std::map<std::int64_t, double>& RowHeights() const { return m_heights; }

private:
    std::map<std::int64_t, double> m_widths;
    std::map<std::int64_t, double> m_heights;
};

} // namespace velmora
