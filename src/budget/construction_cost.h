#pragma once
// The construction cost of a design, from the project's unit prices and the quantity
// rules: the cost of a whole designed network as the budget would value it, and the cost
// of one reach, one manhole and one drop pipe as the least-cost design weighs them.

#include <array>
#include <string>
#include <vector>

#include "budget/price_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "quantities/quantity_rules.h"
#include "specs/espec.h"

namespace nivex::budget {

struct CostPrices {
    UnitPrices prices;
    int referenceItems = 0;     // items of chapters 1..8 priced from the reference table
    bool allReference = false;  // the project has no unit price at all
    std::string error;          // a damaged price file: its message (code page)
};

// The project's unit prices, with the reference price standing in for every item of
// chapters 1..8 whose price is 0. A damaged price file leaves the reference table
// throughout and its message in error. Reads the price file only.
CostPrices PricesForCost(const project::Project& p);

// The cost of the new system of a designed network (records: the design copy, the network
// in its first networkCount lines, then the reaches the design removed): the budget's
// chapters 1..8 valued item by item as the budget run values them, without the lump-sum
// items. Infinity when a reach's diameter is not in the size list. Nothing is read or
// written on disk.
double NetworkCost(const std::vector<network::TramoT>& records, int networkCount,
                   const specs::EspecT& e, int designClass, const UnitPrices& prices);

// The cost of the parts of a design one at a time, with the quantities as the quantity run
// takes them but not rounded to whole units, so that a small change of depth changes the
// cost. Sizes must be sizes of the list: any other gives infinity.
class ReachCostModel {
  public:
    ReachCostModel(const specs::EspecT& e, const UnitPrices& prices);

    // Pipe laid: excavation by depth slices and materials, compacted fill (excavation minus
    // pipe volume, times compaction, by fill percentages), bedding, pipe supply by
    // excavation range and size position, house connections (when connections is true).
    // Pesos. diameter mm, length m, crown depths at both ends m (their mean sets the depth
    // to invert, as the quantity run takes it).
    double Pipe(double diameter, double length, double crownDepthUp, double crownDepthDown,
                bool connections) const;
    // A manhole by its governing diameter (mm) and depth to invert (m, counted in whole
    // centimetres as the quantity run counts it), network manholes row 1. 0 for no depth.
    // The quantity run takes the deepest reach end at the manhole and, as governing
    // diameter, the imposed minimum diameter of the reach that leaves it.
    double Manhole(double governingDiameter, double invertDepth) const;
    // A drop pipe (or drop chamber) priced at the position of a pipe of that diameter: the
    // quantity run counts a drop at the size of the reach whose record carries it.
    double DropPipe(double diameter) const;

    const quantities::QuantityLimits& limits() const { return limits_; }

  private:
    int Position(double diameter) const;

    quantities::QuantityLimits limits_;
    UnitPrices prices_;
    std::vector<double> sizes_;  // the size list, ascending when sorted_
    bool sorted_ = false;
    std::array<double, 4> excavation_{};  // pesos per m3 of trench by range, all materials
    double materialShare_ = 0;            // the material percentages over 100
    double fill_ = 0;                     // pesos per m3 of trench left to fill, compacted
    int gravelCode_ = 0, concreteCode_ = 0;
    double connectionsPerMetre_ = 0;
};

}  // namespace nivex::budget
