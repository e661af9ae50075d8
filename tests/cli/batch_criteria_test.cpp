// The verbs "criteria" and "criteria set": every value by its record and offset, and changes
// through the rules of the screen that edits them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

using CriteriaRun = BatchOutcome;

class BatchSpec : public BatchProjectTest {
  protected:
    std::string value(const std::string& key) {
        return valueOf(batch({"--project", "AB1", "criteria"}).out, key);
    }
    std::string control() const {
        std::ifstream in(base_ / "projects" / "AB-Proyecto Nuevo" / "XSDA.AB1", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(BatchSpec, ListsEveryValueWithItsPrompt) {
    EXPECT_EQ(value("r1.372"), "29  # Numero maximo de diametros tuberias");
    EXPECT_EQ(value("r3.120[0]"), "145  # 1 - Diametro Comercial en ( mm )");
    EXPECT_EQ(value("r0.42").rfind("0.009  # Coeficiente [ n ] de Manning", 0), 0u);
}

TEST_F(BatchSpec, ARefusedValueChangesNothing) {
    const std::string before = control();
    const CriteriaRun r =
        batch({"--project", "AB1", "criteria", "set", "r0.42=0.011", "r1.372=31"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("El numero maximo de diametros comerciales debe estar comprendido "
                         "entre 5 y 30"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(control(), before);
    EXPECT_EQ(batch({"--project", "AB1", "criteria", "set", "r9.9=1"}).rc, 1);
    EXPECT_EQ(batch({"--project", "AB1", "criteria", "set", "r0.42"}).rc, 1);
}

TEST_F(BatchSpec, AnAcceptedValueIsSavedAndClearsWhatTheScreenClears) {
    // Pretend the network controls and the design were done.
    std::string bytes = control();
    for (int i = 0; i < 8; ++i)
        bytes[static_cast<size_t>(i)] = 1;
    std::ofstream(base_ / "projects" / "AB-Proyecto Nuevo" / "XSDA.AB1", std::ios::binary) << bytes;
    ASSERT_EQ(batch({"--project", "AB1", "criteria", "set", "r0.42=0.011"}).rc, 0);
    EXPECT_EQ(value("r0.42").rfind("0.011", 0), 0u);
    const std::string after = control();
    // Screen F clears controls A and B and the stages 2 to 4.
    EXPECT_EQ(after.substr(0, 8), std::string("\0\0\1\1\1\0\0\0", 8));
}

}  // namespace
}  // namespace nivex::cli
