#include "budget/construction_cost.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "budget/budget_items.h"
#include "budget/reference_prices.h"
#include "quantities/quantity_test_network.h"

namespace nivex::budget {
namespace {

namespace fs = std::filesystem;
using quantities::testing::Reach;
using quantities::testing::RoundCriteria;

// E1 1.5, E2 1.8, E3 4 m (over-widths 0.5 .. 0.8 m); 60 % common and 30 % conglomerate in
// the dry, 10 % common with pumping; compaction 1.25; fill 50 % excavated, 30 % borrowed,
// 20 % selected; gravel from range 1, concrete from range 3; 0.125 connections per metre
// (values a single float keeps exactly).
specs::EspecT MixedCriteria() {
    specs::EspecT e = RoundCriteria();
    specs::SetRangeValue(e, specs::kExcavationLimitSlots[0], 1.5);
    specs::SetRangeValue(e, specs::kExcavationLimitSlots[1], 1.8);
    specs::SetRangeValue(e, specs::kExcavationLimitSlots[2], 4.0);
    e.ConstructionData[specs::kDryCommon] = 60;
    e.ConstructionData[specs::kDryConglomerate] = 30;
    e.ConstructionData[specs::kWetCommon] = 10;
    e.ConstructionData[specs::kConnectionsPerMetre] = 0.125f;
    e.ConstructionData[specs::kCompactionFactor] = 1.25f;
    e.ConstructionData[specs::kFillExcavated] = 50;
    e.ConstructionData[specs::kFillBorrowed] = 30;
    e.ConstructionData[specs::kFillSelected] = 20;
    return e;
}

TEST(ReachCost, OnePipeIsPricedSliceBySliceAsByHand) {
    const specs::EspecT e = MixedCriteria();
    UnitPrices p;
    p.excavation[1] = {0, 10, 12, 15, 20};  // common, dry
    p.excavation[2] = {0, 20, 24, 30, 40};  // conglomerate, dry
    p.excavation[4] = {0, 15, 18, 22, 30};  // common, pumping
    p.fill = {0, 5, 8, 12};
    p.bedding = {0, 30, 200};
    p.pipes[1][1] = 40;
    p.pipes[3][1] = 50;
    p.connections[1] = 100;
    const ReachCostModel model(e, p);

    // 300 mm, 80 m, crown 1.5 and 1.7 m: H = 0.3 + 1.6 = 1.9 m, range 3, B = 0.3 + 0.7 = 1.0.
    // Slices: 1.5 × 1.0 × 80 = 120 m3, (1.8 − 1.5) × 80 = 24 m3, (1.9 − 1.8) × 80 = 8 m3.
    // Per m3 over the materials: range 1 0.6·10 + 0.3·20 + 0.1·15 = 13.5, range 2 16.2,
    // range 3 20.2 → 1620 + 388.8 + 161.6 = 2170.4.
    // Fill: (152 − 3.1416/4 · 0.3² · 80 = 5.65488) × 1.25 = 182.9314 m3 at
    // 0.5·5 + 0.3·8 + 0.2·12 = 7.3 → 1335.39922.
    // Concrete (range 3), 0.10 m thick (300/4000 raised to the least): 0.6 × 80 × 0.1 =
    // 4.8 m3 × 200 = 960. Pipe 80 × 50 = 4000. Connections 80 × 0.125 = 10 × 100 = 1000.
    EXPECT_NEAR(model.Pipe(300, 80, 1.5, 1.7, true), 9465.79922, 1e-6);
    EXPECT_NEAR(model.Pipe(300, 80, 1.5, 1.7, false), 8465.79922, 1e-6);

    // Shallower, 1.0 and 1.2 m: H = 1.4 m, range 1, B = 0.8: 89.6 m3 × 13.5 = 1209.6; fill
    // (89.6 − 5.65488) × 1.25 × 7.3 = 765.99922; gravel 0.10 m: 4.8 m3 × 30 = 144; pipe
    // 80 × 40 = 3200; connections 1000.
    EXPECT_NEAR(model.Pipe(300, 80, 1.0, 1.2, true), 6319.59922, 1e-6);

    // A size outside the list cannot be laid.
    EXPECT_EQ(model.Pipe(350, 80, 1.0, 1.2, true), std::numeric_limits<double>::infinity());
    EXPECT_EQ(model.DropPipe(350), std::numeric_limits<double>::infinity());
}

// Round prices for the small design below.
UnitPrices RoundPrices() {
    UnitPrices p;
    p.excavation[1] = {0, 10, 20, 30, 40};
    p.fill[1] = 5;
    p.manholes[0][1] = {0, 1000, 1500, 2000, 0};
    p.pipes[1][1] = 40;
    p.pipes[2][2] = 70;
    p.pipes[3][2] = 80;
    p.connections[1] = 100;
    p.connections[2] = 120;
    p.bedding = {0, 30, 200};
    p.drops[2] = 300;
    p.removals[1] = 50;
    return p;
}

// A design copy of four new reaches: A-B and E-B join at B, B-C, C-D; a drop pipe on B-C.
std::vector<network::TramoT> SmallDesign() {
    network::TramoT third = Reach("B", "C", 60, 450, 1.6f, 2.4f);
    design::DropPipeDiameter(third) = 300;
    design::DropHeight(third) = 0.8f;
    return {Reach("A", "B", 50, 300, 1.2f, 1.5f), Reach("E", "B", 40, 300, 1.3f, 1.5f), third,
            Reach("C", "D", 32, 450, 2.4f, 3.0f)};
}

TEST(NetworkCost, SmallDesignCostsItsHandBudgetAndTheSumOfItsParts) {
    const specs::EspecT e = RoundCriteria();  // E1 2, E2 3, E3 4; M1 2, M2 3; all common, dry
    const UnitPrices p = RoundPrices();
    const std::vector<network::TramoT> design = SmallDesign();

    // By hand, reach by reach (H, range, B; excavation rounded per reach and slice):
    //   A-B 300, H 1.65, r1, B 0.8: 66 m3; E-B 300, H 1.70, r1: 54.4 → 54;
    //   B-C 450, H 2.45, r2, B 1.05: 126 and 28.35 → 28;
    //   C-D 450, H 3.15, r3, B 1.15: 73.6 → 74, 36.8 → 37, 5.52 → 6.
    // Excavation 320 × 10 + 65 × 20 + 6 × 30 = 4680.
    // Fill: 391 − 3.1416/4 × (0.09 × 90 + 0.2025 × 92) = 370.006 → 370 × 5 = 1850.
    // Manholes (1.20 m, depth to the deepest invert): A 1.50, E 1.60 (range 1); B 2.05,
    // C 2.85 (range 2); D 3.45 (range 3): 2 × 1000 + 2 × 1500 + 2000 = 7000.
    // Pipes: 90 m × 40 + 60 × 70 + 32 × 80 = 10360. Connections: 5 + 4 at 300, 6 + 3 at
    // 450: 900 + 1080 = 1980. Bedding: gravel 3 + 2 + 7 = 12 × 30, concrete 2.7 → 3 × 200:
    // 960. One drop at 450: 300. Total 27130.
    EXPECT_EQ(NetworkCost(design, 4, e, 1, p), 27130.00);

    // The same design in parts, without rounding to whole units:
    // excavation 320 × 10 + 65.15 × 20 + 5.52 × 30 = 4668.6; fill (390.67 − 20.993742) × 5 =
    // 1848.38129; connections 900 + 9.2 × 120 = 2004; bedding 12.15 × 30 + 2.7 × 200 = 904.5;
    // manholes, pipes and the drop as above: 27085.48129.
    const ReachCostModel model(e, p);
    double parts = 0;
    for (const network::TramoT& t : design)
        parts += model.Pipe(t.Diameter, t.Length, t.Diseno.F140[0], t.Diseno.F140[1], true);
    // Governing diameter: the reach leaving the manhole, and the last reach's at D.
    parts += model.Manhole(300, 1.50) + model.Manhole(300, 1.60) + model.Manhole(450, 2.05) +
             model.Manhole(450, 2.85) + model.Manhole(450, 3.45);
    parts += model.DropPipe(450);
    EXPECT_NEAR(parts, 27085.48129, 0.01);
    // Rounding whole m3 moves each rounded quantity by half a unit at most: every slice
    // (its excavation and fill price), every bedding and connection count, the fill.
    const double bound = 0.5 * ((10 + 5) * 2 + (10 + 5) + (20 + 5) + (10 + 5) + (20 + 5) +
                                (30 + 5) + 30 * 3 + 200 + 100 * 2 + 120 * 2 + 5);
    EXPECT_LE(std::abs(parts - NetworkCost(design, 4, e, 1, p)), bound);

    // A reach the design removed is priced in chapter 8, as in the budget: 25 m of 300.
    std::vector<network::TramoT> withRemoval = design;
    withRemoval.push_back(Reach("X", "Y", 25, 300, 1.0f, 1.0f, network::kClassExisting));
    EXPECT_EQ(NetworkCost(withRemoval, 4, e, 1, p), 27130.00 + 25 * 50);

    // A diameter outside the list leaves no buildable design.
    std::vector<network::TramoT> odd = design;
    odd[0].Diameter = 350;
    EXPECT_EQ(NetworkCost(odd, 4, e, 1, p), std::numeric_limits<double>::infinity());
}

// The anchors of docs/precios-referencia.md: pipe supplied and laid in range 1, pesos/m.
constexpr PriceAnchor kDocumentedPipes[] = {{200, 120000},   {300, 200000},  {450, 330000},
                                            {600, 500000},   {900, 900000},  {1200, 1400000},
                                            {1500, 2000000}, {2000, 3100000}};

TEST(ReferencePrices, EveryItemIsPricedAndPricesRiseWithSizeAndDepth) {
    for (specs::EspecT e : {specs::DefaultEspec(), RoundCriteria()}) {
        const UnitPrices p = ReferencePrices(e);
        for (const BudgetChapter& chapter : BuildBudgetChapters(e))
            for (const ItemGroup& group : chapter.groups)
                for (const BudgetItem& item : group.items)
                    EXPECT_GT(PriceOf(p, item), 0) << chapter.number << " " << item.text;

        const std::vector<specs::Section> sizes = specs::Sections(e);
        for (size_t r = 1; r <= 4; ++r)
            for (size_t k = 1; k <= sizes.size(); ++k) {
                if (k > 1) {
                    EXPECT_GT(p.pipes[r][k], p.pipes[r][k - 1]) << r << " " << k;
                }
                if (r > 1) {
                    EXPECT_GT(p.pipes[r][k], p.pipes[r - 1][k]) << r << " " << k;
                }
            }
        for (size_t j = 1; j <= 4; ++j) {
            if (j > 1) {
                EXPECT_GT(p.excavation[1][j], p.excavation[1][j - 1]);
            }
            EXPECT_GT(p.excavation[2][j], p.excavation[1][j]);  // conglomerate over common
            EXPECT_GT(p.excavation[3][j], p.excavation[2][j]);  // rock over conglomerate
            for (size_t i = 1; i <= 3; ++i)
                EXPECT_GT(p.excavation[i + 3][j], p.excavation[i][j]);  // pumping
        }
        for (size_t g = 0; g < 3; ++g)
            for (size_t range = 2; range <= 3; ++range)
                EXPECT_GT(p.manholes[g][1][range], p.manholes[g][1][range - 1]);
    }

    // The pipe law stays within 10 % of every documented anchor, and an odd size between
    // two anchors gets a price between theirs.
    const PowerLaw law = ReferencePipeLaw();
    for (const PriceAnchor& anchor : kDocumentedPipes)
        EXPECT_NEAR(law(anchor.size) / anchor.price, 1.0, 0.10) << anchor.size;
    EXPECT_GT(law(1050), 900000);
    EXPECT_LT(law(1050), 1400000);
    // Two points give the line through them.
    const PriceAnchor two[] = {{500, 100}, {2000, 1600}};
    const PowerLaw exact = FitPowerLaw(two);
    EXPECT_NEAR(exact.b, 2.0, 1e-12);
    EXPECT_NEAR(exact(1000), 400, 1e-9);
}

// Values printed in docs/precios-referencia.md for the default size list: the page and the
// table must not drift apart.
TEST(ReferencePrices, TheDocumentedExamplesHold) {
    const specs::EspecT e = specs::DefaultEspec();
    const UnitPrices p = ReferencePrices(e);
    const quantities::QuantityLimits l = quantities::LimitsOf(e);
    const auto at = [&](double size) {
        const int k = quantities::SizePosition(l, size);
        EXPECT_GT(k, 0) << size;
        return static_cast<size_t>(k);
    };
    EXPECT_EQ(p.excavation[6][4], 300300);
    EXPECT_EQ(p.excavation[2][3], 75600);
    EXPECT_EQ(p.fill[2], 78000);
    EXPECT_EQ(p.manholes[1][1][2], 11500000);
    EXPECT_EQ(p.pipes[1][at(182)], 97307);
    EXPECT_EQ(p.pipes[4][at(452)], 460094);
    EXPECT_EQ(p.pipes[2][at(1507)], 2111732);
    EXPECT_EQ(p.pipes[1][at(3000)], 6494380);  // the first duct
    EXPECT_TRUE(l.isDuct(static_cast<int>(at(3000))));
    EXPECT_EQ(p.connections[at(900)], 1365000);
    EXPECT_EQ(p.bedding[2], 680000);
    EXPECT_EQ(p.drops[at(900)], 3200000);
    EXPECT_EQ(p.drops[at(1054)], 12849139);
    EXPECT_EQ(p.drops[at(2000)], 29547466);
    EXPECT_EQ(p.removals[at(900)], 234386);
}

class CostPricesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("nivex_cost_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        p_.files.Build(dir_.string(), "AB1");
        p_.selection.code = "AB";
        p_.selection.sector = "1";
        p_.selection.extension = "AB1";
        p_.espec = RoundCriteria();
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string PricePath() const { return (dir_ / "XSANPRE.AB0").string(); }
    // Items of chapters 1..8 for S positions: 24 excavation, 3 fill, 9 manholes, 4·S pipes,
    // S connections, 2 bedding, S drops, S removals.
    static int ItemCount(int sizes) { return 24 + 3 + 9 + 4 * sizes + sizes + 2 + sizes + sizes; }

    fs::path dir_;
    project::Project p_;
};

TEST_F(CostPricesTest, ProjectPricesAreKeptAndTheRestComeFromTheReferenceTable) {
    const UnitPrices reference = ReferencePrices(p_.espec);
    UnitPrices own;
    own.excavation[1][1] = 12345;
    own.pipes[2][3] = 777;
    own.bedding[2] = 500;
    own.globals = {{"Campamento", "0", 1000}};
    std::string error;
    ASSERT_TRUE(WritePriceFile(PricePath(), specs::UsedDiameters(p_.espec), own, &error)) << error;

    const CostPrices c = PricesForCost(p_);
    EXPECT_TRUE(c.error.empty());
    EXPECT_FALSE(c.allReference);
    EXPECT_EQ(c.referenceItems, ItemCount(6) - 3);
    EXPECT_EQ(c.prices.excavation[1][1], 12345);
    EXPECT_EQ(c.prices.pipes[2][3], 777);
    EXPECT_EQ(c.prices.bedding[2], 500);
    EXPECT_EQ(c.prices.excavation[1][2], reference.excavation[1][2]);
    EXPECT_EQ(c.prices.pipes[2][2], reference.pipes[2][2]);
    EXPECT_EQ(c.prices.bedding[1], reference.bedding[1]);
    EXPECT_EQ(c.prices.manholes[2][1][3], reference.manholes[2][1][3]);
    EXPECT_EQ(c.prices.drops[6], reference.drops[6]);
    EXPECT_GT(c.prices.removals[6], 0);
}

TEST_F(CostPricesTest, NoPriceAtAllMeansTheWholeReferenceTable) {
    const UnitPrices reference = ReferencePrices(p_.espec);
    // No price file.
    CostPrices c = PricesForCost(p_);
    EXPECT_TRUE(c.allReference);
    EXPECT_EQ(c.referenceItems, ItemCount(6));
    EXPECT_TRUE(c.error.empty());
    EXPECT_EQ(c.prices.pipes, reference.pipes);
    EXPECT_EQ(c.prices.excavation, reference.excavation);

    // A file with a lump-sum item but no unit price.
    UnitPrices own;
    own.globals = {{"Campamento", "0", 1000}};
    std::string error;
    ASSERT_TRUE(WritePriceFile(PricePath(), specs::UsedDiameters(p_.espec), own, &error)) << error;
    c = PricesForCost(p_);
    EXPECT_TRUE(c.allReference);
    EXPECT_EQ(c.referenceItems, ItemCount(6));

    // A damaged file: its message, and the reference table throughout.
    {
        std::ofstream out(PricePath(), std::ios::binary | std::ios::trunc);
        out << "12345\r\nnot a number\r\n";
    }
    c = PricesForCost(p_);
    EXPECT_NE(c.error.find("XSANPRE.AB0"), std::string::npos) << c.error;
    EXPECT_TRUE(c.allReference);
    EXPECT_EQ(c.prices.excavation, reference.excavation);
    EXPECT_EQ(c.prices.pipes, reference.pipes);
}

}  // namespace
}  // namespace nivex::budget
