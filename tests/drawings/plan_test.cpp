// The plan of the network read back from its own geometry: every reach from its upstream
// to its downstream manhole at the scale, arrows downstream, labels with the design copy's
// values, layers by state and by the revision, the title block, the page of a paper size,
// no two kept texts overlapping, and the lookups a window uses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "design/design_rig.h"
#include "design/reach_values.h"
#include "drawings/plan.h"
#include "drawings/text_box_check.h"
#include "network/simulated_project.h"

namespace nivex::drawings {
namespace {

using design::test::DesignRig;
using network::TramoT;
using test::BoxOf;

constexpr double kPaperTolerance = 0.1;  // mm

bool Near(Point a, Point b, double tol) {
    return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}

std::string Printf(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// "D 250 S 0.520% L 80.00", written here with printf's rounding.
std::string ExpectedLabel(const TramoT& t) {
    return "D " + Printf("%.0f", t.Diameter) + " S " + Printf("%.3f", t.Slope) + "% L " +
           Printf("%.2f", t.Length);
}

int Overlaps(const std::vector<Text>& texts) {
    int n = 0;
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const Box a = BoxOf(texts[i]), b = BoxOf(texts[j]);
            if (a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1 && ++n <= 5)
                ADD_FAILURE() << "\"" << texts[i].text << "\" over \"" << texts[j].text << "\"";
        }
    return n;
}

// Every point of the drawing inside the page less `margin`.
void ExpectInside(const Drawing& d, double margin) {
    auto in = [&](Point p) {
        return p.x >= margin - 1e-9 && p.y >= margin - 1e-9 && p.x <= d.width - margin + 1e-9 &&
               p.y <= d.height - margin + 1e-9;
    };
    for (const Polyline& l : d.lines)
        for (Point p : l.points)
            EXPECT_TRUE(in(p)) << l.layer << " " << p.x << "," << p.y;
    for (const Area& a : d.areas)
        for (Point p : a.points)
            EXPECT_TRUE(in(p)) << a.layer;
    for (const Circle& c : d.circles)
        EXPECT_TRUE(in({c.centre.x - c.radius, c.centre.y - c.radius}) &&
                    in({c.centre.x + c.radius, c.centre.y + c.radius}));
    for (const Text& t : d.texts) {
        const Box b = BoxOf(t);
        EXPECT_TRUE(in({b.x0, b.y0}) && in({b.x1, b.y1})) << t.text;
    }
}

bool HasLine(const Drawing& d, const std::string& layer, Point a, Point b) {
    for (const Polyline& l : d.lines)
        if (l.layer == layer && l.points.size() == 2 && Near(l.points[0], a, 1e-9) &&
            Near(l.points[1], b, 1e-9))
            return true;
    return false;
}

int CountLayer(const Drawing& d, const std::string& layer) {
    int n = 0;
    for (const Polyline& l : d.lines)
        n += l.layer == layer;
    return n;
}

bool HasText(const Drawing& d, const std::string& layer, const std::string& text) {
    for (const Text& t : d.texts)
        if (t.layer == layer && t.text == text) return true;
    return false;
}

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double f = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    f = std::clamp(f, 0.0, 1.0);
    return std::hypot(p.x - a.x - f * dx, p.y - a.y - f * dy);
}

const PlanReach* ReachOf(const Plan& plan, int record) {
    for (const PlanReach& r : plan.reaches)
        if (r.record == record) return &r;
    return nullptr;
}

// What every plan must show of `z`: the layout points (metres) `at` mapped to the paper
// from the first manhole's drawn circle at 1000 / scale mm a metre.
void CheckPlan(const std::vector<TramoT>& z, const ManholeLayout& at, const PlanOptions& o,
               const Plan& plan, const std::vector<ReachState>& states) {
    SCOPED_TRACE("1:" + std::to_string(plan.scale));
    ASSERT_GT(plan.scale, 0);
    if (o.scale > 0) {
        EXPECT_EQ(plan.scale, o.scale);
    }
    const double k = 1000.0 / plan.scale;
    const ManholePoint& first = at.manholes.front();
    ASSERT_FALSE(plan.drawing.circles.empty());
    const Point ref = plan.drawing.circles.front().centre;
    auto paper = [&](const std::string& name) {
        const ManholePoint* m = at.find(name);
        EXPECT_NE(m, nullptr) << name;
        return Point{ref.x + (m->x - first.x) * k, ref.y + (m->y - first.y) * k};
    };
    EXPECT_EQ(plan.schematic, at.schematic);

    ASSERT_EQ(plan.reaches.size(), z.size());
    int arrowsExpected = 0;
    for (size_t i = 0; i < z.size(); ++i) {
        const int record = static_cast<int>(i + 1);
        SCOPED_TRACE("record " + std::to_string(record));
        const PlanReach* r = ReachOf(plan, record);
        ASSERT_NE(r, nullptr);
        const Point a = paper(z[i].Upstream), b = paper(z[i].Downstream);
        EXPECT_TRUE(Near(r->from, a, kPaperTolerance));
        EXPECT_TRUE(Near(r->to, b, kPaperTolerance));
        EXPECT_EQ(r->state, states[i]);
        // Drawn once, on its state's layer only.
        int drawn = 0;
        for (const Polyline& l : plan.drawing.lines)
            if (l.points.size() == 2 && Near(l.points[0], a, kPaperTolerance) &&
                Near(l.points[1], b, kPaperTolerance) && l.layer.rfind("tramos", 0) == 0) {
                EXPECT_EQ(l.layer, StateLayer(states[i]));
                ++drawn;
            }
        EXPECT_EQ(drawn, 1);
        const bool listed = i < o.findings.size() && !o.findings[i].empty();
        EXPECT_EQ(HasLine(plan.drawing, "revision", r->from, r->to), listed);
        if (listed) {
            EXPECT_EQ(r->findings, o.findings[i]);
        }
        if (states[i] == ReachState::Removed) continue;
        ++arrowsExpected;
        // The arrow at the middle, its tip (the vertex farthest from its centre) downstream.
        const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
        bool arrow = false;
        for (const Area& ar : plan.drawing.areas) {
            if (ar.layer != "flechas" || ar.points.size() != 3) continue;
            const Point c{(ar.points[0].x + ar.points[1].x + ar.points[2].x) / 3,
                          (ar.points[0].y + ar.points[1].y + ar.points[2].y) / 3};
            if (DistanceToSegment(c, a, b) > 0.01 || std::hypot(c.x - mid.x, c.y - mid.y) > 1)
                continue;
            Point tip = ar.points[0];
            for (Point p : ar.points)
                if (std::hypot(p.x - c.x, p.y - c.y) > std::hypot(tip.x - c.x, tip.y - c.y))
                    tip = p;
            arrow = (tip.x - c.x) * (b.x - a.x) + (tip.y - c.y) * (b.y - a.y) > 0;
        }
        EXPECT_TRUE(arrow);
        // Its label, beside the segment, or among the left-out ones.
        if (r->label >= 0) {
            const Text& t = plan.drawing.texts[static_cast<size_t>(r->label)];
            EXPECT_EQ(t.text, ExpectedLabel(z[i]));
            const Box bx = BoxOf(t);
            const double across = std::min(bx.x1 - bx.x0, bx.y1 - bx.y0);
            EXPECT_LE(DistanceToSegment({(bx.x0 + bx.x1) / 2, (bx.y0 + bx.y1) / 2}, a, b),
                      across / 2 + 1.5);
            // Upwards only beside a segment that runs more up the page than across.
            EXPECT_EQ(t.rotation == 90, std::fabs(b.x - a.x) < std::fabs(b.y - a.y));
        } else {
            bool left = false;
            for (const Text& t : plan.leftOut)
                left = left || t.text == ExpectedLabel(z[i]);
            EXPECT_TRUE(left);
        }
    }
    int arrows = 0;
    for (const Area& ar : plan.drawing.areas)
        arrows += ar.layer == "flechas";
    EXPECT_EQ(arrows, arrowsExpected);
    EXPECT_EQ(CountLayer(plan.drawing, "revision"),
              static_cast<int>(std::count_if(o.findings.begin(), o.findings.end(),
                                             [](const auto& f) { return !f.empty(); })));

    // Manholes: a circle and its name each, found by name at their point.
    EXPECT_EQ(plan.manholes.size(), at.manholes.size());
    for (const ManholePoint& m : at.manholes) {
        const PlanManhole* pm = plan.FindManhole(m.name);
        ASSERT_NE(pm, nullptr) << m.name;
        EXPECT_TRUE(Near(pm->at, paper(m.name), kPaperTolerance));
        if (pm->label >= 0) {
            const Text& t = plan.drawing.texts[static_cast<size_t>(pm->label)];
            EXPECT_EQ(t.text, m.name);
            // Beside its manhole: the box's nearest corner within 1.5 mm of it on each axis.
            const Box bx = BoxOf(t);
            const double dx = std::max({bx.x0 - pm->at.x, 0.0, pm->at.x - bx.x1});
            const double dy = std::max({bx.y0 - pm->at.y, 0.0, pm->at.y - bx.y1});
            EXPECT_LE(std::max(dx, dy), 1.5);
        }
    }
    EXPECT_EQ(plan.FindManhole("NOHAY"), nullptr);

    // A point just beside the middle of each reach finds that reach; nothing far away.
    for (size_t i = 0; i < z.size(); ++i) {
        if (states[i] == ReachState::Removed) continue;
        const Point a = paper(z[i].Upstream), b = paper(z[i].Downstream);
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const Point q{(a.x + b.x) / 2 - (b.y - a.y) / len * 0.3,
                      (a.y + b.y) / 2 + (b.x - a.x) / len * 0.3};
        const PlanReach* found = plan.NearestReach(q, 2.0);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->record, static_cast<int>(i + 1));
    }
    EXPECT_EQ(plan.NearestReach({-500, -500}, 5), nullptr);

