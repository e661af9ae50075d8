#include "design/hydraulics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "design/hydraulic_tables.h"

namespace nivex::design {
namespace {

constexpr double kGravity = 9.81;
constexpr double kInchesPerMm = 0.03937;
constexpr double kFullFlowMargin = 1.0001;
// Limits on stored depth ratios, compared as the single-precision values they are.
constexpr float kCriticalBandDepth = 0.70f;  // critical flow is avoided above this y/D
constexpr float kSulfideFreeDepth = 0.9f;
constexpr int kSearchCap = 10000;  // steps of one stage of a stepped search

bool Finite(double v) {
    return std::isfinite(v);
}
template <typename... T>
bool Finite(double v, T... rest) {
    return std::isfinite(v) && Finite(rest...);
}

// A computed value as stored: 0 when it is no finite number.
float Clean(double v) {
    return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}

// Half away from zero, limited to the index range of a table.
int RoundIndex(double v, int low, int high) {
    if (!(v > low)) return low;
    if (v >= high) return high;
    return static_cast<int>(std::round(v));
}

// R/R0 of an open rectangle at relative depth x.
double RelativeRadius(double x) {
    return 3.0 * x / (1.0 + 2.0 * x);
}

// y/H of a duct at flow ratio q (q below 1).
double DuctDepth(bool variable, double q) {
    int k = RoundIndex(100.0 * q, 0, 100);
    if (k == 0) {
        if (!variable) return 0.0;
        k = 1;
    }
    return DuctTables(variable).depthByFlow[static_cast<size_t>(k)];
}

// V/V0 of a duct at flow ratio q, through its depth.
double DuctVelocityRatio(bool variable, double q) {
    const DuctRelations& t = DuctTables(variable);
    const int k = RoundIndex(100.0 * std::min(q, 1.0), 1, 100);
    const double depth = t.depthByFlow[static_cast<size_t>(k)];
    return t.velocityByDepth[static_cast<size_t>(RoundIndex(100.0 * depth, 1, 100))];
}

// Linear interpolation in a table from k = 0 at the scaled abscissa p = 100·q (p ≥ 0,
// p < t.last).
double InterpolateFromZero(const RatioTable& t, double p) {
    const int a = static_cast<int>(p);
    return t.at(a) + (t.at(a + 1) - t.at(a)) * (p - a);
}

// The minimum tractive force of the reach class, in hundredths of kg/m².
double ClassTractive100(const HydraulicCriteria& c, bool storm) {
    // The storm minimum is a stored float: scaled in single precision, as entered.
    const float storm100 = 100.0f * c.stormMinTractive;
    switch (c.designClass) {
        case 1:
        case 2:
            return c.sanitaryMinTractive100;
        case 3:
        case 4:
            return Round2(static_cast<double>(storm100));
        case 5:
            return storm ? std::trunc(static_cast<double>(storm100)) : c.sanitaryMinTractive100;
        default:
            return 0.0;
    }
}

// The wetted segment of a circular pipe at relative depth yd, from its central angle
// θ = 2·acos(1 − 2·y/D): A = D²/8·(θ − sin θ), P = D·θ/2, T = D·sin(θ/2).
double SegmentAngle(double yd) {
    return 2.0 * std::acos(1.0 - 2.0 * std::clamp(yd, 0.0, 1.0));
}
// R/R0 = (A/P)/(D/4).
double SegmentRadiusRatio(double yd) {
    const double theta = SegmentAngle(yd);
    return theta > 0 ? 1.0 - std::sin(theta) / theta : 0.0;
}
// y/D of a constant-n pipe at a flow ratio below the first tabled hundredth, from the
// segment itself: the table would give the depth of q = 0.01 to any smaller flow, and a
// tractive force read there is up to twice too high.
double SegmentDepthBelowTable(double q) {
    const auto ratio = [](double yd) {
        const double theta = SegmentAngle(yd);
        if (!(theta > 0)) return 0.0;
        return (theta - std::sin(theta)) / (2.0 * std::numbers::pi) *
               std::pow(1.0 - std::sin(theta) / theta, 2.0 / 3.0);
    };
    double low = 0.0, high = 0.2;  // q = 0.01 lies near y/D 0.07
    for (int i = 0; i < 50; ++i) {
        const double mid = (low + high) / 2.0;
        (ratio(mid) < q ? low : high) = mid;
    }
    return high;
}
// (A/T)/D.
double SegmentHydraulicDepth(double yd) {
    const double theta = SegmentAngle(yd);
    return (theta - std::sin(theta)) / (8.0 * std::sin(theta / 2.0));
}

// y/D of a pipe at flow ratio q with a constant n; a flow that fills the pipe keeps the
// fullest free surface of the relation (q = 1), where a hydraulic depth still exists.
double ConstantFreeSurfaceDepth(float q) {
    return ForwardLookup(YqConstTable(), std::min(q, 1.0f), 105, 0.9f, 0.071f);
}

// R/R0 of the tractive force at flow ratio q. With a constant n the radius is the one
// of the circular segment at the depth the relation gives, R0 when it fills the pipe.
double TractiveRadiusRatio(const HydraulicCriteria& c, bool duct, float d, float q) {
    const double qq = std::max(static_cast<double>(q), 0.0);
    if (duct) {
        const double x = std::min(qq, 1.0);
        const double above = RelativeRadius(DuctDepth(false, x + 0.01));
        const double at = RelativeRadius(DuctDepth(false, x));
        return above + (at - above) * ((x + 0.01) - x);
    }
    if (!c.variableRelations) {
        if (qq > 0 && qq < 0.01) return SegmentRadiusRatio(SegmentDepthBelowTable(qq));
        return SegmentRadiusRatio(DepthRatio(c, d, static_cast<float>(qq)));
    }
    const double p = 100.0 * qq;
    return p >= 102.0 ? 1.168 : InterpolateFromZero(RR0Table(), p);
}

// τ at slope s for that R/R0, put at the class minimum when it misses it by a hundredth.
float TractiveAt(const HydraulicCriteria& c, bool duct, float d, float s, double ratio,
                 bool storm) {
    const double tau =
        duct ? Round2(Round2(d / 3.0 * s / 100.0) * ratio) : Round2(d / 4.0 * s / 100.0 * ratio);
    const double classValue = ClassTractive100(c, storm);
    if (std::fabs(std::fabs(classValue - Round2(100.0 * tau)) - 1.0) < 1e-3)
        return static_cast<float>(classValue / 100.0);
    return Clean(tau);
}

float ClassMinimumDiameter(const HydraulicCriteria& c, bool storm) {
    switch (c.designClass) {
        case 1:
        case 2:
            return static_cast<float>(c.minSanitaryDiameter);
        case 3:
        case 4:
            return static_cast<float>(c.minStormDiameter);
        case 5:
            return static_cast<float>(storm ? c.minStormDiameter : c.minSanitaryDiameter);
        default:
            return 0.0f;
    }
}

// Manning's full-section relations split at the slope, so that a search over slopes
// pays the powers once; the expressions keep the order of evaluation of the formulas.
class FullSection {
  public:
    enum Needs { kVelocity = 1, kFlow = 2, kBoth = 3 };
    FullSection(const HydraulicCriteria& c, float n, float d, Needs needs = kBoth)
        : d_(d), an_(std::fabs(n)) {
        valid_ = Finite(n, d) && d > 0 && n != 0;
        if (!valid_) return;
        duct_ = IsDuct(c, d);
        if (duct_ || (needs & kVelocity))
            velocityBase_ = duct_ ? std::pow(d / 3000.0, 2.0 / 3.0)
                                  : 0.003429 * std::pow(kInchesPerMm * d, 2.0 / 3.0);
        if (!duct_ && (needs & kFlow)) flowBase_ = 0.001738 * std::pow(kInchesPerMm * d, 8.0 / 3.0);
    }
    bool duct() const { return duct_; }
    // V0 (m/s) at slope s (%).
    float velocity(float s) const {
        if (!valid_ || !std::isfinite(s) || !(s >= 0)) return 0.0f;
        if (duct_) return Clean(velocityBase_ * std::sqrt(s / 100.0) / an_);
        return Clean(velocityBase_ * std::sqrt(static_cast<double>(s)) / an_);
    }
    // Q0 (l/s) at slope s (%).
    float flow(float s) const {
        if (!valid_ || !std::isfinite(s) || !(s >= 0)) return 0.0f;
        if (duct_) return DuctFlow(velocity(s));
        return PipeFlow(std::sqrt(static_cast<double>(s)));
    }
    // Both at once, each exactly as above.
    void both(float s, float& v0, float& q0) const {
        if (!valid_ || !std::isfinite(s) || !(s >= 0)) {
            v0 = q0 = 0.0f;
            return;
        }
        if (duct_) {
            v0 = velocity(s);
            q0 = DuctFlow(v0);
            return;
        }
        const double root = std::sqrt(static_cast<double>(s));
        v0 = Clean(velocityBase_ * root / an_);
        q0 = PipeFlow(root);
    }

