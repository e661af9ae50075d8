// Listing 9C: the classification of a designed sanitary network agrees with the
// quantities of its new system, and a size outside the list stops it.

#include "quantities/classification_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/keys.h"
#include "design/reach_values.h"
#include "network/reach_file.h"
#include "support/session_rig.h"
#include "swmm/swmm_project_rig.h"
#include "ui/listing_viewer.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;
using network::TramoT;

class ClassificationListing : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
    }
    std::string ListByBatch(cli::BatchOutcome& r) {
        const fs::path out = base_ / "clasificacion.txt";
        r = batch({"--project", "AB1", "list", "9C", "--out", out.string()});
        std::ostringstream s;
        if (fs::exists(out)) s << std::ifstream(out, std::ios::binary).rdbuf();
        return s.str();
    }
    void SetDiameter(const fs::path& file, int line, float diameter, TramoT& t) {
        network::TramoFile f;
        ASSERT_TRUE(f.Open(file.string()));
        ASSERT_TRUE(f.Read(line, t));
        t.Diameter = diameter;
        ASSERT_TRUE(f.Write(line, t));
        ASSERT_TRUE(f.Close());
    }
};

TEST_F(ClassificationListing, ClassesAgreeWithTheQuantitiesOfTheNewSystem) {
    ASSERT_FALSE(HasFatalFailure());
    QuantityInput input;
    ASSERT_EQ(LoadQuantityInput(project, input).problem, InputProblem::None);
    const QuantityLimits l = LimitsOf(project.espec);
    auto& r = input.sectors[0].records;
    // A deeper and larger reach, a manhole that feeds 700 mm, an added initial manhole and
    // an existing reach of an old size: every part gets more than one class.
    r[2].Diameter = l.size(3);
    design::DepthUp(r[2]) = design::DepthDown(r[2]) = design::DepthMean(r[2]) = 3.2f;
    design::ImposedDiameter(r[4]) = 700;
    design::NewInitialManhole(r[0]) = 1;
    r[1].Class = network::kClassExisting;
    r[1].Diameter = 123;

    const Classification c = ClassifyNetwork(input, l);
    ASSERT_FALSE(c.fault);
    const QuantityResult q = ComputeQuantityTables(input, project.espec);
    ASSERT_FALSE(q.fault);
    const QuantityTables& t = q.systems.at(0).tables;

    int ranges = 0;
    size_t listed = 0;
    for (int range = 1; range <= kExcavationRanges; ++range) {
        for (const SizeClass& k : c.reaches[static_cast<size_t>(range - 1)]) {
            const PipeCell& cell =
                t.pipes[static_cast<size_t>(range)][static_cast<size_t>(k.position)];
            EXPECT_EQ(static_cast<double>(k.reaches.size()), cell.count) << range << k.position;
            EXPECT_DOUBLE_EQ(k.meanDepth(), cell.meanDepth);
            listed += k.reaches.size();
            if (std::count(k.reaches.begin(), k.reaches.end(), ReachLabel(r[1])) != 0)
                ADD_FAILURE() << "existing reach listed";
        }
        ranges += !c.reaches[static_cast<size_t>(range - 1)].empty();
    }
    EXPECT_GE(ranges, 2);
    EXPECT_EQ(static_cast<double>(listed), t.pipeTotal.count);

    for (size_t g = 0; g < kManholeGroups; ++g)
        for (size_t range = 1; range <= kManholeRanges; ++range) {
            const ManholeClass& m = c.manholes[g][range - 1];
            const ManholeCell& cell = t.manholes[g][kNetworkRow][range];
            EXPECT_EQ(static_cast<double>(m.names.size()), cell.count) << g << range;
            EXPECT_DOUBLE_EQ(m.meanDepth(), cell.meanDepth);
            for (const std::string& name : {r[1].Upstream, r[1].Downstream})
                EXPECT_EQ(std::count(m.names.begin(), m.names.end(), name), 0) << name;
            const ManholeClass& added = c.added[g][range - 1];
            EXPECT_EQ(static_cast<double>(added.names.size()),
                      t.manholes[g][kAddedRow][range].count);
            if (!added.names.empty()) {
                EXPECT_EQ(added.names[0], ReachLabel(r[0]));
            }
        }
    EXPECT_FALSE(c.manholes[kManhole180][0].names.empty());
}

TEST_F(ClassificationListing, ListingHoldsThePartsUnderTheTitle) {
    ASSERT_FALSE(HasFatalFailure());
    // The menu lists the quantities' classification once they are computed.
    cli::BatchOutcome r = batch({"--project", "AB1", "quantities"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string text = ListByBatch(r);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(text.find("CLASIFICACION DE LOS TRAMOS DE COLECTORES Y POZOS DE INSPECCION"),
              std::string::npos);
    QuantityInput input;
    ASSERT_EQ(LoadQuantityInput(project, input).problem, InputProblem::None);
    const QuantityLimits l = LimitsOf(project.espec);
    const std::vector<std::string> lines = ClassificationLines(ClassifyNetwork(input, l), l);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "< 1.1> COLECTORES CON PROFUNDIDAD A BATEA MENOR DE " +
                            LimitText(l.excavation[0]) + " m");
    size_t at = 0;
    for (const std::string& line : lines) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << line;
    }
    EXPECT_NE(text.find(ReachLabel(reaches[0]) + "   "), std::string::npos);
}

// The totaliser, in a session as the screen runs it: sector 2 is missing, then has a size
// outside the list.
TEST_F(ClassificationListing, TotaliserStopsAtAMissingSectorAndAtAnUnknownSize) {
    ASSERT_FALSE(HasFatalFailure());
    fs::copy_file(folder() / "XSDA.AB1", folder() / "XSDA.AB0");
    testing::SessionRig rig;
    project::Project& p = rig.session.project;
    p.selection.code = "AB";
    p.selection.sector = "0";
    p.selection.sectors = "2";
    p.selection.sectorCount = 2;
    p.files.Build(folder().string(), "AB0");
    rig.session.listing.rangePreset = true;
    rig.rig.pump.key(key::Enter);
    ListClassification(rig.session);
    EXPECT_NE(rig.rig.row(10).find("... ERROR .. no hay sector #2 ..."), std::string::npos);
    EXPECT_TRUE(rig.rig.pump.done());  // it waited for Enter
    EXPECT_TRUE(rig.rig.ui.boxes.empty());

    for (const char* base : {"XSDA.AB", "ZSDB.AB"})
        fs::copy_file(folder() / (std::string(base) + "1"), folder() / (std::string(base) + "2"));
    TramoT t;
    SetDiameter(folder() / "ZSDB.AB2", 7, 123, t);
    ListClassification(rig.session);
    EXPECT_NE(rig.rig.row(10).find("... voy a realizar la clasificacion del sector #2 ..."),
              std::string::npos);
    EXPECT_NE(rig.rig.row(12).find("Procesando la linea [7] de ["), std::string::npos);
    ASSERT_EQ(rig.rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.rig.ui.boxes[0].caption, "Error");
    EXPECT_EQ(rig.rig.ui.boxes[0].message, DiameterFaultMessage({7, t.Upstream, t.Downstream}));
}

}  // namespace
}  // namespace nivex::quantities
