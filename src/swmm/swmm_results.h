#pragma once
// The results of a SWMM run read back from its report into the small result files of the
// project folder, one value or name per line: "RepSwm", "VelSwmm", "DepthSwmm",
// "MaxFullFlow" and "FroudeInSwmm" (one line per conduit, in reach order), "NodeFSwmm",
// "NodeSSwmm" and "LinkSwmm" (flooded nodes, surcharged nodes, surcharged conduits), and
// the listing copy "Swm" of the whole report.

#include <map>
#include <string>
#include <vector>

#include "network/tramo.h"
#include "swmm/model_writer.h"

namespace nivex::ui {
class ListingViewer;
}

namespace nivex::swmm {

// ---- Columns of the link tables ----
struct LinkColumn {
    const char* title;   // table title
    const char* header;  // header word; the value column sits at its column + offset
    int offset;
};
inline constexpr LinkColumn kMaxFlowColumn{"Link Flow Summary", "LPS", -7};
inline constexpr LinkColumn kVelocityColumn{"Link Flow Summary", "m/sec", -5};
inline constexpr LinkColumn kDepthColumn{"Link Flow Summary", "Depth", -3};
inline constexpr LinkColumn kFullFlowColumn{"Link Flow Summary", "m/sec    Flow", 7};
inline constexpr LinkColumn kFroudeColumn{"Flow Classification Summary", "Number", -3};

struct ColumnResult {
    std::vector<std::string> values;  // n entries, "" for rows not found
    bool tableFound = false;
    bool headerFound = false;
    int rows = 0;  // rows taken from the table
};
// The 10 characters at the header word's column + offset of up to n rows of the table,
// blanks trimmed.
ColumnResult ExtractColumn(const std::vector<std::string>& report, const LinkColumn& table, int n);

// ---- Names of the node and conduit lists ----
struct NameList {
    const char* title;
    const char* none;  // the sentence of an empty table
    const char* header;
};
inline constexpr NameList kSurchargedNodes{"Node Surcharge Summary", "No nodes were surcharged",
                                           "Node"};
inline constexpr NameList kFloodedNodes{"Node Flooding Summary", "No nodes were flooded", "Node"};
inline constexpr NameList kSurchargedLinks{"Conduit Surcharge Summary",
                                           "No conduits were surcharged", "Conduit"};

struct NameResult {
    std::vector<std::string> names;
    bool none = false;  // the table says it is empty
    bool tableFound = false;
};
NameResult ExtractNames(const std::vector<std::string>& report, const NameList& table, int n);

// The Froude number of every conduit from its maximum velocity and its maximum depth over
// full depth ("" when either is missing; 0 for a dry or full conduit): the report of
// SWMM 5.2 has no Froude column.
std::vector<std::string> DerivedFroude(const std::vector<std::string>& velocities,
                                       const std::vector<std::string>& depthRatios,
                                       const std::vector<double>& diameters);

// The text of a report with every word that is the engine's name of a node (a key of
// names) replaced by the program's name of that node.
std::string WithProgramNames(const std::string& text,
                             const std::map<std::string, std::string>& names);

// ---- Files ----
// The lines of a text file without their line ends (CR LF or LF); false when it cannot
// be read.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines);
// The bytes of a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text);
// A whole result file, one entry per line, written beside it and renamed into place.
bool WriteResultFile(const std::string& path, const std::vector<std::string>& lines,
                     std::string* error);
// A result file of one value per conduit: false with *error (UTF-8) when it is missing or
// holds fewer than n lines.
bool ReadResultFile(const std::string& path, int n, std::vector<std::string>& values,
                    std::string* error);

// ---- Reading a report ----
struct SwmmReading {
    bool reportFound = false;
    int reaches = 0;
    int linkRows = 0;  // conduits of the link flow table found in the report
    int flooded = -1, surcharged = -1, surchargedLinks = -1;  // -1: not read
    bool froudeDerived = false;                               // the report had no Froude column
    std::string problem;  // an incomplete report or a file error (UTF-8); "" when none
    bool complete() const { return reportFound && linkRows == reaches && problem.empty(); }
};

// The report file's lines into the result files of the project folder. Which files:
// link columns (RepSwm, VelSwmm, DepthSwmm, MaxFullFlow, FroudeInSwmm) as flagged.
struct ExtractionSet {
    bool flows = false, velocities = false, depths = false, fullFlows = false, froude = false;
    bool surchargedNodes = false, floodedNodes = false, surchargedLinks = false;
};
bool ExtractResults(const project::FileNames& files, const std::vector<std::string>& report,
                    const std::vector<network::TramoT>& reaches, const ExtractionSet& which,
                    SwmmReading& reading);

// Whether a bad junction or a missing intermediate drop chamber exists: the upstream
// invert of a reach lies more than 0.015 m above the downstream invert of a reach that
// arrives there, or a reach still needs drop chambers.
bool HasJunctionProblems(const std::vector<network::TramoT>& reaches);
// True when the results may be shown: no problems, or the user wants them anyway.
bool CheckJunctionProblems(const std::vector<network::TramoT>& reaches, ui::Ui& ui);

// The report file of the open sector.
std::string SwmmReportPath(const SwmmContext& ctx);
// Deletes it when it exists.
void DeleteSwmmReport(const SwmmContext& ctx);
// The SWMM listings may start: the report and its listing copy exist (else the message).
bool CheckSwmmListingsReady(const SwmmContext& ctx);

// Silent (the design between its SWMM passes): extracts the link columns and stores the
// surcharged and flooded counts in the control record; true. Interactive ("Reporte
// SWMM"): extracts, copies the report to "Swm", shows it in the viewer (when given) and
// extracts the rest; false. False as well when SWMM has not run for a design of
// classes 1 to 5 (after the message).
bool ReadSwmmReport(SwmmContext& ctx, const std::vector<network::TramoT>& reaches, bool silent,
                    ui::ListingViewer* viewer, SwmmReading* reading = nullptr);

}  // namespace nivex::swmm
