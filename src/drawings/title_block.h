#pragma once
// The title block of a sheet: a frame in the lower right corner with the drawing's title,
// the entity, project, sector, consultant, date and scale lines, and the north arrow where
// the sheet is a plan.

#include <string>
#include <vector>

#include "drawings/drawing.h"

namespace nivex::drawings {

// What the title block says of the project (code page).
struct PlanHeader {
    std::string entity, project, sector, consultant, date;
};

constexpr double kSheetMargin = 10;  // around every sheet
constexpr double kTitleBlockWidth = 130;
constexpr double kTitleBlockHeight = 44;

// Draws the block on layer "rotulo" of a sheet of d.width x d.height; lines below the
// header are the scale and what else the sheet needs said (code page). The boxes of its
// texts are appended to *texts when given.
void AddTitleBlock(Drawing& d, const std::string& title, const PlanHeader& header,
                   const std::vector<std::string>& lines, bool northArrow,
                   std::vector<Box>* texts = nullptr);

}  // namespace nivex::drawings
