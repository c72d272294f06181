#include "platform/AutomationWorkbook.h"

#include "core/export/AutomationMembers.h"
#include "platform/WorksheetLayout.h"

#include <memory>
#include <vector>
#include <xlsxwriter.h>

namespace velmora {
namespace {

[[noreturn]] void WriteFailed(const std::filesystem::path& file, lxw_error error)
{
    throw AutomationError("Cannot write \"" + file.string() + "\": " + lxw_strerror(error));
}

// A cell, or the range of one cell: it can be selected and has a font.
AutomationObjectPtr CellObject(const std::shared_ptr<Workbook>& book, Workbook::CellRef cell)
{
    auto font = std::make_shared<MemberTable>();
    font->Set("Bold", [book, cell](const AutomationArguments&, const AutomationValue& value) {
        book->SetBold(cell, BoolValue(value));
    });
    auto range = std::make_shared<MemberTable>();
    range->Get("select", [book, cell](const AutomationArguments&) {
        book->Select(cell);
        return AutomationObjectPtr();
    });
    range->Get("Font", [font](const AutomationArguments&) { return font; });
    return range;
}

class SpreadsheetApplication
{
public:
    explicit SpreadsheetApplication(AutomationFiles& files) : m_files(files) {}

    AutomationObjectPtr Build(const std::shared_ptr<SpreadsheetApplication>& self)
    {
        auto workbooks = std::make_shared<MemberTable>();
        workbooks->Get("Add", [self](const AutomationArguments&) {
            self->m_books.push_back(std::make_shared<Workbook>());
            return std::make_shared<MemberTable>();
        });
        auto application = std::make_shared<MemberTable>();
        application->Get("WorkBooks", [workbooks](const AutomationArguments&) { return workbooks; })
            .Get("range",
                 [self](const AutomationArguments& a) {
                     return CellObject(self->ActiveBook(), Workbook::Ref(TextArgument(a, 0)));
                 })
            .Set("range",
                 [self](const AutomationArguments& a, const AutomationValue& value) {
                     self->ActiveBook()->SetText(Workbook::Ref(TextArgument(a, 0)), TextValue(value));
                 })
            .Get("cells",
                 [self](const AutomationArguments& a) {
                     return CellObject(self->ActiveBook(), Workbook::Ref(IntegerArgument(a, 0), IntegerArgument(a, 1)));
                 })
            .Set("cells",
                 [self](const AutomationArguments& a, const AutomationValue& value) {
                     self->ActiveBook()->SetText(Workbook::Ref(IntegerArgument(a, 0), IntegerArgument(a, 1)),
                                                 TextValue(value));
                 })
            .Get("ActiveCell",
                 [self](const AutomationArguments&) {
                     const std::shared_ptr<Workbook> book = self->ActiveBook();
                     return CellObject(book, book->Active());
                 })
            .Set("Visible", [self](const AutomationArguments&, const AutomationValue& value) {
                if (BoolValue(value)) {
                    self->Show();
                }
            });
        return application;
    }

private:
    std::shared_ptr<Workbook> ActiveBook() const
    {
        if (m_books.empty()) {
            throw AutomationError("There is no open workbook.");
        }
        return m_books.back();
    }

    // An application without a workbook shows nothing to write.
    void Show() const
    {
        if (m_books.empty()) {
            return;
        }
        const std::filesystem::path file = m_files.NewFile("Book", "xlsx");
        m_books.back()->WriteXlsx(file, file.parent_path());
        m_files.Open(file);
    }

    AutomationFiles& m_files;
    std::vector<std::shared_ptr<Workbook>> m_books;
};

} // namespace

Workbook::CellRef Workbook::Ref(std::int64_t row, std::int64_t column)
{
    if (row < 1 || row > kRows || column < 1 || column > kColumns) {
        throw AutomationError("Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                              ") is outside the worksheet.");
    }
    return {row, column};
}

Workbook::CellRef Workbook::Ref(std::string_view name)
{
    std::int64_t column = 0;
    std::size_t i = 0;
    for (; i < name.size() && column <= kColumns; ++i) {
        const char c = static_cast<char>(name[i] | 0x20); // letters in either case
        if (c < 'a' || c > 'z') {
            break;
        }
        column = column * 26 + (c - 'a' + 1);
    }
    std::int64_t row = 0;
    const std::size_t digits = i;
    for (; i < name.size() && row <= kRows; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            throw AutomationError("\"" + std::string(name) + "\" is not a cell name.");
        }
        row = row * 10 + (name[i] - '0');
    }
    if (digits == 0 || digits == name.size() || i != name.size()) {
        throw AutomationError("\"" + std::string(name) + "\" is not a cell name.");
    }
    return Ref(row, column);
}

void Workbook::WriteXlsx(const std::filesystem::path& file, const std::filesystem::path& workDirectory) const
{
    std::string temporary = workDirectory.string();
    lxw_workbook_options options{};
    options.tmpdir = temporary.data();
    lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
    if (book == nullptr) {
        throw AutomationError("Cannot create \"" + file.string() + "\".");
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    // By [bold][wraps]. The cells hold text, whatever it looks like, from their top, so a label
    // stands beside the first line of a value of several lines.
    lxw_format* formats[2][2] = {};
    for (const bool bold : {false, true}) {
        for (const bool wraps : {false, true}) {
            lxw_format* format = workbook_add_format(book);
            format_set_num_format(format, "@");
            format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
            if (bold) {
                format_set_bold(format);
            }
            if (wraps) {
                format_set_text_wrap(format);
            }
            formats[bold][wraps] = format;
        }
    }
    const WorksheetLayout layout(m_cells);
    lxw_error error = sheet == nullptr ? LXW_ERROR_MEMORY_MALLOC_FAILED : LXW_NO_ERROR;
    for (auto cell = m_cells.begin(); cell != m_cells.end() && error == LXW_NO_ERROR; ++cell) {
        const auto row = static_cast<lxw_row_t>(cell->first.first - 1);
        const auto column = static_cast<lxw_col_t>(cell->first.second - 1);
        error = worksheet_write_string(sheet, row, column, cell->second.text.c_str(),
                                       formats[cell->second.bold][WorksheetLayout::Wraps(cell->second)]);
    }
    for (auto width = layout.ColumnWidths().begin(); width != layout.ColumnWidths().end() && error == LXW_NO_ERROR;
         ++width) {
        const auto column = static_cast<lxw_col_t>(width->first - 1);
        error = worksheet_set_column(sheet, column, column, width->second, nullptr);
    }
    for (auto height = layout.RowHeights().begin(); height != layout.RowHeights().end() && error == LXW_NO_ERROR;
         ++height) {
        error = worksheet_set_row(sheet, static_cast<lxw_row_t>(height->first - 1), height->second, nullptr);
    }
    const lxw_error closed = workbook_close(book);
    if (error != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
        WriteFailed(file, error != LXW_NO_ERROR ? error : closed);
    }
}

AutomationObjectPtr NewSpreadsheetApplication(AutomationFiles& files)
{
    auto application = std::make_shared<SpreadsheetApplication>(files);
    return application->Build(application);
}

} // namespace velmora
