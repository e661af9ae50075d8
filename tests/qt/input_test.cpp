// Keys and clicks reaching the console component become the key codes of the console.

#include <gtest/gtest.h>

#include "console/keys.h"
#include "qt_rig.h"

namespace nivex::testing {
namespace {

using Keys = std::vector<int>;

TEST(ConsoleKeys, FunctionKeysWithModifiers) {
    WidgetRig rig;
    rig.press(Qt::Key_F1);
    rig.press(Qt::Key_F1, Qt::AltModifier);
    rig.press(Qt::Key_F1, Qt::ControlModifier);
    rig.press(Qt::Key_F1, Qt::ShiftModifier);
    rig.press(Qt::Key_F10);
    rig.press(Qt::Key_F5, Qt::AltModifier);
    rig.press(Qt::Key_F12);
    EXPECT_EQ(rig.drain(), (Keys{133, 182, 179, 133, 142, 193, 176}));
}

TEST(ConsoleKeys, LettersPushOneCodeEach) {
    WidgetRig rig;
    rig.press(Qt::Key_A, Qt::NoModifier, "a");
    rig.press(Qt::Key_A, Qt::AltModifier, "a");
    rig.press(Qt::Key_A, Qt::ControlModifier, "\x01");
    rig.press(Qt::Key_A, Qt::ShiftModifier, "A");
    rig.press(Qt::Key_Z, Qt::AltModifier, "z");
    rig.press(Qt::Key_K, Qt::ControlModifier, "\x0b");
    EXPECT_EQ(rig.drain(), (Keys{97, 145, 1, 65, 170, 183}));
}

TEST(ConsoleKeys, KeysWithTextAreNotDoubled) {
    WidgetRig rig;
    rig.press(Qt::Key_Return, Qt::NoModifier, "\r");
    rig.press(Qt::Key_Enter, Qt::KeypadModifier, "\r");
    rig.press(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    rig.press(Qt::Key_Backspace, Qt::NoModifier, "\b");
    rig.press(Qt::Key_Delete, Qt::NoModifier, "\x7f");
    EXPECT_EQ(rig.drain(), (Keys{13, 13, 27, 8, 132}));
}

TEST(ConsoleKeys, NavigationKeys) {
    WidgetRig rig;
    rig.press(Qt::Key_Up);
    rig.press(Qt::Key_Down);
    rig.press(Qt::Key_Left);
    rig.press(Qt::Key_Right);
    rig.press(Qt::Key_PageDown);
    rig.press(Qt::Key_PageDown, Qt::ControlModifier);
    rig.press(Qt::Key_Home, Qt::ControlModifier);
    rig.press(Qt::Key_End);
    rig.press(Qt::Key_Insert);
    EXPECT_EQ(rig.drain(), (Keys{128, 129, 130, 131, 143, 174, 177, 172, 181}));
}

TEST(ConsoleKeys, TabStaysInTheConsole) {
    WidgetRig rig;
    rig.view.show();
    rig.press(Qt::Key_Tab, Qt::NoModifier, "\t");
    rig.press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(rig.drain(), (Keys{9, 9}));
}

TEST(ConsoleKeys, CodePageCharacters) {
    WidgetRig rig;
    rig.press(Qt::Key_Ntilde, Qt::ShiftModifier, QString::fromUtf8("Ñ"));
    rig.press(Qt::Key_Ntilde, Qt::NoModifier, QString::fromUtf8("ñ"));
    rig.press(Qt::Key_Question, Qt::ShiftModifier, "?");
    rig.press(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ж"));  // not in the code page
    rig.press(Qt::Key_Shift, Qt::ShiftModifier);                         // no character
    EXPECT_EQ(rig.drain(), (Keys{209, 241, '?'}));
}

TEST(ConsoleKeys, ShortcutsNeverTakeAKeyFromTheConsole) {
    WidgetRig rig;
    for (auto [key, mods] :
         {std::pair{Qt::Key_F10, Qt::NoModifier}, std::pair{Qt::Key_D, Qt::AltModifier}}) {
        QKeyEvent e(QEvent::ShortcutOverride, key, mods);
        e.ignore();
        QApplication::sendEvent(&rig.view, &e);
        EXPECT_TRUE(e.isAccepted());
    }
}

// ---- mouse ----

console::MouseZone zone(uint8_t key, int firstColumn, int lastColumn, int row, int value) {
    console::MouseZone z;
    z.key = key;
    z.secondKey = key;
    z.firstColumn = firstColumn;
    z.lastColumn = lastColumn;
    z.firstRow = z.lastRow = row;
    z.value = value;
    return z;
}

struct ZoneRig : WidgetRig {
    ZoneRig() {
        console.clearZones();
        console.zones()[0] = zone(key::AltM, 10, 20, 5, 3);
        auto& right = console.zones()[1] = zone('R', 10, 20, 5, 4);
        right.button = 1;
    }
};

TEST(ConsoleMouse, ClickOnAZonePushesItsKey) {
    ZoneRig rig;
    rig.click(rig.centreOf(12, 5));
    EXPECT_EQ(rig.drain(), (Keys{key::AltM}));
    EXPECT_EQ(rig.console.zoneValue(), 3);
    EXPECT_TRUE(rig.switches.menuKeyAccepted);
    EXPECT_EQ(rig.console.lastClickColumn(), 12);

    rig.click(rig.centreOf(12, 5), Qt::RightButton);
    rig.click(rig.centreOf(21, 5));  // beside the zone
    rig.click(rig.centreOf(12, 6));
    rig.click(rig.centreOf(12, 5), Qt::MiddleButton);  // not a console button
    EXPECT_EQ(rig.drain(), (Keys{'R', key::NoKey, key::NoKey}));
}

TEST(ConsoleMouse, CellOfAPixelCountsTheLineGap) {
    WidgetRig rig;
    const auto& m = rig.view.cells().metrics();
    EXPECT_EQ(rig.view.cellAt({0, 0}), QPoint(0, 0));
    EXPECT_EQ(rig.view.cellAt({m.width - 1, m.rowHeight() - 1}), QPoint(0, 0));
    EXPECT_EQ(rig.view.cellAt({m.width * 81, m.rowHeight() * 26}), QPoint(81, 26));
    EXPECT_EQ(rig.view.cellAt({m.width * 3 + 1, m.height + 1}), QPoint(3, 0));
}

TEST(ConsoleMouse, SecondClickWithinHalfASecond) {
    WidgetRig rig;
    rig.console.clearZones();
    auto& z = rig.console.zones()[0] = zone(key::AltM, 0, 5, 2, 1);
    z.secondKey = key::Enter;
    z.secondClick = true;

    rig.click(rig.centreOf(1, 2));
    rig.click(rig.centreOf(2, 2));
    EXPECT_EQ(rig.drain(), (Keys{key::AltM, key::Enter}));

    rig.click(rig.centreOf(1, 2));
    spin(750);  // the second-click timer forgets the first click
    rig.click(rig.centreOf(1, 2));
    EXPECT_EQ(rig.drain(), (Keys{key::AltM, key::AltM}));
}

TEST(ConsoleMouse, AutoRepeatWhileTheButtonStaysDown) {
    WidgetRig rig;
    rig.console.clearZones();
    auto& z = rig.console.zones()[0] = zone(key::Down, 80, 80, 10, 0);
    z.autoRepeat = true;

    rig.mouse(QEvent::MouseButtonPress, rig.centreOf(80, 10));
    spin(420);
    EXPECT_EQ(rig.drain(), (Keys{key::Down}));  // repeats start at the fifth tick
    spin(500);
    const auto repeats = rig.drain();
    EXPECT_GE(repeats.size(), 2u);
    rig.mouse(QEvent::MouseButtonRelease, rig.centreOf(80, 10));
    spin(300);
    EXPECT_TRUE(rig.drain().empty());

    // Leaving the zone stops it as well.
    rig.mouse(QEvent::MouseButtonPress, rig.centreOf(80, 10));
    rig.mouse(QEvent::MouseMove, rig.centreOf(70, 10));
    spin(700);
    EXPECT_EQ(rig.drain(), (Keys{key::Down}));
}

// ---- buttons ----

TEST(ConsoleButtons, LegendButtonShowsCaptionAndHintAndPushesItsKey) {
    WidgetRig rig;
    rig.console.setLegend(1, 27, "AltZ^terminar", false, 1);
    QPushButton* b = rig.view.legendButton(1, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->isHidden());
    EXPECT_EQ(b->text(), "TERMINAR");
    EXPECT_EQ(b->toolTip(), "Tecla: AltZ");
    EXPECT_TRUE(rig.view.legendButton(1, 1)->isHidden());
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);

    b->click();
    EXPECT_EQ(rig.drain(), (Keys{key::AltZ}));
    EXPECT_FALSE(rig.switches.menuKeyAccepted);
}

// The longest captions of the legends ("ELIM RESTRIC" of the reach screen is twelve
// letters in a button ten cells wide) keep clear of the button's edges in every size of
// the console, and so does the caption of a free button.
TEST(ConsoleButtons, CaptionsKeepClearOfTheButtonEdges) {
    for (int size : {6, 7, 9, 12, 14, 17}) {
        WidgetRig rig;
        rig.console.setFontSize(size);
        rig.console.setLegend(1, 27,
                              "F1^Salvar F2^Buscar F4^Borrar F5^Recup.dato AltF1^Reordenar "
                              "AltF2^elim_Restric F6^Quitar_Exist Esc^Retroceder",
                              false, 1);
        rig.console.addButton(30, 15, 0, "  OK  ", key::AltZ, 6);
        std::vector<QPushButton*> shown;
        for (int slot = 0; slot < console::Console::kButtonsPerLegend; ++slot)
            if (QPushButton* b = rig.view.legendButton(1, slot); b && !b->isHidden())
                shown.push_back(b);
        ASSERT_EQ(shown.size(), 8u);
        for (int i = 1; i <= console::Console::kFreeButtons; ++i)
            if (QPushButton* b = rig.view.freeButton(i); b && !b->isHidden()) shown.push_back(b);
        ASSERT_EQ(shown.size(), 9u);
        for (QPushButton* b : shown) {
            // The bevel of two pixels and four clear pixels on each side of the letters.
            const int letters = QFontMetrics(b->font()).horizontalAdvance(b->text().trimmed());
            EXPECT_LE(letters + 2 * 6, b->width()) << size << " " << b->text().toStdString();
        }
        // The captions of one legend share one face.
        for (size_t i = 1; i + 1 < shown.size(); ++i) {
            EXPECT_EQ(shown[i]->font(), shown.front()->font()) << size;
        }
    }
}

TEST(ConsoleButtons, LegendLayout) {
    WidgetRig rig;
    const auto& m = rig.view.cells().metrics();
    rig.console.setLegend(1, 27, "F1^a F2^b F3^c F4^d F5^e F6^f F7^g F8^h F9^i", false, 1);
    const int pitch = 11 * m.width + 2;
    const int margin = (82 * m.width - 7 * pitch) / 2;
    const QRect first = rig.view.legendButton(1, 0)->geometry();
    EXPECT_EQ(first.left(), margin);
    EXPECT_EQ(first.width(), 10 * m.width);
    EXPECT_GE(first.top(), 27 * m.rowHeight());
    for (int slot = 1; slot < 7; ++slot) {
        const QRect r = rig.view.legendButton(1, slot)->geometry();
        EXPECT_EQ(r.left(), margin + slot * pitch);
        EXPECT_EQ(r.top(), first.top());
    }
    const QRect eighth = rig.view.legendButton(1, 7)->geometry();
    EXPECT_EQ(eighth.left(), margin);
    EXPECT_GT(eighth.top(), first.bottom());
    EXPECT_LE(rig.view.legendButton(1, 8)->geometry().bottom(), rig.view.height());

    // A new legend replaces the old buttons.
    rig.console.setLegend(1, 27, "Esc^salir", false, 1);
    EXPECT_FALSE(rig.view.legendButton(1, 0)->isHidden());
    EXPECT_TRUE(rig.view.legendButton(1, 7)->isHidden());
}

TEST(ConsoleButtons, LegendFromTheRightAndSecondRowColour) {
    WidgetRig rig;
    const auto& m = rig.view.cells().metrics();
    rig.console.setLegend(82, 27, "F2^uno F3^dos", false, 2);
    const int pitch = 11 * m.width + 2;
    const int margin = (82 * m.width - 7 * pitch) / 2;
    EXPECT_EQ(rig.view.legendButton(2, 0)->geometry().left(), margin + 5 * pitch);
    EXPECT_EQ(rig.view.legendButton(2, 1)->geometry().left(), margin + 6 * pitch);
    const QColor ink = rig.view.legendButton(2, 0)->palette().color(QPalette::ButtonText);
    EXPECT_EQ(ink, QColor(0x80, 0, 0));

    rig.console.setLegend(1, 27, "F2^uno", false, 1);
    EXPECT_LT(rig.view.legendButton(1, 0)->geometry().top(),
              rig.view.legendButton(2, 0)->geometry().top());
}

TEST(ConsoleButtons, FreeButtonsSitOnTheirCellsAndFollowTheirLevel) {
    WidgetRig rig;
    rig.console.setButtonLevel(2);
    ASSERT_TRUE(rig.console.addButton(70, 5, 4, "X", key::Esc, 3));
    rig.console.setButtonLevel(3);
    ASSERT_TRUE(rig.console.addButton(30, 12, 4, "  SI  ", 'S', 6));

    QPushButton* close = rig.view.freeButton(1);
    QPushButton* yes = rig.view.freeButton(2);
    EXPECT_EQ(close->geometry().topLeft(), rig.view.cells().cellRect(70, 5).topLeft());
    EXPECT_EQ(close->width(), 3 * rig.view.cells().metrics().width);
    EXPECT_TRUE(close->font().bold());
    EXPECT_FALSE(yes->font().bold());
    EXPECT_EQ(yes->text(), "  SI  ");

    rig.console.hideLevelButtons(2);
    EXPECT_TRUE(close->isHidden());
    EXPECT_FALSE(yes->isHidden());
    rig.console.showLevelButtons(2);
    EXPECT_FALSE(close->isHidden());

    close->click();
    yes->click();
    EXPECT_EQ(rig.drain(), (Keys{key::Esc, 'S'}));

    rig.console.removeButton(1);
    EXPECT_TRUE(close->isHidden());
}

TEST(ConsoleButtons, FontSizeResizesTheConsoleAndMovesTheButtons) {
    WidgetRig rig;
    rig.console.addButton(40, 10, 4, "OK", key::Enter, 4);
    rig.console.setLegend(1, 27, "F9^borrar", false, 1);
    rig.console.setFontSize(8);

    const auto& m = rig.view.cells().metrics();
    EXPECT_EQ(rig.view.size(), QSize(82 * m.width, 30 * m.rowHeight()));
    EXPECT_EQ(rig.view.freeButton(1)->geometry().topLeft(),
              rig.view.cells().cellRect(40, 10).topLeft());
    EXPECT_EQ(rig.view.legendButton(1, 0)->width(), 10 * m.width);
    EXPECT_EQ(rig.drain(), (Keys{0}));  // wakes a waiting read
}

}  // namespace
}  // namespace nivex::testing
