#include "design/topology_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <queue>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "network/network_walk.h"

namespace nivex::design {
namespace {

using network::TramoT;

constexpr int kMaxArrivals = 5;
constexpr double kInfinite = std::numeric_limits<double>::infinity();
constexpr double kTie = 1e-9;
constexpr int kPollEvery = 256;
constexpr int kRetries = 16;  // new trees for manholes that receive too many lines
// Each pass of the polish estimates the whole network once per reach: only small networks.
constexpr size_t kPolishReaches = 64;
constexpr int kPolishPasses = 8;
constexpr double kEstimateSlope = 0.005;  // the slope of the estimate without ground costs

struct Edge {
    int from = 0, to = 0;  // as entered
    bool fixed = false;
    bool outlet = false;
    double length = 0;
    double fall = 0;  // ground up minus ground down, as entered
};

// Thrown out of the search when the user cancels or the budget runs out.
struct Stopped {};

class Search {
  public:
    Search(const std::vector<TramoT>& reaches, const TopologySearchStrategy& v,
           const TopologySearchLimits& limits)
        : reaches_(reaches), variant_(v), limits_(limits) {
        deadline_ = std::chrono::steady_clock::now() + limits.budget;
    }

    TopologySearchResult Run() {
        try {
            Check();
            if (!BuildGraph()) return result_;
            Progress(10);
            if (!CheckFixed()) return result_;
            // The limit of arrivals first; without it the relief below may still find a way.
            if (!Grow(true) && !Grow(false)) {
                Fail(kSearchFailed, kSearchUndrained, result_.reach);
                return result_;
            }
            Progress(50);
            OrientChords();
            // A manhole that cannot be relieved takes fewer tree lines in a new tree, so
            // that the reaches out of the tree find their way elsewhere.
            for (int retry = 0; !RelieveManholes(); ++retry) {
                const TopologySearchResult failed = result_;
                int& cap = caps_[static_cast<size_t>(busy_)];
                cap = std::max(0, cap - excess_);
                result_ = {};
                if (retry == kRetries || !Grow(true)) {
                    result_ = failed;
                    return result_;
                }
                OrientChords();
            }
            Polish();
            Progress(70);
            if (!Order()) return result_;
            Progress(100);
        } catch (const Stopped&) {
        }
        return result_;
    }

  private:
    // ---- limits

    void Check() {
        if (limits_.cancel && limits_.cancel()) {
            result_ = {};
            result_.result = kSearchFailed;
            result_.cancelled = true;
            throw Stopped{};
        }
        if (std::chrono::steady_clock::now() > deadline_) {
            result_ = {};
            result_.result = kSearchTooComplex;
            throw Stopped{};
        }
    }
    void Poll() {
        if (++ticks_ % kPollEvery == 0) Check();
    }
    void Progress(int percent) {
        Check();
        if (limits_.progress) limits_.progress(percent);
    }
    bool Fail(int result, int error, int reach = -1) {
        result_.result = result;
        result_.error = error;
        result_.reach = reach;
        result_.list.clear();
        return false;
    }

    // ---- the graph

    int NodeOf(const std::string& name) {
        auto [it, added] =
            ids_.emplace(network::TrimmedName(name), static_cast<int>(names_.size()));
        if (added) names_.push_back(it->first);
        return it->second;
    }

