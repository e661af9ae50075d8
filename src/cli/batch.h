#pragma once
// nivex-batch: the program's capabilities from the command line, one verb each.

#include <iosfwd>
#include <string>
#include <vector>

namespace nivex::cli {

// Runs one command line (without the program name); returns the exit code.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace nivex::cli
