#pragma once
// Manhole coordinates as a CSV table (name, X, Y), out and in. The separator is ',' or ';'
// (or a tab, as a spreadsheet pastes), told from the first line: it must part that line in
// exactly three fields. Numbers take '.' as the decimal point. A header line is optional.
// The import checks the whole table before anything is kept: one bad line refuses it all.

#include <set>
#include <string>
#include <string_view>

#include "drawings/manhole_coordinates.h"

namespace nivex::drawings {

// The header the export writes and the import recognises.
constexpr const char* kCoordinatesCsvHeader = "pozo,x,y";

// The points of the manholes that are in `manholes`, in stored order, with the header.
// Names are code-page bytes inside, UTF-8 in the table.
std::string ExportCoordinatesCsv(const ManholeCoordinates& c,
                                 const std::set<std::string>& manholes);

// The table's points for a sector whose manholes are `manholes` (code-page bytes). On
// success `points` holds them in the table's order. Otherwise false with *error (UTF-8):
// the file and line of a manhole not in the sector, a repeated name, a value that is not a
// finite number or a line that is not three fields; the table as a whole when none of its
// manholes is of this sector (the file of another sector) or it holds no line at all.
bool ParseCoordinatesCsv(std::string_view text, const std::string& fileName,
                         const std::string& extension, const std::set<std::string>& manholes,
                         std::vector<ManholePoint>& points, std::string* error);

}  // namespace nivex::drawings
