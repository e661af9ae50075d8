// The CSV import of a network, checked with the reach screen's rules; the first byte
// picks the system kind and the design class.
#include <cstdint>

#include "fuzz_input.h"
#include "network/reach_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nivex;
    const int knob = fuzz::TakeByte(data, size);
    network::ReachContext context;
    context.espec.SystemKind = 1 + knob % 5;
    context.designClass = (knob / 5) % 10;
    const network::ImportResult result =
        network::ImportReachesCsv(fuzz::AsText(data, size), context);
    if (result.ok()) network::ExportReachesCsv(result.reaches);
    return 0;
}
