// The pozos verbs over a simulated 1 x 1 grid: the grid's own coordinates, the CSV round
// trip, and every bad table refused whole with the project left as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchPozos : public BatchProjectTest {
  protected:
    void SetUp() override {
        BatchProjectTest::SetUp();
        // Manholes 1, 2 (top row), 3, 4 (bottom row), head 1A above 3, outlet 5.
        const BatchOutcome s =
            run({"simulate", "--horizontal", "1", "--vertical", "1", "--length", "100", "--yes"});
        ASSERT_EQ(s.rc, 0) << s.err;
    }
    BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    fs::path csv(const std::string& name, const std::string& text) {
        const fs::path path = base_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    fs::path coordinatesFile() const {
        return base_ / "projects" / "AB-Proyecto Nuevo" / "Pozos.AB1";
    }
};

TEST_F(BatchPozos, TheSimulatedGridPlacesItsManholesAsItsSwmmMapDoes) {
    // By hand, length 100 from the origin 10000: column c, row r from the bottom at
    // ((c + 1) 100 + 10000, (r + 2) 100 + 10000); head 1A 10 m below 1; outlet 5 one
    // length below the lowest corner 4.
    const BatchOutcome r = run({"pozos", "export"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "pozo,x,y\n1,10100,10300\n2,10200,10300\n4,10200,10200\n1A,10100,10290\n"
              "3,10100,10200\n5,10200,10100\n");
}

TEST_F(BatchPozos, ImportExportImportGivesTheSameBytes) {
    const fs::path in = csv("pozos.csv",
                            "Pozo;Este;Norte\r\n5;4880300.5;2065000\r\n1;4880000.125;2065300\r\n"
                            "2;4880100;2065300.75\r\n");
    const BatchOutcome i = run({"pozos", "import", in.string()});
    ASSERT_EQ(i.rc, 0) << i.err;
    EXPECT_EQ(valueOf(i.out, "Pozos importados"), "3");
    const fs::path out1 = base_ / "uno.csv", out2 = base_ / "dos.csv";
    ASSERT_EQ(run({"pozos", "export", "--out", out1.string()}).rc, 0);
    std::ifstream a(out1, std::ios::binary);
    const std::string first{std::istreambuf_iterator<char>(a), {}};
    EXPECT_EQ(first,
              "pozo,x,y\n5,4880300.5,2065000\n1,4880000.125,2065300\n2,4880100,2065300.75\n");
    std::ifstream fa(coordinatesFile(), std::ios::binary);
    const std::string stored{std::istreambuf_iterator<char>(fa), {}};

    ASSERT_EQ(run({"pozos", "import", out1.string()}).rc, 0);
    ASSERT_EQ(run({"pozos", "export", "--out", out2.string()}).rc, 0);
    std::ifstream b(out2, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(b), {}), first);
    std::ifstream fb(coordinatesFile(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(fb), {}), stored);
}

TEST_F(BatchPozos, ABadTableChangesNothingAndSaysWhy) {
    struct Case {
        std::string text, message;
    };
    const std::vector<Case> cases = {
        {"1,1,2\n9,3,4\n", "linea 2: el pozo 9 no esta en la red del sector AB1"},
        {"1,1,2\n2,3,4\n1,5,6\n", "linea 3: el pozo 1 se repite (ya esta en la linea 1)"},
        {"1,1,2\n2,x,4\n", "linea 2: la coordenada X del pozo 2 no es un numero"},
        {"1,1,2\n2,3,inf\n", "linea 2: la coordenada Y del pozo 2 no es un numero finito"},
        {"Q1,1,2\nQ2,3,4\n", "no es del sector AB1"},
    };
    const auto before = Snapshot();
    for (const Case& c : cases) {
        const fs::path in = csv("malo.csv", c.text);
        const BatchOutcome r = run({"pozos", "import", in.string()});
        EXPECT_EQ(r.rc, 1) << c.text;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(in.string()), std::string::npos) << r.err;
        EXPECT_EQ(Changed(before, Snapshot()), "") << c.text;
    }
    const BatchOutcome missing = run({"pozos", "import", (base_ / "no-existe.csv").string()});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_EQ(Changed(before, Snapshot()), "");
}

TEST_F(BatchPozos, TheCommandLineTakesOnlyWhatItsHelpShows) {
    const auto before = Snapshot();
    EXPECT_EQ(run({"pozos"}).rc, 2);
    EXPECT_EQ(run({"pozos", "borrar"}).rc, 2);
    EXPECT_EQ(run({"pozos", "export", "--yes", "--csv"}).rc, 2);
    EXPECT_EQ(run({"pozos", "import"}).rc, 2);
    EXPECT_EQ(run({"pozos", "import", "a.csv", "b.csv"}).rc, 2);
    EXPECT_EQ(run({"pozos", "import", "a.csv", "--out", "x"}).rc, 2);
    EXPECT_EQ(Changed(before, Snapshot()), "");
}

}  // namespace
}  // namespace nivex::cli
