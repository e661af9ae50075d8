// The price file: the first byte chooses the first duct position.
#include <cstdint>
#include <cstdio>

#include "budget/price_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string path = nivex::fuzz::AsFile("price", data + 1, size - 1);
    const int firstDuct =
        1 + (data[0] + nivex::budget::kPricePositions - 1) % nivex::budget::kPricePositions;
    nivex::budget::UnitPrices prices;
    const auto result = nivex::budget::ReadPriceFile(path, firstDuct, prices);
    if (result.status == nivex::budget::PriceRead::Damaged && result.error.empty())
        __builtin_trap();
    std::string error;
    if (result.status == nivex::budget::PriceRead::Read)
        nivex::budget::WritePriceFile(path, firstDuct, prices, &error);
    std::remove(path.c_str());
    return 0;
}
