#pragma once
// Every float of a reach record, entered and designed: what must never be a NaN or an
// infinity once a design has written it.

#include <vector>

#include "network/tramo.h"

namespace nivex::design::test {

inline std::vector<float> Floats(const network::TramoT& t) {
    std::vector<float> v = {
        t.GroundUp,         t.GroundDown,        t.Length,       t.ReliefFactor, t.Area,
        t.PointFlow,        t.CrownUp,           t.Diameter,     t.Slope,        t.CrownDown,
        t.StormArea,        t.SanitaryZone,      t.MinimumDepth, t.FutureArea,   t.ManningN,
        t.InFlow,           t.InInfiltration,    t.InPopulation, t.Runoff,       t.InRealArea,
        t.InEquivalentArea, t.StormAreaTime,     t.InOriginTime, t.InReachTime,  t.RemoveExisting,
        t.RasZone,          t.IndustrialVelocity};
    const network::DisenoT& d = t.Diseno;
    v.insert(v.end(), d.F72.begin(), d.F72.end());
    v.push_back(d.F92);
    v.insert(v.end(), d.F112.begin(), d.F112.end());
    v.push_back(d.F128);
    v.insert(v.end(), d.F140.begin(), d.F140.end());
    v.insert(v.end(), d.F168.begin(), d.F168.end());
    v.insert(v.end(), d.F184.begin(), d.F184.end());
    v.push_back(d.F212);
    v.push_back(d.F220);
    v.insert(v.end(), d.F244.begin(), d.F244.end());
    v.push_back(d.F376);
    return v;
}

}  // namespace nivex::design::test
