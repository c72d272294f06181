#include "platform/WorksheetLayout.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

// The length in characters of each line of a UTF-8 text; CR LF, LF and a lone CR end a line.
std::vector<std::size_t> LineLengths(std::string_view text)
{
    std::vector<std::size_t> lengths{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lengths.push_back(0);
        } else if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) { // not a continuation byte
            ++lengths.back();
        }
    }
    return lengths;
}

bool IsEmpty(const std::map<Workbook::CellRef, Workbook::Cell>& cells, Workbook::CellRef ref)
{
    const auto found = cells.find(ref);
    return found == cells.end() || found->second.text.empty();
}

} // namespace

bool WorksheetLayout::Wraps(const Workbook::Cell& cell)
{
    return cell.text.find_first_of("\r\n") != std::string::npos;
}

WorksheetLayout::WorksheetLayout(const std::map<Workbook::CellRef, Workbook::Cell>& cells)
{
    for (const auto& [ref, cell] : cells) {
        const bool title = cell.bold && !Wraps(cell) && IsEmpty(cells, {ref.first, ref.second + 1});
        if (title) {
            continue;
        }
        const std::vector<std::size_t> lengths = LineLengths(cell.text);
        // One character more than the text leaves room for the cell's margins.
        const double wanted = std::min(kMaxWidth, static_cast<double>(*std::ranges::max_element(lengths)) + 1);
        if (wanted > kDefaultWidth) {
            double& width = m_widths[ref.second];
            width = std::max(width, wanted);
        }
    }
    for (const auto& [ref, cell] : cells) {
        if (!Wraps(cell)) {
            continue;
        }
        const auto column = m_widths.find(ref.second);
        const double perLine = (column == m_widths.end() ? kDefaultWidth : column->second) - 1;
        double lines = 0;
        for (const std::size_t length : LineLengths(cell.text)) { // a line longer than the column wraps too
            lines += std::max(1.0, std::ceil(static_cast<double>(length) / perLine));
        }
        double& height = m_heights[ref.first];
        height = std::max(height, std::min(kMaxHeight, lines * kLineHeight));
    }
}

} // namespace velmora
