#pragma once
// Main choice 1: the specification screens, the configuration dialog and the file
// operations of the "Archivos" menu, chosen by the sub-option letter.

#include <cstdint>

#include "shell/session.h"

namespace nivex::specs {

// Reads the sub-option key and runs it; returns when the user leaves it.
void RunSpecifications(shell::Session& s);

// One screen: loads the set, runs the screen, and when a value changed saves the records
// the screen owns and clears the stages the change invalidates. False when the control
// file could not be read or written (the user has been told).
bool RunSpecificationScreen(shell::Session& s, uint8_t letter);

}  // namespace nivex::specs
