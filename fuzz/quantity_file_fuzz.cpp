// The quantity file: the first byte chooses the number of size positions.
#include <cstdint>
#include <cstdio>

#include "fuzz_input.h"
#include "quantities/quantity_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string path = nivex::fuzz::AsFile("quantity", data + 1, size - 1);
    const int sizes = 1 + (data[0] + 59) % 60;
    nivex::quantities::QuantityTables tables;
    const auto result = nivex::quantities::ReadQuantityFile(path, sizes, tables);
    if (result.status == nivex::quantities::FileRead::Damaged && result.error.empty())
        __builtin_trap();
    std::string error;
    if (result.status == nivex::quantities::FileRead::Read)
        nivex::quantities::WriteQuantityFile(path, tables, &error);
    std::remove(path.c_str());
    return 0;
}