    // The title block.
    EXPECT_TRUE(HasText(plan.drawing, "rotulo", cp("PLANO DE LA RED")));
    EXPECT_TRUE(HasText(plan.drawing, "rotulo", o.header.entity));
    EXPECT_TRUE(HasText(plan.drawing, "rotulo", cp("Proyecto: ") + o.header.project));
    EXPECT_TRUE(HasText(plan.drawing, "rotulo", cp("Consultor: ") + o.header.consultant));
    EXPECT_TRUE(HasText(plan.drawing, "rotulo", cp("Fecha: ") + o.header.date));
    EXPECT_TRUE(HasText(plan.drawing, "rotulo", "N"));
    const std::string scale = "Escala 1:" + std::to_string(plan.scale);
    EXPECT_TRUE(
        HasText(plan.drawing, "rotulo", at.schematic ? scale + "   " + kSchematicLabel : scale));

    EXPECT_EQ(Overlaps(plan.drawing.texts), 0);
    ExpectInside(plan.drawing, 10);
}

PlanHeader Header() {
    return {cp("ACUEDUCTO Y ALCANTARILLADO DE PRUEBA"), "BARRIO EL LIMON", "", "INGENIEROS SAS",
            "12 de marzo de 2025"};
}

class Plans : public DesignRig {
  protected:
    // The designed grid and its simulated coordinates.
    void Grid(int horizontal, int vertical) {
        params_.horizontal = horizontal;
        params_.vertical = vertical;
        params_.length = 80;
        params_.slope = 1.5;
        std::vector<TramoT> grid = network::SimulatedReaches(params_);
        for (TramoT& t : grid)
            t.PointFlow = 3;
        Network(grid);
        ASSERT_TRUE(Design());
        z_ = Zsdb();
        ASSERT_EQ(z_.size(), grid.size());
        stored_.points = network::SimulatedCoordinates(params_, grid);
    }

