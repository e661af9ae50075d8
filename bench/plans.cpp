// How long the plan of the network takes: a network of 10000 reaches (a trunk with a
// hundred side lines) designed, laid out schematically, and its plan built at 1:1000 and
// fitted to A1, without a window. Run by hand: bench_plans [side lines] [reaches per side
// line] (each plan of the default network should take well under a second).

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "comb_network.h"
#include "drawings/plan.h"
#include "drawings/profile_lines.h"
#include "drawings/schematic_layout.h"
#include "network/tramo.h"
#include "project/project.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    namespace dr = nivex::drawings;
    using Clock = std::chrono::steady_clock;
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-plans-" + std::to_string(getpid()));
    fs::create_directories(dir);
    nivex::project::Project p;
    if (!nivex::bench::DesignedBenchComb(p, dir.string(), sides, perSide)) {
        fs::remove_all(dir);
        return 1;
    }
    std::vector<nivex::network::TramoT> reaches;
    std::string error;
    if (!dr::ReadDesignedReaches(p.files.designCopy(), reaches, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        fs::remove_all(dir);
        return 1;
    }

    const auto start = Clock::now();
    const dr::ManholeLayout layout = dr::SchematicLayout(dr::ReachEndsOf(reaches));
    const auto laid = Clock::now();
    dr::PlanOptions o;
    o.scale = 1000;
    const dr::Plan scaled = dr::BuildPlan(reaches, layout, o);
    const auto atScale = Clock::now();
    o.scale = 0;
    const dr::Plan fitted = dr::BuildPlan(reaches, layout, o);
    const auto fit = Clock::now();
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    std::printf(
        "reaches: %zu\ntexts_1000: %zu left_out: %zu\ntexts_A1 (1:%d): %zu left_out: %zu\n"
        "layout_s: %.3f\nplan_1000_s: %.3f\nplan_A1_s: %.3f\n",
        reaches.size(), scaled.drawing.texts.size(), scaled.leftOut.size(), fitted.scale,
        fitted.drawing.texts.size(), fitted.leftOut.size(), seconds(start, laid),
        seconds(laid, atScale), seconds(atScale, fit));
    fs::remove_all(dir);
    return 0;
}
