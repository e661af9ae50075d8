#pragma once
// Listing 9A: the construction stage of every reach of the design copy.

#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::quantities {

void ListStages(shell::Session& s);

// The body rows of the listing: three reach boxes a row, in line order; the boxes past
// the last reach are dashed (code page).
std::vector<std::string> StageRows(const std::vector<network::TramoT>& reaches);

}  // namespace nivex::quantities
