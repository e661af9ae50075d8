#pragma once
// A network read from GIS layers through GDAL (a GeoPackage, a Shapefile or a folder of
// them): a line layer of reaches and a point layer of manholes. Each line runs from the
// manhole at its first point to the one at its last (within kEndTolerance); its interior
// points are the reach's bends. The manholes give the names, the coordinates and, where the
// line layer holds no ground of its own, the grounds; the length is the line's when no field
// holds it. Every other entry value comes from the field its datum is mapped to, and the
// whole table then passes the rules of the reach CSV import. Nothing is kept unless all of
// it passes. No project file is touched here: the caller replaces the network.

#include <string>
#include <vector>

#include "drawings/manhole_coordinates.h"
#include "drawings/reach_vertices.h"
#include "exchange/gis_fields.h"
#include "network/reach_rules.h"
#include "network/tramo.h"

namespace nivex::exchange {

// How far (m) a line's end may lie from the manhole it meets.
constexpr double kEndTolerance = 0.01;
// A point layer larger than this is refused before it is read.
constexpr long long kMostManholeFeatures = 1000000;
// Problems kept in full; the rest are counted.
constexpr size_t kMostProblems = 100;

struct GisImport {
    std::vector<network::TramoT> reaches;      // screen form, in the order of the features
    drawings::ManholeCoordinates coordinates;  // the manholes of the reaches, in first use
    drawings::ReachVertices bends;
    bool systemDeclared = false;        // false: the layers name no system; the sector's was kept
    int removedLeftOut = 0;             // features whose state says the design removed them
    int unusedManholes = 0;             // points no line meets
    std::vector<std::string> problems;  // UTF-8, each naming the layer and the feature
    size_t problemCount = 0;            // all of them, beyond the kMostProblems kept
    bool ok() const { return problems.empty(); }
};

// Reads and checks everything. `system` is the sector's, kept when the layers declare none.
GisImport ReadGisNetwork(const std::string& path, const GisMapping& mapping,
                         const network::ReachContext& context,
                         const drawings::CoordinateSystem& system);

}  // namespace nivex::exchange
