#include "design/design_listings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "design/design_listing_cells.h"
#include "design/design_listing_data.h"
#include "design/design_listing_pages.h"
#include "design/reach_values.h"
#include "listings/listing_catalog.h"
#include "network/reach_file.h"
#include "shell/session.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"
#include "support/session_rig.h"
#include "swmm/model_writer.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;
using network::TramoT;

const std::string kBar(1, static_cast<char>(179));
const std::string kOn = "\x1bG";
const std::string kOff = "\x1bH";

std::string ReadBytes(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A designed project AB1 made through the batch verbs, and its listings written to files.
class DesignListings : public cli::BatchProjectTest {
  protected:
    void Designed(int horizontal = 3, int vertical = 3) {
        ASSERT_EQ(
            batch({"--project", "AB1", "config", "--texto", "correo=a@b.co", "--texto",
                   "pais=Colombia", "--texto", "entidad=Empresa", "--texto", "proyecto=Barrio",
                   "--texto", "fecha=2026", "--texto", "consultor=Yo", "--yes"})
                .rc,
            0);
        ASSERT_EQ(batch({"--project", "AB1", "simulate", "--horizontal", std::to_string(horizontal),
                         "--vertical", std::to_string(vertical), "--yes"})
                      .rc,
                  0);
        Redesign();
    }
    void Redesign() {
        const cli::BatchOutcome c = batch({"--project", "AB1", "controls", "--yes"});
        ASSERT_EQ(c.rc, 0) << c.out << c.err;
        const cli::BatchOutcome d = batch({"--project", "AB1", "design", "--yes"});
        ASSERT_EQ(d.rc, 0) << d.out << d.err;
        network::TramoFile f;
        ASSERT_TRUE(f.Open(Zsdb().string()));
        reaches_ = f.count();
        f.Close();
    }

    fs::path Folder() const {
        for (const auto& e : fs::recursive_directory_iterator(base_ / "projects"))
            if (e.path().filename() == "XSDA.AB1") return e.path().parent_path();
        return {};
    }
    fs::path Zsdb() const { return Folder() / "ZSDB.AB1"; }

    // Changes records of the design copy in place.
    void Patch(int line, const std::function<void(TramoT&)>& change) {
        network::TramoFile f;
        ASSERT_TRUE(f.Open(Zsdb().string()));
        TramoT t;
        ASSERT_TRUE(f.Read(line, t));
        change(t);
        ASSERT_TRUE(f.Write(line, t));
        ASSERT_TRUE(f.Close());
    }
    // A copy of line `from`, changed, appended after the last record.
    void Append(int from, const std::function<void(TramoT&)>& change) {
        network::TramoFile f;
        ASSERT_TRUE(f.Open(Zsdb().string()));
        TramoT t;
        ASSERT_TRUE(f.Read(from, t));
        change(t);
        ASSERT_TRUE(f.Write(f.count() + 1, t));
        ASSERT_TRUE(f.Close());
    }
    void Criteria(const std::function<void(shell::ProyectoT&, specs::EspecT&)>& change) {
        shell::ControlFile file;
        ASSERT_TRUE(file.Open((Folder() / "XSDA.AB1").string()));
        shell::ProyectoT h;
        specs::EspecT e;
        std::string error;
        ASSERT_TRUE(specs::LoadDesignCriteria(file, h, e, &error)) << error;
        change(h, e);
        ASSERT_TRUE(specs::SaveRecords(file, h, e, {0, 1, 2, 3, 4, 5}));
        file.Close();
    }

    struct Listing {
        int rc = 0;
        std::string err;
        std::string text;  // the listing file's bytes; empty when none was written
    };
    Listing List(const std::string& key, std::vector<std::string> extra = {"--min-size", "0"}) {
        const fs::path out = base_ / ("listing-" + key + ".txt");
        fs::remove(out);
        std::vector<std::string> args = {"--project", "AB1", "list", key, "--out", out.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const cli::BatchOutcome r = batch(args);
        Listing l{r.rc, r.err, fs::exists(out) ? ReadBytes(out) : std::string()};
        return l;
    }

    // The body row of a record: the line that holds its line cell.
    static std::string Row(const std::string& text, int line) {
        char cell[16];
        std::snprintf(cell, sizeof cell, "%4d ", line);
        const std::string start = kBar + cell + kBar;
        for (const std::string& l : SplitLines(text))
            if (l.find(start) != std::string::npos) return l;
        return "<no row " + std::to_string(line) + ">";
    }
    static int Rows(const std::string& text) {
        int n = 0;
        for (int line = 1; line <= 10000; ++line) {
            if (Row(text, line).rfind("<no row", 0) == 0) break;
            ++n;
        }
        return n;
    }

    fs::path SwmmFolder() const { return base_ / "projects" / "00 Archivos Swmm"; }
    void WriteFile(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string ReportName() const { return "SWMM - AB1-BARRIO - Sector#1.rpt"; }

    int reaches_ = 0;
};

// ---- Hydraulic design ----

TEST_F(DesignListings, HydraulicListingHasTheDesignHeaderEveryReachAndTheNotes) {
    Designed();
    const Listing l = List("7C");
    ASSERT_EQ(l.rc, 0) << l.err;
    const std::vector<std::string> lines = SplitLines(l.text);
    // W 127 at the margin 9: five empty lines, then the design header.
    ASSERT_GT(lines.size(), 20u);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(lines[static_cast<size_t>(k)], "");
    EXPECT_EQ(lines[5], kOn + std::string(9 + (127 - 7) / 2, ' ') + "EMPRESA");
    const std::string m(9, ' ');
    EXPECT_EQ(lines[6].rfind(m + cp("< DISEÑO HIDRAULICO >"), 0), 0u) << lines[6];
    EXPECT_EQ(lines[6].size(), 136u);
    EXPECT_EQ(lines[6].substr(136 - 9), "HOJA No 1");
    EXPECT_NE(lines[6].find("2026"), std::string::npos);
    EXPECT_EQ(lines[7].rfind(m + "PROYECTO: BARRIO", 0), 0u) << lines[7];
    EXPECT_NE(lines[7].find("METODO FLUJO UNIFORME"), std::string::npos);
    EXPECT_EQ(lines[7].substr(lines[7].size() - 13), "CONSULTOR: YO");
    EXPECT_EQ(lines[7].size(), 136u);
    EXPECT_EQ(lines[8], m + std::string(127, static_cast<char>(205)));
    EXPECT_EQ(lines[9].rfind(kOff + m + "Programa [ N I V E X ]", 0), 0u) << lines[9];
    EXPECT_EQ(lines[9].substr(lines[9].size() - 17), "version [ 20.12 ]");
    EXPECT_EQ(lines[10], m + "Convenciones tramos: T.E. = existente  N.I. = no investigado  T.R. = "
                             "definido proyectista  E.E. =  empalmado: usa espec.minimas");
    EXPECT_EQ(lines[11].rfind(m + "Tipo: sanitario por areas", 0), 0u) << lines[11];
    EXPECT_EQ(lines[11].substr(lines[11].size() - 36), cp("Conducto: Tuberia o Ducto Cuadrado ▀"));
    // The heading's box is as wide as the page.
    EXPECT_EQ(lines[12].size(), 136u);
    EXPECT_NE(l.text.find(cp("│linea│ de  │  a  │ maximo │minimo │")), std::string::npos);

    EXPECT_EQ(Rows(l.text), reaches_);
    const std::string first = Row(l.text, 1);
    EXPECT_EQ(first.size(), 9u + 127u + 2u * static_cast<size_t>(Count(first, "\x1b")));
    EXPECT_NE(l.text.find(cp(" NOTAS: \r\n" + m +
                             "        <**> la profundidad minima a clave define el diseño.   Los "
                             "datos resaltados son los que definen el diseño de un tramo.\r\n")),
              std::string::npos);
    EXPECT_EQ(l.text.find("nan"), std::string::npos);
}

TEST_F(DesignListings, FullFlowOf101PercentIsEmphasisedWithoutTheDepthMark) {
    Designed();
    auto flows = [](float q, float q0) {
        return [q, q0](TramoT& t) {
            t.Class = network::kClassNew;
            JunctionMark(t) = 0;
            NewInitialManhole(t) = 0;
            DesignFlow(t) = q;
            FullFlowQ0(t) = q0;
        };
    };
    Patch(1, flows(100, 101));
    Patch(2, flows(100, 103));
    const Listing l = List("7C");
    ASSERT_EQ(l.rc, 0) << l.err;
    const std::string one = Row(l.text, 1), two = Row(l.text, 2);
    EXPECT_NE(one.find(kOn + "  100.00" + kBar + kOff), std::string::npos) << toUtf8(one);
    EXPECT_NE(one.find(kOn + "  101.00" + kBar + kOff), std::string::npos) << toUtf8(one);
    EXPECT_EQ(one.find("<**>"), std::string::npos) << toUtf8(one);
    // The observation of a reach whose flow decides: five blanks, no state, no type.
    EXPECT_EQ(one.substr(one.size() - 27), std::string(26, ' ') + kBar) << toUtf8(one);

    EXPECT_NE(two.find(kOn + "<**> " + kOff), std::string::npos) << toUtf8(two);
    EXPECT_EQ(two.find(kOn + "  100.00"), std::string::npos) << toUtf8(two);
    EXPECT_NE(two.find(kBar + "  100.00" + kBar), std::string::npos) << toUtf8(two);
}

TEST_F(DesignListings, ObservationsShowCapacityReliefTypesAndTheAddedManhole) {
    Designed();
    Patch(1, [](TramoT& t) {
        DesignFlow(t) = 50;
        FullFlowQ0(t) = 40;  // below 99 %
    });
    Patch(2, [](TramoT& t) { NewInitialManhole(t) = 1; });
    Patch(3, [](TramoT& t) {
        t.Class = network::kClassExisting;
        t.Type = 2;
    });
    Patch(4, [](TramoT& t) {
        t.Type = network::kTypeToSector;
        t.Sector = 3;
    });
    Patch(5, [](TramoT& t) {
        t.Class = network::kClassRestricted;
        t.Type = 3;
    });
    const Listing l = List("7C");
    ASSERT_EQ(l.rc, 0) << l.err;
    // Short of capacity: the flow decides, no depth mark.
    EXPECT_NE(Row(l.text, 1).find(kBar + "     falta capac.         " + kBar), std::string::npos)
        << toUtf8(Row(l.text, 1));
    EXPECT_NE(Row(l.text, 2).find("Poner Pozo Inic Nuevo" + kBar), std::string::npos);
    EXPECT_NE(Row(l.text, 3).find(kOn + "T.E. " + kOff + std::string(13, ' ') + " vertim." + kBar),
              std::string::npos)
        << toUtf8(Row(l.text, 3));
    EXPECT_NE(Row(l.text, 4).find("A SEC  3" + kBar), std::string::npos);
    EXPECT_NE(Row(l.text, 5).find(kOn + "T.R. " + kOff), std::string::npos);
    EXPECT_NE(Row(l.text, 5).find("e.bombas" + kBar), std::string::npos);
}

TEST_F(DesignListings, ReliefFlowIsAddedInTheClassesThatSpill) {
    Designed();
    Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
        h.DesignClass = 3;
        e.SystemKind = 3;
    });
    Patch(6, [](TramoT& t) {
        t.Class = network::kClassNew;
        t.ReliefFactor = 1.5f;
        DesignFlow(t) = 20;
        FullFlowQ0(t) = 40;
        StormSpilled(t) = 4;
        SanitarySpilled(t) = 1.25f;
        NewInitialManhole(t) = 0;
    });
    const Listing l = List("7C");
    ASSERT_EQ(l.rc, 0) << l.err;
    const std::string row = Row(l.text, 6);
    EXPECT_NE(row.find(kBar + "   25.25" + kBar), std::string::npos) << toUtf8(row);
    EXPECT_NE(row.find(" ALIVIO =    5.25 l/s" + kBar), std::string::npos) << toUtf8(row);
    EXPECT_NE(l.text.find("Tipo: combinado (Metodo Racional)"), std::string::npos);
}

TEST_F(DesignListings, MinimumCollectorSizeSelectsTheMainCollectors) {
    Designed();
    Patch(5, [](TramoT& t) { t.Diameter = 250; });
    EXPECT_EQ(Rows(List("7C").text), reaches_);
    const Listing main = List("7C", {"--min-size", "250"});
    ASSERT_EQ(main.rc, 0) << main.err;
    EXPECT_EQ(Row(main.text, 5).rfind("<no row", 0), std::string::npos);
    EXPECT_EQ(Row(main.text, 1).rfind("<no row", 0), 0u);
    EXPECT_EQ(Count(main.text, kBar + "   5 " + kBar), 1);

    const Listing none = List("7D", {"--min-size", "251"});
    EXPECT_NE(none.rc, 0);
    EXPECT_TRUE(none.text.empty());
    EXPECT_NE(none.err.find("No hay nada para imprimir en el rango seleccionado"),
              std::string::npos)
        << none.err;
    EXPECT_FALSE(fs::exists(Folder() / "LPT"));
}

TEST_F(DesignListings, OnlyTheSheetsAskedForAreWritten) {
    Designed(9, 9);
    // 72 rows a sheet: three sheets.
    ASSERT_GT(reaches_, 144);
    ASSERT_LE(reaches_, 216);
    const Listing all = List("7C");
    ASSERT_EQ(all.rc, 0);
    EXPECT_EQ(Count(all.text, "HOJA No "), 3);
    EXPECT_EQ(Count(all.text, std::string(1, '\x13')), 3);
    const Listing second = List("7C", {"--min-size", "0", "--from", "2", "--to", "2"});
    ASSERT_EQ(second.rc, 0) << second.err;
    EXPECT_EQ(Count(second.text, "HOJA No "), 1);
    EXPECT_NE(second.text.find("HOJA No 2"), std::string::npos);
    EXPECT_EQ(second.text.find("NOTAS"), std::string::npos);
    EXPECT_EQ(Row(second.text, 1).rfind("<no row", 0), 0u);
    EXPECT_EQ(Count(second.text, std::string(1, '\x13')), 1);
    // Every sheet holds 89 lines, then the line that closes its table and the footer.
    const std::vector<std::string> lines = SplitLines(all.text);
    ASSERT_GT(lines.size(), 92u);
    EXPECT_NE(Row(all.text, 72).find(kBar), std::string::npos);
    EXPECT_EQ(lines[88], Row(all.text, 72));
    EXPECT_EQ(lines[89].rfind(std::string(9, ' ') + static_cast<char>(192), 0), 0u);
    EXPECT_EQ(lines[90].rfind(kOn, 0), 0u);
    EXPECT_EQ(lines[91], kOff + "\x13");
}

// ---- Physical design ----

TEST_F(DesignListings, DropChambersByTheDiameterOfTheReach) {
    Designed();
    auto drop = [](float d) {
        return [d](TramoT& t) {
            t.Class = network::kClassNew;
            t.Type = 0;
            t.Diameter = d;
            DropHeight(t) = 0.6f;
            DropPipeDiameter(t) = d;
            DropChambers(t) = 0;
            JunctionMark(t) = 0;
            NewInitialManhole(t) = 0;
            t.ReliefFactor = 0;
        };
    };
    Patch(1, drop(1200));
    Patch(2, drop(600));
    Patch(3, drop(900));
    Patch(4, [](TramoT& t) {
        DropKind(t) = 3;
        DropChambers(t) = 2;
    });
    Patch(7, [](TramoT& t) { DropChambers(t) = 1; });
    const Listing l = List("7D");
    ASSERT_EQ(l.rc, 0) << l.err;
    EXPECT_NE(Row(l.text, 1).find(" 0.60" + kBar + "1200" + kBar), std::string::npos)
        << toUtf8(Row(l.text, 1));
    EXPECT_NE(Row(l.text, 1).find("c.c.especial " + std::string(8, ' ') + kBar), std::string::npos)
        << toUtf8(Row(l.text, 1));
    EXPECT_NE(Row(l.text, 2).find("c.c.baj.tubo " + std::string(8, ' ') + kBar), std::string::npos)
        << toUtf8(Row(l.text, 2));
    EXPECT_NE(Row(l.text, 3).find("c.c.baj.tubo "), std::string::npos);
    EXPECT_NE(Row(l.text, 4).find("2 C.C.interm. "), std::string::npos) << toUtf8(Row(l.text, 4));
    EXPECT_NE(Row(l.text, 7).find("faltan 1 C.C."), std::string::npos) << toUtf8(Row(l.text, 7));
    // No drop: the dashes of both drop cells.
    EXPECT_NE(Row(l.text, 5).find(kBar + " --  " + kBar + " ---" + kBar), std::string::npos);
    EXPECT_NE(l.text.find(cp("        <**> la profundidad minima a clave define el diseño. Puede "
                             "ser la profundidad minima general o especfica para el tramo.")),
              std::string::npos);
    EXPECT_NE(l.text.find(cp("< DISEÑO FISICO >")), std::string::npos);
    // W 128: the margin 8 and the conventions with their blank before the colon.
    EXPECT_NE(l.text.find(std::string(8, ' ') + "Convenciones tramos : T.E."), std::string::npos);
}

// ---- Bad input ----

TEST_F(DesignListings, ZeroDiametersLengthsAndFlowsShowDashes) {
    Designed();
    Patch(1, [](TramoT& t) {
        t.Diameter = 0;
        t.Length = 0;
        t.Slope = 0;
        DesignFlow(t) = 0;
        FullFlowQ0(t) = 0;
        FullVelocityV0(t) = 0;
        RelativeDepth(t) = 0;
        RealVelocity(t) = 0;
        SanitaryMin(t) = 0;
    });
    Patch(2, [](TramoT& t) {
        FullFlowQ0(t) = std::numeric_limits<float>::quiet_NaN();
        RealVelocity(t) = std::numeric_limits<float>::infinity();
        DesignFlow(t) = 1e12f;
    });
    for (const char* key : {"7C", "7D", "7E", "7F"}) {
        const Listing l = List(key);
        ASSERT_EQ(l.rc, 0) << key << l.err;
        EXPECT_EQ(l.text.find("nan"), std::string::npos) << key;
        EXPECT_EQ(l.text.find("<E"), std::string::npos) << key;
    }
    const std::string c = Row(List("7C").text, 1);
    EXPECT_NE(c.find(kBar + "   ---  " + kBar + "  ---  " + kBar), std::string::npos) << toUtf8(c);
    EXPECT_NE(c.find(kBar + "  --  " + kBar + " 0.000" + kBar + "   ---  " + kBar + " 0.00 " +
                     kBar + " -- " + kBar + " --  " + kBar),
              std::string::npos)
        << toUtf8(c);
    const std::string c2 = Row(List("7C").text, 2);
    EXPECT_NE(c2.find(kBar + "********" + kBar), std::string::npos) << toUtf8(c2);
    const std::string d = Row(List("7D").text, 1);
    EXPECT_NE(d.find(kBar + "   ---  " + kBar + "  --  " + kBar), std::string::npos) << toUtf8(d);
}

TEST_F(DesignListings, ADesignCopyThatNoLongerMatchesTheNetworkIsNotListed) {
    Designed();
    const std::string full = ReadBytes(Zsdb());
    // One record short of the control record's count.
    WriteFile(Zsdb(), full.substr(0, full.size() - network::kTramoSize));
    Listing l = List("7C");
    EXPECT_NE(l.rc, 0);
    EXPECT_TRUE(l.text.empty());
    EXPECT_NE(l.err.find("... Falta hacer o repetir el diseño del proyecto ..."), std::string::npos)
        << l.err;
    // The records of another network: they do not carry the numbers of this one.
    WriteFile(Zsdb(), full);
    Patch(3, [](TramoT& t) { OwnRecord(t) = 9; });
    l = List("7D");
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("Falta hacer o repetir el diseño"), std::string::npos) << l.err;
    // A new reach after the network is none the design took out.
    WriteFile(Zsdb(), full);
    Append(1, [](TramoT& t) { t.Class = network::kClassNew; });
    EXPECT_NE(List("7E").rc, 0);
    // No design copy at all.
    fs::remove(Zsdb());
    l = List("7G");
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("Falta hacer o repetir el diseño"), std::string::npos) << l.err;
    EXPECT_FALSE(fs::exists(Zsdb()));
}

