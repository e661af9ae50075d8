// The field rules and cross-rules of the value screens, and the catalogue that reads and
// sets the same values through them.

#include "specs/value_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "specs/criteria_catalog.h"

namespace nivex::specs {
namespace {

using namespace rules;

const std::string kMustBeZero = "ERROR...El Valor debe ser cero ";
const std::string kMustBeGiven = "ERROR...Debe introducir un valor ";

TEST(ValueRules, ManningFieldsFollowTheManningOption) {
    EspecT e = DefaultEspec();  // traditional fixed n
    ASSERT_FALSE(ManningFromRoughness(e));
    EXPECT_EQ(Roughness(false, 0), "");
    EXPECT_EQ(Roughness(false, 0.02), kMustBeZero);
    EXPECT_EQ(Roughness(true, 0.0015), "");
    EXPECT_EQ(Roughness(true, 0.3), "");
    EXPECT_EQ(Roughness(true, 0.31), "Error...El Valor debe estar entre 0.0015 y 0.3 ");
    EXPECT_EQ(Roughness(true, 0.001), "Error...El Valor debe estar entre 0.0015 y 0.3 ");

    const std::string range = "ERROR...El Coef. de Manning debe estar entre 0.009 y 0.015";
    EXPECT_EQ(ManningN(true, 0.02), range);
    EXPECT_EQ(ManningN(true, 0.008), range);
    EXPECT_EQ(ManningN(true, 0.009), "");
    EXPECT_EQ(ManningN(true, 0.015), "");
    EXPECT_EQ(ManningN(false, 0.013), "ERROR...El Valor debe ser cero");
    EXPECT_EQ(ManningNLarge(false, 0.013), "ERROR...El valor debe ser cero");
    EXPECT_EQ(ManningNLarge(true, 0.016), range);

    // Strictly between the first and the last table entry.
    EXPECT_EQ(ManningLimitDiameter(e, true, 1524), "");
    EXPECT_EQ(ManningLimitDiameter(e, true, 145), "ERROR...Debe estar entre 145 y 3000");
    EXPECT_EQ(ManningLimitDiameter(e, true, 3000), "ERROR...Debe estar entre 145 y 3000");
    EXPECT_EQ(ManningLimitDiameter(e, false, 1524), kMustBeZero);
    e.DiameterCount = 10;
    EXPECT_EQ(ManningLimitDiameter(e, true, 1524), "ERROR...Debe estar entre 145 y 670");
}

TEST(ValueRules, DepthChainAndItsFirstInconsistentField) {
    EspecT e = DefaultEspec();  // 0.70, 1.00, 5.00, 5.00
    EXPECT_EQ(FirstInconsistentDepth(e), -1);
    EXPECT_EQ(CrossCheck('F', e), "");
    EXPECT_EQ(MinMinCrownDepth(e, 1.0), "");  // equal is allowed, as a stored 1.0
    EXPECT_EQ(MinMinCrownDepth(e, 1.01),
              "ERROR...No puede ser mayor que la profundidad minima a clave");
    EXPECT_EQ(MinCrownDepth(e, 0.7), "");
    EXPECT_EQ(MinCrownDepth(e, 0.69),
              "ERROR...No puede ser menor que la profundidad minima minimorum a clave");
    EXPECT_EQ(MaxDesirableCrownDepth(e, 0.9),
              "ERROR...No puede ser menor que la profundidad minima a clave");
    EXPECT_EQ(MaxCrownDepth(e, 4.99),
              "ERROR...No puede ser menor que la profundidad maxima deseable");

    e.MaxDesirableCrownDepth = 6;  // above the maximum: field 8 is the first wrong one
    EXPECT_EQ(FirstInconsistentDepth(e), 3);
    EXPECT_EQ(CrossCheck('F', e), "ERROR...No puede ser menor que la profundidad maxima deseable");
    e.MinCrownDepth = 0.5f;  // below the minimum-minimorum: field 5 comes first
    EXPECT_EQ(FirstInconsistentDepth(e), 0);
    e.MinMinCrownDepth = 0.4f;
    EXPECT_EQ(FirstInconsistentDepth(e), 3);
}

TEST(ValueRules, GeneralLimitsAndJunctionSwitches) {
    EXPECT_EQ(OutletCrownLowering(0.06), "");
    EXPECT_EQ(OutletCrownLowering(0.07), "ERROR...Debe Ser menor de 0.06 m");
    EXPECT_EQ(MaxVelocity(3.0), "");
    EXPECT_EQ(MaxVelocity(2.99), "ERROR...No puede ser menor de 3.00 m/s");
    // Below 0.05 is said; only below 0.049 is refused.
    EXPECT_EQ(MinDesignSlope(0.049), "");
    EXPECT_EQ(MinDesignSlopeWarning(0.049), "ERROR...No puede ser menor de 0.05");
    EXPECT_EQ(MinDesignSlope(0.048), "ERROR...No puede ser menor de 0.05");
    EXPECT_EQ(MinDesignSlopeWarning(0.05), "");

    EXPECT_EQ(JunctionSwitch(true, 0), kMustBeGiven);
    EXPECT_EQ(JunctionSwitch(true, 150), "");
    EXPECT_EQ(JunctionSwitch(false, 150), kMustBeZero);
    EXPECT_EQ(JunctionSwitch(false, 0), "");

    EspecT e = DefaultEspec();
    EXPECT_TRUE(CrownJoinAllowed(e));
    e.AvoidCriticalDiameter = 600;
    EXPECT_FALSE(CrownJoinAllowed(e));
    EXPECT_EQ(CrownJoinValue(false, 595), kMustBeZero);
    EXPECT_EQ(CrownJoinValue(true, 595), "");
}

TEST(ValueRules, SanitaryFixedCoefficientsAndPairs) {
    // The fixed maximum hourly coefficient: 1.8 taken, 0.9 and 0 refused.
    EXPECT_EQ(FixedPeakCoefficient(true, 1.8), "");
    EXPECT_EQ(FixedPeakCoefficient(true, 0.9), "ERROR...El valor debe ser mayor de 1 ");
    EXPECT_EQ(FixedPeakCoefficient(true, 1.0), "ERROR...El valor debe ser mayor de 1 ");
    EXPECT_EQ(FixedPeakCoefficient(true, 0), kMustBeGiven);
    EXPECT_EQ(FixedPeakCoefficient(false, 1.8), kMustBeZero);

    EXPECT_EQ(FixedMinCoefficient(true, 1.0), "");
    EXPECT_EQ(FixedMinCoefficient(true, 1.1), "ERROR...El valor no debe ser mayor de 1 ");
    EXPECT_EQ(FixedMinCoefficient(true, 0), kMustBeGiven);

    EXPECT_EQ(MinMinTractive(true, 0.2, 0.1),
              " ERROR...No puede ser mayor que la fuerza tractiva minima");
    EXPECT_EQ(MinMinTractive(true, 0, 0.1), " ERROR...Debe introducir un valor");
    EXPECT_EQ(MinTractive(true, 0.05, 0.1),
              " ERROR...No puede ser menor que la fuerza tractiva minima minimorum");
    EXPECT_EQ(MinMinRealVelocity(true, 0.7, 0.6),
              " ERROR...No puede ser mayor que la velocidad real minima");
    EXPECT_EQ(MinRealVelocity(true, 0.5, 0.6),
              " ERROR...No puede ser menor que la velocidad real minima minimorum");
    // A partner left unspecified (0) is not compared.
    EXPECT_EQ(MinMinRealVelocity(true, 0.7, 0), "");

    EspecT e = DefaultEspec();
    EXPECT_EQ(CrossCheck('G', e), "");
    e.SanMinMinTractive100 = 20;
    EXPECT_EQ(CrossCheck('G', e), " ERROR...No puede ser mayor que la fuerza tractiva minima");
    e.StormMinMinRealVelocity = 0.9f;
    e.StormMinRealVelocity = 0.6f;
    EXPECT_EQ(CrossCheck('H', e), " ERROR...No puede ser mayor que la velocidad real minima");

    EXPECT_EQ(MaxFilling(0.69), "ERROR...No puede ser menor de 0.70");
    EXPECT_EQ(MaxFilling(0.83), "ERROR...No puede ser mayor de 0.82");
    EXPECT_EQ(MaxFilling(0.82), "");
    EXPECT_EQ(PositiveValue(0), "ERROR...No puede ser cero");
    EXPECT_EQ(RunoffCoefficient(1.01), "Error...El valor no puede ser mayor de 1");
}

TEST(ValueRules, CommercialDiameterOffersTheNearest) {
    const EspecT e = DefaultEspec();
    int nearest = 0;
    EXPECT_EQ(CommercialDiameter(e, 227, &nearest), "");
    EXPECT_EQ(CommercialDiameter(e, 200, &nearest),
              "Error...No existe ese diametro. Posiblemente Es 182");
    EXPECT_EQ(nearest, 182);
    EXPECT_EQ(CommercialDiameter(e, 205, &nearest),
              "Error...No existe ese diametro. Posiblemente Es 227");  // 23 against 22: upper
    EXPECT_EQ(CommercialDiameter(e, 3100, &nearest), "ERROR...Diametro comercial no incluido");
}

TEST(ValueRules, ConstructionSumsBeddingAndReductionOrder) {
    EspecT e = DefaultEspec();
    EXPECT_EQ(CrossCheck('K', e), "");
    e.ConstructionData[kDryCommon] = 60;
    e.ConstructionData[kWetRock] = 39.99f;
    EXPECT_EQ(ExcavationSum(e), "ERROR...Los porcentajes no suman 100.00");
    e.ConstructionData[kWetRock] = 40;
    EXPECT_EQ(ExcavationSum(e), "");
    e.ConstructionData[kFillBorrowed] = 10;
    EXPECT_EQ(CrossCheck('K', e), "ERROR...Los porcentajes no suman 100.00");
    e.ConstructionData[kFillExcavated] = 90;
    EXPECT_EQ(CrossCheck('K', e), "");  // gravel 1, concrete 3

    const std::string bedding =
        "ERROR...Debe especificar al concreto mayor profundidad que al recebo";
    EXPECT_EQ(BeddingOrder(3, 3), bedding);
    EXPECT_EQ(BeddingOrder(3, 2), bedding);
    EXPECT_EQ(BeddingOrder(0, 1), "");
    EXPECT_EQ(BeddingOrder(2, 0), "");

    const std::string order = "ERROR...Los valores deben estar ordenados de mayor a menor";
    EXPECT_EQ(CrossCheck('O', e), "");
    EXPECT_EQ(ReductionFactor(e, 1, 0.99), order);  // equal to the one before
    EXPECT_EQ(ReductionFactor(e, 0, 1.5), "");
    e.ReductionFactors[3] = 0.95f;
    EXPECT_EQ(CrossCheck('O', e), order);
}

const CriteriaValueDef* Find(char screen, int record, int offset, int index = -1) {
    for (const CriteriaValueDef& d : ValueScreenValues())
        if (d.screen == screen && d.record == record && d.offset == offset && d.index == index)
            return &d;
    return nullptr;
}

TEST(ValueCatalogue, HoldsEveryValueOfTheScreens) {
    const auto& values = ValueScreenValues();
    const auto count = [&](char letter) {
        return std::count_if(values.begin(), values.end(),
                             [letter](const CriteriaValueDef& d) { return d.screen == letter; });
    };
    EXPECT_EQ(count('F'), 16);
    EXPECT_EQ(count('G'), 12);
    EXPECT_EQ(count('H'), 8);
    EXPECT_EQ(count('I'), 1 + 3 * kMaxZones);
    EXPECT_EQ(count('J'), 1 + 5 * kMaxEquations);
    EXPECT_EQ(count('S'), 3 + kSeriesValues * kMaxSeries);
    EXPECT_EQ(count('L'), 11);
    EXPECT_EQ(count('O'), 5);
    EXPECT_EQ(count('K'), 15 + 3);
    const CriteriaValueDef* roughness = Find('F', 2, 494);
    ASSERT_NE(roughness, nullptr);
    EXPECT_EQ(roughness->description, "Usar [n] variable con diam.- Rugosidad Absoluta de:");
    const CriteriaValueDef* coefficient = Find('G', 0, 126);
    ASSERT_NE(coefficient, nullptr);
    EXPECT_EQ(coefficient->description, "Coef. Minimo Diseño - Relacion (Qinicial/Qfinal)  :");
    EXPECT_NE(Find('I', 2, 12, 14), nullptr);   // density of zone 15
    EXPECT_NE(Find('S', 2, 190, 74), nullptr);  // last value of series 5
}

TEST(ValueCatalogue, SetsThroughTheFieldRules) {
    EspecT e = DefaultEspec();
    shell::ProyectoT h;
    const CriteriaValueDef* peak = Find('G', 0, 114);
    ASSERT_NE(peak, nullptr);
    EXPECT_EQ(peak->set(e, h, "1.8"), kMustBeZero);  // not the fixed-value method
    e.PeakMethod = 6;
    EXPECT_EQ(peak->set(e, h, "0.9"), "ERROR...El valor debe ser mayor de 1 ");
    EXPECT_EQ(peak->set(e, h, "0"), kMustBeGiven);
    EXPECT_EQ(peak->set(e, h, "1.8"), "");
    EXPECT_FLOAT_EQ(e.FixedPeakCoefficient, 1.8f);
    EXPECT_EQ(peak->get(e, h), "1.80");

    // An inactive field reads 0 and keeps what it holds.
    const CriteriaValueDef* roughness = Find('F', 2, 494);
    EXPECT_EQ(roughness->get(e, h), "0");
    EXPECT_EQ(roughness->set(e, h, "0"), "");
    EXPECT_FLOAT_EQ(e.AbsoluteRoughness, 0.03f);

    // The field's own limits and decimals come first.
    const CriteriaValueDef* interval = Find('S', 2, 184);
    EXPECT_EQ(interval->set(e, h, "4"), "Error...El valor no puede ser menor de 5");
    EXPECT_EQ(interval->set(e, h, "15"), "");
    EXPECT_EQ(e.SeriesInterval, 15);

    // Tractive forces are kept ×100; the crown-join drop in centimetres.
    EXPECT_EQ(Find('G', 0, 36)->set(e, h, "0.15"), "");
    EXPECT_EQ(e.SanMinTractive100, 15);
    EXPECT_EQ(Find('F', 0, 22)->get(e, h), "0.75");
    EXPECT_EQ(Find('F', 0, 22)->set(e, h, "0.5"), "");
    EXPECT_EQ(e.CrownJoinDropCm, 50);

    // The filling carries its hydraulic ratio along.
    const float ratio = e.MaxFillingRatio;
    EXPECT_EQ(Find('G', 0, 46)->set(e, h, "0.80"), "");
    EXPECT_GT(e.MaxFillingRatio, ratio);
    EXPECT_FLOAT_EQ(e.MaxFillingRatio, static_cast<float>(FlowRatioAtDepth(0.80f)));

    EXPECT_EQ(Find('G', 0, 38)->set(e, h, "200"),
              "Error...No existe ese diametro. Posiblemente Es 182");
    EXPECT_EQ(e.MinSanitaryDiameter, 182);

    EXPECT_EQ(Find('K', 1, 64, 1)->set(e, h, "Tuberia PVC"), "");
    EXPECT_EQ(e.PipeTypes[1], "Tuberia PVC");
    EXPECT_EQ(ValueScreenCrossCheck('K', e, h), "");
}

}  // namespace
}  // namespace nivex::specs
