// Printed listings to PDF: a carta page a sheet, the program's font embedded, frames and
// fills drawn, and every failure leaving the old file and no temporary one.

#include "drawings/paper_listing.h"
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

class PaperListingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The font shipped beside the test program, as beside nivex-batch.
    static std::string font() {
        std::error_code ec;
        return DrawingFontIn(fs::read_symlink("/proc/self/exe", ec).parent_path().string());
    }

    // One folder per test process: ctest runs the tests of this fixture side by side.
    const fs::path dir_ =
        fs::temp_directory_path() / ("nivex_paper_listing_test-" + std::to_string(::getpid()));
};

// `count` sheets, each ending in its footer and page end: double and single frames, the
// fills, bold runs and accented letters.
std::string sheets(int count) {
    std::string text;
    for (int s = 1; s <= count; ++s) {
        text += "\r\n\x1bG   HOJA No." + std::to_string(s) + "\x1bH\r\n";
        text += "   \xC9" + std::string(20, '\xCD') + "\xCB" + std::string(8, '\xCD') + "\xBB\r\n";
        for (int i = 0; i < 40; ++i)
            text +=
                "   \xBA fila \xB3 a\xF1o \xE1 \x1bGnegrita\x1bH \xBA "
                "\xB0\xB1\xB2\xDB\xDC\xDF\xDD\xDE\xBA\r\n";
        text += "   \xC8" + std::string(20, '\xCD') + "\xCA" + std::string(8, '\xCD') +
                "\xBC\xC5\xE0\r\n";
        text += "\x1bG   " + std::string(30, '\xCD') + "\r\n\x1bH\x13\r\n";
    }
    return text;
}

long countMatches(const std::string& bytes, const std::regex& re) {
    return std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), re),
                         std::sregex_iterator());
}

TEST_F(PaperListingTest, ASheetIsACartaPageWithTheProgramsFontEmbedded) {
    const std::string pdfFile = path("listado.pdf");
    int pages = 0;
    std::string error;
    ASSERT_TRUE(PrintListingToPdf(write("LPT", sheets(3)), pdfFile, font(), false, &error, &pages))
        << error;
    // The page end on the last line of the file adds no empty page.
    EXPECT_EQ(pages, 3);
    EXPECT_FALSE(nivex::testing::HasTempFile(pdfFile));

    const std::string pdf = read(pdfFile);
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(countMatches(pdf, std::regex(R"(/Type /Page\b[^s])")), 3);
    // Carta, 8.5 by 11 inches of 72 points, on every page.
    EXPECT_EQ(countMatches(pdf, std::regex(R"(/MediaBox \[ *0 +0 +([0-9.]+) +([0-9.]+) *\])")), 3);
    EXPECT_EQ(countMatches(pdf, std::regex(R"(/MediaBox \[ *0 +0 +612 +792 *\])")), 3);
    // The font travels in the file: no reader's Courier stands in for it.
    EXPECT_NE(pdf.find("/FontFile"), std::string::npos);
    EXPECT_EQ(pdf.find("/BaseFont /Courier"), std::string::npos);
}

TEST_F(PaperListingTest, ReportModeBreaksEveryHundredLinesAndNothingBelowThePageIsKept) {
    std::string text;
    for (int i = 0; i < 250; ++i)
        text += "linea " + std::to_string(i) + "\r\n";
    const std::string listing = write("LPT", text), pdfFile = path("informe.pdf");
    int pages = 0;
    ASSERT_TRUE(PrintListingToPdf(listing, pdfFile, font(), true, nullptr, &pages));
    EXPECT_EQ(pages, 3);  // 100, 100 and 50 lines
    EXPECT_EQ(countMatches(read(pdfFile), std::regex(R"(/Type /Page\b[^s])")), 3);
    ASSERT_TRUE(PrintListingToPdf(listing, pdfFile, font(), false, nullptr, &pages));
    EXPECT_EQ(pages, 1);

    // Without page ends about 88 lines fit on the page; 20 000 more must not make the
    // file grow by the text of each (some bytes a line even compressed).
    std::string shortText, longText;
    for (int i = 0; i < 20100; ++i)
        (i < 100 ? shortText : longText) += "linea " + std::to_string(i * 7919) + " sin fin\r\n";
    ASSERT_TRUE(
        PrintListingToPdf(write("CORTO", shortText), path("corto.pdf"), font(), false, nullptr));
    ASSERT_TRUE(PrintListingToPdf(write("LARGO", shortText + longText), path("largo.pdf"), font(),
                                  false, nullptr));
    EXPECT_LT(fs::file_size(path("largo.pdf")), fs::file_size(path("corto.pdf")) + 2000);
}

TEST_F(PaperListingTest, FailuresNameTheFileAndLeaveTheOldOneAndNoTemporary) {
    const std::string listing = write("LPT", sheets(1));
    std::string error;
    const std::string missing = path("falta/listado.pdf");
    EXPECT_FALSE(PrintListingToPdf(listing, missing, font(), false, &error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(nivex::testing::HasTempFile(missing));

    // A folder in the way: the temporary file is written, then removed.
    fs::create_directories(dir_ / "carpeta.pdf" / "dentro");
    EXPECT_FALSE(PrintListingToPdf(listing, path("carpeta.pdf"), font(), false, &error));
    EXPECT_NE(error.find("carpeta.pdf"), std::string::npos) << error;
    EXPECT_FALSE(nivex::testing::HasTempFile(path("carpeta.pdf")));

    // An unreadable listing, a folder for a listing and a missing font keep the PDF that
    // was there.
    const std::string good = write("bueno.pdf", "%PDF bueno");
    EXPECT_FALSE(PrintListingToPdf(path("NOLPT"), good, font(), false, &error));
    EXPECT_NE(error.find("NOLPT"), std::string::npos) << error;
    EXPECT_FALSE(PrintListingToPdf(dir_.string(), good, font(), false, &error));
    const std::string noFont = path("Nivex.TTF");
    EXPECT_FALSE(PrintListingToPdf(listing, good, noFont, false, &error));
    EXPECT_EQ(error, "Falta el archivo " + noFont + " o no es una letra TrueType");
    // A file that is no font at all.
    EXPECT_FALSE(PrintListingToPdf(listing, good, listing, false, &error));
    EXPECT_NE(error.find(listing), std::string::npos) << error;
    EXPECT_EQ(read(good), "%PDF bueno");
    EXPECT_FALSE(nivex::testing::HasTempFile(good));
}

}  // namespace
}  // namespace nivex::drawings
