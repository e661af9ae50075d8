// What must hold for every network a designer can enter: networks drawn from start
// numbers are set up, checked and designed through nivex-batch exactly as a user runs
// "design --yes", reviewed, and every record of the design copy is judged by
// design_checker. A fixed set of draws runs always; NIVEX_LONG=1 runs thousands of fresh
// ones and NIVEX_DRAW=<number> (m<number> for the hydraulic-model classes) replays one.
// Every failure names its start number, class, options, record, rule and values.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "design_checker.h"
#include "network/network_controls.h"
#include "network/reach_csv.h"
#include "network_generator.h"
#include "project/project.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"

namespace nivex::design::test {
namespace {

namespace fs = std::filesystem;
using network::TramoT;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One draw: which generator and its start number.
struct DrawId {
    bool model = false;
    uint64_t start = 0;
    std::string text() const { return (model ? "m" : "") + std::to_string(start); }
};

struct NetworkReport {
    DrawId draw;
    DesignSetup setup;
    int reaches = 0;
    std::vector<Finding> findings;
    std::map<std::string, std::string> output;   // what "design" printed
    std::multimap<int, RevisionEntry> revision;  // what the revision listed
};

// A base folder of projects with the sector AB1, driven by nivex-batch in-process.
class Sector {
  public:
    Sector() {
        static int serial = 0;
        base_ = fs::temp_directory_path() /
                ("nivex-property-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(base_);
        fs::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);  // keep the user's trash out
        start_ = fs::current_path();
    }
    ~Sector() {
        fs::current_path(start_);
        // NIVEX_KEEP=<folder> keeps the projects of a replayed draw for a closer look.
        if (const char* keep = std::getenv("NIVEX_KEEP")) {
            fs::remove_all(keep);
            fs::copy(base_ / "projects", keep, fs::copy_options::recursive);
        }
        fs::remove_all(base_);
    }

    struct Outcome {
        int rc = 0;
        std::string out, err;
    };
    Outcome Batch(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "AB1"});
        std::ostringstream out, err;
        Outcome r;
        r.rc = cli::RunBatch(args, out, err);
        r.out = out.str();
        r.err = err.str();
        fs::current_path(start_);
        return r;
    }
    // A new project, its sector opened as the program opens it.
    bool Fresh(std::string* error) {
        fs::remove_all(base_ / "projects");
        fs::create_directories(base_ / "projects");
        const Outcome r = Batch({"new", "--yes"});
        if (r.rc != 0) {
            *error = "new: " + r.err;
            return false;
        }
        return true;
    }
    fs::path Folder() const {
        for (const auto& entry : fs::directory_iterator(base_ / "projects"))
            if (entry.is_directory() && entry.path().filename().string().rfind("AB", 0) == 0)
                return entry.path();
        return {};
    }
    void Open(project::Project& p) const {
        p.files.Build(Folder().string(), "AB1");
        p.selection.extension = "AB1";
        p.selection.code = "AB";
        p.selection.sector = "1";
        p.selection.sectors = "1";
        p.selection.sectorNumber = 1;
    }
    std::string SwmmInput() const {
        std::string text;
        for (const auto& entry : fs::recursive_directory_iterator(base_))
            if (entry.path().extension() == ".inp" || entry.path().extension() == ".INP")
                text = ReadAll(entry.path());
        return text;
    }

  private:
    fs::path base_, start_;
};

std::map<std::string, std::string> KeyValues(const std::string& text) {
    std::map<std::string, std::string> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t colon = line.find(": ");
        if (colon != std::string::npos) v[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return v;
}

Finding NetworkFinding(const std::string& invariant, const std::string& values) {
    Finding f;
    f.invariant = invariant;
    f.values = values;
    return f;
}

// The entered network into the sector, its controls passed and its design run as
// "design --yes" runs it. False with a finding when any step refused it.
bool EnterAndDesign(Sector& s, const GeneratedNetwork& g, std::vector<Finding>& findings,
                    std::map<std::string, std::string>& output) {
    project::Project p;
    s.Open(p);
    std::string error;
    if (!network::ReplaceNetwork(p, g.reaches, &error)) {
        findings.push_back(NetworkFinding("setup", "reach file: " + error));
        return false;
    }
    // Every control runs again: the criteria were changed as well.
    if (!network::WithControl(p, &error, [&] {
            p.header.ControlsDone = {0, 0, 0, 0};
            return network::SaveControlRecords(p, {}, &error);
        })) {
        findings.push_back(NetworkFinding("setup", "controls reset: " + error));
        return false;
    }
    Sector::Outcome r = s.Batch({"controls", "--yes"});
    if (r.rc != 0) {
        findings.push_back(NetworkFinding("controls", r.out.substr(0, 600)));
        return false;
    }
    r = s.Batch({"design", "--yes", "--opciones", g.setup.options});
    output = KeyValues(r.out);
    if (r.rc != 0 || output.count("status") == 0) {
        // What the design said, without the sector line and the answers of the batch.
        std::istringstream lines(r.err);
        std::string said;
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("Entidad", 0) != 0 && line.find("-> S") == std::string::npos)
                said += (said.empty() ? "" : " | ") + line;
        findings.push_back(NetworkFinding(
            "design-ended", "rc " + std::to_string(r.rc) + ": " + said.substr(0, 400)));
        return false;
    }
    return true;
}

