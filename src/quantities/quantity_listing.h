#pragma once
// Listing 9B: the quantities of work of every system (the new network, the existing one,
// the total, each construction stage), section by section with the descriptions of the
// work items, as the quantity run left them in the quantity files.

#include <array>
#include <string>
#include <vector>

#include "quantities/quantity_rules.h"
#include "quantities/quantity_tables.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::quantities {

void ListQuantities(shell::Session& s);

// The systems the listing goes through, in order: stages from the stage count, the new
// and total systems only with a new reach, the existing and total only with an existing
// one.
std::vector<int> ListedSystems(bool hasNewReach, bool hasExistingReach, int stageCount);

// One block of a section: lines written before it (at the margin), the box heading that
// a page break repeats, the rows and the closing rule (all centred on the page).
struct QuantityTable {
    std::vector<std::string> before;
    std::vector<std::string> head;
    std::vector<std::string> rows;
    std::string bottom;
};

// A section: its title and paragraphs, then its tables (code-page bytes).
struct QuantitySection {
    std::vector<std::string> prose;
    std::vector<QuantityTable> tables;
    std::vector<std::string> after;  // lines after the last table
};

// The eight sections of one system's tables. pipeTypes: the three pipe type texts.
std::vector<QuantitySection> QuantitySections(const QuantityTables& t, const QuantityLimits& l,
                                              const std::array<std::string, 3>& pipeTypes);

}  // namespace nivex::quantities
