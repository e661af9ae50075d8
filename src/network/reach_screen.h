#pragma once
// "ENTRADA DATOS TRAMOS": the reach entry screen of main choice 2, one reach per page.

#include <string>

namespace nivex::shell {
struct Session;
}

namespace nivex::network {

void RunReachEntry(shell::Session& s);

// The search fields "DE :" and "A :" on a row of the screen; false when left with Esc or
// with both names empty.
bool AskSearchNames(shell::Session& s, int row, std::string& upstream, std::string& downstream);

// The reordering screen over the open reach and index files (Alt+F1 of the reach
// screen). Returns true when the network was rewritten in a new order.
class ReachFile;
bool RunReorderScreen(shell::Session& s, ReachFile& file, int currentLine);

}  // namespace nivex::network