NetworkReport RunDraw(const DrawId& id, bool compareRotated, bool leastCost = false) {
    NetworkReport report;
    report.draw = id;
    const GeneratedNetwork g =
        id.model ? GenerateModelNetwork(id.start) : GenerateNetwork(id.start);
    report.setup = g.setup;
    report.reaches = static_cast<int>(g.reaches.size());
    Sector s;
    std::string error;
    if (!s.Fresh(&error)) {
        report.findings.push_back(NetworkFinding("setup", error));
        return report;
    }
    for (const std::vector<std::string>& args :
         {g.setup.ConfigArguments(), g.setup.CriteriaArguments()}) {
        const Sector::Outcome r = s.Batch(args);
        if (r.rc != 0) {
            report.findings.push_back(
                NetworkFinding("setup", args[0] + ": " + r.err.substr(0, 400)));
            return report;
        }
    }
    if (leastCost) {
        const Sector::Outcome r = s.Batch({"config", "--metodo", "costo-minimo"});
        if (r.rc != 0) {
            report.findings.push_back(NetworkFinding("setup", "config: " + r.err.substr(0, 400)));
            return report;
        }
    }
    std::map<std::string, std::string> output;
    if (!EnterAndDesign(s, g, report.findings, output)) return report;
    report.output = output;
    const std::string swmm = id.model ? s.SwmmInput() : std::string();
    const Sector::Outcome review = s.Batch({"review", "--yes"});
    project::Project p;
    s.Open(p);
    if (!network::LoadControlState(p, &error)) {
        report.findings.push_back(NetworkFinding("setup", "control: " + error));
        return report;
    }
    std::vector<TramoT> designed;
    if (!swmm::LoadDesignReaches(p, designed, &error)) {
        report.findings.push_back(NetworkFinding("design-copy", error));
        return report;
    }
    CheckInput in;
    in.setup = &g.setup;
    in.entered = &g.reaches;
    in.designed = &designed;
    in.espec = &p.espec;
    in.header = &p.header;
    in.designOutput = output;
    if (review.rc == 0) {
        in.revision = ParseRevisionList(ReadAll(p.files.deficiencies()), 'D');
        in.revision.merge(ParseRevisionList(ReadAll(p.files.problems()), 'P'));
        in.revision.merge(ParseRevisionList(ReadAll(p.files.rasDeficiencies()), 'R'));
    } else {
        report.findings.push_back(NetworkFinding("review", review.err.substr(0, 300)));
    }
    in.evolution = ReadAll(p.files.evolution());
    in.swmmInput = swmm;
    report.findings = CheckDesign(in);
    report.revision = in.revision;

    // The same trees in another order of the file must be designed alike.
    if (compareRotated && g.trees.size() >= 2) {
        const GeneratedNetwork rotated = WithTreesRotated(g);
        std::map<std::string, std::string> again;
        if (EnterAndDesign(s, rotated, report.findings, again)) {
            std::vector<TramoT> second;
            if (swmm::LoadDesignReaches(p, second, &error)) {
                for (Finding& f : CompareDesigns(designed, report.reaches, second, report.reaches))
                    report.findings.push_back(f);
            }
        }
    }
    return report;
}

