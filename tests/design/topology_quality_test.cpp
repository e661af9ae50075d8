// How good the automatic topology is. On small networks the best of the six designed
// variants is measured against the best drainage layout the network allows, found by
// designing every one of them; and the EPA Example 1 network, imported from its model, is
// ordered and designed by every variant.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "design/alternatives_run.h"
#include "design/topology_search.h"
#include "design_rig.h"
#include "network/network_controls.h"
#include "network/network_walk.h"
#include "network/record_file.h"

namespace nivex::design::test {
namespace {

const std::vector<std::string> kVariants = {"A1A1", "A1A2", "D1A2", "D1D2", "D2D1", "D2D2"};

// A network of manholes at positions (m) joined by new reaches of type 0, any of which may
// be turned, with discharges leaving some manholes.
struct Shape {
    std::string name;
    std::vector<std::pair<double, double>> at;
    std::vector<std::pair<int, int>> links;
    std::vector<int> outlets;
};
using Ground = std::function<double(double x, double y)>;

std::string Manhole(int i) {
    return "P" + std::to_string(i + 1);
}

// nx x ny manholes, 55 m apart along x and 45 m along y.
Shape Grid(const std::string& name, int nx, int ny, std::vector<int> outlets) {
    Shape s{name, {}, {}, std::move(outlets)};
    for (int y = 0; y < ny; ++y)
        for (int x = 0; x < nx; ++x) {
            s.at.emplace_back(55.0 * x, 45.0 * y);
            const int i = y * nx + x;
            if (x + 1 < nx) s.links.emplace_back(i, i + 1);
            if (y + 1 < ny) s.links.emplace_back(i, i + nx);
        }
    return s;
}

// A ring of six manholes with a tail of three reaches to the discharge.
Shape LoopWithTail() {
    Shape s{"anillo con cola", {}, {}, {8}};
    const double kPi = 3.14159265358979;
    for (int k = 0; k < 6; ++k)
        s.at.emplace_back(110 + 50 * std::cos(kPi * k / 3), 50 * std::sin(kPi * k / 3));
    s.at.insert(s.at.end(), {{220, 0}, {275, 0}, {330, 0}});
    for (int k = 0; k < 6; ++k)
        s.links.emplace_back(k, (k + 1) % 6);
    s.links.insert(s.links.end(), {{0, 6}, {6, 7}, {7, 8}});
    return s;
}

// Four arms of two reaches around a centre; the discharge at the end of one arm.
Shape Star() {
    Shape s{"estrella", {{0, 0}}, {}, {}};
    const double dx[] = {1, 0, -1, 0}, dy[] = {0, 1, 0, -1};
    for (int arm = 0; arm < 4; ++arm) {
        const int first = static_cast<int>(s.at.size());
        s.at.emplace_back(50 * dx[arm], 50 * dy[arm]);
        s.at.emplace_back(100 * dx[arm], 100 * dy[arm]);
        s.links.emplace_back(0, first);
        s.links.emplace_back(first, first + 1);
    }
    s.outlets = {2};
    return s;
}

// The reaches as entered, the links first in their own direction, then the discharges.
std::vector<TramoT> Reaches(const Shape& s, const Ground& g) {
    std::vector<TramoT> v;
    auto ground = [&](int i) { return static_cast<float>(g(s.at[i].first, s.at[i].second)); };
    for (auto [a, b] : s.links) {
        TramoT t = Reach(Manhole(a), Manhole(b), ground(a), ground(b));
        t.Length = static_cast<float>(
            std::hypot(s.at[a].first - s.at[b].first, s.at[a].second - s.at[b].second));
        v.push_back(t);
    }
    int n = 0;
    for (int o : s.outlets) {
        TramoT t = Reach(Manhole(o), "V" + std::to_string(++n), ground(o), ground(o) - 0.5f, 2);
        t.Length = 20;
        v.push_back(t);
    }
    return v;
}

// The sector's reach file holding the reaches in this order.
bool WriteReachFile(const project::Project& p, const std::vector<TramoT>& ordered,
                    std::string* error) {
    std::vector<codec::Bytes> records;
    for (const TramoT& t : ordered) {
        codec::Bytes b(network::kTramoSize, 0);
        network::Encode(t, b);
        records.push_back(std::move(b));
    }
    return network::ReplaceRecordFile(p.files.reaches(), network::kTramoSize, records, *error);
}

// Every drainage layout of the network in an order the walk accepts: each orientation of
// the links in which every manhole drains to a discharge without circuits and receives at
// most five reaches, and for each manhole with several leaving reaches the one that takes
// the arriving lines (the others start new lines there).
class Layouts {
  public:
    Layouts(const Shape& s, const std::vector<TramoT>& entered) : s_(s), entered_(entered) {}

