// "exportar gpkg|shp --out ARCHIVO": the designed sector as GIS layers; "importar-sig
// ARCHIVO": the network from them.

#include <string>
#include <vector>

#include "cli/batch_exchange.h"
#include "console/codepage.h"
#include "drawings/drawing_inputs.h"
#include "drawings/manhole_coordinates.h"
#include "drawings/reach_vertices.h"
#include "exchange/gis_export.h"
#include "exchange/gis_import.h"
#include "network/reach_csv.h"
#include "project/reach_backup.h"

namespace nivex::cli {
namespace {

namespace dr = nivex::drawings;
namespace ex = nivex::exchange;

int Export(Batch& b, ex::GisFormat format) {
    const std::string path = b.options.value("--out");
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    dr::DrawingInputs in;
    std::string error;
    if (!dr::LoadDrawingInputs(p, in, &error)) return b.Fail("Error: " + error);
    if (!in.designed) return b.Fail("... Falta hacer o repetir el diseño del proyecto ...");
    if (in.skippedCoordinates > 0)
        b.err << "Aviso: " << in.skippedCoordinates
              << " linea(s) del archivo de coordenadas no se pudieron leer y se omiten\n";
    dr::ManholeCoordinates stored;
    std::vector<network::TramoT> lines;
    if (!dr::ReadCoordinates(p, stored, nullptr, &error) || !network::ReadNetwork(p, lines, &error))
        return b.Fail("Error: " + error);
    ex::GisExportCounts counts;
    if (!ex::ExportGis(in, lines, stored.system, format, path, &counts, &error))
        return b.Fail("Error: " + error);
    b.out << (format == ex::GisFormat::GeoPackage ? "GeoPackage escrito: "
                                                  : "Shapefiles escritos en: ")
          << path << '\n';
    b.out << "tramos: " << counts.reaches << '\n';
    b.out << "pozos: " << counts.manholes << '\n';
    b.out << "sistema: EPSG " << stored.system.epsg << '\n';
    return 0;
}

}  // namespace

int ExportGeoPackage(Batch& b) {
    return Export(b, ex::GisFormat::GeoPackage);
}

int ExportShapefiles(Batch& b) {
    return Export(b, ex::GisFormat::Shapefiles);
}

int ImportGis(Batch& b) {
    if (b.options.operands.size() != 1)
        return b.Fail("Error: importar-sig necesita un archivo (importar-sig ARCHIVO)");
    const std::string& path = b.options.operands[0];
    ex::GisMapping mapping;
    if (b.options.has("--capa-tramos")) mapping.reachLayer = b.options.value("--capa-tramos");
    if (b.options.has("--capa-pozos")) mapping.manholeLayer = b.options.value("--capa-pozos");
    std::vector<std::string> pairs;
    for (const auto& [option, value] : b.options.ordered)
        if (option == "--campo") pairs.push_back(value);
    std::string error;
    if (!ex::ParseFieldMapping(pairs, mapping, &error)) return b.Fail(error);

    b.ui.setYes(true);
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    network::ReachContext context;
    dr::ManholeCoordinates stored;
    if (!network::LoadReachContext(p, context, &error) ||
        !dr::ReadCoordinates(p, stored, nullptr, &error))
        return b.Fail("Error: " + error);
    ex::GisImport read = ex::ReadGisNetwork(path, mapping, context, stored.system);
    if (!read.ok()) {
        for (const std::string& problem : read.problems)
            b.err << problem << '\n';
        return b.Fail("No se importo ningun tramo: " + std::to_string(read.problemCount) +
                      " problema(s)");
    }
    if (!b.options.yes) return b.Fail(std::string(network::kReplaceQuestion) + " No");
    // A backup belongs to the network being replaced: it is put back, which removes it.
    if (!project::RestoreReachBackupSilently(b.session)) return b.Fail(toUtf8(p.error));
    if (!network::ReplaceNetwork(p, read.reaches, &error) ||
        !dr::WriteCoordinates(p, read.coordinates, &error) ||
        !dr::WriteVertices(p, read.bends, &error))
        return b.Fail("Error: " + error);
    if (!read.systemDeclared)
        b.err << "Aviso: las capas no declaran su sistema de coordenadas; se conserva el del "
                 "sector (EPSG "
              << read.coordinates.system.epsg << ")\n";
    if (read.unusedManholes > 0)
        b.err << "Aviso: " << read.unusedManholes
              << " pozo(s) de la capa no son extremo de ningun tramo y no se importaron\n";
    b.out << "Tramos importados: " << read.reaches.size() << '\n';
    b.out << "pozos: " << read.coordinates.points.size() << '\n';
    b.out << "tramos eliminados omitidos: " << read.removedLeftOut << '\n';
    b.out << "sistema: EPSG " << read.coordinates.system.epsg << '\n';
    return 0;
}

}  // namespace nivex::cli
