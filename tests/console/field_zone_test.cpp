// Mouse zones of fields and scroll zones: a click on a field's value works
// like moving to it; a double click on a button-like entry sends Alt+M then Enter.

#include <gtest/gtest.h>

#include <vector>

#include "console/keys.h"
#include "console/screen.h"
#include "support/scripted.h"

namespace nivex::console {
namespace {

using nivex::testing::ConsoleRig;

CampoT field(std::string prompt, char type, int column, int row, int width, int decimals = 0) {
    CampoT f;
    f.prompt = std::move(prompt);
    f.type = type;
    f.column = static_cast<int16_t>(column);
    f.row = static_cast<int16_t>(row);
    f.width = static_cast<int16_t>(width);
    f.decimals = static_cast<int16_t>(decimals);
    return f;
}

class FieldZone : public ::testing::Test {
  protected:
    ConsoleRig rig;
    Screen screen{rig.console};
    // In a full-screen window: interior from screen column 2, row 2.
    std::vector<CampoT> fields = {
        field("Nombre :", 'S', 2, 3, 5),      // value window column 11: screen 12, 0-based 11
        field("Cota :", 'R', 2, 4, 9, 2),     // value column 9, shown 10 wide
        field("[ Aceptar ]", 'S', 30, 6, 0),  // button-like entry
    };

