#include "specs/value_rules.h"

#include <cmath>
#include <string>

namespace nivex::specs::rules {
namespace {

const std::string kMustBeZero = "ERROR...El Valor debe ser cero ";
const std::string kMustBeGiven = "ERROR...Debe introducir un valor ";
const std::string kNotZero = "ERROR...No puede ser cero";
const std::string kManningRange = "ERROR...El Coef. de Manning debe estar entre 0.009 y 0.015";
const std::string kPercentSum = "ERROR...Los porcentajes no suman 100.00";
const std::string kDescending = "ERROR...Los valores deben estar ordenados de mayor a menor";
const std::string kTractiveAbove = " ERROR...No puede ser mayor que la fuerza tractiva minima";
const std::string kTractiveBelow =
    " ERROR...No puede ser menor que la fuerza tractiva minima minimorum";
const std::string kVelocityAbove = " ERROR...No puede ser mayor que la velocidad real minima";
const std::string kVelocityBelow =
    " ERROR...No puede ser menor que la velocidad real minima minimorum";

// As stored: a typed 0.3 compares equal to the limit 0.3.
float F(double v) {
    return static_cast<float>(v);
}

std::string ZeroUnlessActive(bool active, double v, const std::string& message = kMustBeZero) {
    return !active && F(v) != 0 ? message : std::string();
}

std::string WholeText(double v) {
    return std::to_string(std::lround(v));
}

// The sums are of values typed with two decimals.
bool AddsUpTo100(const EspecT& e, int first, int last) {
    double sum = 0;
    for (int i = first; i <= last; ++i)
        sum += e.ConstructionData[static_cast<size_t>(i)];
    return std::fabs(sum - 100.0) < 0.005;
}

// A pair member compared with its partner only while the partner is specified.
bool Above(double v, double other) {
    return F(other) != 0 && F(v) > F(other);
}

}  // namespace

bool ManningFromRoughness(const EspecT& e) {
    return e.ManningOption == 0;
}

bool CrownJoinAllowed(const EspecT& e) {
    return e.EnergyJunctionDiameter == 0 && e.AvoidCriticalDiameter == 0;
}

std::string Roughness(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v);
    if (F(v) < 0.0015f || F(v) > 0.3f) return "Error...El Valor debe estar entre 0.0015 y 0.3 ";
    return {};
}

std::string ManningN(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v, "ERROR...El Valor debe ser cero");
    if (F(v) < 0.009f || F(v) > 0.015f) return kManningRange;
    return {};
}

std::string ManningLimitDiameter(const EspecT& e, bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v);
    const int n = UsedDiameters(e);
    const float first = e.Diameters[0];
    const float last = e.Diameters[static_cast<size_t>(n - 1)];
    if (F(v) <= first || F(v) >= last)
        return "ERROR...Debe estar entre " + WholeText(first) + " y " + WholeText(last);
    return {};
}

std::string ManningNLarge(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v, "ERROR...El valor debe ser cero");
    if (F(v) < 0.009f || F(v) > 0.015f) return kManningRange;
    return {};
}

std::string MinMinCrownDepth(const EspecT& e, double v) {
    if (F(v) > e.MinCrownDepth)
        return "ERROR...No puede ser mayor que la profundidad minima a clave";
    return {};
}

std::string MinCrownDepth(const EspecT& e, double v) {
    if (F(v) < e.MinMinCrownDepth)
        return "ERROR...No puede ser menor que la profundidad minima minimorum a clave";
    return {};
}

std::string MaxDesirableCrownDepth(const EspecT& e, double v) {
    if (F(v) < e.MinCrownDepth)
        return "ERROR...No puede ser menor que la profundidad minima a clave";
    return {};
}

std::string MaxCrownDepth(const EspecT& e, double v) {
    if (F(v) < e.MaxDesirableCrownDepth)
        return "ERROR...No puede ser menor que la profundidad maxima deseable";
    return {};
}

int FirstInconsistentDepth(const EspecT& e) {
    if (!MinMinCrownDepth(e, e.MinMinCrownDepth).empty()) return 0;
    if (!MinCrownDepth(e, e.MinCrownDepth).empty()) return 1;
    if (!MaxDesirableCrownDepth(e, e.MaxDesirableCrownDepth).empty()) return 2;
    if (!MaxCrownDepth(e, e.MaxCrownDepth).empty()) return 3;
    return -1;
}

std::string CrownJoinValue(bool active, double v) {
    return ZeroUnlessActive(active, v);
}

std::string OutletCrownLowering(double v) {
    return F(v) > 0.06f ? "ERROR...Debe Ser menor de 0.06 m" : "";
}

std::string MaxVelocity(double v) {
    return F(v) < 3.0f ? "ERROR...No puede ser menor de 3.00 m/s" : "";
}

std::string MinDesignSlope(double v) {
    return F(v) < 0.049f ? "ERROR...No puede ser menor de 0.05" : "";
}

std::string MinDesignSlopeWarning(double v) {
    return F(v) >= 0.049f && F(v) < 0.05f ? "ERROR...No puede ser menor de 0.05" : "";
}

