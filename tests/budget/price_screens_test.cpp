// The unit price and lump-sum screens driven by keys over a designed project with its
// quantities: what is shown, where the keys lead, what reaches the price file and the
// control file, and the files that are never written over.

#include "budget/price_screens.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "console/codepage.h"
#include "console/keys.h"
#include "network/network_controls.h"
#include "project/project_list.h"
#include "project/project_selection.h"
#include "project/sector_lock.h"
#include "quantities/quantity_driver.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"
#include "support/session_rig.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::budget {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t kF2 = key::F1 + 1;
constexpr int kFirstItemRow = 7;

class PriceScreens : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(quantities::RunQuantities(project).stop, quantities::RunStop::None);
        SetBudgetDone();
        project::ProjectSelection selection(s, s.project);
        ASSERT_EQ(selection.List((base_ / "projects").string()), project::ListOutcome::Listed);
        c().ui.answers.push_back('S');
        ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
        c().ui.boxes.clear();
        chapters = BuildBudgetChapters(project.espec);
        const auto l = quantities::LimitsOf(project.espec);
        firstDuct = l.firstDuct;
        ASSERT_EQ(quantities::ReadQuantityFile(
                      quantities::QuantityFilePath(project.files, quantities::kSystemNew),
                      l.sizeCount(), tables)
                      .status,
                  quantities::FileRead::Read);
    }
    testing::ConsoleRig& c() { return rig.rig; }
    void SetBudgetDone() {
        std::string error;
        ASSERT_TRUE(network::WithControl(project, &error, [&] {
            project.header.StageDone[3] = 1;
            return network::SaveControlRecords(project, {}, &error);
        })) << error;
    }
    shell::ProyectoT Header() {
        std::string error;
        EXPECT_TRUE(network::LoadControlState(project, &error)) << error;
        return project.header;
    }
    UnitPrices Stored() {
        UnitPrices p;
        EXPECT_EQ(ReadPriceFile(pricePath(), firstDuct, p).status, PriceRead::Read);
        return p;
    }
    std::string pricePath() const { return (folder() / "XSANPRE.AB0").string(); }
    // Rows of the screen when it next waits.
    void Snap(std::vector<std::string>& into, int first, int last) {
        c().pump.call([&into, first, last, this] {
            std::string text;
            for (int r = first; r <= last; ++r)
                text += c().row(r) + "\n";
            into.push_back(text);
        });
    }
    // Whether each line of the page in rows 7.. is drawn in the dark tone.
    void SnapTones(std::vector<bool>& into, int lines) {
        c().pump.call([&into, lines, this] {
            for (int k = 0; k < lines; ++k)
                into.push_back(c().console.cell(5, kFirstItemRow + k).style == 1);
        });
    }

    testing::SessionRig rig;
    shell::Session& s = rig.session;
    std::vector<BudgetChapter> chapters;
    quantities::QuantityTables tables;
    int firstDuct = 0;
};

TEST_F(PriceScreens, PricesReachTheFileAndTheBudgetMustBeComputedAgain) {
    std::vector<std::string> shot;
    Snap(shot, 1, 7);
    c().pump.key(key::Enter).key(key::F9).type("1234.5").key(key::Enter);
    // A negative price is refused on row 25, and so are more than two decimals: the field
    // rounds nothing unseen.
    c().pump.key(key::F9).type("-5").key(key::Enter);
    Snap(shot, 25, 25);
    c().pump.key(key::F9).type("7.006").key(key::Enter);
    Snap(shot, 25, 25);
    c().pump.key(key::F9).type("7.01").key(key::Enter);
    Snap(shot, 22, 23);
    c().pump.key(key::Esc);
    EnterUnitPrices(s);
    EXPECT_TRUE(c().pump.done());
    ASSERT_EQ(shot.size(), 4u);
    EXPECT_NE(shot[2].find("Error...Usar maximo 2 cifra(s) decimale(s)"), std::string::npos)
        << shot[2];
    shot.erase(shot.begin() + 2);
    EXPECT_NE(shot[0].find("ENTRADA DE PRECIOS UNITARIOS"), std::string::npos) << shot[0];
    EXPECT_NE(shot[0].find("........................................ Capitulo : 1"),
              std::string::npos)
        << shot[0];
    EXPECT_NE(shot[0].find("CAPITULO #1 - EXCAVACIONES (m3)\nEn material comun (en seco)\n"
                           "    Profundidad menor de "),
              std::string::npos)
        << shot[0];
    EXPECT_NE(shot[0].find(" $"), std::string::npos);
    EXPECT_NE(shot[1].find("Error...El valor no puede ser menor de 0"), std::string::npos)
        << shot[1];
    const size_t note =
        shot[2].find("Los ITEMS en tono oscuro son indispensables - Use F2 para buscarlos\n");
    EXPECT_NE(note, std::string::npos) << shot[2];
    EXPECT_GT(shot[2].find("F2 tambien sirve para encontrar el inicio del capitulo siguiente"),
              note)
        << shot[2];

    const UnitPrices p = Stored();
    EXPECT_EQ(p.excavation[1][1], 1234.5);
    EXPECT_EQ(p.excavation[1][2], 7.01);
    EXPECT_EQ(p.excavation[1][3], 0);
    EXPECT_EQ(Header().StageDone[3], 0);
    EXPECT_TRUE(c().ui.boxes.empty());
}

