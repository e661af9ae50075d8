#pragma once
// The simulated project: a grid network of new reaches generated from five values, for
// trying the design on a street grid without entering it.

#include <string>
#include <vector>

#include "drawings/manhole_coordinates.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::network {

struct SimulationParams {
    int horizontal = 10, vertical = 10;
    double length = 100, slope = 0.5, ground = 1000;
};

// The field rules, fields 0 to 4 in the screen's order (horizontal, vertical, length,
// slope, ground); "" when acceptable, else the message.
constexpr int kSimulationFields = 5;
std::string CheckSimulationField(const SimulationParams& params, int field);
std::string CheckSimulationParams(const SimulationParams& params);

constexpr const char* kSimulationRefusal =
    "Este Proyecto no debe ser sobrescrito pues se perderia la informacion anterior.\r"
    "Utilice un proyecto nuevo para hacer simulaciones.";

// A project may be generated over when it has no reaches and was not imported from SWMM,
// or when it is a simulated project already.
bool SimulationAllowed(const project::Project& p);

// The grid's reaches in file order. Rows run from the top (node 1, the initial ground) to
// the bottom and flow to the right; the last column collects them downwards into the
// lowest corner. Vertical reaches off the last column start at their own head manhole
// (name + "A"). A last reach of type 2 discharges the lowest corner into a manhole of
// the next number, so that the network has its outlet.
std::vector<TramoT> SimulatedReaches(const SimulationParams& params);

// The manholes of the grid's reaches where the SWMM model of a simulated project draws
// them, in the order they first appear: column c and row r (from the bottom) at
// ((c + 1) L + 10000, (r + 2) L + 10000), a head manhole 10 m below its grid point, and the
// outlet one length below the lowest corner.
std::vector<drawings::ManholePoint> SimulatedCoordinates(const SimulationParams& params,
                                                         const std::vector<TramoT>& reaches);

// Replaces the reach file of the open sector by the grid, rebuilds the index and marks
// the project simulated, with every control and stage to be done again, and writes the
// grid's manhole coordinates. The control file is opened and closed here. False with *error (not
// yet in the code page).
bool GenerateSimulatedProject(project::Project& p, const SimulationParams& params,
                              std::string* error);

}  // namespace nivex::network

namespace nivex::shell {
struct Session;
}
namespace nivex::network {
// The screen of design criteria choice P.
void RunSimulatedProject(shell::Session& s);
}  // namespace nivex::network
