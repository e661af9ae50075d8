// The design of the sector's network from the command line: the entered network
// (alternative 0) with the four answers of the design options screen.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/alternatives_run.h"
#include "design/alternatives_screen.h"
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

// The dialog of the alternatives answered from the command line: the row of --alternativa
// (the first row unless given).
class BatchAlternatives : public ui::AlternativesDialog {
  public:
    explicit BatchAlternatives(int row) : row_(row) {}
    // The row once: a row without an alternative is refused and nobody chooses again.
    int run(const ui::AlternativesChoice& choice, const std::function<void()>&) override {
        shown = choice;
        const int row = row_;
        row_ = -1;
        return row;
    }
    ui::AlternativesChoice shown;

  private:
    int row_;
};

std::string Pesos(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

// The cost of the design kept and of the standard design with the same prices.
void PrintCosts(std::ostream& out, const design::LeastCostReport& r) {
    out << "metodo: " << (r.asked ? "costo-minimo" : "estandar") << '\n';
    if (std::isfinite(r.cost)) out << "costo: " << Pesos(r.cost) << '\n';
    if (std::isfinite(r.standardCost)) out << "costo_estandar: " << Pesos(r.standardCost) << '\n';
    out << "precios: "
        << (r.allReference ? "referencia"
            : r.referenceItems > 0
                ? "proyecto y referencia en " + std::to_string(r.referenceItems) + " items"
                : "proyecto")
        << '\n';
    if (r.asked && !r.used && !r.note.empty()) out << "nota: " << toUtf8(r.note) << '\n';
}

bool ParseRow(const std::string& text, int& row) {
    row = 0;
    if (text.empty() || text.size() > 2) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        row = row * 10 + (c - '0');
    }
    return row >= 1;
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
    int row = 1;
    if (b.options.has("--alternativa") && !ParseRow(b.options.value("--alternativa"), row))
        return b.Fail(
            "Error: --alternativa debe ser la fila del cuadro de alternativas (1, 2, ...)");
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
    if (!design::PrepareDesignRun(p, sink, result)) return 1;
    BatchAlternatives dialog(row);
    b.session.alternatives = &dialog;
    design::DesignOptions answers = options;
    design::AlternativesHooks hooks;
    hooks.choose = [&](design::AlternativesTable& table, int mode, double days) {
        return design::ChooseAlternative(b.session, table, mode, days);
    };
    const design::AlternativesOutcome out = design::RunAlternatives(p, answers, sink, hooks, run);
    b.session.alternatives = nullptr;
    progress.Close();
    result = out.result;
    if (out.end == design::AlternativesEnd::Declined)
        return b.Fail("Error: no hay alternativa en la fila " + std::to_string(row));
    if (out.end == design::AlternativesEnd::Cancelled)
        return b.Fail("Proceso terminado por el usuario");
    if (out.end != design::AlternativesEnd::Designed) return 1;
    if (!design::AdoptAlternative(b.session)) return 1;
    b.out << "alternativa: " << out.chosen << '\n';
    if (modelLoop) b.out << "pasadas_swmm: " << loop.runs.size() << '\n';
    b.out << "inundacion: " << result.floodedNodes << '\n';
    b.out << "capacidad: " << result.insufficientCapacity << '\n';
    b.out << "empalmes: " << result.junctionMismatches << '\n';
    b.out << "profundos: " << result.deeperThanDesirable << '\n';
    b.out << "deficiencias: " << result.newReachDeficiencies << '\n';
    // OK only for a design with nothing counted against it; "??" marks doubtful energy
    // junctions as the results screen does, "REVISAR" any other problem counted above.
    b.out << "status: "
          << (result.doubtful()   ? "??"
              : result.problems() ? "REVISAR"
                                  : "OK")
          << '\n';
    PrintCosts(b.out, result.leastCost);
    b.out << "linea,de,a,diametro,profundidad\n";
    for (const design::FinalReach& f : result.finalReaches)
        b.out << f.record << ',' << toUtf8(f.upstream) << ',' << toUtf8(f.downstream) << ','
              << f.diameter << ',' << Depth(f.depth) << '\n';
    return 0;
}

}  // namespace nivex::cli
