// The collector lines and the paths between manholes, on small networks linked by hand
// and on generated networks designed whole.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/codepage.h"
#include "design/design_rig.h"
#include "design/network_generator.h"
#include "design/reach_values.h"
#include "drawings/profile.h"
#include "drawings/profile_lines.h"

namespace nivex::drawings {
namespace {

using network::TramoT;

TramoT Linked(const std::string& up, const std::string& down, int receiver, float flow,
              float diameter = 200) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Length = 40;
    t.Diameter = diameter;
    design::ReceiverRecord(t) = receiver;
    design::DesignFlow(t) = flow;
    return t;
}

// A-B (10 l/s) and X-B (30 l/s) meet at B; B-C takes Y-C (5 l/s) at C; C-D is the outfall.
std::vector<TramoT> Junctions() {
    return {Linked("A", "B", 3, 10), Linked("X", "B", 3, 30), Linked("B", "C", 5, 45),
            Linked("Y", "C", 5, 5), Linked("C", "D", 0, 52)};
}

std::vector<std::vector<int>> Records(const std::vector<ProfileLine>& lines) {
    std::vector<std::vector<int>> v;
    for (const ProfileLine& l : lines)
        v.push_back(l.records);
    return v;
}

TEST(ProfileLines, TheLineWithMoreFlowGoesOnAndTheOthersEndWhereTheyJoinIt) {
    using V = std::vector<std::vector<int>>;
    // X-B brings more than A-B: A-B ends at B; Y-C ends at C.
    EXPECT_EQ(Records(CollectorLines(Junctions())), (V{{1}, {2, 3, 5}, {4}}));
    // With more flow in A-B the trunk starts there instead.
    std::vector<TramoT> r = Junctions();
    design::DesignFlow(r[0]) = 31;
    EXPECT_EQ(Records(CollectorLines(r)), (V{{1, 3, 5}, {2}, {4}}));
    // Equal flows: the larger pipe, then the first in the file.
    design::DesignFlow(r[0]) = 30;
    EXPECT_EQ(Records(CollectorLines(r)), (V{{1, 3, 5}, {2}, {4}}));
    r[1].Diameter = 250;
    EXPECT_EQ(Records(CollectorLines(r)), (V{{1}, {2, 3, 5}, {4}}));
    // One reach; two separate outfalls.
    EXPECT_EQ(Records(CollectorLines({Linked("A", "B", 0, 1)})), (V{{1}}));
    EXPECT_EQ(Records(CollectorLines(
                  {Linked("A", "B", 2, 1), Linked("B", "C", 0, 2), Linked("E", "F", 0, 1)})),
              (V{{1, 2}, {3}}));
    // Links that loop (a damaged copy) still leave every reach in one line.
    EXPECT_EQ(Records(CollectorLines({Linked("A", "B", 2, 1), Linked("B", "A", 1, 1)})),
              (V{{1, 2}}));
    EXPECT_TRUE(CollectorLines({}).empty());
}

TEST(ProfileLines, APathRunsDownTheDesignedFlowBetweenTwoManholes) {
    const std::vector<TramoT> r = Junctions();
    ProfileLine path;
    std::string error;
    ASSERT_TRUE(PathBetween(r, "X", "D", path, error)) << error;
    EXPECT_EQ(path.records, (std::vector<int>{2, 3, 5}));
    ASSERT_TRUE(PathBetween(r, "A", "C", path, error)) << error;
    EXPECT_EQ(path.records, (std::vector<int>{1, 3}));
    ASSERT_TRUE(PathBetween(r, "Y", "D", path, error)) << error;
    EXPECT_EQ(path.records, (std::vector<int>{4, 5}));
    ASSERT_TRUE(PathBetween(r, "B", "C", path, error)) << error;
    EXPECT_EQ(path.records, (std::vector<int>{3}));

    // Against the flow, between two side lines, from or to a manhole that is not there,
    // and from a manhole to itself: refused, saying why.
    EXPECT_FALSE(PathBetween(r, "D", "A", path, error));
    EXPECT_EQ(error, cp("Ningún tramo sale del pozo D"));
    EXPECT_TRUE(path.records.empty());
    EXPECT_FALSE(PathBetween(r, "C", "A", path, error));
    EXPECT_EQ(error, cp("El pozo A no está aguas abajo del pozo C"));
    EXPECT_FALSE(PathBetween(r, "A", "Y", path, error));
    EXPECT_EQ(error, cp("El pozo Y no está aguas abajo del pozo A"));
    EXPECT_FALSE(PathBetween(r, "A", "Q", path, error));
    EXPECT_EQ(error, cp("El pozo Q no existe en la red"));
    EXPECT_FALSE(PathBetween(r, "B", "B", path, error));
    EXPECT_EQ(error, cp("Los pozos inicial y final del perfil son el mismo: B"));
}

TEST(ProfileLines, AMissingDesignCopyIsNamedAsADesignStillToDo) {
    std::vector<TramoT> r;
    std::string error;
    EXPECT_FALSE(ReadDesignedReaches("/nonexistent/ZSDB.AB1", r, error));
    EXPECT_EQ(error, cp("... Falta hacer o repetir el diseño del proyecto ..."));
}

class GeneratedProfiles : public design::test::DesignRig {};

// Trees with side lines and several outfalls, designed whole: every reach lies in exactly
// one line, each line follows the receiving reaches, and its profile's texts stay apart.
TEST_F(GeneratedProfiles, EveryReachInExactlyOneLine) {
    int designed = 0;
    for (uint64_t start : {11u, 22u, 33u, 44u, 55u}) {
        const design::test::GeneratedNetwork g = design::test::GenerateNetwork(start);
        Network(g.reaches);
        if (!Design()) continue;  // the criteria of the rig may not suit every draw
        ++designed;
        SCOPED_TRACE("draw " + std::to_string(start));
        std::vector<TramoT> z;
        std::string error;
        ASSERT_TRUE(ReadDesignedReaches(p_.files.designCopy(), z, error)) << error;
        const std::vector<ProfileLine> lines = CollectorLines(z);
        std::vector<int> seen(z.size() + 1, 0);
        for (const ProfileLine& l : lines) {
            for (size_t i = 0; i < l.records.size(); ++i) {
                ++seen[static_cast<size_t>(l.records[i])];
                TramoT t = z[static_cast<size_t>(l.records[i] - 1)];
                if (i + 1 < l.records.size()) {
                    EXPECT_EQ(design::ReceiverRecord(t), l.records[i + 1]);
                }
            }
            const Profile p = BuildProfile(z, l);
            for (size_t i = 0; i < p.drawing.texts.size(); ++i)
                for (size_t j = i + 1; j < p.drawing.texts.size(); ++j)
                    ASSERT_FALSE(Overlap(TextBox(p.drawing.texts[i]), TextBox(p.drawing.texts[j])))
                        << toUtf8(p.drawing.texts[i].text) << " / "
                        << toUtf8(p.drawing.texts[j].text);
        }
        for (size_t r = 1; r <= z.size(); ++r)
            EXPECT_EQ(seen[r], 1) << "reach " << r;
        EXPECT_GT(z.size(), lines.size());
    }
    EXPECT_GE(designed, 3);
}

}  // namespace
}  // namespace nivex::drawings
