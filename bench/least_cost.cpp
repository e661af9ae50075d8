// What the design of least cost saves: networks designed both ways with the same prices,
// one line each with the cost of the standard design, the cost of the least-cost design,
// the saving, and the saving on the excavation alone. Flat trunk collectors with side
// lines, street grids of the simulated project, and, when its file is given, a SWMM model
// imported with the automatic topology (EPA's Example 1).
// Run by hand: bench_least_cost [MODEL.inp]

#include <chrono>
#include <cstdio>
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

bool Batch(const fs::path& projects, std::vector<std::string> args) {
    args.insert(args.begin(), {"--projects", projects.string(), "--project", "AB1"});
    std::ostringstream out, err;
    const int rc = cli::RunBatch(args, out, err);
    if (rc != 0) std::printf("  %s\n", err.str().c_str());
    return rc == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = fs::temp_directory_path() / "nivex-bench-costo";
    fs::remove_all(base);
    fs::create_directories(base);
    std::printf("Costo minimo frente al diseño estandar, precios de referencia\n");
    Bench("colector plano 40x6", bench::Comb(40, 6), base);
    Bench("colector plano 100x10", bench::Comb(100, 10), base);
    Bench("colector plano 25x1", bench::Comb(25, 1), base);
    Bench("malla simulada 500", bench::Grid(500), base);
    Bench("malla simulada 2000", bench::Grid(2000), base);
    if (argc > 1) {
        // A SWMM model entered with the automatic topology, as an engineer would.
        const fs::path projects = base / "swmm";
        fs::create_directories(projects);
        if (Batch(projects, {"new", "--yes"}) &&
            Batch(projects, {"config", "--topologia", "automatico"}) &&
            Batch(projects, {"import-swmm", argv[1], "--yes"}) &&
            Batch(projects, {"controls", "--yes"})) {
            for (const auto& e : fs::directory_iterator(projects))
                if (e.is_directory() && e.path().filename().string().rfind("AB", 0) == 0) {
                    project::Project p;
                    p.files.Build(e.path().string(), "AB1");
                    int reaches = 0;
                    if (p.OpenControl() && p.ReadHeader()) reaches = p.header.ReachCount;
                    p.CloseControl();
                    Report(fs::path(argv[1]).stem().string(), reaches, e.path());
                }
        }
    }
    fs::remove_all(base);
    return 0;
}
