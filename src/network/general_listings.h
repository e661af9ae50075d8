#pragma once
// "List. Generales": the listings of the input data of the open sector (main choice 4),
// each written through the listing frame and shown in the viewer.

#include <string>
#include <vector>

#include "network/tramo.h"
#include "shell/session.h"

namespace nivex::network {

// A: the design criteria of the sector ("Especificaciones").
void ListSpecifications(shell::Session& session);
// B: general data of every reach, in line order.
void ListGeneralData(shell::Session& session);
// C: special data of every reach, in line order.
void ListSpecialData(shell::Session& session);
// D: lengths, areas and point flows summed over the network.
void ListSummary(shell::Session& session);
// E: the reaches of the index, three boxes side by side on each page.
void ListReachRelation(shell::Session& session);
// F: the manholes in alphabetical order (the names control D wrote).
void ListManholeRelation(shell::Session& session);

// The sub-menu of main choice 4: the six listings chosen by letter until Esc.
void RunGeneralListings(shell::Session& session);

// The rows of one page of the relation of reaches: entries first .. first + 3·rows − 1
// (0-based) in three boxes of `rows` rows, dashes past the last entry.
std::vector<std::string> ReachRelationRows(const std::vector<IndiceTramoT>& entries, int first,
                                           int rows);

}  // namespace nivex::network