  private:
    float PipeFlow(double root) const {
        const double q0 = flowBase_ * root / an_;
        return Clean(q0 * kFullFlowMargin);
    }
    float DuctFlow(double v0) const { return Clean(v0 * d_ * d_ / 1000.0 * kFullFlowMargin); }

    double d_, an_;
    bool valid_ = false, duct_ = false;
    double velocityBase_ = 0, flowBase_ = 0;
};

// The slope at which a pipe carries q with a tractive force of at least tau, R/R0 taken
// as TractiveForce takes it at q/Q0 of that slope (either relation). sf is the slope
// of the full radius; R/R0 lies mostly between 0.18 and 1.22, so the slope lies between
// sf/1.25 and 8·sf (the bounds widen where it does not). τ grows with the slope (the depth falls,
// but S grows faster than R falls): bisected down to neighbouring single-precision slopes, the
// upper one is returned.
float SlopeGivingTractiveForce(const HydraulicCriteria& c, double tau, float d, float n, float q,
                               double sf) {
    const FullSection section(c, n, d, FullSection::kFlow);
    const auto force = [&](float s) {
        const float ratio = q / section.flow(s);
        return d / 4.0 * s / 100.0 * TractiveRadiusRatio(c, false, d, ratio);
    };
    const float full = Clean(sf);
    if (!(q / section.flow(full) < 1.0f)) return full;  // it fills the pipe: R = R0
    float low = Clean(sf / 1.25), high = Clean(8.0 * sf);
    for (int i = 0; i < 8 && !(force(high) >= tau); ++i)
        high *= 2.0f;
    for (int i = 0; i < 8 && force(low) >= tau; ++i)
        low *= 0.5f;
    for (int i = 0; i < 64; ++i) {
        const float mid = static_cast<float>((static_cast<double>(low) + high) / 2.0);
        if (!(mid > low && mid < high)) break;
        (force(mid) >= tau ? high : low) = mid;
    }
    return high;
}

// The stepped search of the slope that gives a real velocity with a constant n: from 0
// by steps of 10 until V reaches the target, one step back, then again by 1, 0.1, 0.01,
// 0.001 and 0.0001; the result is the slope one last step short of the target.
//
// A stage scans the running sums start + step, + step, … for the first that reaches the
// target. In a pipe V grows with S (V/V0 grows at most 0.37 times as fast as Q/Q0 falls)
// except where Q/Q0 crosses 0.01 and the table gives way to its end value, so between
// the two slopes where the previous stage stopped the first sum to reach the target can
// be guessed from their velocities and confirmed by its neighbour: the same sum the scan
// finds, in two or three evaluations instead of ten. Ducts, steep slopes (where single
// precision could blur the growth of one step) and a crossing of 0.01 are scanned.
class RealVelocitySearch {
  public:
    RealVelocitySearch(const HydraulicCriteria& c, float q, float v, float d, float n)
        : c_(c), q_(q), v_(v), d_(d), section_(c, n, d), table_(VqConstTable()) {}

