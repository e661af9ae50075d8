#include "console/codepage.h"

#include <gtest/gtest.h>

namespace nivex {
namespace {

TEST(CodePage, SpanishLettersAreWindows1252) {
    EXPECT_EQ(cp("Diseño"), "Dise\xF1o");
    EXPECT_EQ(cp("AÑO"), "A\xD1O");
    EXPECT_EQ(cp("distribución"), "distribuci\xF3n");
    EXPECT_EQ(cp("plain ascii"), "plain ascii");
}

TEST(CodePage, BoxDrawingGoesToTheDosCodes) {
    EXPECT_EQ(cp("┌─┐│└┘"), "\xDA\xC4\xBF\xB3\xC0\xD9");
    EXPECT_EQ(cp("═║╔╗╚╝"), "\xCD\xBA\xC9\xBB\xC8\xBC");
    EXPECT_EQ(cp("░▒▓█"), "\xB0\xB1\xB2\xDB");
    // 209 is Ñ, so the double-across single-down line code lives at 224.
    EXPECT_EQ(cp("╤"), "\xE0");
    EXPECT_EQ(toUtf8("\xE0"), "╤");
}

TEST(CodePage, RoundTripForDisplay) {
    std::string bytes = cp("Año │ ñ ─ é");
    EXPECT_EQ(toUtf8(bytes), "Año │ ñ ─ é");
    EXPECT_EQ(toUnicode(209), U'Ñ');
    EXPECT_EQ(toUnicode(196), U'─');
    EXPECT_EQ(toUnicode(0x81), 0xFFFDu);  // no character in Windows-1252
}

TEST(CodePage, BrokenUtf8BecomesQuestionMarks) {
    EXPECT_EQ(cp("a\xC3"), "a?");
    EXPECT_EQ(cp("a\xFF"
                 "b"),
              "a?b");
    EXPECT_EQ(cp("a\xE2\x94"
                 "b"),
              "a?b");
    EXPECT_EQ(cp("\xE4\xB8\xAD"), "?");  // a character the code page has not
}

TEST(CodePage, UpperCase) {
    EXPECT_EQ(upper(cp("año")), cp("AÑO"));
    // Upper-case accented letters would be frame codes: the accent goes instead.
    EXPECT_EQ(upper(cp("Perú, Bogotá, Güicán")), "PERU, BOGOTA, GUICAN");
    EXPECT_EQ(upper("f9^borrar"), "F9^BORRAR");
}

}  // namespace
}  // namespace nivex
