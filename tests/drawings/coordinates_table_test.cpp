// The table of manhole coordinates: its rows from the network and the stored file, the
// cells read back as numbers, and blocks pasted from a spreadsheet taken whole or not at all.

#include "drawings/coordinates_table.h"

#include <gtest/gtest.h>

namespace nivex::drawings {
namespace {

network::TramoT Reach(const std::string& up, const std::string& down) {
    network::TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    return t;
}

// Manholes P1 .. P4, stored: P2 and an old Q9 no longer in the network.
CoordinateTable Sample() {
    ManholeCoordinates stored;
    stored.system = {3116, "MAGNA-SIRGAS / Colombia Bogota"};
    stored.points = {{"Q9", 1, 2}, {"P2", 4880120.25, 2065410.5}};
    return BuildCoordinateTable({"P1", "P2", "P3", "P4"}, stored);
}

TEST(CoordinateTableRows, EveryManholeOnceInTheOrderTheReachesFirstNameIt) {
    // Two branches into P3, then P3 to the outfall P5.
    const std::vector<network::TramoT> reaches = {Reach("P1", "P2"), Reach("P4", "P2"),
                                                  Reach("P2", "P3"), Reach("P3", "P5")};
    EXPECT_EQ(NetworkManholes(reaches), (std::vector<std::string>{"P1", "P2", "P4", "P3", "P5"}));

    const CoordinateTable t = Sample();
    EXPECT_EQ(t.system.epsg, 3116);
    EXPECT_EQ(t.system.label, "MAGNA-SIRGAS / Colombia Bogota");
    const std::vector<CoordinateRow> rows = {
        {"P1", "", ""}, {"P2", "4880120.25", "2065410.5"}, {"P3", "", ""}, {"P4", "", ""}};
    EXPECT_EQ(t.rows, rows);
    EXPECT_EQ(t.orphans, (std::vector<ManholePoint>{{"Q9", 1, 2}}));
    EXPECT_EQ(PlacedCount(t.rows), 1);
    EXPECT_EQ(OrphanNote(t.orphans),
              "1 pozo con coordenadas ya no esta en la red (Q9): se conservan en el archivo");
    EXPECT_EQ(OrphanNote({}), "");
}

TEST(CoordinateTableSave, PlacedRowsInTableOrderThenTheOrphansInTheStoredSystem) {
    CoordinateTable t = Sample();
    t.rows[0].x = " 1000.5 ";  // blanks around a value are no fault
    t.rows[0].y = "2000";
    t.rows[3].x = "-3,25";  // a decimal comma: -3.25
    t.rows[3].y = "+4e2";
    ManholeCoordinates c;
    std::string error;
    ASSERT_TRUE(CoordinatesFromTable(t, c, &error)) << error;
    EXPECT_EQ(c.system, (CoordinateSystem{3116, "MAGNA-SIRGAS / Colombia Bogota"}));
    const std::vector<ManholePoint> expected = {
        {"P1", 1000.5, 2000}, {"P2", 4880120.25, 2065410.5}, {"P4", -3.25, 400}, {"Q9", 1, 2}};
    EXPECT_EQ(c.points, expected);
}

TEST(CoordinateTableSave, TheFirstBadRowIsNamedAndNothingIsGiven) {
    struct Case {
        std::string x, y;
        std::string message;
        int column;
    };
    const std::vector<Case> cases = {
        {"10", "", "Fila 3, pozo P3: falta la Y (se escriben las dos coordenadas o ninguna)", 2},
        {"", "10", "Fila 3, pozo P3: falta la X (se escriben las dos coordenadas o ninguna)", 1},
        {"diez", "10", "Fila 3, pozo P3: la X no es un numero (\"diez\")", 1},
        {"10", "1.5.2", "Fila 3, pozo P3: la Y no es un numero (\"1.5.2\")", 2},
        {"inf", "10", "Fila 3, pozo P3: la X no es un numero finito (\"inf\")", 1},
        {"10", "nan", "Fila 3, pozo P3: la Y no es un numero finito (\"nan\")", 2},
        {"1e400", "10", "Fila 3, pozo P3: la X no es un numero finito (\"1e400\")", 1},
        {"+-5", "10", "Fila 3, pozo P3: la X no es un numero (\"+-5\")", 1},
        // A comma with a point, two commas, or three digits after it is not surely decimal.
        {"1.234,5", "10", "Fila 3, pozo P3: la X no es un numero (\"1.234,5\")", 1},
        {"4,880,120", "10", "Fila 3, pozo P3: la X no es un numero (\"4,880,120\")", 1},
        {"10", "10,100",
         "Fila 3, pozo P3: la Y (\"10,100\") no dice si la coma es decimal o de miles: "
         "escribala con punto decimal",
         2},
    };
    for (const Case& k : cases) {
        CoordinateTable t = Sample();
        t.rows[3] = {"P4", "also", "bad"};  // a later fault is not the one told
        t.rows[2].x = k.x;
        t.rows[2].y = k.y;
        ManholeCoordinates c;
        c.points = {{"KEEP", 0, 0}};
        std::string error;
        int row = -1, column = -1;
        EXPECT_FALSE(CoordinatesFromTable(t, c, &error, &row, &column)) << k.x << " " << k.y;
        EXPECT_EQ(error, k.message);
        EXPECT_EQ(row, 2) << k.message;
        EXPECT_EQ(column, k.column) << k.message;
        EXPECT_EQ(c.points, (std::vector<ManholePoint>{{"KEEP", 0, 0}}));
    }
}

TEST(CoordinateTableCells, NumbersAsSpreadsheetsWriteThem) {
    double v = 0;
    EXPECT_TRUE(ReadCoordinateCell("4880120,25", v));
    EXPECT_EQ(v, 4880120.25);
    EXPECT_TRUE(ReadCoordinateCell("0,5", v));
    EXPECT_EQ(v, 0.5);
    EXPECT_TRUE(ReadCoordinateCell("12,3456", v));
    EXPECT_EQ(v, 12.3456);
    EXPECT_TRUE(ReadCoordinateCell("-0.125", v));
    EXPECT_EQ(v, -0.125);
    EXPECT_TRUE(ReadCoordinateCell("1e-7", v));
    EXPECT_EQ(v, 1e-7);
    for (const char* bad : {"", "  ", ",5", "5,", "1,2e3", "0x10", "5 m", "infinity", "-nan"})
        EXPECT_FALSE(ReadCoordinateCell(bad, v)) << bad;
}

TEST(CoordinateTablePaste, ThreeColumnsGoToTheirManholesWhereverTheyAre) {
    std::vector<CoordinateRow> rows = Sample().rows;
    std::vector<int> changed;
    std::string error;
    // As a spreadsheet copies: a header, names in any letter case, a line end after the last.
    ASSERT_TRUE(PasteCoordinates("Pozo\tEste\tNorte\r\np4\t10,5\t20\r\nP1\t30\t40\r\n", 3, rows,
                                 &error, &changed))
        << error;
    const std::vector<CoordinateRow> expected = {{"P1", "30", "40"},
                                                 {"P2", "4880120.25", "2065410.5"},
                                                 {"P3", "", ""},
                                                 {"P4", "10,5", "20"}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(changed, (std::vector<int>{3, 0}));
    // Both cells empty take the coordinates away.
    ASSERT_TRUE(PasteCoordinates("P2\t\t\n", 0, rows, &error)) << error;
    EXPECT_EQ(rows[1], (CoordinateRow{"P2", "", ""}));
}

TEST(CoordinateTablePaste, TwoColumnsFillFromTheCurrentRowDown) {
    std::vector<CoordinateRow> rows = Sample().rows;
    std::vector<int> changed;
    std::string error;
    ASSERT_TRUE(PasteCoordinates("X\tY\n1\t2\n3\t4\n", 1, rows, &error, &changed)) << error;
    const std::vector<CoordinateRow> expected = {
        {"P1", "", ""}, {"P2", "1", "2"}, {"P3", "3", "4"}, {"P4", "", ""}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(changed, (std::vector<int>{1, 2}));
}

TEST(CoordinateTablePaste, ABadBlockChangesNoRowAndSaysWhichLine) {
    struct Case {
        std::string text;
        int current;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"P1\t1\t2\nQ7\t3\t4\n", 0,
         "Linea 2 del texto pegado: el pozo Q7 no esta en la red del sector"},
        {"P1\t1\t2\nP3\t3\t4\np1\t5\t6\n", 0,
         "Linea 3 del texto pegado: el pozo P1 se repite (ya esta en la linea 1)"},
        {"P1\t1\t2\nP3\tx\t4\n", 0,
         "Linea 2 del texto pegado, pozo P3: la X no es un numero (\"x\")"},
        {"1\t2\n3\tinf\n", 2,
         "Linea 2 del texto pegado, pozo P4: la Y no es un numero finito (\"inf\")"},
        {"1\t2\n3\t\n", 0,
         "Linea 2 del texto pegado, pozo P2: falta la Y (se escriben las dos coordenadas o "
         "ninguna)"},
        {"1\t2\n3\t4\n5\t6\n", 2, "Linea 3 del texto pegado: el bloque pasa de la ultima fila (4)"},
        {"1\t2\n3\t4\t5\n", 0, "Linea 2 del texto pegado: tiene 3 columnas y la primera 2"},
        {"1\t2\n\n3\t4\n", 0, "Linea 2 del texto pegado: tiene 1 columna y la primera 2"},
        {"P1\t1\t2\t3\n", 0,
         "Linea 1 del texto pegado: se esperaban 2 columnas (X, Y) o 3 (pozo, X, Y) separadas "
         "por tabuladores"},
        {"12345\n", 0,
         "Linea 1 del texto pegado: se esperaban 2 columnas (X, Y) o 3 (pozo, X, Y) separadas "
         "por tabuladores"},
        {"DEMASIADO\t1\t2\n", 0,
         "Linea 1 del texto pegado: nombre de pozo no valido: \"DEMASIADO\""},
        {"\r\n\n", 0, "El texto pegado esta vacio"},
        {"Pozo\tX\tY\n", 0, "El texto pegado no tiene coordenadas"},
    };
    for (const Case& c : cases) {
        std::vector<CoordinateRow> rows = Sample().rows;
        std::string error;
        std::vector<int> changed = {99};
        EXPECT_FALSE(PasteCoordinates(c.text, c.current, rows, &error, &changed)) << c.text;
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(rows, Sample().rows) << c.text;
        EXPECT_EQ(changed, std::vector<int>{99}) << c.text;
    }
}

}  // namespace
}  // namespace nivex::drawings
