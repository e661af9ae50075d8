// Placeholder until the gis exchange lands.

#include "cli/batch_exchange.h"

namespace nivex::cli {

int ExportGeoPackage(Batch& b) {
    return b.Fail("Error: este formato aun no esta disponible");
}

int ExportShapefiles(Batch& b) {
    return b.Fail("Error: este formato aun no esta disponible");
}

int ImportGis(Batch& b) {
    return b.Fail("Error: este formato aun no esta disponible");
}

}  // namespace nivex::cli
