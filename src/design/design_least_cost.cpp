// The design of least construction cost: the standard design settles the flows, the
// topology and the fixed reaches; the optimiser lays every new reach again (diameter,
// slope, crowns) for the lowest cost with the project's prices; the last pass then runs
// over that layout as it runs over the standard one, so every field of the design copy
// is written by the same steps. The result is kept only when the revision finds nothing
// in it that it does not find in the standard design, and when it costs less.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "budget/construction_cost.h"
#include "console/codepage.h"
#include "design/design_internal.h"
#include "design/least_cost_dp.h"
#include "design/reach_values.h"
#include "design/revision.h"
#include "project/replace_file.h"
#include "quantities/quantity_rules.h"

namespace nivex::design::detail {
namespace {

// Crowns the optimiser weighs: every centimetre, or every two on networks so large that a
// finer grid would take too long.
constexpr double kGridStep = 0.01, kCoarseStep = 0.02;
constexpr double kCoverSpare = 0.004;  // m of room beside a standard crown for rounding
constexpr int kCoarseFrom = 2500;      // reaches
constexpr int kRounds = 8;             // solutions tried while junctions or flows ask again
constexpr int kBandSamples = 240;      // slopes probed for the critical band of a size
constexpr int kSizesAbove = 3;         // sizes weighed above the one the standard design chose

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), {}};
}

// Whether the revision finds in record k of `mine` anything it does not find in `theirs`.
std::string NewFinding(const RevisionCriteria& rc, const std::vector<TramoT>& mine,
                       const std::vector<TramoT>& theirs, int k) {
    const ReachFindings a = FindingsOf(rc, mine, k);
    const ReachFindings b = FindingsOf(rc, theirs, k);
    if (a.capacity && !b.capacity) return "capacidad";
    for (const JunctionProblem& j : a.junctions) {
        const bool known = std::any_of(b.junctions.begin(), b.junctions.end(), [&](const auto& x) {
            return x.upstream == j.upstream && x.downstream == j.downstream;
        });
        if (!known) return "empalme";
    }
    // A finding of the same kind at the same place: its text without its figures.
    auto kind = [](const Finding& f) {
        std::string k = std::to_string(f.code);
        for (char c : f.text)
            if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ' ')
                k += c;
        return k;
    };
    auto known = [&](const std::vector<Finding>& v, const Finding& f) {
        return std::any_of(v.begin(), v.end(),
                           [&](const Finding& g) { return kind(g) == kind(f); });
    };
    for (const Finding& f : a.deficiencies)
        if (!known(b.deficiencies, f)) return "deficiencia " + std::to_string(f.code);
    for (const Finding& f : a.ras)
        if (!known(b.ras, f)) return "RAS";
    return {};
}

}  // namespace

ReachWork Designer::CriteriaWork(TramoT& t) {
    ReachWork w;
    w.tributaries = std::clamp(TributaryCount(t), 0, kMaxTributaries);
    w.relief = t.ReliefFactor != 0 && w.tributaries > 0;
    SelfCleansing(t, w);
    return w;
}

void Designer::DesignPinned(TramoT& c, ReachWork& w, const Pin& pin) {
    w.relief = c.ReliefFactor != 0 && w.tributaries > 0;
    DropKind(c) = kDropNone;
    DropChambers(c) = 0;
    DropHeight(c) = 0;
    DropPipeDiameter(c) = 0;
    SelfCleansing(c, w);
    ClearReachFlows(c);
    if (w.tributaries > 0) {
        PrepareUpstreamManhole(c, w);
    } else {
        ImposedDiameter(c) =
            static_cast<float>(designClass_ == 3 ? e_.MinStormDiameter : e_.MinSanitaryDiameter);
        float lowest = c.GroundUp - e_.MinMinCrownDepth;
        if (MinDepth(c) > e_.MinCrownDepth) lowest -= MinDepth(c) - e_.MinCrownDepth;
        LowestCrown(c) = lowest;
    }
    c.Diameter = pin.diameter;
    if (c.ManningN == 0 || !std::isfinite(c.ManningN)) c.ManningN = -0.012f;
    if (c.ManningN < 0) c.ManningN = -ReachManningN(hc_, 0, c.Diameter);
    c.CrownUp = pin.crownUp;
    if (w.tributaries == 0) ProposedCrown(c) = c.CrownUp;
    w.outletDrop = w.tributaries > 0 ? OutletCrownDrop(jc_, c.Diameter, ImposedDiameter(c))
                                     : jc_.outletCrownDrop;
    if (w.tributaries > 0)
        Junction(c, w);
    else if (c.Type != network::kTypeFromSector)
        OriginTime(c) = Finite(std::max(double(e_.MinConcentrationTime), double(c.StormAreaTime)));
    Flows(c, w);
    w.eref = ReferenceLevel(c, w);
    w.availableSlope = AvailableSlope(c, w.eref);
    c.Slope = pin.slope;
    c.CrownDown = pin.crownDown;
    if (pin.chambers > 0) {
        DropKind(c) = kDropChambers;
        DropChambers(c) = static_cast<float>(pin.chambers);
    }
    EvaluateReach(c, w);
}

