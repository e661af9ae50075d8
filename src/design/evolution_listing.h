#pragma once
// "Listado Evolucion Diseño": the design's evolution file "MensEv." as a listing.

namespace nivex::shell {
struct Session;
}

namespace nivex::design {

void ListEvolution(shell::Session& s);

}  // namespace nivex::design
