// The general summary and the index of a project: their lines, and the figures of a
// designed, quantified and priced network traced back to its quantity and budget files.

#include "summary/summary_listings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "budget/budget_run.h"
#include "budget/price_file.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "network/network_controls.h"
#include "quantities/quantity_driver.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"
#include "support/session_rig.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::summary {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using quantities::QuantityTables;

size_t At(const Lines& lines, const std::string& text, size_t from = 0) {
    while (from < lines.size() && lines[from].find(text) == std::string::npos)
        ++from;
    return from;
}

// The number that ends the line holding label, without grouping commas; NaN when no line
// holds the label.
double FigureOf(const Lines& lines, const std::string& label) {
    const size_t at = At(lines, label);
    if (at == lines.size()) return std::nan("");
    const std::string& line = lines[at];
    size_t start = line.find_last_not_of("0123456789,.") + 1;
    while (start < line.size() && line[start] == '.')
        ++start;  // the points before it
    std::string digits = line.substr(start);
    std::erase(digits, ',');
    return digits.empty() ? 0 : std::stod(digits);
}

TEST(SummaryLines, NumberEndsAtTheWidthBehindPointsOrRightAfterALongLabel) {
    const std::string line = SummaryLine("longitud total (m)", 1234.5, "#,###,###.##");
    ASSERT_EQ(line.size(), 90u);
    EXPECT_EQ(line.substr(0, 20), "longitud total (m) .");
    EXPECT_TRUE(line.ends_with("....    1,234.50")) << line;

    const std::string count = SummaryLine("numero de tramos", 12.0, "       #####");
    EXPECT_EQ(count.size(), 90u);
    EXPECT_TRUE(count.ends_with("." + std::string(10, ' ') + "12")) << count;
    const std::string money =
        SummaryLine("valor total del sistema nuevo", 16403.39, "$##,###,###,###");
    EXPECT_TRUE(money.ends_with("$        16,403")) << money;

    const std::string label(85, 'x');
    EXPECT_EQ(SummaryLine(label, 7.0, "       #####"), label + "           7");
}

TEST(SummaryLines, BodyDividesOnlyByWhatIsThereAndNamesTheVelocityOfTheClass) {
    QuantityTables q;
    q.Clear(3);
    budget::BudgetValues v;
    v.Clear(3);
    const Lines empty = SummaryBody(1, "x", q, v);
    for (const char* label :
         {"% tramos con v/r menor a  5000", "costo por metro lineal", "Indice de Pomeroy promedio"})
        EXPECT_EQ(FigureOf(empty, label), 0) << label;
    EXPECT_EQ(At(empty, "costo por conexion adicional"), empty.size());
    // A zero count or value still shows its figure.
    EXPECT_TRUE(empty.at(At(empty, "numero de camaras de caida")).ends_with(" 0"))
        << empty.at(At(empty, "numero de camaras de caida"));
    EXPECT_TRUE(empty.at(At(empty, "valor total del sistema nuevo")).ends_with(" 0"));
    EXPECT_LT(At(empty, "velocidad real promedio del sistema total ( m/s )"), empty.size());

    using namespace quantities;
    q.statisticsA[kReachCount] = 8;
    q.sulfide = {4, 2, 2, 36000};
    q.statisticsB[kPipeLength] = 400;
    q.connections[4] = 25;  // S + 1: the total of every size
    v.total = 100000;
    const Lines lines = SummaryBody(7, "sector norte", q, v);
    EXPECT_LT(At(lines, "<< ... SECTOR NORTE ... >>"), lines.size());
    EXPECT_DOUBLE_EQ(FigureOf(lines, "% tramos con v/r menor a  5000"), 50);
    EXPECT_DOUBLE_EQ(FigureOf(lines, "% tramos con v/r mayor a  10000"), 25);
    EXPECT_DOUBLE_EQ(FigureOf(lines, "Indice de Pomeroy promedio"), 4500);
    EXPECT_DOUBLE_EQ(FigureOf(lines, "numero de conexiones domiciliarias"), 25);
    EXPECT_DOUBLE_EQ(FigureOf(lines, "costo por metro lineal de colector nuevo"), 250);
    EXPECT_DOUBLE_EQ(FigureOf(lines, "costo por conexion adicional"), 4000);
    EXPECT_LT(At(lines, "velocidad real minima promedio del sistema total ( m/s )"), lines.size());
    EXPECT_LT(At(lines, "porcentaje de tramos con velocidad real minima menor que 0.30"),
              lines.size());
}

