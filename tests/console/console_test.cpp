#include "console/console.h"

#include <gtest/gtest.h>

#include "console/keys.h"
#include "support/scripted.h"

namespace nivex::console {
namespace {

using testing::ConsoleRig;

TEST(ConsoleWriting, HundredCodesWrapToColumn19OfTheNextRow) {
    ConsoleRig rig;
    rig.console.writeText(std::string(100, 'x'));
    EXPECT_EQ(rig.console.whereX(), 19);
    EXPECT_EQ(rig.console.whereY(), 2);
    EXPECT_EQ(rig.row(1), std::string(82, 'x'));
    EXPECT_EQ(rig.row(2), std::string(18, 'x'));
}

TEST(ConsoleWriting, StaysInsideTheWindowAndScrollsPastItsLastRow) {
    ConsoleRig rig;
    rig.console.setWindow(11, 5, 20, 7);  // 10 columns, 3 rows
    rig.console.writeLine("uno");
    rig.console.writeLine("dos");
    rig.console.writeLine("tres");
    EXPECT_EQ(rig.console.rowText(7, 11, 20), "tres      ");
    rig.console.writeText("cuatro y mas");  // scrolls, then wraps and scrolls again
    EXPECT_EQ(rig.console.rowText(5, 11, 20), "tres      ");
    EXPECT_EQ(rig.console.rowText(6, 11, 20), "cuatro y m");
    EXPECT_EQ(rig.console.rowText(7, 11, 20), "as        ");
    EXPECT_EQ(rig.console.whereX(), 3);
    EXPECT_EQ(rig.console.whereY(), 3);
    // Nothing outside the window was touched.
    EXPECT_EQ(rig.row(4), "");
    EXPECT_EQ(rig.row(8), "");
    EXPECT_EQ(rig.console.cell(10, 6).ch, ' ');
    EXPECT_EQ(rig.console.cell(21, 6).ch, ' ');
}

TEST(ConsoleWriting, GotoOutsideTheWindowIsIgnored) {
    ConsoleRig rig;
    rig.console.setWindow(5, 5, 14, 9);
    rig.console.gotoXY(3, 2);
    rig.console.gotoXY(0, 1);
    rig.console.gotoXY(11, 1);
    rig.console.gotoXY(1, 6);
    EXPECT_EQ(rig.console.whereX(), 3);
    EXPECT_EQ(rig.console.whereY(), 2);
}

TEST(ConsoleWriting, CellsCarryTheCurrentColoursStyleAndEffects) {
    ConsoleRig rig;
    rig.console.textColor(9);
    rig.console.textBackground(15);
    rig.console.setEmphasis(true);
    rig.console.writeText("A");
    const Cell& c = rig.console.cell(1, 1);
    EXPECT_EQ(c.fg, 0xFF0000u);
    EXPECT_EQ(c.bg, 0xFFFFFFu);
    EXPECT_EQ(c.style, 1);
    EXPECT_EQ(rig.console.foregroundIndex(), 9);
    // A new console is silver on silver.
    EXPECT_EQ(rig.console.cell(2, 1).fg, kSilver);
    EXPECT_EQ(rig.console.cell(2, 1).bg, kSilver);
}

TEST(ConsoleWriting, ClrEolAndClrScrBlankOnlyTheWindow) {
    ConsoleRig rig;
    for (int r = 0; r < 27; ++r)
        rig.console.writeText(std::string(82, '#'));
    rig.console.setWindow(3, 3, 12, 6);
    rig.console.gotoXY(5, 2);
    rig.console.clrEol();
    EXPECT_EQ(rig.console.rowText(4, 1, 14), "######      ##");
    rig.console.clrScr();
    EXPECT_EQ(rig.console.rowText(3, 1, 14), "##          ##");
    EXPECT_EQ(rig.console.rowText(6, 1, 14), "##          ##");
    EXPECT_EQ(rig.console.rowText(7, 1, 14), "##############");
    EXPECT_EQ(rig.console.whereX(), 1);
    EXPECT_EQ(rig.console.whereY(), 1);
}

TEST(ConsoleFields, DrawFieldMarksEdgesAndEraseFieldClearsNeighbours) {
    ConsoleRig rig;
    rig.console.gotoXY(5, 3);
    rig.console.drawField(4, "ab", true, 0);
    EXPECT_EQ(rig.console.rowText(3, 5, 8), "ab  ");
    EXPECT_EQ(rig.console.cell(5, 3).effects, kActiveLeft | kActiveInside);
    EXPECT_EQ(rig.console.cell(6, 3).effects, kActiveInside);
    EXPECT_EQ(rig.console.cell(8, 3).effects, kActiveInside | kActiveRight);
    EXPECT_EQ(rig.console.cell(9, 3).effects, 0);

    rig.console.gotoXY(10, 3);
    rig.console.drawField(3, "xyz", false, 3);
    EXPECT_EQ(rig.console.cell(10, 3).effects, kInactiveLeft | kInactiveInside | kReadOnly);

    rig.console.gotoXY(20, 3);
    rig.console.drawField(3, "OK", false, 4);
    EXPECT_EQ(rig.console.cell(20, 3).effects, kButtonFirst);
    EXPECT_EQ(rig.console.cell(21, 3).effects, kButtonMiddle);
    EXPECT_EQ(rig.console.cell(22, 3).effects, kButtonLast);
    EXPECT_EQ(rig.console.cell(20, 3).fg, 0xFFFFFFu);

    // Erasing the field between two others leaves them without the edges it shared.
    rig.console.setEffects(0);
    rig.console.gotoXY(1, 4);
    rig.console.drawField(3, "", false, 0);
    rig.console.drawField(3, "", false, 0);
    rig.console.drawField(3, "", false, 0);
    rig.console.eraseField(4, 4, 3);
    EXPECT_EQ(rig.console.cell(3, 4).effects, kInactiveInside);
    EXPECT_EQ(rig.console.cell(4, 4).effects, 0);
    EXPECT_EQ(rig.console.cell(7, 4).effects, kInactiveInside);
}

TEST(ConsoleAreas, SaveAndRestoreIsExact) {
    ConsoleRig rig;
    rig.console.textColor(12);
    for (int r = 0; r < 27; ++r)
        rig.console.writeText(std::string(82, static_cast<char>('a' + r % 26)));
    SavedArea area = rig.console.saveArea({70, 20, 90, 40});  // clipped to the grid
    EXPECT_EQ(area.rect, (Rect{70, 20, 82, 27}));
    rig.console.setWindow(60, 18, 82, 27);
    rig.console.textBackground(4);
    rig.console.clrScr();
    rig.console.restoreArea(area);
    for (int r = 20; r <= 27; ++r)
        for (int c = 70; c <= 82; ++c) {
            EXPECT_EQ(rig.console.cell(c, r).ch, static_cast<uint8_t>('a' + (r - 1) % 26));
            EXPECT_EQ(rig.console.cell(c, r).fg, 0x0000FFu);
        }
}

TEST(ConsolePalette, BasicAndExtendedColours) {
    EXPECT_EQ(paletteColour(1, false), 0x800000u);
    EXPECT_EQ(paletteColour(3, false), 0x808000u);
    EXPECT_EQ(paletteColour(4, false), 0x000080u);
    EXPECT_EQ(paletteColour(7, false), 0x808080u);
    EXPECT_EQ(paletteColour(8, false), 0xC0C0C0u);
    EXPECT_EQ(paletteColour(11, false), 0xFFFF00u);
    EXPECT_EQ(paletteColour(15, false), 0xFFFFFFu);
    EXPECT_EQ(paletteColour(3, true), 0xB08000u);
    EXPECT_EQ(paletteColour(4, true), 0x004080u);
    EXPECT_EQ(paletteColour(19, true), 0xC0E0FFu);
    EXPECT_EQ(paletteColour(22, true), 0xE0E0FFu);

    ConsoleRig rig;
    rig.console.setForeground(0x123456);  // no palette colour: reads back as 0
    EXPECT_EQ(rig.console.foregroundIndex(), 0);
}

TEST(ConsoleGlyphs, ClassesOfTheCodes) {
    EXPECT_EQ(glyphClassOf('A'), GlyphClass::Text);
    EXPECT_EQ(glyphClassOf(127), GlyphClass::Text);
    EXPECT_EQ(glyphClassOf(209), GlyphClass::Text);  // Ñ
    EXPECT_EQ(glyphClassOf(241), GlyphClass::Text);  // ñ
    EXPECT_EQ(glyphClassOf(176), GlyphClass::Shade);
    EXPECT_EQ(glyphClassOf(178), GlyphClass::Shade);
    EXPECT_EQ(glyphClassOf(196), GlyphClass::Line);
    EXPECT_EQ(glyphClassOf(134), GlyphClass::Line);
    EXPECT_EQ(glyphClassOf(219), GlyphClass::Line);
}

TEST(KeyQueue, HoldsSixtyThreeKeys) {
    ConsoleRig rig;
    int accepted = 0;
    for (int i = 0; i < 70; ++i)
        accepted += rig.console.pushKey(static_cast<uint8_t>(i + 1));
    EXPECT_EQ(accepted, 63);
    for (int i = 0; i < 63; ++i)
        EXPECT_EQ(rig.console.takeKey(), static_cast<uint8_t>(i + 1));
    EXPECT_FALSE(rig.console.takeKey().has_value());
    // Wrapping around the ring keeps the order.
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 40; ++i)
            EXPECT_TRUE(rig.console.pushKey(static_cast<uint8_t>(i)));
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(rig.console.takeKey(), static_cast<uint8_t>(i));
    }
}

