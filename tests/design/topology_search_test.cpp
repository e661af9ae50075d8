#include "design/topology_search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "design/design_driver.h"
#include "design/reach_values.h"
#include "network/network_walk.h"
#include "network/tramo.h"
#include "shell/record_codec.h"

namespace nivex::design {
namespace {

using network::TramoT;

const std::vector<std::string> kDesigned = {"A1A1", "A1A2", "D1A2", "D1D2", "D2D1", "D2D2"};

TramoT Reach(const std::string& up, const std::string& down, float groundUp, float groundDown,
             int type = 0, int reachClass = 0, float length = 50) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.Length = length;
    t.Area = 0.5f;
    t.Type = type;
    t.Class = reachClass;
    return t;
}

char Digit36(int v) {
    return static_cast<char>(v < 10 ? '0' + v : 'A' + (v - 10));
}
std::string GridName(int x, int y) {
    return std::string("N") + Digit36(x / 36) + Digit36(x % 36) + Digit36(y / 36) + Digit36(y % 36);
}

// A grid of manholes, the ground falling towards x = 0 (and a little towards y = 0), with
// every reach entered pointing uphill so that the search has to turn them. Outlets leave
// the given manholes towards discharge points.
struct Grid {
    int nx, ny;
    double slopeX = 0.5, slopeY = 0.2;
    float Ground(int x, int y) const { return static_cast<float>(100 + slopeX * x + slopeY * y); }
    std::vector<TramoT> Build(const std::vector<std::pair<int, int>>& outlets) const {
        std::vector<TramoT> r;
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x) {
                if (x + 1 < nx)
                    r.push_back(Reach(GridName(x, y), GridName(x + 1, y), Ground(x, y),
                                      Ground(x + 1, y), 0, 0, 40.0f + float((x * 7 + y * 3) % 5)));
                if (y + 1 < ny)
                    r.push_back(Reach(GridName(x, y), GridName(x, y + 1), Ground(x, y),
                                      Ground(x, y + 1), 0, 0, 45.0f + float((x * 3 + y) % 4)));
            }
        int n = 0;
        for (auto [x, y] : outlets)
            r.push_back(Reach(GridName(x, y), "V" + std::to_string(++n), Ground(x, y),
                              Ground(x, y) - 1, 2));
        return r;
    }
};

// What every list the search delivers must be.
void ExpectSound(const std::vector<TramoT>& entered, const TopologySearchResult& r,
                 const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(r.result, 0) << "error " << r.error;
    ASSERT_EQ(r.list.size(), entered.size());
    // Each reach once, with its own names, turned only when it may be.
    std::vector<int> seen(entered.size(), 0);
    for (const TopologySearchEntry& e : r.list) {
        ASSERT_GE(e.source, 0);
        ASSERT_LT(e.source, static_cast<int>(entered.size()));
        ++seen[static_cast<size_t>(e.source)];
        const TramoT& t = entered[static_cast<size_t>(e.source)];
        EXPECT_EQ(e.upstream, e.turned ? t.Downstream : t.Upstream);
        EXPECT_EQ(e.downstream, e.turned ? t.Upstream : t.Downstream);
        if (e.turned) {
            EXPECT_EQ(t.Class, 0) << t.Upstream << "-" << t.Downstream;
            EXPECT_TRUE(t.Type == 0 || t.Type == 1) << t.Upstream << "-" << t.Downstream;
        }
    }
    for (size_t k = 0; k < seen.size(); ++k)
        ASSERT_EQ(seen[k], 1) << "reach " << k;

    std::vector<TramoT> applied = ApplyReachList(entered, r.list);
    const network::WalkResult walk = network::WalkNetwork(applied);
    ASSERT_TRUE(walk.errors.empty()) << "fault " << static_cast<int>(walk.errors[0].fault)
                                     << " at reach " << walk.errors[0].reach;

    // Every line continues at its downstream manhole in the reach that collects all the
    // lines arriving there; the others leaving it start new lines.
    LinkReaches(applied);
    std::map<std::string, int> arriving;
    for (const TramoT& t : applied)
        if (!network::IsOutlet(t)) ++arriving[t.Downstream];
    std::map<std::string, int> collected, collectors;
    for (TramoT& t : applied) {
        if (!network::IsOutlet(t)) {
            EXPECT_NE(ReceiverRecord(t), 0) << t.Upstream << "-" << t.Downstream;
        }
        if (TributaryCount(t) > 0) {
            collected[t.Upstream] += TributaryCount(t);
            ++collectors[t.Upstream];
        }
    }
    for (auto [name, n] : arriving) {
        EXPECT_LE(n, 5) << name;
        EXPECT_EQ(collected[name], n) << name;
        EXPECT_EQ(collectors[name], 1) << name;
    }
    // Following the receivers from any reach ends at an outlet.
    std::vector<char> drains(applied.size(), 0);
    for (size_t k = 0; k < applied.size(); ++k) {
        std::vector<size_t> path;
        size_t at = k;
        while (!drains[at] && !network::IsOutlet(applied[at])) {
            ASSERT_LE(path.size(), applied.size());
            path.push_back(at);
            ASSERT_GT(ReceiverRecord(applied[at]), 0);
            at = static_cast<size_t>(ReceiverRecord(applied[at]) - 1);
        }
        for (size_t p : path)
            drains[p] = 1;
    }
}

