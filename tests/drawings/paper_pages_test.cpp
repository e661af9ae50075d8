// Text pages to PDF read back: a page object per page at the size asked, in points, the
// font embedded, and an unfinished or failed document leaving the old file alone.

#include "drawings/paper_pages.h"
#include "drawings/paper_writer.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace nivex::drawings {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Font() {
    std::error_code ec;
    return DrawingFontIn(fs::read_symlink("/proc/self/exe", ec).parent_path().string());
}

long Count(const std::string& bytes, const char* pattern) {
    const std::regex re(pattern);
    return std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), re),
                         std::sregex_iterator());
}

class PaperPagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    const fs::path dir_ =
        fs::temp_directory_path() / ("nivex-paper-pages-" + std::to_string(::getpid()));
};

// Everything a page offers, on each of three pages.
void Draw(PaperPages& p) {
    for (int page = 0; page < 3; ++page) {
        if (page > 0) p.NewPage();
        p.SetFont(9, 5.4, false);
        p.Text(10, 20, "Tramo P-1 a P-2 \u00f1 \u2550\u2551");
        p.SetFont(9, 5.4, true);
        p.Text(10, 40, "TOTAL");
        p.Fill(10, 50, 30, 10, 80.0 / 255);
        p.Hatch(40, 50, 30, 10, false, 1.5, 0.25);
        p.Hatch(70, 50, 30, 10, true, 1.5, 0.25);
        p.Line(10, 70, 190, 70, 0.9);
    }
}

TEST_F(PaperPagesTest, APageObjectEachAtTheSizeAskedWithTheFontEmbedded) {
    const fs::path pdf = dir_ / "hojas.pdf";
    std::string error;
    PaperPages p;
    ASSERT_TRUE(p.Open(pdf.string(), Font(), 200, 100, &error)) << error;
    Draw(p);
    EXPECT_TRUE(p.Good());
    ASSERT_TRUE(p.Finish(&error)) << error;

    const std::string bytes = Slurp(pdf);
    ASSERT_EQ(bytes.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(Count(bytes, R"(/Type /Page\b[^s])"), 3);
    EXPECT_EQ(Count(bytes, R"(/MediaBox \[ *0 +0 +200 +100 *\])"), 3);
    EXPECT_NE(bytes.find("/FontFile"), std::string::npos);
    EXPECT_FALSE(nivex::testing::HasTempFile(pdf));
}

TEST_F(PaperPagesTest, AnUnfinishedOrFailedDocumentLeavesTheOldFileAndNoTemporary) {
    const fs::path pdf = dir_ / "listado.pdf";
    std::ofstream(pdf, std::ios::binary) << "el anterior";
    std::string error;
    {
        PaperPages p;
        ASSERT_TRUE(p.Open(pdf.string(), Font(), 200, 100, &error)) << error;
        Draw(p);
        EXPECT_TRUE(nivex::testing::HasTempFile(pdf));  // written beside, not over it
    }
    EXPECT_EQ(Slurp(pdf), "el anterior");
    EXPECT_FALSE(nivex::testing::HasTempFile(pdf));

    PaperPages noFont;
    const std::string missing = (dir_ / "Nivex.TTF").string();
    EXPECT_FALSE(noFont.Open(pdf.string(), missing, 200, 100, &error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(noFont.Finish(&error));
    EXPECT_NE(error.find("listado.pdf"), std::string::npos) << error;

    PaperPages nowhere;
    const fs::path lost = dir_ / "no existe" / "listado.pdf";
    EXPECT_FALSE(nowhere.Open(lost.string(), Font(), 200, 100, &error));
    EXPECT_NE(error.find(lost.string()), std::string::npos) << error;

    // The target turned into a folder while the pages were drawn.
    PaperPages blocked;
    const fs::path folder = dir_ / "carpeta.pdf";
    ASSERT_TRUE(blocked.Open(folder.string(), Font(), 200, 100, &error)) << error;
    Draw(blocked);
    fs::create_directories(folder / "dentro");
    EXPECT_FALSE(blocked.Finish(&error));
    EXPECT_NE(error.find("carpeta.pdf"), std::string::npos) << error;
    EXPECT_FALSE(nivex::testing::HasTempFile(folder));

    EXPECT_EQ(Slurp(pdf), "el anterior");
    EXPECT_FALSE(nivex::testing::HasTempFile(pdf));
}

}  // namespace
}  // namespace nivex::drawings
