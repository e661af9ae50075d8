#pragma once
// What the fuzz targets share: the input as a file of this process for the readers that
// take a path, and the input cut into a few small numbers and the rest.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace nivex::fuzz {

// A folder of this process under the temporary folder, made once.
inline const std::filesystem::path& WorkFolder() {
    static const std::filesystem::path folder = [] {
        auto f =
            std::filesystem::temp_directory_path() / ("nivex-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

// The bytes as the whole content of a file of the work folder; its path.
inline std::string AsFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = (WorkFolder() / name).string();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

// Takes the first byte as a small number (0 when there is none).
inline int TakeByte(const uint8_t*& data, size_t& size) {
    if (size == 0) return 0;
    const int b = *data;
    ++data;
    --size;
    return b;
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace nivex::fuzz
