#pragma once
// Networks a designer could enter, drawn from one 64-bit start number: trees of collectors
// with side lines and several outfalls, hills and flat collectors, neighbourhoods of real
// areas and densities, fixed reaches among the new ones, and the design options and
// criteria of the sector. The same start number always gives the same network, whatever
// the standard library: raw numbers of std::mt19937_64 are mapped here, never through the
// library's distributions.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::design::test {

// Raw numbers mapped to the ranges a network needs.
class Draw {
  public:
    explicit Draw(uint64_t start) : engine_(start) {}
    uint64_t raw() { return engine_(); }
    // [0, 1) with 53 bits.
    double unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    // An integer in [lo, hi].
    int between(int lo, int hi) {
        const auto span = static_cast<unsigned __int128>(static_cast<uint64_t>(hi - lo + 1));
        return lo + static_cast<int>((static_cast<unsigned __int128>(engine_()) * span) >> 64);
    }
    double real(double lo, double hi) { return lo + (hi - lo) * unit(); }
    bool chance(double p) { return unit() < p; }
    template <class T>
    const T& pick(const std::vector<T>& v) {
        return v[static_cast<size_t>(between(0, static_cast<int>(v.size()) - 1))];
    }

  private:
    std::mt19937_64 engine_;
};

// The sector a network is designed in: the configuration dialog, the criteria values and
// the four answers of the design options screen.
struct DesignSetup {
    int designClass = 2;
    std::string options = "NNSS";  // the four answers
    bool ras2016 = false;
    bool slopePerDiameter = false;
    bool fullVelocity = false;       // self-cleansing by full velocity
    bool realVelocity = false;       // by real velocity
    bool tractive = true;            // by tractive force
    float avoidCritical = 0;         // "Evitar flujo critico en diametros mayores de (mm)"; 0 off
    float energyJunction = 0;        // "Empalmar por energia diametros mayores de (mm)"; 0 off
    bool asceManning = false;        // n variable with the diameter
    bool variableRelations = false;  // n/N variable
    std::string peak = "harmon";
    std::string minimum = "maxdiario";
    float minFlow = 1.5f;  // "Caudal minimo de calculo (l/s)"
    float maxVelocity = 5.0f;
    float maxFilling = 0.75f;
    float minCrownDepth = 1.0f;
    float maxDesirableDepth = 5.0f;
    float maxCrownDepth = 5.0f;
    float outletLowering = 0.02f;
    struct Zone {
        float sewage, infiltration, density;
    };
    std::vector<Zone> zones;

    // The command lines of nivex-batch that set it up, after "--project XX1".
    std::vector<std::string> ConfigArguments() const;
    std::vector<std::string> CriteriaArguments() const;
    std::string Describe() const;
};

struct GeneratedNetwork {
    DesignSetup setup;
    std::vector<network::TramoT> reaches;  // in file order
    // Record ranges [first, last] (0-based) of every tree, one outfall each.
    std::vector<std::pair<int, int>> trees;
};

// Classes 1 to 5; networks of 5 to 150 reaches.
GeneratedNetwork GenerateNetwork(uint64_t start);
// Classes 6 to 9 (the hydraulic model): smaller networks.
GeneratedNetwork GenerateModelNetwork(uint64_t start);

// The same trees with the first one moved to the end of the file.
GeneratedNetwork WithTreesRotated(const GeneratedNetwork& g);

}  // namespace nivex::design::test
