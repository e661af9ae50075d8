// How long the longitudinal profiles take: a network of 10000 reaches (a trunk with a
// hundred side lines) designed, then split into its collector lines, every profile built,
// laid out on A1 sheets and written to one PDF, without a window. Run by hand:
// bench_profiles [side lines] [reaches per side line] (the lines and the profiles of the
// default network should take well under a second, the whole PDF under ten).

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "comb_network.h"
#include "drawings/paper_writer.h"
#include "drawings/profile.h"
#include "drawings/profile_lines.h"
#include "drawings/profile_sheets.h"
#include "network/tramo.h"
#include "project/project.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using Clock = std::chrono::steady_clock;
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-profiles-" + std::to_string(getpid()));
    fs::create_directories(dir);
    nivex::project::Project p;
    if (!nivex::bench::DesignedBenchComb(p, dir.string(), sides, perSide)) {
        fs::remove_all(dir);
        return 1;
    }

    const auto start = Clock::now();
    std::vector<nivex::network::TramoT> reaches;
    std::string error;
    if (!nivex::drawings::ReadDesignedReaches(p.files.designCopy(), reaches, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        fs::remove_all(dir);
        return 1;
    }
    const auto read = Clock::now();
    const std::vector<nivex::drawings::ProfileLine> lines =
        nivex::drawings::CollectorLines(reaches);
    const auto split = Clock::now();
    size_t texts = 0;
    for (const nivex::drawings::ProfileLine& line : lines)
        texts += nivex::drawings::BuildProfile(reaches, line).drawing.texts.size();
    const auto built = Clock::now();
    // All of them to PDF, as "perfiles --pdf" writes them.
    const nivex::drawings::ProfileSheetSet set =
        nivex::drawings::BuildProfileSheets(reaches, lines, {});
    std::vector<const nivex::drawings::Drawing*> pages;
    for (const nivex::drawings::Drawing& sheet : set.sheets)
        pages.push_back(&sheet);
    nivex::drawings::PaperWriteOptions o;
    o.fontFile = nivex::drawings::DrawingFontIn(fs::read_symlink("/proc/self/exe").parent_path());
    const std::string pdf = (dir / "perfiles.pdf").string();
    if (!nivex::drawings::WriteDrawings(pages, nivex::drawings::PageFormat::Pdf, pdf, o, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        fs::remove_all(dir);
        return 1;
    }
    const auto written = Clock::now();
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    std::printf(
        "reaches: %zu\nlines: %zu\ntexts: %zu\nsheets: %zu\npdf_bytes: %ju\nread_s: %.3f\n"
        "lines_s: %.3f\nprofiles_s: %.3f\nread_to_pdf_s: %.3f\n",
        reaches.size(), lines.size(), texts, set.sheets.size(),
        static_cast<uintmax_t>(fs::file_size(pdf)), seconds(start, read), seconds(read, split),
        seconds(split, built), seconds(start, written));
    fs::remove_all(dir);
    return 0;
}
