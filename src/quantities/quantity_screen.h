#pragma once
// Main choice 8 ("Cant. Obra"): 'A' the construction stages, 'B' the quantity run; and
// the listings of main choice 9.

#include "shell/session.h"

namespace nivex::quantities {

void RunQuantityModule(shell::Session& s);
// Main choice 9 ("List. Obra"): the sub-menu of the quantity listings.
void RunQuantityListings(shell::Session& s);

// The quantity run with its title and messages. False when it stopped.
bool ComputeQuantities(shell::Session& s);

}  // namespace nivex::quantities
