// "exportar FORMATO": the sub-verb names the format.

#include "cli/batch_context.h"
#include "cli/batch_exchange.h"

namespace nivex::cli {

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
