// Screens not built yet: each returns at once.
#include "specs/spec_screens.h"

namespace nivex::specs {
void ScreenGeneral(shell::Session&) {}
void ScreenSanitary(shell::Session&) {}
void ScreenStorm(shell::Session&) {}
void ScreenSanitaryUnits(shell::Session&) {}
void ScreenRainEquations(shell::Session&) {}
void ScreenHyetographs(shell::Session&) {}
void ScreenSwmmAdjustment(shell::Session&) {}
void ScreenReductionFactors(shell::Session&) {}
void ScreenConstruction(shell::Session&) {}
}  // namespace nivex::specs