    bool BuildGraph() {
        const int count = static_cast<int>(reaches_.size());
        edges_.reserve(reaches_.size());
        ids_.reserve(reaches_.size() * 2);
        bool anyOutlet = false;
        int bad = -1;
        for (int k = 0; k < count; ++k) {
            const TramoT& t = reaches_[static_cast<size_t>(k)];
            Edge e;
            e.from = NodeOf(t.Upstream);
            e.to = NodeOf(t.Downstream);
            e.outlet = network::IsOutlet(t);
            e.fixed = e.outlet || t.Class != network::kClassNew || (t.Type != 0 && t.Type != 1);
            e.length = std::isfinite(t.Length) ? std::max(0.0, double(t.Length)) : 0.0;
            const double fall = double(t.GroundUp) - t.GroundDown;
            e.fall = std::isfinite(fall) ? fall : 0.0;
            anyOutlet = anyOutlet || e.outlet;
            if (bad < 0 && (e.from == e.to || names_[static_cast<size_t>(e.from)].empty() ||
                            names_[static_cast<size_t>(e.to)].empty()))
                bad = k;
            edges_.push_back(e);
        }
        if (!anyOutlet) return Fail(kSearchFailed, kSearchNoOutlet);
        if (bad >= 0) return Fail(kSearchFailed, kSearchUndrained, bad);

        const int n = static_cast<int>(names_.size());
        ground_.assign(static_cast<size_t>(n), kInfinite);
        start_.assign(static_cast<size_t>(n) + 1, 0);
        for (int k = 0; k < count; ++k) {
            const Edge& e = edges_[static_cast<size_t>(k)];
            const TramoT& t = reaches_[static_cast<size_t>(k)];
            double& up = ground_[static_cast<size_t>(e.from)];
            double& down = ground_[static_cast<size_t>(e.to)];
            if (up == kInfinite && std::isfinite(t.GroundUp)) up = t.GroundUp;
            if (down == kInfinite && std::isfinite(t.GroundDown)) down = t.GroundDown;
            ++start_[static_cast<size_t>(e.from) + 1];
            ++start_[static_cast<size_t>(e.to) + 1];
        }
        for (double& g : ground_)
            if (g == kInfinite) g = 0;
        for (int v = 0; v < n; ++v)
            start_[static_cast<size_t>(v) + 1] += start_[static_cast<size_t>(v)];
        adjacent_.resize(static_cast<size_t>(start_.back()));
        std::vector<int> fill(start_.begin(), start_.end() - 1);
        for (int k = 0; k < count; ++k) {
            const Edge& e = edges_[static_cast<size_t>(k)];
            adjacent_[static_cast<size_t>(fill[static_cast<size_t>(e.from)]++)] = k;
            adjacent_[static_cast<size_t>(fill[static_cast<size_t>(e.to)]++)] = k;
        }
        turned_.assign(reaches_.size(), 0);
        flipped_.assign(reaches_.size(), 0);
        return true;
    }

    int Other(int e, int v) const {
        const Edge& x = edges_[static_cast<size_t>(e)];
        return x.from == v ? x.to : x.from;
    }
    int Tail(int e) const {
        const Edge& x = edges_[static_cast<size_t>(e)];
        return turned_[static_cast<size_t>(e)] ? x.to : x.from;
    }
    int Head(int e) const {
        const Edge& x = edges_[static_cast<size_t>(e)];
        return turned_[static_cast<size_t>(e)] ? x.from : x.to;
    }
    template <typename F>
    void ForEachEdge(int v, F f) const {
        for (int i = start_[static_cast<size_t>(v)]; i < start_[static_cast<size_t>(v) + 1]; ++i)
            f(adjacent_[static_cast<size_t>(i)]);
    }

    // Fixed reaches that close a circuit, and manholes where more fixed lines arrive
    // than a reach can receive.
    bool CheckFixed() {
        const int n = static_cast<int>(names_.size());
        std::vector<int> outs(static_cast<size_t>(n), 0), ins(static_cast<size_t>(n), 0);
        for (const Edge& e : edges_)
            if (e.fixed) {
                ++outs[static_cast<size_t>(e.from)];
                ++ins[static_cast<size_t>(e.to)];
            }
        // Peel the fixed graph from its sinks and from its sources: what is left lies on a
        // circuit or between circuits.
        std::vector<char> gone(static_cast<size_t>(n), 0);
        auto peel = [&](std::vector<int>& degree, bool fromSinks) {
            std::vector<int> ready;
            for (int v = 0; v < n; ++v)
                if (degree[static_cast<size_t>(v)] == 0) ready.push_back(v);
            while (!ready.empty()) {
                Poll();
                const int v = ready.back();
                ready.pop_back();
                gone[static_cast<size_t>(v)] = 1;
                ForEachEdge(v, [&](int k) {
                    const Edge& e = edges_[static_cast<size_t>(k)];
                    if (!e.fixed || (fromSinks ? e.to : e.from) != v) return;
                    const int w = fromSinks ? e.from : e.to;
                    if (--degree[static_cast<size_t>(w)] == 0) ready.push_back(w);
                });
            }
        };
        std::vector<int> o = outs, i = ins;
        peel(o, true);
        peel(i, false);
        for (size_t k = 0; k < edges_.size(); ++k) {
            const Edge& e = edges_[k];
            if (e.fixed && !gone[static_cast<size_t>(e.from)] && !gone[static_cast<size_t>(e.to)])
                return Fail(kSearchFailed, kSearchFixedCycle, static_cast<int>(k));
        }
        fixedLeaving_ = outs;
        ForceDeadEnds();
        fixedArrivals_.assign(static_cast<size_t>(n), 0);
        for (const Edge& e : edges_)
            if (e.fixed && !e.outlet) ++fixedArrivals_[static_cast<size_t>(e.to)];
        for (size_t k = 0; k < edges_.size(); ++k) {
            const Edge& e = edges_[k];
            if (e.fixed && !e.outlet && fixedArrivals_[static_cast<size_t>(e.to)] > kMaxArrivals) {
                result_.manhole = names_[static_cast<size_t>(e.to)];
                return Fail(kSearchTooManyTributaries, kSearchTributaries, static_cast<int>(k));
            }
        }
        caps_.assign(static_cast<size_t>(n), kMaxArrivals);
        return true;
    }

