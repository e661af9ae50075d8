// How long a whole design takes: a network of 10000 reaches (a trunk with a hundred side
// lines) designed in both passes, with the peak memory of the process. Run by hand:
// bench_design [side lines] [reaches per side line]
// (the default network should design in under a second and 100 MB in a Release build).

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "design/design_driver.h"
#include "network/record_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "specs/criteria_store.h"

namespace {

using nivex::network::TramoT;

// Five characters at most: base 36.
std::string Name(int id) {
    const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string s;
    do {
        s.insert(s.begin(), digits[id % 36]);
        id /= 36;
    } while (id > 0);
    return s;
}

TramoT Reach(int up, int down, float groundUp, float groundDown, int type = 0) {
    TramoT t;
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
std::vector<TramoT> Comb(int sides, int perSide) {
    std::vector<TramoT> v;
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

long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const std::vector<TramoT> reaches = Comb(sides, perSide);
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-design-" + std::to_string(getpid()));
    fs::create_directories(dir);
    nivex::project::Project p;
    p.files.Build(dir.string(), "AB1");
    if (!p.OpenControl() || !nivex::specs::InitialiseDesignCriteria(p.control, p.header, p.espec))
        return 1;
    p.header.DesignClass = 2;
    p.header.ReachCount = static_cast<int>(reaches.size());
    nivex::specs::SaveRecords(p.control, p.header, p.espec, {0, 1, 2, 3, 4, 5});
    p.CloseControl();
    std::vector<nivex::codec::Bytes> records;
    for (const TramoT& t : reaches) {
        nivex::codec::Bytes b(nivex::network::kTramoSize, 0);
        nivex::network::Encode(t, b);
        records.push_back(b);
    }
    std::string error;
    if (!nivex::network::ReplaceRecordFile(p.files.reaches(), nivex::network::kTramoSize, records,
                                           error))
        return 1;
    records.clear();
    records.shrink_to_fit();

    nivex::design::DesignSink sink;
    nivex::design::DesignResult result;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = nivex::design::DesignNetwork(p, nivex::design::DesignOptions{}, sink, result);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("reaches: %zu\ndesigned: %s\nseconds: %.3f\npeak_mb: %.1f\nfinal: %zu\n",
                reaches.size(), ok ? "si" : "no", seconds, PeakKilobytes() / 1024.0,
                result.finalReaches.size());
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
