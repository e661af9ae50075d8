#include "shell/control_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace nivex::shell {
namespace {
namespace fs = std::filesystem;

class ControlFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("nivex-xsda-") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "XSDA.AB1").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::vector<uint8_t> bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(ControlFileTest, OpeningAMissingFileCreatesAnEmptyOne) {
    ControlFile f;
    ASSERT_TRUE(f.Open(path_));
    EXPECT_EQ(f.RecordCount(), 0);
    EXPECT_FALSE(f.ReadRecord(0));  // never read past the end
    EXPECT_NE(f.error().find("XSDA.AB1"), std::string::npos);
    f.Close();
    EXPECT_EQ(fs::file_size(path_), 0u);
}

TEST_F(ControlFileTest, SixRecordsWrittenAndRewrittenUnchanged) {
    {
        ControlFile f;
        ASSERT_TRUE(f.Open(path_));
        ProyectoT p;
        p.ProjectName = "Proyecto Nuevo";
        p.DesignClass = 9;
        p.ControlsDone = {1, 0, 1, 0};
        ASSERT_TRUE(Encode(p, f.buffer(0)));
        f.buffer(3)[100] = 0xAB;  // a byte no field owns here
        for (int k = 0; k < kControlRecords; ++k)
            ASSERT_TRUE(f.WriteRecord(k));
    }
    auto first = bytes();
    ASSERT_EQ(first.size(), 3072u);
    EXPECT_EQ(first[460], 9);
    EXPECT_EQ(first[461], 0);
    EXPECT_EQ(std::vector<uint8_t>(first.begin(), first.begin() + 4),
              (std::vector<uint8_t>{1, 0, 1, 0}));
    EXPECT_EQ(first[134], 14);  // length byte of the name

    {
        ControlFile f;
        ASSERT_TRUE(f.Open(path_));
        ASSERT_EQ(f.RecordCount(), 6);
        for (int k = 0; k < kControlRecords; ++k)
            ASSERT_TRUE(f.ReadRecord(k));
        ProyectoT p;
        Decode(f.buffer(0), p);
        EXPECT_EQ(p.ProjectName, "Proyecto Nuevo");
        ASSERT_TRUE(Encode(p, f.buffer(0)));
        for (int k = 0; k < kControlRecords; ++k)
            ASSERT_TRUE(f.WriteRecord(k));
    }
    EXPECT_EQ(bytes(), first);
}

TEST_F(ControlFileTest, ValuesThatDoNotFitSixteenBitsAreRefused) {
    codec::Bytes record(kControlRecordSize, 0x5A);
    ProyectoT p;
    p.DesignClass = 70000;
    EXPECT_FALSE(Encode(p, record));
    EXPECT_EQ(record, codec::Bytes(kControlRecordSize, 0x5A));  // nothing half-written
    p.DesignClass = -32768;
    EXPECT_TRUE(Encode(p, record));
    EXPECT_EQ(codec::I16(record, 460), -32768);
}

