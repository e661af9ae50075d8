#include "network/network_controls.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "specs/criteria_store.h"

namespace nivex::network {
namespace {

namespace fs = std::filesystem;

TramoT R(const std::string& up, const std::string& down, int type = 0, float groundUp = 101,
         float groundDown = 100) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Type = type;
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.Length = 50;
    t.Area = 0.5f;
    return t;
}

shell::ProyectoT CompleteHeader() {
    shell::ProyectoT h;
    h.DesignClass = 2;
    h.ProjectName = "Barrio Norte";
    h.ProjectDate = "Enero 2026";
    h.Entity = "Empresa";
    h.Email = "a@b.co";
    h.Country = "Colombia";
    h.Consultant = "Consultor";
    return h;
}

std::vector<std::string> Texts(const std::vector<ErrorRow>& rows) {
    std::vector<std::string> t;
    for (const ErrorRow& r : rows)
        t.push_back(r.text);
    return t;
}

// ---- A ----

TEST(SpecificationControl, DefaultsOfACompleteProjectPass) {
    const SpecificationCheck c = CheckSpecifications(specs::DefaultEspec(), CompleteHeader());
    EXPECT_TRUE(c.passed());
    EXPECT_TRUE(c.lines.empty()) << c.lines.front();
    EXPECT_TRUE(c.missingData.empty());
}

TEST(SpecificationControl, ErrorsComeUnderTheHeadingOfTheirGroupInOrder) {
    specs::EspecT e = specs::DefaultEspec();
    e.Diameters[3] = e.Diameters[2];  // 227 no longer below the next one
    e.ManningN = 0;
    e.MaxCrownDepth = 4;  // below the desirable maximum
    specs::SetRangeValue(e, specs::kTrenchOverWidthSlots[2], 0.9);
    const SpecificationCheck c = CheckSpecifications(e, CompleteHeader());
    EXPECT_FALSE(c.passed());
    const std::vector<std::string> expected = {
        "... Diametros comerciales a utilizar ...",
        "El diametro comercial 227 debe ser menor que el siguiente",
        "... Anchos de zanja ...",
        "El tercer ancho de zanja 0.90 debe ser menor que el siguiente",
        "... Especificaciones Generales ...",
        "Falta especificar el coeficiente de manning para tuberia nueva",
        "La profundidad maxima a clave no puede ser menor que la maxima deseable",
    };
    // The second width rule sees 0.50 against 0.90 and passes; only the third fails.
    EXPECT_EQ(c.errors, 4);
    EXPECT_EQ(c.lines, expected);
}

TEST(SpecificationControl, StormAndSanitaryGroupsFollowTheSystemKind) {
    specs::EspecT e = specs::DefaultEspec();
    e.RunoffCoefficient = 0;
    e.SanMinFlow = 0;
    e.Equations[0].a = 0;
    shell::ProyectoT h = CompleteHeader();
    SpecificationCheck c = CheckSpecifications(e, h);  // kind 2: sanitary only
    EXPECT_NE(
        std::find(c.lines.begin(), c.lines.end(), "Falta especificar el caudal minimo de calculo"),
        c.lines.end());
    EXPECT_EQ(std::find(c.lines.begin(), c.lines.end(), "... Especificaciones pluviales ..."),
              c.lines.end());
    e.SystemKind = 4;
    h.DesignClass = 4;
    c = CheckSpecifications(e, h);
    EXPECT_EQ(std::find(c.lines.begin(), c.lines.end(), "... Especificaciones Sanitarias ..."),
              c.lines.end());
    EXPECT_NE(std::find(c.lines.begin(), c.lines.end(),
                        "Falta especificar el coeficiente de escorrentia mas usual"),
              c.lines.end());
    EXPECT_NE(std::find(c.lines.begin(), c.lines.end(),
                        "Falta especificar las ecuaciones pluviales para frecuencias de 3anos"),
              c.lines.end());
}

TEST(SpecificationControl, ProjectDataMissing) {
    shell::ProyectoT h = CompleteHeader();
    h.Consultant.clear();
    SpecificationCheck c = CheckSpecifications(specs::DefaultEspec(), h);
    EXPECT_TRUE(c.passed());  // the consultant is only a warning
    EXPECT_EQ(c.missingData, std::vector<std::string>{"Falta indicar el nombre del consultor"});
    h.ProjectName = "___Proyecto Nuevo___";
    h.Email = "  ";
    c = CheckSpecifications(specs::DefaultEspec(), h);
    EXPECT_FALSE(c.passed());
    EXPECT_EQ(c.errors, 0);
    EXPECT_EQ(c.missingData, (std::vector<std::string>{"Falta indicar el correo electronico",
                                                       "Falta indicar el nombre del Proyecto ",
                                                       "Falta indicar el nombre del consultor"}));
}

TEST(SpecificationControl, TheNameOfANewProjectIsNoName) {
    const std::string missing = "Falta indicar el nombre del Proyecto ";
    auto names = [&](const std::string& name) {
        shell::ProyectoT h = CompleteHeader();
        h.ProjectName = name;
        const SpecificationCheck c = CheckSpecifications(specs::DefaultEspec(), h);
        const bool flagged =
            std::find(c.missingData.begin(), c.missingData.end(), missing) != c.missingData.end();
        EXPECT_EQ(flagged, !c.passed()) << name;
        return flagged;
    };
    // What a new project is called, as the configuration dialog shows it back (upper case),
    // and the placeholder of older files.
    EXPECT_TRUE(names("Proyecto Nuevo"));
    EXPECT_TRUE(names("PROYECTO NUEVO"));
    EXPECT_TRUE(names("___Proyecto Nuevo___"));
    EXPECT_TRUE(names("   "));
    EXPECT_FALSE(names("PROYECTO NUEVO NORTE"));
    EXPECT_FALSE(names("Barrio Nuevo"));
}

// ---- B ----

TEST(ReachControl, NetworkEndingInADischargeIsComplete) {
    std::vector<TramoT> net = {R("A", "B"), R("B", "C", 2)};
    const ReachCheck c = CheckReaches(net, specs::DefaultEspec(), CompleteHeader());
    EXPECT_TRUE(c.faultless());
    EXPECT_TRUE(c.lines().empty());
    EXPECT_FALSE(c.needsConfirmation());
}

TEST(ReachControl, NoOutletIsCountedOnceForTheProject) {
    std::vector<TramoT> net = {R("A", "B"), R("B", "C"), R("C", "D")};
    const ReachCheck c = CheckReaches(net, specs::DefaultEspec(), CompleteHeader());
    EXPECT_EQ(c.counts[kCodeNoOutlet], 1);
    EXPECT_EQ(c.lines(), std::vector<std::string>{"... En el proyecto no se especifico al menos un "
                                                  "tramo final(Vertimiento,e.bombas)..."});
}

TEST(ReachControl, CodesCountReachesAndSlopesAreCompleted) {
    TramoT existing = R("B", "C");
    existing.Class = kClassExisting;
    existing.CrownUp = 99.5f;
    existing.CrownDown = 99.0f;
    existing.Diameter = 300;
    TramoT noGround = R("A", "B", 0, 0, 0);
    std::vector<TramoT> net = {noGround, existing, R("C", "D", 2)};
    net[2].Length = 0;
    const ReachCheck c = CheckReaches(net, specs::DefaultEspec(), CompleteHeader());
    EXPECT_EQ(c.counts[4], 1);
    EXPECT_EQ(c.counts[5], 1);
    EXPECT_EQ(c.counts[6], 1);
    EXPECT_EQ(c.counts[kCodeSlope], 1);
    EXPECT_EQ(c.completedSlopes, std::vector<int>{2});
    EXPECT_FLOAT_EQ(net[1].Slope, static_cast<float>(SlopeFromCrowns(99.5f, 99.0f, 50)));
    EXPECT_EQ(c.lines()[0],
              "... En 1 tramos no se especifico la cota de rasante superior      ...");
}

TEST(ReachControl, FinalNodesAndReachesFromOtherSectors) {
    // Two discharges into one manhole; a reach from another sector in the middle is not
    // looked at, as the last reach it is code 15.
    TramoT fromSector = R("", "", kTypeFromSector, 0, 0);
    std::vector<TramoT> net = {R("A", "Z", 2), fromSector, R("B", "Z", 3), fromSector};
    const ReachCheck c = CheckReaches(net, specs::DefaultEspec(), CompleteHeader());
    ASSERT_EQ(c.finalNodes.size(), 2u);
    EXPECT_EQ(c.finalNodes[1].line, 3);
    EXPECT_EQ(c.counts[4], 1);  // only the last one
    EXPECT_EQ(c.counts[15], 1);
}

TEST(ReachControl, ZeroAreasNeedTheUsersWord) {
    std::vector<TramoT> net = {R("A", "B"), R("B", "C", 2)};
    for (TramoT& t : net)
        t.Area = 0;
    ReachCheck c = CheckReaches(net, specs::DefaultEspec(), CompleteHeader());
    EXPECT_TRUE(c.needsConfirmation());
    shell::ProyectoT h = CompleteHeader();
    h.DesignClass = 1;
    c = CheckReaches(net, specs::DefaultEspec(), h);
    EXPECT_FALSE(c.needsConfirmation());
}

// ---- C ----

TEST(NamesControl, GroundsAgreeToTheCent) {
    EXPECT_TRUE(GroundsAgree(100.001f, 100.004f));
    EXPECT_FALSE(GroundsAgree(100.004f, 100.006f));
    std::vector<TramoT> net = {R("A", "B", 0, 101, 100.001f), R("B", "C", 2, 100.004f, 99)};
    EXPECT_TRUE(CheckNamesAndGrounds(net).empty());
    net[1].GroundUp = 100.006f;
    const std::vector<ErrorRow> rows = CheckNamesAndGrounds(net);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"error rasante", "en pozo comun"}));
    EXPECT_EQ(rows[0].line, 1);
    EXPECT_EQ(rows[1].line, 2);
    EXPECT_FLOAT_EQ(rows[1].groundUp, 100.006f);
}

