#include "network/general_listings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "listings/listing_catalog.h"
#include "listings/number_format.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "shell/session.h"
#include "specs/criteria_store.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;

struct RecordingViewer : ui::ListingViewer {
    int shows = 0;
    std::string title, text;
    void ShowListing(const std::string& file, const std::string& t) override {
        ++shows;
        title = t;
        std::ostringstream bytes;
        bytes << std::ifstream(file, std::ios::binary).rdbuf();
        text = bytes.str();
    }
};

// A reach as the entry screen holds it: class 4 is a reach from another sector, type 4
// one that goes to another sector.
TramoT Reach(const std::string& up, const std::string& down) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.GroundUp = 100.5f;
    t.GroundDown = 100;
    t.Length = 50;
    t.Area = 0.3f;
    t.SanitaryZone = 1;
    return t;
}

class GeneralListings : public ::testing::Test, protected testing::SessionRig {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("nivex-general-listings-" + std::string(info->name()) +
                                            "-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        project::Project& p = session.project;
        p.selection.code = "AB";
        p.selection.sectors = "1";
        p.files.Build(dir_.string(), "AB1");
        session.viewer = &viewer;
        session.listing.rangePreset = true;  // every sheet, no box
        ASSERT_TRUE(p.OpenControl());
        p.header.ProjectName = "Barrio";
        ASSERT_TRUE(specs::InitialiseDesignCriteria(p.control, p.header, p.espec));
        p.header.DesignClass = 2;
        ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {}));
        p.CloseControl();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Network(const std::vector<TramoT>& reaches) {
        std::string error;
        ASSERT_TRUE(ReplaceNetwork(session.project, reaches, &error)) << error;
    }
    // Changes the stored criteria as the configuration and the screens would.
    void Criteria(const std::function<void(shell::ProyectoT&, specs::EspecT&)>& change) {
        project::Project& p = session.project;
        std::string error;
        ASSERT_TRUE(p.OpenControl());
        ASSERT_TRUE(specs::LoadDesignCriteria(p.control, p.header, p.espec, &error)) << error;
        change(p.header, p.espec);
        p.espec.SystemKind = specs::SystemKindOfClass(p.header.DesignClass);
        ASSERT_TRUE(specs::SaveRecords(p.control, p.header, p.espec, {1, 2, 3, 4, 5}));
        p.CloseControl();
    }
    void Class(int designClass) {
        Criteria([&](shell::ProyectoT& h, specs::EspecT&) { h.DesignClass = designClass; });
    }

    // The lines of the listing shown, without their margin.
    std::vector<std::string> Lines(int margin) const {
        std::vector<std::string> lines;
        std::string text = viewer.text;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find("\r\n", at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            if (line.compare(0, static_cast<size_t>(margin), std::string(margin, ' ')) == 0)
                line.erase(0, static_cast<size_t>(margin));
            lines.push_back(line);
            at = end + 2;
        }
        return lines;
    }
    bool HasLine(int margin, const std::string& utf8) const {
        for (const std::string& l : Lines(margin))
            if (l == cp(utf8)) return true;
        return false;
    }
    // The body line that begins as given.
    std::string LineStarting(int margin, const std::string& utf8) const {
        for (const std::string& l : Lines(margin))
            if (l.rfind(cp(utf8), 0) == 0) return toUtf8(l);
        return "<none>";
    }
    bool Shows(const std::string& utf8) const {
        return viewer.text.find(cp(utf8)) != std::string::npos;
    }

    fs::path dir_;
    RecordingViewer viewer;
};

constexpr int kMarginB = 10;  // page width 124
constexpr int kMarginC = 10;  // 125
constexpr int kMargin90 = 27;
constexpr int kMarginE = 24;  // 97

// ---- B ----

