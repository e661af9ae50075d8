#include "swmm/model_import.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "console/codepage.h"
#include "drawings/manhole_coordinates.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "network/reach_rules.h"
#include "project/project_opening.h"
#include "project/reach_backup.h"
#include "project/replace_file.h"
#include "shell/menu_rules.h"
#include "shell/session.h"
#include "shell/startup.h"
#include "specs/criteria_store.h"
#include "swmm/input_fields.h"

namespace nivex::swmm {
namespace {

namespace fs = std::filesystem;

constexpr double kFeet = 0.3048;
constexpr int kTypeDischarge = 2;
constexpr const char* kStructures[] = {"[STORAGE]",  "[PUMPS]", "[DIVIDERS]",
                                       "[ORIFICES]", "[WEIRS]", "[OUTLETS]"};
constexpr const char* kReviewHint = "\rRevise en SWMM el proyecto que intenta pasar a NivexPlus";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

struct Row {
    int number;             // line of the file, from 1
    std::string_view text;  // without the line end
};

// A whole field as a finite number that fits the single float of a reach.
std::optional<double> Number(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(v) || !std::isfinite(static_cast<float>(v))) return std::nullopt;
    return v;
}

// The input file cut into sections. A section runs from its header (a line that is the
// bracketed name; letter case and blanks around it do not matter) to the next header;
// empty lines and lines that begin with ';' are no rows.
class Sections {
  public:
    explicit Sections(std::string_view text) : text_(text) {
        int number = 0;
        size_t pos = 0;
        std::string current;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            const size_t next = end == std::string_view::npos ? text.size() : end + 1;
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++number;
            const std::string_view trimmed = Trimmed(line);
            if (!trimmed.empty() && trimmed.front() == '[') {
                current = Upper(trimmed);
                headers_.insert(current);
                if (current == "[COORDINATES]" && !mapStart_) mapStart_ = next;
            } else if (!current.empty() && !trimmed.empty() && trimmed.front() != ';') {
                rows_[current].push_back({number, line});
            }
            pos = next;
        }
    }

    bool has(const std::string& header) const { return headers_.count(header) != 0; }
    const std::vector<Row>& rows(const std::string& header) const {
        static const std::vector<Row> none;
        auto it = rows_.find(header);
        return it == rows_.end() ? none : it->second;
    }
    std::string map() const {
        return mapStart_ ? std::string(text_.substr(*mapStart_)) : std::string();
    }

  private:
    std::string_view text_;
    std::set<std::string> headers_;
    std::map<std::string, std::vector<Row>> rows_;
    std::optional<size_t> mapStart_;
};

bool Refuse(ImportRefusal& r, std::string message, std::string caption) {
    r.message = std::move(message);
    r.caption = std::move(caption);
    return false;
}

std::string LineText(const Row& row) {
    return "la linea " + std::to_string(row.number);
}

bool RefuseRow(ImportRefusal& r, const Row& row, const std::string& what) {
    const std::string file = r.file.empty() ? "" : " " + r.file;
    return Refuse(
        r, "Error en " + LineText(row) + " del archivo Swmm" + file + ":\r" + what + kReviewHint,
        kModelCaption);
}

// A value of the model as the reach field holds it: metres as given, feet converted and
// rounded to the field's two decimals (the conversion's digits are the program's, not the
// model's). Refused, naming the value, when the reach screen would not take it.
bool TakeFieldValue(const Row& row, int field, const std::string& what, const std::string& text,
                    double value, double scale, double& out, ImportRefusal& r) {
    out = scale == 1.0 ? value : std::round(value * scale * 100.0) / 100.0;
    const std::string rule = network::FieldValueRule(field, out);
    if (rule.empty()) return true;
    return RefuseRow(r, row, what + " (" + text + "): " + toUtf8(rule));
}

