// The reach file and its index: after the first byte, the reach records and then the
// index entries, as many of each (an odd first byte gives the bytes left over to the
// reach file); the first byte also picks the Manning n of existing reaches.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "fuzz_input.h"
#include "network/reach_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nivex;
    const int knob = fuzz::TakeByte(data, size);
    const size_t pair = network::kTramoSize + network::kIndiceSize;
    const size_t records = size / pair;
    const size_t reachBytes = records * network::kTramoSize + ((knob & 1) ? size % pair : 0);
    const std::string reaches = fuzz::AsFile("reaches", data, reachBytes);
    const std::string index = fuzz::AsFile("index", data + reachBytes, size - reachBytes);
    {
        network::ReachFile file;
        if (file.Open(reaches, index, 0.009f + 0.001f * static_cast<float>((knob >> 1) % 8))) {
            const int lines = std::min(file.count(), 64);
            network::TramoT t;
            for (int line = 1; line <= lines; ++line) {
                file.ReadLine(line, t);
                file.Read(line, t);
            }
        }
        file.Close();
    }
    std::remove(reaches.c_str());
    std::remove(index.c_str());
    return 0;
}
