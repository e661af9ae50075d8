#pragma once
// Paints the console's cells: a row is scanned left to right and every run of equal cells
// (same glyph class, colours, style and effects) gets one fill and one text or line
// operation; field frames and the active field's white ground come from the effects.

#include <QFont>
#include <QRect>

#include "console/console.h"
#include "qt/line_glyphs.h"

class QPainter;

namespace nivex::qt {

struct CellMetrics {
    int width = 8;    // of a blank in the console face
    int height = 16;  // of a line of the console face
    int gap = console::Console::kLineGap;
    int ascent = 12;
    int rowHeight() const { return height + gap; }
};

class CellPainter {
  public:
    explicit CellPainter(const QFont& face);
    void setFace(const QFont& face);  // re-measures the cell
    const QFont& face() const { return normal_; }
    const CellMetrics& metrics() const { return m_; }

    // Pixels of a 1-based cell, and of a rectangle of cells.
    QRect cellRect(int column, int row) const;
    QRect areaRect(const console::Rect& cells) const;
    // The pixels a change of these cells repaints: a field's frame stands a little outside
    // its cells.
    QRect dirtyRect(const console::Rect& cells) const;

    // How far a field's frame stands outside its first and last cell, so that a value
    // that fills the field keeps clear of the frame.
    static constexpr int kFramePad = 3;

    // Paints the cells of `area` (1-based, inclusive). Returns the runs painted.
    int paint(QPainter& p, const console::Console& console, const console::Rect& area) const;

  private:
    struct Run {
        int row, first, count;
        const console::Cell* cell;
    };
    void paintRun(QPainter& p, const console::Console& console, const Run& run) const;
    void paintFrame(QPainter& p, const console::Console& console, const Run& run) const;

    QFont normal_, bold_;
    CellMetrics m_;
    LineGlyphs lines_;
};

}  // namespace nivex::qt
