#include "specs/espec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "specs/criteria_store.h"

namespace nivex::specs {
namespace {
namespace fs = std::filesystem;
using codec::Bytes;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class SpecStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("nivex-espec-") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "XSDA.AB1").string();
        ASSERT_TRUE(file_.Open(path_));
        header_.ProjectName = "Proyecto Nuevo";
        ASSERT_TRUE(InitialiseDesignCriteria(file_, header_, espec_));
    }
    void TearDown() override {
        file_.Close();
        fs::remove_all(dir_);
    }

    Bytes bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Changes record k on disk as a foreign program would.
    template <class F>
    void patch(int k, F change) {
        ASSERT_TRUE(file_.ReadRecord(k));
        change(file_.buffer(k));
        ASSERT_TRUE(file_.WriteRecord(k));
    }
    // Loads the file afresh, as opening the project does.
    void reload() {
        file_.Close();
        ASSERT_TRUE(file_.Open(path_));
        header_ = {};
        espec_ = {};
        std::string error;
        ASSERT_TRUE(LoadDesignCriteria(file_, header_, espec_, &error)) << error;
    }
    float f32At(int k, size_t off) const {
        Bytes all = bytes();
        Bytes rec(all.begin() + k * 512, all.begin() + (k + 1) * 512);
        return codec::F32(rec, off);
    }

    fs::path dir_;
    std::string path_;
    shell::ControlFile file_;
    shell::ProyectoT header_;
    EspecT espec_;
};

TEST_F(SpecStoreTest, NewProjectHasSixDefaultRecordsAndReloadChangesNothing) {
    const Bytes first = bytes();
    ASSERT_EQ(first.size(), 3072u);
    EXPECT_FLOAT_EQ(f32At(3, 120), 145);     // first commercial diameter
    EXPECT_FLOAT_EQ(f32At(3, 0), 145);       // and its copy
    EXPECT_FLOAT_EQ(f32At(0, 262), -1);      // no design alternative yet
    EXPECT_FLOAT_EQ(f32At(4, 56 + 8), 908);  // equation 1, A
    EXPECT_EQ(first[5 * 512], 4);
    EXPECT_EQ(std::string(first.begin() + 5 * 512 + 1, first.begin() + 5 * 512 + 5), "1.50");
    EXPECT_EQ(first[460], 2);  // class from the default system kind
    EXPECT_EQ(first[338], 10);

    reload();
    EXPECT_EQ(bytes(), first);
    EXPECT_EQ(espec_.MinSanitaryDiameter, 182);
    EXPECT_EQ(espec_.MinStormDiameter, 227);
    EXPECT_EQ(espec_.PipeTypes[0], "Tuberia de espigo y campana para union con mortero");
    EXPECT_EQ(header_.ProjectName, "Proyecto Nuevo");
    EXPECT_FALSE(RepairOnLoad(espec_, header_).any());
}

TEST(EspecDefaults, MinimumSlopesOfTheFirstDiameters) {
    const EspecT e = DefaultEspec();
    const std::vector<float> expected{0.63f, 0.46f, 0.32f, 0.23f, 0.19f};
    const auto slopes = DefaultMinimumSlopes(e);
    ASSERT_EQ(slopes.size(), 29u);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FLOAT_EQ(slopes[i], expected[i]) << i;
        EXPECT_FLOAT_EQ(e.MinimumSlopes[i], expected[i]) << i;
    }
    EXPECT_FLOAT_EQ(e.MinimumSlopes[29], 0);  // beyond the table
    EXPECT_NEAR(e.MaxFillingRatio, 0.912, 0.001);
}

