#pragma once
// Main choice 'Y' ("List. Presupuesto"): 'A' the unit prices of the budget items, 'B' the
// budget of works of every priced system, chapter by chapter with quantities, unit values
// and partial values. Both are numbered listings with their own page header.

#include <string>
#include <vector>

#include "budget/budget_items.h"
#include "budget/budget_run.h"
#include "budget/price_file.h"
#include "quantities/quantity_tables.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::budget {

void ListUnitPrices(shell::Session& s);  // 'Y', 'A'
void ListBudget(shell::Session& s);      // 'Y', 'B'
// The letter sub-menu of main choice 'Y'.
void RunBudgetListings(shell::Session& s);

// What the budget listings and the summary check first: the control records loaded and the
// budget computed; false after the message.
bool BudgetListingAllowed(shell::Session& s);
// A system's quantity file into tables (sizes: S): a missing file leaves them at 0, a damaged
// one is refused after its message.
bool ReadListedQuantities(shell::Session& s, int system, int sizes,
                          quantities::QuantityTables& tables);

// The chapters as the listings word them: the listing titles and the few item texts that
// read differently from the price entry (code page).
std::vector<BudgetChapter> ListingChapters(const specs::EspecT& e);

// The listing kind of the page header: "[ PRESUPUESTO SISTEMA NUEVO ] " ... (code page).
std::string BudgetKind(int system);

// The body lines of the price list, over ListingChapters: every item of chapters 1..8 with its
// quantity and unit price, then every lump-sum item (code page).
std::vector<std::string> UnitPriceLines(const std::vector<BudgetChapter>& chapters,
                                        const quantities::QuantityTables& q,
                                        const UnitPrices& prices);

// The listing text of a lump-sum item: its description and what its tag says (code page).
std::string LumpSumText(const std::string& description, const std::string& tag);

// The partial value of an item as the budget run left it in the budget file; q its quantity
// to two decimals, price its unit price.
double ItemValue(const BudgetValues& v, const BudgetItem& item, double q, double price);

// The body lines of one system's budget, over ListingChapters: per chapter its items with a
// quantity, the subtotal from the budget file, the lump-sum items and the general total (code
// page).
std::vector<std::string> BudgetLines(const std::vector<BudgetChapter>& chapters,
                                     const quantities::QuantityTables& q, const UnitPrices& prices,
                                     const BudgetValues& v);

}  // namespace nivex::budget
