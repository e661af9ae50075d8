#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "specs/espec.h"
#include "specs/espec_fields.h"

namespace nivex::specs {

namespace {

constexpr std::array<float, 29> kDefaultDiameters{
    145,  182,  227,  284,  327,  362,  407,  452,  595,  670,  747,  824,  900,  928, 1054,
    1127, 1203, 1295, 1355, 1507, 1600, 1700, 1800, 1900, 2000, 2150, 2300, 2750, 3000};

constexpr std::array<float, kSeriesValues> kDefaultSeries{
    56.647f, 60.352f, 65.442f, 73.096f, 87.345f, 163.833f, 102.314f, 78.863f,
    68.797f, 62.67f,  58.393f, 55.128f, 0,       0,        0};

constexpr const char* kDefaultPipeType = "Tuberia de espigo y campana para union con mortero";

struct RangeDefault {
    int slot;
    const char* text;
};
constexpr std::array<RangeDefault, 9> kDefaultRanges{{{0, "1.50"},
                                                      {1, "3.00"},
                                                      {2, "4.50"},
                                                      {4, "1.80"},
                                                      {5, "3.60"},
                                                      {8, "0.40"},
                                                      {9, "0.50"},
                                                      {10, "0.60"},
                                                      {11, "0.70"}}};

constexpr double kDefaultMaxFilling = 0.75;

// Halves away from zero.
double Round2(double x) {
    return std::round(x * 100.0) / 100.0;
}

}  // namespace

double FlowRatioAtDepth(double yd) {
    const double theta = 2.0 * std::acos(1.0 - 2.0 * yd);
    const double area = (theta - std::sin(theta)) / (2.0 * std::numbers::pi);
    const double velocity = std::pow(1.0 - std::sin(theta) / theta, 2.0 / 3.0);
    return area * velocity;
}

void ApplyDefaults(EspecT& e) {
    e = EspecT{};
    std::copy(kDefaultDiameters.begin(), kDefaultDiameters.end(), e.Diameters.begin());
    e.DiameterCopy = e.Diameters;
    e.DiameterCount = static_cast<int>(kDefaultDiameters.size());
    RecomputeMinimumSlopes(e);
    e.MinSanitaryDiameter = static_cast<int>(e.Diameters[1]);
    e.MinStormDiameter = static_cast<int>(e.Diameters[2]);
    e.MaxFillingRatio = static_cast<float>(FlowRatioAtDepth(kDefaultMaxFilling));
    e.PipeTypes[0] = kDefaultPipeType;
    e.Zones[0] = {0.32f, 0.67f, 200};
    e.Series[0] = kDefaultSeries;
    e.Equations[0].frequency = 3;
    e.Equations[0].a = 908;
    e.Equations[0].n = 0.3f;
    e.Equations[0].m = 1.0f;
    for (const auto& r : kDefaultRanges)
        e.RangeTexts[static_cast<size_t>(r.slot)] = r.text;
}

EspecT DefaultEspec() {
    EspecT e;
    ApplyDefaults(e);
    return e;
}

std::array<float, kSeriesValues> detail::DefaultFirstSeries() {
    return kDefaultSeries;
}

void detail::ApplyDefaultDiameterTable(EspecT& e) {
    e.Diameters.fill(0);
    std::copy(kDefaultDiameters.begin(), kDefaultDiameters.end(), e.Diameters.begin());
    e.DiameterCopy = e.Diameters;
}

double NumericTextValue(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ')
        ++first;
    double v = 0;
    auto [p, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && std::isfinite(v) ? v : 0.0;
}

std::string NumericText(double value) {
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    if (ec != std::errc()) return "0.00";
    std::string s(buf, p);
    return s == "-0.00" ? "0.00" : s;
}

double RangeValue(const EspecT& e, int slot) {
    if (slot < 0 || slot >= kRangeTexts) return 0;
    return NumericTextValue(e.RangeTexts[static_cast<size_t>(slot)]);
}

void SetRangeValue(EspecT& e, int slot, double value) {
    if (slot < 0 || slot >= kRangeTexts) return;
    e.RangeTexts[static_cast<size_t>(slot)] = NumericText(value);
}

int UsedDiameters(const EspecT& e) {
    return std::clamp(e.DiameterCount, 1, kMaxDiameters);
}

std::vector<float> DefaultMinimumSlopes(const EspecT& e) {
    const int n = UsedDiameters(e);
    std::vector<float> slopes;
    slopes.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double d = e.Diameters[static_cast<size_t>(i)];
        double s = d > 0 ? Round2(722.62 * std::pow(1.016 * d, -1.419)) : 0.0;
        if (i < 2) s += 0.02;
        slopes.push_back(static_cast<float>(s));
    }
    return slopes;
}

void RecomputeMinimumSlopes(EspecT& e) {
    const auto slopes = DefaultMinimumSlopes(e);
    std::copy(slopes.begin(), slopes.end(), e.MinimumSlopes.begin());
}

std::optional<int> NearestCommercialDiameter(const EspecT& e, double value) {
    const int n = UsedDiameters(e);
    for (int i = 0; i < n; ++i) {
        const double d = e.Diameters[static_cast<size_t>(i)];
        if (value == d) return static_cast<int>(std::lround(d));
        if (d < value) continue;
        if (i == 0) return static_cast<int>(std::lround(d));
        const double lower = e.Diameters[static_cast<size_t>(i - 1)];
        return static_cast<int>(std::lround(value - lower < d - value ? lower : d));
    }
    return std::nullopt;
}

std::vector<Section> Sections(const EspecT& e) {
    const int n = UsedDiameters(e);
    const int total = std::clamp(e.SectionCount, n, kMaxSections);
    std::vector<Section> out;
    out.reserve(static_cast<size_t>(total));
    for (int i = 0; i + 1 < n; ++i)
        out.push_back(
            {false, e.Diameters[static_cast<size_t>(i)], e.MinimumSlopes[static_cast<size_t>(i)]});
    const float firstDuct = e.Diameters[static_cast<size_t>(n - 1)];
    for (int k = 0; k <= total - n; ++k)
        out.push_back({true, firstDuct + kDuctStep * static_cast<float>(k), kDuctMinSlope});
    return out;
}

double BeddingDepth(const EspecT& e, int code) {
    if (code == 1) return 0.0;
    if (code >= 2 && code <= 4)
        return RangeValue(e, kExcavationLimitSlots[static_cast<size_t>(code - 2)]);
    return -1.0;
}

int SystemKindOfClass(int designClass) {
    switch (designClass) {
        case 1:
            return 1;
        case 2:
            return 2;
        case 3:
        case 6:
        case 8:
            return 3;
        case 4:
        case 7:
        case 9:
            return 4;
        case 5:
            return 5;
        default:
            return 0;
    }
}

int ClassOfSystemKind(int systemKind) {
    return systemKind >= 1 && systemKind <= 5 ? systemKind : EspecT{}.SystemKind;
}

}  // namespace nivex::specs
