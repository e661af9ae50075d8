#pragma once
// The parts of the design alternatives that meet the user: the dialog "Alternativas del
// Proyecto" with its printed comparison, and the entered network made to follow the
// chosen automatic alternative after its final design.

#include "design/alternatives_table.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::design {

// Sorts and selects the automatic rows (modes 2 and 3), shows the dialog until a row with
// an alternative is accepted, stores its position in record 0 and gives its alternative
// number; -1, with the design marked not done, when the dialog is closed otherwise.
int ChooseAlternative(shell::Session& s, AlternativesTable& table, int mode, double days);

// After the final design of an automatic alternative: the reach file and its index take
// the order and directions of the design copy, the entered network backed up first. False
// after an error box when a file failed; the entered network is then as it was.
bool AdoptAlternative(shell::Session& s);

}  // namespace nivex::design
