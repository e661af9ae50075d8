#include "drawings/drawing_style.h"

namespace nivex::drawings {
namespace {

LayerStyle Solid(double r, double g, double b, double width) {
    return {r, g, b, width, false, r, g, b};
}

}  // namespace

LayerStyle StyleOf(std::string_view layer) {
    // The plan: reaches by state, the revision's reaches over them in red.
    if (layer == "tramos nuevos") return Solid(0.00, 0.27, 0.75, 0.50);
    if (layer == "tramos existentes") return Solid(0.30, 0.30, 0.30, 0.40);
    if (layer == "tramos restringidos") return Solid(0.85, 0.45, 0.00, 0.45);
    if (layer == "tramos eliminados") {
        LayerStyle s = Solid(0.55, 0.55, 0.55, 0.30);
        s.dashed = true;
        return s;
    }
    if (layer == "revision") return Solid(0.85, 0.00, 0.00, 0.70);
    if (layer == "flechas") return Solid(0.00, 0.27, 0.75, 0.20);
    // The profile: the ground in brown, the pipe in blue with a light band.
    if (layer == "terreno") return Solid(0.45, 0.28, 0.10, 0.35);
    if (layer == "clave" || layer == "batea") return Solid(0.00, 0.27, 0.75, 0.30);
    if (layer == "tuberia") {
        LayerStyle s = Solid(0.00, 0.27, 0.75, 0.20);
        s.fillRed = 0.78, s.fillGreen = 0.86, s.fillBlue = 1.00;
        return s;
    }
    if (layer == "banda de datos") return Solid(0, 0, 0, 0.18);
    if (layer == "rotulo") return Solid(0, 0, 0, 0.35);
    return Solid(0, 0, 0, 0.25);  // manholes, texts
}

}  // namespace nivex::drawings
