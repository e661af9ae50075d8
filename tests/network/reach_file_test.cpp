#include "network/reach_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <unistd.h>

#include "specs/criteria_store.h"
#include "support/temp_files.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;
using codec::Bytes;

std::string ReadAll(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Record(const TramoT& t) {
    Bytes b(kTramoSize);
    EXPECT_TRUE(Encode(t, b));
    return std::string(b.begin(), b.end());
}

TramoT Reach(const std::string& up, const std::string& down, int cls = 0) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Class = cls;
    t.Length = 50;
    return t;
}

class ReachFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nivex-reach-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        files_.Build(dir_.string(), "AB1");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string reaches() const { return files_.reaches(); }
    std::string index() const { return files_.reachIndex(); }
    // A reach file of n lines "Pk" -> "Pk+1" and its matching index.
    void MakeNetwork(int n) {
        ReachFile f;
        ASSERT_TRUE(f.Open(reaches(), index(), 0.013f)) << f.error();
        for (int k = 1; k <= n; ++k)
            ASSERT_TRUE(
                f.WriteLine(k, Reach("P" + std::to_string(k), "P" + std::to_string(k + 1))));
        ASSERT_TRUE(f.Close());
    }

    fs::path dir_;
    project::FileNames files_;
};

TEST_F(ReachFileTest, EmptyProjectOpensOnLineOneWithZeros) {
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f)) << f.error();
    EXPECT_TRUE(fs::exists(index()));
    EXPECT_EQ(f.count(), 0);
    EXPECT_FALSE(f.opening().indexRebuilt);
    TramoT t = Reach("X", "Y", 2);
    ASSERT_TRUE(f.ReadLine(1, t));
    EXPECT_EQ(Record(t), Record(TramoT{}));
    EXPECT_FALSE(f.ReadLine(2, t));
    EXPECT_NE(f.error().find("ZSDX.AB1"), std::string::npos) << f.error();
    ASSERT_TRUE(f.Close());

    fs::remove(index());
    fs::create_directories(index());  // a folder where the file should be
    EXPECT_FALSE(f.Open(reaches(), index(), 0.013f));
    EXPECT_EQ(f.error(), "No se pudo abrir el archivo " + index());
}

TEST_F(ReachFileTest, WritingTheNextLineAppendsRecordAndIndexEntry) {
    MakeNetwork(6);
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    EXPECT_FALSE(f.opening().indexRebuilt);
    ASSERT_EQ(f.count(), 6);
    ASSERT_TRUE(f.WriteLine(7, Reach("Q7", "Q8")));
    EXPECT_EQ(f.count(), 7);
    ASSERT_EQ(f.index().size(), 7u);
    EXPECT_EQ(f.index()[6].Upstream, "Q7");
    EXPECT_EQ(f.index()[6].Line, 7);
    EXPECT_FALSE(f.WriteLine(9, Reach("R", "S")));  // past the next free line
    EXPECT_NE(f.error().find("ZSDX.AB1"), std::string::npos) << f.error();

    // Rewriting a line updates its entry in memory and on disk.
    ASSERT_TRUE(f.WriteLine(3, Reach("N3", "N4")));
    EXPECT_EQ(f.index()[2].Upstream, "N3");
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(fs::file_size(reaches()), 7 * kTramoSize);
    std::string idx = ReadAll(index());
    ASSERT_EQ(idx.size(), 7 * kIndiceSize);
    IndiceTramoT e;
    Decode(Bytes(idx.begin() + 6 * kIndiceSize, idx.end()), e);
    EXPECT_EQ(e.Upstream, "Q7");
    EXPECT_EQ(e.Downstream, "Q8");
    EXPECT_EQ(e.Line, 7);

    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    EXPECT_FALSE(f.opening().indexRebuilt);
}

TEST_F(ReachFileTest, OtherSectorClassesReadBackInScreenForm) {
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    ASSERT_TRUE(f.WriteLine(1, Reach("A", "B", kScreenClassOtherSector)));
    TramoT t;
    ASSERT_TRUE(f.Read(1, t));
    EXPECT_EQ(std::pair(t.Class, t.Type), std::pair(3, 4));
    ASSERT_TRUE(f.ReadLine(1, t));
    EXPECT_EQ(std::pair(t.Class, t.Type), std::pair(4, 0));
}

