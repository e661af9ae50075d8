#include "design/alternatives_listing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "console/codepage.h"
#include "design/design_driver.h"
#include "listings/listing_file.h"
#include "listings/number_format.h"
#include "shell/session.h"

namespace nivex::design {
namespace {

constexpr std::array<int, 10> kColumnWidths{7, 11, 10, 11, 10, 12, 13, 13, 17, 6};
constexpr char kDouble = static_cast<char>(205);  // ═

constexpr const char* kTitle = "COMPARACION DE ALTERNATIVAS";
constexpr const char* kViewerTitle = "Comparacion Alternativas";

constexpr std::array<const char*, 3> kHeadings{
    "│ CLASE │PROFUNDIDAD│ DIAMETRO │PROFUNDIDAD│ DIAMETRO │ NUMERO DE  │ PROFUNDIDAD │ "
    "PROFUNDIDAD │TRAMOS EXISTENTES│      │",
    "│ DISEÑO│ PROMEDIO  │ PROMEDIO │   MAXIMA  │  MAXIMO  │VERTIMIENTOS│FINAL MAXIMA │FINAL "
    "MINIMA │   ELIMINADOS    │STATUS│",
    "│       │    (m)    │   (mm)   │     (m)   │   (mm)   │            │     (m)     │      "
    "(m)    │(capacid/empalme)│      │",
};

constexpr const char* kRowPicture =
    R"(│\     \│   ####.## │  ####.## │   ####.## │    ####  │     ###    │     ####.## │)"
    R"(     ####.## │            \  \ │  \  \│)";

constexpr const char* kAbandoned =
    "Alternativas abandonadas por exceso de complejidad en el diseño    : ";

constexpr const char* kCostHeading =
    "Costo de construccion del diseño preliminar de cada alternativa (capitulos 1 a 8 del "
    "presupuesto, pesos):";
constexpr size_t kCostWidth = 18;

std::string Rule(unsigned char left, unsigned char between, unsigned char right) {
    std::string line(1, static_cast<char>(left));
    for (size_t c = 0; c < kColumnWidths.size(); ++c) {
        if (c > 0) line += static_cast<char>(between);
        line.append(static_cast<size_t>(kColumnWidths[c]), kDouble);
    }
    line += static_cast<char>(right);
    return line;
}

// The eliminated count without decimals, "0" included.
std::string CountText(double value) {
    std::string text = listings::FormatNumber(value, "#");
    text.erase(0, text.find_first_not_of(' '));
    return text.empty() ? "0" : text;
}

bool Priced(const AlternativeT& a) {
    return a.cost >= 0 && std::isfinite(a.cost);
}

std::string Row(const std::string& label, const AlternativeT& a) {
    static const std::string picture = cp(kRowPicture);
    return listings::FormatLine(picture, {label, a.meanDepth, a.meanSize, a.largestCrownDepth,
                                          a.largestDiameter, a.outfalls, a.largestFinalDepth,
                                          a.smallestFinalDepth, CountText(a.eliminated), a.status});
}

}  // namespace

std::vector<std::string> AlternativesListingLines(const AlternativesTable& table, int mode, int n,
                                                  int abandoned) {
    std::vector<std::pair<std::string, const AlternativeT*>> rows;
    if (mode == kTopologyManual || mode == kTopologyBoth)
        rows.emplace_back("Manual", &table.records[0]);
    if (mode == kTopologyAutomatic || mode == kTopologyBoth) {
        for (int k = 1;
             k <= n && k < kAlternatives && WasDesigned(table.records[static_cast<size_t>(k)]); ++k)
            rows.emplace_back("Auto " + std::to_string(k), &table.records[static_cast<size_t>(k)]);
    }
    std::vector<std::string> lines;
    lines.push_back(Rule(213, 224, 184));
    for (const char* heading : kHeadings)
        lines.push_back(cp(heading));
    lines.push_back(Rule(198, 216, 181));
    for (const auto& [label, a] : rows)
        lines.push_back(Row(label, *a));
    lines.push_back(Rule(212, 207, 190));
    lines.emplace_back();
    lines.push_back(cp(kAbandoned) + std::to_string(abandoned));
    // The construction cost of each alternative, when its design was priced: below the
    // table, whose columns stay as they always were.
    if (std::any_of(rows.begin(), rows.end(), [](const auto& r) { return Priced(*r.second); })) {
        lines.emplace_back();
        lines.push_back(cp(kCostHeading));
        for (const auto& [label, a] : rows) {
            std::string text = Priced(*a) ? PesosText(a->cost) : cp("sin costo");
            std::string line = "   " + label;
            line.resize(12, ' ');
            line += ": $ ";
            if (text.size() < kCostWidth) line.append(kCostWidth - text.size(), ' ');
            lines.push_back(line + text);
        }
    }
    return lines;
}

void ListAlternatives(shell::Session& s, const AlternativesTable& table, int mode, int n,
                      int abandoned) {
    listings::RemoveListingFiles(s);
    if (!listings::OpenListingFile(s)) {
        s.ui.showError(s.listing.file.error(), "Error");
        return;
    }
    s.listing.SheetNumber = 1;
    int width = kAlternativesListingWidth;
    int margin = 0;
    listings::PageHeader(s, kTitle, width, margin);
    auto line = [&](const std::string& text) {
        listings::LineReset(s);
        if (!text.empty()) listings::LineTab(s, margin);  // an empty line stays empty
        listings::LinePut(s, text);
        listings::LineWrite(s);
    };
    line("");
    listings::CentredLine(s, margin, width,
                          "<< ... " + upper(s.project.espec.ListingIdentification) + " ... >>");
    line("");
    for (const std::string& text : AlternativesListingLines(table, mode, n, abandoned))
        line(text);
    const bool failed = s.listing.file.failed();
    const std::string error = s.listing.file.error();
    listings::CloseListing(s);
    if (failed) {
        s.ui.showError(error, "Error");
        listings::RemoveListingFiles(s);
        return;
    }
    if (s.viewer) s.viewer->ShowListing(listings::ListingPath(s), kViewerTitle);
    listings::RemoveListingFiles(s);
}

}  // namespace nivex::design
