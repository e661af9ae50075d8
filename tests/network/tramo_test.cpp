#include "network/tramo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace nivex::network {
namespace {

using codec::Bytes;

TEST(Tramo, FieldsSitAtTheirOffsets) {
    TramoT t;
    t.Downstream = "ABCDE";
    t.Type = 5;
    t.Sector = -2;
    t.ManningN = 0.5f;
    t.Diseno.I16[9] = 7;
    t.Diseno.F244[27] = -1;
    t.Diseno.Name446 = "Z";
    Bytes b(kTramoSize);
    ASSERT_TRUE(Encode(t, b));
    ASSERT_EQ(b.size(), 452u);
    EXPECT_EQ(std::string(b.begin() + 6, b.begin() + 12),
              "\x05"
              "ABCDE");
    EXPECT_EQ(codec::I16(b, 42), 5);
    EXPECT_EQ(codec::I16(b, 46), -2);
    EXPECT_EQ(codec::F32(b, 180), 0.5f);
    EXPECT_EQ(codec::I16(b, 34), 7);
    EXPECT_EQ(codec::F32(b, 352), -1.0f);
    EXPECT_EQ(b[446], 1);
}

TEST(Tramo, RecordWithForeignBytesSurvivesByteForByte) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        Bytes b(kTramoSize);
        for (auto& byte : b)
            byte = static_cast<uint8_t>(random());
        // NaN with a payload and an infinity among the entry and design values.
        for (auto [off, bits] :
             {std::pair{180, 0x7FA12345u}, {60, 0x7F800000u}, {300, 0xFFC00001u}})
            for (int i = 0; i < 4; ++i)
                b[static_cast<size_t>(off + i)] = static_cast<uint8_t>(bits >> (8 * i));
        TramoT t;
        Decode(b, t);
        Bytes out = b;
        ASSERT_TRUE(Encode(t, out));
        ASSERT_EQ(out, b) << "round " << round;
    }
}

TEST(Tramo, ValueBeyondSixteenBitsIsRefusedAndNothingWritten) {
    Bytes b(kTramoSize, 0xAA);
    TramoT t;
    t.Sector = 40000;
    EXPECT_FALSE(Encode(t, b));
    EXPECT_EQ(b, Bytes(kTramoSize, 0xAA));
    t.Sector = 0;
    t.Diseno.I16[3] = -32769;
    EXPECT_FALSE(Encode(t, b));
}

TEST(Tramo, ClassAndTypeBetweenScreenAndFile) {
    TramoT fromSector;
    fromSector.Class = kScreenClassOtherSector;
    fromSector.Type = 2;
    ToStoredForm(fromSector);
    EXPECT_EQ(fromSector.Class, 3);
    EXPECT_EQ(fromSector.Type, 4);
    ToScreenForm(fromSector);
    EXPECT_EQ(fromSector.Class, 4);
    EXPECT_EQ(fromSector.Type, 0);

    TramoT toSector;
    toSector.Class = 1;
    toSector.Type = kScreenTypeToSector;
    ToStoredForm(toSector);
    EXPECT_EQ(toSector.Class, 1);
    EXPECT_EQ(toSector.Type, 5);
    ToScreenForm(toSector);
    EXPECT_EQ(toSector.Class, 1);
    EXPECT_EQ(toSector.Type, 4);

    TramoT plain;  // every other value shows as stored
    plain.Class = 2;
    plain.Type = 3;
    ToStoredForm(plain);
    ToScreenForm(plain);
    EXPECT_EQ(plain.Class, 2);
    EXPECT_EQ(plain.Type, 3);
}

TEST(Tramo, SlopeFromCrownsTruncatesToThreeDecimals) {
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(100.00, 99.25, 50), 1.5);
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(100.00f, 99.25f, 50), 1.5);
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(100.00, 99.9999, 3), 0.003);
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(100.00f, 99.9999f, 3), 0.003);
    // An adverse slope is cut toward zero like a positive one, not a unit short.
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(100.00, 101.00, 100), -1.0);
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(100.00, 100.75, 50), -1.5);
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(10, 9.999995, 1), 0.0);  // 0.0005 % truncated away
    EXPECT_DOUBLE_EQ(SlopeFromCrowns(10, 9.9, 7), 1.428);     // 1.4285… not rounded up
    EXPECT_TRUE(SlopeIsNormal(0.003));
    EXPECT_TRUE(SlopeIsNormal(999));
    EXPECT_FALSE(SlopeIsNormal(0));
    EXPECT_FALSE(SlopeIsNormal(-1.5));
    EXPECT_FALSE(SlopeIsNormal(999.001));
}

TEST(Tramo, DownstreamCrownFromSlope) {
    EXPECT_DOUBLE_EQ(CrownDownFromSlope(100, 50, 1.5), 99.25);
    EXPECT_DOUBLE_EQ(CrownDownFromSlope(100, 1, 0.5), 100.00);  // 99.995 → up
    EXPECT_DOUBLE_EQ(CrownDownFromSlope(100, 1, 0.4), 100.00);
    EXPECT_DOUBLE_EQ(CrownDownFromSlope(100, 1, 0.6), 99.99);
    EXPECT_DOUBLE_EQ(CrownDownFromSlope(0.5, 50, 1), 0.001);  // 0 is never a crown
}

TEST(Tramo, NonFiniteEntryValuesAreFound) {
    TramoT t;
    EXPECT_EQ(FirstNonFiniteEntry(t), -1);
    t.Diseno.F72[0] = std::numeric_limits<float>::quiet_NaN();  // design values are not entry
    EXPECT_EQ(FirstNonFiniteEntry(t), -1);
    t.ManningN = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(FirstNonFiniteEntry(t), 180);
    t.Length = std::numeric_limits<float>::infinity();
    EXPECT_EQ(FirstNonFiniteEntry(t), 60);
}

}  // namespace
}  // namespace nivex::network
