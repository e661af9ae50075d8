#pragma once
// The flows of one reach, computed when the reaches that arrive at its upstream manhole
// (its tributaries) are designed: sanitary flows with their peak factor, the storm flow
// by the rational method or from the hydraulic model, the design flow, and what
// accumulates downstream. Reaches are in stored form with the contribution already set
// by the design for the class (1 in classes 1 and 2, 2 in class 3, 3 in class 4).
// Flows in l/s, areas in ha (100 m units in class 1), times in minutes.

#include <array>
#include <vector>

#include "network/tramo.h"
#include "specs/espec.h"

namespace nivex::design {

struct FlowCriteria {
    int designClass = 2;
    std::array<specs::SanitaryZone, specs::kMaxZones> zones{};
    int zoneCount = 1;
    float minimumFlow = 1.5f;  // Qmin
    int peakMethod = 0;        // 0 Harmon .. 5 Gaines, 6 fixed value
    float fixedPeak = 0;
    int minimumMethod = 5;  // 0 max hourly .. 4 min hourly, 5 fixed value
    float fixedMinimum = 0;
    float minConcentrationTime = 15;
    std::array<float, specs::kReductionFactors> reduction{};
    std::array<specs::RainEquation, specs::kMaxEquations> equations{};
    int equationCount = 1;
    float modelAdjustment = 0.95f;  // applied to the model's flows
};
FlowCriteria FlowCriteriaOf(const specs::EspecT& e, int designClass);

// 0 sanitary, 1 combined, 2 storm, 3 none. In the mixed class it follows the reach's own
// results.
int ContributionKind(const network::TramoT& t, int designClass);

// M from the accumulated population (inhabitants) and average flow (l/s).
double PeakFactor(const FlowCriteria& c, double population, double averageFlow);

// Counts a design pass reports at its end.
struct FlowCounts {
    int ignoredReliefChambers = 0;
};

// The design sets these four to 0 before the flows of a reach are computed.
void ClearReachFlows(network::TramoT& t);

// lastOfLine: no reach follows this one in the topology of the design.
void ComputeSanitaryFlows(network::TramoT& t,
                          const std::vector<const network::TramoT*>& tributaries, bool lastOfLine,
                          const FlowCriteria& c, FlowCounts& counts);
// modelFlow: the reach's flow in the last hydraulic-model run while its results are in
// use (classes 6 to 9), else null.
void ComputeStormFlows(network::TramoT& t, const std::vector<const network::TramoT*>& tributaries,
                       const FlowCriteria& c, FlowCounts& counts, const float* modelFlow = nullptr);
void ComputeDesignFlow(network::TramoT& t, const FlowCriteria& c);

// Reduction of the storm flow for the drained area; 0 for a sanitary reach.
double ReductionFactor(const FlowCriteria& c, int contributionKind, double area);
// l/s/ha for the reach's equation set at a time of concentration.
double RainfallIntensity(const FlowCriteria& c, int equationSet, double minutes);
// Storm flow of accumulated areas at a time of concentration, not below floor.
double RationalFlow(const FlowCriteria& c, int contributionKind, int equationSet, double realArea,
                    double equivalentArea, double minutes, double floor);

// The time of concentration at the upstream manhole: the minimum (or the time of the
// additional area when larger), or the longest arrival over the tributaries.
double ConcentrationTimeAtOrigin(const network::TramoT& t,
                                 const std::vector<const network::TramoT*>& tributaries,
                                 const FlowCriteria& c);

}  // namespace nivex::design
