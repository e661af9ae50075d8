// The window stack, the colour schemes, the headers and legends, the message and
// question boxes and the mouse zones of fields. Field display and editing
// live in field_edit.cpp, the field texts and their checks in field_format.cpp.

#include "console/screen.h"

#include <algorithm>
#include <array>

#include "console/codepage.h"
#include "console/field_text.h"
#include "console/keys.h"

namespace nivex::console {
namespace {

constexpr std::array<ColourScheme, 8> kSchemes = {{
    {21, 0, 0, 21, 1, 9, 7, 15},
    {16, 0, 0, 16, 1, 9, 1, 15},
    {19, 0, 0, 19, 1, 9, 4, 15},
    {20, 0, 0, 20, 1, 9, 11, 0},
    {18, 0, 0, 18, 1, 9, 3, 15},
    {17, 0, 0, 17, 1, 9, 2, 15},
    {22, 0, 0, 22, 1, 9, 6, 15},
    {15, 0, 0, 15, 1, 9, 0, 15},
}};

// The raised frame (the console's frame glyphs).
constexpr uint8_t kTopLeft = 134, kTopRight = 135, kBottomLeft = 136, kBottomRight = 137;
constexpr uint8_t kLeftSide = 138, kRightSide = 139, kTopEdge = 140, kBottomEdge = 145;
constexpr int kWhite = 15, kBlack = 0, kShadowText = 7;

// The rightmost column and lowest row a window may use.
constexpr int kLastWindowColumn = 81;
constexpr int kLastWindowRow = 27;
constexpr int kScreenWidth = 81;  // the width centring works on

constexpr std::string_view kContinueEnterEsc = "Para continuar oprima [ ENTER o ESC ]";
constexpr std::string_view kContinueAnyKey = "Para continuar use cualquier tecla";

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            current += c;
        }
    }
    lines.push_back(current);
    return lines;
}

}  // namespace

const ColourScheme& colourScheme(int index) {
    return kSchemes[static_cast<size_t>(std::clamp(index, 0, 7))];
}

CampoT AnswerField(std::string prompt, int row, std::string allowed) {
    CampoT f;
    f.prompt = std::move(prompt);
    f.type = 'S';
    f.column = 3;
    f.row = static_cast<int16_t>(row);
    f.width = 1;
    f.maximum = std::move(allowed);
    f.upperCase = true;
    return f;
}

Screen::Screen(Console& console) : console_(console) {}

int Screen::scheme() const {
    return scheme_;
}

void Screen::SetColours(ColourMode mode, bool titleBold) {
    const ColourScheme& s = colourScheme(scheme_);
    switch (mode) {
        case ColourMode::Normal:
            console_.textColor(s.text);
            console_.textBackground(s.background);
            console_.setEmphasis(false);
            break;
        case ColourMode::NormalEmphasis:
            console_.textColor(s.emphasis);
            console_.textBackground(s.background);
            console_.setEmphasis(true);
            break;
        case ColourMode::Alternate:
            console_.textColor(s.altText);
            console_.textBackground(s.altBackground);
            console_.setEmphasis(false);
            break;
        case ColourMode::AlternateEmphasis:
            console_.textColor(s.altEmphasis);
            console_.textBackground(s.altBackground);
            console_.setEmphasis(true);
            break;
        case ColourMode::Title:
            console_.textColor(s.titleText);
            console_.textBackground(s.titleBackground);
            console_.setEmphasis(titleBold);
            break;
    }
}

// ---- windows ----

