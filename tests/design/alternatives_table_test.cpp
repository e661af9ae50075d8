// The design alternatives: the 80-bit extended codec, the design state file, the header
// refresh, the sort and selection, the stored reach lists and the comparison listing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <tuple>

#include "console/codepage.h"
#include "design/alternatives_listing.h"
#include "design/alternatives_table.h"
#include "design/topology_list_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "shell/session.h"
#include "support/session_rig.h"
#include "support/temp_files.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;
using Extended10 = std::array<uint8_t, kExtendedSize>;

uint64_t Bits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

double FromBits(uint64_t u) {
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

Extended10 Raw(uint64_t mantissa, uint16_t signExponent) {
    Extended10 b{};
    for (size_t i = 0; i < 8; ++i)
        b[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    b[8] = static_cast<uint8_t>(signExponent);
    b[9] = static_cast<uint8_t>(signExponent >> 8);
    return b;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RandomBytes(size_t n, unsigned start) {
    std::mt19937 gen(start);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(gen() & 0xFF);
    return bytes;
}

class TempFolder : public ::testing::Test {
  protected:
    fs::path folder =
        fs::temp_directory_path() / ("nivex-alternatives-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
};

// ---- The 80-bit extended format ----

TEST(ExtendedFloat, KnownValuesEncodeAsTheX87Does) {
    EXPECT_EQ(EncodeExtended(1.0), Raw(0x8000000000000000, 0x3FFF));
    EXPECT_EQ(EncodeExtended(1.0), (Extended10{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(EncodeExtended(0.0), Extended10{});
    EXPECT_EQ(EncodeExtended(-0.0), Raw(0, 0x8000));
    EXPECT_EQ(EncodeExtended(-2.5), Raw(0xA000000000000000, 0xC000));
    EXPECT_EQ(EncodeExtended(DBL_MAX), Raw(0xFFFFFFFFFFFFF800, 0x43FE));
    EXPECT_EQ(EncodeExtended(DBL_MIN), Raw(0x8000000000000000, 0x3C01));
    // The smallest denormal double is a normal extended number.
    EXPECT_EQ(EncodeExtended(std::numeric_limits<double>::denorm_min()),
              Raw(0x8000000000000000, 0x3BCD));
    EXPECT_EQ(EncodeExtended(3 * std::numeric_limits<double>::denorm_min()),
              Raw(0xC000000000000000, 0x3BCE));
    EXPECT_EQ(EncodeExtended(-INFINITY), Raw(0x8000000000000000, 0xFFFF));
    EXPECT_EQ(EncodeExtended(std::numeric_limits<double>::quiet_NaN()),
              Raw(0xC000000000000000, 0x7FFF));
}

TEST(ExtendedFloat, EveryDoubleComesBackExactly) {
    std::mt19937_64 gen(7);
    std::vector<double> values{0.0,
                               -0.0,
                               1.0,
                               -2.5,
                               1e300,
                               -1e-300,
                               DBL_MAX,
                               DBL_MIN,
                               1234.5678,
                               0.1,
                               std::numeric_limits<double>::denorm_min(),
                               INFINITY,
                               -INFINITY};
    for (int i = 0; i < 20000; ++i)
        values.push_back(FromBits(gen()));  // NaN payloads included
    for (uint64_t m : {uint64_t{1}, uint64_t{0xFFFFFFFFFFFFF}, uint64_t{0x123456789}})
        values.push_back(FromBits(m));  // denormals
    for (double d : values) {
        const Extended10 e = EncodeExtended(d);
        EXPECT_EQ(Bits(DecodeExtended(e.data())), Bits(d)) << d;
    }
    const Extended10 nan = EncodeExtended(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(DecodeExtended(nan.data())));
}

TEST(ExtendedFloat, AgreesWithTheHardwareFormatWhereThereIsOne) {
    if (LDBL_MANT_DIG != 64) GTEST_SKIP() << "long double is not the x87 format here";
    std::mt19937_64 gen(11);
    for (int i = 0; i < 5000; ++i) {
        const double d = FromBits(gen());
        if (std::isnan(d)) continue;
        const auto ld = static_cast<long double>(d);
        Extended10 hw{};
        std::memcpy(hw.data(), &ld, kExtendedSize);
        ASSERT_EQ(EncodeExtended(d), hw) << d;
        // Values with more precision than a double round as the hardware rounds them.
        long double wider = ld * (1.0L + LDBL_EPSILON * static_cast<long double>(gen() % 2048));
        std::memcpy(hw.data(), &wider, kExtendedSize);
        if (std::isfinite(static_cast<double>(wider))) {
            ASSERT_EQ(Bits(DecodeExtended(hw.data())), Bits(static_cast<double>(wider))) << d;
        }
        // Around and inside the denormal range of the double.
        const long double tiny =
            std::ldexp(static_cast<long double>(gen() | 1), -1130 + static_cast<int>(gen() % 100));
        std::memcpy(hw.data(), &tiny, kExtendedSize);
        ASSERT_EQ(Bits(DecodeExtended(hw.data())), Bits(static_cast<double>(tiny))) << i;
    }
}

TEST(ExtendedFloat, ExtraPrecisionRoundsToNearestEven) {
    // Half a unit of the double's last place above 1: stays 1 (even).
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000400, 0x3FFF).data()), 1.0);
    // Just above half: up.
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000401, 0x3FFF).data()), std::nextafter(1.0, 2.0));
    // Half above an odd last place: up to even.
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000C00, 0x3FFF).data()), FromBits(Bits(1.0) + 2));
    // All ones carry into the next power of two.
    EXPECT_EQ(DecodeExtended(Raw(0xFFFFFFFFFFFFFFFF, 0x3FFF).data()), 2.0);
    // Beyond the double's range: infinity, and below it zero.
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000000, 0x7000).data()), INFINITY);
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000000, 0x8100).data()), -0.0);
    EXPECT_TRUE(std::signbit(DecodeExtended(Raw(0x8000000000000000, 0x8100).data())));
    // Half the smallest denormal is a tie to zero; a little more rounds up to it.
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000000, 0x3BCC).data()), 0.0);
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000001, 0x3BCC).data()),
              std::numeric_limits<double>::denorm_min());
    // An extended denormal and an unnormal (integer bit clear) still read their value.
    EXPECT_EQ(DecodeExtended(Raw(0x4000000000000000, 0x3FFF).data()), 0.5);
    EXPECT_EQ(DecodeExtended(Raw(0x4000000000000000, 0x0000).data()), 0.0);
    // Infinity and NaN, whatever the integer bit says.
    EXPECT_EQ(DecodeExtended(Raw(0x8000000000000000, 0x7FFF).data()), INFINITY);
    EXPECT_TRUE(std::isnan(DecodeExtended(Raw(0x8000000000000001, 0x7FFF).data())));
}

