#include "exchange/xlsx_content.h"

#include <algorithm>
#include <filesystem>

#include "budget/budget_listings.h"
#include "budget/budget_run.h"
#include "budget/price_file.h"
#include "console/codepage.h"
#include "network/network_controls.h"
#include "network/reach_file.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_listing.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"

namespace nivex::exchange {
namespace {

namespace q = nivex::quantities;
namespace bu = nivex::budget;

bool ReadDesign(project::Project& p, WorkbookContent& c, std::string* error) {
    const std::string path = p.files.designCopy();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        *error = "falta hacer o repetir el diseño del proyecto (no existe " + path + ")";
        return false;
    }
    network::TramoFile file;
    if (!file.Open(path)) {
        *error = toUtf8(file.error());
        return false;
    }
    c.design.reserve(static_cast<size_t>(std::max(0, file.count())));
    for (int line = 1; line <= file.count(); ++line) {
        network::TramoT t;
        if (!file.Read(line, t)) {
            *error = toUtf8(file.error());
            file.Close();
            return false;
        }
        c.design.push_back(design::DesignCells(line, t));
    }
    file.Close();
    return true;
}

// A system's quantity file into tables; a missing file leaves them at zero, as the listing
// takes it.
bool ReadTables(project::Project& p, int system, int sizes, q::QuantityTables& t,
                std::string* error) {
    t.Clear(sizes);
    const q::QuantityFileResult read =
        q::ReadQuantityFile(q::QuantityFilePath(p.files, system), sizes, t);
    if (read.status != q::FileRead::Damaged) return true;
    *error = toUtf8(read.error);
    return false;
}

double RoundedQuantity(const q::QuantityTables& t, const bu::BudgetItem& item) {
    return q::RoundTo2(bu::ItemQuantity(t, item));
}

bool ReadQuantities(project::Project& p, const std::vector<bu::BudgetChapter>& chapters,
                    WorkbookContent& c, std::string* error) {
    const specs::EspecT& e = p.espec;
    const int sizes = q::LimitsOf(e).sizeCount();
    const std::vector<int> systems = q::ListedSystems(e.HasNewReach == 1, e.HasExistingReach == 1,
                                                      std::clamp(e.StageCount, 0, q::kMaxStages));
    std::vector<q::QuantityTables> tables(systems.size());
    for (size_t k = 0; k < systems.size(); ++k) {
        if (!ReadTables(p, systems[k], sizes, tables[k], error)) return false;
        c.quantities.systems.push_back(q::SystemTitle(systems[k]));
    }
    // The items of the budget chapters that some system has, under their headings.
    for (const bu::BudgetChapter& chapter : chapters) {
        std::vector<QuantityRow> rows;
        for (const bu::ItemGroup& group : chapter.groups) {
            std::vector<QuantityRow> items;
            for (const bu::BudgetItem& item : group.items) {
                QuantityRow row{QuantityRow::Item, toUtf8(item.text), chapter.unit, {}};
                bool any = false;
                for (const q::QuantityTables& t : tables) {
                    row.values.push_back(RoundedQuantity(t, item));
                    any = any || row.values.back() > 0;
                }
                if (any) items.push_back(std::move(row));
            }
            if (items.empty()) continue;
            if (!group.heading.empty())
                rows.push_back({QuantityRow::Group, toUtf8(group.heading), "", {}});
            rows.insert(rows.end(), items.begin(), items.end());
        }
        if (rows.empty()) continue;
        c.quantities.rows.push_back({QuantityRow::Chapter,
                                     std::to_string(chapter.number) + ". " + toUtf8(chapter.title),
                                     "",
                                     {}});
        c.quantities.rows.insert(c.quantities.rows.end(), rows.begin(), rows.end());
    }
    c.hasQuantities = true;
    return true;
}

BudgetSystemRows SystemRows(int system, const std::vector<bu::BudgetChapter>& chapters,
                            const q::QuantityTables& t, const bu::UnitPrices& prices,
                            const bu::BudgetValues& v) {
    BudgetSystemRows s;
    s.title = q::SystemTitle(system);
    for (const bu::BudgetChapter& chapter : chapters) {
        BudgetChapterRows& c = s.chapters.emplace_back();
        c.number = chapter.number;
        c.title = toUtf8(chapter.title);
        c.subtotal = v.chapters[static_cast<size_t>(chapter.number)];
        for (const bu::ItemGroup& group : chapter.groups) {
            std::vector<BudgetRow> rows;
            for (const bu::BudgetItem& item : group.items) {
                const double quantity = RoundedQuantity(t, item);
                if (!(quantity > 0)) continue;
                const double price = bu::PriceOf(prices, item);
                rows.push_back({BudgetRow::Item, toUtf8(item.text), chapter.unit, quantity, price,
                                bu::ItemValue(v, item, quantity, price)});
            }
            if (rows.empty()) continue;
            if (!group.heading.empty())
                c.rows.push_back({BudgetRow::Group, toUtf8(group.heading), "", 0, 0, 0});
            c.rows.insert(c.rows.end(), rows.begin(), rows.end());
        }
    }
    BudgetChapterRows& lumpSums = s.chapters.emplace_back();
    lumpSums.number = bu::kChapters;
    lumpSums.title = "ITEMS ESPECIALES";
    lumpSums.subtotal = v.chapters[bu::kChapters];
    for (const bu::GlobalItemT& item : v.globals)
        lumpSums.rows.push_back({BudgetRow::LumpSum,
                                 toUtf8(bu::LumpSumText(item.description, item.tag)), "", 0, 0,
                                 item.value});
    s.total = v.total;
    return s;
}

bool ReadBudget(project::Project& p, const std::vector<bu::BudgetChapter>& chapters,
                WorkbookContent& c, std::string* error) {
    const specs::EspecT& e = p.espec;
    const q::QuantityLimits limits = q::LimitsOf(e);
    const int sizes = limits.sizeCount();
    bu::UnitPrices prices;
    const bu::PriceFileResult priceRead =
        bu::ReadPriceFile(bu::PriceFilePath(p), limits.firstDuct, prices);
    if (priceRead.status == bu::PriceRead::Damaged) {
        *error = toUtf8(priceRead.error);
        return false;
    }
    std::vector<BudgetSystemRows> systems;
    for (int system : bu::BudgetSystems(e)) {
        q::QuantityTables t;
        if (!ReadTables(p, system, sizes, t, error)) return false;
        // A system with needed items at price 0 was valued at zero: no budget to show.
        if (const int count = bu::CountUnpriced(chapters, t, prices); count > 0) {
            c.omitted.push_back("Presupuesto: no se incluye porque en " + q::SystemTitle(system) +
                                " " + std::to_string(count) +
                                " precio(s) unitario(s) esta(n) en CERO");
            return true;
        }
        bu::BudgetValues v;
        v.Clear(sizes);
        const std::string path = bu::BudgetFilePath(p.files, system);
        const bu::PriceFileResult read = bu::ReadBudgetFile(path, sizes, v);
        if (read.status == bu::PriceRead::Damaged) {
            *error = toUtf8(read.error);
            return false;
        }
        if (read.status == bu::PriceRead::Missing) {
            c.omitted.push_back("Presupuesto: no se incluye porque no se encontro el archivo " +
                                path + "; calcule de nuevo el presupuesto");
            return true;
        }
        systems.push_back(SystemRows(system, chapters, t, prices, v));
    }
    c.budget = std::move(systems);
    c.hasBudget = true;
    return true;
}

}  // namespace

bool LoadWorkbookContent(project::Project& p, WorkbookContent& c, std::string* error) {
    c = WorkbookContent{};
    if (!network::LoadControlState(p, error)) return false;
    c.projectName = toUtf8(p.header.ProjectName);
    if (!ReadDesign(p, c, error)) return false;
    const std::vector<bu::BudgetChapter> chapters = bu::ListingChapters(p.espec);
    if (p.header.StageDone[2] == 0) {
        c.omitted.push_back(
            "Cantidades: no se incluyen porque falta calcular las cantidades de obra");
        c.omitted.push_back("Presupuesto: no se incluye porque falta calcular el presupuesto");
        return true;
    }
    if (!ReadQuantities(p, chapters, c, error)) return false;
    if (p.header.StageDone[3] == 0) {
        c.omitted.push_back("Presupuesto: no se incluye porque falta calcular el presupuesto");
        return true;
    }
    return ReadBudget(p, chapters, c, error);
}

}  // namespace nivex::exchange
