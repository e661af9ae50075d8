// Field types, their texts as shown and edited, and the checks when a field ends,
// without a screen.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>
#include <string>

#include "console/codepage.h"
#include "console/screen.h"

namespace nivex::console {
namespace {

CampoT field(char type, int width, int decimals = 0, std::string minimum = "",
             std::string maximum = "") {
    CampoT f;
    f.prompt = "Valor :";
    f.type = type;
    f.column = 1;
    f.row = 3;
    f.width = static_cast<int16_t>(width);
    f.decimals = static_cast<int16_t>(decimals);
    f.minimum = std::move(minimum);
    f.maximum = std::move(maximum);
    return f;
}

std::string check(const CampoT& f, const std::string& text, int* position = nullptr) {
    int dummy = -1;
    return validateField(f, text, position ? position : &dummy);
}

TEST(FieldTypes, AcceptedCharactersOfEveryType) {
    EXPECT_EQ(acceptedCharacters('S'),
              "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz!@#$%&():+-,./\\0123456789");
    EXPECT_EQ(acceptedCharacters('A'), "0123456789ABCDEFGHIJKLMNOPQRSTUVXYZ");
    EXPECT_EQ(acceptedCharacters('K'), "0123456789");
    EXPECT_EQ(acceptedCharacters('D'), "0123456789");
    // Numbers take the comma too, so that validation can make it the decimal point or
    // refuse it instead of the key being dropped unseen.
    EXPECT_EQ(acceptedCharacters('I'), "-0123456789,");
    EXPECT_EQ(acceptedCharacters('N'), "-0123456789,");
    EXPECT_EQ(acceptedCharacters('R'), ".-0123456789,");
    EXPECT_EQ(acceptedCharacters('E'), ".-0123456789,");
    EXPECT_EQ(acceptedCharacters('A').find('W'), std::string_view::npos);
}

TEST(FieldTypes, InSet) {
    EXPECT_TRUE(InSet("SN", "S"));
    EXPECT_TRUE(InSet("SN", "NS"));
    EXPECT_TRUE(InSet("SN", ""));
    EXPECT_FALSE(InSet("SN", "s"));
    EXPECT_FALSE(InSet("SN", "SX"));
}

TEST(FieldTexts, DisplayWidthLeavesRoomForThousandsSeparators) {
    EXPECT_EQ(displayWidth(field('R', 6, 0)), 7);    // 6 + 5 div 3
    EXPECT_EQ(displayWidth(field('E', 10, 0)), 13);  // 10 + 9 div 3
    EXPECT_EQ(displayWidth(field('R', 6, 2)), 6);    // 3 integer digits: no separator
    EXPECT_EQ(displayWidth(field('R', 9, 2)), 10);   // 6 integer digits: one separator
    EXPECT_EQ(displayWidth(field('R', 9, 6)), 10);   // free decimals count as 2
    EXPECT_EQ(displayWidth(field('R', 7, 2)), 8);    // 4 integer digits
    EXPECT_EQ(displayWidth(field('I', 6)), 6);
    EXPECT_EQ(displayWidth(field('S', 12)), 12);
}

TEST(FieldTexts, RealsShowWithSeparatorsRightAligned) {
    double v = 123456.784;
    EXPECT_EQ(displayText(field('R', 9, 2), &v, false), "123,456.78");
    float f = 12.3f;
    EXPECT_EQ(displayText(field('R', 6, 2), &f, false), " 12.30");
    double m = -1234567;
    EXPECT_EQ(displayText(field('E', 10, 0), &m, false), "   -1,234,567");
    double half = 2.675;  // rounded as written, halves away from zero
    EXPECT_EQ(displayText(field('R', 6, 2), &half, false), "  2.68");
    double negativeHalf = -0.125;
    EXPECT_EQ(displayText(field('R', 6, 2), &negativeHalf, false), " -0.13");
}

TEST(FieldTexts, BlankZero) {
    float zero = 0;
    EXPECT_EQ(displayText(field('R', 6, 2), &zero, true), "      ");
    EXPECT_EQ(displayText(field('R', 6, 2), &zero, false), "  0.00");
    int16_t izero = 0;
    EXPECT_EQ(displayText(field('I', 3), &izero, true), "   ");
    EXPECT_EQ(displayText(field('I', 3), &izero, false), "  0");
    std::string szero = "0";
    EXPECT_EQ(displayText(field('E', 4, 0), &szero, true), "     ");
    // Text fields are not numbers: a "0" stays.
    EXPECT_EQ(displayText(field('K', 3), &szero, true), "0  ");
}

TEST(FieldTexts, EditTextHasExactDecimalsAndNoSeparators) {
    double v = 123456.7;
    EXPECT_EQ(editText(field('R', 9, 2), &v), "123456.70");
    float f = 12.3f;
    EXPECT_EQ(editText(field('R', 6, 2), &f), "12.30");
    float free = 0.0125f;
    EXPECT_EQ(editText(field('R', 8, 6), &free), "0.0125");
    int16_t i = -42;
    EXPECT_EQ(editText(field('I', 4), &i), "-42");
    std::string typed = ".5";
    EXPECT_EQ(editText(field('R', 6, 3), &typed), "0.500");
    std::string empty;
    EXPECT_EQ(editText(field('R', 6, 2), &empty), "");
    EXPECT_EQ(editText(field('D', 8), &empty), "dd/mm/aa");
    std::string date = "01/02/03";
    EXPECT_EQ(editText(field('D', 8), &date), "01/02/03");
    std::string name = "P12";
    EXPECT_EQ(editText(field('A', 5), &name), "P12");
}

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(FieldTexts, NumbersIgnoreTheUserLocale) {
    // A user locale with a decimal comma, for the C++ streams and, where one is
    // installed, for the C library too.
    std::locale savedGlobal =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string savedC = old ? old : "C";
    for (const char* name : {"de_DE.UTF-8", "es_CO.UTF-8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_ALL, name)) break;

    double v = 1234.5;
    std::string shown = displayText(field('R', 8, 2), &v, false);
    std::string edited = editText(field('R', 8, 2), &v);
    std::string message = validateField(field('R', 6, 2), "12.25", nullptr);
    std::string comma = validateField(field('R', 6, 2), "12,25", nullptr);
    std::string pointed = withDecimalPoint(field('R', 6, 2), "12,25");
    std::string both = validateField(field('R', 8, 2), "1.234,50", nullptr);

    std::setlocale(LC_ALL, savedC.c_str());
    std::locale::global(savedGlobal);
    EXPECT_EQ(shown, " 1,234.50");  // 9 wide
    EXPECT_EQ(edited, "1234.50");
    EXPECT_EQ(message, "");
    // The comma is the field's own rule, never the locale's.
    EXPECT_EQ(comma, "");
    EXPECT_EQ(pointed, "12.25");
    EXPECT_EQ(both, "Error...No use la coma: el separador decimal es el punto (.)");
}

// ---- validation ----

TEST(FieldChecks, TextMinimumLengthAndAllowedAnswers) {
    EXPECT_EQ(check(field('S', 10, 0, "3"), "ab"), "Error...Usar como minimo 3 caracteres ");
    EXPECT_EQ(check(field('S', 10, 0, "3"), "abc"), "");
    EXPECT_EQ(check(field('S', 1, 0, "SN"), "X"), "Error...Respuesta invalida");
    EXPECT_EQ(check(field('S', 1, 0, "SN"), "N"), "");
    EXPECT_EQ(check(field('S', 3, 0, "", "ABCDE"), "BC"), "");
    EXPECT_EQ(check(field('S', 3, 0, "", "ABCDE"), "CB"), "Error...Caracter Invalido");
    EXPECT_EQ(check(field('A', 5, 0, "2"), "P"), "Error...Usar como minimo 2 caracteres ");
    EXPECT_EQ(check(field('K', 4, 0, "4"), "123"), "Error...Usar como minimo 4 caracteres ");
    EXPECT_EQ(check(field('K', 1, 0, "", "123"), "4"), "Error...Caracter Invalido");
    EXPECT_EQ(check(field('A', 5), "P12"), "");
}

TEST(FieldChecks, IntegerMessages) {
    CampoT f = field('I', 2, 0, "1", "40");
    EXPECT_EQ(check(f, "0"), "Error...El valor no puede ser menor de 1");
    EXPECT_EQ(check(f, "41"), "Error...El valor no puede ser mayor de 40");
    EXPECT_EQ(check(f, "-"), "Error...Caracter Invalido");
    EXPECT_EQ(check(f, "1-2"), "Error...El formato numerico es incorrecto");
    EXPECT_EQ(check(f, "40"), "");
    EXPECT_EQ(check(f, "1"), "");
    // N: the format only.
    EXPECT_EQ(check(field('N', 4, 0, "1", "40"), "100"), "");
    EXPECT_EQ(check(field('N', 4), "1-2"), "Error...El formato numerico es incorrecto");
}

TEST(FieldChecks, RealMessages) {
    CampoT f = field('R', 6, 2);
    EXPECT_EQ(check(f, "1234.5"), "Error...No queda espacio para 2 cifra(s) decimale(s)");
    EXPECT_EQ(check(f, "123.45"), "");  // digits, point and decimals fill the width
    // A ground elevation of the Andes in the reach screen's 7-wide field, and a slope of
    // 1.50 % in a 4-wide one.
    EXPECT_EQ(check(field('R', 7, 2), "2595.52"), "");
    EXPECT_EQ(check(field('R', 4, 2), "1.5"), "");
    EXPECT_EQ(check(field('R', 4, 2), "12"),
              "Error...No queda espacio para 2 cifra(s) decimale(s)");
    EXPECT_EQ(check(f, "12.345"), "Error...Usar maximo 2 cifra(s) decimale(s) ");
    EXPECT_EQ(check(f, "12.3"), "");
    EXPECT_EQ(check(f, "-12.34"), "");
    EXPECT_EQ(check(f, "0.5"), "");
    EXPECT_EQ(check(f, "1.2.3"), "Error...El formato numerico es incorrecto");
    EXPECT_EQ(check(f, "-"), "Error...Caracter Invalido");
    CampoT limits = field('R', 7, 2, "0.5", "99.5");
    EXPECT_EQ(check(limits, "0.4"), "Error...El valor no puede ser menor de 0.5");
    EXPECT_EQ(check(limits, "99.51"), "Error...El valor no puede ser mayor de 99.5");
    // Decimals beyond the descriptor's.
    EXPECT_EQ(check(field('E', 8, 0), "10.5"), "Error...Usar maximo 0 cifra(s) decimale(s) ");
    // Manning n, 6 wide with 4 decimals, as a user types it.
    EXPECT_EQ(check(field('R', 6, 4), "0.013"), "");
}

// Values from a file or an import meet the rules a typed text meets; a float's binary noise
// is no decimal of its own (998.2f is 998.2), a real one is (10.125 is three decimals).
TEST(FieldChecks, ValuesThatWereNotTyped) {
    const CampoT length = field('R', 7, 2, "0");
    EXPECT_EQ(validateFieldValue(length, 998.2f), "");
    EXPECT_EQ(validateFieldValue(length, 9999.99f), "");
    EXPECT_EQ(validateFieldValue(length, 10000.0f),
              "Error...El valor no cabe en el campo (7 caracteres)");
    EXPECT_EQ(validateFieldValue(length, 3.4e38f),
              "Error...El valor no cabe en el campo (7 caracteres)");
    EXPECT_EQ(validateFieldValue(length, 10.125), "Error...Usar maximo 2 cifra(s) decimale(s) ");
    EXPECT_EQ(validateFieldValue(length, -5.0f), "Error...El valor no puede ser menor de 0");
    EXPECT_EQ(validateFieldValue(length, std::nanf("")), "Error...El valor no es un numero");
    // A diameter of 6 characters without decimals, a one-digit whole number.
    EXPECT_EQ(validateFieldValue(field('R', 6, 0), 999999.0f), "");
    EXPECT_EQ(validateFieldValue(field('R', 6, 0), 1e6f),
              "Error...El valor no cabe en el campo (6 caracteres)");
    EXPECT_EQ(validateFieldValue(field('I', 1, 0, "0", "3"), 4.0),
              "Error...El valor no puede ser mayor de 3");
    EXPECT_EQ(validateFieldValue(field('I', 2, 0), 1.5),
              "Error...El valor debe ser un numero entero");
    // A price of 14 characters and two decimals: eleven digits before the point.
    const CampoT price = field('R', 14, 2, "0");
    EXPECT_EQ(validateFieldValue(price, 99999999999.99), "");
    EXPECT_EQ(validateFieldValue(price, 1e100),
              "Error...El valor no cabe en el campo (14 caracteres)");
}

TEST(FieldChecks, DateMessagesAndTheCursorOnTheFirstWrongPart) {
    CampoT f = field('D', 8);
    int position = -1;
    EXPECT_EQ(check(f, "31/13/00", &position), cp("Mes ... Año ...  en forma erronea"));
    EXPECT_EQ(position, 3);
    EXPECT_EQ(check(f, "32/12/05", &position), "Dia ...  en forma erronea");
    EXPECT_EQ(position, 0);
    EXPECT_EQ(check(f, "00/00/00", &position), cp("Dia ... Mes ... Año ...  en forma erronea"));
    EXPECT_EQ(position, 0);
    EXPECT_EQ(check(f, "15/06/dd", &position), cp("Año ...  en forma erronea"));
    EXPECT_EQ(position, 6);
    EXPECT_EQ(check(f, "31/12/99", &position), "");
    EXPECT_EQ(check(f, "01/01/01", &position), "");
}

}  // namespace
}  // namespace nivex::console
