// How long the schematic layout of a large sector takes: a trunk with side lines of
// several branches, and a long single line. Run by hand: bench_schematic_layout [reaches]
// (10000 reaches should take well under a second).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawings/schematic_layout.h"

namespace {

using nivex::drawings::ReachEnds;

// A trunk of `reaches` / 10 manholes; each trunk manhole takes a side line of nine reaches
// that forks once halfway.
std::vector<ReachEnds> Comb(int reaches) {
    std::vector<ReachEnds> r;
    const int trunk = std::max(1, reaches / 10);
    for (int k = 0; k < trunk; ++k) {
        const std::string at = "T" + std::to_string(k);
        r.push_back({at, k + 1 < trunk ? "T" + std::to_string(k + 1) : "OUT"});
        std::string down = at;
        for (int j = 0; j < 8; ++j) {
            const std::string up = "S" + std::to_string(k) + "_" + std::to_string(j);
            r.push_back({up, down});
            if (j == 4) r.push_back({"F" + std::to_string(k), down});
            down = up;
        }
    }
    return r;
}

std::vector<ReachEnds> Line(int reaches) {
    std::vector<ReachEnds> r;
    for (int k = 0; k < reaches; ++k)
        r.push_back({"L" + std::to_string(k + 1), "L" + std::to_string(k)});
    return r;
}

void Time(const char* what, const std::vector<ReachEnds>& reaches) {
    const auto start = std::chrono::steady_clock::now();
    const auto layout = nivex::drawings::SchematicLayout(reaches);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%-12s %6zu reaches %6zu manholes: %.4f s\n", what, reaches.size(),
                layout.manholes.size(), took.count());
}

}  // namespace

int main(int argc, char** argv) {
    const int reaches = argc > 1 ? std::atoi(argv[1]) : 10000;
    Time("comb", Comb(reaches));
    Time("single line", Line(reaches));
    return 0;
}
