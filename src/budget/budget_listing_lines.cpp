// The body lines of the budget listings: the listing texts of the items and the columns
// of quantity, unit value and partial value under the column heading of the page header.

#include <algorithm>

#include "budget/budget_listings.h"
#include "console/codepage.h"
#include "listings/number_format.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"

namespace nivex::budget {
namespace {

using quantities::QuantityTables;

// The listing titles of chapters 1..9.
constexpr const char* kTitles[kChapters] = {
    "EXCAVACIONES (m3)",
    "RELLENOS COMPACTADOS (m3)",
    "CONSTRUCCION POZOS DE INSPECCION (unid)",
    "SUMINISTRO E INSTALACION DE TUBERIAS (ml)",
    "CONEXIONES DOMICILIARIAS (unid)",
    "CIMENTACION DE TUBERIAS (m3)",
    "BAJANTES CAMARA DE CAIDA (Unid)",
    "ELIMINACION TRAMOS CONSTRUIDOS (ml)",
    "ITEMS ESPECIALES",
};
constexpr int kManholeChapter = 3;
constexpr int kLumpSumChapter = 9;

constexpr const char* kEmptyChapter =
    ".... El proyecto no contiene items pertenecientes a este capitulo ....";
constexpr const char* kUnpricedChapter =
    "..... No se han introducido precios unitarios para este capitulo .....";
constexpr const char* kMissingManholes[quantities::kManholeGroups] = {
    ".... El proyecto no contiene pozos de inspeccion de 1.20 m. de diametro  ....",
    ".... El proyecto no contiene pozos de inspeccion de 1.80 m. de diametro ....",
    ".... El proyecto no contiene pozos de inspeccion de diseño especial ....",
};

// Columns: the item text fills the first kTextWidth places (a longer text gets a line of
// its own), then quantity, unit value and partial value, each ending under its caption.
constexpr size_t kTextWidth = 50;
constexpr const char* kItemPicture = "   ###,###     $##,###,###    $##,###,###,###";
constexpr const char* kPricePicture = "   ###,###     $##,###,###";
constexpr const char* kPartialPicture = "$##,###,###,###";
constexpr const char* kDots = "$ ..........";
constexpr size_t kUnitEnd = 76;     // one past the unit value column
constexpr size_t kPartialAt = 80;   // the partial value column
constexpr size_t kPartialEnd = 95;  // one past it
constexpr size_t kSubtotalAt = 50;
constexpr const char* kTotalText = "T O T A L   G E N E R A L   ";
constexpr const char* kTotalPicture = "     $##,###,###,###";

std::string Padded(std::string text, size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}

bool ReplacePrefix(std::string& text, std::string_view from, std::string_view to) {
    if (!text.starts_with(from)) return false;
    text.replace(0, from.size(), to);
    return true;
}

void ReplaceSuffix(std::string& text, std::string_view from, std::string_view to) {
    if (text.ends_with(from)) text.replace(text.size() - from.size(), from.size(), to);
}

// The listing's wording of an item of chapter n built for the price entry.
std::string ListingText(int chapter, std::string text) {
    switch (chapter) {
        case 4:
            ReplacePrefix(text, "Ducto Cuadrado ", "Ducto cuadrado ");
            break;
        case 7:
            if (!ReplacePrefix(text, "Bajante en tubo para Ducto principal ",
                               "Bajante en tubo para Ducto Cuadrado "))
                ReplacePrefix(text, "Camara especial para Ducto principal ",
                              "Camara especial para Ducto Cuadrado ");
            ReplaceSuffix(text, " milimetros", " mm");
            break;
        case 8:
            ReplacePrefix(text, "Elimin. Ducto Cuadrado - Diametro ",
                          "Elimin. tuberia - Ducto Cuadrado ");
            break;
        default:
            break;
    }
    return text;
}

// The text and the columns after it; a text too long for its place stands alone above.
void AddRow(std::vector<std::string>& lines, const std::string& text, const std::string& columns) {
    if (text.size() > kTextWidth) {
        lines.push_back(text);
        lines.push_back(std::string(kTextWidth, ' ') + columns);
        return;
    }
    lines.push_back(Padded(text, kTextWidth) + columns);
}

std::string ChapterHeading(int number, const std::string& title) {
    return "CAPITULO #" + std::to_string(number) + " - " + title;
}

double Entry(const std::vector<double>& values, int k) {
    return k >= 0 && static_cast<size_t>(k) < values.size() ? values[static_cast<size_t>(k)] : 0;
}

bool Inside(int k, int low, int high) {
    return k >= low && k <= high;
}

}  // namespace

std::string LumpSumText(const std::string& description, const std::string& tag) {
    if (tag == "E") return description + " (existente)";
    if (tag.size() == 1 && tag[0] >= '1' && tag[0] <= '3')
        return description + " (etapa#" + tag + ")";
    // "nuevo" brings no blank of its own: keep it apart from the description.
    const bool blank = description.empty() || description.back() == ' ';
    return description + (blank ? "" : " ") + "nuevo";
}

double ItemValue(const BudgetValues& v, const BudgetItem& item, double q, double price) {
    const int a = item.first, b = item.second;
    const auto ua = static_cast<size_t>(a), ub = static_cast<size_t>(b);
    switch (item.source) {
        case QuantitySource::Excavation:
            return Inside(a, 1, quantities::kMaterials) &&
                           Inside(b, 1, quantities::kExcavationRanges)
                       ? v.excavation[ua][ub]
                       : 0;
        case QuantitySource::Fill:
            return Inside(a, 1, 3) ? v.fill[ua] : 0;
        case QuantitySource::Manholes:
            return Inside(a, 0, quantities::kManholeGroups - 1) &&
                           Inside(b, 1, quantities::kManholeRanges)
                       ? v.manholes[ua][1][ub]
                       : 0;
        case QuantitySource::Pipes:
            return Inside(a, 1, quantities::kExcavationRanges) ? Entry(v.pipes[ua], b) : 0;
        case QuantitySource::Connections:
            return Entry(v.connections, a);
        case QuantitySource::Bedding:
            return Inside(a, 1, 2) ? v.bedding[ua] : 0;
        case QuantitySource::Drops:
            return Entry(v.drops, a);
        case QuantitySource::Removals:
            // The budget file keeps only chapter 8's total: the run's rule again.
            return RoundToCents(q * price);
    }
    return 0;
}

namespace {

// A lump-sum item: no quantity nor unit value, its value in the partial column.
std::string LumpSumColumns(double value) {
    return std::string(kUnitEnd - kTextWidth - std::string_view(kDots).size(), ' ') + kDots +
           std::string(kPartialAt - kUnitEnd, ' ') + listings::FormatLine(kPartialPicture, {value});
}

std::string SubtotalLine(int chapter, double value) {
    return Padded(std::string(kSubtotalAt, ' ') + "SUBTOTAL CAPITULO #" + std::to_string(chapter),
                  kPartialAt) +
           listings::FormatLine(kPartialPicture, {value});
}

// The items of a chapter with a quantity; the groups without one are left out, but in
// the manhole chapter, which says which size the project lacks.
bool ChapterItems(const BudgetChapter& chapter, const QuantityTables& q, const UnitPrices& prices,
                  const BudgetValues& v, std::vector<std::string>& body) {
    bool priced = false;
    bool any = false;
    std::vector<std::string> missing;
    for (size_t g = 0; g < chapter.groups.size(); ++g) {
        const ItemGroup& group = chapter.groups[g];
        std::vector<std::string> rows;
        for (const BudgetItem& item : group.items) {
            const double quantity = quantities::RoundTo2(ItemQuantity(q, item));
            if (!(quantity > 0)) continue;
            const double price = PriceOf(prices, item);
            if (price != 0) priced = true;
            AddRow(rows, "  " + item.text,
                   listings::FormatLine(kItemPicture,
                                        {quantity, price, ItemValue(v, item, quantity, price)}));
        }
        if (rows.empty()) {
            if (chapter.number == kManholeChapter && g < quantities::kManholeGroups)
                body.push_back(cp(kMissingManholes[g]));
            continue;
        }
        any = true;
        if (!group.heading.empty()) body.push_back(" " + group.heading);
        body.insert(body.end(), rows.begin(), rows.end());
    }
    if (!any) {
        body.assign({kEmptyChapter});
        return false;
    }
    if (!priced) {
        body.assign({kUnpricedChapter});
        return false;
    }
    return true;
}

}  // namespace

std::vector<BudgetChapter> ListingChapters(const specs::EspecT& e) {
    std::vector<BudgetChapter> chapters = BuildBudgetChapters(e);
    for (BudgetChapter& chapter : chapters) {
        chapter.title = kTitles[chapter.number - 1];
        for (ItemGroup& group : chapter.groups)
            for (BudgetItem& item : group.items)
                item.text = ListingText(chapter.number, item.text);
    }
    return chapters;
}

std::string BudgetKind(int system) {
    if (system >= quantities::kFirstStageSystem)
        return "[ PRESUPUESTO ETAPA #" + std::to_string(system - quantities::kSystemTotal) + "]";
    return "[ PRESUPUESTO " + quantities::SystemTitle(system) + " ] ";
}

std::vector<std::string> UnitPriceLines(const std::vector<BudgetChapter>& chapters,
                                        const QuantityTables& q, const UnitPrices& prices) {
    std::vector<std::string> lines;
    const std::string noPartial =
        std::string(kPartialEnd - kUnitEnd - std::string_view(kDots).size(), ' ') + kDots;
    for (const BudgetChapter& chapter : chapters) {
        lines.push_back("");
        lines.push_back(ChapterHeading(chapter.number, chapter.title));
        for (const ItemGroup& group : chapter.groups) {
            if (!group.heading.empty()) lines.push_back(" " + group.heading);
            for (const BudgetItem& item : group.items) {
                const double quantity = quantities::RoundTo2(ItemQuantity(q, item));
                AddRow(lines, "  " + item.text,
                       listings::FormatLine(kPricePicture, {quantity, PriceOf(prices, item)}) +
                           noPartial);
            }
        }
    }
    lines.push_back("");
    lines.push_back(ChapterHeading(kLumpSumChapter, kTitles[kLumpSumChapter - 1]));
    if (prices.globals.empty()) lines.push_back(kEmptyChapter);
    for (const GlobalItemT& item : prices.globals)
        AddRow(lines, "  " + LumpSumText(item.description, item.tag), LumpSumColumns(item.value));
    return lines;
}

std::vector<std::string> BudgetLines(const std::vector<BudgetChapter>& chapters,
                                     const QuantityTables& q, const UnitPrices& prices,
                                     const BudgetValues& v) {
    std::vector<std::string> lines;
    for (const BudgetChapter& chapter : chapters) {
        lines.push_back("");
        lines.push_back(ChapterHeading(chapter.number, chapter.title));
        std::vector<std::string> body;
        const bool listed = ChapterItems(chapter, q, prices, v, body);
        lines.insert(lines.end(), body.begin(), body.end());
        if (listed) lines.push_back(SubtotalLine(chapter.number, v.chapters[chapter.number]));
    }
    lines.push_back("");
    lines.push_back(ChapterHeading(kLumpSumChapter, kTitles[kLumpSumChapter - 1]));
    if (v.globals.empty()) {
        lines.push_back(kEmptyChapter);
    } else {
        for (const GlobalItemT& item : v.globals)
            AddRow(lines, "  " + LumpSumText(item.description, item.tag),
                   LumpSumColumns(item.value));
        lines.push_back(SubtotalLine(kLumpSumChapter, v.chapters[kLumpSumChapter]));
    }
    lines.push_back("");
    lines.push_back(std::string(kPartialEnd - std::string_view(kTotalText).size() -
                                    std::string_view(kTotalPicture).size(),
                                ' ') +
                    kTotalText + listings::FormatLine(kTotalPicture, {v.total}));
    return lines;
}

}  // namespace nivex::budget