TEST_F(GeneralListings, GeneralDataPrintsValuesAndTheDashesOfAReachFromAnotherSector) {
    TramoT from = Reach("B", "C");
    from.Class = kScreenClassOtherSector;
    from.GroundUp = 99;
    from.GroundDown = 98;
    from.Length = 40;
    from.Area = 0.2f;
    from.CrownUp = 97;
    from.Diameter = 250;
    from.Slope = 1.5f;
    from.CrownDown = 96.4f;
    from.ManningN = 0.013f;
    TramoT existing = Reach("C", "D");
    existing.Class = kClassExisting;
    existing.CrownUp = 98.5f;
    existing.Diameter = 300;
    existing.Slope = 0.25f;
    existing.CrownDown = 98.25f;
    existing.ManningN = 0.013f;
    Network({Reach("A", "B"), from, existing});
    ListGeneralData(session);
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_EQ(viewer.title, cp("DATOS GENERALES DE LOS TRAMOS"));

    // One zone: the zone number is printed.
    EXPECT_EQ(LineStarting(kMarginB, "│   1│"),
              "│   1│A    │B    │ < 1> │  [--] │  ----  │  100.50│  100.00│   50.00│    0.30│ [0] "
              "│  ----- │  --- │  --- │  ----- │  ---- │");
    EXPECT_EQ(LineStarting(kMarginB, "│   2│"),
              "│   2│B    │C    │ <--> │  [--] │  ----  │  ----- │   98.00│  ----- │  ----- │ [4] "
              "│  ----- │  250 │  --- │   96.40│ 0.0130│");
    EXPECT_EQ(LineStarting(kMarginB, "│   3│"),
              "│   3│C    │D    │ < 1> │  [--] │  ----  │  100.50│  100.00│   50.00│    0.30│ [1] "
              "│   98.50│  300 │ 0.250│   98.25│ 0.0130│");
    EXPECT_TRUE(HasLine(kMarginB,
                        "  CLASES DE TRAMOS: [0] = Nuevo  [1] = Existente  [2] = "
                        "Restringido  [3] = No Investigado"));
    // The box spans the page width and is closed before the legend.
    const std::string bottom = LineStarting(kMarginB, "└");
    EXPECT_EQ(cp(bottom).size(), 124u);
}

TEST_F(GeneralListings, GeneralDataCaptionsAndColumnsFollowTheDesignClass) {
    TramoT t = Reach("A", "B");
    t.RainNumber = 2;
    t.Contribution = 1;
    Network({t});
    Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
        h.DesignClass = 5;  // mixed
        e.EquationCount = 2;
    });
    ListGeneralData(session);
    EXPECT_TRUE(Shows("│ecuac. │") && Shows("│pluvial│"));
    EXPECT_FALSE(Shows("│ serie │"));
    EXPECT_NE(LineStarting(kMarginB, "│   1│A    │B    │ < 1> │  [ 2] │a.negras│  100.50│"),
              "<none>");

    for (int hyetographs : {8, 9}) {
        Class(hyetographs);
        viewer = {};
        ListGeneralData(session);
        EXPECT_TRUE(Shows("│ serie │") && Shows("│hietog.│")) << hyetographs;
        EXPECT_FALSE(Shows("│ecuac. │")) << hyetographs;
    }
    // Sanitary by lengths: no storm number, no area.
    Class(1);
    viewer = {};
    ListGeneralData(session);
    EXPECT_NE(LineStarting(
                  kMarginB,
                  "│   1│A    │B    │ < 1> │  [--] │  ----  │  100.50│  100.00│   50.00│  ----- │"),
              "<none>");
}

TEST_F(GeneralListings, TenThousandReachesListInWellUnderASecond) {
    std::vector<TramoT> reaches;
    for (int k = 1; k <= kMaxLines; ++k)
        reaches.push_back(Reach("N" + std::to_string(k), "N" + std::to_string(k + 1)));
    Network(reaches);
    const auto start = std::chrono::steady_clock::now();
    ListGeneralData(session);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);
    EXPECT_NE(LineStarting(kMarginB, "│9999│"), "<none>");
    EXPECT_TRUE(Shows("HOJA No.134"));  // 75 rows a page
}

// ---- C ----