TEST(IndexLines, EntriesFollowTheClassTheAnswersAndTheSector) {
    IndexAnswers none{};
    const Lines storm = IndexLines(4, none, 0);
    EXPECT_EQ(At(storm, "Cuadro de Caudales Sanitario"), storm.size());
    EXPECT_EQ(At(storm, "Especificaciones Sanitarias"), storm.size());
    EXPECT_LT(At(storm, "Cuadro de Caudales Pluviales"), storm.size());
    EXPECT_EQ(At(storm, "RESUMEN GENERAL - SECTOR"), storm.size());

    IndexAnswers some{};
    some[kCapacityProblems] = some[kUnitPriceList] = true;
    const Lines sanitary = IndexLines(1, some, 3);
    EXPECT_LT(At(sanitary, "Cuadro de Caudales Sanitario"), sanitary.size());
    EXPECT_EQ(At(sanitary, "Cuadro de Caudales Pluviales"), sanitary.size());
    EXPECT_LT(At(sanitary, "RESUMEN GENERAL - SECTOR #3"), sanitary.size());
    // Optional entries in their sections: capacity problems among the calculations, the
    // price list among the annexes.
    const size_t annexes = At(sanitary, "4 - ANEXOS");
    EXPECT_LT(At(sanitary, "Problemas de Capacidad o Empalme"), annexes);
    EXPECT_GT(At(sanitary, "Lista de Precios Unitarios"), annexes);
    EXPECT_EQ(At(sanitary, "Datos Generales de los Tramos"), sanitary.size());
    EXPECT_LT(At(sanitary, cp("2 - DISEÑO Y CALCULOS")), sanitary.size());

    // The block stands lower the more entries are left out: class 1 leaves out 2 + 6.
    const size_t rule = At(sanitary, std::string(61, '='));
    EXPECT_EQ(rule, 8u / 2 + 6);
    EXPECT_EQ(sanitary.back().find_first_not_of(' '), sanitary[rule].find_first_not_of(' '));

    const Lines all = ConsolidatedIndexLines();
    EXPECT_EQ(At(all, std::string(61, '=')), 15u);
    EXPECT_LT(At(all, "RESUMEN CONSOLIDADO ( TODOS LOS SECTORES )"), all.size());
}

TEST(IndexLines, DeficienciesAreOfferedAsNoWhateverTheMask) {
    const IndexAnswers offered = OfferedAnswers(0xFF);
    EXPECT_FALSE(offered[kDeficiencies]);
    EXPECT_EQ(MaskOf(offered), 0xFF & ~(1 << kDeficiencies));
    IndexAnswers a{};
    a[kMainCollectors] = a[kReachRelation] = true;
    EXPECT_EQ(MaskOf(a), 1 | 64);
}

// A designed network with its quantities, prices and budget.
class ProjectSummary : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(quantities::RunQuantities(project).stop, quantities::RunStop::None);
        limits = quantities::LimitsOf(project.espec);
        const std::vector<budget::BudgetChapter> chapters =
            budget::BuildBudgetChapters(project.espec);
        budget::UnitPrices prices;
        int k = 0;
        for (const budget::BudgetChapter& c : chapters)
            for (const budget::ItemGroup& g : c.groups)
                for (const budget::BudgetItem& item : g.items)
                    if (double* slot = budget::PriceSlot(prices, item)) *slot = 500 + 11.5 * ++k;
        prices.globals = {{"Campamento", "0", 120000}};
        std::string error;
        ASSERT_TRUE(budget::WritePriceFile(budget::PriceFilePath(project), limits.firstDuct, prices,
                                           &error))
            << error;
        const budget::BudgetOutcome out =
            budget::RunBudget(project, [](const std::string&) { return 'S'; });
        ASSERT_EQ(out.stop, budget::BudgetStop::None) << out.message;
        q.Clear(limits.sizeCount());
        ASSERT_EQ(quantities::ReadQuantityFile(
                      quantities::QuantityFilePath(project.files, quantities::kSystemNew),
                      limits.sizeCount(), q)
                      .status,
                  quantities::FileRead::Read);
        v.Clear(limits.sizeCount());
        ASSERT_EQ(
            budget::ReadBudgetFile(budget::BudgetFilePath(project.files, quantities::kSystemNew),
                                   limits.sizeCount(), v)
                .status,
            budget::PriceRead::Read);
    }
    Lines List(std::vector<std::string> args, cli::BatchOutcome& r) {
        const fs::path out = base_ / "summary.txt";
        fs::remove(out);
        args.insert(args.begin(), {"--project", "AB1", "list"});
        args.insert(args.end(), {"--out", out.string()});
        r = batch(args);
        Lines lines;
        std::ifstream in(out, std::ios::binary);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
        return lines;
    }
    shell::ProyectoT StoredHeader() {
        project::Project reread;
        reread.files = project.files;
        std::string error;
        EXPECT_TRUE(network::LoadControlState(reread, &error)) << error;
        stored = reread.espec;
        return reread.header;
    }

    quantities::QuantityLimits limits;
    QuantityTables q;
    budget::BudgetValues v;
    specs::EspecT stored;
};

