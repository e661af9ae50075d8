// The budget file of one system: the first byte chooses the number of size positions.
#include <cstdint>
#include <cstdio>

#include "budget/budget_run.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string path = nivex::fuzz::AsFile("budget", data + 1, size - 1);
    const int sizes = 1 + (data[0] + 59) % 60;
    nivex::budget::BudgetValues values;
    const auto result = nivex::budget::ReadBudgetFile(path, sizes, values);
    if (result.status == nivex::budget::PriceRead::Damaged && result.error.empty())
        __builtin_trap();
    std::string error;
    if (result.status == nivex::budget::PriceRead::Read)
        nivex::budget::WriteBudgetFile(path, values, &error);
    std::remove(path.c_str());
    return 0;
}
