// exportar dxf: gated on the design, its scales checked before anything is written, a file
// that cannot be written refused by name with nothing left behind, and a sector without
// coordinates written in mm of its sheet, saying so.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "batch_rig.h"
#include "support/temp_files.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class BatchDxf : public BatchProjectTest {
  protected:
    BatchOutcome run(std::vector<std::string> args) { return inSector(std::move(args)); }
    void Simulated() { SimulatedSector(2, 1, 100); }
    void Designed() {
        Simulated();
        ASSERT_EQ(run({"controls", "--yes"}).rc, 0);
        ASSERT_EQ(run({"design", "--opciones", "NNSS"}).rc, 0);
    }
};

TEST_F(BatchDxf, OnlyADesignedSectorWithGoodScalesIsExported) {
    const fs::path out = base_ / "red.dxf";
    Simulated();
    ASSERT_EQ(run({"controls", "--yes"}).rc, 0);
    const BatchOutcome early = run({"exportar", "dxf", "--out", out.string()});
    EXPECT_EQ(early.rc, 1);
    EXPECT_NE(early.err.find("Falta hacer el dise"), std::string::npos) << early.err;
    EXPECT_FALSE(fs::exists(out));

    ASSERT_EQ(run({"design", "--opciones", "NNSS"}).rc, 0);
    for (const char* bad : {"1:0", "500:1", "1:", "x", "1:20000000"}) {
        const BatchOutcome r = run({"exportar", "dxf", "--out", out.string(), "--escala-h", bad});
        EXPECT_EQ(r.rc, 1) << bad;
        EXPECT_NE(r.err.find("--escala-h debe ser una escala 1:N"), std::string::npos) << r.err;
    }
    EXPECT_EQ(run({"exportar", "dxf", "--out", out.string(), "--escala-v", "0"}).rc, 1);
    EXPECT_FALSE(fs::exists(out));

    // The chosen scales reach the profiles' heading.
    const BatchOutcome r = run(
        {"exportar", "dxf", "--out", out.string(), "--escala-h", "1:500", "--escala-v", "1:50"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(Read(out).find("escala H 1:500 V 1:50"), std::string::npos);
    EXPECT_EQ(valueOf(r.out, "perfiles"), "3");  // the two rows' collectors and the outlet line
}

TEST_F(BatchDxf, AFileThatCannotBeWrittenIsRefusedByNameAndNothingIsLeft) {
    Designed();
    // A folder that does not exist.
    const fs::path missing = base_ / "no-existe" / "red.dxf";
    const BatchOutcome r = run({"exportar", "dxf", "--out", missing.string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("No se pudo escribir el archivo " + missing.string()), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(missing.parent_path()));

    // A folder where the file should go: it stays, and no temporary is left beside it.
    const fs::path folder = base_ / "carpeta.dxf";
    fs::create_directories(folder / "dentro");
    const BatchOutcome d = run({"exportar", "dxf", "--out", folder.string()});
    EXPECT_EQ(d.rc, 1);
    EXPECT_NE(d.err.find(folder.string()), std::string::npos) << d.err;
    EXPECT_TRUE(fs::is_directory(folder / "dentro"));
    EXPECT_FALSE(testing::HasTempFile(folder));

    // An old file is replaced whole.
    const fs::path old = base_ / "viejo.dxf";
    std::ofstream(old, std::ios::binary) << "viejo";
    ASSERT_EQ(run({"exportar", "dxf", "--out", old.string()}).rc, 0);
    const std::string bytes = Read(old);
    EXPECT_EQ(bytes.find("viejo"), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("EOF\n"));
    EXPECT_FALSE(testing::HasTempFile(old));
}

TEST_F(BatchDxf, ASectorWithoutCoordinatesIsWrittenInMillimetresOfItsSheet) {
    Designed();
    // A coordinates file for one manhole only: the plan falls back to its schematic layout.
    const fs::path csv = base_ / "uno.csv";
    std::ofstream(csv, std::ios::binary) << "pozo,x,y\n1,4880000,2065000\n";
    ASSERT_EQ(run({"pozos", "import", csv.string()}).rc, 0);
    const fs::path out = base_ / "esquema.dxf";
    const BatchOutcome r = run({"exportar", "dxf", "--out", out.string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.err.find("el plano va esquematico, en mm de la hoja"), std::string::npos) << r.err;
    EXPECT_EQ(valueOf(r.out, "unidades del plano"), "mm de la hoja");
    const std::string bytes = Read(out);
    EXPECT_TRUE(std::regex_search(bytes, std::regex(R"(\$INSUNITS\s+70\s+4\s)")));
    EXPECT_NE(bytes.find("PLANO DE LA RED (esquematico, sin coordenadas)"), std::string::npos);
    EXPECT_EQ(bytes.find("4880000"), std::string::npos);
}

}  // namespace
}  // namespace nivex::cli
