#include "drawings/manhole_coordinates.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/temp_files.h"

namespace nivex::drawings {
namespace {

namespace fs = std::filesystem;

TEST(CoordinatesText, WritesTheSystemThenOneManholeALineAndReadsItBack) {
    ManholeCoordinates c;
    c.points = {{"P1", 4880120.25, 2065410.5}, {"A;B", -0.1, 1e-7}, {"Z", 0, 123456789.125}};
    const std::string text = FormatCoordinates(c);
    EXPECT_EQ(text,
              "SISTEMA\t9377\tMAGNA-SIRGAS / Origen-Nacional\n"
              "P1\t4880120.25\t2065410.5\n"
              "A;B\t-0.1\t1e-07\n"
              "Z\t0\t123456789.125\n");
    int skipped = -1;
    const ManholeCoordinates back = ParseCoordinates(text, &skipped);
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(back.system, CoordinateSystem{});
    EXPECT_EQ(back.points, c.points);
    EXPECT_EQ(FormatCoordinates(back), text);
    ASSERT_NE(back.find("A;B"), nullptr);
    EXPECT_EQ(back.find("A;B")->y, 1e-7);
    EXPECT_EQ(back.find("P2"), nullptr);
}

TEST(CoordinatesText, BadLinesAreSkippedAndCountedNeverFatal) {
    const std::string text =
        "SISTEMA\t3116\tMAGNA-SIRGAS / Colombia Bogota\r\n"
        "P1\t10\t20\r\n"
        "P2\tdiez\t20\n"     // not a number
        "P3\tinf\t1\n"       // not finite
        "P4\t1e400\t1\n"     // beyond a double
        "P1\t30\t40\n"       // repeated: the first stays
        "P5\t1\n"            // two fields
        "DEMASIADO\t1\t2\n"  // not a manhole name
        "\n"                 // empty lines are no manholes and no faults
        "P6\t+5.5\t-6.25";   // last line without its end
    int skipped = 0;
    const ManholeCoordinates c = ParseCoordinates(text, &skipped);
    EXPECT_EQ(skipped, 6);
    EXPECT_EQ(c.system.epsg, 3116);
    EXPECT_EQ(c.system.label, "MAGNA-SIRGAS / Colombia Bogota");
    const std::vector<ManholePoint> expected = {{"P1", 10, 20}, {"P6", 5.5, -6.25}};
    EXPECT_EQ(c.points, expected);

    // No header: the default system, and the first line is a manhole.
    const ManholeCoordinates bare = ParseCoordinates("Q\t1\t2\n", &skipped);
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(bare.system, CoordinateSystem{});
    EXPECT_EQ(bare.points.size(), 1u);
    // A damaged header falls back to the default system and is counted.
    EXPECT_EQ(ParseCoordinates("SISTEMA\tx\tlabel\nQ\t1\t2\n", &skipped).system.epsg, 9377);
    EXPECT_EQ(skipped, 1);
}

class CoordinatesFile : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        folder_ = fs::temp_directory_path() /
                  ("nivex-coords-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(folder_);
        project_.files.Build(folder_.string(), "AB1");
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Bytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path folder_;
    project::Project project_;
};

TEST_F(CoordinatesFile, LivesBesideTheSectorFilesAndIsOnlyWrittenByItsHolder) {
    EXPECT_EQ(fs::path(CoordinatesPath(project_.files)), folder_ / "Pozos.AB1");
    ManholeCoordinates c;
    std::string error;
    int skipped = 0;
    // No file: no coordinates, and no error.
    ASSERT_TRUE(ReadCoordinates(project_, c, &skipped, &error)) << error;
    EXPECT_TRUE(c.points.empty());

    c.points = {{"P1", 1.5, 2.5}};
    ASSERT_TRUE(WriteCoordinates(project_, c, &error)) << error;
    EXPECT_EQ(Bytes(folder_ / "Pozos.AB1"),
              "SISTEMA\t9377\tMAGNA-SIRGAS / Origen-Nacional\nP1\t1.5\t2.5\n");
    ManholeCoordinates back;
    ASSERT_TRUE(ReadCoordinates(project_, back, &skipped, &error));
    EXPECT_EQ(back.points, c.points);

    // A sector another program holds is only read: nothing is written.
    project_.control.SetReadOnly(true);
    c.points = {{"P2", 3, 4}};
    EXPECT_FALSE(WriteCoordinates(project_, c, &error));
    EXPECT_NE(error.find("Pozos.AB1"), std::string::npos) << error;
    EXPECT_EQ(Bytes(folder_ / "Pozos.AB1"),
              "SISTEMA\t9377\tMAGNA-SIRGAS / Origen-Nacional\nP1\t1.5\t2.5\n");
}

TEST_F(CoordinatesFile, AWriteThatFailsMidwayLeavesTheGoodFileAndNoTemporaryFile) {
    ManholeCoordinates good;
    good.points = {{"P1", 1, 2}};
    std::string error;
    ASSERT_TRUE(WriteCoordinates(project_, good, &error)) << error;
    const std::string before = Bytes(folder_ / "Pozos.AB1");

    ManholeCoordinates big;
    for (int k = 0; k < 2000; ++k)
        big.points.push_back({"N" + std::to_string(k), 4880000.0 + k, 2065000.0 + k});
    // The system stops the write beyond 1 kB, as a full disk stops it halfway.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteCoordinates(project_, big, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_NE(error.find("Pozos.AB1"), std::string::npos) << error;
    EXPECT_EQ(Bytes(folder_ / "Pozos.AB1"), before);
    EXPECT_FALSE(nivex::testing::HasTempFile(folder_ / "Pozos.AB1"));
}

}  // namespace
}  // namespace nivex::drawings
