// The plano and perfiles verbs: each gated as the "Planos" menu is, a PDF with the pages the
// layout says, and every bad option refused before anything is written.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

int PdfPages(const fs::path& pdf) {
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::regex page(R"(/Type /Page\b[^s])");
    return static_cast<int>(
        std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), {}));
}

class BatchDrawings : public BatchProjectTest {
  protected:
    BatchOutcome run(std::vector<std::string> args) { return inSector(std::move(args)); }
    void Simulated() { SimulatedSector(4, 3, 150); }
    fs::path out(const std::string& name) const { return base_ / name; }
};

TEST_F(BatchDrawings, ThePlanBeforeTheDesignAndTheProfilesAfterIt) {
    const BatchOutcome empty = run({"plano", "--pdf", out("vacio.pdf").string()});
    EXPECT_EQ(empty.rc, 1);
    EXPECT_NE(empty.err.find("... Falta entrar los datos de los tramos ..."), std::string::npos)
        << empty.err;
    Simulated();

    const BatchOutcome plan = run({"plano", "--pdf", out("plano.pdf").string(), "--papel", "a3"});
    ASSERT_EQ(plan.rc, 0) << plan.err;
    EXPECT_EQ(PdfPages(out("plano.pdf")), 1);
    const BatchOutcome early = run({"perfiles", "--pdf", out("perfiles.pdf").string()});
    EXPECT_EQ(early.rc, 1);
    EXPECT_NE(early.err.find("Falta hacer el dise"), std::string::npos) << early.err;
    EXPECT_FALSE(fs::exists(out("perfiles.pdf")));

    ASSERT_EQ(run({"controls", "--yes"}).rc, 0);
    ASSERT_EQ(run({"design", "--opciones", "NNSS"}).rc, 0);
    // Carta sheets at 1:500 cut the 600 m trunk into several parts.
    const BatchOutcome all = run({"perfiles", "--pdf", out("perfiles.pdf").string(), "--papel",
                                  "carta", "--escala-h", "1:500", "--escala-v", "1:50"});
    ASSERT_EQ(all.rc, 0) << all.err;
    const int sheets = std::stoi(valueOf(all.out, "hojas"));
    EXPECT_GT(sheets, 1);
    EXPECT_EQ(PdfPages(out("perfiles.pdf")), sheets);

    const BatchOutcome path =
        run({"perfiles", "--svg", out("camino.svg").string(), "--desde", "1", "--hasta", "21"});
    ASSERT_EQ(path.rc, 0) << path.err;
    EXPECT_EQ(valueOf(path.out, "perfiles"), "1");
    const BatchOutcome upstream =
        run({"perfiles", "--svg", out("arriba.svg").string(), "--desde", "21", "--hasta", "1"});
    EXPECT_EQ(upstream.rc, 1);
    EXPECT_FALSE(fs::exists(out("arriba.svg")));
}

TEST_F(BatchDrawings, BadOptionsAreRefusedBeforeAnythingIsWritten) {
    Simulated();
    const std::string pdf = out("plano.pdf").string();
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"plano"}, "--pdf, --svg o --png"},
        {{"plano", "--pdf", pdf, "--svg", out("plano.svg").string()}, "uno y solo uno"},
        {{"plano", "--pdf", pdf, "--papel", "a0"}, "--papel debe ser"},
        {{"plano", "--pdf", pdf, "--escala", "1:0"}, "--escala debe ser"},
        {{"plano", "--pdf", pdf, "--escala", "1:abc"}, "--escala debe ser"},
        {{"plano", "--pdf", pdf, "--escala", "1:1e3"}, "--escala debe ser"},
        {{"plano", "--pdf", pdf, "--escala", "1:99999999999"}, "--escala debe ser"},
        // 600 m by 450 m at 1:100 is 6 m of paper.
        {{"plano", "--pdf", pdf, "--escala", "1:100", "--papel", "carta"}, "no cabe"},
        {{"perfiles", "--pdf", pdf, "--desde", "1"}, "--desde y --hasta"},
        {{"perfiles", "--pdf", pdf, "--escala-v", "0"}, "--escala-v debe ser"},
    };
    for (const Case& c : cases) {
        const BatchOutcome r = run(c.args);
        EXPECT_NE(r.rc, 0) << c.args.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(pdf));
    // At a scale that fits, the sheet is the paper asked for: the 600 m x 450 m grid is
    // 120 mm x 90 mm at 1:5000, which leaves more room around it upright on carta.
    const BatchOutcome fits =
        run({"plano", "--pdf", pdf, "--escala", "1:5000", "--papel", "carta"});
    ASSERT_EQ(fits.rc, 0) << fits.err;
    EXPECT_EQ(valueOf(fits.out, "escala"), "1:5000");
    EXPECT_EQ(valueOf(fits.out, "hoja"), "216 x 279 mm");
    EXPECT_EQ(valueOf(fits.out, "esquematico"), "no");
    // Every line of the network's table drawn.
    const BatchOutcome table = run({"reaches", "export"});
    const auto rows = std::count(table.out.begin(), table.out.end(), '\n') - 1;
    EXPECT_EQ(valueOf(fits.out, "tramos"), std::to_string(rows));
}

}  // namespace
}  // namespace nivex::cli