bool Screen::OpenWindow(char kind, int left, int top, int caretOff, std::string_view title,
                        int scheme, int bottom, int right) {
    if (WindowDepth() >= kMaxWindows) return false;

    // 1. The cursor of the current level; the rectangle clipped to the usable screen.
    Level level;
    level.kind = kind;
    level.scheme = std::clamp(scheme, 0, 7);
    level.belowCursorX = console_.whereX();
    level.belowCursorY = console_.whereY();
    level.belowWindow = console_.window();
    level.belowCaretOn = console_.caretSwitch();
    left = std::clamp(left, 1, kLastWindowColumn);
    top = std::clamp(top, 1, kLastWindowRow);
    right = std::clamp(right, left, kLastWindowColumn);
    bottom = std::clamp(bottom, top, kLastWindowRow);
    level.rect = {left, top, right, bottom};
    const int frameRight = kind == 'A' ? std::max(left, right - 2) : right;  // shadow: 2 columns
    level.interior = {left + 1, top + 1, std::max(left + 1, frameRight - 1),
                      std::max(top + 1, bottom - 1)};

    // 2. The buttons of the level below go; the new level saves what it covers.
    console_.hideLevelButtons(WindowDepth());
    level.covered = console_.saveArea(level.rect);
    level.caretOn = caretOff == 0;

    // 3. The palette switches for good; the window is filled with its background.
    console_.useExtendedPalette();
    scheme_ = level.scheme;
    width_ = level.interior.width();
    console_.setEffects(0);
    SetColours(ColourMode::Normal);
    console_.setWindow(left, top, frameRight, bottom);
    console_.clrScr();

    levels_.push_back(level);
    console_.setButtonLevel(WindowDepth());

    // 4. The raised frame, 5. the title bar and the shadow.
    drawFrame(level);
    if (kind == 'A') drawShadow(level);
    console_.setWindow(level.interior.left, level.interior.top, level.interior.right,
                       level.interior.bottom);
    if (!title.empty()) {
        drawTitleBar(title);
        levels_.back().titleWidth = width_;
        if (kind == 'A' || kind == 'W') {
            int column = std::max(level.interior.left, level.interior.right - 1);
            console_.addButton(column, level.interior.top, 0, "X", key::Esc, 2);
        }
    }

    // 6. The caret, 7. the interior becomes the current window.
    if (level.caretOn)
        console_.showCaret();
    else
        console_.hideCaret();
    SetColours(ColourMode::Normal);
    console_.gotoXY(1, 1);
    return true;
}

void Screen::drawFrame(const Level& level) {
    const Rect& r = level.rect;
    const int right = level.kind == 'A' ? std::max(r.left, r.right - 2) : r.right;
    const int width = right - r.left + 1;
    if (width < 2 || r.height() < 2) return;
    const ColourScheme& s = colourScheme(level.scheme);
    console_.setWindow(1, 1, console_.columns(), console_.rows());
    console_.textBackground(s.background);
    console_.setEmphasis(false);
    console_.setEffects(0);
    auto put = [&](int column, int row, std::string_view text, int colour) {
        console_.textColor(colour);
        console_.gotoXY(column, row);
        console_.writeText(text);
    };
    // The top edge and the left side in white, the bottom edge and the right side in
    // black: the window stands out.
    std::string top(static_cast<size_t>(width), static_cast<char>(kTopEdge));
    top.front() = static_cast<char>(kTopLeft);
    top.back() = static_cast<char>(kTopRight);
    put(r.left, r.top, top, kWhite);
    for (int row = r.top + 1; row < r.bottom; ++row) {
        put(r.left, row, std::string(1, static_cast<char>(kLeftSide)), kWhite);
        put(right, row, std::string(1, static_cast<char>(kRightSide)), kBlack);
    }
    std::string bottom(static_cast<size_t>(width), static_cast<char>(kBottomEdge));
    bottom.front() = static_cast<char>(kBottomLeft);
    bottom.back() = static_cast<char>(kBottomRight);
    put(r.left, r.bottom, bottom, kBlack);
}

void Screen::drawShadow(const Level& level) {
    // The two columns right of the frame, from the second row down, darken what they
    // cover; the cell above them keeps what was there.
    const Rect& r = level.rect;
    if (r.width() < 3 || r.height() < 2) return;
    SavedArea shadow;
    shadow.rect = {r.right - 1, r.top + 1, r.right, r.bottom};
    const Rect& covered = level.covered.rect;
    for (int row = shadow.rect.top; row <= shadow.rect.bottom; ++row) {
        for (int column = shadow.rect.left; column <= shadow.rect.right; ++column) {
            size_t index = static_cast<size_t>((row - covered.top) * covered.width() +
                                               (column - covered.left));
            Cell cell = index < level.covered.cells.size() ? level.covered.cells[index] : Cell{};
            cell.fg = paletteColour(kShadowText, true);
            cell.bg = paletteColour(kBlack, true);
            cell.style = 0;
            cell.effects = 0;
            shadow.cells.push_back(cell);
        }
    }
    console_.restoreArea(shadow);
}

