// One project of each kind taken through every stage with nivex-batch: entry by CSV,
// controls, both designs, review, SWMM, stages, quantities, prices, budget and listings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ','))
        cells.push_back(cell);
    return cells;
}

std::string Fixed(double v, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// 4498278.25 as the listings print pesos: "4,498,278".
std::string Pesos(double v) {
    std::string digits = std::to_string(static_cast<long long>(std::llround(v)));
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

struct Reach {
    const char* up;
    const char* down;
    int cls;  // 0 new, 1 existing, 2 restricted
};

// Laterals come before the reach they join, as the hydraulic order asks; the last reach
// discharges.
const Reach kNetwork[] = {
    {"1", "2", 0},  {"2", "3", 0},   {"6", "7", 1},   {"7", "3", 1},   {"3", "4", 0},
    {"8", "9", 0},  {"9", "4", 0},   {"4", "5", 0},   {"10", "11", 0}, {"11", "5", 0},
    {"5", "12", 0}, {"13", "14", 2}, {"14", "12", 0}, {"12", "15", 0}, {"15", "16", 0},
};
constexpr int kReaches = static_cast<int>(std::size(kNetwork));

const std::map<std::string, double> kGround = {
    {"1", 1003.0},  {"2", 1002.4},  {"3", 1001.8}, {"4", 1001.2},  {"5", 1000.6},  {"6", 1003.0},
    {"7", 1002.4},  {"8", 1002.4},  {"9", 1001.8}, {"10", 1001.8}, {"11", 1001.2}, {"12", 1000.0},
    {"13", 1001.2}, {"14", 1000.6}, {"15", 999.4}, {"16", 998.8},
};

// Listings every class has once the budget is done.
const char* const kAlwaysListed[] = {"4A", "4B", "4C", "4D", "4E", "4F", "5B", "6B", "7C", "7D",
                                     "7E", "7M", "7N", "9A", "9B", "9C", "9D", "9E", "YA", "YB"};
// Listings that may rightly find nothing to list in this network.
const char* const kMaybeEmpty[] = {"6C", "7G", "7H", "7J", "7K"};

class EndToEnd : public BatchProjectTest {
  protected:
    std::vector<std::string> with(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return args;
    }
    BatchOutcome must(std::vector<std::string> args) {
        const std::string line = [&] {
            std::string s;
            for (const auto& a : args)
                s += a + ' ';
            return s;
        }();
        BatchOutcome r = batch(with(std::move(args)));
        EXPECT_EQ(r.rc, 0) << line << '\n' << r.out << r.err;
        return r;
    }
    fs::path folder() const { return base_ / "projects" / "AB-RED"; }
    fs::path reachFile() const { return folder() / "XSDC.AB1"; }
    fs::path file(const std::string& name) const { return base_ / name; }

    // The CSV of the network under the header that reaches export writes.
    std::string NetworkCsv(const std::string& header, const std::string& area) {
        const std::vector<std::string> columns = SplitLine(header);
        std::string csv = header + "\n";
        for (int k = 0; k < kReaches; ++k) {
            const Reach& r = kNetwork[k];
            std::map<std::string, std::string> cell;
            cell["Linea"] = std::to_string(k + 1);
            cell["Tramo de"] = r.up;
            cell["Tramo a"] = r.down;
            cell["Zona sanitaria"] = "1";
            cell["Ecuacion o serie pluvial"] = "1";
            const double up = kGround.at(r.up), down = kGround.at(r.down);
            cell["Cota rasante superior (m)"] = Fixed(up, 2);
            cell["Cota rasante inferior (m)"] = Fixed(down, 2);
            cell["Longitud del tramo (m)"] = "60";
            cell["Area del tramo (Has)"] = k + 1 == kReaches ? "0" : area;
            cell["Clase"] = std::to_string(r.cls);
            if (r.cls != 0) {
                const double crownUp = up - 1.2, crownDown = down - 1.3;
                cell["Cota clave superior (m)"] = Fixed(crownUp, 2);
                cell["Cota clave inferior (m)"] = Fixed(crownDown, 2);
                cell["Diametro del tubo (mm)"] = "284";
                cell["Pendiente del tubo (%)"] = Fixed((crownUp - crownDown) * 100 / 60, 3);
                cell["Coeficiente de Manning"] = "0.013";
            }
            if (k + 1 == kReaches) cell["Tipo"] = "2";  // vertimiento
            for (size_t c = 0; c < columns.size(); ++c) {
                const auto found = cell.find(columns[c]);
                csv += (c ? "," : "") + (found == cell.end() ? std::string("0") : found->second);
            }
            csv += "\n";
        }
        return csv;
    }

    // The whole life of the project; `area` per reach keeps the storm classes quick.
    void RunProject(int designClass, const std::string& area) {
        const std::string cls = std::to_string(designClass);
        std::vector<std::string> config{
            "config",          "--class",       cls,          "--topologia",   "ambos",
            "--texto",         "correo=a@b.co", "--texto",    "pais=Colombia", "--texto",
            "entidad=Empresa", "--texto",       "fecha=2026", "--texto",       "consultor=Yo",
            "--texto",         "proyecto=Red"};
        if (designClass <= 5) config.insert(config.end(), {"--autolimpieza", "tractiva"});
        config.push_back("--yes");
        ASSERT_EQ(batch(with(config)).rc, 0);

        // The header comes from the export of a simulated network.
        ASSERT_EQ(must({"simulate", "--horizontal", "2", "--vertical", "2", "--length", "60",
                        "--slope", "1", "--ground", "1000", "--yes"})
                      .rc,
                  0);
        const BatchOutcome exported = must({"reaches", "export"});
        const std::string header = exported.out.substr(0, exported.out.find('\n'));
        ASSERT_EQ(header.rfind("Linea,Tramo de,Tramo a,", 0), 0u) << header;
        {
            std::ofstream(file("red.csv"), std::ios::binary) << NetworkCsv(header, area);
        }
        const BatchOutcome imported =
            must({"reaches", "import", file("red.csv").string(), "--yes"});
        EXPECT_EQ(valueOf(imported.out, "Tramos importados"), std::to_string(kReaches));
        const std::string entered = ReadAll(reachFile());
        ASSERT_FALSE(entered.empty());
        {
            // The table read back is the table written.
            const BatchOutcome again = must({"reaches", "export"});
            EXPECT_EQ(again.out.substr(0, again.out.find('\n')), header);
            int rows = 0;
            for (char c : again.out)
                rows += c == '\n';
            EXPECT_GE(rows, kReaches);
        }

        const BatchOutcome controls = must({"controls", "--yes"});
        for (const char* k : {"A", "B", "C", "D"})
            EXPECT_EQ(valueOf(controls.out, k), "OK") << controls.out;

        // Manual, then automatic: the second row of the table of alternatives.
        const BatchOutcome manual = must({"design", "--alternativa", "1", "--yes"});
        EXPECT_EQ(valueOf(manual.out, "alternativa"), "0") << manual.out;
        const BatchOutcome alternatives = must({"alternatives"});
        EXPECT_NE(alternatives.out.find("\nManual,"), std::string::npos) << alternatives.out;
        EXPECT_NE(alternatives.out.find("\nAuto 1,"), std::string::npos) << alternatives.out;
        const BatchOutcome automatic = must({"design", "--alternativa", "2", "--yes"});
        EXPECT_NE(valueOf(automatic.out, "alternativa"), "0") << automatic.out;
        // OK only with nothing counted against the design.
        bool counted = false;
        for (const char* key : {"inundacion", "capacidad", "empalmes", "profundos", "deficiencias"})
            counted = counted || valueOf(automatic.out, key) != "0";
        EXPECT_EQ(valueOf(automatic.out, "status"), counted ? "REVISAR" : "OK") << automatic.out;
        if (designClass >= 6) {
            EXPECT_NE(valueOf(automatic.out, "pasadas_swmm"), "0");
        }
        // The designed reach file is still a network that passes every control.
        const BatchOutcome recheck = must({"controls", "--yes"});
        for (const char* k : {"A", "B", "C", "D"})
            EXPECT_EQ(valueOf(recheck.out, k), "OK") << recheck.out;
        // Controls passed again leave the design standing.
        ASSERT_TRUE(fs::exists(folder() / "ZSDB.AB1"));

        const BatchOutcome review = must({"review"});
        EXPECT_EQ(valueOf(review.out, "clase"), cls);
        EXPECT_EQ(valueOf(review.out, "tramos revisados"), std::to_string(kReaches));

        const BatchOutcome written = must({"swmm", "write", "--yes"});
        const fs::path input = valueOf(written.out, "entrada");
        EXPECT_TRUE(fs::exists(input)) << written.out;
        EXPECT_NE(ReadAll(input).find("[CONDUITS]"), std::string::npos);
        const BatchOutcome ran = must({"swmm", "run", "--yes"});
        EXPECT_EQ(valueOf(ran.out, "codigo"), "0");
        EXPECT_EQ(valueOf(ran.out, "tramos"), std::to_string(kReaches)) << ran.out;
        const fs::path report = valueOf(ran.out, "reporte");
        ASSERT_TRUE(fs::exists(report)) << ran.out;
        EXPECT_NE(ReadAll(report).find("EPA STORM WATER MANAGEMENT MODEL"), std::string::npos);

        const BatchOutcome stages = must({"stages", "set", "1=1", "2=1", "5=2", "15=3"});
        EXPECT_EQ(valueOf(stages.out, "etapa1"), "2") << stages.out;
        EXPECT_EQ(valueOf(stages.out, "etapa2"), "1") << stages.out;
        EXPECT_EQ(valueOf(stages.out, "etapa3"), "1") << stages.out;
        EXPECT_EQ(valueOf(stages.out, "etapas"), "3") << stages.out;

        const BatchOutcome quantities = must({"quantities"});
        EXPECT_EQ(valueOf(quantities.out, "sistema"), "SISTEMA NUEVO") << quantities.out;
        EXPECT_EQ(valueOf(quantities.out, "tramos"), Fixed(kReaches, 2)) << quantities.out;
        EXPECT_EQ(valueOf(quantities.out, "longitud total"), Fixed(60.0 * kReaches, 2));
        const double pipeLength = std::stod(valueOf(quantities.out, "tuberia longitud"));
        EXPECT_GT(pipeLength, 0);

        // Every unit price filled, then two global items.
        must({"prices", "export", "--out", file("precios.csv").string()});
        std::istringstream prices(ReadAll(file("precios.csv")));
        std::string filled, line;
        int rows = 0;
        std::getline(prices, line);
        filled = line + "\n";
        while (std::getline(prices, line)) {
            const size_t comma = line.rfind(',');
            ASSERT_NE(comma, std::string::npos) << line;
            ++rows;
            filled += line.substr(0, comma + 1) + std::to_string(1000 + 10 * rows) + ".50\n";
        }
        ASSERT_GT(rows, 100);
        std::ofstream(file("llenos.csv"), std::ios::binary) << filled;
        const BatchOutcome priced = must({"prices", "import", file("llenos.csv").string()});
        EXPECT_EQ(valueOf(priced.out, "precios"), std::to_string(rows));
        const BatchOutcome back = must({"prices", "export"});
        // Only the ducts after the first, which the price file does not keep, come back at 0.
        int zeros = 0, notKept = 0;
        for (size_t at = back.out.find(",0.00\n"); at != std::string::npos;
             at = back.out.find(",0.00\n", at + 1))
            ++zeros;
        for (size_t at = priced.err.find("Aviso: fila"); at != std::string::npos;
             at = priced.err.find("Aviso: fila", at + 1))
            ++notKept;
        EXPECT_EQ(zeros, notKept) << priced.err;
        must({"globals", "set", "1", "Campamento", "0", "1500000"});
        must({"globals", "set", "2", "Interventoria", "1", "250000.25"});
        const BatchOutcome shown = must({"globals"});
        EXPECT_NE(shown.out.find("\n1,Campamento,0,1500000.00\n"), std::string::npos) << shown.out;
        EXPECT_NE(shown.out.find("\n2,Interventoria,1,250000.25\n"), std::string::npos);

        const BatchOutcome budget = must({"budget", "--yes"});
        EXPECT_EQ(valueOf(budget.out, "sistema"), "SISTEMA NUEVO") << budget.out;
        EXPECT_EQ(valueOf(budget.out, "precios en cero"), "0") << budget.out;
        EXPECT_EQ(valueOf(budget.out, "capitulo 9"), "1750000.25") << budget.out;
        const double total = std::stod(valueOf(budget.out, "total"));
        EXPECT_GT(total, 1750000.25);
        EXPECT_TRUE(fs::exists(folder() / "SANNEWV.AB1"));

        // The listings.
        must({"list", "ZA", "--identificacion", "Prueba integral", "--out", file("ZA").string(),
              "--yes"});
        const std::string summary = ReadAll(file("ZA"));
        EXPECT_NE(summary.find("<< ... PRUEBA INTEGRAL ... >>"), std::string::npos);
        const size_t value = summary.find("valor total del sistema nuevo");
        ASSERT_NE(value, std::string::npos);
        const std::string valueLine = summary.substr(value, summary.find('\r', value) - value);
        EXPECT_NE(valueLine.find("$     " + Pesos(total)), std::string::npos)
            << valueLine << " / " << Pesos(total);
        must({"list", "ZB", "--out", file("ZB").string(), "--yes"});
        EXPECT_FALSE(ReadAll(file("ZB")).empty());

        // 7I first: the SWMM listings read its report.
        must({"list", "7I", "--out", file("7I").string(), "--yes"});
        EXPECT_NE(ReadAll(file("7I")).find("EPA STORM WATER MANAGEMENT MODEL"), std::string::npos);
        for (const char* key : kAlwaysListed) {
            SCOPED_TRACE(key);
            must({"list", key, "--out", file(key).string(), "--yes"});
            EXPECT_GT(fs::file_size(file(key)), 200u);
        }
        if (designClass >= 3 && designClass <= 5) {
            must({"list", "7F", "--out", file("7F").string(), "--yes"});
            EXPECT_GT(fs::file_size(file("7F")), 200u);
        }
        if (designClass <= 5) {
            // RAS deficiencies: listed, or the box says there are none.
            const BatchOutcome ras =
                batch(with({"list", "6D", "--out", file("6D").string(), "--yes"}));
            if (ras.rc != 0) {
                EXPECT_NE(ras.err.find("Deficiencias RAS"), std::string::npos);
            }
        }
        for (const char* key : kMaybeEmpty) {
            SCOPED_TRACE(key);
            const BatchOutcome r = batch(with({"list", key, "--out", file(key).string(), "--yes"}));
            if (r.rc == 0) {
                EXPECT_TRUE(fs::exists(file(key)));
            } else {
                EXPECT_FALSE(r.err.empty()) << "refused without saying why";
            }
        }

        // Every reach line in the hydraulic design.
        const std::string hydraulic = ReadAll(file("7C"));
        for (int k = 0; k < kReaches; ++k) {
            char prefix[16];
            std::snprintf(prefix, sizeof prefix, "\xb3%4d \xb3", k + 1);
            const size_t at = hydraulic.find(prefix);
            ASSERT_NE(at, std::string::npos) << "line " << k + 1;
            std::istringstream cells(hydraulic.substr(at + 7, hydraulic.find('\r', at) - at - 7));
            std::string up, down;
            std::getline(cells, up, '\xb3');
            std::getline(cells, down, '\xb3');
            EXPECT_EQ(up.substr(0, up.find_first_of(" -")), kNetwork[k].up) << "line " << k + 1;
            EXPECT_EQ(down.substr(0, down.find(' ')), kNetwork[k].down) << "line " << k + 1;
        }
        // The quantities listing carries the pipe length of the new system.
        const std::string quantityListing = ReadAll(file("9B"));
        bool lengthFound = false;
        for (size_t at = quantityListing.find("TOTAL O PROMEDIO"); at != std::string::npos;
             at = quantityListing.find("TOTAL O PROMEDIO", at + 1)) {
            const std::string row = quantityListing.substr(at, quantityListing.find('\r', at) - at);
            if (row.find(" " + std::to_string(std::lround(pipeLength)) + " ") != std::string::npos)
                lengthFound = true;
        }
        EXPECT_TRUE(lengthFound) << "pipe length " << pipeLength;
        // The budget listing's grand total is the total of the budget file.
        const std::string budgetListing = ReadAll(file("YB"));
        const size_t grand = budgetListing.find("T O T A L   G E N E R A L");
        ASSERT_NE(grand, std::string::npos);
        const std::string grandLine =
            budgetListing.substr(grand, budgetListing.find('\r', grand) - grand);
        EXPECT_NE(grandLine.find("$     " + Pesos(total)), std::string::npos) << grandLine;
        EXPECT_NE(budgetListing.find("Campamento"), std::string::npos);

        // The original file brings back the network as entered.
        must({"restore-backup", "--yes"});
        EXPECT_TRUE(ReadAll(reachFile()) == entered) << "reach file differs from the one entered";
        EXPECT_FALSE(fs::exists(folder() / ("Respaldo AB1")));
        const BatchOutcome afterRestore = must({"controls", "--yes"});
        EXPECT_EQ(valueOf(afterRestore.out, "D"), "OK") << afterRestore.out;
    }
};

TEST_F(EndToEnd, SanitaryProjectByLengths) {
    RunProject(1, "0.40");
}

TEST_F(EndToEnd, CombinedProjectByTheRationalMethod) {
    RunProject(3, "0.40");
}

TEST_F(EndToEnd, CombinedProjectByAlternatingBlocksWithSwmm) {
    RunProject(6, "0.05");
}

}  // namespace
}  // namespace nivex::cli
