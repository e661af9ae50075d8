#include "shell/gating.h"

#include <algorithm>

#include "console/codepage.h"

namespace nivex::shell {

int16_t ChoiceOfKey(uint8_t code) {
    if (code == 'X') return 10;
    if (code == 'Y') return 11;
    if (code == 'Z') return 12;
    if (code >= '0' && code <= '9') return static_cast<int16_t>(code - '0');
    return 99;
}

std::string GateMessage(int choice, const ProyectoT& state, const std::string& sectors,
                        uint8_t subKey) {
    const bool single = sectors == "1";
    const bool gated = (single && choice >= 5 && choice <= 12) || choice == 3 ||
                       (!single && choice >= 8 && choice <= 12);
    if (!gated) return {};

    const auto& controls = state.ControlsDone;
    const bool controlsMissing =
        std::any_of(controls.begin(), controls.end(), [](uint8_t c) { return c == 0; });
    if (state.ReachCount == 0) return "... Falta entrar los datos de los tramos ...";
    if (choice > 3 && controlsMissing) return "... Falta hacer los controles de calidad ...";
    if (choice > 5 && state.StageDone[1] == 0)
        return cp("... Falta hacer el diseño del proyecto ...");
    if (choice == 5 && state.StageDone[1] == 0 && subKey == 'B')
        return cp("... Falta hacer el diseño del proyecto ...");
    if (choice > 8 && state.StageDone[2] == 0)
        return "... Falta calcular las cantidades de obra ...";
    if (choice > 10 && state.StageDone[3] == 0) return "... Falta calcular los presupuestos ...";
    return {};
}

std::string GateMessageOfKeys(uint8_t mainKey, uint8_t subKey, const ProyectoT& state,
                              const std::string& sectors) {
    return GateMessage(ChoiceOfKey(mainKey), state, sectors, subKey);
}

std::string DrawingGateMessage(DrawingKind kind, const ProyectoT& state) {
    if (state.ReachCount == 0) return "... Falta entrar los datos de los tramos ...";
    if (kind == DrawingKind::Profiles && state.StageDone[1] == 0)
        return cp("... Falta hacer el diseño del proyecto ...");
    return {};
}

}  // namespace nivex::shell
