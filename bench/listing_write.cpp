// How long a long listing takes to write: 10000 rows through the page frame and the
// picture formatter, a page header every 80 rows. Run by hand: bench_listing_write [rows]

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "console/console.h"
#include "console/screen.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "shell/session.h"

namespace {

using namespace nivex;

class QuietUi : public ui::Ui {
  public:
    char showWarning(const std::string&, const std::string&) override { return 'S'; }
    char showError(const std::string& m, const std::string&) override {
        std::fprintf(stderr, "%s\n", m.c_str());
        return 'S';
    }
    char askYesNo(const std::string&, const std::string&) override { return 'N'; }
    char askYesNoCancel(const std::string&, const std::string&) override { return 'C'; }
    void showInformation(const std::string&, const std::string&) override {}
};

struct NoDesktop : ui::Desktop {
    bool registerListingFont(const std::string&) override { return true; }
    ui::OpenResult openDocument(const std::string&) override { return ui::OpenResult::Opened; }
    void showAbout() override {}
    bool moveToTrash(const std::string&) override { return false; }
};

// Measures the file while it is "shown", before the frame removes it.
struct SizeViewer : ui::ListingViewer {
    std::uintmax_t bytes = 0;
    void ShowListing(const std::string& file, const std::string&) override {
        bytes = std::filesystem::file_size(file);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    const auto folder =
        std::filesystem::temp_directory_path() / ("nivex-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);

    UiSwitches switches;
    QuietUi quiet;
    console::Console console(switches, quiet);
    console::Screen screen(console);
    NoDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session(switches, console, screen, quiet, desktop, settings, menu);
    SizeViewer viewer;
    session.viewer = &viewer;
    session.project.files.Build(folder.string(), "AB1");
    session.project.selection.sectors = "1";
    session.project.header.ProjectName = "Colector Norte";
    session.project.header.ProjectDate = "Enero 2024";

    const std::string picture =
        "| \\   \\ | #####- | ####.## | ###.### | ##,###.## | #.#### | ###.##- |";
    const auto start = std::chrono::steady_clock::now();
    listings::ListingRun run(session, "LISTADO DE PRUEBA", 124);
    if (!run.Begin()) return 1;
    for (int i = 0; i < rows; ++i) {
        const std::string name = std::to_string(i);
        if (!run.Row(
                listings::FormatLine(picture, {name, -i, i * 0.37, 2500.125 - i * 0.11, i * 12.3456,
                                               0.0125 + i * 1e-6, (i % 7 - 3) * 1.25})))
            break;
    }
    const bool shown = run.Finish([&] { run.Line("TOTAL"); });
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(folder);
    if (!shown) return 1;
    std::printf("%d rows, %d sheets, %ju bytes: %.1f ms\n", rows, session.listing.SheetNumber - 1,
                viewer.bytes, ms);
    return 0;
}
