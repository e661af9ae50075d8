#include "drawings/drawing.h"

#include <algorithm>
#include <utility>

namespace nivex::drawings {

bool Overlap(const Box& a, const Box& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

Box TextBox(const Text& t) {
    const double length = kCharWidth * t.height * static_cast<double>(t.text.size());
    // The box in the text's own frame, relative to the anchor.
    double l0 = 0, r0 = 0;
    switch (t.h) {
        case HAlign::Left:
            l0 = 0;
            break;
        case HAlign::Centre:
            l0 = -length / 2;
            break;
        case HAlign::Right:
            l0 = -length;
            break;
    }
    r0 = l0 + length;
    double b0 = 0;
    switch (t.v) {
        case VAlign::Bottom:
            b0 = 0;
            break;
        case VAlign::Middle:
            b0 = -t.height / 2;
            break;
        case VAlign::Top:
            b0 = -t.height;
            break;
    }
    const double t0 = b0 + t.height;
    if (t.rotation == 90)  // the text's x runs up the page, its y to the left
        return {t.at.x - t0, t.at.y + l0, t.at.x - b0, t.at.y + r0};
    return {t.at.x + l0, t.at.y + b0, t.at.x + r0, t.at.y + t0};
}

void Drawing::Use(const std::string& layer) {
    if (std::find(layers.begin(), layers.end(), layer) == layers.end()) layers.push_back(layer);
}

void Drawing::AddLine(const std::string& layer, std::vector<Point> points) {
    Use(layer);
    lines.push_back({layer, std::move(points)});
}

void Drawing::AddArea(const std::string& layer, std::vector<Point> points) {
    Use(layer);
    areas.push_back({layer, std::move(points)});
}

void Drawing::AddRectangle(const std::string& layer, const Box& b) {
    AddArea(layer, {{b.x0, b.y0}, {b.x1, b.y0}, {b.x1, b.y1}, {b.x0, b.y1}});
}

void Drawing::AddCircle(const std::string& layer, Point centre, double radius, bool filled) {
    Use(layer);
    circles.push_back({layer, centre, radius, filled});
}

void Drawing::AddText(Text text) {
    Use(text.layer);
    texts.push_back(std::move(text));
}

void Drawing::Append(const Drawing& other, Point offset) {
    auto moved = [&](std::vector<Point> points) {
        for (Point& q : points) {
            q.x += offset.x;
            q.y += offset.y;
        }
        return points;
    };
    for (const Polyline& l : other.lines)
        AddLine(l.layer, moved(l.points));
    for (const Area& a : other.areas)
        AddArea(a.layer, moved(a.points));
    for (const Circle& c : other.circles)
        AddCircle(c.layer, {c.centre.x + offset.x, c.centre.y + offset.y}, c.radius, c.filled);
    for (Text t : other.texts) {
        t.at.x += offset.x;
        t.at.y += offset.y;
        AddText(std::move(t));
    }
}

}  // namespace nivex::drawings
