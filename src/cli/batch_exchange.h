#pragma once
// The exchange verbs of nivex-batch, each format in a file of its own: "exportar gpkg|shp|
// dxf|xlsx --out ARCHIVO" and "importar-sig ARCHIVO".

#include "cli/batch_context.h"

namespace nivex::cli {

int ExportGeoPackage(Batch& b);  // exportar gpkg
int ExportShapefiles(Batch& b);  // exportar shp
int ExportDxf(Batch& b);         // exportar dxf
int ExportWorkbook(Batch& b);    // exportar xlsx
int ImportGis(Batch& b);         // importar-sig

}  // namespace nivex::cli
