#include "specs/value_page.h"

#include <algorithm>

#include "console/keys.h"
#include "specs/criteria_catalog.h"

namespace nivex::specs::detail {
namespace {

constexpr int kDimColour = 7;  // grey
constexpr std::string_view kLegendStart = "F9^borrar F11^recup.dato ";
constexpr std::string_view kLegendEnd = "ESC^salir";

console::FieldValue ValueOf(Page& page, int k) {
    const auto at = static_cast<size_t>(k);
    if (page.fields[at].isText()) return &page.texts[at];
    return &page.numbers[at];
}

bool Relaxed(const ValueField& f, uint8_t key) {
    return key != 0 && std::find(f.relaxed.begin(), f.relaxed.end(), key) != f.relaxed.end();
}

// The field's rule for the value typed, and the value stored when it passes.
bool TakeField(shell::Session& s, Page& page, int k, uint8_t key) {
    const auto at = static_cast<size_t>(k);
    const ValueField& f = page.fields[at];
    EspecT& e = s.project.espec;
    const bool active = page.active[at] != 0;
    if (f.isText()) {
        if (page.dirty[at]) f.putText(e, page.texts[at]);
        page.dirty[at] = 0;
        return true;
    }
    double& v = page.numbers[at];
    if (f.rule && !Relaxed(f, key)) {
        const double typed = v;
        const std::string message = f.rule(e, v, active);
        if (!message.empty()) {
            if (v != typed) {  // the screen offers another value
                page.dirty[at] = 1;
                s.screen.ShowField(f.campo, &v, 1);
            }
            s.screen.FieldError(message);
            return false;
        }
    }
    if (f.warning) {
        const std::string warning = f.warning(v);
        if (!warning.empty()) s.screen.FieldError(warning);
    }
    if (page.dirty[at] && (active || !f.inactiveKept)) f.put(e, v);
    page.dirty[at] = 0;
    return true;
}

}  // namespace

ScreenFrame::ScreenFrame(shell::Session& s, bool paged)
    : s_(s), blankZero_(s.switches.blankZero), endKeys_(s.switches.endKeys) {
    UiSwitches& sw = s.switches;
    sw.blankZero = false;
    sw.endKeys = paged ? "Enter Esc Up Dn PgDn PgUp" : "Enter Esc Up Dn";
    sw.dataChanged = sw.screenChanged = sw.fieldChanged = false;
}

ScreenFrame::~ScreenFrame() {
    s_.screen.ZonesOff();
    s_.console.hideCaret();
    s_.switches.blankZero = blankZero_;
    s_.switches.endKeys = endKeys_;
}

void ScreenFrame::Clear(std::string_view title, std::string_view more) {
    s_.console.setEffects(0);
    s_.screen.SetColours(console::ColourMode::Normal);
    s_.console.clrScr();
    s_.screen.ShowHeader(title);
    std::string legend(kLegendStart);
    if (!more.empty()) legend += std::string(more) + " ";
    legend += kLegendEnd;
    s_.screen.ShowLegend(legend);
}

void ScreenFrame::Centred(int row, std::string_view text) {
    s_.screen.SetColours(console::ColourMode::Normal);
    s_.screen.WriteCentred(row, text);
}

void ScreenFrame::Text(int column, int row, std::string_view text, bool dimmed) {
    s_.screen.SetColours(console::ColourMode::Normal);
    if (dimmed) s_.console.textColor(kDimColour);
    s_.console.gotoXY(column, row);
    s_.console.writeText(text);
    s_.screen.SetColours(console::ColourMode::Normal);
}

Page MakePage(std::vector<ValueField> fields, const EspecT& e) {
    Page page;
    const size_t n = fields.size();
    page.numbers.assign(n, 0);
    page.texts.assign(n, std::string());
    page.active.assign(n, 1);
    page.dirty.assign(n, 0);
    for (size_t k = 0; k < n; ++k) {
        const ValueField& f = fields[k];
        page.active[k] = f.activeIn(e) ? 1 : 0;
        if (f.isText())
            page.texts[k] = f.getText(e);
        else if (page.active[k] || !f.inactiveKept)
            page.numbers[k] = f.get(e);
    }
    page.fields = std::move(fields);
    return page;
}

void ShowPage(shell::Session& s, Page& page) {
    const int last = static_cast<int>(page.fields.size()) - 1;
    std::vector<console::CampoT> campos;
    for (int k = 0; k <= last; ++k) {
        const ValueField& f = page.fields[static_cast<size_t>(k)];
        campos.push_back(f.campo);
        s.screen.ShowField(f.campo, ValueOf(page, k), 2);
        if (!page.active[static_cast<size_t>(k)]) {
            s.screen.SetColours(console::ColourMode::Normal);
            s.console.textColor(kDimColour);
            s.console.gotoXY(f.campo.column, f.campo.row);
            s.console.writeText(f.campo.prompt);
            s.screen.SetColours(console::ColourMode::Normal);
        }
    }
    s.screen.ClearZones();
    s.screen.FieldZones(campos, last);
}

PageExit EditPage(shell::Session& s, Page& page, const PageOptions& options) {
    const int last = static_cast<int>(page.fields.size()) - 1;
    page.current = std::clamp(page.current, 0, last);
    for (;;) {
        const int k = page.current;
        const auto at = static_cast<size_t>(k);
        s.screen.EditField(page.fields[at].campo, ValueOf(page, k));
        if (s.switches.fieldChanged) page.dirty[at] = 1;
        const uint8_t key = s.switches.lastKey;
        const bool wasDirty = page.dirty[at] != 0;
        if (!TakeField(s, page, k, key)) continue;
        const bool reshaped = wasDirty && options.reshapes && options.reshapes(k);

        switch (key) {
            case key::Enter:
            case key::Down:
                if (k < last)
                    ++page.current;
                else if (key == key::Enter && options.enterPastLast)
                    return PageExit::PastLast;
                else
                    s.console.beep();
                break;
            case key::Up:
                if (k > 0)
                    --page.current;
                else if (options.upBeforeFirst)
                    return PageExit::BeforeFirst;
                else
                    s.console.beep();
                break;
            case key::AltM: {
                const int clicked = s.screen.SelectClickedField() - 1;
                if (clicked >= 0 && clicked <= last) page.current = clicked;
                break;
            }
            case key::PgDn:
            case key::PgUp:
                if (options.pageKeys) return key == key::PgDn ? PageExit::PgDn : PageExit::PgUp;
                break;
            case key::Esc: {
                const std::string message =
                    options.onEsc
                        ? options.onEsc(page)
                        : ValueScreenCrossCheck(options.letter, s.project.espec, s.project.header);
                if (message.empty()) return PageExit::Esc;
                s.screen.FieldError(message);
                break;
            }
            default:
                break;
        }
        if (reshaped) return PageExit::Reshaped;
    }
}

}  // namespace nivex::specs::detail
