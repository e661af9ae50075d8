// A SWMM 5 input file as "Entrar Archivo Swmm" reads it.

#include "fuzz_input.h"
#include "swmm/model_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    nivex::swmm::ImportedModel model;
    nivex::swmm::ImportRefusal refusal;
    if (!nivex::swmm::ParseSwmmModel(nivex::fuzz::AsText(data, size), model, refusal) &&
        refusal.message.empty())
        __builtin_trap();  // a refusal always says why
    return 0;
}
