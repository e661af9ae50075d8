#include "shell/main_menu.h"

#include <filesystem>

#include "console/codepage.h"
#include "console/keys.h"

namespace nivex::shell {
namespace {

constexpr const char* kMainLegend = "AltZ^terminar";

// The main choice of a key taken from the menu bar: digits 0..9, X, Y, Z 10..12, else 99.
int16_t ChoiceOfKey(uint8_t code) {
    if (code == 'X') return 10;
    if (code == 'Y') return 11;
    if (code == 'Z') return 12;
    if (code >= '0' && code <= '9') return static_cast<int16_t>(code - '0');
    return 99;
}

// Takes the key that follows the main key and pushes it back at the end of the queue, so
// that the module finds it; 255 when there was none.
uint8_t PeekSubKey(console::Console& console) {
    auto next = console.takeKey();
    uint8_t code = next ? *next : key::NoKey;
    console.pushKey(code);
    return code;
}

void RunChoice(Session& s, int16_t choice) {
    switch (choice) {
        default:
            // Modules not yet present return at once: their sub-option key goes with them.
            s.console.takeKey();
            break;
    }
}

}  // namespace

bool ConfirmLeave(ui::Ui& ui) {
    return ui.askYesNo("Desea abandonar ahora ?", "Salir del Programa") == 'S';
}

void RunMainMenu(Session& s) {
    for (;;) {
        s.console.clrScr();
        s.console.hideCaret();
        s.switches.blankZero = true;
        s.screen.ShowLegend(kMainLegend);
        s.switches.endKeys = "Enter";
        s.switches.mainChoice = 0;

        for (;;) {
            s.switches.atMainMenu = true;
            uint8_t code = static_cast<uint8_t>(s.screen.ReadChoice()[0]);
            if (code == key::AltZ) {
                if (ConfirmLeave(s.ui)) return;
            }
            if (s.switches.menuKeyAccepted) {
                s.switches.mainChoice = ChoiceOfKey(code);
                break;
            }
        }
        PeekSubKey(s.console);
        s.switches.atMainMenu = false;
        RunChoice(s, s.switches.mainChoice);
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
        s.ui.showError(
            "No se puede cambiar a otra opcion del menu\rmientras no haya terminado el proceso "
            "en ejecucion",
            "Error");
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
        case MenuAction::Open:
            InjectMenuKeys(s, item.mainKey, item.subKey);
            break;
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
    }
}

int RunProgram(Session& s, const FolderDefaults& defaults, const std::string& programFiles) {
    try {
        if (!StartUp(s, defaults, programFiles)) return 1;
        RunMainMenu(s);
    } catch (const console::ProgramExit&) {
        // The window was closed with the user's consent.
    }
    return 0;
}

}  // namespace nivex::shell
