// The evolution listing: missing file, the question, and the page-end lines.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/codepage.h"
#include "design/evolution_listing.h"
#include "shell/session.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;

struct CapturingViewer : ui::ListingViewer {
    std::string text, title;
    int shown = 0;
    void ShowListing(const std::string& file, const std::string& t) override {
        std::ifstream in(file, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
        title = t;
        ++shown;
    }
};

class EvolutionListing : public ::testing::Test, protected testing::SessionRig {
  protected:
    CapturingViewer viewer;
    fs::path folder = fs::temp_directory_path() / ("nivex-evolution-" + std::to_string(getpid()));

    void SetUp() override {
        fs::create_directories(folder);
        session.project.files.Build(folder.string(), "AB1");
        session.viewer = &viewer;
    }
    void TearDown() override { fs::remove_all(folder); }
};

TEST_F(EvolutionListing, MissingFileIsSaidAndNothingIsAsked) {
    std::string box;
    rig.pump.call([&] {
        for (int r = 1; r <= 25; ++r)
            if (rig.row(r).find("Falta hacer") != std::string::npos) box = rig.row(r);
    });
    rig.pump.key(13);
    ListEvolution(session);
    EXPECT_NE(box.find(cp("... Falta hacer o repetir el diseño del proyecto ...")),
              std::string::npos);
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_EQ(viewer.shown, 0);
}

TEST_F(EvolutionListing, PagesOfEightyEightLines) {
    {
        std::ofstream out(session.project.files.evolution(), std::ios::binary);
        for (int k = 1; k <= 200; ++k)
            out << "TRAMO [" << k << "]\r\n";
    }
    rig.ui.answers.push_back('N');
    ListEvolution(session);
    EXPECT_EQ(viewer.shown, 0);

    rig.ui.answers.push_back('S');
    ListEvolution(session);
    ASSERT_EQ(viewer.shown, 1);
    EXPECT_EQ(viewer.title, "Evolucion Calculo");
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < viewer.text.size()) {
        size_t end = viewer.text.find('\n', at);
        if (end == std::string::npos) end = viewer.text.size();
        std::string line = viewer.text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 202u);  // two page ends among the 200 lines
    EXPECT_EQ(lines[87], "TRAMO [88]");
    EXPECT_EQ(lines[88], "\x13");
    EXPECT_EQ(lines[89], "TRAMO [89]");
    EXPECT_EQ(lines[177], "\x13");
    EXPECT_EQ(lines[201], "TRAMO [200]");
    EXPECT_FALSE(fs::exists(folder / "LPT"));  // the listing file goes once shown
}

}  // namespace
}  // namespace nivex::design
