// The table screens of main choice 1: T, B, R, C, D, E and N. Each shows its fields and
// edits them one at a time; the rules come with the fields and the cross-rules from the
// catalogue, so that the batch tool checks the same.

#include <functional>
#include <string>
#include <vector>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "specs/criteria_catalog.h"
#include "specs/criteria_screens.h"
#include "specs/table_fields.h"

namespace nivex::specs {
namespace {

using tables::TableField;

constexpr const char* kLegend = "F9^borrar F11^recup.dato ESC^salir";
constexpr const char* kPagedLegend = "F9^borrar F11^recup.dato PgDn^mas_datos ESC^salir";
constexpr const char* kEndKeys = "Enter Esc Up Dn";
constexpr const char* kPagedEndKeys = "Enter Esc Up Dn PgDn PgUp";
constexpr const char* kMoreDiameters = ".... Hay Mas Diametros ....";
constexpr const char* kTenStates = "Por defecto se ofrecen las pendientes TEN STATES - USA";
constexpr int kTenStatesRow = 3;
constexpr int kTrenchHeadingRow = 10;
constexpr int kManholeNoteRow = 12;
constexpr int kNoteColumn = 14;

struct TableScreen {
    char letter;
    std::string title;
    bool paged = false;
    // Texts of a page besides its fields.
    std::function<void(console::Screen&, const EspecT&, int page)> texts;
};

// What the screen turns on is turned off again however it ends.
class ScreenSwitches {
  public:
    explicit ScreenSwitches(shell::Session& s) : s_(s) {
        s_.switches.blankZero = false;
        s_.switches.dataChanged = false;
        s_.switches.screenChanged = false;
        s_.console.showCaret();
    }
    ~ScreenSwitches() {
        s_.switches.blankZero = true;
        s_.console.hideCaret();
        s_.screen.ClearZones();
        s_.screen.ZonesOff();
    }
    ScreenSwitches(const ScreenSwitches&) = delete;
    ScreenSwitches& operator=(const ScreenSwitches&) = delete;

