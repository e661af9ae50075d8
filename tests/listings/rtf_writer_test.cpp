// The viewer's text saved as rich text.

#include "listings/rtf_writer.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace nivex::listings {
namespace {

namespace fs = std::filesystem;

ViewerModel Built(const std::vector<std::string>& raw) {
    ViewerModel model;
    model.Build(raw);
    return model;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(RtfDocument, FontColourAndSize) {
    const std::string rtf = RtfDocument(Built({"x"}).lines(), "Courier Dos", 7);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier Dos"),
              std::string::npos);
    EXPECT_NE(rtf.find("{\\colortbl;\\red255\\green0\\blue0;}"), std::string::npos);
    EXPECT_NE(rtf.find("\\f0\\fs14"), std::string::npos);
    EXPECT_EQ(rtf.back(), '\n');
    EXPECT_EQ(Count(rtf, "{"), Count(rtf, "}"));
}

// Only this program's machines have "Courier Dos": the font table names a face every word
// processor has, fixed pitch, for a reader that lacks it.
TEST(RtfDocument, FontTableNamesAFallbackEveryReaderHas) {
    const std::string rtf = RtfDocument(Built({"x"}).lines(), "Courier Dos", 8);
    const auto table = rtf.find("{\\fonttbl");
    ASSERT_NE(table, std::string::npos);
    const std::string entry = rtf.substr(table, rtf.find(";}}", table) - table);
    EXPECT_NE(entry.find("Courier Dos"), std::string::npos);
    EXPECT_NE(entry.find("{\\*\\falt Courier New}"), std::string::npos);
    EXPECT_NE(entry.find("\\fprq1"), std::string::npos);  // fixed pitch
    // The fallback is not named twice when it is the face itself.
    const std::string plain = RtfDocument(Built({"x"}).lines(), "Courier New", 8);
    EXPECT_EQ(plain.find("\\falt"), std::string::npos);
}

TEST(RtfDocument, LinesSpansAndEscapes) {
    const std::string line =
        std::string("{a}\\ ") + "\x1bG" + "ROJO" + "\x1bH" + char(205) + char(241);
    const std::string rtf = RtfDocument(Built({line, "", "b"}).lines(), "F", 8);
    EXPECT_EQ(Count(rtf, "\\par\r\n"), 3);
    // Leading blanks survive the \par before them; braces and backslashes are escaped.
    EXPECT_NE(rtf.find("\\par\r\n    \\par\r\n  b  \\par"), std::string::npos);
    EXPECT_NE(rtf.find("  \\{a\\}\\\\ {\\cf1 ROJ}O\\u9552?\\u241?  \\par"), std::string::npos);
}

TEST(RtfFile, WritesThroughATemporaryFile) {
    const fs::path dir = fs::temp_directory_path() / ("nivex_rtf_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "salida.rtf").string();
    std::ofstream(path) << "viejo";
    std::string error;
    ASSERT_TRUE(WriteRtfFile(path, Built({"abc"}).lines(), "F", 8, error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, RtfDocument(Built({"abc"}).lines(), "F", 8));
    EXPECT_FALSE(nivex::testing::HasTempFile(path));

    const std::string bad = (dir / "no" / "existe.rtf").string();
    EXPECT_FALSE(WriteRtfFile(bad, Built({"abc"}).lines(), "F", 8, error));
    EXPECT_EQ(error, "No se pudo grabar el archivo " + bad);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace nivex::listings
