// The plan of the network and the longitudinal profiles to PDF, SVG or PNG files.

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_context.h"
#include "cli/batch_verbs.h"
#include "console/codepage.h"
#include "drawings/drawing_inputs.h"
#include "drawings/paper_writer.h"
#include "drawings/plan.h"
#include "drawings/profile_lines.h"
#include "drawings/profile_sheets.h"

namespace nivex::cli {
namespace {

namespace dr = nivex::drawings;

// The largest scale denominator taken: 1:10 000 000 already puts a country on a sheet.
constexpr long kMostScale = 10000000;

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
    if (name.empty() || name == "a1")
        paper = dr::Paper::A1;
    else if (name == "a3")
        paper = dr::Paper::A3;
    else if (name == "carta")
        paper = dr::Paper::Carta;
    else if (name == "oficio")
        paper = dr::Paper::Oficio;
    else {
        b.Fail("Error: --papel debe ser carta, oficio, a3 o a1 (se dio '" + name + "')");
        return false;
    }
    return true;
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

int Write(Batch& b, const std::vector<const dr::Drawing*>& pages, dr::PageFormat format,
          const std::string& path) {
    dr::PaperWriteOptions o;
    o.fontFile = dr::DrawingFontIn(ProgramFolder());
    std::string error;
    if (!dr::WriteDrawings(pages, format, path, o, &error)) return b.Fail("Error: " + error);
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
    std::string_view digits = text;
    if (digits.rfind("1:", 0) == 0) digits.remove_prefix(2);
    long n = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (digits.empty() || r.ec != std::errc() || r.ptr != digits.data() + digits.size() || n < 1 ||
        n > kMostScale) {
        b.Fail("Error: " + option +
               " debe ser una escala 1:N con N entero de 1 a 10000000 (se dio '" + text + "')");
        return 0;
    }
    return static_cast<int>(n);
}

int VerbPlano(Batch& b) {
    dr::PageFormat format{};
    std::string path;
    if (!OutputOf(b, format, path)) return kExitRefused;
    dr::Paper paper{};
    if (!PaperOf(b, paper)) return kExitRefused;
    int scale = 0;
    if (b.options.has("--escala") && (scale = ScaleOf(b, "--escala")) == 0) return kExitRefused;
    dr::DrawingInputs in;
    if (int rc = Load(b, in)) return rc;

    dr::PlanOptions o = dr::PlanOptionsOf(in, 0, paper);
    dr::Plan plan = dr::BuildPlan(in.reaches, in.placement, o);
    if (scale > 0) {
        const int fitting = plan.scale;
        o.scale = scale;
        o.onPaper = true;
        plan = dr::BuildPlan(in.reaches, in.placement, o);
        if (!plan.FitsPaper())
            return b.Fail("Error: a escala 1:" + std::to_string(scale) +
                          " la red no cabe en el papel " + b.options.value("--papel") +
                          "; la mayor escala que cabe es 1:" + std::to_string(fitting));
    }
    if (int rc = Write(b, {&plan.drawing}, format, path)) return rc;
    b.out << "Plano escrito: " << path << '\n';
    b.out << "escala: 1:" << plan.scale << '\n';
    b.out << "hoja: " << plan.drawing.width << " x " << plan.drawing.height << " mm\n";
    b.out << "esquematico: " << (plan.schematic ? "si" : "no") << '\n';
    b.out << "tramos: " << plan.reaches.size() << '\n';
    b.out << "pozos: " << plan.manholes.size() << '\n';
    return 0;
}

int VerbPerfiles(Batch& b) {
    dr::PageFormat format{};
    std::string path;
    if (!OutputOf(b, format, path)) return kExitRefused;
    dr::ProfileSheetOptions o;
    if (!PaperOf(b, o.paper)) return kExitRefused;
    if (b.options.has("--escala-h") && (o.scales.horizontal = ScaleOf(b, "--escala-h")) == 0)
        return kExitRefused;
    if (b.options.has("--escala-v") && (o.scales.vertical = ScaleOf(b, "--escala-v")) == 0)
        return kExitRefused;
    const bool from = b.options.has("--desde"), to = b.options.has("--hasta");
    if (from != to) return b.Fail("Error: --desde y --hasta van juntas");
    dr::DrawingInputs in;
    if (int rc = Load(b, in)) return rc;
    o.header = in.header;

    std::vector<dr::ProfileLine> lines;
    if (from) {
        dr::ProfileLine path_;
        std::string error;
        if (!dr::PathBetween(in.reaches, cp(b.options.value("--desde")),
                             cp(b.options.value("--hasta")), path_, error))
            return b.Fail("Error: " + toUtf8(error));
        lines.push_back(std::move(path_));
    } else {
        lines = dr::CollectorLines(in.reaches);
    }
    const dr::ProfileSheetSet set = dr::BuildProfileSheets(in.reaches, lines, o);
    std::vector<const dr::Drawing*> pages;
    for (const dr::Drawing& sheet : set.sheets)
        pages.push_back(&sheet);
    if (int rc = Write(b, pages, format, path)) return rc;
    b.out << "Perfiles escritos: " << path << '\n';
    b.out << "perfiles: " << lines.size() << '\n';
    b.out << "partes: " << set.parts.size() << '\n';
    b.out << "hojas: " << set.sheets.size() << '\n';
    return 0;
}

}  // namespace nivex::cli
