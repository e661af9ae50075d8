#include "shell/main_menu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "console/codepage.h"
#include "console/keys.h"
#include "specs/criteria_module.h"
#include "support/scripted.h"

namespace nivex::shell {
namespace {

struct NullDesktop : ui::Desktop {
    bool fontOk = true;
    ui::OpenResult open = ui::OpenResult::Opened;
    std::string lastOpened;
    int abouts = 0;
    bool registerListingFont(const std::string&) override { return fontOk; }
    ui::OpenResult openDocument(const std::string& path) override {
        lastOpened = path;
        return open;
    }
    void showAbout() override { ++abouts; }
    bool moveToTrash(const std::string&) override { return false; }
};

struct ShellRig {
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    NullDesktop desktop;
    ui::MemorySettings settings;
    MenuBarModel menu;
    Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};

    std::vector<int> queued() {
        std::vector<int> keys;
        while (auto k = rig.console.takeKey())
            keys.push_back(*k);
        return keys;
    }
};

TEST(MenuBar, FourteenEntriesAndStartUpDisablesAllButFilesAndHelp) {
    MenuBarModel menu;
    ASSERT_EQ(menu.entries().size(), 14u);
    EXPECT_EQ(menu.entries()[5].caption, cp("Diseño"));
    EXPECT_EQ(menu.entries()[12].caption, "Planos");  // just before "Ayuda"
    EXPECT_EQ(menu.entries()[13].caption, "Ayuda");
    int changes = 0;
    menu.onChange = [&] { ++changes; };
    menu.disableAll();
    for (const auto& e : menu.entries())
        EXPECT_EQ(e.enabled, e.caption == "Archivos" || e.caption == "Ayuda") << e.caption;
    menu.enableAll();
    EXPECT_TRUE(menu.entryEnabled("List. Resumen"));
    EXPECT_EQ(changes, 2);
}

TEST(MenuBar, ItemsCarryTheirKeys) {
    MenuBarModel menu;
    const MenuItem* design = menu.item(cp("Diseño del Proyecto"));
    ASSERT_NE(design, nullptr);
    EXPECT_EQ(design->mainKey, '5');
    EXPECT_EQ(design->subKey, 'A');
    EXPECT_EQ(menu.item("Controles")->subKey, 0);
    EXPECT_EQ(menu.item("Indice General Proyecto")->mainKey, 'Z');
    EXPECT_EQ(menu.item("Abrir")->action, MenuAction::Open);
    const auto plans = menu.itemsOf("Planos");
    ASSERT_EQ(plans.size(), 7u);
    EXPECT_EQ(menu.item("Plano de la Red")->action, MenuAction::Plan);
    EXPECT_EQ(menu.item("Perfiles Longitudinales")->action, MenuAction::Profiles);
    EXPECT_EQ(menu.item("Coordenadas de Pozos")->action, MenuAction::Coordinates);
    EXPECT_EQ(plans[3]->caption, "Exportar GeoPackage");
    EXPECT_EQ(plans[3]->action, MenuAction::ExportGeoPackage);
    EXPECT_EQ(plans[4]->action, MenuAction::ExportShapefiles);
    EXPECT_EQ(plans[5]->action, MenuAction::ExportDxf);
    EXPECT_EQ(plans[6]->caption, "Exportar Excel (XLSX)");
    EXPECT_EQ(plans[6]->action, MenuAction::ExportWorkbook);
    // Beside the SWMM import, through the menu's keys as it is.
    const auto files = menu.itemsOf("Archivos");
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files[3]->caption, "Entrar Archivo Swmm");
    EXPECT_EQ(files[4]->caption, "Entrar Red SIG");
    EXPECT_EQ(files[4]->mainKey, '1');
    EXPECT_EQ(files[4]->subKey, 'U');
    EXPECT_EQ(files[4]->action, MenuAction::InjectKeys);
    EXPECT_EQ(menu.itemsOf("Especificaciones").size(), 17u);
    EXPECT_EQ(menu.itemsOf(cp("List. Diseño")).size(), 11u);
    EXPECT_EQ(menu.item("Nada"), nullptr);
    menu.setItemEnabled("Nada", false);  // unknown captions are ignored
}

