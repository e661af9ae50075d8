// Editing fields with keys: the editing keys, the first key replacing the
// text, validation on the error line, end keys, the switches a field sets.

#include <gtest/gtest.h>

#include <string>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "screen_test_util.h"
#include "support/scripted.h"

namespace nivex::console {
namespace {

using nivex::testing::ConsoleRig;
using nivex::testing::ErrorLineRecorder;
using nivex::testing::ScriptExhausted;

CampoT field(char type, int width, int decimals = 0, std::string minimum = "",
             std::string maximum = "") {
    CampoT f;
    f.prompt = "Valor :";  // value from column 9
    f.type = type;
    f.column = 1;
    f.row = 3;
    f.width = static_cast<int16_t>(width);
    f.decimals = static_cast<int16_t>(decimals);
    f.minimum = std::move(minimum);
    f.maximum = std::move(maximum);
    return f;
}

constexpr int kValueColumn = 9;

class FieldEntry : public ::testing::Test {
  protected:
    ConsoleRig rig;
    Screen screen{rig.console};

    // The characters of the value on screen (row 3, from the value column).
    std::string shown(int width) const {
        return rig.console.rowText(3, kValueColumn, kValueColumn + width - 1);
    }
};

// ---- character sets ----

TEST_F(FieldEntry, NodeNameAcceptsP12AndRefusesWWithABeep) {
    std::string name;
    rig.pump.type("P12W\r");
    screen.EditField(field('A', 5), &name);
    EXPECT_EQ(name, "P12");
    EXPECT_EQ(rig.pump.beeps(), 1);
    EXPECT_EQ(rig.switches.lastKey, key::Enter);
}

TEST_F(FieldEntry, EveryTypeTakesOnlyItsCharacters) {
    struct Case {
        char type;
        const char* typed;
        const char* stored;
        int beeps;
    };
    const Case cases[] = {
        {'S', "Ab 1*~!/", "Ab 1!/", 2},  // '*' and '~' are not in the set
        {'A', "p0Q9w", "0Q9", 2},        // lower case and W refused
        {'K', "1a-2", "12", 2},         {'I', "-1.5x", "-15", 2},  {'N', "1.2", "12", 1},
        {'R', "1.5e", "1.5", 1},        {'E', "-2.5x", "-2.5", 1},
    };
    for (const Case& c : cases) {
        ConsoleRig r;
        Screen s(r.console);
        std::string value;
        r.pump.type(std::string(c.typed) + "\r");
        s.EditField(field(c.type, 8, c.type == 'R' || c.type == 'E' ? 2 : 0), &value);
        EXPECT_EQ(value, c.stored) << "type " << c.type;
        EXPECT_EQ(r.pump.beeps(), c.beeps) << "type " << c.type;
    }
}

TEST_F(FieldEntry, DateDigitsOnlyTypedOverTheMask) {
    std::string date;
    rig.pump.type("0a1/0203\r");  // 'a' and '/' refused; the separators are skipped
    screen.EditField(field('D', 8), &date);
    EXPECT_EQ(date, "01/02/03");
    EXPECT_EQ(rig.pump.beeps(), 2);
}

TEST_F(FieldEntry, UpperCaseDescriptorTurnsLettersUp) {
    CampoT f = field('A', 5);
    f.upperCase = true;
    std::string name;
    rig.pump.type("p1a\r");
    screen.EditField(f, &name);
    EXPECT_EQ(name, "P1A");
    EXPECT_EQ(rig.pump.beeps(), 0);
}

TEST_F(FieldEntry, NoRoomLeftBeeps) {
    std::string text;
    rig.pump.type("ABCD\r");
    screen.EditField(field('S', 3), &text);
    EXPECT_EQ(text, "ABC");
    EXPECT_EQ(rig.pump.beeps(), 1);
}

// ---- the first key, the editing keys ----

TEST_F(FieldEntry, FirstKeyReplacesAndF11Restores) {
    int16_t value = 125;
    rig.pump.type("7\r");
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(rig.switches.fieldChanged);

    value = 125;
    rig.pump.type("7").key(key::F11).type("\r");
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(value, 125);
    EXPECT_FALSE(rig.switches.fieldChanged);
}

TEST_F(FieldEntry, WhileTypingTheFieldShowsTheNewText) {
    int16_t value = 125;
    rig.pump.type("7");
    EXPECT_THROW(screen.EditField(field('I', 3), &value), ScriptExhausted);
    EXPECT_EQ(shown(3), "7  ");
    EXPECT_EQ(rig.console.whereX(), kValueColumn + 1);
    EXPECT_EQ(value, 125);  // not validated yet: the value is untouched
    // The active field is marked.
    EXPECT_TRUE(rig.console.cell(kValueColumn, 3).effects & kActiveLeft);
    EXPECT_TRUE(rig.console.cell(kValueColumn + 2, 3).effects & kActiveRight);
}

TEST_F(FieldEntry, RightKeepsTheTextAndInserts) {
    int16_t value = 125;
    rig.pump.key(key::Right).key(key::Right).type("9\r");  // "12" + "9" + "5", width 3
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(value, 129);
}

TEST_F(FieldEntry, BackspaceLeftDeleteF9) {
    std::string text = "ABCD";
    // Right x4 to the end, Backspace -> ABC, Left x2, Delete -> AC, 'X' inserted -> AXC.
    rig.pump.key(key::Right).key(key::Right).key(key::Right).key(key::Right);
    rig.pump.key(key::Backspace).key(key::Left).key(key::Left).key(key::Delete);
    rig.pump.type("X\r");
    screen.EditField(field('S', 6), &text);
    EXPECT_EQ(text, "AXC");
    EXPECT_EQ(rig.pump.beeps(), 0);

    // Beeps: Backspace and Left at the start, Right and Delete at the end.
    text = "AB";
    rig.pump.key(key::Backspace).key(key::Left).key(key::Right).key(key::Right);
    rig.pump.key(key::Right).key(key::Delete).type("\r");
    screen.EditField(field('S', 6), &text);
    EXPECT_EQ(text, "AB");
    EXPECT_EQ(rig.pump.beeps(), 4);

    // F9 empties, the cursor at the start.
    text = "ABCD";
    rig.pump.key(key::Right).key(key::F9).type("Z\r");
    screen.EditField(field('S', 6), &text);
    EXPECT_EQ(text, "Z");
}

TEST_F(FieldEntry, DateKeys) {
    std::string date = "15/06/20";
    // Backspace beeps in a date; Delete puts the mask letter back; F9 gives the mask.
    rig.pump.key(key::Backspace).key(key::Delete);
    EXPECT_THROW(screen.EditField(field('D', 8), &date), ScriptExhausted);
    EXPECT_EQ(shown(8), "d5/06/20");
    EXPECT_EQ(rig.pump.beeps(), 1);

    rig.pump.key(key::F9);
    EXPECT_THROW(screen.EditField(field('D', 8), &date), ScriptExhausted);
    EXPECT_EQ(shown(8), "dd/mm/aa");

    // The first key replaces the date: the key followed by "d/mm/aa".
    rig.pump.type("3");
    EXPECT_THROW(screen.EditField(field('D', 8), &date), ScriptExhausted);
    EXPECT_EQ(shown(8), "3d/mm/aa");
    EXPECT_EQ(date, "15/06/20");
}

TEST_F(FieldEntry, EmptyDateShowsItsMask) {
    std::string date;
    EXPECT_THROW(screen.EditField(field('D', 8), &date), ScriptExhausted);
    EXPECT_EQ(shown(8), "dd/mm/aa");
}

// ---- validation on the error line ----

TEST_F(FieldEntry, RealRoomAndDecimalsMessages) {
    ErrorLineRecorder errors(rig);
    float value = 1;
    rig.pump.type("1234.5\r12.345\r12.3\r");
    screen.EditField(field('R', 6, 2), &value);
    ASSERT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(errors.messages[0], "Error...No queda espacio para 2 cifra(s) decimale(s)");
    EXPECT_EQ(errors.messages[1], "Error...Usar maximo 2 cifra(s) decimale(s)");  // trimmed
    EXPECT_FLOAT_EQ(value, 12.3f);
    EXPECT_FALSE(rig.switches.errorShowing);  // the next key cleared it

    // Shown as 12.30, and edited as 12.30.
    EXPECT_EQ(shown(6), " 12.30");
    EXPECT_THROW(screen.EditField(field('R', 6, 2), &value), ScriptExhausted);
    EXPECT_EQ(shown(6), "12.30 ");
}

TEST_F(FieldEntry, IntegerMessagesInOrder) {
    ErrorLineRecorder errors(rig);
    int16_t value = 5;
    rig.pump.type("0\r41\r-\r1-2\r40\r");
    screen.EditField(field('I', 3, 0, "1", "40"), &value);
    std::vector<std::string> expected = {
        "Error...El valor no puede ser menor de 1", "Error...El valor no puede ser mayor de 40",
        "Error...Caracter Invalido", "Error...El formato numerico es incorrecto"};
    EXPECT_EQ(errors.messages, expected);
    EXPECT_EQ(value, 40);
}

// Decimals are written with a comma in Colombia: a comma is the decimal point where the
// field has decimals, no point is typed and the digits after it fit; anywhere else it is
// refused naming the decimal point. It is never dropped ("4,50" must not become 450).
TEST_F(FieldEntry, ACommaIsTheDecimalPointOrRefusedNeverDropped) {
    const std::string refused = "Error...No use la coma: el separador decimal es el punto (.)";
    struct Taken {
        CampoT field;
        const char* typed;
        double value;  // what the user meant
    };
    const Taken taken[] = {
        {field('R', 7, 2), "4,50", 4.5},            // an elevation or a length, two decimals
        {field('R', 7, 2), "52,4", 52.4},           // one decimal typed of two
        {field('R', 7, 2), "0,5", 0.5},             // an area in hectares
        {field('R', 7, 2), ",75", 0.75},            // nothing before the comma, as ".75"
        {field('R', 7, 2), "-1,25", -1.25},         // a sign
        {field('R', 7, 3), "1,234", 1.234},         // a slope, three decimals
        {field('R', 6, 4), "0,013", 0.013},         // a Manning n, four decimals
        {field('R', 4, 1), "1,5", 1.5},             // one decimal
        {field('R', 14, 2), "36500,75", 36500.75},  // a price
        {field('E', 10, 2), "1250,5", 1250.5},      // an amount of money
        {field('R', 10, 6), "3,14159", 3.14159},    // free decimals
    };
    for (const Taken& c : taken) {
        for (int form = 0; form < 3; ++form) {
            ConsoleRig r;
            Screen s(r.console);
            ErrorLineRecorder errors(r);
            r.pump.type(std::string(c.typed) + "\r");
            double d = 99;
            float f = 99;
            std::string text = "99";
            if (form == 0) s.EditField(c.field, &d);
            if (form == 1) s.EditField(c.field, &f);
            if (form == 2) s.EditField(c.field, &text);
            EXPECT_TRUE(errors.messages.empty()) << c.typed;
            if (form == 0) {
                EXPECT_DOUBLE_EQ(d, c.value) << c.typed;
            } else if (form == 1) {
                EXPECT_FLOAT_EQ(f, static_cast<float>(c.value)) << c.typed;
            } else {
                EXPECT_DOUBLE_EQ(std::stod(text), c.value) << c.typed << " " << text;
            }
            EXPECT_EQ(r.pump.beeps(), 0) << c.typed;
            EXPECT_TRUE(r.switches.fieldChanged) << c.typed;
        }
    }
    // The field shows the point on the next edit: 4,50 is 4.50 as the user meant.
    {
        ConsoleRig r;
        Screen s(r.console);
        float value = 0;
        r.pump.type("4,5\r");
        s.EditField(field('R', 7, 2), &value);
        EXPECT_EQ(r.console.rowText(3, kValueColumn, kValueColumn + 7), "    4.50");
    }

    struct Refused {
        CampoT field;
        const char* typed;
    };
    const Refused refusedCases[] = {
        {field('I', 2), "1,5"},         // an integer has no decimals
        {field('I', 5), "1,200"},       // nor thousands separators
        {field('N', 5), "3,2"},         // a line number
        {field('R', 6, 0), "1,200"},    // a diameter in mm, no decimals
        {field('R', 14, 2), "36,500"},  // a price: 36.5 or 36500? the user says which
        {field('R', 7, 2), "1,234"},    // three digits after it in a field of two
        {field('R', 7, 2), "1.234,5"},  // a point already typed
        {field('R', 9, 2), "1,234,5"},  // two commas
        {field('E', 10, 2), "36,500"},  // money as the price
    };
    for (const Refused& c : refusedCases) {
        ConsoleRig r;
        Screen s(r.console);
        ErrorLineRecorder errors(r);
        // Refused, asked again: the next key replaces the text, as after any refusal.
        r.pump.type(std::string(c.typed) + "\r7\r");
        int16_t whole = 5;
        double real = 5;
        if (c.field.type == 'I' || c.field.type == 'N')
            s.EditField(c.field, &whole);
        else
            s.EditField(c.field, &real);
        ASSERT_EQ(errors.messages.size(), 1u) << c.typed;
        EXPECT_EQ(errors.messages[0], refused) << c.typed;
        EXPECT_EQ(c.field.type == 'I' || c.field.type == 'N' ? whole : real, 7) << c.typed;
    }

    // A refused comma never reaches the value, even when the user leaves with Esc.
    {
        ConsoleRig r;
        Screen s(r.console);
        r.switches.endKeys = "Enter Esc";
        double price = 35000;
        r.pump.type("36,500").key(key::Esc);
        EXPECT_THROW(s.EditField(field('R', 14, 2), &price), ScriptExhausted);
        EXPECT_EQ(price, 35000);
        EXPECT_TRUE(r.switches.errorShowing);
    }

    // Values that come from elsewhere than the keyboard follow the same rule.
    EXPECT_EQ(validateField(field('R', 7, 2), "4,50", nullptr), "");
    EXPECT_EQ(withDecimalPoint(field('R', 7, 2), "4,50"), "4.50");
    EXPECT_EQ(validateField(field('I', 3), "4,5", nullptr), refused);
    EXPECT_EQ(withDecimalPoint(field('R', 14, 2), "36,500"), "36,500");
}

TEST_F(FieldEntry, ErrorLineLayoutAndTheValueKept) {
    int16_t value = 5;
    rig.pump.type("0\r");
    EXPECT_THROW(screen.EditField(field('I', 3, 0, "1", "40"), &value), ScriptExhausted);
    const std::string message = "Error...El valor no puede ser menor de 1";
    const int column = (81 - static_cast<int>(message.size())) / 2;
    EXPECT_EQ(rig.console.rowText(25, column, column + static_cast<int>(message.size()) - 1),
              message);
    EXPECT_TRUE(rig.switches.errorShowing);
    EXPECT_EQ(value, 5);
    EXPECT_GE(rig.pump.beeps(), 1);
    // Alternate emphasised colours of scheme 0: text 9 on 21, bold.
    const Cell& c = rig.console.cell(column, 25);
    EXPECT_EQ(c.fg, paletteColour(9, rig.console.extendedPalette()));
    EXPECT_EQ(c.bg, paletteColour(21, rig.console.extendedPalette()));
    EXPECT_EQ(c.style, 1);
    // The cursor is back at the start of the value.
    EXPECT_EQ(rig.console.whereX(), kValueColumn);
    EXPECT_EQ(rig.console.whereY(), 3);
    // The caret is on.
    EXPECT_TRUE(rig.console.caretSwitch());
}

TEST_F(FieldEntry, AfterAnErrorTheNextKeyReplacesAgain) {
    int16_t value = 5;
    // "4", Right (insert mode), "1" -> "41": too big; then "7" replaces the text again.
    rig.pump.type("4").key(key::Right).type("1\r7\r");
    screen.EditField(field('I', 3, 0, "1", "40"), &value);
    EXPECT_EQ(value, 7);
}

TEST_F(FieldEntry, WrongDateKeepsTheCursorOnTheMonth) {
    ErrorLineRecorder errors(rig);
    std::string date;
    rig.pump.type("311300\r");
    EXPECT_THROW(screen.EditField(field('D', 8), &date), ScriptExhausted);
    EXPECT_EQ(rig.row(25).substr(rig.row(25).find_first_not_of(' ')),
              cp("Mes ... Año ...  en forma erronea"));
    EXPECT_EQ(rig.console.whereX(), kValueColumn + 3);
    EXPECT_EQ(date, "");
    // Typing goes on over the month.
    ConsoleRig r2;
    Screen s2(r2.console);
    r2.pump.type("311300\r1299\r");
    s2.EditField(field('D', 8), &date);
    EXPECT_EQ(date, "31/12/99");
}

TEST_F(FieldEntry, TextChecks) {
    ErrorLineRecorder errors(rig);
    std::string answer;
    rig.pump.type("X\rs\r");
    CampoT f = field('S', 1, 0, "SN");
    f.upperCase = true;
    screen.EditField(f, &answer);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Error...Respuesta invalida");
    EXPECT_EQ(answer, "S");
}

TEST_F(FieldEntry, InjectedKeysAreDroppedByAnError) {
    rig.switches.keysInjected = true;
    for (char c : std::string("0\r5\r"))
        rig.console.pushKey(static_cast<uint8_t>(c));
    rig.pump.type("7\r");
    int16_t value = 3;
    screen.EditField(field('I', 3, 0, "1", "40"), &value);
    EXPECT_EQ(value, 7);  // "5\r" was thrown away with the error
    EXPECT_FALSE(rig.switches.keysInjected);
}

// ---- end keys ----

TEST_F(FieldEntry, EndKeysEndTheFieldOthersBeep) {
    rig.switches.endKeys = "Enter Up Dn Esc AltZ";
    int16_t value = 1;
    rig.pump.key(key::PgDn).type("2").key(key::Up);
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(rig.switches.lastKey, key::Up);
    EXPECT_EQ(rig.pump.beeps(), 1);  // PgDn is not an end key here

    rig.pump.type("3").key(key::AltZ);
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(rig.switches.lastKey, key::AltZ);
    EXPECT_EQ(value, 3);
}

TEST_F(FieldEntry, EscIsValidatedLikeAnyEndKey) {
    rig.switches.endKeys = "Enter Esc";
    int16_t value = 5;
    rig.pump.type("0").key(key::Esc).type("8").key(key::Esc);
    screen.EditField(field('I', 3, 0, "1", "40"), &value);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(rig.switches.lastKey, key::Esc);
}

TEST_F(FieldEntry, AltMEndsTheFieldOnlyFromTheMouse) {
    int16_t value = 5;
    rig.switches.menuKeyAccepted = false;
    rig.pump.key(key::AltM).type("\r");  // typed Alt+M: not an end key
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(rig.pump.beeps(), 1);
    EXPECT_EQ(rig.switches.lastKey, key::Enter);

    rig.switches.menuKeyAccepted = true;  // as after a click on a mouse zone
    rig.pump.key(key::AltM);
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(rig.switches.lastKey, key::AltM);
}

TEST_F(FieldEntry, EndKeysCanNameAltM) {
    rig.switches.endKeys = "Enter AltM";
    int16_t value = 5;
    rig.pump.key(key::AltM);
    screen.EditField(field('I', 3), &value);
    EXPECT_EQ(rig.switches.lastKey, key::AltM);
}

// ---- switches ----

TEST_F(FieldEntry, ChangedSwitches) {
    std::string text = "AB";
    rig.pump.type("\r");
    screen.EditField(field('S', 4), &text);
    EXPECT_FALSE(rig.switches.fieldChanged);
    EXPECT_FALSE(rig.switches.dataChanged);

    rig.pump.type("CD\r");
    screen.EditField(field('S', 4), &text);
    EXPECT_TRUE(rig.switches.fieldChanged);
    EXPECT_TRUE(rig.switches.dataChanged);
    EXPECT_TRUE(rig.switches.screenChanged);

    for (char type : {'N', 'K'}) {
        rig.switches.dataChanged = rig.switches.screenChanged = false;
        std::string code = "12";
        rig.pump.type("34\r");
        screen.EditField(field(type, 4), &code);
        EXPECT_EQ(code, "34");
        EXPECT_TRUE(rig.switches.fieldChanged) << type;
        EXPECT_FALSE(rig.switches.dataChanged) << type;
        EXPECT_FALSE(rig.switches.screenChanged) << type;
    }
}

TEST_F(FieldEntry, ZeroAsMinimum) {
    rig.switches.zeroAsMinimum = true;
    float value = 5;
    rig.pump.key(key::Right).key(key::F9).type("\r");  // left empty
    screen.EditField(field('R', 6, 2), &value);
    EXPECT_FLOAT_EQ(value, 0.001f);

    value = 5;
    rig.pump.type("0\r");
    screen.EditField(field('R', 6, 2), &value);
    EXPECT_FLOAT_EQ(value, 0.001f);

    double amount = 5;  // E fields are not touched
    rig.pump.type("0\r");
    screen.EditField(field('E', 6, 2), &amount);
    EXPECT_DOUBLE_EQ(amount, 0);

    rig.switches.zeroAsMinimum = false;
    value = 5;
    rig.pump.type("0\r");
    screen.EditField(field('R', 6, 2), &value);
    EXPECT_FLOAT_EQ(value, 0);
}

TEST_F(FieldEntry, ValueFormsAreFilled) {
    double d = 0;
    rig.pump.type("1234.56\r");
    screen.EditField(field('R', 8, 2), &d);
    EXPECT_DOUBLE_EQ(d, 1234.56);
    std::string s;
    rig.pump.type("-7.5\r");
    screen.EditField(field('R', 6, 2), &s);
    EXPECT_EQ(s, "-7.5");
    int16_t i = 0;
    rig.pump.type("-32\r");
    screen.EditField(field('N', 4), &i);
    EXPECT_EQ(i, -32);
    // After editing the field is shown inactive with separators.
    EXPECT_EQ(rig.console.rowText(3, kValueColumn, kValueColumn + 3), " -32");
    EXPECT_TRUE(rig.console.cell(kValueColumn, 3).effects & kInactiveLeft);
}

// ---- showing fields ----

TEST_F(FieldEntry, ShowFieldPromptAndValue) {
    float zero = 0;
    CampoT f = field('R', 6, 2);
    rig.switches.blankZero = true;
    screen.ShowField(f, &zero, 2);
    EXPECT_EQ(rig.console.rowText(3, 1, 7), "Valor :");
    EXPECT_EQ(shown(6), "      ");
    rig.switches.blankZero = false;
    screen.ShowField(f, &zero, 1);
    EXPECT_EQ(shown(6), "  0.00");
    double big = 123456.5;
    screen.ShowField(field('R', 9, 2), &big, 1);
    EXPECT_EQ(shown(10), "123,456.50");
}

TEST_F(FieldEntry, ShowFieldPromptColourModes) {
    std::string t = "x";
    CampoT f = field('S', 2);
    screen.ShowField(f, &t, 0, ColourMode::NormalEmphasis);
    EXPECT_EQ(rig.console.cell(1, 3).style, 1);
    EXPECT_EQ(rig.console.cell(kValueColumn, 3).ch, ' ');  // mode 0: prompt only
    screen.ShowField(f, &t, 1);
    EXPECT_EQ(rig.console.cell(kValueColumn, 3).ch, 'x');
}

// ---- single keys ----

TEST_F(FieldEntry, ReadChoiceSkipsNoKeys) {
    rig.console.pushKey(0);
    rig.console.pushKey(255);
    rig.console.pushKey('a');
    EXPECT_EQ(screen.ReadChoice(), "a");
    EXPECT_EQ(rig.switches.lastKey, 'a');
}

TEST_F(FieldEntry, ReadMenuKeyDropsTypedKeys) {
    rig.switches.menuKeyAccepted = false;
    rig.console.pushKey('1');
    rig.console.pushKey('2');
    // The scripted click turns MenuKeyAccepted on; it hits no zone (255, skipped), so
    // the key that follows is taken.
    rig.pump.click(0, 0).type("5");
    EXPECT_EQ(screen.ReadMenuKey(), "5");
    EXPECT_TRUE(rig.pump.done());
}

}  // namespace
}  // namespace nivex::console
