// The budget verb: the question for needed prices at zero, the files and the flag.

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/control_file.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchBudget : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_EQ(batch({"--project", "AB1", "quantities"}).rc, 0);
    }
    int budgetDone() {
        shell::ControlFile f;
        EXPECT_TRUE(f.Open((folder() / "XSDA.AB1").string()));
        EXPECT_TRUE(f.ReadRecord(0));
        shell::ProyectoT h;
        shell::Decode(f.buffer(0), h);
        return h.StageDone[3];
    }
};

TEST_F(BatchBudget, NeededPricesAtZeroAskBeforeAZeroBudget) {
    BatchOutcome r = batch({"--project", "AB1", "budget"});
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("En SISTEMA NUEVO"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("esta(n) en CERO"), std::string::npos) << r.err;
    EXPECT_EQ(budgetDone(), 0);
    EXPECT_FALSE(fs::exists(folder() / "SANNEWV.AB1"));

    r = batch({"--project", "AB1", "budget", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("sistema: SISTEMA NUEVO\n"), std::string::npos);
    EXPECT_NE(r.out.find("capitulo 1: 0.00\n"), std::string::npos);
    EXPECT_NE(r.out.find("total: 0.00\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder() / "SANNEWV.AB1"));
    EXPECT_EQ(budgetDone(), 1);

    // New quantities make the budget stale again.
    ASSERT_EQ(batch({"--project", "AB1", "quantities"}).rc, 0);
    EXPECT_EQ(budgetDone(), 0);
}

}  // namespace
}  // namespace nivex::cli
