#pragma once
// nivex-batch run as a program of its own, for the tests that start, race or kill it.

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace nivex::testing {

// nivex-batch beside the running test program.
inline std::filesystem::path BatchExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "nivex-batch";
}

// The child's side of a launch: standard output and error to a file, then the program.
[[noreturn]] inline void ExecBatch(const std::vector<std::string>& args,
                                   const std::filesystem::path& output) {
    const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::close(fd);
    }
    const std::string exe = BatchExecutable().string();
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
}

}  // namespace nivex::testing