void ExpectSoundInEveryVariant(const std::vector<TramoT>& entered, const std::string& what) {
    for (const std::string& v : kDesigned)
        ExpectSound(entered, SearchTopology(entered, v), what + " " + v);
}

TEST(TopologySearch, GridsOfSeveralSizesGiveListsThatTheWalkAccepts) {
    ExpectSoundInEveryVariant(Grid{3, 3}.Build({{0, 0}}), "3x3");
    ExpectSoundInEveryVariant(Grid{10, 10}.Build({{0, 0}, {0, 9}}), "10x10");
    ExpectSoundInEveryVariant(Grid{40, 40}.Build({{0, 0}}), "40x40");
    ExpectSoundInEveryVariant(Grid{40, 40}.Build({{0, 20}, {39, 39}}), "40x40 two outlets");
    // A grid flat along y and an outlet in the middle of the high side.
    ExpectSoundInEveryVariant(Grid{12, 7, 0.3, 0}.Build({{11, 3}}), "12x7 uphill outlet");
}

TEST(TopologySearch, ALongCollectorWithSideLines) {
    // A collector entered upstream from the outlet, with a side line of three reaches every
    // tenth manhole, the side lines entered in the right direction.
    std::vector<TramoT> r;
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        const std::string a = "C" + std::to_string(i), b = "C" + std::to_string(i + 1);
        r.push_back(Reach(a, b, 100 + 0.01f * i, 100 + 0.01f * (i + 1)));
        if (i % 10 == 5) {
            const std::string s = "S" + std::to_string(i);
            r.push_back(Reach(s + "C", s + "B", 105, 104));
            r.push_back(Reach(s + "B", s + "A", 104, 103));
            r.push_back(Reach(s + "A", a, 103, 100 + 0.01f * i));
        }
    }
    r.push_back(Reach("C0", "RIO", 100, 99, 2));
    ExpectSoundInEveryVariant(r, "collector");

    // Ten thousand reaches in one line: nothing recurses down the line.
    std::vector<TramoT> line;
    for (int i = 0; i < 9999; ++i)
        line.push_back(Reach("L" + std::to_string(i + 1), "L" + std::to_string(i), 100, 100));
    line.push_back(Reach("L0", "RIO", 100, 99, 2));
    const TopologySearchResult res = SearchTopology(line, "A1A1");
    ExpectSound(line, res, "line");
    EXPECT_EQ(res.list.front().upstream, "L9999");
    EXPECT_EQ(res.list.back().downstream, "RIO");
}

