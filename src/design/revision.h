#pragma once
// Main choice 6: the revision of the design ('A') and its three lists, the problems of
// capacity and junction "MensPr.", the deficiencies "MensDe." and the deficiencies under
// the special RAS rules "MensRas." ('B', 'C', 'D').
//
// The revision only reads the design copy "ZSDB." and writes the three list files; the
// checks below are pure functions of a reach record and the criteria of the sector, the
// list writer frames their lines in boxed pages, and the screens show the progress, the
// summary page and the lists.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "design/hydraulics.h"
#include "network/tramo.h"
#include "shell/control_file.h"
#include "specs/espec.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::design {

// ---- Criteria ----

// What the checks read of the sector's criteria, in the units of the records.
struct RevisionCriteria {
    int designClass = 2;
    bool modelClass = false;  // classes 6 to 9: capacity is judged by the hydraulic model
    HydraulicCriteria hydraulics;
    float qfull = 1;                    // Q/Q0 of a circular pipe running full
    float qfill = 0.8f;                 // Q/Q0 at "Maximo llenado del tubo (y/do)"
    float stormMinFullVelocity = 0;     // m/s; 0 not specified
    float sanitaryMinFullVelocity = 0;  // m/s; 0 not specified
    float maxVelocity = 5;              // m/s
    float minMinRealVelocity = 0;       // m/s, sanitary; 0 not specified
    float minMinCrownDepth = 0.7f;      // m
    float maxCrownDepth = 5;            // m
    float maxDesirableCrownDepth = 5;   // m
    float avoidCriticalDiameter = 0;    // mm; 0 critical flow is not avoided
    float froudeLower = 0.9f, froudeUpper = 1.1f;
    float minMinTractive = 0.1f;                // kg/m², sanitary
    float energyJunctionDiameter = 0;           // mm; 0 no energy junctions
    bool ras2016 = false;                       // the RAS 2016 minimum full velocity
    bool slopePerDiameter = false;              // the minimum slope of every diameter
    int floodedNodes = 0, surchargedNodes = 0;  // last hydraulic-model run
};
RevisionCriteria RevisionCriteriaOf(const specs::EspecT& e, const shell::ProyectoT& header);

// ---- Checks of one reach ----

// A deficiency found: its code (1 to 13, or 1 for the RAS list) and the text of its line.
struct Finding {
    int code = 0;
    std::string text;  // code-page bytes, without the " ... " that opens its cell
};

// The 9 characters of the class column: "empalmado" for a reach the design re-sloped to
// join the reach downstream, otherwise the word of its state.
std::string StateWord(const network::TramoT& t);

// Deficiencies [1] to [13] of classes 1 to 5, in their order.
std::vector<Finding> RevisionChecks(const RevisionCriteria& c, const network::TramoT& t);
// Deficiencies [2], [6], [7], [8], [9], [11], [12] of classes 6 to 9.
std::vector<Finding> ModelClassChecks(const RevisionCriteria& c, const network::TramoT& t);
// RAS [1]: a Froude number in the band that critical-flow avoidance keeps out.
std::vector<Finding> RasChecks(const RevisionCriteria& c, const network::TramoT& t);

// The new reaches among the first `count` records with a deficiency to look at before the
// design is signed: any the revision lists, but for the depths and drop chambers the design
// counts apart and the initial reaches it asks a new manhole for.
int NewReachesWithDeficiencies(const RevisionCriteria& c,
                               const std::vector<network::TramoT>& records, int count);

// [A]: the design flow exceeds the full-section flow by more than 0.1 l/s.
bool CapacityProblem(const network::TramoT& t);

// [B]: a tributary whose invert (plus 1 cm) lies below the invert of the reach.
struct JunctionProblem {
    std::string upstream, downstream;  // the tributary's manholes
    double tributaryInvert = 0;        // "batea inf."
    double invert = 0;                 // "batea sup."
    double deficit() const { return tributaryInvert - invert; }
};
// records: the whole design copy, record k + 1 at k (the tributaries are looked up there).
std::vector<JunctionProblem> JunctionProblems(const network::TramoT& t,
                                              const std::vector<network::TramoT>& records);

