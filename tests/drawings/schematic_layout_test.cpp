#include "drawings/schematic_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace nivex::drawings {
namespace {

constexpr double S = kSchematicStep;

struct Point {
    double x, y;
};

// Sign of the turn a -> b -> c; exact for the multiples of the step used here.
int Turn(Point a, Point b, Point c) {
    const double v = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return (v > 0) - (v < 0);
}

bool OnSegment(Point a, Point b, Point p) {
    return Turn(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
           std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

// Whether two closed segments have any point in common.
bool Meet(Point a, Point b, Point c, Point d) {
    const int t1 = Turn(a, b, c), t2 = Turn(a, b, d), t3 = Turn(c, d, a), t4 = Turn(c, d, b);
    if (t1 * t2 < 0 && t3 * t4 < 0) return true;
    return OnSegment(a, b, c) || OnSegment(a, b, d) || OnSegment(c, d, a) || OnSegment(c, d, b);
}

Point At(const ManholeLayout& layout, const std::string& name) {
    const ManholePoint* p = layout.find(name);
    EXPECT_NE(p, nullptr) << name;
    return p ? Point{p->x, p->y} : Point{0, 0};
}

// Two reaches meet only where they share a manhole, and there only at it.
std::string CrossingReaches(const std::vector<ReachEnds>& reaches, const ManholeLayout& layout) {
    for (size_t i = 0; i < reaches.size(); ++i)
        for (size_t j = i + 1; j < reaches.size(); ++j) {
            const ReachEnds &r = reaches[i], &q = reaches[j];
            const Point a = At(layout, r.upstream), b = At(layout, r.downstream);
            const Point c = At(layout, q.upstream), d = At(layout, q.downstream);
            std::string shared;
            for (const std::string& x : {r.upstream, r.downstream})
                if (x == q.upstream || x == q.downstream) shared = x;
            bool bad;
            if (shared.empty()) {
                bad = Meet(a, b, c, d);
            } else {
                // The far end of each must lie off the other reach.
                const Point farR = shared == r.upstream ? b : a;
                const Point farQ = shared == q.upstream ? d : c;
                bad = OnSegment(a, b, farQ) || OnSegment(c, d, farR);
            }
            if (bad)
                return r.upstream + "-" + r.downstream + " / " + q.upstream + "-" + q.downstream;
        }
    return {};
}

TEST(SchematicLayout, PlacesAHandDrawnTreeRowByRowWithTheMainLineStraight) {
    // Outfall O takes B (which takes A and the longer line C <- D) and E; a second tree
    // F -> Q stands to the right. By hand: rows are reaches from the outfall, the tallest
    // branch keeps its manhole's column, leaves take columns 0, 1, 2, 3 left to right.
    const std::vector<ReachEnds> reaches = {{"A", "B"}, {"B", "O"}, {"C", "B"},
                                            {"D", "C"}, {"E", "O"}, {"F", "Q"}};
    const ManholeLayout layout = SchematicLayout(reaches);
    EXPECT_TRUE(layout.schematic);
    const std::vector<ManholePoint> expected = {
        {"A", 1 * S, 2 * S}, {"B", 0, 1 * S},     {"O", 0, 0},         {"C", 0, 2 * S},
        {"D", 0, 3 * S},     {"E", 2 * S, 1 * S}, {"F", 3 * S, 1 * S}, {"Q", 3 * S, 0}};
    EXPECT_EQ(layout.manholes, expected);
    EXPECT_EQ(CrossingReaches(reaches, layout), "");
    EXPECT_STREQ(kSchematicLabel, "Esquematico");
}

// A drainage forest drawn at random: each new manhole drains into one placed before it,
// or is a new outfall.
std::vector<ReachEnds> RandomForest(unsigned start, int manholes, std::set<std::string>& outfalls) {
    std::mt19937 draw(start);
    std::vector<std::string> names;
    std::vector<ReachEnds> reaches;
    for (int k = 0; k < manholes; ++k) {
        const std::string name = "M" + std::to_string(k);
        if (names.empty() || draw() % 25 == 0) {
            outfalls.insert(name);
        } else {
            // Lean on recent manholes so that long lines and deep trees appear.
            const size_t back = std::min<size_t>(names.size(), 1 + draw() % 8);
            const size_t pick = draw() % 3 == 0 ? draw() % names.size() : names.size() - back;
            reaches.push_back({name, names[pick]});
        }
        names.push_back(name);
    }
    // File order is not flow order.
    std::shuffle(reaches.begin(), reaches.end(), draw);
    return reaches;
}

TEST(SchematicLayout, TheCrossingCheckSeesCrossingsAndOverlaps) {
    // A -> B and C -> D cross at (1, 1); E -> F runs over E -> G, which it shares E with.
    ManholeLayout crossed;
    crossed.manholes = {{"A", 0, 0}, {"B", 2, 2}, {"C", 0, 2}, {"D", 2, 0}};
    EXPECT_NE(CrossingReaches({{"A", "B"}, {"C", "D"}}, crossed), "");
    ManholeLayout overlapping;
    overlapping.manholes = {{"E", 0, 0}, {"F", 0, 2}, {"G", 0, 1}};
    EXPECT_NE(CrossingReaches({{"E", "F"}, {"E", "G"}}, overlapping), "");
    ManholeLayout apart;
    apart.manholes = {{"E", 0, 0}, {"F", 0, 2}, {"G", 1, 1}};
    EXPECT_EQ(CrossingReaches({{"E", "F"}, {"E", "G"}}, apart), "");
}

TEST(SchematicLayout, RandomForestsHaveNoCrossingReachesAndTheirOutfallsLowest) {
    for (unsigned start = 1; start <= 12; ++start) {
        std::set<std::string> outfalls;
        const std::vector<ReachEnds> reaches = RandomForest(start, 250, outfalls);
        const ManholeLayout layout = SchematicLayout(reaches);
        SCOPED_TRACE("random start " + std::to_string(start));

        std::set<std::string> inReaches, placed;
        for (const ReachEnds& r : reaches)
            inReaches.insert({r.upstream, r.downstream});
        std::set<std::pair<double, double>> spots;
        for (const ManholePoint& p : layout.manholes) {
            EXPECT_TRUE(placed.insert(p.name).second) << p.name << " placed twice";
            EXPECT_TRUE(spots.insert({p.x, p.y}).second) << p.name << " on another manhole";
        }
        EXPECT_EQ(placed, inReaches);
        // Every outfall on the lowest row; every other manhole one row above the one it
        // drains into.
        for (const ReachEnds& r : reaches)
            EXPECT_EQ(At(layout, r.upstream).y, At(layout, r.downstream).y + S) << r.upstream;
        for (const ManholePoint& p : layout.manholes) {
            if (outfalls.count(p.name)) {
                EXPECT_EQ(p.y, 0) << p.name;
            }
        }
        EXPECT_EQ(CrossingReaches(reaches, layout), "");
    }
}

TEST(SchematicLayout, LoopsAndSecondWaysDownStillPlaceEveryManholeOnce) {
    // A -> B -> C -> A is a loop with D draining into it; E leaves by two reaches.
    const std::vector<ReachEnds> reaches = {{"A", "B"}, {"B", "C"}, {"C", "A"},
                                            {"D", "A"}, {"E", "F"}, {"E", "G"}};
    const ManholeLayout layout = SchematicLayout(reaches);
    std::set<std::string> names;
    for (const ManholePoint& p : layout.manholes)
        names.insert(p.name);
    EXPECT_EQ(names, (std::set<std::string>{"A", "B", "C", "D", "E", "F", "G"}));
    EXPECT_EQ(layout.manholes.size(), 7u);
    EXPECT_TRUE(SchematicLayout({}).manholes.empty());
}

TEST(PlaceManholes, StoredPointsOnlyWhenEveryManholeHasThemElseAllSchematic) {
    const std::vector<ReachEnds> reaches = {{"P1", "P2"}, {"P2", "P3"}};
    ManholeCoordinates stored;
    stored.points = {{"P3", 4880100.5, 2065000},
                     {"X9", 1, 2},
                     {"P1", 4880000, 2065100.25},
                     {"P2", 4880050, 2065050}};
    const ManholeLayout measured = PlaceManholes(reaches, stored);
    EXPECT_FALSE(measured.schematic);
    EXPECT_TRUE(measured.missing.empty());
    const std::vector<ManholePoint> expected = {
        {"P1", 4880000, 2065100.25}, {"P2", 4880050, 2065050}, {"P3", 4880100.5, 2065000}};
    EXPECT_EQ(measured.manholes, expected);

    stored.points.erase(stored.points.begin());  // P3 loses its point
    const ManholeLayout drawn = PlaceManholes(reaches, stored);
    EXPECT_TRUE(drawn.schematic);
    EXPECT_EQ(drawn.missing, std::vector<std::string>{"P3"});
    // The straight line P1 -> P2 -> P3 by hand: one column, rows 2, 1, 0.
    const std::vector<ManholePoint> line = {{"P1", 0, 2 * S}, {"P2", 0, S}, {"P3", 0, 0}};
    EXPECT_EQ(drawn.manholes, line);

    EXPECT_TRUE(PlaceManholes(reaches, {}).schematic);
    EXPECT_EQ(PlaceManholes(reaches, {}).missing.size(), 3u);
}

}  // namespace
}  // namespace nivex::drawings