TEST_F(SpecStoreTest, FirstDiameterBelow100IsRestoredFromTheCopy) {
    patch(3, [](Bytes& b) {
        codec::PutF32(b, 0, 150);  // the copy as last saved starts with 150
        codec::PutF32(b, 120, 50);
    });
    reload();
    EXPECT_FLOAT_EQ(espec_.Diameters[0], 150);
    EXPECT_FLOAT_EQ(espec_.Diameters[1], 182);
    EXPECT_FLOAT_EQ(f32At(3, 120), 150);  // written back

    patch(3, [](Bytes& b) {
        for (size_t i = 0; i < 30; ++i) {
            codec::PutF32(b, 4 * i, 0);
            codec::PutF32(b, 120 + 4 * i, 0);
            codec::PutF32(b, 240 + 4 * i, 0);
        }
    });
    reload();
    EXPECT_FLOAT_EQ(espec_.Diameters[0], 145);
    EXPECT_FLOAT_EQ(espec_.DiameterCopy[28], 3000);
    EXPECT_FLOAT_EQ(espec_.MinimumSlopes[0], 0.63f);
    EXPECT_FLOAT_EQ(f32At(3, 0), 145);
}

TEST_F(SpecStoreTest, NumericTextsSurviveSaveAndLoad) {
    SetRangeValue(espec_, kExcavationLimitSlots[2], 4.5);
    SetRangeValue(espec_, kTrenchOverWidthSlots[3], 0.7);
    ASSERT_TRUE(SaveRecords(file_, header_, espec_, {5}));
    reload();
    EXPECT_EQ(espec_.RangeTexts[2], "4.50");
    EXPECT_EQ(espec_.RangeTexts[11], "0.70");
    EXPECT_DOUBLE_EQ(RangeValue(espec_, 2), 4.5);
    EXPECT_DOUBLE_EQ(NumericTextValue(" 1.50"), 1.5);
    EXPECT_DOUBLE_EQ(NumericTextValue(""), 0);
    EXPECT_EQ(NumericText(3), "3.00");
    EXPECT_EQ(NumericText(-0.001), "0.00");
}

TEST(EspecSections, PipesThenSquareDucts) {
    EspecT e = DefaultEspec();
    e.DiameterCount = 25;
    e.SectionCount = 40;
    const auto s = Sections(e);
    ASSERT_EQ(s.size(), 40u);
    EXPECT_FALSE(s[23].duct);
    EXPECT_FLOAT_EQ(s[23].size, 1900);
    EXPECT_FLOAT_EQ(s[0].minSlope, 0.63f);
    for (size_t i = 24; i < 40; ++i) {
        EXPECT_TRUE(s[i].duct);
        EXPECT_FLOAT_EQ(s[i].size, 2000 + 200 * static_cast<float>(i - 24));
        EXPECT_FLOAT_EQ(s[i].minSlope, 0.01f);
    }
}

TEST(EspecDiameters, NearestCommercialDiameter) {
    EspecT e = DefaultEspec();
    EXPECT_EQ(NearestCommercialDiameter(e, 182), 182);
    EXPECT_EQ(NearestCommercialDiameter(e, 163.5), 182);  // tie to the larger
    EXPECT_EQ(NearestCommercialDiameter(e, 160), 145);
    EXPECT_EQ(NearestCommercialDiameter(e, 20), 145);
    EXPECT_EQ(NearestCommercialDiameter(e, 3001), std::nullopt);
    e.DiameterCount = 5;  // only the used entries count
    EXPECT_EQ(NearestCommercialDiameter(e, 340), std::nullopt);
}

TEST(EspecDiameters, SavingTheTableMovesTheMinimumsAndRecomputesSlopes) {
    EspecT e = DefaultEspec();
    e.Diameters[1] = 200;  // 182 is gone: 145, 200, 227 ...
    e.Diameters[2] = 255;  // 227 is gone, halfway between 200 and 255 is 227.5
    e.MinStormDiameter = 228;
    const auto records = AfterDiameterTableSaved(e);
    EXPECT_EQ(records, (std::vector<int>{0, 3, 5}));
    EXPECT_EQ(e.MinSanitaryDiameter, 200);
    EXPECT_EQ(e.MinStormDiameter, 255);
    EXPECT_FLOAT_EQ(e.DiameterCopy[1], 200);
    EXPECT_FLOAT_EQ(e.MinimumSlopes[1], DefaultMinimumSlopes(e)[1]);
    EXPECT_NE(e.MinimumSlopes[1], 0.46f);
}

