// The longitudinal profiles read back from their own geometry: every elevation, depth,
// length, slope and diameter drawn against the design copy's fields through the scales
// and the datum; every reach in exactly one line; no two texts overlapping.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "design/design_rig.h"
#include "design/junctions.h"
#include "design/network_generator.h"
#include "design/reach_values.h"
#include "drawings/profile.h"
#include "drawings/profile_lines.h"
#include "drawings/text_box_check.h"
#include "network/simulated_project.h"

namespace nivex::drawings {
namespace {

using design::test::DesignRig;
using network::TramoT;
using test::BoxOf;

constexpr double kPaperTolerance = 0.5;  // mm

double Number(const std::string& text) {
    double v = NAN;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

void ExpectNoOverlaps(const Drawing& d) {
    std::vector<Box> boxes;
    for (const Text& t : d.texts) {
        const Box b = BoxOf(t), c = TextBox(t);
        EXPECT_NEAR(b.x0, c.x0, 1e-9);
        EXPECT_NEAR(b.y1, c.y1, 1e-9);
        EXPECT_GE(b.x0, 0) << toUtf8(t.text);
        EXPECT_GE(b.y0, 0) << toUtf8(t.text);
        EXPECT_LE(b.x1, d.width) << toUtf8(t.text);
        EXPECT_LE(b.y1, d.height) << toUtf8(t.text);
        boxes.push_back(b);
    }
    // Sweep along x: only texts whose x ranges meet are compared.
    std::vector<size_t> order(boxes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return boxes[a].x0 < boxes[b].x0; });
    int overlaps = 0;
    for (size_t i = 0; i < order.size(); ++i)
        for (size_t j = i + 1; j < order.size() && boxes[order[j]].x0 < boxes[order[i]].x1; ++j) {
            const Box& a = boxes[order[i]];
            const Box& b = boxes[order[j]];
            if (a.y0 < b.y1 && b.y0 < a.y1 && a.x0 < b.x1 && b.x0 < a.x1 && ++overlaps <= 5)
                ADD_FAILURE() << "\"" << toUtf8(d.texts[order[i]].text) << "\" over \""
                              << toUtf8(d.texts[order[j]].text) << "\"";
        }
    EXPECT_EQ(overlaps, 0);
}

// Paper back to metres.
double Elevation(const Profile& p, double y) {
    return p.datum + (y - p.baseY) * p.scales.vertical / 1000.0;
}

// The two-point line of a layer from x0 to x1 (nullptr when there is none).
const Polyline* Segment(const Drawing& d, const std::string& layer, double x0, double x1) {
    for (const Polyline& l : d.lines)
        if (l.layer == layer && l.points.size() == 2 && std::fabs(l.points[0].x - x0) < 1e-6 &&
            std::fabs(l.points[1].x - x1) < 1e-6)
            return &l;
    return nullptr;
}

const DataRow& Row(const Profile& p, const std::string& title) {
    for (const DataRow& r : p.rows)
        if (r.title == cp(title)) return r;
    ADD_FAILURE() << "no row " << title;
    return p.rows.front();
}

// The numbers of a data row written within `reach` mm of paper x.
std::vector<double> ValuesNear(const Profile& p, const std::string& title, double x, double reach) {
    const DataRow& r = Row(p, title);
    std::vector<double> v;
    for (const Text& t : p.drawing.texts) {
        const Box b = BoxOf(t);
        if (t.layer != "banda de datos" || b.y0 < r.y0 || b.y1 > r.y1) continue;
        if (t.at.x < x - reach || t.at.x > x + reach) continue;
        v.push_back(Number(t.text));
    }
    return v;
}

bool Has(const std::vector<double>& values, double expected, double tolerance) {
    for (double v : values)
        if (std::fabs(v - expected) <= tolerance) return true;
    return false;
}

// Everything one profile must show of the reaches of its line, worked out from the
// design copy's fields and the scales.
void CheckProfile(const std::vector<TramoT>& z, const ProfileLine& line, ProfileScales s) {
    const Profile p = BuildProfile(z, line, s);
    SCOPED_TRACE("H 1:" + std::to_string(s.horizontal) + " V 1:" + std::to_string(s.vertical));
    const double xPerMetre = 1000.0 / s.horizontal;
    const double metresPerMm = s.vertical / 1000.0;
    const double tol = kPaperTolerance * metresPerMm;
    double lowest = 1e30;
    for (int r : line.records) {
        TramoT t = z[static_cast<size_t>(r - 1)];
        lowest = std::min({lowest, double(design::InvertUp(t)), double(design::InvertDown(t))});
    }
    EXPECT_EQ(p.datum, std::floor(p.datum));
    EXPECT_LT(p.datum, lowest);
    EXPECT_GE(p.datum, lowest - 1.0);

    double a = 0;
    const DataRow& abscissae = Row(p, "Abscisa");
    (void)abscissae;
    for (size_t i = 0; i < line.records.size(); ++i) {
        TramoT t = z[static_cast<size_t>(line.records[i] - 1)];
        SCOPED_TRACE("reach " + std::to_string(line.records[i]));
        const double x0 = p.originX + a * xPerMetre;
        const double x1 = x0 + double(t.Length) * xPerMetre;
        const double mid = (x0 + x1) / 2;
        for (auto [layer, up, down] :
             {std::tuple{"clave", double(t.CrownUp), double(t.CrownDown)},
              std::tuple{"batea", double(design::InvertUp(t)), double(design::InvertDown(t))}}) {
            const Polyline* l = Segment(p.drawing, layer, x0, x1);
            ASSERT_NE(l, nullptr) << layer;
            EXPECT_NEAR(Elevation(p, l->points[0].y), up, tol) << layer;
            EXPECT_NEAR(Elevation(p, l->points[1].y), down, tol) << layer;
        }
        // The ground line passes over both manholes at their ground elevations.
        int groundPoints = 0;
        for (const Polyline& l : p.drawing.lines)
            if (l.layer == "terreno")
                for (Point q : l.points)
                    if ((std::fabs(q.x - x0) < 1e-6 &&
                         std::fabs(Elevation(p, q.y) - t.GroundUp) <= tol) ||
                        (std::fabs(q.x - x1) < 1e-6 &&
                         std::fabs(Elevation(p, q.y) - t.GroundDown) <= tol))
                        ++groundPoints;
        EXPECT_GE(groundPoints, 2);
        // The band of the pipe between its crown and its invert.
        bool band = false;
        for (const Area& ar : p.drawing.areas)
            band = band || (ar.layer == "tuberia" && ar.points.size() == 4 &&
                            std::fabs(ar.points[0].x - x0) < 1e-6 &&
                            std::fabs(ar.points[1].x - x1) < 1e-6 &&
                            std::fabs(Elevation(p, ar.points[3].y) - design::InvertUp(t)) <= tol);
        EXPECT_TRUE(band);
        // The data band, at the manholes (arriving value on the left, leaving on the right,
        // or one text when they agree) and at the middle of the reach.
        const double near = 0.5 + 1e-6;
        EXPECT_TRUE(Has(ValuesNear(p, "Abscisa", x0, 1e-6), a, 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Terreno", x0, near), t.GroundUp, 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Terreno", x1, near), t.GroundDown, 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Clave", x0, near), t.CrownUp, 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Clave", x1, near), t.CrownDown, 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Batea", x0, near), design::InvertUp(t), 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Batea", x1, near), design::InvertDown(t), 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Prof. clave", x0, near), design::DepthUp(t), 0.005 + 1e-4));
        EXPECT_TRUE(
            Has(ValuesNear(p, "Prof. clave", x1, near), design::DepthDown(t), 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Longitud", mid, 1e-6), t.Length, 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "Pendiente %", mid, 1e-6), t.Slope, 0.0005 + 1e-5));
        EXPECT_TRUE(Has(ValuesNear(p, "Diametro mm", mid, 1e-6), t.Diameter, 0.5));
        EXPECT_TRUE(
            Has(ValuesNear(p, "Caudal l/s", mid, 1e-6), design::DesignFlow(t), 0.005 + 1e-4));
        EXPECT_TRUE(
            Has(ValuesNear(p, "Velocidad m/s", mid, 1e-6), design::RealVelocity(t), 0.005 + 1e-4));
        EXPECT_TRUE(Has(ValuesNear(p, "y/D", mid, 1e-6), design::RelativeDepth(t), 0.005 + 1e-4));
        a += t.Length;
    }
    // The last abscissa is the sum of the lengths.
    const double end = p.originX + a * xPerMetre;
    EXPECT_TRUE(Has(ValuesNear(p, "Abscisa", end, 1e-6), a, 0.005 + 1e-4));
    ExpectNoOverlaps(p.drawing);
}

void ExpectEveryReachOnce(const std::vector<TramoT>& z, const std::vector<ProfileLine>& lines) {
    std::vector<int> seen(z.size() + 1, 0);
    int previousHead = 0;
    for (const ProfileLine& l : lines) {
        ASSERT_FALSE(l.records.empty());
        for (int r : l.records)
            ++seen[static_cast<size_t>(r)];
        // Lines come in the file order of their heads; each follows the receiving reaches.
        EXPECT_GT(l.records.front(), previousHead);
        previousHead = l.records.front();
        for (size_t i = 0; i + 1 < l.records.size(); ++i) {
            TramoT t = z[static_cast<size_t>(l.records[i] - 1)];
            EXPECT_EQ(design::ReceiverRecord(t), l.records[i + 1]);
        }
    }
    for (size_t r = 1; r <= z.size(); ++r)
        EXPECT_EQ(seen[r], 1) << "reach " << r;
}

// A line ends at an outfall, or where a reach with at least its flow arrives too; a
// junction is gone through by the line with the most flow.
void ExpectLinesEndWhereTheyJoinLargerOnes(const std::vector<TramoT>& z,
                                           const std::vector<ProfileLine>& lines) {
    for (const ProfileLine& l : lines) {
        TramoT last = z[static_cast<size_t>(l.records.back() - 1)];
        const int next = design::ReceiverRecord(last);
        if (next == 0) continue;
        bool larger = false;
        for (size_t k = 0; k < z.size(); ++k) {
            TramoT other = z[k];
            if (static_cast<int>(k + 1) != l.records.back() &&
                design::ReceiverRecord(other) == next &&
                design::DesignFlow(other) >= design::DesignFlow(last))
                larger = true;
        }
        EXPECT_TRUE(larger) << "line ending at reach " << l.records.back();
    }
}

class Profiles : public DesignRig {};

TEST_F(Profiles, DesignedGridsDrawEveryValueOfTheDesignCopyAtBothScales) {
    for (double slope : {1.5, 6.0}) {
        network::SimulationParams params;
        params.horizontal = 4;
        params.vertical = 3;
        params.length = 80;
        params.slope = slope;
        std::vector<TramoT> grid = network::SimulatedReaches(params);
        for (TramoT& t : grid)
            t.PointFlow = 3;
        Network(grid);
        ASSERT_TRUE(Design());
        const std::vector<TramoT> z = Zsdb();
        const std::vector<ProfileLine> lines = CollectorLines(z);
        SCOPED_TRACE("slope " + std::to_string(slope));
        ExpectEveryReachOnce(z, lines);
        ExpectLinesEndWhereTheyJoinLargerOnes(z, lines);
        EXPECT_LT(lines.size(), z.size());  // the collectors do run through manholes
        for (const ProfileLine& l : lines)
            for (ProfileScales s :
                 {ProfileScales{}, ProfileScales{500, 50}, ProfileScales{2000, 200}})
                CheckProfile(z, l, s);
    }
}

}  // namespace
}  // namespace nivex::drawings

namespace nivex::drawings {
namespace {

// A designed reach written by hand: crowns, pipe and depths as the design leaves them.
TramoT Designed(const std::string& up, const std::string& down, float length, float groundUp,
                float groundDown, float crownUp, float crownDown, float d) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Length = length;
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.CrownUp = crownUp;
    t.CrownDown = crownDown;
    t.Diameter = d;
    t.Slope = (crownUp - crownDown) * 100 / length;
    design::InvertUp(t) = std::round((crownUp - d / 1000) * 100) / 100;
    design::InvertDown(t) = std::round((crownDown - d / 1000) * 100) / 100;
    design::DepthUp(t) = groundUp - crownUp;
    design::DepthDown(t) = groundDown - crownDown;
    design::DesignFlow(t) = 12.5f;
    design::RealVelocity(t) = 0.85f;
    design::RelativeDepth(t) = 0.42f;
    return t;
}

std::vector<TramoT> Linked(std::vector<TramoT> r) {
    for (size_t i = 0; i + 1 < r.size(); ++i)
        design::ReceiverRecord(r[i]) = static_cast<int>(i + 2);
    return r;
}

ProfileLine Whole(const std::vector<TramoT>& r) {
    ProfileLine l;
    for (size_t i = 0; i < r.size(); ++i)
        l.records.push_back(static_cast<int>(i + 1));
    return l;
}

bool HasText(const Drawing& d, const std::string& text) {
    for (const Text& t : d.texts)
        if (t.text == text) return true;
    return false;
}

// A drop pipe at P2 (crowns 98.00 arriving, 96.80 leaving) and two drop chambers along
// P2-P3: the crown and the invert step down at P2, the manhole runs from the ground to the
// lowest invert there, and both drops are written.
TEST(ProfileDrops, StepsAtTheManholeAndTheirTexts) {
    std::vector<TramoT> r = Linked({Designed("P1", "P2", 60, 100.0f, 99.5f, 98.6f, 98.0f, 250),
                                    Designed("P2", "P3", 80, 99.5f, 90.0f, 96.8f, 88.8f, 300),
                                    Designed("P3", "P4", 50, 90.0f, 89.6f, 88.6f, 88.1f, 300)});
    design::DropKind(r[0]) = design::kDropPipe;
    design::DropHeight(r[0]) = 1.2f;
    design::DropPipeDiameter(r[0]) = 250;
    design::DropKind(r[1]) = design::kDropChambers;
    design::DropChambers(r[1]) = 2;
    design::DropKind(r[2]) = design::kDropInManhole;
    const Profile p = BuildProfile(r, Whole(r));
    CheckProfile(r, Whole(r), {});
    const double x = p.originX + 60;  // P2 at 1:1000
    const Polyline* crownStep = Segment(p.drawing, "clave", x, x);
    ASSERT_NE(crownStep, nullptr);
    EXPECT_NEAR(Elevation(p, crownStep->points[0].y), 98.0, 1e-4);
    EXPECT_NEAR(Elevation(p, crownStep->points[1].y), 96.8, 1e-4);
    const Polyline* invertStep = Segment(p.drawing, "batea", x, x);
    ASSERT_NE(invertStep, nullptr);
    EXPECT_NEAR(Elevation(p, invertStep->points[0].y), 97.75, 1e-4);
    EXPECT_NEAR(Elevation(p, invertStep->points[1].y), 96.50, 1e-4);
    // The manhole at P2: ground 99.50 down to the invert 96.50.
    bool manhole = false;
    for (const Polyline& l : p.drawing.lines)
        manhole = manhole || (l.layer == "pozos" && std::fabs(l.points[0].x - x) < 1e-9 &&
                              std::fabs(Elevation(p, l.points[0].y) - 99.5) < 1e-4 &&
                              std::fabs(Elevation(p, l.points[1].y) - 96.5) < 1e-4);
    EXPECT_TRUE(manhole);
    EXPECT_TRUE(HasText(p.drawing, cp("Bajante 1.20 m D250")));
    EXPECT_TRUE(HasText(p.drawing, cp("2 cámaras de caída")));
    EXPECT_TRUE(HasText(p.drawing, cp("Caída en pozo")));
    EXPECT_TRUE(HasText(p.drawing, cp("P2  2.70")));  // the crown depth of the pipe leaving it
    EXPECT_TRUE(HasText(p.drawing, cp("P4  1.50")));  // the last: of the pipe arriving
    EXPECT_EQ(p.datum, 87.0);  // the round metre below the lowest invert, 88.10 - 0.30
}

// Reaches shorter than their numbers at the scale: the texts of a row are staggered and
// still none overlaps, none is lost, and the rows stay apart.
TEST(ProfileDrops, CrowdedManholesAreStaggeredWithoutOverlaps) {
    std::vector<TramoT> r;
    float crown = 200;
    for (int k = 0; k < 40; ++k) {
        const float length = 1.0f + static_cast<float>(k % 4);
        const float next = crown - 0.05f * length;
        r.push_back(Designed("N" + std::to_string(k), "N" + std::to_string(k + 1), length,
                             crown + 1.5f, next + 1.5f, crown, next, 200));
        crown = next - 0.03f;  // a small drop at every manhole: two values at each
    }
    r = Linked(r);
    for (ProfileScales s : {ProfileScales{}, ProfileScales{200, 20}, ProfileScales{5000, 500}})
        CheckProfile(r, Whole(r), s);
    const Profile p = BuildProfile(r, Whole(r));
    for (size_t i = 0; i + 1 < p.rows.size(); ++i)
        EXPECT_LE(p.rows[i + 1].y1, p.rows[i].y0 + 1e-9);
    // Two crowns at every manhole 1 to 4 mm apart do not fit on one level.
    EXPECT_GT(p.rows[2].y1 - p.rows[2].y0, p.rows[10].y1 - p.rows[10].y0);
}

}  // namespace
}  // namespace nivex::drawings
