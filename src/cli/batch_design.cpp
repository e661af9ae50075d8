// The design of the sector's network from the command line: the entered network
// (alternative 0) with the four answers of the design options screen.

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/design_driver.h"
#include "design/design_options.h"
#include "design/model_loop.h"
#include "network/network_controls.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_progress.h"

namespace nivex::cli {
namespace {

// Messages go to standard error as the batch shows every message box.
class BatchDesignSink : public design::DesignSink {
  public:
    explicit BatchDesignSink(std::ostream& err) : err_(err) {}
    void Message(const std::string& title, const std::string& text) override {
        std::string shown = toUtf8(text);
        std::replace(shown.begin(), shown.end(), '\r', '\n');
        err_ << toUtf8(title) << ": " << shown << '\n';
    }

  private:
    std::ostream& err_;
};

std::string Depth(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(v));
    return buf;
}

// The SWMM folder of the run; a batch run without one keeps the files beside the
// projects.
std::string DesignSwmmFolder(const Batch& b) {
    if (!b.session.folders.swmm.empty()) return b.session.folders.swmm;
    return b.options.projects + "/00 Archivos Swmm";
}

}  // namespace

int VerbDesign(Batch& b) {
    design::DesignOptions given;
    if (b.options.has("--opciones") && !given.Parse(b.options.value("--opciones")))
        return b.Fail("Error: --opciones debe ser cuatro letras S o N (p. ej. NNSS)");
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Project& p = b.session.project;
    std::string error;
    if (!network::LoadControlState(p, &error)) return b.Fail(error);
    // The answers given become the stored ones, as on the options screen.
    const design::DesignOptions options =
        b.options.has("--opciones") ? given : design::StoredDesignOptions(p.header);
    if (p.header.ReachCount <= 0) return b.Fail("... Falta entrar los datos de los tramos ...");
    const auto& done = p.header.ControlsDone;
    if (!std::all_of(done.begin(), done.end(), [](uint8_t f) { return f != 0; }))
        return b.Fail("... Falta hacer los controles de calidad ...");
    if (!design::SaveDesignOptions(p, options)) return b.Fail(toUtf8(p.error));
    BatchDesignSink sink(b.err);
    design::DesignResult result;
    // Classes 6 to 9 verify the design with the hydraulic model, its progress on standard
    // error.
    swmm::SwmmProgress progress(&b.progress);
    design::ModelLoopLog loop;
    design::DesignRun run;
    const bool modelLoop = swmm::IsSwmmStormDesign(p.header.DesignClass);
    if (modelLoop)
        run.modelLoop = design::ModelLoopHook({b.ui, sink, swmm::ProgramEngine(), &progress,
                                               DesignSwmmFolder(b), options, nullptr, "", &loop});
    const bool designed = design::RunDesign(p, options, sink, result, run);
    progress.Close();
    if (!designed) {
        if (result.end == design::DesignEnd::Cancelled)
            return b.Fail("Proceso terminado por el usuario");
        return 1;
    }
    if (modelLoop) b.out << "pasadas_swmm: " << loop.runs.size() << '\n';
    b.out << "inundacion: " << result.floodedNodes << '\n';
    b.out << "capacidad: " << result.insufficientCapacity << '\n';
    b.out << "empalmes: " << result.junctionMismatches << '\n';
    b.out << "status: " << (result.doubtful() ? "??" : "OK") << '\n';
    b.out << "linea,de,a,diametro,profundidad\n";
    for (const design::FinalReach& f : result.finalReaches)
        b.out << f.record << ',' << toUtf8(f.upstream) << ',' << toUtf8(f.downstream) << ','
              << f.diameter << ',' << Depth(f.depth) << '\n';
    return 0;
}

}  // namespace nivex::cli
