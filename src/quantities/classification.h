#pragma once
// The classification of the new network for the listing 9C: the new reaches by depth to
// invert and size, the manholes of the new reaches by size class and depth, and the
// initial manholes the design added, with the ranges the quantities use.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"

namespace nivex::quantities {

// "(up)-(down)"
std::string ReachLabel(const network::TramoT& t);

// The new reaches of one size in one excavation range.
struct SizeClass {
    int position = 0;                  // in the size list, 1..S
    double length = 0;                 // m, each reach rounded to whole metres
    double lengthDepth = 0;            // sum of length × depth to invert
    std::vector<std::string> reaches;  // labels in line order

    // Mean depth to invert weighted by length, as the pipe supply takes it.
    double meanDepth() const;
};

// Manholes (or added initial manholes) of one size class in one depth range.
struct ManholeClass {
    double depthSum = 0;
    std::vector<std::string> names;  // manhole names, or the labels of the reaches

    double meanDepth() const;
};

struct Classification {
    // [excavation range 1..4 at 0..3]: the sizes with reaches, in size order.
    std::array<std::vector<SizeClass>, kExcavationRanges> reaches;
    // [size group][depth range 1..3 at 0..2]
    std::array<std::array<ManholeClass, kManholeRanges>, kManholeGroups> manholes;
    std::array<std::array<ManholeClass, kManholeRanges>, kManholeGroups> added;
    std::optional<DiameterFault> fault;  // nothing else is kept then
};

// progress(sector, line, count) before each reach of a sector's network (line 1..count).
using ClassifyProgress = std::function<void(int sector, int line, int count)>;

// Every new reach (class 0 or 2) must have a size of the list; the first that has not
// stops the classification. A manhole that an existing reach also reaches is existing and
// is not classified, as the quantities of the new system leave it out; its size class
// comes from the governing diameters the quantity run uses.
Classification ClassifyNetwork(const QuantityInput& input, const QuantityLimits& limits,
                               const ClassifyProgress& progress = {});

}  // namespace nivex::quantities