TEST_F(GeneralListings, SpecialDataObservationsAndTypes) {
    std::vector<TramoT> reaches;
    for (int type = 0; type <= 3; ++type)
        for (bool removed : {false, true}) {
            TramoT t = Reach("T" + std::to_string(type), removed ? "R" : "P");
            t.Type = type;
            t.RemoveExisting = removed ? 1.0f : 0.0f;
            reaches.push_back(t);
        }
    TramoT from = Reach("X", "Y");
    from.Class = kScreenClassOtherSector;
    from.Sector = 2;
    from.PointFlow = 12.5f;
    TramoT to = Reach("Y", "Z");
    to.Type = kScreenTypeToSector;
    to.Sector = 3;
    to.RemoveExisting = 1;
    reaches.push_back(from);
    reaches.push_back(to);
    Network(reaches);
    ListSpecialData(session);
    ASSERT_EQ(viewer.shows, 1);

    auto tail = [&](int line) {
        const std::string row = LineStarting(kMarginC, "│" + listings::FormatNumber(line, "####"));
        return row.substr(row.rfind("│ ["));
    };
    EXPECT_EQ(tail(1), "│ [0] │                        │");
    EXPECT_EQ(tail(2), "│ [0] │T.E. debe ser sustituido│");
    EXPECT_EQ(tail(3), "│ [1] │                emisario│");
    EXPECT_EQ(tail(4), "│ [1] │TE a sustituir  emisario│");
    EXPECT_EQ(tail(5), "│ [2] │                vertim. │");
    EXPECT_EQ(tail(6), "│ [2] │TE a sustituir  vertim. │");
    EXPECT_EQ(tail(7), "│ [3] │                e.bombas│");
    EXPECT_EQ(tail(8), "│ [3] │TE a sustituir  e.bombas│");
    EXPECT_EQ(tail(9), "│ [*] │         LLEGA SECTOR  2│");
    EXPECT_EQ(tail(10), "│ [4] │sustit.   VA A SECTOR  3│");
    // A reach from another sector keeps only its point flow.
    EXPECT_EQ(
        LineStarting(kMarginC, "│   9│"),
        "│   9│X    │Y    │  --- │  ----- │  --- │    12.50│  ------ │  ----- │  ---- │  ---- "
        "│  ---- │ [*] │         LLEGA SECTOR  2│");
    EXPECT_TRUE(HasLine(kMarginC,
                        "        TIPOS DE TRAMOS: [0] = Red  [1] = Emisario  [2] = "
                        "Vertimiento  [3] = Estacion de bombas"));
    EXPECT_TRUE(HasLine(kMarginC,
                        "           NOTA: Los tramos tipo 2 y 3 son finales de "
                        "subconjuntos hidraulicos. Al menos un tramo debe ser final"));
    EXPECT_EQ(cp(LineStarting(kMarginC, "└")).size(), 125u);
    EXPECT_TRUE(Shows("│  (Has)  │"));
}

TEST_F(GeneralListings, SpecialDataOfAStormNetwork) {
    TramoT t = Reach("A", "B");
    t.RasZone = 1;
    t.IndustrialVelocity = 0.6f;
    t.MinimumDepth = 1.2f;
    t.FutureArea = 0.45f;
    t.StormArea = 1.25f;
    t.StormAreaTime = 12.5f;
    t.Runoff = 0.6f;
    t.ReliefFactor = 2.5f;
    Network({t});
    Class(3);  // combined
    ListSpecialData(session);
    EXPECT_EQ(LineStarting(kMarginC, "│   1│"),
              "│   1│A    │B    │  SI  │  ----- │ 1.20 │  ------ │    0.45 │   1.25 │ 12.50 │  "
              "0.60 │  2.5  │ [0] │                        │");
    Class(1);  // sanitary by lengths: areas in hectometres
    viewer = {};
    ListSpecialData(session);
    EXPECT_TRUE(Shows("│  (Hm)   │"));
    EXPECT_NE(LineStarting(kMarginC, "│   1│A    │B    │  --- │   0.60 │"), "<none>");
}

// ---- D ----

