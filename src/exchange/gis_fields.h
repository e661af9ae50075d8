#pragma once
// The data a GIS layer of reaches or manholes carries, by the names the export writes and
// the import reads (the user may map any of them to a field of another name): the entry
// values of the reach file, one datum per column of the reach CSV table, and the name and
// ground of a manhole.

#include <map>
#include <string>
#include <vector>

namespace nivex::exchange {

// Default names of the two layers.
constexpr const char* kReachLayer = "tramos";
constexpr const char* kManholeLayer = "pozos";

// The state the export gives the existing reaches the design removed; the import leaves
// such features out, as they are no part of the network.
constexpr const char* kRemovedState = "tramos eliminados";

// One datum of the line layer that is a column of the reach CSV table.
struct ReachDatum {
    const char* name;    // the field of the export, at most 10 characters (Shapefile)
    const char* column;  // the column of the reach CSV table
};

// The entry data of a reach, in the order of the CSV table (without the line and the two
// names, which the import takes from the order and the ends of the lines).
const std::vector<ReachDatum>& ReachData();

// The other data: of the line layer "longitud" (the length; from the geometry when no
// field holds it) and "estado"; of the point layer "nombre" and "rasante".
constexpr const char* kLengthDatum = "longitud";
constexpr const char* kStateDatum = "estado";
constexpr const char* kNameDatum = "nombre";
constexpr const char* kGroundDatum = "rasante";

// Every datum name the mapping takes.
std::vector<std::string> GisDatumNames();

// Layers and field names of an import: a datum not mapped is read from the field of its
// own name when the layer has one; a datum mapped to "" is read from no field.
struct GisMapping {
    std::string reachLayer = kReachLayer;
    std::string manholeLayer = kManholeLayer;
    std::map<std::string, std::string> fields;  // datum -> field, as the user gave them

    // The field a datum is read from.
    std::string FieldOf(const std::string& datum) const;
    bool Mapped(const std::string& datum) const { return fields.count(datum) != 0; }
};

// "DATO=CAMPO" pairs into the mapping. False with *error (UTF-8) for a pair without '=',
// an unknown datum (the message lists the known ones) or a datum given twice.
bool ParseFieldMapping(const std::vector<std::string>& pairs, GisMapping& mapping,
                       std::string* error);

}  // namespace nivex::exchange