TEST_F(SpecStoreTest, DamagedValuesAreRefusedOrWithConsentReplacedByDefaults) {
    patch(0, [](Bytes& b) {
        codec::PutF32(b, 42, kNaN);
        b[0] = b[4] = 1;  // control A and the design stage were done
    });
    patch(1, [](Bytes& b) { codec::PutF64(b, 307, std::nan("")); });
    patch(2, [](Bytes& b) { codec::PutF32(b, 494, kInf); });
    patch(3, [](Bytes& b) { codec::PutF32(b, 240 + 4 * 2, -kInf); });
    const Bytes damaged = bytes();

    // Without consent: named, and nothing written.
    std::string asked, error;
    file_.Close();
    ASSERT_TRUE(file_.Open(path_));
    EXPECT_FALSE(LoadDesignCriteria(file_, header_, espec_, &error, [&](const std::string& m) {
        asked = m;
        return false;
    }));
    EXPECT_EQ(error, "El archivo " + path_ +
                         " esta dañado: registro 0, posicion 42: un valor "
                         "que no es un numero");
    EXPECT_EQ(asked, error);
    EXPECT_FALSE(LoadDesignCriteria(file_, header_, espec_, &error)) << "no one to ask";
    EXPECT_EQ(bytes(), damaged);

    // With it: the defaults, and the controls and stages to be done again.
    EXPECT_TRUE(LoadDesignCriteria(file_, header_, espec_, &error, [](const std::string&) {
        return true;
    })) << error;
    EXPECT_EQ(header_.ControlsDone, (std::array<uint8_t, 4>{}));
    EXPECT_EQ(header_.StageDone, (std::array<uint8_t, 4>{}));
    EXPECT_EQ(bytes()[0], 0);
    EXPECT_EQ(bytes()[4], 0);
    EXPECT_FLOAT_EQ(espec_.ManningN, 0.009f);
    EXPECT_EQ(espec_.AlternativesRunDays, 0);
    EXPECT_FLOAT_EQ(espec_.AbsoluteRoughness, 0.03f);
    EXPECT_FLOAT_EQ(espec_.MinimumSlopes[2], 0.32f);
    EXPECT_FLOAT_EQ(f32At(0, 42), 0.009f);
    EXPECT_FLOAT_EQ(f32At(2, 494), 0.03f);
    EXPECT_FLOAT_EQ(f32At(3, 248), 0.32f);
}

// A control file filled with 0xFF: every text claims 255 characters and every real is not
// a number. Refused at its first text; with consent the texts are blank, never "ÿÿÿ".
TEST_F(SpecStoreTest, TextsLongerThanTheirFieldAreDamage) {
    for (int k = 0; k < 6; ++k)
        patch(k, [](Bytes& b) { std::fill(b.begin(), b.end(), 0xFF); });
    file_.Close();
    ASSERT_TRUE(file_.Open(path_));
    std::string error;
    EXPECT_FALSE(LoadDesignCriteria(file_, header_, espec_, &error));
    EXPECT_NE(error.find("XSDA.AB1 esta dañado: registro 0, posicion 134: un texto de 255 "
                         "caracteres en un campo de 25"),
              std::string::npos)
        << error;
    ASSERT_TRUE(LoadDesignCriteria(file_, header_, espec_, &error, [](const std::string&) {
        return true;
    })) << error;
    for (const std::string* text : {&header_.ProjectName, &header_.Entity, &header_.Country,
                                    &header_.Email, &header_.Consultant, &espec_.PipeTypes[0]})
        EXPECT_EQ(*text, "");
    EXPECT_EQ(header_.ControlsDone, (std::array<uint8_t, 4>{}));
    // What was written reads back whole, without asking.
    reload();
    EXPECT_FLOAT_EQ(espec_.ManningN, 0.009f);
    EXPECT_EQ(header_.DesignAlternative, -1);
}