TEST_F(GeneralListings, SummaryLeavesTheReachFromAnotherSectorOutOfAllButPointFlows) {
    TramoT a = Reach("A", "B");
    a.PointFlow = 1;
    TramoT b = Reach("B", "C");
    b.Class = kClassExisting;
    b.Length = 30;
    b.Area = 0.2f;
    b.FutureArea = 0.5f;
    TramoT from = Reach("X", "A");
    from.Class = kScreenClassOtherSector;
    from.Length = 40;
    from.Area = 0.7f;
    from.FutureArea = 9;
    from.PointFlow = 2.5f;
    Network({a, b, from});
    rig.ui.answers = {'S'};
    ListSummary(session);
    ASSERT_EQ(viewer.shows, 1);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].message, "Desea listar el resumen de los tramos ?");
    EXPECT_EQ(rig.ui.boxes[0].caption, "Confirmacion");

    const std::vector<std::string> expected = {
        "LONGITUDES EXACTAS - SIN REDONDEO AL METRO - (m) : ",
        "",
        "     Tramos nuevos               :        50.00",
        "     Tramos existentes           :        30.00",
        "     Tramos restringidos         :         0.00",
        "     Tramos no investigados      :         0.00",
        "                                   ------------",
        "     Longitud Total              :        80.00",
        "     Numero de tramos            :            3",
        "",
        "AREAS SANITARIAS (Has) : ",
        "",
        "     Suma area de las zonas      :         0.50",
        "     Areas futuras sanitarias    :         0.50",
        "            Area Sanitaria Total :         1.00",
        "",
        "CAUDALES PUNTUALES (l/s) : ",
        "",
        "              Caudales Puntuales :         3.50",
    };
    const std::vector<std::string> lines = Lines(kMargin90);
    auto first = std::find(lines.begin(), lines.end(), expected[0]);
    ASSERT_NE(first, lines.end());
    ASSERT_GE(lines.end() - first, static_cast<long>(expected.size()));
    EXPECT_EQ(std::vector<std::string>(first, first + static_cast<long>(expected.size())),
              expected);
    EXPECT_FALSE(Shows("Zona No."));
    EXPECT_FALSE(Shows("AREAS PLUVIALES"));
}

TEST_F(GeneralListings, SummaryByZonesAndEquations) {
    std::vector<TramoT> reaches;
    for (auto [zone, rain] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{0, 0}}) {
        TramoT t = Reach("A" + std::to_string(zone), "B");
        t.SanitaryZone = static_cast<float>(zone);
        t.RainNumber = rain;
        t.StormArea = 0.25f;
        reaches.push_back(t);
    }
    Network(reaches);
    Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
        h.DesignClass = 3;
        e.ZoneCount = 3;
        e.EquationCount = 2;
    });
    rig.ui.answers = {'S'};
    ListSummary(session);
    ASSERT_EQ(viewer.shows, 1);
    for (const char* line :
         {"     Zona No.  1                 :         0.30",
          "     Zona No.  2                 :         0.00",
          "     Zona No.  3                 :         0.30",
          "     Zona sin definir            :         0.30",
          "     Suma area de las zonas      :         0.90",
          "AREAS PLUVIALES (Has) : ", "     Zona de ecuacion No.  1     :         0.30",
          "     Zona de ecuacion No.  2     :         0.30",
          "     Areas brutas pluviales      :         0.75",
          "              Area Pluvial Total :         1.65"})
        EXPECT_TRUE(HasLine(kMargin90, line)) << line;
}

TEST_F(GeneralListings, SummaryInHectometresForSanitaryByLengths) {
    TramoT t = Reach("A", "B");
    t.Length = 125;
    Network({t});
    Class(1);
    rig.ui.answers = {'S'};
    ListSummary(session);
    EXPECT_TRUE(HasLine(kMargin90, "AREAS SANITARIAS (Hm) : "));
    EXPECT_TRUE(HasLine(kMargin90, "     Suma area de las zonas      :       1.2500"));
}

// ---- E ----

std::vector<IndiceTramoT> Entries(int n) {
    std::vector<IndiceTramoT> entries;
    for (int k = 1; k <= n; ++k)
        entries.push_back({"U" + std::to_string(k), "D" + std::to_string(k), k});
    return entries;
}

