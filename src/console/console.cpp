#include "console/console.h"

#include <algorithm>

#include "console/codepage.h"
#include "ui/ui.h"

namespace nivex::console {

GlyphClass glyphClassOf(uint8_t code) {
    if ((code >= 32 && code <= 127) || code == 209 || code == 241) return GlyphClass::Text;
    if (code >= 176 && code <= 178) return GlyphClass::Shade;
    return GlyphClass::Line;
}

Rgb paletteColour(int index, bool extended) {
    static constexpr std::array<Rgb, 7> kExtendedLight = {0xFFE0E0, 0xC0FFC0, 0xFFE0C0, 0xC0E0FF,
                                                          0xFFFFC0, 0xE0E0E0, 0xE0E0FF};
    if (index == 8) return kSilver;
    if (extended) {
        if (index == 3) return 0xB08000;
        if (index == 4) return 0x004080;
        if (index >= 16 && index <= 22) return kExtendedLight[index - 16];
    }
    // bit 0 red, bit 1 green, bit 2 blue; half intensity below 9, full from 9 up.
    int bits = index & 7;
    Rgb level = index >= 9 ? 0xFF : 0x80;
    if (index == 0) return 0;
    Rgb rgb = 0;
    if (bits & 1) rgb |= level << 16;
    if (bits & 2) rgb |= level << 8;
    if (bits & 4) rgb |= level;
    return rgb;
}

Console::Console(UiSwitches& switches, ui::Ui& ui, int columns, int rows)
    : switches_(switches),
      ui_(ui),
      columns_(std::clamp(columns, 1, 200)),
      rows_(std::clamp(rows, 1, 200)),
      cells_(static_cast<size_t>(columns_ * rows_)),
      window_{1, 1, columns_, rows_} {
    for (auto& zone : zones_)
        zone = MouseZone{};
}

void Console::setListener(ConsoleListener* listener) {
    listener_ = listener ? listener : &nullListener_;
}

const Cell& Console::cell(int column, int row) const {
    static const Cell kOutside{};
    if (column < 1 || column > columns_ || row < 1 || row > rows_) return kOutside;
    return cells_[(row - 1) * columns_ + (column - 1)];
}

std::string Console::rowText(int row, int firstColumn, int lastColumn) const {
    if (lastColumn <= 0 || lastColumn > columns_) lastColumn = columns_;
    std::string out;
    for (int c = std::max(1, firstColumn); c <= lastColumn; ++c)
        out += static_cast<char>(cell(c, row).ch);
    return out;
}

void Console::changed(const Rect& rect) {
    listener_->cellsChanged(rect);
}

void Console::gotoXY(int column, int row) {
    if (column < 1 || row < 1 || column > window_.width() || row > window_.height()) return;
    cursorX_ = column;
    cursorY_ = row;
    if (caretShown_) listener_->caretChanged();
}

void Console::setWindow(int left, int top, int right, int bottom) {
    left = std::clamp(left, 1, columns_);
    top = std::clamp(top, 1, rows_);
    right = std::clamp(right, left, columns_);
    bottom = std::clamp(bottom, top, rows_);
    window_ = {left, top, right, bottom};
}

void Console::textColor(int index) {
    fg_ = paletteColour(index, extended_);
}
void Console::textBackground(int index) {
    bg_ = paletteColour(index, extended_);
}

namespace {
int indexOfColour(Rgb rgb, bool extended) {
    int last = extended ? 22 : 15;
    for (int i = 0; i <= last; ++i)
        if (paletteColour(i, extended) == rgb) return i;
    return 0;
}
}  // namespace

int Console::foregroundIndex() const {
    return indexOfColour(fg_, extended_);
}
int Console::backgroundIndex() const {
    return indexOfColour(bg_, extended_);
}

void Console::useExtendedPalette() {
    extended_ = true;
}

void Console::put(int column, int row, uint8_t ch) {
    Cell& c = at(column, row);
    c.ch = ch;
    c.face = 0;
    c.fg = fg_;
    c.bg = bg_;
    c.style = style_;
    c.effects = effects_;
}

void Console::scrollWindowUp() {
    for (int r = window_.top; r < window_.bottom; ++r)
        for (int c = window_.left; c <= window_.right; ++c)
            at(c, r) = at(c, r + 1);
    for (int c = window_.left; c <= window_.right; ++c)
        put(c, window_.bottom, ' ');
    changed(window_);
}

void Console::scrollUp() {
    scrollWindowUp();
}

void Console::writeText(std::string_view text) {
    const int height = window_.height();
    const int width = window_.width();
    if (cursorY_ > height) {
        scrollWindowUp();
        cursorY_ = height;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        if (cursorX_ > width) {  // the previous segment filled the row
            cursorX_ = 1;
            if (++cursorY_ > height) {
                scrollWindowUp();
                cursorY_ = height;
            }
        }
        size_t room = static_cast<size_t>(width - cursorX_ + 1);
        size_t count = std::min(room, text.size() - pos);
        int row = window_.top + cursorY_ - 1;
        int first = window_.left + cursorX_ - 1;
        for (size_t i = 0; i < count; ++i)
            put(first + static_cast<int>(i), row, static_cast<uint8_t>(text[pos + i]));
        changed({first, row, first + static_cast<int>(count) - 1, row});
        pos += count;
        cursorX_ += static_cast<int>(count);
    }
    if (caretShown_) listener_->caretChanged();
}

void Console::writeLine(std::string_view text) {
    writeText(text);
    cursorX_ = 1;
    ++cursorY_;  // scrolling waits for the next write, so the last row can be written
}

void Console::clrEol() {
    if (cursorY_ > window_.height()) return;
    int row = window_.top + cursorY_ - 1;
    int first = window_.left + cursorX_ - 1;
    for (int c = first; c <= window_.right; ++c)
        put(c, row, ' ');
    if (first <= window_.right) changed({first, row, window_.right, row});
}

void Console::clrScr() {
    for (int r = window_.bottom; r >= window_.top; --r)
        for (int c = window_.left; c <= window_.right; ++c)
            put(c, r, ' ');
    changed(window_);
    cursorX_ = cursorY_ = 1;
}

void Console::eraseField(int column, int row, int width) {
    if (width <= 0) return;
    int absRow = window_.top + row - 1;
    int first = window_.left + column - 1;
    int last = std::min(first + width - 1, window_.right);
    if (absRow < 1 || absRow > rows_ || first < 1 || first > columns_) return;
    for (int c = first; c <= last; ++c) {
        Cell& cl = at(c, absRow);
        cl.ch = ' ';
        cl.fg = fg_;
        cl.bg = bg_;
        cl.style = style_;
        cl.effects = 0;
    }
    if (first > 1) at(first - 1, absRow).effects &= static_cast<uint16_t>(~kRightEdges);
    if (last < columns_) at(last + 1, absRow).effects &= static_cast<uint16_t>(~kLeftEdges);
    changed({std::max(1, first - 1), absRow, std::min(columns_, last + 1), absRow});
}

void Console::drawField(int width, std::string_view text, bool active, int kind) {
    if (width <= 0) return;
    std::string shown(text.substr(0, static_cast<size_t>(width)));
    shown.resize(static_cast<size_t>(width), ' ');
    const uint16_t saved = effects_;
    const Rgb savedFg = fg_;
    if (kind == 4) fg_ = 0xFFFFFF;
    int startX = cursorX_, startY = cursorY_;
    writeText(shown);
    // Mark the cells just written.
    int row = window_.top + startY - 1;
    if (startY > window_.height()) row = window_.bottom;
    int first = window_.left + startX - 1;
    int last = std::min(first + width - 1, window_.right);
    for (int c = first; c <= last; ++c) {
        uint16_t e = 0;
        if (kind == 4) {
            e = c == first ? kButtonFirst : (c == last ? kButtonLast : kButtonMiddle);
        } else {
            e = active ? kActiveInside : kInactiveInside;
            if (c == first) e |= active ? kActiveLeft : kInactiveLeft;
            if (c == last) e |= active ? kActiveRight : kInactiveRight;
        }
        if (kind == 3) e |= kReadOnly;
        at(c, row).effects = e;
    }
    changed({first, row, last, row});
    effects_ = saved;
    fg_ = savedFg;
}

SavedArea Console::saveArea(const Rect& rect) const {
    SavedArea area;
    area.rect = {std::clamp(rect.left, 1, columns_), std::clamp(rect.top, 1, rows_),
                 std::clamp(rect.right, 1, columns_), std::clamp(rect.bottom, 1, rows_)};
    for (int r = area.rect.top; r <= area.rect.bottom; ++r)
        for (int c = area.rect.left; c <= area.rect.right; ++c)
            area.cells.push_back(cell(c, r));
    return area;
}

void Console::restoreArea(const SavedArea& area) {
    size_t i = 0;
    for (int r = area.rect.top; r <= area.rect.bottom; ++r)
        for (int c = area.rect.left; c <= area.rect.right; ++c)
            if (i < area.cells.size()) at(c, r) = area.cells[i++];
    changed(area.rect);
}

// ---- keys ----

bool Console::pushKey(uint8_t code) {
    bool ok = queue_.push(code);
    if (ok) listener_->keyPushed();
    return ok;
}

std::optional<uint8_t> Console::takeKey() {
    return queue_.take();
}

uint8_t Console::readKey() {
    listener_->focusRequested();
    for (;;) {
        if (caretSwitch_ && !caretShown_) {
            caretShown_ = true;
            listener_->caretChanged();
        }
        while (queue_.empty()) {
            // No way to wait (a batch run): nothing will ever arrive, and Esc takes
            // whatever screen asks back out instead of leaving it reading for ever.
            if (!pump_) return key::Esc;
            pump_->waitForInput();
        }
        auto code = queue_.take();
        if (caretShown_) {
            caretShown_ = false;
            listener_->caretChanged();
        }
        if (code) return *code;
    }
}

bool Console::keyPressed() {
    if (pump_) pump_->processPending();
    return !queue_.empty();
}

void Console::delay(int ms) {
    if (!pump_) return;
    pump_->processPending();
    pump_->sleepMs(ms);
}

void Console::beep() {
    if (!switches_.beepSilenced && pump_) pump_->beep();
}

void Console::keyPress(key::Physical physical, char letter, bool alt, bool ctrl) {
    switches_.menuKeyAccepted = false;
    uint8_t code = key::codeOfPress(physical, letter, alt, ctrl);
    if (code) {
        pushKey(code);
        swallowNextCharacter_ = true;
    } else {
        swallowNextCharacter_ = false;
    }
}

void Console::characterTyped(uint8_t code) {
    switches_.menuKeyAccepted = false;
    if (swallowNextCharacter_) {
        swallowNextCharacter_ = false;
        return;
    }
    if (code) pushKey(code);
}

// ---- mouse ----

int Console::findZone(int column, int row, int button) const {
    int used = zonesInUse();
    for (int i = 0; i < used; ++i) {
        const MouseZone& z = zones_[i];
        if (z.button != button) continue;
        if (column >= z.firstColumn && column <= z.lastColumn && row >= z.firstRow &&
            row <= z.lastRow)
            return i;
    }
    return -1;
}

int Console::zonesInUse() const {
    int n = 0;
    for (const auto& z : zones_) {
        if (z.key == 0 || z.secondKey == 0 || z.key == MouseZone::key_free) break;
        ++n;
    }
    return n;
}

void Console::clearZones() {
    for (auto& zone : zones_)
        zone = MouseZone{};
    lastHitZone_ = -1;
    repeatZone_ = -1;
    secondClickZone_ = -1;
    zoneMode_ = true;
}

uint8_t Console::pressZone(int index, int column, int row) {
    MouseZone& z = zones_[index];
    bool second =
        z.secondClick && lastHitZone_ >= 0 && zones_[lastHitZone_].firstColumn == z.firstColumn &&
        zones_[lastHitZone_].lastColumn == z.lastColumn &&
        zones_[lastHitZone_].firstRow == z.firstRow && zones_[lastHitZone_].lastRow == z.lastRow;
    uint8_t code = second ? z.secondKey : z.key;
    zoneValue_ = z.value;
    z.lastHitColumn = column;
    z.lastHitRow = row;
    // After a second click the pair is complete: a third click starts over.
    lastHitZone_ = second ? -1 : index;
    if (z.secondClick) {
        secondClickZone_ = second ? -1 : index;
        secondClickTicks_ = 0;
    }
    pushKey(code);
    return code;
}

uint8_t Console::mouseDown(int column, int row, int button) {
    lastClickButton_ = button;
    lastClickColumn_ = column;
    lastClickRow_ = row;
    switches_.menuKeyAccepted = true;
    int index = findZone(column, row, button);
    if (index < 0) {
        pushKey(key::NoKey);
        return key::NoKey;
    }
    uint8_t code = pressZone(index, column, row);
    if (button == -1 && zones_[index].autoRepeat) {
        repeatZone_ = index;
        repeatTicks_ = 0;
        pointerInRepeatZone_ = true;
    }
    return code;
}

void Console::mouseMove(int column, int row) {
    if (repeatZone_ < 0) return;
    const MouseZone& z = zones_[repeatZone_];
    pointerInRepeatZone_ =
        column >= z.firstColumn && column <= z.lastColumn && row >= z.firstRow && row <= z.lastRow;
    if (!pointerInRepeatZone_) repeatZone_ = -1;
}

void Console::mouseUp() {
    repeatZone_ = -1;
}

void Console::repeatTick() {
    if (repeatZone_ < 0) return;
    if (++repeatTicks_ < 5) return;
    if (!pointerInRepeatZone_) {
        repeatZone_ = -1;
        return;
    }
    switches_.menuKeyAccepted = true;
    zoneValue_ = zones_[repeatZone_].value;
    pushKey(zones_[repeatZone_].key);
}

void Console::secondClickTick() {
    if (secondClickZone_ < 0) return;
    if (++secondClickTicks_ < 5) return;
    secondClickZone_ = -1;
    lastHitZone_ = -1;
}

void Console::forgetLastClick() {
    lastClickColumn_ = -1;
    lastClickRow_ = -1;
    lastClickButton_ = 0;
}

void Console::buttonClicked(const KeyButton& button) {
    listener_->focusRequested();
    pushKey(button.key);
}

// ---- caret ----

void Console::showCaret() {
    caretSwitch_ = true;
    listener_->caretChanged();
}

void Console::hideCaret() {
    caretSwitch_ = false;
    if (caretShown_) caretShown_ = false;
    listener_->caretChanged();
}

// ---- buttons ----

void Console::setLegend(int column, int /*row*/, std::string_view text, bool force, int legendRow) {
    if (legendRow < 1 || legendRow > 2) return;
    std::string& last = legendText_[legendRow - 1];
    if (!force && last == text) return;
    last = std::string(text);
    auto& buttons = legends_[legendRow - 1];
    buttons.clear();
    size_t pos = 0;
    while (pos < text.size() && static_cast<int>(buttons.size()) < kButtonsPerLegend) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos >= text.size()) break;
        size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view entry = text.substr(pos, end - pos);
        pos = end;
        size_t caret = entry.find('^');
        if (caret == std::string_view::npos || caret == 0) continue;  // malformed: skipped
        std::string name(entry.substr(0, caret));
        std::string caption = upper(entry.substr(caret + 1));
        std::replace(caption.begin(), caption.end(), '_', ' ');
        KeyButton b;
        b.caption = caption;
        b.hint = "Tecla: " + name;
        b.key = key::codeOfName(name);
        b.legendRow = legendRow;
        b.slot = static_cast<int>(buttons.size());
        b.laidFromRight = column == kColumns;
        b.colour = legendRow == 1 ? 0x000000 : kMaroon;
        buttons.push_back(std::move(b));
    }
    listener_->buttonsChanged();
}

