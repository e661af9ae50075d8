// The plan of the network and the longitudinal profiles to PDF, SVG or PNG files.

#include <filesystem>
#include <string>

#include "cli/batch_context.h"
#include "cli/batch_verbs.h"
#include "console/codepage.h"
#include "drawings/drawing_inputs.h"
#include "drawings/paper_drawing_files.h"

namespace nivex::cli {
namespace {

namespace dr = nivex::drawings;

// The output named by --pdf, --svg or --png: exactly one of them.
bool OutputOf(Batch& b, dr::PageFormat& format, std::string& path) {
    int given = 0;
    for (auto [option, f] :
         {std::pair{"--pdf", dr::PageFormat::Pdf}, std::pair{"--svg", dr::PageFormat::Svg},
          std::pair{"--png", dr::PageFormat::Png}})
        if (b.options.has(option)) {
            ++given;
            format = f;
            path = b.options.value(option);
        }
    if (given == 1 && !path.empty()) return true;
    b.Fail("Error: " + b.options.verb + " necesita uno y solo uno de --pdf, --svg o --png ARCHIVO");
    return false;
}

bool PaperOf(Batch& b, dr::Paper& paper) {
    const std::string name = b.options.value("--papel");
    paper = dr::Paper::A1;
    if (name.empty() || dr::PaperNamed(name, paper)) return true;
    b.Fail("Error: --papel debe ser carta, oficio, a3 o a1 (se dio '" + name + "')");
    return false;
}

// Opens the sector, passes the drawing's gate and reads what it is drawn from.
int Load(Batch& b, dr::DrawingInputs& in) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    std::string error;
    if (!dr::LoadDrawingInputs(b.session.project, in, &error)) return b.Fail("Error: " + error);
    if (in.skippedCoordinates > 0)
        b.err << "Aviso: " << in.skippedCoordinates
              << " linea(s) del archivo de coordenadas no se pudieron leer y se omiten\n";
    if (in.placement.schematic && !in.placement.missing.empty())
        b.err << "Aviso: " << in.placement.missing.size()
              << " pozo(s) sin coordenadas; el dibujo es esquematico\n";
    return 0;
}

}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

int ScaleOf(Batch& b, const std::string& option) {
    const std::string text = b.options.value(option);
    int scale = 0;
    if (dr::ReadScale(text, scale)) return scale;
    b.Fail("Error: " + option + " debe ser una escala 1:N con N entero de 1 a 10000000 (se dio '" +
           text + "')");
    return 0;
}

int VerbPlano(Batch& b) {
    dr::PlanFile request;
    if (!OutputOf(b, request.format, request.path)) return kExitRefused;
    if (!PaperOf(b, request.paper)) return kExitRefused;
    if (b.options.has("--escala") && (request.scale = ScaleOf(b, "--escala")) == 0)
        return kExitRefused;
    dr::DrawingInputs in;
    if (int rc = Load(b, in)) return rc;
    request.fontFile = dr::DrawingFontIn(ProgramFolder());
    dr::PlanFileResult plan;
    std::string error;
    if (!dr::WritePlanFile(in, request, plan, &error)) return b.Fail("Error: " + error);
    b.out << "Plano escrito: " << request.path << '\n';
    b.out << "escala: 1:" << plan.scale << '\n';
    b.out << "hoja: " << plan.width << " x " << plan.height << " mm\n";
    b.out << "esquematico: " << (plan.schematic ? "si" : "no") << '\n';
    b.out << "tramos: " << plan.reaches << '\n';
    b.out << "pozos: " << plan.manholes << '\n';
    return 0;
}

int VerbPerfiles(Batch& b) {
    dr::ProfilesFile request;
    if (!OutputOf(b, request.format, request.path)) return kExitRefused;
    if (!PaperOf(b, request.sheets.paper)) return kExitRefused;
    dr::ProfileScales& scales = request.sheets.scales;
    if (b.options.has("--escala-h") && (scales.horizontal = ScaleOf(b, "--escala-h")) == 0)
        return kExitRefused;
    if (b.options.has("--escala-v") && (scales.vertical = ScaleOf(b, "--escala-v")) == 0)
        return kExitRefused;
    const bool from = b.options.has("--desde"), to = b.options.has("--hasta");
    if (from != to) return b.Fail("Error: --desde y --hasta van juntas");
    dr::DrawingInputs in;
    if (int rc = Load(b, in)) return rc;
    request.from = cp(b.options.value("--desde"));
    request.to = cp(b.options.value("--hasta"));
    request.fontFile = dr::DrawingFontIn(ProgramFolder());
    dr::ProfilesFileResult written;
    std::string error;
    if (!dr::WriteProfilesFile(in, request, written, &error)) return b.Fail("Error: " + error);
    b.out << "Perfiles escritos: " << request.path << '\n';
    b.out << "perfiles: " << written.lines << '\n';
    b.out << "partes: " << written.parts << '\n';
    b.out << "hojas: " << written.sheets << '\n';
    return 0;
}

}  // namespace nivex::cli
