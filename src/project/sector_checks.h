#pragma once
// The sector rules of "Aceptar": the three sector checks, the completeness
// table of the totaliser and the copy of a complete sector into the totaliser.

#include <optional>
#include <string>

namespace nivex::project {

// The refusal message of the first sector check that fails, in the order they are made;
// nothing when the sector may be opened. folder: the project subfolder.
std::optional<std::string> SectorCheckFailure(const std::string& folder, const std::string& code,
                                              const std::string& sector,
                                              const std::string& sectors);

struct TotaliserCheck {
    bool complete = false;  // every sector 1..count is complete
    int sourceSector = 0;   // first sector with its files; 0 when none has them
    std::string table;      // the status table shown when not complete
};

// The state of sectors 1..count of the code in folder (files read, never written).
TotaliserCheck CheckTotaliser(const std::string& folder, const std::string& code, int count);

// Copies the control records of sector `source` into the totaliser's control file with
// quantities and budget marked not done, and its design copy and manhole-name file too.
// Every copy writes a temporary file and renames it; false with error set on failure.
bool CopyIntoTotaliser(const std::string& folder, const std::string& code, int source,
                       std::string& error);

}  // namespace nivex::project
