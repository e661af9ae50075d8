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

#include "specs/spec_catalog.h"

namespace nivex::specs {
const std::vector<SpecValueDef>& ValueScreenValues() {
    static const std::vector<SpecValueDef> none;
    return none;
}
std::string ValueScreenCrossCheck(char, const EspecT&, const shell::ProyectoT&) { return {}; }
}  // namespace nivex::specs
