#pragma once
// The four answers of the design options screen, kept with the project: the first four
// characters of record 0 offset 338 ('S' or 'N'; any other character, as in the "0"s of
// a new project, reads as the answer's default).

#include "design/design_state.h"
#include "project/project.h"
#include "shell/control_file.h"

namespace nivex::design {

DesignOptions StoredDesignOptions(const shell::ProyectoT& h);
void StoreDesignOptions(shell::ProyectoT& h, const DesignOptions& o);

// Records the answers of a run in the control file. When they differ from the stored
// ones the network is to be prepared again and the evolution and revision lists of the
// earlier answers go. False with p.error when the control file cannot be written.
bool SaveDesignOptions(project::Project& p, const DesignOptions& o);

}  // namespace nivex::design
