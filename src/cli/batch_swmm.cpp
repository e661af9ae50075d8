// The SWMM check of the designed sector from the command line: the model written from
// the design copy, the real engine run on it with the progress on standard error, and the
// results read back into the result files of the project folder.

#include <algorithm>
#include <string>
#include <vector>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "network/network_controls.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_progress.h"
#include "swmm/swmm_results.h"
#include "swmm/swmm_run.h"

namespace nivex::cli {
namespace {

// The SWMM folder of the run; a batch run without one keeps the files beside the
// projects.
std::string SwmmFolderOf(const Batch& b) {
    return swmm::SessionSwmmFolder(b.session);
}

}  // namespace

int VerbSwmm(Batch& b) {
    // "write" only writes the input file; "run" writes and runs it.
    const std::string& action = b.options.operands[0];
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Project& p = b.session.project;
    std::string error;
    if (!network::LoadControlState(p, &error)) return b.Fail(error);
    swmm::SwmmEngine& engine = swmm::ProgramEngine();
    if (action == "run" && !swmm::CheckSwmmEngine(b.ui, engine)) return 1;

    std::vector<network::TramoT> reaches;
    if (!swmm::LoadDesignReaches(p, reaches, &error)) return b.Fail(error);
    const swmm::SwmmModel model = swmm::BuildSwmmModel(reaches, p.espec, p.header.DesignClass);
    swmm::SwmmContext ctx{p, b.ui, &b.screen, SwmmFolderOf(b), false, ""};
    const swmm::SwmmWriteOutcome written = swmm::WriteSwmmInput(ctx, model, reaches);
    if (!written.error.empty()) return b.Fail(written.error);
    if (written.reliefFault) return 1;
    if (!written.written) {
        b.out << "swmm: N\n";
        return 0;
    }
    if (action == "write") {
        b.out << "entrada: " << written.files.input << '\n';
        return 0;
    }

    swmm::SwmmProgress progress(&b.progress);
    swmm::SwmmOutcome outcome;
    const int rc =
        swmm::RunSwmm(engine, &progress, p.files.folder(),
                      {written.files.input, written.files.report, written.files.output}, &outcome);
    progress.Close();
    b.out << "codigo: " << rc << '\n';
    if (rc != 0) {
        swmm::ReportSwmmFailure(b.ui, engine, rc);
        if (!outcome.engineText.empty()) b.err << toUtf8(outcome.engineText) << '\n';
        return 1;
    }
    swmm::SwmmReading reading;
    swmm::ReadSwmmReport(ctx, reaches, true, nullptr, &reading);
    if (!reading.complete())
        return b.Fail(reading.problem.empty()
                          ? "No existe el reporte de SWMM " + written.files.report
                          : reading.problem);
    b.out << "nodos_inundados: " << std::max(0, reading.flooded) << '\n';
    b.out << "nodos_sobrecargados: " << std::max(0, reading.surcharged) << '\n';
    b.out << "tramos: " << reading.linkRows << '\n';
    if (reading.froudeDerived) b.out << "froude: calculado de velocidad y profundidad\n";
    b.out << "reporte: " << written.files.report << '\n';
    return 0;
}

}  // namespace nivex::cli