TEST(TopologySearch, ExistingAndOtherSectorReachesKeepTheirDirection) {
    std::vector<TramoT> r = Grid{8, 6}.Build({{0, 0}});
    // An existing line along y = 2 that runs towards x = 0 and, against the ground, an
    // existing reach and a restricted one; a reach from another sector enters at (7, 5).
    for (TramoT& t : r) {
        if (t.Upstream == GridName(3, 2) && t.Downstream == GridName(4, 2)) t.Class = 1;
        if (t.Upstream == GridName(4, 2) && t.Downstream == GridName(5, 2)) {
            std::swap(t.Upstream, t.Downstream);
            std::swap(t.GroundUp, t.GroundDown);
            t.Class = 1;
        }
        if (t.Upstream == GridName(2, 4) && t.Downstream == GridName(2, 5)) t.Class = 2;
        if (t.Upstream == GridName(6, 1) && t.Downstream == GridName(6, 2)) t.Class = 3;
    }
    r.push_back(Reach("OTRO", GridName(7, 5), 104, 103, network::kTypeFromSector, 3));
    for (const std::string& v : kDesigned) {
        const TopologySearchResult res = SearchTopology(r, v);
        ExpectSound(r, res, v);
        for (const TopologySearchEntry& e : res.list) {
            const TramoT& t = r[static_cast<size_t>(e.source)];
            if (t.Class != 0 || t.Type == network::kTypeFromSector) {
                EXPECT_FALSE(e.turned) << t.Upstream << "-" << t.Downstream;
            }
        }
    }
}

TEST(TopologySearch, AManholeWithManyReachesReceivesAtMostFive) {
    // A hub with eight neighbours on a ring that has an outlet of its own: some reaches
    // must leave the hub for the ring.
    std::vector<TramoT> r;
    for (int i = 0; i < 8; ++i) {
        const std::string a = "R" + std::to_string(i), b = "R" + std::to_string((i + 1) % 8);
        r.push_back(Reach(a, b, 101, 101));
        r.push_back(Reach("HUB", a, 100, 101));
    }
    r.push_back(Reach("HUB", "RIO", 100, 99, 2));
    r.push_back(Reach("R4", "RIO2", 101, 99, 2));
    ExpectSoundInEveryVariant(r, "hub");

    // With the hub as the only way out, no reach can leave it without a circuit.
    r.pop_back();
    const TopologySearchResult res = SearchTopology(r, "A1A1");
    EXPECT_EQ(res.result, 3);
    EXPECT_EQ(res.error, 4);
    EXPECT_EQ(res.manhole, "HUB");
}

TEST(TopologySearch, TheVariantsGiveDifferentNetworks) {
    // Uneven lengths and grounds: each strategy weighs them its own way.
    std::vector<TramoT> r = Grid{9, 7, 0.4, -0.15}.Build({{0, 3}, {8, 6}});
    for (size_t k = 0; k < r.size(); ++k)
        r[k].Length += float((k * 13) % 11);
    std::vector<std::vector<TopologySearchEntry>> lists;
    for (const std::string& v : kDesigned) {
        TopologySearchResult res = SearchTopology(r, v);
        ExpectSound(r, res, v);
        lists.push_back(res.list);
    }
    auto orientation = [](const std::vector<TopologySearchEntry>& l) {
        std::set<std::pair<int, bool>> s;
        for (const TopologySearchEntry& e : l)
            s.insert({e.source, e.turned});
        return s;
    };
    for (size_t a = 0; a < lists.size(); ++a)
        for (size_t b = a + 1; b < lists.size(); ++b) {
            bool same = lists[a].size() == lists[b].size();
            for (size_t i = 0; same && i < lists[a].size(); ++i)
                same = lists[a][i].source == lists[b][i].source &&
                       lists[a][i].turned == lists[b][i].turned;
            EXPECT_FALSE(same) << kDesigned[a] << " " << kDesigned[b];
            EXPECT_NE(orientation(lists[a]), orientation(lists[b]))
                << kDesigned[a] << " " << kDesigned[b];
        }
    // The same input gives the same list.
    TopologySearchResult again = SearchTopology(r, kDesigned[3]);
    ASSERT_EQ(again.list.size(), lists[3].size());
    for (size_t i = 0; i < again.list.size(); ++i)
        EXPECT_EQ(again.list[i].source, lists[3][i].source);
}

