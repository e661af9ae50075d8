#pragma once
// The manhole coordinates of a sector: an optional text file of its own beside the sector's
// files ("Pozos.AB1"), so that no record of the project changes. Its first line names the
// coordinate system, then one manhole a line: name, X and Y in metres, separated by tabs
// (a manhole name may hold ';' or ',', never a tab). Numbers use '.' and are written in
// their shortest exact form, so that what was read is written back unchanged.
//
//   SISTEMA<TAB>9377<TAB>MAGNA-SIRGAS / Origen-Nacional
//   P1<TAB>4880120.25<TAB>2065410.5
//
// The file is read tolerantly: a line that is not a manhole with two finite numbers, or that
// repeats a name already read, is skipped and counted; a missing file means no coordinates.
// It is written whole, through a temporary file renamed over it, and only by the program
// that holds the sector.

#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"

namespace nivex::drawings {

// The projected system the numbers are in.
struct CoordinateSystem {
    int epsg = 9377;
    std::string label = "MAGNA-SIRGAS / Origen-Nacional";
    bool operator==(const CoordinateSystem&) const = default;
};

struct ManholePoint {
    std::string name;  // code-page bytes, as in the reach file
    double x = 0, y = 0;
    bool operator==(const ManholePoint&) const = default;
};

struct ManholeCoordinates {
    CoordinateSystem system;
    std::vector<ManholePoint> points;  // in file order, each name once

    // The point of a manhole; nullptr when it has none.
    const ManholePoint* find(std::string_view name) const;
};

// "Pozos." + extension, in the sector's folder.
std::string CoordinatesPath(const project::FileNames& files);

// The file's text, and back. skipped (when given) receives how many lines were left out.
std::string FormatCoordinates(const ManholeCoordinates& c);
ManholeCoordinates ParseCoordinates(std::string_view text, int* skipped = nullptr);

// The file at path; a missing file gives no points and true. False with *error (UTF-8,
// naming the file) only when it exists and cannot be read.
bool ReadCoordinatesFile(const std::string& path, ManholeCoordinates& c, int* skipped,
                         std::string* error);
bool ReadCoordinates(const project::Project& p, ManholeCoordinates& c, int* skipped,
                     std::string* error);

// The whole file rewritten; refused when the sector is only read (another program holds
// it). False with *error (UTF-8, naming the file); the old file then stays as it was.
bool WriteCoordinates(const project::Project& p, const ManholeCoordinates& c, std::string* error);

// A number as the file and the exports write it: '.' and the fewest digits that read back
// to the same value.
std::string CoordinateText(double value);

// What the sector's map files share: a line's tab-separated fields, a finite number with
// '.', a manhole name as the reach file holds it, and the whole of a small file (a missing
// file is empty and true; false with *error, UTF-8 naming the file, when it cannot be read
// or is far larger than any map of a sector).
std::vector<std::string_view> TabFields(std::string_view line);
bool ReadFiniteNumber(std::string_view text, double& value);
bool ValidManholeName(std::string_view name);
bool ReadMapFile(const std::string& path, std::string& text, std::string* error);

}  // namespace nivex::drawings
