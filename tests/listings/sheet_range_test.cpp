// The sheet-range box driven by keys and clicks as a user would: what it shows, how it
// moves between its fields, the range check, how it ends and what it leaves behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "listings/sheet_range.h"
#include "shell/session.h"
#include "support/scripted.h"
#include "support/session_rig.h"
#include "ui/settings_store.h"

namespace nivex::listings {
namespace {

using testing::ConsoleRig;

const std::string kRangeError = "ERROR ... la hoja final debe ser igual o mayor que la inicial";

class SheetRange : public ::testing::Test, protected testing::SessionRig {
  protected:
    // A look at the screen when the box next waits.
    void probe(std::function<void()> look) { rig.pump.call(std::move(look)); }
    void pressOk() {
        rig.pump.call([this] {
            const console::KeyButton* ok = button("  OK  ");
            ASSERT_NE(ok, nullptr);
            rig.console.buttonClicked(*ok);
        });
    }
    const console::KeyButton* button(const std::string& caption) const {
        for (const auto& b : rig.console.freeButtons())
            if (b && b->caption == caption) return &*b;
        return nullptr;
    }
    std::vector<std::string> errors() const {
        std::vector<std::string> found;
        for (const auto& box : rig.ui.boxes) {
            EXPECT_EQ(box.kind, "error");
            EXPECT_EQ(box.caption, "Error");
            found.push_back(box.message);
        }
        return found;
    }
    std::string cells(int row, int first, int last) const {
        return rig.console.rowText(row, first, last);
    }
};

TEST_F(SheetRange, BoxShowsItsTitleFieldsAndButton) {
    std::string titleBar, desde, hasta;
    const console::KeyButton* ok = nullptr;
    bool ownEscape = false, extraEscape = false, caret = false;
    probe([&] {
        titleBar = cells(12, 23, 58);
        desde = cells(13, 24, 57);
        hasta = cells(14, 24, 57);
        ok = button("  OK  ");
        ownEscape = rig.switches.ownEscape;
        extraEscape = rig.switches.extraEscape;
        caret = rig.console.caretSwitch();
    });
    rig.pump.key(key::Esc);
    EXPECT_EQ(AskSheetRange(session, "Listado de Tramos"), key::Esc);

    // Inner width 37, left (81 - 37) div 2 = 22: the interior spans columns 23 to 58.
    EXPECT_EQ(titleBar, " Listado de Tramos" + std::string(18, ' '));
    EXPECT_EQ(desde, "Desde Hoja # ( 0 principio ) : 0  ");  // being edited
    EXPECT_EQ(hasta, "Hasta Hoja # ( 0 final     ) :   0");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->column, 22 + 37 / 2 - 3);
    EXPECT_EQ(ok->row, 15);
    EXPECT_EQ(ok->key, key::AltZ);
    EXPECT_TRUE(ownEscape);
    EXPECT_TRUE(extraEscape);
    EXPECT_TRUE(caret);

    // A longer title widens the box to 45 + 2: left (81 - 47) div 2 = 17, and the fields
    // move to window column (47 - 37) div 2 + 2 = 7, screen column 24.
    probe([&] { desde = cells(13, 19, 28); });
    rig.pump.key(key::Esc);
    AskSheetRange(session, std::string(45, 'T'));
    EXPECT_EQ(desde, "     Desde");
}

// A title longer than the prompts: the box grows so that the title bar holds a blank and
// the whole title inside the frame, and the fields stay centred under it.
TEST_F(SheetRange, LongTitleIsShownWhole) {
    const std::string title = "< TRAMOS EXISTENTES O RESTRINGIDOS ELIMINADOS >";  // 47
    std::string titleBar, desde, frameLeft, frameRight;
    probe([&] {
        titleBar = cells(12, 1, 81);
        desde = cells(13, 1, 81);
        frameLeft = cells(12, 16, 16);
        frameRight = cells(12, 65, 65);
    });
    rig.pump.key(key::Esc);
    EXPECT_EQ(AskSheetRange(session, title), key::Esc);

    // Inner width 47 + 2 = 49, left (81 - 49) div 2 = 16: frame columns 16 and 65, the
    // interior 17 to 64 (48 columns) holds " " + the 47 letters.
    EXPECT_NE(titleBar.find(" " + title), std::string::npos) << titleBar;
    EXPECT_EQ(titleBar.substr(16, 48), " " + title);
    EXPECT_EQ(frameLeft, "\x8a");
    EXPECT_EQ(frameRight, "\x8b");
    // Fields at window column (49 - 37) div 2 + 2 = 8, screen column 16 + 8 = 24.
    EXPECT_EQ(desde.substr(23, 30), "Desde Hoja # ( 0 principio ) :");
}

TEST_F(SheetRange, TypedRangeEndsWithAltZAsEnterAndEscKeepsZeroAsOne) {
    rig.pump.type("3\r5\r").key(key::AltZ);
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Enter);
    EXPECT_EQ(session.listing.FirstSheet, 3);
    EXPECT_EQ(session.listing.LastSheet, 5);
    EXPECT_EQ(rig.pump.beeps(), 1);  // Enter on the last field stays
    EXPECT_TRUE(rig.ui.boxes.empty());

