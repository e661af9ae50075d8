#include "summary/summary_listings.h"

#include <array>
#include <functional>

#include "budget/budget_listings.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "listings/listing_catalog.h"
#include "listings/listing_steps.h"
#include "network/general_listing_parts.h"
#include "network/network_controls.h"
#include "quantities/quantity_rules.h"
#include "shell/letter_menu.h"
#include "shell/session.h"

namespace nivex::summary {
namespace {

using console::CampoT;
using console::ColourMode;

constexpr const char* kSummaryScreen = "LISTADO RESUMEN GENERAL DEL PROYECTO";
constexpr const char* kIndexScreen = "LISTADO DE INDICE GENERAL DEL PROYECTO";
constexpr const char* kAllExisting =
    "Por ser todos los tramos existentes,\rno hay resumen de diseño que mostrar";
constexpr int kWaitRow = 7;
constexpr int kIdentificationRecord = 1;

void TitleScreen(shell::Session& s, const char* title) {
    s.switches.atMainMenu = false;
    s.console.clrScr();
    s.screen.ShowHeader(cp(title));
    s.screen.ShowLegend(network::general::kLegend);
    s.switches.endKeys = "Enter Esc";
}

// Listings without a sheet-range box keep every sheet.
void WholeListing(shell::Session& s) {
    s.listing.FirstSheet = 1;
    s.listing.LastSheet = 0;
}

// The change made on the control records as they stand in the file, then written.
bool Store(shell::Session& s, std::initializer_list<int> records,
           const std::function<void(project::Project&)>& change) {
    std::string error;
    const bool saved = network::WithControl(s.project, &error, [&] {
        change(s.project);
        return network::SaveControlRecords(s.project, records, &error);
    });
    if (!saved) s.ui.showError(cp(error), "Error");
    return saved;
}

// The options screen; false on Esc. The answers start from the mask.
bool AskIndexOptions(shell::Session& s, IndexAnswers& answers) {
    console::Screen& screen = s.screen;
    UiSwitches& sw = s.switches;
    // Prompts as the screen words them: padded so that the answers stand in one column.
    static constexpr std::array<const char*, kIndexOptions> kPrompts = {
        "Cuadro de Calculo de Colectores Principales      :",
        "Problemas de Capacidad o Empalme                 :",
        "Deficiencias en Tramos Existentes o Restringidos :",
        "Datos Generales de los Tramos                    :",
        "Datos Especiales de los Tramos                   :",
        "Resumen de los Tramos                            :",
        "Relacion de los tramos                           :",
        "Lista de Precios Unitarios                       :",
    };
    static constexpr std::array<int, kIndexOptions> kRows = {3, 4, 5, 8, 9, 10, 11, 12};
    std::vector<CampoT> fields;
    std::vector<std::string> values;
    for (size_t k = 0; k < kPrompts.size(); ++k) {
        fields.push_back(console::AnswerField(kPrompts[k], kRows[k]));
        values.emplace_back(answers[k] ? "S" : "N");
    }
    fields.push_back(
        console::AnswerField("        Para continuar oprima [Enter]            :", 15, ""));
    values.emplace_back(" ");
    const size_t last = fields.size() - 1;

    const std::string endKeys = sw.endKeys;
    const bool opened = screen.OpenWindow('D', 10, 4, 0, "", 0, 22, 72);
    screen.SetColours(ColourMode::NormalEmphasis);
    s.console.gotoXY(3, 2);
    s.console.writeText("LISTADOS OPCIONALES EN DISENO Y CALCULO");
    s.console.gotoXY(3, 7);
    s.console.writeText("LISTADOS OPCIONALES EN ANEXOS (DATOS DE ENTRADA)");
    screen.SetColours(ColourMode::Normal);
    sw.endKeys = "Enter Up Dn Esc";
    screen.ClearZones();
    for (size_t k = 0; k < fields.size(); ++k) {
        screen.ShowField(fields[k], &values[k], 2);
        screen.AddFieldZone(fields[k], static_cast<int>(k) + 1);
    }

    size_t current = 0;
    bool go = true;
    for (;;) {
        screen.EditField(fields[current], &values[current]);
        const uint8_t key = sw.lastKey;
        if (key == key::Esc) {
            go = false;
            break;
        }
        if (key == key::Up) {
            if (current > 0) --current;
        } else if (key == key::AltM) {
            const int clicked = screen.SelectClickedField() - 1;
            if (clicked >= 0 && clicked <= static_cast<int>(last))
                current = static_cast<size_t>(clicked);
        } else if (current < last) {
            ++current;
        } else if (key == key::Enter) {
            break;
        }
    }
    screen.ZonesOff();
    if (opened) screen.CloseWindow();
    sw.endKeys = endKeys;
    for (size_t k = 0; k < answers.size(); ++k)
        answers[k] = values[k] == "S";
    return go;
}

// The sector number the index names: only a sector of a project with sectors has one.
int IndexedSector(const shell::Session& s) {
    const project::Selection& sel = s.project.selection;
    if (!sel.severalSectors() || sel.sector.empty() || sel.sector == "0") return 0;
    return sel.sector[0] - '0';
}

void WriteIndex(shell::Session& s, const std::vector<std::string>& lines) {
    WholeListing(s);
    listings::ListingRun run(s, "Indice General Proyecto", kSummaryWidth);
    run.pageHeader = [](std::string_view, int) { return std::vector<std::string>{}; };
    if (!run.Begin()) return;
    for (const std::string& line : lines)
        if (!run.Row(line)) break;
    run.Finish();
}

}  // namespace

bool ConfirmIdentification(shell::Session& s) {
    std::string text = s.project.espec.ListingIdentification;
    const char answer = s.identification ? s.identification->run(text) : 'S';
    if (text.size() > 55) text.resize(55);
    if (text != s.project.espec.ListingIdentification &&
        !Store(s, {kIdentificationRecord},
               [&](project::Project& p) { p.espec.ListingIdentification = text; }))
        return false;
    return answer == 'S';
}

void ListSummary(shell::Session& s) {
    if (!budget::BudgetListingAllowed(s)) return;
    TitleScreen(s, kSummaryScreen);
    project::Project& p = s.project;
    if (p.espec.HasNewReach == 0) {
        s.ui.showWarning(cp(kAllExisting), "Informacion");
        return;
    }
    if (!ConfirmIdentification(s)) return;

    s.screen.WriteCentred(kWaitRow, "... espere ...");
    const int sizes = quantities::LimitsOf(p.espec).sizeCount();
    quantities::QuantityTables tables;
    if (!budget::ReadListedQuantities(s, quantities::kSystemNew, sizes, tables)) return;
    budget::BudgetValues values;
    values.Clear(sizes);
    const budget::PriceFileResult read = budget::ReadBudgetFile(
        budget::BudgetFilePath(p.files, quantities::kSystemNew), sizes, values);
    if (read.status == budget::PriceRead::Damaged) {
        s.ui.showError(read.error, "Error");
        return;
    }
    s.screen.WriteCentred(kWaitRow, "... listando ...");

    WholeListing(s);
    listings::ListingRun run(s, "RESUMEN  GENERAL", kSummaryWidth);
    run.viewerTitle = "Resumen General Proyecto";
    if (!run.Begin()) return;
    for (const std::string& line :
         SummaryBody(p.header.DesignClass, p.espec.ListingIdentification, tables, values))
        if (!run.Row(line)) break;
    run.Finish();
}

namespace {

// ask: the options screen edits the answers, which start from given or, without them,
// from the mask.
void RunIndex(shell::Session& s, const std::optional<IndexAnswers>& given, bool ask) {
    if (!budget::BudgetListingAllowed(s)) return;
    TitleScreen(s, kIndexScreen);
    project::Project& p = s.project;
    if (p.selection.isTotaliser() && p.selection.severalSectors()) {
        if (s.ui.askYesNo(cp("Desea listar el indice general del proyecto ?"), "Confirmacion") !=
            'S')
            return;
        WriteIndex(s, ConsolidatedIndexLines());
        return;
    }

    IndexAnswers answers = given ? *given : OfferedAnswers(p.header.IndexOptions);
    const bool go = !ask || AskIndexOptions(s, answers);
    const int mask = MaskOf(answers);
    if (!Store(s, {}, [mask](project::Project& q) { q.header.IndexOptions = mask; }) || !go) return;
    WriteIndex(s, IndexLines(p.header.DesignClass, answers, IndexedSector(s)));
}

}  // namespace

void ListIndex(shell::Session& s) {
    RunIndex(s, std::nullopt, true);
}

void ListIndexAnswered(shell::Session& s, const std::optional<IndexAnswers>& answers) {
    RunIndex(s, answers, false);
}

void RunSummaryListings(shell::Session& s) {
    const shell::LetterMenu menu{
        "LISTADOS DE RESUMEN",
        network::general::kLegend,
        18,
        7,
        68,
        {{'A', "Resumen General Proyecto"}, {'B', "Indice General Proyecto"}}};
    shell::RunLetterMenu(s, menu, [&s](char letter) {
        const std::string key{'Z', letter};
        if (const listings::ListingDef* def = listings::FindListing(key)) def->run(s);
    });
}

}  // namespace nivex::summary
