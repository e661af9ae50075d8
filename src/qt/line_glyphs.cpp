#include "qt/line_glyphs.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace nivex::qt {
namespace {

enum class Dir { Left, Right, Up, Down };

}  // namespace

// The pieces of a text window's raised frame, drawn as single lines so that they join:
// corners 134..137, sides 138 and 139, top edge 140 and bottom edge 145.
Arms frameArmsOf(uint8_t code) {
    switch (code) {
        case 134:
            return {0, 1, 0, 1};
        case 135:
            return {0, 1, 1, 0};
        case 136:
            return {1, 0, 0, 1};
        case 137:
            return {1, 0, 1, 0};
        case 138:
        case 139:
            return {1, 1, 0, 0};
        case 140:
        case 145:
            return {0, 0, 1, 1};
        default:
            return {};
    }
}

bool joinsIntoStroke(uint8_t code) {
    return code == 196 || code == 205 || code == 219;
}

Qt::BrushStyle shadePattern(uint8_t code) {
    switch (code) {
        case 176:
            return Qt::Dense6Pattern;
        case 177:
            return Qt::Dense4Pattern;
        case 178:
            return Qt::Dense2Pattern;
        default:
            return Qt::NoBrush;
    }
}

void LineGlyphs::setCellSize(int width, int rowHeight) {
    w_ = std::max(1, width);
    h_ = std::max(1, rowHeight);
    t_ = std::max(1, w_ / 8);
    d_ = std::max(t_ + 1, w_ / 5);
}

// Segments run between two coordinates of line centres; the thickness spreads around them,
// clipped to the cell so that nothing spills into a neighbour.
void LineGlyphs::hseg(QPainter& p, const QRect& cell, int x0, int x1, int y,
                      const QColor& c) const {
    QRect r(QPoint(std::min(x0, x1) - t_ / 2, y - t_ / 2),
            QPoint(std::max(x0, x1) - t_ / 2 + t_ - 1, y - t_ / 2 + t_ - 1));
    p.fillRect(r & cell, c);
}

void LineGlyphs::vseg(QPainter& p, const QRect& cell, int y0, int y1, int x,
                      const QColor& c) const {
    QRect r(QPoint(x - t_ / 2, std::min(y0, y1) - t_ / 2),
            QPoint(x - t_ / 2 + t_ - 1, std::max(y0, y1) - t_ / 2 + t_ - 1));
    p.fillRect(r & cell, c);
}

// Each arm runs from the cell's edge to the centre. A single arm meeting a double line at a
// corner reaches its far rail, at a tee its near rail; the rails of a double arm turn into
// the rails of the arm they meet, so corners close and crossings leave their gaps.
void LineGlyphs::drawArms(QPainter& p, Arms a, int x, int y, const QColor& fg) const {
    const QRect cell(x, y, w_, h_);
    const int cx = x + w_ / 2, cy = y + h_ / 2;
    const int right = x + w_ - 1, bottom = y + h_ - 1;
    const int d = d_;
    const bool vDouble = a.up == 2 || a.down == 2;
    const bool hDouble = a.left == 2 || a.right == 2;

    auto singleEnd = [&](bool perpDouble, bool both, int centre, int nearSign) {
        if (!perpDouble) return centre;
        return both ? centre + nearSign * d : centre - nearSign * d;
    };
    auto railEnd = [&](uint8_t same, uint8_t other, int centre, int sameSign) {
        // same: the perpendicular arm on this rail's side; other: the opposite one.
        if (same) return same == 2 ? centre + sameSign * d : centre;
        if (other) return other == 2 ? centre - sameSign * d : centre;
        return centre;
    };

    if (a.left == 1) hseg(p, cell, x, singleEnd(vDouble, a.up && a.down, cx, -1), cy, fg);
    if (a.left == 2) {
        hseg(p, cell, x, railEnd(a.up, a.down, cx, -1), cy - d, fg);
        hseg(p, cell, x, railEnd(a.down, a.up, cx, -1), cy + d, fg);
    }
    if (a.right == 1) hseg(p, cell, right, singleEnd(vDouble, a.up && a.down, cx, 1), cy, fg);
    if (a.right == 2) {
        hseg(p, cell, right, railEnd(a.up, a.down, cx, 1), cy - d, fg);
        hseg(p, cell, right, railEnd(a.down, a.up, cx, 1), cy + d, fg);
    }
    if (a.up == 1) vseg(p, cell, y, singleEnd(hDouble, a.left && a.right, cy, -1), cx, fg);
    if (a.up == 2) {
        vseg(p, cell, y, railEnd(a.left, a.right, cy, -1), cx - d, fg);
        vseg(p, cell, y, railEnd(a.right, a.left, cy, -1), cx + d, fg);
    }
    if (a.down == 1) vseg(p, cell, bottom, singleEnd(hDouble, a.left && a.right, cy, 1), cx, fg);
    if (a.down == 2) {
        vseg(p, cell, bottom, railEnd(a.left, a.right, cy, 1), cx - d, fg);
        vseg(p, cell, bottom, railEnd(a.right, a.left, cy, 1), cx + d, fg);
    }
}