TEST_F(SpecStoreTest, StageFlagsAreZeroOrOne) {
    patch(0, [](Bytes& b) { b[2] = 7; });
    file_.Close();
    ASSERT_TRUE(file_.Open(path_));
    std::string error;
    EXPECT_FALSE(LoadDesignCriteria(file_, header_, espec_, &error));
    EXPECT_NE(error.find("registro 0, posicion 2: una marca de control o de etapa de valor 7"),
              std::string::npos)
        << error;
}

TEST(EspecRepairs, FroudeBand) {
    shell::ProyectoT h;
    h.DesignClass = 2;
    EspecT e = DefaultEspec();
    e.FroudeLower = 0.7f;  // the wide band stays
    e.FroudeUpper = 1.5f;
    e.WideFroudeBand = 1;
    EXPECT_FALSE(RepairOnLoad(e, h).recordChanged[5]);
    EXPECT_FLOAT_EQ(e.FroudeUpper, 1.5f);

    e.FroudeUpper = kNaN;  // one bad bound resets the whole band
    EXPECT_TRUE(RepairOnLoad(e, h).recordChanged[5]);
    EXPECT_FLOAT_EQ(e.FroudeLower, 0.9f);
    EXPECT_FLOAT_EQ(e.FroudeUpper, 1.1f);
    EXPECT_EQ(e.WideFroudeBand, 0);

    e.FroudeLower = 0;  // as the configuration dialog leaves it when switched off
    e.FroudeUpper = 0;
    EXPECT_TRUE(RepairOnLoad(e, h).recordChanged[5]);
    EXPECT_FLOAT_EQ(e.FroudeLower, 0.9f);
    EXPECT_FLOAT_EQ(e.FroudeUpper, 1.1f);
}

TEST_F(SpecStoreTest, ZeroSeriesCounterResetsTheSeries) {
    patch(2, [](Bytes& b) {
        codec::PutI16(b, 184, 30);
        codec::PutI16(b, 186, 3);
        codec::PutI16(b, 188, 0);
        codec::PutF32(b, 190 + 4 * 5, 1);   // series 1, sixth value
        codec::PutF32(b, 190 + 60 * 2, 7);  // series 3 is kept
    });
    reload();
    EXPECT_EQ(espec_.SeriesInterval, 10);
    EXPECT_EQ(espec_.SeriesCount, 1);
    EXPECT_EQ(espec_.CurrentSeries, 1);
    EXPECT_FLOAT_EQ(espec_.Series[0][5], 163.833f);
    EXPECT_FLOAT_EQ(espec_.Series[2][0], 7);
    EXPECT_FLOAT_EQ(f32At(2, 190 + 4 * 5), 163.833f);
}

TEST(EspecRepairs, DesignClassAndSystemKind) {
    const int kinds[] = {0, 1, 2, 3, 4, 5, 3, 4, 3, 4, 0};
    for (int c = 0; c <= 10; ++c)
        EXPECT_EQ(SystemKindOfClass(c), kinds[c]) << c;

    shell::ProyectoT h;
    EspecT e = DefaultEspec();
    h.DesignClass = 0;
    e.SystemKind = 4;
    EXPECT_TRUE(RepairOnLoad(e, h).recordChanged[0]);
    EXPECT_EQ(h.DesignClass, 4);

    h.DesignClass = 7;
    e.SystemKind = 1;
    EXPECT_TRUE(RepairOnLoad(e, h).recordChanged[0]);
    EXPECT_EQ(e.SystemKind, 4);
    EXPECT_EQ(h.SwmmClass, 1);
    EXPECT_FALSE(RepairOnLoad(e, h).any());
}