void Console::clearLegend(int legendRow) {
    if (legendRow < 1 || legendRow > 2) return;
    legends_[legendRow - 1].clear();
    legendText_[legendRow - 1].clear();
    listener_->buttonsChanged();
}

const std::vector<KeyButton>& Console::legend(int legendRow) const {
    return legends_[std::clamp(legendRow, 1, 2) - 1];
}

bool Console::addButton(int column, int row, int kind, std::string_view caption, uint8_t code,
                        int width) {
    for (auto& slot : free_) {
        if (slot) continue;
        KeyButton b;
        b.caption = std::string(caption);
        b.key = code;
        b.column = column;
        b.row = row;
        b.kind = kind;
        b.width = width;
        b.level = buttonLevel_;
        b.bold = caption == "X";
        slot = std::move(b);
        listener_->buttonsChanged();
        return true;
    }
    ui_.showError("No hay Botones disponibles", "Error Aplicativo");
    return false;
}

void Console::removeButton(int number) {
    if (number < 1 || number > kFreeButtons || !free_[number - 1]) {
        ui_.showError("Boton no existe", "Error Aplicativo");
        return;
    }
    free_[number - 1].reset();
    listener_->buttonsChanged();
}

void Console::showLevelButtons(int level) {
    for (auto& slot : free_)
        if (slot && slot->level == level) slot->visible = true;
    listener_->buttonsChanged();
}

void Console::hideLevelButtons(int level) {
    for (auto& slot : free_)
        if (slot && slot->level == level) slot->visible = false;
    listener_->buttonsChanged();
}

void Console::removeLevelButtons(int level) {
    for (auto& slot : free_)
        if (slot && slot->level == level) slot.reset();
    listener_->buttonsChanged();
}

// ---- main window ----

void Console::setCaption(std::string_view text) {
    caption_ = std::string(text);
    listener_->captionChanged();
}

void Console::setFontSize(int size) {
    pushKey(key::None);  // wakes a waiting read, which skips it
    fontSize_ = std::max(1, size);
    listener_->fontSizeChanged();
    listener_->buttonsChanged();
}

}  // namespace nivex::console
