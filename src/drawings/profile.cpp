#include "drawings/profile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <utility>

#include "console/codepage.h"
#include "design/junctions.h"
#include "design/reach_values.h"

namespace nivex::drawings {
namespace {

using network::TramoT;

const char* const kGround = "terreno";
const char* const kCrown = "clave";
const char* const kInvert = "batea";
const char* const kPipe = "tuberia";
const char* const kManholes = "pozos";
const char* const kTexts = "textos";
const char* const kBand = "banda de datos";
const char* const kTitle = "rotulo";

constexpr double kMargin = 10;       // around the page
constexpr double kTitleColumn = 34;  // row titles of the data band
constexpr double kDataHeight = 2.0;  // texts of the data band
constexpr double kLabelHeight = 2.5;
constexpr double kTitleHeight = 3.5;
constexpr double kGap = 1.0;  // between two texts of a row, and around a row's texts

std::string Fixed(double v, int decimals) {
    char buf[48];
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;  // no "-0.00"
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

// A reach of the line with the values the drawing shows, read through the design's names.
struct Span {
    TramoT t;
    double a0 = 0, a1 = 0;  // abscissae of its ends (m)
    bool known = false;     // crowns known (a not-investigated reach may have none)
    double invertUp = 0, invertDown = 0;
};

double Invert(float stored, float crown, float diameter) {
    return stored != 0 ? stored : crown - diameter / 1000.0;
}

// The level of every text so that texts of one level keep kGap between them, using as
// few levels as the texts need (they are only compared across the page).
std::vector<int> Stagger(const std::vector<Text>& texts, int& levels) {
    std::vector<size_t> order(texts.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::vector<Box> boxes;
    boxes.reserve(texts.size());
    for (const Text& t : texts)
        boxes.push_back(TextBox(t));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return boxes[a].x0 < boxes[b].x0; });
    std::vector<double> right;  // right edge of the last text of each level
    std::vector<int> level(texts.size(), 0);
    for (size_t i : order) {
        size_t k = 0;
        while (k < right.size() && right[k] + kGap > boxes[i].x0)
            ++k;
        if (k == right.size()) right.push_back(0);
        right[k] = boxes[i].x1;
        level[i] = static_cast<int>(k);
    }
    levels = static_cast<int>(right.size());
    return level;
}

// Texts placed on their levels, level 0 on top, in the strip whose bottom is y; returns
// the strip's height.
double PlaceStrip(Drawing& d, std::vector<Text> texts, double y, double height) {
    int levels = 0;
    const std::vector<int> level = Stagger(texts, levels);
    const double pitch = height + kGap;
    for (size_t i = 0; i < texts.size(); ++i) {
        texts[i].v = VAlign::Bottom;
        texts[i].at.y = y + kGap + (levels - 1 - level[i]) * pitch;
        d.AddText(std::move(texts[i]));
    }
    return std::max(levels, 1) * pitch + kGap;
}

Text Label(const std::string& layer, double x, HAlign h, double height, std::string text) {
    Text t;
    t.layer = layer;
    t.at = {x, 0};
    t.h = h;
    t.height = height;
    t.text = std::move(text);
    return t;
}

class Builder {
  public:
    Builder(const std::vector<TramoT>& reaches, const ProfileLine& line, ProfileScales scales) {
        p_.scales = scales;
        double a = 0;
        for (int r : line.records) {
            Span s;
            s.t = reaches[static_cast<size_t>(r - 1)];
            s.a0 = a;
            a += s.t.Length;
            s.a1 = a;
            s.known = s.t.CrownUp != 0 || s.t.CrownDown != 0;
            s.invertUp = Invert(design::InvertUp(s.t), s.t.CrownUp, s.t.Diameter);
            s.invertDown = Invert(design::InvertDown(s.t), s.t.CrownDown, s.t.Diameter);
            spans_.push_back(std::move(s));
        }
    }

    Profile Build() {
        if (spans_.empty()) return p_;
        Datum();
        p_.originX = kMargin + kTitleColumn + 8;
        const double bandTop = DataBand();
        p_.baseY = bandTop + 10;
        Lines();
        Manholes();
        const double rulerTop = Ruler();
        const double labelsTop = ManholeLabels(rulerTop + 5);
        Titles(labelsTop + 4);
        PageSize();
        return std::move(p_);
    }

  private:
    size_t Stations() const { return spans_.size() + 1; }
    double StationX(size_t k) const {
        return p_.X(k < spans_.size() ? spans_[k].a0 : spans_.back().a1);
    }
    // The reach arriving at station k and the one leaving it (nullptr at the line's ends).
    const Span* In(size_t k) const { return k > 0 ? &spans_[k - 1] : nullptr; }
    const Span* Out(size_t k) const { return k < spans_.size() ? &spans_[k] : nullptr; }

