#pragma once
// "Alternativas del Proyecto": the designed alternatives side by side, one row each, from
// which the user picks the one to design.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace nivex::ui {

constexpr int kAlternativeColumns = 12;

struct AlternativesChoice {
    std::string time;  // the top label: "Tiempo Total = hh:nn:ss" (code page)
    // The cells of the grid's rows 1, 2, ... in column order (code page); rows past these
    // are empty.
    std::vector<std::array<std::string, kAlternativeColumns>> rows;
    int gridRows = 18;  // rows of the grid, the heading row 0 included
};

class AlternativesDialog {
  public:
    virtual ~AlternativesDialog() = default;
    // Shows the dialog modally with row 1 selected; print runs on "Imprimir" and the dialog
    // stays open. The selected row (1-based, possibly an empty one) after "Aceptar"; -1 when
    // the dialog was closed any other way.
    virtual int run(const AlternativesChoice& choice, const std::function<void()>& print) = 0;
};

}  // namespace nivex::ui