TEST(KeyCodes, FunctionKeysWithModifiers) {
    using key::Physical;
    EXPECT_EQ(key::codeOfPress(Physical::F1, 0, false, false), 133);
    EXPECT_EQ(key::codeOfPress(Physical::F1, 0, true, false), 182);
    EXPECT_EQ(key::codeOfPress(Physical::F1, 0, false, true), 179);
    EXPECT_EQ(key::codeOfPress(Physical::F2, 0, true, false), 190);
    EXPECT_EQ(key::codeOfPress(Physical::F10, 0, false, false), 142);
    EXPECT_EQ(key::codeOfPress(Physical::F10, 0, true, false), 198);
    EXPECT_EQ(key::codeOfPress(Physical::F11, 0, false, false), 175);
    EXPECT_EQ(key::codeOfPress(Physical::F12, 0, false, false), 176);
    EXPECT_EQ(key::codeOfPress(Physical::PgDn, 0, false, true), 174);
    EXPECT_EQ(key::codeOfPress(Physical::PgUp, 0, false, true), 173);
    EXPECT_EQ(key::codeOfPress(Physical::Home, 0, false, true), 177);
    EXPECT_EQ(key::codeOfPress(Physical::End, 0, false, false), 172);
    EXPECT_EQ(key::codeOfPress(Physical::Insert, 0, false, false), 181);
    EXPECT_EQ(key::codeOfPress(Physical::Other, 0, true, true), 0);
}

