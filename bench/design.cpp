// How long a whole design takes: a network of 10000 reaches (a trunk with a hundred side
// lines) designed in both passes, with the peak memory of the process. Run by hand:
// bench_design [side lines] [reaches per side line]
// (the default network should design in under a second and 100 MB in a Release build).

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
        fs::temp_directory_path() / ("nivex-bench-design-" + std::to_string(getpid()));
    fs::create_directories(dir);
    nivex::project::Project p;
    p.files.Build(dir.string(), "AB1");
    if (!nivex::bench::WriteBenchSector(p, reaches)) return 1;

    nivex::design::DesignSink sink;
    nivex::design::DesignResult result;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = nivex::design::DesignNetwork(p, nivex::design::DesignOptions{}, sink, result);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("reaches: %zu\ndesigned: %s\nseconds: %.3f\npeak_mb: %.1f\nfinal: %zu\n",
                reaches.size(), ok ? "si" : "no", seconds, nivex::bench::PeakKilobytes() / 1024.0,
                result.finalReaches.size());
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
