// Dynamic programming over the manholes of a tree of reaches (see least_cost_dp.h).

#include "design/least_cost_dp.h"

#include <algorithm>
#include <cmath>

namespace nivex::design {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kEps = 1e-9;
constexpr double kHalfCentimetre = 0.005;  // m
constexpr float kNoCap = std::numeric_limits<float>::infinity();

// What is known of one reach once it is solved: for every size it may leave with and every
// lower crown of the grid, the least cost of the reach and of everything above it.
struct Solved {
    long lo = 0, hi = -1;      // lower crowns, grid indices
    std::vector<float> sizes;  // the size leaving the reach, by option
    // Single precision and short offsets keep a network of ten thousand reaches in memory.
    std::vector<std::vector<float>> cost;     // [option][crown - lo]
    std::vector<std::vector<int16_t>> upper;  // new reaches: upper crown index chosen, from ulo
    long width() const { return hi - lo + 1; }
};

struct Pick {
    double cost = kInf;
    int option = -1;
    long crown = 0;
};

class Solver {
  public:
    Solver(const CostProblem& p, const CostPricing& c) : p_(p), c_(c), solved_(p.reaches.size()) {}

    CostSolution Run() {
        CostSolution out;
        const size_t n = p_.reaches.size();
        for (size_t r = 0; r < n; ++r) {
            if (p_.reaches[r].fixed)
                SolveFixed(static_cast<int>(r));
            else
                SolveNew(static_cast<int>(r));
            if (!Reachable(solved_[r])) {
                out.infeasibleReach = static_cast<int>(r);
                return out;
            }
        }
        out.choices.resize(n);
        out.cost = 0;
        for (size_t r = 0; r < n; ++r) {
            if (p_.reaches[r].receiver >= 0) continue;
            const Solved& s = solved_[r];
            Pick best;
            for (size_t o = 0; o < s.sizes.size(); ++o)
                for (long i = 0; i < s.width(); ++i)
                    if (s.cost[o][static_cast<size_t>(i)] < best.cost)
                        best = {s.cost[o][static_cast<size_t>(i)], static_cast<int>(o), s.lo + i};
            out.cost += best.cost;
            Descend(static_cast<int>(r), best.option, best.crown, out.choices);
        }
        out.feasible = std::isfinite(out.cost);
        return out;
    }

  private:
    static bool Reachable(const Solved& s) {
        for (const auto& v : s.cost)
            for (double x : v)
                if (std::isfinite(x)) return true;
        return false;
    }

    long Grid(double metres) const { return static_cast<long>(std::ceil(metres / p_.step - kEps)); }

    // Least costs of a solved reach arriving at or above a crown: for each of its options,
    // the least over every crown from x up (suffix), and over the crowns x .. x + w - 1 for
    // the falls too short for a drop pipe (window), with where they are found.
    struct Mins {
        std::vector<double> v;
        std::vector<long> at;
    };
    struct Arrival {
        std::vector<Mins> suffix, window0, window1;  // window0: no outlet drop; window1: with it
        // Its upper crowns, and by option the least rise (grid steps) from a crown it would
        // be taken level with to its upper crown that makes it run too fast.
        long upLo = 0, upHi = -1;
        std::vector<long> rise;
    };

    static Mins Suffix(const std::vector<float>& f, long lo) {
        Mins m;
        m.v.assign(f.size() + 1, kInf);
        m.at.assign(f.size() + 1, lo);
        for (size_t i = f.size(); i-- > 0;) {
            m.v[i] = m.v[i + 1];
            m.at[i] = m.at[i + 1];
            if (f[i] <= m.v[i]) {
                m.v[i] = f[i];
                m.at[i] = lo + static_cast<long>(i);
            }
        }
        return m;
    }

    // The least of f over i .. i + w - 1 for every i, in one pass from the top down.
    static Mins Window(const std::vector<float>& f, long lo, long w) {
        Mins m;
        m.v.assign(f.size() + 1, kInf);
        m.at.assign(f.size() + 1, lo);
        if (w <= 0) return m;
        std::vector<size_t> q(f.size());  // indices of increasing values, nearest first
        size_t head = 0, tail = 0;
        for (size_t i = f.size(); i-- > 0;) {
            while (tail > head && f[q[tail - 1]] >= f[i])
                --tail;
            q[tail++] = i;
            while (q[head] >= i + static_cast<size_t>(w))
                ++head;
            m.v[i] = f[q[head]];
            m.at[i] = lo + static_cast<long>(q[head]);
        }
        return m;
    }