    network::SimulationParams params_;
    std::vector<TramoT> z_;
    ManholeCoordinates stored_;
};

TEST_F(Plans, DesignedGridAtScalesWithStatesRevisionAndTitleBlock) {
    Grid(4, 3);
    const ManholeLayout at = PlaceManholes(ReachEndsOf(z_), stored_);
    ASSERT_FALSE(at.schematic);
    // States by hand: record 2 existing, 3 restricted, 4 not investigated (drawn as
    // existing), the last one beyond the network's count (the design removed it).
    std::vector<TramoT> z = z_;
    z[1].Class = network::kClassExisting;
    z[2].Class = network::kClassRestricted;
    z[3].Class = network::kClassNotInvestigated;
    std::vector<ReachState> states(z.size(), ReachState::New);
    states[1] = states[3] = ReachState::Existing;
    states[2] = ReachState::Restricted;
    states.back() = ReachState::Removed;
    PlanOptions o;
    o.reachCount = static_cast<int>(z.size()) - 1;
    o.header = Header();
    o.findings.resize(z.size());
    o.findings[0] = {cp("El tubo trabaja demasiado lleno")};
    o.findings[4] = {cp("Capacidad insuficiente"), cp("RAS: Froude")};
    for (int scale : {500, 1000, 2000, 5000}) {
        o.scale = scale;
        const Plan plan = BuildPlan(z, at, o);
        CheckPlan(z, at, o, plan, states);
        // 80 m reaches leave room for every label down to 1:1000.
        if (scale <= 1000) {
            EXPECT_TRUE(plan.leftOut.empty());
        }
    }
}

