// How long the automatic alternatives take: the six variants of the automatic topology of a
// 10000-reach network (a trunk with a hundred side lines) searched, designed and quantified,
// with the peak memory of the process. Run by hand:
// bench_alternatives [side lines] [reaches per side line]
// (the default network should take under 10 seconds together in a Release build).

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "comb_network.h"
#include "design/alternatives_run.h"
#include "network/network_controls.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using namespace nivex;
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const std::vector<network::TramoT> reaches = bench::Comb(sides, perSide);
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-alternatives-" + std::to_string(getpid()));
    fs::create_directories(dir);
    project::Project p;
    p.files.Build(dir.string(), "AB1");
    if (!bench::WriteBenchSector(p, reaches)) return 1;
    std::string error;
    if (!network::WithControl(p, &error, [&] {
            p.espec.TopologyMode = design::kTopologyAutomatic;
            p.header.ControlsDone = {1, 1, 1, 1};
            return network::SaveControlRecords(p, {5}, &error);
        }))
        return 1;

    design::DesignSink sink;
    design::DesignOptions options;
    design::AlternativesHooks hooks;
    int rows = 0;
    hooks.choose = [&](design::AlternativesTable& table, int, double) {
        design::SortAlternatives(table);
        rows = design::SelectAlternatives(table);
        return -1;  // the comparison is what is timed
    };
    const auto start = std::chrono::steady_clock::now();
    const design::AlternativesOutcome out =
        design::RunAlternatives(p, options, sink, hooks, design::DesignRun{});
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("reaches: %zu\nended: %s\nseconds: %.3f\npeak_mb: %.1f\nrows: %d\n", reaches.size(),
                out.end == design::AlternativesEnd::Declined ? "si" : "no", seconds,
                bench::PeakKilobytes() / 1024.0, rows);
    fs::remove_all(dir);
    return out.end == design::AlternativesEnd::Declined ? 0 : 1;
}
