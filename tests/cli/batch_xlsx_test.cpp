// exportar xlsx as a user runs it: the sheets left out before quantities and budget, then a
// workbook whose budget figures are those of the budget verb to the cent.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "exchange/xlsx_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;
namespace xt = nivex::exchange::testing;

class BatchXlsx : public xt::WorkbookProjectTest {
  protected:
    BatchOutcome exportTo(const fs::path& path) {
        return run({"exportar", "xlsx", "--out", path.string()});
    }
    // "sistema: X" then "capitulo k: v" and "total: v" of the budget verb, in cents.
    static std::map<std::string, std::map<std::string, long long>> Figures(const std::string& out) {
        std::map<std::string, std::map<std::string, long long>> figures;
        std::istringstream in(out);
        std::string system;
        for (std::string line; std::getline(in, line);) {
            const size_t colon = line.find(": ");
            if (colon == std::string::npos) continue;
            const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
            if (key == "sistema")
                system = value;
            else if (key == "total" || key.rfind("capitulo ", 0) == 0)
                figures[system][key] = xt::Cents(std::strtod(value.c_str(), nullptr));
        }
        return figures;
    }
};

TEST_F(BatchXlsx, SheetsLeftOutAreNamedAndTheBudgetAgreesWithTheBudgetVerb) {
    const fs::path path = base_ / "red.xlsx";
    BatchOutcome r = exportTo(path);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "hojas"), "Diseño, Notas");
    EXPECT_EQ(valueOf(r.out, "tramos"), "25");
    EXPECT_NE(r.err.find("Aviso: Cantidades: no se incluyen porque falta calcular las cantidades"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Aviso: Presupuesto: no se incluye porque falta calcular el presupuesto"),
              std::string::npos);

    Budget({"1=1", "2=1", "3=1"});
    ASSERT_FALSE(HasFatalFailure());
    r = exportTo(path);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "hojas"), "Diseño, Cantidades, Presupuesto");
    EXPECT_EQ(r.err.find("Aviso: "), std::string::npos) << r.err;

    const xt::ReadBook book = Read(path);
    ASSERT_EQ(book.names, (std::vector<std::string>{"Diseño", "Cantidades", "Presupuesto"}));
    const std::vector<xt::ReadBudget> sheet = xt::WalkBudget(book.sheets.at("Presupuesto"));
    const auto figures = Figures(budgetOut.out);
    ASSERT_EQ(sheet.size(), 2u);
    ASSERT_EQ(figures.size(), 2u);
    for (const xt::ReadBudget& s : sheet) {
        ASSERT_TRUE(figures.count(s.system)) << s.system;
        const auto& f = figures.at(s.system);
        EXPECT_EQ(s.total, f.at("total")) << s.system;
        EXPECT_GT(s.total, 0) << s.system;
        // Every chapter the sheet sums is the verb's; those it leaves out are zero there.
        long long listed = 0;
        for (const xt::ReadChapter& c : s.chapters) {
            EXPECT_EQ(c.cents, f.at("capitulo " + std::to_string(c.number)))
                << s.system << " capitulo " << c.number;
            listed += c.cents;
        }
        EXPECT_EQ(listed, f.at("total"));
    }
}

TEST_F(BatchXlsx, ABudgetWithPricesAtZeroIsLeftOutAndSaysWhy) {
    ASSERT_EQ(run({"quantities"}).rc, 0);
    // With --yes the budget goes on at zero for the system with needed prices at 0.
    ASSERT_EQ(run({"budget", "--yes"}).rc, 0);
    const fs::path path = base_ / "red.xlsx";
    const BatchOutcome r = exportTo(path);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "hojas"), "Diseño, Cantidades, Notas");
    EXPECT_NE(r.err.find("Aviso: Presupuesto: no se incluye porque en SISTEMA NUEVO "),
              std::string::npos)
        << r.err;
    const xt::ReadBook book = Read(path);
    ASSERT_EQ(book.names, (std::vector<std::string>{"Diseño", "Cantidades", "Notas"}));
    EXPECT_NE(book.sheets.at("Notas").text(3, 1).find("esta(n) en CERO"), std::string::npos);
}

TEST_F(BatchXlsx, AnUnwritableFileIsNamedAndNothingIsLeft) {
    const fs::path path = base_ / "no-existe" / "red.xlsx";
    const BatchOutcome r = exportTo(path);
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find(path.string()), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path.parent_path()));
}

}  // namespace
}  // namespace nivex::cli