    void Datum() {
        double low = spans_.front().t.GroundUp;
        for (const Span& s : spans_) {
            low = std::min({low, double(s.t.GroundUp), double(s.t.GroundDown)});
            if (s.known) low = std::min({low, s.invertUp, s.invertDown});
        }
        p_.datum = std::ceil(low) - 1;
    }

    // Values at the manholes: the arriving reach's downstream end and the leaving reach's
    // upstream end; one text when they read the same, else one on each side.
    void StationValues(std::vector<Text>& row, const std::function<bool(const Span&)>& has,
                       const std::function<double(const Span&)>& down,
                       const std::function<double(const Span&)>& up, int decimals) {
        for (size_t k = 0; k < Stations(); ++k) {
            const Span* in = In(k);
            const Span* out = Out(k);
            const std::string a = in && has(*in) ? Fixed(down(*in), decimals) : "";
            const std::string b = out && has(*out) ? Fixed(up(*out), decimals) : "";
            const double x = StationX(k);
            if (a.empty() || b.empty() || a == b) {
                if (!a.empty() || !b.empty())
                    row.push_back(Label(kBand, x, HAlign::Centre, kDataHeight, a.empty() ? b : a));
                continue;
            }
            row.push_back(Label(kBand, x - kGap / 2, HAlign::Right, kDataHeight, a));
            row.push_back(Label(kBand, x + kGap / 2, HAlign::Left, kDataHeight, b));
        }
    }

    void ReachValues(std::vector<Text>& row, const std::function<std::string(const Span&)>& v) {
        for (const Span& s : spans_)
            row.push_back(Label(kBand, p_.X((s.a0 + s.a1) / 2), HAlign::Centre, kDataHeight, v(s)));
    }

    // The rows from the bottom of the page up; returns the band's top.
    double DataBand() {
        auto all = [](const Span&) { return true; };
        auto known = [](const Span& s) { return s.known; };
        std::vector<std::pair<std::string, std::vector<Text>>> rows(11);
        rows[0].first = cp("Abscisa");
        for (size_t k = 0; k < Stations(); ++k) {
            const double a = k < spans_.size() ? spans_[k].a0 : spans_.back().a1;
            rows[0].second.push_back(
                Label(kBand, StationX(k), HAlign::Centre, kDataHeight, Fixed(a, 2)));
        }
        rows[1].first = cp("Terreno");
        StationValues(
            rows[1].second, all, [](const Span& s) { return s.t.GroundDown; },
            [](const Span& s) { return s.t.GroundUp; }, 2);
        rows[2].first = cp("Clave");
        StationValues(
            rows[2].second, known, [](const Span& s) { return s.t.CrownDown; },
            [](const Span& s) { return s.t.CrownUp; }, 2);
        rows[3].first = cp("Batea");
        StationValues(
            rows[3].second, known, [](const Span& s) { return s.invertDown; },
            [](const Span& s) { return s.invertUp; }, 2);
        rows[4].first = cp("Prof. clave");
        StationValues(
            rows[4].second, known, [](const Span& s) { return design::DepthDown(Mut(s)); },
            [](const Span& s) { return design::DepthUp(Mut(s)); }, 2);
        rows[5].first = cp("Longitud");
        ReachValues(rows[5].second, [](const Span& s) { return Fixed(s.t.Length, 2); });
        rows[6].first = cp("Pendiente %");
        ReachValues(rows[6].second, [](const Span& s) { return Fixed(s.t.Slope, 3); });
        rows[7].first = cp("Diametro mm");
        ReachValues(rows[7].second, [](const Span& s) { return Fixed(s.t.Diameter, 0); });
        rows[8].first = cp("Caudal l/s");
        ReachValues(rows[8].second,
                    [](const Span& s) { return Fixed(design::DesignFlow(Mut(s)), 2); });
        rows[9].first = cp("Velocidad m/s");
        ReachValues(rows[9].second,
                    [](const Span& s) { return Fixed(design::RealVelocity(Mut(s)), 2); });
        rows[10].first = cp("y/D");
        ReachValues(rows[10].second,
                    [](const Span& s) { return Fixed(design::RelativeDepth(Mut(s)), 2); });

        const double right = StationX(Stations() - 1) + 10;
        double y = kMargin;
        std::vector<DataRow> placed;
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            const double h = PlaceStrip(p_.drawing, std::move(it->second), y, kDataHeight);
            Text title = Label(kBand, kMargin + 1, HAlign::Left, kDataHeight, it->first);
            title.v = VAlign::Middle;
            title.at.y = y + h / 2;
            p_.drawing.AddText(std::move(title));
            p_.drawing.AddLine(kBand, {{kMargin, y}, {right, y}});
            placed.push_back({it->first, y, y + h});
            y += h;
        }
        p_.drawing.AddLine(kBand, {{kMargin, y}, {right, y}});
        p_.drawing.AddLine(kBand, {{kMargin, kMargin}, {kMargin, y}});
        p_.drawing.AddLine(kBand, {{kMargin + kTitleColumn, kMargin}, {kMargin + kTitleColumn, y}});
        for (size_t k = 0; k < Stations(); ++k)
            p_.drawing.AddLine(kBand, {{StationX(k), kMargin}, {StationX(k), y}});
        p_.rows.assign(placed.rbegin(), placed.rend());
        return y;
    }

