// Listings YA and YB over a designed sanitary network with its quantities and budget.

#include "budget/budget_listings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/codepage.h"
#include "quantities/quantity_driver.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_run.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::budget {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* kColumns =
    "D   E   T   A   L   L   E                 CANTIDAD       V/R UNIT.        V/R PARCIAL";
constexpr const char* kDots = "$ ..........";

// The first line from `from` on that holds text; lines.size() when none does.
size_t At(const Lines& lines, const std::string& text, size_t from = 0) {
    while (from < lines.size() && lines[from].find(text) == std::string::npos)
        ++from;
    return from;
}

// The number after the last '$' of a line, without its grouping commas; a zero shows
// no digits.
double Amount(std::string line) {
    if (line.ends_with(kDots)) line.resize(line.size() - std::string_view(kDots).size());
    std::string digits = line.substr(line.rfind('$') + 1);
    std::erase(digits, ',');
    std::erase(digits, ' ');
    return digits.empty() ? 0 : std::stod(digits);
}

class BudgetListing : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(quantities::RunQuantities(project).stop, quantities::RunStop::None);
        limits = quantities::LimitsOf(project.espec);
        chapters = ListingChapters(project.espec);
        tables.Clear(limits.sizeCount());
        ASSERT_EQ(quantities::ReadQuantityFile(
                      quantities::QuantityFilePath(project.files, quantities::kSystemNew),
                      limits.sizeCount(), tables)
                      .status,
                  quantities::FileRead::Read);
        int k = 0;
        for (const BudgetChapter& c : chapters)
            for (const ItemGroup& g : c.groups)
                for (const BudgetItem& item : g.items)
                    if (double* slot = PriceSlot(prices, item)) *slot = 1000 + 37.25 * ++k;
        prices.globals = {
            {"Campamento", "0", 250000}, {"Senales", "E", 1000}, {"Vallas", "1", 3000}};
        WritePrices();
        const BudgetOutcome out = RunBudget(project, [](const std::string&) { return 'S'; });
        ASSERT_EQ(out.stop, BudgetStop::None) << out.message;
    }
    void WritePrices() {
        std::string error;
        ASSERT_TRUE(WritePriceFile(PriceFilePath(project), limits.firstDuct, prices, &error))
            << error;
    }
    Lines List(const std::string& key, cli::BatchOutcome& r) {
        const fs::path out = base_ / ("budget-" + key + ".txt");
        fs::remove(out);
        r = batch({"--project", "AB1", "list", key, "--out", out.string()});
        Lines lines;
        std::ifstream in(out, std::ios::binary);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
        return lines;
    }
    double Quantity(const ItemGroup& g) const {
        double sum = 0;
        for (const BudgetItem& item : g.items)
            sum += quantities::RoundTo2(ItemQuantity(tables, item));
        return sum;
    }

    quantities::QuantityLimits limits;
    std::vector<BudgetChapter> chapters;
    quantities::QuantityTables tables;
    UnitPrices prices;
};

TEST_F(BudgetListing, BudgetShowsTheFileValuesPerChapterAndTheTotal) {
    BudgetValues v;
    ASSERT_EQ(
        ReadBudgetFile(BudgetFilePath(project.files, quantities::kSystemNew), limits.sizeCount(), v)
            .status,
        PriceRead::Read);
    cli::BatchOutcome r;
    const Lines lines = List("YB", r);
    ASSERT_EQ(r.rc, 0) << r.err;
    const size_t first = At(lines, "PROYECTO : ");
    ASSERT_LT(first, lines.size());
    EXPECT_NE(lines[first].find("[ PRESUPUESTO SISTEMA NUEVO ] "), std::string::npos);
    EXPECT_NE(lines[first].find("Hoja No.1"), std::string::npos);
    EXPECT_LT(At(lines, kColumns), lines.size());

    int listed = 0;
    for (const BudgetChapter& c : chapters) {
        const std::string number = std::to_string(c.number);
        const size_t heading = At(lines, "CAPITULO #" + number + " - " + c.title);
        const size_t subtotal = At(lines, "SUBTOTAL CAPITULO #" + number);
        ASSERT_LT(heading, lines.size()) << c.title;
        double needed = 0;
        for (const ItemGroup& g : c.groups)
            needed += Quantity(g);
        if (needed == 0) {
            EXPECT_NE(lines.at(heading + 1)
                          .find(".... El proyecto no contiene items pertenecientes "
                                "a este capitulo ...."),
                      std::string::npos);
            EXPECT_EQ(subtotal, lines.size()) << c.title;
            continue;
        }
        ++listed;
        ASSERT_LT(subtotal, lines.size()) << c.title;
        // The partial values of the items add up to the chapter's value of the file.
        double sum = 0;
        int items = 0;
        for (size_t k = heading + 1; k < subtotal; ++k)
            if (lines[k].find('$') != std::string::npos) {
                sum += Amount(lines[k]);
                ++items;
            }
        EXPECT_NEAR(sum, v.chapters[static_cast<size_t>(c.number)], 0.5 * items + 0.5) << c.title;
        EXPECT_NEAR(Amount(lines[subtotal]), v.chapters[static_cast<size_t>(c.number)], 0.5);
    }
    EXPECT_GE(listed, 5);  // excavation, fill, manholes, pipes, connections
    EXPECT_LT(listed, 8);  // a new network removes nothing

    // The manhole chapter names each size the network lacks.
    const std::string missing[] = {"de 1.20 m. de diametro  ....", "de 1.80 m. de diametro ....",
                                   cp("de diseño especial ....")};
    for (size_t g = 0; g < 3; ++g)
        EXPECT_EQ(
            At(lines, "El proyecto no contiene pozos de inspeccion " + missing[g]) < lines.size(),
            Quantity(chapters[2].groups[g]) == 0)
            << g;

    // The lump-sum items of the new system: all but those of the existing system.
    EXPECT_LT(At(lines, "  Campamento nuevo"), lines.size());
    EXPECT_LT(At(lines, "  Vallas (etapa#1)"), lines.size());
    EXPECT_EQ(At(lines, "Senales"), lines.size());
    EXPECT_NE(lines.at(At(lines, "  Vallas")).find(kDots), std::string::npos);
    EXPECT_NEAR(Amount(lines.at(At(lines, "SUBTOTAL CAPITULO #9"))), 253000, 0.5);
    EXPECT_NEAR(Amount(lines.at(At(lines, "T O T A L   G E N E R A L   "))), v.total, 0.5);
}

