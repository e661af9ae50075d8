// The general configuration dialog's logic: opening, the click effects written at once,
// the class change, "Aceptar" with its change checks and the closing checks.

#include "project/configuration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/codepage.h"
#include "project/project_selection.h"
#include "shell/record_codec.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::project {
namespace {

namespace fs = std::filesystem;
using codec::Bytes;

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ConfigurationTest : public ::testing::Test, protected testing::SessionRig {
  protected:
    void SetUp() override {
        saved_ = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        base_ = fs::temp_directory_path() /
                ("nivex-config-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_);
        session.folders.start = saved_.string();
        session.folders.project = base_.string();
        session.folders.swmm = (base_ / "swmm").string();
        ProjectSelection selection(session, session.project);
        ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
        rig.ui.answers = {'S'};
        ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
        rig.ui.boxes.clear();
    }
    void TearDown() override {
        fs::current_path(saved_);
        fs::remove_all(base_);
    }

    fs::path control() const { return session.project.files.control(); }
    Bytes record(int k) const {
        Bytes all = ReadBytes(control());
        return Bytes(all.begin() + k * 512, all.begin() + (k + 1) * 512);
    }
    // Sets flags of record 0 on disk, as earlier runs would have left them.
    void SetFlags(std::array<uint8_t, 4> controls, std::array<uint8_t, 4> stages) {
        Project& p = session.project;
        ASSERT_TRUE(p.OpenControl());
        ASSERT_TRUE(p.ReadHeader());
        p.header.ControlsDone = controls;
        p.header.StageDone = stages;
        ASSERT_TRUE(p.WriteHeader());
        p.CloseControl();
    }
    std::array<uint8_t, 4> controls() const {
        const Bytes r = record(0);
        return {r[0], r[1], r[2], r[3]};
    }

    // The project data control A asks for, given once.
    void GiveProjectData() {
        Configuration c(session);
        for (auto [text, value] : {std::pair{Text::Email, "a@b.co"},
                                   {Text::Country, "peru"},
                                   {Text::Entity, "acueducto"},
                                   {Text::Project, "centro"},
                                   {Text::Date, "enero 2026"}})
            ASSERT_TRUE(c.SetText(text, value));
        ASSERT_TRUE(c.Accept());
    }

    fs::path saved_, base_;
};

TEST_F(ConfigurationTest, OpeningShowsTheStoredStateAndWritesNothing) {
    const Bytes before = ReadBytes(control());
    {
        Configuration c(session);
        ASSERT_TRUE(c.ready());
        EXPECT_EQ(c.group(Group::Class).item, 1);  // a new project: "Sanitario por areas"
        EXPECT_EQ(c.group(Group::Manning).item, 1);
        EXPECT_EQ(c.group(Group::Topology).item, 0);
        EXPECT_EQ(c.group(Group::Minimum).item, 5);
        EXPECT_TRUE(c.box(Box::Tractive).checked);
        EXPECT_FALSE(c.box(Box::FullVelocity).checked);
        EXPECT_FALSE(c.box(Box::Energy).checked);
        EXPECT_EQ(c.text(Text::Project), "Proyecto Nuevo");
        EXPECT_TRUE(c.state().textsEnabled);
        EXPECT_EQ(c.state().swmmFolder, session.folders.swmm);
    }
    EXPECT_EQ(ReadBytes(control()), before);
    EXPECT_TRUE(rig.ui.boxes.empty());
}

TEST_F(ConfigurationTest, ClicksWriteTheirRecordsAtOnceAndSurviveClosingWithoutAceptar) {
    Configuration c(session);
    ASSERT_TRUE(c.SelectItem(Group::Peak, 6));
    EXPECT_EQ(codec::I16(record(0), 10), 6);
    EXPECT_FLOAT_EQ(codec::F32(record(0), 114), 4.0f);
    ASSERT_TRUE(c.SelectItem(Group::Infiltration, 2));
    EXPECT_EQ(codec::I16(record(3), 404), 2);
    ASSERT_TRUE(c.SetBox(Box::Critical, true));
    EXPECT_FLOAT_EQ(codec::F32(record(5), 426), 0.9f);
    EXPECT_FLOAT_EQ(codec::F32(record(5), 430), 1.1f);
    ASSERT_TRUE(c.SetBox(Box::SlopePerDiameter, true));
    EXPECT_EQ(codec::I16(record(0), 458), 1);
    EXPECT_FLOAT_EQ(codec::F32(record(3), 240), 0.63f);

    // The class and the texts are stored only by "Aceptar".
    ASSERT_TRUE(c.SetText(Text::Consultant, cp("ñame y peña")));
    EXPECT_EQ(c.text(Text::Consultant), cp("ÑAME Y PEÑA"));
    ASSERT_TRUE(c.Close());
    EXPECT_TRUE(c.finished());
    EXPECT_EQ(codec::Text(record(0), 349, 35), "");
    EXPECT_EQ(codec::I16(record(0), 10), 6);
    EXPECT_FALSE(c.SelectItem(Group::Peak, 0)) << "an ended dialog takes no clicks";
}

TEST_F(ConfigurationTest, SwitchingFromClassOneToSevenForcesTheSwmmOptions) {
    Configuration c(session);
    ASSERT_TRUE(c.SelectItem(Group::Class, 0));
    ASSERT_TRUE(c.SetBox(Box::FullVelocity, true));
    ASSERT_TRUE(c.Accept());
    ASSERT_EQ(codec::I16(record(0), 460), 1);

    Configuration d(session);
    ASSERT_TRUE(d.SelectItem(Group::Swmm, 1));
    ASSERT_TRUE(d.SelectItem(Group::Relations, 1));
    ASSERT_TRUE(d.SetBox(Box::Energy, true));
    ASSERT_TRUE(d.SetBox(Box::Critical, true));
    ASSERT_TRUE(d.SelectItem(Group::Class, 6));

    EXPECT_FALSE(d.group(Group::Swmm).enabled);
    EXPECT_FALSE(d.group(Group::Relations).enabled);
    EXPECT_EQ(d.group(Group::Swmm).item, 0);
    EXPECT_EQ(d.group(Group::Relations).item, 0);
    for (Box b : {Box::FullVelocity, Box::Ras2016, Box::RealVelocity, Box::Tractive, Box::Energy,
                  Box::Critical}) {
        EXPECT_FALSE(d.box(b).checked) << static_cast<int>(b);
        EXPECT_FALSE(d.box(b).enabled) << static_cast<int>(b);
    }
    EXPECT_TRUE(d.box(Box::SlopePerDiameter).checked);
    EXPECT_FALSE(d.SetBox(Box::Energy, true)) << "a disabled box takes no click";
    EXPECT_FLOAT_EQ(codec::F32(record(0), 322), 0);
    EXPECT_FLOAT_EQ(codec::F32(record(0), 326), 0);
    EXPECT_FLOAT_EQ(codec::F32(record(5), 426), 0);

    ASSERT_TRUE(d.Accept());
    const Bytes r0 = record(0);
    EXPECT_EQ(codec::I16(r0, 460), 7);
    EXPECT_EQ(codec::I16(r0, 26), 4);  // storm
    EXPECT_EQ(r0[462], 1);             // a SWMM class
    EXPECT_FLOAT_EQ(codec::F32(r0, 86), 0);
    EXPECT_FLOAT_EQ(codec::F32(r0, 98), 0);
}

TEST_F(ConfigurationTest, EnergyJunctionsGiveBackTheDiameterEnteredInThisRun) {
    {
        Configuration c(session);
        ASSERT_TRUE(c.SetBox(Box::Energy, true));
        EXPECT_FLOAT_EQ(session.project.espec.EnergyJunctionDiameter, 150);
        EXPECT_EQ(session.project.espec.CrownJoinDiameter, 0);
        EXPECT_EQ(session.project.espec.CrownJoinDropCm, 0);
        ASSERT_TRUE(c.SetBox(Box::Energy, false));
        ASSERT_TRUE(c.Accept());
    }
    EXPECT_EQ(codec::I16(record(0), 24), 0) << "the general screen was not used in this run";
    EXPECT_EQ(codec::I16(record(0), 22), 75);

    session.junctionDiameterEntered = 595;
    Configuration c(session);
    ASSERT_TRUE(c.SetBox(Box::Energy, true));
    ASSERT_TRUE(c.SetBox(Box::Energy, false));
    ASSERT_TRUE(c.Accept());
    EXPECT_EQ(codec::I16(record(0), 24), 595);
    EXPECT_EQ(codec::I16(record(0), 22), 75);
    EXPECT_FLOAT_EQ(codec::F32(record(0), 86), 0);
}

TEST_F(ConfigurationTest, NoSelfCleansingCriterionKeepsTheDialogOpen) {
    Configuration c(session);
    ASSERT_TRUE(c.SetText(Text::Entity, "acueducto"));
    ASSERT_TRUE(c.SetBox(Box::Tractive, false));
    EXPECT_FALSE(c.Accept());
    EXPECT_FALSE(c.finished());
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_EQ(rig.ui.last()->message,
              "Debe seleccionar por lo menos una opcion de control de Autolimpieza");
    EXPECT_EQ(rig.ui.last()->caption, "Error");
    EXPECT_EQ(codec::Text(record(0), 188, 63), "ACUEDUCTO") << "the texts are already stored";
    EXPECT_FALSE(c.Close()) << "the close button is refused the same way";

    ASSERT_TRUE(c.SetBox(Box::Ras2016, true));
    EXPECT_EQ(codec::I16(record(0), 456), 1);
    EXPECT_TRUE(c.Close());
}

// Control A checked the project data: taking one of them away, or the name, takes the
// control back, and nothing else.
TEST_F(ConfigurationTest, BlankProjectDataTakeControlABack) {
    GiveProjectData();
    for (auto [text, value] :
         {std::pair{Text::Country, ""}, {Text::Entity, "   "}, {Text::Project, "proyecto nuevo"}}) {
        SetFlags({1, 1, 1, 1}, {1, 1, 1, 1});
        {
            Configuration c(session);
            ASSERT_TRUE(c.SetText(text, value));
            ASSERT_TRUE(c.Accept());
        }
        EXPECT_EQ(controls(), (std::array<uint8_t, 4>{0, 1, 1, 1})) << value;
        EXPECT_EQ(record(0)[5], 1) << "the design stands until the menu asks for control A";
        GiveProjectData();
    }
}

TEST_F(ConfigurationTest, OnlyTheCountryKeepsControlsAndThePeakMethodClearsTheDesign) {
    GiveProjectData();
    SetFlags({1, 1, 1, 1}, {1, 1, 1, 1});
    {
        Configuration c(session);
        ASSERT_TRUE(c.SetText(Text::Country, "colombia"));
        ASSERT_TRUE(c.Accept());
    }
    EXPECT_EQ(codec::Text(record(0), 421, 26), "COLOMBIA");
    EXPECT_EQ(controls(), (std::array<uint8_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(record(0)[5], 1);

    Configuration c(session);
    ASSERT_TRUE(c.SelectItem(Group::Peak, 1));
    EXPECT_EQ(controls(), (std::array<uint8_t, 4>{1, 1, 1, 1})) << "only closing clears them";
    ASSERT_TRUE(c.Accept());
    const Bytes r0 = record(0);
    EXPECT_EQ(r0[5], 0);
    EXPECT_EQ(r0[253], 0);
    EXPECT_EQ(controls(), (std::array<uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(ConfigurationTest, SoloAutomaticoSetsTheOrderingControlAndClearsTheDesign) {
    SetFlags({1, 1, 1, 0}, {1, 1, 1, 1});
    {
        Configuration c(session);
        ASSERT_TRUE(c.SelectItem(Group::Topology, 1));
        ASSERT_TRUE(c.Accept());
    }
    const Bytes r0 = record(0);
    EXPECT_EQ(controls()[3], 1);
    EXPECT_EQ(r0[5], 0);
    EXPECT_FLOAT_EQ(codec::F32(r0, 262), 0);
    EXPECT_EQ(codec::I16(record(5), 424), 2);
    const std::string& caption = session.project.caption;
    EXPECT_EQ(caption.substr(caption.size() - 20), " Solo Automatico    ");
    EXPECT_EQ(session.project.baseCaption, caption);
    EXPECT_EQ(rig.console.caption(), caption);

    Configuration c(session);
    ASSERT_TRUE(c.SelectItem(Group::Topology, 2));
    ASSERT_TRUE(c.Accept());
    EXPECT_EQ(controls()[3], 0) << "a manual topology needs the ordering control again";
    EXPECT_EQ(caption.substr(caption.size() - 20), " Manual y Automatico");
}

// The design method is stored by "Aceptar" alone, in byte 464 of record 0; a change clears
// the design and the alternatives' validity as the peak method does, and leaves the
// controls, which do not depend on it.
TEST_F(ConfigurationTest, TheDesignMethodIsStoredByAceptarAndClearsTheDesign) {
    GiveProjectData();
    SetFlags({1, 1, 1, 1}, {1, 1, 1, 1});
    {
        Project& p = session.project;
        ASSERT_TRUE(p.OpenControl());
        ASSERT_TRUE(p.ReadHeader());
        p.header.CriteriaValid = 1;
        ASSERT_TRUE(p.WriteHeader());
        p.CloseControl();
    }
    const Bytes before = ReadBytes(control());
    ASSERT_EQ(before[464], 0) << "a new project holds the standard method";
    {
        Configuration c(session);
        EXPECT_EQ(c.group(Group::Method).item, 0);
        EXPECT_EQ(ItemsOf(Group::Method), (std::vector<std::string>{"Estandar", "Costo minimo"}));
        EXPECT_EQ(CaptionOf(Group::Method), cp("Metodo de diseño"));
        ASSERT_TRUE(c.SelectItem(Group::Method, 1));
        EXPECT_EQ(ReadBytes(control()), before) << "a click writes nothing";
        ASSERT_TRUE(c.Close());
    }
    EXPECT_EQ(ReadBytes(control()), before) << "closed without Aceptar: nothing kept";

    {
        Configuration c(session);
        ASSERT_TRUE(c.SelectItem(Group::Method, 1));
        ASSERT_TRUE(c.Accept());
    }
    const Bytes r0 = record(0);
    std::vector<size_t> changed;
    for (size_t i = 0; i < r0.size(); ++i)
        if (r0[i] != before[i]) changed.push_back(i);
    // StageDone[1], the alternatives' validity byte and the method: nothing else.
    EXPECT_EQ(changed, (std::vector<size_t>{5, 253, 464}));
    EXPECT_EQ(r0[464], 1);
    EXPECT_EQ(r0[5], 0);
    EXPECT_EQ(r0[253], 0);
    EXPECT_EQ(controls(), (std::array<uint8_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(ReadBytes(control()).size(), 3072u);

    // Reopened, it shows the stored method; accepting it unchanged clears nothing.
    SetFlags({1, 1, 1, 1}, {1, 1, 1, 1});
    {
        Configuration c(session);
        EXPECT_EQ(c.group(Group::Method).item, 1);
        EXPECT_TRUE(shell::LeastCostMethod(session.project.header));
        ASSERT_TRUE(c.Accept());
    }
    EXPECT_EQ(record(0)[5], 1);
    EXPECT_EQ(record(0)[464], 1);

    // Back to the standard method: the byte is zero again and the design cleared.
    {
        Configuration c(session);
        ASSERT_TRUE(c.SelectItem(Group::Method, 0));
        ASSERT_TRUE(c.Accept());
    }
    EXPECT_EQ(record(0)[464], 0);
    EXPECT_EQ(record(0)[5], 0);
    EXPECT_FALSE(shell::LeastCostMethod(session.project.header));
}

TEST_F(ConfigurationTest, ADamagedMethodByteShowsTheStandardMethod) {
    {
        std::fstream f(control(), std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(464);
        f.put('\x07');
    }
    Configuration c(session);
    ASSERT_TRUE(c.ready());
    EXPECT_EQ(c.group(Group::Method).item, 0);
    EXPECT_EQ(session.project.header.DesignMethod, 0);
}

TEST_F(ConfigurationTest, AceptarStoresClassAndNameAndRenamesTheFolder) {
    SetFlags({1, 1, 1, 1}, {1, 1, 1, 1});
    const fs::path oldFolder = fs::path(control()).parent_path();
    {
        Configuration c(session);
        ASSERT_TRUE(c.SelectItem(Group::Class, 0));
        ASSERT_TRUE(c.SetBox(Box::RealVelocity, true));
        ASSERT_TRUE(c.SetText(Text::Project, "colector sur"));
        ASSERT_TRUE(c.Accept());
        EXPECT_TRUE(c.finished());
    }
    EXPECT_FALSE(fs::exists(oldFolder));
    EXPECT_EQ(fs::path(control()).parent_path().filename(), "AB-COLECTOR SUR");
    const Bytes r0 = record(0);
    EXPECT_EQ(codec::Text(r0, 134, 25), "COLECTOR SUR");
    EXPECT_EQ(codec::I16(r0, 460), 1);
    EXPECT_EQ(codec::I16(r0, 26), 1);
    EXPECT_FLOAT_EQ(codec::F32(r0, 106), 0.30f);
    EXPECT_FLOAT_EQ(codec::F32(r0, 282), 0.30f);
    // A new class invalidates every stage.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(r0[static_cast<size_t>(i)], 0) << i;
    EXPECT_EQ(session.project.caption.rfind("COLECTOR SUR", 0), 0u);
}

TEST_F(ConfigurationTest, LaterSectorsKeepSectorOneIdentity) {
    session.project.selection.sector = "2";
    Configuration c(session);
    EXPECT_FALSE(c.state().textsEnabled);
    EXPECT_FALSE(c.SetText(Text::Consultant, "X"));
}

TEST_F(ConfigurationTest, AnUnreadableControlFileIsReportedByName) {
    session.project.files.Build((base_ / "missing" / "deep").string(), "AB1");
    Configuration c(session);
    EXPECT_FALSE(c.ready());
    EXPECT_TRUE(c.finished());
    ASSERT_NE(rig.ui.last(), nullptr);
    EXPECT_NE(rig.ui.last()->message.find("XSDA.AB1"), std::string::npos);
    EXPECT_FALSE(c.SetBox(Box::Energy, true));
}

}  // namespace
}  // namespace nivex::project
