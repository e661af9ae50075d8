// The reordering list: blocks, deletions, the saved form and its validation.

#include <gtest/gtest.h>

#include "network/reorder_list.h"

namespace nivex::network {
namespace {

ReorderModel List(int n) {
    std::vector<IndiceTramoT> index;
    for (int k = 1; k <= n; ++k)
        index.push_back({"U" + std::to_string(k), "D" + std::to_string(k), k});
    ReorderModel list;
    list.FromIndex(index);
    return list;
}

std::string Order(const ReorderModel& list) {
    std::string out;
    for (int k = 0; k < list.size(); ++k) {
        if (!out.empty()) out += ' ';
        const int line = list.row(k).node.FormerLine;
        out += line > 0 ? std::to_string(line) : "+";
    }
    return out;
}

TEST(ReorderList, BlocksMoveAndDeleteInListOrder) {
    ReorderModel list = List(6);
    int current = 5;
    EXPECT_FALSE(list.MoveBlockAfter(current));  // no marks yet
    list.MarkEnd(1);
    list.MarkStart(3);  // marks given backwards still make the block 2..4
    EXPECT_FALSE(list.MoveBlockAfter(current = 2));  // not into itself
    current = 5;
    ASSERT_TRUE(list.MoveBlockAfter(current));
    EXPECT_EQ(Order(list), "1 5 6 2 3 4");
    EXPECT_EQ(current, 2);  // still on line 6
    int first = 0, last = 0;
    EXPECT_FALSE(list.Block(first, last));  // the marks went with the move

    list.MarkStart(0);
    list.MarkEnd(2);
    current = 4;
    ASSERT_TRUE(list.DeleteBlock(current));
    EXPECT_EQ(Order(list), "2 3 4");
    EXPECT_EQ(current, 1);

    current = list.InsertAfter(2);
    EXPECT_EQ(Order(list), "2 3 4 +");
    EXPECT_EQ(current, 3);
    list.MarkStart(0);
    list.MarkEnd(3);
    ASSERT_TRUE(list.DeleteBlock(current));
    EXPECT_EQ(list.size(), 1);  // one empty line stays
    EXPECT_EQ(Order(list), "+");
    EXPECT_TRUE(list.changed());
}

TEST(ReorderList, LoneLineIsEmptiedAndSearchMatchesLikeTheReachScreen) {
    ReorderModel list = List(1);
    EXPECT_FALSE(list.changed());
    EXPECT_EQ(list.Delete(0), 0);
    EXPECT_EQ(list.size(), 1);
    EXPECT_EQ(list.row(0).node.Upstream, "");
    EXPECT_EQ(list.row(0).node.FormerLine, 0);

    list = List(4);
    EXPECT_EQ(list.Find("U3", "D3"), 2);
    EXPECT_EQ(list.Find("", "D4"), 3);
    EXPECT_EQ(list.Find("U2", ""), 1);
    EXPECT_EQ(list.Find("U2", "D3"), -1);
    EXPECT_EQ(list.Find("", ""), -1);
}

TEST(ReorderList, SavedListRoundTripsAndBrokenOnesAreRefused) {
    ReorderModel list = List(3);
    int current = 2;
    list.MarkStart(2);
    list.MarkEnd(2);
    current = 0;
    ASSERT_TRUE(list.MoveBlockAfter(current));  // 1 3 2
    const std::vector<TramoBufT> saved = list.Saved();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0].Previous, 0);
    EXPECT_EQ(saved[0].Next, 2);
    EXPECT_EQ(saved[2].Next, 0);

    ReorderModel back;
    ASSERT_TRUE(back.FromSaved(saved, 3));
    EXPECT_EQ(Order(back), "1 3 2");
    EXPECT_TRUE(back.changed());

    std::vector<TramoBufT> broken = saved;
    broken[2].Next = 1;  // a cycle
    EXPECT_FALSE(back.FromSaved(broken, 3));
    broken = saved;
    broken[1].FormerLine = 9;  // a line the file does not have
    EXPECT_FALSE(back.FromSaved(broken, 3));
    broken = saved;
    broken[1].Next = 0;  // the list stops short of its nodes
    EXPECT_FALSE(back.FromSaved(broken, 3));
    EXPECT_EQ(Order(back), "1 3 2");  // left as it was
}

}  // namespace
}  // namespace nivex::network
