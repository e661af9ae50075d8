// How long the hydraulics of one reach take: every relation the design evaluates for a
// reach, in both partial-flow modes. Run by hand: bench_hydraulics [reaches]
// (a million reaches should take under a second in a Release build).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "design/hydraulics.h"

namespace {

using namespace nivex::design;

// One reach: every relation of the library once, each fed by the ones before, as the
// design sizes, slopes and evaluates a reach. The inputs drift a little from reach to
// reach so that nothing is computed once for all.
double Reach(const HydraulicCriteria& c, int i) {
    const float q = 12.0f + static_cast<float>(i % 97) * 0.5f;  // l/s
    const float s = 0.4f + static_cast<float>(i % 13) * 0.05f;  // %
    const float qmax = FlowRatioFromDepth(c, 0.75f);
    float d = DiameterForVelocity(c, 5.0f, qmax, q);
    d = std::max(d, DiameterForFlow(c, qmax, q, 0.013f, s));
    d = CommercialSize(c, d);
    const float n = ReachManningN(c, 0, d);
    const float asce = AsceManningN(c, d);
    float slope = SlopeForFullVelocity(c, d, n, RasMinimumVelocity(c, d));
    slope = std::max(slope, SlopeForRealVelocity(c, 1.5f, 0.45f, d, n));
    slope = std::max(slope, SlopeForFlow(c, qmax, q, n, d));
    slope = std::max(slope, SlopeForTractiveForce(c, 0.10f, d, n, 1.5f));
    slope = std::max(slope, SlopeForTau015(c, d));
    float froude = 0;
    slope = SlopeAvoidingCriticalFlow(c, slope, q, d, n, froude);
    const float q0 = FullFlow(c, n, slope, d), v0 = FullVelocity(c, n, slope, d);
    const float ratio = q / q0;
    const float yd = DepthRatio(c, d, ratio);
    const float v = PartialVelocity(c, d, ratio, v0);
    const float critical = CriticalDepthRatio(0.1f + 0.001f * static_cast<float>(i % 7));
    return yd + v + FroudeNumber(ratio, d, v) + TractiveForce(c, Round2(1.5f / q0), d, slope) +
           SulfideIndex(yd, q, slope, c.waterTemperature, c.bod5) + froude + asce +
           HydraulicDepthRatio(ratio) + AreaRatio(critical) + HalfAngle(yd) + TopWidthRatio(yd);
}

}  // namespace

int main(int argc, char** argv) {
    const int reaches = argc > 1 ? std::atoi(argv[1]) : 1000000;
    for (bool variable : {false, true}) {
        HydraulicCriteria c = DefaultCriteria();
        c.variableRelations = variable;
        c.froudeLower = 0.9f;
        c.froudeUpper = 1.1f;
        ReadData1();
        ReadData2();
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        double sum = 0;
        for (int i = 0; i < reaches; ++i)
            sum += Reach(c, i);
        const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%s: %d reaches in %.3f s, %.3f s of processor (%.0f ns each; checksum %.6g)\n",
                    variable ? "n/N variable" : "n/N = 1", reaches, took.count(), cpu,
                    cpu * 1e9 / reaches, sum);
    }
    return 0;
}
