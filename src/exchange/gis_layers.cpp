#include "exchange/gis_layers.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <filesystem>
#include <memory>

#include "exchange/gis_gdal.h"

namespace nivex::exchange {
namespace {

struct DatasetCloser {
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};

GisGeometry GeometryOf(OGRwkbGeometryType type) {
    switch (wkbFlatten(type)) {
        case wkbLineString:
        case wkbMultiLineString:
            return GisGeometry::Lines;
        case wkbPoint:
        case wkbMultiPoint:
            return GisGeometry::Points;
        default:
            return GisGeometry::Other;
    }
}

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) !=
            std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}

std::string FieldOrNone(const GisMapping& m, const std::string& datum) {
    const auto it = m.fields.find(datum);
    return it == m.fields.end() ? std::string() : it->second;
}

}  // namespace

std::string GisSourceOf(const std::string& chosen) {
    const std::filesystem::path p(chosen);
    std::string ext = p.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".shp" ? p.parent_path().string() : chosen;
}

bool ListGisLayers(const std::string& path, std::vector<GisLayerInfo>& layers, std::string* error) {
    layers.clear();
    RegisterGdalDrivers();
    CPLErrorReset();
    std::unique_ptr<GDALDataset, DatasetCloser> ds(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!ds) {
        *error = "No se pudo abrir " + path + " como GeoPackage o Shapefile";
        if (const std::string gdal = LastGdalMessage(); !gdal.empty()) *error += " (" + gdal + ")";
        return false;
    }
    for (int k = 0; k < ds->GetLayerCount(); ++k) {
        OGRLayer* layer = ds->GetLayer(k);
        GisLayerInfo info;
        info.name = layer->GetName();
        info.geometry = GeometryOf(layer->GetGeomType());
        OGRFeatureDefn* defn = layer->GetLayerDefn();
        for (int f = 0; f < defn->GetFieldCount(); ++f)
            info.fields.push_back(defn->GetFieldDefn(f)->GetNameRef());
        layers.push_back(std::move(info));
    }
    if (layers.empty()) {
        *error = path + " no tiene capas";
        return false;
    }
    return true;
}

std::vector<GisDatumRow> GisDatumRows() {
    std::vector<GisDatumRow> rows;
    for (const ReachDatum& d : ReachData())
        rows.push_back({d.name, d.column, false, false});
    rows.push_back({kStateDatum, "Estado del tramo", false, false});
    rows.push_back({kNameDatum, "Nombre del pozo", true, true});
    rows.push_back({kGroundDatum, "Cota rasante del pozo (m)", true, false});
    return rows;
}

std::string ProposedLayer(const std::vector<GisLayerInfo>& layers, GisGeometry geometry) {
    const std::string preferred = geometry == GisGeometry::Lines ? kReachLayer : kManholeLayer;
    for (const GisLayerInfo& l : layers)
        if (l.geometry == geometry && SameLetters(l.name, preferred)) return l.name;
    for (const GisLayerInfo& l : layers)
        if (l.geometry == geometry) return l.name;
    return {};
}

std::string ProposedField(const GisLayerInfo& layer, const std::string& datum) {
    for (const std::string& f : layer.fields)
        if (SameLetters(f, datum)) return f;
    return {};
}

std::string GisMappingRefusal(const GisMapping& m) {
    if (m.reachLayer.empty()) return "Falta elegir la capa de los tramos (lineas)";
    if (m.manholeLayer.empty()) return "Falta elegir la capa de los pozos (puntos)";
    if (m.reachLayer == m.manholeLayer)
        return "La capa de los tramos y la de los pozos deben ser distintas";
    if (FieldOrNone(m, kNameDatum).empty())
        return "Falta elegir el campo del dato nombre (el nombre del pozo) en la capa de los pozos";
    const bool linesHaveGrounds =
        !FieldOrNone(m, "rasan_sup").empty() && !FieldOrNone(m, "rasan_inf").empty();
    if (!linesHaveGrounds && FieldOrNone(m, kGroundDatum).empty())
        return "Falta elegir el campo del dato rasante en la capa de los pozos, o los de "
               "rasan_sup y rasan_inf en la de los tramos";
    return {};
}

}  // namespace nivex::exchange