// ---- Records, header and the design state file ----

TEST_F(TempFolder, ArbitraryFileIsWrittenBackByteForByte) {
    for (unsigned draw : {1u, 2u, 3u}) {
        const std::string bytes = RandomBytes(kDesignStateSize, draw);
        const fs::path in = folder / "AB1";
        const fs::path out = folder / "AB2";
        WriteAll(in, bytes);
        AlternativesTable table;
        std::string error;
        ASSERT_TRUE(ReadDesignState(table, in.string(), &error)) << error;
        ASSERT_TRUE(WriteDesignState(table, out.string(), &error)) << error;
        EXPECT_EQ(ReadAll(out), bytes) << "draw " << draw;
        EXPECT_FALSE(nivex::testing::HasTempFile(out));
    }
}

// The cost of each design lives beside the table, by alternative number: it follows its
// record wherever the ordering puts it, the 5712 bytes stay as they were, and a file that
// does not read only leaves the costs unknown.
TEST_F(TempFolder, CostsAreKeptBesideTheTableByAlternativeNumber) {
    const fs::path state = folder / "XSDE.AB1";
    AlternativesTable table;
    for (int k = 0; k < kAlternatives; ++k)
        FillUndesigned(table, k);
    table.records[0].number = 0;
    table.records[0].cost = 1234567.89;
    table.records[3].number = 12;
    table.records[3].cost = 998000;
    std::string error;
    ASSERT_TRUE(WriteDesignState(table, state.string(), &error)) << error;
    const fs::path costs = folder / "CostosAlt.AB1";
    ASSERT_TRUE(fs::exists(costs));
    EXPECT_EQ(ReadAll(costs), "0 1234567.89\r\n12 998000.00\r\n");
    // Another order of the records: the costs go with their numbers.
    std::swap(table.records[0], table.records[3]);
    AlternativesTable back;
    ASSERT_TRUE(ReadDesignState(back, state.string(), &error)) << error;
    EXPECT_DOUBLE_EQ(back.records[0].cost, 1234567.89);
    EXPECT_DOUBLE_EQ(back.records[3].cost, 998000);
    EXPECT_LT(back.records[1].cost, 0);
    WriteAll(costs, "12 nada\r\n0 -5\r\nbasura\r\n12 77.5\r\n");
    ASSERT_TRUE(ReadDesignState(back, state.string(), &error)) << error;
    EXPECT_LT(back.records[0].cost, 0);
    EXPECT_DOUBLE_EQ(back.records[3].cost, 77.5);
    fs::remove(costs);
    ASSERT_TRUE(ReadDesignState(back, state.string(), &error)) << error;
    EXPECT_LT(back.records[3].cost, 0);
}

