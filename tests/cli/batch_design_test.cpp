#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

class BatchDesign : public BatchProjectTest {
  protected:
    void Prepared() {
        ASSERT_EQ(
            batch({"--project", "AB1", "config", "--texto", "correo=a@b.co", "--texto",
                   "pais=Colombia", "--texto", "entidad=Empresa", "--texto", "proyecto=Barrio",
                   "--texto", "fecha=2026", "--texto", "consultor=Yo", "--yes"})
                .rc,
            0);
        ASSERT_EQ(batch({"--project", "AB1", "simulate", "--horizontal", "3", "--vertical", "2",
                         "--length", "60", "--slope", "1", "--ground", "1000", "--yes"})
                      .rc,
                  0);
        const BatchOutcome c = batch({"--project", "AB1", "controls", "--yes"});
        ASSERT_EQ(c.rc, 0) << c.out << c.err;
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> v;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            v.push_back(line);
        return v;
    }
};

TEST_F(BatchDesign, DesignsTheEnteredNetworkAndDumpsEveryRecord) {
    Prepared();
    const BatchOutcome d = batch({"--project", "AB1", "design", "--opciones", "NNSS"});
    ASSERT_EQ(d.rc, 0) << d.err;
    EXPECT_EQ(valueOf(d.out, "inundacion"), "0");
    EXPECT_EQ(valueOf(d.out, "capacidad"), "0");
    EXPECT_EQ(valueOf(d.out, "empalmes"), "0");
    EXPECT_EQ(valueOf(d.out, "profundos"), "0");
    EXPECT_EQ(valueOf(d.out, "deficiencias"), "0");
    EXPECT_EQ(valueOf(d.out, "status"), "OK");
    EXPECT_EQ(valueOf(d.out, "alternativa"), "0");  // a simulated network is designed as entered
    // The standard method costs the design with the reference prices of a new project: the
    // design kept is the standard one, so both costs are the same figure.
    EXPECT_EQ(valueOf(d.out, "metodo"), "estandar");
    EXPECT_EQ(valueOf(d.out, "precios"), "referencia");
    EXPECT_GT(std::atof(valueOf(d.out, "costo").c_str()), 0);
    EXPECT_EQ(valueOf(d.out, "costo"), valueOf(d.out, "costo_estandar"));
    std::vector<std::string> rows = Lines(d.out);
    const auto table = std::find(rows.begin(), rows.end(), "linea,de,a,diametro,profundidad");
    ASSERT_NE(table, rows.end()) << d.out;
    rows.erase(rows.begin(), table);  // the table from its heading on
    ASSERT_GE(rows.size(), 2u);

    const BatchOutcome dump = batch({"--project", "AB1", "dump", "design", "--csv"});
    ASSERT_EQ(dump.rc, 0) << dump.err;
    const std::vector<std::string> lines = Lines(dump.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "linea,de,a,clase,tipo,longitud,D,S,n,clave_sup,clave_inf,batea_sup,batea_inf,"
              "prof_sup,prof_inf,Q,Qmin,Q0,V0,q,y/D,V,tau,Froude,caida,altura_caida,"
              "diam_bajante,camaras,empalme,elevar,pozo_nuevo");
    const std::string last = lines.back();
    EXPECT_EQ(last.substr(0, last.find(',')), std::to_string(lines.size() - 1));
    // The final reach of the table is a row of the dump.
    const std::string final = rows[1].substr(0, rows[1].find(','));
    bool found = false;
    for (const std::string& l : lines)
        found = found || l.rfind(final + ",", 0) == 0;
    EXPECT_TRUE(found);
    for (size_t k = 1; k < lines.size(); ++k) {
        const std::string& l = lines[k];
        EXPECT_EQ(l.find("nan"), std::string::npos) << l;
        EXPECT_EQ(l.find("inf"), std::string::npos) << l;
    }
}

// With a desirable depth of 1.01 m on flat ground the reaches that start 2 cm below the
// tributaries' crowns go deeper than desirable: the design counts every such new reach, as
// its dump shows them, and the revision lists each under [7].
TEST_F(BatchDesign, CountsTheNewReachesDeeperThanDesirable) {
    Prepared();
    ASSERT_EQ(batch({"--project", "AB1", "criteria", "set", "r0.74=1.01"}).rc, 0);
    ASSERT_EQ(batch({"--project", "AB1", "controls", "--yes"}).rc, 0);
    const BatchOutcome d = batch({"--project", "AB1", "design", "--opciones", "NNSS"});
    ASSERT_EQ(d.rc, 0) << d.err;
    const BatchOutcome dump = batch({"--project", "AB1", "dump", "design", "--csv"});
    ASSERT_EQ(dump.rc, 0) << dump.err;
    int deeper = 0, ends = 0;
    for (const std::string& l : Lines(dump.out)) {
        std::vector<std::string> cells;
        std::istringstream in(l);
        for (std::string c; std::getline(in, c, ',');)
            cells.push_back(c);
        if (cells.size() < 15 || cells[3] != "0") continue;  // new reaches only
        int here = 0;
        for (size_t k : {13u, 14u})
            if (std::lround(std::stod(cells[k]) * 100) > 101) ++here;
        ends += here;
        deeper += here > 0;
    }
    ASSERT_GT(deeper, 0);
    EXPECT_EQ(valueOf(d.out, "profundos"), std::to_string(deeper));
    // A design with reaches counted against it is not reported as sound.
    EXPECT_EQ(valueOf(d.out, "status"), "REVISAR");
    const BatchOutcome r = batch({"--project", "AB1", "review"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "[7]"), std::to_string(ends));
}

TEST_F(BatchDesign, RefusesBadAnswersAndANetworkNotChecked) {
    EXPECT_NE(batch({"--project", "AB1", "design", "--opciones", "NNX"}).rc, 0);
    const BatchOutcome d = batch({"--project", "AB1", "design"});
    EXPECT_NE(d.rc, 0);
    EXPECT_NE(d.err.find("... Falta entrar los datos de los tramos ..."), std::string::npos)
        << d.err;
    const BatchOutcome dump = batch({"--project", "AB1", "dump", "design"});
    EXPECT_NE(dump.rc, 0);
    EXPECT_NE(dump.err.find("... Falta entrar los datos de los tramos ..."), std::string::npos)
        << dump.err;
}

}  // namespace
}  // namespace nivex::cli
