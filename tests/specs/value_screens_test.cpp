// The value screens driven by keys and clicks as a user would: what they show, how they
// move, what they refuse, how they page, and what the criteria frame saves.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "console/keys.h"
#include "shell/session.h"
#include "specs/criteria_module.h"
#include "specs/criteria_screens.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::specs {
namespace {

using testing::ConsoleRig;

class ValueScreens : public ::testing::Test, protected testing::SessionRig {
  protected:
    EspecT& e = session.project.espec;

    void SetUp() override { e = DefaultEspec(); }

    // A look at the screen when it next waits.
    void probe(std::function<void()> look) { rig.pump.call(std::move(look)); }
    void enters(int n) {
        for (int i = 0; i < n; ++i)
            rig.pump.key(key::Enter);
    }
    std::string errorLine() const { return rig.row(25); }
    // Screen text (0-based column) of a field's value: prompt column + prompt length.
    std::string cells(int row, int first, int last) const {
        return rig.console.rowText(row, first, last);
    }
};

TEST_F(ValueScreens, GeneralShowsItsSixteenFieldsWithManningRowsDimmed) {
    std::vector<std::string> rows(27);
    bool dimmed = false, normal = false;
    probe([&] {
        for (int r = 1; r <= 26; ++r)
            rows[static_cast<size_t>(r)] = rig.row(r);
        dimmed = rig.console.cell(10, 4).fg == console::paletteColour(7, false);
        normal = rig.console.cell(10, 5).fg != console::paletteColour(7, false);
    });
    rig.pump.key(key::Esc);
    ScreenGeneral(session);

    EXPECT_NE(rows[1].find(" ESPECIFICACIONES GENERALES"), std::string::npos);
    int fields = 0;
    for (const std::string& row : rows)
        if (row.find(":") != std::string::npos) ++fields;
    EXPECT_EQ(fields, 16);
    // Traditional n: the roughness shows 0 without decimals, dimmed.
    EXPECT_EQ(rows[4],
              std::string(9, ' ') + "Usar [n] variable con diam.- Rugosidad Absoluta de: 0");
    EXPECT_TRUE(dimmed);
    EXPECT_TRUE(normal);
    EXPECT_NE(rows[5].find(":  0.009"), std::string::npos);
    EXPECT_NE(rows[6].find(":  1,524"), std::string::npos);
    EXPECT_NE(rows[13].find("Empalmar a nivel claves llegan desde diam. (mm) .."),
              std::string::npos);
    EXPECT_NE(rows[14].find(":  595"), std::string::npos);
    EXPECT_NE(rows[16].find(":   0.75"), std::string::npos);
    EXPECT_NE(rows[19].find(":   0.050"), std::string::npos);
    EXPECT_NE(rows[21].find("Evitar flujo critico en diametros mayores de (mm) :      0"),
              std::string::npos);
    EXPECT_EQ(rig.console.legend(1).size(), 3u);
    EXPECT_EQ(rig.switches.endKeys, "Enter");  // given back
}

TEST_F(ValueScreens, GeneralRefusesAFieldUntilItsRuleHolds) {
    std::string afterRoughness, afterManning;
    // Field 1 is inactive: a typed value is refused until 0.
    rig.pump.type("5\r");
    probe([&] { afterRoughness = errorLine(); });
    rig.pump.type("0\r0.02\r");
    probe([&] { afterManning = errorLine(); });
    rig.pump.type("0.011").key(key::Esc);
    ScreenGeneral(session);

    EXPECT_NE(afterRoughness.find("ERROR...El Valor debe ser cero"), std::string::npos);
    EXPECT_NE(afterManning.find("ERROR...El Coef. de Manning debe estar entre 0.009 y 0.015"),
              std::string::npos);
    EXPECT_FLOAT_EQ(e.ManningN, 0.011f);
    EXPECT_FLOAT_EQ(e.AbsoluteRoughness, 0.03f);  // inactive: kept
}

TEST_F(ValueScreens, GeneralJunctionFieldsFifteenAndSixteen) {
    // Both switched on by the configuration: Enter from 15 reaches 16, each must be given,
    // and the crown-join fields must be 0.
    e.EnergyJunctionDiameter = 150;
    e.AvoidCriticalDiameter = 300;
    e.CrownJoinDiameter = 0;
    e.CrownJoinDropCm = 75;
    std::string refused, field11;
    probe([&] { field11 = rig.row(16); });
    enters(14);
    rig.pump.type("0\r");
    probe([&] { refused = errorLine(); });
    rig.pump.type("200\r450").key(key::Esc);
    ScreenGeneral(session);

    EXPECT_NE(field11.find(":   0.00"), std::string::npos);  // 0 under critical-flow avoidance
    EXPECT_NE(refused.find("ERROR...Debe introducir un valor"), std::string::npos);
    EXPECT_FLOAT_EQ(e.EnergyJunctionDiameter, 200);
    EXPECT_FLOAT_EQ(e.AvoidCriticalDiameter, 450);
    EXPECT_EQ(e.CrownJoinDropCm, 75);  // field 11 not typed over

    // Switched off: they stay 0, and field 10 refuses nothing but 0 only when a switch is on.
    e = DefaultEspec();
    std::string inactive;
    enters(14);
    rig.pump.type("150\r");
    probe([&] { inactive = errorLine(); });
    rig.pump.type("0\r0\r").key(key::Esc);
    ScreenGeneral(session);
    EXPECT_NE(inactive.find("ERROR...El Valor debe ser cero"), std::string::npos);
    EXPECT_FLOAT_EQ(e.EnergyJunctionDiameter, 0);
    EXPECT_FLOAT_EQ(e.AvoidCriticalDiameter, 0);
}

TEST_F(ValueScreens, GeneralEscStaysWhileTheDepthsDisagree) {
    e.MinCrownDepth = 0.5f;  // below the minimum-minimorum 0.70: field 5 is wrong
    std::string message, current;
    rig.pump.key(key::Esc);
    probe([&] {
        message = errorLine();
        current = cells(8, 62, 67);  // field 5 is being edited
    });
    rig.pump.key(key::Enter);
    probe([&] { current = errorLine() + "|" + current; });
    rig.pump.type("0.4\r").key(key::Esc);
    ScreenGeneral(session);

    EXPECT_NE(message.find("Hay un error...Oprima [ENTER] para identificarlo"), std::string::npos);
    EXPECT_NE(current.find("ERROR...No puede ser mayor que la profundidad minima a clave"),
              std::string::npos);
    EXPECT_NE(current.find("0.70"), std::string::npos);
    EXPECT_FLOAT_EQ(e.MinMinCrownDepth, 0.4f);
    EXPECT_FLOAT_EQ(e.MinCrownDepth, 0.5f);
}

TEST_F(ValueScreens, GeneralMovesByClickAndStopsAtTheEnds) {
    // Up on field 1 and Down on field 16 stay; a click on field 13 edits it.
    rig.pump.key(key::Up);
    rig.pump.click(61, 17);  // field 13's value, row 18
    rig.pump.type("4.5").key(key::Down).key(key::Down).key(key::Down).key(key::Down);
    rig.pump.key(key::Esc);
    ScreenGeneral(session);
    EXPECT_FLOAT_EQ(e.MaxVelocity, 4.5f);
    EXPECT_EQ(rig.pump.beeps(), 2);
}

TEST_F(ValueScreens, SanitaryFixedCoefficientTakesOnlyAboveOne) {
    e.PeakMethod = 6;
    e.FixedPeakCoefficient = 1.5f;
    std::vector<std::string> messages;
    rig.pump.key(key::Enter).type("0.9\r");
    probe([&] { messages.push_back(errorLine()); });
    rig.pump.type("0\r");
    probe([&] { messages.push_back(errorLine()); });
    rig.pump.type("1.8\r").key(key::Esc);
    ScreenSanitary(session);

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("ERROR...El valor debe ser mayor de 1"), std::string::npos);
    EXPECT_NE(messages[1].find("ERROR...Debe introducir un valor"), std::string::npos);
    EXPECT_FLOAT_EQ(e.FixedPeakCoefficient, 1.8f);
}