TEST(NamesControl, RepeatedReachesAndBadNames) {
    std::vector<TramoT> net = {R("B", "C"), R("A", "B"), R("B", "C"), R("ab", "C"), R("", "D")};
    net[1].GroundDown = 101;  // B agrees everywhere
    const std::vector<ErrorRow> rows = CheckNamesAndGrounds(net);
    std::vector<std::string> texts = Texts(rows);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "nomenclatura ??"), 2);
    auto repeated = std::find(texts.begin(), texts.end(), "este tramo");
    ASSERT_NE(repeated, texts.end());
    EXPECT_EQ(*(repeated + 1), "esta repetido");
    const size_t at = static_cast<size_t>(repeated - texts.begin());
    EXPECT_EQ(rows[at].line, 1);
    EXPECT_EQ(rows[at + 1].line, 3);
}

// ---- D ----

TEST(OrderingControl, ConvergenceOfMoreThanFourReaches) {
    std::vector<TramoT> five = {R("1", "M"), R("2", "M"), R("3", "M"),
                                R("4", "M"), R("5", "M"), R("M", "Z", 2)};
    OrderCheck c = CheckOrdering(five, 1, false);
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.rows[0].text,
              "ERROR...En el pozo de inspeccion [M] convergen mas de cuatro tramos.");
    five.erase(five.begin());
    c = CheckOrdering(five, 1, false);
    EXPECT_TRUE(c.passed());
}

