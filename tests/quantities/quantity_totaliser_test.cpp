// The totaliser sector reads the design copies of every sector: a sector without its files
// stops the run; with all of them, the manholes of each sector stay apart.

#include <gtest/gtest.h>

#include <filesystem>

#include "budget/price_screens.h"
#include "network/network_controls.h"
#include "quantities/quantity_driver.h"
#include "quantities/quantity_run.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;

class Totaliser : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        totaliser.selection.code = "AB";
        totaliser.selection.sector = "0";
        totaliser.selection.sectors = "2";
        totaliser.selection.sectorCount = 2;
        totaliser.selection.extension = "AB0";
        totaliser.files.Build(folder().string(), "AB0");
        totaliser.espec = project.espec;
        fs::copy_file(folder() / "XSDA.AB1", folder() / "XSDA.AB0");
    }
    void CopySector(int k) {
        for (const char* base : {"XSDA.AB", "ZSDB.AB"})
            fs::copy_file(folder() / (std::string(base) + "1"),
                          folder() / (std::string(base) + std::to_string(k)),
                          fs::copy_options::overwrite_existing);
    }
    project::Project totaliser;
};

TEST_F(Totaliser, MissingSectorStopsTheRun) {
    const QuantityOutcome out = RunQuantities(totaliser);
    EXPECT_EQ(out.stop, RunStop::MissingSector);
    EXPECT_EQ(out.sector, 2);
    EXPECT_EQ(out.message, "... ERROR .. no hay sector #2 ...");
    EXPECT_FALSE(fs::exists(folder() / "SANNEWQ.AB0"));
}

TEST_F(Totaliser, SectorsAddUpWithTheirOwnManholes) {
    CopySector(2);
    QuantityInput input;
    ASSERT_EQ(LoadQuantityInput(totaliser, input).problem, InputProblem::None);
    ASSERT_EQ(input.sectors.size(), 2u);
    EXPECT_TRUE(input.hasNewReach);
    const QuantityOutcome out = RunQuantities(totaliser);
    ASSERT_EQ(out.stop, RunStop::None) << out.message;
    const QuantityTables& t = out.result.newWithRemovals;
    EXPECT_EQ(t.statisticsA[kReachCount], 50);
    EXPECT_EQ(t.pipeTotal.length, 3000);
    // The same names in both sectors are different manholes.
    EXPECT_EQ(t.statisticsB[kManholeCount], 52);
    EXPECT_EQ(out.result.manholeClasses.size(), 52u);
    EXPECT_TRUE(fs::exists(folder() / "SANNEWQ.AB0"));
    EXPECT_FALSE(fs::exists(folder() / "SANNEWQ.AB2"));
}

// The prices serve every sector: a change in the totaliser leaves each sector's budget to
// be computed again and hands them the highest stage tag of the lump-sum items.
TEST_F(Totaliser, APriceChangeReachesEverySector) {
    CopySector(2);
    auto stageOf = [&](const std::string& extension) {
        project::Project p;
        p.files.Build(folder().string(), extension);
        std::string error;
        EXPECT_TRUE(network::LoadControlState(p, &error)) << error;
        return std::pair{static_cast<int>(p.header.StageDone[3]), p.espec.BudgetStageTag};
    };
    for (const char* extension : {"AB1", "AB2"}) {
        project::Project p;
        p.files.Build(folder().string(), extension);
        std::string error;
        ASSERT_TRUE(network::WithControl(p, &error, [&] {
            p.header.StageDone[3] = 1;
            return network::SaveControlRecords(p, {}, &error);
        })) << error;
    }
    budget::PriceBook book;
    std::string error;
    ASSERT_TRUE(budget::LoadPriceBook(totaliser, book, &error)) << error;
    book.prices.globals.clear();
    ASSERT_TRUE(budget::StoreGlobals(totaliser, book, {{"Vallas", "2", 5000}}, &error)) << error;
    for (const char* extension : {"AB1", "AB2"})
        EXPECT_EQ(stageOf(extension), std::pair(0, std::string("2"))) << extension;
    EXPECT_FALSE(fs::exists(folder() / "XSDA.AB3"));  // no sector is made up
}

}  // namespace
}  // namespace nivex::quantities
