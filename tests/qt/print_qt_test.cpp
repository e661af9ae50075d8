// Printing a listing through Qt's PDF printer.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "qt/print_qt.h"
#include "support/temp_files.h"

namespace nivex::testing {
namespace {

TEST(PrintQt, ThreeSheetsGiveAThreePagePdfAndFailuresNameTheFile) {
    QTemporaryDir dir;
    const std::string listing = dir.filePath("LPT").toStdString();
    {
        std::ofstream out(listing, std::ios::binary);
        for (int s = 1; s <= 3; ++s) {
            out << "\r\n\x1bG   A\xD1O   HOJA No." << s << "\x1bH\r\n";
            for (int i = 0; i < 40; ++i)
                out << "   \xB3 fila \xB3 \xB0\xB1\xB2\xDC \xC5\xCE\xE0\r\n";
            out << "\x1bG   " << std::string(30, '\xCD') << "\r\n\x1bH\x13\r\n";
        }
    }
    const std::string pdfFile = dir.filePath("listado.pdf").toStdString();
    std::string error;
    ASSERT_TRUE(qt::PrintListingToPdfQt(listing, pdfFile, false, &error)) << error;
    EXPECT_FALSE(nivex::testing::HasTempFile(pdfFile));
    std::ifstream in(pdfFile, std::ios::binary);
    const std::string pdf{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    int pages = 0;
    for (auto at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    EXPECT_EQ(pages, 3);

    const std::string target = dir.filePath("falta/a.pdf").toStdString();
    EXPECT_FALSE(qt::PrintListingToPdfQt(listing, target, false, &error));
    EXPECT_NE(error.find(target), std::string::npos);
    EXPECT_FALSE(nivex::testing::HasTempFile(target));
    EXPECT_FALSE(qt::PrintListingToPdfQt(listing + "X", pdfFile, false, &error));
    EXPECT_NE(error.find(listing + "X"), std::string::npos);
}

}  // namespace
}  // namespace nivex::testing
