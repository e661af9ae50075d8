#pragma once
// The SWMM 5 model of a designed sector: one conduit per reach of the design copy
// "ZSDB.", the nodes named after the manholes (head nodes "M-1", "M-2" … for the
// initial reaches, "-A" outfalls at relief chambers, "-Z" for a manhole passed twice),
// the dry-weather inflow of every node, the subcatchments, rain gauges and design storms
// of the designs whose storm flows come from SWMM, and the input file written section by
// section in its fixed column layout.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "drawings/manhole_coordinates.h"
#include "network/tramo.h"
#include "project/project.h"
#include "specs/espec.h"

namespace nivex::console {
class Screen;
}
namespace nivex::ui {
class Ui;
}
namespace nivex::shell {
struct Session;
}

namespace nivex::swmm {
class SwmmEngine;
class SwmmProgress;
}  // namespace nivex::swmm

namespace nivex::swmm {

// ---- Design classes ----
// Classes 6 to 9: rain gauges, subcatchments and time series are written.
bool IsSwmmStormDesign(int designClass);
// 1, 2, 3 (combined: 3, 6, 8), 4 (storm: 4, 7, 9), 5; 0 for no class.
int NetworkClassOf(int designClass);
// Classes 6 and 7 take their storms from the rainfall equations, 8 and 9 from the series.
inline bool IsIdfStormDesign(int designClass) {
    return designClass == 6 || designClass == 7;
}
inline bool IsHyetographDesign(int designClass) {
    return designClass == 8 || designClass == 9;
}

// One conduit of the model; entry i describes reach i.
struct SwmmLinkT {
    double number = 0;   // reach number, the conduit name
    std::string inlet;   // SWMM node names, up to 7 characters
    std::string outlet;  //
    double crownUp = 0, crownDown = 0;
    double length = 0;
    double manningN = 0;
    double diameter = 0;  // mm
    double invertUp = 0, invertDown = 0;
    double depthUp = 0, depthDown = 0;          // crown depths
    double nodeDepthUp = 0, nodeDepthDown = 0;  // crown depth + D/1000
    double outletOffset = 0;                    // drop at the downstream manhole
    double nodeInflow = 0;                      // dry-weather inflow at the inlet node, l/s
    bool outfall = false;
    double area = 0;            // ha
    double imperviousness = 0;  // %
    int rainGauge = 0;          // 1 … 5; 0 outside the SWMM storm designs
};

// One initial reach (no upstream reach) and the head node it starts from.
struct TrIniT {
    std::string upstream;    // up to 5 characters
    std::string downstream;  // up to 5 characters
    std::string head;        // up to 7 characters
    std::string downstream2;
    uint8_t used = 0;
};

// Node names as the engine reads them. The engine ends a name at a blank, takes ';' for
// the start of a comment, '"' for a quote and a line whose first word begins with '[' for
// a section; a manhole name may hold any of them. Each such character is written as a
// stand-in that no manhole name of the network holds, so a name keeps its length and
// never becomes another manhole's name: the engine's names read back one to one.
class EngineNames {
  public:
    EngineNames() = default;  // every name as it is
    explicit EngineNames(const std::vector<network::TramoT>& reaches);
    std::string ToEngine(std::string name) const;

