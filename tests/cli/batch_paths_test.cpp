// The files named on the command line: read and written from the folder the command was
// given in, and a full disk said in words, naming the file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kNotAllowed = 77;

std::string Read(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class BatchPaths : public swmm::testing::DesignedProjectTest {
  protected:
    BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    void Designed() {
        Design(1, 2, 2);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(run({"quantities"}).rc, 0);
        fs::create_directories(base_ / "trabajo");
        fs::current_path(base_ / "trabajo");
    }

    // The command run in a child whose own mount table holds a full disk at `full`: its
    // exit code, what it said and the files left there. False when the system does not
    // let a test mount a disk.
    bool OnFullDisk(const fs::path& full, std::vector<std::string> args, BatchOutcome& r,
                    std::string& left) {
        fs::create_directories(full);
        const fs::path said = base_ / "said.txt", files = base_ / "left.txt";
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "AB1"});
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::unshare(CLONE_NEWNS) != 0 ||
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=4k") != 0)
                ::_exit(kNotAllowed);
            std::ofstream((full / "relleno").string(), std::ios::binary)
                << std::string(64 * 1024, 'x');  // as much as fits
            std::ostringstream out, err;
            const int rc = RunBatch(args, out, err);
            std::ofstream(said.string()) << err.str();
            std::ofstream list(files.string());
            for (const auto& e : fs::directory_iterator(full))
                list << e.path().filename().string() << '\n';
            list.close();
            ::_exit(rc);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) == kNotAllowed) return false;
        r.rc = WEXITSTATUS(status);
        r.err = Read(said);
        left = Read(files);
        return true;
    }
};

TEST_F(BatchPaths, RelativeFilesAreTheCallersFolder) {
    Designed();
    ASSERT_EQ(run({"prices", "export", "--out", "precios.csv"}).rc, 0);
    const std::string exported = Read(base_ / "trabajo" / "precios.csv");
    const size_t row = exported.find("\n1,") + 1;
    ASSERT_NE(row, 0u) << exported;
    const std::string line = exported.substr(row, exported.find('\n', row) - row);
    const std::string item = line.substr(0, line.rfind(',') + 1);
    std::ofstream(base_ / "trabajo" / "p.csv") << item << "123\n";

    const BatchOutcome imported = run({"prices", "import", "p.csv"});
    ASSERT_EQ(imported.rc, 0) << imported.err;
    EXPECT_NE(run({"prices", "export"}).out.find(item + "123.00\n"), std::string::npos);

    ASSERT_EQ(run({"list", "4D", "--out", "resumen.txt", "--yes"}).rc, 0);
    EXPECT_TRUE(fs::exists(base_ / "trabajo" / "resumen.txt"));
    ASSERT_EQ(run({"alternatives", "--listado", "alternativas.txt"}).rc, 0);
    EXPECT_TRUE(fs::exists(base_ / "trabajo" / "alternativas.txt"));
    ASSERT_EQ(run({"reaches", "export", "--out", "red.csv"}).rc, 0);
    const BatchOutcome back = run({"reaches", "import", "red.csv", "--yes"});
    EXPECT_EQ(back.rc, 0) << back.err;
}

TEST_F(BatchPaths, AFullDiskIsSaidNamingTheFile) {
    Designed();
    const fs::path full = base_ / "lleno";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"reaches", "export", "--out", (full / "red.csv").string()},
          {"prices", "export", "--out", (full / "red.csv").string()},
          {"list", "4D", "--yes", "--out", (full / "red.csv").string()}}) {
        BatchOutcome r;
        std::string left;
        if (!OnFullDisk(full, args, r, left)) GTEST_SKIP() << "no disk can be mounted here";
        EXPECT_EQ(r.rc, 1) << args[0];
        EXPECT_NE(r.err.find("Error: el disco esta lleno; no se pudo escribir el archivo " +
                             (full / "red.csv").string()),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(left, "relleno\n") << "no half-written or temporary file stays";
    }
}

TEST_F(BatchPaths, OutputThatCannotReachItsFileIsAnError) {
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "nivex-batch";
    if (!fs::exists(program) || !fs::exists("/dev/full")) GTEST_SKIP();
    const fs::path said = base_ / "said.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open("/dev/full", O_WRONLY);
        const int err = ::open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execl(program.c_str(), program.c_str(), "--help", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(Read(said), "Error: el disco esta lleno; no se pudo escribir la salida\n");
}

}  // namespace
}  // namespace nivex::cli
