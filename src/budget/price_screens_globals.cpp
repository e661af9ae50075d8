// "ENTRADA DE PRECIOS GLOBALES" (main choice 'X', 'B'): the 17 lump-sum rows, each a
// description, a stage tag and a value; the rows are compacted when the screen is left.

#include <algorithm>
#include <string>

#include "budget/price_screens.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "shell/session.h"

namespace nivex::budget {
namespace {

using console::CampoT;
using console::ColourMode;

constexpr const char* kTitle = "ENTRADA DE PRECIOS GLOBALES";
constexpr const char* kLegend = "F9^borrar F11^recup.dato HOME^izquierda END^derecha ESC^salir";
constexpr const char* kHeading =
    " # ......... D   E   T   A   L   L   E ............. ETAPA ..PRECIOS GLOBALES..";
constexpr const char* kFooter =
    "** Usar 1 a 3 para las ETAPAS y 0 = Sin Etapa --- Usar E para ITEM existente **";
constexpr const char* kEndKeys = "Enter Esc Up Dn Home End1";
constexpr int kHeadingRow = 3;
constexpr int kFirstRow = 5;
constexpr int kFooterRow = 23;
// Columns under the heading: description, the middle of "ETAPA", the prices.
constexpr int kDescriptionColumn = 4;
constexpr int kDescriptionWidth = 48;
constexpr int kTagColumn = 55;
constexpr int kValueColumn = 59;
constexpr int kCentsDecimals = 2;

enum Column { kDescription = 0, kTag = 1, kValue = 2 };

CampoT Field(char type, int column, int row, int width) {
    CampoT f;
    f.type = type;
    f.column = static_cast<int16_t>(column);
    f.row = static_cast<int16_t>(row);
    f.width = static_cast<int16_t>(width);
    return f;
}

CampoT DescriptionField(int row) {
    return Field('S', kDescriptionColumn, row, kDescriptionWidth);
}

CampoT TagField(int row) {
    CampoT f = Field('S', kTagColumn, row, 1);
    f.upperCase = true;
    return f;
}

CampoT ValueField(int row, int decimals) {
    CampoT f = Field('R', kValueColumn, row, kGlobalValueWidth);
    f.decimals = static_cast<int16_t>(decimals);
    f.minimum = "0";
    return f;
}

class GlobalPriceScreen {
  public:
    explicit GlobalPriceScreen(shell::Session& s) : s_(s), screen_(s.screen) {}
    void Run();

  private:
    void DrawFrame();
    void ShowRow(int r);
    // The field of row r in column c; false when the screen ends.
    bool Edit(int r, int c, uint8_t& key);

    shell::Session& s_;
    console::Screen& screen_;
    PriceBook book_;
    std::vector<GlobalItemT> rows_;  // kGlobalRows on screen, then those kept beyond them
};

void GlobalPriceScreen::DrawFrame() {
    s_.console.setEffects(0);
    screen_.SetColours(ColourMode::Normal);
    s_.console.clrScr();
    screen_.ShowHeader(cp(kTitle));
    screen_.ShowLegend(kLegend);
    s_.switches.endKeys = kEndKeys;
    screen_.ClearZones();
    s_.console.gotoXY(1, kHeadingRow);
    s_.console.writeText(kHeading);
    screen_.WriteCentred(kFooterRow, kFooter);
}

void GlobalPriceScreen::ShowRow(int r) {
    GlobalItemT& item = rows_[static_cast<size_t>(r)];
    const int row = kFirstRow + r;
    std::string number = std::to_string(r + 1);
    if (number.size() < 2) number.insert(0, 1, ' ');
    screen_.SetColours(ColourMode::Normal);
    s_.console.gotoXY(1, row);
    s_.console.writeText(number);
    screen_.ShowField(DescriptionField(row), &item.description, 1);
    if (item.tag.empty()) item.tag = "0";
    screen_.ShowField(TagField(row), &item.tag, 1);
    screen_.ShowField(ValueField(row, kCentsDecimals), &item.value, 1);
}

bool GlobalPriceScreen::Edit(int r, int c, uint8_t& k) {
    GlobalItemT& item = rows_[static_cast<size_t>(r)];
    const int row = kFirstRow + r;
    if (c == kDescription) {
        std::string text = item.description;
        screen_.EditField(DescriptionField(row), &text);
        // A stored description wider than the field stays whole unless it was edited.
        if (s_.switches.fieldChanged) item.description = text;
        k = s_.switches.lastKey;
        ShowRow(r);
        return k != key::Esc;
    }
    if (c == kTag) {
        for (;;) {
            std::string tag = item.tag;
            screen_.EditField(TagField(row), &tag);
            k = s_.switches.lastKey;
            if (tag.empty()) tag = "0";  // an empty tag reads as "no stage"
            const std::string problem = GlobalTagProblem(tag);
            if (problem.empty()) {
                item.tag = tag;
                break;
            }
            if (k == key::Esc) break;  // the refused tag is not kept
            screen_.FieldError(cp(problem));
        }
        ShowRow(r);
        return k != key::Esc;
    }
    double value = item.value;
    screen_.EditField(ValueField(row, kCentsDecimals), &value);
    k = s_.switches.lastKey;
    item.value = RoundToCents(value);
    ShowRow(r);
    return k != key::Esc;
}

void GlobalPriceScreen::Run() {
    std::string error;
    if (!LoadPriceBook(s_.project, book_, &error)) {
        s_.ui.showError(error, "Error");
        return;  // a file that could not be read is never written over
    }
    const std::string endKeys = s_.switches.endKeys;
    const bool blankZero = s_.switches.blankZero;
    rows_ = book_.prices.globals;
    if (static_cast<int>(rows_.size()) < kGlobalRows) rows_.resize(kGlobalRows);
    DrawFrame();
    for (int r = 0; r < kGlobalRows; ++r)
        ShowRow(r);
    int r = 0, c = kDescription;
    uint8_t k = 0;
    const auto store = [&] {
        if (!StoreGlobals(s_.project, book_, rows_, &error)) s_.ui.showError(error, "Error");
    };
    try {
        while (Edit(r, c, k)) {
            switch (k) {
                case key::Enter:
                    if (c < kValue) {
                        ++c;
                    } else if (r + 1 < kGlobalRows) {
                        ++r;
                        c = kDescription;
                    }
                    break;
                case key::Down:
                    r = std::min(r + 1, kGlobalRows - 1);
                    break;
                case key::Up:
                    r = std::max(r - 1, 0);
                    break;
                case key::Home:
                    c = std::max(c - 1, static_cast<int>(kDescription));
                    break;
                case key::End:
                    c = std::min(c + 1, static_cast<int>(kValue));
                    break;
                default:
                    break;
            }
        }
    } catch (const console::ProgramExit&) {
        store();  // leaving the program from the screen keeps the rows already taken
        throw;
    }
    screen_.ZonesOff();
    s_.console.hideCaret();
    store();
    s_.switches.endKeys = endKeys;
    s_.switches.blankZero = blankZero;
}

}  // namespace

void EnterGlobalPrices(shell::Session& s) {
    s.switches.atMainMenu = false;
    GlobalPriceScreen screen(s);
    screen.Run();
}

}  // namespace nivex::budget
