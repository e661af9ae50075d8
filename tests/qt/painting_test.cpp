// What the console component paints: grounds, text, line graphics, shades, field frames
// and the caret.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <vector>

#include "console/codepage.h"
#include "qt/cell_painter.h"
#include "qt/console_font.h"
#include "qt/line_glyphs.h"
#include "qt_rig.h"

namespace nivex::testing {
namespace {

constexpr QRgb kInk = 0xFF000000;     // black
constexpr QRgb kGround = 0xFFC0C0C0;  // silver

struct PaintRig {
    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    qt::CellPainter painter{qt::consoleFace(12)};
    QImage image;
    int runs = 0;

    PaintRig() {
        console.setForeground(0x000000);
        console.setBackground(0xC0C0C0);
    }
    void put(int column, int row, const std::string& bytes) {
        console.gotoXY(column, row);
        console.writeText(bytes);
    }
    void paint() {
        const auto& m = painter.metrics();
        image = QImage(console.columns() * m.width, console.rows() * m.rowHeight(),
                       QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter p(&image);
        runs = painter.paint(p, console, {1, 1, console.columns(), console.rows()});
    }
    QRect cell(int column, int row) const { return painter.cellRect(column, row); }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
    int count(const QRect& r, QRgb colour) const {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += image.pixel(x, y) == colour;
        return n;
    }
    int cx(int column) const { return cell(column, 1).left() + painter.metrics().width / 2; }
    int cy(int row) const { return cell(1, row).top() + painter.metrics().rowHeight() / 2; }
    int d() const {
        qt::LineGlyphs g;
        g.setCellSize(painter.metrics().width, painter.metrics().rowHeight());
        return g.railOffset();
    }
};

TEST(ConsolePainting, EveryPixelOfTheGridIsPaintedInRuns) {
    PaintRig rig;
    rig.paint();
    EXPECT_EQ(rig.count(rig.image.rect(), 0xFFFF00FF), 0);
    EXPECT_EQ(rig.runs, rig.console.rows());  // a blank row is one run
    EXPECT_EQ(rig.at(5, 5), kGround);

    rig.console.setBackground(0x000080);
    rig.put(10, 3, "ABC");
    rig.paint();
    EXPECT_EQ(rig.runs, rig.console.rows() + 2);  // the row splits around the new run
    EXPECT_EQ(rig.at(rig.cell(11, 3).left() + 1, rig.cell(11, 3).bottom()), 0xFF000080);
}

TEST(ConsolePainting, TextAndTheSpanishLettersAreWritten) {
    PaintRig rig;
    rig.put(1, 1, "A");
    rig.put(1, 2, cp("Ñ"));
    rig.put(1, 3, cp("ñ"));
    rig.put(1, 4, " ");
    rig.paint();
    for (int row = 1; row <= 4; ++row) {
        const QRect r = rig.cell(1, row);
        const int inked = r.width() * r.height() - rig.count(r, kGround);
        if (row < 4)
            EXPECT_GT(inked, 5) << row;
        else
            EXPECT_EQ(inked, 0);
    }
}

TEST(ConsolePainting, LongRunsKeepEveryCharacterInItsCell) {
    // The prompts of the screens are long runs drawn in one call; a glyph advance that
    // differs from the cell by a fraction of a pixel would push the last characters over
    // the field that follows.
    for (int size : {10, 12, 14, 17}) {
        PaintRig rig;
        rig.painter.setFace(qt::consoleFace(size));
        rig.put(1, 2, std::string(70, 'M') + ":");
        rig.paint();
        const QRect colon = rig.cell(71, 2);
        EXPECT_GT(colon.width() * colon.height() - rig.count(colon, kGround), 0) << size;
        const QRect after = rig.cell(72, 2);
        EXPECT_EQ(rig.count(after, kGround), after.width() * after.height()) << size;
    }
}

TEST(ConsolePainting, HorizontalLinesJoinIntoOneStroke) {
    PaintRig rig;
    rig.put(5, 2, std::string(10, static_cast<char>(196)));
    rig.put(5, 4, std::string(10, static_cast<char>(205)));
    rig.put(5, 6, std::string(3, static_cast<char>(219)));
    rig.paint();
    const int left = rig.cell(5, 1).left(), right = rig.cell(14, 1).right();
    for (int x = left; x <= right; ++x) {
        EXPECT_EQ(rig.at(x, rig.cy(2)), kInk) << x;
        EXPECT_EQ(rig.at(x, rig.cy(4) - rig.d()), kInk) << x;
        EXPECT_EQ(rig.at(x, rig.cy(4) + rig.d()), kInk) << x;
        EXPECT_NE(rig.at(x, rig.cy(4)), kInk) << x;  // the gap of the double line
    }
    EXPECT_NE(rig.at(left - 1, rig.cy(2)), kInk);
    const QRect blocks = rig.cell(5, 6).united(rig.cell(7, 6));
    EXPECT_EQ(rig.count(blocks, kInk), blocks.width() * blocks.height());
}

TEST(ConsolePainting, VerticalLinesCrossTheLineGap) {
    PaintRig rig;
    rig.put(3, 2, std::string(1, static_cast<char>(179)));
    rig.put(3, 3, std::string(1, static_cast<char>(179)));
    rig.put(6, 2, std::string(1, static_cast<char>(186)));
    rig.put(6, 3, std::string(1, static_cast<char>(186)));
    rig.paint();
    for (int y = rig.cell(1, 2).top(); y <= rig.cell(1, 3).bottom(); ++y) {
        EXPECT_EQ(rig.at(rig.cx(3), y), kInk) << y;
        EXPECT_EQ(rig.at(rig.cx(6) - rig.d(), y), kInk) << y;
        EXPECT_EQ(rig.at(rig.cx(6) + rig.d(), y), kInk) << y;
        EXPECT_NE(rig.at(rig.cx(6), y), kInk) << y;
    }
}

TEST(ConsolePainting, DoubleFramesCloseTheirCornersAndKeepTheirGaps) {
    PaintRig rig;
    const char tl = static_cast<char>(201), tr = static_cast<char>(187);
    const char bl = static_cast<char>(200), br = static_cast<char>(188);
    const char cross = static_cast<char>(206);
    rig.put(2, 2, std::string{tl, tr});
    rig.put(2, 3, std::string{bl, br});
    rig.put(8, 2, std::string{cross});
    rig.paint();
    const int d = rig.d();
    // ╔: the outer rails meet at its outer corner, the centre stays empty.
    EXPECT_EQ(rig.at(rig.cx(2) - d, rig.cy(2) - d), kInk);
    EXPECT_EQ(rig.at(rig.cx(2) + d, rig.cy(2) + d), kInk);
    EXPECT_NE(rig.at(rig.cx(2), rig.cy(2)), kInk);
    EXPECT_NE(rig.at(rig.cx(2) - d - 1, rig.cy(2)), kInk);  // nothing left of the outer rail
    // The frame's rails run on from one corner to the next.
    EXPECT_EQ(rig.at(rig.cell(3, 2).left(), rig.cy(2) - d), kInk);
    EXPECT_EQ(rig.at(rig.cx(2) - d, rig.cell(2, 3).top()), kInk);
    EXPECT_EQ(rig.at(rig.cx(3) + d, rig.cy(3) + d), kInk);  // ╝ outer corner
    // ╬: both rails reach all four edges, the four gaps stay open.
    const QRect c = rig.cell(8, 2);
    EXPECT_EQ(rig.at(c.left(), rig.cy(2) - d), kInk);
    EXPECT_EQ(rig.at(c.right(), rig.cy(2) + d), kInk);
    EXPECT_EQ(rig.at(rig.cx(8) - d, c.top()), kInk);
    EXPECT_EQ(rig.at(rig.cx(8) + d, c.bottom()), kInk);
    EXPECT_NE(rig.at(rig.cx(8), rig.cy(2)), kInk);
    EXPECT_NE(rig.at(rig.cx(8), c.top()), kInk);
    EXPECT_NE(rig.at(c.left(), rig.cy(2)), kInk);
}

TEST(ConsolePainting, MixedJunctions) {
    PaintRig rig;
    rig.put(2, 2, std::string{static_cast<char>(199)});  // ╟ single arm to the right
    rig.put(4, 2, std::string{static_cast<char>(216)});  // ╪ single vertical through ═
    rig.paint();
    const QRect a = rig.cell(2, 2), b = rig.cell(4, 2);
    const int d = rig.d();
    EXPECT_EQ(rig.at(a.right(), rig.cy(2)), kInk);
    EXPECT_EQ(rig.at(rig.cx(2) + d + 1, rig.cy(2)), kInk);
    EXPECT_NE(rig.at(rig.cx(2), rig.cy(2)), kInk);  // the single arm stops at the near rail
    EXPECT_EQ(rig.at(rig.cx(4), b.top()), kInk);
    EXPECT_EQ(rig.at(rig.cx(4), b.bottom()), kInk);
    EXPECT_EQ(rig.at(b.left(), rig.cy(2) - d), kInk);
    EXPECT_EQ(rig.at(b.right(), rig.cy(2) + d), kInk);
}

TEST(ConsolePainting, ShadesGetDarkerAndHalfBlocksFillTheirHalf) {
    PaintRig rig;
    rig.put(1, 5,
            std::string{static_cast<char>(176), static_cast<char>(177), static_cast<char>(178)});
    rig.put(1, 7,
            std::string{static_cast<char>(220), static_cast<char>(223), static_cast<char>(221)});
    rig.paint();
    const int light = rig.count(rig.cell(1, 5), kInk);
    const int medium = rig.count(rig.cell(2, 5), kInk);
    const int dark = rig.count(rig.cell(3, 5), kInk);
    EXPECT_GT(light, 0);
    EXPECT_LT(light, medium);
    EXPECT_LT(medium, dark);

    const QRect lower = rig.cell(1, 7), upper = rig.cell(2, 7), left = rig.cell(3, 7);
    EXPECT_EQ(rig.at(lower.center().x(), lower.bottom()), kInk);
    EXPECT_NE(rig.at(lower.center().x(), lower.top()), kInk);
    EXPECT_EQ(rig.at(upper.center().x(), upper.top()), kInk);
    EXPECT_NE(rig.at(upper.center().x(), upper.bottom()), kInk);
    EXPECT_EQ(rig.at(left.left(), left.center().y()), kInk);
    EXPECT_NE(rig.at(left.right(), left.center().y()), kInk);
}

TEST(ConsolePainting, SignsAreDrawnAndCodesWithoutAGlyphStayBlank) {
    PaintRig rig;
    rig.put(1, 9,
            std::string{static_cast<char>(128), static_cast<char>(131), static_cast<char>(226),
                        static_cast<char>(129), static_cast<char>(250), static_cast<char>(7)});
    rig.paint();
    for (int c = 1; c <= 3; ++c)
        EXPECT_GT(rig.count(rig.cell(c, 9), kInk), 2) << c;
    for (int c = 4; c <= 6; ++c)
        EXPECT_EQ(rig.count(rig.cell(c, 9), kInk), 0) << c;
}

TEST(ConsolePainting, FieldsStandOutFromTheGround) {
    PaintRig rig;
    rig.console.gotoXY(10, 4);
    rig.console.drawField(5, "12", true, 0);
    rig.console.gotoXY(10, 6);
    rig.console.drawField(5, "12", false, 0);
    rig.paint();
    const QRect active = rig.cell(12, 4), inactive = rig.cell(12, 6);
    // The active field is drawn on white; the inactive one keeps the window's ground.
    EXPECT_EQ(rig.at(active.center().x(), active.top() + 3), 0xFFFFFFFF);
    EXPECT_EQ(rig.at(inactive.center().x(), inactive.top() + 3), kGround);
    // Both are framed, the frame standing a few pixels outside the field's cells and no
    // further.
    const int pad = qt::CellPainter::kFramePad;
    EXPECT_NE(rig.at(rig.cell(10, 4).left() - pad, active.center().y()), kGround);
    EXPECT_NE(rig.at(rig.cell(10, 6).left() - pad, inactive.center().y()), kGround);
    EXPECT_NE(rig.at(rig.cell(14, 6).right() + pad, inactive.center().y()), kGround);
    EXPECT_EQ(rig.at(rig.cell(10, 4).left() - pad - 1, active.center().y()), kGround);
    EXPECT_EQ(rig.at(rig.cell(14, 6).right() + pad + 1, inactive.center().y()), kGround);

    // White text on the active field is still seen.
    rig.console.setForeground(0xFFFFFF);
    rig.console.gotoXY(10, 8);
    rig.console.drawField(5, "88888", true, 0);
    rig.paint();
    const QRect digit = rig.cell(12, 8);
    EXPECT_GT(digit.width() * digit.height() - rig.count(digit, 0xFFFFFFFF) -
                  rig.count(digit, 0xFF000080),
              5);
}

// Brightness as the eye sees it, 0 to 255.
int luma(QRgb c) {
    return (2126 * qRed(c) + 7152 * qGreen(c) + 722 * qBlue(c)) / 10000;
}

// The grounds of the colour schemes: the pale ones of the extended palette, white and
// silver.
const std::vector<console::Rgb> kPaleGrounds = {0xFFE0E0, 0xC0FFC0, 0xFFE0C0, 0xC0E0FF, 0xFFFFC0,
                                                0xE0E0E0, 0xE0E0FF, 0xFFFFFF, 0xC0C0C0};

// A value that fills its field ("450.00" in six cells, "0.050" right-aligned in seven)
// keeps clear of the frame on both sides, and every edge of the frame can be seen on the
// pale grounds, in the sizes of the normal and the maximised window.
TEST(ConsolePainting, FieldValuesKeepClearOfFramesThatShow) {
    for (int size : {9, 12, 14, 17}) {
        for (console::Rgb ground : kPaleGrounds) {
            for (bool active : {false, true}) {
                PaintRig rig;
                rig.painter.setFace(qt::consoleFace(size));
                rig.console.setBackground(ground);
                rig.console.clrScr();
                rig.console.gotoXY(10, 4);
                rig.console.drawField(6, "450.00", active, 0);
                rig.console.gotoXY(10, 6);
                rig.console.drawField(7, "  0.050", active, 0);
                rig.paint();
                const QRgb inside = active ? 0xFFFFFFFF : (0xFF000000u | ground);
                const QRgb outside = 0xFF000000u | ground;
                for (auto [row, width] : {std::pair{4, 6}, std::pair{6, 7}}) {
                    const std::string what = std::to_string(size) + " " + std::to_string(ground) +
                                             (active ? " active " : " ") + std::to_string(row);
                    const QRect first = rig.cell(10, row), last = rig.cell(9 + width, row);
                    const int top = first.top() + 3,
                              bottom = first.top() + rig.painter.metrics().height - 3;
                    auto column =
                        [&](int x) {  // pixels of a column of the text line that are not the inside
                            int n = 0;
                            for (int y = top; y <= bottom; ++y)
                                n += rig.at(x, y) != inside;
                            return n;
                        };
                    // The frame: the outermost columns that differ from the ground all the way.
                    int frameLeft = -1, frameRight = -1;
                    for (int x = rig.cell(9, row).left(); x <= first.left() && frameLeft < 0; ++x)
                        if (rig.at(x, first.center().y()) != outside) frameLeft = x;
                    for (int x = rig.cell(10 + width, row).right();
                         x >= last.right() && frameRight < 0; --x)
                        if (rig.at(x, first.center().y()) != outside) frameRight = x;
                    ASSERT_GE(frameLeft, 0) << what;
                    ASSERT_GE(frameRight, 0) << what;
                    int innerLeft = frameLeft, innerRight = frameRight;
                    while (column(innerLeft) == bottom - top + 1)
                        ++innerLeft;
                    while (column(innerRight) == bottom - top + 1)
                        --innerRight;
                    // The ink of the digits, and a clear column between it and the frame.
                    int inkLeft = innerLeft, inkRight = innerRight;
                    while (inkLeft < innerRight && column(inkLeft) == 0)
                        ++inkLeft;
                    while (inkRight > innerLeft && column(inkRight) == 0)
                        --inkRight;
                    EXPECT_GE(inkLeft - innerLeft, 1) << what;
                    EXPECT_GE(innerRight - inkRight, 1) << what;
                    // Every edge stands out from the ground around the field.
                    const int y = first.center().y();
                    const QRgb edges[] = {
                        rig.at(frameLeft, y), rig.at(frameRight, y),
                        rig.at(first.center().x(), first.top()),
                        rig.at(first.center().x(), first.top() + rig.painter.metrics().height)};
                    for (QRgb edge : edges)
                        EXPECT_GE(std::abs(luma(edge) - luma(outside)), 48) << what;
                }
            }
        }
    }
}

// The raised frame of a window: its white top and left edges are seen on the pale grounds
// as its black bottom and right edges are.
TEST(ConsolePainting, WindowFrameEdgesShowOnPaleGrounds) {
    for (console::Rgb ground : kPaleGrounds) {
        PaintRig rig;
        rig.console.setBackground(ground);
        rig.console.clrScr();
        rig.console.setForeground(0xFFFFFF);
        rig.put(5, 3,
                std::string(1, static_cast<char>(134)) + std::string(8, static_cast<char>(140)));
        rig.put(5, 4, std::string(1, static_cast<char>(138)));
        rig.paint();
        const QRgb outside = 0xFF000000u | ground;
        auto strongest = [&](const QRect& r) {
            int most = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    most = std::max(most, std::abs(luma(rig.at(x, y)) - luma(outside)));
            return most;
        };
        EXPECT_GE(strongest(rig.cell(8, 3)), 48) << ground;  // the top edge
        EXPECT_GE(strongest(rig.cell(5, 4)), 48) << ground;  // the left side
    }
}

TEST(ConsolePainting, BoxArmsOfTheTrickyCodes) {
    using qt::Arms;
    EXPECT_EQ(qt::armsOf(181), (Arms{1, 1, 2, 0}));  // ╡
    EXPECT_EQ(qt::armsOf(199), (Arms{2, 2, 0, 1}));  // ╟
    EXPECT_EQ(qt::armsOf(207), (Arms{1, 0, 2, 2}));  // ╧
    EXPECT_EQ(qt::armsOf(213), (Arms{0, 1, 0, 2}));  // ╒
    EXPECT_EQ(qt::armsOf(215), (Arms{2, 2, 1, 1}));  // ╫
    EXPECT_FALSE(qt::armsOf(209).any());             // Ñ is a letter
    // Every box code has at least two arms.
    for (int code = 179; code <= 218; ++code) {
        if (code == 209) continue;
        const Arms a = qt::armsOf(static_cast<uint8_t>(code));
        EXPECT_GE((a.up > 0) + (a.down > 0) + (a.left > 0) + (a.right > 0), 2) << code;
    }
}

TEST(ConsolePainting, CaretShowsAtTheCursorWhileTheApplicationIsActive) {
    WidgetRig rig;
    rig.view.setApplicationActive(true);
    rig.console.setWindow(5, 3, 60, 20);
    rig.console.gotoXY(4, 2);
    EXPECT_TRUE(rig.view.caretRect().isEmpty());
    rig.console.showCaret();
    rig.console.readKey();  // no pump: shows the caret and gives up at once
    const QRect cell = rig.view.cells().cellRect(8, 4);
    const QRect caret = rig.view.caretRect();
    ASSERT_FALSE(caret.isEmpty());
    EXPECT_EQ(caret.topLeft(), cell.topLeft() + QPoint(0, 3));
    EXPECT_EQ(caret.width(), 1);
    EXPECT_EQ(caret.height(), rig.view.cells().metrics().height - 5);

    QImage image(rig.view.size(), QImage::Format_RGB32);
    rig.view.render(&image);
    EXPECT_EQ(image.pixel(caret.topLeft()), kInk);
    EXPECT_EQ(image.pixel(caret.topLeft() + QPoint(1, 0)), kGround);

    rig.view.setApplicationActive(false);
    EXPECT_TRUE(rig.view.caretRect().isEmpty());
    rig.view.setApplicationActive(true);
    rig.console.hideCaret();
    EXPECT_TRUE(rig.view.caretRect().isEmpty());
}

TEST(ConsolePainting, FontSizesFitTheScreen) {
    for (QSize screen : {QSize(1920, 1080), QSize(1024, 768), QSize(640, 480), QSize(300, 200)}) {
        const int full = qt::fullFontSize(screen);
        ASSERT_GE(full, 1);
        ASSERT_LE(full, qt::kMaxConsoleFontSize);
        QFontMetrics fm(qt::consoleFace(full));
        if (full > 1) {
            EXPECT_LE(82 * fm.horizontalAdvance(' '), screen.width()) << screen.width();
            EXPECT_LE(33 * (fm.height() + 3), screen.height()) << screen.width();
        }
        if (full < qt::kMaxConsoleFontSize) {
            QFontMetrics bigger(qt::consoleFace(full + 1));
            EXPECT_TRUE(82 * bigger.horizontalAdvance(' ') > screen.width() ||
                        33 * (bigger.height() + 3) > screen.height());
        }
    }
    EXPECT_EQ(qt::normalFontSize(14, 1920), 9);
    EXPECT_EQ(qt::normalFontSize(13, 1024), 8);
    EXPECT_EQ(qt::normalFontSize(7, 799), 7);
    EXPECT_EQ(qt::normalFontSize(1, 1024), 1);
}

}  // namespace
}  // namespace nivex::testing