    // A manhole with no way out but one new reach must drain through it; so, in turn, may
    // the manhole that reach leads to. Such reaches are fixed before the search.
    void ForceDeadEnds() {
        const int n = static_cast<int>(names_.size());
        std::vector<int> open(static_cast<size_t>(n), 0), ready;
        for (const Edge& e : edges_)
            if (!e.fixed) {
                ++open[static_cast<size_t>(e.from)];
                ++open[static_cast<size_t>(e.to)];
            }
        auto dead = [&](int v) {
            return fixedLeaving_[static_cast<size_t>(v)] == 0 && open[static_cast<size_t>(v)] == 1;
        };
        for (int v = 0; v < n; ++v)
            if (dead(v)) ready.push_back(v);
        while (!ready.empty()) {
            Poll();
            const int v = ready.back();
            ready.pop_back();
            if (!dead(v)) continue;
            int k = -1;
            ForEachEdge(v, [&](int j) {
                if (!edges_[static_cast<size_t>(j)].fixed) k = j;
            });
            Edge& e = edges_[static_cast<size_t>(k)];
            if (e.from != v) {
                std::swap(e.from, e.to);
                e.fall = -e.fall;
                flipped_[static_cast<size_t>(k)] = 1;
            }
            e.fixed = true;
            --open[static_cast<size_t>(e.from)];
            --open[static_cast<size_t>(e.to)];
            ++fixedLeaving_[static_cast<size_t>(v)];
            if (dead(e.to)) ready.push_back(e.to);
        }
    }

    // ---- the tree

    // The cost of draining manhole v into w through reach e.
    double Cost(int e, int v) const {
        const Edge& x = edges_[static_cast<size_t>(e)];
        if (!variant_.groundCost) return x.length;
        const double fall = x.from == v ? x.fall : -x.fall;
        const double wanted = variant_.strongPenalty ? 0.01 : 0.003;
        const double weight = variant_.strongPenalty ? 100.0 : 20.0;
        return x.length + weight * std::max(0.0, wanted * x.length - fall);
    }

    // Whether e can carry v's lines to the settled manhole at its other end.
    bool Leads(int e, int v, bool cap) const {
        const Edge& x = edges_[static_cast<size_t>(e)];
        const int w = Other(e, v);
        if (rank_[static_cast<size_t>(w)] < 0) return false;
        if (x.fixed) return x.from == v;
        return !cap || arrivals_[static_cast<size_t>(w)] < caps_[static_cast<size_t>(w)];
    }