    // New pipes arrive level with the crown leaving; the narrow ones may fall instead.
    bool Matched(const CostReach& t) const { return !t.fixed && p_.matchBelowDiameter > 0; }
    bool MayFall(float d) const { return d < p_.matchBelowDiameter; }

    long DropSteps() const { return p_.dropPipeHeight > 0 ? Grid(p_.dropPipeHeight) : -1; }

    // The drops below the crown leaving a manhole that the pipes arriving keep: with the
    // outlet drop (as wide as the pipe leaving) and without it.
    long SameDrop(const CostReach& r) const { return Grid(p_.outletDrop + r.extraDrop); }
    long OtherDrop(const CostReach& r) const { return Grid(r.extraDrop); }

    Arrival Tables(int t, const CostReach& receiver) const {
        const Solved& s = solved_[static_cast<size_t>(t)];
        Arrival a;
        const long drop = DropSteps();
        const long delta = SameDrop(receiver), other = OtherDrop(receiver);
        for (const auto& f : s.cost) {
            a.suffix.push_back(Suffix(f, s.lo));
            if (drop >= 0) {
                a.window0.push_back(Window(f, s.lo, drop - other));
                a.window1.push_back(Window(f, s.lo, drop - delta));
            }
        }
        const CostReach& tr = p_.reaches[static_cast<size_t>(t)];
        a.rise.assign(s.sizes.size(), std::numeric_limits<long>::max());
        if (tr.fixed || !(tr.length > 0)) return a;
        a.upLo = CrownIndexAbove(tr.groundUp - tr.maxCoverUp, p_.step);
        a.upHi = CrownIndexBelow(tr.groundUp - tr.minCoverUp, p_.step);
        for (size_t o = 0; o < s.sizes.size() && o < tr.options.size(); ++o)
            a.rise[o] = Rise(tr, tr.options[o]);
        return a;
    }

    // The least rise (grid steps) from the crown a pipe would be taken level with to its
    // upper crown that makes it run too fast; the largest long when none does.
    long Rise(const CostReach& tr, const CostOption& o) const {
        const double fast = o.tooFastSlope - kEps;
        if (!std::isfinite(fast) || !(tr.length > 0)) return std::numeric_limits<long>::max();
        const double perIndex = p_.step * 100 / tr.length;
        long m = std::max(0L, static_cast<long>(std::ceil(fast / perIndex)));
        while (m > 0 && (m - 1) * perIndex >= fast)
            --m;
        while (m * perIndex < fast)
            ++m;
        return m;
    }

    // Whether a tributary laid by option o down to crown c would run too fast if the
    // junction took it level with `level`: judged on the cheapest way it is laid above.
    static bool TooFast(const Arrival& a, const Solved& s, size_t o, long c, long level) {
        return a.upLo + s.upper[o][static_cast<size_t>(c - s.lo)] - level >= a.rise[o];
    }

    static double At(const Mins& m, long lo, long x, long* where) {
        const long i = std::max(x - lo, 0L);
        if (i >= static_cast<long>(m.v.size())) return kInf;
        *where = m.at[static_cast<size_t>(i)];
        return m.v[static_cast<size_t>(i)];
    }

    // Whether tributary t, laid by its option o down to crown c, would run too fast if the
    // junction took it level with `level`: judged on the cheapest way it is laid above.
    bool TooFastToLevel(int t, size_t o, long c, long level) const {
        const CostReach& tr = p_.reaches[static_cast<size_t>(t)];
        const Solved& s = solved_[static_cast<size_t>(t)];
        if (tr.fixed || o >= tr.options.size() || !std::isfinite(tr.options[o].tooFastSlope))
            return false;
        const long ulo = CrownIndexAbove(tr.groundUp - tr.maxCoverUp, p_.step);
        return ulo + s.upper[o][static_cast<size_t>(c - s.lo)] - level >= Rise(tr, tr.options[o]);
    }

