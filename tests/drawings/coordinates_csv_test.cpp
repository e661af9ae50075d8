#include "drawings/coordinates_csv.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace nivex::drawings {
namespace {

const std::set<std::string> kManholes = {"P1", "P2", "P3", "A,B"};

struct Parsed {
    bool ok;
    std::vector<ManholePoint> points;
    std::string error;
};

Parsed Parse(const std::string& text) {
    Parsed p;
    p.points = {{"OLD", 1, 1}};
    p.ok = ParseCoordinatesCsv(text, "pozos.csv", "AB1", kManholes, p.points, &p.error);
    return p;
}

TEST(CoordinatesCsv, ReadsCommaSemicolonAndTabTablesWithOrWithoutHeader) {
    const std::vector<ManholePoint> expected = {{"P1", 4880120.25, 2065410.5}, {"P2", -3, 1e3}};
    for (const std::string& text : {
             std::string("pozo,x,y\nP1,4880120.25,2065410.5\nP2,-3,1e3\n"),
             std::string("P1;4880120.25;2065410.5\r\nP2;-3;1e3\r\n"),
             std::string("Pozo\tX\tY\nP1\t4880120.25\t2065410.5\nP2\t-3\t+1000\n"),
             std::string(
                 "\xEF\xBB\xBFnombre ; este ; norte\n\n p1 ; 4880120.25 ; 2065410.5\nP2;-3;1000"),
         }) {
        const Parsed p = Parse(text);
        EXPECT_TRUE(p.ok) << text << p.error;
        EXPECT_EQ(p.points, expected) << text;
    }
    // A quoted name keeps its comma.
    const Parsed quoted = Parse("\"A,B\",1.5,2.5\n");
    ASSERT_TRUE(quoted.ok) << quoted.error;
    EXPECT_EQ(quoted.points, (std::vector<ManholePoint>{{"A,B", 1.5, 2.5}}));
}

TEST(CoordinatesCsv, RefusesTheWholeTableNamingFileAndLine) {
    struct Case {
        std::string text, error;
    };
    const std::vector<Case> cases = {
        {"pozo,x,y\nP1,1,2\nP9,3,4\n",
         "Error en el archivo pozos.csv, linea 3: el pozo P9 no esta en la red del sector AB1"},
        {"P1,1,2\nP2,3,4\np1,5,6\n",
         "Error en el archivo pozos.csv, linea 3: el pozo p1 se repite (ya esta en la linea 1)"},
        {"P1,1,2\nP2,tres,4\n",
         "Error en el archivo pozos.csv, linea 2: la coordenada X del pozo P2 no es un numero "
         "(punto decimal): \"tres\""},
        {"P1;1;2\nP2;3,5;4\n",
         "Error en el archivo pozos.csv, linea 2: la coordenada X del pozo P2 no es un numero "
         "(punto decimal): \"3,5\""},
        {"P1,1,2\nP2,3,inf\n",
         "Error en el archivo pozos.csv, linea 2: la coordenada Y del pozo P2 no es un numero "
         "finito: \"inf\""},
        {"P1,1,2\nP2,nan,4\n",
         "Error en el archivo pozos.csv, linea 2: la coordenada X del pozo P2 no es un numero "
         "finito: \"nan\""},
        {"P1,1,2\nP2,3,1e999\n",
         "Error en el archivo pozos.csv, linea 2: la coordenada Y del pozo P2 no es un numero "
         "finito: \"1e999\""},
        {"P1,1,2\nP2,3\n",
         "Error en el archivo pozos.csv, linea 2: se esperaban 3 campos (pozo, X, Y)"},
        {"P1 1 2\n",
         "Error en el archivo pozos.csv, linea 1: se esperaban 3 campos (pozo, X, Y) separados "
         "por ',' o por ';'"},
        {"Q1,1,2\nQ2,3,4\n",
         "El archivo pozos.csv no es del sector AB1: ninguno de sus pozos esta en la red del "
         "sector"},
        {"pozo,x,y\n\n", "El archivo pozos.csv no tiene coordenadas de pozos"},
        {"", "El archivo pozos.csv no tiene coordenadas de pozos"},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.error, c.error) << c.text;
        EXPECT_TRUE(p.points.empty()) << c.text;
    }
}

TEST(CoordinatesCsv, ExportsTheManholesOfTheNetworkAndReadsBackTheSame) {
    ManholeCoordinates c;
    c.points = {{"P2", 0.1, 2065410.125}, {"GONE", 5, 5}, {"A,B", -7, 8}};
    const std::string csv = ExportCoordinatesCsv(c, kManholes);
    EXPECT_EQ(csv, "pozo,x,y\nP2,0.1,2065410.125\n\"A,B\",-7,8\n");
    const Parsed back = Parse(csv);
    ASSERT_TRUE(back.ok) << back.error;
    ManholeCoordinates again;
    again.points = back.points;
    EXPECT_EQ(ExportCoordinatesCsv(again, kManholes), csv);
}

}  // namespace
}  // namespace nivex::drawings
