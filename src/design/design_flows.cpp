#include "design/design_flows.h"

#include <algorithm>
#include <cmath>

#include "design/hydraulics.h"
#include "design/reach_values.h"

namespace nivex::design {
namespace {

using network::TramoT;

constexpr int kOutfallLine = 1;  // "emisario"

bool Finite(double v) {
    return std::isfinite(v);
}

// A stored value from a computation: never a NaN or an infinity in a record.
float Stored(double v) {
    return Finite(v) ? static_cast<float>(v) : 0.0f;
}

double Clamp(double v, double low, double high) {
    if (!Finite(v) || v <= low) return low;
    return std::min(v, high);
}

bool IsInlet(const TramoT& t) {
    return t.Type == network::kTypeFromSector;
}

// Class 5 decides by what the reach carries, before its own storm flow is known: the kind
// its contribution gives (sanitary, combined, storm), made combined when a reach of sanitary
// contribution collects storm lines: it carries their rain, which a sanitary kind (reduction
// factor 0) would drop but for the largest tributary's flow.
int KindForStorm(const TramoT& t, const std::vector<const TramoT*>& tributaries, int designClass) {
    if (designClass != 5) return ContributionKind(t, designClass);
    switch (t.Contribution) {
        case 1:
            for (const TramoT* r : tributaries)
                if (StormFlow(*r) != 0 || r->InEquivalentArea != 0) return 1;
            return 0;
        case 2:
            return 1;
        case 3:
            return 2;
        default:
            return 3;
    }
}

// The sanitary maximum and minimum flows of the accumulated flows and peak factor.
void SanitaryDesignFlows(TramoT& t, const FlowCriteria& c, double m) {
    const double domestic = t.InFlow, infiltration = t.InInfiltration;
    const double qmin = c.minimumFlow;
    SanitaryMax(t) = Stored(std::max(Round2(domestic * m + infiltration), qmin));
    if (c.designClass >= 3 && c.designClass <= 5) {
        SanitaryMin(t) = 0;
        return;
    }
    double k = 1, base = domestic;
    switch (c.minimumMethod) {
        case 0:
            k = m;
            break;
        case 1:
            k = std::sqrt(std::max(m, 0.0));
            break;
        case 2:
            k = 1;
            break;
        case 3:
            k = m > 0 ? std::sqrt(1 / m) : 0;
            break;
        case 4:
            k = m > 0 ? 1 / m : 0;
            break;
        default:
            k = c.fixedMinimum;
            base = domestic * m;
            break;
    }
    SanitaryMin(t) = Stored(std::max(Round2(infiltration + k * base), qmin));
}

}  // namespace

FlowCriteria FlowCriteriaOf(const specs::EspecT& e, int designClass) {
    FlowCriteria c;
    c.designClass = designClass;
    c.zones = e.Zones;
    c.zoneCount = std::clamp(static_cast<int>(std::lround(e.ZoneCount)), 1, specs::kMaxZones);
    c.minimumFlow = e.SanMinFlow;
    c.peakMethod = e.PeakMethod;
    c.fixedPeak = e.FixedPeakCoefficient;
    c.minimumMethod = static_cast<int>(std::lround(e.MinCoefficientMethod));
    c.fixedMinimum = e.FixedMinCoefficient;
    c.minConcentrationTime = e.MinConcentrationTime;
    c.reduction = e.ReductionFactors;
    c.equations = e.Equations;
    c.equationCount =
        std::clamp(static_cast<int>(std::lround(e.EquationCount)), 1, specs::kMaxEquations);
    c.modelAdjustment = e.SwmmAdjustment;
    return c;
}

int ContributionKind(const TramoT& t, int designClass) {
    switch (designClass) {
        case 1:
        case 2:
            return 0;
        case 3:
            return 1;
        case 4:
            return 2;
        case 5: {
            const bool storm = StormFlow(t) != 0, sanitary = SanitaryMax(t) != 0;
            if (sanitary && !storm) return 0;
            if (sanitary && storm) return 1;
            if (storm) return 2;
            return 3;
        }
        default:
            return 3;
    }
}

double PeakFactor(const FlowCriteria& c, double population, double averageFlow) {
    const double p = Clamp(population / 1000, 1, 1000);
    const double q = Round2(Finite(averageFlow) ? averageFlow : 0.0);
    double m = 0;
    switch (c.peakMethod) {
        case 0:
            m = 1 + 14 / (4 + std::sqrt(p));
            break;
        case 1:
            m = 5 / std::pow(p, 0.2);
            break;
        case 2:
            m = 3.5 / std::pow(p, 0.1);
            break;
        case 3:
            m = 3.53 / std::pow(Clamp(q, 2.8, 28300), 0.0914);
            break;
        case 4:
            m = 3.70 / std::pow(Clamp(q, 4, 5000), 0.0733);
            break;
        case 5:
            m = 3.114 / std::pow(Clamp(q, 0.28, 4250), 0.062);
            break;
        default:
            m = c.fixedPeak;
            break;
    }
    return Finite(m) ? std::floor(100 * m + 0.5) / 100 : 0;
}

void ClearReachFlows(TramoT& t) {
    StormFlow(t) = 0;
    SanitaryMax(t) = 0;
    SanitaryMin(t) = 0;
    StormSpilled(t) = 0;
}

void ComputeSanitaryFlows(TramoT& t, const std::vector<const TramoT*>& tributaries, bool lastOfLine,
                          const FlowCriteria& c, FlowCounts& counts) {
    double ownDomestic = 0;
    if (!IsInlet(t)) {
        bool outfall = t.Type == kOutfallLine;
        if (lastOfLine) {
            outfall = false;
            for (const TramoT* r : tributaries)
                if (r->Type == kOutfallLine) outfall = true;
        }
        const double f = outfall ? 0 : 1;
        const double base = t.Contribution >= 3 ? 0.0 : double(t.Area) + t.FutureArea;
        OwnSanitaryBase(t) = Stored(base);
        const int zone = c.zoneCount > 1 ? std::clamp(static_cast<int>(std::lround(t.SanitaryZone)),
                                                      1, specs::kMaxZones)
                                         : 1;
        const specs::SanitaryZone& z = c.zones[static_cast<size_t>(zone - 1)];
        ownDomestic = base * z.sewageFlow * f;
        const double ownInfiltration = base * z.infiltration + t.PointFlow;
        const double ownPopulation = base * z.density * f;
        double domestic = 0, infiltration = 0, population = 0;
        for (const TramoT* r : tributaries) {
            domestic += r->InFlow;
            infiltration += r->InInfiltration;
            population += r->InPopulation;
        }
        t.InFlow = Stored(domestic + ownDomestic);
        t.InInfiltration = Stored(infiltration + ownInfiltration);
        if (t.InFlow == 0 && t.InInfiltration == 0) {
            t.InPopulation = 0;
            PeakFactorM(t) = 0;
            SanitaryMax(t) = c.minimumFlow;
            SanitaryMin(t) = c.minimumFlow;
            return;
        }
        t.InPopulation = Stored(population + ownPopulation);
    } else {
        OwnSanitaryBase(t) = 0;
        t.PointFlow = 0;
        if (t.InFlow == 0 && t.InInfiltration == 0) {
            t.InPopulation = 0;
            PeakFactorM(t) = 0;
            SanitaryMax(t) = 0;
            SanitaryMin(t) = 0;
            return;
        }
    }
    const double m = PeakFactor(c, t.InPopulation, double(t.InFlow) + t.InInfiltration);
    PeakFactorM(t) = Stored(m);
    SanitaryDesignFlows(t, c, m);

    if (t.ReliefFactor == 0) return;
    if (tributaries.empty()) {
        ++counts.ignoredReliefChambers;
        return;
    }
    const double before = SanitaryMax(t);
    const float infiltration = t.InInfiltration;
    SanitarySpilled(t) = SanitaryMax(t);
    if (t.ReliefFactor > 1)
        t.InInfiltration =
            Stored((double(t.InFlow) - ownDomestic) * (t.ReliefFactor - 1) * m + t.PointFlow);
    SanitaryDesignFlows(t, c, m);
    SanitarySpilled(t) = Stored(before - SanitaryMax(t));
    if (double(StormSpilled(t)) + SanitarySpilled(t) < 0) {
        t.InInfiltration = infiltration;
        SanitaryDesignFlows(t, c, m);
        SanitarySpilled(t) = -StormSpilled(t);
    }
}

double ReductionFactor(const FlowCriteria& c, int contributionKind, double area) {
    if (contributionKind == 0) return 0;
    if (!(area > 50)) return 1;
    if (area <= 100) return c.reduction[0];
    if (area <= 200) return c.reduction[1];
    if (area <= 400) return c.reduction[2];
    if (area <= 800) return c.reduction[3];
    return c.reduction[4];
}

double RainfallIntensity(const FlowCriteria& c, int equationSet, double minutes) {
    const int set = c.equationCount <= 1 ? 1 : std::clamp(equationSet, 1, specs::kMaxEquations);
    const specs::RainEquation& e = c.equations[static_cast<size_t>(set - 1)];
    const bool first = e.durationBound == 0 || minutes <= e.durationBound;
    const double a = first ? e.a : e.a2, b = first ? e.b : e.b2;
    const double n = first ? e.n : e.n2, m = first ? e.m : e.m2;
    const double t = Finite(minutes) && minutes > 0 ? minutes : 0;
    const double i = a / std::pow(b + std::pow(t, n), m);
    return Finite(i) ? Round2(i) : 0;
}

double RationalFlow(const FlowCriteria& c, int contributionKind, int equationSet, double realArea,
                    double equivalentArea, double minutes, double floor) {
    const double f = ReductionFactor(c, contributionKind, realArea);
    const double i = RainfallIntensity(c, equationSet, minutes);
    const double q = Round2(equivalentArea * i * f);
    return Finite(q) ? std::max(q, floor) : floor;
}

void ComputeStormFlows(TramoT& t, const std::vector<const TramoT*>& tributaries,
                       const FlowCriteria& c, FlowCounts& counts, const float* modelFlow) {
    const int kind = KindForStorm(t, tributaries, c.designClass);
    const bool relief = t.ReliefFactor != 0 && !tributaries.empty();
    // Without sanitary flows the relief chambers of initial reaches are counted here.
    if (t.ReliefFactor != 0 && tributaries.empty() && c.designClass == 4)
        ++counts.ignoredReliefChambers;
    double realSum = 0, equivalentSum = 0, largest = 0;
    for (const TramoT* r : tributaries) {
        realSum += r->InRealArea;
        equivalentSum += r->InEquivalentArea;
        largest = std::max(largest, double(StormFlow(*r)));
    }

    if (modelFlow && *modelFlow != 0) {
        const double own = double(t.Area) + t.StormArea;
        OwnStormArea(t) = Stored(own);
        OwnEquivalentArea(t) = Stored(Round2(std::fabs(t.Runoff) * own));
        t.InRealArea = Stored(realSum + own);
        t.InEquivalentArea = Stored(equivalentSum + OwnEquivalentArea(t));
        const double storm = std::max(*modelFlow * double(c.modelAdjustment) - SanitaryMax(t), 0.0);
        StormFlow(t) = Stored(storm);
        const double f = ReductionFactor(c, kind, t.InRealArea);
        Intensity(t) =
            t.InEquivalentArea > 0 && f > 0 ? Stored(storm / t.InEquivalentArea / f) : 0.0f;
        if (relief) StormSpilled(t) = StormFlow(t);
        return;
    }

    if (t.Type == kOutfallLine || t.Contribution < 2) {
        OwnStormArea(t) = 0;
        t.Runoff = 0;
    } else {
        OwnStormArea(t) = Stored(double(t.Area) + t.StormArea);
    }
    OwnEquivalentArea(t) = Stored(Round2(std::fabs(t.Runoff) * OwnStormArea(t)));
    t.InRealArea = Stored(realSum + OwnStormArea(t));
    if (t.InRealArea == 0) {
        t.InEquivalentArea = 0;
        t.InOriginTime = 0;
        t.InReachTime = 0;
        Intensity(t) = 0;
        StormFlow(t) = 0;
        return;
    }
    t.InEquivalentArea = Stored(equivalentSum + OwnEquivalentArea(t));
    Intensity(t) = Stored(RainfallIntensity(c, t.RainNumber, t.InOriginTime));
    StormFlow(t) = Stored(RationalFlow(c, kind, t.RainNumber, t.InRealArea, t.InEquivalentArea,
                                       t.InOriginTime, largest));
    if (!relief) return;
    // The chamber lets on only what the reach's own area gives.
    const double before = StormFlow(t);
    StormSpilled(t) = StormFlow(t);
    t.InRealArea = OwnStormArea(t);
    t.InEquivalentArea = OwnEquivalentArea(t);
    t.InOriginTime = std::max(t.StormAreaTime, c.minConcentrationTime);
    Intensity(t) = Stored(RainfallIntensity(c, t.RainNumber, t.InOriginTime));
    StormFlow(t) = Stored(
        RationalFlow(c, kind, t.RainNumber, t.InRealArea, t.InEquivalentArea, t.InOriginTime, 0));
    StormSpilled(t) = Stored(std::min(before - StormFlow(t), largest));
}

void ComputeDesignFlow(TramoT& t, const FlowCriteria& c) {
    const double q = double(StormFlow(t)) + SanitaryMax(t);
    DesignFlow(t) = q == 0 ? c.minimumFlow : Stored(q);
}

double ConcentrationTimeAtOrigin(const TramoT& t, const std::vector<const TramoT*>& tributaries,
                                 const FlowCriteria& c) {
    double tc = std::max(double(c.minConcentrationTime), double(t.StormAreaTime));
    for (const TramoT* r : tributaries)
        tc = std::max(tc, double(r->InOriginTime) + r->InReachTime);
    return Finite(tc) ? tc : c.minConcentrationTime;
}

}  // namespace nivex::design