TEST_F(ProjectSummary, EveryFigureComesFromTheQuantityAndBudgetFiles) {
    cli::BatchOutcome r;
    const Lines lines = List({"ZA", "--identificacion", "Alternativa manual"}, r);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_LT(At(lines, "RESUMEN  GENERAL"), lines.size());
    EXPECT_LT(At(lines, "<< ... ALTERNATIVA MANUAL ... >>"), lines.size());
    StoredHeader();
    EXPECT_EQ(stored.ListingIdentification, "Alternativa manual");

    using namespace quantities;
    const auto& a = q.statisticsA;
    const auto& b = q.statisticsB;
    ASSERT_GT(a[kReachCount], 0);
    ASSERT_GT(v.total, 0);
    EXPECT_EQ(FigureOf(lines, "numero de tramos totales"), a[kReachCount]);
    EXPECT_NEAR(FigureOf(lines, "longitud total (m)"), a[kTotalLength], 0.005);
    EXPECT_NEAR(FigureOf(lines, "pendiente promedio del proyecto"), a[kMeanSlope], 0.005);
    EXPECT_NEAR(FigureOf(lines, "velocidad real promedio"), a[kMeanVelocity], 0.005);
    EXPECT_NEAR(FigureOf(lines, "% tramos con v/r menor a  5000"),
                q.sulfide[0] / a[kReachCount] * 100, 0.005);
    EXPECT_NEAR(FigureOf(lines, "longitud ( m )"), b[kPipeLength], 0.005);
    EXPECT_NEAR(FigureOf(lines, "profundidad media ( m )"), b[kPipeMeanDepth], 0.005);
    EXPECT_EQ(FigureOf(lines, "numero de pozos de inspeccion"), b[kManholeCount]);
    EXPECT_EQ(FigureOf(lines, "numero de conexiones domiciliarias"),
              q.connections[static_cast<size_t>(q.sizeCount + 1)]);

    const char* chapterLabels[] = {"valor de las excavaciones",
                                   "valor de los rellenos compactados",
                                   "valor de los pozos de inspeccion",
                                   "valor de los conductos",
                                   "valor de las conexiones domiciliarias",
                                   "valor de la cimentacion de las tuberias",
                                   "valor de los bajantes",
                                   "Valor de la eliminacion de tramos construidos",
                                   "valor de otros items (especiales)"};
    for (size_t c = 1; c <= 9; ++c)
        EXPECT_NEAR(FigureOf(lines, chapterLabels[c - 1]), v.chapters[c], 0.5) << c;
    EXPECT_NEAR(FigureOf(lines, "valor de otros items (especiales)"), 120000, 0.5);
    EXPECT_NEAR(FigureOf(lines, "valor total del sistema nuevo"), v.total, 0.5);
    EXPECT_NEAR(FigureOf(lines, "costo por metro lineal de colector nuevo"),
                v.total / b[kPipeLength], 0.5);
}

