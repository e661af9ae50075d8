// The simulated project from the command line.

#include <cstdlib>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "network/simulated_project.h"

namespace nivex::cli {
namespace {

// A missing option keeps the screen's default; a value that is no number fails.
bool Number(const Batch& b, const char* option, double& value) {
    const std::string text = b.options.value(option);
    if (text.empty()) return true;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return false;
    value = v;
    return true;
}

}  // namespace

int VerbSimulate(Batch& b) {
    network::SimulationParams params;
    double horizontal = params.horizontal, vertical = params.vertical;
    for (auto [option, value] :
         {std::pair{"--horizontal", &horizontal}, std::pair{"--vertical", &vertical},
          std::pair{"--length", &params.length}, std::pair{"--slope", &params.slope},
          std::pair{"--ground", &params.ground}})
        if (!Number(b, option, *value))
            return b.Fail(std::string("Error: ") + option + " debe ser un numero");
    params.horizontal = static_cast<int>(horizontal);
    params.vertical = static_cast<int>(vertical);
    if (horizontal != params.horizontal || vertical != params.vertical)
        return b.Fail("ERROR...Usar entre 1 y 40");
    if (std::string rule = network::CheckSimulationParams(params); !rule.empty())
        return b.Fail(rule);

    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    if (!b.options.yes) return b.Fail("Desea Generar un Proyecto simulado ? No");
    project::Project& p = b.session.project;
    if (!network::SimulationAllowed(p)) return b.Fail(toUtf8(network::kSimulationRefusal));
    std::string error;
    if (!network::GenerateSimulatedProject(p, params, &error)) return b.Fail(error);
    b.out << "Generacion de proyecto simulado realizada\n";
    return 0;
}

}  // namespace nivex::cli
