// "exportar FORMATO": the sub-verb names the format.

#include "cli/batch_context.h"
#include "cli/batch_exchange.h"
#include "exchange/exchange_sector.h"

namespace nivex::cli {

int ExportOpenSector(Batch& b, exchange::SectorFormat format,
                     const drawings::ProfileScales& scales) {
    const std::string path = b.options.value("--out");
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    exchange::ExchangeReport report;
    std::string error;
    const bool ok = exchange::ExportSector(b.session.project, format, path, scales, report, &error);
    for (const std::string& warning : report.warnings)
        b.err << "Aviso: " << warning << '\n';
    if (!ok) return b.Fail(error);
    for (const std::string& line : report.lines)
        b.out << line << '\n';
    return 0;
}

int VerbExportar(Batch& b) {
    const std::string format = b.options.operands.empty() ? "" : b.options.operands[0];
    if (format == "gpkg") return ExportGeoPackage(b);
    if (format == "shp") return ExportShapefiles(b);
    if (format == "dxf") return ExportDxf(b);
    if (format == "xlsx") return ExportWorkbook(b);
    return b.Fail("Error: exportar necesita gpkg, shp, dxf o xlsx");
}

int VerbImportarSig(Batch& b) {
    return ImportGis(b);
}

}  // namespace nivex::cli