bool Designer::MeetsCriteria(TramoT& t) {
    if (!(t.Length > 0)) return true;
    const ReachWork w = CriteriaWork(t);
    const float n = ManningOf(t), d = t.Diameter, q = DesignFlow(t);
    // The last digits of the tables are forgiven, as the revision forgives them.
    constexpr double kSlack = 1.0005;
    double need =
        std::max(double(SelfCleansingSlope(t, w)), double(SlopeForFlow(hc_, w.qmax, q, n, d)));
    double tau = SlopeForTractiveForce(hc_, w.minTractive, d, n, w.selfCleansingFlow);
    if ((w.storm || w.relief) && e_.RasStormTractive == 1)
        tau = std::max(tau, double(SlopeForTau015(hc_, d, w.storm)));
    need = std::max({need, tau, double(e_.MinDesignSlope), double(DiameterMinimumSlope(d))});
    if (double(t.Slope) * kSlack < need) return false;
    const bool chambers = DropKind(t) == kDropChambers || DropChambers(t) > 0;
    return chambers || double(t.Slope) <= MaxVelocitySlope(t, w) * kSlack;
}

// The state of one least-cost design: the standard design it starts from and what its
// rounds learn.
struct Designer::LeastCostRun {
    std::vector<TramoT> standard;  // as the standard design left the records
    std::vector<TramoT> basis;     // the flows the optimiser designs for
    std::vector<double> extra;     // by reach: the fall energy junctions asked for (m)
    // By reach: the least covers before the standard design's shallower ones widen them.
    std::vector<std::pair<double, double>> leastCover;
    // The standard design's result, counts and outfalls, to put back when it stays.
    DesignResult result;
    DesignCounters counters;
    std::vector<FinalReach> finals;
    std::string evolution;  // its evolution file
};

namespace {

// What building costs as the optimiser weighs it: a pipe by its length times a rate that
// depends on its size and mean depth (read once per size on a half-centimetre table and
// interpolated), a manhole by its governing size, a drop pipe. Intermediate drop chambers
// add nothing: the budget has no item for them, as the cost reported has none.
class LayoutPricing {
  public:
    LayoutPricing(const budget::ReachCostModel& model, const std::vector<TramoT>& records, int n)
        : model_(model), connections_(static_cast<size_t>(n)), lengths_(static_cast<size_t>(n)) {
        for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
            const TramoT& t = records[k];
            connections_[k] =
                (t.Class == network::kClassNew || t.Class == network::kClassRestricted) &&
                t.Type != 1;
            lengths_[k] = t.Length;
        }
    }

    CostPricing Pricing() {
        CostPricing c;
        c.pipe = [this](int r, float d, double mean) { return Pipe(r, d, mean); };
        c.manhole = [this](float d, double depth) { return model_.Manhole(d, depth); };
        c.manholeGroup = [this](float d) {
            return quantities::ManholeSizeGroup(model_.limits(), d);
        };
        c.dropPipe = [this](float d) { return model_.DropPipe(d); };
        c.chambers = [](int, float, double) { return 0.0; };
        return c;
    }

  private:
    static constexpr double kRateStep = 0.005, kRateDepth = 15.0;

