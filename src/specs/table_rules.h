#pragma once
// The rules of the table screens T, B, R, C, D, E and N: one function per field rule and
// per cross-rule. Each returns the message to show (code-page bytes) or "" when the value
// or the set may stay as it is. Field rules look at the value being typed and at the
// fields it must follow; cross-rules at the whole set, as checked on leaving a screen.

#include <string>

#include "specs/espec.h"

namespace nivex::specs {

// ---- T: maximum number of diameters and ducts ----
constexpr int kMinPipeCount = 5;
constexpr int kMaxPipeCount = kMaxDiameters;
constexpr int kMaxPipesAndDucts = kMaxSections;

std::string PipeCountRule(int pipes);
// ducts: the square ducts beyond the table (total sections minus table entries).
std::string DuctCountRule(int pipes, int ducts);
std::string MaxDiametersCrossRule(const EspecT& e);

// ---- B: commercial diameters ----
std::string DiameterOrderRule(const EspecT& e);

// ---- R: minimum slopes ----
constexpr double kMinSlope = 0.01;
std::string MinimumSlopeRule(double slope);

// ---- C: excavation depth ranges (range 0..2, metres) ----
// A limit must lie above the one before it.
std::string ExcavationLimitRule(const EspecT& e, int range, double value);
std::string ExcavationOrderRule(const EspecT& e);

// ---- D: trench over-widths (k 0..3, metres) ----
// While editing a width may equal the one before it; on leaving they must rise strictly.
std::string TrenchWidthRule(const EspecT& e, int k, double value);
std::string TrenchOrderRule(const EspecT& e);

// ---- E: manhole depth ranges (range 0..1, metres) ----
std::string ManholeLimitRule(const EspecT& e, int range, double value);
std::string ManholeLimitOrderRule(const EspecT& e);

// ---- N: pipe diameters served by manholes of 1.20 m (k 0) and 1.80 m (k 1) ----
std::string ManholeDiameterRule(const EspecT& e, int k, int value);
std::string ManholeDiameterOrderRule(const EspecT& e);

}  // namespace nivex::specs
