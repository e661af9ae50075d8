#pragma once
// How each layer of a drawing is painted: its colour, its line width on paper and whether
// its lines are dashed. One table, so that the window, the PDF and the SVG look alike.

#include <string_view>

namespace nivex::drawings {

struct LayerStyle {
    double red = 0, green = 0, blue = 0;  // 0..1
    double lineWidth = 0.25;              // mm on paper
    bool dashed = false;
    // Areas of the layer are filled with this colour (the pipe band is lighter than its
    // outline would be).
    double fillRed = 0, fillGreen = 0, fillBlue = 0;
};

LayerStyle StyleOf(std::string_view layer);

}  // namespace nivex::drawings