TEST(InjectMenuKeys, AtTheMainMenuPushesTheTwoKeys) {
    ShellRig s;
    s.rig.switches.atMainMenu = true;
    InjectMenuKeys(s.session, '5', 'A');
    EXPECT_EQ(s.queued(), (std::vector<int>{'5', 'A'}));
    EXPECT_TRUE(s.rig.switches.menuKeyAccepted);
    EXPECT_TRUE(s.rig.switches.keysInjected);
}

TEST(InjectMenuKeys, BacksOutOfTheOpenWindows) {
    ShellRig s;
    for (int i = 0; i < 3; ++i)
        s.screen.OpenWindow('W', 1, 1, 1, "", 2, 27, 82);
    InjectMenuKeys(s.session, '3', 0);
    EXPECT_EQ(s.queued(), (std::vector<int>{27, 27, '3', 0}));

    s.rig.switches.extraEscape = true;
    InjectMenuKeys(s.session, '3', 0);
    EXPECT_EQ(s.queued(), (std::vector<int>{27, 27, 27, '3', 0}));

    s.rig.switches.extraEscape = false;
    s.rig.switches.ownEscape = true;
    s.rig.switches.unwindAllWindows = true;
    InjectMenuKeys(s.session, '3', 0);
    EXPECT_EQ(s.queued(), (std::vector<int>{27, 27, 27, '3', 0}));
}

TEST(InjectMenuKeys, AnswersAPendingQuestionOrMessageFirst) {
    ShellRig s;
    s.screen.OpenWindow('W', 1, 1, 1, "", 2, 27, 82);
    s.rig.switches.questionWaiting = true;
    InjectMenuKeys(s.session, '1', 'F');
    EXPECT_EQ(s.queued(), (std::vector<int>{'N', '1', 'F'}));

    s.rig.switches.questionWaiting = false;
    s.rig.switches.continueWaiting = true;
    InjectMenuKeys(s.session, '1', 'F');
    EXPECT_EQ(s.queued(), (std::vector<int>{13, '1', 'F'}));

    s.rig.switches.continueWaiting = false;
    InjectMenuKeys(s.session, '1', 'F');  // one window, not at the menu: one Esc
    EXPECT_EQ(s.queued(), (std::vector<int>{27, '1', 'F'}));
}

TEST(InjectMenuKeys, RefusedWhileAnErrorShowsOrAProcessRuns) {
    ShellRig s;
    s.rig.switches.errorShowing = true;
    InjectMenuKeys(s.session, '5', 'A');
    EXPECT_TRUE(s.queued().empty());
    EXPECT_EQ(s.rig.ui.last()->message,
              "No se puede cambiar a otra opcion del menu\rmientras haya mensajes de error");
    EXPECT_FALSE(s.rig.switches.keysInjected);

    s.rig.switches.errorShowing = false;
    s.rig.switches.processRunning = true;
    InjectMenuKeys(s.session, '5', 'A');
    EXPECT_TRUE(s.queued().empty());
    EXPECT_EQ(s.rig.ui.last()->caption, "Error");
    EXPECT_NE(s.rig.ui.last()->message.find("proceso en ejecucion"), std::string::npos);
}

TEST(MainMenu, ManualMissingIsExplained) {
    ShellRig s;
    s.session.folders.program = "/opt/nivex";
    s.desktop.open = ui::OpenResult::FileMissing;
    MenuItemChosen(s.session, *s.menu.item("Ver Manual"));
    EXPECT_EQ(s.desktop.lastOpened, "/opt/nivex/Nivex.pdf");
    EXPECT_EQ(s.rig.ui.last()->caption, "Error de Instalacion");
    EXPECT_EQ(s.rig.ui.last()->message.rfind("Falta el archivo Nivex.pdf", 0), 0u);
    MenuItemChosen(s.session, *s.menu.item("Acerca de"));
    EXPECT_EQ(s.desktop.abouts, 1);
}