TEST_F(DesignListings, ADesignNotDoneIsNotListed) {
    ASSERT_EQ(
        batch({"--project", "AB1", "simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc,
        0);
    // The menu refuses the design listings before the listing module is reached.
    const Listing l = List("7C");
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("... Falta hacer los controles de calidad ..."), std::string::npos)
        << l.err;
    EXPECT_TRUE(l.text.empty());
}

// ---- Rows that are not designed here ----

TEST_F(DesignListings, RemovedReachesFollowTheNetworkUnderTheirOwnTitle) {
    Designed();
    Append(3, [](TramoT& t) {
        t.Class = network::kClassExisting;
        DesignFlow(t) = 10;
        FullFlowQ0(t) = 5;
    });
    Append(4, [](TramoT& t) {
        t.Class = network::kClassRestricted;
        t.RemoveExisting = 1;
    });
    const int first = reaches_ + 1;
    for (const char* key : {"7C", "7D"}) {
        const Listing l = List(key);
        ASSERT_EQ(l.rc, 0) << l.err;
        EXPECT_NE(l.text.find("< TRAMOS EXISTENTES O RESTRINGIDOS ELIMINADOS >"), std::string::npos)
            << key;
        const size_t indent = std::string(key) == "7C" ? 12 : 13;  // widths 127 and 128
        EXPECT_NE(l.text.find(kBar + std::string(indent, ' ') +
                              "TRAMOS ELIMINADOS POR FALTA DE CAPACIDAD O ESTAR MUY "
                              "SUPERFICIALES PARA EL EMPALME POR TRAMOS NUEVOS"),
                  std::string::npos)
            << key;
        EXPECT_NE(Row(l.text, first).find(kOn + "T.E. " + kOff + "le falta capacidad   " + kBar),
                  std::string::npos)
            << toUtf8(Row(l.text, first));
        EXPECT_NE(
            Row(l.text, first + 1).find(kOn + "T.R. " + kOff + "eliminado manualmente" + kBar),
            std::string::npos)
            << toUtf8(Row(l.text, first + 1));
        // The removed part starts a sheet of its own.
        EXPECT_EQ(Count(l.text, "HOJA No "), 2) << key;
    }
    const Listing flows = List("7E");
    ASSERT_EQ(flows.rc, 0);
    EXPECT_EQ(Rows(flows.text), reaches_ + 2);
}

TEST_F(DesignListings, AReachFromAnotherSectorSaysWhereItComesFrom) {
    Designed();
    Patch(1, [](TramoT& t) {
        t.Class = network::kClassNotInvestigated;
        t.Type = network::kTypeFromSector;
        t.Sector = 2;
    });
    EXPECT_NE(Row(List("7C").text, 1).find(" << LLEGA DE SECTOR  2 >> " + kBar), std::string::npos);
    EXPECT_NE(Row(List("7D").text, 1).find(" << LLEGA DE SECTOR  2 >> " + kBar), std::string::npos);
    const std::string e = Row(List("7E").text, 1);
    EXPECT_NE(e.find("  1 " + kBar + "    <<     LLEGA  DE  SECTOR   2     >>    " + kBar),
              std::string::npos)
        << toUtf8(e);
    EXPECT_NE(Row(List("7F").text, 1).find(kBar + "<< LLEGA DE SECTOR  2 >>" + kBar),
              std::string::npos);
}

// ---- Flows ----

TEST_F(DesignListings, SanitaryFlowsOfEveryReachAndTheStormFormInClassFour) {
    Designed();
    const Listing l = List("7E", {});
    ASSERT_EQ(l.rc, 0) << l.err;
    EXPECT_NE(l.text.find(cp("< CAUDALES SANITARIOS >")), std::string::npos);
    EXPECT_EQ(l.text.find("Convenciones"), std::string::npos);
    EXPECT_EQ(l.text.find(cp("Conducto: Tuberia")), std::string::npos);
    EXPECT_EQ(Rows(l.text), reaches_);
    // The zone, its unit values and the accumulated flows of the first reach.
    EXPECT_NE(Row(l.text, 1).find(kBar + "  1 " + kBar + " 0.3200 " + kBar), std::string::npos)
        << toUtf8(Row(l.text, 1));
    EXPECT_NE(l.text.find("hab/Ha."), std::string::npos);

    Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
        h.DesignClass = 4;
        e.SystemKind = 4;
    });
    const Listing storm = List("7E", {});
    ASSERT_EQ(storm.rc, 0) << storm.err;
    EXPECT_NE(storm.text.find("< CAUDALES PLUVIALES >"), std::string::npos);
    EXPECT_NE(storm.text.find("Tipo: pluvial (Metodo Racional)"), std::string::npos);
}

