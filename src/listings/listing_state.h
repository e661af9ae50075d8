#pragma once
// The state of the listing being written: sheet numbers, the range of sheets kept, the
// page line counter and the line buffer. One object per run, handed to the listings.

#include <string>

#include "listings/text_file.h"

namespace nivex::listings {

struct ListingState {
    int SheetNumber = 1;    // printed by the next page header, then increased
    int FirstSheet = 1;     // first sheet kept (at least 1)
    int LastSheet = 0;      // last sheet kept; 0: up to the end
    int LinesPerPage = 89;  // 89 standard, 42 compact
    int PageLine = 0;       // lines of the current page, compared with LinesPerPage

    // The line being built (code-page bytes, at most 255) and its current column, 1-based.
    std::string line;
    int column = 1;

    // Where the listing operations write: "LPT", or "LPTD" while skipping sheets.
    TextFile file;

    // A run without a keyboard (nivex-batch) gives the range and the minimum size on its
    // command line: the sheet-range box then takes them without showing itself.
    bool rangePreset = false;
    int presetFirst = 0;
    int presetLast = 0;
    int presetSize = -1;  // -1: the box's own starting size
};

// What the listing viewer keeps for the whole run.
struct ViewerState {
    std::string lastSearch;   // shown again when the next viewer opens
    int lastMatch = 0;        // position of the last match; 0: none
    int textSize = 8;         // points: 8, or 7 after "Reducir"
    std::string fileName;     // the file shown, for printing
    std::string saveName;     // offered by "Grabar"
    bool ReportMode = false;  // printing also breaks pages every 100 lines
};

}  // namespace nivex::listings
