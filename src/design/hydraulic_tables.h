#pragma once
// The partial-flow tables of circular pipes and square ducts: the built-in relations,
// the tables computed once from the geometry, and their lookups. Immutable after their
// first use (thread-safe static initialisation).

#include <array>

namespace nivex::design {

// A table with entries for k = first … last, entry k standing at k/100.
struct RatioTable {
    const float* values;
    int first;
    int last;
    float at(int k) const { return values[k - first]; }
};

// ---- Built-in relations ----
RatioTable YdVarTable();          // y/D by q, variable n, k = 1 … 100
RatioTable DhVarTable();          // (A/T)/D by q, k = 1 … 100
RatioTable HalfAngleTable();      // θ/2 (rad) by y/D, k = 1 … 100
RatioTable TopWidthTable();       // T/D by y/D, k = 1 … 100
RatioTable AreaTable();           // A/D² by y/D, k = 1 … 100
RatioTable SectionFactorTable();  // Q/√(g·D⁵) by yc/D, k = 1 … 99
RatioTable R0RTable();            // R0/R by q, k = 0 … 100
RatioTable RR0Table();            // R/R0 by q, k = 0 … 103

// ---- Circular pipe, constant n (swept over the central angle) ----
constexpr int kCircularEntries = 107;
RatioTable QdConstTable();  // Q/Q0 by y/D
RatioTable YqConstTable();  // y/D by Q/Q0
RatioTable VqConstTable();  // V/V0 by Q/Q0

// ---- Square duct of side H, open at the top ----
struct DuctRelations {
    std::array<float, 101> flowByDepth{};      // Q/Q0 at x = k/100 ([0] unused)
    std::array<float, 101> velocityByDepth{};  // V/V0 at x = k/100 ([0] unused)
    std::array<float, 101> depthByFlow{};      // x at Q/Q0 = k/100 ([0] unused)
    std::array<float, 101> depthByVelocity{};  // x at V/V0 = k/100 ([0] unused)
};
const DuctRelations& DuctTables(bool variable);
// Depth factor F(x) of a duct in variable mode.
double DuctDepthFactor(double x);

// ---- Lookups ----
// T[a] + (T[a+1] − T[a])·(100·x − a), a = Int(100·x); a at or above limit gives upper,
// x below 0.01 (negative or no number included) gives lower.
inline float ForwardLookup(const RatioTable& t, double x, int limit, float upper, float lower) {
    const double scaled = 100.0 * x;
    if (!(scaled >= 1.0)) return lower;  // below 0.01, negative or no number
    if (scaled >= limit) return upper;
    const int a = static_cast<int>(scaled);
    const double low = t.at(a), high = t.at(a + 1);
    return static_cast<float>(low + (high - low) * (scaled - a));
}
// ((i − 1) + (v − T[i−1])/(T[i] − T[i−1]))/100 for the first i with T[i] > v; none gives
// none, i = first gives 0.01. The table must be ascending.
float InverseLookup(const RatioTable& t, double v, float none);

// Forces the building of every computed table (idempotent).
void LoadHydraulicTables();

}  // namespace nivex::design
