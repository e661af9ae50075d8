// The PDF writer for printed listings: pages, cross-reference table, strings and the
// temporary file.

#include "listings/pdf_canvas.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace nivex::listings {
namespace {

namespace fs = std::filesystem;

class PdfCanvasTest : public ::testing::Test {
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

    // One folder per test process: ctest runs the tests of this fixture side by side.
    const fs::path dir_ =
        fs::temp_directory_path() / ("nivex_pdf_canvas_test-" + std::to_string(::getpid()));
};

// `count` sheets, each ending in its footer and page end.
std::string sheets(int count) {
    std::string text;
    for (int s = 1; s <= count; ++s) {
        text += "\r\n\x1bG   HOJA No." + std::to_string(s) + "\x1bH\r\n";
        for (int i = 0; i < 40; ++i)
            text += "   \xB3 fila \xB3 \xB0\xB1\xB2\xDB\xDC \xC5\xCE\xE0\r\n";
        text += "\x1bG   " + std::string(30, '\xCD') + "\r\n\x1bH\x13\r\n";
    }
    return text;
}

int countPages(const std::string& pdf) {
    int pages = 0;
    for (auto at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    return pages;
}

TEST_F(PdfCanvasTest, ThreeSheetsGiveThreePagesAndAnExactCrossReferenceTable) {
    const std::string pdfFile = path("listado.pdf");
    int pages = 0;
    std::string error;
    ASSERT_TRUE(PrintListingToPdf(write("LPT", sheets(3)), pdfFile, false, &error, &pages));
    EXPECT_EQ(pages, 3);
    EXPECT_FALSE(nivex::testing::HasTempFile(pdfFile));

    const std::string pdf = read(pdfFile);
    EXPECT_EQ(countPages(pdf), 3);
    EXPECT_NE(pdf.find("/Count 3"), std::string::npos);
    // startxref names the table; each entry of 20 bytes names where its object begins.
    const std::size_t xref = std::stoul(pdf.substr(pdf.rfind("startxref\n") + 10));
    ASSERT_EQ(pdf.compare(xref, 7, "xref\n0 "), 0);
    std::istringstream table(pdf.substr(xref + 5));
    int first = -1, count = 0;
    std::string offset, generation, kind;
    table >> first >> count >> offset >> generation >> kind;
    ASSERT_EQ(count, 5 + 2 * 3);  // catalog, pages, two fonts; contents and page each
    EXPECT_EQ(kind, "f");
    for (int n = 1; n < count; ++n) {
        table >> offset >> generation >> kind;
        ASSERT_EQ(kind, "n");
        const std::string head = std::to_string(n) + " 0 obj";
        EXPECT_EQ(pdf.compare(std::stoul(offset), head.size(), head), 0) << n;
    }
    EXPECT_EQ(pdf.compare(pdf.find('\n', xref + 5) + 1 + 20 * count, 7, "trailer"), 0);
}

TEST_F(PdfCanvasTest, StringsKeepWinAnsiBytesAndEscapeTheirDelimiters) {
    const std::string pdfFile = path("texto.pdf");
    ASSERT_TRUE(PrintListingToPdf(write("LPT", "A\xF1o (1) \\ \xD1\r\n"), pdfFile, false, nullptr));
    const std::string pdf = read(pdfFile);
    EXPECT_NE(pdf.find("(A\xF1o \\(1\\) \\\\ \xD1) Tj"), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont /Courier /Encoding /WinAnsiEncoding"), std::string::npos);

    // What falls below the page is left out: about 95 lines of 7.93 points fit on it.
    std::string text;
    for (int i = 0; i < 250; ++i)
        text += "linea\r\n";
    ASSERT_TRUE(PrintListingToPdf(write("LPT", text), pdfFile, false, nullptr));
    int runs = 0;
    const std::string tall = read(pdfFile);
    for (auto at = tall.find(") Tj"); at != std::string::npos; at = tall.find(") Tj", at + 1))
        ++runs;
    EXPECT_GT(runs, 90);
    EXPECT_LT(runs, 100);
}

TEST_F(PdfCanvasTest, FailuresNameTheFileAndLeaveNoFileBehind) {
    const std::string listing = write("LPT", sheets(1));
    std::string error;
    const std::string missing = path("falta/listado.pdf");
    EXPECT_FALSE(PrintListingToPdf(listing, missing, false, &error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(nivex::testing::HasTempFile(missing));

    // A folder in the way: the temporary file is written, then removed.
    fs::create_directories(dir_ / "carpeta.pdf" / "dentro");
    EXPECT_FALSE(PrintListingToPdf(listing, path("carpeta.pdf"), false, &error));
    EXPECT_NE(error.find("carpeta.pdf"), std::string::npos);
    EXPECT_FALSE(nivex::testing::HasTempFile(path("carpeta.pdf")));

    // An unreadable listing keeps the PDF that was there.
    const std::string good = write("bueno.pdf", "%PDF bueno");
    EXPECT_FALSE(PrintListingToPdf(path("NOLPT"), good, false, &error));
    EXPECT_NE(error.find("NOLPT"), std::string::npos);
    EXPECT_EQ(read(good), "%PDF bueno");
    EXPECT_FALSE(PrintListingToPdf(dir_.string(), good, false, &error));  // a folder
}

}  // namespace
}  // namespace nivex::listings
