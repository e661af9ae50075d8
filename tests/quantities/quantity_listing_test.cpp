// Listing 9B over a designed project whose quantity file is written by hand: reaches in
// the first two excavation ranges only, one manhole group, one drop, no removals.

#include "quantities/quantity_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/codepage.h"
#include "listings/listing_file.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_run.h"
#include "shell/control_file.h"
#include "specs/criteria_store.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;

const char kBar = static_cast<char>(179);

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The trimmed cells of the first table row at or after `from` that holds `label`.
std::vector<std::string> Cells(const std::string& text, const std::string& label, size_t from = 0) {
    size_t at = text.find(label, from);
    while (at != std::string::npos && text.rfind(kBar, at) < text.rfind('\n', at))
        at = text.find(label, at + 1);  // not inside a box row
    if (at == std::string::npos) return {"<no row " + label + ">"};
    const size_t first = text.find(kBar, text.rfind('\n', at) + 1);
    const std::string row = text.substr(first + 1, text.find("\r\n", at) - first - 1);
    std::vector<std::string> cells;
    size_t start = 0;
    for (size_t bar = row.find(kBar); bar != std::string::npos; bar = row.find(kBar, start)) {
        cells.push_back(Trim(row.substr(start, bar - start)));
        start = bar + 1;
    }
    return cells;
}

class QuantityListing : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1, 2, 1);
        ASSERT_FALSE(HasFatalFailure());
        limits = LimitsOf(project.espec);
        S = limits.sizeCount();
        ASSERT_GE(S, 2);
        Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
            h.StageDone[2] = 1;
            e.HasNewReach = 1;
            e.HasExistingReach = 0;
            e.StageCount = 1;
        });
    }

    void Criteria(const std::function<void(shell::ProyectoT&, specs::EspecT&)>& change) {
        shell::ControlFile file;
        ASSERT_TRUE(file.Open((folder() / "XSDA.AB1").string()));
        shell::ProyectoT h;
        specs::EspecT e;
        std::string error;
        ASSERT_TRUE(specs::LoadDesignCriteria(file, h, e, &error)) << error;
        change(h, e);
        ASSERT_TRUE(specs::SaveRecords(file, h, e, {0, 1, 2, 3, 4, 5}));
        file.Close();
    }

    QuantityTables Tables() const {
        QuantityTables t;
        t.Clear(S);
        const auto total = static_cast<size_t>(S + 1);
        t.excavation[1][1] = 1200;
        t.excavation[1][2] = 300;
        t.excavation[1][5] = 1500;
        t.excavation[4][1] = 40;
        t.excavation[4][5] = 40;
        t.excavation[7][1] = 1240;
        t.excavation[7][2] = 300;
        t.excavation[7][5] = 1540;
        t.fill = {100, 20, 5, 125};
        auto& m = t.manholes[kManhole120];
        m[kNetworkRow][1] = {3, 4.5, 1.5};
        m[kNetworkRow][2] = {1, 2.0, 2.0};
        m[kNetworkRow][5] = {4, 6.5, 1.625};
        m[kAddedRow][1] = {1, 1.5, 1.5};
        m[kAddedRow][5] = {1, 1.5, 1.5};
        t.pipes[1][1] = {120, 144, 2, 1.2};
        t.pipes[1][total] = t.pipes[1][1];
        t.pipes[2][2] = {60, 108, 1, 1.8};
        t.pipes[2][total] = t.pipes[2][2];
        t.pipeTotal = {180, 252, 3, 1.4};
        t.connections[1] = 12;
        t.connections[total] = 12;
        t.bedding = {4, 0, 4};
        t.drops[1] = {1, 0.8, 0.8};
        t.drops[0] = t.drops[1];
        return t;
    }

    void Write(const QuantityTables& t) {
        std::string error;
        ASSERT_TRUE(WriteQuantityFile(QuantityFilePath(project.files, kSystemNew), t, &error))
            << error;
    }

    cli::BatchOutcome List(std::string& text) {
        const fs::path out = base_ / "cantidades.txt";
        fs::remove(out);
        const cli::BatchOutcome r =
            batch({"--project", "AB1", "list", "9B", "--out", out.string()});
        std::ostringstream s;
        if (fs::exists(out)) s << std::ifstream(out, std::ios::binary).rdbuf();
        text = s.str();
        return r;
    }

    QuantityLimits limits;
    int S = 0;
};

