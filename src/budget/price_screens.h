#pragma once
// The two price entry screens of main choice 'X' ('A' the unit prices of chapters 1..8,
// 'B' the lump-sum items) and the rules they share with nivex-batch: loading the prices
// with the items they belong to, the stage tag check, the compaction of the lump-sum rows
// and what is stored when the user leaves.

#include <string>
#include <vector>

#include "budget/budget_items.h"
#include "budget/price_file.h"
#include "project/project.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::budget {

// What both screens and the batch verbs work on.
struct PriceBook {
    std::vector<BudgetChapter> chapters;
    int firstDuct = 0;  // n: the positions the price file keeps
    std::string path;   // the price file
    UnitPrices prices;
};

// The criteria of the control file, the chapters and the price file. False with *error
// (code page, naming the file); a damaged price file is never read half.
bool LoadPriceBook(project::Project& p, PriceBook& book, std::string* error);

// The prices written, and the budget marked to be computed again when they changed
// (StageDone[3] cleared, record 0 written). False with *error (code page).
bool StorePrices(project::Project& p, PriceBook& book, bool changed, std::string* error);

// "" when tag is a stage tag ("0" to "3", "E"); else "ERROR ... Dato invalido".
std::string GlobalTagProblem(const std::string& tag);

// The rows kept: a description that is not blank and a value above 0, in their order.
std::vector<GlobalItemT> CompactGlobals(const std::vector<GlobalItemT>& rows);

// The highest stage tag "0".."3" of the items ("E" counts as none).
std::string HighestStageTag(const std::vector<GlobalItemT>& items);

// The lump-sum rows after an edit: compacted into book.prices.globals, the highest tag in
// record 5 offset 167 (and StageDone[3] cleared when something changed), then the price
// file. False with *error (code page).
bool StoreGlobals(project::Project& p, PriceBook& book, const std::vector<GlobalItemT>& rows,
                  std::string* error);

// The screens themselves ('X','A' and 'X','B').
void EnterUnitPrices(shell::Session& s);
void EnterGlobalPrices(shell::Session& s);

}  // namespace nivex::budget