TEST_F(ProjectSummary, IndexKeepsItsAnswersInTheControlRecord) {
    cli::BatchOutcome r;
    const Lines lines = List({"ZB", "--opciones", "SSSNNNNS"}, r);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_LT(At(lines, "INDICE DE TEMAS"), lines.size());
    EXPECT_LT(At(lines, "Deficiencias en Tramos Existentes o Restringidos"), lines.size());
    EXPECT_LT(At(lines, "Lista de Precios Unitarios"), lines.size());
    EXPECT_EQ(At(lines, "Relacion de los tramos"), lines.size());
    EXPECT_EQ(StoredHeader().IndexOptions, 1 | 2 | 4 | 128);

    // Without answers the offered ones: the stored mask, "Deficiencias" as "N".
    const Lines again = List({"ZB"}, r);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_LT(At(again, "Problemas de Capacidad o Empalme"), again.size());
    EXPECT_EQ(At(again, "Deficiencias en Tramos"), again.size());
    EXPECT_EQ(StoredHeader().IndexOptions, 1 | 2 | 128);

    EXPECT_NE(batch({"--project", "AB1", "list", "ZB", "--opciones", "SSX"}).rc, 0);
}

// The screens, as the user meets them.
class SummaryScreens : public ProjectSummary {
  protected:
    struct Viewer : ui::ListingViewer {
        void ShowListing(const std::string& file, const std::string& title) override {
            titles.push_back(title);
            std::ifstream in(file, std::ios::binary);
            lines.clear();
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
        }
        std::vector<std::string> titles;
        Lines lines;
    };
    struct Identification : ui::IdentificationDialog {
        char run(std::string& text) override {
            shown = text;
            text = typed;
            return answer;
        }
        std::string shown, typed;
        char answer = 'S';
    };
    void SetUp() override {
        ProjectSummary::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        s.session.project.files = project.files;
        s.session.project.selection = project.selection;
        s.session.viewer = &viewer;
        s.session.identification = &dialog;
    }

    testing::SessionRig s;
    Viewer viewer;
    Identification dialog;
};

TEST_F(SummaryScreens, AnswerNoListsNothingButKeepsTheText) {
    dialog.typed = "Segunda alternativa";
    dialog.answer = 'N';
    ListSummary(s.session);
    EXPECT_TRUE(viewer.titles.empty());
    StoredHeader();
    EXPECT_EQ(stored.ListingIdentification, "Segunda alternativa");

    dialog.answer = 'S';
    dialog.typed = "Segunda alternativa";
    ListSummary(s.session);
    EXPECT_EQ(dialog.shown, "Segunda alternativa");
    ASSERT_EQ(viewer.titles.size(), 1u);
    EXPECT_EQ(viewer.titles[0], "Resumen General Proyecto");
    EXPECT_LT(At(viewer.lines, "<< ... SEGUNDA ALTERNATIVA ... >>"), viewer.lines.size());
}

TEST_F(SummaryScreens, ANetworkOfExistingReachesOnlyHasNoSummary) {
    std::string error;
    ASSERT_TRUE(network::WithControl(project, &error, [&] {
        project.espec.HasNewReach = 0;
        return network::SaveControlRecords(project, {5}, &error);
    })) << error;
    ListSummary(s.session);
    EXPECT_TRUE(viewer.titles.empty());
    EXPECT_TRUE(dialog.shown.empty());
    ASSERT_NE(s.rig.ui.last(), nullptr);
    EXPECT_EQ(s.rig.ui.last()->caption, "Informacion");
    EXPECT_EQ(s.rig.ui.last()->message,
              cp("Por ser todos los tramos existentes,\rno hay resumen de diseño que mostrar"));
}

TEST_F(SummaryScreens, OptionsScreenStoresTheAnswersAndEscListsNothing) {
    // Up and down through the fields: "S" for the main collectors, the price list last.
    s.rig.pump.type("S\r\r\r\r\r\r\rS\r\r");
    ListIndex(s.session);
    ASSERT_EQ(viewer.titles.size(), 1u);
    EXPECT_EQ(viewer.titles[0], "Indice General Proyecto");
    EXPECT_LT(At(viewer.lines, "Cuadro de Calculo de Colectores Principales"), viewer.lines.size());
    EXPECT_EQ(StoredHeader().IndexOptions, 1 | 128);

    // The next run offers those answers; Esc keeps the edited ones and lists nothing.
    s.rig.pump.type("N").key(key::Esc);
    ListIndex(s.session);
    EXPECT_EQ(viewer.titles.size(), 1u);
    EXPECT_EQ(StoredHeader().IndexOptions, 128);
}

}  // namespace
}  // namespace nivex::summary
