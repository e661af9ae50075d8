#include "quantities/price_form_listing.h"

#include <algorithm>

#include "console/codepage.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"
#include "network/network_controls.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_run.h"
#include "shell/session.h"

namespace nivex::quantities {
namespace {

constexpr const char* kRangeTitle = "LISTADO FORMULARIO DE PRECIOS UNITARIOS ";
constexpr const char* kNeededTitle = "FORMULARIO DE PRECIOS UNITARIOS REQUERIDOS";
constexpr const char* kAllTitle = "FORMULARIO DE PRECIOS UNITARIOS";
constexpr const char* kWait = "... Voy a listar .. Espere ...";
constexpr int kWidth = 104;
// Item number, text, unit and quantity; the price is left blank for the hand.
constexpr const char* kItemPicture =
    " \\      \\ \\                                                    \\ \\    \\ "
    "###,###,###.##";
constexpr int kPriceBlank = 20;

std::string Padded(std::string text, size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}

std::string HeadingLine() {
    return Padded(" ITEM", 10) + Padded("DESCRIPCION", 55) + Padded("UNIDAD", 7) +
           "      CANTIDAD" + "   " + "PRECIO UNITARIO ($)";
}

}  // namespace

int PricedSystem(const specs::EspecT&) {
    // The total system is never computed: its file holds only the removals, which the new
    // system's file holds as well. Reading it would leave every other item out of the form
    // of a network with existing reaches.
    return kSystemNew;
}

std::vector<std::string> PriceFormLines(const std::vector<budget::BudgetChapter>& chapters,
                                        const QuantityTables& tables, bool neededOnly) {
    std::vector<std::string> lines;
    const std::string picture = cp(kItemPicture);
    for (const budget::BudgetChapter& chapter : chapters) {
        std::vector<std::string> body;
        int number = 0;
        for (const budget::ItemGroup& group : chapter.groups) {
            std::vector<std::string> items;
            for (const budget::BudgetItem& item : group.items) {
                ++number;  // an item keeps its number whether it is listed or not
                const double quantity = RoundTo2(budget::ItemQuantity(tables, item));
                if (neededOnly && !(quantity > 0)) continue;
                items.push_back(listings::FormatLine(picture, {std::to_string(chapter.number) +
                                                                   "." + std::to_string(number),
                                                               item.text, chapter.unit, quantity}) +
                                "   " + std::string(kPriceBlank, '_'));
            }
            if (items.empty()) continue;
            if (!group.heading.empty()) body.push_back("   " + group.heading);
            body.insert(body.end(), items.begin(), items.end());
        }
        if (body.empty()) continue;
        lines.push_back("");
        lines.push_back("CAPITULO #" + std::to_string(chapter.number) + " - " + chapter.title);
        lines.insert(lines.end(), body.begin(), body.end());
    }
    return lines;
}

void ListPriceForm(shell::Session& s, bool neededOnly) {
    std::string error;
    if (!network::LoadControlState(s.project, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    if (!network::general::ConfirmWithRange(s, kRangeTitle)) return;
    s.screen.WriteCentred(12, kWait);

    const specs::EspecT& e = s.project.espec;
    const int system = PricedSystem(e);
    const QuantityLimits limits = LimitsOf(e);
    QuantityTables tables;
    tables.Clear(limits.sizeCount());
    // A missing file leaves every quantity at 0; a damaged one must not be priced.
    const QuantityFileResult read =
        ReadQuantityFile(QuantityFilePath(s.project.files, system), limits.sizeCount(), tables);
    if (read.status == FileRead::Damaged) {
        s.ui.showError(read.error, "Error");
        return;
    }
    const std::vector<std::string> body =
        PriceFormLines(budget::BuildBudgetChapters(e), tables, neededOnly);

    listings::ListingRun run(s, cp(neededOnly ? kNeededTitle : kAllTitle), kWidth);
    run.heading = [&] {
        run.Line("[ " + SystemTitle(system) + " ]");
        run.Line("");
        run.Line(HeadingLine());
        run.Line(std::string(kWidth, '-'));
    };
    if (!run.Begin()) return;
    for (const std::string& line : body)
        if (!run.Row(line)) break;
    run.Finish();
}

void ListRequiredPrices(shell::Session& s) {
    ListPriceForm(s, true);
}

void ListAllPrices(shell::Session& s) {
    ListPriceForm(s, false);
}

}  // namespace nivex::quantities