    // The best way tributary t arrives at a manhole whose outgoing pipe of size `outgoing`
    // starts at crown index cu: at or above cu + the outlet drop when t is as wide, never
    // wider than it, and a drop pipe paid for when t falls its height or more.
    // With caps (ascending), byCap[i] is also the best way with no size above caps[i]: the
    // sizes are weighed from the narrowest up, so one pass gives them all.
    Pick Arrive(int t, const Arrival& a, long cu, float outgoing, bool exact = false,
                const std::vector<float>* caps = nullptr,
                std::vector<Pick>* byCap = nullptr) const {
        const Solved& s = solved_[static_cast<size_t>(t)];
        const CostReach& tr = p_.reaches[static_cast<size_t>(t)];
        const CostReach& receiver = p_.reaches[static_cast<size_t>(tr.receiver)];
        const long drop = DropSteps();
        Pick best;
        size_t passed = 0;  // the caps already below the sizes weighed
        auto passCaps = [&](float d) {
            if (caps == nullptr) return;
            while (passed < caps->size() && !(d <= (*caps)[passed] + 0.01f))
                (*byCap)[passed++] = best;
        };
        for (size_t o = 0; o < s.sizes.size(); ++o) {
            const float d = s.sizes[o];
            if (!tr.spills) passCaps(d);
            if (!tr.spills && d > outgoing + 0.01f) continue;
            const bool same = std::fabs(d - outgoing) < 0.01f;
            if (exact && !same) continue;
            // A wider pipe (one that spills at a relief chamber) arrives invert to invert.
            const long wider = d > outgoing ? Grid((d - outgoing) / 1000.0) : 0;
            const long delta = std::max(same ? SameDrop(receiver) : OtherDrop(receiver), wider);
            long where = 0;
            if (Matched(tr)) {
                // Level with the crown leaving (with its drop), or a fall of its own.
                const long at = cu + delta;
                if (at >= s.lo && at <= s.hi) {
                    const double v = s.cost[o][static_cast<size_t>(at - s.lo)];
                    if (v < best.cost) best = {v, static_cast<int>(o), at};
                }
                // A wide pipe falls into the manhole, and a narrow one falls less than the
                // limit, only where ending level would make it run too fast.
                const long far =
                    MayFall(d)
                        ? cu + std::max(
                                   delta + 1,
                                   static_cast<long>(std::floor(p_.matchFall / p_.step + kEps)) + 1)
                        : s.hi + 1;
                if (a.upHi - at >= a.rise[o])
                    for (long c = std::max(at + 1, s.lo); c < far && c <= s.hi; ++c) {
                        double v = s.cost[o][static_cast<size_t>(c - s.lo)];
                        if (!std::isfinite(v) || !TooFast(a, s, o, c, at)) continue;
                        if (drop >= 0 && c - cu >= drop) v += c_.dropPipe(d);
                        if (v < best.cost) best = {v, static_cast<int>(o), c};
                    }
                if (!MayFall(d)) continue;
                // A fall counts as its own only when it exceeds the limit.
                if (drop < 0) {
                    const double v = At(a.suffix[o], s.lo, far, &where);
                    if (v < best.cost) best = {v, static_cast<int>(o), where};
                    continue;
                }
                for (long c = std::max(far, s.lo); c < cu + drop && c <= s.hi; ++c) {
                    const double v = s.cost[o][static_cast<size_t>(c - s.lo)];
                    if (v < best.cost) best = {v, static_cast<int>(o), c};
                }
                const double v = At(a.suffix[o], s.lo, std::max(far, cu + drop), &where) +
                                 (tr.fixed ? 0.0 : c_.dropPipe(d));
                if (v < best.cost) best = {v, static_cast<int>(o), where};
                continue;
            }
            if (drop < 0) {
                const double v = At(a.suffix[o], s.lo, cu + delta, &where);
                if (v < best.cost) best = {v, static_cast<int>(o), where};
                continue;
            }
            if (drop > delta) {
                // Outside the grid below its lowest crown the window starts at the lowest.
                const long from = cu + delta;
                const long tabled = same ? SameDrop(receiver) : OtherDrop(receiver);
                double v = kInf;
                if (from >= s.lo && delta == tabled) {
                    v = At(same ? a.window1[o] : a.window0[o], s.lo, from, &where);
                } else {
                    for (long c = std::max(s.lo, from); c < cu + drop && c <= s.hi; ++c) {
                        const double x = s.cost[o][static_cast<size_t>(c - s.lo)];
                        if (x < v) {
                            v = x;
                            where = c;
                        }
                    }
                }
                if (v < best.cost) best = {v, static_cast<int>(o), where};
            }
            const double falling = At(a.suffix[o], s.lo, cu + std::max(drop, delta), &where) +
                                   (tr.fixed ? 0.0 : c_.dropPipe(d));
            if (falling < best.cost) best = {falling, static_cast<int>(o), where};
        }
        passCaps(kNoCap);
        return best;
    }