    void SetUp() override {
        ASSERT_TRUE(screen.OpenWindow('D', 1, 1, 1, "", 0, 27, 81));
        screen.ClearZones();
    }
    const MouseZone& zone(int i) const { return rig.console.zones()[static_cast<size_t>(i)]; }
};

TEST_F(FieldZone, ZonesCoverTheValuesInScreenCoordinates) {
    EXPECT_TRUE(rig.console.zoneMode());
    EXPECT_EQ(rig.console.zonesInUse(), 0);
    screen.FieldZones(fields, 2);
    EXPECT_EQ(rig.console.zonesInUse(), 3);

    EXPECT_EQ(zone(0).key, key::AltM);
    EXPECT_EQ(zone(0).value, 1);
    EXPECT_EQ(zone(0).firstColumn, 11);
    EXPECT_EQ(zone(0).lastColumn, 15);
    EXPECT_EQ(zone(0).firstRow, 3);
    EXPECT_EQ(zone(0).lastRow, 3);
    EXPECT_EQ(zone(0).button, -1);
    EXPECT_FALSE(zone(0).secondClick);
    EXPECT_FALSE(zone(0).autoRepeat);

    EXPECT_EQ(zone(1).value, 2);
    EXPECT_EQ(zone(1).firstColumn, 9);
    EXPECT_EQ(zone(1).lastColumn, 18);  // the width shown: 10 with the separator
    EXPECT_EQ(zone(1).firstRow, 4);

    EXPECT_EQ(zone(2).value, 3);
    EXPECT_EQ(zone(2).firstColumn, 42);
    EXPECT_EQ(zone(2).lastColumn, 43);  // width 0 becomes 2
    EXPECT_EQ(zone(2).firstRow, 6);
    EXPECT_EQ(zone(2).secondKey, key::Enter);
    EXPECT_TRUE(zone(2).secondClick);
}

TEST_F(FieldZone, FieldZonesUpToTheLastIndex) {
    screen.FieldZones(fields, 1);
    EXPECT_EQ(rig.console.zonesInUse(), 2);
}

TEST_F(FieldZone, AClickHandsTheFieldNumberOver) {
    screen.FieldZones(fields, 2);
    EXPECT_EQ(rig.console.mouseDown(13, 3, -1), key::AltM);
    EXPECT_TRUE(rig.switches.menuKeyAccepted);
    EXPECT_EQ(screen.SelectClickedField(), 1);
    EXPECT_EQ(rig.console.mouseDown(18, 4, -1), key::AltM);
    EXPECT_EQ(screen.SelectClickedField(), 2);
    EXPECT_EQ(rig.console.mouseDown(19, 4, -1), key::NoKey);  // past the value
    EXPECT_EQ(rig.console.mouseDown(13, 3, 1), key::NoKey);   // right button
}

TEST_F(FieldZone, DoubleClickOnAButtonLikeEntryQueuesAltMThenEnter) {
    screen.FieldZones(fields, 2);
    rig.console.mouseDown(42, 6, -1);
    rig.console.mouseDown(43, 6, -1);
    EXPECT_EQ(rig.console.takeKey(), key::AltM);
    EXPECT_EQ(rig.console.takeKey(), key::Enter);
    EXPECT_EQ(screen.SelectClickedField(), 3);
}

TEST_F(FieldZone, ClickOnAnotherFieldEndsTheEdit) {
    screen.FieldZones(fields, 2);
    std::string name = "ABC";
    rig.pump.type("XY").click(10, 4);
    screen.EditField(fields[0], &name);
    EXPECT_EQ(rig.switches.lastKey, key::AltM);
    EXPECT_EQ(name, "XY");  // validated and stored
    EXPECT_EQ(screen.SelectClickedField(), 2);
    EXPECT_TRUE(rig.pump.done());
}

TEST_F(FieldZone, DoubleClickThroughAButtonLikeField) {
    screen.FieldZones(fields, 2);
    std::string none;
    rig.pump.click(42, 6).click(42, 6);
    screen.EditField(fields[2], &none);
    EXPECT_EQ(rig.switches.lastKey, key::AltM);
    EXPECT_EQ(screen.ReadChoice(), std::string(1, static_cast<char>(key::Enter)));
}

TEST_F(FieldZone, AddedZonesFollowThoseInUse) {
    screen.ScrollZones();
    EXPECT_EQ(rig.console.zonesInUse(), 4);
    screen.AddFieldZones(fields, 1, 2);
    EXPECT_EQ(rig.console.zonesInUse(), 6);
    EXPECT_EQ(zone(4).value, 2);
    EXPECT_EQ(zone(5).value, 3);
    screen.AddFieldZone(fields[0]);
    EXPECT_EQ(zone(6).value, 7);  // its own number in the table
    screen.AddFieldZone(fields[0], 1);
    EXPECT_EQ(zone(7).value, 1);
    EXPECT_EQ(zone(7).firstColumn, 11);

    for (int i = 8; i < Console::kZoneCount; ++i)
        screen.AddFieldZone(fields[0]);
    EXPECT_EQ(rig.console.zonesInUse(), Console::kZoneCount);
    screen.AddFieldZone(fields[1]);  // no room: ignored
    screen.AddFieldZones(fields, 0, 2);
    screen.ScrollZones();
    EXPECT_EQ(rig.console.zonesInUse(), Console::kZoneCount);
}

TEST_F(FieldZone, ScrollZonesAlongTheRightEdge) {
    // Interior 2..80 x 2..26: 0-based columns 79 (last interior) and 80 (frame).
    screen.ScrollZones();
    const uint8_t keys[4] = {key::Up, key::Down, key::PgUp, key::PgDn};
    const int first[4] = {1, 25, 2, 13}, last[4] = {1, 25, 12, 24};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(zone(i).key, keys[i]) << i;
        EXPECT_EQ(zone(i).firstColumn, 79) << i;
        EXPECT_EQ(zone(i).lastColumn, 80) << i;
        EXPECT_EQ(zone(i).firstRow, first[i]) << i;
        EXPECT_EQ(zone(i).lastRow, last[i]) << i;
    }
    EXPECT_EQ(rig.console.mouseDown(80, 1, -1), key::Up);
    EXPECT_EQ(rig.console.mouseDown(79, 25, -1), key::Down);
    EXPECT_EQ(rig.console.mouseDown(80, 5, -1), key::PgUp);
    EXPECT_EQ(rig.console.mouseDown(80, 20, -1), key::PgDn);
}

TEST_F(FieldZone, ZonesOff) {
    screen.ZonesOff();
    EXPECT_FALSE(rig.console.zoneMode());
    screen.ClearZones();
    EXPECT_TRUE(rig.console.zoneMode());
}

}  // namespace
}  // namespace nivex::console
