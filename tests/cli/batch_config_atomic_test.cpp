// The verb "config" keeps all of a command or none of it: the dialog writes some clicks at
// once and may still refuse "Aceptar", yet a command that ends in an error leaves every file
// of the project as it was.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "shell/record_codec.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

const std::string kNoCleansing =
    "Debe seleccionar por lo menos una opcion de control de Autolimpieza";

class BatchConfigAtomic : public BatchProjectTest {
  protected:
    void SetUp() override {
        BatchProjectTest::SetUp();
        // The copy the dialog is tried on goes to a temporary folder watched here.
        const char* tmp = std::getenv("TMPDIR");
        savedTmp_ = tmp ? tmp : "";
        fs::create_directories(base_ / "tmp");
        setenv("TMPDIR", (base_ / "tmp").c_str(), 1);
    }
    void TearDown() override {
        if (savedTmp_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", savedTmp_.c_str(), 1);
        BatchProjectTest::TearDown();
    }
    BatchOutcome config(std::vector<std::string> options) {
        options.insert(options.begin(), {"--project", "AB1", "config"});
        return batch(options);
    }
    void ExpectRefused(const std::vector<std::string>& options, const std::string& said) {
        const auto before = Snapshot();
        const BatchOutcome r = config(options);
        const std::string line = ::testing::PrintToString(options);
        EXPECT_EQ(r.rc, 1) << line;
        EXPECT_NE(r.err.find(said), std::string::npos) << line << '\n' << r.err;
        EXPECT_EQ(Changed(before, Snapshot()), "") << line;
        EXPECT_TRUE(fs::is_empty(base_ / "tmp")) << line;
    }
    codec::Bytes record0() {
        const auto all = Snapshot();
        for (const auto& [name, bytes] : all)
            if (name.size() > 8 && name.substr(name.size() - 8) == "XSDA.AB1")
                return codec::Bytes(bytes.begin(), bytes.begin() + 512);
        return {};
    }

    std::string savedTmp_;
};

TEST_F(BatchConfigAtomic, ARefusalAtAceptarKeepsNothing) {
    // A new class clears the self-cleansing criteria, so "Aceptar" cannot close; the
    // class, the cleared criteria and the new texts must not stay behind.
    ExpectRefused({"--class", "5"}, kNoCleansing);
    ExpectRefused({"--autolimpieza", "ninguna"}, kNoCleansing);
    ExpectRefused({"--texto", "entidad=Acueducto", "proyecto=Norte", "--autolimpieza", "ninguna"},
                  kNoCleansing);
    EXPECT_TRUE(fs::exists(base_ / "projects" / "AB-Proyecto Nuevo"));
}

TEST_F(BatchConfigAtomic, ARefusedClickKeepsTheClicksBeforeIt) {
    // Choosing a SWMM class writes the routing and the slopes per diameter at once; the
    // energy junctions it disables are refused afterwards.
    ExpectRefused({"--class", "7", "--energia", "si"}, "--energia no se puede cambiar");
    ExpectRefused({"--texto", "pais=Peru", "pais=Chile"}, "el campo pais de --texto");
}

TEST_F(BatchConfigAtomic, SeveralTextsAfterOneOptionAreAllKept) {
    const BatchOutcome r = config({"--texto", "entidad=Acueducto", "pais=Colombia", "--class", "5",
                                   "--autolimpieza", "tractiva", "--texto", "proyecto=Norte"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const codec::Bytes r0 = record0();
    ASSERT_EQ(r0.size(), 512u);
    EXPECT_EQ(codec::Text(r0, 188, 63), "ACUEDUCTO");
    EXPECT_EQ(codec::Text(r0, 421, 26), "COLOMBIA");
    EXPECT_EQ(codec::I16(r0, 460), 5);  // design class
    EXPECT_EQ(codec::I16(r0, 36), 10);  // the tractive force criterion, x100
    EXPECT_TRUE(fs::exists(base_ / "projects" / "AB-NORTE" / "XSDA.AB1"));
    EXPECT_TRUE(fs::is_empty(base_ / "tmp"));
}

}  // namespace
}  // namespace nivex::cli
