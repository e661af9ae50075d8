// The screens of main choice 5 over the design driver: the options, the progress lines of
// the design as it runs, and the results.

#include "design/design_screen.h"

#include "design/alternatives_run.h"
#include "design/alternatives_screen.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "design/alternatives_run.h"
#include "design/alternatives_screen.h"
#include "design/design_options.h"
#include "design/evolution_listing.h"
#include "design/model_loop.h"
#include "project/project_open.h"
#include "shell/session.h"
#include "specs/criteria_store.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_progress.h"

namespace nivex::design {
namespace {

using console::CampoT;
using console::ColourMode;

constexpr const char* kTitle = "DISEÑO DEL PROYECTO";
constexpr const char* kLegend = "F9^borrar F11^recup.dato ESC^salir";
constexpr int kFirstProgressRow = 3;
constexpr int kLastProgressRow = 24;
constexpr int kResultRows = 15;  // rows 10 to 24, under the counts and the headings

void Frame(shell::Session& s) {
    s.console.setEffects(0);
    s.screen.SetColours(ColourMode::Normal);
    s.console.clrScr();
    s.screen.ShowHeader(cp(kTitle));
    s.screen.ShowLegend(kLegend);
}

CampoT Answer(const char* prompt, int row) {
    return console::AnswerField(cp(prompt), row);
}

// The progress of the running design, scrolled inside rows 3 to 24. Esc stops it.
class ScreenSink : public DesignSink {
  public:
    explicit ScreenSink(shell::Session& s) : s_(s) {}

    void Progress(const std::string& line) override {
        if (row_ > kLastProgressRow) {
            Scroll();
            row_ = kLastProgressRow;
        }
        s_.console.gotoXY(1, row_);
        s_.console.clrEol();
        s_.console.writeText(line.substr(0, 80));
        ++row_;
        // The window repaints and the user may stop the design at most every 50 ms:
        // a large network writes tens of thousands of lines.
        const auto now = std::chrono::steady_clock::now();
        if (now - lastLook_ < std::chrono::milliseconds(50)) return;
        lastLook_ = now;
        if (s_.console.keyPressed()) {
            const auto code = s_.console.takeKey();
            if (code && *code == key::Esc) cancelled = true;
        }
    }
    void Message(const std::string& title, const std::string& text) override {
        messages.push_back({title, text});
    }
    // A new design starts on a clear screen and looks at the keyboard at its first line.
    void Restart() {
        row_ = kFirstProgressRow;
        lastLook_ = {};
    }

    struct Box {
        std::string title, text;
    };
    std::vector<Box> messages;

  private:
    void Scroll() {
        const console::Rect whole = s_.console.window();
        s_.console.setWindow(1, kFirstProgressRow, whole.right, kLastProgressRow);
        s_.console.gotoXY(1, 1);
        s_.console.scrollUp();
        s_.console.setWindow(whole.left, whole.top, whole.right, whole.bottom);
    }

    shell::Session& s_;
    int row_ = kFirstProgressRow;
    std::chrono::steady_clock::time_point lastLook_{};
};

std::string Count(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4d", std::clamp(n, -999, 9999));
    return buf;
}

std::string ResultRow(const FinalReach& f) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%5d   %-7s %-7s  %8d  %9.2f", f.record,
                  ("<" + f.upstream + ">").c_str(), ("<" + f.downstream + ">").c_str(), f.diameter,
                  static_cast<double>(f.depth));
    return buf;
}

// The messages the design left for the user, each in its box.
void ShowSinkMessages(shell::Session& s, ScreenSink& sink) {
    for (const ScreenSink::Box& box : sink.messages) {
        if (box.title == "Advertencia")
            s.ui.showWarning(box.text, box.title);
        else
            s.ui.showError(box.text, box.title);
    }
    sink.messages.clear();
}

}  // namespace

