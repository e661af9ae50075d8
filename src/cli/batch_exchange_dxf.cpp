// "exportar dxf --out ARCHIVO [--escala-h 1:N] [--escala-v 1:N]": the plan in metres and the
// profiles at their scales, in one DXF file for CAD.

#include <string>
#include <string_view>

#include "cli/batch_exchange.h"
#include "cli/batch_verbs.h"
#include "drawings/drawing_inputs.h"
#include "exchange/dxf_writer.h"

namespace nivex::cli {
namespace {

namespace dr = nivex::drawings;

}  // namespace

int ExportDxf(Batch& b) {
    const std::string path = b.options.value("--out");
    if (path.empty()) return b.Fail("Error: exportar dxf necesita --out ARCHIVO");
    dr::ProfileScales scales;
    if (b.options.has("--escala-h") && (scales.horizontal = ScaleOf(b, "--escala-h")) == 0)
        return kExitRefused;
    if (b.options.has("--escala-v") && (scales.vertical = ScaleOf(b, "--escala-v")) == 0)
        return kExitRefused;

    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    dr::DrawingInputs in;
    std::string error;
    if (!dr::LoadDrawingInputs(b.session.project, in, &error)) return b.Fail("Error: " + error);
    if (in.skippedCoordinates > 0)
        b.err << "Aviso: " << in.skippedCoordinates
              << " linea(s) del archivo de coordenadas no se pudieron leer y se omiten\n";
    if (in.placement.schematic)
        b.err << "Aviso: " << in.placement.missing.size()
              << " pozo(s) sin coordenadas; el plano va esquematico, en mm de la hoja y no en "
                 "metros\n";

    exchange::DxfSummary s;
    if (!exchange::WriteSectorDxf(in, scales, path, &s, &error)) return b.Fail("Error: " + error);
    b.out << "DXF escrito: " << path << '\n';
    b.out << "unidades del plano: " << (s.schematic ? "mm de la hoja" : "metros") << '\n';
    b.out << "escala de los textos del plano: 1:" << s.planScale << '\n';
    b.out << "tramos: " << s.reaches << '\n';
    b.out << "pozos: " << s.manholes << '\n';
    b.out << "perfiles: " << s.profiles << '\n';
    b.out << "hojas de perfiles: " << s.sheets << '\n';
    return 0;
}

}  // namespace nivex::cli