TEST_F(GeneralListings, RelationOfFourteenReachesInBoxesOfTenRows) {
    const std::vector<std::string> rows = ReachRelationRows(Entries(14), 0, 10);
    ASSERT_EQ(rows.size(), 10u);
    const std::string dashes = cp("│ ---  │   ---      ---   │");
    const std::string gap(8, ' ');
    auto entry = [](int k) {
        return cp("│ " + listings::FormatNumber(k, "####") + " │  " +
                  ("U" + std::to_string(k) + "    ").substr(0, 5) + "    " +
                  ("D" + std::to_string(k) + "    ").substr(0, 5) + "  │");
    };
    EXPECT_EQ(rows[0], entry(1) + gap + entry(11) + gap + dashes);
    EXPECT_EQ(rows[3], entry(4) + gap + entry(14) + gap + dashes);
    EXPECT_EQ(rows[4], entry(5) + gap + dashes + gap + dashes);
    EXPECT_EQ(rows[9], entry(10) + gap + dashes + gap + dashes);
    EXPECT_EQ(entry(11), cp("│   11 │  U11      D11    │"));
    // The next page would begin with the 31st entry: here all dashes.
    EXPECT_EQ(ReachRelationRows(Entries(14), 30, 10)[0], dashes + gap + dashes + gap + dashes);
}

TEST_F(GeneralListings, RelationListingTakesTheIndex) {
    std::vector<TramoT> reaches;
    for (int k = 1; k <= 14; ++k)
        reaches.push_back(Reach("U" + std::to_string(k), "D" + std::to_string(k)));
    Network(reaches);
    ListReachRelation(session);
    ASSERT_EQ(viewer.shows, 1);
    const std::vector<std::string> lines = Lines(kMarginE);
    const std::string caption = cp("│linea │  t  r  a  m  o   │");
    auto head = std::find(lines.begin(), lines.end(),
                          caption + "        " + caption + "        " + caption);
    ASSERT_NE(head, lines.end());
    // The separator, then as many rows as the page length less its header.
    ASSERT_GT(lines.end() - head, 82);
    EXPECT_EQ(head[2].substr(0, 27), cp("│    1 │  U1       D1     │"));
    EXPECT_EQ(head[15].substr(0, 27), cp("│   14 │  U14      D14    │"));
    EXPECT_EQ(head[16].substr(0, 27), cp("│ ---  │   ---      ---   │"));
    EXPECT_EQ(head[81].substr(0, 27), cp("│ ---  │   ---      ---   │"));
    EXPECT_EQ(head[82].substr(0, 1), cp("└"));
    EXPECT_FALSE(Shows("HOJA No.2"));
}

// ---- F ----

TEST_F(GeneralListings, ManholesEightToALine) {
    std::vector<std::string> names;
    for (int k = 1; k <= 10; ++k)
        names.push_back("P" + std::to_string(k));
    std::string error;
    ASSERT_TRUE(WriteManholeNames(session.project.files.manholeNames(), names, error)) << error;
    ListManholeRelation(session);
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_TRUE(Shows("RELACION ORDENADA ALFABETICAMENTE DE POZOS DE INSPECCION"));
    EXPECT_TRUE(HasLine(kMargin90,
                        "          (P1   )  (P2   )  (P3   )  (P4   )  (P5   )  (P6   )  (P7   )  "
                        "(P8   )  "));
    EXPECT_TRUE(HasLine(kMargin90, "          (P9   )  (P10  )  "));
}

// ---- Refusals and confirmations ----

TEST_F(GeneralListings, AnEmptyNetworkIsRefusedExceptByCriteriaAndSummary) {
    for (auto* list : {ListGeneralData, ListSpecialData, ListReachRelation}) {
        rig.ui.boxes.clear();
        list(session);
        ASSERT_EQ(rig.ui.boxes.size(), 1u);
        EXPECT_EQ(rig.ui.boxes[0].kind, "error");
        EXPECT_EQ(rig.ui.boxes[0].message, "No ha introducido ningun tramo");
        EXPECT_EQ(rig.ui.boxes[0].caption, "Error");
    }
    rig.ui.boxes.clear();
    ListManholeRelation(session);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].message,
              "No ha introducido ningun tramo\ro falta el control de calidad");
    EXPECT_EQ(rig.ui.boxes[0].caption, "Error");
    EXPECT_FALSE(fs::exists(session.project.files.manholeNames()));
    EXPECT_EQ(viewer.shows, 0);

    rig.ui.answers = {'S'};
    ListSummary(session);
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_TRUE(HasLine(kMargin90, "     Longitud Total              :         0.00"));
    EXPECT_TRUE(HasLine(kMargin90, "     Numero de tramos            :            0"));
}