    void ForEach(const std::function<void(const std::vector<TramoT>&)>& design) {
        const int m = static_cast<int>(s_.links.size());
        for (unsigned mask = 0; mask < (1u << m); ++mask) {
            if (!Orient(mask)) continue;
            receiver_.assign(s_.at.size(), 0);
            Receivers(0, mask, design);
        }
    }

  private:
    int Up(int reach, unsigned mask) const {
        return (mask >> reach & 1u) ? s_.links[reach].second : s_.links[reach].first;
    }
    int Down(int reach, unsigned mask) const {
        return (mask >> reach & 1u) ? s_.links[reach].first : s_.links[reach].second;
    }

    bool Orient(unsigned mask) {
        const size_t n = s_.at.size();
        out_.assign(n, {});
        in_.assign(n, {});
        for (int k = 0; k < static_cast<int>(s_.links.size()); ++k) {
            out_[Up(k, mask)].push_back(k);
            in_[Down(k, mask)].push_back(k);
        }
        for (size_t j = 0; j < s_.outlets.size(); ++j)
            out_[s_.outlets[j]].push_back(static_cast<int>(s_.links.size() + j));
        for (size_t v = 0; v < n; ++v)
            if (out_[v].empty() || in_[v].size() > 5) return false;
        // Without circuits: the manholes can be taken off from the heads down.
        std::vector<size_t> arriving(n);
        std::vector<int> ready;
        for (size_t v = 0; v < n; ++v)
            if ((arriving[v] = in_[v].size()) == 0) ready.push_back(static_cast<int>(v));
        size_t taken = 0;
        while (!ready.empty()) {
            const int v = ready.back();
            ready.pop_back();
            ++taken;
            for (int k : out_[v])
                if (k < static_cast<int>(s_.links.size()) && --arriving[Down(k, mask)] == 0)
                    ready.push_back(Down(k, mask));
        }
        return taken == n;
    }

    void Receivers(size_t v, unsigned mask,
                   const std::function<void(const std::vector<TramoT>&)>& design) {
        if (v == s_.at.size()) {
            order_.clear();
            for (size_t j = 0; j < s_.outlets.size(); ++j)
                List(static_cast<int>(s_.links.size() + j), mask);
            design(order_);
            return;
        }
        // A head has no lines to pass on: which reach it sends them to changes nothing.
        const size_t choices = in_[v].empty() ? 1 : out_[v].size();
        for (size_t c = 0; c < choices; ++c) {
            receiver_[v] = out_[v][c];
            Receivers(v + 1, mask, design);
        }
    }

    // Post-order: the lines a reach receives, then the reach.
    void List(int reach, unsigned mask) {
        const int up = reach < static_cast<int>(s_.links.size())
                           ? Up(reach, mask)
                           : s_.outlets[reach - s_.links.size()];
        if (receiver_[up] == reach)
            for (int k : in_[up])
                List(k, mask);
        TramoT t = entered_[reach];
        if (reach < static_cast<int>(s_.links.size()) && (mask >> reach & 1u)) TurnReach(t);
        order_.push_back(t);
    }

