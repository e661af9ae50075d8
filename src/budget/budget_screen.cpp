// The budget run of main choice 'X', 'C' with its title, its question and its messages.

#include "budget/budget_module.h"
#include "budget/budget_run.h"
#include "console/codepage.h"
#include "shell/session.h"

namespace nivex::budget {

bool ComputeBudgetScreen(shell::Session& s) {
    s.switches.atMainMenu = false;
    s.console.clrScr();
    s.screen.ShowHeader(cp("CALCULO DEL PRESUPUESTO"));
    s.switches.endKeys = "Enter Up Dn Esc";
    const BudgetOutcome out = RunBudget(s.project, [&s](const std::string& message) {
        return s.ui.askYesNo(cp(message), "Confirmacion");
    });
    switch (out.stop) {
        case BudgetStop::None:
            s.ui.showWarning(cp("Realizado el Calculo del Presupuesto"), "Informacion");
            return true;
        case BudgetStop::Declined:
            return false;
        case BudgetStop::QuantityFile:
        case BudgetStop::FileError:
            s.ui.showError(out.message, "Error");
            return false;
    }
    return false;
}

}  // namespace nivex::budget