    // A shortest-path tree grown upstream from the outlets. A manhole is settled only after
    // every manhole its fixed reaches lead to, so that the settle order is one in which
    // every reach, fixed or chosen, flows to an earlier manhole: no circuit can form.
    bool Grow(bool cap) {
        const int n = static_cast<int>(names_.size());
        rank_.assign(static_cast<size_t>(n), -1);
        out_.assign(static_cast<size_t>(n), -1);
        dist_.assign(static_cast<size_t>(n), kInfinite);
        arrivals_ = fixedArrivals_;
        std::fill(turned_.begin(), turned_.end(), 0);
        std::vector<int> pending = fixedLeaving_;
        std::vector<double> best(static_cast<size_t>(n), kInfinite);
        using Item = std::tuple<double, double, int>;  // key, ground, manhole
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
        settled_ = 0;

        auto settle = [&](int v, int e, double d) {
            rank_[static_cast<size_t>(v)] = settled_++;
            out_[static_cast<size_t>(v)] = e;
            dist_[static_cast<size_t>(v)] = d;
            if (e >= 0 && !edges_[static_cast<size_t>(e)].fixed) {
                turned_[static_cast<size_t>(e)] = edges_[static_cast<size_t>(e)].from != v;
                ++arrivals_[static_cast<size_t>(Other(e, v))];
            }
            ForEachEdge(v, [&](int k) {
                const Edge& x = edges_[static_cast<size_t>(k)];
                const int u = Other(k, v);
                if (rank_[static_cast<size_t>(u)] >= 0) return;
                if (x.fixed) {
                    if (x.to != v) return;
                    --pending[static_cast<size_t>(u)];
                } else if (cap &&
                           arrivals_[static_cast<size_t>(v)] >= caps_[static_cast<size_t>(v)]) {
                    return;
                }
                best[static_cast<size_t>(u)] =
                    std::min(best[static_cast<size_t>(u)], d + Cost(k, u));
                if (pending[static_cast<size_t>(u)] == 0 &&
                    best[static_cast<size_t>(u)] < kInfinite)
                    queue.emplace(best[static_cast<size_t>(u)], ground_[static_cast<size_t>(u)], u);
            });
        };

        // Manholes where only outlets end are where the lines finish.
        for (int v = 0; v < n; ++v) {
            bool sink = true;
            ForEachEdge(v, [&](int k) {
                const Edge& x = edges_[static_cast<size_t>(k)];
                if (!x.outlet || x.to != v) sink = false;
            });
            if (sink) settle(v, -1, 0);
        }
        while (!queue.empty()) {
            Poll();
            // Named copies, not a structured binding: the lambdas below capture v.
            const auto top = queue.top();
            const double key = std::get<0>(top), g = std::get<1>(top);
            const int v = std::get<2>(top);
            queue.pop();
            if (rank_[static_cast<size_t>(v)] >= 0) continue;
            double low = kInfinite;
            ForEachEdge(v, [&](int k) {
                if (Leads(k, v, cap))
                    low = std::min(low, dist_[static_cast<size_t>(Other(k, v))] + Cost(k, v));
            });
            if (low == kInfinite) continue;  // every receiver is full; another may come
            if (low > key + kTie) {
                queue.emplace(low, g, v);
                continue;
            }
            const double tolerance = variant_.collectors ? 0.25 * MinLength(v) : 0.0;
            int chosen = -1;
            double chosenKey = kInfinite;
            ForEachEdge(v, [&](int k) {
                if (!Leads(k, v, cap)) return;
                const int w = Other(k, v);
                const double c = dist_[static_cast<size_t>(w)] + Cost(k, v);
                if (c > low + tolerance + kTie) return;
                if (chosen < 0 || Better(k, c, chosen, chosenKey, v)) {
                    chosen = k;
                    chosenKey = c;
                }
            });
            settle(v, chosen, chosenKey);
        }
        for (size_t k = 0; k < edges_.size(); ++k) {
            const Edge& e = edges_[k];
            if (rank_[static_cast<size_t>(e.from)] < 0 || rank_[static_cast<size_t>(e.to)] < 0) {
                result_.reach = static_cast<int>(k);
                return false;
            }
        }
        return true;
    }

    double MinLength(int v) const {
        double low = kInfinite;
        ForEachEdge(v, [&](int k) { low = std::min(low, edges_[static_cast<size_t>(k)].length); });
        return low == kInfinite ? 0.0 : low;
    }

    // Between two reaches that may continue v's lines.
    bool Better(int a, double ca, int b, double cb, int v) const {
        const int wa = Other(a, v), wb = Other(b, v);
        if (variant_.collectors) {
            const int na = arrivals_[static_cast<size_t>(wa)],
                      nb = arrivals_[static_cast<size_t>(wb)];
            if (na != nb) return na > nb;
        }
        if (std::fabs(ca - cb) > kTie) return ca < cb;
        const double ga = ground_[static_cast<size_t>(wa)], gb = ground_[static_cast<size_t>(wb)];
        if (ga != gb) return ga < gb;
        return a < b;
    }

    // ---- the reaches out of the tree

    bool IsTree(int e) const { return out_[static_cast<size_t>(Tail(e))] == e; }

    // A second order of the manholes, again one in which every tree and fixed reach flows
    // to an earlier manhole, that takes the nearest (or lowest) free manhole first; a
    // reach out of the tree flows from the later end to the earlier.
    void OrientChords() {
        const int n = static_cast<int>(names_.size());
        std::vector<int> waiting(fixedLeaving_);
        for (int v = 0; v < n; ++v) {
            const int e = out_[static_cast<size_t>(v)];
            if (e >= 0 && !edges_[static_cast<size_t>(e)].fixed) ++waiting[static_cast<size_t>(v)];
        }
        using Item = std::tuple<double, int, int>;  // key, settle rank, manhole
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
        auto key = [&](int v) {
            return variant_.chordsDownGround ? ground_[static_cast<size_t>(v)]
                                             : dist_[static_cast<size_t>(v)];
        };
        for (int v = 0; v < n; ++v)
            if (waiting[static_cast<size_t>(v)] == 0)
                queue.emplace(key(v), rank_[static_cast<size_t>(v)], v);
        std::vector<int> order(static_cast<size_t>(n), -1);
        int placed = 0;
        while (!queue.empty()) {
            Poll();
            const int v = std::get<2>(queue.top());
            queue.pop();
            order[static_cast<size_t>(v)] = placed++;
            ForEachEdge(v, [&](int k) {
                const Edge& x = edges_[static_cast<size_t>(k)];
                const int u = Other(k, v);
                const bool feeds = x.fixed ? x.to == v : out_[static_cast<size_t>(u)] == k;
                if (!feeds) return;
                if (--waiting[static_cast<size_t>(u)] == 0)
                    queue.emplace(key(u), rank_[static_cast<size_t>(u)], u);
            });
        }
        for (size_t k = 0; k < edges_.size(); ++k) {
            const Edge& e = edges_[k];
            if (e.fixed || IsTree(static_cast<int>(k))) continue;
            turned_[k] = order[static_cast<size_t>(e.from)] < order[static_cast<size_t>(e.to)];
            ++arrivals_[static_cast<size_t>(Head(static_cast<int>(k)))];
        }
    }

