#include "budget/construction_cost.h"

#include <algorithm>
#include <limits>

#include "budget/budget_items.h"
#include "budget/budget_run.h"
#include "budget/reference_prices.h"
#include "quantities/quantity_run.h"
#include "quantities/quantity_tables.h"

namespace nivex::budget {
namespace {

constexpr double kNoCost = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.1416;  // the quantity run's pipe volumes

}  // namespace

CostPrices PricesForCost(const project::Project& p) {
    CostPrices out;
    const PriceFileResult read =
        ReadPriceFile(PriceFilePath(p), specs::UsedDiameters(p.espec), out.prices);
    if (read.status == PriceRead::Damaged) {
        out.error = read.error;
        out.prices = UnitPrices{};
    }
    const UnitPrices reference = ReferencePrices(p.espec);
    int items = 0;
    for (const BudgetChapter& chapter : BuildBudgetChapters(p.espec))
        for (const ItemGroup& group : chapter.groups)
            for (const BudgetItem& item : group.items) {
                double* slot = PriceSlot(out.prices, item);
                if (slot == nullptr) continue;
                ++items;
                if (*slot != 0) continue;
                *slot = PriceOf(reference, item);
                ++out.referenceItems;
            }
    out.allReference = out.referenceItems == items;
    return out;
}

double NetworkCost(const std::vector<network::TramoT>& records, int networkCount,
                   const specs::EspecT& e, int designClass, const UnitPrices& prices) {
    quantities::QuantityInput input;
    quantities::SectorReaches sector;
    sector.sector = 1;
    sector.records = records;
    sector.networkCount = std::clamp(networkCount, 0, static_cast<int>(records.size()));
    input.sectors.push_back(std::move(sector));
    input.stageCount = 0;
    input.hasNewReach = true;
    input.designClass = designClass;
    const quantities::QuantityResult q = quantities::ComputeQuantityTables(input, e);
    if (q.fault) return kNoCost;
    // The new system's tables as its quantity file keeps them, removals included.
    const BudgetValues v =
        ValueSystem(quantities::kSystemNew, BuildBudgetChapters(e), q.newWithRemovals, prices);
    double total = 0;
    for (int c = 1; c <= kBudgetChapters; ++c)
        total += v.chapters[static_cast<size_t>(c)];
    return RoundToCents(total);
}

ReachCostModel::ReachCostModel(const specs::EspecT& e, const UnitPrices& prices)
    : limits_(quantities::LimitsOf(e)), prices_(prices) {
    for (float size : limits_.sizes)
        sizes_.push_back(size);
    sorted_ = std::is_sorted(sizes_.begin(), sizes_.end());
    const auto value = [&](int item) {
        return static_cast<double>(e.ConstructionData[static_cast<size_t>(item)]);
    };
    for (size_t i = 1; i <= quantities::kMaterials; ++i) {
        const double share = value(static_cast<int>(i - 1)) / 100.0;
        materialShare_ += share;
        for (size_t j = 1; j <= quantities::kExcavationRanges; ++j)
            excavation_[j - 1] += share * prices_.excavation[i][j];
    }
    double fill = 0;
    for (size_t k = 1; k <= 3; ++k)
        fill += value(specs::kFillExcavated + static_cast<int>(k - 1)) / 100.0 * prices_.fill[k];
    fill_ = value(specs::kCompactionFactor) * fill;
    gravelCode_ = static_cast<int>(value(specs::kBeddingGravelCode));
    concreteCode_ = static_cast<int>(value(specs::kBeddingConcreteCode));
    connectionsPerMetre_ = value(specs::kConnectionsPerMetre);
}

int ReachCostModel::Position(double diameter) const {
    if (!sorted_) return quantities::SizePosition(limits_, diameter);
    const auto at = std::lower_bound(sizes_.begin(), sizes_.end(), diameter);
    if (at == sizes_.end() || *at != diameter) return 0;
    return static_cast<int>(at - sizes_.begin()) + 1;
}

double ReachCostModel::Pipe(double diameter, double length, double crownDepthUp,
                            double crownDepthDown, bool connections) const {
    const int p = Position(diameter);
    if (p == 0 || p > kPricePositions) return kNoCost;
    const size_t pos = static_cast<size_t>(p);
    const double d = 0.001 * diameter;
    const double h = quantities::InvertDepth(diameter, (crownDepthUp + crownDepthDown) / 2.0);
    const int range = quantities::ExcavationRange(limits_, h);
    const double width = quantities::TrenchWidth(limits_, diameter, range);

    // The trench by depth slices, as the quantity run cuts it.
    const auto& e = limits_.excavation;
    std::array<double, 4> slice{};
    if (range == 1) {
        slice[0] = h;
    } else {
        slice[0] = e[0];
        slice[1] = std::min(h, e[1]) - e[0];
        if (range >= 3) slice[2] = std::min(h, e[2]) - e[1];
        if (range == 4) slice[3] = h - e[2];
    }
    double cost = 0, trench = 0;
    for (size_t j = 0; j < slice.size(); ++j) {
        const double volume = slice[j] * width * length;
        trench += volume;
        cost += volume * excavation_[j];
    }

    const double pipeVolume = (p >= limits_.firstDuct ? 1.0 : kPi / 4.0) * d * d * length;
    cost += (trench * materialShare_ - pipeVolume) * fill_;

    if (gravelCode_ > 0 && range >= gravelCode_ && (concreteCode_ == 0 || range < concreteCode_))
        cost +=
            (0.30 + d) * length * std::clamp(diameter / 3000.0, 0.10, 0.30) * prices_.bedding[1];
    if (concreteCode_ > 0 && range >= concreteCode_)
        cost +=
            (0.30 + d) * length * std::clamp(diameter / 4000.0, 0.10, 0.30) * prices_.bedding[2];

    cost += length * prices_.pipes[static_cast<size_t>(range)][pos];
    if (connections) cost += length * connectionsPerMetre_ * prices_.connections[pos];
    return cost;
}

double ReachCostModel::Manhole(double governingDiameter, double invertDepth) const {
    const int cm = quantities::DepthCm(invertDepth);
    if (cm <= 0) return 0;
    const int group = quantities::ManholeSizeGroup(limits_, governingDiameter);
    const int range = quantities::ManholeDepthRange(limits_, cm / 100.0);
    return prices_
        .manholes[static_cast<size_t>(group)][quantities::kNetworkRow][static_cast<size_t>(range)];
}

double ReachCostModel::DropPipe(double diameter) const {
    const int p = Position(diameter);
    if (p == 0 || p > kPricePositions) return kNoCost;
    return prices_.drops[static_cast<size_t>(p)];
}

}  // namespace nivex::budget
