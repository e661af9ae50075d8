#pragma once
// How the quantities classify a reach and a manhole: depth to invert, excavation range,
// trench width, size position, manhole depth range and size class, with the limits of the
// sector's criteria read once.

#include <string>
#include <vector>

#include "quantities/quantity_tables.h"
#include "specs/espec.h"

namespace nivex::quantities {

struct QuantityLimits {
    std::array<double, 3> excavation{};  // E1 < E2 < E3, m
    std::array<double, 2> manhole{};     // M1 < M2, m
    std::array<double, 4> overWidth{};   // W1..W4 by excavation range, m
    int manhole120 = 600;                // governing diameter limits, mm
    int manhole180 = 900;
    std::vector<float> sizes;  // the size list, position p at p - 1
    int firstDuct = 0;         // position of the first square duct (1-based)

    int sizeCount() const { return static_cast<int>(sizes.size()); }
    float size(int position) const { return sizes[static_cast<size_t>(position - 1)]; }
    bool isDuct(int position) const { return position >= firstDuct; }
};

QuantityLimits LimitsOf(const specs::EspecT& e);

// Nearest integer, halves away from zero; and to two decimals.
double RoundHalfAway(double x);
double RoundTo2(double x);

// H = 0.001·D + crown depth (m).
double InvertDepth(double diameter, double crownDepth);
// 1 when H ≤ E1, 2 when H ≤ E2, 3 when H ≤ E3, else 4.
int ExcavationRange(const QuantityLimits& l, double invertDepth);
// B = 0.001·D + W_r (m).
double TrenchWidth(const QuantityLimits& l, double diameter, int range);
// The position 1..S whose size equals D exactly; 0 when none does.
int SizePosition(const QuantityLimits& l, double diameter);
// 1 when x ≤ M1, 2 when x ≤ M2, 3 above.
int ManholeDepthRange(const QuantityLimits& l, double depth);
// kManhole120, kManhole180 or kManholeSpecial by the governing diameter (mm).
int ManholeSizeGroup(const QuantityLimits& l, double governingDiameter);

// A manhole depth in whole centimetres, truncated; a float a hair below a whole
// centimetre (1.3 stored as 1.2999999) counts as that centimetre.
int DepthCm(double metres);
// A manhole's stored depth met by one more reach end: the larger magnitude, positive when
// either is (negative depths mark manholes of reaches outside the system).
int MergeDepth(int stored, int depth);

// A size as the listings and item texts print it: at most two decimals ("300", "1.5").
std::string SizeText(double size);
// A limit of record 5 as the texts print it ("1.50").
std::string LimitText(double metres);

}  // namespace nivex::quantities