// Rows longer than a line of the program may be.
bool CheckLength(const Row& row, ImportRefusal& r) {
    if (row.text.size() <= kMaxLineLength) return true;
    return RefuseRow(r, row,
                     "la linea tiene mas de " + std::to_string(kMaxLineLength) + " caracteres");
}

// "FLOW_UNITS" of [OPTIONS]; without it SWMM takes CFS.
bool ReadFlowUnit(const Sections& sections, ImportedModel& m, ImportRefusal& r) {
    m.flowUnit = "CFS";
    for (const Row& row : sections.rows("[OPTIONS]")) {
        if (!CheckLength(row, r)) return false;
        const std::vector<std::string> f = InputFields(row.text);
        if (f.empty() || Upper(f[0]) != "FLOW_UNITS") continue;
        if (f.size() < 2) return RefuseRow(r, row, "falta la unidad de caudal (FLOW_UNITS)");
        const std::string unit = Upper(f[1]);
        for (const char* known : {"CFS", "GPM", "MGD", "CMS", "LPS", "MLD"})
            if (unit == known) {
                m.flowUnit = unit;
                m.inFeet = IsUsFlowUnit(unit);
                return true;
            }
        return RefuseRow(r, row, "unidad de caudal desconocida: " + f[1]);
    }
    m.inFeet = true;
    return true;
}

struct Node {
    std::string given;  // as the model writes it
    float elevation = 0;
    bool outfall = false;
};

bool ReadNodes(const Sections& sections, const char* header, bool outfall, double scale,
               std::map<std::string, Node>& nodes, ImportRefusal& r) {
    for (const Row& row : sections.rows(header)) {
        if (!CheckLength(row, r)) return false;
        const std::vector<std::string> f = InputFields(row.text);
        if (f.empty()) continue;  // a row of blanks before a comment
        if (f[0].size() > network::kNameLength) return Refuse(r, kNamingMessage, kNamingCaption);
        const std::optional<std::string> name = network::ManholeName(f[0]);
        if (!name)
            return Refuse(r,
                          "El nombre de nodo \"" + f[0] + "\" de " + LineText(row) +
                              " no sirve como nombre de pozo - Revise",
                          kNamingCaption);
        if (f.size() < 2) return RefuseRow(r, row, "falta la elevacion del nodo " + f[0]);
        const std::optional<double> elevation = Number(f[1]);
        if (!elevation)
            return RefuseRow(r, row, "la elevacion del nodo " + f[0] + " no es un numero: " + f[1]);
        double metres = 0;
        if (!TakeFieldValue(row, network::kFieldGroundUp, "la elevacion del nodo " + f[0], f[1],
                            *elevation, scale, metres, r))
            return false;
        auto [it, added] = nodes.emplace(*name, Node{f[0], static_cast<float>(metres), outfall});
        if (!added) {
            if (it->second.given == f[0])
                return RefuseRow(r, row, "el nodo " + f[0] + " esta repetido");
            return RefuseRow(r, row,
                             "los nodos " + it->second.given + " y " + f[0] +
                                 " solo se distinguen por mayusculas y minusculas; en NivexPlus "
                                 "serian el mismo pozo");
        }
    }
    return true;
}