TEST_F(ValueScreens, SanitaryPairsDeferTheCheckForwardButEscChecks) {
    // Min-minimorum 0.3 with Enter is taken; Up from the minimum (0.1) too; Esc refuses.
    std::string atEsc;
    enters(4);
    rig.pump.type("0.3\r").key(key::Up).key(key::Esc);
    probe([&] { atEsc = errorLine(); });
    rig.pump.type("0.1").key(key::Esc);
    ScreenSanitary(session);
    EXPECT_NE(atEsc.find("ERROR...No puede ser mayor que la fuerza tractiva minima"),
              std::string::npos);
    EXPECT_EQ(e.SanMinMinTractive100, 10);
}

TEST_F(ValueScreens, SanitaryDiameterIsMovedToTheNearestAndCombinedStopsAtEight) {
    std::string shown, coefficient;
    // The fixed minimum coefficient method asks for its value: 0 is refused.
    enters(9);
    probe([&] { coefficient = errorLine(); });
    rig.pump.type("0.6");
    enters(3);
    rig.pump.type("200\r");
    probe([&] { shown = errorLine(); });
    rig.pump.key(key::Esc);
    ScreenSanitary(session);
    EXPECT_NE(coefficient.find("ERROR...Debe introducir un valor"), std::string::npos)
        << coefficient;
    EXPECT_FLOAT_EQ(e.FixedMinCoefficient, 0.6f);
    EXPECT_NE(shown.find("Error...No existe ese diametro. Posiblemente Es 182"), std::string::npos);
    EXPECT_EQ(e.MinSanitaryDiameter, 182);

    e.SystemKind = 3;
    const int beeps = rig.pump.beeps();
    std::string row12;
    probe([&] { row12 = rig.row(12); });
    enters(8);  // the eighth field is the last: one beep
    rig.pump.key(key::Esc);
    ScreenSanitary(session);
    EXPECT_EQ(row12, "");
    EXPECT_EQ(rig.pump.beeps(), beeps + 1);
}

