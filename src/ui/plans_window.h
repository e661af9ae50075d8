#pragma once
// "Planos": the window of the plan of the network and its longitudinal profiles. It stays
// open beside the main window while the user goes on with the menu.

#include <string>

#include "drawings/drawing_inputs.h"
#include "project/project.h"

namespace nivex::ui {

enum class PlansSide { Plan, Profile };

struct PlansRequest {
    drawings::DrawingInputs inputs;  // read from the open sector when the item was chosen
    std::string title;               // "Planos - " and the open sector (code page)
    PlansSide front = PlansSide::Plan;
    // Why the profiles cannot be drawn (the drawings' gate, code page); empty once designed.
    std::string profilesRefusal;
};

class PlansWindow {
  public:
    virtual ~PlansWindow() = default;
    // Shows the window with what was read (replacing what it showed) and brings it to front.
    virtual void show(PlansRequest request) = 0;
    // Whether the window is on the screen, so that a change of the drawings redraws it.
    virtual bool isOpen() const = 0;
    // The table "Coordenadas de Pozos" of the open sector, modal; whether it saved.
    virtual bool editCoordinates(project::Project& open) = 0;
};

}  // namespace nivex::ui