    double Pipe(int r, float d, double mean) {
        const bool served = connections_[static_cast<size_t>(r)] != 0;
        std::vector<double>& table = rates_[{d, served}];
        if (table.empty()) {
            table.resize(static_cast<size_t>(kRateDepth / kRateStep) + 2);
            for (size_t i = 0; i < table.size(); ++i)
                table[i] = model_.Pipe(d, 1.0, i * kRateStep, i * kRateStep, served);
        }
        const double x = std::clamp(mean, 0.0, kRateDepth) / kRateStep;
        const size_t i = std::min(static_cast<size_t>(x), table.size() - 2);
        const double f = x - static_cast<double>(i);
        return lengths_[static_cast<size_t>(r)] * (table[i] + f * (table[i + 1] - table[i]));
    }

    const budget::ReachCostModel& model_;
    std::vector<char> connections_;
    std::vector<double> lengths_;
    std::map<std::pair<float, bool>, std::vector<double>> rates_;
};

}  // namespace

void Designer::LeastCost(bool optimise) {
    const int n = networkRecords_;
    LeastCostReport& report = result_.leastCost;
    report = LeastCostReport{};
    report.asked = optimise;
    const budget::CostPrices prices = budget::PricesForCost(p_);
    report.referenceItems = prices.referenceItems;
    report.allReference = prices.allReference;
    report.priceError = prices.error;
    auto networkCost = [&](const std::vector<TramoT>& r) {
        return budget::NetworkCost(r, n, e_, designClass_, prices.prices);
    };
    LeastCostRun run;
    run.standard = recs_;
    report.standardCost = networkCost(run.standard);
    report.cost = report.standardCost;
    if (!optimise) return;
    if (designClass_ > 5) {
        report.note = cp("las clases con modelo SWMM se disenan con el metodo estandar");
        return;
    }
    run.result = result_;
    run.counters = state_.counters;
    run.finals = state_.finalReaches;
    run.evolution = ReadText(p_.files.evolution());
    const RevisionCriteria rc = RevisionCriteriaOf(p_.espec, p_.header);
    const budget::ReachCostModel model(e_, prices.prices);
    LayoutPricing layoutPricing(model, run.standard, n);
    const CostPricing pricing = layoutPricing.Pricing();

    run.basis = run.standard;
    run.extra.assign(static_cast<size_t>(n), 0.0);
    run.leastCover.assign(static_cast<size_t>(n), {0.0, 0.0});
    bool kept = false;
    std::string why = cp("no se hallo un diseno de menor costo que cumpla todos los criterios");
    for (int round = 0; round < kRounds && !kept; ++round) {
        CostProblem problem;
        if (!CostProblemOf(run, problem, why)) break;
        const CostSolution solution = SolveLeastCost(problem, pricing);
        if (!solution.feasible) break;
        PinLayout(run, problem, solution);
        if (!PassOverPins(run)) {
            pins_.clear();
            return;  // a file failed or the user stopped it: the result says so
        }

        // Energy junctions that lacked a fall ask for it above them next time.
        bool again = false;
        for (int k = 0; k < n; ++k)
            if (energyDeficit_[static_cast<size_t>(k)] > 0) {
                run.extra[static_cast<size_t>(k)] += energyDeficit_[static_cast<size_t>(k)];
                again = true;
            }
        if (again) {
            why = cp("las uniones por energia no se resolvieron");
            continue;
        }
        // Storm flows follow the velocities: a slower pipe may gather more rain. The layout
        // stands when every pipe still meets its criteria with the flows it now carries;
        // otherwise it is solved again for the larger of the two flows.
        bool unfit = false;
        for (int k = 1; k <= n; ++k)
            if (PinOf(k) && !MeetsCriteria(Rec(k))) unfit = true;
        if (unfit) {
            for (int k = 0; k < n; ++k) {
                TramoT& b = run.basis[static_cast<size_t>(k)];
                TramoT& now = recs_[static_cast<size_t>(k)];
                if (DesignFlow(now) > DesignFlow(b)) {
                    DesignFlow(b) = DesignFlow(now);
                    StormFlow(b) = std::max(StormFlow(b), StormFlow(now));
                }
            }
            why = cp("los caudales pluviales no se estabilizaron");
            continue;
        }
        if (std::string fault = LayoutFault(run, rc); !fault.empty()) {
            why = fault;
            break;
        }
        const double cost = networkCost(recs_);
        if (!(cost < report.standardCost)) {
            why = cp("el diseno estandar resulto igual o mas economico");
            break;
        }
        report.cost = cost;
        kept = true;
    }
    pins_.clear();
    energyDeficit_.clear();
    report.used = kept;
    if (kept) return;
    report.note = why;
    KeepStandard(run);
}

