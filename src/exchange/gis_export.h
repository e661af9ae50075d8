#pragma once
// A designed sector as GIS layers, through GDAL: the layer "pozos" (a point per manhole with
// its ground and the crowns, inverts, depths and drops of the reach ends there) and the layer
// "tramos" (a line per record of the design copy from its upstream manhole through its bends
// to its downstream one, with the design fields of "dump design", its state, the revision's
// findings and the entry values of its line of the network, which the import reads back), in
// the sector's coordinate system. A GeoPackage file, or a folder of Shapefiles.
//
// Only measured manholes are exported: a schematic layout would pass for a survey.

#include <string>
#include <vector>

#include "drawings/drawing_inputs.h"
#include "drawings/manhole_coordinates.h"
#include "network/tramo.h"

namespace nivex::exchange {

enum class GisFormat { GeoPackage, Shapefiles };

struct GisExportCounts {
    int reaches = 0;
    int manholes = 0;
};

// The names of the fields of the layer "tramos" in a format (the Shapefile's are at most
// 10 characters and differ regardless of case), in the order they are written.
std::vector<std::string> ReachFieldNames(GisFormat format);
std::vector<std::string> ManholeFieldNames();

// Writes the layers of `in` (a designed sector) to path, the whole file or folder replaced
// only once it is complete. `network` is the reach file's lines in screen form. False with
// *error (UTF-8, naming the file) and nothing changed at path.
bool ExportGis(const drawings::DrawingInputs& in, const std::vector<network::TramoT>& network,
               const drawings::CoordinateSystem& system, GisFormat format, const std::string& path,
               GisExportCounts* counts, std::string* error);

}  // namespace nivex::exchange