// ---- Energy junctions ----

TEST_F(DesignListings, EnergyJunctionsListEveryTributary) {
    Designed();
    EXPECT_NE(List("7G", {}).rc, 0);  // no energy junctions in this design
    Criteria([](shell::ProyectoT&, specs::EspecT& e) { e.EnergyJunctionDiameter = 100; });
    Redesign();
    const Listing l = List("7G", {});
    ASSERT_EQ(l.rc, 0) << l.err;
    EXPECT_NE(l.text.find("< EMPALMES DE ENERGIA >"), std::string::npos);
    EXPECT_NE(l.text.find("EEE = empalme con existente exige espec. minim. DE = diametro excluido"),
              std::string::npos);
    int tributaries = 0;
    std::vector<std::pair<int, int>> joins;  // tributary, receiver
    {
        network::TramoFile f;
        ASSERT_TRUE(f.Open(Zsdb().string()));
        for (int k = 1; k <= f.count(); ++k) {
            TramoT t;
            ASSERT_TRUE(f.Read(k, t));
            if (ReceiverRecord(t) > 0) {
                ++tributaries;
                joins.emplace_back(k, ReceiverRecord(t));
            }
        }
        f.Close();
    }
    EXPECT_GT(tributaries, 0);
    EXPECT_EQ(Count(l.text, "OK" + kBar) + Count(l.text, "?." + kBar), tributaries);
    EXPECT_EQ(Count(l.text, "?." + kBar), 0);
    // The energy values of the first junction.
    EXPECT_EQ(Row(l.text, joins[0].first).find("  ---  " + kBar), std::string::npos)
        << toUtf8(Row(l.text, joins[0].first));

    // An energy deficit fails the rules; a receiver not above the limit is excluded.
    ASSERT_GE(joins.size(), 2u);
    Patch(joins[0].first, [](TramoT& t) { EnergySurplus(t) = -0.05f; });
    int other = -1;
    for (const auto& [t, r] : joins)
        if (r != joins[0].second) other = t;
    ASSERT_GT(other, 0);
    int receiver = 0;
    for (const auto& [t, r] : joins)
        if (t == other) receiver = r;
    Patch(receiver, [](TramoT& t) { t.Diameter = 90; });
    const Listing faults = List("7G", {});
    ASSERT_EQ(faults.rc, 0) << faults.err;
    const std::string failed = Row(faults.text, joins[0].first);
    EXPECT_NE(failed.find(kBar + "-0.05" + kBar), std::string::npos) << toUtf8(failed);
    EXPECT_EQ(failed.substr(failed.size() - 7), ".?." + kBar + "?." + kBar) << toUtf8(failed);
    const std::string excluded = Row(faults.text, other);
    EXPECT_EQ(excluded.substr(excluded.size() - 7), " DE" + kBar + "OK" + kBar) << toUtf8(excluded);

    const std::vector<std::string> lines = SplitLines(l.text);
    for (const std::string& line : lines)
        if (line.find("OK" + kBar) != std::string::npos) {
            EXPECT_EQ(line.size(), 11u + 123u) << toUtf8(line);  // W 123 at the margin 11
        }
}

