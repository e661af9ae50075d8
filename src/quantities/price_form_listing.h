#pragma once
// Listings 9D and 9E: the unit price forms, every budget item with its quantity and a
// blank price to be filled by hand; 9D only the items the project needs.

#include <string>
#include <vector>

#include "budget/budget_items.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::quantities {

// neededOnly: only the items whose quantity is above 0.
void ListPriceForm(shell::Session& s, bool neededOnly);
void ListRequiredPrices(shell::Session& s);
void ListAllPrices(shell::Session& s);

// The form's body lines for the chapters against the tables (code page).
std::vector<std::string> PriceFormLines(const std::vector<budget::BudgetChapter>& chapters,
                                        const QuantityTables& tables, bool neededOnly);

// The system whose quantities the forms price: the new system, whose file holds the new
// reaches and the reaches the design removed, whether or not the network has existing
// reaches (the total system's file holds the removals alone).
int PricedSystem(const specs::EspecT& e);

}  // namespace nivex::quantities
