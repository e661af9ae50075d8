#pragma once
// The budget chapters 1 to 8 and their items, as the price entry, the budget run and the
// price forms show and price them: the item texts built from the sector's criteria, and
// for each item where its quantity is found in the quantity tables. The lump-sum items of
// chapter 9 are kept apart, in the price file.

#include <string>
#include <vector>

#include "quantities/quantity_tables.h"
#include "specs/espec.h"

namespace nivex::budget {

// The quantity table an item reads; first and second index it as the quantity file does.
enum class QuantitySource {
    Excavation,   // material 1..6, excavation range 1..4 (m3)
    Fill,         // fill 1..3 (m3)
    Manholes,     // size group 0..2, depth range 1..3: added plus network manholes (unid)
    Pipes,        // excavation range 1..4, position 1..S: length (ml)
    Connections,  // position 1..S (unid)
    Bedding,      // 1 gravel, 2 concrete (m3)
    Drops,        // position 1..S: count (unid)
    Removals,     // position 1..S: length (ml)
};

struct BudgetItem {
    std::string text;  // code page
    QuantitySource source;
    int first = 0;
    int second = 0;
};

// Items under one heading (a material, a manhole size, an excavation range); the heading
// is empty in the chapters that have a single list.
struct ItemGroup {
    std::string heading;  // code page
    std::vector<BudgetItem> items;
};

struct BudgetChapter {
    int number = 0;     // 1..8
    std::string title;  // code page, "EXCAVACIONES (m3)"
    std::string unit;   // "m3", "unid", "ml"
    std::vector<ItemGroup> groups;
};

constexpr int kBudgetChapters = 8;
// Drops of pipes up to this size go down a pipe; larger ones need a special chamber.
constexpr double kLargestDropPipe = 900;

// The chapters 1..8 with the texts of the criteria e (limits, size list, first duct).
std::vector<BudgetChapter> BuildBudgetChapters(const specs::EspecT& e);

// The quantity of an item in the tables; 0 when the tables have no such entry.
double ItemQuantity(const quantities::QuantityTables& t, const BudgetItem& item);

}  // namespace nivex::budget