TEST(OrderingControl, NotInvestigatedReachesAndMarks) {
    TramoT ni = R("B", "C");
    ni.Class = kClassNotInvestigated;  // no crowns known
    const std::vector<TramoT> net = {R("A", "B"), ni, R("C", "D", 2)};
    OrderCheck c = CheckOrdering(net, 1, false);
    EXPECT_TRUE(c.onlyMarks());
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.rows[0].text, " ERROR...falta investigar ambas claves para empalmes");
    EXPECT_EQ(c.rows[0].line, 2);
    EXPECT_EQ(c.walk.marked, 1);
    for (auto [mode, energy] : {std::pair{3, false}, {1, true}, {2, false}}) {
        c = CheckOrdering(net, mode, energy);
        EXPECT_EQ(c.errorRows, 1) << mode;
        EXPECT_EQ(
            c.rows.back().text,
            cp(" ERROR...no usar tramo no investigado en diseños autom. o con empalme energia"));
    }
}

TEST(OrderingControl, AutomaticTopologyDoesNotWalk) {
    const std::vector<TramoT> net = {R("A", "B"), R("B", "C"), R("X", "B"), R("C", "D")};
    EXPECT_EQ(CheckOrdering(net, 1, false).errorRows, 2);
    EXPECT_EQ(CheckOrdering(net, 0, false).errorRows, 2);  // 0 reads as manual
    EXPECT_TRUE(CheckOrdering(net, 2, false).passed());
}

