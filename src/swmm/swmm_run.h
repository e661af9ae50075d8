#pragma once
// One run of the SWMM engine on an input file: open, start, the loop of routing steps
// with the "Status" window and its "Cancelar", end and close. The caller reports a
// failure: the revision with ReportSwmmFailure, the design driver with its own messages.

#include <string>

#include "swmm/engine.h"
#include "swmm/swmm_progress.h"

namespace nivex::ui {
class Ui;
}

namespace nivex::swmm {

// The three files of a run (zero-terminated when passed to the engine).
struct SwmmFiles {
    std::string input;   // the model written for the engine
    std::string report;  // the report it writes
    std::string output;  // its binary results
};

// What happened in a run, beyond its code.
struct SwmmOutcome {
    int code = 0;             // what RunSwmm returned
    int steps = 0;            // routing steps taken
    bool cancelled = false;   // "Cancelar" ended the loop
    std::string engineText;   // the engine's text of a failure, when it gives one
    std::string reportError;  // the report could not be cleaned after the run (UTF-8)
};

// The listing copy of the report in the project folder, deleted by every run.
inline constexpr const char* kReportCopyName = "Swm";

// Runs the engine on files. folder: the project folder, whose "Swm" copy is deleted
// first. progress: the "Status" window, shown with a maximum of 20 once the input is
// accepted and left open for the caller to close (the design driver keeps it through its
// passes); nullptr shows nothing. Returns 0 on success, otherwise the engine's code
// unchanged (kEngineNotLoaded when the engine is not loaded, and then nothing is done).
// A cancelled run returns the code of its last step.
int RunSwmm(SwmmEngine& engine, SwmmProgress* progress, const std::string& folder,
            const SwmmFiles& files, SwmmOutcome* outcome = nullptr);

// The message for a failed run: the engine's load error when it is not loaded,
// otherwise "No se pudo calcular SWMM" (code-page bytes).
std::string SwmmFailureMessage(const SwmmEngine& engine, int code);
// Shows SwmmFailureMessage with showError, caption "Error"; nothing for code 0.
void ReportSwmmFailure(ui::Ui& ui, const SwmmEngine& engine, int code);

}  // namespace nivex::swmm
