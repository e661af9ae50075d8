// The table screens T, B, R, C, D, E and N driven by keys through the design criteria
// frame over a real control file: what they show, how they move, what they refuse and
// what reaches the file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/keys.h"
#include "shell/session.h"
#include "specs/criteria_module.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::specs {
namespace {
namespace fs = std::filesystem;

using codec::Bytes;

const std::string kAscending = "ERROR...Los valores deben estar ordenados de menor a mayor";
const std::string kDiameterOrder =
    "ERROR...Los diametros no estan en estricto orden ascendente. Revise y Corrija";
const std::string kSum = "La suma de numero y diametros y ductos no debe ser mayor que 60";

class TableScreens : public ::testing::Test, protected testing::SessionRig {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("nivex-tables-") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        project::Project& p = session.project;
        p.files.Build(dir_.string(), "AB1");
        ASSERT_TRUE(p.OpenControl());
        p.header.ProjectName = "Proyecto Nuevo";
        ASSERT_TRUE(InitialiseDesignCriteria(p.control, p.header, p.espec));
        // Every stage done, so that what a screen clears shows.
        p.header.ControlsDone = {1, 1, 1, 1};
        p.header.StageDone = {1, 1, 1, 1};
        p.header.DiameterTableValid = 1;
        p.header.CriteriaValid = 1;
        ASSERT_TRUE(SaveRecords(p.control, p.header, p.espec, {}));
        p.CloseControl();
        // The program's screen window, as start-up opens it.
        screen.OpenWindow('W', 1, 1, 1, "", 2, 27, 82);
    }
    void TearDown() override {
        session.project.CloseControl();
        fs::remove_all(dir_);
    }

