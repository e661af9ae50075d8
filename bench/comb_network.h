#pragma once
// The network the design benchmarks work on: a trunk collector with side lines ending at
// each of its manholes, in an order the design accepts.

#include <sys/resource.h>

#include <cstdio>
#include <string>
#include <vector>

#include "design/design_driver.h"
#include "network/record_file.h"
#include "network/simulated_project.h"
#include "network/tramo.h"
#include "project/project.h"
#include "specs/criteria_store.h"

namespace nivex::bench {

// Five characters at most: base 36.
inline std::string Name(int id) {
    const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string s;
    do {
        s.insert(s.begin(), digits[id % 36]);
        id /= 36;
    } while (id > 0);
    return s;
}

inline network::TramoT Reach(int up, int down, float groundUp, float groundDown, int type = 0) {
    network::TramoT t;
    t.Upstream = Name(up);
    t.Downstream = Name(down);
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.Length = 60;
    t.Area = 0.4f;
    t.Type = type;
    return t;
}

// Side line k ends at trunk manhole k; the trunk goes on to the next one.
inline std::vector<network::TramoT> Comb(int sides, int perSide) {
    std::vector<network::TramoT> v;
    int id = sides + 2;
    for (int k = 0; k < sides; ++k) {
        const float trunk = 1000.0f - 0.3f * static_cast<float>(k);
        int previous = id++;
        for (int j = 0; j < perSide - 1; ++j) {
            const int next = j == perSide - 2 ? k + 1 : id++;
            const float g = trunk + 0.4f * static_cast<float>(perSide - 1 - j);
            v.push_back(Reach(previous, next, g, g - 0.4f));
            previous = next;
        }
        v.push_back(Reach(k + 1, k + 2, trunk, trunk - 0.3f, k + 1 == sides ? 2 : 0));
    }
    return v;
}

// A street grid as the simulated project lays it out (blocks of 100 m, ground falling
// 0.5 %), with the most blocks whose reaches do not pass the count asked for (a sector
// holds at most 10000); the blocks grow a row or a column at a time so that the grid stays
// square.
inline std::vector<network::TramoT> Grid(int reaches) {
    auto count = [](const network::SimulationParams& g) {
        return g.horizontal * (g.vertical + 1) + (g.horizontal + 1) * g.vertical + 1;
    };
    network::SimulationParams params;
    params.horizontal = params.vertical = 1;
    for (;;) {
        network::SimulationParams next = params;
        if (next.vertical <= next.horizontal)
            ++next.vertical;
        else
            ++next.horizontal;
        if (count(next) > reaches) break;
        params = next;
    }
    return network::SimulatedReaches(params);
}

// The peak memory of the process so far, in kilobytes.
inline long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A storm sector (class 2) in p's files holding the reaches, criteria at their defaults.
inline bool WriteBenchSector(project::Project& p, const std::vector<network::TramoT>& reaches,
                             float energyJunctionDiameter = 0) {
    if (!p.OpenControl() || !specs::InitialiseDesignCriteria(p.control, p.header, p.espec))
        return false;
    p.header.ProjectName = "BENCH";
    p.header.DesignClass = 2;
    p.header.ReachCount = static_cast<int>(reaches.size());
    p.espec.EnergyJunctionDiameter = energyJunctionDiameter;
    const bool saved = specs::SaveRecords(p.control, p.header, p.espec, {0, 1, 2, 3, 4, 5});
    p.CloseControl();
    if (!saved) return false;
    std::vector<codec::Bytes> records;
    records.reserve(reaches.size());
    for (const network::TramoT& t : reaches) {
        codec::Bytes b(network::kTramoSize, 0);
        network::Encode(t, b);
        records.push_back(std::move(b));
    }
    std::string error;
    return network::ReplaceRecordFile(p.files.reaches(), network::kTramoSize, records, error);
}

// The comb of sides × perSide reaches written to a sector in dir and designed with the
// default options; false, with a message on stderr, when either step fails.
inline bool DesignedBenchComb(project::Project& p, const std::string& dir, int sides, int perSide) {
    p.files.Build(dir, "AB1");
    if (!WriteBenchSector(p, Comb(sides, perSide))) return false;
    design::DesignSink sink;
    design::DesignResult result;
    if (!design::DesignNetwork(p, design::DesignOptions{}, sink, result)) {
        std::fprintf(stderr, "the design did not finish\n");
        return false;
    }
    return true;
}

}  // namespace nivex::bench