    void SolveFixed(int r) {
        const CostReach& R = p_.reaches[static_cast<size_t>(r)];
        Solved& s = solved_[static_cast<size_t>(r)];
        s.lo = s.hi = CrownIndexBelow(R.fixedCrownDown, p_.step);
        // The size the reach below must take at least: its own, or the widest above it.
        std::vector<float> sizes{R.fixedDiameter};
        for (int t : R.tributaries)
            for (float d : solved_[static_cast<size_t>(t)].sizes)
                if (d > R.fixedDiameter && !p_.reaches[static_cast<size_t>(t)].spills)
                    sizes.push_back(d);
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        const long cu = CrownIndexAbove(R.fixedCrownUp, p_.step);
        for (float cap : sizes) {
            double total = 0;
            for (int t : R.tributaries) {
                // Sizes up to the cap: those above it make another state.
                const Pick a = ArriveCapped(t, cu, cap, R.fixedCrownUp);
                total += a.cost;
            }
            s.sizes.push_back(cap);
            s.cost.push_back({static_cast<float>(total)});
            s.upper.push_back({0});
        }
    }

    // Into a fixed reach: at or above its crown, invert to invert when wider than it, or as
    // low as the arriving pipe's floor where the network leaves no higher way in.
    Pick ArriveCapped(int t, long cu, float cap, double fixedCrown) const {
        const Solved& s = solved_[static_cast<size_t>(t)];
        const CostReach& tr = p_.reaches[static_cast<size_t>(t)];
        const CostReach& R = p_.reaches[static_cast<size_t>(tr.receiver)];
        Pick best;
        for (size_t o = 0; o < s.sizes.size(); ++o) {
            const float d = s.sizes[o];
            if (!tr.spills && d > cap + 0.01f) continue;
            // Invert to invert as the crowns are kept, to the nearest centimetre.
            long level = cu;
            if (!tr.fixed && d > R.fixedDiameter)
                level = std::max(
                    level,
                    CrownIndexAbove(fixedCrown + (d - R.fixedDiameter) / 1000.0 - kHalfCentimetre,
                                    p_.step));
            long lowest = level;
            if (tr.arrivalFloor < fixedCrown)
                lowest = std::min(lowest, CrownIndexAbove(tr.arrivalFloor, p_.step));
            // Two fixed reaches meet as they were built.
            if (tr.fixed) lowest = s.lo;
            const bool matched = Matched(tr), fall = MayFall(d);
            for (long c = std::max(lowest, s.lo); c <= s.hi; ++c) {
                double v = s.cost[o][static_cast<size_t>(c - s.lo)];
                if (!std::isfinite(v)) continue;
                if (matched && c > level &&
                    (!fall || c * p_.step - fixedCrown <= p_.matchFall + kEps) &&
                    !TooFastToLevel(t, o, c, level))
                    continue;
                if (p_.dropPipeHeight > 0 && !tr.fixed &&
                    c * p_.step - fixedCrown >= p_.dropPipeHeight - kEps)
                    v += c_.dropPipe(d);
                if (v < best.cost) best = {v, static_cast<int>(o), c};
            }
        }
        return best;
    }

    // The manhole above a new reach is priced by its governing size: the widest pipe
    // arriving (a spilling one as the spill size), never less than the reach's least. The
    // tributaries are weighed capped at the widest size of each group of sizes that prices
    // a manhole alike: the cheapest of those is the cheapest way in, exactly.
    std::vector<float> Caps(const CostReach& R, float d) const {
        std::vector<float> sizes;
        for (int t : R.tributaries)
            if (!p_.reaches[static_cast<size_t>(t)].spills)
                for (float z : solved_[static_cast<size_t>(t)].sizes)
                    if (z <= d + 0.01f) sizes.push_back(z);
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        std::vector<float> caps;
        for (size_t i = 0; i < sizes.size(); ++i) {
            const bool last = i + 1 == sizes.size();
            // The widest of its group when the next size prices the manhole otherwise.
            if (last || !c_.manholeGroup ||
                c_.manholeGroup(sizes[i]) != c_.manholeGroup(sizes[i + 1]))
                caps.push_back(sizes[i]);
        }
        if (caps.empty()) caps.push_back(d);
        return caps;
    }