    // Whether the oriented network leads from manhole a to manhole b without reach skip.
    bool Reachable(int a, int b, int skip) {
        ++stamp_;
        if (seen_.size() != names_.size()) seen_.assign(names_.size(), 0);
        std::vector<int> open{a};
        seen_[static_cast<size_t>(a)] = stamp_;
        while (!open.empty()) {
            Poll();
            const int v = open.back();
            open.pop_back();
            if (v == b) return true;
            ForEachEdge(v, [&](int k) {
                if (k == skip || Tail(k) != v) return;
                const int w = Head(k);
                if (seen_[static_cast<size_t>(w)] == stamp_) return;
                seen_[static_cast<size_t>(w)] = stamp_;
                open.push_back(w);
            });
        }
        return false;
    }

    bool LeavesBesides(int v, int skip) const {
        bool leaves = false;
        ForEachEdge(v, [&](int k) { leaves = leaves || (k != skip && Tail(k) == v); });
        return leaves;
    }

    // A manhole that receives too many lines sends some of its reaches the other way: to
    // a manhole that has another way out that does not come back.
    bool RelieveManholes() {
        const int n = static_cast<int>(names_.size());
        for (int y = 0; y < n; ++y) {
            if (arrivals_[static_cast<size_t>(y)] <= kMaxArrivals) continue;
            std::vector<int> turnable;
            ForEachEdge(y, [&](int k) {
                if (!edges_[static_cast<size_t>(k)].fixed) turnable.push_back(k);
            });
            // Reaches out of the tree before tree reaches, towards the lowest manhole first.
            std::sort(turnable.begin(), turnable.end(), [&](int a, int b) {
                const bool ta = IsTree(a), tb = IsTree(b);
                if (ta != tb) return tb;
                const double ga = ground_[static_cast<size_t>(Other(a, y))];
                const double gb = ground_[static_cast<size_t>(Other(b, y))];
                return ga != gb ? ga < gb : a < b;
            });
            // A turn can open the way for another: go round until nothing changes.
            for (bool turning = true;
                 turning && arrivals_[static_cast<size_t>(y)] > kMaxArrivals;) {
                turning = false;
                for (int k : turnable) {
                    if (arrivals_[static_cast<size_t>(y)] <= kMaxArrivals) break;
                    if (Head(k) != y) continue;
                    const int x = Tail(k);
                    if (arrivals_[static_cast<size_t>(x)] >= kMaxArrivals || !LeavesBesides(x, k) ||
                        Reachable(x, y, k))
                        continue;
                    turned_[static_cast<size_t>(k)] ^= 1;
                    --arrivals_[static_cast<size_t>(y)];
                    ++arrivals_[static_cast<size_t>(x)];
                    turning = true;
                }
            }
            if (arrivals_[static_cast<size_t>(y)] > kMaxArrivals) {
                busy_ = y;
                excess_ = arrivals_[static_cast<size_t>(y)] - kMaxArrivals;
                result_.manhole = names_[static_cast<size_t>(y)];
                return Fail(kSearchTooManyTributaries, kSearchTributaries,
                            turnable.empty() ? -1 : turnable.front());
            }
        }
        // A manhole whose tree reach was turned continues its lines in its cheapest way out.
        for (int v = 0; v < n; ++v) {
            int& e = out_[static_cast<size_t>(v)];
            if (e < 0 || Tail(e) == v) continue;
            e = -1;
            double low = kInfinite;
            ForEachEdge(v, [&](int k) {
                if (Tail(k) != v) return;
                const double c = dist_[static_cast<size_t>(Head(k))] + Cost(k, v);
                if (e < 0 || c < low) {
                    e = k;
                    low = c;
                }
            });
        }
        return true;
    }

    // ---- the polish of small networks

