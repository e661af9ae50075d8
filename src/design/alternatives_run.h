#pragma once
// Every design of main choice 5 'A' goes through the alternatives: the network as entered
// and, in the automatic topology modes, six variants of the automatic topology are
// designed as preliminary designs, their statistics kept in the design state file; the
// user picks one, and its final design runs with the answers of the options screen.

#include <chrono>
#include <functional>
#include <string>

#include "design/alternatives_table.h"
#include "design/design_driver.h"
#include "ui/alternatives_dialog.h"

namespace nivex::design {

// What the run asks of the screen, or of nivex-batch.
struct AlternativesHooks {
    // The design options screen before the final design.
    std::function<void(DesignOptions&)> askOptions;
    // The choice among the alternatives: the alternative number to design, or -1.
    std::function<int(AlternativesTable&, int mode, double days)> choose;
    // The timer window of the topology search: search n of the run (1..6); 0 closes it.
    std::function<void(int n)> searching;
    // The progress bar of the designs: opened with its maximum, stepped, closed with 0.
    std::function<void(int maximum)> progressBar;
    std::function<void()> step;
    // True once the user pressed "Cancelar".
    std::function<bool()> cancelled;
    // The time a topology search may take before its variant is abandoned for complexity.
    std::chrono::microseconds searchBudget = TopologySearchLimits{}.budget;
};

enum class AlternativesEnd {
    Designed,   // the final design of the chosen alternative ended designed
    Declined,   // the dialog was closed without a choice
    Cancelled,  // the user stopped a design or a search
    Failed,     // a design, a check or a file failed; the sink has the message
};

struct AlternativesOutcome {
    AlternativesEnd end = AlternativesEnd::Failed;
    int mode = kTopologyManual;
    int chosen = -1;      // the alternative designed last
    DesignResult result;  // of the last design
};

// The whole run over the open sector. options: the stored answers of the options screen,
// which askOptions may change; finalRun: the model loop of the final design.
AlternativesOutcome RunAlternatives(project::Project& p, DesignOptions& options, DesignSink& sink,
                                    const AlternativesHooks& hooks, const DesignRun& finalRun);

// The answers of every preliminary design: existing and restricted reaches may be
// replaced, restrictions are respected, initial outlets are not set flush.
DesignOptions PreliminaryOptions();

// Statistics of the design just made into record k: the final reaches of the result, then
// the quantity run on the design copy and its new system's statistics. False with *error
// (code page) when the quantities could not be computed.
bool CaptureAlternative(project::Project& p, AlternativesTable& table, int k, const DesignResult& r,
                        std::string* error);

// After a design: false, with its message through the sink and the stages set back, when
// it needed a diameter outside the size table.
bool DiameterCheck(project::Project& p, const DesignResult& r, DesignSink& sink);

// The message of a failed topology search and its caption "Error Topologia No. n".
std::string TopologyMessage();
std::string TopologyCaption(int error);

// "hh:nn:ss" of a duration in days.
std::string DurationText(double days);

// The rows of the dialog: in modes 1 and 3 "Manual" with record 0, then "Auto 1" .. "Auto n"
// with records 1 .. n, up to the first that holds no design; the grid one row shorter in
// mode 2 and of 15 rows in mode 1.
ui::AlternativesChoice AlternativesRows(AlternativesTable& table, int mode, int n, double days);
// The table position of grid row r (1-based), -1 for a row without an alternative.
int RowPosition(int mode, int n, int row);

}  // namespace nivex::design
