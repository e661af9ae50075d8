#pragma once
// The verification of a design with the hydraulic model in the classes whose storm flows
// come from SWMM (6 to 9). After the last pass of the final design the model of the
// design copy is written and run by the engine, its report is read silently, and while
// nodes flood the last pass is designed again with the maximum flows of the model's
// conduits as the flows of the reaches, at most ten runs in all. The design flag is set
// when the loop ends; a failure or a cancel leaves it clear.

#include <functional>
#include <string>
#include <vector>

#include "design/design_driver.h"

namespace nivex::console {
class Screen;
}
namespace nivex::ui {
class Ui;
}
namespace nivex::swmm {
class SwmmEngine;
class SwmmProgress;
}  // namespace nivex::swmm

namespace nivex::design {

// Engine runs of one loop at most.
inline constexpr int kModelLoopRuns = 10;

// One engine run of the loop.
struct ModelLoopRun {
    int pass = 0;                       // its number in the caption "Pasada #"
    int code = 0;                       // what the engine returned
    int flooded = -1, surcharged = -1;  // counts of its report; -1: not read
};

// What the loop did, for its caller.
struct ModelLoopLog {
    std::vector<ModelLoopRun> runs;
    int redesigns = 0;
    // The model flows of the last redesign (l/s, entry n - 1 for reach n); empty when the
    // design was not redone.
    std::vector<float> lastFlows;
};

// Everything the loop needs besides the project and the design result.
struct ModelLoopSetup {
    ui::Ui& ui;                         // the questions and messages of the model writer
    DesignSink& sink;                   // the design's progress lines and messages
    swmm::SwmmEngine& engine;           //
    swmm::SwmmProgress* progress;       // the "Status" window; nullptr shows nothing
    std::string swmmFolder;             // where the model files are written
    DesignOptions options;              // the answers of the final design
    console::Screen* screen = nullptr;  // the text console of the model writer
    std::string date;                   // the date of the input file; empty: today
    ModelLoopLog* log = nullptr;        // filled when given
};

// The messages of the loop (code-page bytes), both with the title "Error".
std::string ModelRunFailedText();
std::string ExcessiveFlowText();

// The loop on a design just finished (the design copy holds it); result receives the
// flooded nodes of the last run and, on a failure or a cancel, the title and text shown
// (the cancel's are left to the caller to show). True when it ended with the design flag
// set.
bool RunModelLoop(project::Project& p, DesignResult& result, const ModelLoopSetup& setup);
// The loop as the design run's hook (DesignRun::modelLoop); setup is kept by value.
std::function<bool(project::Project&, DesignResult&)> ModelLoopHook(ModelLoopSetup setup);

// The model flows of the values of "RepSwm": each the number of its first 10 characters,
// 0 when it is not one.
std::vector<float> ModelFlowTable(const std::vector<std::string>& values);
// Whether a reach that ends the network (no reach receives it) already has the largest
// size of the list: the model's flows cannot make it grow any more.
bool FinalCollectorAtLargestSize(const std::vector<network::TramoT>& reaches,
                                 const specs::EspecT& e);

}  // namespace nivex::design
