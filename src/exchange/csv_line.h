#pragma once
// Lines of the comma- (or semicolon-) separated tables the batch tool reads and writes.

#include <string>
#include <string_view>
#include <vector>

namespace nivex::exchange {

// One line into its fields at sep, with "..." quoting as spreadsheets write it; false
// when a quote is left open.
bool SplitCsvLine(std::string_view line, char sep, std::vector<std::string>& fields);

}  // namespace nivex::exchange