    // An estimate of the pipe depths below the ground: the pipe that leaves a manhole
    // with its lines starts as deep as the deepest of them arrives, any other starts at
    // the minimum; every pipe falls at the slope wanted and follows the ground when the
    // ground falls faster. The sum of both ends of every pipe; infinite with a circuit.
    double Estimate() const {
        const int n = static_cast<int>(names_.size());
        const int m = static_cast<int>(edges_.size());
        const double slope =
            variant_.groundCost ? (variant_.strongPenalty ? 0.01 : 0.003) : kEstimateSlope;
        std::vector<int> waiting(static_cast<size_t>(n), 0), ready;
        for (int k = 0; k < m; ++k)
            ++waiting[static_cast<size_t>(Head(k))];
        for (int v = 0; v < n; ++v)
            if (waiting[static_cast<size_t>(v)] == 0) ready.push_back(v);
        std::vector<double> deep(static_cast<size_t>(n), 0.0);
        double sum = 0;
        for (size_t i = 0; i < ready.size(); ++i) {
            const int v = ready[i];
            ForEachEdge(v, [&](int k) {
                if (Tail(k) != v) return;
                const Edge& x = edges_[static_cast<size_t>(k)];
                const double fall = turned_[static_cast<size_t>(k)] ? -x.fall : x.fall;
                const double start =
                    out_[static_cast<size_t>(v)] == k ? deep[static_cast<size_t>(v)] : 0.0;
                const double end = std::max(0.0, start + slope * x.length - fall);
                sum += start + end;
                const int w = Head(k);
                deep[static_cast<size_t>(w)] = std::max(deep[static_cast<size_t>(w)], end);
                if (--waiting[static_cast<size_t>(w)] == 0) ready.push_back(w);
            });
        }
        return static_cast<int>(ready.size()) == n ? sum : kInfinite;
    }

    // Small networks are improved one reach at a time while the estimate falls: another
    // way out for a manhole's lines, or a new reach turned (and perhaps made the way out
    // of its new upstream manhole). The result keeps every rule of the search.
    void Polish() {
        if (edges_.size() > kPolishReaches) return;
        double current = Estimate();
        auto keep = [&](double tried) {
            if (tried + kTie >= current) return false;
            current = tried;
            return true;
        };
        auto leaving = [&](int v) {
            std::vector<int> list;
            ForEachEdge(v, [&](int k) {
                if (Tail(k) == v) list.push_back(k);
            });
            return list;
        };
        auto turn = [&](int k) {
            const int from = Tail(k), to = Head(k);
            turned_[static_cast<size_t>(k)] ^= 1;
            --arrivals_[static_cast<size_t>(to)];
            ++arrivals_[static_cast<size_t>(from)];
        };
        const int n = static_cast<int>(names_.size());
        const int m = static_cast<int>(edges_.size());
        for (int pass = 0; pass < kPolishPasses; ++pass) {
            bool better = false;
            for (int v = 0; v < n; ++v) {
                Poll();
                int& way = out_[static_cast<size_t>(v)];
                if (way < 0) continue;
                for (int k : leaving(v)) {
                    if (k == way) continue;
                    const int was = way;
                    way = k;
                    if (keep(Estimate())) {
                        better = true;
                    } else {
                        way = was;
                    }
                }
            }
            for (int k = 0; k < m; ++k) {
                Poll();
                if (edges_[static_cast<size_t>(k)].fixed) continue;
                const int from = Tail(k), to = Head(k);
                if (arrivals_[static_cast<size_t>(from)] >= kMaxArrivals || Reachable(from, to, k))
                    continue;
                int& fromWay = out_[static_cast<size_t>(from)];
                int& toWay = out_[static_cast<size_t>(to)];
                const int fromWas = fromWay, toWas = toWay;
                // Turned, k can no longer carry the lines of `from`: another reach must.
                std::vector<int> ways;
                for (int j : leaving(from))
                    if (j != k) ways.push_back(j);
                if (fromWay != k) ways = {fromWay};
                if (ways.empty()) continue;
                turn(k);
                bool kept = false;
                for (int j : ways) {
                    fromWay = j;
                    for (int w : {toWas, k}) {
                        if (w < 0) continue;
                        toWay = w;
                        if (keep(Estimate())) {
                            kept = true;
                            break;
                        }
                    }
                    if (kept) break;
                }
                if (kept) {
                    better = true;
                    continue;
                }
                turn(k);
                fromWay = fromWas;
                toWay = toWas;
            }
            if (!better) break;
        }
    }

    // ---- the order

