// The quantity run from the command line: the files written as main choice 8 'B' writes
// them, then, for every system, the statistics and the totals of each group as stored.

#include <iomanip>
#include <sstream>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "quantities/quantity_driver.h"
#include "quantities/quantity_file.h"

namespace nivex::cli {
namespace {

using namespace quantities;

std::string Number(double v) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(2) << v;
    return out.str();
}

double ManholeTotal(const QuantityTables& t, int group) {
    const auto& g = t.manholes[static_cast<size_t>(group)];
    return g[kAddedRow][5].count + g[kNetworkRow][5].count;
}

void PrintSystem(std::ostream& out, int system, const QuantityTables& t) {
    const char* statisticsA[] = {"tramos",          "longitud total",  "pendiente terreno media",
                                 "pendiente media", "% tramos lentos", "% tramos tractiva baja",
                                 "velocidad media"};
    const char* statisticsB[] = {"tramos tuberia",
                                 "longitud tuberia",
                                 "diametro mayor",
                                 "diametro medio",
                                 "profundidad media",
                                 "excavacion por metro",
                                 "pozos",
                                 "profundidad media pozos",
                                 "bajantes",
                                 "longitud por pozo",
                                 "profundidad clave mayor"};
    out << "sistema: " << SystemTitle(system) << '\n';
    for (size_t k = 0; k < t.statisticsA.size(); ++k)
        out << statisticsA[k] << ": " << Number(t.statisticsA[k]) << '\n';
    for (size_t k = 0; k < t.statisticsB.size(); ++k)
        out << statisticsB[k] << ": " << Number(t.statisticsB[k]) << '\n';
    const auto& x = t.excavation[kMaterials + 1];
    for (size_t j = 1; j <= kExcavationRanges; ++j)
        out << "excavacion rango " << j << ": " << Number(x[j]) << '\n';
    out << "excavacion total: " << Number(x[kExcavationRanges + 1]) << '\n';
    out << "relleno total: " << Number(t.fill[3]) << '\n';
    out << "pozos 1.20: " << Number(ManholeTotal(t, kManhole120)) << '\n';
    out << "pozos 1.80: " << Number(ManholeTotal(t, kManhole180)) << '\n';
    out << "pozos especiales: " << Number(ManholeTotal(t, kManholeSpecial)) << '\n';
    out << "tuberia longitud: " << Number(t.pipeTotal.length) << '\n';
    out << "conexiones: " << Number(t.connections[static_cast<size_t>(t.sizeCount) + 1]) << '\n';
    out << "cimentacion recebo: " << Number(t.bedding[0]) << '\n';
    out << "cimentacion concreto: " << Number(t.bedding[1]) << '\n';
    out << "bajantes: " << Number(t.drops[0].count) << '\n';
    out << "eliminacion longitud: " << Number(t.removalTotal.length) << '\n';
}

}  // namespace

int VerbQuantities(Batch& b) {
    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Project& p = b.session.project;
    const QuantityOutcome run = RunQuantities(p);
    p.CloseControl();
    if (run.stop != RunStop::None) {
        std::string message = toUtf8(run.message);
        for (char& c : message)
            if (c == '\r' || c == '\n') c = ' ';
        return b.Fail(message);
    }
    std::vector<int> systems;
    for (const SystemQuantities& s : run.result.systems)
        systems.push_back(s.system);
    if (systems.empty() || systems.front() != kSystemNew)
        systems.insert(systems.begin(), kSystemNew);
    const int sizes = run.result.newWithRemovals.sizeCount;
    for (int system : systems) {
        QuantityTables t;
        t.Clear(sizes);
        const QuantityFileResult read =
            ReadQuantityFile(QuantityFilePath(p.files, system), sizes, t);
        if (read.status != FileRead::Read) return b.Fail(toUtf8(read.error));
        PrintSystem(b.out, system, t);
    }
    return 0;
}

}  // namespace nivex::cli
