#pragma once
// Main choice 8 ("Cant. Obra"): 'A' the construction stages, 'B' the quantity run.

#include "shell/session.h"

namespace nivex::quantities {

void RunQuantityModule(shell::Session& s);

// The quantity run with its title and messages. False when it stopped.
bool ComputeQuantities(shell::Session& s);

}  // namespace nivex::quantities
