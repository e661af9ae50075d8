// "exportar gpkg|shp --out ARCHIVO": the designed sector as GIS layers; "importar-sig
// ARCHIVO": the network from them.

#include <string>
#include <vector>

#include "cli/batch_exchange.h"
#include "exchange/gis_fields.h"
#include "exchange/gis_import_run.h"
#include "network/reach_csv.h"

namespace nivex::cli {

namespace ex = nivex::exchange;

int ExportGeoPackage(Batch& b) {
    return ExportOpenSector(b, ex::SectorFormat::GeoPackage);
}

int ExportShapefiles(Batch& b) {
    return ExportOpenSector(b, ex::SectorFormat::Shapefiles);
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
    ex::GisImport read;
    if (!ex::ReadGisForSector(b.session.project, path, mapping, read, &error)) return b.Fail(error);
    if (!read.ok()) {
        for (const std::string& problem : read.problems)
            b.err << problem << '\n';
        return b.Fail(ex::GisRefusal(read));
    }
    if (!b.options.yes) return b.Fail(std::string(network::kReplaceQuestion) + " No");
    ex::ExchangeReport report;
    if (!ex::ReplaceWithGisNetwork(b.session, read, report, &error)) return b.Fail(error);
    for (const std::string& warning : report.warnings)
        b.err << "Aviso: " << warning << '\n';
    for (const std::string& line : report.lines)
        b.out << line << '\n';
    return 0;
}

}  // namespace nivex::cli