bool ReadConduits(const Sections& sections, double scale, const std::map<std::string, Node>& nodes,
                  ImportedModel& m, ImportRefusal& r) {
    const std::vector<Row>& rows = sections.rows("[CONDUITS]");
    if (rows.empty())
        return Refuse(r,
                      "El archivo Swmm no tiene conductos: falta la seccion [CONDUITS] o esta "
                      "vacia." +
                          std::string(kReviewHint),
                      kModelCaption);
    if (rows.size() > static_cast<size_t>(network::kMaxLines))
        return Refuse(r,
                      "El archivo Swmm tiene " + std::to_string(rows.size()) +
                          " conductos.\rEl mayor numero de tramos (lineas) es de " +
                          std::to_string(network::kMaxLines),
                      kModelCaption);
    m.reaches.reserve(rows.size());
    for (const Row& row : rows) {
        if (!CheckLength(row, r)) return false;
        const std::vector<std::string> f = InputFields(row.text);
        if (f.size() < 4)
            return RefuseRow(r, row,
                             "el conducto debe tener nombre, nodo de entrada, nodo de salida y "
                             "longitud");
        const Node* ends[2] = {nullptr, nullptr};
        for (int k = 0; k < 2; ++k) {
            const std::optional<std::string> name = network::ManholeName(f[1 + k]);
            auto it = name ? nodes.find(*name) : nodes.end();
            if (it == nodes.end() || it->second.given != f[1 + k])
                return Refuse(r, kUnknownNodeMessage, kModelCaption);
            ends[k] = &it->second;
        }
        if (ends[0] == ends[1])
            return RefuseRow(r, row,
                             "el conducto " + f[0] + " une el nodo " + f[1] + " consigo mismo");
        const std::optional<double> length = Number(f[3]);
        if (!length)
            return RefuseRow(r, row,
                             "la longitud del conducto " + f[0] + " no es un numero: " + f[3]);
        if (!(*length > 0))
            return RefuseRow(r, row,
                             "la longitud del conducto " + f[0] + " debe ser mayor que cero");
        double metres = 0;
        if (!TakeFieldValue(row, network::kFieldLength, "la longitud del conducto " + f[0], f[3],
                            *length, scale, metres, r))
            return false;
        network::TramoT t;
        t.Upstream = *network::ManholeName(f[1]);
        t.Downstream = *network::ManholeName(f[2]);
        t.GroundUp = ends[0]->elevation;
        t.GroundDown = ends[1]->elevation;
        t.Type = ends[1]->outfall ? kTypeDischarge : network::kTypeNetwork;
        t.Class = network::kClassNew;
        t.Length = static_cast<float>(metres);
        t.Area = 0;
        m.reaches.push_back(std::move(t));
    }
    return true;
}

// The rows of [COORDINATES] become map points of the program's SWMM models.
bool CheckCoordinates(const Sections& sections, ImportRefusal& r) {
    for (const char* section : {"[COORDINATES]", "[VERTICES]"})
        for (const Row& row : sections.rows(section))
            if (!CheckLength(row, r)) return false;
    return true;
}

// The bends of the conduits, by the reach each conduit became (in the order of [CONDUITS]);
// a row of an unknown conduit or without two finite numbers bends nothing.
drawings::ReachVertices ReachBendsOf(const Sections& sections,
                                     const std::vector<network::TramoT>& reaches) {
    std::map<std::string, size_t> conduit;
    const std::vector<Row>& conduits = sections.rows("[CONDUITS]");
    for (size_t k = 0; k < conduits.size() && k < reaches.size(); ++k) {
        const std::vector<std::string> f = InputFields(conduits[k].text);
        if (!f.empty()) conduit.emplace(f[0], k);
    }
    drawings::ReachVertices v;
    std::map<size_t, size_t> at;  // reach -> its entry in v
    for (const Row& row : sections.rows("[VERTICES]")) {
        const std::vector<std::string> f = InputFields(row.text);
        if (f.size() < 3) continue;
        const auto it = conduit.find(f[0]);
        const auto x = Number(f[1]), y = Number(f[2]);
        if (it == conduit.end() || !x || !y) continue;
        auto [entry, added] = at.emplace(it->second, v.size());
        if (added) {
            const network::TramoT& t = reaches[it->second];
            v.push_back({t.Upstream, t.Downstream, {}});
        }
        v[entry->second].points.push_back({*x, *y});
    }
    return v;
}