// ---- Initial manholes added ----

TEST_F(DesignListings, AddedInitialManholesThreeToARow) {
    Designed();
    Listing l = List("7H", {});
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("No existen pozos iniciales nuevos"), std::string::npos) << l.err;
    for (int line : {1, 5, 7, 9})
        Patch(line, [](TramoT& t) { NewInitialManhole(t) = 1; });
    l = List("7H", {});
    ASSERT_EQ(l.rc, 0) << l.err;
    EXPECT_NE(l.text.find(cp(
                  "RELACION DE TRAMOS INICIALES CON POZOS NUEVOS ADICIONADOS DURANTE EL DISEÑO")),
              std::string::npos);
    const std::string gap(11, ' ');
    EXPECT_NE(l.text.find(cp("│ linea │ t  r  a  m  o │") + gap), std::string::npos);
    EXPECT_NE(l.text.find(cp("│    1  │ 1     │ 2     │") + gap + cp("│    5  │ 1A    │ 5     │") +
                          gap + cp("│    7  │ 2A    │ 6     │\r\n")),
              std::string::npos)
        << toUtf8(l.text);
    EXPECT_NE(l.text.find(cp("│    9  │ 3A    │ 7     │") + gap + cp("│  ---  │  ---  │  ---  │") +
                          gap + cp("│  ---  │  ---  │  ---  │\r\n")),
              std::string::npos);
}

