#pragma once
// The field rules and cross-rules of the value screens F, G, H, I, J, S, L, O and K.
// Each returns the message the screen shows (code-page bytes), or empty when the value
// is taken. `active` is whether the field was active when the screen opened (for the
// catalogue: whether it is active now). Values are compared as the 32-bit floats they are
// stored as, so that a typed 0.7 equals a stored 0.7.

#include <string>

#include "specs/espec.h"

namespace nivex::specs::rules {

// ---- F: general design criteria ----
bool ManningFromRoughness(const EspecT& e);  // the Manning option is n from the roughness
bool CrownJoinAllowed(const EspecT& e);      // no energy junctions, no critical-flow avoidance
std::string Roughness(bool active, double v);
std::string ManningN(bool active, double v);
std::string ManningLimitDiameter(const EspecT& e, bool active, double v);
std::string ManningNLarge(bool active, double v);
std::string MinMinCrownDepth(const EspecT& e, double v);
std::string MinCrownDepth(const EspecT& e, double v);
std::string MaxDesirableCrownDepth(const EspecT& e, double v);
std::string MaxCrownDepth(const EspecT& e, double v);
// The first of fields 5 to 8 (0 for field 5 .. 3 for field 8) whose rule the set breaks,
// or -1.
int FirstInconsistentDepth(const EspecT& e);
std::string CrownJoinValue(bool active, double v);  // fields 10 and 11
std::string OutletCrownLowering(double v);
std::string MaxVelocity(double v);
std::string MinDesignSlope(double v);               // refused below 0.049
std::string MinDesignSlopeWarning(double v);        // shown, but taken, from 0.049 to 0.05
std::string JunctionSwitch(bool active, double v);  // fields 15 and 16

// ---- G and H: sanitary and storm design criteria ----
std::string PositiveValue(double v);  // "No puede ser cero"
std::string FixedPeakCoefficient(bool active, double v);
// The pair minimum-minimorum / minimum of the tractive forces and real velocities.
std::string MinMinTractive(bool active, double v, double minimum);
std::string MinTractive(bool active, double v, double minMin);
std::string MinMinRealVelocity(bool active, double v, double minimum);
std::string MinRealVelocity(bool active, double v, double minMin);
std::string FixedMinCoefficient(bool active, double v);
std::string GivenWhenActive(bool active, double v);  // "Debe introducir un valor "
std::string MaxFilling(double v);
std::string RunoffCoefficient(double v);
// A commercial diameter; *nearest receives the diameter the screen offers instead.
std::string CommercialDiameter(const EspecT& e, double v, int* nearest = nullptr);

// ---- O: storm reduction factors ----
// Factor k (0..4) strictly below factor k - 1.
std::string ReductionFactor(const EspecT& e, int k, double v);

// ---- K: construction data ----
std::string ExcavationSum(const EspecT& e);
std::string FillSum(const EspecT& e);
std::string BeddingOrder(int gravelCode, int concreteCode);

// ---- Cross-rules of a screen ----
// F: fields 5 to 8; G and H: the two pairs; O: the order; K: the sums and the bedding.
std::string CrossCheck(char letter, const EspecT& e);

}  // namespace nivex::specs::rules
