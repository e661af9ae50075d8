#include "project/replace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTempMark = ".nivex-tmp-";
constexpr size_t kTempDrawn = 6;  // the characters mkstemp draws
constexpr std::string_view kOldTempSuffix = ".tmp";

bool IsDrawnCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A file name of the sector: "<base>.<ext>" or the file named by the extension alone.
bool IsSectorFileName(std::string_view name, std::string_view extension) {
    if (extension.empty() || name.size() < extension.size()) return false;
    if (name == extension) return true;
    return name.size() > extension.size() + 1 && name.ends_with(extension) &&
           name[name.size() - extension.size() - 1] == '.';
}

}  // namespace

std::string MakeTempFile(const std::string& path, std::string* error) {
    std::string name = path;
    name += kTempMark;
    name.append(kTempDrawn, 'X');
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        if (error) *error = "No se pudo crear el archivo temporal de " + path;
        return {};
    }
    // mkstemp gives the owner alone access; the replaced file keeps what the folder gives.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return std::string(buffer.data());
}

bool IsLeftTempFile(std::string_view fileName, std::string_view extension) {
    if (fileName.ends_with(kOldTempSuffix))
        return IsSectorFileName(fileName.substr(0, fileName.size() - kOldTempSuffix.size()),
                                extension);
    if (fileName.size() < kTempMark.size() + kTempDrawn) return false;
    const size_t mark = fileName.size() - kTempDrawn - kTempMark.size();
    if (fileName.substr(mark, kTempMark.size()) != kTempMark) return false;
    for (char c : fileName.substr(mark + kTempMark.size()))
        if (!IsDrawnCharacter(c)) return false;
    return IsSectorFileName(fileName.substr(0, mark), extension);
}

int RemoveLeftTempFiles(const std::string& folder, std::string_view extension) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (!it->is_regular_file(kind)) continue;
        if (!IsLeftTempFile(it->path().filename().string(), extension)) continue;
        std::error_code gone;
        if (fs::remove(it->path(), gone)) ++removed;
    }
    return removed;
}

std::string WriteFailure(const std::string& what, const std::string& path) {
    const int e = errno;
    const bool full = e == ENOSPC || e == EDQUOT;
    return (full ? "El disco esta lleno: " : "") + what + " el archivo " + path;
}

std::string WriteFailure(const std::string& path) {
    return WriteFailure("No se pudo escribir", path);
}

bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* error) {
    const std::string tmp = MakeTempFile(path, error);
    if (tmp.empty()) return false;
    std::error_code ec;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out) {
            if (error) *error = WriteFailure(path);  // before the removal touches errno
            std::filesystem::remove(tmp, ec);
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

bool WriteThroughTempFile(const std::string& path,
                          const std::function<bool(const std::string& temp)>& write,
                          std::string* error) {
    const std::string temp = MakeTempFile(path, error);
    if (temp.empty()) return false;
    std::error_code ec;
    if (!write(temp)) {
        if (error) *error = WriteFailure(path);  // before errno moves on
        std::filesystem::remove(temp, ec);
        return false;
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        if (error) *error = WriteFailure(path);
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace nivex::project
