#include "exchange/dxf_writer.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>
#include <utility>

#include "console/codepage.h"
#include "drawings/drawing_style.h"
#include "drawings/profile_lines.h"
#include "drawings/profile_sheets.h"
#include "project/replace_file.h"

namespace nivex::exchange {
namespace {

namespace dr = nivex::drawings;

// dxflib writes through a file stream of its own that tells nobody when a write fails; its
// group-code calls are virtual, so the file is gathered here and written whole by the
// program's own rewrite, which does.
class MemoryWriter : public DL_WriterA {
  public:
    explicit MemoryWriter(std::string& out) : DL_WriterA("", DL_VERSION_2000), out_(out) {}

    void dxfReal(int gc, double value) const override {
        if (value == 0 || !std::isfinite(value)) value = 0;  // no "-0"
        char buf[400];
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        Code(gc);
        out_.append(buf, r.ptr);
        out_ += '\n';
    }
    void dxfInt(int gc, int value) const override {
        Code(gc);
        out_ += std::to_string(value);
        out_ += '\n';
    }
    void dxfHex(int gc, int value) const override {
        if (gc == 5) highest_ = std::max(highest_, static_cast<unsigned long>(value));
        char buf[16];
        const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned>(value), 16);
        std::transform(buf, r.ptr, buf, [](char c) { return c >= 'a' ? c - 'a' + 'A' : c; });
        Code(gc);
        out_.append(buf, r.ptr);
        out_ += '\n';
    }
    void dxfString(int gc, const char* value) const override { dxfString(gc, std::string(value)); }
    void dxfString(int gc, const std::string& value) const override {
        Code(gc);
        out_ += value;
        out_ += '\n';
    }

    // The largest handle written.
    unsigned long Highest() const { return highest_; }

  private:
    void Code(int gc) const {
        std::string code = std::to_string(gc);
        if (code.size() < 3) out_.append(3 - code.size(), ' ');
        out_ += code;
        out_ += '\n';
    }
    std::string& out_;
    mutable unsigned long highest_ = 0;
};

// One part of the file: a drawing already in the file's units, and the scale of its dashes.
struct Region {
    dr::Drawing drawing;
    double linetypeScale = 1;
};

// Every point of d taken to offset + k * point; heights and radii by k.
dr::Drawing Scaled(const dr::Drawing& d, double k, dr::Point offset) {
    auto map = [&](dr::Point q) { return dr::Point{offset.x + q.x * k, offset.y + q.y * k}; };
    dr::Drawing out;
    out.width = d.width * k;
    out.height = d.height * k;
    for (const dr::Polyline& l : d.lines) {
        std::vector<dr::Point> points;
        for (dr::Point q : l.points)
            points.push_back(map(q));
        out.AddLine(l.layer, std::move(points));
    }
    for (const dr::Area& a : d.areas) {
        std::vector<dr::Point> points;
        for (dr::Point q : a.points)
            points.push_back(map(q));
        out.AddArea(a.layer, std::move(points));
    }
    for (const dr::Circle& c : d.circles)
        out.AddCircle(c.layer, map(c.centre), c.radius * k, c.filled);
    for (dr::Text t : d.texts) {
        t.at = map(t.at);
        t.height *= k;
        out.AddText(std::move(t));
    }
    return out;
}

// The AutoCAD colour index nearest a layer's colour (for readers without true colour).
int ColourIndex(double r, double g, double b) {
    struct Entry {
        int index;
        double r, g, b;
    };
    static constexpr Entry kColours[] = {{1, 1, 0, 0},    {2, 1, 1, 0},       {3, 0, 1, 0},
                                         {4, 0, 1, 1},    {5, 0, 0, 1},       {6, 1, 0, 1},
                                         {7, 0, 0, 0},    {8, 0.5, 0.5, 0.5}, {9, 0.75, 0.75, 0.75},
                                         {30, 1, 0.5, 0}, {34, 0.5, 0.25, 0}, {150, 0, 0.5, 1}};
    int best = 7;
    double nearest = std::numeric_limits<double>::max();
    for (const Entry& e : kColours) {
        const double d = (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - b) * (e.b - b);
        if (d < nearest) {
            nearest = d;
            best = e.index;
        }
    }
    return best;
}

// The DXF line weight (1/100 mm, one of the fixed steps) nearest a width in mm.
int LineWeight(double mm) {
    static constexpr int kWeights[] = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                       53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    const double want = mm * 100;
    int best = 25;
    for (int w : kWeights)
        if (std::fabs(w - want) < std::fabs(best - want)) best = w;
    return best;
}

int Rgb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

// Areas drawn in their outline colour are filled (arrows); a band lighter than its outline
// (the pipe) keeps only its outline, so that it hides nothing under it.
bool FilledArea(const std::string& layer) {
    const dr::LayerStyle s = dr::StyleOf(layer);
    return s.fillRed == s.red && s.fillGreen == s.green && s.fillBlue == s.blue;
}

struct Extents {
    double x0 = std::numeric_limits<double>::max(), y0 = x0;
    double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
    void Take(dr::Point q) {
        x0 = std::min(x0, q.x);
        y0 = std::min(y0, q.y);
        x1 = std::max(x1, q.x);
        y1 = std::max(y1, q.y);
    }
};

class FileWriter {
  public:
    FileWriter(std::string& out) : w_(out) {}

