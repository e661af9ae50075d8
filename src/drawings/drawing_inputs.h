#pragma once
// What the plan and the profiles of the open sector are drawn from, read once by the
// window and by the batch verbs alike: the design copy when the design is done (else the
// entered network, without design values), where each manhole stands, the title block and
// the revision's findings.

#include <string>
#include <vector>

#include "drawings/plan.h"
#include "drawings/schematic_layout.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::drawings {

struct DrawingInputs {
    // The design copy in file order when `designed`, otherwise the lines of the network.
    std::vector<network::TramoT> reaches;
    int reachCount = 0;  // reaches of the network; records after it were removed by the design
    bool designed = false;
    ManholeLayout placement;
    ReachVertices bends;  // the reaches' bends, in the manholes' coordinates
    PlanHeader header;
    std::vector<std::vector<std::string>> findings;  // per record; empty without a design
    int skippedCoordinates = 0;                      // unreadable lines of the coordinates file
};

// False with *error (UTF-8, naming the file) when a file cannot be read, or when the sector
// has no reach yet.
bool LoadDrawingInputs(project::Project& p, DrawingInputs& in, std::string* error);

// The plan options of the inputs, for a scale (0 fits) and a paper.
PlanOptions PlanOptionsOf(const DrawingInputs& in, int scale, Paper paper);

}  // namespace nivex::drawings
