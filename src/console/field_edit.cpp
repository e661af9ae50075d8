// Showing and editing one field, the single-key reads and the field error line.

#include <algorithm>

#include "console/codepage.h"
#include "console/field_text.h"
#include "console/keys.h"
#include "console/screen.h"

namespace nivex::console {

using namespace fieldtext;

namespace {

constexpr int kErrorLineColumns = 79;
constexpr int kCentringWidth = 81;

bool printable(uint8_t code) {
    return code >= 32 && code <= 126;
}

// The edit buffer of one field: its text, the cursor (0-based character) and whether
// the next accepted key replaces the whole text.
class FieldEditor {
  public:
    FieldEditor(const CampoT& field, std::string text, Console& console)
        : field_(field), console_(console), before_(text), text_(std::move(text)) {}

    const std::string& text() const { return text_; }
    int cursor() const { return cursor_; }

    void type(uint8_t code) {
        if (field_.upperCase) code = upperByte(code);
        if (field_.width <= 0 ||
            !InSet(acceptedCharacters(field_.type), std::string(1, char(code)))) {
            console_.beep();
            return;
        }
        const char c = static_cast<char>(code);
        if (replacing()) {
            text_ = isDate() ? c + std::string(kDateMask.substr(1)) : std::string(1, c);
            cursor_ = 1;
            replace_ = false;
        } else if (isDate()) {
            skipSeparatorForward();
            if (cursor_ >= static_cast<int>(text_.size())) {
                console_.beep();
                return;
            }
            text_[static_cast<size_t>(cursor_++)] = c;
        } else {
            if (cursor_ >= field_.width) {
                console_.beep();
                return;
            }
            text_.insert(static_cast<size_t>(cursor_++), 1, c);
            if (static_cast<int>(text_.size()) > field_.width)
                text_.resize(static_cast<size_t>(field_.width));
        }
        replace_ = false;
        if (isDate()) skipSeparatorForward();
    }

    void backspace() {
        if (isDate() || cursor_ == 0) {
            console_.beep();
            return;
        }
        text_.erase(static_cast<size_t>(--cursor_), 1);
    }

    void left() {
        if (cursor_ == 0) {
            console_.beep();
            return;
        }
        --cursor_;
        if (isDate() && isSeparator(cursor_) && cursor_ > 0) --cursor_;
    }

    void right() {
        rightPressed_ = true;
        if (cursor_ >= static_cast<int>(text_.size())) {
            console_.beep();
            return;
        }
        ++cursor_;
        if (isDate()) skipSeparatorForward();
    }

    void deleteKey() {
        if (cursor_ >= static_cast<int>(text_.size())) {
            console_.beep();
            return;
        }
        if (isDate())
            text_[static_cast<size_t>(cursor_)] = kDateMask[static_cast<size_t>(cursor_)];
        else
            text_.erase(static_cast<size_t>(cursor_), 1);
    }

    void empty() {
        text_ = isDate() ? std::string(kDateMask) : std::string();
        cursor_ = 0;
    }

    // F11: the text from before editing, as when the field became active.
    void restore() {
        text_ = before_;
        cursor_ = 0;
        replace_ = true;
        rightPressed_ = false;
    }

    // After a failed validation: the cursor goes back, the next key replaces the text
    // again (a date is typed over at the wrong part instead).
    void rejected(int position) {
        cursor_ = std::clamp(position, 0, static_cast<int>(text_.size()));
        if (!isDate()) {
            replace_ = true;
            rightPressed_ = false;
        }
    }

  private:
    bool isDate() const { return field_.type == 'D'; }
    bool replacing() const { return replace_ && !rightPressed_; }
    bool isSeparator(int position) const {
        return position >= 0 && position < static_cast<int>(kDateMask.size()) &&
               kDateMask[static_cast<size_t>(position)] == '/';
    }
    void skipSeparatorForward() {
        while (isSeparator(cursor_))
            ++cursor_;
    }

