#include "core/migrate/CsvReader.h"

#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void Refuse(std::size_t line, const std::string& problem)
{
    throw CsvError("The CSV file " + problem + " at line " + std::to_string(line) + ".");
}

void RequireUtf8(std::string_view text)
{
    std::size_t line = 1;
    for (std::size_t position = 0; position < text.size();) {
        if (text[position] == '\n') {
            ++line;
        }
        if (!DecodeUtf8Character(text, position)) {
            Refuse(line, "is not UTF-8");
        }
    }
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

void WipeRow(std::vector<std::string>& row)
{
    for (std::string& field : row) {
        Wipe(field);
    }
}

// Splits the text into rows of fields as it goes, one character at a time.
class CsvParser
{
public:
    explicit CsvParser(std::string_view text) : m_text(text) {}

    // The next row, or nothing at the end of the text; blank lines are passed over.
    std::optional<std::vector<std::string>> NextRow()
    {
        while (m_position < m_text.size() && AtLineEnd()) {
            SkipLineEnd();
        }
        if (m_position >= m_text.size()) {
            return std::nullopt;
        }
        m_rowLine = m_line;
        std::vector<std::string> row;
        try {
            for (;;) {
                row.push_back(NextField());
                if (m_position >= m_text.size()) {
                    return row;
                }
                if (AtLineEnd()) {
                    SkipLineEnd();
                    return row;
                }
                ++m_position; // the comma
            }
        } catch (...) {
            WipeRow(row);
            throw;
        }
    }

    std::size_t RowLine() const { return m_rowLine; }

private:
    bool AtLineEnd() const
    {
        return m_text[m_position] == '\n' ||
               (m_text[m_position] == '\r' && m_position + 1 < m_text.size() && m_text[m_position + 1] == '\n');
    }

    void SkipLineEnd()
    {
        m_position += m_text[m_position] == '\r' ? 2 : 1;
        ++m_line;
    }

    bool AtFieldEnd() const { return m_position >= m_text.size() || m_text[m_position] == ',' || AtLineEnd(); }

    std::string NextField()
    {
        std::string field;
        if (m_position < m_text.size() && m_text[m_position] == '"') {
            const std::size_t opened = m_line;
            ++m_position;
            for (;;) {
                if (m_position >= m_text.size()) {
                    Wipe(field);
                    Refuse(opened, "leaves a quote open that begins");
                }
                const char c = m_text[m_position++];
                if (c == '"') {
                    if (m_position < m_text.size() && m_text[m_position] == '"') {
                        field += '"';
                        ++m_position;
                        continue;
                    }
                    break;
                }
                if (c == '\n') {
                    ++m_line;
                }
                field += c;
            }
            if (!AtFieldEnd()) {
                Wipe(field);
                Refuse(m_line, "has text after a closing quote");
            }
            return field;
        }
        while (!AtFieldEnd()) {
            const char c = m_text[m_position++];
            if (c == '"') {
                Wipe(field);
                Refuse(m_line, "has a quote inside a field that does not begin with one");
            }
            field += c;
        }
        return field;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    std::size_t m_line = 1;
    std::size_t m_rowLine = 1;
};

} // namespace

CsvTable::CsvTable(std::string_view text)
{
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    RequireUtf8(text);
    CsvParser parser(text);
    std::optional<std::vector<std::string>> header = parser.NextRow();
    if (!header) {
        throw CsvError("The CSV file has no header row.");
    }
    m_header = std::move(*header);
    try {
        while (std::optional<std::vector<std::string>> row = parser.NextRow()) {
            if (row->size() != m_header.size()) {
                WipeRow(*row);
                Refuse(parser.RowLine(), "has " + std::to_string(row->size()) + " fields in place of the header's " +
                                             std::to_string(m_header.size()));
            }
            m_rows.push_back(std::move(*row));
        }
    } catch (...) {
        for (std::vector<std::string>& row : m_rows) {
            WipeRow(row);
        }
        throw;
    }
}

CsvTable::~CsvTable()
{
    for (std::vector<std::string>& row : m_rows) {
        WipeRow(row);
    }
}

std::optional<std::size_t> CsvTable::Column(std::string_view name) const
{
    const auto found = std::find_if(m_header.begin(), m_header.end(),
                                    [&](const std::string& column) { return SameIgnoringCase(column, name); });
    if (found == m_header.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - m_header.begin());
}

} // namespace velmora
