// F: the general design criteria.

#include "specs/criteria_screens.h"
#include "specs/value_page.h"
#include "specs/value_rules.h"

namespace nivex::specs {

void ScreenGeneral(shell::Session& s) {
    using namespace detail;
    ScreenFrame frame(s, false);
    EspecT& e = s.project.espec;
    frame.Clear("ESPECIFICACIONES GENERALES", "");
    // The crown joins give way to energy junctions and to critical-flow avoidance.
    const bool joinOff = !rules::CrownJoinAllowed(e);
    frame.Text(kFieldColumn, 13, "Empalmar a nivel claves llegan desde diam. (mm) .. ", joinOff);
    frame.Text(kFieldColumn, 15, "En diametros menores que el anterior, empalmar ... ", joinOff);

    Page page = MakePage(GeneralFields(e), e);
    ShowPage(s, page);
    PageOptions options;
    options.letter = 'F';
    options.onEsc = [&e](Page& p) -> std::string {
        const int depth = rules::FirstInconsistentDepth(e);
        if (depth < 0) return {};
        p.current = 4 + depth;  // fields 5 to 8
        return "Hay un error...Oprima [ENTER] para identificarlo";
    };
    EditPage(s, page, options);
    // The configuration dialog gives this value back when energy junctions are cleared.
    if (e.CrownJoinDiameter != 0) s.junctionDiameterEntered = e.CrownJoinDiameter;
}

}  // namespace nivex::specs
