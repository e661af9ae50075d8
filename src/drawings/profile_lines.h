#pragma once
// The collector lines of a designed sector, each drawn as one longitudinal profile, and
// the path between two manholes that the user picks.

#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::drawings {

// Reaches in flow order, by record number of the design copy (from 1).
struct ProfileLine {
    std::vector<int> records;
};

// The records of the design copy at path, in file order, read as "dump design" reads
// them. False with *error (code page) when the file is missing or unreadable.
bool ReadDesignedReaches(const std::string& path, std::vector<network::TramoT>& reaches,
                         std::string& error);

// The reach that receives record r (from 1) at its downstream manhole, as the design linked
// them; 0 at an outfall.
int Receiver(const std::vector<network::TramoT>& reaches, int r);

// Every reach in exactly one line. A line starts at each initial reach (no reach flows into
// it), in file order, and follows the receiving reaches. At a manhole where several reaches
// arrive, only the line arriving with the most design flow goes on (ties: the larger pipe,
// then the first in file order); the others end at that manhole, where they join a larger
// line. A line also ends at an outfall.
std::vector<ProfileLine> CollectorLines(const std::vector<network::TramoT>& reaches);

// The reaches from manhole `from` down the designed flow to manhole `to` (names in code
// page). False with *error (code page, Spanish) when no such path exists.
bool PathBetween(const std::vector<network::TramoT>& reaches, const std::string& from,
                 const std::string& to, ProfileLine& path, std::string& error);

}  // namespace nivex::drawings