TEST_F(BudgetListing, PriceListHasEveryItemWithItsPrice) {
    cli::BatchOutcome r;
    const Lines lines = List("YA", r);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(lines.at(At(lines, "PROYECTO : ")).find("[ LISTA TOTAL DE PRECIOS ]"),
              std::string::npos);
    EXPECT_LT(At(lines,
                 "****  L  I  S  T  A   D  E     P  R  E  C  I  O  S     U  N  I  T  A  R  "
                 "I  O  S  ****"),
              lines.size());
    // The further square ducts keep no price in the file.
    UnitPrices stored;
    ASSERT_EQ(ReadPriceFile(PriceFilePath(project), limits.firstDuct, stored).status,
              PriceRead::Read);
    // Every item in chapter order, its partial value dotted.
    Lines items;
    for (const std::string& line : lines)
        if (line.ends_with(kDots)) items.push_back(line);
    size_t k = 0;
    for (const BudgetChapter& c : chapters)
        for (const ItemGroup& g : c.groups)
            for (const BudgetItem& item : g.items) {
                ASSERT_LT(k, items.size());
                EXPECT_NEAR(Amount(items[k++]), PriceOf(stored, item), 0.5) << item.text;
            }
    EXPECT_EQ(k, items.size());
    EXPECT_LT(At(lines, "  Senales (existente)"), lines.size());
}

TEST_F(BudgetListing, IncompleteDamagedOrUncomputedBudgetIsNotListed) {
    cli::BatchOutcome r;
    const UnitPrices kept = prices;
    for (const ItemGroup& g : chapters[3].groups)  // every pipe needed
        for (const BudgetItem& item : g.items)
            if (ItemQuantity(tables, item) > 0) *PriceSlot(prices, item) = 0;
    WritePrices();
    EXPECT_TRUE(List("YB", r).empty());
    EXPECT_NE(r.err.find("precio(s) unitario(s) esta(n) en CERO"), std::string::npos) << r.err;
    prices = kept;
    WritePrices();
    ASSERT_FALSE(List("YB", r).empty()) << r.err;

    const std::string budget = BudgetFilePath(project.files, quantities::kSystemNew);
    std::ofstream(budget, std::ios::binary | std::ios::trunc) << " 1.25000000000000E+0002\r\nx\r\n";
    EXPECT_TRUE(List("YB", r).empty());
    EXPECT_NE(r.err.find("SANNEWV.AB1"), std::string::npos) << r.err;

    std::ofstream(PriceFilePath(project), std::ios::binary | std::ios::trunc) << "abc\r\n";
    EXPECT_TRUE(List("YA", r).empty());
    EXPECT_NE(r.err.find("XSANPRE.AB0"), std::string::npos) << r.err;

    // New quantities leave the budget to be computed again.
    ASSERT_EQ(quantities::RunQuantities(project).stop, quantities::RunStop::None);
    for (const char* key : {"YA", "YB"}) {
        EXPECT_TRUE(List(key, r).empty());
        EXPECT_NE(r.err.find("... Falta calcular los presupuestos ..."), std::string::npos) << key;
    }
}

TEST(BudgetListingTexts, ListingWordsTheSizeItemsAndTitles) {
    specs::EspecT e;
    specs::ApplyDefaults(e);
    e.DiameterCount = 3;  // two pipes, then the first of two square ducts
    e.Diameters = {200, 1000, 900};
    e.SectionCount = 4;
    const auto c = ListingChapters(e);
    const auto text = [&](size_t chapter, size_t item) {
        return c.at(chapter).groups.at(0).items.at(item).text;
    };
    EXPECT_EQ(c.at(6).title, "BAJANTES CAMARA DE CAIDA (Unid)");
    EXPECT_EQ(c.at(7).title, "ELIMINACION TRAMOS CONSTRUIDOS (ml)");
    EXPECT_EQ(text(3, 2), "Ducto cuadrado 900 milimetros");
    EXPECT_EQ(text(4, 3), "Ducto Cuadrado principal 1100 milimetros");
    EXPECT_EQ(text(6, 0), "Bajante en tubo para Diametro 200 mm");
    EXPECT_EQ(text(6, 1), "Camara especial para Diametro 1000 mm");
    EXPECT_EQ(text(6, 2), "Bajante en tubo para Ducto Cuadrado 900 mm");
    EXPECT_EQ(text(6, 3), "Camara especial para Ducto Cuadrado 1100 mm");
    EXPECT_EQ(text(7, 0), "Elimin. tuberia - Diametro 200 milimetros");
    EXPECT_EQ(text(7, 3), "Elimin. tuberia - Ducto Cuadrado 1100 milimetros");
    EXPECT_EQ(BudgetKind(quantities::kFirstStageSystem + 1), "[ PRESUPUESTO ETAPA #2]");
}

}  // namespace
}  // namespace nivex::budget
