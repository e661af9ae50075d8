#pragma once
// What a GIS file offers an import, for the user who maps the network's data to it: its
// layers with their geometry and fields, the layers and fields proposed for each datum, and
// the data a mapping may not leave out.

#include <string>
#include <vector>

#include "exchange/gis_fields.h"

namespace nivex::exchange {

enum class GisGeometry { Lines, Points, Other };

struct GisLayerInfo {
    std::string name;
    GisGeometry geometry = GisGeometry::Other;
    std::vector<std::string> fields;  // in the layer's order (UTF-8)
};

// The source the import reads for a file the user chose: the folder of a Shapefile (its
// layers are the Shapefiles beside it), any other file itself.
std::string GisSourceOf(const std::string& chosen);

// The vector layers of a GeoPackage or a folder of Shapefiles. False with *error (UTF-8,
// naming the file) when GDAL cannot open it or it holds no layer.
bool ListGisLayers(const std::string& path, std::vector<GisLayerInfo>& layers, std::string* error);

// One datum as the mapping dialog lists it.
struct GisDatumRow {
    std::string datum;        // as GisDatumNames gives it
    std::string description;  // Spanish (UTF-8)
    bool manhole = false;     // of the point layer; else of the line layer
    bool required = false;    // always needed ("rasante" is needed unless the lines have grounds)
};

// Every datum of GisDatumNames, in its order.
std::vector<GisDatumRow> GisDatumRows();

// The layer proposed for the reaches (Lines, preferred name kReachLayer) or the manholes
// (Points, kManholeLayer): the one of that name and geometry, else the first of the
// geometry, else "".
std::string ProposedLayer(const std::vector<GisLayerInfo>& layers, GisGeometry geometry);

// The field proposed for a datum: the layer's field of the datum's name (regardless of case,
// as GDAL finds fields), else "" (no field).
std::string ProposedField(const GisLayerInfo& layer, const std::string& datum);

// Why a mapping cannot be read (Spanish, UTF-8), or "": no layer chosen, the same layer for
// both, or a needed datum left without a field. Every datum of the mapping is given, "" for
// none.
std::string GisMappingRefusal(const GisMapping& mapping);

}  // namespace nivex::exchange
