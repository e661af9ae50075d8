#include "network/network_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nivex::network {
namespace {

TramoT R(const std::string& up, const std::string& down, int type = 0, int cls = 0) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.Type = type;
    t.Class = cls;
    return t;
}

std::vector<WalkFault> Faults(const WalkResult& w) {
    std::vector<WalkFault> f;
    for (const WalkError& e : w.errors)
        f.push_back(e.fault);
    return f;
}

TEST(NetworkWalk, TributaryPushedOverTheLineItJoinsIsTakenOffByTheNextReach) {
    const WalkResult w = WalkNetwork({R("A", "B"), R("X", "B"), R("B", "C")});
    EXPECT_TRUE(w.errors.empty());
    EXPECT_TRUE(w.openEnds.empty());
    EXPECT_EQ(w.top, 2);
    ASSERT_EQ(w.joins.size(), 2u);
    EXPECT_EQ(w.joins[0].reach, 2);
    EXPECT_EQ(w.joins[0].entry, 1);
    EXPECT_EQ(w.joins[0].kind, JoinKind::Tributary);
    EXPECT_EQ(w.joins[1].entry, 0);
    EXPECT_EQ(w.joins[1].kind, JoinKind::Continuation);
}

TEST(NetworkWalk, TributaryAfterTheLineWentOnBreaksContinuity) {
    const WalkResult w = WalkNetwork({R("A", "B"), R("B", "C"), R("X", "B"), R("C", "D")});
    ASSERT_EQ(w.errors.size(), 2u);
    EXPECT_EQ(w.errors[0].fault, WalkFault::NoContinuity);
    EXPECT_EQ(w.errors[0].reach, 1);  // B->C
    EXPECT_EQ(w.errors[1].reach, 2);  // X->B
    EXPECT_EQ(w.openEnds, (std::vector<int>{1, 2}));
    EXPECT_EQ(w.top, 3);
}

TEST(NetworkWalk, LineEndsThatAreOutletsAreNoFault) {
    // Two separate lines, each ending in a discharge or a reach to another sector.
    const WalkResult w =
        WalkNetwork({R("A", "B"), R("B", "C", 2), R("D", "E"), R("E", "F", kTypeToSector)});
    EXPECT_TRUE(w.errors.empty());
    EXPECT_EQ(w.outlets, (std::vector<int>{1, 3}));
    EXPECT_EQ(w.openEnds, (std::vector<int>{1}));
    // The same lines without outlets leave the first one open.
    const WalkResult open = WalkNetwork({R("A", "B"), R("B", "C"), R("D", "E"), R("E", "F")});
    EXPECT_EQ(Faults(open), (std::vector<WalkFault>{WalkFault::NoContinuity}));
}

TEST(NetworkWalk, NamesThatCannotBeNodes) {
    const WalkResult w = WalkNetwork({R("", "B"), R("A", "   "), R("C", "C"), R("D", "E")});
    ASSERT_GE(w.errors.size(), 3u);
    EXPECT_EQ(w.errors[0].fault, WalkFault::NullName);
    EXPECT_EQ(w.errors[1].fault, WalkFault::NullName);
    EXPECT_EQ(w.errors[1].reach, 1);
    EXPECT_EQ(w.errors[2].fault, WalkFault::SameNames);
    EXPECT_EQ(w.errors[2].reach, 2);
}

TEST(NetworkWalk, CrownCodes) {
    TramoT t = R("A", "B", 0, kClassExisting);
    EXPECT_EQ(CrownCode(t), 1);
    t.Class = kClassRestricted;
    EXPECT_EQ(CrownCode(t), 2);
    t.Class = kClassNotInvestigated;
    EXPECT_EQ(CrownCode(t), kCrownsNone);
    t.CrownUp = 10;
    EXPECT_EQ(CrownCode(t), kCrownUpOnly);
    t.CrownDown = 9;
    EXPECT_EQ(CrownCode(t), kCrownsBoth);
    t.CrownUp = 0;
    EXPECT_EQ(CrownCode(t), kCrownDownOnly);
    t.Type = kTypeToSector;  // a reach to another sector needs no crowns here
    EXPECT_EQ(CrownCode(t), 0);
}