bool AskDesignOptions(shell::Session& s, DesignOptions& options) {
    console::Screen& screen = s.screen;
    UiSwitches& sw = s.switches;
    // The first two questions take two lines: the answer goes on the second.
    const char* kSecondLine = "......... con problemas de capacidad o de empalme (S/N) :";
    const std::array<CampoT, 4> fields = {
        Answer(kSecondLine, 4),
        Answer(kSecondLine, 7),
        Answer("Desea ignorar las restricciones de los tramos     (S/N) :", 9),
        Answer("Desea salida tramos iniciales a ras otras salidas (S/N) :", 11),
    };
    std::array<std::string, 4> values = {
        options.replaceExisting ? "S" : "N", options.replaceRestricted ? "S" : "N",
        options.ignoreRestrictions ? "S" : "N", options.flushInitialOutlets ? "S" : "N"};

    const std::string endKeys = sw.endKeys;
    const bool opened = screen.OpenWindow('D', 8, 5, 0, "", 0, 21, 74);
    screen.SetColours(ColourMode::Normal);
    s.console.gotoXY(3, 3);
    s.console.writeText("Desea eliminar tramos existentes ......................");
    s.console.gotoXY(3, 6);
    s.console.writeText("Desea eliminar tramos restringidos.....................");
    sw.endKeys = "Enter Up Dn Esc AltZ";
    screen.ClearZones();
    for (size_t k = 0; k < fields.size(); ++k) {
        screen.ShowField(fields[k], &values[k], 2);
        screen.AddFieldZone(fields[k], static_cast<int>(k) + 1);
    }
    s.console.addButton(35, 19, 0, "  ACEPTAR  ", key::AltZ, 11);

    size_t current = 0;
    for (;;) {
        screen.EditField(fields[current], &values[current]);
        const uint8_t k = sw.lastKey;
        if (k == key::Esc || k == key::AltZ) break;
        if (k == key::Up) {
            if (current > 0) --current;
        } else if (k == key::AltM) {
            const int clicked = screen.SelectClickedField() - 1;
            if (clicked >= 0 && clicked < 4) current = static_cast<size_t>(clicked);
        } else if (current < 3) {
            ++current;  // Enter and Down stop at the fourth
        }
    }
    screen.ZonesOff();
    if (opened) screen.CloseWindow();
    sw.endKeys = endKeys;
    options.replaceExisting = values[0] == "S";
    options.replaceRestricted = values[1] == "S";
    options.ignoreRestrictions = values[2] == "S";
    options.flushInitialOutlets = values[3] == "S";
    return true;
}

void ShowDesignResults(shell::Session& s, const DesignResult& result, bool automatic) {
    console::Console& c = s.console;
    console::Screen& screen = s.screen;
    const int pages =
        std::max(1, (static_cast<int>(result.finalReaches.size()) + kResultRows - 1) / kResultRows);
    int page = 0;
    bool recommended = false, costShown = false;
    for (;;) {
        Frame(s);
        screen.SetColours(ColourMode::NormalEmphasis);
        c.gotoXY(3, 2);
        c.writeText(cp("CLASE DISEÑO SELECCIONADO : ") + (automatic ? "Automatico " : "Manual"));
        c.gotoXY(1, 3);
        c.writeText(" PROBLEMAS DE CAPACIDAD O EMPALME");
        if (result.doubtful()) {  // fills the row up to its last column
            c.gotoXY(35, 3);
            c.writeText(DoubtfulStatusText());
        }
        screen.SetColours(ColourMode::Normal);
        c.gotoXY(5, 4);
        c.writeText("[A] .... nodos  que causan inundacion ............. : " +
                    Count(result.floodedNodes));
        c.gotoXY(5, 5);
        c.writeText("[A] .... tramos con capacidad insuficiente ........ : " +
                    Count(result.insufficientCapacity));
        c.gotoXY(5, 6);
        c.writeText("[B] .... las claves de entrada y salida no empalman : " +
                    Count(result.junctionMismatches));
        c.gotoXY(5, 7);
        c.writeText("[C] .... tramos mas profundos que la deseable ..... : " +
                    Count(result.deeperThanDesirable));
        screen.SetColours(ColourMode::NormalEmphasis);
        screen.WriteCentred(8, "< DATOS DE LOS TRAMOS FINALES DE CADA UNO DE LOS SUBSECTORES >");
        screen.SetColours(ColourMode::Normal);
        c.gotoXY(12, 9);
        c.writeText("Linea   < DE  > <  A  >  Diametro Profundidad");
        for (int r = 0; r < kResultRows; ++r) {
            const size_t at = static_cast<size_t>(page * kResultRows + r);
            if (at >= result.finalReaches.size()) break;
            c.gotoXY(12, 10 + r);
            c.writeText(ResultRow(result.finalReaches[at]));
        }
        // Row 25 tells how to page, or how to finish when there is one page only.
        screen.SetColours(ColourMode::NormalEmphasis);
        if (pages > 1)
            screen.WriteCentred(
                25, "K .... Oprima [PgUp] y [PgDn] para ver ultimos tramos o [Esc] para Menu ....");
        else
            screen.WriteCentred(25, cp("Para finalizar el diseño oprima [ Enter ]"));
        screen.SetColours(ColourMode::Normal);
        if (!recommended && result.floodedNodes > 0) {
            // Sizes beyond the list mean the collectors cannot grow: only smaller
            // sectors help; otherwise a larger design factor of the model does.
            s.ui.showInformation(
                cp(result.counters.largerSizesNeeded
                       ? "              RECOMENDACION\r\rPara eliminar los nodos inundados "
                         "subdivida\rel proyecto en sectores mas pequeños con "
                         "emisarios\rindependientes hasta los vertimientos."
                       : "              RECOMENDACION\r\rPara eliminar los nodos inundados "
                         "incremente en Especificaciones/Ajuste Swmm\rel valor del Factor de "
                         "Diseño. Incrementelo de 0.10 en 0.10"),
                "Informacion");
            recommended = true;
        }
        if (!costShown && result.leastCost.asked) {
            s.ui.showInformation(LeastCostText(result.leastCost), "Informacion");
            costShown = true;
        }
        const uint8_t k = static_cast<uint8_t>(screen.ReadChoice()[0]);
        if (k == key::Enter || k == key::Esc) return;
        if (k == key::PgDn && page + 1 < pages) ++page;
        if (k == key::PgUp && page > 0) --page;
    }
}

