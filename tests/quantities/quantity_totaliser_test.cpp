// The totaliser sector reads the design copies of every sector: a sector without its files
// stops the run; with all of them, the manholes of each sector stay apart.

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace nivex::quantities
