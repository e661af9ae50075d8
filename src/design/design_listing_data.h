#pragma once
// What the design listings read: the records of the design copy "ZSDB." (the network in
// line order, then the reaches the design removed), the criteria of the sector, and the
// result files of the last hydraulic-model run.

#include <string>
#include <vector>

#include "design/hydraulics.h"
#include "network/tramo.h"
#include "shell/session.h"

namespace nivex::design {

struct DesignCopy {
    std::vector<network::TramoT> records;  // record k + 1 at k
    int networkCount = 0;                  // the first records are the network
    HydraulicCriteria criteria;

    int removedCount() const { return static_cast<int>(records.size()) - networkCount; }
};

// Why a design copy cannot be listed; empty when it can.
// records: the records of the file; reachCount: the reaches of the control record.
std::string DesignCopyProblem(const std::vector<network::TramoT>& records, int reachCount);

// The sector's criteria and its design copy, read once. False after the message (a text
// box when the design is missing or no longer matches the network, an error box when a
// file cannot be read).
bool LoadDesignCopy(shell::Session& s, DesignCopy& copy);

// The collector size the listings start from: the sanitary minimum diameter when above 0
// and below the storm one, otherwise the storm minimum diameter.
int StartingCollectorSize(const specs::EspecT& e);

// ---- Hydraulic-model results ----

// A result file of the project folder ("RepSwm", "NodeFSwmm", ...).
std::string SwmmResultPath(const shell::Session& s, const char* name);

// The report and its listing copy must exist; false after the warning (the check of the
// SWMM results, over the session).
bool CheckSwmmListingsReady(shell::Session& s);

// One trimmed text per line; a missing file gives none.
std::vector<std::string> ReadResultLines(const std::string& path);
// The value of line k (0-based) as a number; 0 when the line is missing, empty or no
// number.
double ResultValue(const std::vector<std::string>& lines, size_t k);

struct SwmmResults {
    std::vector<std::string> fullFlowRatio;  // "MaxFullFlow": maximum flow / full flow
    std::vector<std::string> depthRatio;     // "DepthSwmm": maximum depth / full depth
    std::vector<std::string> velocity;       // "VelSwmm": maximum velocity (m/s)
    std::vector<std::string> flooded;        // "NodeFSwmm": the flooded nodes
    bool isFlooded(const std::string& name) const;
};
SwmmResults ReadSwmmResults(const shell::Session& s);

}  // namespace nivex::design
