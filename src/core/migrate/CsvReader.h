#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A CSV file that cannot be read: the message names the line, never a value.
class CsvError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A CSV file read whole: its header row and the rows under it, every field as UTF-8.
class CsvTable
{
public:
    // RFC 4180: fields separated by commas, rows by CR LF or LF, a quoted field may hold commas,
    // line breaks and doubled quotes. The file is UTF-8, with or without a byte order mark; blank
    // lines are skipped. Throws CsvError for text that is no UTF-8, a quote left open, text after
    // a closing quote, a quote inside an unquoted field, no header row, or a row whose field count
    // differs from the header's.
    explicit CsvTable(std::string_view text);
    ~CsvTable();
    CsvTable(const CsvTable&) = delete;
    CsvTable& operator=(const CsvTable&) = delete;

    const std::vector<std::string>& Header() const { return m_header; }
    std::size_t RowCount() const { return m_rows.size(); }
    const std::vector<std::string>& Row(std::size_t index) const { return m_rows.at(index); }

    // The first column whose name matches, letter case aside (ASCII letters).
    std::optional<std::size_t> Column(std::string_view name) const;

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows; // wiped when the table goes: they hold passwords
};

} // namespace velmora
