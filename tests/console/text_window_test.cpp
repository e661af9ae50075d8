// The stack of text windows: clipping, the raised frame, the title bar and its
// close button, the shadow, restoring what a window covered, the 10-level limit.

#include <gtest/gtest.h>

#include "console/keys.h"
#include "console/screen.h"
#include "screen_test_util.h"
#include "support/scripted.h"

namespace nivex::console {
namespace {

using nivex::testing::allCells;
using nivex::testing::ConsoleRig;
using nivex::testing::fillPattern;

class TextWindow : public ::testing::Test {
  protected:
    ConsoleRig rig;
    Screen screen{rig.console};

    const Cell& at(int column, int row) const { return rig.console.cell(column, row); }
    int visibleFreeButtons(int level) const {
        int n = 0;
        for (const auto& b : rig.console.freeButtons())
            if (b && b->level == level && b->visible) ++n;
        return n;
    }
    const KeyButton* freeButton(std::string_view caption) const {
        for (const auto& b : rig.console.freeButtons())
            if (b && b->caption == caption) return &*b;
        return nullptr;
    }
};

TEST_F(TextWindow, RaisedFrameTitleBarAndCloseButton) {
    EXPECT_FALSE(rig.console.extendedPalette());
    ASSERT_TRUE(screen.OpenWindow('W', 5, 3, 0, "Hola", 2, 10, 40));
    EXPECT_TRUE(rig.console.extendedPalette());
    EXPECT_EQ(screen.WindowDepth(), 1);
    EXPECT_EQ(screen.scheme(), 2);

    const Rgb white = paletteColour(15, true), black = paletteColour(0, true);
    EXPECT_EQ(at(5, 3).ch, 134);
    EXPECT_EQ(at(40, 3).ch, 135);
    EXPECT_EQ(at(5, 10).ch, 136);
    EXPECT_EQ(at(40, 10).ch, 137);
    EXPECT_EQ(at(20, 3).ch, 140);
    EXPECT_EQ(at(20, 10).ch, 145);
    EXPECT_EQ(at(5, 6).ch, 138);
    EXPECT_EQ(at(40, 6).ch, 139);
    EXPECT_EQ(at(20, 3).fg, white);
    EXPECT_EQ(at(5, 6).fg, white);
    EXPECT_EQ(at(20, 10).fg, black);
    EXPECT_EQ(at(40, 6).fg, black);
    EXPECT_EQ(at(20, 6).bg, paletteColour(19, true));  // scheme 2 background

    // The interior is the current window.
    EXPECT_EQ(rig.console.window(), (Rect{6, 4, 39, 9}));
    // The title bar: " Hola" padded over the interior's first row, button-like, bold.
    EXPECT_EQ(rig.console.rowText(4, 6, 39), " Hola" + std::string(29, ' '));
    EXPECT_EQ(at(6, 4).effects, kButtonFirst);
    EXPECT_EQ(at(20, 4).effects, kButtonMiddle);
    EXPECT_EQ(at(39, 4).effects, kButtonLast);
    EXPECT_EQ(at(7, 4).fg, paletteColour(15, true));
    EXPECT_EQ(at(7, 4).bg, paletteColour(4, true));
    EXPECT_EQ(at(7, 4).style, 1);

    // The close button "X" sends Esc and belongs to level 1.
    const KeyButton* x = freeButton("X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->key, key::Esc);
    EXPECT_EQ(x->level, 1);
    EXPECT_EQ(x->row, 4);
    EXPECT_TRUE(x->bold);
    EXPECT_TRUE(rig.console.caretSwitch());  // caret-off flag 0
}

TEST_F(TextWindow, KindDHasNoCloseButtonAndCaretOffFlag) {
    ASSERT_TRUE(screen.OpenWindow('D', 5, 3, 1, "Titulo", 0, 10, 40));
    EXPECT_EQ(freeButton("X"), nullptr);
    EXPECT_FALSE(rig.console.caretSwitch());
}

TEST_F(TextWindow, TitleAsWideAsTheWindowKeepsEveryLetter) {
    // The interior of columns 5..40 is 34 wide: the blanks go before any letter.
    const std::string letters(33, 'T');
    ASSERT_TRUE(screen.OpenWindow('D', 5, 3, 1, letters + " ", 0, 10, 40));
    EXPECT_EQ(rig.console.rowText(4, 6, 39), " " + letters);
    screen.CloseWindow();
    ASSERT_TRUE(screen.OpenWindow('D', 5, 3, 1, letters + "S ", 0, 10, 40));
    EXPECT_EQ(rig.console.rowText(4, 6, 39), letters + "S");
}

TEST_F(TextWindow, ClippedToColumn81AndRow27AndRestoredExactly) {
    fillPattern(rig.console);
    const auto before = allCells(rig.console);
    const Rect windowBefore = rig.console.window();
    const int x = rig.console.whereX(), y = rig.console.whereY();

    ASSERT_TRUE(screen.OpenWindow('D', 0, 0, 0, "", 0, 30, 82));
    EXPECT_EQ(at(1, 1).ch, 134);
    EXPECT_EQ(at(81, 1).ch, 135);
    EXPECT_EQ(at(1, 27).ch, 136);
    EXPECT_EQ(at(81, 27).ch, 137);
    EXPECT_EQ(at(82, 5), before[(5 - 1) * 82 + 81]);  // column 82 untouched
    EXPECT_EQ(rig.console.window(), (Rect{2, 2, 80, 26}));

    screen.CloseWindow();
    EXPECT_EQ(allCells(rig.console), before);
    EXPECT_EQ(screen.WindowDepth(), 0);
    EXPECT_EQ(rig.console.window(), windowBefore);
    EXPECT_EQ(rig.console.whereX(), x);
    EXPECT_EQ(rig.console.whereY(), y);
}

TEST_F(TextWindow, NestedWindowsRestoreEachLevel) {
    fillPattern(rig.console);
    const auto screen0 = allCells(rig.console);

    ASSERT_TRUE(screen.OpenWindow('W', 1, 1, 1, "Primera", 0, 27, 81));
    rig.console.gotoXY(3, 7);
    rig.console.writeText("texto del nivel 1");
    const auto screen1 = allCells(rig.console);
    const Rect window1 = rig.console.window();
    const int x1 = rig.console.whereX(), y1 = rig.console.whereY();
    EXPECT_EQ(visibleFreeButtons(1), 1);

    ASSERT_TRUE(screen.OpenWindow('A', 10, 5, 0, "Segunda", 4, 20, 60));
    EXPECT_TRUE(rig.console.caretSwitch());
    EXPECT_EQ(visibleFreeButtons(1), 0);  // the level below hides its buttons
    EXPECT_EQ(visibleFreeButtons(2), 1);
    // Kind 'A': the frame stops two columns short, the shadow darkens what it covers.
    EXPECT_EQ(at(58, 5).ch, 135);
    EXPECT_EQ(at(58, 20).ch, 137);
    EXPECT_EQ(at(59, 10).ch, screen1[(10 - 1) * 82 + 58].ch);
    EXPECT_EQ(at(59, 10).bg, paletteColour(0, true));
    EXPECT_EQ(at(60, 5), screen1[(5 - 1) * 82 + 59]);  // above the shadow: as it was
    EXPECT_EQ(rig.console.window(), (Rect{11, 6, 57, 19}));
    rig.console.writeText("nivel 2");
    const auto screen2 = allCells(rig.console);

    ASSERT_TRUE(screen.OpenWindow('D', 20, 8, 1, "", 6, 14, 50));
    EXPECT_FALSE(rig.console.caretSwitch());
    EXPECT_EQ(screen.WindowDepth(), 3);

    screen.CloseWindow();
    EXPECT_EQ(allCells(rig.console), screen2);
    EXPECT_TRUE(rig.console.caretSwitch());
    EXPECT_EQ(screen.scheme(), 4);

    screen.CloseWindow();
    EXPECT_EQ(allCells(rig.console), screen1);
    EXPECT_EQ(rig.console.window(), window1);
    EXPECT_EQ(rig.console.whereX(), x1);
    EXPECT_EQ(rig.console.whereY(), y1);
    EXPECT_FALSE(rig.console.caretSwitch());
    EXPECT_EQ(visibleFreeButtons(1), 1);  // shown again
    EXPECT_EQ(visibleFreeButtons(2), 0);  // removed with its level
    EXPECT_EQ(screen.scheme(), 0);

    screen.CloseWindow();
    EXPECT_EQ(allCells(rig.console), screen0);
    EXPECT_EQ(freeButton("X"), nullptr);
    EXPECT_EQ(screen.WindowDepth(), 0);
}

TEST_F(TextWindow, EleventhWindowIsRefused) {
    fillPattern(rig.console);
    const auto before = allCells(rig.console);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(screen.OpenWindow('W', 1 + i, 1 + i, 1, "Nivel", i % 8, 20 + i % 7, 50 + i));
    EXPECT_EQ(screen.WindowDepth(), 10);
    const auto full = allCells(rig.console);
    const Rect window = rig.console.window();
    EXPECT_FALSE(screen.OpenWindow('W', 30, 5, 0, "Once", 1, 15, 70));
    EXPECT_EQ(screen.WindowDepth(), 10);
    EXPECT_EQ(allCells(rig.console), full);
    EXPECT_EQ(rig.console.window(), window);
    for (int i = 0; i < 10; ++i)
        screen.CloseWindow();
    EXPECT_EQ(allCells(rig.console), before);
    screen.CloseWindow();  // nothing left: no effect
    EXPECT_EQ(screen.WindowDepth(), 0);
}

TEST_F(TextWindow, ColourModesFollowTheScheme) {
    ASSERT_TRUE(screen.OpenWindow('D', 1, 1, 1, "", 3, 27, 81));
    screen.SetColours(ColourMode::Normal);
    EXPECT_EQ(rig.console.foregroundIndex(), 0);
    EXPECT_EQ(rig.console.backgroundIndex(), 20);
    EXPECT_FALSE(rig.console.emphasis());
    screen.SetColours(ColourMode::NormalEmphasis);
    EXPECT_TRUE(rig.console.emphasis());
    screen.SetColours(ColourMode::Alternate);
    EXPECT_EQ(rig.console.foregroundIndex(), 1);
    EXPECT_FALSE(rig.console.emphasis());
    screen.SetColours(ColourMode::AlternateEmphasis);
    EXPECT_EQ(rig.console.foregroundIndex(), 9);
    EXPECT_TRUE(rig.console.emphasis());
    screen.SetColours(ColourMode::Title);
    EXPECT_EQ(rig.console.foregroundIndex(), 0);
    EXPECT_EQ(rig.console.backgroundIndex(), 11);
    EXPECT_TRUE(rig.console.emphasis());
    screen.SetColours(ColourMode::Title, false);
    EXPECT_FALSE(rig.console.emphasis());
}

TEST(ColourSchemes, TheEightSchemes) {
    const int expected[8][8] = {{21, 0, 0, 21, 1, 9, 7, 15}, {16, 0, 0, 16, 1, 9, 1, 15},
                                {19, 0, 0, 19, 1, 9, 4, 15}, {20, 0, 0, 20, 1, 9, 11, 0},
                                {18, 0, 0, 18, 1, 9, 3, 15}, {17, 0, 0, 17, 1, 9, 2, 15},
                                {22, 0, 0, 22, 1, 9, 6, 15}, {15, 0, 0, 15, 1, 9, 0, 15}};
    for (int i = 0; i < 8; ++i) {
        const ColourScheme& s = colourScheme(i);
        const int got[8] = {s.background, s.text,        s.emphasis,        s.altBackground,
                            s.altText,    s.altEmphasis, s.titleBackground, s.titleText};
        for (int j = 0; j < 8; ++j)
            EXPECT_EQ(got[j], expected[i][j]) << i << "," << j;
    }
}

TEST_F(TextWindow, FieldErrorInASmallWindowUsesTheErrorLineBelow) {
    ASSERT_TRUE(screen.OpenWindow('D', 1, 1, 1, "", 0, 27, 81));
    ASSERT_TRUE(screen.OpenWindow('D', 20, 11, 0, "Hojas", 0, 16, 60));
    const Rect small = rig.console.window();
    screen.FieldError("  Error...prueba  ");
    // Row 25 of the full-screen window below: screen row 26.
    const std::string text = "Error...prueba";
    const int column = 1 + (81 - static_cast<int>(text.size())) / 2;  // window column 2 + ...
    EXPECT_EQ(rig.console.rowText(26, column, column + static_cast<int>(text.size()) - 1), text);
    EXPECT_TRUE(rig.switches.errorShowing);
    EXPECT_EQ(rig.console.window(), small);
    screen.ClearFieldError();
    EXPECT_FALSE(rig.switches.errorShowing);
    EXPECT_EQ(rig.console.rowText(26, 2, 80), std::string(79, ' '));
}

TEST_F(TextWindow, HeaderAndCentredText) {
    ASSERT_TRUE(screen.OpenWindow('D', 1, 1, 1, "", 0, 27, 81));  // interior 79 wide
    screen.ShowHeader("MENU");
    // " MENU " (6) centred in 79: window column 37, screen column 38.
    EXPECT_EQ(rig.console.rowText(2, 38, 43), " MENU ");
    EXPECT_EQ(rig.console.cell(39, 2).style, 1);
    screen.WriteCentred(5, "abc");
    EXPECT_EQ(rig.console.rowText(6, 40, 42), "abc");  // window column 39
}

TEST_F(TextWindow, LegendOnButtonRowOne) {
    screen.ShowLegend("F9^borrar F11^recup.dato PgDn^avanzar");
    const auto& buttons = rig.console.legend(1);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].caption, "BORRAR");
    EXPECT_EQ(buttons[1].key, key::F11);
    EXPECT_EQ(buttons[2].key, key::PgDn);
}

}  // namespace
}  // namespace nivex::console
