// How long the quantity run takes: a network of 10000 reaches (a trunk with a hundred side
// lines) designed first, then its quantities of work computed and written. Run by hand:
// bench_quantities [side lines] [reaches per side line]
// (the quantity run of the default network should take well under a second).

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "comb_network.h"
#include "design/design_driver.h"
#include "network/record_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "quantities/quantity_driver.h"
#include "specs/criteria_store.h"

namespace {

using nivex::network::TramoT;

using nivex::bench::Comb;

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const std::vector<TramoT> reaches = Comb(sides, perSide);
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-quantities-" + std::to_string(getpid()));
    fs::create_directories(dir);
    nivex::project::Project p;
    p.files.Build(dir.string(), "AB1");
    if (!nivex::bench::WriteBenchSector(p, reaches)) return 1;

    nivex::design::DesignSink sink;
    nivex::design::DesignResult result;
    if (!nivex::design::DesignNetwork(p, nivex::design::DesignOptions{}, sink, result)) return 1;
    const auto start = std::chrono::steady_clock::now();
    const nivex::quantities::QuantityOutcome run = nivex::quantities::RunQuantities(p);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool ok = run.stop == nivex::quantities::RunStop::None;
    std::printf("reaches: %zu\ncomputed: %s\nseconds: %.3f\npeak_mb: %.1f\n", reaches.size(),
                ok ? "si" : "no", seconds, nivex::bench::PeakKilobytes() / 1024.0);
    if (!ok) std::printf("stop: %s\n", run.message.c_str());
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
