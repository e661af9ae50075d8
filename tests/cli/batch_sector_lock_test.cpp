// Every verb of nivex-batch while another program holds the sector: those that change it
// are refused with the holder named and change nothing; those that only show it run and
// change nothing either.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "project/sector_lock.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchSectorLock : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(run({"quantities"}).rc, 0);
        ASSERT_EQ(run({"reaches", "export", "--out", (base_ / "red.csv").string()}).rc, 0);
        ASSERT_EQ(run({"prices", "export", "--out", (base_ / "precios.csv").string()}).rc, 0);
    }
    BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(base_ / "projects"))
            if (e.is_regular_file()) {
                std::ifstream in(e.path(), std::ios::binary);
                files[e.path().string()] = {std::istreambuf_iterator<char>(in), {}};
            }
        return files;
    }
};

TEST_F(BatchSectorLock, WhileTheDesktopProgramHoldsTheSectorOnlyReadingRuns) {
    project::SectorLock desktop;
    ASSERT_EQ(
        desktop.Acquire((folder() / "Bloqueo.AB1").string(), project::ThisProcess("NIVEX", false)),
        project::LockResult::Taken);
    const auto before = Files();
    const std::string red = (base_ / "red.csv").string(),
                      precios = (base_ / "precios.csv").string();
    const std::vector<std::vector<std::string>> changing = {
        {"new", "--yes"},
        {"config", "--class", "2", "--yes"},
        {"simulate", "--horizontal", "2", "--vertical", "2", "--yes"},
        {"reaches", "import", red, "--yes"},
        {"reaches", "move", "1", "1", "2", "--yes"},
        {"controls", "--yes"},
        {"design", "--yes"},
        {"swmm", "write", "--yes"},
        {"review"},
        {"stages", "set", "1=1"},
        {"quantities"},
        {"budget", "--yes"},
        {"prices", "import", precios},
        {"globals", "set", "1", "Interventoria", "1", "10"},
        {"criteria", "set", "r0.42=0.011"},
        {"restore-backup"},
        {"list", "4A", "--out", (base_ / "lista.txt").string()},
        {"alternatives", "--listado", (base_ / "alt.txt").string()}};
    for (const auto& args : changing) {
        const BatchOutcome r = run(args);
        EXPECT_NE(r.rc, 0) << args[0];
        EXPECT_NE(r.err.find("El sector AB1 esta en uso por NIVEX (usuario "), std::string::npos)
            << ::testing::PrintToString(args) << "\n"
            << r.err;
        EXPECT_NE(r.err.find(", proceso " + std::to_string(::getpid()) + ") desde "),
                  std::string::npos)
            << r.err;
        EXPECT_TRUE(Files() == before) << ::testing::PrintToString(args) << " changed a file";
    }
    const std::vector<std::vector<std::string>> reading = {
        {"info"},
        {"criteria"},
        {"dump", "design", "--csv"},
        {"reaches", "export"},
        {"prices", "export"},
        {"globals"},
        {"stages"},
        {"stages", "show"},
        {"alternatives"},
        {"calc", "--diameter", "300", "--slope", "1"}};
    for (const auto& args : reading) {
        const BatchOutcome r = run(args);
        EXPECT_EQ(r.rc, 0) << ::testing::PrintToString(args) << "\n" << r.err;
        EXPECT_TRUE(Files() == before) << ::testing::PrintToString(args) << " changed a file";
    }

    // Once the desktop program lets go, the sector is changed again.
    desktop.Release();
    EXPECT_EQ(run({"quantities"}).rc, 0);
    EXPECT_FALSE(fs::exists(folder() / "Bloqueo.AB1"));
}

}  // namespace
}  // namespace nivex::cli