TEST(AlternativesRecords, FieldsSitAtTheirOffsets) {
    AlternativesTable table;
    AlternativeT& a = table.records[3];
    a.number = 12;
    a.meanDepth = 1.75;
    a.outfalls = 4;
    a.eliminated = 2;
    a.status = "??";
    table.header.topologyMode = 3;
    table.header.areaSum = 1.0;
    table.header.searchDays = 0.5;
    table.header.country = "COLOMBIA";
    codec::Bytes bytes;
    ASSERT_TRUE(Encode(table, bytes));
    ASSERT_EQ(bytes.size(), kDesignStateSize);
    const size_t r = 3 * kAlternativeSize;
    EXPECT_EQ(codec::I16(bytes, r + 0), 12);
    EXPECT_EQ(codec::F64(bytes, r + 2), 1.75);
    EXPECT_EQ(codec::I16(bytes, r + 26), 4);
    EXPECT_EQ(codec::F64(bytes, r + 52), 2.0);
    EXPECT_EQ(codec::Text(bytes, r + 60, 2), "??");
    EXPECT_EQ(codec::I16(bytes, 222), 3);
    EXPECT_EQ(bytes[242 + 7], 0x80);
    EXPECT_EQ(bytes[242 + 9], 0x3F);
    EXPECT_EQ(codec::F64(bytes, 252), 0.5);
    EXPECT_EQ(codec::Text(bytes, 308, 27), "COLOMBIA");
    // A new table numbers its records.
    EXPECT_EQ(codec::I16(bytes, 5 * kAlternativeSize), 5);

    table.records[1].outfalls = 40000;
    EXPECT_FALSE(Encode(table, bytes));
}

TEST(AlternativesRecords, UndesignedAndAbandonedRecords) {
    AlternativesTable table;
    table.records[4].meanDepth = 3;
    FillUndesigned(table, 4);
    EXPECT_EQ(table.records[4].raw, codec::Bytes(kAlternativeSize, 100));
    EXPECT_EQ(table.records[4].number, 0x6464);
    table.records[10].meanSize = 300;
    table.records[10].status = "OK";
    ClearAbandoned(table, 10);
    codec::Bytes bytes;
    ASSERT_TRUE(Encode(table, bytes));
    codec::Bytes expected(kAlternativeSize, 0);
    expected[0] = 10;
    EXPECT_EQ(
        codec::Bytes(bytes.begin() + 10 * kAlternativeSize, bytes.begin() + 11 * kAlternativeSize),
        expected);
    EXPECT_EQ(
        codec::Bytes(bytes.begin() + 4 * kAlternativeSize, bytes.begin() + 5 * kAlternativeSize),
        codec::Bytes(kAlternativeSize, 100));
    EXPECT_TRUE(IsDesignedAlternative(10));
    EXPECT_FALSE(IsDesignedAlternative(4));
    EXPECT_EQ(kTopologyVariants[0].searchFlag, 0);
    EXPECT_EQ(kTopologyVariants[12].characters, "D1D2");
}

