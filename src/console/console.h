#pragma once
// The text console as a model: a grid of cells, the current window, the cursor and
// colours, the key queue, the mouse zones and the key buttons. It knows nothing of
// pixels; a view paints it and feeds it keys and clicks.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/key_queue.h"
#include "console/ui_switches.h"

namespace nivex::ui {
class Ui;
}

namespace nivex::console {

using Rgb = uint32_t;  // 0xRRGGBB

constexpr Rgb kSilver = 0xC0C0C0;
constexpr Rgb kMaroon = 0x800000;

// Field frame marks of a cell.
enum Effect : uint16_t {
    kInactiveLeft = 1,
    kInactiveInside = 2,
    kInactiveRight = 4,
    kActiveLeft = 8,
    kActiveInside = 16,
    kActiveRight = 32,
    kButtonFirst = 64,
    kButtonMiddle = 128,
    kButtonLast = 256,
    kReadOnly = 512,
};
constexpr uint16_t kLeftEdges = kInactiveLeft | kActiveLeft;
constexpr uint16_t kRightEdges = kInactiveRight | kActiveRight;

struct Cell {
    uint8_t ch = ' ';
    uint8_t face = 0;
    Rgb fg = kSilver;
    Rgb bg = kSilver;
    uint8_t style = 0;  // 1 = bold
    uint16_t effects = 0;
    bool operator==(const Cell&) const = default;
};

struct Rect {
    int left = 1, top = 1, right = 1, bottom = 1;  // 1-based, inclusive
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool operator==(const Rect&) const = default;
};

// A rectangle of cells kept to be put back later (what a text window covers).
struct SavedArea {
    Rect rect;
    std::vector<Cell> cells;
};

// How a glyph is drawn.
enum class GlyphClass {
    Text,   // a character of the console face: 32..127, Ñ and ñ
    Line,   // line graphics drawn in the cell
    Shade,  // light, medium and dark shade patterns
};
GlyphClass glyphClassOf(uint8_t code);

Rgb paletteColour(int index, bool extended);

// A mouse zone: a rectangle of cells (0-based, screen coordinates) that turns a click
// into a key.
struct MouseZone {
    uint8_t key = key_free;
    uint8_t secondKey = key_free;
    int firstColumn = 0, lastColumn = 0, firstRow = 0, lastRow = 0;
    int button = -1;  // -1 left, 1 right
    int value = 0;    // handed to the screen when hit
    bool autoRepeat = false;
    bool secondClick = false;
    int lastHitColumn = -1, lastHitRow = -1;
    static constexpr uint8_t key_free = 255;
};

struct KeyButton {
    std::string caption;  // code-page bytes
    std::string hint;     // "Tecla: " + key name (legend buttons)
    uint8_t key = 0;
    // Legend buttons: legend row 1 or 2 and slot in the row; laidFromRight for column 82.
    int legendRow = 0;
    int slot = 0;
    bool laidFromRight = false;
    // Free buttons: 1-based cell position and width in cells, window level, kind.
    int column = 0, row = 0, width = 0, level = 0, kind = 0;
    bool visible = true;
    bool bold = false;
    Rgb colour = 0x000000;
};

// The view of a console: told when something must be repainted. Default: nothing.
class ConsoleListener {
  public:
    virtual ~ConsoleListener() = default;
    virtual void cellsChanged(const Rect& /*screenRect*/) {}
    virtual void buttonsChanged() {}
    virtual void caretChanged() {}
    virtual void captionChanged() {}
    virtual void fontSizeChanged() {}
    virtual void keyPushed() {}
    virtual void focusRequested() {}
};

// Thrown out of a waiting read when the user has confirmed closing the main window; the
// program unwinds to its entry point, closing its files on the way.
struct ProgramExit {};

// How waiting works: the desktop program runs its event loop until input arrives; tests
// hand over scripted keys.
class EventPump {
  public:
    virtual ~EventPump() = default;
    // Blocks until something may have been pushed into the key queue.
    virtual void waitForInput() = 0;
    // Handles whatever is pending without blocking.
    virtual void processPending() = 0;
    virtual void sleepMs(int ms) = 0;
    virtual void beep() {}
};

class Console {
  public:
    static constexpr int kColumns = 82;
    static constexpr int kRows = 27;
    static constexpr int kLineGap = 3;
    static constexpr int kButtonRows = 2;
    static constexpr int kZoneCount = 60;
    static constexpr int kButtonsPerLegend = 20;
    static constexpr int kFreeButtons = 20;
    static constexpr int kLegendButtonCells = 10;  // width of a legend button
    static constexpr int kLegendPitchCells = 11;   // and its pitch (plus 2 pixels)

    Console(UiSwitches& switches, ui::Ui& ui, int columns = kColumns, int rows = kRows);

    void setPump(EventPump* pump) { pump_ = pump; }
    void setListener(ConsoleListener* listener);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    const Cell& cell(int column, int row) const;  // 1-based screen coordinates
    // The characters of a screen row, as bytes (columns 1..last).
    std::string rowText(int row, int firstColumn = 1, int lastColumn = 0) const;

    // Cursor and window.
    void gotoXY(int column, int row);
    int whereX() const { return cursorX_; }
    int whereY() const { return cursorY_; }
    void setWindow(int left, int top, int right, int bottom);
    const Rect& window() const { return window_; }

