// What the design of least cost saves: networks designed both ways with the same prices,
// one line each with the cost of the standard design, the cost of the least-cost design,
// the saving, and the saving on the excavation alone. Flat trunk collectors with side
// lines, street grids of the simulated project, and, when its file is given, a SWMM model
// imported with the automatic topology (EPA's Example 1).
// Run by hand: bench_least_cost [MODEL.inp]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "budget/budget_items.h"
#include "budget/budget_run.h"
#include "budget/construction_cost.h"
#include "cli/batch.h"
#include "comb_network.h"
#include "console/codepage.h"
#include "design/design_driver.h"
#include "quantities/quantity_run.h"
#include "quantities/quantity_tables.h"

namespace fs = std::filesystem;
using namespace nivex;

namespace {

// A trunk collector on flat ground (0.3 %), every reach draining a block of its own: the
// flow grows all the way down, as on a valley floor.
std::vector<network::TramoT> FlatTrunk(int reaches, float area) {
    std::vector<network::TramoT> v;
    for (int k = 0; k < reaches; ++k) {
        const float ground = 1000.0f - 0.18f * static_cast<float>(k);
        network::TramoT t =
            bench::Reach(k + 1, k + 2, ground, ground - 0.18f, k + 1 == reaches ? 2 : 0);
        t.Area = area;
        v.push_back(t);
    }
    return v;
}

// The excavation (chapter 1) of the design copy of a sector, in pesos.
double Excavation(const project::Project& p, const budget::UnitPrices& prices) {
    quantities::QuantityInput input;
    if (quantities::LoadQuantityInput(p, input).problem != quantities::InputProblem::None) return 0;
    input.stageCount = 0;
    input.hasNewReach = true;
    const quantities::QuantityResult q = quantities::ComputeQuantityTables(input, p.espec);
    for (const quantities::SystemQuantities& s : q.systems)
        if (s.system == quantities::kSystemNew)
            return budget::ValueSystem(quantities::kSystemNew, budget::BuildBudgetChapters(p.espec),
                                       s.tables, prices)
                .chapters[1];
    return 0;
}

// One sector designed with the method asked: its report, the excavation and the time taken.
struct Designed {
    bool ok = false;
    design::LeastCostReport report;
    double excavation = 0, seconds = 0;
};

Designed Design(const fs::path& folder, bool leastCost) {
    Designed d;
    project::Project p;
    p.files.Build(folder.string(), "AB1");
    design::DesignSink sink;
    design::DesignResult result;
    design::DesignRun run;
    run.leastCost = leastCost;
    const auto start = std::chrono::steady_clock::now();
    d.ok = design::DesignNetwork(p, design::DesignOptions{}, sink, result, run);
    d.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    d.report = result.leastCost;
    if (d.ok && p.OpenControl() && p.ReadHeader()) {
        p.CloseControl();
        d.excavation = Excavation(p, budget::PricesForCost(p).prices);
    }
    return d;
}

void Copy(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from))
        if (e.is_regular_file()) fs::copy_file(e.path(), to / e.path().filename());
}

void Report(const std::string& name, int reaches, const fs::path& folder) {
    Copy(folder, folder.string() + "-costo");
    const Designed standard = Design(folder, false);
    const Designed cheap = Design(folder.string() + "-costo", true);
    if (!standard.ok || !cheap.ok) {
        std::printf("%-28s %6d tramos: no termino el diseño\n", name.c_str(), reaches);
        return;
    }
    const double base = cheap.report.standardCost, cost = cheap.report.cost;
    const double saving = base > 0 ? 100 * (base - cost) / base : 0;
    const double dig = standard.excavation > 0
                           ? 100 * (standard.excavation - cheap.excavation) / standard.excavation
                           : 0;
    std::printf(
        "%-28s %6d tramos  estandar %18s  costo minimo %18s  ahorro %5.1f %%  "
        "excavacion %5.1f %%  (%.1f s)%s%s\n",
        name.c_str(), reaches, design::PesosText(base).c_str(), design::PesosText(cost).c_str(),
        saving, dig, cheap.seconds, cheap.report.used ? "" : "  queda el estandar: ",
        cheap.report.used ? "" : toUtf8(cheap.report.note).c_str());
}