TEST(TopologySearch, WhatCannotBeDesignedIsReported) {
    auto run = [](const std::vector<TramoT>& r) { return SearchTopology(r, "A1A1"); };
    // No outlet.
    TopologySearchResult res = run({Reach("A", "B", 101, 100), Reach("B", "C", 100, 99)});
    EXPECT_EQ(res.result, 2);
    EXPECT_EQ(res.error, 1);
    EXPECT_FALSE(res.cancelled);
    EXPECT_TRUE(res.list.empty());

    // A part joined to no outlet.
    res = run({Reach("A", "B", 101, 100), Reach("B", "V", 100, 99, 2), Reach("X", "Y", 101, 100),
               Reach("Y", "Z", 100, 99)});
    EXPECT_EQ(res.result, 2);
    EXPECT_EQ(res.error, 3);
    EXPECT_GE(res.reach, 2);

    // An existing reach leading away into a dead end.
    res = run(
        {Reach("A", "B", 101, 100), Reach("B", "V", 100, 99, 2), Reach("B", "D", 100, 99, 0, 1)});
    EXPECT_EQ(res.result, 2);
    EXPECT_EQ(res.error, 3);

    // Fixed reaches in a circuit.
    res = run({Reach("A", "B", 101, 100, 0, 1), Reach("B", "C", 100, 99, 0, 1),
               Reach("C", "A", 99, 101, 0, 2), Reach("C", "V", 99, 98, 2)});
    EXPECT_EQ(res.result, 2);
    EXPECT_EQ(res.error, 5);

    // Seven existing reaches arriving at one manhole.
    std::vector<TramoT> star;
    for (int i = 0; i < 7; ++i)
        star.push_back(Reach("E" + std::to_string(i), "M", 101, 100, 0, 1));
    star.push_back(Reach("M", "V", 100, 99, 2));
    res = run(star);
    EXPECT_EQ(res.result, 3);
    EXPECT_EQ(res.error, 4);
    EXPECT_EQ(res.manhole, "M");

    // Eight new dead-end reaches around a manhole: each can only drain into it.
    std::vector<TramoT> spokes;
    for (int i = 0; i < 8; ++i)
        spokes.push_back(Reach("M", "E" + std::to_string(i), 100, 101));
    spokes.push_back(Reach("M", "V", 100, 99, 2));
    res = run(spokes);
    EXPECT_EQ(res.result, 3);
    EXPECT_EQ(res.error, 4);

    // Five fixed arrivals are allowed.
    star.erase(star.begin(), star.begin() + 2);
    ExpectSound(star, run(star), "five arrivals");
}

