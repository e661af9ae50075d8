// Printing a listing: what the layout routine asks of the page, recorded as text.

#include "listings/print_listing.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace nivex::listings {
namespace {

// Cells of `points` wide and 8 × `points` high, so T is the point size. Ops read
// "T x,y text" (with "b" after the position when bold), "F x,y wxh fill", "L x,y x,y width"
// and "P" for a new page.
class Recorder : public PageCanvas {
  public:
    bool beginDocument() override { return ++begun, true; }
    bool newPage() override { return ops.push_back("P"), !failPages; }
    bool endDocument() override { return ++ended, true; }
    void setFont(double p, bool b) override { points = p, bold = b; }
    double cellWidth() const override { return points; }
    double lineHeight() const override { return points * 8; }
    void drawText(double x, double y, std::string_view bytes) override {
        ops.push_back("T " + fmt("%g,%g", x, y) + (bold ? "b " : " ") + std::string(bytes));
    }
    void fillRect(double x, double y, double w, double h, CellFill f) override {
        ops.push_back("F " + fmt("%g,%g %gx%g ", x, y, w, h) + "GBXD"[static_cast<int>(f)]);
    }
    void drawLine(double x0, double y0, double x1, double y1, double t) override {
        ops.push_back("L " + fmt("%g,%g %g,%g %g", x0, y0, x1, y1, t));
    }

    template <class... A>
    static std::string fmt(const char* f, A... a) {
        char buf[96];
        std::snprintf(buf, sizeof buf, f, a...);
        return buf;
    }
    int count(char kind) const {
        return static_cast<int>(std::count_if(
            ops.begin(), ops.end(), [kind](const std::string& o) { return o[0] == kind; }));
    }

