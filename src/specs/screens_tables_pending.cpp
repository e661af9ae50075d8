// Screens not built yet: each returns at once.
#include "specs/spec_screens.h"

namespace nivex::specs {
void ScreenMaxDiameters(shell::Session&) {}
void ScreenDiameters(shell::Session&) {}
void ScreenMinimumSlopes(shell::Session&) {}
void ScreenExcavationRanges(shell::Session&) {}
void ScreenTrenchWidths(shell::Session&) {}
void ScreenManholeRanges(shell::Session&) {}
void ScreenManholeDiameters(shell::Session&) {}
}  // namespace nivex::specs

#include "specs/spec_catalog.h"

namespace nivex::specs {
const std::vector<SpecValueDef>& TableScreenValues() {
    static const std::vector<SpecValueDef> none;
    return none;
}
std::string TableScreenCrossCheck(char, const EspecT&, const shell::ProyectoT&) { return {}; }
}  // namespace nivex::specs
