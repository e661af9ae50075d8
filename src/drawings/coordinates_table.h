#pragma once
// The manhole coordinates of a sector as a table to edit: one row per manhole of the
// network, its X and Y as the user typed them, checked only when the table is kept.
//
// Cells are code-page bytes; messages are UTF-8 and name the row (1-based, as the table
// numbers it) and the manhole, so that the user finds the cell to mend.
//
// A cell value is a number with '.' as the decimal point, or with ',' when that comma can
// only be a decimal comma: a single comma between digits, no point, and not exactly three
// digits after it ("1234,56" is 1234.56; "10,100" could be ten thousand one hundred
// written with a separator of thousands, so it is refused and the user asked for a point).
// Blanks around a value are ignored. "inf", "nan" and values beyond a double are refused.

#include <string>
#include <string_view>
#include <vector>

#include "drawings/manhole_coordinates.h"
#include "network/tramo.h"

namespace nivex::drawings {

struct CoordinateRow {
    std::string name;  // as in the reach file
    std::string x, y;  // as typed; both empty: the manhole is not placed
    bool operator==(const CoordinateRow&) const = default;
};

struct CoordinateTable {
    CoordinateSystem system;            // as stored; the table does not change it
    std::vector<CoordinateRow> rows;    // every manhole of the network, in order first met
    std::vector<ManholePoint> orphans;  // stored points of manholes no longer in the network
};

// The manholes of the reaches, each once, in the order the reach lines first name them
// (upstream before downstream).
std::vector<std::string> NetworkManholes(const std::vector<network::TramoT>& reaches);

// The table of those manholes with the stored points written as the file writes them.
CoordinateTable BuildCoordinateTable(const std::vector<std::string>& manholes,
                                     const ManholeCoordinates& stored);

// How many rows have both cells filled.
int PlacedCount(const std::vector<CoordinateRow>& rows);

// A line about the orphans for the dialog, "" when there are none: they are kept in the
// file when the table is saved, since no one has said they are wrong.
std::string OrphanNote(const std::vector<ManholePoint>& orphans);

// The table as the sector's coordinates: the placed rows in row order, then the orphans,
// in the stored system. False with *error for the first row that is half filled or holds a
// value that is not a finite number; `badRow` and `badColumn` (1 X, 2 Y) then tell the
// cell (0-based row).
bool CoordinatesFromTable(const CoordinateTable& table, ManholeCoordinates& out, std::string* error,
                          int* badRow = nullptr, int* badColumn = nullptr);

// A block of text copied from a spreadsheet (UTF-8, one row a line, cells parted by tabs)
// put into the rows. Three columns: manhole, X, Y, each line going to the row of its
// manhole wherever it is. Two columns: X and Y from row `currentRow` down. A first line
// with no number in it is a header and skipped. Every line is checked before any row
// changes: a manhole not in the table, a manhole repeated, a line of another width, a
// block that runs past the last row, a half-filled line or a value that is not a finite
// number refuses the whole block with *error naming the line. `changedRows` (when given)
// receives the rows written, 0-based.
bool PasteCoordinates(std::string_view text, int currentRow, std::vector<CoordinateRow>& rows,
                      std::string* error, std::vector<int>* changedRows = nullptr);

// A cell value read as above; false when it is empty or not a finite number.
bool ReadCoordinateCell(std::string_view text, double& value);

}  // namespace nivex::drawings
