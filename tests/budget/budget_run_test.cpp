#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "budget/budget_run.h"
#include "budget/price_file.h"
#include "quantities/quantity_run.h"
#include "quantities/quantity_test_network.h"

namespace nivex::budget {
namespace {

namespace fs = std::filesystem;
using quantities::kSystemNew;
using quantities::kSystemTotal;

// The small network of the quantity tests: excavation 201 m3 in range 1 and 27 in range 2,
// fill 217, manholes of 1.20 m two in range 1 and two in range 2, 50 m of 300 in range 1,
// 40 m of 300 and 30 m of 450 in range 2, connections 9 and 3, gravel 8, a drop at 450.
quantities::QuantityTables SmallNetwork(specs::EspecT& e) {
    e = quantities::testing::RoundCriteria();
    network::TramoT third = quantities::testing::Reach("C", "D", 30, 450, 2.3f, 2.1f);
    design::DropPipeDiameter(third) = 300;
    design::DropHeight(third) = 0.8f;
    const quantities::QuantityResult r = quantities::ComputeQuantityTables(
        quantities::testing::OneSector({quantities::testing::Reach("A", "B", 50, 300, 1.2f, 1.5f),
                                        quantities::testing::Reach("B", "C", 40, 300, 1.5f, 2.3f),
                                        third}),
        e);
    return r.newWithRemovals;
}

class BudgetRun : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("nivex_budget_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    // Prices as the entry screen keeps them: written to the file and read back.
    UnitPrices Stored(UnitPrices prices, int firstDuct) {
        const std::string path = (dir_ / "XSANPRE.AB0").string();
        std::string error;
        EXPECT_TRUE(WritePriceFile(path, firstDuct, prices, &error)) << error;
        UnitPrices read;
        EXPECT_EQ(ReadPriceFile(path, firstDuct, read).status, PriceRead::Read);
        return read;
    }
    fs::path dir_;
};

TEST_F(BudgetRun, SmallNetworkIsValuedToTheCentAsByHand) {
    specs::EspecT e;
    const quantities::QuantityTables q = SmallNetwork(e);
    UnitPrices p;
    p.excavation[1][1] = 10.00;
    p.excavation[1][2] = 12.50;
    p.fill[1] = 5.25;
    p.manholes[0][1][1] = 800;
    p.manholes[0][1][2] = 950;
    p.pipes[1][1] = 40;
    p.pipes[2][1] = 45.10;
    p.pipes[2][2] = 70;
    p.connections[1] = 120;
    p.connections[2] = 130;
    p.bedding[1] = 30.333;  // kept as 30.33
    p.drops[2] = 300;
    p.globals = {{"Campamento", "0", 1000}, {"Desvio", "2", 500}, {"Empalme", "E", 200}};
    const UnitPrices prices = Stored(p, specs::UsedDiameters(e));
    EXPECT_EQ(prices.bedding[1], 30.33);
    const std::vector<BudgetChapter> chapters = BuildBudgetChapters(e);
    EXPECT_EQ(CountUnpriced(chapters, q, prices), 0);

    const BudgetValues v = ValueSystem(kSystemNew, chapters, q, prices);
    EXPECT_EQ(v.excavation[1][1], 2010.00);  // 201 × 10.00
    EXPECT_EQ(v.excavation[1][2], 337.50);   // 27 × 12.50
    EXPECT_EQ(v.chapters[1], 2347.50);
    EXPECT_EQ(v.chapters[2], 1139.25);  // 217 × 5.25
    EXPECT_EQ(v.chapters[3], 3500.00);  // 2 × 800 + 2 × 950
    EXPECT_EQ(v.chapters[4], 5904.00);  // 50 × 40 + 40 × 45.10 + 30 × 70
    EXPECT_EQ(v.chapters[5], 1470.00);  // 9 × 120 + 3 × 130
    EXPECT_EQ(v.chapters[6], 242.64);   // 8 × 30.33
    EXPECT_EQ(v.chapters[7], 300.00);
    EXPECT_EQ(v.chapters[8], 0.00);
    EXPECT_EQ(v.chapters[9], 1500.00);  // every lump-sum item but the existing one
    EXPECT_NEAR(v.total, 16403.39, 1e-9);

    // The file keeps them to the cent.
    const std::string path = (dir_ / "SANNEWV.AB1").string();
    std::string error;
    ASSERT_TRUE(WriteBudgetFile(path, v, &error)) << error;
    BudgetValues read;
    ASSERT_EQ(ReadBudgetFile(path, v.sizeCount, read).status, PriceRead::Read);
    EXPECT_EQ(read.chapters, v.chapters);
    EXPECT_EQ(read.total, v.total);
    EXPECT_EQ(read.globals.size(), 2u);
    EXPECT_EQ(read.drops[2], 300);
}

TEST_F(BudgetRun, QuantitiesGoToTwoDecimalsBeforeThePrice) {
    specs::EspecT e;
    quantities::QuantityTables q = SmallNetwork(e);
    q.fill[0] = 12.345;
    UnitPrices p;
    p.fill[1] = 10.00;
    const BudgetValues v = ValueSystem(kSystemNew, BuildBudgetChapters(e), q, p);
    EXPECT_EQ(v.fill[1], 123.50);
    // Every other item with a quantity has no price.
    EXPECT_GT(CountUnpriced(BuildBudgetChapters(e), q, p), 5);
}

TEST(BudgetRounding, LargeValuesKeepTheirCentsAndHalvesStillGoUp) {
    // 2,560 m at $125,000: the partial is exact, whatever its size.
    EXPECT_EQ(RoundToCents(2560.0 * 125000.0), 320000000.0);
    EXPECT_EQ(RoundToCents(1760.0 * 125000.0), 220000000.0);
    EXPECT_EQ(RoundToCents(9876543210.12), 9876543210.12);
    EXPECT_EQ(RoundToCents(-787750000.0), -787750000.0);
    // A half cent that binary arithmetic leaves just below the half.
    EXPECT_EQ(RoundToCents(1.005), 1.01);
    EXPECT_EQ(RoundToCents(2.675), 2.68);
    EXPECT_EQ(RoundToCents(-1.005), -1.01);
    EXPECT_EQ(RoundToCents(0.004), 0.0);
}

TEST(BudgetSystems, LumpSumItemsFollowTheirTags) {
    const GlobalItemT stage2{"Desvio", "2", 500}, existing{"Empalme", "E", 200};
    EXPECT_TRUE(BelongsTo(stage2, kSystemNew));
    EXPECT_TRUE(BelongsTo(stage2, kSystemTotal + 2));
    EXPECT_FALSE(BelongsTo(stage2, kSystemTotal + 1));
    EXPECT_FALSE(BelongsTo(existing, kSystemNew));
    EXPECT_TRUE(BelongsTo(existing, quantities::kSystemExisting));
    EXPECT_TRUE(BelongsTo(existing, kSystemTotal));

    // A lump-sum item of stage 2 opens the budget of stage 2 without reaches in it.
    specs::EspecT e = specs::DefaultEspec();
    e.HasNewReach = 1;
    e.StageCount = 0;
    e.BudgetStageTag = "2";
    EXPECT_EQ(BudgetSystems(e), (std::vector<int>{kSystemNew, kSystemTotal + 1, kSystemTotal + 2}));
}

TEST_F(BudgetRun, PriceFileKeepsCentsAndNoDuctBeyondTheFirst) {
    specs::EspecT e = quantities::testing::RoundCriteria();
    e.SectionCount = 8;  // two more ducts after the first (position 6)
    UnitPrices p;
    p.pipes[1][6] = 100.456;
    p.pipes[1][7] = 120;
    p.globals = {{"Campamento", "0", 99.999}};
    const UnitPrices read = Stored(p, specs::UsedDiameters(e));
    EXPECT_EQ(read.pipes[1][6], 100.46);
    EXPECT_EQ(read.pipes[1][7], 0);  // not kept in the file
    EXPECT_EQ(read.globals[0].value, 100.00);

    const std::string path = (dir_ / "XSANPRE.AB0").string();
    UnitPrices kept = read;
    // Read for another size table: the lines no longer fit, nothing is taken.
    EXPECT_EQ(ReadPriceFile(path, specs::UsedDiameters(e) + 2, kept).status, PriceRead::Damaged);
    EXPECT_EQ(ReadPriceFile(path, specs::UsedDiameters(e) - 1, kept).status, PriceRead::Damaged);
    EXPECT_EQ(kept.pipes[1][6], 100.46);
    EXPECT_EQ(ReadPriceFile((dir_ / "none").string(), 6, kept).status, PriceRead::Missing);
    EXPECT_EQ(kept.pipes[1][6], 0);
}

}  // namespace
}  // namespace nivex::budget