uint64_t Mix(uint64_t x) {  // splitmix64: fresh start numbers spread over the whole range
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

bool Long() {
    const char* v = std::getenv("NIVEX_LONG");
    return v && std::string(v) == "1";
}

// NIVEX_DRAW: one draw to replay.
bool Replay(DrawId& id) {
    const char* v = std::getenv("NIVEX_DRAW");
    if (!v || !*v) return false;
    std::string text = v;
    id.model = text[0] == 'm';
    if (id.model) text.erase(0, 1);
    id.start = std::stoull(text);
    return true;
}

// The table of what failed, by rule: networks and reaches, by class, a few start numbers
// with their values, and how often each option stood among the failing networks.
void PrintReport(const std::vector<NetworkReport>& reports) {
    struct Row {
        std::set<std::string> networks;
        int reaches = 0;
        std::map<int, std::set<std::string>> byClass;
        std::vector<std::string> examples;
        std::map<std::string, std::set<std::string>> byOption;
    };
    std::map<std::string, Row> rows;
    std::map<int, int> perClass;
    std::map<std::string, int> perOption;
    auto options = [](const DesignSetup& s) {
        std::vector<std::string> o;
        o.push_back(std::string("opciones ") + s.options);
        o.push_back(std::string("critico ") + (s.avoidCritical > 0 ? "si" : "no"));
        o.push_back(std::string("energia ") + (s.energyJunction > 0 ? "si" : "no"));
        o.push_back(std::string("n ") + (s.asceManning ? "asce" : "fijo"));
        o.push_back(std::string("relaciones ") + (s.variableRelations ? "variable" : "uno"));
        o.push_back(std::string("ras2016 ") + (s.ras2016 ? "si" : "no"));
        o.push_back(std::string("pend/diam ") + (s.slopePerDiameter ? "si" : "no"));
        o.push_back(std::string("ras-a-ras ") + s.options[3]);
        return o;
    };
    for (const NetworkReport& r : reports) {
        perClass[r.setup.designClass]++;
        for (const std::string& o : options(r.setup))
            perOption[o]++;
        for (const Finding& f : r.findings) {
            Row& row = rows[f.invariant];
            const bool first = row.networks.insert(r.draw.text()).second;
            ++row.reaches;
            row.byClass[r.setup.designClass].insert(r.draw.text());
            if (first && row.examples.size() < 3)
                row.examples.push_back(r.draw.text() + " (clase " +
                                       std::to_string(r.setup.designClass) + ", " +
                                       r.setup.options + ", reg " + std::to_string(f.record) + " " +
                                       f.reach + "): " + f.values);
            for (const std::string& o : options(r.setup))
                row.byOption[o].insert(r.draw.text());
        }
    }
    std::ostringstream s;
    s << "\n=== Redes: " << reports.size() << " (";
    for (auto [c, n] : perClass)
        s << "clase " << c << ": " << n << "  ";
    s << ")\n";
    for (const auto& [name, row] : rows) {
        s << "--- " << name << ": " << row.networks.size() << " redes, " << row.reaches
          << " hallazgos; por clase:";
        for (const auto& [c, set] : row.byClass)
            s << " " << c << ":" << set.size() << "/" << perClass[c];
        s << "\n    opciones de las redes que fallan:";
        for (const auto& [o, set] : row.byOption)
            s << " [" << o << " " << set.size() << "/" << perOption[o] << "]";
        s << "\n";
        for (const std::string& e : row.examples)
            s << "    p. ej. " << e << "\n";
    }
    std::cout << s.str() << std::flush;
}

// Faults of the design still open, with the number of networks of the fixed set that show
// each: the run fails when one of them is seen in more networks than this, and says so when
// it is seen in fewer, so that the figure is lowered as they are mended. Every other rule
// holds in every network.
const std::map<std::string, int>& OpenFaults() {
    static const std::map<std::string, int> open = {{"diameter-oversized", 2}, {"froude", 1}};
    return open;
}

// ceilings: the networks each rule may fail in (the fixed set); null: none may fail.
void RunAll(const std::vector<DrawId>& draws, double compareShare,
            const std::map<std::string, int>* ceilings = nullptr) {
    std::vector<NetworkReport> reports;
    for (size_t i = 0; i < draws.size(); ++i) {
        const DrawId& id = draws[i];
        // One network in a few is designed again with its trees in another order.
        const bool rotate = static_cast<double>(Mix(id.start) % 1000) < compareShare * 1000;
        reports.push_back(RunDraw(id, rotate));
    }
    PrintReport(reports);
    // NIVEX_FINDINGS=<file>: every finding, one line each, for a closer look.
    if (const char* path = std::getenv("NIVEX_FINDINGS")) {
        std::ofstream all(path, std::ios::app);
        for (const NetworkReport& r : reports)
            for (const Finding& f : r.findings)
                all << f.invariant << "\t" << r.draw.text() << "\t" << r.setup.designClass << "\t"
                    << r.setup.options << "\t" << f.record << "\t" << f.reach << "\t" << f.values
                    << "\t" << r.setup.Describe() << "\n";
    }
    std::map<std::string, std::set<std::string>> networks;
    for (const NetworkReport& r : reports)
        for (const Finding& f : r.findings)
            if (!Informational(f.invariant)) networks[f.invariant].insert(r.draw.text());
    auto allowed = [&](const std::string& rule) {
        if (!ceilings) return 0;
        const auto it = ceilings->find(rule);
        return it == ceilings->end() ? 0 : it->second;
    };
    // Enough lines to replay each rule that fails; the table above counts them all.
    std::map<std::string, int> perRule;
    int printed = 0;
    for (const NetworkReport& r : reports)
        for (const Finding& f : r.findings) {
            if (Informational(f.invariant)) continue;
            if (static_cast<int>(networks[f.invariant].size()) <= allowed(f.invariant)) continue;
            if (perRule[f.invariant]++ >= 5 || printed++ >= 200) continue;
            ADD_FAILURE() << "draw " << r.draw.text() << " clase " << r.setup.designClass
                          << " opciones " << r.setup.options << " registro " << f.record << " ("
                          << f.reach << ") " << f.invariant << ": " << f.values << "\n  ["
                          << r.setup.Describe() << "; " << r.reaches
                          << " tramos] NIVEX_DRAW=" << r.draw.text();
        }
    for (const auto& [rule, set] : networks)
        EXPECT_LE(static_cast<int>(set.size()), allowed(rule))
            << rule << ": redes con hallazgos; ver la tabla de arriba";
    if (ceilings)
        for (const auto& [rule, most] : *ceilings) {
            const int seen = networks.count(rule) ? static_cast<int>(networks[rule].size()) : 0;
            if (seen < most)
                std::cout << rule << ": " << seen << " redes de " << most
                          << " admitidas; baje la cifra en OpenFaults\n";
        }
}

TEST(DesignProperties, GeneratorIsTheSameOnEveryLibrary) {
    // The tenth-thousandth raw number of the default engine is fixed by the language.
    std::mt19937_64 standard;
    standard.discard(9999);
    EXPECT_EQ(standard(), 9981545732273789042ull);
    Draw a(5489), b(5489);
    EXPECT_EQ(a.raw(), std::mt19937_64(5489)());
    for (int k = 0; k < 1000; ++k) {
        const int v = b.between(3, 7);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 7);
    }
    const GeneratedNetwork g1 = GenerateNetwork(987654321), g2 = GenerateNetwork(987654321);
    ASSERT_EQ(g1.reaches.size(), g2.reaches.size());
    for (size_t k = 0; k < g1.reaches.size(); ++k) {
        EXPECT_EQ(g1.reaches[k].Upstream, g2.reaches[k].Upstream);
        EXPECT_EQ(g1.reaches[k].GroundUp, g2.reaches[k].GroundUp);
        EXPECT_EQ(g1.reaches[k].Area, g2.reaches[k].Area);
    }
    EXPECT_EQ(g1.setup.Describe(), g2.setup.Describe());
}

