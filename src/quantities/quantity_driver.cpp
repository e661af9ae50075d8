#include "quantities/quantity_driver.h"

#include "console/codepage.h"
#include "network/network_controls.h"
#include "specs/criteria_store.h"

namespace nivex::quantities {

std::string MissingSectorMessage(int sector) {
    return "... ERROR .. no hay sector #" + std::to_string(sector) + " ...";
}

QuantityOutcome RunQuantities(project::Project& p, bool markDone) {
    QuantityOutcome out;
    std::string error;
    if (!network::LoadControlState(p, &error)) {
        out.stop = RunStop::FileError;
        out.message = cp(error);
        return out;
    }
    QuantityInput input;
    const uint8_t designed = p.header.StageDone[1];
    if (!markDone) p.header.StageDone[1] = 1;
    const InputOutcome loaded = LoadQuantityInput(p, input);
    p.header.StageDone[1] = designed;
    switch (loaded.problem) {
        case InputProblem::None:
            break;
        case InputProblem::NoDesign:
            out.stop = RunStop::NoDesign;
            out.message = cp("... Falta hacer o repetir el diseño del proyecto ...");
            return out;
        case InputProblem::MissingSector:
            out.stop = RunStop::MissingSector;
            out.sector = loaded.sector;
            out.message = MissingSectorMessage(loaded.sector);
            return out;
        case InputProblem::FileError:
            out.stop = RunStop::FileError;
            out.message = loaded.error;
            return out;
    }
    out.result = ComputeQuantityTables(input, p.espec);
    if (!WriteQuantityResult(p.files, out.result, &out.message)) {
        out.stop = RunStop::FileError;
        return out;
    }
    if (out.result.fault) {
        out.stop = RunStop::DiameterFault;
        out.message = DiameterFaultMessage(*out.result.fault);
        return out;
    }
    if (!markDone) return out;
    if (!p.OpenControl()) {
        out.stop = RunStop::FileError;
        out.message = p.error;
        return out;
    }
    p.header.StageDone[2] = 1;
    p.header.StageDone[3] = 0;
    const bool saved = specs::SaveRecords(p.control, p.header, p.espec, {});
    const std::string controlError = p.control.error();
    p.CloseControl();
    if (!saved) {
        out.stop = RunStop::FileError;
        out.message =
            cp(controlError.empty() ? "No se pudo escribir el archivo " + p.files.control()
                                    : controlError);
    }
    return out;
}

}  // namespace nivex::quantities
