#pragma once
// The walk of the network in file order with the stack of open line ends: which reach
// continues which line, which line ends join a reach as tributaries, the crown marks that
// the junctions need, and the line ends left open. The ordering control reports from it;
// the design derives its lines and tributaries from the same facts.

#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::network {

constexpr int kMaxOpenEnds = 200;
constexpr int kMaxOutlets = 250;

// Crown codes: the class (0, 1, 2) for a new, existing or restricted reach; for a reach not
// investigated, which of its crowns are known.
constexpr int kCrownsBoth = 3;
constexpr int kCrownDownOnly = 4;
constexpr int kCrownUpOnly = 5;
constexpr int kCrownsNone = 6;

// Junction marks: the crowns that a junction needs investigated.
constexpr int kMarkNone = 0;
constexpr int kMarkUpstream = 1;
constexpr int kMarkDownstream = 2;
constexpr int kMarkBoth = 3;

// One entry of the reach table, in file order.
struct WalkReach {
    std::string upstream, downstream;
    int line = 0;
    int crownCode = 0;
    int mark = kMarkNone;
};

// How a reach met a stack entry whose downstream name is its upstream name.
enum class JoinKind {
    Tributary,     // the entry's line ends in the reach and leaves the stack
    Continuation,  // the reach takes the entry's place: the line goes on
};
struct WalkJoin {
    int reach = 0;  // index into the reach table
    int entry = 0;  // the reach of the stack entry
    JoinKind kind = JoinKind::Tributary;
};

enum class WalkFault {
    NullName,        // an empty name
    SameNames,       // upstream equal to downstream
    NoContinuity,    // a line end left open below the top of the stack
    Cycle,           // the reach lies on a closed circuit of reaches
    StackFull,       // more open line ends than the stack holds: the walk stopped there
    TooManyOutlets,  // more outlet reaches than the list holds
    TooManyReaches,  // more reaches than a network holds: nothing was walked
};
struct WalkError {
    WalkFault fault;
    int reach = -1;  // index into the reach table, -1 when none
};

struct WalkResult {
    std::vector<WalkReach> table;
    std::vector<int> outlets;  // reaches of type 2, 3 and 5, at most kMaxOutlets
    std::vector<WalkJoin> joins;
    std::vector<int> openEnds;  // entries left below the top of the stack, bottom first
    int top = -1;               // reach of the entry left on top, -1 for none
    std::vector<WalkError> errors;
    int marked = 0;        // reaches whose mark is not kMarkNone
    bool stopped = false;  // the walk did not reach the last reach
};

// The crown code of a reach in stored form.
int CrownCode(const TramoT& t);
// Reaches of type 2, 3 or 5 end a line: discharge, pumping station, to another sector.
bool IsOutlet(const TramoT& t);
// A name with its trailing blanks removed.
std::string TrimmedName(const std::string& name);

// The reach table and the outlet list without the walk.
WalkResult ReachTable(const std::vector<TramoT>& reaches);
// The table and the walk over the reaches (stored form, file order).
WalkResult WalkNetwork(const std::vector<TramoT>& reaches);

}  // namespace nivex::network
