#pragma once
// The backup of the reach file ("Respaldo AB1") and the clean-up of a sector's derived
// files when the program ends.

#include "project/project.h"
#include "shell/session.h"

namespace nivex::project {

// Main choice 1, 'M': asks, then puts the backed-up reach file and index back. The
// network controls must run again, so they are cleared before the question. False when
// a file operation failed (the user has been told; the backup stays in place).
bool RestoreReachBackup(shell::Session& s);

// The same restore without screen or boxes, for the import of a SWMM model. Does nothing
// but update the menu item when there is no backup. False with s.project.error set when
// a file operation failed.
bool RestoreReachBackupSilently(shell::Session& s);

// At program end: removes the files that the next run rebuilds anyway, for every sector
// of the project code, as far as p.header says they are stale, but those of a sector
// another program works on. A totaliser removes nothing. Failures are ignored.
void RemoveDerivedFiles(const Project& p);

}  // namespace nivex::project
