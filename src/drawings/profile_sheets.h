#pragma once
// The longitudinal profiles laid out on sheets of paper for printing: a line longer than a
// sheet is cut at a manhole into parts that fit, and the parts fill the sheet in rows from
// the top, side by side, as many as fit above its title block.

#include <vector>

#include "drawings/drawing.h"
#include "drawings/plan.h"
#include "drawings/profile.h"
#include "drawings/profile_lines.h"

namespace nivex::drawings {

struct ProfileSheetOptions {
    Paper paper = Paper::A1;  // in landscape
    ProfileScales scales;
    PlanHeader header;
};

struct ProfileSheetSet {
    std::vector<Drawing> sheets;
    std::vector<ProfileLine> parts;  // in the order they were laid out
    std::vector<int> sheetOf;        // the sheet (from 0) of each part
    std::vector<Point> offsetOf;     // where the part's own drawing was put on its sheet
};

// A part wider or taller than the sheet (one reach longer than the paper at that scale)
// gets a sheet of its own made as large as it needs.
ProfileSheetSet BuildProfileSheets(const std::vector<network::TramoT>& reaches,
                                   const std::vector<ProfileLine>& lines,
                                   const ProfileSheetOptions& options);

}  // namespace nivex::drawings