TEST_F(QuantityListing, HeaderExcavationPipesRemovalsAndBeddingOfTheNewSystem) {
    Write(Tables());
    std::string text;
    const cli::BatchOutcome r = List(text);
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string e1 = LimitText(limits.excavation[0]), e2 = LimitText(limits.excavation[1]);

    // The quantity header: project, system and sheet, then the title between double lines.
    const size_t width = 100, margin = (137 - width) / 2 + 4;
    const std::string m(margin, ' ');
    const std::string rule(width, static_cast<char>(listings::kDoubleLine));
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.size() - (line.empty() ? 0 : 1)));
    ASSERT_GT(lines.size(), 12u);
    EXPECT_EQ(lines[5].rfind("\x1bG" + m + "PROYECTO :  " + project.header.ProjectName, 0), 0u)
        << lines[5];
    EXPECT_NE(lines[5].find("[ SISTEMA NUEVO ]"), std::string::npos);
    EXPECT_EQ(lines[5].substr(lines[5].size() - 9), "HOJA No.1");
    EXPECT_EQ(lines[6], m + rule);
    EXPECT_EQ(lines[7].rfind(m + "******", 0), 0u);
    EXPECT_NE(lines[7].find("C A N T I D A D E S   D E   O B R A"), std::string::npos);
    EXPECT_EQ(lines[7].substr(lines[7].size() - 6), "******");
    EXPECT_EQ(lines[8], m + rule);
    EXPECT_EQ(lines[9].rfind("\x1bH", 0), 0u);

    // Every page has its header, and no table is cut by a page end.
    EXPECT_EQ(Count(text, "HOJA No."), Count(text, "\x13\r\n"));
    size_t start = 0;
    for (size_t end = text.find('\x13'); end != std::string::npos;
         start = end + 1, end = text.find('\x13', start)) {
        const std::string page = text.substr(start, end - start);
        EXPECT_EQ(Count(page, std::string(1, static_cast<char>(218))),
                  Count(page, std::string(1, static_cast<char>(192))));
    }

    // The stage follows on its own page, its missing file as zeros.
    const size_t stage = text.find("[ ETAPA # 1 ]");
    ASSERT_NE(stage, std::string::npos);
    const std::string system = text.substr(0, stage);

    // I: the columns of the ranges without reaches print zeros.
    EXPECT_NE(
        system.find("a) Para profundidades menores de " + e1 + " metros ....: el diametro mas " +
                    LimitText(limits.overWidth[0]) + " metros."),
        std::string::npos);
    EXPECT_EQ(
        Cells(system, "material comun (en seco)"),
        (std::vector<std::string>{"material comun (en seco)", "1,200", "300", "0", "0", "1,500"}));
    EXPECT_EQ(
        Cells(system, "T   O   T   A   L   E   S"),
        (std::vector<std::string>{"T   O   T   A   L   E   S", "1,240", "300", "0", "0", "1,540"}));
    EXPECT_EQ(Cells(system, "roca           (con bombeo)")[3], "0");
    EXPECT_EQ(Cells(text, "material comun (en seco)", stage)[1], "0");

    // III: only the 1.20 m group, the added initial manholes counted with the others.
    EXPECT_EQ(Count(system, "Diametro interior de 1.20 - Para tuberia <= "), 1);
    EXPECT_EQ(Count(system, "Diametro interior de 1.80"), 0);
    EXPECT_EQ(Cells(system, "con placa plana reforzada")[2], "1.50");
    EXPECT_EQ(Cells(system, "con placa plana reforzada")[3], "4");
    EXPECT_EQ(Cells(system, "    TOTALES    O    PROMEDIO")[3], "5");

    // IV: one table for each range with pipes, the system's total after the last.
    EXPECT_EQ(Count(system, "profundidad a batea"), 2);
    EXPECT_NE(system.find("(1) profundidad a batea menor de " + e1 + " m"), std::string::npos);
    EXPECT_NE(system.find("(2) profundidad a batea entre " + e1 + " y " + e2 + " m"),
              std::string::npos);
    EXPECT_EQ(Count(system, "  SUMA O PROMEDIO"), 2);
    EXPECT_EQ(Cells(system, " TOTAL O PROMEDIO"),
              (std::vector<std::string>{"TOTAL O PROMEDIO", "1.40", "3", "180"}));
    EXPECT_EQ(Count(text.substr(stage), "profundidad a batea"), 0);

    // VI: the drop pipe of a size up to 900 mm is that size.
    const size_t drops = system.find("VI - BAJANTES");
    ASSERT_NE(drops, std::string::npos);
    EXPECT_EQ(Cells(system, "   TOTALES    O    PROMEDIO", drops)[2], "0.80");

    // VII: no removals, the dash rows.
    const size_t removals = system.find("VII- ELIMINACION DE TUBERIA EXISTENTE (ml)");
    ASSERT_NE(removals, std::string::npos);
    EXPECT_EQ(Cells(system, "-----", removals),
              (std::vector<std::string>{"-----", "-----", "----", "-----"}));
    EXPECT_EQ(Cells(system, " TOTAL O PROMEDIO", removals),
              (std::vector<std::string>{"TOTAL O PROMEDIO", "-----", "----", "-----"}));

    // VIII.
    EXPECT_EQ(Cells(system, "recebo"), (std::vector<std::string>{"recebo", "4"}));
    EXPECT_EQ(Cells(system, "concreto 1:3:5"), (std::vector<std::string>{"concreto 1:3:5", "0"}));
    EXPECT_EQ(Cells(system, "   T O T A L"), (std::vector<std::string>{"T O T A L", "4"}));
    EXPECT_NE(system.find("ancho sera igual al diametro de la tuberia mas 0.30 m."),
              std::string::npos);
}

TEST_F(QuantityListing, ADamagedFileOrQuantitiesNotComputedGiveNoListing) {
    std::ofstream(QuantityFilePath(project.files, kSystemNew), std::ios::binary) << "no es\r\n";
    std::string text;
    cli::BatchOutcome r = List(text);
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("SANNEWQ.AB1"), std::string::npos) << r.err;
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(fs::exists(folder() / "LPT"));

    Write(Tables());
    Criteria([](shell::ProyectoT& h, specs::EspecT&) { h.StageDone[2] = 0; });
    r = List(text);
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("... Falta calcular las cantidades de obra ..."), std::string::npos)
        << r.err;
    EXPECT_TRUE(text.empty());
}

TEST(QuantityListingSystems, SkippedWithoutNewOrExistingReaches) {
    EXPECT_EQ(ListedSystems(true, false, 2), (std::vector<int>{kSystemNew, 4, 5}));
    EXPECT_EQ(ListedSystems(false, true, 0), (std::vector<int>{kSystemExisting}));
    EXPECT_EQ(ListedSystems(true, true, 1),
              (std::vector<int>{kSystemNew, kSystemExisting, kSystemTotal, 4}));
}

}  // namespace
}  // namespace nivex::quantities
