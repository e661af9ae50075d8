#pragma once
// The four quality controls of the network that must pass before the design: A the
// specifications, B a preliminary check of the reaches, C names and ground elevations,
// D the hydraulic arrangement. Logic only: the screen and nivex-batch show the results.
// Texts are code-page bytes; errors (file failures) are UTF-8 Spanish naming the file.

#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "network/network_walk.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::network {

constexpr int kControlA = 0;
constexpr int kControlB = 1;
constexpr int kControlC = 2;
constexpr int kControlD = 3;
constexpr int kControlCount = 4;

// ---- Module state ----

// On entry: the existing-network mark (record 5) from the reaches, the SWMM-run mark
// cleared (record 0); p.header and p.espec are loaded.
bool EnterControls(project::Project& p, std::string* error);
// The control file opened with header and criteria loaded into p for body, closed after.
// False with *error (UTF-8) when a file fails or body does.
bool WithControl(project::Project& p, std::string* error, const std::function<bool()>& body);
// Record 0 and the records listed written from p; false with *error (UTF-8).
bool SaveControlRecords(project::Project& p, std::initializer_list<int> records,
                        std::string* error);
// Loads p.header and p.espec from the control file (opened and closed here).
bool LoadControlState(project::Project& p, std::string* error);
// A reading of its own of the open sector, with its header and criteria loaded, for a
// window or an export that must leave alone the files a screen of the session holds open.
// `view` is a Project just made.
bool LoadSectorView(const project::Project& open, project::Project& view, std::string* error);
// While a control flag is off the design is not done: clears StageDone[1] (writing record 0
// when it changes).
bool SettleDesignStage(project::Project& p, std::string* error);
// Sets the control's flag and writes record 0.
bool MarkControlPassed(project::Project& p, int control, std::string* error);
// Every reach of the sector in stored form, line 1 first.
bool ReadStoredReaches(project::Project& p, std::vector<TramoT>& reaches, std::string* error);

// A row of an error table or listing.
struct ErrorRow {
    int line = 0;  // 0: no reach
    std::string upstream, downstream;
    float groundUp = 0, groundDown = 0;  // control C only
    std::string text;
};

// ---- A: specifications ----

struct SpecificationCheck {
    std::vector<std::string> lines;        // group headings and errors, in order
    int errors = 0;                        // lines that are errors
    std::vector<std::string> missingData;  // project data missing (the consultant too)
    bool missingRequired = false;          // some datum other than the consultant
    bool passed() const { return errors == 0 && !missingRequired; }
};
SpecificationCheck CheckSpecifications(const specs::EspecT& e, const shell::ProyectoT& h);
// Loads, checks and sets the flag when it passes.
bool RunControlA(project::Project& p, SpecificationCheck& check, std::string* error);

// ---- B: preliminary check of the reaches ----

constexpr int kReachCodes = 15;
constexpr int kCodeSlope = 9;
constexpr int kCodeNoOutlet = 14;

struct ReachCheck {
    std::vector<ErrorRow> finalNodes;  // discharges and pumping stations sharing a final node
    std::array<int, kReachCodes + 1> counts{};  // reaches per code, [1..15]
    std::vector<int> completedSlopes;           // lines whose slope was computed and written
    bool allAreasZero = false;                  // design class above 1, every area zero
    bool faultless() const;
    // The counted lines of the screen and listing.
    std::vector<std::string> lines() const;
    // A faultless check whose zero areas still need the user's word.
    bool needsConfirmation() const { return faultless() && allAreasZero; }
};
// Completes in `reaches` the missing slopes of existing and restricted reaches (code 9).
ReachCheck CheckReaches(std::vector<TramoT>& reaches, const specs::EspecT& e,
                        const shell::ProyectoT& h);
// Loads, checks, writes the completed slopes; sets the flag when faultless and no
// confirmation is needed.
bool RunControlB(project::Project& p, ReachCheck& check, std::string* error);
std::string ZeroAreasLine();

// ---- C and D: error rows and the error file ----

enum class ErrorTable { Names, Ordering };
std::string ErrorTableTitle(ErrorTable table);
// "Mens." + extension: the title, the boxed heading, one line per row, the closing line.
bool WriteErrorFile(const std::string& path, ErrorTable table, const std::vector<ErrorRow>& rows,
                    std::string* error);
struct ErrorFileText {
    std::string title;
    std::vector<std::string> heading;  // the box over the rows
    std::vector<std::string> rows;
    std::string closing;
};
bool ReadErrorFile(const std::string& path, ErrorFileText& text, std::string* error);

// ---- C: names and ground elevations ----

std::vector<ErrorRow> CheckNamesAndGrounds(const std::vector<TramoT>& reaches);
// Two grounds of one manhole agree when equal to the cent.
bool GroundsAgree(double a, double b);
// Writes the error file; sets the flag when no row was found.
bool RunControlC(project::Project& p, std::vector<ErrorRow>& rows, std::string* error);

// ---- D: hydraulic arrangement ----

struct OrderCheck {
    WalkResult walk;
    std::vector<ErrorRow> rows;
    int errorRows = 0;  // rows of the walk, the convergence and the not-investigated rule
    bool passed() const { return rows.empty(); }
    bool onlyMarks() const { return errorRows == 0 && !rows.empty(); }
};
// topologyMode: 1 manual, 2 automatic, 3 both (0 reads as 1).
OrderCheck CheckOrdering(const std::vector<TramoT>& reaches, int topologyMode,
                         bool energyJunctions);
// Every name of the reaches once, in alphabetical order.
std::vector<std::string> SortedManholeNames(const std::vector<TramoT>& reaches);
// Writes the error file; on success writes "XSDD." and sets the flag.
bool RunControlD(project::Project& p, OrderCheck& check, std::string* error);

}  // namespace nivex::network
