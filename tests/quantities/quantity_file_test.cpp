#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "quantities/quantity_file.h"
#include "quantities/quantity_run.h"
#include "quantities/quantity_test_network.h"
#include "support/temp_files.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;

TEST(RealNotation, HasTheFixedWidthOfTheFiles) {
    EXPECT_EQ(RealText(125), " 1.25000000000000E+0002");
    EXPECT_EQ(RealText(-0.5), "-5.00000000000000E-0001");
    EXPECT_EQ(RealText(0), " 0.00000000000000E+0000");
    EXPECT_EQ(RealText(1.0 / 3.0), " 3.33333333333333E-0001");
    EXPECT_EQ(RealText(123456789.0), " 1.23456789000000E+0008");
    EXPECT_EQ(RealText(std::nan("")), RealText(0));
    for (double v : {125.0, -0.5, 1e-300, 9.87654321e12})
        EXPECT_EQ(RealText(v).size(), 23u);
}

TEST(RealNotation, TruncatesTheFirstNumberTowardsZero) {
    EXPECT_EQ(TruncateTo2(2.349), 2.34);
    EXPECT_EQ(TruncateTo2(-1.239), -1.23);
    // Values that are whole hundredths stay so, whatever their binary form.
    EXPECT_EQ(TruncateTo2(0.29), 0.29);
    EXPECT_EQ(TruncateTo2(static_cast<double>(2.6f)), 2.6);
    EXPECT_EQ(TruncateTo2(1.15), 1.15);
    // Large numbers are truncated too: the half hundredth is a real fraction there.
    EXPECT_EQ(TruncateTo2(8058.745), 8058.74);
    EXPECT_EQ(TruncateTo2(5000.005), 5000.0);
    EXPECT_EQ(TruncateTo2(123456.789), 123456.78);
    EXPECT_EQ(TruncateTo2(-9999.999), -9999.99);
    EXPECT_EQ(TruncateTo2(static_cast<double>(8058.74f)), 8058.74);
}

TEST(RealNotation, TheFirstNumberOfALineIsWrittenTruncated) {
    // One line of the statistics: 8058.745 is written as 8058.74 by the hand rule.
    QuantityTables tables;
    tables.Clear(29);
    tables.sixteenthValue = 8058.745;
    KeepAsStored(tables);
    EXPECT_EQ(tables.sixteenthValue, 8058.74);
}

TEST(RealNotation, ReadsBackWhatItWrites) {
    double v = 0;
    ASSERT_TRUE(ParseReal(" 1.25000000000000E+0002", v));
    EXPECT_EQ(v, 125);
    ASSERT_TRUE(ParseReal("-5.00000000000000E-0001", v));
    EXPECT_EQ(v, -0.5);
    EXPECT_FALSE(ParseReal("abc", v));
    EXPECT_FALSE(ParseReal("", v));
    EXPECT_FALSE(ParseReal(" 1.2E+0001x", v));
    double three[3];
    ASSERT_TRUE(ParseRealLine(RealText(1) + RealText(-2) + RealText(3), three, 3));
    EXPECT_EQ(three[1], -2);
    EXPECT_FALSE(ParseRealLine(RealText(1) + RealText(-2), three, 3));
}

class QuantityFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("nivex_qfile_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "SANNEWQ.AB1").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The tables of a real run, with awkward values in the groups read back.
    QuantityTables Computed() const {
        network::TramoT third = testing::Reach("C", "D", 30.37f, 450, 2.3f, 2.1f);
        design::DropPipeDiameter(third) = 300;
        design::DropHeight(third) = 0.83f;
        const QuantityResult r = ComputeQuantityTables(
            testing::OneSector({testing::Reach("A", "B", 50.2f, 300, 1.21f, 1.53f),
                                testing::Reach("B", "C", 40, 300, 1.53f, 2.31f), third}),
            testing::RoundCriteria());
        QuantityTables t = r.newWithRemovals;
        t.pipeTypes = {"Tipo <1>", "", "Gres"};
        return t;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(QuantityFileTest, RoundTripKeepsEveryNumberAndTheLayout) {
    const QuantityTables written = Computed();
    std::string error;
    ASSERT_TRUE(WriteQuantityFile(path_, written, &error)) << error;
    EXPECT_FALSE(nivex::testing::HasTempFile(path_));
    const std::string first = Contents();
    // 35 + 4 + 4 + 45 + 4 (S + 1) + 4 + (S + 1) + 3 + 7 + 11 + 5 + 1 + 3 + 4 + 2 (S + 2)
    // + 4 lines, S = 6.
    const int s = written.sizeCount;
    const int lines =
        35 + 4 + 4 + 45 + 4 * (s + 1) + 4 + (s + 1) + 3 + 7 + 11 + 5 + 1 + 3 + 4 + 2 * (s + 2) + 4;
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), lines);
    EXPECT_EQ(first.substr(0, 25), RealText(written.excavation[1][1]) + "\r\n");

    QuantityTables read;
    ASSERT_EQ(ReadQuantityFile(path_, s, read).status, FileRead::Read);
    ASSERT_TRUE(WriteQuantityFile(path_, read, &error));
    EXPECT_EQ(Contents(), first);  // byte for byte
    QuantityTables again;
    ASSERT_EQ(ReadQuantityFile(path_, s, again).status, FileRead::Read);
    // Bit for bit after one trip; the first number of a line is stored to two decimals.
    EXPECT_EQ(again.pipes[1][1].lengthDepth, read.pipes[1][1].lengthDepth);
    EXPECT_EQ(read.pipes[1][1].lengthDepth, written.pipes[1][1].lengthDepth);
    EXPECT_EQ(read.drops[2].heightSum, written.drops[2].heightSum);
    EXPECT_EQ(read.statisticsB[kLargestCrownDepth], 2.31);
    EXPECT_EQ(read.pipeTypes, written.pipeTypes);
    EXPECT_EQ(read.sixteenthValue, 7);
    EXPECT_EQ(read.connections[static_cast<size_t>(s) + 1], 12);
}

TEST_F(QuantityFileTest, DamagedOrMissingFilesLeaveTheTablesAlone) {
    QuantityTables kept = Computed();
    const int s = kept.sizeCount;
    const double before = kept.excavation[7][5];
    EXPECT_EQ(ReadQuantityFile(path_, s, kept).status, FileRead::Missing);
    EXPECT_EQ(kept.excavation[7][5], before);

    std::string error;
    ASSERT_TRUE(WriteQuantityFile(path_, Computed(), &error));
    const std::string whole = Contents();
    QuantityTables zeros;
    zeros.Clear(s);
    ASSERT_TRUE(WriteQuantityFile(path_, zeros, &error));
    const std::string zero = Contents();

    // Cut short half way.
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << zero.substr(0, zero.find('\n', zero.size() / 2) + 1);
    }
    QuantityFileResult r = ReadQuantityFile(path_, s, kept);
    EXPECT_EQ(r.status, FileRead::Damaged);
    EXPECT_NE(r.error.find("SANNEWQ.AB1"), std::string::npos);
    EXPECT_NE(r.error.find("termina antes de tiempo"), std::string::npos);
    EXPECT_EQ(kept.excavation[7][5], before);

    // Text where a number belongs.
    std::string text = zero;
    text.replace(0, 23, "       no es un numero ");
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << text;
    }
    r = ReadQuantityFile(path_, s, kept);
    EXPECT_EQ(r.status, FileRead::Damaged);
    EXPECT_NE(r.error.find("linea 1"), std::string::npos);
    EXPECT_EQ(kept.excavation[7][5], before);

    // Read for another size list: the lines no longer fall in their groups.
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << whole;
    }
    EXPECT_EQ(ReadQuantityFile(path_, s + 3, kept).status, FileRead::Damaged);
}

}  // namespace
}  // namespace nivex::quantities
