#include "quantities/quantity_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace nivex::quantities {

QuantityLimits LimitsOf(const specs::EspecT& e) {
    QuantityLimits l;
    for (size_t k = 0; k < l.excavation.size(); ++k)
        l.excavation[k] = specs::RangeValue(e, specs::kExcavationLimitSlots[k]);
    for (size_t k = 0; k < l.manhole.size(); ++k)
        l.manhole[k] = specs::RangeValue(e, specs::kManholeLimitSlots[k]);
    for (size_t k = 0; k < l.overWidth.size(); ++k)
        l.overWidth[k] = specs::RangeValue(e, specs::kTrenchOverWidthSlots[k]);
    l.manhole120 = e.Manhole120Diameter;
    l.manhole180 = e.Manhole180Diameter;
    for (const specs::Section& section : specs::Sections(e))
        l.sizes.push_back(section.size);
    l.firstDuct = specs::UsedDiameters(e);
    return l;
}

namespace {

// Depths come from single-precision records: a crown depth typed as 1.70 is stored as
// 1.70000005, and a reach that the engineer placed exactly at a limit stays at it.
constexpr double kDepthTolerance = 1e-5;  // m

}  // namespace

double RoundHalfAway(double x) {
    // A half reached through binary noise (0.9 × 100 × 0.15 = 13.4999…) still goes up.
    return std::round(x + std::copysign(1e-9 * std::max(1.0, std::fabs(x)), x));
}

double RoundTo2(double x) {
    return RoundHalfAway(x * 100.0) / 100.0;
}

double InvertDepth(double diameter, double crownDepth) {
    return 0.001 * diameter + crownDepth;
}

int ExcavationRange(const QuantityLimits& l, double h) {
    if (h <= l.excavation[0] + kDepthTolerance) return 1;
    if (h <= l.excavation[1] + kDepthTolerance) return 2;
    if (h <= l.excavation[2] + kDepthTolerance) return 3;
    return 4;
}

double TrenchWidth(const QuantityLimits& l, double diameter, int range) {
    return 0.001 * diameter + l.overWidth[static_cast<size_t>(range - 1)];
}

int SizePosition(const QuantityLimits& l, double diameter) {
    for (size_t k = 0; k < l.sizes.size(); ++k)
        if (static_cast<double>(l.sizes[k]) == diameter) return static_cast<int>(k) + 1;
    return 0;
}

int ManholeDepthRange(const QuantityLimits& l, double depth) {
    if (depth <= l.manhole[0] + kDepthTolerance) return 1;
    if (depth <= l.manhole[1] + kDepthTolerance) return 2;
    return 3;
}

int ManholeSizeGroup(const QuantityLimits& l, double governingDiameter) {
    if (governingDiameter <= l.manhole120) return kManhole120;
    if (governingDiameter <= l.manhole180) return kManhole180;
    return kManholeSpecial;
}

int DepthCm(double metres) {
    const double cm = metres * 100.0;
    const double nearest = std::round(cm);
    if (std::fabs(cm - nearest) < 1e-3) return static_cast<int>(nearest);
    return static_cast<int>(std::trunc(cm));
}

int MergeDepth(int stored, int depth) {
    const int magnitude = std::max(std::abs(stored), std::abs(depth));
    return stored > 0 || depth > 0 ? magnitude : -magnitude;
}

std::string SizeText(double size) {
    char buffer[32];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, RoundTo2(size), std::chars_format::fixed, 2);
    if (ec != std::errc{}) return "0";
    std::string text(buffer, end);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string LimitText(double metres) {
    return specs::NumericText(metres);
}

}  // namespace nivex::quantities