TEST_F(TempFolder, ShortOrLongFileIsRefusedAndTheTableKept) {
    AlternativesTable table;
    table.records[2].meanDepth = 1.25;
    table.header.projectName = "Guayabal";
    const std::string good = RandomBytes(kDesignStateSize, 9);
    for (const std::string& bytes :
         {good.substr(0, kDesignStateSize - 1), good + "x", std::string()}) {
        const fs::path path = folder / "AB1";
        WriteAll(path, bytes);
        std::string error;
        EXPECT_FALSE(ReadDesignState(table, path.string(), &error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_EQ(table.records[2].meanDepth, 1.25);
        EXPECT_EQ(table.header.projectName, "Guayabal");
    }
    std::string error;
    ASSERT_FALSE(ReadDesignState(table, (folder / "AB1").string(), &error));
    EXPECT_NE(error.find("incompleto"), std::string::npos) << error;
    EXPECT_FALSE(ReadDesignState(table, (folder / "none").string(), &error));
    EXPECT_NE(error.find("No existe"), std::string::npos) << error;
}

TEST_F(TempFolder, OpeningCreatesTheFileFromTheTableWhenMissing) {
    AlternativesTable table;
    table.records[1].meanDepth = 2.5;
    const std::string path = (folder / "AB1").string();
    std::string error;
    ASSERT_TRUE(OpenDesignState(table, path, &error)) << error;
    EXPECT_EQ(fs::file_size(path), kDesignStateSize);
    AlternativesTable other;
    other.records[1].meanDepth = 9;
    ASSERT_TRUE(OpenDesignState(other, path, &error)) << error;  // read, not rewritten
    EXPECT_EQ(other.records[1].meanDepth, 2.5);
}

class HeaderRefresh : public TempFolder {
  protected:
    project::Project project;
    std::vector<network::TramoT> reaches;

    void SetUp() override {
        TempFolder::SetUp();
        project.files.Build(folder.string(), "AB3");
        shell::ProyectoT& h = project.header;
        h.ReachCount = 3;
        h.ProjectName = "Barrio El Poblado, etapa segunda";  // 32 characters
        h.ProjectDate = "Marzo 2021";
        h.Entity = "EPM";
        h.Consultant = "Ingenieria y Consultoria Ltda. de Antioquia";
        h.Email = "diseno@consultor.co";
        h.Country = "COLOMBIA";
        h.DesignClass = 2;
        project.espec.SystemKind = 2;
        for (auto [length, area, cls] : {std::tuple{100.0f, 0.1f, 0}, std::tuple{50.0f, 0.2f, 1},
                                         std::tuple{25.0f, 0.3f, 3}, std::tuple{999.0f, 9.0f, 1}}) {
            network::TramoT& t = reaches.emplace_back();
            t.Length = length;
            t.Area = area;
            t.Class = cls;
        }
    }
};

TEST_F(HeaderRefresh, SumsTheReachesUpToReachCountAndCutsTheTexts) {
    AlternativesTable table;
    table.header.searchDays = 0.25;
    RefreshHeader(table, project, 3, reaches);
    const AlternativesHeader& h = table.header;
    EXPECT_EQ(h.controlReserved, "0000000000");
    EXPECT_EQ(h.consultant, "Ingenieria y Consultoria ");
    EXPECT_EQ(h.projectName, "Barrio El Poblado, etapa ");
    EXPECT_EQ(h.version, "20.12");
    EXPECT_EQ(h.topologyMode, 3);
    EXPECT_EQ(h.reachCount, 3);
    EXPECT_EQ(h.lengthSum, 175.0);  // the fourth record is past ReachCount
    const long double area = static_cast<long double>(0.1f) + 0.2f + 0.3f;
    EXPECT_EQ(h.areaSum, static_cast<double>(area));
    EXPECT_DOUBLE_EQ(h.existingPercent, 75 * 100.0 / 175);
    EXPECT_EQ(h.sectorNumber, 3);
    EXPECT_EQ(h.designClass, 2);
    EXPECT_EQ(h.searchDays, 0.25);  // only a run that searched sets it
    EXPECT_EQ(table.records[0].status, "");

    const std::string path = DesignStatePath(project);
    EXPECT_EQ(path, (folder / "AB3").string());
    std::string error;
    ASSERT_TRUE(WriteDesignState(table, path, &error)) << error;
    const std::string bytes = ReadAll(path);
    const codec::Bytes b(bytes.begin(), bytes.end());
    EXPECT_EQ(codec::Text(b, 74, 25), "Ingenieria y Consultoria ");
    EXPECT_EQ(codec::Text(b, 216, 5), "20.12");
    EXPECT_EQ(Extended(b, 242), h.areaSum);
    EXPECT_EQ(codec::I16(b, 260), 3);
    EXPECT_EQ(codec::Text(b, 272, 35), "diseno@consultor.co");
}

TEST_F(HeaderRefresh, ManualModeSetsOkAndLengthKindAddsNoArea) {
    AlternativesTable table;
    project.espec.SystemKind = 1;
    for (network::TramoT& t : reaches)
        t.Class = 0;
    RefreshHeader(table, project, 1, reaches);
    EXPECT_EQ(table.header.areaSum, 0.0);
    EXPECT_EQ(table.header.existingPercent, 0.0);
    EXPECT_EQ(table.records[0].status, "OK");
    project.header.ReachCount = 0;
    RefreshHeader(table, project, 2, reaches);
    EXPECT_EQ(table.header.lengthSum, 0.0);
    EXPECT_EQ(table.header.existingPercent, 0.0);
}

TEST(TopologyMode, SimulatedAndImportedProjectsOverrideTheStoredMode) {
    project::Project p;
    p.espec.TopologyMode = 3;
    EXPECT_EQ(TopologyModeOfRun(p), 3);
    p.espec.FromSwmm = 1;
    EXPECT_EQ(TopologyModeOfRun(p), kTopologyAutomatic);
    p.espec.FromSwmm = 0;
    p.header.Simulated = 1;
    EXPECT_EQ(TopologyModeOfRun(p), kTopologyManual);
}

// ---- Sort and selection ----

AlternativeT Alt(int number, double depth, double size = 200, double crown = 2,
                 double finalMax = 1.5, double finalMin = 1.2, double diameter = 300,
                 double eliminated = 0) {
    AlternativeT a;
    a.number = number;
    a.meanDepth = depth;
    a.meanSize = size;
    a.largestCrownDepth = crown;
    a.largestFinalDepth = finalMax;
    a.smallestFinalDepth = finalMin;
    a.largestDiameter = diameter;
    a.eliminated = eliminated;
    a.outfalls = 1;
    return a;
}

std::vector<int> Numbers(const AlternativesTable& t) {
    std::vector<int> out;
    for (const AlternativeT& a : t.records)
        out.push_back(a.number);
    return out;
}

// Records 1..16 as a run leaves them: the designed ones given, the rest bytes of 100.
AlternativesTable RunTable(const std::vector<AlternativeT>& designed) {
    AlternativesTable t;
    for (int k = 1; k < kAlternatives; ++k)
        if (!IsDesignedAlternative(k)) FillUndesigned(t, k);
    size_t next = 0;
    for (int k : kDesignedAlternatives)
        if (next < designed.size()) t.records[static_cast<size_t>(k)] = designed[next++];
    return t;
}

TEST(SortAlternatives, DesignedFirstByDepthThenUndesignedThenAbandoned) {
    AlternativesTable t = RunTable({Alt(1, 1.8), Alt(2, 1.6), Alt(10, 1), Alt(12, 1.6, 190),
                                    Alt(15, 1.9), Alt(16, 1.6, 190, 1.9)});
    ClearAbandoned(t, 10);
    t.records[0] = Alt(0, 5);
    SortAlternatives(t);
    const std::vector<int> n = Numbers(t);
    EXPECT_EQ(n[0], 0);  // record 0 stays
    EXPECT_EQ(std::vector<int>(n.begin() + 1, n.begin() + 6), (std::vector<int>{16, 12, 2, 1, 15}));
    for (size_t k = 6; k < 16; ++k)
        EXPECT_EQ(t.records[k].raw, codec::Bytes(kAlternativeSize, 100)) << k;
    EXPECT_EQ(n[16], 10);  // mean depth 0 behind everything, undesigned records included
}

TEST(SortAlternatives, ADesignOfNoNewPipeStaysAheadOfTheUndesigned) {
    // With no new reach the new system has no pipe and its statistics are 0, but the
    // design has its outfalls and final depths.
    AlternativesTable t = RunTable({Alt(1, 0, 0, 0, 1.5, 1.2, 0), Alt(2, 0, 0, 0, 1.4, 1.2, 0)});
    for (int k : {10, 12, 15, 16})
        ClearAbandoned(t, k);
    SortAlternatives(t);
    EXPECT_TRUE(WasDesigned(t.records[1]));
    EXPECT_TRUE(WasDesigned(t.records[2]));
    EXPECT_EQ(t.records[1].number, 2);
    EXPECT_EQ(SelectAlternatives(t), 1);
}

TEST(AlternativesRecords, OnlyDesignedRecordsCountAsDesigned) {
    AlternativesTable t = RunTable({Alt(1, 1.5)});
    EXPECT_TRUE(WasDesigned(t.records[1]));
    EXPECT_FALSE(WasDesigned(t.records[3]));  // bytes of 100: alternative 25700
    ClearAbandoned(t, 1);
    EXPECT_FALSE(WasDesigned(t.records[1]));
    // Figures no design gives, as a damaged file may hold them.
    for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), -1.0, 1e300}) {
        AlternativeT a = Alt(2, 1.5);
        a.largestDiameter = bad;
        EXPECT_FALSE(WasDesigned(a)) << bad;
    }
    AlternativeT a = Alt(3, 1.5);  // not one of the six designed alternatives
    EXPECT_FALSE(WasDesigned(a));
    a = Alt(0, 1.5);  // nor the network as entered
    EXPECT_FALSE(WasDesigned(a));
}

