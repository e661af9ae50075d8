#pragma once
// "List. Diseño" (main choice 7): the designed network of the open sector as listings,
// read from the design copy "ZSDB.", each written through the listing frame with the
// design page header and shown in the viewer.

#include <string>

#include "network/tramo.h"
#include "shell/session.h"

namespace nivex::design {

// The dispatcher of choice 7: 'C' hydraulic design (the hydraulic-model form in the
// classes 6 to 9), 'D' physical design, 'E' sanitary flows (the storm flows in class 4),
// 'F' storm flows, 'G' energy junctions, 'H' initial manholes added by the design, 'J'
// and 'K' the hydraulic-model forms of the reaches at flooded manholes, 'M' and 'N' the
// hydraulic-model forms of every reach. Other keys do nothing.
void ListDesign(shell::Session& s, char key);

void ListHydraulicDesign(shell::Session& s);       // 7C
void ListPhysicalDesign(shell::Session& s);        // 7D
void ListSanitaryFlows(shell::Session& s);         // 7E
void ListStormFlows(shell::Session& s);            // 7F
void ListEnergyJunctions(shell::Session& s);       // 7G
void ListAddedManholes(shell::Session& s);         // 7H
void ShowSwmmReport(shell::Session& s);            // 7I
void ListSwmmHydraulicFlooded(shell::Session& s);  // 7J
void ListSwmmPhysicalFlooded(shell::Session& s);   // 7K
void ListSwmmHydraulic(shell::Session& s);         // 7M
void ListSwmmPhysical(shell::Session& s);          // 7N

// The sub-menu of main choice 7: the listings chosen by letter until Esc.
void RunDesignListings(shell::Session& s);

}  // namespace nivex::design