    const CampoT& field_;
    Console& console_;
    const std::string before_;
    std::string text_;
    int cursor_ = 0;
    bool replace_ = true;
    bool rightPressed_ = false;
};

}  // namespace

// ---- reading single keys ----

std::string Screen::ReadChoice() {
    for (;;) {
        uint8_t code = console_.readKey();
        if (code == key::None || code == key::NoKey) continue;
        switches().lastKey = code;
        return std::string(1, static_cast<char>(code));
    }
}

std::string Screen::ReadMenuKey() {
    for (;;) {
        uint8_t code = console_.readKey();
        if (code == key::None || code == key::NoKey) continue;
        if (!switches().menuKeyAccepted) continue;  // typed: dropped
        switches().lastKey = code;
        return std::string(1, static_cast<char>(code));
    }
}

std::vector<uint8_t> Screen::endKeyCodes() const {
    std::vector<uint8_t> codes;
    const std::string& names = console_.switches().endKeys;
    size_t pos = 0;
    while (pos < names.size()) {
        size_t first = names.find_first_not_of(' ', pos);
        if (first == std::string::npos) break;
        size_t end = names.find(' ', first);
        if (end == std::string::npos) end = names.size();
        std::string_view name(names.data() + first, end - first);
        uint8_t code = key::codeOfEndKeyName(name);
        if (code != 0) codes.push_back(code);
        pos = end;
    }
    return codes;
}

// ---- showing and editing fields ----

void Screen::ShowField(const CampoT& field, const FieldValue& value, int mode,
                       ColourMode promptColour) {
    console_.setEffects(0);
    if (mode == 0 || mode == 2) {
        SetColours(promptColour);
        console_.gotoXY(field.column, field.row);
        if (console_.whereX() == field.column && console_.whereY() == field.row)
            console_.writeText(field.prompt);
    }
    if (mode == 1 || mode == 2) {
        SetColours(ColourMode::Normal);
        const int width = displayWidth(field);
        const int column = field.valueColumn();
        console_.gotoXY(column, field.row);
        if (width > 0 && console_.whereX() == column && console_.whereY() == field.row)
            console_.drawField(width, displayText(field, value, switches().blankZero), false, 0);
    }
    SetColours(ColourMode::Normal);
}

void Screen::EditField(const CampoT& field, const FieldValue& value) {
    UiSwitches& sw = switches();
    const std::vector<uint8_t> ends = endKeyCodes();
    const std::string before = editText(field, value);
    FieldEditor editor(field, before, console_);
    const int column = field.valueColumn();

    auto draw = [&]() {
        console_.setEffects(0);
        SetColours(ColourMode::Normal);
        console_.gotoXY(column, field.row);
        if (field.width > 0) console_.drawField(field.width, editor.text(), true, 0);
        console_.gotoXY(column + editor.cursor(), field.row);
    };

    // 1. The edit text replaces the shown one, which may be wider (separators).
    SetColours(ColourMode::Normal);
    const int shownWidth = displayWidth(field);
    if (shownWidth > field.width) console_.eraseField(column, field.row, shownWidth);
    draw();

    uint8_t endKey = 0;
    for (;;) {
        // 2. One key; a field error showing goes away first. Leaving the program is the
        // Esc the user would press, once; the screen's next wait leaves.
        uint8_t code = 0;
        try {
            code = static_cast<uint8_t>(ReadChoice()[0]);
        } catch (const ProgramExit&) {
            if (leftAsEscape_ || std::find(ends.begin(), ends.end(), key::Esc) == ends.end()) throw;
            leftAsEscape_ = true;
            code = key::Esc;
        }
        if (sw.errorShowing) ClearFieldError();

        // 3. The key.
        if (printable(code)) {
            editor.type(code);
        } else if (code == key::Backspace) {
            editor.backspace();
        } else if (code == key::Left) {
            editor.left();
        } else if (code == key::Right) {
            editor.right();
        } else if (code == key::Delete) {
            editor.deleteKey();
        } else if (code == key::F9) {
            editor.empty();
        } else if (code == key::F11) {
            editor.restore();
        } else if (std::find(ends.begin(), ends.end(), code) != ends.end() ||
                   (code == key::AltM && sw.menuKeyAccepted)) {
            int position = 0;
            std::string message = validateField(field, editor.text(), &position);
            if (message.empty()) {
                endKey = code;
                break;
            }
            FieldError(message);
            editor.rejected(position);
        } else {
            console_.beep();
        }
        draw();
    }

    // 4. A valid end; a comma the field took as its decimal point is a point from here on.
    std::string text = withDecimalPoint(field, editor.text());
    if (sw.zeroAsMinimum && field.type == 'R') {
        if (trim(text).empty()) text = "0";
        if (parseReal(text).value_or(0) == 0) text = "0.001";
    }
    storeValue(field, text, value);
    sw.lastKey = endKey;
    sw.fieldChanged = trimLeft(text) != trimLeft(before);
    if (sw.fieldChanged && field.type != 'N' && field.type != 'K') {
        sw.dataChanged = true;
        sw.screenChanged = true;
    }
    ShowField(field, value, 1);
    console_.gotoXY(column, field.row);
}

// ---- the field error line ----

template <typename Body>
void Screen::onErrorLine(Body body) {
    // Row 25 of the current window; a window too small for it borrows the error line of
    // the first window below that has one (or the whole screen's).
    const Rect saved = console_.window();
    const int x = console_.whereX(), y = console_.whereY();
    bool switched = false;
    if (saved.height() < kErrorRow) {
        Rect line{1, 1, console_.columns(), console_.rows()};
        for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
            if (it->interior.height() >= kErrorRow) {
                line = it->interior;
                break;
            }
        }
        console_.setWindow(line.left, line.top, line.right, line.bottom);
        switched = true;
    }
    body(std::min(kErrorLineColumns, console_.window().width()));
    if (switched) console_.setWindow(saved.left, saved.top, saved.right, saved.bottom);
    console_.gotoXY(x, y);
}

void Screen::FieldError(std::string_view message) {
    UiSwitches& sw = switches();
    std::string text = trim(message);
    onErrorLine([&](int columns) {
        console_.setEffects(0);
        SetColours(ColourMode::AlternateEmphasis);
        console_.gotoXY(1, kErrorRow);
        console_.writeText(std::string(static_cast<size_t>(columns), ' '));
        const int width = console_.window().width();
        if (static_cast<int>(text.size()) > width) text.resize(static_cast<size_t>(width));
        int at = std::max(1, (kCentringWidth - static_cast<int>(text.size())) / 2);
        at = std::min(at, std::max(1, width - static_cast<int>(text.size()) + 1));
        console_.gotoXY(at, kErrorRow);
        console_.writeText(text);
        SetColours(ColourMode::Normal);
    });
    sw.errorShowing = true;
    console_.beep();
    if (sw.keysInjected && !console_.queue().empty()) {
        console_.clearKeys();
        sw.keysInjected = false;
    }
    SetColours(ColourMode::Normal);
    console_.showCaret();
}

void Screen::ClearFieldError() {
    onErrorLine([&](int columns) {
        console_.setEffects(0);
        SetColours(ColourMode::Normal);
        console_.gotoXY(1, kErrorRow);
        console_.writeText(std::string(static_cast<size_t>(columns), ' '));
    });
    switches().errorShowing = false;
}

}  // namespace nivex::console