TEST(SortAlternatives, LaterKeysBreakTies) {
    // The first key that differs decides: final depths, largest then smallest.
    AlternativesTable t = RunTable({Alt(1, 1.5, 200, 2, 1.7), Alt(2, 1.5, 200, 2, 1.5, 1.3, 300, 0),
                                    Alt(10, 1.5, 200, 2, 1.5, 1.1, 300, 1), Alt(12, 1.6),
                                    Alt(15, 1.7), Alt(16, 1.8)});
    SortAlternatives(t);
    EXPECT_EQ(t.records[1].number, 10);
    EXPECT_EQ(t.records[2].number, 2);
    EXPECT_EQ(t.records[3].number, 1);
}

TEST(SortAlternatives, FullTiesChangePlacesOnlyWithEqualEliminatedCounts) {
    // Records 15 and 16 are compared once, in the first pass; the others are better (they
    // all carry the number 1).
    auto table = [](double min15, double elim15, double min16, double elim16) {
        AlternativesTable t;
        for (int k = 1; k <= 14; ++k)
            t.records[static_cast<size_t>(k)] = Alt(1, 1 + k / 100.0);
        t.records[15] = Alt(15, 2, 200, 2, 1.5, min15, 300, elim15);
        t.records[16] = Alt(16, 2, 200, 2, 1.5, min16, 300, elim16);
        SortAlternatives(t);
        return t.records[15].number;
    };
    EXPECT_EQ(table(1.2, 3, 1.2, 3), 16);  // all equal: exchanged
    EXPECT_EQ(table(1.0, 3, 1.2, 3), 16);  // smaller smallest final depth, same count
    EXPECT_EQ(table(1.2, 3, 1.2, 4), 15);  // counts differ: kept
    EXPECT_EQ(table(1.0, 3, 1.2, 4), 15);
    EXPECT_EQ(table(1.3, 3, 1.2, 4), 16);  // larger smallest final depth goes after
}

