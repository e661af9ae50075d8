#pragma once
// How the pipes meet at a manhole: the drop of the outgoing crown, the drop of each
// incoming pipe (inside the manhole or through a drop pipe), crown matching of small
// tributaries, the energy check of the junction with the inlet-control head, and the
// marks and counts the design leaves at the end of a pass.
//
// Reaches are in stored form; elevations and depths in m, diameters in mm.

#include <functional>
#include <vector>

#include "design/hydraulics.h"
#include "network/tramo.h"
#include "specs/espec.h"

namespace nivex::design {

// The criteria of the junctions.
struct JunctionCriteria {
    float outletCrownDrop = 0.02f;  // "Rebajar la clave de salida en (m)"
    float minDropHeight = 0.75f;    // "Altura minima de bajante en tubo (m)"
    float crownJoinDiameter = 595;  // crown matching of tributaries below this mm; 0 none
    float crownJoinDrop = 0.75f;    // ... when they fall less than this (m)
    float maxVelocity = 5;          // "Velocidad maxima de diseno (m/s)"
    float energyDiameter = 0;       // energy junctions above this mm; 0 none
    float maxCrownDepth = 5;        // "Profundidad maxima a clave (m)"
};
JunctionCriteria JunctionCriteriaOf(const specs::EspecT& e);

// Drop kinds at the downstream end of a reach.
constexpr int kDropNone = 0;
constexpr int kDropInManhole = 1;  // also: the upstream crown was lowered, redo the junction
constexpr int kDropPipe = 2;
constexpr int kDropChambers = 3;

// The drop of the outgoing crown: d the outgoing diameter, imposed the largest incoming.
float OutletCrownDrop(const JunctionCriteria& c, float d, float imposed);

// Drop of tributary t into the manhole where current starts.
void TributaryDrop(const JunctionCriteria& c, network::TramoT& t, const network::TramoT& current);
// The same rule for the current reach into the reach that receives it.
void ReachDropIntoReceiver(const JunctionCriteria& c, network::TramoT& current,
                           const network::TramoT& receiver);

// Re-slopes tributary t so that it ends at the level given (its reference for the
// available slope is that level plus its minimum depth) and evaluates it again. False when
// the tributary keeps its own design (it then drops into the manhole).
using Reslope = std::function<bool(network::TramoT& t, float endCrown)>;

struct JunctionOutcome {
    double originTime = 0;     // time of concentration at the upstream manhole (min)
    float lowestIncoming = 0;  // lowest downstream crown of the tributaries
};
// The junction of the tributaries (already loaded) at the upstream manhole of current:
// drops or matching, delivery elevations, the time of concentration at the origin.
// readjusting: the second sweep of the readjustment pass (matched tributaries arriving
// too high are re-sloped). The tributaries are changed in place; the caller writes them.
JunctionOutcome UpstreamJunction(const JunctionCriteria& c, const HydraulicCriteria& h,
                                 network::TramoT& current,
                                 const std::vector<network::TramoT*>& tributaries, float outletDrop,
                                 double timeStart, bool readjusting, const Reslope& reslope);

// Junction coefficient K from the outgoing diameter (1.20 m manhole).
double JunctionCoefficient(float outgoingDiameter);
// Entrance energy head of a pipe (m) at flow q (l/s).
double InletControlHead(float d, float q);

// The energy values of tributary t at the start of c (offsets 292 … 352 of t), with the
// real velocity of the reach receiving c (0 when none). Returns the energy surplus.
struct EnergyValues {
    double surplus = 0;      // energy left − energy of c + 0.001
    double invertDrop = 0;   // downstream invert of t − upstream invert of c + 0.001
    double inletExcess = 0;  // inlet head above the water minus the invert drop (supercritical)
    bool supercritical = false;
};
EnergyValues TributaryEnergy(const JunctionCriteria& c, const HydraulicCriteria& hc,
                             network::TramoT& t, network::TramoT& current, float receiverVelocity);

// The counts of the end-of-pass marks.
struct MarkCounts {
    int insufficientCapacity = 0;  // "tramos con capacidad insuficiente"
    int mismatches = 0;            // "las claves de entrada y salida no empalman"
};
// Reference crowns, added initial manholes (only when addInitialManholes: the
// readjusting sweep of the last pass), capacity and crown mismatches over every record
// (records[k] is record k + 1).
MarkCounts MarkInitialManholesAndMismatches(std::vector<network::TramoT>& records,
                                            int networkRecords, bool addInitialManholes);

}  // namespace nivex::design
