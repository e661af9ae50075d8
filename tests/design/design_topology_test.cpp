#include <gtest/gtest.h>

#include <vector>

#include "design/design_driver.h"
#include "design/reach_values.h"
#include "design_rig.h"

namespace nivex::design::test {
namespace {

std::vector<int> Tributaries(TramoT& t) {
    std::vector<int> v;
    for (int k = 0; k < TributaryCount(t); ++k)
        v.push_back(TributaryRecord(t, k));
    return v;
}

TEST(LinkReaches, LinesEndAtOutletsAndLinkEveryReachInFileOrder) {
    std::vector<TramoT> r = {Reach("A", "B", 101, 100), Reach("X", "B", 101, 100),
                             Reach("B", "C", 100, 99),  Reach("C", "V", 99, 98, 2),
                             Reach("P", "Q", 99, 98),   Reach("Q", "W", 98, 97, 2)};
    LinkReaches(r);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(OwnRecord(r[k]), k + 1);
    EXPECT_EQ(Tributaries(r[2]), (std::vector<int>{1, 2}));
    EXPECT_EQ(ReceiverRecord(r[0]), 3);
    EXPECT_EQ(ReceiverRecord(r[1]), 3);
    EXPECT_EQ(Tributaries(r[3]), (std::vector<int>{3}));
    EXPECT_EQ(ReceiverRecord(r[3]), 0);
    // Previous and next within a line; a line starts after the discharge.
    EXPECT_EQ(PreviousRecord(r[0]), 0);
    EXPECT_EQ(PreviousRecord(r[3]), 3);
    EXPECT_EQ(NextRecord(r[2]), 4);
    EXPECT_EQ(NextRecord(r[3]), 0);
    EXPECT_EQ(PreviousRecord(r[4]), 0);
    EXPECT_EQ(NextRecord(r[5]), 0);
    EXPECT_EQ(Tributaries(r[4]), std::vector<int>{});
    EXPECT_EQ(Tributaries(r[5]), (std::vector<int>{5}));
}

TEST(LinkReaches, ASideLineOfTwoReachesEndingAheadOfTheOtherLineIsNotLost) {
    // A1→A2, A2→M, B1→B2, B2→M, M→N: both lines arrive at M.
    std::vector<TramoT> r = {Reach("A1", "A2", 103, 102), Reach("A2", "M", 102, 101),
                             Reach("B1", "B2", 103, 102), Reach("B2", "M", 102, 101),
                             Reach("M", "N", 101, 100, 2)};
    LinkReaches(r);
    EXPECT_EQ(Tributaries(r[4]), (std::vector<int>{2, 4}));
    EXPECT_EQ(ReceiverRecord(r[1]), 5);
    EXPECT_EQ(ReceiverRecord(r[3]), 5);
    EXPECT_EQ(Tributaries(r[1]), (std::vector<int>{1}));
    EXPECT_EQ(Tributaries(r[3]), (std::vector<int>{3}));
    EXPECT_EQ(Tributaries(r[2]), std::vector<int>{});

    // A one-reach side line right before the joining reach: both rules agree.
    std::vector<TramoT> s = {Reach("A1", "A2", 103, 102), Reach("A2", "M", 102, 101),
                             Reach("B1", "M", 102, 101), Reach("M", "N", 101, 100, 2)};
    LinkReaches(s);
    EXPECT_EQ(Tributaries(s[3]), (std::vector<int>{2, 3}));
    EXPECT_EQ(Tributaries(s[1]), (std::vector<int>{1}));
}

class DesignTopology : public DesignRig {};

TEST_F(DesignTopology, TheFlowOfTheJoiningReachIncludesBothSideLines) {
    Network({Reach("A1", "A2", 103, 102.5f), Reach("A2", "M", 102.5f, 102),
             Reach("B1", "B2", 103, 102.5f), Reach("B2", "M", 102.5f, 102),
             Reach("M", "N", 102, 101.5f, 2)});
    ASSERT_TRUE(Design()) << (sink_.messages.empty() ? "" : sink_.messages[0]);
    std::vector<TramoT> z = Zsdb();
    ASSERT_EQ(z.size(), 5u);
    const double sum = z[1].InFlow + z[3].InFlow + double(z[4].Area) * p_.espec.Zones[0].sewageFlow;
    EXPECT_GT(z[1].InFlow, 0);
    EXPECT_NEAR(z[4].InFlow, sum, 1e-4);
    EXPECT_NEAR(z[4].InPopulation, 5 * 0.5 * p_.espec.Zones[0].density, 1e-3);
    EXPECT_EQ(TributaryCount(z[4]), 2);
}

}  // namespace
}  // namespace nivex::design::test