TEST(KeyCodes, TypedLettersAltAndCtrl) {
    ConsoleRig rig;
    // Typing "a": the press has no code of its own, the character event pushes 97.
    rig.console.keyPress(key::Physical::Letter, 'a', false, false);
    rig.console.characterTyped('a');
    // Alt+A: the press pushes 145 and the character that follows is dropped.
    rig.console.keyPress(key::Physical::Letter, 'a', true, false);
    rig.console.characterTyped('a');
    // Ctrl+A gives 1, Ctrl+K its own code.
    rig.console.keyPress(key::Physical::Letter, 'a', false, true);
    rig.console.characterTyped(1);
    rig.console.keyPress(key::Physical::Letter, 'k', false, true);
    rig.console.characterTyped(11);
    // Shift+F1 is F1; Alt+X and Alt+Z.
    rig.console.keyPress(key::Physical::F1, 0, false, false);
    rig.console.keyPress(key::Physical::Letter, 'X', true, false);
    rig.console.keyPress(key::Physical::Letter, 'z', true, false);
    std::vector<int> got;
    while (auto k = rig.console.takeKey())
        got.push_back(*k);
    EXPECT_EQ(got, (std::vector<int>{97, 145, 1, 183, 133, 168, 170}));
}

TEST(KeyCodes, TypingTurnsMenuKeyAcceptedOff) {
    ConsoleRig rig;
    rig.switches.menuKeyAccepted = true;
    rig.console.characterTyped('5');
    EXPECT_FALSE(rig.switches.menuKeyAccepted);
    rig.switches.menuKeyAccepted = true;
    rig.console.keyPress(key::Physical::Esc, 0, false, false);
    EXPECT_FALSE(rig.switches.menuKeyAccepted);
}

TEST(KeyCodes, NamesOfLegendsAndEndKeys) {
    EXPECT_EQ(key::codeOfName("AltZ"), 170);
    EXPECT_EQ(key::codeOfName("pgdn"), 143);
    EXPECT_EQ(key::codeOfName("F9"), 141);
    EXPECT_EQ(key::codeOfName("CTRLF2"), 180);
    EXPECT_EQ(key::codeOfName("ALTF10"), 198);
    EXPECT_EQ(key::codeOfName("CTRY"), 185);
    EXPECT_EQ(key::codeOfName("F10"), 255);  // F10 has no name
    EXPECT_EQ(key::codeOfName("Bogus"), 255);
    EXPECT_EQ(key::codeOfEndKeyName("Dn"), 129);
    EXPECT_EQ(key::codeOfEndKeyName("End1"), 172);
    EXPECT_EQ(key::codeOfEndKeyName("AF10"), 198);
    EXPECT_EQ(key::codeOfEndKeyName("AltM"), 157);
    EXPECT_EQ(key::codeOfEndKeyName("Nada"), 0);
}

