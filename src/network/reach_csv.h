#pragma once
// The network as a CSV table: one row per line, the entry fields in the order of the
// reach entry screen, class and type as the screen shows them. A table read back is
// checked row by row with the screen's rules; the network is replaced only when every
// row passes. CSV text is UTF-8; names and messages inside the program are code-page
// bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "network/reach_rules.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::network {

constexpr const char* kReplaceQuestion = "Desea reemplazar los tramos del proyecto ?";

// The column names of the header row, in order.
const std::vector<std::string>& ReachCsvColumns();

// Reaches in screen form, line 1 first.
std::string ExportReachesCsv(const std::vector<TramoT>& reaches);

struct ImportResult {
    std::vector<TramoT> reaches;        // screen form, in row order
    std::vector<std::string> problems;  // "Linea N: message", N the line of the CSV text
    bool ok() const { return problems.empty(); }
};

// Reads and checks a whole table. Columns may come in any order but all must be there;
// an empty cell counts as 0.
ImportResult ImportReachesCsv(std::string_view text, const ReachContext& context);

// A table of 10000 lines of every column takes no more than this.
constexpr std::uintmax_t kMostCsvBytes = std::uintmax_t{16} << 20;

// The table of a file, read whole once its size is found within that; every problem
// begins with the file's name (code page).
ImportResult ImportReachesCsvFile(const std::string& path, const ReachContext& context);

// The context of the open sector's screen; opens and closes the control file to load
// the design criteria. False with *error (UTF-8, as every error here).
bool LoadReachContext(project::Project& p, ReachContext& context, std::string* error);

// Every line of the open sector in screen form.
bool ReadNetwork(project::Project& p, std::vector<TramoT>& reaches, std::string* error);

// Writes the reaches (screen form) as the whole reach file with its index, each through
// a temporary file renamed over the old one, then records in the header what a change of
// the network means: the reach count, the controls and later stages to be done again,
// the design table invalid and the project no longer simulated. The control file is
// opened and closed here.
bool ReplaceNetwork(project::Project& p, const std::vector<TramoT>& reaches, std::string* error);

}  // namespace nivex::network