TEST(OrderingControl, ManholeNamesOnceInOrder) {
    EXPECT_EQ(SortedManholeNames({R("B", "C"), R("A", "B"), R("C", "D", 2)}),
              (std::vector<std::string>{"A", "B", "C", "D"}));
}

// ---- Over the files of a sector ----

class ControlsOnFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("nivex-controls-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        p_.selection.code = "AB";
        p_.selection.sectors = "1";
        p_.files.Build(dir_.string(), "AB1");
        ASSERT_TRUE(p_.OpenControl());
        ASSERT_TRUE(specs::InitialiseDesignCriteria(p_.control, p_.header, p_.espec));
        const int designClass = p_.header.DesignClass;
        p_.header = CompleteHeader();
        p_.header.DesignClass = designClass;
        p_.header.StageDone = {1, 1, 1, 1};
        p_.header.SwmmRan = 1;
        ASSERT_TRUE(specs::SaveRecords(p_.control, p_.header, p_.espec, {}));
        p_.CloseControl();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Network(const std::vector<TramoT>& reaches) {
        std::vector<codec::Bytes> records;
        for (const TramoT& t : reaches) {
            codec::Bytes b(kTramoSize, 0);
            ASSERT_TRUE(Encode(t, b));
            records.push_back(b);
        }
        std::string error;
        ASSERT_TRUE(ReplaceRecordFile(p_.files.reaches(), kTramoSize, records, error)) << error;
    }
    shell::ProyectoT Stored() {
        std::string error;
        project::Project q;
        q.files = p_.files;
        EXPECT_TRUE(LoadControlState(q, &error)) << error;
        return q.header;
    }

    fs::path dir_;
    project::Project p_;
};

TEST_F(ControlsOnFiles, EntryMarksTheExistingNetworkAndForgetsTheSwmmRun) {
    TramoT existing = R("B", "C", 2);
    existing.Class = kClassNotInvestigated;
    Network({R("A", "B"), existing});
    std::string error;
    ASSERT_TRUE(EnterControls(p_, &error)) << error;
    project::Project q;
    q.files = p_.files;
    ASSERT_TRUE(LoadControlState(q, &error));
    EXPECT_EQ(q.espec.HasExistingReach, 1);
    EXPECT_EQ(q.header.SwmmRan, 0);
    Network({R("A", "B"), R("B", "C", 2)});
    ASSERT_TRUE(EnterControls(p_, &error));
    ASSERT_TRUE(LoadControlState(q, &error));
    EXPECT_EQ(q.espec.HasExistingReach, 0);

    // A control still to pass means the design must be done again.
    ASSERT_TRUE(SettleDesignStage(p_, &error));
    EXPECT_EQ(Stored().StageDone, (std::array<uint8_t, 4>{1, 0, 1, 1}));
}