// Closing the window is the Esc of the screen: the price being typed is kept as Esc
// keeps it, and the program leaves from the main menu afterwards.
TEST_F(PriceScreens, ClosingTheProgramFromTheUnitPricesKeepsThePriceBeingTyped) {
    c().pump.key(key::Enter).key(key::F9).type("1234.5").key(key::Enter);
    c().pump.key(key::F9).type("99");  // still being typed
    c().pump.call([] { throw console::ProgramExit{}; });
    EXPECT_NO_THROW(EnterUnitPrices(s));
    EXPECT_EQ(Stored().excavation[1][1], 1234.5);
    EXPECT_EQ(Stored().excavation[1][2], 99);
    EXPECT_EQ(Header().StageDone[3], 0);
}

TEST_F(PriceScreens, ClosingTheProgramFromTheGlobalPricesKeepsTheValueBeingTyped) {
    c().pump.type("Interventoria").key(key::Enter).key(key::F9).type("2").key(key::Enter);
    c().pump.key(key::F9).type("1000");  // still being typed
    c().pump.call([] { throw console::ProgramExit{}; });
    EXPECT_NO_THROW(EnterGlobalPrices(s));
    const UnitPrices p = Stored();
    ASSERT_EQ(p.globals.size(), 1u);
    EXPECT_EQ(p.globals[0].description, "Interventoria");
    EXPECT_EQ(p.globals[0].value, 1000);
}

TEST_F(PriceScreens, ClosingTheProgramOnARefusedPriceKeepsThePricesTaken) {
    c().pump.key(key::Enter).key(key::F9).type("1234.5").key(key::Enter);
    c().pump.key(key::F9).type("7.001");  // three decimals: Esc refuses it too
    c().pump.call([] { throw console::ProgramExit{}; });
    EXPECT_THROW(EnterUnitPrices(s), console::ProgramExit);
    EXPECT_EQ(Stored().excavation[1][1], 1234.5);
    EXPECT_EQ(Stored().excavation[1][2], 0);
}

TEST_F(PriceScreens, LeavingWithoutAChangeKeepsTheBudgetButWritesTheFile) {
    c().pump.key(key::Esc);
    EnterUnitPrices(s);
    EXPECT_TRUE(fs::exists(pricePath()));
    EXPECT_EQ(Header().StageDone[3], 1);
}

