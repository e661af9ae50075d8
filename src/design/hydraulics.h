#pragma once
// Uniform-flow hydraulics of the two sections a reach can have, circular pipes and
// square ducts: Manning's full-section relations, the partial-flow relations, Froude
// number, tractive force, sulfide index and the inverse relations that give the slope
// or the diameter a target needs.
//
// Units: diameter or duct side D in mm, slope S in %, flow Q in l/s, velocity in m/s,
// tractive force in kg/m²; n, q = Q/Q0 and y/D are plain numbers. Every operation is a
// pure function of its arguments and of the criteria passed in; a zero, negative or
// non-finite input gives 0 (or the end value of the relation), never a NaN.

#include <array>

#include "shell/control_file.h"
#include "specs/espec.h"

namespace nivex::design {

// The sizes of the design: commercial pipe diameters, then the square ducts.
struct SizeList {
    std::array<float, specs::kMaxSections> size{};      // mm, ascending
    std::array<float, specs::kMaxSections> minSlope{};  // %
    int count = 0;                                      // sizes in use
    int firstDuct = 0;  // index (from 0) of the first duct; == count when there is none

    float firstDuctSize() const;  // +infinity when there is no duct
    float largest() const { return count > 0 ? size[static_cast<size_t>(count - 1)] : 0.0f; }
};
// The entered pipes with their minimum slopes, then every duct (minimum slope 0.01 %).
SizeList SizesOf(const specs::EspecT& e);

// What the hydraulics read from the criteria of the open sector.
struct HydraulicCriteria {
    SizeList sizes;
    bool variableRelations = false;  // "Usar n/N variable "
    int designClass = 2;
    bool asceManning = false;  // n from the absolute roughness
    float roughness = 0.03f;   // mm
    float manningN = 0.009f;   // n up to manningLimitDiameter
    float manningLimitDiameter = 1524;
    float manningNLarge = 0.013f;
    int sanitaryMinTractive100 = 10;  // kg/m² × 100
    float stormMinTractive = 0.10f;   // kg/m²
    int minSanitaryDiameter = 182;
    int minStormDiameter = 227;
    float froudeLower = 0.9f;  // both 0 when critical flow is not avoided
    float froudeUpper = 1.1f;
    float waterTemperature = 25;  // °C
    float bod5 = 250;             // mg/l
};
HydraulicCriteria CriteriaOf(const specs::EspecT& e, const shell::ProyectoT& header);
// The criteria of a new sector.
HydraulicCriteria DefaultCriteria();

// Two decimals, halves away from zero.
double Round2(double v);
float Round2(float v);

// A size at or above the first duct is a square duct.
bool IsDuct(const HydraulicCriteria& c, float d);

// n of a reach: its own n when above 0, else the n of the configured rule.
float ReachManningN(const HydraulicCriteria& c, float reachN, float d);
float AsceManningN(const HydraulicCriteria& c, float d);

// ---- Full section ----
float FullVelocity(const HydraulicCriteria& c, float n, float s, float d);
float FullFlow(const HydraulicCriteria& c, float n, float s, float d);

// ---- Partial flow ----
float DepthRatio(const HydraulicCriteria& c, float d, float q);
float FlowRatioFromDepth(const HydraulicCriteria& c, float yd);  // circular pipes
float PartialVelocity(const HydraulicCriteria& c, float d, float q, float v0);
// (A/T)/D by q from the variable-n table (what ducts use in both modes).
float HydraulicDepthRatio(float q);
// (A/T)/D of the section at q: with a constant n, that of the circular segment at the
// depth of the relation (the fullest free surface when q fills the pipe).
float HydraulicDepthRatio(const HydraulicCriteria& c, float d, float q);
// Fr with the hydraulic depth of the variable-n relation.
float FroudeNumber(float q, float d, float v);
// Fr with the hydraulic depth of the section in the mode of the criteria.
float FroudeNumber(const HydraulicCriteria& c, float q, float d, float v);
// With a constant n, R is that of the circular segment at the depth of the relation.
// storm: the reach carries storm water (decides the class-5 minimum).
float TractiveForce(const HydraulicCriteria& c, float q, float d, float s, bool storm = false);

// ---- Inverses ----
float SlopeForTractiveForce(const HydraulicCriteria& c, float tau, float d, float n, float q);
float SlopeForTau015(const HydraulicCriteria& c, float d, bool storm = true);
float SlopeForRealVelocity(const HydraulicCriteria& c, float q, float v, float d, float n);
float SlopeForFullVelocity(const HydraulicCriteria& c, float d, float n, float v);
float SlopeForFlow(const HydraulicCriteria& c, float qmax, float q, float n, float d);
float DiameterForFlow(const HydraulicCriteria& c, float qmax, float q, float n, float s);
float DiameterForVelocity(const HydraulicCriteria& c, float v, float qmax, float q);
// storm: in class 5, the area has a storm runoff coefficient.
float CommercialSize(const HydraulicCriteria& c, float d, bool storm = false);
float RasMinimumVelocity(const HydraulicCriteria& c, float d);
// froude: the Froude number at the slope returned.
// Whether a pipe at slope s carries q inside the critical band that is to be avoided: a
// Froude number between the limits with the pipe fuller than the band's depth.
bool InCriticalBand(const HydraulicCriteria& c, float s, float q, float d, float n);
float SlopeAvoidingCriticalFlow(const HydraulicCriteria& c, float s, float q, float d, float n,
                                float& froude);

// ---- Circular-segment geometry and sewer gases ----
float HalfAngle(float yd);
float TopWidthRatio(float yd);
float AreaRatio(float yd);
float CriticalDepthRatio(float sectionFactor);
float SulfideIndex(float yd, float q, float s, float temperature, float bod5);

// The R0/R and R/R0 tables are built in: loading them only makes sure they are ready.
void ReadData1();
void ReadData2();

}  // namespace nivex::design
