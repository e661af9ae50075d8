#pragma once
// The least construction cost of a tree of reaches by dynamic programming over its
// manholes, from the heads down to the outfalls. The state leaving a reach is its lower
// crown on a grid of a few centimetres and its diameter; at a manhole every incoming pipe
// must arrive at or above the crown of the pipe leaving it (lower by the outlet drop when
// both have the same size) and no wider than it. Exact over its grid: every combination
// of diameters and crowns the rules allow is weighed, none is guessed away.
//
// The problem knows nothing of records or files: the design fills it from the design copy,
// the tests fill it by hand and weigh it against a full enumeration.

#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace nivex::design {

// One diameter a new reach may take, with the slopes the criteria allow it (%).
struct CostOption {
    float diameter = 0;  // mm
    double minSlope = 0;
    double maxSlope = std::numeric_limits<double>::infinity();  // the velocity cap
    // Slopes at or above this are refused, unless a tributary as wide arrives: a smaller
    // size would serve there.
    double oversizeSlope = std::numeric_limits<double>::infinity();
    std::vector<std::pair<double, double>> band;  // slopes refused (critical flow), open
    // May fall faster than the velocity cap: laid at the cap, the rest of the fall taken
    // by intermediate drop chambers.
    bool chambers = false;
    // With crown matching, a pipe may end above the level it would be taken to (one as
    // wide as the matching size at all, a narrower one by no more than the matching fall)
    // only when the slope that would take it level reaches this (%): it would run too fast.
    // Judged on the cheapest way the pipe is laid above: the one rule not weighed exactly.
    double tooFastSlope = std::numeric_limits<double>::infinity();
    // No steeper than half as much again as this (%), plus 0.02, unless it ends within
    // followCover of the ground or only follows the ground at its least cover: a pipe
    // dug deeper than any rule asks. Infinity: no such bound.
    double needSlope = std::numeric_limits<double>::infinity();
};

struct CostReach {
    int receiver = -1;             // index of the reach it delivers to; -1 an outfall
    std::vector<int> tributaries;  // indices of the reaches arriving at its upstream manhole
    // Existing, restricted or not investigated: kept. A new pipe wider than it arrives
    // invert to invert, to the nearest centimetre.
    bool fixed = false;
    float fixedDiameter = 0;  // mm
    double fixedCrownUp = 0, fixedCrownDown = 0;
    // A tributary spilling at a relief chamber passes on only the storm minimum: its size
    // does not bound the size of the reach that receives it.
    bool spills = false;
    double length = 0;  // m
    double groundUp = 0, groundDown = 0;
    double minCoverUp = 0, minCoverDown = 0;  // least crown depth at each end (m)
    double maxCoverUp = 0, maxCoverDown = 0;  // greatest crown depth at each end (m)
    double followCover = 0;                   // a lower end this shallow may take any slope (m)
    double needCover = 0;  // the cover that following the ground is judged by (m)
    // A fall the pipes arriving must keep above the crown leaving, beyond the outlet drop
    // (m): what an energy junction found missing in an earlier solution.
    double extraDrop = 0;
    // Into a fixed reach it may arrive as low as this, below the fixed crown (m): where the
    // network leaves no higher way in. Infinity: at or above the fixed crown.
    double arrivalFloor = std::numeric_limits<double>::infinity();
    // The least governing size of its upstream manhole (mm): the class minimum, or the size
    // imposed on the reach.
    float leastGoverning = 0;
    std::vector<CostOption> options;  // new reaches: the sizes it may take
};

// What building costs, in pesos.
struct CostPricing {
    // A pipe laid with the mean of its two crown depths (m), as the quantities measure it.
    std::function<double(int reach, float diameter, double meanDepth)> pipe;
    // A manhole by its governing diameter (the widest pipe arriving, never less than the
    // least of the reach leaving) and the depth to the invert of the pipe leaving it (m).
    std::function<double(float governing, double invertDepth)> manhole;
    // The group of governing sizes a manhole is priced by; none: every size its own.
    std::function<int(float governing)> manholeGroup;
    // A drop pipe at a manhole for an arriving pipe of that size.
    std::function<double(float diameter)> dropPipe;
    // The intermediate drop chambers of a reach that falls faster than its cap, by its
    // lower crown (m).
    std::function<double(int reach, float diameter, double crownDown)> chambers;
};

struct CostProblem {
    double step = 0.02;  // m between two crowns of the grid
    // A fall this much short of the least slope's still keeps that slope: the crowns are
    // rounded to the centimetre, the slope stored is the least one (m).
    double fallRounding = 0;
    double outletDrop = 0;        // "Rebajar la clave de salida en (m)"
    double dropPipeHeight = 0.0;  // a fall at least this high needs a drop pipe (0: never)
    // Crown matching (0: none): a new pipe arrives level with the crown leaving the manhole
    // (with its drop); one narrower than this (mm) may instead fall more than matchFall.
    double matchBelowDiameter = 0;
    double matchFall = 0;
    // A tributary spilling at a relief chamber governs a manhole as this size (mm).
    float spillGoverning = 0;
    // Reaches in an order where every tributary comes before the reach it joins.
    std::vector<CostReach> reaches;
};

struct CostChoice {
    float diameter = 0;
    double crownUp = 0, crownDown = 0;
    bool chambered = false;  // falls faster than its cap through drop chambers
};

struct CostSolution {
    bool feasible = false;
    double cost = std::numeric_limits<double>::infinity();
    std::vector<CostChoice> choices;  // by reach; fixed reaches keep their values
    int infeasibleReach = -1;         // the first reach nothing could be laid for
};

CostSolution SolveLeastCost(const CostProblem& problem, const CostPricing& pricing);

// The crowns of a reach on the grid: index i stands for the elevation i·step.
long CrownIndexBelow(double elevation, double step);  // the highest index at or below
long CrownIndexAbove(double elevation, double step);  // the lowest index at or above

// Whether slope s (%) is allowed to a size: the criteria, the velocity cap, the size not
// larger than needed and the critical band.
// wideArrives: a tributary as wide arrives, so the size is never too wide.
bool SlopeAllowed(const CostOption& o, double s, bool wideArrives = false);

}  // namespace nivex::design
