#pragma once
// Main choice 3: the sub-menu "CONTROLES DE CALIDAD" and the screens of the four controls.

#include <string>

namespace nivex::shell {
struct Session;
}

namespace nivex::network {

// Asked before controls C and D run.
constexpr const char* kRunCheckQuestion = "Desea realizar la verificacion ?";
constexpr const char* kListQuestion = "Desea un listado de los errores ?";

void RunNetworkControls(shell::Session& s);

}  // namespace nivex::network
