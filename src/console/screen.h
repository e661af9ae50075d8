#pragma once
// The pieces every data screen is built from: stacked text windows with a raised frame
// and a title bar, field descriptors shown and edited one at a time, the field error
// line, the message and question boxes drawn in the console, key legends and the mouse
// zones of fields.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "console/console.h"

namespace nivex::console {

// A field descriptor: constant data of a screen. Texts are code-page bytes.
struct CampoT {
    std::string prompt;    // shown before the value
    char type = 'S';       // S A K D I N R E
    int16_t column = 1;    // of the prompt, in the current window
    int16_t row = 1;       // of the prompt and the value
    int16_t width = 1;     // characters of the value
    int16_t decimals = 0;  // of a real value; 6 or more means "free"
    std::string minimum;   // lowest value, minimum length or allowed answers; "" = none
    std::string maximum;   // highest value, or a text the answer must occur in; "" = none
    bool upperCase = false;

    int valueColumn() const { return column + static_cast<int>(prompt.size()) + 1; }
};

// The four forms in which a caller holds a field's value.
using FieldValue = std::variant<int16_t*, float*, double*, std::string*>;

// Colour modes of screen text.
enum class ColourMode { Normal, NormalEmphasis, Alternate, AlternateEmphasis, Title };

struct ColourScheme {
    int background, text, emphasis, altBackground, altText, altEmphasis, titleBackground, titleText;
};
const ColourScheme& colourScheme(int index);  // 0..7

// The characters a field type accepts while typing.
std::string_view acceptedCharacters(char type);
// Width on screen of a numeric value of type R or E (room for thousands separators).
int displayWidth(const CampoT& field);
// A value as shown (separators, descriptor's decimals, right-aligned) and as edited.
std::string displayText(const CampoT& field, const FieldValue& value, bool blankZero);
std::string editText(const CampoT& field, const FieldValue& value);
// The check of a field's text when editing ends: "" when valid, else the message.
// errorPosition receives the 0-based character where the cursor goes back to. A comma
// in a numeric text is checked as withDecimalPoint takes it, or refused with
// kCommaRefused.
std::string validateField(const CampoT& field, const std::string& text, int* errorPosition);
// A comma typed in a numeric field is never dropped: where the field has decimals, no
// point was typed and the digits after the one comma fit the decimals, it is the decimal
// point ("4,50" is 4.50). Returns the text with that comma made a point; any other text
// as it is (a comma left in it is refused by validateField).
std::string withDecimalPoint(const CampoT& field, const std::string& text);
inline constexpr std::string_view kCommaRefused =
    "Error...No use la coma: el separador decimal es el punto (.)";
// The same check for a value that comes from elsewhere than the keyboard (an import, a
// file, a command line): its shortest text must be one the field takes, and fit the
// field's width as the editor would have let it be typed. Not a number is refused.
std::string validateFieldValue(const CampoT& field, double value);
std::string validateFieldValue(const CampoT& field, float value);

bool InSet(std::string_view allowed, std::string_view answer);

// A one-letter answer at column 3 of row, typed in upper case; allowed: the letters it
// takes ("" for any).
CampoT AnswerField(std::string prompt, int row, std::string allowed = "SN");

class Screen {
  public:
    static constexpr int kMaxWindows = 10;
    static constexpr int kErrorRow = 25;

    explicit Screen(Console& console);

    Console& console() { return console_; }
    UiSwitches& switches() { return console_.switches(); }

    // Windows. Kind 'W', 'D' or 'A'; right beyond 81 and bottom beyond 27 are clipped.
    // Returns false (and opens nothing) when ten windows are open.
    bool OpenWindow(char kind, int left, int top, int caretOff, std::string_view title, int scheme,
                    int bottom, int right);
    void CloseWindow();
    int WindowDepth() const { return static_cast<int>(levels_.size()); }
    int scheme() const;

    // Title mode is bold unless titleBold is false ("bold or not").
    void SetColours(ColourMode mode, bool titleBold = true);

    // Fields. mode: 0 prompt, 1 value, 2 both.
    void ShowField(const CampoT& field, const FieldValue& value, int mode,
                   ColourMode promptColour = ColourMode::Normal);
    // Closing the window while a field is typed ends it as Esc does (when Esc ends it):
    // the screen keeps or refuses the text as for Esc, and leaves at its next wait.
    void EditField(const CampoT& field, const FieldValue& value);

    std::string ReadChoice();
    std::string ReadMenuKey();

    void FieldError(std::string_view message);
    void ClearFieldError();

    void ShowMessageBox(std::string_view message);
    // The same box without touching ContinueWaiting.
    void ShowMessageBoxQuiet(std::string_view message);
    // The text of the last message box, for a batch run that has no screen to show it.
    const std::string& lastMessage() const { return lastMessage_; }
    void clearLastMessage() { lastMessage_.clear(); }
    char AskSiNo(int firstRow, std::string_view message, std::string_view title);
    void WaitAnyKey(int row, std::string_view message);
    // The text centred on row (code page), then Enter or Esc; any other key beeps.
    void WaitEnterOrEsc(int row, std::string_view text);

    void ShowHeader(std::string_view title);
    void WriteCentred(int row, std::string_view text);
    void ShowLegend(std::string_view legend);

    // Mouse zones.
    void ClearZones();
    void ZonesOff();
    void FieldZones(const std::vector<CampoT>& fields, int lastIndex);
    void AddFieldZones(const std::vector<CampoT>& fields, int first, int last);
    // number: the value the zone hands over; 0 gives the zone's own number in the table.
    void AddFieldZone(const CampoT& field, int number = 0);
    void ScrollZones();
    // The field number (1-based) a click on a field zone handed over.
    int SelectClickedField() const { return console_.zoneValue(); }

  private:
    struct Level {
        Rect rect;      // the window with its frame (and shadow), screen coordinates
        Rect interior;  // one cell inside the frame: the current window of the level
        char kind = 'W';
        int scheme = 0;
        int titleWidth = 0;
        bool caretOn = false;
        bool belowCaretOn = false;
        int belowCursorX = 1, belowCursorY = 1;
        Rect belowWindow;
        SavedArea covered;
    };

    // Keys that end the field being edited: the EndKeys names and their codes.
    std::vector<uint8_t> endKeyCodes() const;
    // Runs body with the current window set to the one whose row 25 is the error line.
    template <typename Body>
    void onErrorLine(Body body);
    MouseZone fieldZone(const CampoT& field, int value) const;
    void drawFrame(const Level& level);
    void drawShadow(const Level& level);
    void drawTitleBar(std::string_view title);

    Console& console_;
    std::string lastMessage_;
    // Leaving the program has ended a field as Esc: every later wait leaves at once.
    bool leftAsEscape_ = false;
    std::vector<Level> levels_;
    // Interior width and scheme of the current window (81 and 0 with no window open).
    int width_ = 81;
    int scheme_ = 0;
};

}  // namespace nivex::console