TEST_F(Plans, FitToEachPaperInsideItsMarginsAtARoundScale) {
    Grid(8, 2);  // wider than tall: landscape on every paper
    const ManholeLayout at = PlaceManholes(ReachEndsOf(z_), stored_);
    double west = 1e30, east = -1e30, south = 1e30, north = -1e30;
    for (const ManholePoint& m : at.manholes) {
        west = std::min(west, m.x);
        east = std::max(east, m.x);
        south = std::min(south, m.y);
        north = std::max(north, m.y);
    }
    const std::vector<ReachState> states(z_.size(), ReachState::New);
    PlanOptions o;
    o.header = Header();
    for (auto [paper, w, h] :
         {std::tuple{Paper::Carta, 216.0, 279.0}, std::tuple{Paper::Oficio, 216.0, 330.0},
          std::tuple{Paper::A3, 297.0, 420.0}, std::tuple{Paper::A1, 594.0, 841.0}}) {
        o.paper = paper;
        const Plan plan = BuildPlan(z_, at, o);
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        EXPECT_EQ(plan.drawing.width, h);
        EXPECT_EQ(plan.drawing.height, w);
        // A round scale: 1, 2, 2.5 or 5 times a power of ten.
        int mantissa = plan.scale;
        while (mantissa % 10 == 0)
            mantissa /= 10;
        EXPECT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5 || mantissa == 25)
            << plan.scale;
        // The network fits inside the margins and is not needlessly small: round scales
        // are at most 2.5 apart, so it takes more than a third of the width.
        EXPECT_LE((east - west) * 1000.0 / plan.scale, h - 20);
        EXPECT_GT((east - west) * 1000.0 / plan.scale, (h - 20) / 3);
        EXPECT_LE((north - south) * 1000.0 / plan.scale, w - 20);
        CheckPlan(z_, at, o, plan, states);
    }
}

TEST_F(Plans, SchematicPlacementWhenAManholeLacksCoordinates) {
    Grid(3, 3);
    stored_.points.erase(stored_.points.begin() + 2);
    const ManholeLayout at = PlaceManholes(ReachEndsOf(z_), stored_);
    ASSERT_TRUE(at.schematic);
    const std::vector<ReachState> states(z_.size(), ReachState::New);
    PlanOptions o;
    o.header = Header();
    for (int scale : {0, 1000}) {
        o.scale = scale;
        o.paper = Paper::Carta;
        CheckPlan(z_, at, o, BuildPlan(z_, at, o), states);
    }
}

// Crowded: short reaches at a small scale; labels that find no room are left out, listed,
// and none of the kept ones overlaps.
TEST_F(Plans, CrowdedLabelsAreLeftOutNotOverlapped) {
    Grid(6, 6);
    const ManholeLayout at = PlaceManholes(ReachEndsOf(z_), stored_);
    const std::vector<ReachState> states(z_.size(), ReachState::New);
    PlanOptions o;
    o.header = Header();
    o.scale = 10000;  // 8 mm reaches
    const Plan plan = BuildPlan(z_, at, o);
    CheckPlan(z_, at, o, plan, states);
    EXPECT_FALSE(plan.leftOut.empty());
    int kept = 0;
    for (const PlanReach& r : plan.reaches)
        kept += r.label >= 0;
    int names = 0;
    for (const PlanManhole& m : plan.manholes)
        names += m.label < 0;
    EXPECT_EQ(plan.leftOut.size(), z_.size() - static_cast<size_t>(kept) + names);
}