TEST(EspecRepairs, OutOfRangeValues) {
    shell::ProyectoT h;
    h.DesignClass = 2;
    EspecT e = DefaultEspec();
    e.DiameterCount = 0;
    e.SectionCount = 61;
    e.AbsoluteRoughness = 0.5f;
    e.InfiltrationModel = 3;
    e.SwmmAdjustment = 1.31f;
    e.SwmmWidths[0] = 150;
    e.SwmmSlopes[3] = 2;
    e.ManningNLarge = 0.02f;
    e.ManningLimitDiameter = 900;
    e.TopologyMode = 0;
    const auto r = RepairOnLoad(e, h);
    EXPECT_EQ(r.recordChanged, (std::array<bool, 6>{true, true, true, true, false, true}));
    EXPECT_EQ(e.DiameterCount, 30);
    EXPECT_EQ(e.SectionCount, 60);
    EXPECT_FLOAT_EQ(e.AbsoluteRoughness, 0.03f);
    EXPECT_EQ(e.InfiltrationModel, 0);
    EXPECT_FLOAT_EQ(e.SwmmAdjustment, 0.95f);
    EXPECT_FLOAT_EQ(e.SwmmWidths[0], 10);
    EXPECT_FLOAT_EQ(e.SwmmSlopes[3], 0.01f);
    EXPECT_FLOAT_EQ(e.ManningLimitDiameter, 1524);
    EXPECT_FLOAT_EQ(e.ManningNLarge, 0.013f);
    EXPECT_EQ(e.TopologyMode, 1);

    // The bounds themselves are valid, the adjustment's up to 1.30 as its screen takes it.
    e.SwmmAdjustment = 1.3f;
    e.AbsoluteRoughness = 0.3f;
    EXPECT_FALSE(RepairOnLoad(e, h).any());
    e.SwmmAdjustment = 0.8f;
    EXPECT_FALSE(RepairOnLoad(e, h).any());
}

TEST_F(SpecStoreTest, ForeignBytesInUnusedAreasSurviveLoadAndSave) {
    const std::pair<int, size_t> unused[] = {{0, 500}, {1, 400}, {2, 510}, {3, 406},
                                             {4, 20},  {4, 300}, {5, 500}, {1, 150}};
    for (auto [k, off] : unused)
        patch(k, [off](Bytes& b) { b[off] = 0xA5; });  // 1/150: padding of an empty s80
    const Bytes before = bytes();
    reload();
    EXPECT_EQ(bytes(), before);
    ASSERT_TRUE(SaveRecords(file_, header_, espec_, {1, 2, 3, 4, 5}));
    EXPECT_EQ(bytes(), before);

    patch(5, [](Bytes& b) { b[100] = 0xA5; });  // reserved: cleared when read
    reload();
    EXPECT_EQ(bytes()[5 * 512 + 100], 0);
}

TEST_F(SpecStoreTest, ValueBeyond16BitsIsRefused) {
    const Bytes before = bytes();
    espec_.Manhole120Diameter = 40000;
    Bytes record = file_.buffer(5);
    EXPECT_FALSE(Encode(5, espec_, record));
    EXPECT_EQ(record, file_.buffer(5));
    espec_.Manhole120Diameter = 600;
    espec_.Bod5 = -40000;
    EXPECT_FALSE(SaveRecords(file_, header_, espec_, {5}));
    EXPECT_EQ(bytes(), before);
}

TEST(EspecBedding, DepthFromCode) {
    const EspecT e = DefaultEspec();
    EXPECT_EQ(BeddingDepth(e, 0), -1);
    EXPECT_EQ(BeddingDepth(e, 1), 0);
    EXPECT_DOUBLE_EQ(BeddingDepth(e, 2), 1.5);
    EXPECT_DOUBLE_EQ(BeddingDepth(e, 4), 4.5);
    EXPECT_EQ(BeddingDepth(e, 5), -1);
}

}  // namespace
}  // namespace nivex::specs
