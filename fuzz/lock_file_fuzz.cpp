// The lock file of a sector: any bytes as the text a former holder left. What parses is
// written back the same; the file is then taken over (and names this process until it is
// let go, when it goes) or refused with its holder named, and a refusal changes nothing.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "fuzz_input.h"
#include "project/sector_lock.h"

namespace {

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Same(const nivex::project::LockHolder& a, const nivex::project::LockHolder& b) {
    return a.program == b.program && a.user == b.user && a.host == b.host && a.pid == b.pid &&
           a.started == b.started && a.since == b.since && a.reading == b.reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nivex;
    const std::string_view text = fuzz::AsText(data, size);
    const auto holder = project::ParseLockHolder(text);
    if (holder) {
        const auto again = project::ParseLockHolder(project::FormatLockHolder(*holder));
        if (!again || !Same(*again, *holder)) __builtin_trap();
        if (project::InUseMessage("AB1", holder, "Bloqueo.AB1").empty()) __builtin_trap();
    }

    const std::string path = fuzz::AsFile("Bloqueo.AB1", data, size);
    const project::LockHolder me = project::ThisProcess("fuzz", false);
    project::SectorLock lock;
    switch (lock.Acquire(path, me)) {
        case project::LockResult::Taken: {
            const auto written = project::ParseLockHolder(Text(path));
            if (!written || !Same(*written, me)) __builtin_trap();
            lock.Release();
            if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
                std::fclose(f);
                __builtin_trap();  // let go, the file must be gone
            }
            break;
        }
        case project::LockResult::Busy:
            if (!lock.holder() || Text(path) != text) __builtin_trap();
            break;
        case project::LockResult::Failed:
            if (lock.error().empty()) __builtin_trap();
            break;
    }
    std::remove(path.c_str());
    return 0;
}
