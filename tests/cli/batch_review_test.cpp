#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

class BatchReview : public BatchProjectTest {
  protected:
    void Prepared() {
        for (std::vector<std::string> args :
             {std::vector<std::string>{"simulate", "--horizontal", "3", "--vertical", "3", "--yes"},
              {"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto",
               "entidad=E", "--texto", "fecha=09/12/26", "--texto", "consultor=C", "--texto",
               "proyecto=Revision", "--yes"}}) {
            args.insert(args.begin(), {"--project", "AB1"});
            const BatchOutcome r = batch(args);
            ASSERT_EQ(r.rc, 0) << r.err;
        }
    }
    void Designed(const std::string& options = "NNSS") {
        const BatchOutcome c = batch({"--project", "AB1", "controls", "--yes"});
        ASSERT_EQ(c.rc, 0) << c.err;
        const BatchOutcome d = batch({"--project", "AB1", "design", "--opciones", options});
        ASSERT_EQ(d.rc, 0) << d.err;
    }
    static std::vector<std::string> Split(const std::string& line) {
        std::vector<std::string> cells;
        std::stringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');)
            cells.push_back(cell);
        return cells;
    }
    static int Occurrences(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
};

TEST_F(BatchReview, ASimulatedProjectDesignedNewHasNothingToReport) {
    Prepared();
    Designed();
    const BatchOutcome before = batch({"--project", "AB1", "list", "6C", "--yes"});
    EXPECT_EQ(before.rc, 1);
    EXPECT_NE(before.err.find("Primero debe hacer la Revision del Diseño"), std::string::npos)
        << before.err;

    const BatchOutcome r = batch({"--project", "AB1", "review"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "clase"), "2");
    EXPECT_EQ(valueOf(r.out, "tramos revisados"), "25");
    EXPECT_EQ(valueOf(r.out, "problemas"), "0");
    EXPECT_EQ(valueOf(r.out, "deficiencias"), "0");
    EXPECT_EQ(valueOf(r.out, "deficiencias RAS"), "0");
    for (const char* key : {"[A]", "[B]", "[1]", "[2]", "[3]", "[4]", "[5]", "[6]", "[7]", "[8]",
                            "[9]", "[10]", "[11]", "[12]", "RAS [1]"})
        EXPECT_EQ(valueOf(r.out, key), "0") << key;
    EXPECT_EQ(valueOf(r.out, "[13]"), "<missing [13]>");  // no energy junctions

    const std::vector<std::pair<const char*, const char*>> empty = {
        {"6B", "No existen Problemas"},
        {"6C", "No existen Deficiencias"},
        {"6D", "No existen Deficiencias RAS"}};
    for (auto [key, message] : empty) {
        const BatchOutcome l = batch({"--project", "AB1", "list", key, "--yes"});
        EXPECT_EQ(l.rc, 1) << key;
        EXPECT_NE(l.err.find(message), std::string::npos) << l.err;
    }
}

TEST_F(BatchReview, ExistingAndRestrictedReachesWithFaultsAreListed) {
    Prepared();
    const std::filesystem::path csv = base_ / "tramos.csv";
    const BatchOutcome e = batch({"--project", "AB1", "reaches", "export", "--out", csv.string()});
    ASSERT_EQ(e.rc, 0) << e.err;
    std::vector<std::vector<std::string>> rows;
    {
        std::ifstream in(csv);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            rows.push_back(Split(line));
        }
    }
    ASSERT_EQ(rows.size(), 26u);
    auto column = [&](const std::string& name) {
        for (size_t k = 0; k < rows[0].size(); ++k)
            if (rows[0][k] == name) return k;
        ADD_FAILURE() << name;
        return size_t{0};
    };
    auto number = [&](size_t line, const std::string& name) {
        return std::stod(rows[line][column(name)]);
    };
    auto fixed = [&](size_t line, int state, int d, double up, double down) {
        char buf[32];
        rows[line][column("Clase")] = std::to_string(state);
        rows[line][column("Diametro del tubo (mm)")] = std::to_string(d);
        std::snprintf(buf, sizeof buf, "%.2f", up);
        rows[line][column("Cota clave superior (m)")] = buf;
        std::snprintf(buf, sizeof buf, "%.2f", down);
        rows[line][column("Cota clave inferior (m)")] = buf;
        std::snprintf(buf, sizeof buf, "%.3f",
                      (up - down) * 100 / number(line, "Longitud del tramo (m)"));
        rows[line][column("Pendiente del tubo (%)")] = buf;
        rows[line][column("Coeficiente de Manning")] = "0.013";
    };
    const std::string up = "Cota rasante superior (m)";
    // Line 1, an initial reach, half a metre deep at its head.
    fixed(1, 1, 182, number(1, up) - 0.5, number(1, up) - 1.5);
    // Line 12, restricted, at 0.1 %: too slow at full section.
    fixed(12, 2, 182, number(12, up) - 1.0, number(12, up) - 1.1);
    // Line 19 of 300 mm, then line 20 of 182 mm.
    fixed(19, 1, 300, number(19, up) - 1.0, number(19, up) - 1.5);
    fixed(20, 1, 182, number(19, up) - 1.7, number(19, up) - 2.2);
    {
        std::ofstream out(csv);
        for (const auto& row : rows) {
            for (size_t k = 0; k < row.size(); ++k)
                out << (k ? "," : "") << row[k];
            out << "\n";
        }
    }
    const BatchOutcome i = batch({"--project", "AB1", "reaches", "import", csv.string(), "--yes"});
    ASSERT_EQ(i.rc, 0) << i.out << i.err;
    ASSERT_EQ(batch({"--project", "AB1", "config", "--autolimpieza", "vlleno", "--yes"}).rc, 0);
    Designed("NNNS");  // existing and restricted reaches kept as they are

