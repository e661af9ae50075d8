#include "swmm/swmm_run.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "console/codepage.h"
#include "project/file_size.h"
#include "project/replace_file.h"
#include "ui/ui.h"

namespace nivex::swmm {
namespace {

constexpr int kSaveResults = 1;
constexpr int kBarMaximum = 20;

void deleteReportCopy(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(folder) / kReportCopyName, ec);
}

// The engine's text of a failure, taken before end and close can change it.
void noteFailure(SwmmEngine& engine, int code, SwmmOutcome& outcome) {
    if (code != 0 && outcome.engineText.empty()) outcome.engineText = engine.errorText();
}

// The engine copies the title lines of the input file into its report keeping their CR
// (it drops only the LF): a CR that ends no line is taken out. A report that cannot be
// rewritten stays as the engine wrote it.
void stripStrayReturns(const std::string& report, SwmmOutcome& outcome) {
    if (!project::OversizedFile(report, project::kMostTextFileBytes).empty()) return;
    std::ifstream in(report, std::ios::binary);
    if (!in) return;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    in.close();
    const std::string text = bytes.str();
    std::string clean;
    clean.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k)
        if (text[k] != '\r' || (k + 1 < text.size() && text[k + 1] == '\n')) clean += text[k];
    if (clean.size() == text.size()) return;
    std::string error;
    if (!project::ReplaceFileContents(report, clean, &error)) outcome.reportError = error;
}

}  // namespace

int RunSwmm(SwmmEngine& engine, SwmmProgress* progress, const std::string& folder,
            const SwmmFiles& files, SwmmOutcome* outcome) {
    SwmmOutcome local;
    SwmmOutcome& out = outcome ? *outcome : local;
    out = SwmmOutcome{};
    if (!engine.loaded()) {
        out.code = kEngineNotLoaded;
        out.engineText = engine.loadError();
        return out.code;
    }

    deleteReportCopy(folder);
    if (progress) progress->ResetSteps();

    int r = engine.open(files.input, files.report, files.output);
    if (r != 0) {
        noteFailure(engine, r, out);
        engine.close();
        stripStrayReturns(files.report, out);
        return out.code = r;
    }
    if (progress) progress->Show(kBarMaximum);

    r = engine.start(kSaveResults);
    if (r != 0) {
        noteFailure(engine, r, out);
        engine.end();
        engine.close();
        stripStrayReturns(files.report, out);
        return out.code = r;
    }

    double elapsed = 1.0;
    while (elapsed > 0 && r == 0) {
        if (progress) progress->Tick();
        r = engine.step(elapsed);
        ++out.steps;
        if (progress) progress->Update();
        if (progress && progress->cancelled()) {
            out.cancelled = true;
            break;
        }
    }
    noteFailure(engine, r, out);
    engine.end();
    engine.close();
    stripStrayReturns(files.report, out);
    return out.code = r;
}

std::string SwmmFailureMessage(const SwmmEngine& engine, int code) {
    if (code == kEngineNotLoaded || !engine.loaded()) return engine.loadError();
    return cp("No se pudo calcular SWMM");
}

void ReportSwmmFailure(ui::Ui& ui, const SwmmEngine& engine, int code) {
    if (code == 0) return;
    ui.showError(SwmmFailureMessage(engine, code), "Error");
}

}  // namespace nivex::swmm