TEST(SelectAlternatives, OneRowWhenNothingBeatsTheFirst) {
    AlternativesTable t =
        RunTable({Alt(1, 1.4, 150, 1.5, 1, 1, 250), Alt(2, 1.5, 150, 1.6, 1, 1, 250),
                  Alt(10, 1.6, 160, 1.5, 1, 1, 250), Alt(12, 1.7, 150, 1.5, 1, 1, 260),
                  Alt(15, 1.8, 155, 1.5, 1, 1, 250), Alt(16, 1.9, 150, 1.5, 1, 1, 250)});
    SortAlternatives(t);
    const std::vector<int> before = Numbers(t);
    EXPECT_EQ(SelectAlternatives(t), 1);
    EXPECT_EQ(Numbers(t), before);
}

TEST(SelectAlternatives, EachImprovingRecordMovesBehindTheRowsChosen) {
    // After the sort: 1, 2, 10, 12, 15, 16.
    AlternativesTable t =
        RunTable({Alt(1, 1.1, 200, 2.0, 1, 1, 400), Alt(2, 1.2, 210, 1.9, 1, 1, 400),
                  Alt(10, 1.3, 220, 2.1, 1, 1, 350), Alt(12, 1.4, 180, 2.2, 1, 1, 500),
                  Alt(15, 1.5, 180, 1.8, 1, 1, 400), Alt(16, 1.6, 230, 2.3, 1, 1, 300)});
    SortAlternatives(t);
    std::vector<int> n = Numbers(t);
    ASSERT_EQ(std::vector<int>(n.begin() + 1, n.begin() + 7),
              (std::vector<int>{1, 2, 10, 12, 15, 16}));
    EXPECT_EQ(SelectAlternatives(t), 4);
    // Mean size: 12 (first of the two at 180). Crown depth below record 1's 2.0, from
    // position 3: 15 at 1.8 beats 2 at 1.9. Diameter below 400 from position 4: 16.
    n = Numbers(t);
    EXPECT_EQ(std::vector<int>(n.begin() + 1, n.begin() + 7),
              (std::vector<int>{1, 12, 15, 16, 2, 10}));
    for (size_t k = 7; k < kAlternatives; ++k)
        EXPECT_EQ(t.records[k].raw, codec::Bytes(kAlternativeSize, 100)) << k;
}

TEST(SelectAlternatives, RunningMinimumIsRecordOnesValue) {
    // Record 2 has the smallest diameter, but once it was taken for the mean size the
    // diameter pass only scans from position 3 and compares with record 1.
    AlternativesTable t =
        RunTable({Alt(1, 1.1, 200, 2, 1, 1, 400), Alt(2, 1.2, 190, 2, 1, 1, 300),
                  Alt(10, 1.3, 210, 2, 1, 1, 450), Alt(12, 1.4, 200, 2, 1, 1, 400),
                  Alt(15, 1.5, 200, 2, 1, 1, 400), Alt(16, 1.6, 200, 2, 1, 1, 400)});
    SortAlternatives(t);
    EXPECT_EQ(SelectAlternatives(t), 2);
    EXPECT_EQ(t.records[2].number, 2);
    EXPECT_EQ(t.records[3].number, 10);
}

TEST(SelectAlternatives, AbandonedAndUndesignedRecordsAreNeverPicked) {
    // Their zeros and their bytes of 100 would beat record 1 on every key.
    AlternativesTable t =
        RunTable({Alt(1, 1.1, 200, 2, 1, 1, 400), Alt(2, 1.2, 200, 2, 1, 1, 400), Alt(10, 1),
                  Alt(12, 1.3, 190, 2, 1, 1, 400), Alt(15, 1.4), Alt(16, 1.5, 200, 2, 1, 1, 400)});
    for (int k : {10, 15})
        ClearAbandoned(t, k);
    SortAlternatives(t);
    EXPECT_EQ(SelectAlternatives(t), 2);
    EXPECT_EQ(t.records[1].number, 1);
    EXPECT_EQ(t.records[2].number, 12);  // the smaller mean size
    // The four designed alternatives lead; the rest follow.
    for (size_t k = 1; k < kAlternatives; ++k)
        EXPECT_EQ(WasDesigned(t.records[k]), k <= 4) << k;
}

