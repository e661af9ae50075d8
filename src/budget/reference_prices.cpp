#include "budget/reference_prices.h"

#include <array>
#include <cmath>

namespace nivex::budget {
namespace {

using quantities::QuantityLimits;

// December 2026, pesos. Each value below is documented in docs/precios-referencia.md;
// change both together.

// Excavation in common material in the dry, per m3, by excavation range 1..4: deeper
// trenches need shoring, slower digging and longer hauling out of the trench.
constexpr std::array<double, 4> kCommonDry{38000, 45000, 54000, 66000};
// Over common material: conglomerate, rock (the three materials in the dry).
constexpr std::array<double, 3> kMaterialFactor{1.00, 1.40, 3.50};
// Excavation below the water table, with pumping.
constexpr double kPumpingFactor = 1.30;

// Compacted fill per m3: with the excavated material, borrowed, selected.
constexpr std::array<double, 3> kFill{28000, 78000, 98000};

// Manholes of the network per unit, [size group][manhole depth range 1..3].
constexpr std::array<std::array<double, 3>, 3> kManholes{{
    {4800000, 6900000, 9800000},     // 1.20 m
    {8200000, 11500000, 16000000},   // 1.80 m
    {16000000, 23000000, 32000000},  // special design
}};

// Circular pipe supplied and laid in range 1, pesos per metre.
constexpr std::array<PriceAnchor, 8> kPipeAnchors{{{200, 120000},
                                                   {300, 200000},
                                                   {450, 330000},
                                                   {600, 500000},
                                                   {900, 900000},
                                                   {1200, 1400000},
                                                   {1500, 2000000},
                                                   {2000, 3100000}}};
// Laying deeper costs more (handling inside a shored trench), by excavation range 1..4.
constexpr std::array<double, 4> kPipeDepthFactor{1.00, 1.08, 1.18, 1.30};
// A square duct cast in place over a circular pipe of the same size.
constexpr double kDuctFactor = 1.25;

// House connection per unit: a + b · D of the main (mm).
constexpr double kConnectionBase = 1050000;
constexpr double kConnectionPerMm = 350;

// Bedding per m3: granular, concrete 1:3:5.
constexpr double kGravel = 110000;
constexpr double kConcrete = 680000;

// Drop pipe per unit up to kLargestDropPipe: a + b · D; above it a special drop chamber,
// a power of the size.
constexpr double kDropBase = 1400000;
constexpr double kDropPerMm = 2000;
constexpr PowerLaw kDropChamber{12000000, 1.3};

// Removal of existing pipe per metre: kRemoval300 · (D / 300)^kRemovalExponent.
constexpr double kRemoval300 = 70000;
constexpr double kRemovalExponent = 1.1;

double Whole(double pesos) {
    return quantities::RoundHalfAway(pesos);
}

double PipePrice(const QuantityLimits& l, int range, int position) {
    const double base = ReferencePipeLaw()(l.size(position));
    const double duct = l.isDuct(position) ? kDuctFactor : 1.0;
    return Whole(base * duct * kPipeDepthFactor[static_cast<size_t>(range - 1)]);
}

}  // namespace

double PowerLaw::operator()(double size) const {
    return a * std::pow(size / 1000.0, b);
}

PowerLaw FitPowerLaw(std::span<const PriceAnchor> anchors) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const PriceAnchor& anchor : anchors) {
        const double x = std::log(anchor.size / 1000.0);
        const double y = std::log(anchor.price);
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double spread = n * sxx - sx * sx;
    if (n < 2 || spread <= 0) return {};
    const double b = (n * sxy - sx * sy) / spread;
    return {std::exp((sy - b * sx) / n), b};
}

PowerLaw ReferencePipeLaw() {
    return FitPowerLaw(kPipeAnchors);
}

double ReferencePrice(const QuantityLimits& l, const BudgetItem& item) {
    const int a = item.first, b = item.second;
    const auto inside = [](int k, int low, int high) { return k >= low && k <= high; };
    switch (item.source) {
        case QuantitySource::Excavation: {
            if (!inside(a, 1, 6) || !inside(b, 1, 4)) return 0;
            const int material = (a - 1) % 3;
            const double pumping = a > 3 ? kPumpingFactor : 1.0;
            return Whole(kCommonDry[static_cast<size_t>(b - 1)] *
                         kMaterialFactor[static_cast<size_t>(material)] * pumping);
        }
        case QuantitySource::Fill:
            return inside(a, 1, 3) ? kFill[static_cast<size_t>(a - 1)] : 0;
        case QuantitySource::Manholes:
            return inside(a, 0, 2) && inside(b, 1, 3)
                       ? kManholes[static_cast<size_t>(a)][static_cast<size_t>(b - 1)]
                       : 0;
        case QuantitySource::Pipes:
            return inside(a, 1, 4) && inside(b, 1, l.sizeCount()) ? PipePrice(l, a, b) : 0;
        case QuantitySource::Connections:
            return inside(a, 1, l.sizeCount())
                       ? Whole(kConnectionBase + kConnectionPerMm * l.size(a))
                       : 0;
        case QuantitySource::Bedding:
            return a == 1 ? kGravel : a == 2 ? kConcrete : 0;
        case QuantitySource::Drops: {
            if (!inside(a, 1, l.sizeCount())) return 0;
            const double size = l.size(a);
            return Whole(size <= kLargestDropPipe ? kDropBase + kDropPerMm * size
                                                  : kDropChamber(size));
        }
        case QuantitySource::Removals:
            return inside(a, 1, l.sizeCount())
                       ? Whole(kRemoval300 * std::pow(l.size(a) / 300.0, kRemovalExponent))
                       : 0;
    }
    return 0;
}

UnitPrices ReferencePrices(const specs::EspecT& e) {
    const QuantityLimits l = quantities::LimitsOf(e);
    UnitPrices prices;
    for (const BudgetChapter& chapter : BuildBudgetChapters(e))
        for (const ItemGroup& group : chapter.groups)
            for (const BudgetItem& item : group.items)
                if (double* slot = PriceSlot(prices, item)) *slot = ReferencePrice(l, item);
    return prices;
}

}  // namespace nivex::budget