bool Designer::CostProblemOf(LeastCostRun& run, CostProblem& problem, std::string& why) {
    const int n = networkRecords_;
    problem.step = n >= kCoarseFrom ? kCoarseStep : kGridStep;
    // Four millimetres, not five: rounded again from a single-precision crown, a fall
    // short by half a centimetre may lose a whole one.
    problem.fallRounding = 0.004;
    problem.outletDrop = jc_.outletCrownDrop;
    problem.dropPipeHeight = jc_.minDropHeight;
    problem.matchBelowDiameter = jc_.crownJoinDiameter;
    problem.matchFall = jc_.crownJoinDrop;
    problem.spillGoverning = static_cast<float>(e_.MinStormDiameter);
    problem.reaches.resize(static_cast<size_t>(n));
    recs_ = run.basis;
    for (int k = 1; k <= n; ++k) {
        TramoT t = run.basis[static_cast<size_t>(k - 1)];
        const TramoT& s = run.standard[static_cast<size_t>(k - 1)];
        CostReach& r = problem.reaches[static_cast<size_t>(k - 1)];
        const int receiver = ReceiverRecord(t);
        r.receiver = receiver >= 1 && receiver <= n ? receiver - 1 : -1;
        for (int j = 0; j < std::clamp(TributaryCount(t), 0, kMaxTributaries); ++j) {
            const int tr = TributaryRecord(t, j);
            if (tr >= 1 && tr < k) r.tributaries.push_back(tr - 1);
        }
        r.spills = t.ReliefFactor != 0 && TributaryCount(t) > 0;
        r.length = t.Length;
        r.groundUp = t.GroundUp;
        r.groundDown = t.GroundDown;
        r.extraDrop = run.extra[static_cast<size_t>(k - 1)];
        // Into a fixed reach that the standard design could reach only from below, as
        // the revision lists it.
        if (r.receiver >= 0) {
            const TramoT& fixedBelow = run.standard[static_cast<size_t>(r.receiver)];
            if (!IsNew(fixedBelow) && s.CrownDown != 0)
                for (const JunctionProblem& j : JunctionProblems(fixedBelow, run.standard))
                    if (j.upstream == s.Upstream && j.downstream == s.Downstream)
                        r.arrivalFloor = s.CrownDown;
        }
        if (!IsNew(s)) {
            r.fixed = true;
            r.fixedDiameter = s.Diameter;
            // A reach without crowns (not investigated) bounds nothing.
            r.fixedCrownUp = s.CrownUp != 0 ? s.CrownUp : s.GroundUp - 1000.0;
            r.fixedCrownDown = s.CrownDown != 0 ? s.CrownDown : s.GroundDown;
            continue;
        }
        // Pumping stations and reaches to other sectors take the size they are given.
        if (t.Type == 3 || t.Type == network::kTypeFromSector || !(t.Length > 0)) {
            why = cp("la red tiene estaciones de bombeo o tramos a otros sectores");
            return false;
        }
        if (!CostOptionsOf(run, k, r)) {
            why = cp("un tramo no admite ningun diametro con los criterios");
            return false;
        }
    }
    return true;
}

