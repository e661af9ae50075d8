#pragma once
// The codes that are not text, drawn into their cell: the DOS box-drawing set with its
// single and double lines, blocks and shades, and a few small signs.

#include <QColor>
#include <QRect>
#include <cstdint>

#include "console/box_arms.h"

class QPainter;

namespace nivex::qt {

using Arms = BoxArms;
inline Arms armsOf(uint8_t code) {
    return boxArmsOf(code);
}
Arms frameArmsOf(uint8_t code);

// Codes whose runs are painted as one stroke: the single and double horizontal lines and
// the full block.
bool joinsIntoStroke(uint8_t code);

// Shade codes 176..178 as the fill pattern of their run.
Qt::BrushStyle shadePattern(uint8_t code);

class LineGlyphs {
  public:
    // Cell size in pixels; the row height includes the line gap, so vertical lines join.
    void setCellSize(int width, int rowHeight);

    // One glyph in one cell; codes without a drawing leave the cell as it is.
    void draw(QPainter& p, uint8_t code, int x, int y, const QColor& fg) const;
    // A run of `count` equal cells of a joining code, as one stroke.
    void drawStroke(QPainter& p, uint8_t code, int x, int y, int count, const QColor& fg) const;

    int thickness() const { return t_; }
    int railOffset() const { return d_; }

  private:
    void drawArms(QPainter& p, Arms a, int x, int y, const QColor& fg) const;
    void drawSign(QPainter& p, uint8_t code, int x, int y, const QColor& fg) const;
    void hseg(QPainter& p, const QRect& cell, int x0, int x1, int y, const QColor& c) const;
    void vseg(QPainter& p, const QRect& cell, int y0, int y1, int x, const QColor& c) const;

    int w_ = 8, h_ = 16;
    int t_ = 1;  // line thickness
    int d_ = 2;  // distance of a double line's rails from the centre
};

}  // namespace nivex::qt
