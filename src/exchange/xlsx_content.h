#pragma once
// What the workbook of a sector holds, read from the sector's files: the design copy, the
// quantity files and the budget files with the unit prices. Sheets whose stage is not done
// are left out with a note saying why.

#include <string>
#include <vector>

#include "design/design_columns.h"
#include "project/project.h"

namespace nivex::exchange {

// A row of the quantity sheet: a chapter or group heading (no unit, no values) or an item
// with its quantity in every system.
struct QuantityRow {
    enum Kind { Chapter, Group, Item } kind = Item;
    std::string text;  // UTF-8
    std::string unit;
    std::vector<double> values;  // by system, to two decimals
};

struct QuantitySheet {
    std::vector<std::string> systems;  // the column captions, "SISTEMA NUEVO", "ETAPA #1"
    std::vector<QuantityRow> rows;
};

// A row of a budget chapter: a group heading, an item priced in the listing's way (its
// value as the budget file keeps it), or a lump-sum item with its value alone.
struct BudgetRow {
    enum Kind { Group, Item, LumpSum } kind = Item;
    std::string text;  // UTF-8
    std::string unit;
    double quantity = 0;  // to two decimals
    double price = 0;
    double value = 0;
};

struct BudgetChapterRows {
    int number = 0;
    std::string title;            // UTF-8
    std::vector<BudgetRow> rows;  // empty: the chapter has no item in this system
    double subtotal = 0;          // from the budget file
};

struct BudgetSystemRows {
    std::string title;  // "SISTEMA NUEVO", "ETAPA #1"
    std::vector<BudgetChapterRows> chapters;
    double total = 0;  // from the budget file
};

struct WorkbookContent {
    std::string projectName;                              // UTF-8
    std::vector<std::vector<design::DesignCell>> design;  // one a record, code-page names
    bool hasQuantities = false;
    QuantitySheet quantities;
    bool hasBudget = false;
    std::vector<BudgetSystemRows> budget;
    std::vector<std::string> omitted;  // why a sheet is left out (UTF-8, Spanish)
};

// The content of the open sector. False with *error (UTF-8, naming the file) when a file
// cannot be read; the design copy must exist.
bool LoadWorkbookContent(project::Project& p, WorkbookContent& content, std::string* error);

}  // namespace nivex::exchange
