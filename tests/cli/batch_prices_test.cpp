// The prices and globals verbs over a designed project: the CSV round trip, a file with a
// bad row changing nothing, the prices the file does not keep, and the lump-sum rows.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "budget/price_file.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchPrices : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        // The menu takes prices once the quantities are computed.
        const BatchOutcome q = run({"quantities"});
        ASSERT_EQ(q.rc, 0) << q.err;
    }
    BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    std::string exported() {
        BatchOutcome r = run({"prices", "export"});
        EXPECT_EQ(r.rc, 0) << r.err;
        return r.out;
    }
    fs::path csv(const std::string& text) {
        const fs::path path = base_ / "precios.csv";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    fs::path priceFile() const { return folder() / "XSANPRE.AB0"; }
    // The CSV line of the first row whose item text holds `part`, without its price.
    static std::string rowOf(const std::string& out, const std::string& part, int skip = 0) {
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.find(part) != std::string::npos && skip-- == 0)
                return line.substr(0, line.rfind(',') + 1);
        return "<missing " + part + ">";
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(BatchPrices, ExportedPricesComeBackAsImported) {
    const std::string before = exported();
    ASSERT_EQ(before.substr(0, before.find('\n')), "capitulo,item,precio");
    // Chapter 1 repeats its depth texts under every material: the row names the material.
    const std::string rock = rowOf(before, "En roca (con bombeo) / Profundidad menor de");
    const std::string fill = rowOf(before, "En material de prestamo");
    ASSERT_EQ(rock.rfind("1,", 0), 0u) << rock;
    ASSERT_EQ(fill.rfind("2,", 0), 0u) << fill;

    const BatchOutcome r = run(
        {"prices", "import",
         csv("capitulo,item,precio\r\n" + rock + "1234.57\r\n" + fill + " 25000\r\n").string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_TRUE(fs::exists(priceFile()));
    const std::string after = exported();
    EXPECT_TRUE(has(after, rock + "1234.57\n")) << after;
    EXPECT_TRUE(has(after, fill + "25000.00\n"));
    // The other materials' first depth keep their price of 0.
    EXPECT_TRUE(has(after, rowOf(before, "En roca (en seco) / Profundidad menor de") + "0.00\n"));

    // What export wrote, imported again, leaves the file as it was.
    const fs::path out = base_ / "salida.csv";
    ASSERT_EQ(run({"prices", "export", "--out", out.string()}).rc, 0);
    std::ostringstream file, again;
    file << std::ifstream(priceFile(), std::ios::binary).rdbuf();
    ASSERT_EQ(run({"prices", "import", out.string()}).rc, 0);
    again << std::ifstream(priceFile(), std::ios::binary).rdbuf();
    EXPECT_EQ(file.str(), again.str());
}

// The price screen's field: two decimals, not below 0, 14 characters. A value it would not
// take is refused, never rounded or stored as something else.
TEST_F(BatchPrices, PricesOutsideTheFieldRuleAreRefused) {
    const std::string fill = rowOf(exported(), "En material de prestamo");
    ASSERT_EQ(run({"prices", "import", csv(fill + "10\n").string()}).rc, 0);
    std::ostringstream kept;
    kept << std::ifstream(priceFile(), std::ios::binary).rdbuf();
    for (const auto& [price, said] : {std::pair{"10.125", "Usar maximo 2 cifra(s) decimale(s)"},
                                      {"1e308", "no cabe en el campo"},
                                      {"1e100", "no cabe en el campo"},
                                      {"1e300", "no cabe en el campo"},
                                      {"100000000000", "no cabe en el campo"}}) {
        const BatchOutcome r = run({"prices", "import", csv(fill + price + "\n").string()});
        EXPECT_EQ(r.rc, 1) << price;
        EXPECT_TRUE(has(r.err, "fila 1: " + std::string(price) + ": ")) << r.err;
        EXPECT_TRUE(has(r.err, said)) << r.err;
        std::ostringstream now;
        now << std::ifstream(priceFile(), std::ios::binary).rdbuf();
        EXPECT_EQ(now.str(), kept.str()) << price;
    }
    // The widest price the field holds: eleven digits and the cents.
    ASSERT_EQ(run({"prices", "import", csv(fill + "99999999999.99\n").string()}).rc, 0);
    EXPECT_TRUE(has(exported(), fill + "99999999999.99\n"));
}

// A price file that holds what no screen stores is named with its line; what is printed
// is never raw memory.
TEST_F(BatchPrices, APriceFileBeyondTheRuleIsReportedWithItsLine) {
    const std::string fill = rowOf(exported(), "En material de prestamo");
    ASSERT_EQ(run({"prices", "import", csv(fill + "10\n").string()}).rc, 0);
    ASSERT_EQ(run({"globals", "set", "1", "Campamento", "0", "50"}).rc, 0);
    std::ostringstream text;
    text << std::ifstream(priceFile(), std::ios::binary).rdbuf();
    std::string file = text.str();
    // Line 26 is the second fill price (prestamo), the value of the first global follows
    // the count line of the lump-sum items.
    const std::string ten = " 1.00000000000000E+0001\r\n";
    ASSERT_NE(file.find(ten), std::string::npos);
    file.replace(file.find(ten), ten.size(), " 1.00000000000000E+0100\r\n");
    std::ofstream(priceFile(), std::ios::binary | std::ios::trunc) << file;
    for (const std::vector<std::string>& verb :
         {std::vector<std::string>{"prices", "export"}, {"globals"}, {"budget", "--yes"}}) {
        const BatchOutcome r = run(verb);
        EXPECT_EQ(r.rc, 1) << verb[0];
        EXPECT_TRUE(has(r.err, "XSANPRE.AB0 tiene un dato invalido en la linea 26")) << r.err;
        EXPECT_EQ(r.out.find('\0'), std::string::npos);
    }
}

TEST_F(BatchPrices, ABadRowChangesNothing) {
    const std::string list = exported();
    const std::string fill = rowOf(list, "En material de prestamo");
    ASSERT_EQ(run({"prices", "import", csv(fill + "10\n").string()}).rc, 0);
    std::ostringstream kept;
    kept << std::ifstream(priceFile(), std::ios::binary).rdbuf();

    struct Case {
        std::string row, words;
    };
    for (const Case& c : {Case{"2,En material de la luna,5", "item desconocido"},
                          Case{fill + "-3", "precio negativo"}, Case{fill + "diez", "no numerico"},
                          Case{"9," + fill.substr(2) + "4", "item desconocido"}}) {
        // The good row first: it must not be stored either.
        const BatchOutcome r =
            run({"prices", "import", csv(fill + "99\n\n" + c.row + "\n").string()});
        EXPECT_NE(r.rc, 0) << c.row;
        EXPECT_TRUE(has(r.err, "fila 3")) << r.err;
        EXPECT_TRUE(has(r.err, c.words)) << r.err;
        std::ostringstream now;
        now << std::ifstream(priceFile(), std::ios::binary).rdbuf();
        EXPECT_EQ(now.str(), kept.str()) << c.row;
    }
}

TEST_F(BatchPrices, APriceOfADuctBeyondTheFirstIsNotKept) {
    const std::string list = exported();
    const std::string firstDuct = rowOf(list, "Ducto Cuadrado principal");
    const std::string secondDuct = rowOf(list, "Ducto Cuadrado principal", 1);
    const std::string pipe = rowOf(list, "Diametro principal");
    ASSERT_EQ(firstDuct.rfind("5,", 0), 0u) << firstDuct;
    ASSERT_EQ(secondDuct.rfind("5,", 0), 0u) << secondDuct;

    const BatchOutcome r =
        run({"prices", "import",
             csv(pipe + "7\n" + firstDuct + "11\n" + secondDuct + "13\n").string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(has(r.err, "Aviso: fila 3")) << r.err;  // said, not silently dropped
    const std::string after = exported();
    EXPECT_TRUE(has(after, pipe + "7.00\n"));
    EXPECT_TRUE(has(after, firstDuct + "11.00\n"));
    EXPECT_TRUE(has(after, secondDuct + "0.00\n"));
}

TEST_F(BatchPrices, GlobalRowsAreCompactedAndTheirHighestStageKept) {
    // Its value field takes two decimals and 16 characters.
    for (const char* value : {"1000.456", "1e100", "10000000000000"}) {
        const BatchOutcome refused = run({"globals", "set", "3", "Interventoría", "2", value});
        EXPECT_EQ(refused.rc, 1) << value;
        EXPECT_TRUE(has(refused.err, value + std::string(": Error..."))) << refused.err;
    }
    EXPECT_FALSE(fs::exists(priceFile()));
    BatchOutcome r = run({"globals", "set", "3", "Interventoría, 5%", "2", "1000.46"});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = run({"globals", "set", "5", "Campamento", "e", "300"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "fila,descripcion,etapa,valor\n"
              "1,\"Interventoría, 5%\",2,1000.46\n"
              "2,Campamento,E,300.00\n");
    Open();
    EXPECT_EQ(project.espec.BudgetStageTag, "2");

    // The screen's tag check; and a row set to 0 goes away when the rows are stored.
    r = run({"globals", "set", "2", "Otro", "4", "10"});
    EXPECT_NE(r.rc, 0);
    EXPECT_TRUE(has(r.err, "ERROR ... Dato invalido")) << r.err;
    ASSERT_EQ(run({"globals", "set", "1", "Interventoría", "2", "0"}).rc, 0);
    r = run({"globals"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "fila,descripcion,etapa,valor\n1,Campamento,E,300.00\n");
    Open();
    EXPECT_EQ(project.espec.BudgetStageTag, "0");  // "E" is no stage
}

}  // namespace
}  // namespace nivex::cli