bool Designer::CostOptionsOf(LeastCostRun& run, int k, CostReach& r) {
    TramoT t = run.basis[static_cast<size_t>(k - 1)];
    TramoT laid = run.standard[static_cast<size_t>(k - 1)];
    r.minCoverUp = r.minCoverDown = MinDepth(laid);
    // The cover the least slope is judged by: a reach with tributaries that does not leave
    // flush with the others keeps the smaller of the two minimum diameters.
    double expected = MinDepth(laid);
    if (!state_.options.flushInitialOutlets && !r.tributaries.empty() && laid.MinimumDepth < 0) {
        const double a = systemKind_ == 3 || systemKind_ == 4
                             ? e_.MinStormDiameter
                             : std::min(e_.MinSanitaryDiameter, e_.MinStormDiameter);
        expected = std::min(expected, e_.MinCrownDepth + a / 1000.0);
    }
    r.followCover = expected + 0.10;
    r.needCover = expected;
    if (!state_.options.flushInitialOutlets && r.tributaries.empty()) {
        const bool storm =
            systemKind_ == 3 || systemKind_ == 4 || (systemKind_ == 5 && StormFlow(t) != 0);
        const double a = (storm ? e_.MinStormDiameter : e_.MinSanitaryDiameter) / 1000.0;
        r.minCoverDown += a;
        r.needCover += a;
    }
    // No deeper than desirable, unless the standard design went deeper there (a centimetre
    // more leaves room for the grid; the revision judges what it gives).
    r.maxCoverUp = r.maxCoverDown =
        std::max({double(e_.MaxDesirableCrownDepth), double(DepthUp(laid)) + kGridStep,
                  double(DepthDown(laid)) + kGridStep});
    // No shallower than the least cover either, unless the standard design had to lay it
    // shallower there (into a fixed pipe narrower than it, for one): the same crown stays
    // on the grid, a few millimetres spare for its rounding.
    run.leastCover[static_cast<size_t>(k - 1)] = {r.minCoverUp, r.minCoverDown};
    if (double(DepthUp(laid)) < r.minCoverUp - kCoverSpare)
        r.minCoverUp = double(DepthUp(laid)) - kCoverSpare;
    if (double(DepthDown(laid)) < r.minCoverDown - kCoverSpare)
        r.minCoverDown = double(DepthDown(laid)) - kCoverSpare;
    const bool chambered = DropKind(laid) == kDropChambers || DropChambers(laid) > 0;
    const ReachWork w = CriteriaWork(t);
    const bool storm = w.storm || w.relief || designClass_ == 3;
    // The manhole above is governed at least by the class minimum a head starts with, or by
    // the size the reach is held to.
    r.leastGoverning =
        r.tributaries.empty()
            ? static_cast<float>(designClass_ == 3 ? e_.MinStormDiameter : e_.MinSanitaryDiameter)
            : LeastImposed(w, k);
    float least = LeastImposed(w, k);
    // The storm minimum wherever rain may run: classes 3 and 4, and the reaches of class 5
    // that carry it.
    if (designClass_ == 3 || designClass_ == 4 || (designClass_ == 5 && StormFlow(t) != 0))
        least = std::max(least, static_cast<float>(e_.MinStormDiameter));
    const SizeList& sizes = hc_.sizes;
    int widest = sizes.count - 1;
    for (int i = 0; i < sizes.count; ++i)
        if (sizes.size[static_cast<size_t>(i)] >= laid.Diameter) {
            widest = std::min(sizes.count - 1, i + kSizesAbove);
            break;
        }
    const float q = DesignFlow(t);
    for (int i = 0; i <= widest; ++i) {
        const float d = sizes.size[static_cast<size_t>(i)];
        if (d < least) continue;
        TramoT x = t;
        x.Diameter = d;
        if (x.ManningN <= 0) x.ManningN = -ReachManningN(hc_, 0, d);
        const float nd = ManningOf(x);
        CostOption o;
        o.diameter = d;
        o.chambers = chambered;
        double smin = std::max(SelfCleansingSlope(x, w), SlopeForFlow(hc_, w.qmax, q, nd, d));
        double tau = SlopeForTractiveForce(hc_, w.minTractive, d, nd, w.selfCleansingFlow);
        if ((w.storm || w.relief) && e_.RasStormTractive == 1)
            tau = std::max(tau, double(SlopeForTau015(hc_, d, w.storm)));
        smin = std::max({smin, tau, double(e_.MinDesignSlope), double(DiameterMinimumSlope(d))});
        o.minSlope = smin;
        o.maxSlope = MaxVelocitySlope(x, w);
        o.tooFastSlope = SlopeForFullVelocity(hc_, d, nd, jc_.maxVelocity);
        // Sanitary reaches outside the critical band's rule are dug no deeper than the
        // criteria ask.
        if (!storm && !(e_.AvoidCriticalDiameter > 0)) o.needSlope = smin;
        if (!std::isfinite(o.minSlope) || !(o.minSlope <= o.maxSlope)) continue;
        if (e_.AvoidCriticalDiameter > 0) {
            // The band found by probing, widened by half a probe on each side.
            const double ratio = std::pow(o.maxSlope / o.minSlope, 1.0 / kBandSamples);
            double start = -1, last = -1;
            for (int k2 = 0; k2 <= kBandSamples; ++k2) {
                const double sl = o.minSlope * std::pow(ratio, k2);
                if (InCriticalBand(hc_, float(sl), q, d, nd)) {
                    if (start < 0) start = sl / std::sqrt(ratio);
                    last = sl * std::sqrt(ratio);
                } else if (start >= 0) {
                    o.band.emplace_back(start, last);
                    start = -1;
                }
            }
            if (start >= 0) o.band.emplace_back(start, last * 10);
            // A reach through drop chambers runs at its cap: not where the cap is critical.
            for (const auto& [lo, hi] : o.band)
                if (o.maxSlope > lo && o.maxSlope < hi) o.chambers = false;
        }
        r.options.push_back(o);
    }
    // A size wider than one that would serve at the same slope is not laid: above the size
    // the least velocity asks for, each size only where the one below it could not keep its
    // criteria (with a fifth to spare: the revision forgives a little).
    const double vmin = std::max(0.6, double(w.minFullVelocity));
    const double byVelocity =
        std::sqrt(4 * double(q) / 1000 / (3.14159265358979 * w.qmax * vmin)) * 1000;
    const double free = std::max({byVelocity, double(least)});
    for (size_t i = 1; i < r.options.size(); ++i)
        if (r.options[i - 1].diameter >= free)
            r.options[i].oversizeSlope = 0.8 * r.options[i - 1].minSlope;
    return !r.options.empty();
}

