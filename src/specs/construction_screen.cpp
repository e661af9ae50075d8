// K: the construction data, on two pages.

#include "specs/criteria_screens.h"
#include "specs/value_page.h"
#include "specs/value_rules.h"

namespace nivex::specs {

void ScreenConstruction(shell::Session& s) {
    using namespace detail;
    ScreenFrame frame(s, true);
    EspecT& e = s.project.espec;
    constexpr const char* kTitle = "DATOS DE CONSTRUCCION";
    constexpr const char* kMore = "PgDn^mas_datos";
    PageOptions options;
    options.letter = 'K';
    options.pageKeys = true;

    bool firstPage = true;
    int current = 0;
    for (;;) {
        frame.Clear(kTitle, kMore);
        if (!firstPage) frame.Text(5, 13, "Tipos de tuberias a especificar para el diseno");
        Page page = MakePage(firstPage ? ConstructionFirstPage() : ConstructionSecondPage(e), e);
        page.current = current;
        ShowPage(s, page);
        options.enterPastLast = firstPage;
        options.upBeforeFirst = !firstPage;

        for (;;) {
            const PageExit exit = EditPage(s, page, options);
            if (exit == PageExit::Esc) return;
            if (!firstPage) break;  // PgUp, PgDn or Up from the first field: page 1
            if (exit == PageExit::PgUp) continue;
            // The six excavation percentages close page 1.
            const std::string message = rules::ExcavationSum(e);
            if (message.empty()) break;
            s.screen.FieldError(message);
            page.current = 0;
        }
        firstPage = !firstPage;
        current = 0;
    }
}

}  // namespace nivex::specs
