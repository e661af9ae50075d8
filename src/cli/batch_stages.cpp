// The construction stages from the command line: stages given to lines of the design
// copy with the rules of the stage screen, then counted as F4 counts them.

#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "quantities/stages.h"

namespace nivex::cli {
namespace {

bool ParseSetting(const std::string& text, quantities::StageSetting& setting) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto line = std::from_chars(begin, begin + eq, setting.line);
    if (line.ec != std::errc() || line.ptr != begin + eq) return false;
    const auto stage = std::from_chars(begin + eq + 1, end, setting.stage);
    return stage.ec == std::errc() && stage.ptr == end && eq + 1 < text.size() &&
           std::isfinite(setting.stage);
}

void PrintCounts(Batch& b, const quantities::StageCounts& c) {
    for (int k = 1; k <= quantities::kMaxStages; ++k)
        b.out << "etapa" << k << ": " << c.reaches[static_cast<size_t>(k)] << '\n';
    b.out << "etapas: " << c.stages() << '\n';
}

}  // namespace

int VerbStages(Batch& b) {
    const auto& operands = b.options.operands;
    const bool set = !operands.empty() && operands[0] == "set";
    if (!operands.empty() && !set && !(operands[0] == "show" && operands.size() == 1))
        return b.Fail("Error: stages lleva show o set LINEA=ETAPA ...");
    std::vector<quantities::StageSetting> settings;
    for (size_t k = 1; k < operands.size(); ++k) {
        quantities::StageSetting s;
        if (!ParseSetting(operands[k], s))
            return b.Fail("Error: se esperaba LINEA=ETAPA y no " + operands[k]);
        settings.push_back(s);
    }
    if (set && settings.empty()) return b.Fail("Error: stages set necesita LINEA=ETAPA");

    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Project& p = b.session.project;
    if (p.selection.sectors != "1")
        return b.Fail(
            "Error: las etapas de construccion solo se definen en proyectos de un sector");
    std::string error;
    if (!quantities::LoadStageState(p, &error)) return b.Fail(error);
    std::error_code ec;
    if (p.header.StageDone[1] == 0 || !std::filesystem::is_regular_file(p.files.designCopy(), ec))
        return b.Fail("... Falta hacer o repetir el diseño del proyecto ...");

    quantities::StageCounts counts;
    if (!set) {
        if (!quantities::ReadStageCounts(p, counts, &error)) return b.Fail(error);
        PrintCounts(b, counts);
        return 0;
    }
    if (!quantities::SetStages(p, settings, &error)) return b.Fail(error);
    if (!quantities::CountStages(b.session, &counts)) return 1;  // the box said why
    PrintCounts(b, counts);
    return 0;
}

}  // namespace nivex::cli