TEST(NetworkWalk, JunctionMarksTheCrownsToInvestigate) {
    TramoT noCrowns = R("B", "C", 0, kClassNotInvestigated);
    TramoT upOnly = R("A", "B", 0, kClassNotInvestigated);
    upOnly.CrownUp = 12;
    // New into not investigated without an upstream crown: the later reach needs it.
    WalkResult w = WalkNetwork({R("A", "B"), noCrowns});
    EXPECT_EQ(w.table[1].mark, kMarkUpstream);
    EXPECT_EQ(w.table[0].mark, kMarkNone);
    EXPECT_EQ(w.marked, 1);
    // Not investigated without a downstream crown into a new reach: the earlier one needs it.
    w = WalkNetwork({upOnly, R("B", "C")});
    EXPECT_EQ(w.table[0].mark, kMarkDownstream);
    EXPECT_EQ(w.marked, 1);
    // A reach missing both, between two new ones, needs both and is counted once.
    TramoT middle = R("B", "C", 0, kClassNotInvestigated);
    w = WalkNetwork({R("A", "B"), middle, R("C", "D")});
    EXPECT_EQ(w.table[1].mark, kMarkBoth);
    EXPECT_EQ(w.marked, 1);
    // Investigated on both sides: nothing.
    w = WalkNetwork({R("A", "B", 0, kClassExisting), R("B", "C")});
    EXPECT_EQ(w.marked, 0);
}

TEST(NetworkWalk, ClosedCircuitIsReported) {
    const WalkResult w = WalkNetwork({R("A", "B"), R("B", "C"), R("C", "A"), R("A", "Z", 2)});
    std::vector<int> cycle;
    for (const WalkError& e : w.errors)
        if (e.fault == WalkFault::Cycle) cycle.push_back(e.reach);
    EXPECT_EQ(cycle, (std::vector<int>{0, 1, 2}));
}

TEST(NetworkWalk, TablesBeyondTheirLimitsAreReportedNotOverrun) {
    std::vector<TramoT> heads;
    for (int k = 0; k < kMaxOpenEnds + 5; ++k)
        heads.push_back(R("U" + std::to_string(k), "D" + std::to_string(k)));
    WalkResult w = WalkNetwork(heads);
    ASSERT_EQ(Faults(w), (std::vector<WalkFault>{WalkFault::StackFull}));
    EXPECT_EQ(w.errors[0].reach, kMaxOpenEnds);
    EXPECT_TRUE(w.stopped);

    std::vector<TramoT> outlets;
    for (int k = 0; k < kMaxOutlets + 3; ++k)
        outlets.push_back(R("U" + std::to_string(k), "D" + std::to_string(k), 2));
    // One line made of many outlets in a row keeps the stack small.
    for (int k = 1; k < static_cast<int>(outlets.size()); ++k)
        outlets[static_cast<size_t>(k)].Upstream = outlets[static_cast<size_t>(k) - 1].Downstream;
    w = WalkNetwork(outlets);
    EXPECT_EQ(Faults(w), (std::vector<WalkFault>{WalkFault::TooManyOutlets}));
    EXPECT_EQ(w.outlets.size(), static_cast<size_t>(kMaxOutlets));
    EXPECT_EQ(Faults(ReachTable(outlets)), (std::vector<WalkFault>{WalkFault::TooManyOutlets}));

    std::vector<TramoT> many(static_cast<size_t>(kMaxLines) + 1, R("A", "B"));
    w = WalkNetwork(many);
    EXPECT_EQ(Faults(w), (std::vector<WalkFault>{WalkFault::TooManyReaches}));
    EXPECT_TRUE(w.table.empty());
}

TEST(NetworkWalk, EmptyNetwork) {
    const WalkResult w = WalkNetwork({});
    EXPECT_TRUE(w.errors.empty());
    EXPECT_EQ(w.top, -1);
}

}  // namespace
}  // namespace nivex::network