std::string JunctionSwitch(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v);
    return F(v) == 0 ? kMustBeGiven : "";
}

std::string PositiveValue(double v) {
    return F(v) <= 0 ? kNotZero : "";
}

std::string FixedPeakCoefficient(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v);
    if (F(v) == 0) return kMustBeGiven;
    if (F(v) <= 1) return "ERROR...El valor debe ser mayor de 1 ";
    return {};
}

std::string MinMinTractive(bool active, double v, double minimum) {
    if (!active) return ZeroUnlessActive(active, v);
    if (F(v) == 0) return " ERROR...Debe introducir un valor";
    return Above(v, minimum) ? kTractiveAbove : "";
}

std::string MinTractive(bool active, double v, double minMin) {
    if (!active) return ZeroUnlessActive(active, v);
    return F(v) != 0 && Above(minMin, v) ? kTractiveBelow : "";
}

std::string MinMinRealVelocity(bool active, double v, double minimum) {
    if (!active) return ZeroUnlessActive(active, v);
    return Above(v, minimum) ? kVelocityAbove : "";
}

std::string MinRealVelocity(bool active, double v, double minMin) {
    if (!active) return ZeroUnlessActive(active, v);
    return F(v) != 0 && Above(minMin, v) ? kVelocityBelow : "";
}

std::string FixedMinCoefficient(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v);
    if (F(v) <= 0) return kMustBeGiven;
    if (F(v) > 1) return "ERROR...El valor no debe ser mayor de 1 ";
    return {};
}

std::string GivenWhenActive(bool active, double v) {
    if (!active) return ZeroUnlessActive(active, v);
    return F(v) == 0 ? kMustBeGiven : "";
}

std::string MaxFilling(double v) {
    if (F(v) < 0.70f) return "ERROR...No puede ser menor de 0.70";
    if (F(v) > 0.82f) return "ERROR...No puede ser mayor de 0.82";
    return {};
}

std::string RunoffCoefficient(double v) {
    if (F(v) <= 0) return kNotZero;
    if (F(v) > 1) return "Error...El valor no puede ser mayor de 1";
    return {};
}

std::string CommercialDiameter(const EspecT& e, double v, int* nearest) {
    const auto match = NearestCommercialDiameter(e, v);
    if (!match) return "ERROR...Diametro comercial no incluido";
    if (nearest) *nearest = *match;
    if (*match != v)
        return "Error...No existe ese diametro. Posiblemente Es " + std::to_string(*match);
    return {};
}

std::string ReductionFactor(const EspecT& e, int k, double v) {
    if (k > 0 && F(v) >= e.ReductionFactors[static_cast<size_t>(k - 1)]) return kDescending;
    return {};
}

std::string ExcavationSum(const EspecT& e) {
    return AddsUpTo100(e, kDryCommon, kWetRock) ? "" : kPercentSum;
}

std::string FillSum(const EspecT& e) {
    return AddsUpTo100(e, kFillExcavated, kFillSelected) ? "" : kPercentSum;
}

std::string BeddingOrder(int gravelCode, int concreteCode) {
    if (gravelCode != 0 && concreteCode != 0 && concreteCode <= gravelCode)
        return "ERROR...Debe especificar al concreto mayor profundidad que al recebo";
    return {};
}

std::string CrossCheck(char letter, const EspecT& e) {
    switch (letter) {
        case 'F': {
            switch (FirstInconsistentDepth(e)) {
                case 0:
                    return MinMinCrownDepth(e, e.MinMinCrownDepth);
                case 1:
                    return MinCrownDepth(e, e.MinCrownDepth);
                case 2:
                    return MaxDesirableCrownDepth(e, e.MaxDesirableCrownDepth);
                case 3:
                    return MaxCrownDepth(e, e.MaxCrownDepth);
                default:
                    return {};
            }
        }
        case 'G':
            if (Above(e.SanMinMinTractive100, e.SanMinTractive100)) return kTractiveAbove;
            if (Above(e.SanMinMinRealVelocity, e.SanMinRealVelocity)) return kVelocityAbove;
            return {};
        case 'H':
            if (Above(e.StormMinMinTractive, e.StormMinTractive)) return kTractiveAbove;
            if (Above(e.StormMinMinRealVelocity, e.StormMinRealVelocity)) return kVelocityAbove;
            return {};
        case 'O':
            for (int k = 1; k < kReductionFactors; ++k)
                if (auto m = ReductionFactor(e, k, e.ReductionFactors[static_cast<size_t>(k)]);
                    !m.empty())
                    return m;
            return {};
        case 'K': {
            if (auto m = ExcavationSum(e); !m.empty()) return m;
            if (auto m = FillSum(e); !m.empty()) return m;
            return BeddingOrder(static_cast<int>(e.ConstructionData[kBeddingGravelCode]),
                                static_cast<int>(e.ConstructionData[kBeddingConcreteCode]));
        }
        default:
            return {};
    }
}

}  // namespace nivex::specs::rules