    // Esc at once: "Desde" 0 is the first sheet.
    rig.pump.key(key::Esc);
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Esc);
    EXPECT_EQ(session.listing.FirstSheet, 1);
    EXPECT_EQ(session.listing.LastSheet, 0);
}

TEST_F(SheetRange, HastaBelowDesdeIsRefusedAndEditedAgain) {
    std::string hastaAfterError;
    rig.pump.type("5\r3\r");
    probe([&] { hastaAfterError = cells(14, 55, 57); });
    rig.pump.type("8").key(key::AltZ);
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Enter);
    EXPECT_EQ(errors(), std::vector<std::string>{kRangeError});
    EXPECT_EQ(hastaAfterError, "3  ");  // the same field, active again
    EXPECT_EQ(session.listing.FirstSheet, 5);
    EXPECT_EQ(session.listing.LastSheet, 8);
}

TEST_F(SheetRange, MovingAwayDefersTheCheckButEndingChecks) {
    // Hasta left with Up and Desde left with Down are not checked; Alt+Z and Esc are.
    rig.pump.type("\r3").key(key::Up).type("5").key(key::Down).key(key::AltZ);
    rig.pump.key(key::Esc).type("6").key(key::Esc);
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Esc);
    EXPECT_EQ(errors(), (std::vector<std::string>{kRangeError, kRangeError}));
    EXPECT_EQ(session.listing.FirstSheet, 5);
    EXPECT_EQ(session.listing.LastSheet, 6);
}

TEST_F(SheetRange, UpAndDownBeepAtTheEnds) {
    rig.pump.key(key::Up).key(key::Down).key(key::Down).key(key::Up).key(key::Esc);
    AskSheetRange(session, "Hojas");
    EXPECT_EQ(rig.pump.beeps(), 2);
    EXPECT_TRUE(rig.pump.done());
}

TEST_F(SheetRange, ClickOnAFieldMovesToItAndOkEndsAsEnter) {
    // Hasta's value: screen columns 55..57, row 14 (0-based 54, 13).
    rig.pump.type("4").click(54, 13).type("9");
    pressOk();
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Enter);
    EXPECT_EQ(session.listing.FirstSheet, 4);
    EXPECT_EQ(session.listing.LastSheet, 9);
}

TEST_F(SheetRange, ClosingRestoresTheScreenAndTheSwitches) {
    rig.console.setWindow(1, 1, 82, 27);
    for (int r = 1; r <= 27; ++r) {
        rig.console.gotoXY(1, r);
        rig.console.writeText(std::string(60, static_cast<char>('a' + r % 26)));
    }
    rig.console.clearZones();
    rig.console.zones()[0].key = 'Q';
    const auto before = [&] {
        std::vector<std::string> rows;
        for (int r = 1; r <= 27; ++r)
            rows.push_back(rig.console.rowText(r));
        return rows;
    };
    const std::vector<std::string> screenBefore = before();
    rig.switches.blankZero = false;
    rig.pump.type("2").key(key::Esc);
    AskSheetRange(session, "Hojas");

    EXPECT_EQ(before(), screenBefore);
    EXPECT_EQ(screen.WindowDepth(), 0);
    EXPECT_FALSE(rig.switches.ownEscape);
    EXPECT_FALSE(rig.switches.extraEscape);
    EXPECT_TRUE(rig.switches.blankZero);
    EXPECT_FALSE(rig.console.caretSwitch());
    EXPECT_EQ(rig.console.zones()[0].key, 'Q');
    EXPECT_EQ(rig.console.zonesInUse(), 1);
    for (const auto& b : rig.console.freeButtons())
        EXPECT_FALSE(b.has_value());
}