TEST_F(ControlsOnFiles, PassingControlsSetTheirFlagsAndWriteTheirFiles) {
    Network({R("X", "Y"), R("A", "B"), R("B", "C", 2, 100, 99)});  // X->Y leads nowhere
    std::string error;
    SpecificationCheck a;
    ASSERT_TRUE(RunControlA(p_, a, &error)) << error;
    EXPECT_TRUE(a.passed());
    ReachCheck b;
    ASSERT_TRUE(RunControlB(p_, b, &error)) << error;
    EXPECT_TRUE(b.faultless());
    std::vector<ErrorRow> c;
    ASSERT_TRUE(RunControlC(p_, c, &error)) << error;
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(Stored().ControlsDone, (std::array<uint8_t, 4>{1, 1, 1, 0}));

    OrderCheck d;
    ASSERT_TRUE(RunControlD(p_, d, &error)) << error;
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].line, 1);
    ErrorFileText text;
    ASSERT_TRUE(ReadErrorFile(p_.files.messages(), text, &error)) << error;
    EXPECT_EQ(text.title, "< VERIFICACION ORDENAMIENTO HIDRAULICO >");
    ASSERT_EQ(text.rows.size(), 1u);
    EXPECT_NE(text.rows[0].find(" ERROR...este tramo carece de continuidad"), std::string::npos);
    ASSERT_EQ(text.heading.size(), 4u);
    EXPECT_EQ(static_cast<uint8_t>(text.heading[0][0]), 213);  // double across, single down
    EXPECT_NE(text.heading[0].find('\xE0'), std::string::npos);
    EXPECT_EQ(text.heading[0].size(), text.closing.size());
    EXPECT_EQ(text.rows[0].size(), text.closing.size());
    EXPECT_FALSE(fs::exists(p_.files.manholeNames()));

    Network({R("A", "B"), R("B", "C", 2, 100, 99)});
    ASSERT_TRUE(RunControlD(p_, d, &error)) << error;
    EXPECT_TRUE(d.passed());
    EXPECT_EQ(Stored().ControlsDone, (std::array<uint8_t, 4>{1, 1, 1, 1}));
    std::vector<std::string> names;
    ASSERT_TRUE(ReadManholeNames(p_.files.manholeNames(), names, error));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(ControlsOnFiles, CompletedSlopeIsTheOnlyDataChange) {
    TramoT existing = R("A", "B");
    existing.Class = kClassExisting;
    existing.CrownUp = 99.9f;
    existing.CrownDown = 99.4f;
    existing.Diameter = 300;
    existing.ManningN = 0.013f;
    Network({existing, R("B", "C", 2)});
    std::string error;
    ReachCheck b;
    ASSERT_TRUE(RunControlB(p_, b, &error)) << error;
    EXPECT_EQ(b.counts[kCodeSlope], 1);
    EXPECT_FALSE(b.faultless());
    std::vector<TramoT> stored;
    ASSERT_TRUE(ReadStoredReaches(p_, stored, &error));
    EXPECT_FLOAT_EQ(stored[0].Slope, 1.0f);
    // The second run finds the slope and passes.
    ASSERT_TRUE(RunControlB(p_, b, &error)) << error;
    EXPECT_TRUE(b.faultless());
    EXPECT_EQ(Stored().ControlsDone[kControlB], 1);
}

TEST_F(ControlsOnFiles, NamesErrorsGoToTheErrorFile) {
    Network({R("A", "B", 0, 101, 100.004f), R("B", "C", 2, 100.006f, 99)});
    std::string error;
    std::vector<ErrorRow> rows;
    ASSERT_TRUE(RunControlC(p_, rows, &error)) << error;
    ASSERT_EQ(rows.size(), 2u);
    ErrorFileText text;
    ASSERT_TRUE(ReadErrorFile(p_.files.messages(), text, &error));
    EXPECT_EQ(text.title, "< VERIFICACION DE NOMENCLATURA Y COTAS DE LOS TRAMOS >");
    ASSERT_EQ(text.rows.size(), 2u);
    EXPECT_NE(text.rows[0].find("100.004"), std::string::npos);
    EXPECT_NE(text.rows[1].find("en pozo comun"), std::string::npos);
    EXPECT_NE(text.heading[1].find("C O T A   R A S A N T E"), std::string::npos);
    EXPECT_NE(text.heading[2].find("S U P E R I O R"), std::string::npos);
    EXPECT_EQ(Stored().ControlsDone[kControlC], 0);
}

TEST_F(ControlsOnFiles, MissingErrorFileIsReportedByName) {
    ErrorFileText text;
    std::string error;
    EXPECT_FALSE(ReadErrorFile(p_.files.messages(), text, &error));
    EXPECT_NE(error.find("Mens.AB1"), std::string::npos);
}

}  // namespace
}  // namespace nivex::network
