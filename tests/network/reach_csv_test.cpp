#include "network/reach_csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/batch.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// Line k of a table: the cells of row k, split on plain commas (no quoted cells here).
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');)
        cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Join(const std::vector<std::string>& cells) {
    std::string s;
    for (size_t k = 0; k < cells.size(); ++k)
        s += (k ? "," : "") + cells[k];
    return s;
}

size_t ColumnIndex(const std::string& name) {
    const auto& names = ReachCsvColumns();
    return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

class ReachesVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-csv-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
        ASSERT_EQ(run({"--yes", "new"}), 0) << last_;
        ASSERT_EQ(run({"simulate", "--horizontal", "3", "--vertical", "3", "--yes"}), 0) << last_;
        folder_ = *fs::directory_iterator(base_ / "projects");
    }
    void TearDown() override { fs::remove_all(base_); }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "RC1"});
        std::ostringstream out, err;
        const int rc = cli::RunBatch(args, out, err);
        out_ = out.str();
        last_ = out.str() + err.str();
        return rc;
    }
    std::string info() {
        run({"info"});
        return out_;
    }
    fs::path reaches() const { return folder_ / "ZSDX.RC1"; }
    fs::path index() const { return folder_ / "XSDC.RC1"; }

    fs::path base_, folder_;
    std::string out_, last_;
};

TEST_F(ReachesVerb, ExportThenImportGivesTheSameReachFile) {
    const std::string before = Slurp(reaches());
    const std::string indexBefore = Slurp(index());
    ASSERT_EQ(before.size(), 25 * kTramoSize);  // 3 x 4 + 4 x 3 reaches and the discharge

    ASSERT_EQ(run({"reaches", "export"}), 0) << last_;
    const std::string shown = out_;
    const fs::path csv = base_ / "red.csv";
    ASSERT_EQ(run({"reaches", "export", "--out", csv.string()}), 0) << last_;
    const std::string table = Slurp(csv);
    EXPECT_EQ(table, shown);
    const std::vector<std::string> lines = Lines(table);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(Cells(lines[0]), ReachCsvColumns());
    EXPECT_EQ(Cells(lines[1])[0], "1");
    EXPECT_EQ(Cells(lines[25])[0], "25");

    // Without --yes the question is answered No.
    const fs::path one = base_ / "uno.csv";
    Spit(one, lines[0] + "\n" + lines[1] + "\n");
    EXPECT_EQ(run({"reaches", "import", one.string()}), 1);
    EXPECT_NE(last_.find("Desea reemplazar los tramos del proyecto ? No"), std::string::npos);
    EXPECT_EQ(Slurp(reaches()), before);
    EXPECT_NE(info().find("tramos: 25"), std::string::npos) << out_;

    ASSERT_EQ(run({"reaches", "import", csv.string(), "--yes"}), 0) << last_;
    EXPECT_EQ(Slurp(reaches()), before);
    EXPECT_EQ(Slurp(index()), indexBefore);
    const std::string state = info();
    EXPECT_NE(state.find("tramos: 25"), std::string::npos) << state;
    EXPECT_NE(state.find("controles: 0000"), std::string::npos) << state;

    // CRLF line ends and quoted cells read the same.
    std::string crlf;
    for (const std::string& line : lines) {
        std::vector<std::string> cells = Cells(line);
        cells[1] = "\"" + cells[1] + "\"";
        crlf += Join(cells) + "\r\n";
    }
    Spit(csv, crlf);
    ASSERT_EQ(run({"reaches", "import", csv.string(), "--yes"}), 0) << last_;
    EXPECT_EQ(Slurp(reaches()), before);
}

