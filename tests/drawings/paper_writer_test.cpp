// The drawings' files read back: a PDF page per drawing at the drawing's own size with the
// font embedded, an SVG and a PNG as large as the pages stacked, and every failure leaving
// the old file as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>
#include "console/codepage.h"
#include "drawings/paper_writer.h"

#include "support/temp_files.h"

namespace nivex::drawings {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

PaperWriteOptions Options() {
    std::error_code ec;
    PaperWriteOptions o;
    o.fontFile = DrawingFontIn(fs::read_symlink("/proc/self/exe", ec).parent_path().string());
    return o;
}

// A page with a line, a band, a manhole and a text on the layers the drawings use.
Drawing Page(double width, double height, const std::string& text) {
    Drawing d;
    d.width = width;
    d.height = height;
    d.AddLine("tramos nuevos", {{10, 10}, {width - 10, height - 10}});
    d.AddRectangle("tuberia", {20, 20, 60, 24});
    d.AddCircle("pozos", {30, 30}, 0.8, false);
    Text t;
    t.layer = "textos";
    t.at = {15, height - 20};
    t.height = 3;
    t.text = cp(text);
    d.AddText(t);
    Text up = t;
    up.rotation = 90;
    up.at = {width - 20, 20};
    d.AddText(up);
    return d;
}

bool NoTemporaryBeside(const fs::path& path) {
    return !nivex::testing::HasTempFile(path);
}

class PaperWriter : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        folder_ = fs::temp_directory_path() /
                  ("nivex-paper-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    const fs::path& dir() const { return folder_; }
    fs::path folder_;
};

TEST_F(PaperWriter, PdfHasAPagePerDrawingAtItsSizeWithTheFontEmbedded) {
    const Drawing a = Page(420, 297, "PERFIL LONGITUDINAL  Pozo Ñ-1 a cámara"),
                  b = Page(210, 297, "Plano"), c = Page(1000, 594, "Hoja grande");
    const fs::path pdf = dir() / "hojas.pdf";
    std::string error;
    ASSERT_TRUE(WriteDrawings({&a, &b, &c}, PageFormat::Pdf, pdf.string(), Options(), &error))
        << error;
    const std::string bytes = Slurp(pdf);
    ASSERT_EQ(bytes.rfind("%PDF-", 0), 0u);
    // Every page object and its media box in points (72 to the inch of 25.4 mm).
    const std::regex page(R"(/Type /Page\b[^s])");
    EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page),
                            std::sregex_iterator()),
              3);
    std::vector<std::pair<double, double>> boxes;
    const std::regex box(R"(/MediaBox \[ *0 +0 +([0-9.]+) +([0-9.]+) *\])");
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), box);
         it != std::sregex_iterator(); ++it)
        boxes.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
    ASSERT_EQ(boxes.size(), 3u);
    const double pt = 72 / 25.4;
    for (auto [w, h] : {std::pair{420.0, 297.0}, std::pair{210.0, 297.0}, std::pair{1000.0, 594.0}})
        EXPECT_TRUE(std::any_of(boxes.begin(), boxes.end(),
                                [&](auto b) {
                                    return std::fabs(b.first - w * pt) < 0.01 &&
                                           std::fabs(b.second - h * pt) < 0.01;
                                }))
            << w << " x " << h;
    EXPECT_NE(bytes.find("/FontFile"), std::string::npos);  // embedded, not only named
    EXPECT_TRUE(NoTemporaryBeside(pdf));
}

TEST_F(PaperWriter, SvgAndPngHoldThePagesOneUnderTheOther) {
    const Drawing a = Page(100, 50, "uno"), b = Page(80, 70, "dos");
    const fs::path svg = dir() / "hojas.svg", png = dir() / "hojas.png";
    std::string error;
    ASSERT_TRUE(WriteDrawings({&a, &b}, PageFormat::Svg, svg.string(), Options(), &error)) << error;
    ASSERT_TRUE(WriteDrawings({&a, &b}, PageFormat::Png, png.string(), Options(), &error)) << error;
    // Widest page across; both pages and the 10 mm between them down.
    const std::string text = Slurp(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("width=\"100mm\""), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("height=\"130mm\""), std::string::npos) << text.substr(0, 400);
    const std::string image = Slurp(png);
    ASSERT_GT(image.size(), 24u);
    ASSERT_EQ(image.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(image[at]) << 24) |
               (static_cast<unsigned char>(image[at + 1]) << 16) |
               (static_cast<unsigned char>(image[at + 2]) << 8) |
               static_cast<unsigned char>(image[at + 3]);
    };
    const double dots = Options().pngDotsPerMm;
    EXPECT_EQ(be32(16), static_cast<unsigned>(std::ceil(100 * dots)));
    EXPECT_EQ(be32(20), static_cast<unsigned>(std::ceil(130 * dots)));
}

TEST_F(PaperWriter, AFailureLeavesTheOldFileAndNoTemporary) {
    const fs::path pdf = dir() / "plano.pdf";
    std::ofstream(pdf, std::ios::binary) << "el plano anterior";
    const Drawing a = Page(100, 50, "uno");
    std::string error;

    PaperWriteOptions noFont = Options();
    noFont.fontFile = (dir() / "Falta.TTF").string();
    EXPECT_FALSE(WriteDrawings({&a}, PageFormat::Pdf, pdf.string(), noFont, &error));
    EXPECT_NE(error.find("Falta.TTF"), std::string::npos) << error;

    EXPECT_FALSE(WriteDrawings({}, PageFormat::Pdf, pdf.string(), Options(), &error));
    EXPECT_NE(error.find("plano.pdf"), std::string::npos) << error;

    Drawing huge = Page(5000, 100, "enorme");  // 40 000 dots across at 8 a millimetre
    const fs::path png = dir() / "plano.png";
    EXPECT_FALSE(WriteDrawings({&huge}, PageFormat::Png, png.string(), Options(), &error));
    EXPECT_NE(error.find("PDF o SVG"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(png));

    const fs::path nowhere = dir() / "no existe" / "plano.pdf";
    EXPECT_FALSE(WriteDrawings({&a}, PageFormat::Pdf, nowhere.string(), Options(), &error));
    EXPECT_NE(error.find("plano.pdf"), std::string::npos) << error;

    EXPECT_EQ(Slurp(pdf), "el plano anterior");
    EXPECT_TRUE(NoTemporaryBeside(pdf));
}

}  // namespace
}  // namespace nivex::drawings
