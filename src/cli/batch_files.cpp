// The files a verb writes where the command line says: whole or not at all, and a failure
// named in words the user can act on.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "cli/batch_context.h"

namespace nivex::cli {

std::string WriteFailure(const std::string& path, int errorNumber) {
    if (errorNumber == ENOSPC || errorNumber == EDQUOT)
        return "Error: el disco esta lleno; no se pudo escribir el archivo " + path;
    return "Error: no se pudo escribir el archivo " + path;
}

std::string WriteOut(const std::string& path, std::string_view contents) {
    // A temporary name no other process can choose, beside the file it replaces.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return WriteFailure(path, errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int error = ::fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
    for (size_t done = 0; error == 0 && done < contents.size();) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n >= 0)
            done += static_cast<size_t>(n);
        else if (errno != EINTR)
            error = errno;
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return {};
    ::unlink(temp.c_str());
    return WriteFailure(path, error);
}

bool ReadWhole(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string CopyOut(const std::string& from, const std::string& to) {
    std::string contents;
    if (!ReadWhole(from, contents)) return "Error: no se puede leer el archivo " + from;
    return WriteOut(to, contents);
}

}  // namespace nivex::cli
