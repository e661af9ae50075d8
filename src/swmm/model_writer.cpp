#include "swmm/model_writer.h"

#include "shell/session.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

#include "console/codepage.h"
#include "console/screen.h"
#include "design/hydraulics.h"
#include "design/reach_values.h"
#include "drawings/reach_vertices.h"
#include "network/reach_file.h"
#include "project/file_size.h"
#include "project/replace_file.h"
#include "swmm/input_fields.h"
#include "swmm/model_writer_text.h"
#include "swmm/swmm_run.h"
#include "ui/ui.h"

namespace nivex::swmm {

using network::TramoT;

namespace {

constexpr int kTypeDischarge = 2;
constexpr int kTypePumping = 3;

std::string Cut(const std::string& s, size_t n) {
    return s.size() > n ? s.substr(0, n) : s;
}

// The design flow that enters the model at a node: the sanitary design flow when the
// storms come from SWMM itself, the total design flow otherwise.
double NodeFlow(const TramoT& t, bool storm) {
    return storm ? t.Diseno.F244[3] : t.Diseno.F92;
}
double TotalDesignFlow(const TramoT& t) {
    return t.Diseno.F92;
}
// What the relief chamber spills: storm plus sanitary flow.
double ReliefFlow(const TramoT& t) {
    return double(t.Diseno.F72[0]) + t.Diseno.F72[1];
}
double SanitaryReliefFlow(const TramoT& t) {
    return t.Diseno.F72[1];
}
int Receiver(const TramoT& t) {
    return t.Diseno.I16[3];
}
int TributaryCount(const TramoT& t) {
    return std::clamp(t.Diseno.I16[4], 0, 5);
}
int Tributary(const TramoT& t, int k) {
    return t.Diseno.I16[static_cast<size_t>(5 + k)];
}
double CrownDepthUp(const TramoT& t) {
    return t.Diseno.F140[0];
}
double CrownDepthDown(const TramoT& t) {
    return t.Diseno.F140[1];
}

bool ByteGreater(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

int WholeCount(float count, int most) {
    if (!std::isfinite(count) || count < 1) return 0;
    return std::min(static_cast<int>(count), most);
}

}  // namespace

bool IsSwmmStormDesign(int designClass) {
    return designClass >= 6 && designClass <= 9;
}

int NetworkClassOf(int designClass) {
    return specs::SystemKindOfClass(designClass);
}

// ---- Node names ----

namespace {

// What the engine cannot read inside a name.
constexpr std::string_view kUnreadable = " ;\"[";
// What it may be written with instead; none is a letter, a digit or the '-' of the
// program's own suffixes ("-1", "-A", "-Z").
constexpr std::string_view kStandIns = "_~^`|!$%&*+=?@#.,:<>{}()/\\']";

}  // namespace

EngineNames::EngineNames(const std::vector<TramoT>& reaches) {
    std::set<char> held;
    for (const TramoT& t : reaches) {
        held.insert(t.Upstream.begin(), t.Upstream.end());
        held.insert(t.Downstream.begin(), t.Downstream.end());
    }
    for (char bad : kUnreadable) {
        if (!held.count(bad)) continue;
        for (char c : kStandIns)
            if (!held.count(c) && to_.find(c) == std::string::npos) {
                from_ += bad;
                to_ += c;
                break;
            }
    }
}

std::string EngineNames::ToEngine(std::string name) const {
    for (char& c : name) {
        const size_t k = from_.find(c);
        if (k != std::string::npos) c = to_[k];
    }
    return name;
}

std::map<std::string, std::string> ProgramNodeNames(const std::vector<TramoT>& reaches) {
    // The names depend on the reaches alone.
    const SwmmModel m = BuildSwmmModel(reaches, specs::DefaultEspec(), 0);
    std::map<std::string, std::string> names;
    for (const SwmmLinkT& l : m.links)
        for (const std::string* name : {&l.inlet, &l.outlet}) {
            std::string engine = m.names.ToEngine(*name);
            if (engine != *name) names.emplace(std::move(engine), *name);
        }
    return names;
}

// ---- The model ----

void ComputeNodeInflows(const std::vector<TramoT>& reaches, int designClass,
                        std::vector<SwmmLinkT>& links) {
    const bool storm = IsSwmmStormDesign(designClass);
    const int n = static_cast<int>(std::min(reaches.size(), links.size()));
    auto valid = [n](int record) { return record >= 1 && record <= n; };
    for (int i = 0; i < n; ++i) {
        const TramoT& t = reaches[static_cast<size_t>(i)];
        double inflow = NodeFlow(t, storm);
        const int count = TributaryCount(t);
        if (count > 0) {
            // What the chamber spills enters here too and leaves with the rest by the outfall
            // of this conduit; where the storms come from SWMM only its sanitary part.
            if (t.ReliefFactor != 0) inflow += storm ? SanitaryReliefFlow(t) : ReliefFlow(t);
            for (int k = 0; k < count; ++k) {
                if (!valid(Tributary(t, k))) continue;
                const TramoT& in = reaches[static_cast<size_t>(Tributary(t, k) - 1)];
                inflow -= NodeFlow(in, storm);
                // A tributary with a relief chamber ends at its own outfall: the flow it
                // lets go on does not arrive through its conduit.
                if (in.ReliefFactor != 0) inflow += TotalDesignFlow(in);
            }
        }
        links[static_cast<size_t>(i)].nodeInflow = inflow;
    }
}

std::vector<TrIniT> HeadNodes(const std::vector<TramoT>& reaches) {
    std::vector<TrIniT> heads;
    for (const TramoT& t : reaches)
        if (TributaryCount(t) == 0) {
            TrIniT h;
            h.upstream = Cut(t.Upstream, network::kNameLength);
            h.downstream = Cut(t.Downstream, network::kNameLength);
            h.downstream2 = Cut(t.Downstream, kNodeNameLength);
            heads.push_back(h);
        }
    ShellSortHeads(heads);
    NumberHeads(heads);
    return heads;
}

void ShellSortHeads(std::vector<TrIniT>& heads) {
    const size_t count = heads.size();
    if (count <= 2) return;
    for (size_t gap = (count - 1) / 2; gap >= 1; gap /= 2)
        for (size_t i = gap; i < count; ++i)
            for (size_t j = i; j >= gap && ByteGreater(heads[j - gap].upstream, heads[j].upstream);
                 j -= gap)
                std::swap(heads[j - gap], heads[j]);
}

void NumberHeads(std::vector<TrIniT>& heads) {
    int k = 1;
    for (size_t j = 0; j < heads.size(); ++j) {
        heads[j].head = Cut(heads[j].upstream + "-" + std::to_string(k), kNodeNameLength);
        if (j + 1 < heads.size() && heads[j + 1].upstream == heads[j].upstream)
            ++k;
        else
            k = 1;
    }
}

void RenameNodes(const std::vector<TramoT>& reaches, SwmmModel& model) {
    auto& links = model.links;
    for (size_t i = 0; i < links.size() && i < reaches.size(); ++i) {
        if (TributaryCount(reaches[i]) != 0) continue;
        for (TrIniT& h : model.heads)
            if (!h.used && h.upstream == links[i].inlet && h.downstream == links[i].outlet) {
                h.used = 1;
                links[i].inlet = h.head;
                break;
            }
    }
    // A manhole passed through twice in the design order becomes two nodes.
    for (size_t i = 1; i < links.size(); ++i) {
        if (links[i].inlet != links[i - 1].outlet) continue;
        const std::string x = links[i].inlet;
        for (size_t j = i + 1; j < links.size(); ++j)
            if (links[j].inlet == x && links[j - 1].outlet == x) {
                links[j].inlet = Cut(links[j].inlet + "-Z", kNodeNameLength);
                links[j - 1].outlet = Cut(links[j - 1].outlet + "-Z", kNodeNameLength);
            }
    }
}

SwmmModel BuildSwmmModel(const std::vector<TramoT>& reaches, const specs::EspecT& e,
                         int designClass) {
    SwmmModel m;
    m.designClass = designClass;
    const size_t n = reaches.size();
    m.links.assign(n, SwmmLinkT{});
    const bool storm = IsSwmmStormDesign(designClass);
    const int equations = WholeCount(e.EquationCount, specs::kMaxEquations);
    const int series = std::clamp(e.SeriesCount, 0, specs::kMaxSeries);
    for (size_t i = 0; i < n; ++i) {
        const TramoT& t = reaches[i];
        SwmmLinkT& l = m.links[i];
        l.number = static_cast<double>(i + 1);
        l.inlet = Cut(t.Upstream, kNodeNameLength);
        l.outlet = Cut(t.Downstream, kNodeNameLength);
        l.crownUp = t.CrownUp;
        l.crownDown = t.CrownDown;
        l.length = t.Length;
        l.manningN = std::fabs(t.ManningN);
        if (!(l.manningN > 0) || !std::isfinite(l.manningN))
            l.manningN = t.Diameter <= e.ManningLimitDiameter ? e.ManningN : e.ManningNLarge;
        l.diameter = t.Diameter;
        const double d = l.diameter / 1000;
        l.invertUp = l.crownUp - d;
        l.invertDown = l.crownDown - d;
        l.depthUp = CrownDepthUp(t);
        l.depthDown = CrownDepthDown(t);
        l.nodeDepthUp = l.depthUp + d;
        l.nodeDepthDown = l.depthDown + d;
        l.area = double(t.Area) + t.StormArea;
        if (storm) {
            // A number outside the gauges written falls back to the first one.
            int gauge = 1, gauges = 1;
            if (IsIdfStormDesign(designClass)) {
                gauges = equations;
                if (e.EquationCount != 1) gauge = t.RainNumber;
            } else {
                gauges = series;
                if (e.SeriesCount != 1) gauge = t.RainNumber;
            }
            l.rainGauge = gauge >= 1 && gauge <= gauges ? gauge : 1;
        }
        l.imperviousness = t.Runoff != 0 ? std::fabs(double(t.Runoff) * 100)
                                         : std::fabs(double(e.RunoffCoefficient) * 100);
        l.outfall = t.Type == kTypeDischarge || t.Type == kTypePumping;
        if (t.ReliefFactor != 0) {
            l.outlet = Cut(t.Downstream + "-A", kNodeNameLength);
            l.outfall = true;
        }
        const int down = Receiver(t);
        if (down >= 1 && static_cast<size_t>(down) <= n) {
            const TramoT& r = reaches[static_cast<size_t>(down - 1)];
            l.outletOffset = (CrownDepthUp(r) + double(r.Diameter) / 1000) -
                             (CrownDepthDown(t) + double(t.Diameter) / 1000);
        }
    }
    ComputeNodeInflows(reaches, designClass, m.links);
    m.names = EngineNames(reaches);
    m.heads = HeadNodes(reaches);
    RenameNodes(reaches, m);
    // An outlet that no conduit leaves and that is no outfall yet (a reach to another
    // sector, an outfall line that ends the network) would be a node the engine does
    // not know: it is the network's end, an outfall.
    std::set<std::string> inlets;
    for (const SwmmLinkT& l : m.links)
        inlets.insert(l.inlet);
    for (SwmmLinkT& l : m.links)
        if (!l.outfall && !inlets.count(l.outlet)) l.outfall = true;
    return m;
}

// ---- Storms ----

std::vector<DesignStorm> MakeDesignStorms(const specs::EspecT& e) {
    static constexpr std::array<int, 12> kOrder{11, 9, 7, 5, 3, 1, 2, 4, 6, 8, 10, 12};
    std::vector<DesignStorm> storms;
    const int count = WholeCount(e.EquationCount, specs::kMaxEquations);
    for (int k = 0; k < count; ++k) {
        const specs::RainEquation& q = e.Equations[static_cast<size_t>(k)];
        std::array<double, 12> block{};
        double before = 0;
        for (int b = 1; b <= 12; ++b) {
            const double t = 10.0 * b;
            const double i = design::Round2(
                double(q.a) / std::pow(double(q.b) + std::pow(t, double(q.n)), double(q.m)));
            const double intensity = i / 2.7777;  // mm/h
            const double depth = intensity * t / 60;
            block[static_cast<size_t>(b - 1)] = 6 * (depth - before);
            before = depth;
        }
        DesignStorm s;
        for (size_t p = 0; p < 12; ++p) {
            const double v = block[static_cast<size_t>(kOrder[p] - 1)];
            s[p] = GeneralText(static_cast<float>(std::isfinite(v) ? v : 0.0));
        }
        storms.push_back(s);
    }
    return storms;
}

// ---- Files ----

std::string SectorSuffix(const std::string& extension) {
    if (extension.empty() || extension.back() == '0') return "";
    return std::string(" - Sector#") + extension.back();
}

SwmmFileSet SwmmFileNames(const std::string& swmmFolder, const std::string& extension,
                          const std::string& projectName) {
    std::string name = toUtf8(projectName + SectorSuffix(extension));
    std::replace(name.begin(), name.end(), '/', '-');
    std::string base = swmmFolder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    base += "/SWMM - " + extension + "-" + name;
    return {base + ".ini", base + ".inp", base + ".rpt", base + ".out"};
}

bool ClearSwmmFiles(const SwmmFileSet& files, std::string* error) {
    bool ok = true;
    for (const std::string* f : {&files.settings, &files.input, &files.report, &files.output}) {
        std::error_code ec;
        if (!std::filesystem::exists(*f, ec)) continue;
        if (!std::filesystem::remove(*f, ec) || ec) {
            ok = false;
            if (error && error->empty()) *error = "No se pudo borrar " + *f;
        }
    }
    return ok;
}

// ---- Checks ----

ReliefFault FindConsecutiveReliefChambers(const std::vector<TramoT>& reaches) {
    const int n = static_cast<int>(reaches.size());
    for (const TramoT& t : reaches) {
        if (t.ReliefFactor == 0) continue;
        const int down = Receiver(t);
        if (down < 1 || down > n) continue;
        const TramoT& r = reaches[static_cast<size_t>(down - 1)];
        if (r.ReliefFactor != 0) return {t.Upstream, t.Downstream, r.Upstream, r.Downstream};
    }
    return {};
}

std::string ReliefChambersMessage(const ReliefFault& f) {
    return cp("No de haber Camaras de Alivios en tramos hidraulicamente seguidos. ") + "\r" +
           cp("Ello ocurre en los tramos: ") + f.up + " - " + f.down + " y " + f.nextUp + " - " +
           f.nextDown + "." + "\r" + cp("Corrija para poder continuar.");
}

bool CheckReliefChambers(const std::vector<TramoT>& reaches, ui::Ui& ui) {
    const ReliefFault f = FindConsecutiveReliefChambers(reaches);
    if (!f.found()) return false;
    ui.showError(ReliefChambersMessage(f), "Error");
    return true;
}

// ---- Map ----

std::vector<MapPointT> ReadMapPoints(const std::string& path) {
    std::vector<MapPointT> points;
    if (!project::OversizedFile(path, project::kMostTextFileBytes).empty()) return points;
    std::ifstream in(path, std::ios::binary);
    if (!in) return points;
    bool leading = true;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (leading && !line.empty() && line[0] == ';') continue;
        leading = false;
        if (line.empty()) break;
        MapPointT p;
        if (line[0] != '[') {
            std::vector<std::string> words = InputFields(line);
            words.resize(std::max<size_t>(words.size(), 3));
            p.name = upper(words[0]);
            p.x = std::move(words[1]);
            p.y = std::move(words[2]);
        }
        points.push_back(p);
    }
    return points;
}

// ---- Writing ----

std::string TodayDate() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
    return buf;
}

