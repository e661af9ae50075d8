#pragma once
// Main choice 'X' ("Presupuesto"): the unit prices, the lump-sum items and the budget run.

namespace nivex::shell {
struct Session;
}

namespace nivex::budget {

// The budget run's screen ('X','C'); true when the budget was computed.
bool ComputeBudgetScreen(shell::Session& s);

// The sub-key waits in the key queue: 'A' unit prices, 'B' lump-sum items, 'C' the run.
void RunBudgetModule(shell::Session& s);

}  // namespace nivex::budget