float Designer::LeastImposed(const ReachWork& w, int record) const {
    float m = static_cast<float>(w.storm || w.relief || designClass_ == 3 ? e_.MinStormDiameter
                                                                          : e_.MinSanitaryDiameter);
    if (record >= 1 && static_cast<size_t>(record - 1) < enteredImposed_.size())
        m = std::max(m, enteredImposed_[static_cast<size_t>(record - 1)]);
    return m;
}

int Designer::ChambersOf(const CostReach& r, float d, double crownDown) const {
    double cap = 0;
    for (const CostOption& o : r.options)
        if (o.diameter == d) cap = o.maxSlope;
    const double hu = r.groundUp - (crownDown + cap * r.length / 100.0);
    return std::max(1, IntermediateDropChambers(hu, e_.MaxCrownDepth, e_.MinCrownDepth));
}

void Designer::PinLayout(const LeastCostRun& run, const CostProblem& problem,
                         const CostSolution& solution) {
    const int n = networkRecords_;
    pins_.assign(static_cast<size_t>(n), Pin{});
    for (int k = 0; k < n; ++k) {
        const CostReach& r = problem.reaches[static_cast<size_t>(k)];
        if (r.fixed) continue;
        const CostChoice& c = solution.choices[static_cast<size_t>(k)];
        Pin& pin = pins_[static_cast<size_t>(k)];
        pin.diameter = c.diameter;
        pin.crownUp = Round2(static_cast<float>(c.crownUp));
        pin.crownDown = Round2(static_cast<float>(c.crownDown));
        pin.slope = Finite((double(pin.crownUp) - pin.crownDown) * 100.0 / r.length);
        // Shallower than its least cover where the standard design raised the line to a
        // fixed reach: it keeps that line's mark.
        const auto [coverUp, coverDown] = run.leastCover[static_cast<size_t>(k)];
        TramoT before = run.standard[static_cast<size_t>(k)];
        pin.raised =
            JunctionMark(before) == 2 && (r.groundUp - pin.crownUp < coverUp - 0.005 ||
                                          r.groundDown - pin.crownDown < coverDown - 0.005);
        // A fall rounded to the centimetre keeps the least slope of its size.
        for (const CostOption& o : r.options)
            if (o.diameter == c.diameter && pin.slope < o.minSlope)
                pin.slope = static_cast<float>(o.minSlope);
        if (c.chambered) {
            for (const CostOption& o : r.options)
                if (o.diameter == c.diameter) pin.slope = static_cast<float>(o.maxSlope);
            pin.chambers = ChambersOf(r, c.diameter, c.crownDown);
        }
    }
    if (jc_.crownJoinDiameter > 0) LevelMatchedPins(run, problem);
}

