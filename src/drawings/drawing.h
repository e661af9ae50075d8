#pragma once
// A drawing as plain geometry in paper millimetres (x to the right, y up, origin at the
// lower left corner of the page): polylines, filled areas, circles and text boxes, each on
// a named layer. Writers paint it; tests read it back. Nothing here knows a file format.

#include <string>
#include <vector>

namespace nivex::drawings {

struct Point {
    double x = 0, y = 0;
};

// An axis-aligned box on the paper.
struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// True when the two boxes share more than a touching edge.
bool Overlap(const Box& a, const Box& b);

enum class HAlign { Left, Centre, Right };
enum class VAlign { Bottom, Middle, Top };

// Every character of a text takes this fraction of the text height across: the texts are
// written in a monospace font, so a box can be known without the font.
constexpr double kCharWidth = 0.6;

struct Text {
    std::string layer;
    Point at;  // the anchor point
    double height = 2.0;
    HAlign h = HAlign::Left;
    VAlign v = VAlign::Bottom;
    int rotation = 0;  // 0, or 90 (reading upwards)
    std::string text;  // code-page bytes
};

// The box a text covers, from its length, height, anchor and rotation.
Box TextBox(const Text& t);

struct Polyline {
    std::string layer;
    std::vector<Point> points;
};

// A closed filled area (a band, a rectangle).
struct Area {
    std::string layer;
    std::vector<Point> points;
};

struct Circle {
    std::string layer;
    Point centre;
    double radius = 1.0;
    bool filled = false;
};

struct Drawing {
    double width = 0, height = 0;     // page size (mm)
    std::vector<std::string> layers;  // in the order they were first used
    std::vector<Polyline> lines;
    std::vector<Area> areas;
    std::vector<Circle> circles;
    std::vector<Text> texts;

    void AddLine(const std::string& layer, std::vector<Point> points);
    void AddArea(const std::string& layer, std::vector<Point> points);
    void AddRectangle(const std::string& layer, const Box& box);
    void AddCircle(const std::string& layer, Point centre, double radius, bool filled);
    void AddText(Text text);
    // Everything of `other`, moved by `offset`, on the same layers.
    void Append(const Drawing& other, Point offset);

  private:
    void Use(const std::string& layer);
};

}  // namespace nivex::drawings
