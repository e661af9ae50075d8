#include "specs/table_rules.h"

#include <array>

namespace nivex::specs {
namespace {

constexpr const char* kPipeCountError =
    "El numero maximo de diametros comerciales debe estar comprendido entre 5 y 30";
constexpr const char* kDuctCountError = "El numero de ductos no puede ser cero ni negativo";
constexpr const char* kSumError = "La suma de numero y diametros y ductos no debe ser mayor que 60";
constexpr const char* kDiameterOrderError =
    "ERROR...Los diametros no estan en estricto orden ascendente. Revise y Corrija";
constexpr const char* kAscendingError =
    "ERROR...Los valores deben estar ordenados de menor a mayor";
constexpr const char* kSlopeError = "Error...El valor no puede ser menor de 0.01";

// The range values of the given slots, in order.
template <size_t N>
std::array<double, N> RangeValues(const EspecT& e, const std::array<int, N>& slots) {
    std::array<double, N> values{};
    for (size_t k = 0; k < N; ++k)
        values[k] = RangeValue(e, slots[k]);
    return values;
}

template <size_t N>
bool StrictlyAscending(const std::array<double, N>& values) {
    for (size_t k = 1; k < N; ++k)
        if (!(values[k - 1] < values[k])) return false;
    return true;
}

// A field that must lie above the one before it (the first has none).
template <size_t N>
std::string AbovePrevious(const EspecT& e, const std::array<int, N>& slots, int k, double value) {
    if (k <= 0 || k >= static_cast<int>(N)) return {};
    return value > RangeValue(e, slots[static_cast<size_t>(k - 1)]) ? "" : kAscendingError;
}

}  // namespace

std::string PipeCountRule(int pipes) {
    return pipes >= kMinPipeCount && pipes <= kMaxPipeCount ? "" : kPipeCountError;
}

std::string DuctCountRule(int pipes, int ducts) {
    if (ducts < 1) return kDuctCountError;
    if (pipes + ducts > kMaxPipesAndDucts) return kSumError;
    return {};
}

std::string MaxDiametersCrossRule(const EspecT& e) {
    std::string message = PipeCountRule(e.DiameterCount);
    if (message.empty()) message = DuctCountRule(e.DiameterCount, e.SectionCount - e.DiameterCount);
    return message;
}

std::string DiameterOrderRule(const EspecT& e) {
    const int n = UsedDiameters(e);
    for (int i = 1; i < n; ++i)
        if (!(e.Diameters[static_cast<size_t>(i - 1)] < e.Diameters[static_cast<size_t>(i)]))
            return kDiameterOrderError;
    return {};
}

std::string MinimumSlopeRule(double slope) {
    return slope >= kMinSlope ? "" : kSlopeError;
}

std::string ExcavationLimitRule(const EspecT& e, int range, double value) {
    return AbovePrevious(e, kExcavationLimitSlots, range, value);
}

std::string ExcavationOrderRule(const EspecT& e) {
    return StrictlyAscending(RangeValues(e, kExcavationLimitSlots)) ? "" : kAscendingError;
}

std::string TrenchWidthRule(const EspecT& e, int k, double value) {
    if (k <= 0 || k >= static_cast<int>(kTrenchOverWidthSlots.size())) return {};
    const double previous = RangeValue(e, kTrenchOverWidthSlots[static_cast<size_t>(k - 1)]);
    return value >= previous ? "" : kAscendingError;
}

std::string TrenchOrderRule(const EspecT& e) {
    // The second above the first and below the third, the fourth above the third.
    return StrictlyAscending(RangeValues(e, kTrenchOverWidthSlots)) ? "" : kAscendingError;
}

std::string ManholeLimitRule(const EspecT& e, int range, double value) {
    return AbovePrevious(e, kManholeLimitSlots, range, value);
}

std::string ManholeLimitOrderRule(const EspecT& e) {
    return StrictlyAscending(RangeValues(e, kManholeLimitSlots)) ? "" : kAscendingError;
}

std::string ManholeDiameterRule(const EspecT& e, int k, int value) {
    return k == 1 && value <= e.Manhole120Diameter ? kAscendingError : "";
}

std::string ManholeDiameterOrderRule(const EspecT& e) {
    return e.Manhole120Diameter < e.Manhole180Diameter ? "" : kAscendingError;
}

}  // namespace nivex::specs
