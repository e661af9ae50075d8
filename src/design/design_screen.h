#pragma once
// Main choice 5: "Diseño del Proyecto" ('A') with its options screen, the progress of the
// design and its results screen, and "Listado Evolucion Diseño" ('B').

#include "design/design_driver.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::design {

void RunDesignModule(shell::Session& s);

// The options screen: false when the design is not to run (never, today: Esc and Alt+Z
// accept the answers shown).
bool AskDesignOptions(shell::Session& s, DesignOptions& options);
// The results screen of a finished design, paged by PgUp and PgDn, closed by Enter or Esc.
void ShowDesignResults(shell::Session& s, const DesignResult& result, bool automatic);

}  // namespace nivex::design
