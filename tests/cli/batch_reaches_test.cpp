// "reaches move": the block move of the reordering screen from the command line.

#include <gtest/gtest.h>

#include "batch_rig.h"

namespace nivex::cli {
namespace {

class BatchReaches : public BatchProjectTest {
  protected:
    // The first n lines of the exported table, as "line:from-to".
    std::vector<std::string> Lines(size_t n) {
        const BatchOutcome e = batch({"--project", "AB1", "reaches", "export"});
        std::vector<std::string> lines;
        std::istringstream in(e.out);
        std::string row;
        std::getline(in, row);  // headings
        while (lines.size() < n && std::getline(in, row)) {
            std::istringstream cells(row);
            std::string line, from, to;
            std::getline(cells, line, ',');
            std::getline(cells, from, ',');
            std::getline(cells, to, ',');
            lines.push_back(line + ":" + from + "-" + to);
        }
        return lines;
    }
};

TEST_F(BatchReaches, MoveCommitsTheBlockAfterItsLineAndAsksTheControlsAgain) {
    ASSERT_EQ(batch({"--project", "AB1", "simulate", "--horizontal", "3", "--vertical", "2",
                     "--length", "50", "--slope", "0.8", "--ground", "1000", "--yes"})
                  .rc,
              0);
    EXPECT_EQ(Lines(5), (std::vector<std::string>{"1:1-2", "2:2-3", "3:3-4", "4:4-8", "5:1A-5"}));

    // Refused: answered No, a block out of order, a target inside the block, past the end.
    EXPECT_EQ(batch({"--project", "AB1", "reaches", "move", "1", "2", "5"}).rc, 1);
    EXPECT_EQ(batch({"--project", "AB1", "reaches", "move", "3", "2", "5", "--yes"}).rc, 1);
    EXPECT_EQ(batch({"--project", "AB1", "reaches", "move", "1", "3", "2", "--yes"}).rc, 1);
    EXPECT_EQ(batch({"--project", "AB1", "reaches", "move", "1", "2", "99", "--yes"}).rc, 1);
    EXPECT_EQ(batch({"--project", "AB1", "reaches", "move", "x", "2", "5", "--yes"}).rc, 1);
    EXPECT_EQ(Lines(1), std::vector<std::string>{"1:1-2"});

    const BatchOutcome moved =
        batch({"--project", "AB1", "reaches", "move", "1", "2", "5", "--yes"});
    ASSERT_EQ(moved.rc, 0) << moved.err;
    EXPECT_EQ(Lines(6),
              (std::vector<std::string>{"1:3-4", "2:4-8", "3:1A-5", "4:1-2", "5:2-3", "6:5-6"}));
    const BatchOutcome info = batch({"--project", "AB1", "info"});
    EXPECT_EQ(valueOf(info.out, "tramos"), "18");
    EXPECT_EQ(valueOf(info.out, "controles"), "0000");
}

}  // namespace
}  // namespace nivex::cli
