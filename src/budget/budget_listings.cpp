#include "budget/budget_listings.h"

#include <algorithm>

#include "console/codepage.h"
#include "listings/listing_catalog.h"
#include "listings/listing_file.h"
#include "listings/listing_steps.h"
#include "network/general_listing_parts.h"
#include "network/network_controls.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"
#include "shell/letter_menu.h"
#include "shell/session.h"

namespace nivex::budget {
namespace {

using quantities::QuantityTables;

constexpr const char* kNotComputed = "... Falta calcular los presupuestos ...";
constexpr const char* kPriceRangeTitle = "LISTADO DE PRECIOS UNITARIOS ";
constexpr const char* kBudgetRangeTitle = "LISTADO DEL PRESUPUESTO ";
constexpr const char* kWait = "... voy a listar .. espere ...";
constexpr const char* kPriceKind = "[ LISTA TOTAL DE PRECIOS ]";
constexpr const char* kPriceTitle =
    "****  L  I  S  T  A   D  E     P  R  E  C  I  O  S     U  N  I  T  A  R  I  O  S  ****";
constexpr const char* kBudgetTitle = "PRESUPUESTO DE OBRA";
constexpr const char* kColumns =
    "D   E   T   A   L   L   E                 CANTIDAD       V/R UNIT.        V/R PARCIAL";
// The column heading stands over the item texts so that its captions end where the
// columns of the body lines end.
constexpr int kColumnsAt = 10;
constexpr int kWidth = 96;
constexpr int kStatusRow = 12;

// "PROYECTO : " and the name, with the sector in a sector of a project with sectors.
std::string ProjectLine(const shell::Session& s) {
    std::string text = "PROYECTO : " + s.project.header.ProjectName;
    if (text.size() > 37) text.resize(37);
    const std::string& extension = s.project.files.extension();
    const char sector = extension.empty() ? '0' : extension.back();
    if (sector > '0' && sector <= '9' && s.project.selection.sectors == "1")
        text += std::string(" - sector # ") + sector;
    return text;
}

void Place(std::string& line, int at, const std::string& text) {
    line.resize(static_cast<size_t>(std::max(at, static_cast<int>(line.size()) + 1)), ' ');
    line += text;
}

// The project, the listing kind and the sheet; the title of a price list between double
// lines; the column heading.
std::vector<std::string> HeaderLines(const shell::Session& s, const std::string& kind,
                                     bool priceList, int width, int sheet) {
    const std::string project = ProjectLine(s);
    std::string first = project;
    const int space = width - static_cast<int>(project.size()) - 10;
    Place(first, static_cast<int>(project.size()) + (space - static_cast<int>(kind.size())) / 2,
          kind);
    Place(first, width - 10, "Hoja No." + std::to_string(sheet));

    const std::string rule(static_cast<size_t>(width), static_cast<char>(listings::kDoubleLine));
    std::vector<std::string> lines{first, rule};
    if (priceList) {
        const int title = static_cast<int>(std::string_view(kPriceTitle).size());
        lines.push_back(std::string(static_cast<size_t>(std::max(0, (width - title) / 2)), ' ') +
                        kPriceTitle);
        lines.push_back(rule);
    }
    lines.push_back(std::string(kColumnsAt, ' ') + kColumns);
    lines.push_back(std::string(static_cast<size_t>(width), '-'));
    return lines;
}

// The budget run wrote a file for every system it priced: a missing one means the
// values cannot be shown.
bool ReadValues(shell::Session& s, int system, int sizes, BudgetValues& values) {
    values.Clear(sizes);
    const std::string path = BudgetFilePath(s.project.files, system);
    const PriceFileResult read = ReadBudgetFile(path, sizes, values);
    if (read.status == PriceRead::Read) return true;
    s.ui.showError(read.status == PriceRead::Damaged
                       ? read.error
                       : cp("No se encontro el archivo del presupuesto ") + path,
                   "Error");
    return false;
}

std::string RefusalMessage(int count) {
    return "Como " + std::to_string(count) + " precio(s) unitario(s) esta(n) en CERO" + "\r" +
           "no se muestra el presupuesto de obra, por estar incompleto.";
}

struct SystemBudget {
    int system = 0;
    QuantityTables tables;
    BudgetValues values;
};

bool ReadPrices(shell::Session& s, int firstDuct, UnitPrices& prices) {
    const PriceFileResult read = ReadPriceFile(PriceFilePath(s.project), firstDuct, prices);
    if (read.status != PriceRead::Damaged) return true;
    s.ui.showError(read.error, "Error");
    return false;
}

}  // namespace

bool BudgetListingAllowed(shell::Session& s) {
    std::string error;
    if (!network::LoadControlState(s.project, &error)) {
        s.ui.showError(cp(error), "Error");
        return false;
    }
    if (s.project.header.StageDone[3] != 0) return true;
    s.screen.ShowMessageBox(cp(kNotComputed));
    return false;
}

bool ReadListedQuantities(shell::Session& s, int system, int sizes, QuantityTables& tables) {
    tables.Clear(sizes);
    const quantities::QuantityFileResult read = quantities::ReadQuantityFile(
        quantities::QuantityFilePath(s.project.files, system), sizes, tables);
    if (read.status != quantities::FileRead::Damaged) return true;
    s.ui.showError(read.error, "Error");
    return false;
}

void ListUnitPrices(shell::Session& s) {
    if (!BudgetListingAllowed(s)) return;
    const specs::EspecT& e = s.project.espec;
    const quantities::QuantityLimits limits = quantities::LimitsOf(e);
    // Always the new system: the total system's file holds only the removals, and the
    // new system's file holds them as well, with every other item.
    QuantityTables tables;
    if (!ReadListedQuantities(s, quantities::kSystemNew, limits.sizeCount(), tables)) return;
    UnitPrices prices;
    if (!ReadPrices(s, limits.firstDuct, prices)) return;
    if (!network::general::ConfirmWithRange(s, kPriceRangeTitle)) return;
    s.screen.WriteCentred(kStatusRow, kWait);

    const std::vector<std::string> body = UnitPriceLines(ListingChapters(e), tables, prices);
    listings::ListingRun run(s, kPriceTitle, kWidth);
    run.viewerTitle = "Lista Precios";
    run.pageHeader = [&](std::string_view, int sheet) {
        return HeaderLines(s, kPriceKind, true, run.width(), sheet);
    };
    if (!run.Begin()) return;
    for (const std::string& line : body)
        if (!run.Row(line)) break;
    run.Finish();
}

void ListBudget(shell::Session& s) {
    if (!BudgetListingAllowed(s)) return;
    const specs::EspecT& e = s.project.espec;
    const quantities::QuantityLimits limits = quantities::LimitsOf(e);
    const int sizes = limits.sizeCount();
    const std::vector<BudgetChapter> chapters = ListingChapters(e);
    UnitPrices prices;
    if (!ReadPrices(s, limits.firstDuct, prices)) return;

    // An incomplete budget is not shown: the first system with needed items at 0 says how
    // many.
    std::vector<SystemBudget> systems;
    for (int system : BudgetSystems(e)) {
        SystemBudget& b = systems.emplace_back();
        b.system = system;
        if (!ReadListedQuantities(s, system, sizes, b.tables)) return;
        const int count = CountUnpriced(chapters, b.tables, prices);
        if (count > 0) {
            s.ui.showError(RefusalMessage(count), "Advertencia");
            return;
        }
    }
    if (!network::general::ConfirmWithRange(s, kBudgetRangeTitle)) return;
    // Every file is read before the listing starts, so a damaged one leaves no listing.
    for (SystemBudget& b : systems)
        if (!ReadValues(s, b.system, sizes, b.values)) return;

    int current = systems.empty() ? quantities::kSystemNew : systems.front().system;
    listings::ListingRun run(s, kBudgetTitle, kWidth);
    run.viewerTitle = "Presupuesto Obra";
    run.pageHeader = [&](std::string_view, int sheet) {
        return HeaderLines(s, BudgetKind(current), false, run.width(), sheet);
    };
    if (!run.Begin()) return;
    bool going = true;
    for (size_t k = 0; k < systems.size() && going; ++k) {
        current = systems[k].system;
        if (k > 0 && !run.NewPage(kBudgetTitle)) break;
        for (const std::string& line :
             BudgetLines(chapters, systems[k].tables, prices, systems[k].values)) {
            going = run.Row(line);
            if (!going) break;
        }
    }
    run.Finish();
}

void RunBudgetListings(shell::Session& s) {
    const shell::LetterMenu menu{"LISTADOS DEL PRESUPUESTO",
                                 network::general::kLegend,
                                 18,
                                 7,
                                 68,
                                 {{'A', "Precios Unitarios"}, {'B', "Presupuesto de Obra"}}};
    shell::RunLetterMenu(s, menu, [&s](char letter) {
        const std::string key{'Y', letter};
        if (const listings::ListingDef* def = listings::FindListing(key)) def->run(s);
    });
}

}  // namespace nivex::budget
