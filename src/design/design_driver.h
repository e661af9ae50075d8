#pragma once
// The design of a sector's network (main-menu choice 5): the design copy "ZSDB." made
// from the reach file with the links of every reach, then two passes of two sweeps each
// that settle, reach by reach from the heads down, the flows, the junction at the
// upstream manhole, the diameter, the slope and the crowns, and evaluate the result.
// Every result stays in the records of the design copy.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "design/design_state.h"
#include "design/topology_search.h"
#include "network/tramo.h"
#include "project/project.h"
#include "specs/espec.h"

namespace nivex::design {

// How a design ended.
enum class DesignEnd {
    Designed = 0,
    Failed = 1,     // a file could not be opened, read or written (error says which)
    Cancelled = 2,  // the user stopped it
    Topology = 3,   // the automatic topology gave no network (topologyResult says why)
};

// What the design of least cost did, beside the standard design of the same network.
struct LeastCostReport {
    bool asked = false;       // the sector designs at least cost
    bool used = false;        // the least-cost design was kept
    double cost = 0;          // pesos, the design kept
    double standardCost = 0;  // pesos, the standard design with the same prices
    int referenceItems = 0;   // items priced from the reference table
    bool allReference = false;
    std::string priceError;  // a damaged price file (code page)
    std::string note;        // why the standard design was kept (code page)
};

struct DesignResult {
    DesignEnd end = DesignEnd::Designed;
    std::string title, error;  // the message shown on a failure (code page)
    int reaches = 0;           // records of the network
    int floodedNodes = 0;      // "nodos que causan inundacion" (hydraulic model)
    int insufficientCapacity = 0;
    int junctionMismatches = 0;
    int deeperThanDesirable = 0;   // new reaches with an end below "Profundidad maxima deseable"
    int newReachDeficiencies = 0;  // new reaches the revision lists for anything else
    std::vector<FinalReach> finalReaches;
    DesignCounters counters;
    // Topology: 1 the variant was abandoned for complexity, 2 or 3 the search failed with
    // topologyError (1, 3, 4 or 5).
    int topologyResult = 0;
    int topologyError = 0;
    LeastCostReport leastCost;
    bool doubtful() const { return counters.energyDoubtful; }
    // Something counted that the engineer must look at before signing the design.
    bool problems() const {
        return floodedNodes > 0 || insufficientCapacity > 0 || junctionMismatches > 0 ||
               deeperThanDesirable > 0 || newReachDeficiencies > 0 || counters.largerSizesNeeded;
    }
};

// A crown depth beyond "Profundidad maxima deseable", both compared in whole centimetres as
// the revision shows them (m).
bool DeeperThanDesirable(double depth, double desirable);
// The new reaches among the first networkRecords with either end deeper than desirable.
int NewReachesDeeperThanDesirable(const std::vector<network::TramoT>& records, int networkRecords,
                                  double desirable);

// What kind of design runs and what it leaves to others.
struct DesignRun {
    bool finalDesign = true;  // the end-of-pass work of the last pass runs only then
    // The hydraulic-model verification of classes 6 to 9 after the last pass of a final
    // design; it sets the design flag itself. Null: the model loop is not run here.
    std::function<bool(project::Project&, DesignResult&)> modelLoop;
    // The maximum flow of every conduit in the last run of the hydraulic model (l/s,
    // entry n - 1 for reach n) while the model loop redesigns: the storm flows of the
    // reaches whose entry is not 0 come from it. Empty: the rational method.
    std::vector<float> modelFlows;

    // The alternative being designed (0: the network as entered), whether the topology
    // search runs for it with its four characters, and the search's limits. An automatic
    // alternative without a search applies its stored reach list.
    int alternative = 0;
    bool search = false;
    std::string variant = "    ";
    TopologySearchLimits searchLimits;
    // The method of design: unset, the one the sector's configuration names.
    std::optional<bool> leastCost;
};

// One complete design of alternative 0 (the network as entered): the options replace
// the stored answers for its duration. False when it did not end designed.
bool DesignNetwork(project::Project& p, const DesignOptions& options, DesignSink& sink,
                   DesignResult& result, const DesignRun& run = {});

// The last pass of a final design run once more over the design copy as the model loop
// left it, with run.modelFlows; networkRecords: the records of the entered network (the
// design copy may hold replaced reaches after them). False as DesignNetwork.
bool RedesignLastPass(project::Project& p, const DesignOptions& options, DesignSink& sink,
                      DesignResult& result, const DesignRun& run, int networkRecords);

// Main-menu choice 5 'A' until the design alternatives exist: the check of the hydraulic
// model method, the final-design file of an earlier run deleted, then the final design
// of the entered network with the options of the screen. False as DesignNetwork.
bool RunDesign(project::Project& p, const DesignOptions& options, DesignSink& sink,
               DesignResult& result, const DesignRun& run = {});

// What every run of choice 5 'A' does before its designs: the criteria loaded, the check
// of the hydraulic model method, the final-design file of an earlier run deleted. False
// as DesignNetwork.
bool PrepareDesignRun(project::Project& p, DesignSink& sink, DesignResult& result);

// Classes 6 to 9 need the dynamic wave of the hydraulic model; false with the message.
bool DesignMethodAllowed(const specs::EspecT& e, int designClass, std::string* title,
                         std::string* message);

// The links of every record (offsets 16 … 34) from the walk of the network in file
// order: lines end at discharges, pumping stations and reaches to other sectors, and
// every line end the walk joins to a reach is one of its tributaries.
void LinkReaches(std::vector<network::TramoT>& reaches);

// Pesos with thousands grouped and two decimals: "1,234,567.89".
std::string PesosText(double pesos);
// What the results screen tells of the cost of a design of least cost (code page, "\r"
// between lines).
std::string LeastCostText(const LeastCostReport& r);

// The status line of the results screen when the energy junctions are doubtful.
std::string DoubtfulStatusText();
// The ignored relief chambers warning.
std::string IgnoredReliefText(int count);

}  // namespace nivex::design
