#include "qt/cell_painter.h"

#include <QFontMetricsF>

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>

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

int CellPainter::paint(QPainter& p, const console::Console& console,
                       const console::Rect& area) const {
    const int left = std::max(1, area.left), right = std::min(console.columns(), area.right);
    const int top = std::max(1, area.top), bottom = std::min(console.rows(), area.bottom);
    int runs = 0;
    for (int row = top; row <= bottom; ++row) {
        int c = left;
        while (c <= right) {
            const Cell& first = console.cell(c, row);
            int end = c + 1;
            while (end <= right && sameRun(first, console.cell(end, row)))
                ++end;
            paintRun(p, console, {row, c, end - c, &first});
            ++runs;
            c = end;
        }
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
                    lines_.drawStroke(p, ch, x, r.top(), same, fg);
                } else if (ch >= 224 && ch <= 239) {
                    p.setFont(cell.style & 1 ? bold_ : normal_);
                    p.setPen(fg);
                    for (int k = 0; k < same; ++k)
                        p.drawText(QRect(x + k * m_.width, r.top(), m_.width, r.height()),
                                   Qt::AlignCenter, QString(QChar(kDosSigns[ch - 224])));
                } else {
                    for (int k = 0; k < same; ++k)
                        lines_.draw(p, ch, x + k * m_.width, r.top(), fg);
                }
                i += same;
            }
            break;
        }
    }
    if (cell.effects) paintFrame(p, cell.effects, r);
}

// Frames stay inside the text line: the line gap below a field keeps the ground colour.
void CellPainter::paintFrame(QPainter& p, uint16_t e, const QRect& run) const {
    const QRect r(run.left(), run.top(), run.width(), m_.height + 1);
    const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    auto h = [&](int x0, int x1, int y, QRgb c) { p.fillRect(x0, y, x1 - x0 + 1, 1, QColor(c)); };
    auto v = [&](int x, int y0, int y1, QRgb c) { p.fillRect(x, y0, 1, y1 - y0 + 1, QColor(c)); };

    using namespace console;
    if (e & (kActiveLeft | kActiveInside | kActiveRight)) {
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
        h(l, rt, t, top);
        h(l, rt, b, kFrameLight);
        if (e & kInactiveLeft) v(l, t, b, top);
        if (e & kInactiveRight) v(rt, t, b, kFrameLight);
    }
    if (e & (kButtonFirst | kButtonMiddle | kButtonLast)) {
        // Raised.
        h(l, rt, t, kFrameLight);
        h(l, rt, b, kFrameDark);
        if (e & kButtonFirst) v(l, t, b, kFrameLight);
        if (e & kButtonLast) v(rt, t, b, kFrameDark);
    }
    if (e & kReadOnly) {
        for (int x = l + 1; x < rt; x += 2)
            p.fillRect(x, b - 1, 1, 1, QColor(kFrameShadow));
    }
}

}  // namespace nivex::qt
