#include "project/file_size.h"

#include <filesystem>

namespace nivex::project {

std::string OversizedFile(const std::string& path, std::uintmax_t most) {
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
    if (ec || bytes <= most) return {};
    return "El archivo " + path + " es demasiado grande: tiene " + std::to_string(bytes) +
           " bytes y no puede pasar de " + std::to_string(most);
}

}  // namespace nivex::project