// A new pipe that does not fall into its manhole is laid to end level with the crown
// leaving it, as the junction re-slopes it: the grid may leave it a centimetre or two above.
void Designer::LevelMatchedPins(const LeastCostRun& run, const CostProblem& problem) {
    const int n = networkRecords_;
    std::vector<float> imposed(static_cast<size_t>(n), 0.0f);
    auto size = [&](int k) {
        const Pin& p = pins_[static_cast<size_t>(k)];
        return p.diameter > 0 ? p.diameter : run.standard[static_cast<size_t>(k)].Diameter;
    };
    for (int k = 0; k < n; ++k) {
        TramoT t = run.basis[static_cast<size_t>(k)];
        float m = LeastImposed(CriteriaWork(t), k + 1);
        for (int j : problem.reaches[static_cast<size_t>(k)].tributaries) {
            const CostReach& in = problem.reaches[static_cast<size_t>(j)];
            m = std::max(m, in.spills ? static_cast<float>(e_.MinStormDiameter)
                                      : std::max(size(j), imposed[static_cast<size_t>(j)]));
        }
        imposed[static_cast<size_t>(k)] = m;
    }
    for (int k = 0; k < n; ++k) {
        const CostReach& r = problem.reaches[static_cast<size_t>(k)];
        const Pin& out = pins_[static_cast<size_t>(k)];
        const double cout = out.diameter > 0 ? double(out.crownUp) : r.fixedCrownUp;
        const float dout = size(k);
        const double drop = OutletCrownDrop(jc_, dout, imposed[static_cast<size_t>(k)]);
        for (int j : r.tributaries) {
            Pin& in = pins_[static_cast<size_t>(j)];
            if (!(in.diameter > 0) || in.chambers > 0) continue;
            const CostReach& t = problem.reaches[static_cast<size_t>(j)];
            const double wider = std::max(0.0, (double(in.diameter) - dout) / 1000.0);
            const double level = cout + std::max(drop, wider);
            if (!(in.crownDown > level - 0.001)) continue;
            const bool ownFall =
                in.diameter<jc_.crownJoinDiameter&& double(in.crownDown) - cout> jc_.crownJoinDrop +
                0.001;
            if (ownFall) continue;
            TramoT x = run.basis[static_cast<size_t>(j)];
            x.Diameter = in.diameter;
            if (x.ManningN <= 0) x.ManningN = -ReachManningN(hc_, 0, in.diameter);
            const double st = (double(in.crownUp) - level) * 100.0 / t.length;
            if (FullVelocity(hc_, ManningOf(x), static_cast<float>(st), in.diameter) >=
                jc_.maxVelocity)
                continue;
            in.crownDown = Round2(static_cast<float>(level));
            in.slope =
                std::max(in.slope, Finite((double(in.crownUp) - in.crownDown) * 100.0 / t.length));
        }
    }
}

// The last pass of the standard design, over the pinned layout.
bool Designer::PassOverPins(const LeastCostRun& run) {
    const int n = networkRecords_;
    recs_ = run.standard;
    // The sizes imposed from above are those of this layout, not of the standard one.
    for (size_t k = 0; k < recs_.size() && k < enteredImposed_.size(); ++k)
        ImposedDiameter(recs_[k]) = enteredImposed_[k];
    dirty_.assign(recs_.size(), 1);
    energyDeficit_.assign(static_cast<size_t>(n), 0.0);
    state_.raiseStack.clear();
    state_.finalReaches.clear();
    state_.counters = DesignCounters{};
    state_.counters.addedRecords = static_cast<int>(recs_.size());
    state_.counters.replacements = -1;
    return DesignPass(3);
}