void Screen::drawTitleBar(std::string_view title) {
    // " " + title padded to the width, as a button-like field in the title colours. A
    // title as wide as its window gives up its blanks before any of its letters.
    const size_t width = static_cast<size_t>(std::max(1, width_));
    std::string text(title);
    while (text.size() + 1 > width && !text.empty() && text.back() == ' ')
        text.pop_back();
    std::string bar = (text.size() + 1 > width ? "" : " ") + text;
    bar.resize(width, ' ');
    SetColours(ColourMode::Title);
    console_.gotoXY(1, 1);
    for (size_t i = 0; i < bar.size(); ++i) {
        uint16_t effects = kButtonMiddle;
        if (i == 0) effects = kButtonFirst;
        if (i + 1 == bar.size())
            effects = bar.size() == 1 ? (kButtonFirst | kButtonLast) : kButtonLast;
        console_.setEffects(effects);
        console_.writeText(std::string_view(&bar[i], 1));
    }
    console_.setEffects(0);
    SetColours(ColourMode::Normal);
}

void Screen::CloseWindow() {
    if (levels_.empty()) return;
    const int depth = WindowDepth();
    console_.removeLevelButtons(depth);
    Level level = std::move(levels_.back());
    levels_.pop_back();
    console_.restoreArea(level.covered);

    if (level.belowCaretOn)
        console_.showCaret();
    else
        console_.hideCaret();
    if (levels_.empty()) {
        console_.setWindow(1, 1, console_.columns(), console_.rows());
        width_ = kScreenWidth;
        scheme_ = 0;
    } else {
        const Level& below = levels_.back();
        console_.setWindow(below.interior.left, below.interior.top, below.interior.right,
                           below.interior.bottom);
        width_ = below.interior.width();
        scheme_ = below.scheme;
    }
    console_.setButtonLevel(WindowDepth());
    console_.showLevelButtons(WindowDepth());
    console_.setEffects(0);
    SetColours(ColourMode::Normal);
    console_.gotoXY(level.belowCursorX, level.belowCursorY);
}

// ---- texts ----

void Screen::WriteCentred(int row, std::string_view text) {
    int column = std::max(1, (width_ - static_cast<int>(text.size())) / 2 + 1);
    console_.gotoXY(column, row);
    if (console_.whereX() != column || console_.whereY() != row) return;
    console_.writeText(text);
}

void Screen::ShowHeader(std::string_view title) {
    SetColours(ColourMode::NormalEmphasis);
    WriteCentred(1, " " + std::string(title) + " ");
    SetColours(ColourMode::Normal);
}

void Screen::ShowLegend(std::string_view legend) {
    SetColours(ColourMode::Normal);
    console_.setLegend(1, Console::kRows, legend, false, 1);
}

// ---- boxes ----

void Screen::ShowMessageBoxQuiet(std::string_view message) {
    lastMessage_ = std::string(message);
    const bool opened = OpenWindow('W', 10, 9, 1, "", 3, 15, 70);
    WriteCentred(2, message);
    WriteCentred(4, kContinueEnterEsc);
    for (;;) {
        uint8_t code = static_cast<uint8_t>(ReadChoice()[0]);
        if (code == key::Enter || code == key::Esc) break;
        console_.beep();
    }
    if (opened) CloseWindow();
    switches().mainChoice = 99;
}

void Screen::ShowMessageBox(std::string_view message) {
    struct Waiting {
        UiSwitches& s;
        explicit Waiting(UiSwitches& sw) : s(sw) { s.continueWaiting = true; }
        ~Waiting() { s.continueWaiting = false; }
    } waiting(switches());
    ShowMessageBoxQuiet(message);
}

char Screen::AskSiNo(int firstRow, std::string_view message, std::string_view title) {
    static constexpr std::string_view kSi = "  SI  ", kNo = "  NO  ";
    const std::vector<std::string> lines = splitLines(message);
    int longest = title.empty() ? 0 : static_cast<int>(title.size()) + 1;  // " " + title
    for (const auto& line : lines)
        longest = std::max(longest, static_cast<int>(line.size()));
    // Wide enough for the two buttons as well.
    const int width = std::max(longest + 2, static_cast<int>(kSi.size() + kNo.size()) + 6);
    const int left = std::max(1, (kScreenWidth - width) / 2 + 1);
    const int right = left + width - 1;
    const int bottom = firstRow + static_cast<int>(lines.size()) + 2;
    const bool opened = OpenWindow('D', left, firstRow, 1, title, 3, bottom, right);

    const int firstLine = title.empty() ? 1 : 2;
    for (size_t i = 0; i < lines.size(); ++i)
        WriteCentred(firstLine + static_cast<int>(i), lines[i]);
    if (opened) {
        const Rect& r = levels_.back().rect;
        const int centre = (r.left + r.right) / 2;
        console_.addButton(centre - static_cast<int>(kSi.size()) - 1, r.bottom, 0, kSi, 'S',
                           static_cast<int>(kSi.size()));
        console_.addButton(centre + 2, r.bottom, 0, kNo, 'N', static_cast<int>(kNo.size()));
    }

    UiSwitches& sw = switches();
    sw.questionWaiting = true;
    sw.ownEscape = true;
    char answer = 0;
    try {
        while (answer != 'S' && answer != 'N') {
            answer = static_cast<char>(upperByte(static_cast<unsigned char>(ReadChoice()[0])));
        }
    } catch (...) {
        sw.questionWaiting = false;
        sw.ownEscape = false;
        throw;
    }
    sw.questionWaiting = false;
    sw.ownEscape = false;
    if (opened) CloseWindow();
    return answer;
}