    // Every line before the reach that receives it, the tributary that needs the most
    // stack entries first (which keeps the walk's stack as shallow as it can be).
    bool Order() {
        const int n = static_cast<int>(names_.size());
        const int m = static_cast<int>(edges_.size());
        // Arrivals of every manhole (outlets end lines and arrive nowhere).
        std::vector<int> first(static_cast<size_t>(n) + 1, 0);
        for (int k = 0; k < m; ++k)
            if (!edges_[static_cast<size_t>(k)].outlet) ++first[static_cast<size_t>(Head(k)) + 1];
        for (int v = 0; v < n; ++v)
            first[static_cast<size_t>(v) + 1] += first[static_cast<size_t>(v)];
        std::vector<int> arrivals(static_cast<size_t>(first.back()));
        {
            std::vector<int> fill(first.begin(), first.end() - 1);
            for (int k = 0; k < m; ++k)
                if (!edges_[static_cast<size_t>(k)].outlet)
                    arrivals[static_cast<size_t>(fill[static_cast<size_t>(Head(k))]++)] = k;
        }
        // Stack entries and reaches of the lines that end in each manhole's continuation,
        // from the heads down: a topological order of the oriented network.
        std::vector<int> heads, waiting(static_cast<size_t>(n), 0);
        for (int k = 0; k < m; ++k)
            ++waiting[static_cast<size_t>(Head(k))];
        for (int v = 0; v < n; ++v)
            if (waiting[static_cast<size_t>(v)] == 0) heads.push_back(v);
        for (size_t i = 0; i < heads.size(); ++i)
            ForEachEdge(heads[i], [&](int k) {
                if (Tail(k) == heads[i] && --waiting[static_cast<size_t>(Head(k))] == 0)
                    heads.push_back(Head(k));
            });
        if (static_cast<int>(heads.size()) != n) return Fail(kSearchFailed, kSearchFixedCycle);
        std::vector<int> need(static_cast<size_t>(n), 1), size(static_cast<size_t>(n), 1);
        auto needOf = [&](int k) { return IsTree(k) ? need[static_cast<size_t>(Tail(k))] : 1; };
        auto sizeOf = [&](int k) { return IsTree(k) ? size[static_cast<size_t>(Tail(k))] : 1; };
        for (int v : heads) {
            Poll();
            auto begin = arrivals.begin() + first[static_cast<size_t>(v)];
            auto end = arrivals.begin() + first[static_cast<size_t>(v) + 1];
            std::sort(begin, end, [&](int a, int b) {
                const int na = needOf(a), nb = needOf(b);
                if (na != nb) return na > nb;
                const int sa = sizeOf(a), sb = sizeOf(b);
                if (sa != sb) return sa > sb;
                return a < b;
            });
            int deepest = 1, total = 1, i = 0;
            for (auto it = begin; it != end; ++it, ++i) {
                deepest = std::max(deepest, i + needOf(*it));
                total += sizeOf(*it);
            }
            need[static_cast<size_t>(v)] = deepest;
            size[static_cast<size_t>(v)] = total;
        }
        // Outlets in the tree first, the deepest first; the others are lines of one reach.
        std::vector<int> roots, others;
        for (int k = 0; k < m; ++k)
            if (edges_[static_cast<size_t>(k)].outlet) (IsTree(k) ? roots : others).push_back(k);
        std::stable_sort(roots.begin(), roots.end(), [&](int a, int b) {
            return need[static_cast<size_t>(Tail(a))] > need[static_cast<size_t>(Tail(b))];
        });
        int depth = 0;
        for (size_t j = 0; j < roots.size(); ++j)
            depth =
                std::max(depth, static_cast<int>(j) + need[static_cast<size_t>(Tail(roots[j]))]);
        depth = std::max(depth, static_cast<int>(roots.size() + others.size()));
        if (depth > network::kMaxOpenEnds) return Fail(kSearchTooComplex, 0);

        std::vector<TopologySearchEntry>& list = result_.list;
        list.reserve(edges_.size());
        auto emit = [&](int k) {
            const TramoT& t = reaches_[static_cast<size_t>(k)];
            const bool turned =
                (turned_[static_cast<size_t>(k)] ^ flipped_[static_cast<size_t>(k)]) != 0;
            list.push_back({turned ? t.Downstream : t.Upstream, turned ? t.Upstream : t.Downstream,
                            k, turned});
        };
        std::vector<std::pair<int, int>> frames;  // reach, next arrival of its upstream manhole
        for (int root : roots) {
            frames.emplace_back(root, first[static_cast<size_t>(Tail(root))]);
            while (!frames.empty()) {
                Poll();
                auto& [k, next] = frames.back();
                const int v = Tail(k);
                if (next < first[static_cast<size_t>(v) + 1]) {
                    const int a = arrivals[static_cast<size_t>(next++)];
                    if (IsTree(a))
                        frames.emplace_back(a, first[static_cast<size_t>(Tail(a))]);
                    else
                        emit(a);
                    continue;
                }
                emit(k);
                frames.pop_back();
            }
        }
        for (int k : others)
            emit(k);
        return true;
    }