// The map points of the manholes of the reaches, in the order the reaches name them; a row
// that is not a name and two finite numbers places nothing.
std::vector<drawings::ManholePoint> ManholePoints(const Sections& sections,
                                                  const std::vector<network::TramoT>& reaches) {
    std::map<std::string, std::pair<double, double>> at;
    for (const Row& row : sections.rows("[COORDINATES]")) {
        const std::vector<std::string> f = InputFields(row.text);
        if (f.size() < 3) continue;
        const auto name = network::ManholeName(f[0]);
        const auto x = Number(f[1]), y = Number(f[2]);
        if (name && x && y) at.emplace(*name, std::make_pair(*x, *y));
    }
    std::vector<drawings::ManholePoint> points;
    std::set<std::string> placed;
    for (const network::TramoT& t : reaches)
        for (const std::string* name : {&t.Upstream, &t.Downstream}) {
            const auto it = at.find(*name);
            if (it != at.end() && placed.insert(*name).second)
                points.push_back({*name, it->second.first, it->second.second});
        }
    return points;
}

bool ReadWholeFile(const std::string& path, std::string& text, ImportRefusal& r) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || !fs::is_regular_file(path, ec))
        return Refuse(r, "No se pudo leer el archivo " + path, "Error");
    if (size > kMaxInputBytes)
        return Refuse(r,
                      "El archivo Swmm " + path + " es demasiado grande (mas de " +
                          std::to_string(kMaxInputBytes >> 20) + " MB)." + kReviewHint,
                      kModelCaption);
    std::ifstream in(path, std::ios::binary);
    if (!in) return Refuse(r, "No se pudo leer el archivo " + path, "Error");
    text.resize(static_cast<size_t>(size));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (static_cast<size_t>(in.gcount()) != text.size() || in.bad())
        return Refuse(r, "No se pudo leer el archivo " + path, "Error");
    return true;
}

bool WriteTemp(const std::string& path, const std::string& bytes, ImportRefusal& r) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.flush();
    if (out) return true;
    std::error_code ec;
    fs::remove(path, ec);
    return Refuse(r, "No se pudo escribir el archivo " + path, "Error");
}

// After the network: the sector marked as imported, the construction data as after an
// index rebuild, record 1 written.
bool MarkImported(project::Project& p, ImportRefusal& r) {
    std::string error;
    if (!p.OpenControl()) return Refuse(r, toUtf8(p.error), "Error");
    bool ok = specs::LoadDesignCriteria(p.control, p.header, p.espec, &error);
    if (ok) {
        p.espec.FromSwmm = 1;
        network::ResetConstructionAfterRebuild(p.espec);
        ok = specs::SaveRecords(p.control, p.header, p.espec, {1});
        if (!ok) error = p.control.error();
    }
    p.CloseControl();
    return ok || Refuse(r, error, "Error");
}

}  // namespace

bool IsUsFlowUnit(std::string_view unit) {
    const std::string u = Upper(unit);
    return u == "CFS" || u == "GPM" || u == "MGD";
}

bool ParseSwmmModel(std::string_view text, ImportedModel& model, ImportRefusal& refusal) {
    model = {};
    const Sections sections(text);
    for (const char* structure : kStructures)
        if (sections.has(structure)) return Refuse(refusal, kStructuresMessage, "Error");
    if (!ReadFlowUnit(sections, model, refusal)) return false;
    const double scale = model.inFeet ? kFeet : 1.0;
    std::map<std::string, Node> nodes;
    if (!ReadNodes(sections, "[JUNCTIONS]", false, scale, nodes, refusal) ||
        !ReadNodes(sections, "[OUTFALLS]", true, scale, nodes, refusal))
        return false;
    for (const auto& [name, node] : nodes)
        (node.outfall ? model.outfalls : model.junctions) += 1;
    if (!ReadConduits(sections, scale, nodes, model, refusal)) return false;
    if (!CheckCoordinates(sections, refusal)) return false;
    model.map = sections.map();
    model.coordinates = ManholePoints(sections, model.reaches);
    model.vertices = ReachBendsOf(sections, model.reaches);
    return true;
}

bool HasReservedPrefix(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    const std::string_view name =
        cut == std::string::npos ? std::string_view(path) : std::string_view(path).substr(cut + 1);
    return name.starts_with(kReservedPrefix);
}