TEST(TopologySearch, BudgetCancelAndProgress) {
    const std::vector<TramoT> r = Grid{40, 40}.Build({{0, 0}});
    TopologySearchLimits tiny;
    tiny.budget = std::chrono::microseconds(1);
    TopologySearchResult res = SearchTopology(r, "D1D2", tiny);
    EXPECT_EQ(res.result, 1);
    EXPECT_FALSE(res.cancelled);
    EXPECT_TRUE(res.list.empty());

    int polls = 0;
    TopologySearchLimits cancel;
    cancel.cancel = [&] { return ++polls > 3; };
    res = SearchTopology(r, "D1D2", cancel);
    EXPECT_EQ(res.result, 2);
    EXPECT_EQ(res.error, 0);
    EXPECT_TRUE(res.cancelled);
    EXPECT_TRUE(res.list.empty());
    EXPECT_EQ(polls, 4);  // nothing more is asked once the user cancelled

    std::vector<int> seen;
    TopologySearchLimits watched;
    watched.progress = [&](int p) { seen.push_back(p); };
    res = SearchTopology(r, "D1D2", watched);
    EXPECT_EQ(res.result, 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
}

TEST(TopologySearch, TenThousandReachesAreSearchedQuickly) {
    const std::vector<TramoT> r = Grid{71, 71}.Build({{0, 0}, {70, 35}});
    ASSERT_LE(r.size(), 10000u);
    for (const std::string& v : kDesigned) {
        const auto start = std::chrono::steady_clock::now();
        const TopologySearchResult res = SearchTopology(r, v);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ExpectSound(r, res, v);
        EXPECT_LT(seconds, 3.0) << v;  // a loose bound: the search itself takes far less
    }
}

TEST(ApplyReachList, TurnedReachesExchangeNamesAndGroundsAndNothingElse) {
    std::vector<TramoT> r = {Reach("B", "A", 100, 101), Reach("C", "B", 99.5f, 100),
                             Reach("C", "V", 99.5f, 99, 2)};
    r[0].Area = 0.7f;
    r[0].PointFlow = 1.5f;
    r[1].MinimumDepth = 1.2f;
    r[1].Diseno.I16[0] = 9;
    const TopologySearchResult res = SearchTopology(r, "A1A1");
    ExpectSound(r, res, "three");
    ASSERT_EQ(res.list.size(), 3u);
    EXPECT_TRUE(res.list[0].turned);
    EXPECT_TRUE(res.list[1].turned);
    EXPECT_FALSE(res.list[2].turned);

    const std::vector<TramoT> applied = ApplyReachList(r, res.list);
    ASSERT_EQ(applied.size(), 3u);
    EXPECT_EQ(applied[0].Upstream, "A");
    EXPECT_EQ(applied[0].Downstream, "B");
    EXPECT_EQ(applied[0].GroundUp, 101);
    EXPECT_EQ(applied[0].GroundDown, 100);
    for (size_t i = 0; i < applied.size(); ++i) {
        TramoT back = applied[i];
        if (res.list[i].turned) {
            std::swap(back.Upstream, back.Downstream);
            std::swap(back.GroundUp, back.GroundDown);
        }
        codec::Bytes a(network::kTramoSize), b(network::kTramoSize);
        ASSERT_TRUE(network::Encode(back, a));
        ASSERT_TRUE(network::Encode(r[static_cast<size_t>(res.list[i].source)], b));
        EXPECT_EQ(a, b) << i;
    }

    // A list read back from its file has names only: the names find the records, the
    // first unused one first, in either order.
    std::vector<TopologySearchEntry> names;
    for (const TopologySearchEntry& e : res.list)
        names.push_back({e.upstream, e.downstream, -1, false});
    const std::vector<TramoT> again = ApplyReachList(r, names);
    ASSERT_EQ(again.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(again[i].Upstream, applied[i].Upstream);
        EXPECT_EQ(again[i].GroundDown, applied[i].GroundDown);
        EXPECT_EQ(again[i].Area, applied[i].Area);
    }
    // An entry that names no reach is skipped and the reach no entry took is kept.
    names[1] = {"X", "Y", -1, false};
    const std::vector<TramoT> partial = ApplyReachList(r, names);
    ASSERT_EQ(partial.size(), 3u);
    EXPECT_EQ(partial[2].Upstream, "C");
    EXPECT_EQ(partial[2].Downstream, "B");
}

// Whether some orientation of the new reaches drains without a circuit (1) or none does
// (0), tried one by one when there are few of them (-1: too many to try).
int Drainable(const std::vector<TramoT>& r) {
    std::vector<int> turnable;
    for (size_t k = 0; k < r.size(); ++k)
        if (r[k].Class == 0 && r[k].Type == 0) turnable.push_back(static_cast<int>(k));
    if (turnable.size() > 12) return -1;
    for (uint32_t mask = 0; mask < (1u << turnable.size()); ++mask) {
        std::vector<TramoT> t = r;
        for (size_t i = 0; i < turnable.size(); ++i)
            if (mask & (1u << i))
                std::swap(t[static_cast<size_t>(turnable[i])].Upstream,
                          t[static_cast<size_t>(turnable[i])].Downstream);
        std::map<std::string, int> in, out;
        for (const TramoT& x : t) {
            ++out[x.Upstream];
            if (!network::IsOutlet(x)) ++in[x.Downstream];
        }
        bool ok = true;
        for (auto [nm, c] : in)
            if (out[nm] == 0) ok = false;
        if (!ok) continue;
        network::WalkResult w = network::WalkNetwork(t);
        bool cyc = false;
        for (auto& e : w.errors)
            if (e.fault == network::WalkFault::Cycle) cyc = true;
        if (!cyc) return 1;
    }
    return 0;
}

TEST(TopologySearch, RandomNetworksWithFixedReachesAndBusyManholes) {
    // Deterministic pseudo-random networks: a spanning tree plus extra reaches, some of
    // them existing (entered down a potential, so that they close no circuit), a few
    // manholes joined to many others, and one to three outlets.
    uint32_t state = 12345;
    auto next = [&](uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    int designed = 0;
    for (int round = 0; round < 300; ++round) {
        const int n = 5 + static_cast<int>(next(60));
        std::vector<float> ground(static_cast<size_t>(n));
        for (float& g : ground)
            g = 100 + static_cast<float>(next(1000)) / 100.0f;
        auto name = [](int v) { return "P" + std::to_string(v); };
        std::vector<TramoT> r;
        std::set<std::pair<int, int>> used;
        auto add = [&](int a, int b) {
            if (a == b || used.count({std::min(a, b), std::max(a, b)})) return;
            used.insert({std::min(a, b), std::max(a, b)});
            const bool fixed = next(5) == 0;
            if (fixed && ground[static_cast<size_t>(a)] < ground[static_cast<size_t>(b)])
                std::swap(a, b);
            if (!fixed && next(2)) std::swap(a, b);
            r.push_back(Reach(name(a), name(b), ground[static_cast<size_t>(a)],
                              ground[static_cast<size_t>(b)], 0, fixed ? 1 : 0,
                              20.0f + static_cast<float>(next(60))));
        };
        for (int v = 1; v < n; ++v)
            add(v, static_cast<int>(next(static_cast<uint32_t>(v))));
        const int extra = static_cast<int>(next(static_cast<uint32_t>(n)));
        for (int i = 0; i < extra; ++i)
            add(static_cast<int>(next(static_cast<uint32_t>(n))),
                static_cast<int>(next(static_cast<uint32_t>(n))));
        const int busy = static_cast<int>(next(static_cast<uint32_t>(n)));
        for (int i = 0; i < 6 && n > 8; ++i)
            add(busy, static_cast<int>(next(static_cast<uint32_t>(n))));
        const int outlets = 1 + static_cast<int>(next(3));
        for (int i = 0; i < outlets; ++i) {
            const int v = static_cast<int>(next(static_cast<uint32_t>(n)));
            r.push_back(Reach(name(v), "V" + std::to_string(i), ground[static_cast<size_t>(v)],
                              ground[static_cast<size_t>(v)] - 1, 2 + static_cast<int>(next(2))));
        }
        const int feasible = Drainable(r);
        for (const std::string& v : kDesigned) {
            const TopologySearchResult res = SearchTopology(r, v);
            const std::string what = "round " + std::to_string(round) + " " + v;
            if (res.result == 0) {
                ExpectSound(r, res, what);
                ++designed;
            } else {
                // Existing reaches may run into a dead end or a manhole may be too busy.
                EXPECT_TRUE((res.result == 2 && res.error == 3) ||
                            (res.result == 3 && res.error == 4))
                    << what << ": " << res.result << "/" << res.error;
                if (res.error == 3) {
                    EXPECT_NE(feasible, 1) << what;
                }
            }
        }
    }
    EXPECT_GT(designed, 400);
}

}  // namespace
}  // namespace nivex::design
