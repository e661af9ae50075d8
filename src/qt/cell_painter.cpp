#include "qt/cell_painter.h"

#include <QFontMetricsF>

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "console/codepage.h"

namespace nivex::qt {
namespace {

using console::Cell;
using console::GlyphClass;
using console::glyphClassOf;

constexpr QRgb kFrameDark = 0x404040;
constexpr QRgb kFrameShadow = 0x808080;
constexpr QRgb kFrameLight = 0xFFFFFF;
constexpr QRgb kActiveFrame = 0x000080;

// 224..239 keep the DOS code page's signs, written in the cell.
constexpr std::array<char16_t, 16> kDosSigns = {u'α', u'ß', u'Γ', u'π', u'Σ', u'σ', u'µ', u'τ',
                                                u'Φ', u'Θ', u'Ω', u'δ', u'∞', u'φ', u'ε', u'∩'};

bool sameRun(const Cell& a, const Cell& b) {
    return glyphClassOf(a.ch) == glyphClassOf(b.ch) && a.fg == b.fg && a.bg == b.bg &&
           a.style == b.style && a.effects == b.effects;
}

QColor colour(console::Rgb rgb) {
    return QColor(QRgb(0xFF000000u | rgb));
}

bool isLight(console::Rgb rgb) {
    return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF) > 3 * 0xC8;
}

// Perceived brightness, 0 to 255.
int luma(QRgb rgb) {
    return (2126 * qRed(rgb) + 7152 * qGreen(rgb) + 722 * qBlue(rgb)) / 10000;
}

// A frame line or edge that hardly differs from the ground it is drawn on (the white top
// and left edges of a raised window on the pale grounds) is drawn in grey instead.
constexpr int kLeastEdgeContrast = 48;
QRgb visibleOn(QRgb line, QRgb ground) {
    if (std::abs(luma(line) - luma(ground)) >= kLeastEdgeContrast) return line;
    return luma(ground) >= 128 ? kFrameShadow : 0xC0C0C0;
}

bool framed(uint16_t effects) {
    using namespace console;
    return effects & (kInactiveLeft | kInactiveInside | kInactiveRight | kActiveLeft |
                      kActiveInside | kActiveRight);
}

}  // namespace

CellPainter::CellPainter(const QFont& face) {
    setFace(face);
}

void CellPainter::setFace(const QFont& face) {
    normal_ = face;
    normal_.setBold(false);
    bold_ = face;
    bold_.setBold(true);
    // The cell is measured in the bold face, the face of the console.
    QFontMetrics fm(bold_);
    m_.width = std::max(1, fm.horizontalAdvance(QLatin1Char(' ')));
    m_.height = std::max(1, fm.height());
    m_.ascent = fm.ascent();
    // A run of text is drawn in one call: every glyph must advance exactly one cell, or a
    // long prompt drifts over the field after it.
    for (QFont* font : {&normal_, &bold_}) {
        font->setLetterSpacing(QFont::AbsoluteSpacing, 0);
        const qreal advance = QFontMetricsF(*font).horizontalAdvance(QLatin1Char(' '));
        font->setLetterSpacing(QFont::AbsoluteSpacing, m_.width - advance);
    }
    lines_.setCellSize(m_.width, m_.rowHeight());
}

QRect CellPainter::cellRect(int column, int row) const {
    return {(column - 1) * m_.width, (row - 1) * m_.rowHeight(), m_.width, m_.rowHeight()};
}

QRect CellPainter::areaRect(const console::Rect& r) const {
    return cellRect(r.left, r.top).united(cellRect(r.right, r.bottom));
}

QRect CellPainter::dirtyRect(const console::Rect& r) const {
    return areaRect(r).adjusted(-kFramePad, 0, kFramePad, 0);
}

int CellPainter::paint(QPainter& p, const console::Console& console,
                       const console::Rect& area) const {
    // One cell more on each side: the frames of the fields beside the area reach into it.
    const int left = std::max(1, area.left - 1);
    const int right = std::min(console.columns(), area.right + 1);
    const int top = std::max(1, area.top), bottom = std::min(console.rows(), area.bottom);
    int runs = 0;
    std::vector<Run> row;
    for (int y = top; y <= bottom; ++y) {
        row.clear();
        int c = left;
        while (c <= right) {
            const Cell& first = console.cell(c, y);
            int end = c + 1;
            while (end <= right && sameRun(first, console.cell(end, y)))
                ++end;
            row.push_back({y, c, end - c, &first});
            c = end;
        }
        // Grounds and glyphs first, then the frames over them.
        for (const Run& run : row)
            paintRun(p, console, run);
        for (const Run& run : row)
            if (run.cell->effects) paintFrame(p, console, run);
        runs += static_cast<int>(row.size());
    }
    return runs;
}

