#include "quantities/quantity_tables.h"

namespace nivex::quantities {

void QuantityTables::Clear(int sizes) {
    const double sixteenth = sixteenthValue;
    std::array<std::string, kPipeTypeTexts> types = pipeTypes;
    *this = QuantityTables{};
    sixteenthValue = sixteenth;
    pipeTypes = std::move(types);
    sizeCount = sizes < 0 ? 0 : sizes;
    const size_t positions = static_cast<size_t>(sizeCount) + 2;
    for (auto& range : pipes)
        range.assign(positions, PipeCell{});
    connections.assign(positions, 0.0);
    drops.assign(positions, DropCell{});
    removals.assign(positions, PipeCell{});
}

std::string SystemTitle(int system) {
    switch (system) {
        case kSystemNew:
            return "SISTEMA NUEVO";
        case kSystemExisting:
            return "SISTEMA EXISTENTE";
        case kSystemTotal:
            return "SISTEMA TOTAL";
        default:
            return "ETAPA #" + std::to_string(system - kSystemTotal);
    }
}

std::string QuantityFileBase(int system) {
    switch (system) {
        case kSystemNew:
            return "SANNEWQ.";
        case kSystemExisting:
            return "SANOLDQ.";
        case kSystemTotal:
            return "SANALLQ.";
        default:
            return "SANET" + std::to_string(system - kSystemTotal) + "Q.";
    }
}

}  // namespace nivex::quantities
