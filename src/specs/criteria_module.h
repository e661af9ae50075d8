#pragma once
// Main choice 1: the criteria screens, the configuration dialog and the file
// operations of the "Archivos" menu, chosen by the sub-option letter.

#include <array>
#include <cstdint>
#include <vector>

#include "shell/session.h"

namespace nivex::specs {

// Reads the sub-option key and runs it; returns when the user leaves it.
void RunDesignCriteria(shell::Session& s);

// One screen: loads the set, runs the screen, and when a value changed saves the records
// the screen owns and clears the stages the change invalidates. False when the control
// file could not be read or written (the user has been told).
bool RunCriteriaScreen(shell::Session& s, uint8_t letter);

// The header and the set as the six records would hold them, to see what changed.
std::array<codec::Bytes, 6> Snapshot(const project::Project& p);
bool SetChanged(const project::Project& p, const std::array<codec::Bytes, 6>& before);
// After screen `letter` changed the set: clears the stages the change invalidates and
// writes record 0 and the screen's records (the control file open). False on a failed
// write (p.control.error()).
bool SaveScreenChange(project::Project& p, uint8_t letter);
// The changes of several screens in one save: every screen's clears, then all their
// records written together.
bool SaveScreenChanges(project::Project& p, const std::vector<uint8_t>& letters);

}  // namespace nivex::specs