// Prices serve every sector: a change from the totaliser marks the budget of each sector
// to be computed again. While another program works on one of them, nothing is changed
// and the message names that sector and its holder.
TEST_F(PriceScreens, APriceChangeIsRefusedWhileAnotherProgramHoldsASector) {
    const fs::path one = folder() / "XSDA.AB1", two = folder() / "XSDA.AB2";
    fs::copy_file(one, folder() / "XSDA.AB0");
    fs::copy_file(one, two);
    project::Project total;
    total.files.Build(folder().string(), "AB0");
    total.selection.code = "AB";
    total.selection.sector = "0";
    total.selection.sectors = "2";
    total.selection.sectorCount = 2;
    total.selection.extension = "AB0";
    PriceBook book;
    std::string error;
    ASSERT_TRUE(LoadPriceBook(total, book, &error)) << error;
    book.prices.excavation[1][1] = 4321;
    auto bytes = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string prices = bytes(pricePath()), oneBefore = bytes(one), twoBefore = bytes(two);

    // Sector 1 is open in this session; sector 2 is being budgeted by another program.
    ASSERT_TRUE(s.project.lock.held());
    EXPECT_FALSE(StorePrices(total, book, true, &error));
    EXPECT_EQ(error.rfind("El sector AB1 esta en uso por NIVEX (", 0), 0u) << error;
    s.project.lock.Release();
    project::SectorLock budgeting;
    ASSERT_EQ(budgeting.Acquire((folder() / "Bloqueo.AB2").string(),
                                project::ThisProcess("nivex-batch budget", false)),
              project::LockResult::Taken);
    EXPECT_FALSE(StorePrices(total, book, true, &error));
    EXPECT_EQ(error, cp(project::InUseMessage("AB2", budgeting.me(), budgeting.path())));
    EXPECT_EQ(bytes(pricePath()), prices);
    EXPECT_EQ(bytes(one), oneBefore);
    EXPECT_EQ(bytes(two), twoBefore);
    EXPECT_FALSE(fs::exists(folder() / "Bloqueo.AB1")) << "a refused change kept a sector";

    budgeting.Release();
    ASSERT_TRUE(StorePrices(total, book, true, &error)) << error;
    EXPECT_EQ(Stored().excavation[1][1], 4321);
    for (const fs::path& sector : {one, two}) {
        shell::ProyectoT h;
        ASSERT_TRUE(project::ReadHeaderOnly(sector.string(), h));
        EXPECT_EQ(h.StageDone[3], 0) << sector;
    }
    for (const char* lock : {"Bloqueo.AB1", "Bloqueo.AB2"})
        EXPECT_FALSE(fs::exists(folder() / lock)) << lock << " kept after the change";
}

TEST_F(PriceScreens, PagesFollowTheChaptersAndTheirGroups) {
    std::vector<std::string> shot;
    c().pump.key(key::PgUp);  // not before chapter 1
    Snap(shot, 5, 6);
    for (int k = 0; k < 4; ++k)
        c().pump.key(key::Enter);  // past the first material's items
    Snap(shot, 5, 6);
    c().pump.key(key::Up).key(key::Up).key(key::Up).key(key::Up);  // back to the chapter field
    c().pump.key(key::PgDn).key(key::PgDn);
    Snap(shot, 5, 6);
    for (int k = 0; k < 8; ++k)
        c().pump.key(key::PgDn);  // not beyond chapter 8
    Snap(shot, 3, 5);
    c().pump.key(key::Esc);
    EnterUnitPrices(s);
    EXPECT_TRUE(c().pump.done());
    ASSERT_EQ(shot.size(), 4u);
    EXPECT_EQ(shot[0], "CAPITULO #1 - EXCAVACIONES (m3)\nEn material comun (en seco)\n");
    EXPECT_EQ(shot[1], "CAPITULO #1 - EXCAVACIONES (m3)\nEn conglomerado (en seco)\n");
    EXPECT_NE(shot[2].find("CAPITULO #3 - CONSTRUCCION POZOS DE INSPECCION (unid)\n"
                           "Pozos de inspeccion de 1.20 m."),
              std::string::npos)
        << shot[2];
    EXPECT_NE(shot[3].find("Capitulo : 8"), std::string::npos) << shot[3];
    EXPECT_NE(shot[3].find("CAPITULO #8 - TRAMOS ELIMINADOS"), std::string::npos) << shot[3];
}

TEST_F(PriceScreens, F2FindsTheNeededPipesInTheDarkTone) {
    // The pipe items of the first excavation range the quantities need.
    const ItemGroup& range1 = chapters[3].groups[0];
    std::vector<bool> needed;
    for (const BudgetItem& item : range1.items)
        needed.push_back(ItemQuantity(tables, item) > 0);
    int target = -1;
    for (int k = 1; k < static_cast<int>(needed.size()) && k < 15; ++k)
        if (needed[static_cast<size_t>(k)]) {
            target = k;
            break;
        }
    ASSERT_GE(target, 1) << "the designed grid needs a pipe of the first range";

    std::vector<bool> tones;
    std::vector<std::string> shot;
    c().pump.key(key::PgDn).key(key::PgDn).key(key::PgDn);  // chapter 4, first item
    SnapTones(tones, std::min<int>(15, static_cast<int>(needed.size())));
    Snap(shot, 5, 6);
    c().pump.key(kF2).key(key::F9).type("45000").key(key::Esc);
    EnterUnitPrices(s);
    EXPECT_TRUE(c().pump.done());
    ASSERT_EQ(shot.size(), 1u);
    EXPECT_EQ(shot[0],
              "CAPITULO #4 - SUMINISTRO E INSTALACION DE TUBERIAS (ml)\n" + range1.heading + "\n");
    for (size_t k = 0; k < tones.size(); ++k)
        EXPECT_EQ(tones[k], needed[k]) << "line " << k;

    UnitPrices p = Stored();
    EXPECT_EQ(*PriceSlot(p, range1.items[static_cast<size_t>(target)]), 45000);
    p.pipes[1][static_cast<size_t>(range1.items[static_cast<size_t>(target)].second)] = 0;
    EXPECT_EQ(p.pipes, UnitPrices{}.pipes);  // nothing else was priced
}