TEST_F(ValueScreens, ZonesPageWithPgDnAndPgUp) {
    e.ZoneCount = 3;
    std::vector<std::string> zoneRows;
    const auto look = [&] { probe([&] { zoneRows.push_back(rig.row(7) + "|" + rig.row(9)); }); };
    rig.pump.key(key::PgDn);
    look();
    rig.pump.key(key::Enter).key(key::Enter).type("0.5").key(key::PgDn);
    look();
    rig.pump.key(key::PgDn);
    look();
    rig.pump.key(key::PgUp);
    look();
    rig.pump.key(key::Esc);
    ScreenSanitaryUnits(session);

    ASSERT_EQ(zoneRows.size(), 4u);
    EXPECT_NE(zoneRows[0].find("ZONA No.  :  2"), std::string::npos);
    EXPECT_NE(zoneRows[1].find("ZONA No.  :  3"), std::string::npos);
    EXPECT_NE(zoneRows[2].find("ZONA No.  :  1"), std::string::npos);  // wraps
    EXPECT_NE(zoneRows[2].find("0.3200"), std::string::npos);
    EXPECT_NE(zoneRows[3].find("ZONA No.  :  3"), std::string::npos);
    EXPECT_FLOAT_EQ(e.Zones[1].sewageFlow, 0.5f);
    EXPECT_NE(rig.row(1).find("VALORES UNITARIOS SANITARIOS"), std::string::npos);
}

