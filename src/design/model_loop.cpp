#include "design/model_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "console/codepage.h"
#include "design/hydraulics.h"
#include "design/reach_values.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_progress.h"
#include "swmm/swmm_results.h"
#include "swmm/swmm_run.h"

namespace nivex::design {
namespace {

using network::TramoT;

constexpr size_t kFlowTextWidth = 10;

// The project's SWMM-run flag and the design flag in record 0, the rest as it is on disk.
bool StoreFlags(project::Project& p, int swmmRan, int designDone, std::string* error) {
    if (!p.OpenControl() || !p.ReadHeader()) {
        if (error) *error = toUtf8(p.error);
        p.CloseControl();
        return false;
    }
    if (swmmRan >= 0) p.header.SwmmRan = static_cast<uint8_t>(swmmRan);
    if (designDone >= 0) p.header.StageDone[1] = static_cast<uint8_t>(designDone);
    const bool ok = p.WriteHeader();
    if (!ok && error) *error = toUtf8(p.error);
    p.CloseControl();
    return ok;
}

class Loop {
  public:
    Loop(project::Project& p, DesignResult& result, const ModelLoopSetup& s)
        : p_(p), result_(result), s_(s) {}

    bool Run();

  private:
    // Ends the loop: the window closed, the results of the model not this design's.
    bool Stop(DesignEnd end, const std::string& title, const std::string& text, bool show) {
        if (s_.progress) s_.progress->Close();
        result_.end = end;
        result_.title = title;
        result_.error = text;
        if (show) s_.sink.Message(title, text);
        StoreFlags(p_, 0, 0, nullptr);
        return false;
    }
    bool RunFailed(const std::string& detail) {
        std::string text = ModelRunFailedText();
        if (!detail.empty()) text += "\r" + cp(detail);
        return Stop(DesignEnd::Failed, "Error", text, true);
    }
    bool Cancelled() {
        return Stop(DesignEnd::Cancelled, cp("Informe"), cp("Proceso terminado por el usuario"),
                    false);
    }
    ModelLoopRun& Note(int pass) {
        runs_.push_back({pass, 0, -1, -1});
        return runs_.back();
    }

    project::Project& p_;
    DesignResult& result_;
    const ModelLoopSetup& s_;

