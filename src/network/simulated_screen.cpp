// "SIMULACION DE PROYECTOS": the five values of the grid, then the generation.

#include <vector>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "network/simulated_project.h"
#include "shell/session.h"

namespace nivex::network {
namespace {

using console::CampoT;

CampoT Field(const char* prompt, int row, char type, int width, int decimals) {
    CampoT f;
    f.prompt = prompt;
    f.type = type;
    f.column = 10;
    f.row = static_cast<int16_t>(row);
    f.width = static_cast<int16_t>(width);
    f.decimals = static_cast<int16_t>(decimals);
    return f;
}

// False when the user left with Esc.
bool AskParams(shell::Session& s, SimulationParams& params) {
    console::Screen& screen = s.screen;
    UiSwitches& sw = s.switches;
    const std::vector<CampoT> fields = {
        Field("Numero de tramos horizontales   :", 8, 'I', 2, 0),
        Field("Numero de tramos verticales     :", 10, 'I', 2, 0),
        Field("Longitud de los tramos (m)      :", 12, 'R', 7, 2),
        Field("Pendiente del terreno (%)       :", 14, 'R', 4, 2),
        Field("Rasante inicial del proyecto (m):", 16, 'R', 8, 2),
    };
    int16_t horizontal = static_cast<int16_t>(params.horizontal);
    int16_t vertical = static_cast<int16_t>(params.vertical);
    const std::vector<console::FieldValue> values = {&horizontal, &vertical, &params.length,
                                                     &params.slope, &params.ground};
    const int last = static_cast<int>(fields.size()) - 1;

    s.console.clrScr();
    screen.ShowHeader("SIMULACION DE PROYECTOS");
    screen.ShowLegend("ESC^salir");
    sw.endKeys = "Enter Up Dn Esc";
    screen.ClearZones();
    screen.FieldZones(fields, last);
    for (int k = 0; k <= last; ++k)
        screen.ShowField(fields[k], values[k], 2);

    int current = 0;
    for (;;) {
        screen.EditField(fields[current], values[current]);
        const uint8_t ended = sw.lastKey;
        if (ended == key::Esc) return false;
        params.horizontal = horizontal;
        params.vertical = vertical;
        if (ended == key::Up) {
            if (current > 0) --current;
            continue;
        }
        if (ended == key::AltM) {
            const int clicked = screen.SelectClickedField() - 1;
            if (clicked >= 0 && clicked <= last) current = clicked;
            continue;
        }
        const std::string refused = CheckSimulationField(params, current);
        if (!refused.empty()) {
            screen.FieldError(cp(refused));
            continue;
        }
        screen.ClearFieldError();
        if (current < last) {
            ++current;
        } else if (ended == key::Enter) {
            return true;
        }
    }
}

}  // namespace

void RunSimulatedProject(shell::Session& s) {
    if (s.ui.askYesNo("Desea Generar un Proyecto simulado ?", "Confirmacion") != 'S') return;
    project::Project& p = s.project;
    std::string error;
    bool allowed = false;
    if (p.OpenControl()) {
        allowed = p.control.RecordCount() == 0 || p.ReadHeader();
        allowed = allowed && SimulationAllowed(p);
        p.CloseControl();
    }
    if (!allowed) {
        s.ui.showWarning(kSimulationRefusal, "Advertencia");
        return;
    }
    SimulationParams params;
    const bool accepted = AskParams(s, params);
    s.switches.endKeys = "Enter";
    if (!accepted) return;
    if (!GenerateSimulatedProject(p, params, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    s.ui.showInformation("Generacion de proyecto simulado realizada", "Informacion");
}

}  // namespace nivex::network
