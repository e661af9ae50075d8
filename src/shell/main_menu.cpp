#include "shell/main_menu.h"

#include <filesystem>

#include "console/codepage.h"
#include "console/keys.h"
#include "design/alternatives_table.h"
#include "drawings/drawing_inputs.h"
#include "network/network_controls.h"
#include "network/reach_file.h"
#include "project/project_opening.h"
#include "project/reach_backup.h"
#include "shell/gating.h"
#include "shell/menu_rules.h"
#include "shell/modules.h"

namespace nivex::shell {
namespace {

constexpr const char* kMainLegend = "AltZ^terminar";
constexpr const char* kProcessRunning =
    "No se puede cambiar a otra opcion del menu\rmientras no haya terminado el proceso en "
    "ejecucion";

// Takes the key that follows the main key and pushes it back at the end of the queue, so
// that the module finds it; 255 when there was none.
uint8_t PeekSubKey(console::Console& console) {
    auto next = console.takeKey();
    uint8_t code = next ? *next : key::NoKey;
    console.pushKey(code);
    return code;
}

bool AnyControlMissing(const ProyectoT& state) {
    for (uint8_t done : state.ControlsDone)
        if (!done) return true;
    return false;
}

// Record 0 of the open sector, when the control file holds it.
void RefreshState(Session& s) {
    project::Project& p = s.project;
    if (!p.selection.accepted) return;
    if (p.OpenControl()) {
        if (p.control.RecordCount() >= 1 && p.ReadHeader())
            p.consultant = p.header.Consultant.substr(0, 35);
        p.CloseControl();
    }
}

// The design's message files are stale while the network controls are not all passed.
void RemoveDesignMessages(const project::Project& p) {
    std::error_code ec;
    for (const std::string& name : {p.files.evolution(), p.files.deficiencies(), p.files.problems(),
                                    p.files.rasDeficiencies()})
        std::filesystem::remove(name, ec);
}

// Reads main-menu keys until one chooses a module; Alt+Z confirmed ends the program.
// Returns false when the user leaves.
bool ReadMainChoice(Session& s) {
    for (;;) {
        s.switches.atMainMenu = true;
        const uint8_t code = static_cast<uint8_t>(s.screen.ReadChoice()[0]);
        if (code == 0 || code == key::NoKey) continue;
        if (code == key::AltZ && ConfirmLeave(s.ui)) return false;
        if (s.switches.menuKeyAccepted) {
            s.switches.mainChoice = ChoiceOfKey(code);
            return true;
        }
    }
}

// The sector just opened: its reach index and header settled against its reach file (a
// rewrite may have been interrupted), and its design state file made when missing. A
// damaged state file is left to the design, which says so and computes it again.
void SettleOpenedSector(Session& s) {
    std::string error;
    if (!network::SettleNetworkFiles(s.project, &error)) s.ui.showError(cp(error), "Error");
    if (s.project.selection.isTotaliser()) return;
    design::AlternativesTable table;
    design::OpenDesignState(table, design::DesignStatePath(s.project), &error);
}

void RunOpening(Session& s) {
    for (int row = 1; row <= 2; ++row)
        s.console.clearLegend(row);
    if (!project::OpenProject(s)) throw console::ProgramExit{};
    SettleOpenedSector(s);
    s.screen.ShowLegend(kMainLegend);
}

std::string ChoiceText(int choice) {
    std::string text = std::to_string(choice);
    return text.size() == 1 ? "0" + text : text;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Whether an item that opens beside the menu may run now: no process is writing the
// sector's files and the gate lets it; otherwise the refusal has been shown, in the box of
// the menu's own refusals.
bool OpensBesideMenu(Session& s, const std::string& refusal) {
    if (s.switches.processRunning) {
        s.ui.showError(kProcessRunning, "Error");
        return false;
    }
    if (!refusal.empty()) {
        const int16_t choice = s.switches.mainChoice;
        s.screen.ShowMessageBox(refusal);
        s.switches.mainChoice = choice;  // the box marks a refusal of the main loop's own
        return false;
    }
    return true;
}

// Whether an item of "Planos" may open now; otherwise the refusal has been shown.
bool DrawingsAllowed(Session& s, DrawingKind kind) {
    return s.plans && OpensBesideMenu(s, DrawingGateMessage(kind, s.project.header));
}

// "Exportar ...": the gate of the design listings (as nivex-batch's "exportar"), then the
// export, which only reads the sector.
void ExportChosen(Session& s, exchange::SectorFormat format) {
    if (s.exchange && OpensBesideMenu(s, GateMessageOfKeys('7', 'A', s.project.header,
                                                           s.project.selection.sectors)))
        s.exchange->exportSector(format);
}

void ShowDrawings(Session& s, DrawingKind kind) {
    if (!DrawingsAllowed(s, kind)) return;
    ui::PlansRequest request;
    std::string error;
    if (!ReadDrawings(s.project, kind, request, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    s.plans->show(std::move(request));
}

// "Coordenadas de Pozos": the table once the sector has reaches; an open drawings window
// is drawn again from what was saved.
void EditCoordinates(Session& s) {
    if (!DrawingsAllowed(s, DrawingKind::Plan)) return;
    if (s.plans->editCoordinates(s.project) && s.plans->isOpen())
        ShowDrawings(s, DrawingKind::Plan);
}

}  // namespace

bool ReadDrawings(const project::Project& open, DrawingKind front, ui::PlansRequest& request,
                  std::string* error) {
    project::Project view;
    request = {};
    if (!network::LoadSectorView(open, view, error) ||
        !drawings::LoadDrawingInputs(view, request.inputs, error))
        return false;
    request.title =
        "Planos - " + Trimmed(view.header.ProjectName) + " - " + view.selection.extension;
    request.front = front == DrawingKind::Plan ? ui::PlansSide::Plan : ui::PlansSide::Profile;
    ProyectoT drawn = view.header;
    if (!request.inputs.designed) drawn.StageDone[1] = 0;  // a design copy missing draws none
    request.profilesRefusal = DrawingGateMessage(DrawingKind::Profiles, drawn);
    return true;
}

bool ConfirmLeave(ui::Ui& ui) {
    return ui.askYesNo("Desea abandonar ahora ?", "Salir del Programa") == 'S';
}

void RunMainMenu(Session& s) {
    if (!project::OpenProject(s)) return;
    SettleOpenedSector(s);
    for (;;) {
        RefreshState(s);
        project::Project& p = s.project;
        ApplyClassItems(s.menu, project::MenuFactsOf(p));
        s.console.clrScr();
        s.console.hideCaret();
        s.switches.blankZero = true;
        s.screen.ShowLegend(kMainLegend);
        s.switches.endKeys = "Enter";
        s.switches.mainChoice = 0;

        if (!ReadMainChoice(s)) {
            p.CloseControl();
            return;
        }
        // The menu waits until a module starts: a choice made while a refusal below waits
        // for Enter presses it and goes on from here, with no Esc to back out of a screen.
        if (p.selection.sectors != "1") RefreshState(s);
        const uint8_t subKey = PeekSubKey(s.console);
        if (AnyControlMissing(p.header)) RemoveDesignMessages(p);

        const int choice = s.switches.mainChoice;
        const std::string refusal = GateMessage(choice, p.header, p.selection.sectors, subKey);
        if (!refusal.empty()) {
            s.console.takeKey();  // the sub-option has nothing to run
            s.screen.ShowMessageBox(refusal);
            s.switches.mainChoice = 99;
            continue;
        }
        s.switches.mainChoiceText = ChoiceText(choice);
        s.switches.atMainMenu = false;
        p.CloseControl();
        if (choice == 0)
            RunOpening(s);
        else
            RunModule(s, choice);
        // Whatever left the module, no field error stays marked: it would refuse every
        // menu choice with no error on screen.
        s.switches.errorShowing = false;
    }
}

void InjectMenuKeys(Session& s, uint8_t mainKey, uint8_t subKey) {
    UiSwitches& sw = s.switches;
    if (sw.errorShowing) {
        s.ui.showError(
            "No se puede cambiar a otra opcion del menu\rmientras haya mensajes de error", "Error");
        return;
    }
    sw.keysInjected = true;
    if (sw.processRunning) {
        s.ui.showError(kProcessRunning, "Error");
        return;
    }
    sw.menuKeyAccepted = true;
    s.console.forgetLastClick();

    const int depth = s.screen.WindowDepth();
    if (sw.questionWaiting)
        s.console.pushKey('N');
    else if (sw.continueWaiting)
        s.console.pushKey(key::Enter);
    else if (!sw.atMainMenu && depth < 2)
        s.console.pushKey(key::Esc);

    if (!sw.atMainMenu) {
        if (sw.unwindAllWindows)
            for (int i = 0; i < depth; ++i)
                s.console.pushKey(key::Esc);
        if (!sw.ownEscape)
            for (int i = 0; i < depth - 1; ++i)
                s.console.pushKey(key::Esc);
        if (sw.extraEscape) s.console.pushKey(key::Esc);
    }
    s.console.pushKey(mainKey);
    s.console.pushKey(subKey);
}

void MenuItemChosen(Session& s, const MenuItem& item) {
    switch (item.action) {
        case MenuAction::InjectKeys:
            InjectMenuKeys(s, item.mainKey, item.subKey);
            break;
        case MenuAction::Open: {
            // The dialog lists the folder of the project last accepted.
            std::error_code ec;
            if (s.project.selection.accepted)
                std::filesystem::current_path(s.project.selection.baseFolder, ec);
            InjectMenuKeys(s, item.mainKey, item.subKey);
            break;
        }
        case MenuAction::ViewManual: {
            auto manual = (std::filesystem::path(s.folders.program) / "Nivex.pdf").string();
            switch (s.desktop.openDocument(manual)) {
                case ui::OpenResult::Opened:
                    break;
                case ui::OpenResult::FileMissing:
                    s.ui.showInformation(
                        "Falta el archivo Nivex.pdf\rDebe estar en el mismo Directorio del "
                        "programa NIVEX.exe\r\rNo afecta las demas opciones del Menu. "
                        "REINSTALE EL PROGRAMA",
                        "Error de Instalacion");
                    break;
                case ui::OpenResult::NoProgram:
                    s.ui.showInformation(cp("Falta el programa AcrobatReader\rPuede descargarlo de "
                                            "Internet\rEs de distribución gratuita"),
                                         "Error de Instalacion");
                    break;
            }
            break;
        }
        case MenuAction::About:
            s.desktop.showAbout();
            break;
        case MenuAction::Plan:
            ShowDrawings(s, DrawingKind::Plan);
            break;
        case MenuAction::Profiles:
            ShowDrawings(s, DrawingKind::Profiles);
            break;
        case MenuAction::Coordinates:
            EditCoordinates(s);
            break;
        case MenuAction::ExportGeoPackage:
            ExportChosen(s, exchange::SectorFormat::GeoPackage);
            break;
        case MenuAction::ExportShapefiles:
            ExportChosen(s, exchange::SectorFormat::Shapefiles);
            break;
        case MenuAction::ExportDxf:
            ExportChosen(s, exchange::SectorFormat::Dxf);
            break;
        case MenuAction::ExportWorkbook:
            ExportChosen(s, exchange::SectorFormat::Workbook);
            break;
    }
}

int RunProgram(Session& s, const FolderDefaults& defaults, const std::string& programFiles) {
    try {
        if (!StartUp(s, defaults, programFiles)) return 1;
        RunMainMenu(s);
    } catch (const console::ProgramExit&) {
        // The window was closed, or "Terminar" chosen, with the user's consent.
    }
    s.project.CloseControl();
    if (s.project.selection.accepted) project::RemoveDerivedFiles(s.project);
    return 0;
}

}  // namespace nivex::shell
