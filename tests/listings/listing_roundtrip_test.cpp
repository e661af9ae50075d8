// A listing written through the page framing and read back as the viewer reads it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "console/codepage.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "listings/viewer_model.h"
#include "shell/session.h"
#include "support/scripted.h"
#include "support/session_rig.h"

namespace nivex::listings {
namespace {

namespace fs = std::filesystem;

// Loads the listing the moment it is shown, before the framing removes it.
struct LoadingViewer : ui::ListingViewer {
    ViewerModel model;
    void ShowListing(const std::string& file, const std::string&) override {
        ASSERT_TRUE(model.Load(file)) << model.error();
    }
};

class ListingRoundTrip : public ::testing::Test, protected testing::SessionRig {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("nivex-roundtrip-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        session.project.files.Build(dir_.string(), "AB1");
        session.project.selection.sector = "1";
        session.project.selection.sectors = "1";
        session.project.header.ProjectName = cp("Año Nuevo");
        session.viewer = &viewer;
    }
    void TearDown() override { fs::remove_all(dir_); }

    LoadingViewer viewer;
    fs::path dir_;
};

TEST_F(ListingRoundTrip, EveryLineAndEveryEmphasisSpanComesBack) {
    const std::string esc = "\x1b";
    ListingRun run(session, "LISTADO DE PRUEBA", 90);
    run.heading = [&] { run.Line(cp("│ Tramo │ Diámetro │")); };
    ASSERT_TRUE(run.Begin());
    const int rows = 200;  // three pages of 80 body lines
    for (int i = 1; i <= rows; ++i) {
        std::string row = FormatLine(cp("│ ##### │ ####.## │"), {i, i * 1.5});
        if (i % 7 == 0) row += esc + "G*REVISAR*" + esc + "H";
        ASSERT_TRUE(run.Row(row));
    }
    ASSERT_TRUE(run.Finish([&] { run.Line("Fin del listado"); }));

    const auto& lines = viewer.model.lines();
    int bodyRows = 0, headings = 0, headers = 0, red = 0;
    for (const ShownLine& line : lines) {
        if (line.bytes.find(cp("│ Tramo │ Diámetro │")) != std::string::npos) ++headings;
        if (line.bytes.find("HOJA No.") != std::string::npos) ++headers;
        if (line.bytes.find(cp("│ ")) == 2 && line.bytes.find("Tramo") == std::string::npos)
            ++bodyRows;
        for (const Span& s : line.red) {
            // The emphasised text is red but its last character; the header is not red.
            EXPECT_EQ(
                line.bytes.substr(static_cast<size_t>(s.start), static_cast<size_t>(s.length)),
                "*REVISAR");
            ++red;
        }
    }
    EXPECT_EQ(bodyRows, rows);
    EXPECT_EQ(red, rows / 7);
    EXPECT_EQ(headers, 3);
    EXPECT_EQ(headings, 3);
    EXPECT_NE(viewer.model.joined().find("Fin del listado"), std::string::npos);
    // Sheet lines: 9 of header, the heading, 80 rows or fewer, and the footer's two.
    EXPECT_EQ(lines.size(), 3u * 9 + 3 + rows + 1 + 3 * 2);
    // The files are gone once the viewer closed.
    EXPECT_FALSE(fs::exists(dir_ / "LPT"));
}

}  // namespace
}  // namespace nivex::listings