    float Run() {
        for (double step : {10.0, 1.0, 0.1, 0.01, 0.001, 0.0001})
            if (!Stage(step)) return Clean(s_);  // out of reach: the steepest slope tried
        return Clean(std::max(s_, 0.0));
    }

  private:
    struct Probe {
        double s;
        float velocity, ratio;
    };
    static constexpr int kWindow = 12;            // a later stage ends within ten of its steps
    static constexpr double kGuessedSlopes = 50;  // %

    // PartialVelocity(d, q / Q0, V0), its pipe branch written out.
    Probe Evaluate(double s) const {
        float v0, q0;
        section_.both(static_cast<float>(s), v0, q0);
        const float ratio = q_ / q0;
        float velocity;
        if (section_.duct())
            velocity = PartialVelocity(c_, d_, ratio, v0);
        else if (std::isnan(ratio))
            velocity = 0.0f;
        else
            velocity =
                Clean(v0 * static_cast<double>(ForwardLookup(table_, ratio, 105, 1.128f, 0.321f)));
        return {s, velocity, ratio};
    }
    bool Reached(const Probe& p) const { return !(p.velocity < v_); }
    static bool Tabulated(float ratio) { return 100.0 * ratio >= 1.0; }

    bool Guessable() const {
        return below_ && above_ && !section_.duct() && above_->s <= kGuessedSlopes &&
               Tabulated(below_->ratio) == Tabulated(above_->ratio);
    }