TEST(SelectAlternatives, NoRowWhenNothingWasDesigned) {
    AlternativesTable t = RunTable({});
    for (int k : kDesignedAlternatives)
        ClearAbandoned(t, k);
    SortAlternatives(t);
    EXPECT_EQ(SelectAlternatives(t), 0);
    // Nor when the table holds only what a run leaves for the undesigned alternatives.
    AlternativesTable undesigned;
    for (int k = 1; k < kAlternatives; ++k)
        FillUndesigned(undesigned, k);
    SortAlternatives(undesigned);
    EXPECT_EQ(SelectAlternatives(undesigned), 0);
}

// ---- The reach lists of the automatic alternatives ----

TEST_F(TempFolder, TopologyListRoundTripAndRefusals) {
    project::FileNames files;
    files.Build(folder.string(), "AB1");
    const std::string path = TopologyListPath(files, 12);
    EXPECT_EQ(path, (folder / "TrUpT12.AB1").string());

    std::vector<TopologyEntry> entries(2);
    entries[0].upstream = "P1";
    entries[0].downstream = "P2";
    entries[0].search = {1, 2, 3, 4, 5, 6, 7};
    entries[1].upstream = "POZO12";
    entries[1].downstream = "LARGONAME";  // cut to six
    std::string error;
    ASSERT_TRUE(WriteTopologyList(path, entries, &error)) << error;
    const std::string bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 42u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x02P1", 3));
    EXPECT_EQ(bytes.substr(7, 3), std::string("\x02P2", 3));
    EXPECT_EQ(bytes.substr(14, 7), std::string("\x01\x02\x03\x04\x05\x06\x07", 7));
    EXPECT_EQ(bytes.substr(28, 7), std::string("\x06LARGON", 7));

    std::vector<TopologyEntry> read;
    ASSERT_EQ(ReadTopologyList(path, read, &error), TopologyListRead::Ok) << error;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].upstream, "POZO12");
    EXPECT_EQ(read[0].search, entries[0].search);

    // Foreign bytes survive a read and a rewrite.
    const std::string foreign = RandomBytes(5 * kTopologyEntrySize, 4);
    WriteAll(path, foreign);
    ASSERT_EQ(ReadTopologyList(path, read, &error), TopologyListRead::Ok) << error;
    ASSERT_TRUE(WriteTopologyList(path, read, &error)) << error;
    EXPECT_EQ(ReadAll(path), foreign);

    WriteAll(path, foreign + "x");
    EXPECT_EQ(ReadTopologyList(path, read, &error), TopologyListRead::Damaged);
    EXPECT_NE(error.find(path), std::string::npos);
    EXPECT_EQ(read.size(), 5u);  // kept
    EXPECT_EQ(ReadTopologyList(TopologyListPath(files, 1), read, &error),
              TopologyListRead::Missing);
    EXPECT_NE(error.find("TrUpT1.AB1"), std::string::npos);
}

// ---- The comparison listing ----

AlternativesTable ListedTable() {
    AlternativesTable t;
    t.records[0] = Alt(0, 1.5, 250.333, 3.456, 2.1, 1.25, 450, 3);
    t.records[0].outfalls = 2;
    t.records[0].status = "OK";
    t.records[1] = Alt(12, 1.234, 1234.5, 4, 3, 1, 1200, 0);
    t.records[1].outfalls = 12;
    t.records[1].status = "??";
    return t;
}

TEST(AlternativesListing, BordersHeadingsRowsAndClosingLine) {
    const AlternativesTable t = ListedTable();
    const std::vector<std::string> lines = AlternativesListingLines(t, 3, 1, 2);
    ASSERT_EQ(lines.size(), 10u);
    for (size_t k = 0; k < 7; ++k)
        EXPECT_EQ(lines[k].size(), 121u) << k;

    const std::string top = lines[0];
    EXPECT_EQ(static_cast<unsigned char>(top[0]), 213);
    EXPECT_EQ(static_cast<unsigned char>(top[8]), 224);
    EXPECT_EQ(static_cast<unsigned char>(top[120]), 184);
    EXPECT_EQ(std::count(top.begin(), top.end(), static_cast<char>(205)), 110);
    EXPECT_EQ(std::count(top.begin(), top.end(), static_cast<char>(224)), 9);
    EXPECT_EQ(static_cast<unsigned char>(lines[4][0]), 198);
    EXPECT_EQ(static_cast<unsigned char>(lines[4][8]), 216);
    EXPECT_EQ(static_cast<unsigned char>(lines[4][120]), 181);
    EXPECT_EQ(static_cast<unsigned char>(lines[7][0]), 212);
    EXPECT_EQ(static_cast<unsigned char>(lines[7][8]), 207);
    EXPECT_EQ(static_cast<unsigned char>(lines[7][120]), 190);

    EXPECT_EQ(lines[2], cp("│ DISEÑO│ PROMEDIO  │ PROMEDIO │   MAXIMA  │  MAXIMO  │VERTIMIENTOS│"
                           "FINAL MAXIMA │FINAL MINIMA │   ELIMINADOS    │STATUS│"));
    EXPECT_EQ(lines[5], cp("│Manual │      1.50 │   250.33 │      3.46 │     450  │       2    "
                           "│        2.10 │        1.25 │            3    │  OK  │"));
    EXPECT_EQ(lines[6], cp("│Auto 1 │      1.23 │  1234.50 │      4.00 │    1200  │      12    "
                           "│        3.00 │        1.00 │            0    │  ??  │"));
    // Column bars of every row stand where the top border has its tees.
    for (size_t c = 0; c < 121; ++c) {
        const bool tee = static_cast<unsigned char>(top[c]) != 205;
        for (size_t k : {1u, 3u, 5u, 6u})
            EXPECT_EQ(static_cast<unsigned char>(lines[k][c]) == 179, tee) << k << " " << c;
    }
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[9],
              cp("Alternativas abandonadas por exceso de complejidad en el diseño    : 2"));
}

