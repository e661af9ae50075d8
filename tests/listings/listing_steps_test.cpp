// The listing frame with a page header of the listing's own: drawn on every page with the
// standard set-up, and a new page on demand with another title.

#include "listings/listing_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "listings/listing_file.h"
#include "support/session_rig.h"

namespace nivex::listings {
namespace {

namespace fs = std::filesystem;

// Keeps a copy of the listing the viewer is handed (the run removes the file after it).
struct CopyingViewer : ui::ListingViewer {
    void ShowListing(const std::string& file, const std::string& shownTitle) override {
        std::ostringstream bytes;
        bytes << std::ifstream(file, std::ios::binary).rdbuf();
        text = bytes.str();
        title = shownTitle;
        ++shown;
    }
    std::string text, title;
    int shown = 0;
};

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

class ListingSteps : public ::testing::Test, protected testing::SessionRig {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("nivex_steps_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        session.project.files.Build(folder_.string() + "/", "AB1");
        session.viewer = &viewer;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A run with the page header "<title> <sheet>", a double line, "third", "fourth",
    // "fifth"; the heading line "HEAD" after it.
    void Hook(ListingRun& run) {
        run.pageHeader = [](std::string_view title, int sheet) {
            return std::vector<std::string>{std::string(title) + " " + std::to_string(sheet),
                                            "second", "third", "fourth", "fifth"};
        };
        run.heading = [&run] { run.Line("HEAD"); };
    }

    fs::path folder_;
    CopyingViewer viewer;
};

TEST_F(ListingSteps, OwnHeaderOnEveryPageWithTheStandardSetUpAndEmphasis) {
    ListingRun run(session, "TITULO", 60);
    Hook(run);
    ASSERT_TRUE(run.Begin());
    EXPECT_EQ(run.width(), kMinimumPageWidth);  // raised as the standard header does
    const int margin = (137 - 90) / 2 + 4;
    EXPECT_EQ(run.margin(), margin);
    // Five header lines and the heading: the page holds 89 - 5 - 5 - 1 body rows.
    const int rowsPerPage = kStandardLinesPerPage - 5 - 5 - 1;
    for (int k = 0; k < rowsPerPage + 3; ++k)
        ASSERT_TRUE(run.Row("row " + std::to_string(k)));
    ASSERT_TRUE(run.Finish());
    ASSERT_EQ(viewer.shown, 1);
    EXPECT_EQ(viewer.title, "TITULO");

    const std::vector<std::string> lines = SplitLines(viewer.text);
    const std::string m(static_cast<size_t>(margin), ' ');
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(lines[static_cast<size_t>(k)], "");
    EXPECT_EQ(lines[5], "\x1bG" + m + "TITULO 1");
    EXPECT_EQ(lines[8], m + "fourth");
    EXPECT_EQ(lines[9], "\x1bH" + m + "fifth");  // emphasis ends after the fourth line
    EXPECT_EQ(lines[10], m + "HEAD");
    EXPECT_EQ(lines[11], m + "row 0");
    // The last row of the first page, the footer, then the second page's header.
    const size_t last = 11 + static_cast<size_t>(rowsPerPage) - 1;
    EXPECT_EQ(lines[last], m + "row " + std::to_string(rowsPerPage - 1));
    EXPECT_EQ(lines[last + 1], "\x1bG" + m + std::string(90, static_cast<char>(kDoubleLine)));
    EXPECT_EQ(lines[last + 2], "\x1bH\x13");
    EXPECT_EQ(lines[last + 8], "\x1bG" + m + "TITULO 2");
    EXPECT_EQ(lines[last + 13], m + "HEAD");
    EXPECT_EQ(lines[last + 14], m + "row " + std::to_string(rowsPerPage));
}

TEST_F(ListingSteps, NewPageEndsThePageAndTakesTheNewTitleOnTheFollowingOnes) {
    ListingRun run(session, "PRIMERA", 90);
    Hook(run);
    ASSERT_TRUE(run.Begin());
    ASSERT_TRUE(run.Row("one"));
    ASSERT_TRUE(run.NewPage("SEGUNDA"));
    ASSERT_TRUE(run.Row("two"));
    ASSERT_TRUE(run.Finish());
    const std::string& text = viewer.text;
    const size_t second = text.find("SEGUNDA 2");
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(text.find("PRIMERA 1"), text.find("one"));
    EXPECT_LT(text.find("\x13\r\n"), second);  // the first page was closed before it
    EXPECT_LT(second, text.find("two"));
    EXPECT_EQ(text.find("PRIMERA 2"), std::string::npos);
    EXPECT_EQ(viewer.title, "PRIMERA");  // the viewer keeps the listing's title
}

TEST_F(ListingSteps, NewPageStopsAtTheLastSheetAskedFor) {
    session.listing.LastSheet = 1;
    ListingRun run(session, "PRIMERA", 90);
    Hook(run);
    ASSERT_TRUE(run.Begin());
    ASSERT_TRUE(run.Row("one"));
    EXPECT_FALSE(run.NewPage("SEGUNDA"));
    EXPECT_FALSE(run.Row("two"));
    ASSERT_TRUE(run.Finish());
    EXPECT_EQ(viewer.text.find("SEGUNDA"), std::string::npos);
    EXPECT_EQ(viewer.text.find("two"), std::string::npos);
}

}  // namespace
}  // namespace nivex::listings
