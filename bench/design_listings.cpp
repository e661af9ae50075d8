// How long the design listings take: a network of 10000 reaches (a trunk with a hundred
// side lines) designed, then every listing of "List. Diseño" written whole, without a
// window. Run by hand: bench_design_listings [side lines] [reaches per side line]
// (each listing of the default network should be written in under a second).

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "comb_network.h"
#include "console/console.h"
#include "console/screen.h"
#include "design/design_driver.h"
#include "design/design_listings.h"
#include "design/reach_values.h"
#include "listings/listing_catalog.h"
#include "network/record_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "quantities/quantity_driver.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "specs/criteria_store.h"
#include "ui/settings_store.h"

namespace {

using nivex::network::TramoT;

using nivex::bench::Comb;
using nivex::bench::Name;

class SilentUi : public nivex::ui::Ui {
  public:
    char showWarning(const std::string& m, const std::string&) override { return Say(m); }
    char showError(const std::string& m, const std::string&) override { return Say(m); }
    char askYesNo(const std::string&, const std::string&) override { return 'S'; }
    char askYesNoCancel(const std::string&, const std::string&) override { return 'S'; }
    void showInformation(const std::string& m, const std::string&) override { Say(m); }

  private:
    char Say(const std::string& m) {
        std::fprintf(stderr, "%s\n", m.c_str());
        return 'S';
    }
};

struct NoDesktop : nivex::ui::Desktop {
    bool registerListingFont(const std::string&) override { return true; }
    nivex::ui::OpenResult openDocument(const std::string&) override {
        return nivex::ui::OpenResult::Opened;
    }
    void showAbout() override {}
    bool moveToTrash(const std::string&) override { return false; }
};

// The viewer only measures what it is given.
struct SizeViewer : nivex::ui::ListingViewer {
    long bytes = 0;
    void ShowListing(const std::string& file, const std::string&) override {
        std::error_code ec;
        bytes = static_cast<long>(std::filesystem::file_size(file, ec));
    }
};

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const std::vector<TramoT> reaches = Comb(sides, perSide);
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-listings-" + std::to_string(getpid()));
    fs::create_directories(dir);

    nivex::UiSwitches switches;
    SilentUi ui;
    nivex::console::Console console(switches, ui);
    nivex::console::Screen screen(console);
    NoDesktop desktop;
    nivex::ui::MemorySettings settings;
    nivex::shell::MenuBarModel menu;
    nivex::shell::Session s(switches, console, screen, ui, desktop, settings, menu);
    SizeViewer viewer;
    s.viewer = &viewer;
    s.listing.rangePreset = true;  // every sheet, every collector
    s.listing.presetSize = 0;
    s.folders.project = dir.string();

    nivex::project::Project& p = s.project;
    p.selection.code = "AB";
    p.selection.sectors = "1";
    p.files.Build(dir.string(), "AB1");
    if (!nivex::bench::WriteBenchSector(p, reaches, 100)) return 1;

    nivex::design::DesignSink sink;
    nivex::design::DesignResult result;
    if (!nivex::design::DesignNetwork(p, nivex::design::DesignOptions{}, sink, result)) return 1;

    // Results of a model run, for the hydraulic-model forms.
    fs::create_directories(dir / "00 Archivos Swmm");
    std::ofstream(dir / "00 Archivos Swmm" / "SWMM - AB1-BENCH - Sector#1.rpt") << "report\n";
    std::ofstream(dir / "Swm") << "report\n";
    {
        std::ofstream ratio(dir / "MaxFullFlow"), depth(dir / "DepthSwmm"), vel(dir / "VelSwmm");
        for (size_t k = 0; k < reaches.size(); ++k) {
            ratio << "0.45\n";
            depth << "0.50\n";
            vel << "1.10\n";
        }
        std::ofstream flooded(dir / "NodeFSwmm");
        for (int k = 1; k <= sides; ++k)
            flooded << Name(k) << '\n';
    }

    std::printf("reaches: %zu\n", reaches.size());
    int slow = 0;
    for (char key : {'C', 'D', 'E', 'F', 'G', 'H', 'J', 'K', 'M', 'N'}) {
        viewer.bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        nivex::design::ListDesign(s, key);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("7%c: %.3f s, %ld bytes\n", key, seconds, viewer.bytes);
        if (seconds >= 1.0) ++slow;
    }

    // The quantity listings read the files of the quantity run.
    if (nivex::quantities::RunQuantities(p).stop != nivex::quantities::RunStop::None) return 1;
    for (const char* key : {"9A", "9B", "9C", "9D", "9E"}) {
        viewer.bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        nivex::listings::FindListing(key)->run(s);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %.3f s, %ld bytes\n", key, seconds, viewer.bytes);
        if (seconds >= 1.0) ++slow;
    }
    fs::remove_all(dir);
    return slow == 0 ? 0 : 1;
}
