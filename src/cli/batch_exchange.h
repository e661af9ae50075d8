#pragma once
// The exchange verbs of nivex-batch, each format in a file of its own: "exportar gpkg|shp|
// dxf|xlsx --out ARCHIVO" and "importar-sig ARCHIVO".

#include "cli/batch_context.h"
#include "drawings/profile.h"
#include "exchange/sector_format.h"

namespace nivex::cli {

int ExportGeoPackage(Batch& b);  // exportar gpkg
int ExportShapefiles(Batch& b);  // exportar shp
int ExportDxf(Batch& b);         // exportar dxf
int ExportWorkbook(Batch& b);    // exportar xlsx
int ImportGis(Batch& b);         // importar-sig

// The sector of the command line opened and exported to "--out" through the export the
// desktop runs too; the report printed, its warnings on the error stream.
int ExportOpenSector(Batch& b, exchange::SectorFormat format,
                     const drawings::ProfileScales& scales = {});

}  // namespace nivex::cli