    Bytes file() const {
        std::ifstream in(session.project.files.control(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    Bytes record(int k) const {
        const Bytes all = file();
        return Bytes(all.begin() + k * 512, all.begin() + (k + 1) * 512);
    }
    // Marks a byte of record k that no field uses, once the screen has loaded the set: a
    // screen that writes the record puts back what it read.
    void mark(std::vector<int> records) {
        probe([this, records] {
            for (int k : records)
                markNow(k);
        });
    }
    void markNow(int k) {
        std::fstream io(session.project.files.control(),
                        std::ios::binary | std::ios::in | std::ios::out);
        io.seekp(k * 512 + kSpareByte);
        io.put('\x7f');
    }
    bool marked(int k) const { return record(k)[kSpareByte] == 0x7f; }

    void run(uint8_t letter) {
        ASSERT_TRUE(RunCriteriaScreen(session, letter));
        EXPECT_TRUE(rig.pump.done());
    }
    // A look at the screen when it next waits.
    void probe(std::function<void()> look) { rig.pump.call(std::move(look)); }
    // A row of the screen window (row 1 is the window's first), trailing blanks cut.
    std::string line(int row) const {
        std::string text = rig.console.rowText(row + 1, 2, 80);
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }
    std::string errorLine() const {
        const std::string text = line(25);
        const size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? "" : text.substr(first);
    }
    static constexpr int kSpareByte = 500;
    fs::path dir_;
};

std::string Pad(int blanks, const std::string& text) {
    return std::string(static_cast<size_t>(blanks), ' ') + text;
}

TEST_F(TableScreens, MaxDiametersRefusesThirtyAndThirtyOneButTakesThirtyAndThirty) {
    std::string title, pipes, refused, ducts;
    std::vector<std::string> captions;
    probe([&] {
        title = line(1);
        pipes = line(8);
        for (const auto& b : rig.console.legend(1))
            captions.push_back(b.caption);
    });
    rig.pump.type("30\r31\r");
    probe([&] {
        refused = errorLine();
        ducts = line(10);  // the same field, asked again
    });
    rig.pump.type("30").key(key::Esc);
    run('T');

    EXPECT_EQ(title, Pad(21, " MAXIMO NUMERO DE DIAMETROS Y DUCTOS"));
    EXPECT_EQ(pipes, Pad(13, "Numero maximo de diametros tuberias               : 29"));
    EXPECT_EQ(captions, (std::vector<std::string>{"BORRAR", "RECUP.DATO", "SALIR"}));
    EXPECT_EQ(refused, kSum);
    EXPECT_EQ(ducts, Pad(13, "Numero maximo de ductos cuadrados                 : 31"));
    const Bytes r0 = record(0), r1 = record(1);
    EXPECT_EQ(codec::I16(r1, 372), 30);
    EXPECT_EQ(codec::I16(r1, 374), 60);
    // Control A and stages 3 and 4; byte 253, not 252.
    EXPECT_EQ(std::vector<int>(r0.begin(), r0.begin() + 8),
              (std::vector<int>{0, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(r0[252], 1);
    EXPECT_EQ(r0[253], 0);
}

TEST_F(TableScreens, EscIsRefusedWhileACrossRuleFails) {
    // 29 + 31 passes the ducts field; 30 pipes then break the sum, found only on leaving.
    std::string refused;
    rig.pump.key(key::Down).type("31").key(key::Up).type("30").key(key::Esc);
    probe([&] { refused = errorLine(); });
    rig.pump.type("29").key(key::Esc);
    run('T');
    EXPECT_EQ(refused, kSum);
    EXPECT_EQ(codec::I16(record(1), 372), 29);
    EXPECT_EQ(codec::I16(record(1), 374), 60);
}

TEST_F(TableScreens, DiameterPagesShowHalfTheTableEachAndUnchangedWriteNothing) {
    const Bytes before = file();
    std::vector<std::string> first, second, back;
    auto rows = [&](std::vector<std::string>& into) {
        return [&] {
            for (int r : {5, 6, 19, 21})
                into.push_back(line(r));
        };
    };
    probe(rows(first));
    rig.pump.key(key::PgDn);
    probe(rows(second));
    rig.pump.key(key::PgUp);
    probe(rows(back));
    rig.pump.key(key::PgUp).key(key::Esc);
    run('B');

    // 29 entries: 15 on the first page, 14 on the second.
    EXPECT_EQ(first, (std::vector<std::string>{
                         Pad(16, " 1 - Diametro Comercial en ( mm )   : 145"),  // being edited
                         Pad(16, " 2 - Diametro Comercial en ( mm )   :     182"),
                         Pad(16, "15 - Diametro Comercial en ( mm )   :   1,054"),
                         Pad(26, ".... Hay Mas Diametros ....")}));
    EXPECT_EQ(second, (std::vector<std::string>{
                          Pad(16, "16 - Diametro Comercial en ( mm )   : 1127"),
                          Pad(16, "17 - Diametro Comercial en ( mm )   :   1,203"), "",
                          Pad(5,
                              "Siguen 30 conductos cuadrados cuyos lados varian de 200 mm "
                              "en 200 mm")}));
    EXPECT_EQ(back, first);
    EXPECT_EQ(rig.pump.beeps(), 1);  // PgUp on the first page stays
    EXPECT_EQ(file(), before);
}

TEST_F(TableScreens, DiametersOutOfOrderAreRefusedAndAnAscendingTableIsSaved) {
    mark({0, 1, 3, 5});
    std::string refused;
    rig.pump.type("200").key(key::Esc);
    probe([&] { refused = errorLine(); });
    // 150 first, then 200 in place of 182: the minimum sanitary diameter has to move.
    rig.pump.type("150\r200").key(key::Esc);
    run('B');
    EXPECT_EQ(refused, kDiameterOrder);

    EXPECT_FALSE(marked(0));
    EXPECT_FALSE(marked(3));
    EXPECT_FALSE(marked(5));
    EXPECT_TRUE(marked(1));  // not a record of this screen
    const Bytes r0 = record(0), r3 = record(3);
    EXPECT_FLOAT_EQ(codec::F32(r3, 124), 200);
    EXPECT_FLOAT_EQ(codec::F32(r3, 4), 200);  // the copy of the table
    EXPECT_EQ(codec::I16(r0, 38), 200);       // 182 is nearer 200 than 150
    EXPECT_EQ(codec::I16(r0, 40), 227);
    EXPECT_FLOAT_EQ(codec::F32(r3, 240), DefaultMinimumSlopes(session.project.espec)[0]);
    // Controls A and B, stages 2 to 4 and both design-state bytes.
    EXPECT_EQ(std::vector<int>(r0.begin(), r0.begin() + 8),
              (std::vector<int>{0, 0, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(r0[252], 0);
    EXPECT_EQ(r0[253], 0);
}

TEST_F(TableScreens, SlopesNameTheirDiametersAndTakeAtLeastOneHundredth) {
    std::string note, second, duct, refused;
    probe([&] {
        note = line(3);
        second = line(6);
    });
    rig.pump.key(key::PgDn);
    probe([&] { duct = line(18); });
    rig.pump.key(key::PgUp).type("0\r");
    probe([&] { refused = errorLine(); });
    rig.pump.type("0.7").key(key::Esc);
    run('R');
    EXPECT_EQ(note, Pad(12, "Por defecto se ofrecen las pendientes TEN STATES - USA"));
    EXPECT_EQ(second, Pad(16, " 2 - Diametro Comercial  182 (mm)  0.46"));
    EXPECT_EQ(duct, Pad(16, "29 - 1er Conducto Cuadrado 3000 (mm)  0.01"));
    EXPECT_EQ(refused, "Error...El valor no puede ser menor de 0.01");
    EXPECT_FLOAT_EQ(codec::F32(record(3), 240), 0.70f);
}

TEST_F(TableScreens, ExcavationLimitsRefuseAThirdNotAboveTheSecond) {
    std::vector<std::string> errors;
    auto error = [&] { probe([&] { errors.push_back(errorLine()); }); };
    rig.pump.key(key::Down).type("3.00\r2.50\r");
    error();
    rig.pump.key(key::Up);  // no move while the value is refused
    error();
    rig.pump.type("3.00\r");
    error();
    rig.pump.type("3.10").key(key::Esc);
    run('C');
    EXPECT_EQ(errors, (std::vector<std::string>(3, kAscending)));
    const Bytes r5 = record(5);
    EXPECT_EQ(std::string(r5.begin() + 11, r5.begin() + 15), "3.10");
}

TEST_F(TableScreens, ExcavationOrderIsCheckedOnLeavingAndAClickPicksAField) {
    std::string refused;
    rig.pump.type("5").key(key::Esc);
    probe([&] { refused = errorLine(); });
    // The values start at window column 14 + 51 + 1: the third field, then the second.
    rig.pump.click(66, 12).type("7\r").click(66, 10).type("6").key(key::Esc);
    run('C');
    EXPECT_EQ(refused, kAscending);
    const EspecT& e = session.project.espec;
    EXPECT_EQ(e.RangeTexts[0], "5.00");
    EXPECT_EQ(e.RangeTexts[1], "6.00");
    EXPECT_EQ(e.RangeTexts[2], "7.00");
    EXPECT_EQ(rig.pump.beeps(), 2);  // the refusal, and Enter on the last field
    EXPECT_TRUE(rig.switches.blankZero);
    EXPECT_FALSE(rig.console.zoneMode());
}

}  // namespace
}  // namespace nivex::specs