    // The reach values are read through the design's own accessors, which take a record.
    static TramoT& Mut(const Span& s) { return const_cast<TramoT&>(s.t); }

    void Lines() {
        std::vector<Point> ground;
        auto add = [&](Point q) {
            if (ground.empty() || ground.back().x != q.x || ground.back().y != q.y)
                ground.push_back(q);
        };
        for (const Span& s : spans_) {
            add({p_.X(s.a0), p_.Y(s.t.GroundUp)});
            add({p_.X(s.a1), p_.Y(s.t.GroundDown)});
        }
        p_.drawing.AddLine(kGround, std::move(ground));
        for (size_t i = 0; i < spans_.size(); ++i) {
            const Span& s = spans_[i];
            if (!s.known) continue;
            const double x0 = p_.X(s.a0), x1 = p_.X(s.a1);
            p_.drawing.AddArea(kPipe, {{x0, p_.Y(s.t.CrownUp)},
                                       {x1, p_.Y(s.t.CrownDown)},
                                       {x1, p_.Y(s.invertDown)},
                                       {x0, p_.Y(s.invertUp)}});
            p_.drawing.AddLine(kCrown, {{x0, p_.Y(s.t.CrownUp)}, {x1, p_.Y(s.t.CrownDown)}});
            p_.drawing.AddLine(kInvert, {{x0, p_.Y(s.invertUp)}, {x1, p_.Y(s.invertDown)}});
            // A drop at the manhole: the step from the arriving reach's level to this one's.
            if (i == 0 || !spans_[i - 1].known) continue;
            const Span& in = spans_[i - 1];
            if (in.t.CrownDown != s.t.CrownUp)
                p_.drawing.AddLine(kCrown, {{x0, p_.Y(in.t.CrownDown)}, {x0, p_.Y(s.t.CrownUp)}});
            if (in.invertDown != s.invertUp)
                p_.drawing.AddLine(kInvert, {{x0, p_.Y(in.invertDown)}, {x0, p_.Y(s.invertUp)}});
        }
    }

    double GroundAt(size_t k) const {
        double g = -1e30;
        if (In(k)) g = std::max(g, double(In(k)->t.GroundDown));
        if (Out(k)) g = std::max(g, double(Out(k)->t.GroundUp));
        return g;
    }

    // Manholes from the ground to the lowest invert at them; drops marked at the manhole
    // the reach falls into, drop chambers along the reach.
    void Manholes() {
        for (size_t k = 0; k < Stations(); ++k) {
            double low = GroundAt(k);
            if (In(k) && In(k)->known) low = std::min(low, In(k)->invertDown);
            if (Out(k) && Out(k)->known) low = std::min(low, Out(k)->invertUp);
            const double x = StationX(k);
            p_.drawing.AddLine(kManholes, {{x, p_.Y(GroundAt(k))}, {x, p_.Y(low)}});
        }
        for (const Span& s : spans_) {
            const int kind = design::DropKind(Mut(s));
            if (!s.known) continue;
            if (kind == design::kDropInManhole || kind == design::kDropPipe)
                p_.drawing.AddCircle(kManholes, {p_.X(s.a1), p_.Y(s.t.CrownDown)}, 0.8, true);
            if (kind == design::kDropChambers)
                p_.drawing.AddCircle(kManholes, {p_.X((s.a0 + s.a1) / 2), p_.Y(s.t.CrownUp)}, 0.8,
                                     false);
        }
    }