TEST_F(ReachFileTest, ShortOrInconsistentIndexIsRebuiltInLineOrder) {
    MakeNetwork(5);
    std::string idx = ReadAll(index());
    WriteAll(index(), idx.substr(0, 2 * kIndiceSize));
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    EXPECT_TRUE(f.opening().indexRebuilt);
    ASSERT_EQ(f.index().size(), 5u);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(f.index()[static_cast<size_t>(k - 1)].Upstream, "P" + std::to_string(k));
        EXPECT_EQ(f.index()[static_cast<size_t>(k - 1)].Line, k);
    }
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(ReadAll(index()), idx);
    EXPECT_FALSE(nivex::testing::HasTempFile(index()));

    // Right length, wrong names or wrong line number.
    std::string bad = idx;
    bad[3 * kIndiceSize + 1] = 'Z';
    WriteAll(index(), bad);
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    EXPECT_TRUE(f.opening().indexRebuilt);
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(ReadAll(index()), idx);
}

TEST_F(ReachFileTest, ExistingReachesWithoutManningNGetTheDefaultN) {
    std::string file;
    TramoT fromSector = Reach("C", "D", 3);
    fromSector.Type = 4;
    TramoT own = Reach("D", "E", 1);
    own.ManningN = 0.015f;
    for (const TramoT& t :
         {Reach("A", "B", 0), Reach("B", "C", 1), fromSector, own, Reach("E", "F", 2)})
        file += Record(t);
    WriteAll(reaches(), file);
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.014f));
    EXPECT_EQ(f.opening().manningSet, 2);
    EXPECT_TRUE(f.opening().indexRebuilt);
    const float expected[] = {0, 0.014f, 0.014f, 0.015f, 0};
    for (int k = 1; k <= 5; ++k) {
        TramoT t;
        ASSERT_TRUE(f.Read(k, t));
        EXPECT_EQ(t.ManningN, expected[k - 1]) << "line " << k;
    }
    ASSERT_TRUE(f.Close());
    ASSERT_TRUE(f.Open(reaches(), index(), 0.014f));
    EXPECT_EQ(f.opening().manningSet, 0);  // written back
}

TEST_F(ReachFileTest, ASectorOnlyReadIsMendedInMemoryAndNotWritten) {
    // Another program holds the sector: a short index and an existing reach without n are
    // put right for this reader alone, and not one byte of either file changes.
    std::string file;
    for (const TramoT& t : {Reach("A", "B", 0), Reach("B", "C", 1), Reach("C", "D", 0)})
        file += Record(t);
    WriteAll(reaches(), file);
    WriteAll(index(), "");
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.014f, true));
    EXPECT_FALSE(f.opening().indexRebuilt);
    EXPECT_EQ(f.opening().manningSet, 0);
    ASSERT_EQ(f.index().size(), 3u);
    EXPECT_EQ(f.index()[1].Upstream, "B");
    EXPECT_EQ(f.index()[2].Line, 3);
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(ReadAll(reaches()), file);
    EXPECT_EQ(ReadAll(index()), "");
}

TEST_F(ReachFileTest, ForeignBytesSurvive) {
    // A sound reach whose reserved bytes hold anything at all.
    std::mt19937 random(11);
    const std::string sound = Record(Reach("A", "B"));
    Bytes raw(sound.begin(), sound.end());
    for (auto [from, to] : {std::pair{38, 40}, {360, 364}, {372, 376}, {380, 440}})
        for (int off = from; off < to; ++off)
            raw[static_cast<size_t>(off)] = static_cast<uint8_t>(random());
    std::string bytes(raw.begin(), raw.end());
    WriteAll(reaches(), bytes + bytes);

    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f)) << f.error();
    TramoT t;
    ASSERT_TRUE(f.ReadLine(2, t));
    ASSERT_TRUE(f.WriteLine(2, t));
    ASSERT_TRUE(f.WriteLine(1, t));  // line 1 from line 2's values: same bytes anyway

    TramoT big = t;
    big.RainNumber = 32768;
    EXPECT_FALSE(f.WriteLine(2, big));
    EXPECT_NE(f.error().find("ZSDX.AB1"), std::string::npos) << f.error();
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(ReadAll(reaches()), bytes + bytes);
}

