// H: the storm design criteria; J: the rainfall equations; S: the SWMM hyetographs;
// L: the SWMM adjustment; O: the storm reduction factors.

#include <algorithm>
#include <cmath>

#include "console/codepage.h"
#include "specs/criteria_screens.h"
#include "specs/value_page.h"

namespace nivex::specs {

using namespace detail;

namespace {

int Next(int n, int count) {
    return n >= count ? 1 : n + 1;
}

int Previous(int n, int count) {
    return n <= 1 ? count : n - 1;
}

// A one-page screen whose fields are all of the set.
void SimpleScreen(shell::Session& s, const char* title, char letter,
                  std::vector<ValueField> fields) {
    ScreenFrame frame(s, false);
    EspecT& e = s.project.espec;
    frame.Clear(title, "");
    Page page = MakePage(std::move(fields), e);
    ShowPage(s, page);
    PageOptions options;
    options.letter = letter;
    EditPage(s, page, options);
}

}  // namespace

void ScreenStorm(shell::Session& s) {
    SimpleScreen(s, "ESPECIFICACIONES PLUVIALES", 'H', StormFields());
}

void ScreenReductionFactors(shell::Session& s) {
    SimpleScreen(s, "FACTOR REDUCCION ECUACION PLUVIAL", 'O', ReductionFields());
}

void ScreenRainEquations(shell::Session& s) {
    ScreenFrame frame(s, true);
    EspecT& e = s.project.espec;
    constexpr int kFirstValue = 2;  // the frequency, after the count and the number
    int equation = 1;
    int current = 0;
    PageOptions options;
    options.letter = 'J';
    options.pageKeys = true;
    options.enterPastLast = true;
    options.reshapes = [](int k) { return k <= 1; };
    for (;;) {
        const int count =
            std::clamp(static_cast<int>(std::lround(e.EquationCount)), 1, kMaxEquations);
        equation = std::clamp(equation, 1, count);
        // The screen knows only the first form of an equation: no duration bound.
        e.Equations[static_cast<size_t>(equation - 1)].durationBound = 0;
        frame.Clear("ECUACIONES DE AGUAS LLUVIAS", "PgDn^otra_ecuac.");
        frame.Centred(4, "Forma Ecuacion : i = A/(B + t^n)^m  ( ^ = exponente )");
        frame.Centred(5, "(i = intensidad en l/s/Ha y t = duracion en minutos )");
        std::vector<ValueField> fields{EquationCountField()};
        fields.push_back(NumberField("               ECUACION NUMERO (#)                :", 9,
                                     kMaxEquations, equation));
        for (ValueField& f : EquationFields(equation - 1))
            fields.push_back(std::move(f));
        Page page = MakePage(std::move(fields), e);
        page.current = current;
        ShowPage(s, page);

        const PageExit exit = EditPage(s, page, options);
        current = page.current;
        switch (exit) {
            case PageExit::Esc:
                return;
            case PageExit::PastLast:
            case PageExit::PgDn:
                equation = Next(equation, count);
                current = std::max(current, kFirstValue);
                if (exit == PageExit::PastLast) current = kFirstValue;
                break;
            case PageExit::PgUp:
                equation = Previous(equation, count);
                break;
            default:
                break;
        }
    }
}

void ScreenHyetographs(shell::Session& s) {
    ScreenFrame frame(s, true);
    EspecT& e = s.project.espec;
    int current = 0;
    PageOptions options;
    options.letter = 'S';
    options.pageKeys = true;
    options.reshapes = [](int k) { return k <= 2; };  // interval, count, series shown
    for (;;) {
        const int count = std::clamp(e.SeriesCount, 1, kMaxSeries);
        if (e.CurrentSeries > count || e.CurrentSeries < 1)
            e.CurrentSeries = std::clamp(e.CurrentSeries, 1, count);
        frame.Clear("HIETOGRAMAS PARA MODELO SWMM", "PgDn^otra_ecuac.");
        std::vector<ValueField> fields = SeriesHeadFields();
        for (ValueField& f : SeriesValueFields(e, e.CurrentSeries - 1))
            fields.push_back(std::move(f));
        Page page = MakePage(std::move(fields), e);
        page.current = current;
        ShowPage(s, page);

        const PageExit exit = EditPage(s, page, options);
        current = page.current;
        if (exit == PageExit::Esc) return;
        if (exit == PageExit::PgDn) e.CurrentSeries = Next(e.CurrentSeries, count);
        if (exit == PageExit::PgUp) e.CurrentSeries = Previous(e.CurrentSeries, count);
    }
}

void ScreenSwmmAdjustment(shell::Session& s) {
    ScreenFrame frame(s, true);
    EspecT& e = s.project.espec;
    frame.Clear("AJUSTE", "PgDn^mas_datos");
    frame.Centred(3, cp("FACTOR DISEÑO"));
    frame.Centred(4, "(Usar menor valor posible que no produsca inundaciones)");
    frame.Centred(7, "SUBCATCHMENTS");
    frame.Centred(8, "WIDTH (m)");
    frame.Centred(14, "SLOPE (%)");
    Page page = MakePage(AdjustmentFields(), e);
    ShowPage(s, page);
    PageOptions options;
    options.letter = 'L';
    options.pageKeys = true;
    // PgDn and PgUp go by blocks: the factor, the widths, the slopes.
    constexpr int kBlockStarts[] = {0, 1, 1 + kRainBasins};
    for (;;) {
        const PageExit exit = EditPage(s, page, options);
        if (exit == PageExit::Esc) return;
        int block = page.current >= kBlockStarts[2] ? 2 : page.current >= kBlockStarts[1] ? 1 : 0;
        block = exit == PageExit::PgDn ? std::min(block + 1, 2) : std::max(block - 1, 0);
        page.current = kBlockStarts[block];
    }
}

}  // namespace nivex::specs
