// "exportar xlsx --out ARCHIVO": the design table, the quantities and the budget of the sector
// as sheets of one workbook.

#include "cli/batch_exchange.h"

namespace nivex::cli {

int ExportWorkbook(Batch& b) {
    if (b.options.value("--out").empty())
        return b.Fail("Error: exportar xlsx necesita --out ARCHIVO");
    return ExportOpenSector(b, exchange::SectorFormat::Workbook);
}

}  // namespace nivex::cli