struct CountingPlans : ui::PlansWindow {
    std::vector<ui::PlansRequest> shown;
    int tables = 0;
    bool saves = false, open = false;
    void show(ui::PlansRequest request) override { shown.push_back(std::move(request)); }
    bool isOpen() const override { return open; }
    bool editCoordinates(project::Project&) override {
        ++tables;
        return saves;
    }
};

// The drawings' gate refuses in the menu's own box, as a refused main choice does, and
// while a process runs the window is not opened over files being written.
TEST(MainMenu, PlansAreGatedAsTheMenuGatesItsChoices) {
    ShellRig s;
    CountingPlans plans;
    s.session.plans = &plans;
    s.rig.switches.mainChoice = 5;
    s.rig.pump.key(key::Enter);
    MenuItemChosen(s.session, *s.menu.item("Plano de la Red"));
    EXPECT_EQ(s.screen.lastMessage(), "... Falta entrar los datos de los tramos ...");
    EXPECT_EQ(s.rig.switches.mainChoice, 5);
    EXPECT_EQ(s.screen.WindowDepth(), 0);  // the box closed with Enter

    s.session.project.header.ReachCount = 12;
    s.rig.pump.key(key::Esc);
    MenuItemChosen(s.session, *s.menu.item("Perfiles Longitudinales"));
    EXPECT_EQ(s.screen.lastMessage(), cp("... Falta hacer el diseño del proyecto ..."));

    s.rig.switches.processRunning = true;
    MenuItemChosen(s.session, *s.menu.item("Plano de la Red"));
    EXPECT_NE(s.rig.ui.last()->message.find("proceso en ejecucion"), std::string::npos);
    MenuItemChosen(s.session, *s.menu.item("Coordenadas de Pozos"));
    EXPECT_EQ(plans.tables, 0);
    EXPECT_TRUE(plans.shown.empty());
}

// "Coordenadas de Pozos" is refused with the plan's gate; once there are reaches the table
// opens, and an open drawings window is not reopened by a table closed without saving.
TEST(MainMenu, CoordinatesTableOpensWithThePlansGate) {
    ShellRig s;
    CountingPlans plans;
    s.session.plans = &plans;
    s.rig.pump.key(key::Enter);
    MenuItemChosen(s.session, *s.menu.item("Coordenadas de Pozos"));
    EXPECT_EQ(s.screen.lastMessage(), "... Falta entrar los datos de los tramos ...");
    EXPECT_EQ(plans.tables, 0);

    s.session.project.header.ReachCount = 12;
    plans.open = true;
    MenuItemChosen(s.session, *s.menu.item("Coordenadas de Pozos"));
    EXPECT_EQ(plans.tables, 1);
    EXPECT_TRUE(plans.shown.empty());
}

struct CountingExchange : ui::SectorExchange {
    std::vector<exchange::SectorFormat> exports;
    int imports = 0;
    void exportSector(exchange::SectorFormat format) override { exports.push_back(format); }
    bool importGis() override {
        ++imports;
        return false;
    }
};

