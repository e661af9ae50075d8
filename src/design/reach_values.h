#pragma once
// The design values of a reach record by what they mean. The record keeps them by
// position (network::DisenoT); the design reads and writes them only through these names.

#include "network/tramo.h"

namespace nivex::design {

inline float& StormSpilled(network::TramoT& t) {
    return t.Diseno.F72[0];
}  // 72, l/s
inline float& SanitarySpilled(network::TramoT& t) {
    return t.Diseno.F72[1];
}  // 76, l/s
inline float& PeakFactorM(network::TramoT& t) {
    return t.Diseno.F72[2];
}  // 80
inline float& OwnSanitaryBase(network::TramoT& t) {
    return t.Diseno.F72[3];
}  // 84
inline float& DesignFlow(network::TramoT& t) {
    return t.Diseno.F92;
}  // 92, l/s
inline float& OwnStormArea(network::TramoT& t) {
    return t.Diseno.F212;
}  // 212, ha
inline float& OwnEquivalentArea(network::TramoT& t) {
    return t.Diseno.F220;
}  // 220, ha
inline float& Intensity(network::TramoT& t) {
    return t.Diseno.F244[0];
}  // 244, l/s/ha
inline float& StormFlow(network::TramoT& t) {
    return t.Diseno.F244[2];
}  // 252, l/s
inline float& SanitaryMax(network::TramoT& t) {
    return t.Diseno.F244[3];
}  // 256, l/s
inline float& SanitaryMin(network::TramoT& t) {
    return t.Diseno.F244[4];
}  // 260, l/s

inline float StormFlow(const network::TramoT& t) {
    return t.Diseno.F244[2];
}
inline float SanitaryMax(const network::TramoT& t) {
    return t.Diseno.F244[3];
}

}  // namespace nivex::design
