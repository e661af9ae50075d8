#pragma once
// Listing 9C: the new reaches classified by depth to invert and size, the manholes of the
// new network by size and depth, and where the design added initial manholes.

#include <string>
#include <vector>

#include "quantities/classification.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::quantities {

void ListClassification(shell::Session& s);

// The body lines of the listing's three parts (code page).
std::vector<std::string> ClassificationLines(const Classification& c, const QuantityLimits& l);

}  // namespace nivex::quantities