    std::vector<std::string> ops;
    int begun = 0, ended = 0;
    bool failPages = false;
    double points = 0;
    bool bold = false;
};

using Ops = std::vector<std::string>;

std::string b(int c) {
    return std::string(1, static_cast<char>(c));
}

Ops print(const std::vector<std::string>& lines, int* pages = nullptr, bool report = false) {
    Recorder r;
    const int n = PrintListing(lines, r, report);
    if (pages) *pages = n;
    return r.ops;
}

// Lines of a listing with `count` sheets, each closed by its footer.
std::vector<std::string> sheets(int count) {
    std::vector<std::string> lines;
    for (int s = 1; s <= count; ++s) {
        lines.insert(lines.end(), 5, "");
        lines.push_back("\x1bG   HOJA No." + std::to_string(s));
        lines.insert(lines.end(), 20, "   " + b(179) + " fila");
        lines.push_back("\x1bH\x13");
    }
    return lines;
}

TEST(PrintListing, RunsStartAtTheirColumnAndOnlyGraphicsTakeOne) {
    EXPECT_EQ(print({"AB" + b(196) + "C" + b(209) + b(241) + b(250) + "e" + b(200) + "f"}),
              (Ops{"T 0,0 AB", "L 14,28 17.5,28 1", "L 21,28 17.5,28 1",
                   "T 21,0 C" + b(209) + b(241) + b(250) + "e", "L 63,28 56,28 7",
                   "L 59.5,0 59.5,31.5 7", "T 63,0 f"}));
    EXPECT_EQ(print({"\x1bGHOLA\x1bH X", "Y\x1b", "\x03Z"}),
              (Ops{"T 0,0b HOLA", "T 28,0  X", "T 0,56 Y", "T 0,112 Z"}));
    // 9 points measure the cells again, for x, y and the double line's T (72 div 8); a line
    // is spaced by the height in force at its end.
    const std::string large = "\x12", small = "\x0f";
    EXPECT_EQ(print({large + "A" + b(205), small + "B", "C"}),
              (Ops{"T 0,0 A", "L 9,36 13.5,36 9", "L 18,36 13.5,36 9", "T 0,72 B", "T 0,128 C"}));
}

TEST(PrintListing, ShadesAndBlocksFillTheirCellOrThird) {
    const Ops ops = print({b(176) + b(219) + b(177) + b(178) + b(220) + b(223) + b(221) + b(222)});
    EXPECT_EQ(ops, (Ops{"F 0,0 7x56 G", "F 7,0 7x56 G", "F 14,0 7x56 X", "F 21,0 7x56 D",
                        "F 28,37.3333 7x18.6667 B", "F 35,0 7x18.6667 B", "F 42,0 2.33333x56 B",
                        "F 53.6667,0 2.33333x56 B"}));
}

TEST(PrintListing, BoxCodesDrawTheirArmsFromTheEdgesToTheCentre) {
    // Cell 7 × 56, centre (3.5, 28), T = 7; arms run past the centre over a crossing arm.
    auto arms = [](int code) { return print({b(code)}); };
    EXPECT_EQ(arms(196), (Ops{"L 0,28 3.5,28 1", "L 7,28 3.5,28 1"}));
    EXPECT_EQ(arms(205), (Ops{"L 0,28 3.5,28 7", "L 7,28 3.5,28 7"}));
    EXPECT_EQ(arms(179), (Ops{"L 3.5,0 3.5,28 1", "L 3.5,56 3.5,28 1"}));
    EXPECT_EQ(arms(186), (Ops{"L 3.5,0 3.5,28 7", "L 3.5,56 3.5,28 7"}));
    EXPECT_EQ(arms(197),
              (Ops{"L 0,28 4,28 1", "L 7,28 3,28 1", "L 3.5,0 3.5,28.5 1", "L 3.5,56 3.5,27.5 1"}));
    EXPECT_EQ(arms(206),
              (Ops{"L 0,28 7,28 7", "L 7,28 0,28 7", "L 3.5,0 3.5,31.5 7", "L 3.5,56 3.5,24.5 7"}));
    // 224: the DOS glyph at 209, double left and right, single down.
    EXPECT_EQ(arms(224), (Ops{"L 0,28 4,28 7", "L 7,28 3,28 7", "L 3.5,56 3.5,24.5 1"}));
    EXPECT_EQ(arms(187), (Ops{"L 0,28 7,28 7", "L 3.5,56 3.5,24.5 7"}));  // ╗ closes
    EXPECT_EQ(arms(209), Ops{"T 0,0 " + b(209)});
    // Letters above the frame codes print as letters ("Bogotá"), not as blank cells.
    EXPECT_EQ(arms(225), Ops{"T 0,0 " + b(225)});
}

TEST(PrintListing, FootersBreakThePagesButTheLastAddsNone) {
    int pages = 0;
    Recorder r;
    EXPECT_EQ(PrintListing(sheets(3), r, false), 3);
    EXPECT_EQ(r.count('P'), 2);
    EXPECT_EQ(r.begun + r.ended, 2);
    // y goes back to 0 at the page end and the footer's own line end moves it one line down:
    // sheet 1's header stands five lines down, the others six.
    EXPECT_EQ(std::count(r.ops.begin(), r.ops.end(), "T 0,280b    HOJA No.1"), 1);
    EXPECT_EQ(std::count(r.ops.begin(), r.ops.end(), "T 0,336b    HOJA No.3"), 1);

    // Without page ends one page, however long; report mode breaks every 100 lines.
    std::vector<std::string> lines(250, "x");
    EXPECT_EQ(print(lines, &pages).back(), "T 0,13944 x");
    EXPECT_EQ(pages, 1);
    Ops ops = print(lines, &pages, true);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(ops[99], "T 0,5544 x");
    EXPECT_EQ(ops[100], "P");
    EXPECT_EQ(ops[101], "T 0,0 x");
    // A page end of the listing restarts the count, its line counted on the new page; the
    // break due in front of the last line is not made, nor printed over the page's top.
    lines[49] = "x\x13";
    ops = print(lines, &pages, true);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(ops[51], "T 0,56 x");
    EXPECT_EQ(ops[151], "T 0,0 x");
    EXPECT_EQ(ops.back(), "T 0,5600 x");
}

TEST(PrintListing, EmptyAndHostileInputNeverLoopsOrCrashes) {
    Recorder empty;
    EXPECT_EQ(PrintListing({}, empty, true), 1);
    EXPECT_TRUE(empty.ops.empty());
    EXPECT_EQ(empty.begun + empty.ended, 2);

    std::string every;
    for (int c = 0; c < 256; ++c)
        every += static_cast<char>(c);
    int pages = 0;
    print({every, every + every}, &pages);
    EXPECT_EQ(pages, 2);  // the 19 of the last line makes none

    const Ops cut = print({std::string(300, 'A'), std::string(254, ' ') + "BC"});
    EXPECT_EQ(cut[0], "T 0,0 " + std::string(kPrintLineLimit, 'A'));
    EXPECT_EQ(cut[1], "T 0,56 " + std::string(254, ' ') + "B");

    Recorder failing;
    failing.failPages = true;
    EXPECT_EQ(PrintListing(sheets(2), failing, false), 0);
}

}  // namespace
}  // namespace nivex::listings
