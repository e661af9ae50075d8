// "List. Diseño": the listings of the designed network and the sub-menu of main choice 7.

#include "design/design_listings.h"

#include <array>

#include "console/codepage.h"
#include "console/keys.h"
#include "design/design_listing_data.h"
#include "design/design_listing_pages.h"
#include "design/design_listing_tables.h"
#include "design/reach_values.h"
#include "listings/listing_file.h"
#include "listings/listing_steps.h"
#include "listings/sheet_range.h"
#include "network/general_listing_parts.h"
#include "shell/letter_menu.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_results.h"

namespace nivex::design {
namespace {

using network::TramoT;

constexpr const char* kRemovedSection =
    "TRAMOS ELIMINADOS POR FALTA DE CAPACIDAD O ESTAR MUY SUPERFICIALES PARA EL EMPALME POR "
    "TRAMOS NUEVOS";
constexpr const char* kRemovedTitle = "< TRAMOS EXISTENTES O RESTRINGIDOS ELIMINADOS >";
constexpr const char* kNotesIndent = "        ";

enum class Notes { None, Hydraulic, Physical };

// One listing of the reaches of the design copy.
struct ReachListing {
    const char* caption;     // the menu item, shown as the viewer's title
    const char* rangeTitle;  // the sheet-range box
    const char* pageTitle;
    HeaderKind header;
    bool askSize;      // the minimum collector size is asked with the range
    bool swmm;         // needs the results of the hydraulic model
    bool floodedOnly;  // only the reaches at a flooded manhole
    Notes notes;
    tables::Table (*table)(const tables::Context&);
};

tables::Table PhysicalTable(const tables::Context& x) {
    return tables::Physical(x);
}
tables::Table SwmmPhysicalTable(const tables::Context& x) {
    return tables::Physical(x, 7);
}

const ReachListing kHydraulic{.caption = "Diseño Hidraulico",
                              .rangeTitle = "LISTADO DE DISEÑO HIDRAULICO ",
                              .pageTitle = "< DISEÑO HIDRAULICO >",
                              .header = HeaderKind::Design,
                              .askSize = true,
                              .swmm = false,
                              .floodedOnly = false,
                              .notes = Notes::Hydraulic,
                              .table = tables::Hydraulic};
const ReachListing kPhysical{.caption = "Diseño Fisico",
                             .rangeTitle = "LISTADO DE DISEÑO FISICO ",
                             .pageTitle = "< DISEÑO FISICO >",
                             .header = HeaderKind::Design,
                             .askSize = true,
                             .swmm = false,
                             .floodedOnly = false,
                             .notes = Notes::Physical,
                             .table = PhysicalTable};
const ReachListing kSanitary{.caption = "Caudales Sanitarios",
                             .rangeTitle = "LISTADO DE CAUDALES SANITARIOS ",
                             .pageTitle = "< CAUDALES SANITARIOS >",
                             .header = HeaderKind::Flows,
                             .askSize = false,
                             .swmm = false,
                             .floodedOnly = false,
                             .notes = Notes::None,
                             .table = tables::SanitaryFlows};
const ReachListing kStorm{.caption = "Caudales Pluviales",
                          .rangeTitle = "LISTADO DE CAUDALES PLUVIALES ",
                          .pageTitle = "< CAUDALES PLUVIALES >",
                          .header = HeaderKind::Flows,
                          .askSize = false,
                          .swmm = false,
                          .floodedOnly = false,
                          .notes = Notes::None,
                          .table = tables::StormFlows};
const ReachListing kSwmmHydraulicFlooded{
    .caption = "Diseño Hidraulico para Swmm  (inundados)",
    .rangeTitle = "LISTADO DE DISEÑO HIDRAULICO PARA SWMM - SOLO POZOS INUNDADOS ",
    .pageTitle = "< DISEÑO HIDRAULICO PARA SWMM - Solo inundados >",
    .header = HeaderKind::Design,
    .askSize = false,
    .swmm = true,
    .floodedOnly = true,
    .notes = Notes::Hydraulic,
    .table = tables::SwmmHydraulic};
const ReachListing kSwmmPhysicalFlooded{
    .caption = "Diseño Fisico para Swmm  (inundados)",
    .rangeTitle = "LISTADO DE DISEÑO FISICO PARA SWMM - SOLO POZOS INUNDADOS ",
    .pageTitle = "< DISEÑO FISICO >",
    .header = HeaderKind::Design,
    .askSize = false,
    .swmm = true,
    .floodedOnly = true,
    .notes = Notes::Physical,
    .table = SwmmPhysicalTable};
const ReachListing kSwmmHydraulic{.caption = "Diseño hidraulico para Swmm",
                                  .rangeTitle = "LISTADO DISEÑO HIDRAULICO PARA SWMM",
                                  .pageTitle = "< DISEÑO HIDRAULICO >",
                                  .header = HeaderKind::Design,
                                  .askSize = true,
                                  .swmm = true,
                                  .floodedOnly = false,
                                  .notes = Notes::Hydraulic,
                                  .table = tables::SwmmHydraulic};
const ReachListing kSwmmPhysical{.caption = "Diseño fisico para Swmm",
                                 .rangeTitle = "LISTADO DISEÑO FISICO PARA SWMM",
                                 .pageTitle = "< DISEÑO FISICO >",
                                 .header = HeaderKind::Design,
                                 .askSize = true,
                                 .swmm = true,
                                 .floodedOnly = false,
                                 .notes = Notes::Physical,
                                 .table = SwmmPhysicalTable};

void StartScreen(shell::Session& s, const char* title) {
    s.switches.atMainMenu = false;
    s.console.clrScr();
    s.screen.ShowHeader(cp(title));
    s.screen.ShowLegend(network::general::kLegend);
    s.switches.endKeys = "Enter Esc";
}

// The sheet range, and the smallest collector listed when size is given. True for Enter.
bool AskRange(shell::Session& s, const char* title, int* size) {
    StartScreen(s, title);
    const uint8_t answer = size ? listings::AskSheetRangeAndSize(s, cp(title), *size)
                                : listings::AskSheetRange(s, cp(title));
    s.switches.endKeys = "Enter";
    return answer == key::Enter;
}

// No row was selected: the warning of an empty listing, nothing written.
void NothingToList(shell::Session& s) {
    listings::RemoveListingFiles(s);
    listings::CheckListingNotEmpty(s);
}

void WriteNotes(DesignPages& pages, Notes notes) {
    if (notes == Notes::None) return;
    pages.Line("");
    pages.Line(" NOTAS: ");
    if (notes == Notes::Hydraulic)
        pages.Line(cp(std::string(kNotesIndent) +
                      "<**> la profundidad minima a clave define el diseño.   Los datos "
                      "resaltados son los que definen el diseño de un tramo."));
    else
        pages.Line(cp(std::string(kNotesIndent) +
                      "<**> la profundidad minima a clave define el diseño. Puede ser la "
                      "profundidad minima general o especfica para el tramo."));
}

bool Listed(const TramoT& t, int minimumSize) {
    return minimumSize <= 0 || t.Diameter >= minimumSize;
}

void ListReaches(shell::Session& s, const ReachListing& listing) {
    if (!network::general::LoadSector(s)) return;  // the report is named after the project
    if (listing.swmm && !CheckSwmmListingsReady(s)) return;
    DesignCopy copy;
    if (!LoadDesignCopy(s, copy)) return;
    SwmmResults swmm;
    if (listing.swmm) {
        network::general::ShowWait(s);
        swmm = ReadSwmmResults(s);
        if (listing.floodedOnly && swmm.flooded.empty()) {
            s.ui.showWarning(cp("No hay nada para revisar en los perfiles\rTodo esta correcto"),
                             "Informacion");
            return;
        }
    }
    int size = StartingCollectorSize(s.project.espec);
    if (!AskRange(s, listing.rangeTitle, listing.askSize ? &size : nullptr)) return;
    if (!listing.askSize) size = 0;

    std::vector<std::pair<std::string, std::string>> nodes;
    if (listing.swmm) {
        const swmm::SwmmModel model =
            swmm::BuildSwmmModel(copy.records, s.project.espec, s.project.header.DesignClass);
        for (const swmm::SwmmLinkT& link : model.links)
            nodes.emplace_back(link.inlet, link.outlet);
    }
    const tables::Context context{s, copy, listing.swmm ? &swmm : nullptr,
                                  listing.swmm ? &nodes : nullptr};

    std::vector<int> network, removed;
    for (int k = 0; k < static_cast<int>(copy.records.size()); ++k) {
        const TramoT& t = copy.records[static_cast<size_t>(k)];
        if (!Listed(t, size)) continue;
        if (k < copy.networkCount) {
            const auto at = static_cast<size_t>(k);
            if (listing.floodedOnly && !swmm.isFlooded(tables::InletName(context, at, t)) &&
                !swmm.isFlooded(tables::OutletName(context, at, t)))
                continue;
            network.push_back(k);
        } else if (!listing.floodedOnly) {
            removed.push_back(k);
        }
    }
    if (network.empty() && removed.empty()) return NothingToList(s);

    const tables::Table table = listing.table(context);
    bool inRemoved = network.empty();
    DesignPages pages(s, listing.header, cp(inRemoved ? kRemovedTitle : listing.pageTitle),
                      cells::TableWidth(table.columns));
    pages.viewerTitle = cp(listing.caption);
    pages.heading = [&] {
        if (inRemoved)
            for (const std::string& line : cells::FramedLine(table.columns, cp(kRemovedSection)))
                pages.Line(line);
        for (const std::string& line : cells::Heading(table.columns))
            pages.Line(line);
    };
    pages.closeTable = [&] { pages.Line(cells::Bottom(table.columns)); };
    if (!pages.Begin()) return;
    bool going = true;
    for (int k : network) {
        going = pages.Row(table.row(k + 1, copy.records[static_cast<size_t>(k)], false));
        if (!going) break;
    }
    if (going && !removed.empty()) {
        if (!inRemoved) {
            inRemoved = true;
            going = pages.NewPage(cp(kRemovedTitle));
        }
        for (size_t j = 0; going && j < removed.size(); ++j) {
            const int k = removed[j];
            going = pages.Row(table.row(k + 1, copy.records[static_cast<size_t>(k)], true));
        }
    }
    pages.Finish([&] {
        pages.Line(cells::Bottom(table.columns));
        WriteNotes(pages, listing.notes);
    });
}

}  // namespace

void ListHydraulicDesign(shell::Session& s) {
    // The class decides the form: the hydraulic-model classes list the model's results.
    if (!network::general::LoadSector(s)) return;
    const int designClass = s.project.header.DesignClass;
    ListReaches(s, designClass >= 6 && designClass <= 9 ? kSwmmHydraulic : kHydraulic);
}

void ListPhysicalDesign(shell::Session& s) {
    ListReaches(s, kPhysical);
}

void ListSanitaryFlows(shell::Session& s) {
    if (!network::general::LoadSector(s)) return;
    ListReaches(s, s.project.header.DesignClass == 4 ? kStorm : kSanitary);
}

void ListStormFlows(shell::Session& s) {
    ListReaches(s, kStorm);
}

void ListSwmmHydraulicFlooded(shell::Session& s) {
    ListReaches(s, kSwmmHydraulicFlooded);
}

void ListSwmmPhysicalFlooded(shell::Session& s) {
    ListReaches(s, kSwmmPhysicalFlooded);
}

void ListSwmmHydraulic(shell::Session& s) {
    ListReaches(s, kSwmmHydraulic);
}

void ListSwmmPhysical(shell::Session& s) {
    ListReaches(s, kSwmmPhysical);
}

void ListEnergyJunctions(shell::Session& s) {
    DesignCopy copy;
    if (!LoadDesignCopy(s, copy)) return;
    if (!AskRange(s, "EMPALMES DE ENERGIA ", nullptr)) return;
    // One row per tributary, where the design joins by energy.
    std::vector<std::pair<int, int>> junctions;
    if (s.project.espec.EnergyJunctionDiameter > 0) {
        for (int k = 0; k < copy.networkCount; ++k) {
            TramoT& t = copy.records[static_cast<size_t>(k)];
            const int receiver = ReceiverRecord(t);
            if (receiver >= 1 && receiver <= copy.networkCount && receiver != k + 1)
                junctions.emplace_back(k, receiver - 1);
        }
    }
    if (junctions.empty()) return NothingToList(s);
    const tables::Context context{s, copy, nullptr};
    const std::vector<cells::Column> columns = tables::JunctionColumns();
    DesignPages pages(s, HeaderKind::Junctions, cp("< EMPALMES DE ENERGIA >"),
                      cells::TableWidth(columns));
    pages.viewerTitle = cp("Empalmes Energia");
    pages.heading = [&] {
        for (const std::string& line : cells::Heading(columns))
            pages.Line(line);
    };
    pages.closeTable = [&] { pages.Line(cells::Bottom(columns)); };
    if (!pages.Begin()) return;
    for (const auto& [k, r] : junctions) {
        TramoT& t = copy.records[static_cast<size_t>(k)];
        TramoT& receiver = copy.records[static_cast<size_t>(r)];
        if (!pages.Row(tables::JunctionRow(context, k + 1, t, receiver))) break;
    }
    pages.Finish([&] { pages.Line(cells::Bottom(columns)); });
}

void ListAddedManholes(shell::Session& s) {
    DesignCopy copy;
    if (!LoadDesignCopy(s, copy)) return;
    std::vector<int> marked;
    for (int k = 0; k < copy.networkCount; ++k)
        if (NewInitialManhole(copy.records[static_cast<size_t>(k)]) == 1) marked.push_back(k);
    if (marked.empty()) {
        s.ui.showWarning(cp("No existen pozos iniciales nuevos\radicionados durante el diseño"),
                         "Advertencia");
        return;
    }
    s.listing.FirstSheet = 1;
    s.listing.LastSheet = 0;
    listings::ListingRun run(
        s, cp("RELACION DE TRAMOS INICIALES CON POZOS NUEVOS ADICIONADOS DURANTE EL DISEÑO"), 97);
    run.viewerTitle = cp("Pozos Iniciales Nuevos Adicionados");
    run.heading = [&] {
        for (const std::string& line : tables::AddedManholeHeading())
            run.Line(line);
    };
    run.closeTable = [&] { run.Line(tables::AddedManholeBottom()); };
    if (!run.Begin()) return;
    for (size_t j = 0; j < marked.size(); j += 3) {
        std::vector<const TramoT*> entries;
        std::vector<int> lines;
        for (size_t i = j; i < marked.size() && i < j + 3; ++i) {
            entries.push_back(&copy.records[static_cast<size_t>(marked[i])]);
            lines.push_back(marked[i] + 1);
        }
        if (!run.Row(tables::AddedManholeRow(entries, lines))) break;
    }
    run.Finish([&] { run.Line(tables::AddedManholeBottom()); });
}

void ShowSwmmReport(shell::Session& s) {
    if (!network::general::LoadSector(s)) return;
    std::vector<TramoT> reaches;
    std::string error;
    if (!swmm::LoadDesignReaches(s.project, reaches, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    swmm::SwmmContext context{s.project, s.ui, &s.screen, swmm::SessionSwmmFolder(s), false, ""};
    s.viewerState.ReportMode = true;  // printing breaks the report every 100 lines
    swmm::ReadSwmmReport(context, reaches, false, s.viewer);
    s.viewerState.ReportMode = false;
}

void ListDesign(shell::Session& s, char key) {
    switch (key) {
        case 'C':
            return ListHydraulicDesign(s);
        case 'D':
            return ListPhysicalDesign(s);
        case 'E':
            return ListSanitaryFlows(s);
        case 'F':
            return ListStormFlows(s);
        case 'G':
            return ListEnergyJunctions(s);
        case 'H':
            return ListAddedManholes(s);
        case 'I':
            return ShowSwmmReport(s);
        case 'J':
            return ListSwmmHydraulicFlooded(s);
        case 'K':
            return ListSwmmPhysicalFlooded(s);
        case 'M':
            return ListSwmmHydraulic(s);
        case 'N':
            return ListSwmmPhysical(s);
        default:
            return;
    }
}

// ---- Sub-menu ----

namespace {

const shell::LetterMenu kMenu{"LISTADOS DE DISEÑO",
                              network::general::kLegend,
                              18,
                              7,
                              68,
                              {
                                  {'C', "Diseño Hidraulico"},
                                  {'D', "Diseño Fisico"},
                                  {'E', "Caudales Sanitarios"},
                                  {'F', "Caudales Pluviales"},
                                  {'G', "Empalmes Energia"},
                                  {'H', "Pozos Iniciales Nuevos Adicionados"},
                                  {'I', "Reporte SWMM"},
                                  {'J', "Diseño Hidraulico para Swmm  (inundados)"},
                                  {'K', "Diseño Fisico para Swmm  (inundados)"},
                                  {'M', "Diseño hidraulico para Swmm"},
                                  {'N', "Diseño fisico para Swmm"},
                              }};

}  // namespace

void RunDesignListings(shell::Session& s) {
    shell::RunLetterMenu(s, kMenu, [&s](char letter) { ListDesign(s, letter); });
}

}  // namespace nivex::design