TEST_F(ReachesVerb, BadRowsAreAllReportedAndNothingIsWritten) {
    const std::string before = Slurp(reaches());
    ASSERT_EQ(run({"reaches", "export"}), 0) << last_;
    std::vector<std::string> lines = Lines(out_);

    std::vector<std::string> row2 = Cells(lines[2]);
    row2[ColumnIndex("Longitud del tramo (m)")] = "cien";
    lines[2] = Join(row2);
    std::vector<std::string> row4 = Cells(lines[4]);
    row4.pop_back();
    lines[4] = Join(row4);
    std::vector<std::string> row6 = Cells(lines[6]);
    row6[ColumnIndex("Tramo a")] = row6[ColumnIndex("Tramo de")];
    lines[6] = Join(row6);
    std::vector<std::string> row7 = Cells(lines[7]);
    row7[ColumnIndex("Tramo de")] = "ABCDEFG";
    lines[7] = Join(row7);
    std::vector<std::string> row8 = Cells(lines[8]);
    row8[ColumnIndex("Longitud del tramo (m)")] = "0";
    lines[8] = Join(row8);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    const fs::path csv = base_ / "mala.csv";
    Spit(csv, text);

    EXPECT_EQ(run({"reaches", "import", csv.string(), "--yes"}), 1);
    EXPECT_NE(last_.find("Linea 3: la columna \"Longitud del tramo (m)\" debe ser un numero"),
              std::string::npos)
        << last_;
    EXPECT_NE(last_.find("Linea 5: se esperaban"), std::string::npos) << last_;
    EXPECT_NE(last_.find("Linea 7: ERROR...Nomenclatura incorrecta"), std::string::npos) << last_;
    EXPECT_NE(last_.find("Linea 8: la columna \"Tramo de\" no es un nombre de pozo"),
              std::string::npos)
        << last_;
    EXPECT_NE(last_.find("Linea 9: ERROR...Introduzca la longitud"), std::string::npos) << last_;
    EXPECT_EQ(last_.find("Linea 4:"), std::string::npos) << last_;
    // Every problem names the file.
    EXPECT_NE(last_.find(csv.string() + ": Linea 3: "), std::string::npos) << last_;
    EXPECT_EQ(Slurp(reaches()), before);
    EXPECT_NE(info().find("tramos: 25"), std::string::npos) << out_;

    // A header without one of the columns.
    std::vector<std::string> header = Cells(lines[0]);
    header.erase(header.begin() + static_cast<long>(ColumnIndex("Clase")));
    Spit(csv, Join(header) + "\n");
    EXPECT_EQ(run({"reaches", "import", csv.string(), "--yes"}), 1);
    EXPECT_NE(last_.find("Linea 1: falta la columna \"Clase\""), std::string::npos) << last_;
    EXPECT_EQ(Slurp(reaches()), before);
}

// What the entry screen refuses in its fields of range, width and decimals, the table
// refuses too, naming the line: nothing of it is stored.
TEST_F(ReachesVerb, ValuesTheScreenRefusesAreRefused) {
    const std::string before = Slurp(reaches());
    ASSERT_EQ(run({"reaches", "export"}), 0) << last_;
    const std::vector<std::string> lines = Lines(out_);
    const std::pair<const char*, const char*> cells[] = {
        {"Longitud del tramo (m)", "3.4e38"},     // wider than 7 characters
        {"Longitud del tramo (m)", "10000"},      // 9999.99 at most
        {"Area del tramo (Has)", "-5"},           // no negative area
        {"Cota rasante superior (m)", "10.125"},  // two decimals
        {"Coeficiente de Manning", "0.01234"},    // four decimals
        {"Area futura sanitaria", "-0.5"},
    };
    const char* said[] = {"Error...El valor no cabe en el campo (7 caracteres)",
                          "Error...El valor no cabe en el campo (7 caracteres)",
                          "Error...El valor no puede ser menor de 0",
                          "Error...Usar maximo 2 cifra(s) decimale(s)",
                          "Error...Usar maximo 4 cifra(s) decimale(s)",
                          "Error...El valor no puede ser menor de 0"};
    for (size_t k = 0; k < std::size(cells); ++k) {
        std::vector<std::string> row = Cells(lines[3]);
        row[ColumnIndex(cells[k].first)] = cells[k].second;
        std::vector<std::string> changed = lines;
        changed[3] = Join(row);
        std::string text;
        for (const std::string& line : changed)
            text += line + "\n";
        const fs::path csv = base_ / "valores.csv";
        Spit(csv, text);
        EXPECT_EQ(run({"reaches", "import", csv.string(), "--yes"}), 1) << cells[k].second;
        EXPECT_NE(last_.find(csv.string() + ": Linea 4: la columna \"" + cells[k].first +
                             "\": " + said[k]),
                  std::string::npos)
            << last_;
        EXPECT_EQ(Slurp(reaches()), before);
    }
}

