#include "budget/budget_module.h"

#include "budget/price_screens.h"
#include "shell/session.h"

namespace nivex::budget {

void RunBudgetModule(shell::Session& s) {
    s.switches.atMainMenu = false;
    const auto sub = s.console.takeKey();
    if (!sub) return;
    if (*sub == 'A') EnterUnitPrices(s);
    if (*sub == 'B') EnterGlobalPrices(s);
    if (*sub == 'C') ComputeBudgetScreen(s);
    s.switches.endKeys = "Enter";
}

}  // namespace nivex::budget