    // Colours and style of what is written next.
    void textColor(int index);
    void textBackground(int index);
    void setForeground(Rgb rgb) { fg_ = rgb; }
    void setBackground(Rgb rgb) { bg_ = rgb; }
    Rgb foreground() const { return fg_; }
    Rgb background() const { return bg_; }
    int foregroundIndex() const;
    int backgroundIndex() const;
    void setEmphasis(bool on) { style_ = on ? 1 : 0; }
    bool emphasis() const { return style_ != 0; }
    void setEffects(uint16_t effects) { effects_ = effects; }
    uint16_t effects() const { return effects_; }
    void useExtendedPalette();
    bool extendedPalette() const { return extended_; }

    // Writing.
    void writeText(std::string_view text);
    void writeLine(std::string_view text);
    void clrEol();
    void clrScr();
    void scrollUp();
    void eraseField(int column, int row, int width);
    void drawField(int width, std::string_view text, bool active, int kind);

    // Saving and restoring what a text window covers (screen coordinates).
    SavedArea saveArea(const Rect& rect) const;
    void restoreArea(const SavedArea& area);

    // Keys.
    uint8_t readKey();
    bool keyPressed();
    bool pushKey(uint8_t code);
    std::optional<uint8_t> takeKey();
    void clearKeys() { queue_.clear(); }
    const KeyQueue& queue() const { return queue_; }
    void delay(int ms);
    void beep();

    // Input from the view. A key press and a character event clear MenuKeyAccepted.
    void keyPress(key::Physical physical, char letter, bool alt, bool ctrl);
    void characterTyped(uint8_t code);
    // A mouse button pressed on a cell (0-based). Returns the key pushed.
    uint8_t mouseDown(int column, int row, int button);
    void mouseMove(int column, int row);
    void mouseUp();
    // The two 100 ms timers; the view runs them while these say so.
    bool repeatTimerWanted() const { return repeatZone_ >= 0; }
    bool secondClickTimerWanted() const { return secondClickZone_ >= 0; }
    void repeatTick();
    void secondClickTick();
    void buttonClicked(const KeyButton& button);
    // The value of the zone hit last, and the last click (column -1 when forgotten).
    int zoneValue() const { return zoneValue_; }
    void forgetLastClick();
    int lastClickColumn() const { return lastClickColumn_; }
    int lastClickButton() const { return lastClickButton_; }

    // Mouse zones.
    std::array<MouseZone, kZoneCount>& zones() { return zones_; }
    const std::array<MouseZone, kZoneCount>& zones() const { return zones_; }
    void clearZones();
    // The zones in use: those before the first whose key or second key is 0 or whose key is
    // 255.
    int zonesInUse() const;
    bool zoneMode() const { return zoneMode_; }
    void setZoneMode(bool on) { zoneMode_ = on; }

    // Caret.
    void showCaret();
    void hideCaret();
    bool caretSwitch() const { return caretSwitch_; }
    bool caretShown() const { return caretShown_; }

    // Key buttons.
    void setLegend(int column, int row, std::string_view text, bool force, int legendRow);
    void clearLegend(int legendRow);
    const std::vector<KeyButton>& legend(int legendRow) const;
    bool addButton(int column, int row, int kind, std::string_view caption, uint8_t key, int width);
    void removeButton(int number);
    void showLevelButtons(int level);
    void hideLevelButtons(int level);
    void removeLevelButtons(int level);
    // Free buttons by slot (1..20); empty optional for a free slot.
    const std::array<std::optional<KeyButton>, kFreeButtons>& freeButtons() const { return free_; }
    void setButtonLevel(int level) { buttonLevel_ = level; }

    // Main window.
    void setCaption(std::string_view text);
    const std::string& caption() const { return caption_; }
    void setFontSize(int size);
    int fontSize() const { return fontSize_; }

    UiSwitches& switches() { return switches_; }
    ui::Ui& ui() { return ui_; }

  private:
    Cell& at(int column, int row) { return cells_[(row - 1) * columns_ + (column - 1)]; }
    void put(int column, int row, uint8_t ch);
    void changed(const Rect& rect);
    void scrollWindowUp();
    int findZone(int column, int row, int button) const;
    uint8_t pressZone(int index, int column, int row);

    UiSwitches& switches_;
    ui::Ui& ui_;
    EventPump* pump_ = nullptr;
    ConsoleListener nullListener_;
    ConsoleListener* listener_ = &nullListener_;

    int columns_, rows_;
    std::vector<Cell> cells_;
    Rect window_;
    int cursorX_ = 1, cursorY_ = 1;
    Rgb fg_ = kSilver, bg_ = kSilver;
    uint8_t style_ = 0;
    uint16_t effects_ = 0;
    bool extended_ = false;

    KeyQueue queue_;
    bool swallowNextCharacter_ = false;  // a key press already pushed its code

    std::array<MouseZone, kZoneCount> zones_{};
    bool zoneMode_ = false;
    int zoneValue_ = 0;
    int lastClickColumn_ = -1, lastClickRow_ = -1, lastClickButton_ = 0;
    int lastHitZone_ = -1;
    int repeatZone_ = -1, repeatTicks_ = 0;
    bool pointerInRepeatZone_ = false;
    int secondClickZone_ = -1, secondClickTicks_ = 0;

    bool caretSwitch_ = false, caretShown_ = false;

    std::array<std::vector<KeyButton>, 2> legends_;
    std::array<std::string, 2> legendText_;
    std::array<std::optional<KeyButton>, kFreeButtons> free_;
    int buttonLevel_ = 0;

    std::string caption_;
    int fontSize_ = 14;
};

}  // namespace nivex::console
