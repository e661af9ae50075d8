#pragma once
// The fields of the table screens T, B, R, C, D, E and N: each descriptor with the value
// of the set it edits and the rule a typed value goes through. The screens and the
// catalogue of criteria values are both built from these lists.

#include <functional>
#include <string>
#include <vector>

#include "console/screen.h"
#include "specs/espec.h"

namespace nivex::specs::tables {

struct TableField {
    console::CampoT campo;
    int record = 0;
    int offset = 0;  // of the field, or of the array's first element
    int index = -1;  // array element, or -1
    int page = 0;    // B and R show their table in two pages
    std::function<double(const EspecT&)> read;
    // The field's rule, then the value stored; the rule's message when refused.
    std::function<std::string(EspecT&, double)> write;
};

// The fields of screen `letter` for the set e (B and R follow its table: one field per
// entry, their prompts naming the diameters). Empty for a letter of another screen.
std::vector<TableField> ScreenFields(char letter, const EspecT& e);

// Entries on the first page of B and R.
int FirstPageEntries(const EspecT& e);
constexpr int kTableColumn = 17;
constexpr int kTableFirstRow = 5;

// A value as its field shows it while editing ('.' as separator, the field's decimals).
std::string ShownText(const TableField& f, const EspecT& e);
// A typed text: the entry library's check of the descriptor, then the field's rule.
std::string TakeText(const TableField& f, EspecT& e, const std::string& text);

}  // namespace nivex::specs::tables