TEST(DesignProperties, GeneratedNetworksLookLikeNeighbourhoods) {
    int uphill = 0, steep = 0, flat = 0, fixed = 0, outfalls = 0, total = 0;
    for (uint64_t k = 0; k < 200; ++k) {
        const GeneratedNetwork g = GenerateNetwork(k);
        ASSERT_GE(g.reaches.size(), 5u);
        ASSERT_LE(g.reaches.size(), 150u);
        std::set<std::string> names;
        for (const TramoT& t : g.reaches) {
            ASSERT_LE(t.Upstream.size(), network::kNameLength);
            ASSERT_GE(t.Length, 20.0f);
            ASSERT_LE(t.Length, 120.0f);
            const double slope = (t.GroundUp - t.GroundDown) * 100 / t.Length;
            ASSERT_LE(slope, 30.01);
            uphill += slope < 0;
            steep += slope > 5;
            flat += slope >= 0 && slope < 1;
            fixed += t.Class != 0;
            outfalls += t.Type == 2;
            ++total;
            names.insert(t.Upstream);
        }
        EXPECT_EQ(g.reaches.back().Type, 2);
        EXPECT_EQ(names.size(), g.reaches.size()) << "one reach leaves each manhole";
    }
    EXPECT_GT(uphill, total / 50);
    EXPECT_GT(steep, total / 10);
    EXPECT_GT(flat, total / 10);
    EXPECT_GT(fixed, 0);
    EXPECT_GT(outfalls, 200);
}

