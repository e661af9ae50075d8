// The stages verb over a designed project: refused stages, the counts and what they are
// stored as, and the counts shown without changing anything.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "network/reach_file.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

std::string Bytes(const std::filesystem::path& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

class BatchStages : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
    }
    BatchOutcome stages(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1", "stages"});
        return batch(args);
    }
    std::string copy() const { return Bytes(folder() / "ZSDB.AB1"); }
    std::string control() const { return Bytes(folder() / "XSDA.AB1"); }
};

TEST_F(BatchStages, SetCountsAndShowReads) {
    BatchOutcome r = stages({"set", "1=2", "3=2", "5=1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "etapa1: 1\netapa2: 2\netapa3: 0\netapas: 2\n");
    EXPECT_NE(r.err.find("Etapa 2 : incluye 2 Tramos"), std::string::npos) << r.err;
    const std::string before = control();
    ASSERT_GT(before.size(), 5u * 512 + 166);
    EXPECT_EQ(before[5 * 512 + 165], 2);  // the number of stages, record 5
    EXPECT_EQ(before[5 * 512 + 166], 0);
    for (auto args : {std::vector<std::string>{}, {"show"}}) {
        r = stages(args);
        ASSERT_EQ(r.rc, 0) << r.err;
        EXPECT_EQ(r.out, "etapa1: 1\netapa2: 2\netapa3: 0\netapas: 2\n");
    }
    EXPECT_EQ(control(), before);
}

TEST_F(BatchStages, ARefusedStageWritesNothing) {
    network::TramoFile f;
    ASSERT_TRUE(f.Open((folder() / "ZSDB.AB1").string()));
    network::TramoT t;
    ASSERT_TRUE(f.Read(2, t));
    t.Class = network::kClassExisting;
    ASSERT_TRUE(f.Write(2, t));
    ASSERT_TRUE(f.Close());
    const std::string zsdb = copy(), xsda = control();
    for (auto args : {std::vector<std::string>{"set", "1=1", "2=1"},
                      {"set", "1=4"},
                      {"set", "1=x"},
                      {"set", "99=1"},
                      {"set"},
                      {"bogus"}}) {
        const BatchOutcome r = stages(args);
        EXPECT_NE(r.rc, 0) << args.back();
        EXPECT_TRUE(r.out.empty()) << r.out;
        // The opening of the sector is said on its own line; the refusal takes one more.
        std::istringstream lines(r.err);
        int said = 0;
        for (std::string line; std::getline(lines, line);)
            said += line.rfind("Entidad", 0) == 0 ? 0 : 1;
        EXPECT_EQ(said, 1) << r.err;
    }
    EXPECT_NE(stages({"set", "1=1", "2=1"}).err.find("Linea 2: ERROR ... Tramos Existentes"),
              std::string::npos);
    EXPECT_EQ(copy(), zsdb);
    EXPECT_EQ(control(), xsda);
    EXPECT_EQ(stages({"set", "2=0"}).rc, 0);
}

}  // namespace
}  // namespace nivex::cli