    const Shape& s_;
    const std::vector<TramoT>& entered_;
    std::vector<std::vector<int>> out_, in_;
    std::vector<int> receiver_;
    std::vector<TramoT> order_;
};

class TopologyQuality : public DesignRig {
  protected:
    // The mean pipe depth of the alternatives run in the automatic mode: the smallest of
    // the six variants.
    double BestAutomatic() {
        Criteria([](specs::EspecT& e, shell::ProyectoT& h) {
            e.TopologyMode = kTopologyAutomatic;
            h.Simulated = 0;
            // A new network: the alternatives of the previous one must not be reused.
            h.DiameterTableValid = 0;
            h.CriteriaValid = 0;
        });
        DesignSink sink;
        DesignOptions options;
        AlternativesHooks hooks;
        AlternativesTable table;
        hooks.choose = [&](AlternativesTable& t, int, double) {
            table = t;
            return -1;
        };
        const AlternativesOutcome out = RunAlternatives(p_, options, sink, hooks, DesignRun{});
        EXPECT_EQ(out.end, AlternativesEnd::Declined);
        double best = std::numeric_limits<double>::infinity();
        for (int k : kDesignedAlternatives) {
            EXPECT_GT(table.records[k].meanDepth, 0) << kTopologyVariants[k].characters;
            if (table.records[k].meanDepth > 0) best = std::min(best, table.records[k].meanDepth);
        }
        return best;
    }

