// The quantities verb over a designed project: the files it leaves, the flags, the
// statistics it prints, and the stop at a diameter outside the size list.

#include <gtest/gtest.h>

#include <filesystem>

#include "network/reach_file.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_run.h"
#include "shell/control_file.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchQuantities : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
    }
    BatchOutcome quantities() { return batch({"--project", "AB1", "quantities"}); }
    shell::ProyectoT header() {
        shell::ControlFile f;
        EXPECT_TRUE(f.Open((folder() / "XSDA.AB1").string()));
        EXPECT_TRUE(f.ReadRecord(0));
        shell::ProyectoT h;
        shell::Decode(f.buffer(0), h);
        return h;
    }
    std::string Value(const std::string& out, const std::string& key) {
        const size_t at = out.find(key + ": ");
        if (at == std::string::npos) return "";
        const size_t start = at + key.size() + 2;
        return out.substr(start, out.find('\n', start) - start);
    }
};

TEST_F(BatchQuantities, WritesTheFilesAndMarksTheQuantitiesDone) {
    BatchOutcome r = quantities();
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(header().StageDone[2], 1);
    EXPECT_EQ(header().StageDone[3], 0);
    for (const char* name : {"SANNEWQ.AB1", "SANALLQ.AB1", "XSDN.AB1"})
        EXPECT_TRUE(fs::exists(folder() / name)) << name;
    EXPECT_FALSE(fs::exists(folder() / "SANOLDQ.AB1"));
    // The simulated 3 × 3 grid: 25 reaches of 60 m, 17 manholes and 9 start manholes.
    EXPECT_NE(r.out.find("sistema: SISTEMA NUEVO\n"), std::string::npos);
    EXPECT_EQ(Value(r.out, "tramos"), "25.00");
    EXPECT_EQ(Value(r.out, "longitud total"), "1500.00");
    EXPECT_EQ(Value(r.out, "tuberia longitud"), "1500.00");
    EXPECT_EQ(Value(r.out, "pozos"), "26.00");
    EXPECT_EQ(Value(r.out, "conexiones"), "150.00");

    // Running it again gives the same files: the removals are not added twice.
    const auto first = fs::file_size(folder() / "SANALLQ.AB1");
    ASSERT_EQ(quantities().rc, 0);
    EXPECT_EQ(fs::file_size(folder() / "SANALLQ.AB1"), first);

    // A stage opens its own system and file.
    ASSERT_EQ(batch({"--project", "AB1", "stages", "set", "1=1", "2=1"}).rc, 0);
    EXPECT_EQ(header().StageDone[2], 0);
    r = quantities();
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(fs::exists(folder() / "SANET1Q.AB1"));
    const size_t stage = r.out.find("sistema: ETAPA #1\n");
    ASSERT_NE(stage, std::string::npos);
    EXPECT_EQ(Value(r.out.substr(stage), "tuberia longitud"), "120.00");
}

TEST_F(BatchQuantities, UnknownDiameterStopsWithoutMarkingTheQuantities) {
    network::TramoFile copy;
    ASSERT_TRUE(copy.Open((folder() / "ZSDB.AB1").string()));
    network::TramoT t;
    ASSERT_TRUE(copy.Read(3, t));
    t.Diameter = 199;
    ASSERT_TRUE(copy.Write(3, t));
    ASSERT_TRUE(copy.Close());
    const BatchOutcome r = quantities();
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("hay un diametro no especificado"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("LINEA [3]"), std::string::npos) << r.err;
    EXPECT_EQ(header().StageDone[2], 0);
    EXPECT_FALSE(fs::exists(folder() / "SANNEWQ.AB1"));
}

}  // namespace
}  // namespace nivex::cli