void CellPainter::paintRun(QPainter& p, const console::Console& console, const Run& run) const {
    const Cell& cell = *run.cell;
    const QRect r(cellRect(run.first, run.row).topLeft(),
                  QSize(run.count * m_.width, m_.rowHeight()));
    const bool activeInside =
        cell.effects & (console::kActiveInside | console::kActiveLeft | console::kActiveRight);
    p.fillRect(r, activeInside ? QColor(Qt::white) : colour(cell.bg));
    // Light text would vanish on the active field's white.
    const QColor fg = activeInside && isLight(cell.fg) ? QColor(Qt::black) : colour(cell.fg);

    switch (glyphClassOf(cell.ch)) {
        case GlyphClass::Text: {
            std::string bytes;
            bytes.reserve(static_cast<size_t>(run.count));
            for (int i = 0; i < run.count; ++i)
                bytes += static_cast<char>(console.cell(run.first + i, run.row).ch);
            // Blank runs are the common case: the fill was all they needed.
            if (bytes.find_first_not_of(' ') != std::string::npos) {
                p.setFont(cell.style & 1 ? bold_ : normal_);
                p.setPen(fg);
                p.drawText(QPoint(r.left(), r.top() + 1 + m_.ascent),
                           QString::fromStdString(toUtf8(bytes)));
            }
            break;
        }
        case GlyphClass::Shade:
        case GlyphClass::Line: {
            const QColor line = glyphClassOf(cell.ch) == GlyphClass::Line
                                    ? QColor(visibleOn(fg.rgb(), colour(cell.bg).rgb()))
                                    : fg;
            int i = 0;
            while (i < run.count) {
                const uint8_t ch = console.cell(run.first + i, run.row).ch;
                int same = 1;
                while (i + same < run.count && console.cell(run.first + i + same, run.row).ch == ch)
                    ++same;
                const int x = r.left() + i * m_.width;
                if (auto pattern = shadePattern(ch); pattern != Qt::NoBrush) {
                    p.fillRect(QRect(x, r.top(), same * m_.width, r.height()), QBrush(fg, pattern));
                } else if (joinsIntoStroke(ch)) {
                    lines_.drawStroke(p, ch, x, r.top(), same, line);
                } else if (ch >= 224 && ch <= 239) {
                    p.setFont(cell.style & 1 ? bold_ : normal_);
                    p.setPen(fg);
                    for (int k = 0; k < same; ++k)
                        p.drawText(QRect(x + k * m_.width, r.top(), m_.width, r.height()),
                                   Qt::AlignCenter, QString(QChar(kDosSigns[ch - 224])));
                } else {
                    for (int k = 0; k < same; ++k)
                        lines_.draw(p, ch, x + k * m_.width, r.top(), line);
                }
                i += same;
            }
            break;
        }
    }
}

// Frames stay inside the text line: the line gap below a field keeps the ground colour.
// A field's frame stands kFramePad pixels outside its first and last cell when the cell
// beside it has room for it, so that the value's first and last digits keep clear of it.
void CellPainter::paintFrame(QPainter& p, const console::Console& console, const Run& run) const {
    using namespace console;
    const uint16_t e = run.cell->effects;
    const QRgb ground = colour(run.cell->bg).rgb();
    const int last = run.first + run.count - 1;
    auto roomBeside = [&](int column) {
        if (column < 1 || column > console.columns()) return false;
        const Cell& beside = console.cell(column, run.row);
        // A blank, or a colon whose dots stand in the middle of their cell.
        return (beside.ch == ' ' || beside.ch == ':') && !beside.effects;
    };
    int l = cellRect(run.first, run.row).left();
    int rt = cellRect(last, run.row).right();
    const int t = cellRect(run.first, run.row).top(), b = t + m_.height;
    if (framed(e)) {
        if ((e & kLeftEdges) && roomBeside(run.first - 1)) l -= kFramePad;
        if ((e & kRightEdges) && roomBeside(last + 1)) rt += kFramePad;
    }
    auto h = [&](int x0, int x1, int y, QRgb c) { p.fillRect(x0, y, x1 - x0 + 1, 1, QColor(c)); };
    auto v = [&](int x, int y0, int y1, QRgb c) { p.fillRect(x, y0, 1, y1 - y0 + 1, QColor(c)); };

    if (e & (kActiveLeft | kActiveInside | kActiveRight)) {
        // The white of the field reaches its frame.
        const int first = cellRect(run.first, run.row).left();
        const int end = cellRect(last, run.row).right();
        if (l < first) p.fillRect(QRect(l, t, first - l, b - t + 1), Qt::white);
        if (rt > end) p.fillRect(QRect(end + 1, t, rt - end, b - t + 1), Qt::white);
        h(l, rt, t, kActiveFrame);
        h(l, rt, b, kActiveFrame);
        h(l, rt, t + 1, kActiveFrame);
        if (e & kActiveLeft) {
            v(l, t, b, kActiveFrame);
            v(l + 1, t, b, kActiveFrame);
        }
        if (e & kActiveRight) {
            v(rt, t, b, kActiveFrame);
            v(rt - 1, t, b, kActiveFrame);
        }
    } else if (e & (kInactiveLeft | kInactiveInside | kInactiveRight)) {
        // Sunken.
        const QRgb top = e & kReadOnly ? kFrameShadow : kFrameDark;
        const QRgb light = visibleOn(kFrameLight, ground);
        h(l, rt, t, top);
        h(l, rt, b, light);
        if (e & kInactiveLeft) v(l, t, b, top);
        if (e & kInactiveRight) v(rt, t, b, light);
    }
    if (e & (kButtonFirst | kButtonMiddle | kButtonLast)) {
        // Raised.
        const QRgb light = visibleOn(kFrameLight, ground);
        h(l, rt, t, light);
        h(l, rt, b, kFrameDark);
        if (e & kButtonFirst) v(l, t, b, light);
        if (e & kButtonLast) v(rt, t, b, kFrameDark);
    }
    if (e & kReadOnly) {
        for (int x = l + 1; x < rt; x += 2)
            p.fillRect(x, b - 1, 1, 1, QColor(kFrameShadow));
    }
}

}  // namespace nivex::qt