void RunDesignModule(shell::Session& s) {
    s.switches.atMainMenu = false;
    const auto sub = s.console.takeKey();
    if (!sub) return;
    if (*sub == 'B') {
        ListEvolution(s);
        return;
    }
    if (*sub != 'A') return;

    project::Project& p = s.project;
    const std::string endKeys = s.switches.endKeys;
    s.switches.endKeys = "Enter Esc Up Dn";
    Frame(s);
    DesignOptions options;
    if (p.OpenControl()) {
        if (p.ReadHeader()) options = StoredDesignOptions(p.header);
        p.CloseControl();
    }
    // The method of the hydraulic model is checked before anything is asked.
    std::string title, message;
    if (p.OpenControl()) {
        std::string error;
        specs::LoadDesignCriteria(p.control, p.header, p.espec, &error);
        p.CloseControl();
    }
    if (!DesignMethodAllowed(p.espec, p.header.DesignClass, &title, &message)) {
        s.ui.showError(message, title);
        s.switches.endKeys = endKeys;
        return;
    }
    Frame(s);
    ScreenSink sink(s);
    DesignResult prepared;
    if (!PrepareDesignRun(p, sink, prepared)) {
        ShowSinkMessages(s, sink);
        s.switches.endKeys = endKeys;
        return;
    }
    // Classes 6 to 9 verify the final design with the hydraulic model, the "Status"
    // window open through all its passes.
    swmm::SwmmProgress progress(s.progress);
    DesignRun finalRun;
    bool optionsSaved = true;
    AlternativesHooks hooks;
    // The design runs as one long computation: a menu-bar choice meanwhile is refused
    // rather than taken as the Esc that stops it. Its questions wait like any screen.
    hooks.askOptions = [&](DesignOptions& o) {
        const SwitchScope asking(s.switches.processRunning, false);
        Frame(s);
        AskDesignOptions(s, o);
        optionsSaved = SaveDesignOptions(p, o);
        Frame(s);
        sink.Restart();
        if (swmm::IsSwmmStormDesign(p.header.DesignClass))
            finalRun.modelLoop =
                ModelLoopHook({s.ui, sink, swmm::ProgramEngine(), &progress,
                               swmm::SessionSwmmFolder(s), o, nullptr, "", nullptr});
    };
    hooks.choose = [&](AlternativesTable& table, int mode, double days) {
        const SwitchScope asking(s.switches.processRunning, false);
        ShowSinkMessages(s, sink);
        return ChooseAlternative(s, table, mode, days);
    };
    if (s.progress) {
        s.progress->ClearProgressCancel();
        hooks.searching = [&](int n) {
            if (n == 0) {
                s.progress->CloseProgressTimer();
                return;
            }
            s.progress->OpenProgressTimer(cp("Diseño automatico de la topologia del sistema"),
                                          "Alternativa " + std::to_string(n) + " de 6");
        };
        hooks.progressBar = [&](int maximum) {
            if (maximum > 0)
                s.progress->OpenProgressBar(maximum);
            else
                s.progress->CloseProgressBar();
        };
        hooks.step = [&] { s.progress->StepProgressBar(); };
        hooks.cancelled = [&] {
            s.progress->ProgressTick();
            return s.progress->ProgressCancel();
        };
    }
    const AlternativesOutcome out = [&] {
        const SwitchScope running(s.switches.processRunning, true);
        return RunAlternatives(p, options, sink, hooks, finalRun);
    }();
    progress.Close();
    ShowSinkMessages(s, sink);
    if (!optionsSaved) s.ui.showError(p.error, "Error");
    if (out.end == AlternativesEnd::Designed) {
        ShowDesignResults(s, out.result, out.chosen != 0);
        AdoptAlternative(s);
        // The caption names the alternative now designed.
        p.caption =
            p.baseCaption + project::AlternativeCaption(std::lround(p.header.DesignAlternative));
        s.console.setCaption(p.caption);
    } else {
        if (out.end == AlternativesEnd::Cancelled)
            s.ui.showInformation("Proceso terminado por el usuario", "Informe");
        // A run that had no alternative to offer leaves none named.
        if (p.header.DesignAlternative < 0 && p.caption != p.baseCaption) {
            p.caption = p.baseCaption;
            s.console.setCaption(p.caption);
        }
    }
    s.switches.endKeys = endKeys;
}

}  // namespace nivex::design
