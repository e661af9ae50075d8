// How long the four network controls take on the largest network: 10000 reaches read from
// the sector's files, checked, the error and manhole files written. Must stay well under
// half a second. Run by hand: bench_controls [reaches]

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "network/network_controls.h"
#include "network/record_file.h"
#include "specs/criteria_store.h"

namespace {

using namespace nivex;

// A trunk with a branch of nine reaches at every trunk manhole, in the order the ordering
// control wants: the trunk reaches a manhole, the branch comes down to it, the trunk goes on.
std::vector<network::TramoT> Comb(int reaches) {
    std::vector<network::TramoT> out;
    int names = 0;
    auto reach = [&](int up, int down) {
        network::TramoT t;
        t.Upstream = std::to_string(up);
        t.Downstream = std::to_string(down);
        t.GroundUp = 2000.0f - static_cast<float>(up) * 0.01f;
        t.GroundDown = 2000.0f - static_cast<float>(down) * 0.01f;
        t.Length = 50;
        t.Area = 0.1f;
        out.push_back(t);
    };
    int trunk = ++names;
    while (static_cast<int>(out.size()) + 11 <= reaches) {
        const int next = ++names;
        reach(trunk, next);
        int head = ++names;
        for (int k = 0; k < 8; ++k) {
            const int below = ++names;
            reach(head, below);
            head = below;
        }
        reach(head, next);
        trunk = next;
    }
    while (static_cast<int>(out.size()) + 1 < reaches) {
        const int next = ++names;
        reach(trunk, next);
        trunk = next;
    }
    reach(trunk, ++names);
    out.back().Type = 2;  // the discharge
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int reaches = argc > 1 ? std::atoi(argv[1]) : 10000;
    const auto folder =
        std::filesystem::temp_directory_path() / ("nivex-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    project::Project p;
    p.selection.code = "AB";
    p.selection.sectors = "1";
    p.files.Build(folder.string(), "AB1");
    if (!p.OpenControl() || !specs::InitialiseDesignCriteria(p.control, p.header, p.espec))
        return 1;
    p.header.ProjectName = "Colector Norte";
    p.header.ProjectDate = "Enero 2024";
    p.header.Entity = "Empresa";
    p.header.Email = "a@b.co";
    p.header.Country = "Colombia";
    p.header.Consultant = "Ingeniero";
    if (!specs::SaveRecords(p.control, p.header, p.espec, {})) return 1;
    p.CloseControl();

    const std::vector<network::TramoT> network = Comb(reaches);
    std::vector<codec::Bytes> records;
    for (const network::TramoT& t : network) {
        codec::Bytes b(network::kTramoSize, 0);
        network::Encode(t, b);
        records.push_back(b);
    }
    std::string error;
    if (!network::ReplaceRecordFile(p.files.reaches(), network::kTramoSize, records, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    bool ok = network::EnterControls(p, &error);
    network::SpecificationCheck a;
    network::ReachCheck b;
    std::vector<network::ErrorRow> c;
    network::OrderCheck d;
    ok = ok && network::RunControlA(p, a, &error) && network::RunControlB(p, b, &error) &&
         network::RunControlC(p, c, &error) && network::RunControlD(p, d, &error);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(folder);
    if (!ok) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%zu reaches: A %s, B %s, C %s, D %s: %.1f ms\n", network.size(),
                a.passed() ? "OK" : "??", b.faultless() ? "OK" : "??", c.empty() ? "OK" : "??",
                d.passed() ? "OK" : "??", ms);
    return a.passed() && b.faultless() && c.empty() && d.passed() ? 0 : 1;
}
