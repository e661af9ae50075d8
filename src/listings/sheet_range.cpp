#include "listings/sheet_range.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "console/keys.h"
#include "console/screen.h"

namespace nivex::listings {
namespace {

using console::CampoT;

constexpr const char* kRangeError = "ERROR ... la hoja final debe ser igual o mayor que la inicial";
constexpr const char* kErrorCaption = "Error";
constexpr const char* kOkCaption = "  OK  ";
constexpr const char* kEndKeys = "Enter Up Dn Esc AltZ";
constexpr int kButtonRow = 15;
constexpr int kBottomRow = 16;

CampoT integerField(const char* prompt, int row, int width) {
    CampoT f;
    f.prompt = prompt;
    f.type = 'I';
    f.row = static_cast<int16_t>(row);
    f.width = static_cast<int16_t>(width);
    f.minimum = "0";
    return f;
}

// One form of the box: its fields (the sheet fields last), the room its prompts and values
// need, and its top row.
struct BoxLayout {
    std::vector<CampoT> fields;
    int minimumWidth;
    int top;
};

bool RangeIsWrong(int16_t first, int16_t last) {
    return last != 0 && last < first;
}

// Everything the box turns on is turned off again however it ends.
class OpenBox {
  public:
    OpenBox(shell::Session& session, bool opened)
        : session_(session),
          opened_(opened),
          zones_(session.console.zones()),
          zoneMode_(session.console.zoneMode()) {}
    ~OpenBox() {
        UiSwitches& sw = session_.switches;
        sw.ownEscape = false;
        sw.extraEscape = false;
        sw.blankZero = true;
        session_.console.hideCaret();
        if (opened_) {
            session_.console.removeLevelButtons(session_.screen.WindowDepth());
            session_.screen.CloseWindow();
        }
        // The zones of the screen underneath work again.
        session_.console.zones() = zones_;
        session_.console.setZoneMode(zoneMode_);
    }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;

  private:
    shell::Session& session_;
    bool opened_;
    std::array<console::MouseZone, console::Console::kZoneCount> zones_;
    bool zoneMode_;
};

// Shows the box, edits its fields until Esc or Alt+Z and gives back the closing key.
// values hold the fields' values in the order of the layout's fields.
uint8_t RunBox(shell::Session& session, const std::string& title, BoxLayout layout,
               std::vector<int16_t>& values) {
    console::Screen& screen = session.screen;
    console::Console& console = session.console;
    UiSwitches& sw = session.switches;

    // The title bar holds a blank and the title inside the frame: a box as wide as the
    // title alone would cut its last two letters (the closing " >" of most titles).
    const int titleRoom = std::min(static_cast<int>(title.size()) + 2, 80);
    const int inner = std::max(titleRoom, layout.minimumWidth);
    const int left = (81 - inner) / 2;
    const int column = inner > layout.minimumWidth ? (inner - layout.minimumWidth) / 2 + 2 : 2;
    for (CampoT& f : layout.fields)
        f.column = static_cast<int16_t>(column);
    const std::vector<CampoT>& fields = layout.fields;
    const int last = static_cast<int>(fields.size()) - 1;
    const int firstSheet = last - 1;

    const bool opened =
        screen.OpenWindow('D', left, layout.top, 0, title, 0, kBottomRow, left + inner);
    OpenBox box(session, opened);

    sw.blankZero = false;
    sw.endKeys = kEndKeys;
    screen.ClearZones();
    screen.FieldZones(fields, last);
    for (int k = 0; k <= last; ++k)
        screen.ShowField(fields[k], &values[k], 2);
    console.addButton(left + inner / 2 - 3, kButtonRow, 0, kOkCaption, key::AltZ, 6);
    sw.ownEscape = true;
    sw.extraEscape = true;

    int current = 0;
    for (;;) {
        screen.EditField(fields[current], &values[current]);
        const uint8_t ended = sw.lastKey;
        // Moving on to another field leaves the range to be checked later.
        const bool movesOn =
            (ended == key::Down && current < last) || (ended == key::Up && current > 0);
        if (!movesOn && RangeIsWrong(values[firstSheet], values[last])) {
            session.ui.showError(kRangeError, kErrorCaption);
            continue;
        }
        if (ended == key::Enter || ended == key::Down) {
            if (current < last)
                ++current;
            else
                console.beep();
        } else if (ended == key::Up) {
            if (current > 0)
                --current;
            else
                console.beep();
        } else if (ended == key::AltM) {
            const int clicked = screen.SelectClickedField() - 1;
            if (clicked >= 0 && clicked <= last) current = clicked;
        } else if (ended == key::Esc) {
            return key::Esc;
        } else if (ended == key::AltZ) {
            return key::Enter;
        }
    }
}

void StoreRange(ListingState& listing, int first, int last) {
    listing.FirstSheet = std::max(first, 1);
    listing.LastSheet = last;
}

// A batch run gives the range on its command line: no box, the same check.
uint8_t TakePreset(shell::Session& session, int* size) {
    const ListingState& listing = session.listing;
    const int first = std::max(listing.presetFirst, 1);
    if (listing.presetLast != 0 && listing.presetLast < first) {
        session.ui.showError(kRangeError, kErrorCaption);
        return key::Esc;
    }
    StoreRange(session.listing, first, listing.presetLast);
    if (size && listing.presetSize >= 0) *size = listing.presetSize;
    return key::Enter;
}

int16_t ToField(int value) {
    return static_cast<int16_t>(std::clamp<int>(value, std::numeric_limits<int16_t>::min(),
                                                std::numeric_limits<int16_t>::max()));
}

}  // namespace

uint8_t AskSheetRange(shell::Session& session, const std::string& title) {
    if (session.listing.rangePreset) return TakePreset(session, nullptr);
    BoxLayout layout{{integerField("Desde Hoja # ( 0 principio ) :", 2, 3),
                      integerField("Hasta Hoja # ( 0 final     ) :", 3, 3)},
                     37,
                     11};
    std::vector<int16_t> values = {0, 0};
    const uint8_t answer = RunBox(session, title, std::move(layout), values);
    StoreRange(session.listing, values[0], values[1]);
    return answer;
}

uint8_t AskSheetRangeAndSize(shell::Session& session, const std::string& title, int& size) {
    if (session.listing.rangePreset) return TakePreset(session, &size);
    BoxLayout layout{{integerField("Dimension Minima Colector ( mm ) :", 2, 4),
                      integerField("Desde Hoja # ( 0 principio )     :", 3, 3),
                      integerField("Hasta Hoja # ( 0 final     )     :", 4, 3)},
                     42,
                     10};
    std::vector<int16_t> values = {ToField(size), 0, 0};
    const uint8_t answer = RunBox(session, title, std::move(layout), values);
    size = values[0];
    StoreRange(session.listing, values[1], values[2]);
    return answer;
}

}  // namespace nivex::listings