// ---- Hydraulic-model forms ----

TEST_F(DesignListings, ClassSixGivesTheModelFormOnceTheModelRan) {
    Designed();
    Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
        h.DesignClass = 6;
        e.SystemKind = 3;
    });
    Listing l = List("7C");
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("Primero debe hacer la Revision con SWMM en menu Diseños"),
              std::string::npos)
        << l.err;
    WriteFile(SwmmFolder() / ReportName(), "report\n");
    l = List("7C");
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("Primero debe correr el Reporte SWMM en menu Lst. Diseño"),
              std::string::npos)
        << l.err;
    WriteFile(Folder() / "Swm", "report\n");
    WriteFile(Folder() / "MaxFullFlow", "  0.85\n0.5\n");
    WriteFile(Folder() / "DepthSwmm", "0.62\n");
    WriteFile(Folder() / "VelSwmm", "1.25\nxx\n");
    WriteFile(Folder() / "NodeFSwmm", "4\n");
    l = List("7C");
    ASSERT_EQ(l.rc, 0) << l.err;
    EXPECT_NE(l.text.find(cp("< DISEÑO HIDRAULICO >")), std::string::npos);
    EXPECT_NE(l.text.find("SWMM ONDA DINAMICA"), std::string::npos);
    EXPECT_NE(l.text.find("Tipo: combinado (Bloques Alternados)"), std::string::npos);
    EXPECT_NE(l.text.find("inundacion"), std::string::npos);
    // The ends named as the model names them (head nodes are renamed there).
    std::vector<TramoT> records;
    {
        network::TramoFile f;
        ASSERT_TRUE(f.Open(Zsdb().string()));
        for (int k = 1; k <= f.count(); ++k) {
            TramoT t;
            ASSERT_TRUE(f.Read(k, t));
            records.push_back(t);
        }
        f.Close();
    }
    specs::EspecT espec;
    Criteria([&](shell::ProyectoT&, specs::EspecT& e) { espec = e; });
    const swmm::SwmmModel model = swmm::BuildSwmmModel(records, espec, 6);
    ASSERT_EQ(model.links.size(), records.size());
    ASSERT_NE(model.links[0].inlet, records[0].Upstream);
    const std::string one = Row(l.text, 1);
    EXPECT_NE(one.find(kBar + cells::Text(model.links[0].inlet, 7) + "2      " + kBar),
              std::string::npos)
        << toUtf8(one);
    EXPECT_NE(one.find(kBar + "0.85" + kBar + "0.62" + kBar + "   1.25 " + kBar), std::string::npos)
        << toUtf8(one);
    // Past the end of the result files, and a line that is no number: dashes.
    const std::string two = Row(l.text, 2);
    EXPECT_NE(two.find(kBar + "0.50" + kBar + " -- " + kBar + "   ---  " + kBar), std::string::npos)
        << toUtf8(two);
    // The flooded manhole 4 at the end of reach 3 and the start of reach 4.
    EXPECT_NE(Row(l.text, 3).find(kBar + "     " + kBar + " SI  " + kBar), std::string::npos);
    EXPECT_NE(Row(l.text, 4).find(kBar + " SI  " + kBar + "     " + kBar), std::string::npos);
    EXPECT_EQ(Rows(l.text), reaches_);

    // Only the reaches at a flooded manhole.
    const Listing flooded = List("7J", {});
    ASSERT_EQ(flooded.rc, 0) << flooded.err;
    EXPECT_EQ(Row(flooded.text, 1).rfind("<no row", 0), 0u);
    EXPECT_NE(Row(flooded.text, 3).find(" SI  "), std::string::npos);
    EXPECT_NE(Row(flooded.text, 4).find(" SI  "), std::string::npos);
    EXPECT_EQ(Count(flooded.text, " SI  "), 2);
    EXPECT_NE(flooded.text.find(cp("< DISEÑO HIDRAULICO PARA SWMM - Solo inundados >")),
              std::string::npos);
    const Listing physical = List("7K", {});
    ASSERT_EQ(physical.rc, 0) << physical.err;
    EXPECT_NE(Row(physical.text, 3).find(kBar + "3      " + kBar + "4      " + kBar),
              std::string::npos)
        << toUtf8(Row(physical.text, 3));
    EXPECT_EQ(Row(physical.text, 5).rfind("<no row", 0), 0u);
    EXPECT_EQ(Rows(List("7N").text), reaches_);

    fs::remove(Folder() / "NodeFSwmm");
    l = List("7K", {});
    EXPECT_NE(l.rc, 0);
    EXPECT_NE(l.err.find("No hay nada para revisar en los perfiles"), std::string::npos) << l.err;
}