    // The size an arrival passes on to the manhole's governing size (a spilling one counts
    // apart).
    float Passed(int t, const Pick& a) const {
        if (a.option < 0 || p_.reaches[static_cast<size_t>(t)].spills) return 0;
        return solved_[static_cast<size_t>(t)].sizes[static_cast<size_t>(a.option)];
    }

    float Governing(const CostReach& R, float widest) const {
        float g = std::max(R.leastGoverning, widest);
        for (int t : R.tributaries)
            if (p_.reaches[static_cast<size_t>(t)].spills) g = std::max(g, p_.spillGoverning);
        return g;
    }

    struct Way {
        double cost = kInf;
        size_t cap = 0;   // the cap the tributaries were weighed with
        int widest = -1;  // the tributary that arrives as wide, when one must
    };
    struct Ways {
        Way plain, wide;
    };

    // The least cost above upper crown cu of a reach of size d: its tributaries and manhole;
    // and, where asked, with one tributary as wide as the reach (a pipe as wide as one
    // arriving is never too wide).
    Ways Above(const CostReach& R, const std::vector<Arrival>& arrivals,
               const std::vector<float>& caps, long cu, float d, bool weighWide) const {
        const size_t n = R.tributaries.size();
        const double depth = R.groundUp - cu * p_.step + d / 1000.0;
        std::vector<std::vector<Pick>> byCap(n, std::vector<Pick>(caps.size()));
        std::vector<Pick> any(n);
        for (size_t k = 0; k < n; ++k)
            any[k] = Arrive(R.tributaries[k], arrivals[k], cu, d, false, &caps, &byCap[k]);
        Ways w;
        for (size_t i = 0; i < caps.size(); ++i) {
            double v = 0;
            float widest = 0;
            for (size_t k = 0; k < n && std::isfinite(v); ++k) {
                v += byCap[k][i].cost;
                widest = std::max(widest, Passed(R.tributaries[k], byCap[k][i]));
            }
            if (!std::isfinite(v)) continue;
            v += c_.manhole(Governing(R, widest), depth);
            if (v < w.plain.cost) w.plain = {v, i, -1};
        }
        if (!weighWide) return w;
        for (size_t k = 0; k < n; ++k) {
            const Pick same = Arrive(R.tributaries[k], arrivals[k], cu, d, true);
            double x = same.cost;
            float widest = Passed(R.tributaries[k], same);
            for (size_t j = 0; j < n && std::isfinite(x); ++j)
                if (j != k) {
                    x += any[j].cost;
                    widest = std::max(widest, Passed(R.tributaries[j], any[j]));
                }
            if (!std::isfinite(x)) continue;
            x += c_.manhole(Governing(R, widest), depth);
            if (x < w.wide.cost) w.wide = {x, 0, static_cast<int>(k)};
        }
        return w;
    }

