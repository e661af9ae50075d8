// The import of an EPA SWMM 5 input file from the command line.

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "specs/criteria_store.h"
#include "swmm/model_import.h"

namespace nivex::cli {
namespace {

// A box's text on one terminal: its line breaks as new lines.
std::string Lines(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

}  // namespace

int VerbImportSwmm(Batch& b) {
    if (b.options.operands.size() != 1)
        return b.Fail("Error: import-swmm necesita un archivo .inp (import-swmm MODELO.inp)");
    const std::string& path = b.options.operands[0];  // from the caller's folder

    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    if (!b.options.yes) return b.Fail(std::string(swmm::kImportQuestion) + " No");
    project::Project& p = b.session.project;
    std::string error;
    bool loaded = p.OpenControl();
    if (loaded)
        loaded = specs::LoadDesignCriteria(p.control, p.header, p.espec, &error);
    else
        error = toUtf8(p.error);
    p.CloseControl();
    if (!loaded) return b.Fail(error);
    if (!swmm::ImportAllowed(p)) return b.Fail(Lines(swmm::kImportRefusal));

    swmm::ImportRefusal refusal;
    swmm::ImportedModel model;
    if (!swmm::ImportSwmmFile(b.session, path, refusal, &model))
        return b.Fail(refusal.caption + ": " + Lines(refusal.message));
    b.out << swmm::kImportDone << '\n'
          << "tramos: " << model.reaches.size() << '\n'
          << "unidad: " << model.flowUnit << '\n'
          << "cotas y longitudes: " << (model.inFeet ? "pies, convertidas a metros" : "metros")
          << '\n';
    return 0;
}

}  // namespace nivex::cli
