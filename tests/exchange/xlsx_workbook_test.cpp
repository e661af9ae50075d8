// The workbook of a designed project read back by openpyxl: the design table against the
// design dump and the records, the quantities against the hand count of the grid, the
// budget's formulas against their own arithmetic, and a failed write that changes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "design/design_columns.h"
#include "exchange/xlsx_content.h"
#include "exchange/xlsx_rig.h"
#include "exchange/xlsx_workbook.h"

namespace nivex::exchange {
namespace {

namespace fs = std::filesystem;
using testing::ReadBook;
using testing::ReadSheet;

class XlsxWorkbook : public testing::WorkbookProjectTest {
  protected:
    fs::path Write() {
        const fs::path path = base_ / "libro.xlsx";
        WorkbookContent content;
        std::string error;
        EXPECT_TRUE(LoadWorkbookContent(project, content, &error)) << error;
        EXPECT_TRUE(WriteWorkbook(content, path.string(), &error)) << error;
        return path;
    }
    static std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
        std::vector<std::vector<std::string>> rows;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string f; std::getline(cells, f, ',');)
                fields.push_back(f);
            rows.push_back(fields);
        }
        return rows;
    }
    // The names of the temporary files a write may have left in the base folder.
    std::string LeftTemporaries() const {
        std::string names;
        for (const auto& e : fs::directory_iterator(base_))
            if (e.path().filename().string().find(".nivex-tmp-") != std::string::npos)
                names += e.path().filename().string() + " ";
        return names;
    }
};

TEST_F(XlsxWorkbook, DesignSheetHoldsTheDumpValuesAsNumbersUnderCaptionsWithUnits) {
    const ReadBook book = Read(Write());
    // Quantities and budget are not computed yet: a note says the sheets left out.
    ASSERT_EQ(book.names, (std::vector<std::string>{"Diseño", "Notas"}));
    const ReadSheet& notes = book.sheets.at("Notas");
    EXPECT_NE(notes.text(3, 1).find("Cantidades: no se incluyen"), std::string::npos);
    EXPECT_NE(notes.text(4, 1).find("Presupuesto: no se incluye"), std::string::npos);

    const ReadSheet& sheet = book.sheets.at("Diseño");
    EXPECT_EQ(sheet.freeze, "D2");  // the header row and the reach's line and manholes
    const std::vector<std::vector<std::string>> dump =
        CsvRows(run({"dump", "design", "--csv"}).out);
    ASSERT_EQ(dump.size(), 26u);  // the header and 25 reaches of the 3 × 3 grid
    ASSERT_EQ(reaches.size(), 25u);
    ASSERT_EQ(sheet.rows, 26);
    const std::vector<design::DesignColumn>& columns = design::DesignColumns();
    ASSERT_EQ(dump[0].size(), columns.size());
    std::map<std::string, int> at;
    for (size_t k = 0; k < dump[0].size(); ++k) {
        const std::string caption = sheet.text(1, static_cast<int>(k) + 1);
        // The caption is the dump's name, with its unit in brackets where it has one.
        EXPECT_EQ(caption.rfind(dump[0][k], 0), 0u) << caption;
        at[dump[0][k]] = static_cast<int>(k) + 1;
    }
    EXPECT_EQ(sheet.text(1, at["Q"]), "Q (l/s)");
    EXPECT_EQ(sheet.text(1, at["D"]), "D (mm)");
    EXPECT_EQ(sheet.text(1, at["S"]), "S (%)");
    EXPECT_EQ(sheet.text(1, at["longitud"]), "longitud (m)");
    EXPECT_EQ(sheet.text(1, at["V"]), "V (m/s)");

    for (int r = 2; r <= 26; ++r) {
        const std::vector<std::string>& fields = dump[static_cast<size_t>(r - 1)];
        ASSERT_EQ(fields.size(), columns.size());
        for (size_t k = 0; k < fields.size(); ++k) {
            const testing::ReadCell* cell = sheet.at(r, static_cast<int>(k) + 1);
            ASSERT_NE(cell, nullptr) << "row " << r << " " << dump[0][k];
            if (dump[0][k] == "de" || dump[0][k] == "a") {
                EXPECT_EQ(cell->kind, 's');
                EXPECT_EQ(cell->value, fields[k]);
            } else {
                // A number cell, equal to the dump's text read as a number.
                EXPECT_EQ(cell->kind, 'n') << "row " << r << " " << dump[0][k];
                EXPECT_EQ(cell->number(), std::strtod(fields[k].c_str(), nullptr))
                    << "row " << r << " " << dump[0][k] << " " << cell->value;
            }
        }
        // Against the records as the design copy holds them: every reach is 60 m long.
        const network::TramoT& t = reaches[static_cast<size_t>(r - 2)];
        EXPECT_EQ(sheet.text(r, at["de"]), t.Upstream);
        EXPECT_EQ(sheet.text(r, at["a"]), t.Downstream);
        EXPECT_EQ(sheet.at(r, at["longitud"])->number(), 60.0);
        EXPECT_EQ(static_cast<float>(sheet.at(r, at["D"])->number()), t.Diameter);
        EXPECT_EQ(static_cast<float>(sheet.at(r, at["clave_sup"])->number()), t.CrownUp);
        // Shown with the decimals of the listings.
        EXPECT_EQ(sheet.at(r, at["S"])->format, "0.000");
        EXPECT_EQ(sheet.at(r, at["n"])->format, "0.0000");
        EXPECT_EQ(sheet.at(r, at["Q"])->format, "0.00");
        EXPECT_EQ(sheet.at(r, at["D"])->format, "0");
    }
}