// ---- Page header ----

class DesignListingHeader : public ::testing::Test, protected testing::SessionRig {
  protected:
};

TEST_F(DesignListingHeader, ThreeTextsAndTheSectorOfAProjectWithSectors) {
    shell::ProyectoT& h = session.project.header;
    h.Entity = "ACUEDUCTO";
    h.ProjectName = "BARRIO CENTRAL CON UN NOMBRE QUE ES MUY LARGO";
    h.ProjectDate = "MAYO 2026";
    h.Consultant = "INGENIERO";
    h.DesignClass = 7;
    session.project.espec.SwmmRouting = 1;
    session.project.selection.sectors = "3";
    session.project.selection.sectorNumber = 2;
    const auto lines = DesignHeaderLines(session, HeaderKind::Junctions, "< T >", 123, 12);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], std::string((123 - 9) / 2, ' ') + "ACUEDUCTO");
    EXPECT_EQ(lines[1].size(), 123u);
    EXPECT_EQ(lines[1].substr(0, 5), "< T >");
    EXPECT_EQ(lines[1].substr(123 - 10), "HOJA No 12");
    // The date centred in the space between the title and the sheet.
    EXPECT_EQ(lines[1].find("MAYO 2026"), 5u + (123 - 5 - 10 - 9) / 2);
    EXPECT_EQ(lines[2].rfind("PROYECTO: BARRIO CENTRAL CON UN NOMBRE QUE ES - sector # 2", 0), 0u)
        << lines[2];
    EXPECT_NE(lines[2].find("SWMM ONDA CINEMATICA"), std::string::npos);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 20), "CONSULTOR: INGENIERO");
    EXPECT_EQ(lines[5], "Tipo: pluvial (Bloques alternados)");
    EXPECT_EQ(lines[6], "EEE = empalme con existente exige espec. minim. DE = diametro excluido");
}

