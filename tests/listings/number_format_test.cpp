#include <gtest/gtest.h>

#include <cmath>

#include "listings/number_format.h"

namespace nivex::listings {
namespace {

TEST(FormatNumber, SignMarksLeadOrTrail) {
    EXPECT_EQ(FormatNumber(-3.456, "##.##"), "-3.46");
    EXPECT_EQ(FormatNumber(-12, "####-"), "  12-");
    EXPECT_EQ(FormatNumber(12, "####-"), "  12 ");
    EXPECT_EQ(FormatNumber(12, "####+"), "  12+");
    EXPECT_EQ(FormatNumber(-3.456, "##.##-"), " 3.46-");
    EXPECT_EQ(FormatNumber(5, "+###"), "  +5");
    EXPECT_EQ(FormatNumber(-5, "-###"), "  -5");
    EXPECT_EQ(FormatNumber(3.456, " +##.##"), "  +3.46");
}

TEST(FormatNumber, ZerosWithAndWithoutPoint) {
    EXPECT_EQ(FormatNumber(0, "###"), "  0");
    EXPECT_EQ(FormatNumber(0.0, "###"), "   ");
    EXPECT_EQ(FormatNumber(0.0, "##.##"), " 0.00");
    EXPECT_EQ(FormatNumber(0.25, ".##"), ".25");
    // A value that rounds to zero shows no minus sign.
    EXPECT_EQ(FormatNumber(-0.001, "#.##"), "0.00");
    EXPECT_EQ(FormatNumber(5, ""), "");
}

TEST(FormatNumber, RoundsHalfwayAwayFromZero) {
    EXPECT_EQ(FormatNumber(0.25, "#.#"), "0.3");
    EXPECT_EQ(FormatNumber(-0.25, "#.#"), "-0.3");
    EXPECT_EQ(FormatNumber(2.675, "#.##"), "2.68");  // stored as 2.67499...
    EXPECT_EQ(FormatNumber(9.995, "##.##"), "10.00");
    EXPECT_EQ(FormatNumber(999.5, "###"), "1000");
}

TEST(FormatNumber, IntegerDigitsWidenThePicture) {
    EXPECT_EQ(FormatNumber(12345, "##"), "12345");
    EXPECT_EQ(FormatNumber(123.45, "#.#"), "123.5");
    EXPECT_EQ(FormatNumber(-123456, "###-"), "123456-");
    EXPECT_EQ(FormatNumber(7, "###.##"), "  7.00");
}

TEST(FormatNumber, GroupsThousands) {
    EXPECT_EQ(FormatNumber(1234567.891, "#,###.##"), "1,234,567.89");
    EXPECT_EQ(FormatNumber(1234, "###,###"), "  1,234");
    EXPECT_EQ(FormatNumber(-1234567, "$##,###,###"), " -1,234,567");
    EXPECT_EQ(FormatNumber(999.999, "#,###.##"), "1,000.00");
    // A comma among the decimals still groups, and counts as a decimal place.
    EXPECT_EQ(FormatNumber(1234.5, "##.#,#"), "1,234.500");
}

TEST(FormatNumber, TextsAndBadValues) {
    EXPECT_EQ(FormatNumber("42", "###"), " 42");
    EXPECT_EQ(FormatNumber(" -7 ", "###.#"), " -7.0");
    EXPECT_EQ(FormatNumber("4x", "###"), "<EI>");
    EXPECT_EQ(FormatNumber("3.5", "##.##"), "<EI>");
    EXPECT_EQ(FormatNumber(std::nan(""), "##.##"), "<EF>");
    EXPECT_EQ(FormatNumber(INFINITY, "##.##-"), "<EF>");
}

TEST(FormatLine, NumberFieldsTakeTheBlanksAndSignsBeforeThem) {
    EXPECT_EQ(FormatLine("Total:   ###.##", {12.5}), "Total:    12.50");
    EXPECT_EQ(FormatLine("x -###", {-5}), "x   -5");
    EXPECT_EQ(FormatLine("###-|", {-12}), " 12-|");
    EXPECT_EQ(FormatLine("[#,###.##]", {1234.5}), "[1,234.50]");
    // Integer digits that do not fit push the rest of the line.
    EXPECT_EQ(FormatLine("|##|", {12345}), "|12345|");
}

TEST(FormatLine, TextFields) {
    EXPECT_EQ(FormatLine("\\   \\", {"AB"}), "AB   ");
    EXPECT_EQ(FormatLine("\\   \\", {"ABCDEFG"}), "ABCDE");
    EXPECT_EQ(FormatLine("\\   \\", {7}), "<ES>");
    EXPECT_EQ(FormatLine("ab\\cd", {"X"}), "ab");  // no closing backslash
    EXPECT_EQ(FormatLine("\\  \\ #,###.## ###", {"ABC", 1234.5, 7}), "ABC  1,234.50   7");
}

TEST(FormatLine, EscapesAndLiterals) {
    EXPECT_EQ(FormatLine("N_# ###", {7}), "N#   7");
    EXPECT_EQ(FormatLine("a__b_\\c", {}), "a_b\\c");
    EXPECT_EQ(FormatLine("end_", {}), "end");
}

TEST(FormatLine, ValuesInOrderAndMissingOnes) {
    EXPECT_EQ(FormatLine("### ###", {1}), "  1 ");
    EXPECT_EQ(FormatLine("### \\  \\ ###", {1, "ab", 2}), "  1 ab     2");
    EXPECT_EQ(FormatLine("-### x", {}), "- x");
}

TEST(FormatLine, CapsTheLineAt255) {
    EXPECT_EQ(FormatLine(std::string(300, 'x'), {}).size(), 255u);
    EXPECT_EQ(FormatLine(std::string(250, 'x') + " #######", {1234567}).size(), 255u);
}

}  // namespace
}  // namespace nivex::listings