bool LoadDesignReaches(const project::Project& p, std::vector<TramoT>& reaches,
                       std::string* error) {
    reaches.clear();
    network::TramoFile f;
    std::error_code ec;
    const std::string path = p.files.designCopy();
    if (!std::filesystem::exists(path, ec)) {
        if (error) *error = "No existe el archivo del diseño " + path;
        return false;
    }
    if (!f.Open(path)) {
        if (error) *error = f.error();
        return false;
    }
    // The records a design appends after the network are the fixed reaches it replaced,
    // kept for the removal quantities: the model has the new pipe in their place.
    const int header = p.header.ReachCount;
    const int count = header > 0 ? std::min(f.count(), header) : f.count();
    for (int k = 1; k <= count; ++k) {
        TramoT t;
        if (!f.Read(k, t)) {
            if (error) *error = f.error();
            f.Close();
            reaches.clear();
            return false;
        }
        reaches.push_back(std::move(t));
    }
    f.Close();
    return true;
}

namespace {

bool StoreRunFlag(project::Project& p, bool ran, std::string* error) {
    if (!p.OpenControl() || !p.ReadHeader()) {
        if (error) *error = toUtf8(p.error);
        p.CloseControl();
        return false;
    }
    p.header.SwmmRan = ran ? 1 : 0;
    const bool ok = p.WriteHeader();
    if (!ok && error) *error = toUtf8(p.error);
    p.CloseControl();
    return ok;
}

}  // namespace

