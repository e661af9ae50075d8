#include "quantities/quantity_screen.h"

#include "console/codepage.h"
#include "listings/listing_catalog.h"
#include "network/general_listing_parts.h"
#include "quantities/quantity_driver.h"
#include "quantities/stage_screen.h"
#include "shell/letter_menu.h"

namespace nivex::quantities {

bool ComputeQuantities(shell::Session& s) {
    s.switches.atMainMenu = false;
    s.console.clrScr();
    s.screen.ShowHeader(cp("CALCULO DE CANTIDADES DE OBRA"));
    s.switches.endKeys = "Enter Esc";
    const QuantityOutcome out = RunQuantities(s.project);
    switch (out.stop) {
        case RunStop::None:
            s.ui.showWarning(cp("Realizado el Calculo de Cantidades de Obra"), "Informacion");
            return true;
        case RunStop::NoDesign:
            s.screen.ShowMessageBox(out.message);
            return false;
        case RunStop::MissingSector:
            s.screen.WriteCentred(10, out.message);
            s.screen.WaitEnterOrEsc(12, "Para terminar oprima [ Enter ]");
            return false;
        case RunStop::DiameterFault:
        case RunStop::FileError:
            s.ui.showError(out.message, "Error");
            return false;
    }
    return false;
}

void RunQuantityModule(shell::Session& s) {
    s.switches.atMainMenu = false;
    const auto sub = s.console.takeKey();
    if (!sub) return;
    if (*sub == 'A') RunStageEntry(s);
    if (*sub == 'B') ComputeQuantities(s);
    s.switches.endKeys = "Enter";
}

void RunQuantityListings(shell::Session& s) {
    shell::LetterMenu menu{
        "LISTADOS DE CANTIDADES DE OBRA", network::general::kLegend, 18, 7, 68, {}};
    // The stages are defined only in a project of one sector.
    if (s.project.selection.sectors == "1") menu.items.push_back({'A', "Etapas Construccion"});
    menu.items.insert(menu.items.end(), {{'B', "Cantidades de Obra"},
                                         {'C', "Clasificacion Tramos y Pozos"},
                                         {'D', "Formulario Precios Requeridos"},
                                         {'E', "Formulario Precios Totales"}});
    shell::RunLetterMenu(s, menu, [&s](char letter) {
        const std::string key{'9', letter};
        if (const listings::ListingDef* def = listings::FindListing(key)) def->run(s);
    });
}

}  // namespace nivex::quantities