// Values no screen writes: the line is named and nothing is made from the file.
TEST_F(ReachFileTest, DamagedLinesAreRefusedNamingTheLine) {
    const std::string sound = Record(Reach("A", "B"));
    auto with = [&](size_t off, float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        std::string r = sound;
        for (size_t i = 0; i < 4; ++i)
            r[off + i] = static_cast<char>(bits >> (8 * i));
        return r;
    };
    std::string longName = sound;
    longName[0] = static_cast<char>(0xFF);
    std::string badClass = sound;
    badClass[36] = 7;
    const std::pair<std::string, const char*> cases[] = {
        {with(180, std::nanf("")), "el coeficiente de Manning no es un numero"},
        {with(104, -INFINITY), "la pendiente no es un numero"},
        {with(60, 3.4e38f), "la longitud (3.4e+38) no cabe en su campo"},
        // The length field holds 9999.99 at most.
        {with(60, 10000.0f), "la longitud (10000) no cabe en su campo"},
        {longName, "el nombre de pozo de la posicion 0 tiene 255 caracteres"},
        {badClass, "la clase (7) no es de 0 a 3"},
    };
    for (const auto& [record, said] : cases) {
        const std::string bytes = sound + sound + record;
        WriteAll(reaches(), bytes);
        fs::remove(index());
        ReachFile f;
        EXPECT_FALSE(f.Open(reaches(), index(), 0.013f)) << said;
        EXPECT_NE(f.error().find("ZSDX.AB1 esta dañado: linea 3: " + std::string(said)),
                  std::string::npos)
            << f.error();
        f.Close();
        EXPECT_EQ(ReadAll(reaches()), bytes);
        EXPECT_EQ(fs::file_size(index()), 0u) << "no index is made from a damaged file";
    }
}

TEST_F(ReachFileTest, PartialTrailingRecordIsRefusedAndKept) {
    MakeNetwork(3);
    const std::string whole = ReadAll(reaches());
    for (const std::string& bytes :
         {whole + std::string(100, '\x7F'), whole.substr(0, whole.size() - 1)}) {
        WriteAll(reaches(), bytes);
        ReachFile f;
        EXPECT_FALSE(f.Open(reaches(), index(), 0.013f));
        const size_t cut = bytes.size() / kTramoSize + 1;
        EXPECT_NE(f.error().find("ZSDX.AB1 esta dañado: sus " + std::to_string(bytes.size()) +
                                 " bytes no son registros enteros de 452 bytes; el registro " +
                                 std::to_string(cut) + " esta incompleto"),
                  std::string::npos)
            << f.error();
        f.Close();
        EXPECT_EQ(ReadAll(reaches()), bytes);
    }
}

TEST_F(ReachFileTest, OversizedFilesAreRefusedBeforeAnythingIsRead) {
    MakeNetwork(2);
    // A sparse index of a gigabyte: its size alone refuses it.
    fs::resize_file(index(), std::uintmax_t{1} << 30);
    ReachFile f;
    EXPECT_FALSE(f.Open(reaches(), index(), 0.013f));
    EXPECT_NE(f.error().find("XSDC.AB1 es demasiado grande: tiene 1073741824 bytes y no puede "
                             "pasar de 10000 registros de 14 bytes"),
              std::string::npos)
        << f.error();
    f.Close();
    EXPECT_EQ(fs::file_size(index()), std::uintmax_t{1} << 30);
}