TEST(DesignProperties, ExactSectionAgreesWithHandCalculations) {
    // D 300 mm, n 0.013, S 1 %: V0 = (0.075)^(2/3)·0.1/0.013 = 1.368 m/s, Q0 = 96.7 l/s.
    ExactSection s;
    s.d = 0.3;
    s.n = 0.013;
    s.slope = 1;
    EXPECT_NEAR(s.V0(), 1.368, 0.002);
    EXPECT_NEAR(s.Q0(), 96.7, 0.1);
    // Half full: q = 0.5 exactly, R = D/4, tau = 1000·0.075·0.01 = 0.75 kg/m².
    EXPECT_NEAR(s.Depth(0.5), 0.5, 0.001);
    EXPECT_NEAR(s.Tau(0.5), 0.75, 0.002);
    // Half full: A/T = (π·0.09/8)/0.3 = 0.1178 m; V = V0; Fr = 1.368/√(9.81·0.1178) = 1.273.
    EXPECT_NEAR(s.Froude(0.5), 1.273, 0.003);
    // The largest flow ratio of a circular pipe, 1.076 at y/D 0.938.
    EXPECT_NEAR(ExactSection::PipeQ(0.938), 1.076, 0.001);
}

// The draws of classes 1 to 5 a run takes: the one NIVEX_DRAW names, NIVEX_COUNT fresh ones
// (longCount when not given) with NIVEX_LONG=1, from NIVEX_BASE when given so that two builds
// meet the same networks, or the fixed set of fixedCount from 1000 on (the classes in turn).
std::vector<DrawId> ClassOneToFiveDraws(DrawId& replay, int longCount, int fixedCount) {
    std::vector<DrawId> draws;
    if (Replay(replay)) {
        draws.push_back(replay);
    } else if (Long()) {
        const char* count = std::getenv("NIVEX_COUNT");
        const int n = count ? std::atoi(count) : longCount;
        const char* given = std::getenv("NIVEX_BASE");
        const uint64_t base =
            given ? std::stoull(given)
                  : (static_cast<uint64_t>(std::random_device{}()) << 32) ^
                        static_cast<uint64_t>(
                            std::chrono::steady_clock::now().time_since_epoch().count());
        std::cout << "NIVEX_LONG: " << n << " redes desde la base " << base << "\n";
        for (int k = 0; k < n; ++k)
            draws.push_back({false, Mix(base + static_cast<uint64_t>(k))});
    } else {
        for (int k = 0; k < fixedCount; ++k)
            draws.push_back({false, 1000 + static_cast<uint64_t>(k)});
    }
    return draws;
}

TEST(DesignProperties, FixedDrawsOfClassesOneToFive) {
    DrawId replay;
    const std::vector<DrawId> draws = ClassOneToFiveDraws(replay, 3000, 300);
    if (replay.model) GTEST_SKIP() << "NIVEX_DRAW names a hydraulic-model draw";
    const bool fixedSet = !replay.start && !Long();
    RunAll(draws, replay.start || draws.size() == 1 ? 1.0 : 0.25,
           fixedSet ? &OpenFaults() : nullptr);
}

// A line of the revision without its figures: what kind of thing it says.
std::string Kind(const RevisionEntry& e) {
    std::string k(1, e.list);
    for (char c : e.text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ' ')
            k += c;
    return k;
}