    const std::vector<TramoT>& reaches_;
    TopologySearchStrategy variant_;
    const TopologySearchLimits& limits_;
    std::chrono::steady_clock::time_point deadline_;
    long ticks_ = 0;
    TopologySearchResult result_;

    std::unordered_map<std::string, int> ids_;
    std::vector<std::string> names_;
    std::vector<double> ground_;
    std::vector<Edge> edges_;
    std::vector<int> start_, adjacent_;
    std::vector<char> turned_;   // against the direction the search holds
    std::vector<char> flipped_;  // dead-end reaches held against their entered direction
    std::vector<int> fixedArrivals_, fixedLeaving_;
    // The tree: settle rank, continuation reach and cost to an outlet of every manhole.
    std::vector<int> rank_, out_, arrivals_;
    std::vector<int> caps_;  // tree lines a manhole may receive
    int busy_ = -1, excess_ = 0;
    std::vector<double> dist_;
    int settled_ = 0;
    std::vector<int> seen_;
    int stamp_ = 0;
};

}  // namespace

TopologySearchStrategy ParseSearchStrategy(const std::string& chars) {
    auto at = [&](size_t i) { return i < chars.size() ? chars[i] : ' '; };
    TopologySearchStrategy v;
    v.groundCost = at(0) == 'D';
    v.strongPenalty = at(1) != '2';
    v.chordsDownGround = at(2) == 'D';
    v.collectors = at(3) == '2';
    return v;
}

TopologySearchResult SearchTopology(const std::vector<TramoT>& reaches, const std::string& variant,
                                    const TopologySearchLimits& limits) {
    Search s(reaches, ParseSearchStrategy(variant), limits);
    return s.Run();
}

std::vector<ListedReach> ReachListOrder(const std::vector<TramoT>& entered,
                                        const std::vector<TopologySearchEntry>& list) {
    using Key = std::pair<std::string, std::string>;
    std::map<Key, std::vector<int>> byNames;  // unused records, file order, by their names
    for (int k = static_cast<int>(entered.size()) - 1; k >= 0; --k) {
        const TramoT& t = entered[static_cast<size_t>(k)];
        byNames[{network::TrimmedName(t.Upstream), network::TrimmedName(t.Downstream)}].push_back(
            k);
    }
    std::vector<char> used(entered.size(), 0);
    auto take = [&](const Key& key) {
        auto it = byNames.find(key);
        if (it == byNames.end()) return -1;
        auto& stack = it->second;
        while (!stack.empty() && used[static_cast<size_t>(stack.back())])
            stack.pop_back();
        return stack.empty() ? -1 : stack.back();
    };
    std::vector<ListedReach> out;
    out.reserve(entered.size());
    for (const TopologySearchEntry& e : list) {
        const Key key{network::TrimmedName(e.upstream), network::TrimmedName(e.downstream)};
        const Key other{key.second, key.first};
        int k = -1;
        bool swap = false;
        if (e.source >= 0 && e.source < static_cast<int>(entered.size()) &&
            !used[static_cast<size_t>(e.source)]) {
            const TramoT& t = entered[static_cast<size_t>(e.source)];
            const Key own{network::TrimmedName(t.Upstream), network::TrimmedName(t.Downstream)};
            if (own == key) {
                k = e.source;
            } else if (own == other) {
                k = e.source;
                swap = true;
            }
        }
        if (k < 0) {
            k = take(key);
            if (k < 0) {
                k = take(other);
                swap = k >= 0;
            }
        }
        if (k < 0) continue;
        used[static_cast<size_t>(k)] = 1;
        out.push_back({k, swap});
    }
    for (size_t k = 0; k < entered.size(); ++k)
        if (!used[k]) out.push_back({static_cast<int>(k), false});
    return out;
}

std::vector<TramoT> ApplyReachList(const std::vector<TramoT>& entered,
                                   const std::vector<TopologySearchEntry>& list) {
    std::vector<TramoT> out;
    out.reserve(entered.size());
    for (const ListedReach& r : ReachListOrder(entered, list)) {
        TramoT t = entered[static_cast<size_t>(r.source)];
        if (r.turned) TurnReach(t);
        out.push_back(std::move(t));
    }
    return out;
}

void TurnReach(TramoT& t) {
    std::swap(t.Upstream, t.Downstream);
    std::swap(t.GroundUp, t.GroundDown);
}

}  // namespace nivex::design
