#pragma once
// The temporary files a rewrite makes beside its target, found by their names.

#include <filesystem>
#include <string>
#include <vector>

namespace nivex::testing {

// The files beside target named as a rewrite of it names its temporary file
// ("ZSDX.AB1.nivex-tmp-a8Kd2P"), or as the fixed "ZSDX.AB1.tmp" of earlier versions.
inline std::vector<std::filesystem::path> TempFilesOf(const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::vector<fs::path> found;
    const std::string name = target.filename().string();
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string other = it->path().filename().string();
        if (other.rfind(name + ".nivex-tmp-", 0) == 0 || other == name + ".tmp")
            found.push_back(it->path());
    }
    return found;
}

inline bool HasTempFile(const std::filesystem::path& target) {
    return !TempFilesOf(target).empty();
}

}  // namespace nivex::testing