  private:
    std::string from_, to_;  // from_[k] is written as to_[k]
};

struct SwmmModel {
    int designClass = 0;
    std::vector<SwmmLinkT> links;  // entry k - 1 is reach k
    std::vector<TrIniT> heads;     // sorted by upstream name
    EngineNames names;             // how the node names are written
};

// Names are cut to this many characters.
constexpr size_t kNodeNameLength = 7;

// The links of every reach of the design copy (records in reach order, with their links
// of offsets 16 … 34), the head nodes, and the renaming of head and duplicate nodes.
SwmmModel BuildSwmmModel(const std::vector<network::TramoT>& reaches, const specs::EspecT& e,
                         int designClass);

// The engine's names of the nodes of the model of these reaches that differ from the
// program's names, each with the program's name.
std::map<std::string, std::string> ProgramNodeNames(const std::vector<network::TramoT>& reaches);

// The steps of the build, for the callers that need one of them.
// The dry-weather inflow of every node: the flow that enters the model there. A conduit
// with a relief chamber ends at its own outfall, so what the design lets go on from it
// enters at the node of the reach that receives it.
void ComputeNodeInflows(const std::vector<network::TramoT>& reaches, int designClass,
                        std::vector<SwmmLinkT>& links);
// The initial reaches in reach order, Shell-sorted by upstream name and numbered.
std::vector<TrIniT> HeadNodes(const std::vector<network::TramoT>& reaches);
void ShellSortHeads(std::vector<TrIniT>& heads);
void NumberHeads(std::vector<TrIniT>& heads);
// Head nodes of the initial reaches, then the duplicate-node rule ("-Z").
void RenameNodes(const std::vector<network::TramoT>& reaches, SwmmModel& model);

// The twelve intensities of the alternating-block storm of every rainfall equation
// (whole part of the count, at most five), in their order of the series, as texts.
using DesignStorm = std::array<std::string, 12>;
std::vector<DesignStorm> MakeDesignStorms(const specs::EspecT& e);

// ---- Files ----
struct SwmmFileSet {
    std::string settings;  // ".ini", only ever deleted
    std::string input;     // ".inp"
    std::string report;    // ".rpt"
    std::string output;    // ".out"
};
// " - Sector#" + the digit, or "" for sector '0' (the last character of the extension).
std::string SectorSuffix(const std::string& extension);
// folder + "/SWMM - " + extension + "-" + project name + suffix + the file's extension.
SwmmFileSet SwmmFileNames(const std::string& swmmFolder, const std::string& extension,
                          const std::string& projectName);
// Deletes each of the four files that exists; false when an existing one could not be
// deleted (error names it).
bool ClearSwmmFiles(const SwmmFileSet& files, std::string* error = nullptr);

// ---- Checks ----
// The first reach whose relief chamber is followed by another one downstream, as
// "up - down" pairs; empty when none.
struct ReliefFault {
    std::string up, down, nextUp, nextDown;
    bool found() const { return !up.empty() || !down.empty(); }
};
ReliefFault FindConsecutiveReliefChambers(const std::vector<network::TramoT>& reaches);
std::string ReliefChambersMessage(const ReliefFault& fault);
// True (after showing the message) when two hydraulically consecutive reaches have
// relief chambers.
bool CheckReliefChambers(const std::vector<network::TramoT>& reaches, ui::Ui& ui);

// ---- Map of a project imported from SWMM ----
struct MapPointT {
    std::string name, x, y;
};
// The points of the map file "MAPA.": the lines after the leading ';' lines up to the
// first empty line; CR LF or LF line ends. Names are upper case, as the import makes the
// names of the nodes.
std::vector<MapPointT> ReadMapPoints(const std::string& path);

// ---- The input file ----
// Everything the text of the input file is made of.
struct SwmmInputData {
    const SwmmModel* model = nullptr;
    const specs::EspecT* espec = nullptr;
    std::string extension;    // "AB1"
    std::string projectName;  // code-page bytes
    std::string date;         // MM/DD/YYYY
    // A simulated project: its grid.
    bool simulated = false;
    int gridRows = 0, gridColumns = 0;  // vertical and horizontal reaches
    double gridLength = 0;
    std::string gridOutlet;  // name of the outlet point; empty: the generator's outlet
    // A project imported from SWMM: the reaches' upstream manholes and types, and its map.
    bool imported = false;
    std::vector<std::string> upstreamNames;
    std::vector<int> reachTypes;
    std::vector<MapPointT> mapPoints;
    // Any other network: the manhole coordinates stored for the sector, written as
    // [COORDINATES] for the model's nodes whose manholes have them, with the reaches'
    // downstream manholes (upstreamNames holds their upstream ones).
    std::vector<drawings::ManholePoint> coordinates;
    std::vector<std::string> downstreamNames;
    // The bends of conduit k (of reach k) as [VERTICES] writes them; empty: straight.
    std::vector<std::vector<std::pair<double, double>>> bends;
};
// The whole text, CR LF line ends.
std::string SwmmInputText(const SwmmInputData& data);
// Today as MM/DD/YYYY.
std::string TodayDate();

// ---- Writing from the open project ----
// What a SWMM call needs of the program around it.
struct SwmmContext {
    project::Project& project;
    ui::Ui& ui;
    console::Screen* screen = nullptr;  // the text console; nullptr shows nothing there
    std::string swmmFolder;             // where the four SWMM files live
    bool autoRun = false;               // set by the design while it runs its SWMM passes
    std::string date;                   // MM/DD/YYYY; empty: today
};

// The design copy "ZSDB." of the open sector, every record; false with *error.
bool LoadDesignReaches(const project::Project& p, std::vector<network::TramoT>& reaches,
                       std::string* error);

struct SwmmWriteOutcome {
    char answer = 'N';     // 'S': the input file was written and SWMM may run
    bool written = false;  // the input file exists now
    bool reliefFault = false;
    std::string error;  // a file that could not be read or written (UTF-8)
    SwmmFileSet files;
};

// Asks (unless autoRun), checks the relief chambers, stores the SWMM-run flag in the
// control record and writes the input file of the model (replacing the old one whole).
SwmmWriteOutcome WriteSwmmInput(SwmmContext& ctx, const SwmmModel& model,
                                const std::vector<network::TramoT>& reaches);

// The check "Revisar con SWMM": the model of the design copy written after the question,
// then, when the answer was 'S', the engine run on it; a failed run is reported with
// "No se pudo calcular SWMM". Returns the engine's code (0 also when nothing ran).
struct SwmmRevision {
    SwmmWriteOutcome written;
    int code = 0;
    bool ran = false;
};
SwmmRevision ReviseWithSwmm(SwmmContext& ctx, SwmmEngine& engine, SwmmProgress* progress);

// Where the four SWMM files of a session live: the configured SWMM folder, else
// "00 Archivos Swmm" beside the projects.
std::string SessionSwmmFolder(const shell::Session& s);

}  // namespace nivex::swmm