TEST_F(DesignListingHeader, ClassTextsAndMethods) {
    EXPECT_EQ(ClassText(1), "Tipo: sanitario por longitudes");
    EXPECT_EQ(ClassText(8), "Tipo: combinado (Hidrografo Swmm");
    EXPECT_EQ(ClassText(0), "");
    session.project.header.DesignClass = 5;
    EXPECT_EQ(MethodText(session), "METODO FLUJO UNIFORME");
    session.project.header.DesignClass = 9;
    session.project.espec.SwmmRouting = 2;
    EXPECT_EQ(MethodText(session), "SWMM FLUJO UNIFORME");
    session.project.espec.SwmmRouting = 0;
    EXPECT_EQ(MethodText(session), "SWMM ONDA DINAMICA");
}

TEST(DesignListingCells, PicturesDashesDuctsAndEmphasis) {
    using namespace cells;
    EXPECT_EQ(Number(12.345, "#####.##", "   ---  "), "   12.35" + kBar);
    EXPECT_EQ(Number(0, "#####.##", "   ---  "), "   ---  " + kBar);
    EXPECT_EQ(Number(123456, "#####.##", "   ---  ", " #######", 99999), "  123456" + kBar);
    EXPECT_EQ(Number(12.5, "#.##", "--- ", "##.#", 10), "12.5" + kBar);
    EXPECT_EQ(Number(1e9, "#.##", "--- "), "****" + kBar);
    EXPECT_EQ(Plain(0, "##.###"), " 0.000" + kBar);
    HydraulicCriteria c = DefaultCriteria();
    const float duct = c.sizes.firstDuctSize();
    ASSERT_TRUE(std::isfinite(duct));
    EXPECT_EQ(Size(c, 182), "  182 " + kBar);
    EXPECT_EQ(Size(c, 0), "  --  " + kBar);
    char expected[16];
    std::snprintf(expected, sizeof expected, " %4d", static_cast<int>(duct));
    EXPECT_EQ(Size(c, duct), std::string(expected) + static_cast<char>(223) + kBar);
    EXPECT_EQ(Emphasised("x" + kBar), kOn + "x" + kBar + kOff);
    EXPECT_EQ(SectorText(" << LLEGA DE SECTOR ## >> ", 12), " << LLEGA DE SECTOR 12 >> ");
}