SwmmWriteOutcome WriteSwmmInput(SwmmContext& ctx, const SwmmModel& model,
                                const std::vector<TramoT>& reaches) {
    SwmmWriteOutcome out;
    project::Project& p = ctx.project;
    if (p.files.folder().empty()) {
        out.error = "No hay un proyecto abierto";
        return out;
    }
    if (ctx.screen) {
        ctx.screen->console().clrScr();
        ctx.screen->ShowLegend(cp("F9^borrar F11^recup.dato ESC^salir"));
        ctx.screen->switches().endKeys = "Enter Esc";
    }
    if (!p.OpenControl() || !p.ReadHeader()) {
        out.error = toUtf8(p.error);
        p.CloseControl();
        return out;
    }
    p.CloseControl();
    char answer = 'S';
    if (!ctx.autoRun)
        answer = ctx.ui.askYesNo(cp("Desea correr SWMM?"), cp("Confirmacion")) == 'S' ? 'S' : 'N';
    if (CheckReliefChambers(reaches, ctx.ui)) {
        out.reliefFault = true;
        StoreRunFlag(p, false, &out.error);
        return out;
    }
    if (!StoreRunFlag(p, answer == 'S', &out.error)) return out;
    if (answer != 'S') return out;

    out.files = SwmmFileNames(ctx.swmmFolder, p.files.extension(), p.header.ProjectName);
    std::error_code ec;
    std::filesystem::create_directories(ctx.swmmFolder, ec);
    std::string clearError;
    if (!ClearSwmmFiles(out.files, &clearError)) {
        ctx.ui.showError(
            cp("No se puede correr SWMM.") + "\r" + cp("Debe cerrar el programa SWMM y reintentar"),
            "Error");
        // The old results stay behind: they must not be read as this run's.
        StoreRunFlag(p, false, nullptr);
        out.error = clearError;
        return out;
    }
    const int networkClass = NetworkClassOf(model.designClass);
    if (ctx.screen && !IsSwmmStormDesign(model.designClass))
        ctx.screen->FieldError(networkClass >= 3 && networkClass <= 5
                                   ? cp(" ... espere - puede tardar varios minutos ... ")
                                   : cp(" ... espere ... "));

    SwmmInputData data;
    data.model = &model;
    data.espec = &p.espec;
    data.extension = p.files.extension();
    data.projectName = p.header.ProjectName;
    data.date = ctx.date.empty() ? TodayDate() : ctx.date;
    if (p.header.Simulated) {
        data.simulated = true;
        data.gridRows = p.header.SimulatedVertical;
        data.gridColumns = p.header.SimulatedHorizontal;
        data.gridLength = p.header.SimulatedLength;
        // The generator's outlet: the discharge of the lowest corner.
        for (const TramoT& t : reaches)
            if (t.Type == kTypeDischarge) data.gridOutlet = t.Downstream;
    } else if (p.espec.FromSwmm) {
        data.imported = true;
        for (const TramoT& t : reaches) {
            data.upstreamNames.push_back(t.Upstream);
            data.reachTypes.push_back(t.Type);
        }
        data.mapPoints = ReadMapPoints(p.files.swmmMap());
    } else {
        // Coordinates only add to the model: a file that cannot be read leaves them out.
        drawings::ManholeCoordinates stored;
        if (drawings::ReadCoordinates(p, stored, nullptr, nullptr) && !stored.points.empty()) {
            data.coordinates = std::move(stored.points);
            for (const TramoT& t : reaches) {
                data.upstreamNames.push_back(t.Upstream);
                data.downstreamNames.push_back(t.Downstream);
            }
        }
    }
    // The bends of the reaches, likewise only added when they can be read.
    drawings::ReachVertices vertices;
    if (!data.simulated && drawings::ReadVertices(p, vertices, nullptr, nullptr) &&
        !vertices.empty()) {
        std::map<std::pair<std::string, std::string>, const drawings::ReachBends*> byReach;
        for (const drawings::ReachBends& b : vertices)
            byReach.emplace(std::make_pair(b.upstream, b.downstream), &b);
        for (const TramoT& t : reaches) {
            const auto it = byReach.find({t.Upstream, t.Downstream});
            data.bends.push_back(it == byReach.end() ? decltype(it->second->points){}
                                                     : it->second->points);
        }
    }
    if (!project::ReplaceFileContents(out.files.input, SwmmInputText(data), &out.error)) {
        StoreRunFlag(p, false, nullptr);
        return out;
    }
    out.answer = 'S';
    out.written = true;
    return out;
}

SwmmRevision ReviseWithSwmm(SwmmContext& ctx, SwmmEngine& engine, SwmmProgress* progress) {
    SwmmRevision r;
    std::vector<TramoT> reaches;
    if (!LoadDesignReaches(ctx.project, reaches, &r.written.error)) return r;
    const SwmmModel model =
        BuildSwmmModel(reaches, ctx.project.espec, ctx.project.header.DesignClass);
    r.written = WriteSwmmInput(ctx, model, reaches);
    if (!r.written.written) return r;
    const SwmmFileSet& f = r.written.files;
    r.ran = true;
    r.code = RunSwmm(engine, progress, ctx.project.files.folder(), {f.input, f.report, f.output});
    if (progress) progress->Close();
    ReportSwmmFailure(ctx.ui, engine, r.code);
    return r;
}

std::string SessionSwmmFolder(const shell::Session& s) {
    if (!s.folders.swmm.empty()) return s.folders.swmm;
    return s.folders.project + "/00 Archivos Swmm";
}

}  // namespace nivex::swmm
