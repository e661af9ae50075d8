#pragma once
// Small designed networks for the quantity tests: criteria with round limits and a short
// size list, and reaches built field by field.

#include <string>
#include <vector>

#include "design/reach_values.h"
#include "network/tramo.h"
#include "quantities/quantity_run.h"
#include "specs/espec.h"

namespace nivex::quantities::testing {

// E1 2, E2 3, E3 4 m; M1 2, M2 3 m; over-widths 0.5, 0.6, 0.7, 0.8 m; sizes 300, 450, 600,
// 900, 1200 mm and the duct 1500; 100 % common material in the dry, 0.1 connections per
// metre, compaction 1, all fill with excavated material, gravel from range 1, concrete
// from range 3.
inline specs::EspecT RoundCriteria() {
    specs::EspecT e = specs::DefaultEspec();
    const double excavation[] = {2, 3, 4};
    for (size_t k = 0; k < 3; ++k)
        specs::SetRangeValue(e, specs::kExcavationLimitSlots[k], excavation[k]);
    specs::SetRangeValue(e, specs::kManholeLimitSlots[0], 2);
    specs::SetRangeValue(e, specs::kManholeLimitSlots[1], 3);
    const double widths[] = {0.5, 0.6, 0.7, 0.8};
    for (size_t k = 0; k < 4; ++k)
        specs::SetRangeValue(e, specs::kTrenchOverWidthSlots[k], widths[k]);
    e.Diameters.fill(0);
    const float sizes[] = {300, 450, 600, 900, 1200, 1500};
    for (size_t k = 0; k < 6; ++k)
        e.Diameters[k] = sizes[k];
    e.DiameterCount = 6;
    e.SectionCount = 6;
    e.Manhole120Diameter = 600;
    e.Manhole180Diameter = 900;
    e.ConstructionData.fill(0);
    e.ConstructionData[specs::kDryCommon] = 100;
    e.ConstructionData[specs::kConnectionsPerMetre] = 0.1f;
    e.ConstructionData[specs::kCompactionFactor] = 1;
    e.ConstructionData[specs::kFillExcavated] = 100;
    e.ConstructionData[specs::kBeddingGravelCode] = 1;
    e.ConstructionData[specs::kBeddingConcreteCode] = 3;
    e.ConstructionData[specs::kConstructionUnused] = 7;
    return e;
}

// A designed reach: crown depths up and down, their mean, the diameter; the imposed
// minimum diameter is the reach's own.
inline network::TramoT Reach(const std::string& up, const std::string& down, float length,
                             float diameter, float depthUp, float depthDown, int cls = 0) {
    network::TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Class = cls;
    t.Length = length;
    t.Diameter = diameter;
    t.Slope = 1;
    t.GroundUp = 1000;
    t.CrownUp = 1000 - depthUp;
    design::DepthUp(t) = depthUp;
    design::DepthDown(t) = depthDown;
    design::DepthMean(t) = (depthUp + depthDown) / 2;
    design::ImposedDiameter(t) = diameter;
    design::RealVelocity(t) = 0.8f;
    design::TractiveX100(t) = 15;
    design::GroundSlope(t) = 1;
    return t;
}

inline QuantityInput OneSector(std::vector<network::TramoT> network,
                               std::vector<network::TramoT> removed = {}, int stages = 0) {
    QuantityInput input;
    SectorReaches sector;
    sector.sector = 1;
    sector.networkCount = static_cast<int>(network.size());
    sector.records = std::move(network);
    for (auto& t : removed)
        sector.records.push_back(std::move(t));
    input.sectors.push_back(std::move(sector));
    input.stageCount = stages;
    input.hasNewReach = true;
    input.designClass = 1;
    return input;
}

}  // namespace nivex::quantities::testing
