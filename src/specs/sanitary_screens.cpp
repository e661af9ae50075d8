// G: the sanitary design criteria; I: the sanitary unit values of each zone.

#include <algorithm>
#include <cmath>

#include "specs/criteria_screens.h"
#include "specs/value_page.h"

namespace nivex::specs {

void ScreenSanitary(shell::Session& s) {
    using namespace detail;
    ScreenFrame frame(s, false);
    EspecT& e = s.project.espec;
    frame.Clear("ESPECIFICACIONES SANITARIAS", "");
    Page page = MakePage(SanitaryFields(e), e);
    ShowPage(s, page);
    PageOptions options;
    options.letter = 'G';
    EditPage(s, page, options);
}

void ScreenSanitaryUnits(shell::Session& s) {
    using namespace detail;
    ScreenFrame frame(s, true);
    EspecT& e = s.project.espec;
    int zone = 1;
    int current = 0;
    PageOptions options;
    options.letter = 'I';
    options.pageKeys = true;
    options.reshapes = [](int k) { return k <= 1; };  // the count or the zone shown
    for (;;) {
        const int count = std::clamp(static_cast<int>(std::lround(e.ZoneCount)), 1, kMaxZones);
        zone = std::clamp(zone, 1, count);
        frame.Clear("VALORES UNITARIOS SANITARIOS", "PgDn^otra_zona");
        std::vector<ValueField> fields{ZoneCountField()};
        fields.push_back(
            NumberField("_______________________________________ ZONA No.  :", 7, kMaxZones, zone));
        for (ValueField& f : ZoneFields(e, zone - 1))
            fields.push_back(std::move(f));
        Page page = MakePage(std::move(fields), e);
        page.current = current;
        ShowPage(s, page);

        const PageExit exit = EditPage(s, page, options);
        current = page.current;
        if (exit == PageExit::Esc) return;
        if (exit == PageExit::PgDn) zone = zone >= count ? 1 : zone + 1;
        if (exit == PageExit::PgUp) zone = zone <= 1 ? count : zone - 1;
    }
}

}  // namespace nivex::specs
