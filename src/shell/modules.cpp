#include "shell/modules.h"

#include <array>

#include "budget/budget_listings.h"
#include "budget/budget_module.h"
#include "design/design_listings.h"
#include "design/design_screen.h"
#include "design/revision.h"
#include "network/controls_screen.h"
#include "network/general_listings.h"
#include "network/reach_screen.h"
#include "quantities/quantity_screen.h"
#include "specs/criteria_module.h"
#include "summary/summary_listings.h"

namespace nivex::shell {
namespace {

using Module = void (*)(Session&);

// Indexed by main choice; null where the module is not built yet.
constexpr std::array<Module, 13> kModules = {
    nullptr,                          // 0: project opening, run by the main menu itself
    specs::RunDesignCriteria,         // 1
    network::RunReachEntry,           // 2
    network::RunNetworkControls,      // 3
    network::RunGeneralListings,      // 4
    design::RunDesignModule,          // 5
    design::ReviewMenu,               // 6
    design::RunDesignListings,        // 7
    quantities::RunQuantityModule,    // 8
    quantities::RunQuantityListings,  // 9
    budget::RunBudgetModule,          // 10: X
    budget::RunBudgetListings,        // 11: Y
    summary::RunSummaryListings,      // 12: Z
};

}  // namespace

void RunModule(Session& s, int choice) {
    if (choice < 1 || choice >= static_cast<int>(kModules.size()) || !kModules[choice]) {
        s.console.takeKey();
        return;
    }
    kModules[static_cast<size_t>(choice)](s);
}

}  // namespace nivex::shell