  private:
    shell::Session& s_;
};

void ShowPage(shell::Session& s, const TableScreen& def, const std::vector<TableField>& fields,
              std::vector<double>& values, int page) {
    console::Screen& screen = s.screen;
    s.console.clrScr();
    screen.ShowHeader(def.title);
    if (def.texts) def.texts(screen, s.project.espec, page);
    screen.ShowLegend(def.paged ? kPagedLegend : kLegend);
    screen.ClearZones();
    for (size_t k = 0; k < fields.size(); ++k) {
        if (fields[k].page != page) continue;
        screen.ShowField(fields[k].campo, &values[k], 2);
        screen.AddFieldZone(fields[k].campo, static_cast<int>(k) + 1);
    }
}

int FirstOfPage(const std::vector<TableField>& fields, int page) {
    for (size_t k = 0; k < fields.size(); ++k)
        if (fields[k].page == page) return static_cast<int>(k);
    return -1;
}

// Edits the fields until Esc finds the screen's cross-rules holding.
void RunTableScreen(shell::Session& s, const TableScreen& def) {
    ScreenSwitches switches(s);
    console::Screen& screen = s.screen;
    UiSwitches& sw = s.switches;
    EspecT& e = s.project.espec;
    const std::vector<TableField> fields = tables::ScreenFields(def.letter, e);
    if (fields.empty()) return;
    std::vector<double> values;
    for (const TableField& f : fields)
        values.push_back(f.read(e));
    const int last = static_cast<int>(fields.size()) - 1;

    sw.endKeys = def.paged ? kPagedEndKeys : kEndKeys;
    int current = 0;
    int shownPage = -1;
    for (;;) {
        const TableField& field = fields[static_cast<size_t>(current)];
        if (field.page != shownPage) {
            shownPage = field.page;
            ShowPage(s, def, fields, values, shownPage);
        }
        double& value = values[static_cast<size_t>(current)];
        screen.EditField(field.campo, &value);
        const uint8_t ended = sw.lastKey;
        const std::string refused = field.write(e, value);
        if (!refused.empty()) {
            screen.FieldError(refused);
            continue;
        }
        value = field.read(e);
        screen.ShowField(field.campo, &value, 1);

        if (ended == key::Esc) {
            const std::string broken = TableScreenCrossCheck(def.letter, e, s.project.header);
            if (broken.empty()) return;
            screen.FieldError(broken);
        } else if (ended == key::Enter || ended == key::Down) {
            if (current < last)
                ++current;
            else
                s.console.beep();
        } else if (ended == key::Up) {
            if (current > 0)
                --current;
            else
                s.console.beep();
        } else if (ended == key::PgDn || ended == key::PgUp) {
            const int next = FirstOfPage(fields, shownPage + (ended == key::PgDn ? 1 : -1));
            if (next >= 0)
                current = next;
            else
                s.console.beep();
        } else if (ended == key::AltM) {
            const int clicked = screen.SelectClickedField() - 1;
            if (clicked >= 0 && clicked <= last) current = clicked;
        }
    }
}

// ---- texts of the pages of B and R ----

void WriteAt(console::Screen& screen, int column, int row, const std::string& text) {
    console::Console& c = screen.console();
    c.gotoXY(column, row);
    c.writeText(text);
}

void TablePageTexts(console::Screen& screen, const EspecT& e, int page) {
    const int row = tables::kTableFirstRow + tables::FirstPageEntries(e) + 1;
    if (page == 0) {
        screen.WriteCentred(row, kMoreDiameters);
        return;
    }
    const int further = e.SectionCount - UsedDiameters(e);
    if (further >= 2) {
        const std::string step = std::to_string(static_cast<int>(kDuctStep));
        screen.WriteCentred(row, "Siguen " + std::to_string(further) +
                                     " conductos cuadrados cuyos lados varian de " + step +
                                     " mm en " + step + " mm");
    }
}

void SlopePageTexts(console::Screen& screen, const EspecT& e, int page) {
    screen.WriteCentred(kTenStatesRow, kTenStates);
    TablePageTexts(screen, e, page);
}

}  // namespace

void ScreenMaxDiameters(shell::Session& s) {
    RunTableScreen(s, {'T', "MAXIMO NUMERO DE DIAMETROS Y DUCTOS", false, nullptr});
}

void ScreenDiameters(shell::Session& s) {
    RunTableScreen(s, {'B', "DIAMETROS COMERCIALES A UTILIZAR", true, TablePageTexts});
}

void ScreenMinimumSlopes(shell::Session& s) {
    RunTableScreen(s, {'R', "PENDIENTES MINIMAS A UTILIZAR", true, SlopePageTexts});
}

void ScreenExcavationRanges(shell::Session& s) {
    RunTableScreen(s, {'C', "RANGOS DE PROFUNDIDAD EXCAVACIONES", false, nullptr});
}

void ScreenTrenchWidths(shell::Session& s) {
    RunTableScreen(s,
                   {'D', "ANCHOS DE ZANJA", false, [](console::Screen& screen, const EspecT&, int) {
                        screen.WriteCentred(
                            kTrenchHeadingRow,
                            "SOBREANCHO DE LAS ZANJAS EN METROS RESPECTO AL DIAMETRO DEL TUBO");
                    }});
}

void ScreenManholeRanges(shell::Session& s) {
    RunTableScreen(s, {'E', "RANGOS DE PROFUNDIDAD POZOS", false, nullptr});
}

void ScreenManholeDiameters(shell::Session& s) {
    RunTableScreen(s, {'N', "DIAMETROS DE POZOS INSPECCION", false,
                       [](console::Screen& screen, const EspecT&, int) {
                           WriteAt(screen, kNoteColumn, kManholeNoteRow,
                                   cp("Usar pozos de diseño especial para diam. mayores"));
                       }});
}

}  // namespace nivex::specs
