// "CONTROLES DE CALIDAD": the sub-menu of main choice 3 and the screens of controls A to D.

#include "network/controls_screen.h"

#include <algorithm>
#include <vector>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "listings/listing_steps.h"
#include "listings/sheet_range.h"
#include "network/network_controls.h"
#include "shell/session.h"

namespace nivex::network {
namespace {

constexpr int kFirstStatusRow = 10;
constexpr int kPromptRow = 16;
constexpr int kLastTextRow = 23;
constexpr int kListingWidth = 90;

const char* const kMenuLines[kControlCount] = {
    "A - Verificacion especificaciones ............ ",
    "B - Verificacion preliminar de los tramos .... ",
    "C - Verificacion de nomenclatura y cotas ..... ",
    "D - Verificacion del ordenamiento hidraulico.. ",
};

// A control runs as a long computation: a menu-bar choice meanwhile is refused.
template <typename Control>
bool Running(shell::Session& s, Control control) {
    const SwitchScope running(s.switches.processRunning, true);
    return control();
}

bool AllPassed(const project::Project& p) {
    const auto& c = p.header.ControlsDone;
    return std::all_of(c.begin(), c.end(), [](uint8_t f) { return f != 0; });
}

bool Passed(const project::Project& p, int control) {
    return p.header.ControlsDone[static_cast<size_t>(control)] != 0;
}

void ShowFileError(shell::Session& s, const std::string& error) {
    s.ui.showError(cp(error), "Error");
}

// Waits for Enter or Esc under the text.
void WaitContinue(shell::Session& s, int row, const char* text) {
    s.screen.WaitEnterOrEsc(row, cp(text));
}

void StartScreen(shell::Session& s, const char* title) {
    s.console.clrScr();
    s.screen.ShowHeader(cp(title));
}

void ShowLines(shell::Session& s, int firstRow, const std::vector<std::string>& lines) {
    int row = firstRow;
    for (const std::string& line : lines) {
        if (row > kLastTextRow) break;
        s.screen.WriteCentred(row++, line);
    }
}

bool WantsListing(shell::Session& s) {
    return s.ui.askYesNo(kListQuestion, "Confirmacion") == 'S';
}

// A listing of text lines, one per row.
void ListLines(shell::Session& s, const std::string& title, const std::vector<std::string>& lines) {
    if (listings::AskSheetRange(s, title) != key::Enter) return;
    listings::ListingRun run(s, title, kListingWidth);
    if (!run.Begin()) return;
    for (const std::string& line : lines)
        if (!run.Row(line)) break;
    run.Finish();
}

// The error file of controls C and D as a listing: its box heads every page.
void ListErrorFile(shell::Session& s) {
    ErrorFileText text;
    std::string error;
    if (!ReadErrorFile(s.project.files.messages(), text, &error)) return ShowFileError(s, error);
    if (listings::AskSheetRange(s, text.title) != key::Enter) return;
    const int width = text.closing.empty() ? kListingWidth : static_cast<int>(text.closing.size());
    listings::ListingRun run(s, text.title, width);
    run.heading = [&] {
        for (const std::string& line : text.heading)
            run.Line(line);
    };
    run.closeTable = [&] { run.Line(text.closing); };
    if (!run.Begin()) return;
    for (const std::string& row : text.rows)
        if (!run.Row(row)) break;
    run.Finish([&] { run.Line(text.closing); });
}

// ---- A ----

void ScreenA(shell::Session& s) {
    StartScreen(s, "VERIFICACION ESPECIFICACIONES");
    project::Project& p = s.project;
    if (Passed(p, kControlA)) {
        s.screen.WriteCentred(10, cp("FELICITACIONES..! Especificaciones completas"));
        return WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    SpecificationCheck check;
    std::string error;
    if (!Running(s, [&] { return RunControlA(p, check, &error); })) return ShowFileError(s, error);
    if (check.errors > 0) {
        s.screen.WriteCentred(7, cp("HAY ERRORES O LA INFORMACION ESTA INCOMPLETA"));
        ShowLines(s, 9, check.lines);
        if (WantsListing(s)) ListLines(s, cp("< ERRORES EN LAS ESPECIFICACIONES >"), check.lines);
    }
    if (!check.missingData.empty()) {
        StartScreen(s, "VERIFICACION ESPECIFICACIONES");
        ShowLines(s, 8, check.missingData);
        if (check.missingRequired)
            s.screen.WriteCentred(9 + static_cast<int>(check.missingData.size()),
                                  cp("Debe completar la informacion faltante"));
        WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    if (check.passed()) {
        StartScreen(s, "VERIFICACION ESPECIFICACIONES");
        s.screen.WriteCentred(10, cp("FELICITACIONES..! Especificaciones completas"));
        WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
}

// ---- B ----

void ScreenB(shell::Session& s) {
    StartScreen(s, "VERIFICACION PRELIMINAR DE LOS TRAMOS");
    project::Project& p = s.project;
    const char* const kComplete = "FELICITACIONES..! La informacion de los tramos esta completa";
    if (Passed(p, kControlB)) {
        s.screen.WriteCentred(10, cp(kComplete));
        return WaitContinue(s, 20, "Para continuar oprima [Enter] ");
    }
    ReachCheck check;
    std::string error;
    if (!Running(s, [&] { return RunControlB(p, check, &error); })) return ShowFileError(s, error);

    if (!check.finalNodes.empty()) {
        const std::string title = cp("< NODOS FINALES SIN NOMENCLATURA UNICA >");
        s.screen.WriteCentred(6, title);
        if (WantsListing(s)) {
            std::vector<std::string> lines;
            for (const ErrorRow& r : check.finalNodes)
                lines.push_back(cp("Linea ") + std::to_string(r.line) + cp("  Tramo ") +
                                r.upstream + " - " + r.downstream);
            ListLines(s, title, lines);
        }
    }
    std::vector<std::string> lines = check.lines();
    if (check.allAreasZero) lines.push_back(ZeroAreasLine());
    ShowLines(s, 8, lines);
    if (!check.faultless()) {
        if (!lines.empty() && WantsListing(s))
            ListLines(s, cp("< VERIFICACION PRELIMINAR DE LOS TRAMOS >"), lines);
        return WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    if (check.needsConfirmation()) {
        if (s.ui.askYesNo(ZeroAreasLine(), "Confirmacion") != 'S') return;
        if (!MarkControlPassed(p, kControlB, &error)) return ShowFileError(s, error);
    }
    StartScreen(s, "VERIFICACION PRELIMINAR DE LOS TRAMOS");
    s.screen.WriteCentred(10, cp(kComplete));
    WaitContinue(s, 20, "Para continuar oprima [Enter] ");
}

// ---- C ----

void ScreenC(shell::Session& s) {
    const char* const kTitle = "VERIFICACION DE NOMENCLATURA Y COTAS DE LOS TRAMOS";
    const char* const kComplete =
        "FELICITACIONES..! La informacion de nomenclatura y cotas esta completa";
    StartScreen(s, kTitle);
    project::Project& p = s.project;
    if (Passed(p, kControlC)) {
        s.screen.WriteCentred(10, cp(kComplete));
        return WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    if (s.ui.askYesNo(kRunCheckQuestion, "Confirmacion") != 'S') return;
    s.screen.WriteCentred(10, cp("... espere ..."));
    std::vector<ErrorRow> rows;
    std::string error;
    if (!Running(s, [&] { return RunControlC(p, rows, &error); })) return ShowFileError(s, error);
    StartScreen(s, kTitle);
    if (rows.empty()) {
        s.screen.WriteCentred(10, cp(kComplete));
        return WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    s.screen.WriteCentred(
        6, cp("En " + std::to_string(rows.size()) + " tramos se encontraron errores"));
    if (WantsListing(s)) ListErrorFile(s);
}

// ---- D ----

void ScreenD(shell::Session& s) {
    const char* const kTitle = "VERIFICACION DEL ORDENAMIENTO HIDRAULICO";
    const char* const kCorrect = "FELICITACIONES..! El ordenamiento hidraulico esta correcto";
    StartScreen(s, kTitle);
    project::Project& p = s.project;
    if (Passed(p, kControlD)) {
        s.screen.WriteCentred(10, cp(kCorrect));
        return WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    if (s.ui.askYesNo(kRunCheckQuestion, "Confirmacion") != 'S') return;
    s.screen.WriteCentred(10, cp("... espere ..."));
    OrderCheck check;
    std::string error;
    if (!Running(s, [&] { return RunControlD(p, check, &error); })) return ShowFileError(s, error);
    StartScreen(s, kTitle);
    if (check.passed()) {
        s.screen.WriteCentred(10, cp(kCorrect));
        return WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
    }
    if (check.onlyMarks())
        s.screen.WriteCentred(
            11, cp("En" + std::to_string(check.walk.marked) + " tramos se encontraron errores"));
    else
        s.screen.WriteCentred(
            6, cp("En " + std::to_string(check.errorRows) + " tramos se encontraron errores"));
    if (WantsListing(s)) ListErrorFile(s);
}

// ---- Sub-menu ----

void (*const kScreens[kControlCount])(shell::Session&) = {ScreenA, ScreenB, ScreenC, ScreenD};

void ShowMenu(shell::Session& s) {
    s.console.clrScr();
    s.screen.ShowHeader(cp("CONTROLES DE CALIDAD"));
    s.screen.ShowLegend("F9^borrar F11^recup.dato ESC^salir");
    for (int k = 0; k < kControlCount; ++k) {
        s.console.gotoXY(17, kFirstStatusRow + k);
        s.console.writeText(cp(std::string(kMenuLines[k]) + (Passed(s.project, k) ? "OK" : "??")));
    }
}

// The letter chosen, or -1 for Esc.
int AskControl(shell::Session& s, int proposed) {
    console::CampoT field;
    field.prompt = cp("Seleccione opcion entre [A] y [D] y oprima [Enter] :");
    field.type = 'S';
    field.column = 14;
    field.row = kPromptRow;
    field.width = 1;
    field.upperCase = true;
    std::string value(1, static_cast<char>('A' + proposed));
    s.switches.endKeys = "Enter Esc";
    s.screen.ShowField(field, &value, 2);
    for (;;) {
        s.screen.EditField(field, &value);
        if (s.switches.lastKey == key::Esc) return -1;
        const char letter = value.empty() ? ' ' : static_cast<char>(upperByte(value[0]));
        if (letter >= 'A' && letter <= 'D') {
            s.screen.ClearFieldError();
            return letter - 'A';
        }
        s.screen.FieldError(cp("ERROR...Caracter invalido"));
    }
}

}  // namespace

void RunNetworkControls(shell::Session& s) {
    s.switches.atMainMenu = false;
    project::Project& p = s.project;
    std::string error;
    if (!EnterControls(p, &error)) return ShowFileError(s, error);
    int proposed = 0;
    for (;;) {
        if (!SettleDesignStage(p, &error)) return ShowFileError(s, error);
        if (AllPassed(p)) {
            s.console.clrScr();
            s.screen.ShowHeader(cp("CONTROLES DE CALIDAD"));
            s.screen.WriteCentred(10, cp("Todas las revisiones estan correctas"));
            s.screen.WriteCentred(12, cp("No es necesario repetirlas"));
            WaitContinue(s, 20, "Para continuar oprima [Enter] o [Esc]");
            break;
        }
        ShowMenu(s);
        const int chosen = AskControl(s, proposed);
        if (chosen < 0) break;
        kScreens[chosen](s);
        proposed = (chosen + 1) % kControlCount;
    }
    s.switches.endKeys = "Enter";
}

}  // namespace nivex::network