    // The mean pipe depth of the network designed in the given order; NaN when it could
    // not be designed with the size table.
    double DesignedDepth(const std::vector<TramoT>& ordered) {
        std::string error;
        EXPECT_TRUE(WriteReachFile(p_, ordered, &error)) << error;
        DesignSink sink;
        DesignResult r;
        DesignNetwork(p_, PreliminaryOptions(), sink, r);
        if (r.end != DesignEnd::Designed || r.counters.missingDiameter ||
            r.counters.largestBeyondList != 0)
            return std::nan("");
        AlternativesTable table;
        EXPECT_TRUE(CaptureAlternative(p_, table, 0, r, &error)) << error;
        return table.records[0].meanDepth;
    }
};

TEST_F(TopologyQuality, BestVariantIsWithinFivePercentOfTheBestLayout) {
    struct Slope {
        Ground ground;
        std::string name;
    };
    const Slope oneWay{[](double x, double y) { return 100 + 0.008 * x + 0.003 * y; },
                       "inclinado hacia la salida"};
    const Slope against{[](double x, double y) { return 100 - 0.008 * x - 0.004 * y; },
                        "contra la salida"};
    const Slope valley{
        [](double x, double y) { return 100 + 0.012 * std::abs(x - 55) + 0.003 * y; }, "valle"};
    const Slope ridge{[](double x, double y) { return 100 - 0.012 * std::abs(x - 55) + 0.002 * y; },
                      "cuchilla"};
    const std::vector<Slope> all = {oneWay, against, valley, ridge};
    // The 3 x 3 grids take most of the time: two grounds each.
    const std::vector<std::pair<Shape, std::vector<Slope>>> cases = {
        {Grid("malla 3x2, salida en esquina", 3, 2, {0}), all},
        {Grid("malla 3x2, salida al medio", 3, 2, {1}), all},
        {Grid("malla 3x3, salida en esquina", 3, 3, {0}), {against, valley}},
        {Grid("malla 3x3, salida al centro", 3, 3, {4}), {oneWay, ridge}},
        {Grid("escalera 2x4", 2, 4, {0}), all},
        {LoopWithTail(), all},
        {Star(), {oneWay, ridge}},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [shape, slopes] : cases)
        for (const Slope& slope : slopes) {
            SCOPED_TRACE(shape.name + ", " + slope.name);
            const std::vector<TramoT> entered = Reaches(shape, slope.ground);
            Network(entered);
            ASSERT_FALSE(HasFatalFailure());
            const double automatic = BestAutomatic();

            double best = std::numeric_limits<double>::infinity();
            int layouts = 0, designed = 0;
            Layouts(shape, entered).ForEach([&](const std::vector<TramoT>& ordered) {
                ++layouts;
                ASSERT_TRUE(network::WalkNetwork(ordered).errors.empty());
                const double depth = DesignedDepth(ordered);
                if (std::isnan(depth)) return;
                ++designed;
                best = std::min(best, depth);
            });
            ASSERT_GT(designed, 0) << layouts << " layouts";
            std::printf("[ calidad  ] %s, %s: %d disposiciones, mejor %.3f m, automatica %.3f m\n",
                        shape.name.c_str(), slope.name.c_str(), layouts, best, automatic);
            EXPECT_LE(automatic, best * 1.05) << layouts << " layouts";
        }
    std::printf("[ calidad  ] %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

constexpr char kExampleOne[] = "/work/shared/swmm-examples/example1-sin-almacenamiento.inp";

class ExampleOne : public cli::BatchProjectTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kExampleOne)) GTEST_SKIP() << kExampleOne << " no existe";
        BatchProjectTest::SetUp();
        cli::BatchOutcome r =
            batch({"--project", "AB1", "config", "--class", "2", "--texto", "correo=a@b.co",
                   "--texto", "pais=Colombia", "--texto", "entidad=Empresa", "--texto",
                   "fecha=2026", "--texto", "consultor=Yo", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        r = batch({"--project", "AB1", "import-swmm", kExampleOne, "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        std::filesystem::current_path(start_);
        project.files.Build((base_ / "projects" / "AB-Proyecto Nuevo").string(), "AB1");
        project.selection.extension = "AB1";
        project.selection.code = "AB";
        project.selection.sector = "1";
        project.selection.sectors = "1";
        project.selection.sectorNumber = 1;
        std::string error;
        ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
        ASSERT_TRUE(network::ReadStoredReaches(project, reaches, &error)) << error;
    }

    project::Project project;
    std::vector<TramoT> reaches;
};

TEST_F(ExampleOne, EveryVariantOrdersKeepsFixedReachesAndDesigns) {
    ASSERT_FALSE(reaches.empty());
    for (const std::string& variant : kVariants) {
        SCOPED_TRACE(variant);
        const TopologySearchResult found = SearchTopology(reaches, variant);
        ASSERT_EQ(found.result, kSearchDone) << "error " << found.error;
        ASSERT_EQ(found.list.size(), reaches.size());
        const std::vector<TramoT> ordered = ApplyReachList(reaches, found.list);
        // Outlets and every reach that may not be turned keep the direction entered.
        int fixed = 0;
        const std::vector<ListedReach> listed = ReachListOrder(reaches, found.list);
        ASSERT_EQ(listed.size(), ordered.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            const TramoT& t = reaches[static_cast<size_t>(listed[i].source)];
            if (t.Class == 0 && (t.Type == 0 || t.Type == 1)) continue;
            ++fixed;
            EXPECT_FALSE(listed[i].turned) << t.Upstream << " " << t.Downstream;
            EXPECT_EQ(ordered[i].Upstream, t.Upstream);
            EXPECT_EQ(ordered[i].Downstream, t.Downstream);
        }
        EXPECT_GT(fixed, 0);
        const network::WalkResult walk = network::WalkNetwork(ordered);
        ASSERT_TRUE(walk.errors.empty())
            << "fault " << static_cast<int>(walk.errors[0].fault) << " at " << walk.errors[0].reach;

        std::string error;
        ASSERT_TRUE(WriteReachFile(project, ordered, &error)) << error;
        DesignSink sink;
        DesignResult r;
        EXPECT_TRUE(DesignNetwork(project, PreliminaryOptions(), sink, r)) << r.title << r.error;
        EXPECT_EQ(r.end, DesignEnd::Designed);
        EXPECT_FALSE(r.counters.missingDiameter);
        EXPECT_EQ(r.counters.largestBeyondList, 0);
    }
}

}  // namespace
}  // namespace nivex::design::test
