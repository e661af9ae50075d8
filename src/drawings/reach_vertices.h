#pragma once
// The bends of reaches that do not run straight between their manholes, as a SWMM model's
// map gives them: an optional text file beside the sector's files ("Vertices.AB1"), in the
// coordinate system of the manholes' file, one bend a line, in order along the reach from
// its upstream manhole:
//
//   P1<TAB>P2<TAB>4880150.5<TAB>2065390
//
// Read tolerantly (a line that is not two manhole names and two finite numbers is skipped
// and counted), written whole through a temporary file by the holder of the sector; a sector
// without bends has no file.

#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"

namespace nivex::drawings {

struct ReachBends {
    std::string upstream, downstream;  // code-page bytes, as in the reach file
    std::vector<std::pair<double, double>> points;
    bool operator==(const ReachBends&) const = default;
};

// Each reach once, in the order its first bend appears.
using ReachVertices = std::vector<ReachBends>;

// "Vertices." + extension, in the sector's folder.
std::string VerticesPath(const project::FileNames& files);

std::string FormatVertices(const ReachVertices& v);
ReachVertices ParseVertices(std::string_view text, int* skipped = nullptr);

// A missing file gives no bends and true; false with *error (UTF-8, naming the file).
bool ReadVertices(const project::Project& p, ReachVertices& v, int* skipped, std::string* error);
// Empty bends remove the file. Refused when another program holds the sector.
bool WriteVertices(const project::Project& p, const ReachVertices& v, std::string* error);

// The bends of the reach from `upstream` to `downstream`; nullptr when it runs straight.
const ReachBends* FindBends(const ReachVertices& v, std::string_view upstream,
                            std::string_view downstream);

}  // namespace nivex::drawings
