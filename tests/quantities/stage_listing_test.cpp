// Listing 9A over a designed project, through the batch listing verb.

#include "quantities/stage_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/codepage.h"
#include "quantities/stages.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;

class StageListing : public swmm::testing::DesignedProjectTest {
  protected:
    std::string List() {
        const fs::path out = base_ / "etapas.txt";
        const cli::BatchOutcome r =
            batch({"--project", "AB1", "list", "9A", "--out", out.string()});
        EXPECT_EQ(r.rc, 0) << r.err;
        std::ostringstream s;
        s << std::ifstream(out, std::ios::binary).rdbuf();
        return s.str();
    }
};

TEST_F(StageListing, ThreeBoxesARowAndDashesAfterTheLast) {
    Design(1, 2, 2);  // 2 × 3 + 3 × 2 + 1 = 13 reaches
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(project.header.ReachCount, 13);
    std::string error;
    ASSERT_TRUE(SetStages(project, {{2, 3}, {13, 1}}, &error)) << error;
    // The menu lists the stages once the quantities are computed.
    const cli::BatchOutcome q = batch({"--project", "AB1", "quantities"});
    ASSERT_EQ(q.rc, 0) << q.err;
    const std::string text = List();

    EXPECT_NE(text.find("ETAPAS DE CONSTRUCCION"), std::string::npos);
    const std::string heading = cp("│ linea │ t  r  a  m  o │ etapa │");
    EXPECT_NE(text.find(heading + "   " + heading + "   " + heading), std::string::npos);
    const auto box = [&](int line) {
        const network::TramoT& t = reaches[static_cast<size_t>(line - 1)];
        char cells[64];
        std::snprintf(cells, sizeof cells, "| %4d  | %-5s | %-5s | %4d  |", line,
                      t.Upstream.c_str(), t.Downstream.c_str(), line == 2 ? 3 : line == 13);
        std::string b = cells;
        std::replace(b.begin(), b.end(), '|', static_cast<char>(179));
        return b;
    };
    EXPECT_NE(text.find(box(1) + "   " + box(2) + "   " + box(3) + "\r\n"), std::string::npos);
    const std::string dashed = cp("│  ---  │  ---  │  ---  │  ---  │");
    EXPECT_NE(text.find(box(13) + "   " + dashed + "   " + dashed + "\r\n"), std::string::npos);
}

}  // namespace
}  // namespace nivex::quantities
