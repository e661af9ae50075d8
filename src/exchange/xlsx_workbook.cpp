#include "exchange/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>

#include "console/codepage.h"
#include "project/replace_file.h"

namespace nivex::exchange {
namespace {


// The budget columns: description, unit, quantity, unit price, value.
constexpr lxw_col_t kText = 0, kUnit = 1, kQuantity = 2, kPrice = 3, kValue = 4;

// Every call's result is kept: the first failure decides the write.
struct Sheet {
    lxw_worksheet* ws = nullptr;
    lxw_error status = LXW_NO_ERROR;

    void keep(lxw_error e) {
        if (status == LXW_NO_ERROR) status = e;
    }
    void text(lxw_row_t r, lxw_col_t c, const std::string& s, lxw_format* f = nullptr) {
        keep(worksheet_write_string(ws, r, c, s.c_str(), f));
    }
    void number(lxw_row_t r, lxw_col_t c, double v, lxw_format* f = nullptr) {
        keep(worksheet_write_number(ws, r, c, v, f));
    }
    void formula(lxw_row_t r, lxw_col_t c, const std::string& s, double cached, lxw_format* f) {
        keep(worksheet_write_formula_num(ws, r, c, s.c_str(), f, cached));
    }
    void width(lxw_col_t c, double w, lxw_format* f = nullptr) {
        keep(worksheet_set_column(ws, c, c, w, f));
    }
};

struct Formats {
    lxw_format* header = nullptr;
    lxw_format* heading = nullptr;
    lxw_format* group = nullptr;
    lxw_format* quantity = nullptr;
    lxw_format* money = nullptr;
    lxw_format* subtotal = nullptr;
    lxw_format* total = nullptr;
    lxw_format* decimals[5] = {};  // "0" .. "0.0000"
};

Formats MakeFormats(lxw_workbook* wb) {
    Formats f;
    f.header = workbook_add_format(wb);
    format_set_bold(f.header);
    format_set_bottom(f.header, LXW_BORDER_THIN);
    f.heading = workbook_add_format(wb);
    format_set_bold(f.heading);
    f.group = workbook_add_format(wb);
    format_set_italic(f.group);
    f.quantity = workbook_add_format(wb);
    format_set_num_format(f.quantity, "#,##0.00");
    f.money = workbook_add_format(wb);
    format_set_num_format(f.money, "#,##0.00");
    f.subtotal = workbook_add_format(wb);
    format_set_num_format(f.subtotal, "#,##0.00");
    format_set_bold(f.subtotal);
    format_set_top(f.subtotal, LXW_BORDER_THIN);
    f.total = workbook_add_format(wb);
    format_set_num_format(f.total, "#,##0.00");
    format_set_bold(f.total);
    format_set_top(f.total, LXW_BORDER_DOUBLE);
    const char* pictures[5] = {"0", "0.0", "0.00", "0.000", "0.0000"};
    for (int k = 0; k < 5; ++k) {
        f.decimals[k] = workbook_add_format(wb);
        format_set_num_format(f.decimals[k], pictures[k]);
    }
    return f;
}

// "E12" for row 11 (from 0) of a column up to Z.
std::string CellName(lxw_col_t column, lxw_row_t row) {
    return std::string(1, static_cast<char>('A' + column)) + std::to_string(row + 1);
}

// The double of the text the CSV prints for a float: the cell reads as the listing's number.
double AsPrinted(float v) {
    const std::string text = design::ShortestText(v);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

void WriteDesign(lxw_workbook* wb, const Formats& f, const WorkbookContent& c, Sheet& s) {
    s.ws = workbook_add_worksheet(wb, kDesignSheet);
    if (!s.ws) return s.keep(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const std::vector<design::DesignColumn>& columns = design::DesignColumns();
    std::vector<lxw_format*> formats;
    for (size_t k = 0; k < columns.size(); ++k) {
        const design::DesignColumn& col = columns[k];
        const auto at = static_cast<lxw_col_t>(k);
        s.text(0, at, col.caption, f.header);
        const double chars = static_cast<double>(std::string_view(col.caption).size());
        const bool text = col.kind == design::ColumnKind::Text;
        formats.push_back(text ? nullptr : f.decimals[std::clamp(col.decimals, 0, 4)]);
        s.width(at, std::max(text ? 8.0 : 7.0, chars + 2), formats.back());
    }
    lxw_row_t row = 1;
    for (const std::vector<design::DesignCell>& cells : c.design) {
        for (size_t k = 0; k < cells.size() && k < columns.size(); ++k) {
            const auto at = static_cast<lxw_col_t>(k);
            switch (columns[k].kind) {
                case design::ColumnKind::Text:
                    s.text(row, at, toUtf8(cells[k].text));
                    break;
                case design::ColumnKind::Integer:
                    s.number(row, at, cells[k].integer, formats[k]);
                    break;
                case design::ColumnKind::Real:
                    s.number(row, at, AsPrinted(cells[k].real), formats[k]);
                    break;
            }
        }
        ++row;
    }
    worksheet_freeze_panes(s.ws, 1, 3);
    s.keep(worksheet_autofilter(s.ws, 0, 0, row - 1, static_cast<lxw_col_t>(columns.size() - 1)));
}

void WriteQuantities(lxw_workbook* wb, const Formats& f, const QuantitySheet& q, Sheet& s) {
    s.ws = workbook_add_worksheet(wb, kQuantitySheet);
    if (!s.ws) return s.keep(LXW_ERROR_MEMORY_MALLOC_FAILED);
    s.text(0, 0, "Item", f.header);
    s.text(0, 1, "Unidad", f.header);
    s.width(0, 70);
    s.width(1, 8);
    for (size_t k = 0; k < q.systems.size(); ++k) {
        const auto at = static_cast<lxw_col_t>(2 + k);
        s.text(0, at, q.systems[k], f.header);
        s.width(at, 18);
    }
    lxw_row_t row = 1;
    for (const QuantityRow& r : q.rows) {
        switch (r.kind) {
            case QuantityRow::Chapter:
                ++row;  // a blank row before each chapter
                s.text(row, 0, r.text, f.heading);
                break;
            case QuantityRow::Group:
                s.text(row, 0, r.text, f.group);
                break;
            case QuantityRow::Item:
                s.text(row, 0, r.text);
                s.text(row, 1, r.unit);
                for (size_t k = 0; k < r.values.size(); ++k)
                    s.number(row, static_cast<lxw_col_t>(2 + k), r.values[k], f.quantity);
                break;
        }
        ++row;
    }
    worksheet_freeze_panes(s.ws, 1, 0);
}

// One system: per chapter its items with value = ROUND(quantity × price, 2), its subtotal
// as the SUM of its values, then the total as the SUM of the subtotals; every formula keeps
// the budget file's figure as its value.
void WriteBudgetSystem(const Formats& f, const BudgetSystemRows& b, Sheet& s, lxw_row_t& row) {
    s.text(row, 0, "PRESUPUESTO " + b.title, f.heading);
    row += 2;
    std::vector<std::string> subtotals;
    for (const BudgetChapterRows& c : b.chapters) {
        s.text(row++, 0, "CAPITULO #" + std::to_string(c.number) + " - " + c.title, f.heading);
        if (c.rows.empty()) {
            s.text(row, 0, "El proyecto no contiene items pertenecientes a este capitulo");
            row += 2;
            continue;
        }
        const lxw_row_t first = row;
        for (const BudgetRow& r : c.rows) {
            if (r.kind == BudgetRow::Group) {
                s.text(row++, 0, r.text, f.group);
                continue;
            }
            s.text(row, kText, r.text);
            if (r.kind == BudgetRow::Item) {
                s.text(row, kUnit, r.unit);
                s.number(row, kQuantity, r.quantity, f.quantity);
                s.number(row, kPrice, r.price, f.money);
                s.formula(
                    row, kValue,
                    "=ROUND(" + CellName(kQuantity, row) + "*" + CellName(kPrice, row) + ",2)",
                    r.value, f.money);
            } else {
                s.number(row, kValue, r.value, f.money);
            }
            ++row;
        }
        s.text(row, kPrice, "SUBTOTAL CAPITULO #" + std::to_string(c.number), f.heading);
        s.formula(row, kValue,
                  "=SUM(" + CellName(kValue, first) + ":" + CellName(kValue, row - 1) + ")",
                  c.subtotal, f.subtotal);
        subtotals.push_back(CellName(kValue, row));
        row += 2;
    }
    s.text(row, kPrice, "TOTAL GENERAL", f.heading);
    if (subtotals.empty()) {
        s.number(row, kValue, b.total, f.total);
    } else {
        std::string sum = "=SUM(";
        for (size_t k = 0; k < subtotals.size(); ++k)
            sum += (k ? "," : "") + subtotals[k];
        s.formula(row, kValue, sum + ")", b.total, f.total);
    }
    row += 3;
}

void WriteBudget(lxw_workbook* wb, const Formats& f, const WorkbookContent& c, Sheet& s) {
    s.ws = workbook_add_worksheet(wb, kBudgetSheet);
    if (!s.ws) return s.keep(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const char* captions[] = {"Descripción", "Unidad", "Cantidad", "Valor unitario", "Valor"};
    const double widths[] = {70, 8, 14, 22, 20};
    for (lxw_col_t k = 0; k < 5; ++k) {
        s.text(0, k, captions[k], f.header);
        s.width(k, widths[k]);
    }
    lxw_row_t row = 2;
    for (const BudgetSystemRows& b : c.budget)
        WriteBudgetSystem(f, b, s, row);
    worksheet_freeze_panes(s.ws, 1, 0);
}

void WriteNotes(lxw_workbook* wb, const Formats& f, const WorkbookContent& c, Sheet& s) {
    s.ws = workbook_add_worksheet(wb, kNoteSheet);
    if (!s.ws) return s.keep(LXW_ERROR_MEMORY_MALLOC_FAILED);
    s.width(0, 100);
    s.text(0, 0, "Hojas que no se incluyen en este libro", f.heading);
    lxw_row_t row = 2;
    for (const std::string& note : c.omitted)
        s.text(row++, 0, note);
}

// The whole workbook into file; the libxlsxwriter error of the first failure.
lxw_error Write(const WorkbookContent& c, const std::string& file) {
    lxw_workbook* wb = workbook_new(file.c_str());
    if (!wb) return LXW_ERROR_CREATING_XLSX_FILE;
    std::string title = "NIVEX - " + c.projectName;
    std::string author = "NIVEX";
    lxw_doc_properties properties{};
    properties.title = title.data();
    properties.author = author.data();
    Sheet status;
    status.keep(workbook_set_properties(wb, &properties));
    const Formats f = MakeFormats(wb);
    Sheet design, quantities, budget, notes;
    WriteDesign(wb, f, c, design);
    if (c.hasQuantities) WriteQuantities(wb, f, c.quantities, quantities);
    if (c.hasBudget) WriteBudget(wb, f, c, budget);
    if (!c.omitted.empty()) WriteNotes(wb, f, c, notes);
    // The workbook is closed (and freed) whatever happened before.
    const lxw_error closed = workbook_close(wb);
    for (const Sheet* s : {&status, &design, &quantities, &budget, &notes})
        if (s->status != LXW_NO_ERROR) return s->status;
    return closed;
}

}  // namespace

bool WriteWorkbook(const WorkbookContent& content, const std::string& path, std::string* error) {
    return project::WriteThroughTempFile(
        path, [&](const std::string& temp) { return Write(content, temp) == LXW_NO_ERROR; }, error);
}

}  // namespace nivex::exchange