// The revision's findings of a reach: a design flow more than 0.1 l/s above the full flow
// is a capacity problem; a reach not investigated is not judged; records beyond the
// network's count are not revised.
TEST_F(Plans, FindingsOfTheRevisionPerRecord) {
    Grid(3, 2);
    std::vector<TramoT> z = z_;
    design::DesignFlow(z[1]) = design::FullFlowQ0(z[1]) + 0.2f;
    design::DesignFlow(z[2]) = design::FullFlowQ0(z[2]) + 0.2f;
    z[2].Class = network::kClassNotInvestigated;
    design::DesignFlow(z.back()) = design::FullFlowQ0(z.back()) + 5;
    const design::RevisionCriteria c = design::RevisionCriteriaOf(p_.espec, p_.header);
    const auto f = PlanFindings(c, z, static_cast<int>(z.size()) - 1);
    ASSERT_EQ(f.size(), z.size());
    auto capacity = [](const std::vector<std::string>& v) {
        for (const std::string& s : v)
            if (s.rfind("Capacidad insuficiente", 0) == 0) return true;
        return false;
    };
    EXPECT_TRUE(capacity(f[1]));
    EXPECT_FALSE(capacity(f[2]));
    EXPECT_TRUE(f.back().empty());
    // The plan puts the listed reach on the revision layer with its findings.
    PlanOptions o;
    o.findings = f;
    o.scale = 1000;
    const Plan plan = BuildPlan(z, PlaceManholes(ReachEndsOf(z), stored_), o);
    const PlanReach* r = ReachOf(plan, 2);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->findings, f[1]);
    EXPECT_TRUE(HasLine(plan.drawing, "revision", r->from, r->to));
}

// A reach with bends runs through them: its line from its upstream manhole through each
// bend to its downstream one, its arrow on its longest piece, and a point beside a bend (far
// from the straight chord) finds it. A schematic layout has no place for bends.
TEST_F(Plans, BentReachesRunThroughTheirBends) {
    Grid(1, 1);
    const TramoT& first = z_.front();
    const ManholePoint* up = stored_.find(first.Upstream);
    const ManholePoint* down = stored_.find(first.Downstream);
    ASSERT_TRUE(up && down);
    // A dogleg 30 m off the straight line between them, the last piece the longest.
    const double mx = (up->x + down->x) / 2, my = (up->y + down->y) / 2;
    const double ux = down->x - up->x, uy = down->y - up->y;
    const double length = std::hypot(ux, uy);
    const double nx = -uy / length * 30, ny = ux / length * 30;
    const std::pair<double, double> b1{up->x + ux * 0.1 + nx, up->y + uy * 0.1 + ny};
    const std::pair<double, double> b2{mx + nx - ux * 0.3, my + ny - uy * 0.3};
    PlanOptions o;
    o.scale = 1000;
    o.bends = {{first.Upstream, first.Downstream, {b1, b2}}};
    const Plan plan = BuildPlan(z_, PlaceManholes(ReachEndsOf(z_), stored_), o);
    const PlanReach* r = ReachOf(plan, 1);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->via.size(), 2u);
    const Point p1 = plan.PaperPoint(b1.first, b1.second),
                p2 = plan.PaperPoint(b2.first, b2.second);
    EXPECT_TRUE(Near(r->via[0], p1, 1e-9));
    EXPECT_TRUE(Near(r->via[1], p2, 1e-9));
    bool drawn = false;
    for (const Polyline& l : plan.drawing.lines)
        drawn = drawn || (l.layer == StateLayer(r->state) && l.points.size() == 4 &&
                          Near(l.points[0], r->from, 1e-9) && Near(l.points[1], p1, 1e-9) &&
                          Near(l.points[2], p2, 1e-9) && Near(l.points[3], r->to, 1e-9));
    EXPECT_TRUE(drawn);
    // The arrow's tip lies on the piece from the second bend to the downstream manhole.
    const Point mid{(p2.x + r->to.x) / 2, (p2.y + r->to.y) / 2};
    bool arrow = false;
    for (const Area& a : plan.drawing.areas)
        arrow = arrow || (a.layer == "flechas" &&
                          std::hypot(a.points[0].x - mid.x, a.points[0].y - mid.y) < 2);
    EXPECT_TRUE(arrow);
    // 30 m off the chord is 30 mm at 1:1000; beside the first bend only the bent reach is near.
    const PlanReach* near = plan.NearestReach({p1.x + 0.5, p1.y}, 2);
    ASSERT_NE(near, nullptr);
    EXPECT_EQ(near->record, 1);

    ManholeCoordinates none;
    const Plan schematic = BuildPlan(z_, PlaceManholes(ReachEndsOf(z_), none), o);
    ASSERT_TRUE(schematic.schematic);
    for (const PlanReach& s : schematic.reaches)
        EXPECT_TRUE(s.via.empty());
}

}  // namespace
}  // namespace nivex::drawings
