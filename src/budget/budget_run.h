#pragma once
// The budget run (main choice 'X', 'C'): every system of the quantity run priced with the
// unit prices, item by item (quantities to two decimals, values to cents), with its
// lump-sum items, chapter totals and total, written to one budget file per system.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "budget/budget_items.h"
#include "budget/price_file.h"
#include "project/project.h"
#include "quantities/quantity_tables.h"

namespace nivex::budget {

constexpr int kChapters = 9;  // 1..8 the items, 9 the lump-sum items

// The values of one system, laid out as its budget file.
struct BudgetValues {
    int sizeCount = 0;                                               // S
    std::array<std::array<double, 5>, 7> excavation{};               // [material 1..6][range 1..4]
    std::array<double, 4> fill{};                                    // [1..3]
    std::array<std::array<std::array<double, 5>, 3>, 3> manholes{};  // [group][row 1..2][range]
    std::array<std::vector<double>, 5> pipes;                        // [range 1..4][p 1..S]
    std::vector<double> connections;                                 // [p 1..S]
    std::array<double, 3> bedding{};                                 // [1] gravel, [2] concrete
    std::vector<GlobalItemT> globals;              // the lump-sum items of the system
    std::array<double, kChapters + 1> chapters{};  // [1..9]
    double total = 0;
    std::vector<double> drops;  // [p 1..S]; removals are kept only in chapter 8's total

    void Clear(int sizes);
};

// "SANNEWV.", "SANOLDV.", "SANALLV.", "SANETkV." + the open sector's extension.
std::string BudgetFilePath(const project::FileNames& files, int system);

// Whether a lump-sum item is priced in a system: the new system every item not tagged
// "E", the existing system those tagged "E", the total system all, stage k those tagged k.
bool BelongsTo(const GlobalItemT& item, int system);

// The items whose quantity is above 0 and whose unit price is 0.
int CountUnpriced(const std::vector<BudgetChapter>& chapters, const quantities::QuantityTables& q,
                  const UnitPrices& prices);

// The values of a system: q rounded to two decimals, value round(q × price × 100) / 100;
// manholes are the network plus the added initial manholes of each depth range.
BudgetValues ValueSystem(int system, const std::vector<BudgetChapter>& chapters,
                         const quantities::QuantityTables& q, const UnitPrices& prices);

bool WriteBudgetFile(const std::string& path, const BudgetValues& v, std::string* error);
// sizes: S. A missing file leaves v as it was (Missing); a damaged one too (Damaged).
PriceFileResult ReadBudgetFile(const std::string& path, int sizes, BudgetValues& v);

// The systems the budget prices, in order: the new system when the network has a new
// reach, then stages 1 .. max(number of stages, highest lump-sum stage tag).
std::vector<int> BudgetSystems(const specs::EspecT& e);

enum class BudgetStop { None, Declined, QuantityFile, FileError };

struct BudgetOutcome {
    BudgetStop stop = BudgetStop::None;
    std::string message;  // code page
    struct System {
        int system = 0;
        int unpriced = 0;  // needed items without price: its values stay 0
        BudgetValues values;
    };
    std::vector<System> systems;
};

// The question asked when a system has needed items without price; 'S' goes on with that
// system at zero, anything else ends the run with no flag set.
using UnpricedQuestion = std::function<char(const std::string& message)>;

// The whole run over the open sector's files: prices, quantity files, budget files, and
// StageDone[3] set in record 0.
BudgetOutcome RunBudget(project::Project& p, const UnpricedQuestion& ask);

// "En SISTEMA NUEVO 3 precio(s) unitario(s) esta(n) en CERO\r ..." (code page).
std::string UnpricedMessage(int system, int count);

}  // namespace nivex::budget