// A chain of new reaches, line k from manhole k to manhole k + 1.
std::vector<TramoT> Chain(int count) {
    std::vector<TramoT> reaches(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        TramoT& t = reaches[static_cast<size_t>(k)];
        t.Upstream = std::to_string(k + 1);
        t.Downstream = std::to_string(k + 2);
        // Grounds of two decimals, as the screen takes them.
        const double up = 1000 - 0.01 * (k % 4000);
        t.GroundUp = static_cast<float>(up);
        t.GroundDown = static_cast<float>(up - 0.5);
        t.Length = 80.25f;
        t.Area = static_cast<float>(0.1 * (k % 13));
    }
    return reaches;
}

TEST(ReachCsv, TenThousandRowsImportQuicklyAndOneMoreIsRefused) {
    const std::string table = ExportReachesCsv(Chain(kMaxLines));
    const ReachContext context;
    const auto start = std::chrono::steady_clock::now();
    const ImportResult result = ImportReachesCsv(table, context);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("10000 rows imported in %.3f s\n", seconds);
    ASSERT_TRUE(result.ok()) << result.problems.front();
    ASSERT_EQ(result.reaches.size(), static_cast<size_t>(kMaxLines));
    EXPECT_LT(seconds, 1.0);
    // Every float reads back as written.
    EXPECT_EQ(ExportReachesCsv(result.reaches), table);

    const ImportResult over = ImportReachesCsv(ExportReachesCsv(Chain(kMaxLines + 1)), context);
    ASSERT_EQ(over.problems.size(), 1u);
    EXPECT_EQ(over.problems[0],
              "Linea 10002: ERROR...El mayor numero de tramos (lineas) es de 10000");
    EXPECT_TRUE(over.reaches.empty());
}

TEST(ReachCsv, CellsAndHeader) {
    const ReachContext context;
    std::string table = ExportReachesCsv(Chain(2));
    // A name with a comma is quoted and reads back whole.
    std::vector<TramoT> named = Chain(1);
    named[0].Upstream = "A,B";
    EXPECT_NE(ExportReachesCsv(named).find("\"A,B\""), std::string::npos);
    const ImportResult comma = ImportReachesCsv(ExportReachesCsv(named), context);
    ASSERT_TRUE(comma.ok()) << comma.problems.front();
    EXPECT_EQ(comma.reaches[0].Upstream, "A,B");

    // Lower-case names are taken in capitals, empty cells as 0.
    std::vector<std::string> lines = Lines(table);
    std::vector<std::string> row = Cells(lines[1]);
    row[ColumnIndex("Tramo de")] = "ab";
    row[ColumnIndex("Area del tramo (Has)")] = "";
    const ImportResult taken = ImportReachesCsv(lines[0] + "\n" + Join(row) + "\n", context);
    ASSERT_TRUE(taken.ok()) << taken.problems.front();
    EXPECT_EQ(taken.reaches[0].Upstream, "AB");
    EXPECT_EQ(taken.reaches[0].Area, 0);

    EXPECT_EQ(ImportReachesCsv("", context).problems,
              std::vector<std::string>{"Linea 1: falta la fila de encabezados"});
    const ImportResult unknown = ImportReachesCsv(lines[0] + ",Extra\n", context);
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.problems[0], "Linea 1: columna desconocida \"Extra\"");
    const ImportResult open = ImportReachesCsv(lines[0] + "\n1,\"AB,2\n", context);
    EXPECT_EQ(open.problems, std::vector<std::string>{"Linea 2: comillas sin cerrar"});
    // A whole number column takes no decimals; a class beyond the screen's is refused.
    row = Cells(lines[1]);
    row[ColumnIndex("Clase")] = "1.5";
    EXPECT_EQ(ImportReachesCsv(lines[0] + "\n" + Join(row) + "\n", context).problems.at(0),
              "Linea 2: la columna \"Clase\" debe ser un numero (\"1.5\")");
    row[ColumnIndex("Clase")] = "7";
    EXPECT_EQ(ImportReachesCsv(lines[0] + "\n" + Join(row) + "\n", context).problems.at(0),
              "Linea 2: la columna \"Clase\" admite de 0 a 4");
}

}  // namespace
}  // namespace nivex::network