    // Elevations up the left side, every round step that leaves room for its text.
    double Ruler() {
        double top = GroundAt(0);
        for (size_t k = 0; k < Stations(); ++k)
            top = std::max(top, GroundAt(k));
        const double topMetre = std::ceil(top);
        double step = 1;
        for (double s : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0}) {
            step = s;
            if (s * 1000.0 / p_.scales.vertical >= kDataHeight + 2 * kGap) break;
        }
        const double x = p_.originX - 3;
        p_.drawing.AddLine(kTexts, {{x, p_.baseY}, {x, p_.Y(topMetre)}});
        for (double e = p_.datum; e <= topMetre + 1e-9; e += step) {
            p_.drawing.AddLine(kTexts, {{x - 1, p_.Y(e)}, {x, p_.Y(e)}});
            Text t = Label(kTexts, x - 2, HAlign::Right, kDataHeight, Fixed(e, 2));
            t.v = VAlign::Middle;
            t.at.y = p_.Y(e);
            p_.drawing.AddText(std::move(t));
        }
        return p_.Y(topMetre) + kDataHeight / 2;
    }

    // Manhole names with the crown depth of the pipe leaving them (of the arriving pipe at
    // the last one), and the drops, staggered above the profile; returns the strip's top.
    double ManholeLabels(double y) {
        std::vector<Text> labels;
        for (size_t k = 0; k < Stations(); ++k) {
            const Span* s = Out(k) ? Out(k) : In(k);
            const bool leaving = Out(k) != nullptr;
            std::string text = leaving ? s->t.Upstream : s->t.Downstream;
            if (s->known)
                text += "  " +
                        Fixed(leaving ? design::DepthUp(Mut(*s)) : design::DepthDown(Mut(*s)), 2);
            labels.push_back(Label(kTexts, StationX(k), HAlign::Centre, kLabelHeight, text));
            p_.drawing.AddLine(kManholes, {{StationX(k), p_.Y(GroundAt(k))}, {StationX(k), y}});
        }
        for (const Span& s : spans_) {
            const int kind = design::DropKind(Mut(s));
            if (!s.known || kind == design::kDropNone) continue;
            std::string text;
            double x = p_.X(s.a1);
            if (kind == design::kDropInManhole) {
                text = cp("Caída en pozo");
            } else if (kind == design::kDropPipe) {
                text = cp("Bajante ") + Fixed(design::DropHeight(Mut(s)), 2) + " m D" +
                       Fixed(design::DropPipeDiameter(Mut(s)), 0);
            } else if (kind == design::kDropChambers) {
                const int n = static_cast<int>(design::DropChambers(Mut(s)));
                text =
                    std::to_string(n) + (n == 1 ? cp(" cámara de caída") : cp(" cámaras de caída"));
                x = p_.X((s.a0 + s.a1) / 2);
            } else {
                continue;
            }
            labels.push_back(Label(kTexts, x, HAlign::Centre, kLabelHeight, text));
        }
        return y + PlaceStrip(p_.drawing, std::move(labels), y, kLabelHeight);
    }

    void Titles(double y) {
        const Span& first = spans_.front();
        const Span& last = spans_.back();
        Text scale = Label(kTitle, kMargin, HAlign::Left, kLabelHeight,
                           cp("Escalas: H 1:") + std::to_string(p_.scales.horizontal) +
                               "  V 1:" + std::to_string(p_.scales.vertical) +
                               cp("   Plano de referencia ") + Fixed(p_.datum, 2));
        scale.at.y = y;
        Text title = Label(kTitle, kMargin, HAlign::Left, kTitleHeight,
                           cp("PERFIL LONGITUDINAL  POZO ") + first.t.Upstream + cp(" A POZO ") +
                               last.t.Downstream);
        title.at.y = y + kLabelHeight + 2 * kGap;
        p_.drawing.AddText(std::move(scale));
        p_.drawing.AddText(std::move(title));
    }

    void PageSize() {
        double right = 0, top = 0;
        auto take = [&](Point q) {
            right = std::max(right, q.x);
            top = std::max(top, q.y);
        };
        for (const Polyline& l : p_.drawing.lines)
            for (Point q : l.points)
                take(q);
        for (const Text& t : p_.drawing.texts) {
            const Box b = TextBox(t);
            take({b.x1, b.y1});
        }
        p_.drawing.width = right + kMargin;
        p_.drawing.height = top + kMargin;
    }

    Profile p_;
    std::vector<Span> spans_;
};

}  // namespace

Profile BuildProfile(const std::vector<TramoT>& reaches, const ProfileLine& line,
                     ProfileScales scales) {
    if (scales.horizontal <= 0) scales.horizontal = ProfileScales{}.horizontal;
    if (scales.vertical <= 0) scales.vertical = ProfileScales{}.vertical;
    return Builder(reaches, line, scales).Build();
}

}  // namespace nivex::drawings
