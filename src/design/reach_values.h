#pragma once
// The design values of a reach record by what they mean. The record keeps them by
// position (network::DisenoT); the design reads and writes them only through these names.

#include "network/tramo.h"

namespace nivex::design {

inline float& StormSpilled(network::TramoT& t) {
    return t.Diseno.F72[0];
}  // 72, l/s
inline float& SanitarySpilled(network::TramoT& t) {
    return t.Diseno.F72[1];
}  // 76, l/s
inline float& PeakFactorM(network::TramoT& t) {
    return t.Diseno.F72[2];
}  // 80
inline float& OwnSanitaryBase(network::TramoT& t) {
    return t.Diseno.F72[3];
}  // 84
inline float& DesignFlow(network::TramoT& t) {
    return t.Diseno.F92;
}  // 92, l/s
inline float& OwnStormArea(network::TramoT& t) {
    return t.Diseno.F212;
}  // 212, ha
inline float& OwnEquivalentArea(network::TramoT& t) {
    return t.Diseno.F220;
}  // 220, ha
inline float& Intensity(network::TramoT& t) {
    return t.Diseno.F244[0];
}  // 244, l/s/ha
inline float& StormFlow(network::TramoT& t) {
    return t.Diseno.F244[2];
}  // 252, l/s
inline float& SanitaryMax(network::TramoT& t) {
    return t.Diseno.F244[3];
}  // 256, l/s
inline float& SanitaryMin(network::TramoT& t) {
    return t.Diseno.F244[4];
}  // 260, l/s

inline float StormFlow(const network::TramoT& t) {
    return t.Diseno.F244[2];
}
inline float SanitaryMax(const network::TramoT& t) {
    return t.Diseno.F244[3];
}

// ---- Design results (the driver and the junctions) ----
inline int& TractiveX100(network::TramoT& t) {
    return t.Diseno.I12;
}  // 12, kg/m² × 100
inline int& NewInitialManhole(network::TramoT& t) {
    return t.Diseno.I14;
}  // 14
inline int& OwnRecord(network::TramoT& t) {
    return t.Diseno.I16[0];
}  // 16
inline int& PreviousRecord(network::TramoT& t) {
    return t.Diseno.I16[1];
}  // 18
inline int& NextRecord(network::TramoT& t) {
    return t.Diseno.I16[2];
}  // 20
inline int& ReceiverRecord(network::TramoT& t) {
    return t.Diseno.I16[3];
}  // 22
inline int& TributaryCount(network::TramoT& t) {
    return t.Diseno.I16[4];
}  // 24
inline int& TributaryRecord(network::TramoT& t, int k) {
    return t.Diseno.I16[static_cast<size_t>(5 + k)];
}  // 26 + 2k, k = 0..4
inline int& RaiseMark(network::TramoT& t) {
    return t.Reserved38;
}  // 38
inline int& DropKind(network::TramoT& t) {
    return t.Diseno.I40;
}  // 40
inline int& JunctionMark(network::TramoT& t) {
    return t.Diseno.I50;
}  // 50
inline float& FullFlowQ0(network::TramoT& t) {
    return t.Diseno.F112[0];
}  // 112, l/s
inline float& FullVelocityV0(network::TramoT& t) {
    return t.Diseno.F112[1];
}  // 116, m/s
inline float& FlowRatioQ(network::TramoT& t) {
    return t.Diseno.F112[2];
}  // 120
inline float& RealVelocity(network::TramoT& t) {
    return t.Diseno.F128;
}  // 128, m/s
inline float& DepthUp(network::TramoT& t) {
    return t.Diseno.F140[0];
}  // 140, m
inline float& DepthDown(network::TramoT& t) {
    return t.Diseno.F140[1];
}  // 144, m
inline float& DepthMean(network::TramoT& t) {
    return t.Diseno.F140[2];
}  // 148, m
inline float& GroundSlope(network::TramoT& t) {
    return t.Diseno.F140[3];
}  // 152, %
inline float& ImposedDiameter(network::TramoT& t) {
    return t.Diseno.F140[4];
}  // 156, mm
inline float& ProposedCrown(network::TramoT& t) {
    return t.Diseno.F140[5];
}  // 160, m
inline float& DropPipeDiameter(network::TramoT& t) {
    return t.Diseno.F168[0];
}  // 168, mm
inline float& DropHeight(network::TramoT& t) {
    return t.Diseno.F168[1];
}  // 172, m
inline float& ReferenceCrown(network::TramoT& t) {
    return t.Diseno.F184[0];
}  // 184, m
inline float& DropChambers(network::TramoT& t) {
    return t.Diseno.F184[1];
}  // 188
inline float& LowestCrown(network::TramoT& t) {
    return t.Diseno.F184[2];
}  // 192, m
inline float& DeliveryLevel(network::TramoT& t) {
    return t.Diseno.F184[3];
}  // 196, m
inline float& OriginTime(network::TramoT& t) {
    return t.InOriginTime;
}  // 236, min
inline float& TravelTime(network::TramoT& t) {
    return t.InReachTime;
}  // 240, min
inline float& SelfCleansingVelocity(network::TramoT& t) {
    return t.Diseno.F244[5];
}  // 264, m/s
inline float& RelativeDepth(network::TramoT& t) {
    return t.Diseno.F244[6];
}  // 268
inline float& InvertUp(network::TramoT& t) {
    return t.Diseno.F244[7];
}  // 272, m
inline float& InvertDown(network::TramoT& t) {
    return t.Diseno.F244[8];
}  // 276, m
inline float& SulfideZ(network::TramoT& t) {
    return t.Diseno.F244[11];
}  // 288
inline float& Froude(network::TramoT& t) {
    return t.Diseno.F244[12];
}  // 292
inline float& JunctionInvertIn(network::TramoT& t) {
    return t.Diseno.F244[13];
}  // 296, m
inline float& JunctionInvertOut(network::TramoT& t) {
    return t.Diseno.F244[14];
}  // 300, m
inline float& InvertDrop(network::TramoT& t) {
    return t.Diseno.F244[15];
}  // 304, m
inline float& TributaryEnergy(network::TramoT& t) {
    return t.Diseno.F244[16];
}  // 308, m
inline float& JunctionLoss(network::TramoT& t) {
    return t.Diseno.F244[17];
}  // 312, m
inline float& EnergyLeft(network::TramoT& t) {
    return t.Diseno.F244[18];
}  // 316, m
inline float& ReceiverEnergy(network::TramoT& t) {
    return t.Diseno.F244[19];
}  // 320, m
inline float& EnergySurplus(network::TramoT& t) {
    return t.Diseno.F244[20];
}  // 324, m
inline float& InletHead(network::TramoT& t) {
    return t.Diseno.F244[21];
}  // 328, m
inline float& WaterDepth(network::TramoT& t) {
    return t.Diseno.F244[22];
}  // 332, m
inline float& InletHeadAbove(network::TramoT& t) {
    return t.Diseno.F244[23];
}  // 336, m
inline float& VelocityHeadIn(network::TramoT& t) {
    return t.Diseno.F244[25];
}  // 344, m
inline float& VelocityHeadOut(network::TramoT& t) {
    return t.Diseno.F244[26];
}  // 348, m
inline float& InletMargin(network::TramoT& t) {
    return t.Diseno.F244[27];
}  // 352, m

}  // namespace nivex::design