    // One stage from s_; false when the target stays out of reach.
    bool Stage(double step) {
        double sums[kWindow + 1];
        sums[0] = s_;
        int trusted = 0;  // sums[1..trusted] lie between the probes of the last stage
        if (Guessable())
            for (; trusted < kWindow; ++trusted) {
                const double next = sums[trusted] + step;
                if (next > above_->s) break;
                sums[trusted + 1] = next;
            }
        int taken = 0;
        double s = s_;
        if (trusted > 0) {
            const double share = (v_ - below_->velocity) / (above_->velocity - below_->velocity);
            const double target = below_->s + share * (above_->s - below_->s);
            const double ahead = (target - s_) / step;
            int j = std::isfinite(ahead)
                        ? static_cast<int>(std::clamp(std::ceil(ahead), 1.0, double(trusted)))
                        : 1;
            Probe p = Evaluate(sums[j]);
            if (Reached(p)) {
                std::optional<Probe> under;
                while (j > 1) {
                    const Probe lower = Evaluate(sums[j - 1]);
                    if (!Reached(lower)) {
                        under = lower;
                        break;
                    }
                    p = lower;
                    --j;
                }
                return Stop(p, under, step);
            }
            while (j < trusted) {
                const Probe higher = Evaluate(sums[j + 1]);
                if (Reached(higher)) return Stop(higher, p, step);
                p = higher;
                ++j;
            }
            below_ = p;  // none of the trusted sums reaches it: scan on
            taken = trusted;
            s = sums[trusted];
        } else {
            below_.reset();
        }
        for (; taken < kSearchCap; ++taken) {
            s += step;
            const Probe p = Evaluate(s);
            if (Reached(p)) return Stop(p, below_, step);
            below_ = p;
        }
        s_ = s;
        return false;
    }

    bool Stop(const Probe& reached, const std::optional<Probe>& before, double step) {
        above_ = reached;
        below_ = before;
        s_ = reached.s - step;
        return true;
    }