TEST_F(ReachFileTest, TenThousandReachesWriteAndReadQuickly) {
    auto start = std::chrono::steady_clock::now();
    ReachFile f;
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    for (int k = 1; k <= kMaxLines; ++k) {
        TramoT t = Reach("U" + std::to_string(k), "D" + std::to_string(k), k % 4);
        t.GroundUp = static_cast<float>(k) / 2;
        ASSERT_TRUE(f.WriteLine(k, t)) << f.error();
    }
    EXPECT_FALSE(f.WriteLine(kMaxLines + 1, Reach("A", "B")));
    ASSERT_TRUE(f.Close());
    ASSERT_TRUE(f.Open(reaches(), index(), 0.013f));
    EXPECT_FALSE(f.opening().indexRebuilt);
    EXPECT_EQ(f.opening().manningSet, kMaxLines / 2);
    for (int k = 1; k <= kMaxLines; ++k) {
        TramoT t;
        ASSERT_TRUE(f.ReadLine(k, t));
        ASSERT_EQ(t.GroundUp, static_cast<float>(k) / 2);
    }
    ASSERT_TRUE(f.Close());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("10000 reaches written, reopened and read in %.3f s\n", seconds);
    EXPECT_LT(seconds, 1.0);
}

TEST_F(ReachFileTest, IndexRebuildResetsConstructionDataInTheControlFile) {
    project::Project p;
    p.files = files_;
    ASSERT_TRUE(p.OpenControl());
    ASSERT_TRUE(specs::InitialiseDesignCriteria(p.control, p.header, p.espec));
    p.espec.ConstructionData[specs::kCompactionFactor] = 1.3f;
    p.espec.ConstructionData[specs::kFillExcavated] = 50;
    p.espec.ConstructionData[specs::kFillBorrowed] = 50;
    p.espec.ConstructionData[specs::kBeddingGravelCode] = 2;
    ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {1}));
    p.CloseControl();
    WriteAll(reaches(), Record(Reach("A", "B")));

    ReachFile f;
    ASSERT_TRUE(OpenNetwork(p, f)) << p.error;
    EXPECT_TRUE(f.opening().indexRebuilt);
    EXPECT_FALSE(p.control.isOpen());

    shell::ControlFile control;
    ASSERT_TRUE(control.Open(files_.control()));
    shell::ProyectoT header;
    specs::EspecT e;
    std::string error;
    ASSERT_TRUE(specs::LoadDesignCriteria(control, header, e, &error)) << error;
    EXPECT_EQ(e.ConstructionData[specs::kCompactionFactor], 1.0f);
    EXPECT_EQ(e.ConstructionData[specs::kFillExcavated], 100.0f);
    EXPECT_EQ(e.ConstructionData[specs::kFillBorrowed], 0.0f);
    EXPECT_EQ(e.ConstructionData[specs::kFillSelected], 0.0f);
    EXPECT_EQ(e.ConstructionData[specs::kBeddingGravelCode], 0.0f);
}

TEST_F(ReachFileTest, ManholeNamesAndReorderingFiles) {
    std::string error;
    ASSERT_TRUE(WriteManholeNames(files_.manholeNames(), {"A", "B12", "ZZZZZ"}, error));
    EXPECT_EQ(fs::file_size(files_.manholeNames()), 3 * kManholeNameSize);
    std::vector<std::string> names;
    ASSERT_TRUE(ReadManholeNames(files_.manholeNames(), names, error)) << error;
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B12", "ZZZZZ"}));

    WriteAll(ReachWorkPath(files_), "x");
    ASSERT_TRUE(EraseReachWork(files_, error));
    EXPECT_FALSE(fs::exists(ReachWorkPath(files_)));
    EXPECT_TRUE(EraseReachWork(files_, error));  // nothing to erase

    ReorderList list;
    ASSERT_TRUE(list.Open(ReorderListPath(files_)));
    ASSERT_TRUE(list.Write(1, {"A", "B", 4, 0, 2}));
    EXPECT_FALSE(list.Write(3, {"C", "D", 0, 2, 0}));
    EXPECT_FALSE(list.Write(1, {"B", "C", 0, 1, 40000}));
    TramoBufT n;
    ASSERT_TRUE(list.Read(1, n));
    EXPECT_EQ(std::tuple(n.Upstream, n.FormerLine, n.Next), std::tuple("A", 4, 2));
}

}  // namespace
}  // namespace nivex::network
