// The budget run from the command line: the budget files written as main choice 'X', 'C'
// writes them, then each system's chapter totals and total. The question for a system
// with needed items at price 0 takes the answer of --yes (no otherwise).

#include <iomanip>
#include <sstream>

#include "budget/budget_run.h"
#include "cli/batch_context.h"
#include "console/codepage.h"
#include "quantities/quantity_tables.h"

namespace nivex::cli {

int VerbBudget(Batch& b) {
    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Project& p = b.session.project;
    const budget::BudgetOutcome out = budget::RunBudget(
        p, [&b](const std::string& message) { return b.ui.askYesNo(cp(message), "Confirmacion"); });
    p.CloseControl();
    if (out.stop == budget::BudgetStop::Declined)
        return b.Fail("Error: el calculo del presupuesto se suspendio (hay precios en cero)");
    if (out.stop != budget::BudgetStop::None) return b.Fail(toUtf8(out.message));
    for (const budget::BudgetOutcome::System& s : out.systems) {
        b.out << "sistema: " << quantities::SystemTitle(s.system) << '\n';
        b.out << "precios en cero: " << s.unpriced << '\n';
        std::ostringstream line;
        line.imbue(std::locale::classic());
        line << std::fixed << std::setprecision(2);
        for (size_t c = 1; c <= budget::kChapters; ++c)
            line << "capitulo " << c << ": " << s.values.chapters[c] << '\n';
        line << "total: " << s.values.total << '\n';
        b.out << line.str();
    }
    return 0;
}

}  // namespace nivex::cli