void Bench(const std::string& name, const std::vector<network::TramoT>& reaches,
           const fs::path& base) {
    const fs::path folder = base / name;
    fs::create_directories(folder);
    project::Project p;
    p.files.Build(folder.string(), "AB1");
    if (!bench::WriteBenchSector(p, reaches) || !p.OpenControl() || !p.ReadHeader()) {
        std::printf("%s: no se pudo escribir el sector\n", name.c_str());
        return;
    }
    p.header.ControlsDone = {1, 1, 1, 1};
    specs::SaveRecords(p.control, p.header, p.espec, {0});
    p.CloseControl();
    Report(name, static_cast<int>(reaches.size()), folder);
}

bool Batch(const fs::path& projects, std::vector<std::string> args, std::string* printed) {
    args.insert(args.begin(), {"--projects", projects.string(), "--project", "AB1"});
    std::ostringstream out, err;
    const int rc = cli::RunBatch(args, out, err);
    if (rc != 0) std::printf("  %s: %s\n", args[4].c_str(), err.str().c_str());
    if (printed) *printed = "\n" + out.str();
    return rc == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = fs::temp_directory_path() / "nivex-bench-costo";
    fs::remove_all(base);
    fs::create_directories(base);
    std::printf("Costo minimo frente al diseño estandar, precios de referencia\n");
    Bench("tronco plano 0.3% 40", FlatTrunk(40, 3.0f), base);
    Bench("tronco plano 0.3% 80", FlatTrunk(80, 2.0f), base);
    Bench("colector plano 40x6", bench::Comb(40, 6), base);
    Bench("colector plano 100x10", bench::Comb(100, 10), base);
    Bench("colector plano 25x1", bench::Comb(25, 1), base);
    Bench("malla simulada 500", bench::Grid(500), base);
    Bench("malla simulada 2000", bench::Grid(2000), base);
    if (argc > 1) {
        // A SWMM model entered as an engineer would, its topology chosen by the program, and
        // designed at least cost through nivex-batch.
        const fs::path projects = base / "swmm";
        fs::create_directories(projects);
        std::string out;
        if (Batch(projects, {"new", "--yes"}, nullptr) &&
            Batch(projects,
                  {"config",
                   "--class",
                   "2",
                   "--topologia",
                   "automatico",
                   "--metodo",
                   "costo-minimo",
                   "--texto",
                   "fecha=2026",
                   "--texto",
                   "proyecto=Ejemplo",
                   "--texto",
                   "consultor=NIVEX",
                   "--texto",
                   "entidad=Banco",
                   "--texto",
                   "pais=Colombia",
                   "--texto",
                   "correo=a@b.co",
                   "--yes"},
                  nullptr) &&
            Batch(projects, {"import-swmm", argv[1], "--yes"}, nullptr) &&
            Batch(projects, {"controls", "--yes"}, nullptr) &&
            Batch(projects, {"design", "--yes"}, &out)) {
            auto value = [&](const std::string& key) {
                const size_t at = out.find("\n" + key + ": ");
                return at == std::string::npos
                           ? std::string("?")
                           : out.substr(at + key.size() + 3,
                                        out.find('\n', at + 1) - at - key.size() - 3);
            };
            const double cost = std::atof(value("costo").c_str());
            const double base = std::atof(value("costo_estandar").c_str());
            std::printf("%-28s        estandar %18s  costo minimo %18s  ahorro %5.1f %%%s%s\n",
                        fs::path(argv[1]).stem().string().c_str(), design::PesosText(base).c_str(),
                        design::PesosText(cost).c_str(),
                        base > 0 ? 100 * (base - cost) / base : 0.0,
                        value("nota") == "?" ? "" : "  queda el estandar: ",
                        value("nota") == "?" ? "" : value("nota").c_str());
        }
    }
    fs::remove_all(base);
    return 0;
}