TEST(ConsoleReadKey, WaitsThroughThePumpAndShowsTheCaret) {
    ConsoleRig rig;
    rig.pump.type("ab");
    rig.console.showCaret();
    EXPECT_EQ(rig.console.readKey(), 'a');
    EXPECT_FALSE(rig.console.caretShown());
    EXPECT_EQ(rig.console.readKey(), 'b');
    EXPECT_THROW(rig.console.readKey(), testing::ScriptExhausted);
}

TEST(ConsoleReadKey, WithoutAPumpQueuedKeysComeFirstThenEsc) {
    UiSwitches switches;
    testing::ScriptedUi ui;
    Console console(switches, ui);  // as in a batch run: nothing can be waited for
    console.pushKey('x');
    EXPECT_EQ(console.readKey(), 'x');
    EXPECT_EQ(console.readKey(), key::Esc);
    EXPECT_EQ(console.readKey(), key::Esc);
}

// A zone table with one field-like zone and one zone with a second click.
void fillZones(Console& console) {
    console.clearZones();
    auto& z = console.zones();
    z[0].key = 157;
    z[0].firstColumn = 10;
    z[0].lastColumn = 14;
    z[0].firstRow = 3;
    z[0].lastRow = 3;
    z[0].value = 1;
    z[1].key = 157;
    z[1].secondKey = key::Enter;
    z[1].secondClick = true;
    z[1].firstColumn = 20;
    z[1].lastColumn = 21;
    z[1].firstRow = 5;
    z[1].lastRow = 5;
    z[1].value = 2;
}

TEST(MouseZones, ClickHitsTheFirstZoneAndHandsOverItsValue) {
    ConsoleRig rig;
    fillZones(rig.console);
    EXPECT_EQ(rig.console.zonesInUse(), 2);
    EXPECT_EQ(rig.console.mouseDown(12, 3, -1), 157);
    EXPECT_EQ(rig.console.zoneValue(), 1);
    EXPECT_TRUE(rig.switches.menuKeyAccepted);
    EXPECT_EQ(rig.console.mouseDown(12, 3, 1), 255);  // right button: no zone answers it
    EXPECT_EQ(rig.console.mouseDown(0, 0, -1), 255);
    std::vector<int> got;
    while (auto k = rig.console.takeKey())
        got.push_back(*k);
    EXPECT_EQ(got, (std::vector<int>{157, 255, 255}));
}

TEST(MouseZones, DoubleClickQueuesBothKeysAndForgetsAfterHalfASecond) {
    ConsoleRig rig;
    fillZones(rig.console);
    rig.console.mouseDown(20, 5, -1);
    rig.console.mouseUp();
    rig.console.mouseDown(21, 5, -1);
    rig.console.mouseUp();
    EXPECT_EQ(rig.console.takeKey(), 157);
    EXPECT_EQ(rig.console.takeKey(), key::Enter);

    rig.console.mouseDown(20, 5, -1);
    for (int i = 0; i < 5; ++i)
        rig.console.secondClickTick();
    EXPECT_FALSE(rig.console.secondClickTimerWanted());
    rig.console.mouseDown(20, 5, -1);
    EXPECT_EQ(rig.console.takeKey(), 157);
    EXPECT_EQ(rig.console.takeKey(), 157);
}

TEST(MouseZones, AutoRepeatFromTheFifthTickWhileInsideTheZone) {
    ConsoleRig rig;
    fillZones(rig.console);
    rig.console.zones()[0].autoRepeat = true;
    rig.console.mouseDown(10, 3, -1);
    EXPECT_TRUE(rig.console.repeatTimerWanted());
    for (int i = 0; i < 6; ++i)
        rig.console.repeatTick();
    EXPECT_EQ(rig.console.queue().size(), 3);  // the press and ticks 5 and 6
    rig.console.mouseMove(30, 3);
    EXPECT_FALSE(rig.console.repeatTimerWanted());
    rig.console.repeatTick();
    EXPECT_EQ(rig.console.queue().size(), 3);
}