    const HydraulicCriteria& c_;
    const float q_, v_, d_;
    const FullSection section_;
    const RatioTable table_;
    double s_ = 0;                        // where the next stage starts
    std::optional<Probe> below_, above_;  // the last stage's last miss and its hit
};

}  // namespace

// ---- Sizes and criteria ----

float SizeList::firstDuctSize() const {
    if (firstDuct < 0 || firstDuct >= count) return std::numeric_limits<float>::infinity();
    return size[static_cast<size_t>(firstDuct)];
}

SizeList SizesOf(const specs::EspecT& e) {
    SizeList list;
    list.firstDuct = -1;
    for (const specs::Section& s : specs::Sections(e)) {
        if (list.count >= specs::kMaxSections) break;
        if (s.duct && list.firstDuct < 0) list.firstDuct = list.count;
        list.size[static_cast<size_t>(list.count)] = s.size;
        list.minSlope[static_cast<size_t>(list.count)] = s.minSlope;
        ++list.count;
    }
    if (list.firstDuct < 0) list.firstDuct = list.count;
    return list;
}

HydraulicCriteria CriteriaOf(const specs::EspecT& e, const shell::ProyectoT& header) {
    HydraulicCriteria c;
    c.sizes = SizesOf(e);
    c.variableRelations = e.HydraulicRelations == 1.0f;
    c.designClass = header.DesignClass >= 1 && header.DesignClass <= 9
                        ? header.DesignClass
                        : specs::ClassOfSystemKind(e.SystemKind);
    c.asceManning = e.ManningOption == 0;
    c.roughness = e.AbsoluteRoughness;
    c.manningN = e.ManningN;
    c.manningLimitDiameter = e.ManningLimitDiameter;
    c.manningNLarge = e.ManningNLarge;
    c.sanitaryMinTractive100 = e.SanMinTractive100;
    c.stormMinTractive = e.StormMinTractive;
    c.minSanitaryDiameter = e.MinSanitaryDiameter;
    c.minStormDiameter = e.MinStormDiameter;
    c.froudeLower = e.FroudeLower;
    c.froudeUpper = e.FroudeUpper;
    c.waterTemperature = static_cast<float>(e.WaterTemperature);
    c.bod5 = static_cast<float>(e.Bod5);
    return c;
}

HydraulicCriteria DefaultCriteria() {
    const specs::EspecT e = specs::DefaultEspec();
    shell::ProyectoT header;
    header.DesignClass = specs::ClassOfSystemKind(e.SystemKind);
    return CriteriaOf(e, header);
}

double Round2(double v) {
    if (!std::isfinite(v)) return 0.0;
    return std::round(v * 100.0) / 100.0;
}

float Round2(float v) {
    return static_cast<float>(Round2(static_cast<double>(v)));
}

bool IsDuct(const HydraulicCriteria& c, float d) {
    return d >= c.sizes.firstDuctSize();
}

float ReachManningN(const HydraulicCriteria& c, float reachN, float d) {
    if (reachN > 0 && std::isfinite(reachN)) return reachN;
    if (c.asceManning) return AsceManningN(c, d);
    return d <= c.manningLimitDiameter ? c.manningN : c.manningNLarge;
}

float AsceManningN(const HydraulicCriteria& c, float d) {
    if (!(d > 0) || !Finite(d, c.roughness)) return 0.0f;
    const double reynolds = (d / 1000.0) * 0.609 / 1.15e-6;
    const double log = std::log(c.roughness / (3.7 * d) + 5.74 / std::pow(reynolds, 0.9));
    const double friction = 1.325 / (log * log);
    return Clean(1.15 * 0.1129 * std::pow(d / 4000.0, 1.0 / 6.0) * std::sqrt(friction));
}

// ---- Full section ----

float FullVelocity(const HydraulicCriteria& c, float n, float s, float d) {
    return FullSection(c, n, d, FullSection::kVelocity).velocity(s);
}

float FullFlow(const HydraulicCriteria& c, float n, float s, float d) {
    return FullSection(c, n, d, FullSection::kFlow).flow(s);
}

// ---- Partial flow ----

float DepthRatio(const HydraulicCriteria& c, float d, float q) {
    if (std::isnan(q)) return 0.0f;
    if (q >= 1) return 1.0f;
    if (IsDuct(c, d)) return static_cast<float>(DuctDepth(c.variableRelations, q));
    if (c.variableRelations) return ForwardLookup(YdVarTable(), q, 100, 1.0f, 0.061f);
    return ForwardLookup(YqConstTable(), q, 105, 0.9f, 0.071f);
}

float FlowRatioFromDepth(const HydraulicCriteria& c, float yd) {
    if (std::isnan(yd)) return 0.0f;
    const float q = c.variableRelations ? InverseLookup(YdVarTable(), yd, 1.0f)
                                        : ForwardLookup(QdConstTable(), yd, 100, 1.0f, 0.0f);
    return std::min(q, 1.0f);
}

float PartialVelocity(const HydraulicCriteria& c, float d, float q, float v0) {
    if (!Finite(v0) || std::isnan(q)) return 0.0f;
    if (IsDuct(c, d)) return Clean(v0 * DuctVelocityRatio(c.variableRelations, q));
    if (c.variableRelations) {
        if (!(q > 0)) return 0.0f;
        return Clean(1.0435 * v0 * std::pow(static_cast<double>(q), 0.289));
    }
    return Clean(v0 * static_cast<double>(ForwardLookup(VqConstTable(), q, 105, 1.128f, 0.321f)));
}

float HydraulicDepthRatio(float q) {
    if (std::isnan(q)) return 0.0f;
    return ForwardLookup(DhVarTable(), q, 100, 1.344f, 0.041f);
}

float HydraulicDepthRatio(const HydraulicCriteria& c, float d, float q) {
    if (std::isnan(q)) return 0.0f;
    // An open square duct has vertical walls: its area over its top width is the depth.
    if (IsDuct(c, d)) {
        const double y = DuctDepth(c.variableRelations, std::min(q, 1.0f));
        return static_cast<float>(y > 0 ? y : DuctDepth(c.variableRelations, 0.01));
    }
    if (c.variableRelations) return HydraulicDepthRatio(q);
    return Clean(SegmentHydraulicDepth(ConstantFreeSurfaceDepth(q)));
}

float FroudeNumber(float q, float d, float v) {
    const double depth = kGravity * d / 1000.0 * HydraulicDepthRatio(q);
    return Clean(v / std::sqrt(depth));
}

float FroudeNumber(const HydraulicCriteria& c, float q, float d, float v) {
    const double depth = kGravity * d / 1000.0 * HydraulicDepthRatio(c, d, q);
    return Clean(v / std::sqrt(depth));
}

float TractiveForce(const HydraulicCriteria& c, float q, float d, float s, bool storm) {
    if (!Finite(q, d, s) || !(d > 0)) return 0.0f;
    const bool duct = IsDuct(c, d);
    return TractiveAt(c, duct, d, s, TractiveRadiusRatio(c, duct, d, q), storm);
}

// ---- Inverses ----

float SlopeForTractiveForce(const HydraulicCriteria& c, float tau, float d, float n, float q) {
    if (tau == 0 || !Finite(tau, d, n, q) || !(tau > 0) || !(d > 0) || n == 0) return 0.0f;
    const double an = std::fabs(n);
    if (IsDuct(c, d)) {
        const double b = d / 1000.0;
        const double sf = 100.0 * tau / (1000.0 * b / 3.0);
        const double qf =
            b * b * std::pow(b / 3.0, 2.0 / 3.0) * std::sqrt(sf / 100.0) / an * 1000.0;
        const double ratio = std::max(q / qf, 0.0);
        if (ratio + 0.01 > 1.0) return Clean(sf);
        // A depth index of 0 is read as the first depth: R0/R must stay finite.
        double depth = DuctDepth(false, ratio);
        if (!(depth > 0)) depth = DuctTables(false).depthByFlow[1];
        const double radius = RelativeRadius(depth);
        return radius > 0 ? Clean(sf / radius) : Clean(sf);
    }
    const double sf = 100.0 * tau / (1000.0 * d / 4000.0);
    // Solved at the flow ratio of the slope found, in both modes: a single step from the
    // full pipe's slope leaves the force short where the flow is small (0.07 for 0.10).
    return SlopeGivingTractiveForce(c, tau, d, n, q, sf);
}

float SlopeForTau015(const HydraulicCriteria& c, float d, bool storm) {
    constexpr double kTarget = 0.15;
    constexpr int kIterations = 100;
    if (!Finite(d) || !(d > 0)) return 0.0f;
    // TractiveForce(0.1, D, S): the flow ratio, and so R/R0, stays.
    const bool duct = IsDuct(c, d);
    const double ratio = TractiveRadiusRatio(c, duct, d, 0.1f);
    const auto tau = [&](double slope) -> double {
        const float s = static_cast<float>(slope);
        return std::isfinite(s) ? TractiveAt(c, duct, d, s, ratio, storm) : 0.0f;
    };
    double s1 = 0.01, s0 = 1.0, s2 = 0.0;
    for (int i = 0; i < kIterations; ++i) {
        const double tau1 = tau(s1);
        const double tau0 = tau(s0);
        if (tau0 == tau1) break;  // the secant would divide by zero
        const double next = s1 + (kTarget - tau1) * (s0 - s1) / (tau0 - tau1);
        if (!std::isfinite(next)) break;
        s2 = next;
        s0 = s1;
        s1 = s2;
        if (std::fabs(tau0 - kTarget) < 0.001) break;
    }
    return Clean(s2);
}

float SlopeForRealVelocity(const HydraulicCriteria& c, float q, float v, float d, float n) {
    if (!Finite(q, v, d, n) || !(v > 0) || !(d > 0) || n == 0) return 0.0f;
    if (c.variableRelations) {
        if (!(q > 0)) return 0.0f;
        return Clean(static_cast<double>(n) * n * 42694.0 * std::pow(kInchesPerMm * d, 0.295) *
                     std::pow(static_cast<double>(v), 2.81) /
                     std::pow(static_cast<double>(q), 0.812));
    }
    return RealVelocitySearch(c, q, v, d, n).Run();
}

float SlopeForFullVelocity(const HydraulicCriteria& c, float d, float n, float v) {
    if (!Finite(d, n, v) || !(d > 0)) return 0.0f;
    const double k = IsDuct(c, d) ? 57951.7072 : 85048.0;
    const double vn = std::fabs(v) * n;
    return Clean(vn * vn * k / std::pow(kInchesPerMm * d, 4.0 / 3.0));
}

float SlopeForFlow(const HydraulicCriteria& c, float qmax, float q, float n, float d) {
    if (!Finite(qmax, q, n, d) || !(qmax > 0) || !(d > 0)) return 0.0f;
    const double an = std::fabs(n);
    if (!IsDuct(c, d)) {
        const double k = q * an / qmax;
        return Clean(331055.0 / std::pow(kInchesPerMm * d, 16.0 / 3.0) * k * k);
    }
    // Relative depth of qmax: downward over x = 1.00, 0.99, … then linear.
    const auto& flow = DuctTables(c.variableRelations).flowByDepth;
    double x = 0;
    int k = 100;
    while (k >= 1 && flow[static_cast<size_t>(k)] > qmax)
        --k;
    if (k == 100) {
        x = 1.0;
    } else if (k >= 1) {
        const double low = flow[static_cast<size_t>(k)], high = flow[static_cast<size_t>(k + 1)];
        x = (k + (qmax - low) / (high - low)) / 100.0;
    } else {
        x = 0.01 * qmax / flow[1];
    }
    // Manning at depth x: area b²·x, hydraulic radius r·b/3.
    const double b = d / 1000.0;
    const double conveyance = std::pow(RelativeRadius(x) * b / 3.0, 2.0 / 3.0) * b * b * x;
    const double root = an * (q / 1000.0) / conveyance;
    return Clean(100.0 * root * root);
}

float DiameterForFlow(const HydraulicCriteria& c, float qmax, float q, float n, float s) {
    if (!Finite(qmax, q, n, s) || !(qmax > 0) || !(s > 0)) return 0.0f;
    const double k = std::pow(std::fabs(q) * std::fabs(n) / qmax, 0.375) / std::pow(s, 0.1875);
    const float pipe = Clean(275.336 * k);
    const float firstDuct = c.sizes.firstDuctSize();
    if (pipe < firstDuct) return pipe;
    const float duct = Clean(234.0356 * k);
    return duct < firstDuct ? firstDuct : duct;
}

float DiameterForVelocity(const HydraulicCriteria& c, float v, float qmax, float q) {
    const double area = 1.97 * q / (static_cast<double>(qmax) * v);
    if (!std::isfinite(area) || !(area >= 0)) return 0.0f;
    const float pipe = Clean(25.4 * std::sqrt(area));
    const float firstDuct = c.sizes.firstDuctSize();
    if (pipe < firstDuct) return pipe;
    const float duct = Clean(22.50948 * std::sqrt(area));
    return duct < firstDuct ? firstDuct : duct;
}

float CommercialSize(const HydraulicCriteria& c, float d, bool storm) {
    const float dmin = ClassMinimumDiameter(c, storm);
    const SizeList& list = c.sizes;
    if (list.count <= 0) return dmin;
    int candidate = list.count - 1;
    if (!(d > list.largest())) {
        candidate = 0;
        while (candidate < list.count - 1 && !(list.size[static_cast<size_t>(candidate)] >= d))
            ++candidate;
    }
    if (candidate == 0 || list.size[static_cast<size_t>(candidate - 1)] < dmin) return dmin;
    return list.size[static_cast<size_t>(candidate)];
}

float RasMinimumVelocity(const HydraulicCriteria& c, float d) {
    if (std::isnan(d)) return 0.0f;
    const bool sanitary = c.designClass == 1 || c.designClass == 2;
    if (d < 450) return sanitary ? 0.45f : 0.75f;
    const double tauC = sanitary ? 1.5 : 3.0;
    const double k = sanitary ? 3.7 : 4.49;
    const double log = std::log10(1.23 / (k * d));
    const double f = 0.25 / (log * log);
    return Clean(std::sqrt(8.0 * tauC / (1000.0 * f)));
}

bool InCriticalBand(const HydraulicCriteria& c, float s, float q, float d, float n) {
    if (!Finite(s, q, d, n) || !(s > 0) || !(d > 0) || !(q > 0)) return false;
    float v0, q0;
    FullSection(c, n, d).both(s, v0, q0);
    if (!(q0 > 0)) return false;
    const float ratio = q / q0;
    const float froude = FroudeNumber(c, ratio, d, PartialVelocity(c, d, ratio, v0));
    return froude > c.froudeLower && froude < c.froudeUpper &&
           DepthRatio(c, d, ratio) > kCriticalBandDepth;
}

float SlopeAvoidingCriticalFlow(const HydraulicCriteria& c, float s, float q, float d, float n,
                                float& froude) {
    froude = 0.0f;
    if (!Finite(s, q, d, n)) return Clean(s);
    double yd = 0;
    const FullSection section(c, n, d);
    const auto evaluate = [&](double slope) {
        float v0, q0;
        section.both(static_cast<float>(slope), v0, q0);
        const float ratio = q / q0;
        froude = FroudeNumber(c, ratio, d, PartialVelocity(c, d, ratio, v0));
        yd = DepthRatio(c, d, ratio);
    };
    evaluate(s);
    if (froude <= c.froudeLower || froude >= c.froudeUpper) return s;
    const auto inBand = [&] { return froude <= c.froudeUpper && yd > kCriticalBandDepth; };
    double slope = s;
    const double steps[] = {1.0, 0.1, 0.01, 0.001};
    for (size_t i = 0; i < std::size(steps); ++i) {
        int taken = 0;
        while (inBand() && taken < kSearchCap) {
            slope += steps[i];
            evaluate(slope);
            ++taken;
        }
        if (i + 1 < std::size(steps) && taken > 0) {
            slope -= steps[i];  // one step back, then finer
            evaluate(slope);
        }
    }
    return Clean(slope);
}

// ---- Circular-segment geometry and sewer gases ----

float HalfAngle(float yd) {
    if (!(yd >= 0 && yd <= 1.01f)) return 0.0f;
    return ForwardLookup(HalfAngleTable(), yd, 100, 3.1416f, 0.2003f);
}

float TopWidthRatio(float yd) {
    if (!(yd >= 0 && yd <= 1.01f)) return 0.0f;
    return ForwardLookup(TopWidthTable(), yd, 100, 0.0f, 0.199f);
}

float AreaRatio(float yd) {
    if (!(yd >= 0 && yd <= 1.01f)) return 0.0f;
    return ForwardLookup(AreaTable(), yd, 100, 0.7854f, 0.0013f);
}

float CriticalDepthRatio(float sectionFactor) {
    if (std::isnan(sectionFactor)) return 0.0f;
    return InverseLookup(SectionFactorTable(), sectionFactor, 0.99f);
}

float SulfideIndex(float yd, float q, float s, float temperature, float bod5) {
    if (!Finite(yd, q, s, temperature, bod5) || yd >= kSulfideFreeDepth || !(q > 0) || !(s > 0))
        return 0.0f;
    const double z = std::pow(1.07, temperature - 20.0) * 3.75 * bod5 /
                     std::sqrt(static_cast<double>(s)) / std::cbrt(static_cast<double>(q)) *
                     HalfAngle(yd) / TopWidthRatio(yd);
    return Clean(z);
}

void ReadData1() {
    LoadHydraulicTables();
}
void ReadData2() {
    LoadHydraulicTables();
}

}  // namespace nivex::design