TEST_F(PriceScreens, ADamagedPriceFileIsNeitherShownNorWrittenOver) {
    std::ofstream(pricePath(), std::ios::binary) << "esto no es un archivo de precios\r\n";
    EnterUnitPrices(s);
    EnterGlobalPrices(s);
    EXPECT_TRUE(c().pump.done());  // no screen waited for a key
    ASSERT_EQ(c().ui.boxes.size(), 2u);
    for (const auto& box : c().ui.boxes) {
        EXPECT_EQ(box.kind, "error");
        EXPECT_NE(box.message.find("XSANPRE.AB0"), std::string::npos) << box.message;
    }
    std::ostringstream now;
    now << std::ifstream(pricePath(), std::ios::binary).rdbuf();
    EXPECT_EQ(now.str(), "esto no es un archivo de precios\r\n");
}

TEST_F(PriceScreens, GlobalRowsAreCheckedCompactedAndTheirHighestStageStored) {
    std::vector<std::string> shot;
    Snap(shot, 1, 5);
    // Row 1 priced for stage 2.
    c().pump.type("Interventoria").key(key::Enter).key(key::F9).type("2").key(key::Enter);
    c().pump.key(key::F9).type("1000").key(key::Enter);
    // Row 2: a tag outside 0..3 and E is refused, then E is taken.
    c().pump.type("Campamento").key(key::Enter).key(key::F9).type("7").key(key::Enter);
    Snap(shot, 25, 25);
    c().pump.key(key::F9).type("e").key(key::Enter).key(key::F9).type("500").key(key::Enter);
    // Row 3 has no value, row 4 no description: both are dropped.
    c().pump.type("Sin valor").key(key::Enter).key(key::Enter).key(key::Enter);
    c().pump.key(key::End).key(key::End).key(key::F9).type("300").key(key::Enter);
    // Row 5 for stage 3, then emptied again through Home back to its description.
    c().pump.type("Vallas").key(key::End).key(key::F9).type("3").key(key::End);
    c().pump.key(key::F9).type("80").key(key::Home).key(key::Home).key(key::F9).key(key::Esc);
    EnterGlobalPrices(s);
    EXPECT_TRUE(c().pump.done());
    ASSERT_EQ(shot.size(), 2u);
    EXPECT_NE(shot[0].find("ENTRADA DE PRECIOS GLOBALES"), std::string::npos);
    EXPECT_NE(shot[0].find(" # ......... D   E   T   A   L   L   E ............. ETAPA "
                           "..PRECIOS GLOBALES.."),
              std::string::npos)
        << shot[0];
    EXPECT_EQ(shot[0].substr(shot[0].rfind('\n', shot[0].size() - 2) + 1, 3), " 1 ") << shot[0];
    EXPECT_NE(shot[1].find("ERROR ... Dato invalido"), std::string::npos) << shot[1];

    const UnitPrices p = Stored();
    ASSERT_EQ(p.globals.size(), 2u);
    EXPECT_EQ(p.globals[0].description, "Interventoria");
    EXPECT_EQ(p.globals[0].tag, "2");
    EXPECT_EQ(p.globals[0].value, 1000);
    EXPECT_EQ(p.globals[1].description, "Campamento");
    EXPECT_EQ(p.globals[1].tag, "E");
    EXPECT_EQ(p.globals[1].value, 500);
    EXPECT_EQ(Header().StageDone[3], 0);
    EXPECT_EQ(project.espec.BudgetStageTag, "2");
}

}  // namespace
}  // namespace nivex::budget