  public:
    std::vector<ModelLoopRun> runs_;
    int redesigns_ = 0;
    std::vector<float> lastFlows_;
};

bool Loop::Run() {
    if (!s_.engine.loaded()) return Stop(DesignEnd::Failed, "Error", s_.engine.loadError(), true);
    swmm::SwmmContext ctx{p_, s_.ui, s_.screen, s_.swmmFolder, true, s_.date};
    // Nothing of an earlier design may be read as this one's.
    swmm::DeleteSwmmReport(ctx);
    int flooded = 0, surcharged = 0;
    for (int pass = 1; pass <= kModelLoopRuns; ++pass) {
        std::vector<TramoT> reaches;
        std::string error;
        if (!swmm::LoadDesignReaches(p_, reaches, &error)) return RunFailed(error);
        const swmm::SwmmModel model =
            swmm::BuildSwmmModel(reaches, p_.espec, p_.header.DesignClass);
        const swmm::SwmmWriteOutcome written = swmm::WriteSwmmInput(ctx, model, reaches);
        if (!written.written) {
            // The relief chambers' message has been shown: the design cannot be checked.
            if (written.reliefFault)
                return Stop(DesignEnd::Failed, "Error", ModelRunFailedText(), false);
            return RunFailed(written.error);
        }

        ModelLoopRun& run = Note(pass);
        if (s_.progress) s_.progress->setPass({true, pass, flooded, surcharged});
        swmm::SwmmOutcome outcome;
        run.code = swmm::RunSwmm(s_.engine, s_.progress, p_.files.folder(),
                                 {written.files.input, written.files.report, written.files.output},
                                 &outcome);
        if (outcome.cancelled) return Cancelled();
        if (run.code != 0) return RunFailed(outcome.engineText);

        swmm::SwmmReading reading;
        swmm::ReadSwmmReport(ctx, reaches, true, nullptr, &reading);
        if (!reading.complete()) return RunFailed(reading.problem);
        run.flooded = flooded = std::max(0, reading.flooded);
        run.surcharged = surcharged = std::max(0, reading.surcharged);
        result_.floodedNodes = flooded;
        if (flooded == 0 || pass == kModelLoopRuns) break;
        if (FinalCollectorAtLargestSize(reaches, p_.espec))
            return Stop(DesignEnd::Failed, "Error", ExcessiveFlowText(), true);

        std::vector<std::string> values;
        if (!swmm::ReadResultFile(p_.files.swmmMaxFlows(), static_cast<int>(reaches.size()), values,
                                  &error))
            return RunFailed(error);
        DesignRun redo;
        redo.finalDesign = true;
        redo.modelFlows = ModelFlowTable(values);
        const int networkRecords =
            result_.reaches > 0 ? result_.reaches : static_cast<int>(reaches.size());
        if (!RedesignLastPass(p_, s_.options, s_.sink, result_, redo, networkRecords)) {
            // Its own failures have been shown.
            if (result_.end == DesignEnd::Cancelled) return Cancelled();
            return Stop(DesignEnd::Failed, result_.title, result_.error, false);
        }
        ++redesigns_;
        lastFlows_ = std::move(redo.modelFlows);
        if (s_.sink.cancelled) return Cancelled();
    }
    if (s_.progress) s_.progress->Close();
    std::string error;
    if (!StoreFlags(p_, 1, 1, &error)) {
        result_.end = DesignEnd::Failed;
        result_.title = cp("Falla Sistema Operativo");
        result_.error =
            cp("Hubo una falla imprevista en el Sistema Operativo. Vuelva a cargar el programa") +
            "\r" + cp(error);
        s_.sink.Message(result_.title, result_.error);
        return false;
    }
    return true;
}

}  // namespace

std::string ModelRunFailedText() {
    return cp("No se pudo correr SWMM.\rSalga del aplicativo y vuelva y carguelo");
}

std::string ExcessiveFlowText() {
    return cp(
        "Caudal Excesivo para el colector final.\rAdicione Vertimientos independiente\r\rSe "
        "suspendera el diseño");
}

bool RunModelLoop(project::Project& p, DesignResult& result, const ModelLoopSetup& setup) {
    Loop loop(p, result, setup);
    const bool ok = loop.Run();
    if (setup.log) {
        setup.log->runs = loop.runs_;
        setup.log->redesigns = loop.redesigns_;
        setup.log->lastFlows = loop.lastFlows_;
    }
    return ok;
}

std::function<bool(project::Project&, DesignResult&)> ModelLoopHook(ModelLoopSetup setup) {
    return [setup](project::Project& p, DesignResult& result) {
        return RunModelLoop(p, result, setup);
    };
}

std::vector<float> ModelFlowTable(const std::vector<std::string>& values) {
    std::vector<float> flows;
    flows.reserve(values.size());
    for (const std::string& v : values) {
        const std::string text = v.substr(0, kFlowTextWidth);
        char* end = nullptr;
        const double q = std::strtod(text.c_str(), &end);
        const bool number = end != text.c_str() && std::isfinite(q);
        flows.push_back(number ? static_cast<float>(q) : 0.0f);
    }
    return flows;
}

bool FinalCollectorAtLargestSize(const std::vector<TramoT>& reaches, const specs::EspecT& e) {
    const float largest = SizesOf(e).largest();
    if (largest <= 0) return false;
    for (const TramoT& t : reaches) {
        TramoT copy = t;
        if (ReceiverRecord(copy) == 0 && t.Diameter >= largest - 0.5f) return true;
    }
    return false;
}

}  // namespace nivex::design