void Screen::WaitEnterOrEsc(int row, std::string_view text) {
    WriteCentred(row, text);
    for (;;) {
        const uint8_t code = static_cast<uint8_t>(ReadChoice()[0]);
        if (code == key::Enter || code == key::Esc) return;
        console_.beep();
    }
}

void Screen::WaitAnyKey(int row, std::string_view message) {
    const int inner = static_cast<int>(std::max(message.size(), kContinueAnyKey.size()));
    const int width = inner + 2;
    const int left = std::max(1, (kScreenWidth - width) / 2 + 1);
    const bool opened = OpenWindow('W', left, row - 2, 1, "", 5, row + 2, left + width - 1);
    WriteCentred(1, message);
    WriteCentred(3, kContinueAnyKey);
    console_.clearKeys();
    ReadChoice();
    if (opened) CloseWindow();
}

// ---- mouse zones ----

void Screen::ClearZones() {
    console_.clearZones();
}

void Screen::ZonesOff() {
    console_.setZoneMode(false);
}

MouseZone Screen::fieldZone(const CampoT& field, int value) const {
    const Rect& w = console_.window();
    MouseZone zone;
    zone.key = key::AltM;
    zone.value = value;
    int width = fieldtext::isRealType(field.type) ? displayWidth(field) : field.width;
    if (field.width <= 0) {
        // A button-like entry: a double click sends Alt+M and then Enter.
        width = 2;
        zone.secondKey = key::Enter;
        zone.secondClick = true;
    }
    // Window column c is screen column w.left + c - 1, that is w.left + c - 2 counted
    // from 0.
    zone.firstColumn = w.left + field.valueColumn() - 2;
    zone.lastColumn = zone.firstColumn + width - 1;
    zone.firstRow = zone.lastRow = w.top + field.row - 2;
    return zone;
}

void Screen::FieldZones(const std::vector<CampoT>& fields, int lastIndex) {
    const int last =
        std::min({lastIndex, static_cast<int>(fields.size()) - 1, Console::kZoneCount - 1});
    for (int k = 0; k <= last; ++k)
        console_.zones()[static_cast<size_t>(k)] = fieldZone(fields[static_cast<size_t>(k)], k + 1);
}

void Screen::AddFieldZones(const std::vector<CampoT>& fields, int first, int last) {
    int used = console_.zonesInUse();
    last = std::min(last, static_cast<int>(fields.size()) - 1);
    for (int k = std::max(0, first); k <= last && used < Console::kZoneCount; ++k)
        console_.zones()[static_cast<size_t>(used++)] =
            fieldZone(fields[static_cast<size_t>(k)], k + 1);
}

void Screen::AddFieldZone(const CampoT& field, int number) {
    int used = console_.zonesInUse();
    if (used >= Console::kZoneCount) return;
    console_.zones()[static_cast<size_t>(used)] = fieldZone(field, number > 0 ? number : used + 1);
}

void Screen::ScrollZones() {
    const Rect& w = console_.window();
    // 0-based screen coordinates: the last interior column and the frame column.
    const int firstColumn = w.right - 1, lastColumn = w.right;
    const int top = w.top - 1, bottom = w.bottom - 1, middle = (top + bottom) / 2;
    struct Band {
        uint8_t key;
        int first, last;
    };
    const std::array<Band, 4> bands = {{{key::Up, top, top},
                                        {key::Down, bottom, bottom},
                                        {key::PgUp, top + 1, middle - 1},
                                        {key::PgDn, middle, bottom - 1}}};
    int used = console_.zonesInUse();
    for (const Band& band : bands) {
        if (used >= Console::kZoneCount) return;
        MouseZone zone;
        zone.key = band.key;
        zone.firstColumn = firstColumn;
        zone.lastColumn = lastColumn;
        zone.firstRow = band.first;
        zone.lastRow = band.last;
        console_.zones()[static_cast<size_t>(used++)] = zone;
    }
}

}  // namespace nivex::console