TEST_F(SheetRange, SizeBoxLayout) {
    std::string top, titleBar, size, desde, hasta;
    const console::KeyButton* ok = nullptr;
    probe([&] {
        top = cells(10, 19, 19);
        titleBar = cells(11, 20, 27);
        size = cells(12, 21, 59);
        desde = cells(13, 21, 58);
        hasta = cells(14, 21, 58);
        ok = button("  OK  ");
    });
    rig.pump.key(key::Esc);
    int value = 200;
    EXPECT_EQ(AskSheetRangeAndSize(session, cp("Diseño"), value), key::Esc);
    EXPECT_EQ(value, 200);

    // Inner width 42, left 19, rows 10 to 16: the title bar on 11, the fields on 12 to 14.
    EXPECT_EQ(top, "\x86");
    EXPECT_EQ(titleBar, cp(" Diseño "));
    EXPECT_EQ(size, "Dimension Minima Colector ( mm ) : 200 ");  // being edited
    EXPECT_EQ(desde, "Desde Hoja # ( 0 principio )     :   0");
    EXPECT_EQ(hasta, "Hasta Hoja # ( 0 final     )     :   0");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->column, 19 + 42 / 2 - 3);
    EXPECT_EQ(ok->row, 15);
}

TEST_F(SheetRange, SizeBoxChecksTheRangeUnlessMovingOn) {
    int size = 200;
    rig.pump.type("\r\r3").key(key::Up);      // Hasta 3, Up: not checked
    rig.pump.type("5").key(key::Down);        // Desde 5, Down: not checked
    rig.pump.key(key::Up).key(key::Up);       // Hasta Up, Desde Up: not checked
    rig.pump.type("300").key(key::Up);        // size Up: checked, error 1, edited again
    rig.pump.key(key::Down).key(key::Enter);  // size Down: not checked; Desde Enter: error 2
    rig.pump.type("2\r").key(key::Down);      // Desde 2; Down on Hasta stays and beeps
    rig.pump.key(key::AltZ);
    EXPECT_EQ(AskSheetRangeAndSize(session, "Hojas", size), key::Enter);
    EXPECT_EQ(errors(), (std::vector<std::string>{kRangeError, kRangeError}));
    EXPECT_EQ(size, 300);
    EXPECT_EQ(session.listing.FirstSheet, 2);
    EXPECT_EQ(session.listing.LastSheet, 3);
    EXPECT_EQ(rig.pump.beeps(), 1);  // Down on Hasta
}

TEST_F(SheetRange, PresetRangeShowsNoBox) {
    session.listing.rangePreset = true;
    session.listing.presetFirst = 0;
    session.listing.presetLast = 4;
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Enter);
    EXPECT_EQ(session.listing.FirstSheet, 1);
    EXPECT_EQ(session.listing.LastSheet, 4);
    EXPECT_EQ(rig.pump.waits(), 0);

    int size = 200;
    EXPECT_EQ(AskSheetRangeAndSize(session, "Hojas", size), key::Enter);
    EXPECT_EQ(size, 200);  // no preset size: the caller's
    session.listing.presetSize = 250;
    EXPECT_EQ(AskSheetRangeAndSize(session, "Hojas", size), key::Enter);
    EXPECT_EQ(size, 250);
    EXPECT_TRUE(rig.ui.boxes.empty());

    session.listing.presetFirst = 5;
    session.listing.presetLast = 3;
    EXPECT_EQ(AskSheetRange(session, "Hojas"), key::Esc);
    EXPECT_EQ(errors(), std::vector<std::string>{kRangeError});
    EXPECT_EQ(rig.pump.waits(), 0);
    EXPECT_EQ(screen.WindowDepth(), 0);
}

}  // namespace
}  // namespace nivex::listings
