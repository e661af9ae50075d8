#include "drawings/plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>
#include <utility>

#include "console/codepage.h"
#include "design/reach_values.h"

namespace nivex::drawings {
namespace {

using network::TramoT;

const char* const kManholes = "pozos";
const char* const kArrows = "flechas";
const char* const kTexts = "textos";
const char* const kRevision = "revision";

constexpr double kMargin = kSheetMargin;
constexpr double kPad = 15;  // around the network, room for its labels
constexpr double kBlockWidth = kTitleBlockWidth;
constexpr double kBlockHeight = kTitleBlockHeight;
constexpr double kNameHeight = 2.0;
constexpr double kLabelHeights[] = {1.8, 1.3};  // a reach label's levels, the smaller last
constexpr double kManholeRadius = 0.8;
constexpr double kArrowLength = 3.0, kArrowHalfWidth = 1.0;
constexpr double kGap = 1.2;  // from a line or a manhole to its text

std::string Fixed(double v, int decimals) {
    char buf[48];
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;  // no "-0.00"
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

// The smallest round scale (1, 2, 2.5 or 5 times a power of ten) at or above n.
int RoundScale(double n) {
    for (double p = 1; p < 1e9; p *= 10)
        for (double m : {1.0, 2.0, 2.5, 5.0}) {
            const double s = m * p;
            if (s == std::floor(s) && s >= n - 1e-9) return static_cast<int>(s);
        }
    return 1000000000;
}

// Kept text boxes, looked up by the cells of a grid they cover.
class Boxes {
  public:
    explicit Boxes(Box frame) : frame_(frame) {}

    bool Free(const Box& b) const {
        if (b.x0 < frame_.x0 || b.y0 < frame_.y0 || b.x1 > frame_.x1 || b.y1 > frame_.y1)
            return false;
        for (long i = Cell(b.x0); i <= Cell(b.x1); ++i)
            for (long j = Cell(b.y0); j <= Cell(b.y1); ++j) {
                const auto it = cells_.find(Key(i, j));
                if (it == cells_.end()) continue;
                for (size_t k : it->second)
                    if (Overlap(b, boxes_[k])) return false;
            }
        return true;
    }

    void Keep(const Box& b) {
        boxes_.push_back(b);
        for (long i = Cell(b.x0); i <= Cell(b.x1); ++i)
            for (long j = Cell(b.y0); j <= Cell(b.y1); ++j)
                cells_[Key(i, j)].push_back(boxes_.size() - 1);
    }

  private:
    static constexpr double kCell = 10;
    static long Cell(double v) { return static_cast<long>(std::floor(v / kCell)); }
    static long long Key(long i, long j) {
        return (static_cast<long long>(i) << 32) ^ (j & 0xffffffff);
    }

    Box frame_;
    std::vector<Box> boxes_;
    std::unordered_map<long long, std::vector<size_t>> cells_;
};

Text Make(const char* layer, Point at, double height, HAlign h, VAlign v, int rotation,
          std::string text) {
    Text t;
    t.layer = layer;
    t.at = at;
    t.height = height;
    t.h = h;
    t.v = v;
    t.rotation = rotation;
    t.text = std::move(text);
    return t;
}

// The first of the candidates that fits, kept and drawn; its index among the texts, or -1
// (the first candidate then goes to the left-out labels).
int Place(Plan& plan, Boxes& kept, const std::vector<Text>& candidates) {
    for (const Text& t : candidates) {
        const Box b = TextBox(t);
        if (!kept.Free(b)) continue;
        kept.Keep(b);
        plan.drawing.AddText(t);
        return static_cast<int>(plan.drawing.texts.size()) - 1;
    }
    if (!candidates.empty()) plan.leftOut.push_back(candidates.front());
    return -1;
}

// A manhole's name: above right, then the other corners around it.
std::vector<Text> NameCandidates(Point p, const std::string& name) {
    const double d = kManholeRadius + kGap / 2;
    std::vector<Text> c;
    c.push_back(
        Make(kTexts, {p.x + d, p.y + d}, kNameHeight, HAlign::Left, VAlign::Bottom, 0, name));
    c.push_back(
        Make(kTexts, {p.x - d, p.y + d}, kNameHeight, HAlign::Right, VAlign::Bottom, 0, name));
    c.push_back(Make(kTexts, {p.x + d, p.y - d}, kNameHeight, HAlign::Left, VAlign::Top, 0, name));
    c.push_back(Make(kTexts, {p.x - d, p.y - d}, kNameHeight, HAlign::Right, VAlign::Top, 0, name));
    return c;
}

// A reach's label beside its segment: written along a segment that runs more across the
// page than up it, upwards beside the others; on either side, at the middle and then
// shifted along the segment, and at the smaller level when nothing else fits.
std::vector<Text> LabelCandidates(Point a, Point b, const std::string& text) {
    const bool across = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
    std::vector<Text> c;
    for (double height : kLabelHeights)
        for (double f : {0.5, 0.3, 0.7}) {
            const Point m{a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
            if (across) {
                c.push_back(Make(kTexts, {m.x, m.y + kGap}, height, HAlign::Centre, VAlign::Bottom,
                                 0, text));
                c.push_back(
                    Make(kTexts, {m.x, m.y - kGap}, height, HAlign::Centre, VAlign::Top, 0, text));
            } else {
                c.push_back(Make(kTexts, {m.x - kGap, m.y}, height, HAlign::Centre, VAlign::Bottom,
                                 90, text));
                c.push_back(
                    Make(kTexts, {m.x + kGap, m.y}, height, HAlign::Centre, VAlign::Top, 90, text));
            }
        }
    return c;
}

// The title block in the lower right corner of the page, with the north arrow.
void TitleBlock(Plan& plan, const PlanOptions& o, Boxes& kept) {
    std::string scale = cp("Escala 1:") + std::to_string(plan.scale);
    if (plan.schematic) scale += std::string("   ") + kSchematicLabel;
    std::vector<Box> texts;
    AddTitleBlock(plan.drawing, cp("PLANO DE LA RED"), o.header, {scale}, true, &texts);
    for (const Box& b : texts)
        kept.Keep(b);
}

}  // namespace

const char* StateLayer(ReachState s) {
    switch (s) {
        case ReachState::Existing:
            return "tramos existentes";
        case ReachState::Restricted:
            return "tramos restringidos";
        case ReachState::Removed:
            return "tramos eliminados";
        case ReachState::New:
            break;
    }
    return "tramos nuevos";
}

ReachState StateOf(const TramoT& t, int record, int reachCount) {
    if (reachCount > 0 && record > reachCount) return ReachState::Removed;
    switch (t.Class) {
        case network::kClassExisting:
        case network::kClassNotInvestigated:
            return ReachState::Existing;
        case network::kClassRestricted:
            return ReachState::Restricted;
        default:
            return ReachState::New;
    }
}

PlanHeader PlanHeaderOf(const project::Project& p) {
    PlanHeader h;
    h.entity = p.header.Entity;
    h.project = p.header.ProjectName;
    h.consultant = p.header.Consultant;
    h.date = p.header.ProjectDate;
    if (p.selection.severalSectors() && p.selection.sectorNumber > 0)
        h.sector = std::to_string(p.selection.sectorNumber);
    return h;
}

std::vector<std::vector<std::string>> PlanFindings(const design::RevisionCriteria& c,
                                                   const std::vector<TramoT>& records,
                                                   int reachCount) {
    std::vector<std::vector<std::string>> out(records.size());
    const int n = std::min(reachCount, static_cast<int>(records.size()));
    for (int k = 1; k <= n; ++k) {
        TramoT t = records[static_cast<size_t>(k - 1)];
        std::vector<std::string>& f = out[static_cast<size_t>(k - 1)];
        const design::ReachFindings found = design::FindingsOf(c, records, k);
        if (found.capacity)
            f.push_back(cp("Capacidad insuficiente: Q ") + Fixed(design::DesignFlow(t), 2) +
                        cp(" l/s, Q0 ") + Fixed(design::FullFlowQ0(t), 2) + cp(" l/s"));
        for (const design::JunctionProblem& j : found.junctions)
            f.push_back(cp("No empalma con el tramo ") + j.upstream + "-" + j.downstream +
                        cp(": batea inf. ") + Fixed(j.tributaryInvert, 2) + cp(", batea sup. ") +
                        Fixed(j.invert, 2));
        for (const design::Finding& d : found.deficiencies)
            f.push_back(d.text);
        for (const design::Finding& r : found.ras)
            f.push_back(cp("RAS: ") + r.text);
    }
    return out;
}

Box PaperSize(Paper paper) {
    switch (paper) {
        case Paper::Carta:
            return {0, 0, 216, 279};
        case Paper::Oficio:
            return {0, 0, 216, 330};
        case Paper::A3:
            return {0, 0, 297, 420};
        case Paper::A1:
            break;
    }
    return {0, 0, 594, 841};
}

Point Plan::PaperPoint(double x, double y) const {
    return {origin.x + (x - west) * 1000.0 / scale, origin.y + (y - south) * 1000.0 / scale};
}

bool Plan::FitsPaper() const {
    const Box frame{kMargin, kMargin + kBlockHeight + kMargin, drawing.width - kMargin,
                    drawing.height - kMargin};
    auto inside = [&](Point q) {
        return q.x >= frame.x0 && q.x <= frame.x1 && q.y >= frame.y0 && q.y <= frame.y1;
    };
    for (const PlanManhole& m : manholes)
        if (!inside(m.at)) return false;
    for (const PlanReach& r : reaches)
        for (Point q : r.via)
            if (!inside(q)) return false;
    return true;
}

std::vector<Point> PlanReach::Path() const {
    std::vector<Point> path;
    path.reserve(via.size() + 2);
    path.push_back(from);
    path.insert(path.end(), via.begin(), via.end());
    path.push_back(to);
    return path;
}

std::pair<Point, Point> PlanReach::LongestPiece() const {
    const std::vector<Point> path = Path();
    std::pair<Point, Point> best{from, to};
    double longest = -1;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const double length = std::hypot(path[i + 1].x - path[i].x, path[i + 1].y - path[i].y);
        if (length > longest) {
            longest = length;
            best = {path[i], path[i + 1]};
        }
    }
    return best;
}

namespace {

double DistanceToPiece(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double f = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    f = std::clamp(f, 0.0, 1.0);
    return std::hypot(p.x - (a.x + f * dx), p.y - (a.y + f * dy));
}

}  // namespace

const PlanReach* Plan::NearestReach(Point p, double within) const {
    const PlanReach* best = nullptr;
    double bestDistance = within;
    for (const PlanReach& r : reaches) {
        double distance = DistanceToPiece(p, r.from, r.via.empty() ? r.to : r.via.front());
        for (size_t i = 0; i < r.via.size(); ++i)
            distance = std::min(
                distance, DistanceToPiece(p, r.via[i], i + 1 < r.via.size() ? r.via[i + 1] : r.to));
        if (distance <= bestDistance) {
            // A removed reach lies under the reach that replaced it: the replacement wins.
            if (best && distance == bestDistance && r.state == ReachState::Removed) continue;
            best = &r;
            bestDistance = distance;
        }
    }
    return best;
}

const PlanManhole* Plan::FindManhole(std::string_view name) const {
    for (const PlanManhole& m : manholes)
        if (m.name == name) return &m;
    return nullptr;
}

Plan BuildPlan(const std::vector<TramoT>& reaches, const ManholeLayout& placement,
               const PlanOptions& o) {
    Plan plan;
    plan.schematic = placement.schematic;
    // Bends are measured points: a computed layout has no place for them.
    std::map<std::pair<std::string, std::string>, const ReachBends*> bends;
    if (!placement.schematic)
        for (const ReachBends& b : o.bends)
            bends.emplace(std::make_pair(b.upstream, b.downstream), &b);
    double west = 0, south = 0, east = 0, north = 0;
    bool first = true;
    auto take = [&](double x, double y) {
        if (first) {
            west = east = x;
            south = north = y;
            first = false;
        }
        west = std::min(west, x);
        east = std::max(east, x);
        south = std::min(south, y);
        north = std::max(north, y);
    };
    for (const ManholePoint& m : placement.manholes)
        take(m.x, m.y);
    if (!bends.empty())
        for (const TramoT& t : reaches) {
            const auto it = bends.find({t.Upstream, t.Downstream});
            if (it != bends.end())
                for (const auto& [x, y] : it->second->points)
                    take(x, y);
        }
    const double spanX = east - west, spanY = north - south;
    // The network's box on the paper: inside the margins and the padding, above the strip
    // of the title block.
    const double below = kMargin + kBlockHeight + kMargin + kPad;
    if (o.scale > 0 && o.onPaper) {
        // The paper turned the way the network fits it best at this scale.
        plan.scale = o.scale;
        const Box paper = PaperSize(o.paper);
        const double w = spanX * 1000.0 / o.scale, h = spanY * 1000.0 / o.scale;
        auto room = [&](double pw, double ph) {
            return std::min(pw - 2 * (kMargin + kPad) - w, ph - below - kPad - kMargin - h);
        };
        const bool turn = room(paper.y1, paper.x1) > room(paper.x1, paper.y1);
        plan.drawing.width = turn ? paper.y1 : paper.x1;
        plan.drawing.height = turn ? paper.x1 : paper.y1;
    } else if (o.scale > 0) {
        plan.scale = o.scale;
        plan.drawing.width =
            std::max(2 * (kMargin + kPad) + spanX * 1000.0 / o.scale, kBlockWidth + 2 * kMargin);
        plan.drawing.height = below + spanY * 1000.0 / o.scale + kPad + kMargin;
    } else {
        const Box paper = PaperSize(o.paper);
        auto needed = [&](double w, double h) {
            const double aw = w - 2 * (kMargin + kPad), ah = h - below - kPad - kMargin;
            return RoundScale(std::max({spanX * 1000.0 / aw, spanY * 1000.0 / ah, 1.0}));
        };
        const int portrait = needed(paper.x1, paper.y1);
        const int landscape = needed(paper.y1, paper.x1);
        // The larger drawing; at the same scale the page shaped like the network.
        const bool turn = landscape < portrait || (landscape == portrait && spanX > spanY);
        plan.scale = turn ? landscape : portrait;
        plan.drawing.width = turn ? paper.y1 : paper.x1;
        plan.drawing.height = turn ? paper.x1 : paper.y1;
    }
    // The network centred in its box.
    const double boxW = plan.drawing.width - 2 * (kMargin + kPad);
    const double boxH = plan.drawing.height - below - kPad - kMargin;
    plan.west = west;
    plan.south = south;
    plan.origin = {kMargin + kPad + (boxW - spanX * 1000.0 / plan.scale) / 2,
                   below + (boxH - spanY * 1000.0 / plan.scale) / 2};
    Drawing& d = plan.drawing;
    const Box frame{kMargin, kMargin + kBlockHeight + kMargin, d.width - kMargin,
                    d.height - kMargin};
    Boxes kept(frame);

    // Reaches under everything else, the removed ones first so the new ones cover them.
    std::vector<int> order;
    for (int r = 1; r <= static_cast<int>(reaches.size()); ++r)
        if (StateOf(reaches[static_cast<size_t>(r - 1)], r, o.reachCount) == ReachState::Removed)
            order.push_back(r);
    for (int r = 1; r <= static_cast<int>(reaches.size()); ++r)
        if (StateOf(reaches[static_cast<size_t>(r - 1)], r, o.reachCount) != ReachState::Removed)
            order.push_back(r);
    for (int r : order) {
        const TramoT& t = reaches[static_cast<size_t>(r - 1)];
        const ManholePoint* up = placement.find(t.Upstream);
        const ManholePoint* down = placement.find(t.Downstream);
        if (!up || !down) continue;
        PlanReach pr;
        pr.record = r;
        pr.state = StateOf(t, r, o.reachCount);
        pr.from = plan.PaperPoint(up->x, up->y);
        pr.to = plan.PaperPoint(down->x, down->y);
        if (static_cast<size_t>(r - 1) < o.findings.size())
            pr.findings = o.findings[static_cast<size_t>(r - 1)];
        if (!bends.empty()) {
            const auto it = bends.find({t.Upstream, t.Downstream});
            if (it != bends.end())
                for (const auto& [x, y] : it->second->points)
                    pr.via.push_back(plan.PaperPoint(x, y));
        }
        d.AddLine(StateLayer(pr.state), pr.Path());
        if (!pr.findings.empty()) d.AddLine(kRevision, pr.Path());
        plan.reaches.push_back(std::move(pr));
    }
    std::sort(plan.reaches.begin(), plan.reaches.end(),
              [](const PlanReach& a, const PlanReach& b) { return a.record < b.record; });

    // Flow arrows of the network's reaches (a removed reach no longer carries flow).
    for (const PlanReach& r : plan.reaches) {
        const auto [a, b] = r.LongestPiece();
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length = std::hypot(dx, dy);
        if (r.state == ReachState::Removed || length <= 0) continue;
        const double ux = dx / length, uy = dy / length;
        const Point m{(a.x + b.x) / 2, (a.y + b.y) / 2};
        const double half = kArrowLength / 2;
        d.AddArea(
            kArrows,
            {{m.x + ux * half, m.y + uy * half},
             {m.x - ux * half - uy * kArrowHalfWidth, m.y - uy * half + ux * kArrowHalfWidth},
             {m.x - ux * half + uy * kArrowHalfWidth, m.y - uy * half - ux * kArrowHalfWidth}});
    }

    for (const ManholePoint& m : placement.manholes) {
        PlanManhole pm;
        pm.name = m.name;
        pm.at = plan.PaperPoint(m.x, m.y);
        d.AddCircle(kManholes, pm.at, kManholeRadius, false);
        // No text over a manhole.
        kept.Keep({pm.at.x - kManholeRadius, pm.at.y - kManholeRadius, pm.at.x + kManholeRadius,
                   pm.at.y + kManholeRadius});
        plan.manholes.push_back(std::move(pm));
    }

    TitleBlock(plan, o, kept);
    // Names first: a manhole is looked for by its name; then the reach labels.
    for (PlanManhole& m : plan.manholes)
        m.label = Place(plan, kept, NameCandidates(m.at, m.name));
    for (PlanReach& r : plan.reaches) {
        if (r.state == ReachState::Removed) continue;
        TramoT t = reaches[static_cast<size_t>(r.record - 1)];
        // A reach not designed yet has only its length to show.
        const std::string text = t.Diameter > 0
                                     ? "D " + Fixed(t.Diameter, 0) + " S " + Fixed(t.Slope, 3) +
                                           "% L " + Fixed(t.Length, 2)
                                     : "L " + Fixed(t.Length, 2);
        const auto [a, b] = r.LongestPiece();
        r.label = Place(plan, kept, LabelCandidates(a, b, text));
    }
    return plan;
}

}  // namespace nivex::drawings