TEST(AlternativesListing, RowsFollowTheMode) {
    AlternativesTable t = ListedTable();
    t.records[2] = Alt(16, 1.3);
    EXPECT_EQ(AlternativesListingLines(t, 1, 0, 0).size(), 9u);  // Manual only
    const std::vector<std::string> automatic = AlternativesListingLines(t, 2, 2, 0);
    ASSERT_EQ(automatic.size(), 10u);
    EXPECT_EQ(automatic[5].substr(1, 7), "Auto 1 ");
    EXPECT_EQ(automatic[6].substr(1, 7), "Auto 2 ");
    // A record without a design is never listed; with none the table is empty.
    FillUndesigned(t, 2);
    EXPECT_EQ(AlternativesListingLines(t, 2, 2, 0).size(), 9u);
    ClearAbandoned(t, 1);
    const std::vector<std::string> none = AlternativesListingLines(t, 2, 1, 6);
    ASSERT_EQ(none.size(), 8u);
    EXPECT_EQ(static_cast<unsigned char>(none[4][0]), 198);  // the separator, then the bottom
    EXPECT_EQ(static_cast<unsigned char>(none[5][0]), 212);
}

TEST(AlternativesListing, CostsOfPricedDesignsFollowTheTable) {
    AlternativesTable t = ListedTable();
    t.records[0].cost = 1234567.891;
    const std::vector<std::string> lines = AlternativesListingLines(t, 3, 1, 2);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11], cp("Costo de construccion del diseño preliminar de cada alternativa "
                            "(capitulos 1 a 8 del presupuesto, pesos):"));
    EXPECT_EQ(lines[12], "   Manual   : $       1,234,567.89");
    EXPECT_EQ(lines[13], "   Auto 1   : $          sin costo");
    // Only the rows listed are priced: in the automatic mode the manual design is not.
    t.records[1].cost = 98765.4;
    const std::vector<std::string> automatic = AlternativesListingLines(t, 2, 1, 0);
    ASSERT_EQ(automatic.size(), 12u);
    EXPECT_EQ(automatic[11], "   Auto 1   : $          98,765.40");
}

struct CapturingViewer : ui::ListingViewer {
    std::string text, title;
    int shown = 0;
    void ShowListing(const std::string& file, const std::string& t) override {
        std::ifstream in(file, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
        title = t;
        ++shown;
    }
};

class AlternativesListingRun : public TempFolder, protected testing::SessionRig {};

TEST_F(AlternativesListingRun, OneSheetWithTheIdentificationShownThenRemoved) {
    CapturingViewer viewer;
    session.viewer = &viewer;
    session.project.files.Build(folder.string(), "AB1");
    session.project.espec.ListingIdentification = cp("Diseño de la red, año 2021");
    session.listing.SheetNumber = 7;
    ListAlternatives(session, ListedTable(), 3, 1, 0);
    ASSERT_EQ(viewer.shown, 1);
    EXPECT_EQ(viewer.title, "Comparacion Alternativas");
    EXPECT_NE(viewer.text.find("COMPARACION DE ALTERNATIVAS"), std::string::npos);
    EXPECT_NE(viewer.text.find("HOJA No.1"), std::string::npos);
    const std::string ident = cp("<< ... DISEÑO DE LA RED, AÑO 2021 ... >>");
    const size_t at = viewer.text.find(ident);
    ASSERT_NE(at, std::string::npos);
    // Centred in 121 at margin (137 - 121) / 2 + 4 = 12.
    const size_t lineStart = viewer.text.rfind('\n', at) + 1;
    EXPECT_EQ(at - lineStart, 12 + (121 - ident.size()) / 2);
    const std::string row = std::string(12, ' ') + cp("│Manual │");
    EXPECT_NE(viewer.text.find(row), std::string::npos);
    EXPECT_NE(viewer.text.find(cp("diseño    : 0\r\n")), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "LPT"));
}

}  // namespace
}  // namespace nivex::design
