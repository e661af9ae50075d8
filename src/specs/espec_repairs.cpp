#include <algorithm>
#include <cmath>

#include "specs/espec.h"
#include "specs/espec_fields.h"

namespace nivex::specs {

using namespace codec;

namespace {

constexpr float kFroudeLower = 0.9f;
constexpr float kFroudeUpper = 1.1f;
constexpr float kWideFroudeLower = 0.7f;
constexpr float kMinFirstDiameter = 100;
constexpr float kMinRoughness = 0.0015f, kMaxRoughness = 0.3f;
constexpr float kMinAdjustment = 0.8f, kMaxAdjustment = 1.3f;  // what its screen takes
constexpr float kMinLargeN = 0.0089f, kMaxLargeN = 0.0151f;
constexpr float kMaxSwmmWidth = 150;
constexpr int kOff = 2;  // 1 on / 2 off options of record 0

bool Near(float a, float b) {
    return std::fabs(a - b) < 1e-4f;
}

// Replaces every non-finite float of one record by the same field of the defaults.
struct FiniteRepair {
    const Bytes& defaults;
    bool changed = false;
    void f32(size_t off, float& x) {
        if (std::isfinite(x)) return;
        x = F32(defaults, off);
        changed = true;
    }
    void f64(size_t off, double& x) {
        if (std::isfinite(x)) return;
        x = F64(defaults, off);
        changed = true;
    }
    void i16(size_t, int&) {}
    void byte(size_t, uint8_t&) {}
    void text(size_t, size_t, std::string&) {}
    void zeros(size_t, size_t) {}
};

void RepairNonFinite(EspecT& e, shell::ProyectoT& header, RepairResult& r) {
    const EspecT defaults = DefaultEspec();
    std::array<bool, kMaxDiameters> badSlope{};
    for (size_t i = 0; i < kMaxDiameters; ++i)
        badSlope[i] = !std::isfinite(e.MinimumSlopes[i]);
    for (int k = 0; k < shell::kControlRecords; ++k) {
        Bytes def(shell::kControlRecordSize);
        Encode(k, defaults, def);
        FiniteRepair fix{def};
        detail::VisitRecord(k, e, fix);
        if (fix.changed) r.recordChanged[static_cast<size_t>(k)] = true;
    }
    // A slope's default belongs to its own diameter, not to the built-in table's.
    const auto slopes = DefaultMinimumSlopes(e);
    for (size_t i = 0; i < slopes.size(); ++i)
        if (badSlope[i]) e.MinimumSlopes[i] = slopes[i];
    if (!std::isfinite(header.DesignAlternative)) {
        header.DesignAlternative = -1;
        r.recordChanged[0] = true;
    }
}

// Before the non-finite pass: a bad bound resets the whole band, not just itself.
bool RepairFroudeBand(EspecT& e) {
    const bool lowerOk = std::isfinite(e.FroudeLower) && (Near(e.FroudeLower, kFroudeLower) ||
                                                          Near(e.FroudeLower, kWideFroudeLower));
    const bool flagOk = e.WideFroudeBand == 0 || e.WideFroudeBand == 1;
    if (lowerOk && flagOk && std::isfinite(e.FroudeUpper)) return false;
    e.FroudeLower = kFroudeLower;
    e.FroudeUpper = kFroudeUpper;
    e.WideFroudeBand = 0;
    return true;
}

bool RepairCounts(EspecT& e) {
    bool changed = false;
    if (e.DiameterCount <= 0 || e.DiameterCount > kMaxDiameters) {
        e.DiameterCount = kMaxDiameters;
        changed = true;
    }
    if (e.SectionCount <= 0 || e.SectionCount > kMaxSections) {
        e.SectionCount = kMaxSections;
        changed = true;
    }
    return changed;
}

bool RepairSwmm(EspecT& e) {
    const EspecT d;
    bool changed = false;
    if (e.InfiltrationModel < 0 || e.InfiltrationModel > 2) {
        e.InfiltrationModel = d.InfiltrationModel;
        changed = true;
    }
    if (e.SwmmAdjustment < kMinAdjustment || e.SwmmAdjustment > kMaxAdjustment) {
        e.SwmmAdjustment = d.SwmmAdjustment;
        changed = true;
    }
    const float width = e.SwmmWidths[0];
    if (!(width > 1) || width >= kMaxSwmmWidth || (width == 0 && e.SwmmSlopes[0] == 0)) {
        e.SwmmWidths = d.SwmmWidths;
        e.SwmmSlopes = d.SwmmSlopes;
        changed = true;
    }
    return changed;
}

bool RepairDiameterTable(EspecT& e) {
    if (e.Diameters[0] >= kMinFirstDiameter) return false;
    if (e.DiameterCopy[0] >= kMinFirstDiameter) {
        e.Diameters = e.DiameterCopy;
    } else {
        // Nothing left to restore from: the built-in table, with its slopes.
        detail::ApplyDefaultDiameterTable(e);
        RecomputeMinimumSlopes(e);
    }
    return true;
}

bool RepairRecord0(EspecT& e, shell::ProyectoT& h) {
    const EspecT d;
    bool changed = false;
    auto set = [&changed](auto& field, auto value) {
        if (field == value) return;
        field = value;
        changed = true;
    };
    if (e.ManningNLarge < kMinLargeN || e.ManningNLarge > kMaxLargeN) {
        set(e.ManningLimitDiameter, d.ManningLimitDiameter);
        set(e.ManningNLarge, d.ManningNLarge);
    }
    if (h.Ras2016Model < 1 || h.Ras2016Model > 2) set(h.Ras2016Model, kOff);
    if (h.SlopePerDiameter < 1 || h.SlopePerDiameter > 2) set(h.SlopePerDiameter, kOff);
    if (h.DesignClass < 1 || h.DesignClass > 9) set(h.DesignClass, ClassOfSystemKind(e.SystemKind));
    set(e.SystemKind, SystemKindOfClass(h.DesignClass));
    set(h.SwmmClass, static_cast<uint8_t>(h.DesignClass >= 6 ? 1 : 0));
    return changed;
}

bool RepairRecord2(EspecT& e) {
    const EspecT d;
    bool changed = false;
    if (e.AbsoluteRoughness < kMinRoughness || e.AbsoluteRoughness > kMaxRoughness) {
        e.AbsoluteRoughness = d.AbsoluteRoughness;
        changed = true;
    }
    if (e.SeriesInterval == 0 || e.SeriesCount == 0 || e.CurrentSeries == 0) {
        e.SeriesInterval = d.SeriesInterval;
        e.SeriesCount = d.SeriesCount;
        e.CurrentSeries = d.CurrentSeries;
        e.Series[0] = detail::DefaultFirstSeries();
        changed = true;
    }
    return changed;
}

}  // namespace

RepairResult RepairOnLoad(EspecT& e, shell::ProyectoT& header) {
    RepairResult r;
    auto& c = r.recordChanged;
    if (RepairFroudeBand(e)) c[5] = true;
    RepairNonFinite(e, header, r);
    if (RepairCounts(e)) c[1] = true;
    if (RepairRecord2(e)) c[2] = true;
    if (RepairSwmm(e)) c[3] = true;
    if (RepairDiameterTable(e)) c[3] = true;
    if (RepairRecord0(e, header)) c[0] = true;
    if (e.TopologyMode == 0) {
        e.TopologyMode = 1;
        c[5] = true;
    }
    return r;
}

std::vector<int> AfterDiameterTableSaved(EspecT& e) {
    e.DiameterCopy = e.Diameters;
    const int largest =
        static_cast<int>(std::lround(e.Diameters[static_cast<size_t>(UsedDiameters(e) - 1)]));
    e.MinSanitaryDiameter = NearestCommercialDiameter(e, e.MinSanitaryDiameter).value_or(largest);
    e.MinStormDiameter = NearestCommercialDiameter(e, e.MinStormDiameter).value_or(largest);
    RecomputeMinimumSlopes(e);
    return {0, 3, 5};
}

}  // namespace nivex::specs