std::string Designer::LayoutFault(const LeastCostRun& run, const RevisionCriteria& rc) {
    const int n = networkRecords_;
    // Crowns never rise through a manhole: the junction's own re-sloping, rounded to the
    // centimetre, may have left an arriving pipe a hair below the one leaving.
    for (int k = 1; k <= n; ++k) {
        const TramoT& out = recs_[static_cast<size_t>(k - 1)];
        if (!PinOf(k) || out.CrownUp == 0) continue;
        for (int j = 0; j < std::clamp(TributaryCount(Rec(k)), 0, kMaxTributaries); ++j) {
            const int t = TributaryRecord(Rec(k), j);
            if (!Valid(t)) continue;
            const TramoT& in = Rec(t);
            if (in.CrownDown != 0 && double(in.CrownDown) < double(out.CrownUp) - 0.005)
                return cp("una clave llegaria mas baja que la de salida en el tramo ") +
                       out.Upstream + "-" + out.Downstream;
        }
    }
    for (int k = 1; k <= n; ++k)
        if (std::string f = NewFinding(rc, recs_, run.standard, k); !f.empty())
            return cp("la revision hallaria ") + cp(f) + cp(" en el tramo ") +
                   recs_[static_cast<size_t>(k - 1)].Upstream + "-" +
                   recs_[static_cast<size_t>(k - 1)].Downstream;
    return {};
}

void Designer::KeepStandard(const LeastCostRun& run) {
    recs_ = run.standard;
    dirty_.assign(recs_.size(), 1);
    network::TramoFile file;
    bool written = file.Open(p_.files.designCopy()) && WriteRecords(file);
    std::string error = written ? std::string() : file.error();
    if (!file.Close() && written) {
        written = false;
        error = file.error();
    }
    // The evolution of the standard design, put back whole or not at all.
    if (written && !run.evolution.empty() &&
        !project::ReplaceFileContents(p_.files.evolution(), run.evolution, &error))
        written = false;
    const LeastCostReport keep = result_.leastCost;
    result_ = run.result;
    result_.leastCost = keep;
    state_.counters = run.counters;
    state_.finalReaches = run.finals;
    if (!written) {
        result_.end = DesignEnd::Failed;
        result_.title = cp(kSystemFailureTitle);
        result_.error = cp(kSystemFailure) + "\r" + cp(error);
        sink_.Message(result_.title, result_.error);
    }
}

}  // namespace nivex::design::detail

namespace nivex::design {

std::string PesosText(double pesos) {
    if (!std::isfinite(pesos)) return "-";
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", std::fabs(pesos));
    std::string whole(digits, std::strchr(digits, '.'));
    std::string grouped;
    for (size_t k = 0; k < whole.size(); ++k) {
        if (k > 0 && (whole.size() - k) % 3 == 0) grouped += ',';
        grouped += whole[k];
    }
    return (pesos < 0 ? "-" : "") + grouped + std::strchr(digits, '.');
}

std::string LeastCostText(const LeastCostReport& r) {
    std::string t = cp("COSTO DEL DISEÑO\r\r");
    t += cp("Costo del diseño adoptado ...: $ ") + PesosText(r.cost) + "\r";
    t += cp("Costo del diseño estandar ...: $ ") + PesosText(r.standardCost) + "\r";
    if (r.used && r.standardCost > 0) {
        char saving[64];
        std::snprintf(saving, sizeof saving, "%.1f %%",
                      100 * (r.standardCost - r.cost) / r.standardCost);
        t += cp("Ahorro ......................: ") + saving + "\r";
    } else if (!r.note.empty()) {
        t += cp("\rSe conserva el diseño estandar:\r") + r.note + "\r";
    }
    if (r.allReference)
        t += cp("\rPrecios de la tabla de referencia (el proyecto no tiene precios unitarios).");
    else if (r.referenceItems > 0)
        t += cp("\r") + std::to_string(r.referenceItems) +
             cp(" precios unitarios en cero se tomaron de la tabla de referencia.");
    if (!r.priceError.empty()) t += "\r" + r.priceError;
    return t;
}

}  // namespace nivex::design
