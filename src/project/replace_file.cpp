#include "project/replace_file.h"

#include <filesystem>
#include <fstream>

namespace nivex::project {

bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* error) {
    const std::string tmp = path + ".tmp";
    std::error_code ec;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out) {
            std::filesystem::remove(tmp, ec);
            if (error) *error = "No se pudo escribir " + tmp;
            return false;
        }
    }
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        if (error) *error = "No se pudo reemplazar " + path;
        return false;
    }
    return true;
}

}  // namespace nivex::project
