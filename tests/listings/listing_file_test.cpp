#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "listings/listing_file.h"
#include "listings/listing_steps.h"
#include "shell/session.h"
#include "support/scripted.h"

namespace nivex::listings {
namespace {

namespace fs = std::filesystem;

using NoDesktop = nivex::testing::NullDesktop;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Keeps what the viewer was given, and the files as they stood while it was open.
struct RecordingViewer : ui::ListingViewer {
    int shows = 0;
    std::string file, title, text, skipped;
    void ShowListing(const std::string& f, const std::string& t) override {
        ++shows;
        file = f;
        title = t;
        text = ReadFile(f);
        skipped = ReadFile(f + "D");
    }
};

struct ListingRig {
    fs::path folder;
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    NoDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    RecordingViewer viewer;

    ListingRig() {
        static std::atomic<int> counter{0};
        folder = fs::temp_directory_path() /
                 ("nivex-listing-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(folder);
        fs::create_directories(folder);
        session.project.files.Build(folder.string(), "AB1");
        session.project.selection.sectors = "1";
        session.project.header.ProjectName = "Colector Norte";
        session.project.header.ProjectDate = "Enero 2024";
        session.viewer = &viewer;
    }
    ~ListingRig() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    std::string lpt() const { return ListingPath(session); }
    std::string lptd() const { return SkipPath(session); }
};

std::string Blanks(int n) {
    return std::string(n, ' ');
}
std::string Repeat(const std::string& text, int n) {
    std::string out;
    while (n-- > 0)
        out += text;
    return out;
}
std::string Doubles(int n) {
    return std::string(n, static_cast<char>(205));
}

// The sheet numbers printed by the page headers of a listing text, in order.
std::vector<int> Sheets(const std::string& text) {
    std::vector<int> sheets;
    for (size_t at = text.find("HOJA No."); at != std::string::npos;
         at = text.find("HOJA No.", at + 1))
        sheets.push_back(std::stoi(text.substr(at + 8)));
    return sheets;
}

// Pages of a listing text split after each footer, with their line counts.
std::vector<int> PageLineCounts(const std::string& text) {
    std::vector<int> counts;
    const std::string footerEnd = "\x1bH\x13\r\n";
    size_t from = 0;
    for (size_t at = text.find(footerEnd); at != std::string::npos;
         at = text.find(footerEnd, from)) {
        const std::string page = text.substr(from, at + footerEnd.size() - from);
        int lines = 0;
        for (size_t p = page.find("\r\n"); p != std::string::npos; p = page.find("\r\n", p + 1))
            ++lines;
        counts.push_back(lines);
        from = at + footerEnd.size();
    }
    return counts;
}

TEST(LineBuffer, PutsTextAtTheColumnAndDropsWhatFollowed) {
    ListingRig r;
    shell::Session& s = r.session;
    LineReset(s);
    LineTab(s, 5);
    LinePut(s, "abc");
    LinePut(s, "de");
    EXPECT_EQ(s.listing.line, "     abcde");
    LineTab(s, 2);
    LinePut(s, "X");
    EXPECT_EQ(s.listing.line, "  X");
    LineTab(s, 250);
    LinePut(s, "0123456789");
    EXPECT_EQ(s.listing.line, "  X" + Blanks(247) + "01234");  // at most 255

    ASSERT_TRUE(OpenListingFile(s));
    CentredLine(s, 27, 90, "ABCD");
    LineWrite(s);  // the buffer is kept
    CloseListing(s);
    const std::string centred = Blanks(27 + 43) + "ABCD\r\n";
    EXPECT_EQ(ReadFile(r.lpt()), centred + centred);
}

TEST(PageSetup, CentresThePageOnTheLine) {
    ListingRig r;
    TextFile file;
    ASSERT_TRUE(file.Create((r.folder / "setup").string()));
    for (auto [width, margin] : {std::pair{90, 27}, {124, 10}, {128, 8}, {129, 4}, {137, 0}})
        EXPECT_EQ(PageSetup(r.session, file, width, false), margin) << width;
    EXPECT_EQ(r.session.listing.LinesPerPage, 89);
    EXPECT_EQ(PageSetup(r.session, file, 90, true), 30);
    EXPECT_EQ(r.session.listing.LinesPerPage, 42);
    ASSERT_TRUE(file.Close());
    // Five empty lines for each standard set-up, nothing for the compact one.
    EXPECT_EQ(ReadFile((r.folder / "setup").string()), Repeat("\r\n", 25));
}

TEST(PageHeader, ExactBytesOfHeaderAndFooter) {
    ListingRig r;
    shell::Session& s = r.session;
    s.listing.SheetNumber = 1;
    int width = 80;
    int margin = -1;
    ASSERT_TRUE(OpenListingFile(s));
    PageHeader(s, "LISTADO", width, margin);
    EXPECT_EQ(width, 90);
    EXPECT_EQ(margin, 27);
    EXPECT_EQ(s.listing.SheetNumber, 2);
    PageFooter(s, margin, width);
    CloseListing(s);

    const std::string m = Blanks(27);
    std::string expected = Repeat("\r\n", 5);
    expected += "\x1bG" + m + "PROYECTO :  Colector Norte - sector #1" + Blanks(16) + "Enero 2024" +
                Blanks(16) + "HOJA No.1\r\n";
    expected += m + Doubles(90) + "\r\n";
    expected += m + "******" + Blanks(35) + "LISTADO" + Blanks(36) + "******\r\n";
    expected += m + Doubles(90) + "\r\n";
    expected += "\x1bH";
    expected += "\x1bG" + m + Doubles(90) + "\r\n\x1bH\x13\r\n";
    EXPECT_EQ(ReadFile(r.lpt()), expected);
}

TEST(PageHeader, ProjectTextSectorAndTitleLimits) {
    ListingRig r;
    shell::Session& s = r.session;
    auto header = [&](const std::string& title) {
        TextFile target;
        const std::string path = (r.folder / "other").string();
        EXPECT_TRUE(target.Create(path));
        int width = 90, margin = 0;
        PageHeader(s, title, width, margin, target);
        target.Close();
        std::istringstream lines(ReadFile(path));
        std::vector<std::string> out;
        for (std::string line; std::getline(lines, line);)
            out.push_back(line.substr(0, line.size() - 1));  // without CR
        return out;
    };

    // The sector is named only for a sector of a single-sector count.
    s.project.selection.sectors = "3";
    EXPECT_EQ(header("T")[5].find("sector"), std::string::npos);
    s.project.selection.sectors = "1";
    s.project.files.Build(r.folder.string(), "AB0");
    EXPECT_EQ(header("T")[5].find("sector"), std::string::npos);
    s.project.files.Build(r.folder.string(), "AB7");
    EXPECT_NE(header("T")[5].find(" - sector #7"), std::string::npos);

    // The name is cut with its label at 37 characters; the sector text follows.
    s.project.header.ProjectName = std::string(30, 'N');
    std::vector<std::string> lines = header("T");
    EXPECT_EQ(lines[5].substr(2 + 27, 37 + 12),
              "PROYECTO :  " + std::string(25, 'N') + " - sector #7");
    EXPECT_EQ(lines[5].substr(2 + 27 + 80), "HOJA No.4");  // the sheet field stays in place

    // A title wider than the page starts left of the margin and is cut by the stars.
    lines = header(std::string(100, 'T'));
    EXPECT_EQ(lines[7], Blanks(22) + std::string(89, 'T') + "******");

    // Another target leaves the listing file alone.
    EXPECT_FALSE(fs::exists(r.lpt()));
    EXPECT_EQ(s.listing.SheetNumber, 6);
}

// A listing of `pages` full sheets: a heading line, rows up to the page end, a table
// closing before each page break and a "TOTAL" closing line.
struct SheetListing {
    int rows = 0;
    bool shown = false;
};

SheetListing WriteSheets(ListingRig& r, int first, int last, int pages = 5) {
    r.session.listing.FirstSheet = first;
    r.session.listing.LastSheet = last;
    ListingRun run(r.session, "LISTADO DE PRUEBA", 90);
    run.heading = [&] { run.Line("CABEZA"); };
    run.closeTable = [&] { run.Line("FIN TABLA"); };
    SheetListing result;
    if (!run.Begin()) return result;
    for (int i = 0; i < pages * 79; ++i) {
        if (!run.Row("fila " + std::to_string(i))) break;
        ++result.rows;
    }
    result.shown = run.Finish([&] { run.Line("TOTAL"); });
    return result;
}

TEST(ListingRun, FullPagesOf89LinesThenFooter) {
    ListingRig r;
    const SheetListing l = WriteSheets(r, 1, 0);
    EXPECT_EQ(l.rows, 5 * 79);
    ASSERT_EQ(r.viewer.shows, 1);
    EXPECT_EQ(r.viewer.file, r.lpt());
    EXPECT_EQ(r.viewer.title, "LISTADO DE PRUEBA");
    // 89 lines, then the table closing or the total, and the two footer lines.
    EXPECT_EQ(PageLineCounts(r.viewer.text), (std::vector<int>{92, 92, 92, 92, 92}));
    EXPECT_NE(r.viewer.text.find("\x1bH" + Blanks(27) + "CABEZA\r\n"), std::string::npos);
    EXPECT_TRUE(
        r.viewer.text.ends_with("TOTAL\r\n\x1bG" + Blanks(27) + Doubles(90) + "\r\n\x1bH\x13\r\n"));
}

TEST(ListingRun, KeepsTheRangeOfSheetsAskedFor) {
    struct Case {
        int first, last;
        std::vector<int> shown, skipped;
        bool total;
    };
    const std::vector<Case> cases = {
        {1, 0, {1, 2, 3, 4, 5}, {}, true},
        {3, 0, {3, 4, 5}, {1, 2}, true},
        {4, 5, {4, 5}, {1, 2, 3}, true},
        {2, 2, {2}, {1}, false},  // stops after the footer of sheet 2
        {7, 0, {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " to " + std::to_string(c.last));
        ListingRig r;
        const SheetListing l = WriteSheets(r, c.first, c.last);
        EXPECT_EQ(l.shown, !c.shown.empty());
        EXPECT_EQ(r.viewer.shows, c.shown.empty() ? 0 : 1);
        EXPECT_EQ(Sheets(r.viewer.text), c.shown);
        EXPECT_EQ(Sheets(r.viewer.skipped), c.skipped);
        EXPECT_EQ(r.viewer.text.find("TOTAL") != std::string::npos, c.total);
        EXPECT_EQ(r.viewer.text.starts_with(Repeat("\r\n", 5) + "\x1bG "), !c.shown.empty());
        EXPECT_EQ(l.rows, c.last != 0 ? c.last * 79 : 5 * 79);
        EXPECT_FALSE(fs::exists(r.lpt()));
        EXPECT_FALSE(fs::exists(r.lptd()));
        if (c.shown.empty()) {
            ASSERT_EQ(r.rig.ui.boxes.size(), 1u);
            EXPECT_EQ(r.rig.ui.boxes[0].kind, "warning");
            EXPECT_EQ(r.rig.ui.boxes[0].message,
                      "No hay nada para imprimir en el rango seleccionado");
            EXPECT_EQ(r.rig.ui.boxes[0].caption, "Advertencia");
        } else {
            EXPECT_TRUE(r.rig.ui.boxes.empty());
        }
    }
}

TEST(ListingRun, FileErrorsStopWithAMessageNamingTheFile) {
    ListingRig r;
    r.session.project.files.Build((r.folder / "falta").string(), "AB1");
    EXPECT_FALSE(WriteSheets(r, 1, 0).shown);
    ASSERT_EQ(r.rig.ui.boxes.size(), 1u);
    EXPECT_EQ(r.rig.ui.boxes[0].kind, "error");
    EXPECT_EQ(r.rig.ui.boxes[0].message,
              "No se pudo crear el archivo " + (r.folder / "falta" / "LPT").string());
    EXPECT_EQ(r.viewer.shows, 0);

    // A write that fails once the kept sheets begin.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ListingRig full;
    full.session.listing.FirstSheet = 2;
    ListingRun run(full.session, "T", 90);
    run.heading = [&] {
        if (!fs::is_symlink(full.lpt())) fs::create_symlink("/dev/full", full.lpt());
    };
    ASSERT_TRUE(run.Begin());
    int rows = 0;
    while (rows < 500 && run.Row("fila"))
        ++rows;
    EXPECT_EQ(rows, 80);
    EXPECT_FALSE(run.Finish());
    ASSERT_EQ(full.rig.ui.boxes.size(), 1u);
    // /dev/full refuses with ENOSPC, as a full disk does.
    EXPECT_EQ(full.rig.ui.boxes[0].message,
              "El disco esta lleno: No se pudo escribir el archivo " + full.lpt());
    EXPECT_EQ(full.viewer.shows, 0);
    EXPECT_FALSE(fs::is_symlink(full.lpt()));
}

}  // namespace
}  // namespace nivex::listings