    const BatchOutcome r = batch({"--project", "AB1", "review"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "[2]"), "1") << r.out;
    EXPECT_NE(valueOf(r.out, "[3]"), "0") << r.out;
    EXPECT_NE(valueOf(r.out, "[6]"), "0") << r.out;

    const BatchOutcome l = batch({"--project", "AB1", "list", "6C", "--yes"});
    ASSERT_EQ(l.rc, 0) << l.err;
    EXPECT_EQ(Occurrences(l.out,
                          "│   1 │1    │2    │existente│ ... La profundidad a clave del "
                          "nudo superior (  0.50 m ) es insuficiente"),
              1)
        << l.out;
    EXPECT_EQ(Occurrences(l.out, "│  12 │5A   │9    │restring.│ ... La velocidad a tubo lleno"), 1)
        << l.out;
    EXPECT_EQ(Occurrences(l.out,
                          "│  20 │13   │14   │existente│ ... El diametro(  182 mm) es "
                          "menor que el de un tramo anterior(  300 mm )"),
              1)
        << l.out;
    EXPECT_NE(l.out.find("DEFICIENCIAS HALLADAS : " + valueOf(r.out, "deficiencias")),
              std::string::npos);
    // None of these are problems of capacity or junction at the reaches planted.
    const BatchOutcome p = batch({"--project", "AB1", "list", "6B", "--yes"});
    EXPECT_EQ(p.out.find("│  20 │13   │14"), std::string::npos) << p.out;
}

TEST_F(BatchReview, NoReviewWithoutADesign) {
    Prepared();
    const BatchOutcome c = batch({"--project", "AB1", "controls", "--yes"});
    ASSERT_EQ(c.rc, 0) << c.err;
    const BatchOutcome r = batch({"--project", "AB1", "review"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("... Falta hacer el diseño del proyecto ..."), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    const BatchOutcome n = batch({"--project", "AB1", "review", "extra"});
    EXPECT_EQ(n.rc, 2);
}

}  // namespace
}  // namespace nivex::cli