    void SolveNew(int r) {
        const CostReach& R = p_.reaches[static_cast<size_t>(r)];
        Solved& s = solved_[static_cast<size_t>(r)];
        const long ulo = CrownIndexAbove(R.groundUp - R.maxCoverUp, p_.step);
        const long uhi = CrownIndexBelow(R.groundUp - R.minCoverUp, p_.step);
        s.lo = CrownIndexAbove(R.groundDown - R.maxCoverDown, p_.step);
        s.hi = CrownIndexBelow(R.groundDown - R.minCoverDown, p_.step);
        if (s.hi < s.lo || uhi < ulo || !(R.length > 0)) return;
        const size_t up = static_cast<size_t>(uhi - ulo + 1);
        std::vector<Arrival> arrivals;
        for (int t : R.tributaries)
            arrivals.push_back(Tables(t, R));
        for (const CostOption& o : R.options) {
            const float d = o.diameter;
            // Above the manhole: the least cost of the tributaries for each upper crown; and,
            // where a size wider than needed is weighed, the least with a tributary as wide
            // (a pipe as wide as one arriving is never too wide).
            const bool weighWide = std::isfinite(o.oversizeSlope) && !R.tributaries.empty();
            std::vector<double> above(up, 0.0), aboveWide(up, kInf);
            const std::vector<float> caps = Caps(R, d);
            for (long cu = ulo; cu <= uhi; ++cu) {
                const Ways w = Above(R, arrivals, caps, cu, d, weighWide);
                above[static_cast<size_t>(cu - ulo)] = w.plain.cost;
                aboveWide[static_cast<size_t>(cu - ulo)] = w.wide.cost;
            }
            // The pipe itself, by the sum of its two crown indices (its mean depth).
            const long sumLo = ulo + s.lo;
            std::vector<double> pipe(static_cast<size_t>(uhi + s.hi - sumLo + 1));
            const double meanGround = (R.groundUp + R.groundDown) / 2;
            bool shallowerCheaper = true;
            for (size_t i = 0; i < pipe.size(); ++i) {
                pipe[i] = c_.pipe(r, d, meanGround - (sumLo + static_cast<long>(i)) * p_.step / 2);
                if (i > 0 && pipe[i] > pipe[i - 1] + 1e-9) shallowerCheaper = false;
            }
            // The least cost above any upper crown at or below each one: with pipes that
            // cost more the deeper they lie, no deeper start can beat the best found once
            // this bound reaches it.
            std::vector<double> lowest(up);
            for (size_t i = 0; i < up; ++i)
                lowest[i] = std::min(i > 0 ? lowest[i - 1] : kInf, above[i]);
            const double perIndex = p_.step * 100 / R.length;  // % of slope per grid step
            // The crowns are kept to the centimetre as the fall of the least slope rounds:
            // up to half of it less, the reach still keeps the least slope as its own.
            const long kmin = std::max(
                0L, static_cast<long>(std::ceil(
                        (o.minSlope * R.length / 100 - p_.fallRounding) / p_.step - kEps)));
            const double cap = weighWide ? o.maxSlope : std::min(o.maxSlope, o.oversizeSlope);
            const long kmax = std::isfinite(cap)
                                  ? static_cast<long>(std::floor(cap / perIndex + kEps))
                                  : uhi - s.lo;
            // Falls beyond the velocity cap, through drop chambers.
            const bool chambered = o.chambers && static_cast<bool>(c_.chambers);
            const long kcap = std::isfinite(o.maxSlope)
                                  ? static_cast<long>(std::floor(o.maxSlope / perIndex + kEps))
                                  : uhi - s.lo;
            // The grid already keeps the least and greatest slopes; a band needs a look.
            const bool banded = !o.band.empty() || std::isfinite(o.oversizeSlope);
            std::vector<float> cost(static_cast<size_t>(s.width()), static_cast<float>(kInf));
            std::vector<int16_t> upper(static_cast<size_t>(s.width()), 0);
            for (long cd = s.lo; cd <= s.hi; ++cd) {
                double best = kInf;
                long bestUp = 0;
                const double outfall =
                    R.receiver < 0 ? c_.manhole(d, R.groundDown - cd * p_.step + d / 1000.0) : 0.0;
                const double chambers = chambered ? c_.chambers(r, d, cd * p_.step) : 0.0;
                const long top = std::min(uhi, chambered ? uhi : cd + kmax);
                const long bottom = std::max(ulo, cd + kmin);
                for (long cu = top; cu >= bottom; --cu) {
                    const double p = pipe[static_cast<size_t>(cu + cd - sumLo)];
                    if (shallowerCheaper &&
                        lowest[static_cast<size_t>(cu - ulo)] + p + outfall >= best)
                        break;
                    const double kept = std::max((cu - cd) * perIndex, o.minSlope);
                    const bool wide = weighWide && kept >= o.oversizeSlope && cu - cd <= kmax;
                    const double a = (wide ? aboveWide : above)[static_cast<size_t>(cu - ulo)];
                    if (!std::isfinite(a)) continue;
                    double v = a + p + outfall;
                    if (cu - cd > kmax) {
                        if (!chambered || cu - cd <= kcap) continue;
                        v += chambers;
                    } else if ((banded && !SlopeAllowed(o, kept, wide)) || TooSteep(R, o, cu, cd)) {
                        continue;
                    }
                    if (v < best) {
                        best = v;
                        bestUp = cu;
                    }
                }
                cost[static_cast<size_t>(cd - s.lo)] = static_cast<float>(best);
                upper[static_cast<size_t>(cd - s.lo)] = static_cast<int16_t>(bestUp - ulo);
            }
            s.sizes.push_back(d);
            s.cost.push_back(std::move(cost));
            s.upper.push_back(std::move(upper));
        }
    }

