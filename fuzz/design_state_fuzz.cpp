// The design state file: read whole, then written back and read again.
#include <cstdint>
#include <cstdio>

#include "design/alternatives_table.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = nivex::fuzz::AsFile("design", data, size);
    nivex::design::AlternativesTable table;
    std::string error;
    if (nivex::design::ReadDesignState(table, path, &error)) {
        nivex::design::SortAlternatives(table);
        if (nivex::design::WriteDesignState(table, path, &error))
            nivex::design::OpenDesignState(table, path, &error);
    } else if (error.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    std::remove(path.c_str());
    return 0;
}