// The design of least cost against the standard design of the same networks: every rule of
// the checker that holds for the standard design holds for it, the revision lists nothing
// about it that it does not list about the standard one, and it never costs more than the
// standard design with the same prices.
TEST(DesignProperties, LeastCostDesignsBreakNothingTheStandardKeepsAndCostNoMore) {
    DrawId replay;
    std::vector<DrawId> draws = ClassOneToFiveDraws(replay, 1000, 60);
    if (replay.model) GTEST_SKIP() << "NIVEX_DRAW names a hydraulic-model draw";
    // Networks of long runs that once broke a rule here: a slope judged by a filling read
    // with the constant-n segment under a variable n, crowns left a centimetre below the one
    // leaving by the junction's re-sloping, and lines as shallow as the standard design
    // raised them to a fixed reach without that line's mark, and a size judged too wide by
    // a least velocity read with the constant-n segment under a variable n, and a reach
    // through drop chambers laid at a cap inside the critical band.
    if (!Replay(replay) && !Long())
        for (uint64_t d : {15028851656085577605ull, 11397953376110684137ull, 1996340163106062957ull,
                           2681061514895383634ull, 9908411246091536114ull, 9352686685529070361ull,
                           14214184795936253337ull, 7892552446381677765ull, 12146753587469251124ull,
                           51180207630897755ull, 5085807924632140868ull})
            draws.push_back({false, d});
    int kept = 0;
    double savings = 0;
    std::map<std::string, int> notes;  // why the standard design stayed
    for (const DrawId& id : draws) {
        const NetworkReport standard = RunDraw(id, false, false);
        const NetworkReport cheap = RunDraw(id, false, true);
        const std::string where = "draw " + id.text() + " clase " +
                                  std::to_string(cheap.setup.designClass) + " opciones " +
                                  cheap.setup.options + " NIVEX_DRAW=" + id.text();
        std::set<std::pair<std::string, int>> known;
        for (const Finding& f : standard.findings)
            known.insert({f.invariant, f.record});
        for (const Finding& f : cheap.findings)
            if (!Informational(f.invariant) && !known.count({f.invariant, f.record}))
                ADD_FAILURE() << where << " registro " << f.record << " (" << f.reach << ") "
                              << f.invariant << ": " << f.values;
        std::multiset<std::pair<int, std::string>> listed;
        for (const auto& [record, entry] : standard.revision)
            listed.insert({record, Kind(entry)});
        for (const auto& [record, entry] : cheap.revision) {
            const auto it = listed.find({record, Kind(entry)});
            if (it == listed.end())
                ADD_FAILURE() << where << " registro " << record << ": la revision lista "
                              << entry.list << ": " << entry.text;
            else
                listed.erase(it);
        }
        auto value = [](const NetworkReport& r, const char* key) {
            const auto it = r.output.find(key);
            return it == r.output.end() ? -1.0 : std::atof(it->second.c_str());
        };
        const double cost = value(cheap, "costo"), base = value(cheap, "costo_estandar");
        ASSERT_GT(base, 0) << where;
        EXPECT_EQ(cheap.output.at("metodo"), "costo-minimo") << where;
        EXPECT_EQ(standard.output.at("metodo"), "estandar") << where;
        // The standard design priced in both runs alike, and never beaten by the other way.
        EXPECT_NEAR(value(standard, "costo"), base, 0.005) << where;
        EXPECT_LE(cost, base + 0.005) << where;
        if (cost < base) {
            ++kept;
            savings += (base - cost) / base;
        } else if (cheap.output.count("nota")) {
            ++notes[cheap.output.at("nota")];
        }
    }
    std::cout << "Costo minimo: " << kept << " de " << draws.size()
              << " redes mas economicas, ahorro medio " << (kept ? 100 * savings / kept : 0.0)
              << " %\n";
    for (const auto& [note, count] : notes)
        std::cout << "  " << count << " x " << note << "\n";
    // The method must do its work on most networks, not fall back to the standard one.
    if (!Replay(replay)) {
        EXPECT_GE(kept * 3, static_cast<int>(draws.size()));
    }
}

TEST(DesignProperties, HydraulicModelClassesWithTheEngine) {
    ASSERT_TRUE(swmm::ProgramEngine().loaded()) << swmm::ProgramEngine().loadError();
    std::vector<DrawId> draws;
    DrawId replay;
    if (Replay(replay)) {
        if (!replay.model) GTEST_SKIP() << "NIVEX_DRAW names a draw of classes 1 to 5";
        draws.push_back(replay);
    } else {
        const int n = Long() ? 40 : 4;
        for (int k = 0; k < n; ++k)
            draws.push_back(
                {true, Long()
                           ? Mix(static_cast<uint64_t>(
                                     std::chrono::steady_clock::now().time_since_epoch().count()) +
                                 static_cast<uint64_t>(k))
                           : 2000 + static_cast<uint64_t>(k)});  // classes 6 to 9
    }
    RunAll(draws, 0);
}

}  // namespace
}  // namespace nivex::design::test