TEST(DesignListingData, StartingSizeAndCopyProblems) {
    specs::EspecT e;
    e.MinSanitaryDiameter = 182;
    e.MinStormDiameter = 227;
    EXPECT_EQ(StartingCollectorSize(e), 182);
    e.MinSanitaryDiameter = 0;
    EXPECT_EQ(StartingCollectorSize(e), 227);
    e.MinSanitaryDiameter = 300;
    EXPECT_EQ(StartingCollectorSize(e), 227);

    std::vector<TramoT> records(2);
    OwnRecord(records[0]) = 1;
    OwnRecord(records[1]) = 2;
    EXPECT_EQ(DesignCopyProblem(records, 2), "");
    EXPECT_NE(DesignCopyProblem(records, 3), "");
    EXPECT_NE(DesignCopyProblem(records, 0), "");
    records[1].Class = network::kClassExisting;
    EXPECT_EQ(DesignCopyProblem(records, 1), "");  // a removed reach follows
    records[1].Class = network::kClassNew;
    EXPECT_NE(DesignCopyProblem(records, 1), "");
    EXPECT_EQ(ResultValue({"1.5", "", "x"}, 0), 1.5);
    EXPECT_EQ(ResultValue({"1.5", "", "x"}, 1), 0);
    EXPECT_EQ(ResultValue({"1.5", "", "x"}, 2), 0);
    EXPECT_EQ(ResultValue({"1.5"}, 9), 0);
}

// ---- Sub-menu and catalog ----

TEST_F(DesignListingHeader, SubMenuShowsTheListingsAndHandsAnotherChoiceBack) {
    std::string item;
    rig.pump.call([&] {
        for (int row = 1; row <= 25; ++row)
            item += rig.row(row) + "\n";
        rig.switches.menuKeyAccepted = true;
        rig.console.pushKey('5');
        rig.console.pushKey('A');
    });
    RunDesignListings(session);
    EXPECT_NE(toUtf8(item).find("[C] Diseño Hidraulico"), std::string::npos) << item;
    ASSERT_EQ(rig.console.takeKey(), std::optional<uint8_t>('5'));
    EXPECT_EQ(rig.console.takeKey(), std::optional<uint8_t>('A'));
}

TEST_F(DesignListingHeader, SubMenuBeepsAtATypedKeyAndLeavesWithEsc) {
    rig.pump.type("z");
    rig.pump.key(key::Esc);
    RunDesignListings(session);
    EXPECT_TRUE(rig.pump.done());
    EXPECT_EQ(rig.pump.beeps(), 1);
}

TEST(DesignListingCatalog, EveryDesignListingIsRegistered) {
    for (const char* key : {"7C", "7D", "7E", "7F", "7G", "7H", "7J", "7K", "7M", "7N"})
        EXPECT_NE(listings::FindListing(key), nullptr) << key;
    EXPECT_STREQ(listings::FindListing("7H")->title, "Pozos Iniciales Nuevos Adicionados");
}

}  // namespace
}  // namespace nivex::design
