#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchSwmm : public BatchProjectTest {
  protected:
    void Designed() {
        ASSERT_EQ(
            batch(
                {"--project",      "AB1",          "config",          "--class",       "1",
                 "--autolimpieza", "tractiva",     "--texto",         "correo=a@b.co", "--texto",
                 "pais=Colombia",  "--texto",      "entidad=Empresa", "--texto",       "fecha=2026",
                 "--texto",        "consultor=Yo", "--texto",         "proyecto=Red",  "--yes"})
                .rc,
            0);
        ASSERT_EQ(batch({"--project", "AB1", "simulate", "--horizontal", "3", "--vertical", "3",
                         "--length", "60", "--slope", "1", "--ground", "1000", "--yes"})
                      .rc,
                  0);
        ASSERT_EQ(batch({"--project", "AB1", "controls", "--yes"}).rc, 0);
        const BatchOutcome d = batch({"--project", "AB1", "design", "--yes"});
        ASSERT_EQ(d.rc, 0) << d.err;
    }
    fs::path swmmFolder() const { return base_ / "projects" / "00 Archivos Swmm"; }
    fs::path project() const { return base_ / "projects" / "AB-RED"; }
};

TEST_F(BatchSwmm, RunsTheEngineOnTheDesignAndReadsItsReport) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    const BatchOutcome r = batch({"--project", "AB1", "swmm", "run", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.out << r.err;
    EXPECT_EQ(valueOf(r.out, "codigo"), "0");
    EXPECT_EQ(valueOf(r.out, "nodos_inundados"), "0");
    EXPECT_EQ(valueOf(r.out, "nodos_sobrecargados"), "0");
    EXPECT_EQ(valueOf(r.out, "tramos"), "25");
    const fs::path report = swmmFolder() / "SWMM - AB1-RED - Sector#1.rpt";
    EXPECT_EQ(valueOf(r.out, "reporte"), report.string());
    EXPECT_TRUE(fs::exists(report));
    EXPECT_TRUE(fs::exists(swmmFolder() / "SWMM - AB1-RED - Sector#1.inp"));
    EXPECT_NE(r.err.find("Desea correr SWMM? -> S"), std::string::npos) << r.err;
    std::ifstream flows(project() / "RepSwm");
    int lines = 0;
    for (std::string line; std::getline(flows, line);)
        lines += line.empty() ? 0 : 1;
    EXPECT_EQ(lines, 25);
    // The result files stay for the listings.
    EXPECT_TRUE(fs::exists(project() / "VelSwmm"));
}

TEST_F(BatchSwmm, ANewDesignNeedsANewRunBeforeTheReport) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    ASSERT_EQ(batch({"--project", "AB1", "swmm", "run", "--yes"}).rc, 0);
    EXPECT_EQ(batch({"--project", "AB1", "list", "7I", "--yes"}).rc, 0);
    ASSERT_EQ(batch({"--project", "AB1", "design", "--yes"}).rc, 0);
    const BatchOutcome r = batch({"--project", "AB1", "list", "7I", "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Primero debe Revisar con Swmm"), std::string::npos) << r.err;
}

TEST_F(BatchSwmm, WriteOnlyWritesTheInputFile) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    const BatchOutcome r = batch({"--project", "AB1", "swmm", "write", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string input = valueOf(r.out, "entrada");
    EXPECT_TRUE(std::filesystem::exists(input)) << input;
    EXPECT_EQ(valueOf(r.out, "codigo"), "<missing codigo>");  // nothing ran
    EXPECT_EQ(batch({"--project", "AB1", "swmm", "correr"}).rc, 2);
}

TEST_F(BatchSwmm, WithoutYesNothingIsWritten) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    const BatchOutcome r = batch({"--project", "AB1", "swmm", "run"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "swmm"), "N");
    EXPECT_FALSE(fs::exists(swmmFolder()));
}

TEST_F(BatchSwmm, RefusesASectorNotDesigned) {
    const BatchOutcome r = batch({"--project", "AB1", "swmm", "run", "--yes"});
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("... Falta entrar los datos de los tramos ..."), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(swmmFolder()));
}

}  // namespace
}  // namespace nivex::cli
