#pragma once
// The automatic design of the network topology: a deterministic search that decides the
// direction of every new reach and the order of all reaches, so that the design can walk
// the network from the heads down to the outlets as it walks an entered network.
//
// The network is a graph of manholes (names without trailing blanks) joined by reaches.
// A tree of shortest drainage paths is grown upstream from the outlets (reaches of type
// 2, 3 and 5); the tree reach that leaves a manhole continues the lines that arrive there.
// The reaches left out of the tree start new lines and are sent to one of their two ends.
// A manhole that would receive more than five lines sends some of its reaches the other
// way, or takes fewer tree lines in a new tree. Every reach is then listed after the lines
// it receives, the deepest tributary first, so that the walk's stack of open line ends
// stays shallow.
//
// The four characters of a variant:
//   1  'A' the tree follows the shortest length to an outlet;
//      'D' a reach that runs against the ground, or flatter than a minimum slope, costs
//          extra length for the deepening it needs.
//   2  with 'D': '1' strong (1 % wanted, 100 m per metre of deepening); '2' mild (0.3 %
//      wanted, 20 m per metre). Ignored with 'A'.
//   3  'A' a reach out of the tree flows towards the end nearer to an outlet along the tree;
//      'D' it flows down the ground (as far as that cannot close a circuit).
//   4  '1' among equally short paths the lower receiving manhole wins;
//      '2' a path up to a quarter of a reach longer is taken when its receiving manhole
//          already collects more lines: fewer, longer collectors.
// Reaches that keep their entered direction: outlets, type 4 and every reach that is not
// new; only new reaches of types 0 and 1 may be turned.
//
// On small networks (up to 64 reaches) the layout is then polished: one change at a time
// (another way out for a manhole's lines, a new reach turned) is kept while it lowers an
// estimate of the pipes' depths at the variant's wanted slope, so that head lines run down
// the ground into fewer, shallower collectors.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::design {

struct TopologySearchStrategy {
    bool groundCost = false;        // 'D' in the first character
    bool strongPenalty = true;      // '1' in the second
    bool chordsDownGround = false;  // 'D' in the third
    bool collectors = false;        // '2' in the fourth
};
// Unknown characters read as the first choice of their position.
TopologySearchStrategy ParseSearchStrategy(const std::string& chars);

struct TopologySearchLimits {
    std::chrono::microseconds budget = std::chrono::seconds(10);
    std::function<bool()> cancel;       // true: the user pressed "Cancelar"
    std::function<void(int)> progress;  // percent done
};

// One position of the reach list, in the direction in which the reach is designed.
struct TopologySearchEntry {
    std::string upstream, downstream;  // the record's names, exchanged when turned
    int source = -1;                   // index of the entered record
    bool turned = false;
};

// Result codes of the search.
constexpr int kSearchDone = 0;
constexpr int kSearchTooComplex = 1;  // over the time budget, or the walk's stack
constexpr int kSearchFailed = 2;
constexpr int kSearchTooManyTributaries = 3;
// Error numbers with kSearchFailed and kSearchTooManyTributaries.
constexpr int kSearchNoOutlet = 1;
constexpr int kSearchUndrained = 3;  // a reach that can reach no outlet
constexpr int kSearchTributaries = 4;
constexpr int kSearchFixedCycle = 5;

struct TopologySearchResult {
    int result = kSearchDone;
    int error = 0;
    bool cancelled = false;                 // result 2, error 0
    int reach = -1;                         // a reach at the fault (entered index), -1 none
    std::string manhole;                    // the manhole of error 4
    std::vector<TopologySearchEntry> list;  // result 0: one entry per reach, in design order
};

TopologySearchResult SearchTopology(const std::vector<network::TramoT>& reaches,
                                    const std::string& variant,
                                    const TopologySearchLimits& limits = {});

// Where each record of the list comes from: the entered record and whether it is turned,
// by the rule of ApplyReachList.
struct ListedReach {
    int source = 0;
    bool turned = false;
};
std::vector<ListedReach> ReachListOrder(const std::vector<network::TramoT>& entered,
                                        const std::vector<TopologySearchEntry>& list);
// A reach designed the other way: its manhole names and ground elevations exchanged.
void TurnReach(network::TramoT& t);

// The reaches in the order of the list: record i is the entered record of entry i (its
// source when the names agree, otherwise the first unused record with those names in
// either order), with its manhole names and ground elevations exchanged when its names
// are in the other order. Entries that match no record are skipped; records no entry
// takes follow in file order, so that none is lost.
std::vector<network::TramoT> ApplyReachList(const std::vector<network::TramoT>& entered,
                                            const std::vector<TopologySearchEntry>& list);

}  // namespace nivex::design