    void Header(bool metres, const Extents& e) {
        dxf_.writeHeader(w_);
        Variable("$DWGCODEPAGE", 3, "ANSI_1252");
        w_.dxfString(9, "$INSUNITS");
        w_.dxfInt(70, metres ? 6 : 4);
        w_.dxfString(9, "$MEASUREMENT");
        w_.dxfInt(70, 1);
        w_.dxfString(9, "$EXTMIN");
        w_.coord(10, e.x0, e.y0);
        w_.dxfString(9, "$EXTMAX");
        w_.coord(10, e.x1, e.y1);
        w_.sectionEnd();
    }

    void Tables(const std::vector<std::string>& layers, const std::string& hidden) {
        w_.sectionTables();
        dxf_.writeVPort(w_);
        w_.tableLinetypes(4);
        dxf_.writeLinetype(w_, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
        dxf_.writeLinetype(w_, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
        dxf_.writeLinetype(w_, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
        double dashes[] = {2.0, -1.0};
        dxf_.writeLinetype(w_, DL_LinetypeData("DASHED", "Dashed __ __ __", 0, 2, 3.0, dashes));
        w_.tableEnd();

        w_.tableLayers(static_cast<int>(layers.size()) + 1);
        dxf_.writeLayer(w_, DL_LayerData("0", 0),
                        DL_Attributes("", 7, LineWeight(0.25), "CONTINUOUS", 1.0));
        for (const std::string& name : layers) {
            const dr::LayerStyle s = dr::StyleOf(name);
            DL_Attributes a("", ColourIndex(s.red, s.green, s.blue), LineWeight(s.lineWidth),
                            s.dashed ? "DASHED" : "CONTINUOUS", 1.0);
            a.setColor24(Rgb(s.red, s.green, s.blue));
            dxf_.writeLayer(w_, DL_LayerData(name, 0, name == hidden), a);
        }
        w_.tableEnd();

        w_.tableStyle(1);
        dxf_.writeStyle(w_, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
        w_.tableEnd();
        dxf_.writeView(w_);
        dxf_.writeUcs(w_);
        w_.tableAppid(1);
        dxf_.writeAppid(w_, "ACAD");
        w_.tableEnd();
        dxf_.writeDimStyle(w_, 2.5, 0.625, 0.625, 0.625, 2.5);
        dxf_.writeBlockRecord(w_);
        w_.tableEnd();
        w_.sectionEnd();

        w_.sectionBlocks();
        for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
            dxf_.writeBlock(w_, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
            dxf_.writeEndBlock(w_, block);
        }
        w_.sectionEnd();
    }

    // Areas first, then lines, circles and texts over them, as the sheets paint them.
    void Entities(const Region& r) {
        const dr::Drawing& d = r.drawing;
        for (const dr::Area& a : d.areas) {
            if (a.points.size() < 3) continue;
            if (a.points.size() <= 4 && FilledArea(a.layer)) {
                // A SOLID takes its corners crosswise: 1, 2, 4, 3 around.
                const dr::Point p0 = a.points[0], p1 = a.points[1], p2 = a.points[2];
                const dr::Point p3 = a.points.size() == 4 ? a.points[3] : p2;
                dxf_.writeSolid(
                    w_, DL_SolidData(p0.x, p0.y, 0, p1.x, p1.y, 0, p3.x, p3.y, 0, p2.x, p2.y, 0),
                    Attributes(a.layer, r));
            } else {
                Polyline(a.layer, a.points, true, r);
            }
        }
        for (const dr::Polyline& l : d.lines)
            if (l.points.size() >= 2) Polyline(l.layer, l.points, false, r);
        for (const dr::Circle& c : d.circles)
            dxf_.writeCircle(w_, DL_CircleData(c.centre.x, c.centre.y, 0, c.radius),
                             Attributes(c.layer, r));
        for (const dr::Text& t : d.texts)
            Text(t, r);
    }

    void Text(const dr::Text& t, const Region& r) {
        const int h = t.h == dr::HAlign::Left ? 0 : t.h == dr::HAlign::Centre ? 1 : 2;
        const int v = t.v == dr::VAlign::Bottom ? 1 : t.v == dr::VAlign::Middle ? 2 : 3;
        const double angle = t.rotation * std::numbers::pi / 180.0;
        dxf_.writeText(w_,
                       DL_TextData(t.at.x, t.at.y, 0, t.at.x, t.at.y, 0, t.height, 1.0, 0, h, v,
                                   t.text, "Standard", angle),
                       Attributes(t.layer, r));
    }

    // A handle above every handle written, as the header's $HANDSEED must be.
    unsigned long End() {
        w_.sectionEnd();
        dxf_.writeObjects(w_);
        dxf_.writeObjectsEnd(w_);
        w_.dxfEOF();
        return w_.Highest() + 1;
    }

    void BeginEntities() { w_.sectionEntities(); }

  private:
    void Variable(const char* name, int code, const char* value) {
        w_.dxfString(9, name);
        w_.dxfString(code, value);
    }
    // Colour, weight and line type by layer; dashes to the region's scale.
    static DL_Attributes Attributes(const std::string& layer, const Region& r) {
        return DL_Attributes(layer, 256, -1, "BYLAYER", r.linetypeScale);
    }
    void Polyline(const std::string& layer, const std::vector<dr::Point>& points, bool closed,
                  const Region& r) {
        dxf_.writePolyline(w_,
                           DL_PolylineData(static_cast<int>(points.size()), 0, 0, closed ? 1 : 0),
                           Attributes(layer, r));
        for (dr::Point q : points)
            dxf_.writeVertex(w_, DL_VertexData(q.x, q.y, 0, 0));
        dxf_.writePolylineEnd(w_);
    }

    DL_Dxf dxf_;
    MemoryWriter w_;
};

dr::Text Heading(dr::Point at, double height, std::string text) {
    dr::Text t;
    t.layer = "rotulo";
    t.at = at;
    t.height = height;
    t.text = std::move(text);
    return t;
}

}  // namespace

std::string DxfText(const dr::Plan& plan, const std::vector<dr::Drawing>& sheets,
                    const dr::ProfileScales& scales) {
    std::vector<Region> regions;
    // The plan: paper mm back to the sector's metres (a schematic plan stays in mm).
    const double k = plan.schematic ? 1.0 : plan.scale / 1000.0;
    const dr::Point offset =
        plan.schematic ? dr::Point{0, 0}
                       : dr::Point{plan.west - plan.origin.x * k, plan.south - plan.origin.y * k};
    Region planRegion{Scaled(plan.drawing, k, offset), k};
    dr::Drawing& pd = planRegion.drawing;
    const bool anyHidden = !plan.leftOut.empty();
    for (dr::Text t : plan.leftOut) {
        t.layer = kDxfHiddenTexts;
        t.at = {offset.x + t.at.x * k, offset.y + t.at.y * k};
        t.height *= k;
        pd.AddText(std::move(t));
    }
    const double headingHeight = 5 * k;  // 5 mm on the sheet
    pd.AddText(Heading(
        {offset.x, offset.y + plan.drawing.height * k + headingHeight}, headingHeight,
        plan.schematic
            ? cp("PLANO DE LA RED (esquematico, sin coordenadas): unidades en mm de la hoja a "
                 "escala 1:") +
                  std::to_string(plan.scale)
            : cp("PLANO DE LA RED: coordenadas del sector en metros; textos para escala 1:") +
                  std::to_string(plan.scale)));
    regions.push_back(std::move(planRegion));

    // The profile sheets in a row under the plan's sheet, in mm of the sheets.
    if (!sheets.empty()) {
        double tallest = 0;
        for (const dr::Drawing& s : sheets)
            tallest = std::max(tallest, s.height);
        const double gap = std::max(50.0, 0.1 * tallest);
        const double top = offset.y - gap;
        double x = offset.x;
        Region profiles;
        profiles.drawing.AddText(Heading(
            {x, top + 10}, 10,
            cp("PERFILES LONGITUDINALES: unidades en mm de la hoja, escala H 1:") +
                std::to_string(scales.horizontal) + cp(" V 1:") + std::to_string(scales.vertical)));
        for (const dr::Drawing& s : sheets) {
            profiles.drawing.Append(s, {x, top - s.height});
            x += s.width + gap;
        }
        regions.push_back(std::move(profiles));
    }

    std::vector<std::string> layers;
    Extents e;
    for (const Region& r : regions) {
        for (const std::string& l : r.drawing.layers)
            if (std::find(layers.begin(), layers.end(), l) == layers.end()) layers.push_back(l);
        for (const dr::Polyline& l : r.drawing.lines)
            for (dr::Point q : l.points)
                e.Take(q);
        for (const dr::Text& t : r.drawing.texts)
            e.Take(t.at);
    }
    if (e.x0 > e.x1) e = Extents{0, 0, 0, 0};

    std::string out;
    FileWriter f(out);
    f.Header(!plan.schematic, e);
    f.Tables(layers, anyHidden ? kDxfHiddenTexts : "");
    f.BeginEntities();
    for (const Region& r : regions)
        f.Entities(r);
    const unsigned long next = f.End();
    // dxflib writes a fixed next handle, FFFF: a large file's handles go past it.
    if (next > 0xFFFF) {
        const std::string fixedNext = "$HANDSEED\n  5\nFFFF\n";
        const size_t at = out.find(fixedNext);
        if (at != std::string::npos) {
            char hex[24];
            const auto r = std::to_chars(hex, hex + sizeof hex, next, 16);
            std::string upper(hex, r.ptr);
            for (char& c : upper)
                if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
            out.replace(at, fixedNext.size(), "$HANDSEED\n  5\n" + upper + "\n");
        }
    }
    return out;
}

bool WriteSectorDxf(const dr::DrawingInputs& in, const dr::ProfileScales& scales,
                    const std::string& path, DxfSummary* summary, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec)) {
        *error = "No se pudo escribir el archivo " + path + ": la carpeta " + folder.string() +
                 " no existe";
        return false;
    }
    const dr::Plan plan =
        dr::BuildPlan(in.reaches, in.placement, dr::PlanOptionsOf(in, 0, dr::Paper::A1));
    std::vector<dr::Drawing> sheets;
    int profiles = 0;
    if (in.designed) {
        dr::ProfileSheetOptions o;
        o.scales = scales;
        o.header = in.header;
        const std::vector<dr::ProfileLine> lines = dr::CollectorLines(in.reaches);
        profiles = static_cast<int>(lines.size());
        sheets = dr::BuildProfileSheets(in.reaches, lines, o).sheets;
    }
    if (!project::ReplaceFileContents(path, DxfText(plan, sheets, scales), error)) return false;
    if (summary) {
        summary->planScale = plan.scale;
        summary->schematic = plan.schematic;
        summary->reaches = static_cast<int>(plan.reaches.size());
        summary->manholes = static_cast<int>(plan.manholes.size());
        summary->profiles = profiles;
        summary->sheets = static_cast<int>(sheets.size());
    }
    return true;
}

}  // namespace nivex::exchange
