#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

constexpr char kModel[] =
    "[TITLE]\r\nRed de prueba\r\n\r\n"
    "[OPTIONS]\r\nFLOW_UNITS           CFS\r\n\r\n"
    "[JUNCTIONS]\r\n;;Name Elevation\r\nJ1   328.084  3\r\nJ2   320  3\r\nJ3   310  3\r\n\r\n"
    "[OUTFALLS]\r\nO1   300  FREE\r\n\r\n"
    "[CONDUITS]\r\n;;Name From To Length\r\n"
    "C1  J1  J2  100  0.01\r\nC2  J2  J3  200  0.01\r\nC3  J3  O1  50  0.01\r\n\r\n"
    "[COORDINATES]\r\nJ1 0 0\r\nJ2 10 0\r\nJ3 20 0\r\nO1 30 0\r\n";

class BatchImportSwmm : public BatchProjectTest {
  protected:
    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = base_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    fs::path folder() const { return base_ / "projects" / "AB-Proyecto Nuevo"; }
};

TEST_F(BatchImportSwmm, TheModelsBendsAreKeptBesideTheSectorAndGoWithTheNextModel) {
    const std::string bent = std::string(kModel) + "\r\n[VERTICES]\r\nC2 12.5 3\r\nC2 15 4\r\n";
    ASSERT_EQ(batch({"--project", "AB1", "import-swmm", Write("curva.inp", bent), "--yes"}).rc, 0);
    std::ifstream in(folder() / "Vertices.AB1", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text, "J2\tJ3\t12.5\t3\nJ2\tJ3\t15\t4\n");
    ASSERT_EQ(batch({"--project", "AB1", "import-swmm", Write("recta.inp", kModel), "--yes"}).rc,
              0);
    EXPECT_FALSE(fs::exists(folder() / "Vertices.AB1"));
}

TEST_F(BatchImportSwmm, ImportsTheModelAndPrintsReachesAndUnit) {
    const BatchOutcome r =
        batch({"--project", "AB1", "import-swmm", Write("red.inp", kModel), "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("Generacion de proyecto a partir de archivo Swmm realizada"),
              std::string::npos);
    EXPECT_EQ(valueOf(r.out, "tramos"), "3");
    EXPECT_EQ(valueOf(r.out, "unidad"), "CFS");
    EXPECT_EQ(valueOf(r.out, "cotas y longitudes"), "pies, convertidas a metros");

    const BatchOutcome info = batch({"--project", "AB1", "info"});
    EXPECT_EQ(valueOf(info.out, "tramos"), "3");
    const BatchOutcome csv = batch({"--project", "AB1", "reaches", "export"});
    ASSERT_EQ(csv.rc, 0) << csv.err;
    EXPECT_NE(csv.out.find("\n1,J1,J2,"), std::string::npos) << csv.out;
    // Feet in metres to the two decimals of the reach fields: 320 ft is 97.536 m.
    EXPECT_NE(csv.out.find(",100,97.54,30.48,"), std::string::npos) << csv.out;
    EXPECT_TRUE(fs::exists(folder() / "MAPA.AB1"));
}

TEST_F(BatchImportSwmm, AModelInMetresIsTakenAsItIs) {
    std::string model = kModel;
    model.replace(model.find("CFS"), 3, "LPS");
    model.replace(model.find("328.084"), 7, "328.08");
    const BatchOutcome r =
        batch({"--project", "AB1", "import-swmm", Write("red.inp", model), "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "unidad"), "LPS");
    EXPECT_EQ(valueOf(r.out, "cotas y longitudes"), "metros");
}

// The reach screen's field rules of range, width and decimals: refused with the file and
// the line, and nothing written.
TEST_F(BatchImportSwmm, ValuesTheReachScreenRefusesAreRefused) {
    struct Case {
        const char* from;
        const char* to;
        int line;
        const char* said;
    };
    const Case cases[] = {
        {"C1  J1  J2  100", "C1  J1  J2  3.4e38", 18,
         "la longitud del conducto C1 (3.4e38): Error...El valor no cabe en el campo"},
        {"C2  J2  J3  200", "C2  J2  J3  10000", 19,
         "la longitud del conducto C2 (10000): Error...El valor no cabe en el campo"},
        {"J2   320", "J2   1e20", 10, "la elevacion del nodo J2 (1e20): Error...El valor no cabe"},
        {"J3   310", "J3   310.125", 11,
         "la elevacion del nodo J3 (310.125): Error...Usar maximo 2 cifra(s) decimale(s)"},
    };
    for (const Case& c : cases) {
        std::string model = kModel;
        model.replace(model.find("CFS"), 3, "LPS");
        model.replace(model.find("328.084"), 7, "328.08");
        model.replace(model.find(c.from), std::string(c.from).size(), c.to);
        const std::string path = Write("red.inp", model);
        const BatchOutcome r = batch({"--project", "AB1", "import-swmm", path, "--yes"});
        EXPECT_EQ(r.rc, 1) << c.to;
        EXPECT_NE(r.err.find("Error en la linea " + std::to_string(c.line) + " del archivo Swmm " +
                             path + ":"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(folder() / "ZSDX.AB1"));
    }
}

TEST_F(BatchImportSwmm, WithoutYesNothingIsWritten) {
    const BatchOutcome r = batch({"--project", "AB1", "import-swmm", Write("red.inp", kModel)});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Desea Entrar un Archivo Swmm ? No"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder() / "ZSDX.AB1"));
}

TEST_F(BatchImportSwmm, ARefusedModelFailsWithItsMessage) {
    std::string model = kModel;
    model += "\r\n[PUMPS]\r\nP1 J1 J2 * ON 0 0\r\n";
    BatchOutcome r = batch({"--project", "AB1", "import-swmm", Write("b.inp", model), "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("no debe contener ninguna de las siguientes estructuras"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(folder() / "ZSDX.AB1"));

    r = batch({"--project", "AB1", "import-swmm", Write("SWMM - AB1-Proyecto Nuevo.inp", kModel),
               "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Seleccion Incorrecta"), std::string::npos);

    r = batch({"--project", "AB1", "import-swmm", (base_ / "falta.inp").string(), "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("No se pudo leer"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder() / "ZSDX.AB1"));
}

TEST_F(BatchImportSwmm, NeedsExactlyOneFile) {
    EXPECT_EQ(batch({"--project", "AB1", "import-swmm", "--yes"}).rc, 2);
    EXPECT_EQ(batch({"--project", "AB1", "import-swmm", "a.inp", "b.inp", "--yes"}).rc, 2);
}

TEST_F(BatchImportSwmm, ARelativePathIsTheCallersFolder) {
    Write("relativo.inp", kModel);
    fs::current_path(base_);
    const BatchOutcome r = batch({"--project", "AB1", "import-swmm", "relativo.inp", "--yes"});
    fs::current_path(start_);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "tramos"), "3");
}

TEST_F(BatchImportSwmm, ASimulatedProjectIsNotOverwritten) {
    ASSERT_EQ(
        batch({"--project", "AB1", "simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc,
        0);
    const BatchOutcome r =
        batch({"--project", "AB1", "import-swmm", Write("red.inp", kModel), "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Este Proyecto no debe ser sobrescrito"), std::string::npos);
    EXPECT_EQ(valueOf(batch({"--project", "AB1", "info"}).out, "tramos"), "5");
}

}  // namespace
}  // namespace nivex::cli