TEST_F(ValueScreens, EquationsPageAndFollowTheCount) {
    e.EquationCount = 2;
    e.Equations[1].durationBound = 30;
    std::vector<std::string> numbers;
    const auto look = [&] { probe([&] { numbers.push_back(rig.row(9) + "|" + rig.row(11)); }); };
    // Enter past the last field of equation 1 goes to equation 2.
    enters(7);
    look();
    rig.pump.type("10").key(key::PgDn);  // frequency 10 for equation 2, then back to 1
    look();
    // Lowering the count below the shown equation moves to the last one.
    rig.pump.key(key::PgUp);  // equation 2
    look();
    rig.pump.key(key::Up).key(key::Up).type("1\r");
    look();
    rig.pump.key(key::Esc);
    ScreenRainEquations(session);

    ASSERT_EQ(numbers.size(), 4u);
    EXPECT_NE(numbers[0].find("(#)                : 2"), std::string::npos);
    EXPECT_NE(numbers[1].find("(#)                : 1"), std::string::npos);
    EXPECT_NE(numbers[1].find("3.00"), std::string::npos);
    EXPECT_NE(numbers[2].find("10.00"), std::string::npos);
    EXPECT_NE(numbers[3].find("(#)                : 1"), std::string::npos);
    EXPECT_FLOAT_EQ(e.Equations[1].frequency, 10);
    EXPECT_FLOAT_EQ(e.Equations[1].durationBound, 0);  // shown: no bound
    EXPECT_FLOAT_EQ(e.EquationCount, 1);
    EXPECT_NE(rig.row(4).find("Forma Ecuacion : i = A/(B + t^n)^m  ( ^ = exponente )"),
              std::string::npos);
}

TEST_F(ValueScreens, HyetographTimesFollowTheInterval) {
    std::string first, last;
    rig.pump.type("15\r");
    probe([&] {
        first = rig.row(10);
        last = rig.row(24);
    });
    rig.pump.key(key::Esc);
    ScreenHyetographs(session);
    EXPECT_NE(first.find(" 1 - 00:00       mm/hr    56.647"), std::string::npos);
    EXPECT_NE(last.find("15 - 03:30       mm/hr     0.000"), std::string::npos);
    EXPECT_EQ(e.SeriesInterval, 15);
}

TEST_F(ValueScreens, ReductionFactorsMustDescend) {
    std::string message;
    rig.pump.type("\r0.99\r");
    probe([&] { message = errorLine(); });
    rig.pump.type("0.96").key(key::Esc);
    ScreenReductionFactors(session);
    EXPECT_NE(message.find("ERROR...Los valores deben estar ordenados de mayor a menor"),
              std::string::npos);
    EXPECT_FLOAT_EQ(e.ReductionFactors[1], 0.96f);
}

TEST_F(ValueScreens, ConstructionFirstPageMustAddUpToHundred) {
    std::string message, page2;
    rig.pump.type("90\r");
    enters(6);  // to the Enter line and past it
    probe([&] { message = errorLine(); });
    enters(5);
    rig.pump.type("10\r\r");
    probe([&] { page2 = rig.row(3) + "|" + rig.row(10) + "|" + rig.row(13); });
    rig.pump.key(key::PgUp).key(key::Esc);
    ScreenConstruction(session);

    EXPECT_NE(message.find("ERROR...Los porcentajes no suman 100.00"), std::string::npos);
    EXPECT_NE(page2.find("Numero de conexiones por metro lineal de colector ( # )  :"),
              std::string::npos);
    EXPECT_NE(page2.find("Cimentar con recebo  (0=No 1=>0 2=>1.50 3=>3.00 4=>4.50) : 1"),
              std::string::npos);
    EXPECT_NE(page2.find("Tipos de tuberias a especificar para el diseno"), std::string::npos);
    EXPECT_FLOAT_EQ(e.ConstructionData[kDryCommon], 90);
    EXPECT_FLOAT_EQ(e.ConstructionData[kWetRock], 10);
}