TEST_F(GeneralListings, OnlyAYesOrEnterLists) {
    Network({Reach("A", "B")});
    rig.ui.answers = {'N', 'N'};
    ListSpecifications(session);
    ListSummary(session);
    EXPECT_EQ(viewer.shows, 0);
    ASSERT_EQ(rig.ui.boxes.size(), 2u);
    EXPECT_EQ(rig.ui.boxes[0].message, "Desea listar las especificaciones ?");
    EXPECT_EQ(rig.ui.boxes[0].caption, "Confirmacion");

    // The sheet-range box closed with Esc lists nothing.
    session.listing.rangePreset = false;
    rig.pump.key(key::Esc);
    ListGeneralData(session);
    EXPECT_EQ(viewer.shows, 0);
    EXPECT_TRUE(rig.pump.done());
}

// ---- A ----

std::string Item(const std::string& label, const std::string& value) {
    return label + " " + std::string(62 - label.size() - 1, '.') + value;
}

TEST_F(GeneralListings, CriteriaOfASanitaryProject) {
    rig.ui.answers = {'S'};
    ListSpecifications(session);
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_EQ(viewer.title, cp("E S P E C I F I C A C I O N E S"));
    EXPECT_TRUE(HasLine(kMargin90,
                        "CLASE DE DISENO: [ SANITARIO POR AREAS TRIBUTARIAS - FLUJO UNIFORME ]"));
    EXPECT_TRUE(HasLine(kMargin90, "COEFICIENTE MAXIMO HORARIO: [ FORMULA DE HARMON ]"));
    EXPECT_TRUE(HasLine(kMargin90, "CONTROL AUTOLAVADO : [ FUERZA TRACTIVA ]"));
    EXPECT_TRUE(
        HasLine(kMargin90, Item("[1] - Coeficiente [ n ] de Manning tuberia nueva", "  0.0090")));
    EXPECT_TRUE(HasLine(kMargin90, Item("[3] - Profundidad minima a clave (m)", "    1.00")));
    EXPECT_TRUE(HasLine(kMargin90,
                        "[7] - Empalmar a nivel claves llegan desde diametro (mm) ........     "
                        "595 <0 = no empalmar>"));
    EXPECT_TRUE(
        HasLine(kMargin90,
                Item("[14]- Cimentar con recebo para profundidades mayores de (m)", "     0.00")));
    EXPECT_TRUE(HasLine(
        kMargin90,
        Item("[15]- Cimentar con concreto para profundidades mayores de (m)", "     3.00")));
    EXPECT_TRUE(HasLine(kMargin90, Item("[13]- numero de zonas", "       1 <maximo 15>")));
    EXPECT_TRUE(HasLine(kMargin90, "│ unica │      0.3200    │      0.6700    │      200.00    │"));
    EXPECT_TRUE(Shows("l/s/hectarea"));
    EXPECT_FALSE(Shows("ESPECIFICACIONES PLUVIALES :"));
}

TEST_F(GeneralListings, CriteriaOfAHyetographProject) {
    Criteria([](shell::ProyectoT& h, specs::EspecT& e) {
        h.DesignClass = 9;
        h.SlopePerDiameter = 1;
        e.ConstructionData[specs::kBeddingGravelCode] = 0;
        e.Equations[0].durationBound = 60;
        e.Equations[0].a2 = 1200;
    });
    rig.ui.answers = {'S'};
    ListSpecifications(session);
    ASSERT_EQ(viewer.shows, 1);
    EXPECT_TRUE(
        HasLine(kMargin90, "CLASE DE DISENO: [ PLUVIAL POR AREAS TRIBUTARIAS - HIETORAMAS SWMM ]"));
    EXPECT_TRUE(HasLine(kMargin90, "MODELO DISEÑO: [ONDA DIAMICA - INFILTRACION: HORTON ]"));
    EXPECT_TRUE(
        HasLine(kMargin90,
                Item("[14]- Cimentar con recebo para profundidades mayores de (m)", "  no usar")));
    EXPECT_FALSE(Shows("ESPECIFICACIONES SANITARIAS :"));
    EXPECT_TRUE(
        HasLine(kMargin90, Item("[10]- Usar modelo [RAS] para ecuaciones pluviales", " [ NO ]")));
    EXPECT_TRUE(
        Shows("[11]- numero de ecuaciones pluviales [ FORMA: i = A/(B + t^n)^m ] "
              "......       1 <maximo 5>"));
    EXPECT_TRUE(HasLine(kMargin90,
                        "│ unico │       3    │ hasta    60 │    908.00   │      "
                        "0.00   │   0.300   │   1.000   │"));
    EXPECT_TRUE(Shows("│       │            │ hasta final │   1200.00   │      0.00   │"));
    EXPECT_TRUE(Shows("TABLA PENDIENTES MINIMAS DE DISEÑO ESPECIFICADAS PARA CADA DIAMETRO:"));
    EXPECT_TRUE(Shows("│      145    │     0.63    │"));
}

