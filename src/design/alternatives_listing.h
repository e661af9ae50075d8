#pragma once
// "Comparacion Alternativas": the statistics of the alternatives shown in the dialog, as
// a listing of width 121.

#include <string>
#include <vector>

#include "design/alternatives_table.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::design {

constexpr int kAlternativesListingWidth = 121;

// The lines of the table and the closing line, each as it stands after the margin
// (code-page bytes): borders, the three heading rows, "Manual" (modes 1 and 3) and
// "Auto 1" to "Auto n" (modes 2 and 3), the bottom, an empty line and the abandoned count;
// when a listed design was priced, an empty line and the cost of each row after it.
std::vector<std::string> AlternativesListingLines(const AlternativesTable& table, int mode, int n,
                                                  int abandoned);

// Writes the listing on one sheet, shows it and removes its files.
void ListAlternatives(shell::Session& s, const AlternativesTable& table, int mode, int n,
                      int abandoned);

}  // namespace nivex::design
