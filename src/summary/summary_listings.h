#pragma once
// Main choice 'Z' ("List. Resumen"): 'A' the general summary of the project, one page of
// the whole network, the new system and its costs, read from the new system's quantity and
// budget files; 'B' the index of the project's report, with its optional entries.

#include <optional>
#include <string>

#include "summary/summary_lines.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::summary {

void ListSummary(shell::Session& s);  // 'Z', 'A'
void ListIndex(shell::Session& s);    // 'Z', 'B'
// The index with its answers given ("SSNSSNNS", one per optional entry) instead of the
// options screen: nivex-batch. Nothing given: the answers the screen would offer.
void ListIndexAnswered(shell::Session& s, const std::optional<IndexAnswers>& answers);
// The identification dialog: its text kept in record 1 whatever the answer; true for "SI".
bool ConfirmIdentification(shell::Session& s);
// The letter sub-menu of main choice 'Z'.
void RunSummaryListings(shell::Session& s);

}  // namespace nivex::summary
