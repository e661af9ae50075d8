// "Revisar con SWMM" from the choice-6 menu: the question, then the real engine on the
// model of the design.

#include <gtest/gtest.h>

#include <filesystem>

#include "design/revision.h"
#include "shell/session.h"
#include "support/scripted.h"
#include "swmm/model_writer.h"
#include "swmm_project_rig.h"

namespace nivex::swmm::testing {
namespace {

namespace fs = std::filesystem;

class ReviewWithSwmm : public DesignedProjectTest {};

TEST_F(ReviewWithSwmm, AnsweredYesRunsTheEngineOnTheDesignAndNoWritesNothing) {
    Design(2, 2, 2);
    nivex::testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    nivex::testing::NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session s{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    s.project.files = project.files;
    s.project.selection = project.selection;
    s.project.header = project.header;
    s.project.espec = project.espec;
    s.folders.swmm = swmmFolder();
    fs::create_directories(swmmFolder());

    rig.ui.answers = {'N'};
    rig.console.pushKey('F');
    design::ReviewMenu(s);
    bool any = false;
    for (const auto& e : fs::directory_iterator(swmmFolder()))
        any = any || e.is_regular_file();
    EXPECT_FALSE(any);  // nothing written without the answer

    rig.ui.answers = {'S'};
    rig.console.pushKey('F');
    design::ReviewMenu(s);
    bool report = false;
    for (const auto& e : fs::directory_iterator(swmmFolder()))
        if (e.path().extension() == ".rpt" && fs::file_size(e.path()) > 0) report = true;
    EXPECT_TRUE(report);
    // The wait line goes with the run: a line left standing would keep the menu bar from
    // changing to another option.
    EXPECT_FALSE(rig.switches.errorShowing);
    EXPECT_EQ(rig.console.rowText(25).find("espere"), std::string::npos);
    for (const auto& b : rig.ui.boxes)
        EXPECT_NE(b.kind, "error") << b.message;
    // The progress window closes by itself: a box says the run ended and where its results
    // are shown.
    ASSERT_FALSE(rig.ui.boxes.empty());
    EXPECT_EQ(rig.ui.boxes.back().kind, "info");
    EXPECT_EQ(rig.ui.boxes.back().caption, "Informacion");
    EXPECT_NE(rig.ui.boxes.back().message.find("Revision con SWMM terminada"), std::string::npos);
    EXPECT_NE(rig.ui.boxes.back().message.find("Reporte SWMM"), std::string::npos);
}

}  // namespace
}  // namespace nivex::swmm::testing