    bool TooSteep(const CostReach& R, const CostOption& o, long cu, long cd) const {
        if (!std::isfinite(o.needSlope)) return false;
        if (R.groundDown - cd * p_.step <= R.followCover + kEps) return false;
        const double ground = (cu * p_.step + R.needCover - R.groundDown) * 100 / R.length;
        const double slope = (cu - cd) * p_.step * 100 / R.length;
        return slope > 1.5 * std::max(o.needSlope, ground) + 0.02 + kEps;
    }

    void Descend(int r, int option, long crown, std::vector<CostChoice>& out) const {
        const CostReach& R = p_.reaches[static_cast<size_t>(r)];
        const Solved& s = solved_[static_cast<size_t>(r)];
        CostChoice& c = out[static_cast<size_t>(r)];
        if (R.fixed) {
            c = {R.fixedDiameter, R.fixedCrownUp, R.fixedCrownDown};
            const long cu = CrownIndexAbove(R.fixedCrownUp, p_.step);
            const float cap = s.sizes[static_cast<size_t>(option)];
            for (int t : R.tributaries) {
                const Pick a = ArriveCapped(t, cu, cap, R.fixedCrownUp);
                Descend(t, a.option, a.crown, out);
            }
            return;
        }
        const long ulo = CrownIndexAbove(R.groundUp - R.maxCoverUp, p_.step);
        const long cu =
            ulo + s.upper[static_cast<size_t>(option)][static_cast<size_t>(crown - s.lo)];
        const float d = s.sizes[static_cast<size_t>(option)];
        const CostOption& o = R.options[static_cast<size_t>(option)];
        const double perIndex = p_.step * 100 / R.length;
        c = {d, cu * p_.step, crown * p_.step,
             o.chambers && (cu - crown) * perIndex > o.maxSlope + kEps};
        // Laid wider than needed: through the tributary as wide that made it cheapest.
        const bool wide = std::isfinite(o.oversizeSlope) && !R.tributaries.empty() &&
                          !c.chambered &&
                          std::max((cu - crown) * perIndex, o.minSlope) >= o.oversizeSlope;
        std::vector<Arrival> tables;
        for (int t : R.tributaries)
            tables.push_back(Tables(t, R));
        const std::vector<float> caps = Caps(R, d);
        const Ways ways = Above(R, tables, caps, cu, d, wide);
        for (size_t k = 0; k < R.tributaries.size(); ++k) {
            const int t = R.tributaries[k];
            std::vector<Pick> byCap(caps.size());
            Pick a = Arrive(t, tables[k], cu, d, false, &caps, &byCap);
            if (!wide)
                a = byCap[ways.plain.cap];
            else if (static_cast<int>(k) == ways.wide.widest)
                a = Arrive(t, tables[k], cu, d, true);
            Descend(t, a.option, a.crown, out);
        }
    }

    const CostProblem& p_;
    const CostPricing& c_;
    std::vector<Solved> solved_;
};

}  // namespace

// Elevations come from single-precision records: a crown of 2130.42 m is stored a tenth
// of a millimetre off, and must still fall on its centimetre.
constexpr double kIndexTolerance = 0.01;

long CrownIndexBelow(double elevation, double step) {
    return static_cast<long>(std::floor(elevation / step + kIndexTolerance));
}

long CrownIndexAbove(double elevation, double step) {
    return static_cast<long>(std::ceil(elevation / step - kIndexTolerance));
}

bool SlopeAllowed(const CostOption& o, double s, bool wideArrives) {
    if (s < o.minSlope - 1e-9 || s > o.maxSlope + 1e-9) return false;
    if (!wideArrives && s >= o.oversizeSlope) return false;
    for (const auto& [lo, hi] : o.band)
        if (s > lo && s < hi) return false;
    return true;
}

CostSolution SolveLeastCost(const CostProblem& problem, const CostPricing& pricing) {
    Solver solver(problem, pricing);
    return solver.Run();
}

}  // namespace nivex::design