TEST(MouseZones, TableEndsAtTheFirstZoneWithoutKeys) {
    ConsoleRig rig;
    fillZones(rig.console);
    rig.console.zones()[1].secondKey = 0;  // ends the table: zone 2 is never hit
    rig.console.zones()[2] = rig.console.zones()[0];
    EXPECT_EQ(rig.console.zonesInUse(), 1);
    EXPECT_EQ(rig.console.mouseDown(20, 5, -1), 255);
    // Every one of the 60 zones can be used; there is no 61st.
    rig.console.clearZones();
    for (auto& z : rig.console.zones())
        z.key = 'a';
    EXPECT_EQ(rig.console.zonesInUse(), Console::kZoneCount);
}

TEST(KeyButtons, LegendEntriesBecomeButtons) {
    ConsoleRig rig;
    rig.console.setLegend(1, 27, "AltZ^terminar", false, 1);
    ASSERT_EQ(rig.console.legend(1).size(), 1u);
    const KeyButton& b = rig.console.legend(1)[0];
    EXPECT_EQ(b.caption, "TERMINAR");
    EXPECT_EQ(b.hint, "Tecla: AltZ");
    EXPECT_EQ(b.key, 170);
    rig.console.buttonClicked(b);
    EXPECT_EQ(rig.console.takeKey(), 170);

    rig.console.setLegend(
        1, 27, "F9^borrar F11^recup.dato  PgDn^avanzar malformado ^x Esc^salir_ya", false, 2);
    const auto& row2 = rig.console.legend(2);
    ASSERT_EQ(row2.size(), 4u);
    EXPECT_EQ(row2[1].caption, "RECUP.DATO");
    EXPECT_EQ(row2[2].key, 143);
    EXPECT_EQ(row2[3].caption, "SALIR YA");
    EXPECT_EQ(row2[3].slot, 3);
    EXPECT_EQ(row2[0].colour, kMaroon);
}

TEST(KeyButtons, UnforcedLegendEqualToTheLastIsKept) {
    ConsoleRig rig;
    rig.console.setLegend(1, 27, "F9^borrar", false, 1);
    rig.console.clearLegend(1);
    rig.console.setLegend(1, 27, "F9^borrar", false, 1);
    EXPECT_EQ(rig.console.legend(1).size(), 1u);
    // More than twenty entries: twenty buttons.
    std::string many;
    for (int i = 0; i < 25; ++i)
        many += "F2^b ";
    rig.console.setLegend(1, 27, many, false, 1);
    EXPECT_EQ(rig.console.legend(1).size(), 20u);
}

TEST(KeyButtons, TwentyFreeButtonsAndNoMore) {
    ConsoleRig rig;
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(rig.console.addButton(1, 1, 0, "b", 'x', 4));
    EXPECT_FALSE(rig.console.addButton(1, 1, 0, "b", 'x', 4));
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->message, "No hay Botones disponibles");
    EXPECT_EQ(rig.ui.last()->caption, "Error Aplicativo");

    rig.console.removeButton(3);
    rig.console.removeButton(3);
    EXPECT_EQ(rig.ui.last()->message, "Boton no existe");
    rig.console.removeButton(21);
    EXPECT_EQ(rig.ui.boxes.size(), 3u);
    EXPECT_TRUE(rig.console.addButton(1, 1, 0, "X", key::Esc, 3));
    EXPECT_TRUE(rig.console.freeButtons()[2]->bold);
}

TEST(KeyButtons, ButtonsBelongToTheirLevel) {
    ConsoleRig rig;
    rig.console.setButtonLevel(1);
    rig.console.addButton(1, 1, 0, "uno", 'u', 5);
    rig.console.setButtonLevel(2);
    rig.console.addButton(1, 2, 0, "dos", 'd', 5);
    rig.console.hideLevelButtons(1);
    EXPECT_FALSE(rig.console.freeButtons()[0]->visible);
    EXPECT_TRUE(rig.console.freeButtons()[1]->visible);
    rig.console.removeLevelButtons(2);
    EXPECT_FALSE(rig.console.freeButtons()[1].has_value());
    rig.console.showLevelButtons(1);
    EXPECT_TRUE(rig.console.freeButtons()[0]->visible);
}

TEST(ConsoleFont, NewSizeWakesAWaitingRead) {
    ConsoleRig rig;
    rig.console.setFontSize(9);
    EXPECT_EQ(rig.console.fontSize(), 9);
    EXPECT_EQ(rig.console.takeKey(), 0);
}

}  // namespace
}  // namespace nivex::console