TEST_F(ControlFileTest, WholeRecordsAreReadAsFarAsTheFileHoldsThem) {
    {
        std::ofstream out(path_, std::ios::binary);
        std::string data(512 * 2, '\x01');
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    ControlFile f;
    ASSERT_TRUE(f.Open(path_));
    EXPECT_EQ(f.RecordCount(), 2);
    EXPECT_TRUE(f.ReadRecord(1));
    EXPECT_FALSE(f.ReadRecord(2));
}

// A record cut short, bytes beyond the sixth record, a sparse gigabyte: refused on opening,
// naming the file and the record, and left as they are.
TEST_F(ControlFileTest, AFileOfAnotherSizeIsRefusedAndKept) {
    const std::pair<std::uintmax_t, std::string> cases[] = {
        {512 * 2 + 100,
         "esta dañado: sus 1124 bytes no son registros enteros de 512 bytes; el "
         "registro 2 esta incompleto"},
        {3071, "registro 5 esta incompleto"},
        {3075, "es demasiado grande: tiene 3075 bytes y no puede pasar de 6 registros"},
        {std::uintmax_t{1} << 30, "es demasiado grande: tiene 1073741824 bytes"},
    };
    for (const auto& [size, said] : cases) {
        {
            std::ofstream out(path_, std::ios::binary | std::ios::trunc);
            std::string data(512, '\x01');
            out.write(data.data(), static_cast<std::streamsize>(data.size()));
        }
        fs::resize_file(path_, size);
        ControlFile f;
        EXPECT_FALSE(f.Open(path_)) << size;
        EXPECT_FALSE(f.isOpen());
        EXPECT_EQ(f.error().rfind("El archivo " + path_ + " ", 0), 0u) << f.error();
        EXPECT_NE(f.error().find(said), std::string::npos) << f.error();
        EXPECT_EQ(fs::file_size(path_), size);
    }
}

TEST(ProyectoT, OptionsAndReservedTextAreRepairedOnReading) {
    codec::Bytes record(kControlRecordSize, 0);
    codec::PutI16(record, 456, 0);
    codec::PutI16(record, 458, 7);
    ProyectoT p;
    Decode(record, p);
    EXPECT_EQ(p.Ras2016Model, 2);
    EXPECT_EQ(p.SlopePerDiameter, 2);
    EXPECT_EQ(p.Reserved338, "0000000000");
    codec::PutI16(record, 456, 1);
    Decode(record, p);
    EXPECT_EQ(p.Ras2016Model, 1);
}

// The design method lives in byte 464, the first of the bytes the record leaves zero: an
// older record reads as the standard design and is written back as it was; the method
// written reads back; a byte that is neither 0 nor 1 reads as the standard design.
TEST(ProyectoT, DesignMethodIsOneByteAtOffset464) {
    // An older record: fields set by hand, byte 464 zero, foreign bytes after it.
    codec::Bytes old(kControlRecordSize, 0);
    codec::PutText(old, 134, 25, "RED NORTE");
    codec::PutText(old, 338, 10, "0000000000");  // as every project holds it
    codec::PutI16(old, 456, 2);
    codec::PutI16(old, 458, 1);
    codec::PutI16(old, 460, 3);
    for (size_t i = 465; i < kControlRecordSize; ++i)
        old[i] = 0xAB;
    ProyectoT p;
    Decode(old, p);
    EXPECT_EQ(p.DesignMethod, 0);
    EXPECT_FALSE(LeastCostMethod(p));
    codec::Bytes rewritten = old;
    ASSERT_TRUE(Encode(p, rewritten));
    EXPECT_EQ(rewritten, old);

    // The least-cost method changes byte 464 and nothing else.
    p.DesignMethod = 1;
    ASSERT_TRUE(Encode(p, rewritten));
    codec::Bytes expected = old;
    expected[464] = 1;
    EXPECT_EQ(rewritten, expected);
    ProyectoT again;
    Decode(rewritten, again);
    EXPECT_EQ(again.DesignMethod, 1);
    EXPECT_TRUE(LeastCostMethod(again));
    codec::Bytes twice = rewritten;
    ASSERT_TRUE(Encode(again, twice));
    EXPECT_EQ(twice, rewritten);

    // Back to the standard design: the byte is zero again, as in the older record.
    again.DesignMethod = 0;
    ASSERT_TRUE(Encode(again, twice));
    EXPECT_EQ(twice, old);

    for (uint8_t damaged : {uint8_t{2}, uint8_t{0x80}, uint8_t{0xFF}}) {
        codec::Bytes record = old;
        record[464] = damaged;
        Decode(record, p);
        EXPECT_EQ(p.DesignMethod, 0) << int(damaged);
        EXPECT_FALSE(LeastCostMethod(p)) << int(damaged);
    }
}

TEST_F(ControlFileTest, ANewFileHoldsTheStandardMethodAndKeepsTheChosenOne) {
    {
        ControlFile f;
        ASSERT_TRUE(f.Open(path_));
        ProyectoT p;
        ASSERT_TRUE(Encode(p, f.buffer(0)));
        for (int k = 0; k < kControlRecords; ++k)
            ASSERT_TRUE(f.WriteRecord(k));
    }
    const auto fresh = bytes();
    ASSERT_EQ(fresh.size(), 3072u);
    for (size_t i = 464; i < 512; ++i)
        EXPECT_EQ(fresh[i], 0) << i;
    {
        ControlFile f;
        ASSERT_TRUE(f.Open(path_));
        ASSERT_TRUE(f.ReadRecord(0));
        ProyectoT p;
        Decode(f.buffer(0), p);
        EXPECT_EQ(p.DesignMethod, 0);
        p.DesignMethod = 1;
        ASSERT_TRUE(Encode(p, f.buffer(0)));
        ASSERT_TRUE(f.WriteRecord(0));
    }
    auto chosen = fresh;
    chosen[464] = 1;
    EXPECT_EQ(bytes(), chosen);
    ControlFile f;
    ASSERT_TRUE(f.Open(path_));
    ASSERT_TRUE(f.ReadRecord(0));
    ProyectoT p;
    Decode(f.buffer(0), p);
    EXPECT_TRUE(LeastCostMethod(p));
}

TEST(RecordCodec, ShortTextsKeepForeignPaddingWhenUnchanged) {
    codec::Bytes record(40, 0);
    record[5] = 3;
    record[6] = 'a';
    record[7] = 'b';
    record[8] = 'c';
    record[9] = 'X';  // stray byte after the text
    codec::PutText(record, 5, 10, "abc");
    EXPECT_EQ(record[9], 'X');
    codec::PutText(record, 5, 10, "abcdefghijklmno");  // cut to the capacity
    EXPECT_EQ(codec::Text(record, 5, 10), "abcdefghij");
    codec::PutText(record, 5, 10, "z");
    EXPECT_EQ(record[7], 0);
    EXPECT_EQ(record[16], 0);                  // beyond the field: untouched
    EXPECT_EQ(codec::F32(record, 100), 0.0f);  // reading past the buffer gives zeros
}

}  // namespace
}  // namespace nivex::shell