// The exports only read a designed sector: refused with the gate of the design listings, in
// the menu's own box, until the design is done, and while a process writes the files.
TEST(MainMenu, ExportsAreGatedAsTheDesignListingsAre) {
    ShellRig s;
    CountingExchange exchange;
    s.session.exchange = &exchange;
    s.session.project.selection.sectors = "1";
    ProyectoT& h = s.session.project.header;
    const char* const items[] = {"Exportar GeoPackage", "Exportar Shapefile", "Exportar DXF",
                                 "Exportar Excel (XLSX)"};
    s.rig.switches.mainChoice = 2;
    for (const char* item : items) {
        s.rig.pump.key(key::Enter);
        MenuItemChosen(s.session, *s.menu.item(item));
        EXPECT_EQ(s.screen.lastMessage(), "... Falta entrar los datos de los tramos ...");
    }
    EXPECT_EQ(s.rig.switches.mainChoice, 2);
    h.ReachCount = 18;
    s.rig.pump.key(key::Enter);
    MenuItemChosen(s.session, *s.menu.item("Exportar DXF"));
    EXPECT_EQ(s.screen.lastMessage(), "... Falta hacer los controles de calidad ...");
    for (auto& done : h.ControlsDone)
        done = 1;
    s.rig.pump.key(key::Enter);
    MenuItemChosen(s.session, *s.menu.item("Exportar Excel (XLSX)"));
    EXPECT_EQ(s.screen.lastMessage(), cp("... Falta hacer el diseño del proyecto ..."));
    EXPECT_TRUE(exchange.exports.empty());
    EXPECT_EQ(s.screen.WindowDepth(), 0);

    h.StageDone[1] = 1;
    for (const char* item : items)
        MenuItemChosen(s.session, *s.menu.item(item));
    using F = exchange::SectorFormat;
    EXPECT_EQ(exchange.exports,
              (std::vector<F>{F::GeoPackage, F::Shapefiles, F::Dxf, F::Workbook}));

    s.rig.switches.processRunning = true;
    MenuItemChosen(s.session, *s.menu.item("Exportar GeoPackage"));
    EXPECT_NE(s.rig.ui.last()->message.find("proceso en ejecucion"), std::string::npos);
    EXPECT_EQ(exchange.exports.size(), 4u);
}

// "Entrar Red SIG" goes through the menu's keys, as the SWMM import does, so that no screen
// holds the network it replaces; choice 1 runs the desktop's import, or says it has none.
TEST(MainMenu, TheGisImportRunsAsAChoiceOfTheFilesMenu) {
    ShellRig s;
    s.rig.switches.atMainMenu = true;
    MenuItemChosen(s.session, *s.menu.item("Entrar Red SIG"));
    EXPECT_EQ(s.queued(), (std::vector<int>{'1', 'U'}));
    EXPECT_EQ(GateMessageOfKeys('1', 'U', s.session.project.header, "1"), "");

    s.rig.console.pushKey('U');
    specs::RunDesignCriteria(s.session);
    EXPECT_EQ(s.rig.ui.last()->kind, "error");
    EXPECT_EQ(s.rig.ui.last()->message,
              "No hay un dialogo para elegir la red SIG en esta version.");
    CountingExchange exchange;
    s.session.exchange = &exchange;
    s.rig.console.pushKey('U');
    specs::RunDesignCriteria(s.session);
    EXPECT_EQ(exchange.imports, 1);
}

TEST(StartUp, MissingFontIsFatal) {
    ShellRig s;
    s.rig.pump.key('x');  // the first key is discarded
    s.session.folders.program = "/nonexistent-nivex";
    s.session.folders.start = std::filesystem::current_path().string();
    auto home =
        std::filesystem::temp_directory_path() / ("nivex-font-test-" + std::to_string(::getpid()));
    EXPECT_FALSE(StartUp(s.session, FolderDefaults::underHome(home.string()), ""));
    std::filesystem::current_path(s.session.folders.start);
    std::filesystem::remove_all(home);
    ASSERT_NE(s.rig.ui.last(), nullptr);
    EXPECT_EQ(s.rig.ui.last()->caption, "Error Fatal");
    EXPECT_EQ(s.rig.ui.last()->message.rfind("Falta el archivo Nivex.TTF\r", 0), 0u);
    EXPECT_TRUE(s.rig.switches.beepSilenced);
    // The full-screen window is open and the menu bar waits for a project.
    EXPECT_EQ(s.screen.WindowDepth(), 1);
    EXPECT_FALSE(s.menu.entryEnabled("Tramos"));
    EXPECT_TRUE(s.menu.entryEnabled("Archivos"));
}

}  // namespace
}  // namespace nivex::shell
