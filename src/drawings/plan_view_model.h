#pragma once
// What the window of the plan and the profiles shows beside the drawings, worked out
// without a window: the scale it draws the plan at, the names of the collector lines and
// the values of a reach that the mouse points at or the user clicks.

#include <string>
#include <vector>

#include "drawings/drawing_inputs.h"
#include "drawings/plan.h"
#include "drawings/profile_lines.h"
#include "network/tramo.h"

namespace nivex::drawings {

// The window draws its plan at the largest round scale (1, 2, 2.5 or 5 times a power of
// ten) at which the median reach is at least this long on paper, so that most labels
// find room beside their reach; the user zooms instead of reading a fitted sheet.
constexpr double kWindowReachOnPaper = 40;  // mm
int WindowPlanScale(const DrawingInputs& in);

// "Pozo A a Pozo B": the first manhole of a line and the last (code page).
std::string LineCaption(const std::vector<network::TramoT>& reaches, const ProfileLine& line);

// The index of the line holding record `record` (from 1); -1 when none does.
int LineOfRecord(const std::vector<ProfileLine>& lines, int record);

// The reach's values, one a line (code page): its manholes and state, its pipe and, once
// designed, its design flow, velocity, y/D, crowns, inverts and depths.
std::vector<std::string> ReachValueLines(const network::TramoT& t, ReachState state, bool designed);

// What the mouse over a reach tells: the revision's findings when it has any, otherwise
// its values.
std::vector<std::string> ReachTipLines(const network::TramoT& t, const PlanReach& r, bool designed);

}  // namespace nivex::drawings