// Everything the revision finds about record k (1-based) of the design copy, in the order
// its lists write it: the lists and the plan of the network read the same findings.
struct ReachFindings {
    bool capacity = false;                   // [A]
    std::vector<JunctionProblem> junctions;  // [B]
    std::vector<Finding> deficiencies;       // [1] to [13] (classes 6 to 9: their own)
    std::vector<Finding> ras;
};
ReachFindings FindingsOf(const RevisionCriteria& c, const std::vector<network::TramoT>& records,
                         int k);

// ---- Lines and tables of the lists (code-page bytes, without the page margin) ----

std::string CapacityLine(int line, const network::TramoT& t);
std::string JunctionLine(int line, const network::TramoT& t, const JunctionProblem& j,
                         bool modelClass);
std::string FindingLine(int line, const network::TramoT& t, const Finding& f);

std::vector<std::string> ProblemHeading(bool modelClass);  // top line to separator
std::string ProblemBottom(bool modelClass);
int ProblemTableWidth(bool modelClass);  // 110, or 80 for classes 6 to 9
std::vector<std::string> FindingHeading();
std::string FindingBottom();
constexpr int kFindingTableWidth = 104;

// Page titles.
std::string ProblemTitle(bool modelClass);
std::string DeficiencyTitle();
std::string RasTitle();

// ---- The revision ----

struct RevisionCounts {
    int reaches = 0;
    int capacity = 0;                  // [A]
    int junction = 0;                  // [B]
    std::array<int, 14> deficiency{};  // [1] to [13] at 1 to 13
    int ras = 0;                       // RAS [1]
    int problems() const { return capacity + junction; }
    int deficiencies() const;
};

// The counters with what the summary shows of the hydraulic model.
struct RevisionSummary {
    RevisionCounts counts;
    RevisionCriteria criteria;
};

// The design copy the revision reads: the records of "ZSDB." and the reaches of the
// network among them (the first ones).
struct RevisionInput {
    std::vector<network::TramoT> records;
    int reachCount = 0;
};

// What is wrong with a design copy for the reach count of the control record; empty when
// the revision can read it (code-page bytes).
std::string RevisionInputProblem(const std::vector<network::TramoT>& records, int reachCount);

// Criteria and design copy of the open sector. False with *title and *message (code
// page): a file that cannot be read, a design missing or made for another network.
bool LoadRevisionInput(shell::Session& s, RevisionInput& input, RevisionCriteria& criteria,
                       std::string* title, std::string* message);

// Writes the three lists of the records (the page header needs the session's project and
// listing state). progress(n, N) before each reach. False with *error (code page) when a
// list file cannot be written; no list is then left behind.
bool WriteRevisionLists(shell::Session& s, const RevisionInput& input,
                        const RevisionCriteria& criteria, RevisionCounts& counts,
                        const std::function<void(int, int)>& progress, std::string* error);

// One count of the summary page: its section (0 problems, 1 deficiencies, 2 RAS), the
// code it is shown with ("[A]", "[1]", "RAS [1]"), its label and its count.
struct SummaryItem {
    int section = 0;
    std::string key;
    std::string label;
    int count = 0;
};
std::vector<SummaryItem> SummaryItems(const RevisionSummary& summary);

// The lines of the summary page after its page header, without the page margin.
std::vector<std::string> SummaryLines(const RevisionSummary& summary);
std::string SummaryTitle();
// The summary page into the listing file "LPT". False (after an error box) on a failure.
bool WriteSummaryPage(shell::Session& s, const RevisionSummary& summary);

// The revision of the open sector without its screen: the input loaded, the lists
// written. False with *title and *message.
bool ReviseSector(shell::Session& s, RevisionSummary& summary,
                  const std::function<void(int, int)>& progress, std::string* title,
                  std::string* message);

// ---- Screens ----

// Main choice 6: reads the sub-option from the key queue and runs it.
void ReviewMenu(shell::Session& s);
// 'A': the revision, then the summary page in the viewer.
void RunRevision(shell::Session& s);
// 'B', 'C', 'D': one of the three lists in the viewer.
void ShowRevisionList(shell::Session& s, char subOption);
// The same as entries of the listing catalog.
void ListProblems(shell::Session& s);
void ListDeficiencies(shell::Session& s);
void ListRasDeficiencies(shell::Session& s);

// What a list holds: no revision since the last design or change, nothing found, or
// findings.
enum class ListState { Missing, Empty, Holding };
ListState RevisionListState(const std::string& path);

}  // namespace nivex::design
