#pragma once
// What the project summary and the project index print, as lines of text after the page
// margin (code page). The screens gather the files and the answers; these functions only
// lay the figures out, so that each figure can be traced to its file.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "budget/budget_run.h"
#include "listings/number_format.h"
#include "quantities/quantity_tables.h"

namespace nivex::summary {

constexpr int kSummaryWidth = 90;

// A label, one blank, points up to the number, and the number in its picture, ending at
// column width; with no room left the number follows the label directly.
std::string SummaryLine(std::string_view label, const listings::FormatValue& value,
                        std::string_view picture, int width = kSummaryWidth);

// The body of the summary below the page header: the identification line and the blocks
// of the whole network, the sulfide risk, the new system and its costs. q: the new
// system's quantity file; v: its budget file; identification: the listing text.
std::vector<std::string> SummaryBody(int designClass, const std::string& identification,
                                     const quantities::QuantityTables& q,
                                     const budget::BudgetValues& v);

// ---- The project index ----

// The optional entries, in the order of the options screen; bit k of the mask is 1 << k.
enum IndexOption : int {
    kMainCollectors = 0,
    kCapacityProblems,
    kDeficiencies,
    kGeneralData,
    kSpecialData,
    kReachSummary,
    kReachRelation,
    kUnitPriceList,
    kIndexOptions
};
// Their texts as the index and the options screen word them (code page = ASCII).
extern const std::array<const char*, kIndexOptions> kIndexOptionTexts;

using IndexAnswers = std::array<bool, kIndexOptions>;

// The answers a mask gives, and the mask of some answers; "Deficiencias" is offered as
// "N" every time, whatever the mask holds.
IndexAnswers OfferedAnswers(int mask);
int MaskOf(const IndexAnswers& answers);

// The index of a sector, or of a project without sectors (sectorNumber 0: no sector
// line).
std::vector<std::string> IndexLines(int designClass, const IndexAnswers& answers, int sectorNumber,
                                    int width = kSummaryWidth);
// The consolidated index of the totaliser.
std::vector<std::string> ConsolidatedIndexLines(int width = kSummaryWidth);

}  // namespace nivex::summary
