// The engine's report: its lines read from a file, then every column and name list taken.
#include <cstdint>
#include <cstdio>

#include "fuzz_input.h"
#include "swmm/swmm_results.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string path = nivex::fuzz::AsFile("report", data + 1, size - 1);
    const int n = data[0] % 40;
    std::vector<std::string> report;
    if (nivex::swmm::ReadTextLines(path, report)) {
        using namespace nivex::swmm;
        for (const LinkColumn* c :
             {&kMaxFlowColumn, &kVelocityColumn, &kDepthColumn, &kFullFlowColumn, &kFroudeColumn})
            ExtractColumn(report, *c, n);
        for (const NameList* l : {&kSurchargedNodes, &kFloodedNodes, &kSurchargedLinks})
            ExtractNames(report, *l, n);
        const auto velocities = ExtractColumn(report, kVelocityColumn, n).values;
        const auto depths = ExtractColumn(report, kDepthColumn, n).values;
        DerivedFroude(velocities, depths, std::vector<double>(static_cast<size_t>(n), 0.3));
    }
    std::remove(path.c_str());
    return 0;
}