TEST_F(XlsxWorkbook, QuantitiesByStageAndABudgetWhoseFormulasAddUp) {
    // Lines 1, 2 and 5 in stage 1, lines 3 and 4 in stage 2.
    Budget({"1=1", "2=1", "3=2", "4=2", "5=1"});
    ASSERT_FALSE(HasFatalFailure());
    const ReadBook book = Read(Write());
    ASSERT_EQ(book.names, (std::vector<std::string>{"Diseño", "Cantidades", "Presupuesto"}));

    const ReadSheet& q = book.sheets.at("Cantidades");
    EXPECT_EQ(q.freeze, "A2");
    const std::vector<std::string> captions{"Item", "Unidad", "SISTEMA NUEVO", "ETAPA #1",
                                            "ETAPA #2"};
    for (size_t k = 0; k < captions.size(); ++k)
        EXPECT_EQ(q.text(1, static_cast<int>(k) + 1), captions[k]);
    // The pipe of the grid: 25 reaches of 60 m, 3 of them in stage 1 and 2 in stage 2, all of
    // the one size the design chose.
    int pipeRows = 0;
    for (int r = 2; r <= q.rows; ++r) {
        if (q.text(r, 2) != "ml" || q.text(r, 1).rfind("Diametro", 0) != 0) continue;
        ++pipeRows;
        ASSERT_NE(q.at(r, 5), nullptr);
        EXPECT_EQ(q.at(r, 3)->number(), 1500);
        EXPECT_EQ(q.at(r, 4)->number(), 180);
        EXPECT_EQ(q.at(r, 5)->number(), 120);
        EXPECT_EQ(q.at(r, 3)->format, "#,##0.00");
    }
    EXPECT_EQ(pipeRows, 1);

    const std::vector<testing::ReadBudget> systems =
        testing::WalkBudget(book.sheets.at("Presupuesto"));
    ASSERT_EQ(systems.size(), 3u);
    EXPECT_EQ(systems[0].system, "SISTEMA NUEVO");
    EXPECT_EQ(systems[1].system, "ETAPA #1");
    EXPECT_EQ(systems[2].system, "ETAPA #2");
    for (const testing::ReadBudget& s : systems) {
        EXPECT_GT(s.total, 0) << s.system;
        EXPECT_FALSE(s.chapters.empty());
    }
    // The stages lay 300 of the 1500 m of pipe, at the same unit price.
    auto chapter = [](const testing::ReadBudget& s, int n) {
        for (const testing::ReadChapter& c : s.chapters)
            if (c.number == n) return c.cents;
        return -1LL;
    };
    EXPECT_GT(chapter(systems[0], 4), 0);
    EXPECT_EQ((chapter(systems[1], 4) + chapter(systems[2], 4)) * 5, chapter(systems[0], 4));
}

TEST_F(XlsxWorkbook, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const fs::path path = Write();
    std::ifstream in(path, std::ios::binary);
    const std::string before{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(before.empty());

    // A note longer than a cell may hold makes libxlsxwriter refuse the sheet.
    WorkbookContent content;
    std::string error;
    ASSERT_TRUE(LoadWorkbookContent(project, content, &error)) << error;
    content.omitted.push_back(std::string(40000, 'x'));
    EXPECT_FALSE(WriteWorkbook(content, path.string(), &error));
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), before);
    EXPECT_EQ(LeftTemporaries(), "");

    // A folder where the file should go, and a folder that does not exist.
    content.omitted.pop_back();
    fs::create_directories(base_ / "carpeta.xlsx" / "dentro");
    error.clear();
    EXPECT_FALSE(WriteWorkbook(content, (base_ / "carpeta.xlsx").string(), &error));
    EXPECT_NE(error.find("carpeta.xlsx"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(base_ / "carpeta.xlsx" / "dentro"));
    error.clear();
    EXPECT_FALSE(WriteWorkbook(content, (base_ / "no-existe" / "libro.xlsx").string(), &error));
    EXPECT_NE(error.find("libro.xlsx"), std::string::npos) << error;
    EXPECT_EQ(LeftTemporaries(), "");
}

}  // namespace
}  // namespace nivex::exchange
