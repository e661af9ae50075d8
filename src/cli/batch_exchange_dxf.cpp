// "exportar dxf --out ARCHIVO [--escala-h 1:N] [--escala-v 1:N]": the plan in metres and the
// profiles at their scales, in one DXF file for CAD.

#include "cli/batch_exchange.h"
#include "cli/batch_verbs.h"

namespace nivex::cli {

int ExportDxf(Batch& b) {
    if (b.options.value("--out").empty())
        return b.Fail("Error: exportar dxf necesita --out ARCHIVO");
    drawings::ProfileScales scales;
    if (b.options.has("--escala-h") && (scales.horizontal = ScaleOf(b, "--escala-h")) == 0)
        return kExitRefused;
    if (b.options.has("--escala-v") && (scales.vertical = ScaleOf(b, "--escala-v")) == 0)
        return kExitRefused;
    return ExportOpenSector(b, exchange::SectorFormat::Dxf, scales);
}

}  // namespace nivex::cli