// The frame around a screen: records on disk and the stage flags.
class ValueScreenFiles : public ValueScreens {
  protected:
    std::filesystem::path folder;
    std::string path;

    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 (std::string("nivex-values-") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        project::Project& p = session.project;
        p.files.Build(folder.string(), "AB1");
        ASSERT_TRUE(p.OpenControl()) << p.error;
        ASSERT_TRUE(InitialiseDesignCriteria(p.control, p.header, p.espec));
        p.espec.ManningOption = 0;  // n from the roughness: field 1 active
        p.header.ControlsDone = {1, 1, 1, 1};
        p.header.StageDone = {1, 1, 1, 1};
        p.header.CriteriaValid = 1;
        ASSERT_TRUE(SaveRecords(p.control, p.header, p.espec, {1, 2, 3, 4, 5}));
        p.CloseControl();
        path = p.files.control();
    }
    void TearDown() override {
        session.project.CloseControl();
        std::filesystem::remove_all(folder);
    }
    codec::Bytes bytes() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    codec::Bytes record(const codec::Bytes& all, int k) const {
        return codec::Bytes(all.begin() + k * 512, all.begin() + (k + 1) * 512);
    }
};

TEST_F(ValueScreenFiles, GeneralSavesRecordsZeroAndTwoAndClearsItsFlags) {
    const codec::Bytes before = bytes();
    rig.pump.type("0.05\r");  // roughness, record 2
    enters(7);
    rig.pump.type("0.80").key(key::Esc);  // minimum drop height, record 0
    ASSERT_TRUE(RunCriteriaScreen(session, 'F'));

    const codec::Bytes after = bytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(record(after, 0), record(before, 0));
    EXPECT_NE(record(after, 2), record(before, 2));
    for (int k : {1, 3, 4, 5})
        EXPECT_EQ(record(after, k), record(before, k)) << k;
    EXPECT_FLOAT_EQ(codec::F32(record(after, 2), 494), 0.05f);
    EXPECT_FLOAT_EQ(codec::F32(record(after, 0), 54), 0.80f);

    shell::ProyectoT h;
    shell::Decode(record(after, 0), h);
    EXPECT_EQ(h.ControlsDone, (std::array<uint8_t, 4>{0, 0, 1, 1}));
    EXPECT_EQ(h.StageDone, (std::array<uint8_t, 4>{1, 0, 0, 0}));
    EXPECT_EQ(h.CriteriaValid, 0);
}

TEST_F(ValueScreenFiles, ClosingTheProgramFromAScreenSavesWhatItTook) {
    rig.pump.type("0.05\r");  // roughness, taken
    enters(7);
    rig.pump.type("0.8");  // minimum drop height, still being typed: taken as Esc takes it
    rig.pump.call([] { throw console::ProgramExit{}; });
    EXPECT_NO_THROW(RunCriteriaScreen(session, 'F'));

    const codec::Bytes after = bytes();
    EXPECT_FLOAT_EQ(codec::F32(record(after, 2), 494), 0.05f);
    EXPECT_FLOAT_EQ(codec::F32(record(after, 0), 54), 0.8f);
    shell::ProyectoT h;
    shell::Decode(record(after, 0), h);
    EXPECT_EQ(h.ControlsDone, (std::array<uint8_t, 4>{0, 0, 1, 1}));
    EXPECT_EQ(h.CriteriaValid, 0);
    EXPECT_FALSE(session.project.control.isOpen());
}

TEST_F(ValueScreenFiles, ScreensLeftWithoutChangesWriteNothing) {
    const codec::Bytes before = bytes();
    for (char letter : {'F', 'G', 'H', 'I', 'J', 'S', 'L', 'O', 'K'}) {
        enters(3);  // through some fields without typing
        rig.pump.key(key::Esc);
        ASSERT_TRUE(RunCriteriaScreen(session, static_cast<uint8_t>(letter))) << letter;
        EXPECT_EQ(bytes(), before) << letter;
    }
    EXPECT_TRUE(rig.pump.done());
}

}  // namespace
}  // namespace nivex::specs