// ---- Sub-menu and catalog ----

TEST_F(GeneralListings, SubMenuRunsTheLetterChosenUntilEsc) {
    Network({Reach("A", "B")});
    std::string item;
    rig.pump.call([&] { item = rig.row(11); });
    rig.pump.type("b");
    rig.pump.key(key::Esc);
    RunGeneralListings(session);
    EXPECT_TRUE(rig.pump.done());
    EXPECT_EQ(viewer.shows, 1);
    EXPECT_EQ(viewer.title, cp("DATOS GENERALES DE LOS TRAMOS"));
    EXPECT_NE(item.find("[B] Datos Generales Tramos"), std::string::npos) << item;
}

// "Datos Generales Tramos" chosen in the menu bar: the letter comes with the choice, the
// listing is shown, and the sub-menu the user never saw is not drawn again once the
// viewer closes: the module ends without waiting for another key.
TEST_F(GeneralListings, MenuBarChoiceEndsWithItsListing) {
    Network({Reach("A", "B")});
    rig.pump.call([&] {
        rig.switches.menuKeyAccepted = true;
        rig.console.pushKey('B');
    });
    RunGeneralListings(session);
    EXPECT_TRUE(rig.pump.done());
    EXPECT_EQ(viewer.shows, 1);
    EXPECT_EQ(viewer.title, cp("DATOS GENERALES DE LOS TRAMOS"));
    EXPECT_EQ(screen.WindowDepth(), 0);  // no window of the module is left open
}

TEST_F(GeneralListings, SubMenuHandsAnotherMenuChoiceBack) {
    rig.pump.call([&] {
        rig.switches.menuKeyAccepted = true;
        rig.console.pushKey('5');
        rig.console.pushKey('A');
    });
    RunGeneralListings(session);
    ASSERT_EQ(rig.console.takeKey(), std::optional<uint8_t>('5'));
    EXPECT_EQ(rig.console.takeKey(), std::optional<uint8_t>('A'));
}

TEST_F(GeneralListings, CatalogHoldsTheSixListings) {
    const char* const titles[] = {"Especificaciones",         "Datos Generales Tramos ",
                                  "Datos Especiales Tramos",  "Resumen de los Tramos",
                                  "Relacion Ordenada Tramos", "Relacion Ordenada Pozos"};
    for (char letter = 'A'; letter <= 'F'; ++letter) {
        const listings::ListingDef* def = listings::FindListing(std::string("4") + letter);
        ASSERT_NE(def, nullptr) << letter;
        EXPECT_STREQ(def->title, titles[letter - 'A']);
    }
}

class GeneralListingsBatch : public cli::BatchProjectTest {};

TEST_F(GeneralListingsBatch, ListVerbWritesTheRelationOfASimulatedNetwork) {
    ASSERT_EQ(
        batch({"--project", "AB1", "simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc,
        0);
    const std::string out = (base_ / "lista.txt").string();
    const cli::BatchOutcome r = batch({"--project", "AB1", "list", "4e", "--out", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    std::ifstream in(out, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("RELACION DE TRAMOS"), std::string::npos);
    EXPECT_NE(text.find(cp("│    5 │  4        5      │")), std::string::npos);
    EXPECT_EQ(text.find(cp("│    6 │")), std::string::npos);
    // The summary asks first; without --yes nothing is listed.
    EXPECT_NE(batch({"--project", "AB1", "list", "4D", "--out", out}).rc, 0);
    EXPECT_EQ(batch({"--project", "AB1", "list", "4D", "--out", out, "--yes"}).rc, 0);
}

}  // namespace
}  // namespace nivex::network
