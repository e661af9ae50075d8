#include <gtest/gtest.h>

#include <fstream>

#include "console/codepage.h"
#include "console/keys.h"
#include "shell/gating.h"
#include "shell/main_menu.h"
#include "shell/menu_rules.h"
#include "shell/project_fixture.h"
#include "support/scripted.h"

namespace nivex::shell {
namespace {

using testing::AcceptingDialog;
using testing::TempFolder;

using NoDesktop = nivex::testing::NullDesktop;

// The main menu over one sector whose record 0 the test sets.
struct LoopRig {
    TempFolder folder{"loop"};
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    NoDesktop desktop;
    ui::MemorySettings settings;
    MenuBarModel menu;
    Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    AcceptingDialog dialog;

    explicit LoopRig(const std::string& sectors = "1", const std::string& extension = "AB1")
        : dialog(session.project, folder.path.string(), extension, sectors) {
        session.projectDialog = &dialog;
        dialog.header.DesignClass = 2;
    }

    // A menu-bar choice made when the screen next waits.
    void choose(const char* caption) {
        const MenuItem* item = menu.item(cp(caption));
        ASSERT_NE(item, nullptr) << caption;
        rig.pump.call([this, item] { MenuItemChosen(session, *item); });
    }
    void leave() {
        rig.pump.key(key::AltZ);
        rig.ui.answers.push_back('S');
    }
    void run() { RunMainMenu(session); }
};

ProyectoT StateWith(int reaches, const char* controls, const char* stages) {
    ProyectoT p;
    p.ReachCount = reaches;
    for (size_t i = 0; i < 4; ++i) {
        p.ControlsDone[i] = controls[i] == '1';
        p.StageDone[i] = stages[i] == '1';
    }
    return p;
}

TEST(Gating, FollowsTheStagesOfTheSector) {
    const std::string noReaches = "... Falta entrar los datos de los tramos ...";
    const std::string noControls = "... Falta hacer los controles de calidad ...";
    const std::string noDesign = cp("... Falta hacer el diseño del proyecto ...");
    const std::string noQuantities = "... Falta calcular las cantidades de obra ...";
    const std::string noBudget = "... Falta calcular los presupuestos ...";

    const ProyectoT empty = StateWith(0, "0000", "0000");
    EXPECT_EQ(GateMessage(3, empty, "1", 0), noReaches);
    for (int choice : {1, 2, 4})
        EXPECT_EQ(GateMessage(choice, empty, "1", 'A'), "") << choice;

    const ProyectoT abc = StateWith(12, "1110", "0000");
    EXPECT_EQ(GateMessage(3, abc, "1", 0), "");
    EXPECT_EQ(GateMessage(4, abc, "1", 'B'), "");
    for (int choice = 5; choice <= 12; ++choice)
        EXPECT_EQ(GateMessage(choice, abc, "1", 'A'), noControls) << choice;

    const ProyectoT checked = StateWith(12, "1111", "0000");
    EXPECT_EQ(GateMessage(5, checked, "1", 'A'), "");
    EXPECT_EQ(GateMessage(5, checked, "1", 'B'), noDesign);
    EXPECT_EQ(GateMessage(6, checked, "1", 'A'), noDesign);

    const ProyectoT designed = StateWith(12, "1111", "0100");
    EXPECT_EQ(GateMessage(8, designed, "1", 'B'), "");
    EXPECT_EQ(GateMessage(9, designed, "1", 'B'), noQuantities);
    const ProyectoT quantities = StateWith(12, "1111", "0110");
    EXPECT_EQ(GateMessage(10, quantities, "1", 'C'), "");
    EXPECT_EQ(GateMessage(11, quantities, "1", 'A'), noBudget);
    EXPECT_EQ(GateMessage(12, StateWith(12, "1111", "0111"), "1", 'A'), "");
    EXPECT_EQ(GateMessage(99, empty, "1", 0), "");
}

TEST(Gating, ATotaliserGatesOnlyQuantitiesAndAfter) {
    const ProyectoT empty = StateWith(0, "0000", "0000");
    for (int choice : {5, 6, 7})
        EXPECT_EQ(GateMessage(choice, empty, "3", 'A'), "") << choice;
    for (int choice = 8; choice <= 12; ++choice)
        EXPECT_NE(GateMessage(choice, empty, "3", 'A'), "") << choice;
}

TEST(MenuRules, ClassItemsFollowTheDesignClass) {
    MenuBarModel menu;
    MenuFacts facts;
    facts.sector = "1";
    facts.sectors = "1";
    facts.designClass = 4;  // storm by the rational method
    ApplyClassItems(menu, facts);
    EXPECT_FALSE(menu.itemEnabled("Especificaciones Sanitarias"));
    EXPECT_TRUE(menu.itemEnabled("Especificaciones Pluviales"));
    EXPECT_TRUE(menu.itemEnabled("Factor de Reduccion  Pluvial"));
    EXPECT_FALSE(menu.itemEnabled("Hietogramas SWMM"));
    EXPECT_TRUE(menu.itemEnabled("Listado Deficiencias RAS"));
    EXPECT_FALSE(menu.itemEnabled("Empalmes Energia"));
    EXPECT_FALSE(menu.itemEnabled("Pendientes Minimas"));

    facts.designClass = 9;
    facts.energyJunctionDiameter = 150;
    facts.slopePerDiameter = 1;
    facts.sector = "2";  // the tables of sector 1 hold
    ApplyClassItems(menu, facts);
    EXPECT_FALSE(menu.itemEnabled("Especificaciones Sanitarias"));
    EXPECT_TRUE(menu.itemEnabled("Hietogramas SWMM"));
    EXPECT_TRUE(menu.itemEnabled("Ajuste Swmm"));
    EXPECT_FALSE(menu.itemEnabled("Listado Deficiencias RAS"));
    EXPECT_TRUE(menu.itemEnabled(cp("Diseño Hidraulico para Swmm  (inundados)")));
    EXPECT_TRUE(menu.itemEnabled("Empalmes Energia"));
    EXPECT_TRUE(menu.itemEnabled("Pendientes Minimas"));
    EXPECT_FALSE(menu.itemEnabled("Diametros Comerciales a utilizar"));
    EXPECT_FALSE(menu.itemEnabled("Diametro Pozos"));
    EXPECT_TRUE(menu.itemEnabled("Especificaciones Generales"));

    facts.designClass = 0;  // read as a combined class
    ApplyClassItems(menu, facts);
    EXPECT_TRUE(menu.itemEnabled("Especificaciones Sanitarias"));
    EXPECT_TRUE(menu.itemEnabled("Factor de Reduccion  Pluvial"));
}

TEST(MenuRules, TotaliserShowsOnlyWhatItUses) {
    MenuBarModel menu;
    MenuFacts facts;
    facts.sector = "0";
    facts.sectors = "3";
    ApplyTotaliserVisibility(menu, facts);
    std::vector<std::string> visible;
    for (const auto& e : menu.entries())
        if (e.visible) visible.push_back(e.caption);
    EXPECT_EQ(visible,
              (std::vector<std::string>{"Archivos", "Cant. Obra", "List. Obra", "Presupuesto",
                                        "List. Presupuesto", "List. Resumen", "Ayuda"}));
    EXPECT_FALSE(menu.itemEnabled("Clasificacion Tramos y Pozos"));

    facts.sectors = "1";  // sector 0 of a project without sectors
    ApplyTotaliserVisibility(menu, facts);
    for (const auto& e : menu.entries())
        EXPECT_TRUE(e.visible) << e.caption;
    ApplyConstructionStageItems(menu, facts);
    EXPECT_TRUE(menu.itemEnabled("Etapas Construccion"));
    facts.sectors = "3";
    ApplyConstructionStageItems(menu, facts);
    EXPECT_FALSE(menu.itemEnabled("Definicion Etapas Construccion (opcional)"));
    EXPECT_FALSE(menu.itemEnabled("Etapas Construccion"));
}

TEST(MenuRules, ListingItemsFollowKindAndClass) {
    MenuBarModel menu;
    MenuFacts facts;
    facts.systemKind = 4;
    facts.designClass = 4;
    ApplyListingItems(menu, facts);
    EXPECT_FALSE(menu.itemVisible("Caudales Sanitarios"));
    EXPECT_TRUE(menu.itemVisible("Caudales Pluviales"));
    facts.systemKind = 3;
    facts.designClass = 6;
    ApplyListingItems(menu, facts);
    EXPECT_TRUE(menu.itemVisible("Caudales Sanitarios"));
    EXPECT_FALSE(menu.itemVisible("Caudales Pluviales"));
}

TEST(MainLoop, ANewProjectRefusesTheControlsInTheTextBox) {
    LoopRig s;
    s.choose("Controles");
    s.rig.pump.call([&] {
        // The refusal waits in its text box.
        EXPECT_EQ(s.rig.row(10).find("... Falta entrar los datos de los tramos ...") !=
                          std::string::npos ||
                      s.rig.row(11).find("... Falta entrar los datos de los tramos ...") !=
                          std::string::npos,
                  true);
        EXPECT_TRUE(s.rig.switches.continueWaiting);
        s.rig.console.pushKey(key::Enter);
    });
    s.leave();
    s.run();
    EXPECT_TRUE(s.rig.pump.done());
    EXPECT_EQ(s.dialog.runs, 1);
    EXPECT_TRUE(s.menu.entryEnabled("Controles"));
}

TEST(MainLoop, TypedDigitsChooseNothingWhileTheMenuBarDoes) {
    LoopRig s;
    s.dialog.header = StateWith(5, "1110", "0000");
    s.rig.pump.type("5");
    s.rig.pump.call([&] {
        EXPECT_EQ(s.rig.switches.mainChoice, 0);
        s.rig.console.pushKey(0);
    });
    s.choose("Diseño del Proyecto");
    s.rig.pump.call([&] {
        EXPECT_EQ(s.rig.switches.mainChoice, 5);
        EXPECT_TRUE(s.rig.switches.continueWaiting);  // refused: controls not all passed
        s.rig.console.pushKey(key::Esc);
    });
    s.choose("Especificaciones");     // general listings: not gated
    s.rig.ui.answers.push_back('N');  // not listed after all; the module ends with it
    s.leave();
    s.run();
    EXPECT_TRUE(s.rig.pump.done());
    EXPECT_EQ(s.rig.switches.mainChoiceText, "04");
}

TEST(MainLoop, AltZAsksBeforeLeaving) {
    LoopRig s;
    s.rig.pump.key(key::AltZ);
    s.rig.ui.answers = {'N'};
    s.leave();
    s.run();
    ASSERT_EQ(s.rig.ui.boxes.size(), 2u);
    EXPECT_EQ(s.rig.ui.boxes[0].message, "Desea abandonar ahora ?");
    EXPECT_EQ(s.rig.ui.boxes[0].caption, "Salir del Programa");
    ASSERT_EQ(s.rig.console.legend(1).size(), 1u);
    EXPECT_EQ(s.rig.console.legend(1)[0].caption, "TERMINAR");
    EXPECT_TRUE(s.rig.switches.blankZero);
}

TEST(MainLoop, ChoiceZeroReopensTheSelection) {
    LoopRig s;
    s.choose("Abrir");
    s.leave();
    s.run();
    EXPECT_EQ(s.dialog.runs, 2);
    ASSERT_EQ(s.rig.console.legend(1).size(), 1u);
    EXPECT_EQ(s.rig.console.legend(1)[0].caption, "TERMINAR");
}

TEST(MainLoop, LeavingTheSelectionEndsTheRun) {
    LoopRig s;
    s.dialog.accept = false;
    s.run();
    EXPECT_EQ(s.dialog.runs, 1);
    EXPECT_TRUE(s.rig.ui.boxes.empty());
}

TEST(MainLoop, StaleDesignMessagesGoWhileControlsAreMissing) {
    LoopRig s;
    s.dialog.header = StateWith(5, "1110", "0000");
    const auto evolution = s.folder.path / "MensEv.AB1";
    const auto problems = s.folder.path / "MensPr.AB1";
    s.rig.pump.call([&] {
        std::ofstream(evolution) << "x";
        std::ofstream(problems) << "x";
        MenuItemChosen(s.session, *s.menu.item("Especificaciones"));
    });
    s.rig.ui.answers.push_back('N');
    s.rig.pump.key(key::Esc);
    s.leave();
    s.run();
    EXPECT_FALSE(std::filesystem::exists(evolution));
    EXPECT_FALSE(std::filesystem::exists(problems));
}

}  // namespace
}  // namespace nivex::shell
