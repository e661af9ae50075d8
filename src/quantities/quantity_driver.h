#pragma once
// The quantity run over the open sector's files: load the criteria and the design copies,
// compute, write the quantity files and the manhole class file, and mark the quantities
// done (the budget then needs computing again).

#include <string>

#include "project/project.h"
#include "quantities/quantity_run.h"

namespace nivex::quantities {

enum class RunStop { None, NoDesign, MissingSector, DiameterFault, FileError };

struct QuantityOutcome {
    RunStop stop = RunStop::None;
    int sector = 0;       // MissingSector
    std::string message;  // DiameterFault, FileError (code page)
    QuantityResult result;
};

// markDone: StageDone[2] set and StageDone[3] cleared in record 0. Without it (the
// statistics of a preliminary design of the alternatives) the flags stay as they are and
// the design copy just made is read although the sector is not marked designed yet.
QuantityOutcome RunQuantities(project::Project& p, bool markDone = true);

// "... ERROR .. no hay sector #n ..."
std::string MissingSectorMessage(int sector);

}  // namespace nivex::quantities