bool ImportAllowed(const project::Project& p) {
    if (p.espec.FromSwmm) return true;
    return p.header.ReachCount == 0 && !p.header.Simulated;
}

bool ImportSwmmFile(shell::Session& s, const std::string& path, ImportRefusal& refusal,
                    ImportedModel* out) {
    if (HasReservedPrefix(path))
        return Refuse(refusal, kReservedPrefixMessage, kReservedPrefixCaption);
    s.settings.write(shell::kSettingsKey, kImportedFileSetting, path);

    std::string text;
    if (!ReadWholeFile(path, text, refusal)) return false;
    refusal.file = path;
    ImportedModel model;
    if (!ParseSwmmModel(text, model, refusal)) return false;
    text.clear();

    project::Project& p = s.project;
    // The map goes in beside the old one first, so that a failure below leaves it alone.
    const std::string map = p.files.swmmMap();
    std::string error;
    const std::string mapTemp = project::MakeTempFile(map, &error);
    if (mapTemp.empty()) return Refuse(refusal, error, "Error");
    if (!WriteTemp(mapTemp, model.map, refusal)) return false;
    std::error_code ec;
    auto dropTemp = [&] { fs::remove(mapTemp, ec); };

    // A backup belongs to the network being replaced: it is put back, which removes it.
    if (!project::RestoreReachBackupSilently(s)) {
        dropTemp();
        return Refuse(refusal, toUtf8(p.error), "Error");
    }
    if (!network::ReplaceNetwork(p, model.reaches, &error)) {
        dropTemp();
        return Refuse(refusal, error, "Error");
    }
    if (!MarkImported(p, refusal)) {
        dropTemp();
        return false;
    }
    fs::rename(mapTemp, map, ec);
    if (ec) {
        dropTemp();
        return Refuse(refusal, "No se pudo reemplazar el archivo " + map, "Error");
    }
    // The model's map places the new network's manholes; the old network's points go.
    drawings::ManholeCoordinates coordinates;
    coordinates.points = model.coordinates;
    if (!drawings::WriteCoordinates(p, coordinates, &error) ||
        !drawings::WriteVertices(p, model.vertices, &error))
        return Refuse(refusal, error, "Error");
    shell::ApplyListingItems(s.menu, project::MenuFactsOf(p));
    if (out) *out = std::move(model);
    return true;
}

bool ImportSwmmModel(shell::Session& s, ui::FileChooser* chooser) {
    if (!chooser) {
        s.ui.showError(cp("No hay un dialogo para elegir el archivo Swmm en esta version."),
                       "Error");
        return false;
    }
    std::string folder = s.settings.read(shell::kSettingsKey, kSwmmFolderSetting);
    if (folder.empty()) folder = s.folders.swmm;
    const std::string path = chooser->chooseFile(cp(kDialogTitle), kDialogFilter, folder);
    if (path.empty()) {
        s.ui.showWarning(cp(kCancelled), cp(kCancelledCaption));
        return false;
    }
    ImportRefusal refusal;
    if (ImportSwmmFile(s, path, refusal)) return true;
    s.ui.showError(cp(refusal.message), cp(refusal.caption));
    return false;
}

void RunSwmmImport(shell::Session& s) {
    if (s.ui.askYesNo(cp(kImportQuestion), "Confirmacion") != 'S') return;
    project::Project& p = s.project;
    std::string error;
    bool loaded = p.OpenControl();
    if (loaded)
        loaded = specs::LoadDesignCriteria(p.control, p.header, p.espec, &error);
    else
        error = toUtf8(p.error);
    p.CloseControl();
    if (!loaded) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    if (!ImportAllowed(p)) {
        s.ui.showWarning(cp(kImportRefusal), "Advertencia");
        return;
    }
    if (ImportSwmmModel(s, s.fileChooser)) s.ui.showInformation(cp(kImportDone), "Informacion");
}

}  // namespace nivex::swmm
