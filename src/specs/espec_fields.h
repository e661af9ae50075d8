#pragma once
// Where every field of EspecT lives in its record: the one table that decoding, encoding
// and the non-finite repair walk. A visitor receives (offset, field) per field:
//   i16(off, int), f32(off, float), f64(off, double), byte(off, uint8_t),
//   text(off, n, string), zeros(off, n) for reserved bytes written as zeros.

#include <cstddef>

#include "specs/espec.h"

namespace nivex::specs::detail {

// Built-in tables the repairs fall back on.
std::array<float, kSeriesValues> DefaultFirstSeries();
// The built-in diameter table into both the table and its copy.
void ApplyDefaultDiameterTable(EspecT& e);

template <class E, class V>
void VisitRecord0(E& e, V& v) {
    v.i16(10, e.PeakMethod);
    v.i16(18, e.WaterTemperature);
    v.i16(20, e.Bod5);
    v.i16(22, e.CrownJoinDropCm);
    v.i16(24, e.CrownJoinDiameter);
    v.i16(26, e.SystemKind);
    v.i16(34, e.SanMinMinTractive100);
    v.i16(36, e.SanMinTractive100);
    v.i16(38, e.MinSanitaryDiameter);
    v.i16(40, e.MinStormDiameter);
    v.f32(42, e.ManningN);
    v.f32(46, e.MaxFilling);
    v.f32(50, e.MaxVelocity);
    v.f32(54, e.MinDropHeight);
    v.f32(58, e.MinCrownDepth);
    v.f32(62, e.MaxCrownDepth);
    v.f32(66, e.MaxFillingRatio);
    v.f32(70, e.OutletCrownLowering);
    v.f32(74, e.MaxDesirableCrownDepth);
    v.f32(78, e.DesignRunValue);
    v.f32(82, e.MinDesignSlope);
    v.f32(86, e.EnergyJunctionDiameter);
    v.f32(90, e.MinConcentrationTime);
    v.f32(94, e.MinMinCrownDepth);
    v.f32(98, e.SanMinFullVelocity);
    v.f32(102, e.MinCoefficientMethod);
    v.f32(106, e.SanMinRealVelocity);
    v.f32(110, e.SanMinFlow);
    v.f32(114, e.FixedPeakCoefficient);
    v.f32(118, e.RunoffCoefficient);
    v.f32(122, e.StormMinFullVelocity);
    v.f32(126, e.FixedMinCoefficient);
    v.f32(130, e.ExistingReachManningN);
    v.f32(258, e.AvoidCriticalDiameter);
    v.f32(266, e.SanMinMinRealVelocity);
    v.f32(270, e.StormMinTractive);
    v.f32(274, e.StormMinMinTractive);
    v.f32(278, e.StormMinRealVelocity);
    v.f32(282, e.StormMinMinRealVelocity);
    v.f32(286, e.RasStormTractive);
    v.f32(290, e.RasRainfallModel);
    v.f32(294, e.RasProtectionDegree);
    v.f32(298, e.Reserved298);
    for (size_t i = 0; i < kReductionFactors; ++i)
        v.f32(302 + 4 * i, e.ReductionFactors[i]);
    v.f32(322, e.SwmmRouting);
    v.f32(326, e.HydraulicRelations);
    v.f32(330, e.ManningLimitDiameter);
    v.f32(334, e.ManningNLarge);
}

template <class E, class V>
void VisitRecord1(E& e, V& v) {
    for (size_t i = 0; i < kConstructionItems; ++i)
        v.f32(4 * i, e.ConstructionData[i]);
    for (size_t i = 0; i < kPipeTypes; ++i)
        v.text(64 + 81 * i, 80, e.PipeTypes[i]);
    v.f64(307, e.AlternativesRunDays);
    v.text(315, 55, e.ListingIdentification);
    v.byte(371, e.FromSwmm);
    v.i16(372, e.DiameterCount);
    v.i16(374, e.SectionCount);
}

template <class E, class V>
void VisitRecord2(E& e, V& v) {
    v.f32(0, e.ZoneCount);
    for (size_t z = 0; z < kMaxZones; ++z) {
        v.f32(4 + 12 * z, e.Zones[z].sewageFlow);
        v.f32(8 + 12 * z, e.Zones[z].infiltration);
        v.f32(12 + 12 * z, e.Zones[z].density);
    }
    v.i16(184, e.SeriesInterval);
    v.i16(186, e.SeriesCount);
    v.i16(188, e.CurrentSeries);
    for (size_t s = 0; s < kMaxSeries; ++s)
        for (size_t i = 0; i < kSeriesValues; ++i)
            v.f32(190 + 60 * s + 4 * i, e.Series[s][i]);
    v.i16(490, e.FloodedNodes);
    v.i16(492, e.SurchargedNodes);
    v.f32(494, e.AbsoluteRoughness);
}

template <class E, class V>
void VisitRecord3(E& e, V& v) {
    for (size_t i = 0; i < kMaxDiameters; ++i) {
        v.f32(4 * i, e.DiameterCopy[i]);
        v.f32(120 + 4 * i, e.Diameters[i]);
        v.f32(240 + 4 * i, e.MinimumSlopes[i]);
    }
    for (size_t i = 0; i < kRainBasins; ++i) {
        v.f32(360 + 4 * i, e.SwmmWidths[i]);
        v.f32(380 + 4 * i, e.SwmmSlopes[i]);
    }
    v.f32(400, e.SwmmAdjustment);
    v.i16(404, e.InfiltrationModel);
}

template <class E, class V>
void VisitRecord4(E& e, V& v) {
    v.f32(0, e.EquationCount);
    for (size_t k = 0; k < kMaxEquations; ++k) {
        auto& q = e.Equations[k];
        const size_t at = 8 + 48 * (k + 1);  // equation 1 starts at 56
        v.f32(at, q.frequency);
        v.f32(at + 4, q.durationBound);
        v.f32(at + 8, q.a);
        v.f32(at + 12, q.b);
        v.f32(at + 16, q.n);
        v.f32(at + 20, q.m);
        v.f32(at + 24, q.reserved1);
        v.f32(at + 28, q.a2);
        v.f32(at + 32, q.b2);
        v.f32(at + 36, q.n2);
        v.f32(at + 40, q.m2);
        v.f32(at + 44, q.reserved2);
    }
}

template <class E, class V>
void VisitRecord5(E& e, V& v) {
    for (size_t j = 0; j < kRangeTexts; ++j)
        v.text(5 * j, 4, e.RangeTexts[j]);
    v.i16(65, e.Manhole120Diameter);
    v.i16(67, e.Manhole180Diameter);
    v.zeros(69, 92);
    v.i16(161, e.ManningOption);
    v.byte(163, e.HasExistingReach);
    v.byte(164, e.ExistingNetworkFlag);
    v.i16(165, e.StageCount);
    v.text(167, 255, e.BudgetStageTag);
    v.byte(423, e.HasNewReach);
    v.i16(424, e.TopologyMode);
    v.f32(426, e.FroudeLower);
    v.f32(430, e.FroudeUpper);
    v.i16(434, e.WideFroudeBand);
}

template <class E, class V>
void VisitRecord(int record, E& e, V& v) {
    switch (record) {
        case 0:
            return VisitRecord0(e, v);
        case 1:
            return VisitRecord1(e, v);
        case 2:
            return VisitRecord2(e, v);
        case 3:
            return VisitRecord3(e, v);
        case 4:
            return VisitRecord4(e, v);
        case 5:
            return VisitRecord5(e, v);
        default:
            return;
    }
}

}  // namespace nivex::specs::detail