// 128 is an underline; the other small signs are arrows, turning left, right, up, down.
void LineGlyphs::drawSign(QPainter& p, uint8_t code, int x, int y, const QColor& fg) const {
    const QRect cell(x, y, w_, h_);
    if (code == 128) {
        hseg(p, cell, x, x + w_ - 1, y + h_ - 3 - t_, fg);
        return;
    }
    const int cx = x + w_ / 2, cy = y + h_ / 2;
    const int half = std::max(2, w_ / 3);
    const auto dir = static_cast<Dir>((code - 130) % 4);
    QPolygon head;
    switch (dir) {
        case Dir::Left:
            hseg(p, cell, x + 1, x + w_ - 2, cy, fg);
            head << QPoint(x + 1, cy) << QPoint(x + 1 + half, cy - half)
                 << QPoint(x + 1 + half, cy + half);
            break;
        case Dir::Right:
            hseg(p, cell, x + 1, x + w_ - 2, cy, fg);
            head << QPoint(x + w_ - 2, cy) << QPoint(x + w_ - 2 - half, cy - half)
                 << QPoint(x + w_ - 2 - half, cy + half);
            break;
        case Dir::Up:
            vseg(p, cell, y + 2, y + h_ - 3, cx, fg);
            head << QPoint(cx, y + 2) << QPoint(cx - half, y + 2 + half)
                 << QPoint(cx + half, y + 2 + half);
            break;
        case Dir::Down:
            vseg(p, cell, y + 2, y + h_ - 3, cx, fg);
            head << QPoint(cx, y + h_ - 3) << QPoint(cx - half, y + h_ - 3 - half)
                 << QPoint(cx + half, y + h_ - 3 - half);
            break;
    }
    p.save();
    p.setClipRect(cell);
    p.setPen(Qt::NoPen);
    p.setBrush(fg);
    p.drawPolygon(head);
    p.restore();
}

void LineGlyphs::draw(QPainter& p, uint8_t code, int x, int y, const QColor& fg) const {
    if (Arms a = armsOf(code); a.any()) {
        drawArms(p, a, x, y, fg);
        return;
    }
    switch (code) {
        case 219:
            p.fillRect(x, y, w_, h_, fg);
            return;
        case 220:
            p.fillRect(x, y + h_ / 2, w_, h_ - h_ / 2, fg);
            return;
        case 221:
            p.fillRect(x, y, w_ / 2, h_, fg);
            return;
        case 222:
            p.fillRect(x + w_ / 2, y, w_ - w_ / 2, h_, fg);
            return;
        case 223:
            p.fillRect(x, y, w_, h_ / 2, fg);
            return;
        default:
            break;
    }
    if (code >= 176 && code <= 178) {
        p.fillRect(x, y, w_, h_, QBrush(fg, shadePattern(code)));
        return;
    }
    if (Arms a = frameArmsOf(code); a.any()) {
        drawArms(p, a, x, y, fg);
        return;
    }
    if (code == 128 || (code >= 130 && code <= 133) || code == 142 || (code >= 146 && code <= 149))
        drawSign(p, code, x, y, fg);
}

void LineGlyphs::drawStroke(QPainter& p, uint8_t code, int x, int y, int count,
                            const QColor& fg) const {
    const QRect run(x, y, w_ * count, h_);
    const int cy = y + h_ / 2;
    if (code == 219) {
        p.fillRect(run, fg);
    } else if (code == 196) {
        hseg(p, run, x, run.right(), cy, fg);
    } else if (code == 205) {
        hseg(p, run, x, run.right(), cy - d_, fg);
        hseg(p, run, x, run.right(), cy + d_, fg);
    }
}

}  // namespace nivex::qt
