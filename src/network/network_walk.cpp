#include "network/network_walk.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace nivex::network {
namespace {

constexpr int kTypeDischarge = 2;
constexpr int kTypePumping = 3;

std::string PairKey(const std::string& up, const std::string& down) {
    std::string key = up;
    key += '\0';
    key += down;
    return key;
}

bool NeedsUpstreamCrown(int code) {
    return code == kCrownDownOnly || code == kCrownsNone;
}

bool NeedsDownstreamCrown(int code) {
    return code == kCrownUpOnly || code == kCrownsNone;
}

bool Investigated(int code) {
    return code >= kClassNew && code <= kClassRestricted;
}

class Walker {
  public:
    explicit Walker(WalkResult& r) : r_(r) {}

    void Run() {
        std::unordered_set<std::string> outletPairs;
        for (int k : r_.outlets)
            outletPairs.insert(PairKey(r_.table[k].upstream, r_.table[k].downstream));
        for (int k : extraOutlets_)
            outletPairs.insert(PairKey(r_.table[k].upstream, r_.table[k].downstream));

        for (int k = 0; k < static_cast<int>(r_.table.size()); ++k) {
            CheckNames(k);
            if (!Step(k)) {
                r_.stopped = true;
                r_.errors.push_back({WalkFault::StackFull, k});
                break;
            }
        }
        if (!stack_.empty()) r_.top = stack_.back();
        if (r_.stopped) return;  // what is left open says nothing about the network
        for (size_t i = 0; i + 1 < stack_.size(); ++i) {
            const WalkReach& e = r_.table[stack_[i]];
            r_.openEnds.push_back(stack_[i]);
            if (!outletPairs.count(PairKey(e.upstream, e.downstream)))
                r_.errors.push_back({WalkFault::NoContinuity, stack_[i]});
        }
    }

    std::vector<int> extraOutlets_;  // outlets beyond the list, still ends of lines

  private:
    void CheckNames(int k) {
        const WalkReach& t = r_.table[k];
        if (TrimmedName(t.upstream).empty() || TrimmedName(t.downstream).empty())
            r_.errors.push_back({WalkFault::NullName, k});
        else if (t.upstream == t.downstream)
            r_.errors.push_back({WalkFault::SameNames, k});
    }

    bool Joins(int entry, int reach) const {
        return r_.table[entry].downstream == r_.table[reach].upstream;
    }

    void Mark(int reach, int wanted) {
        int& m = r_.table[reach].mark;
        if (m == kMarkNone) {
            m = wanted;
            ++r_.marked;
        } else if (m != wanted && m != kMarkBoth) {
            m = kMarkBoth;
        }
    }

    // The junction rule for an entry whose line end is the reach's upstream manhole.
    void Junction(int entry, int reach) {
        if (!Joins(entry, reach)) return;
        const int e = r_.table[entry].crownCode;
        const int t = r_.table[reach].crownCode;
        if (Investigated(e) && NeedsUpstreamCrown(t)) Mark(reach, kMarkUpstream);
        if (NeedsDownstreamCrown(e) && Investigated(t)) Mark(entry, kMarkDownstream);
    }

    // False when the reach needs a new entry and the stack is full.
    bool Step(int k) {
        while (stack_.size() >= 2 && Joins(stack_.back(), k)) {
            Junction(stack_.back(), k);
            r_.joins.push_back({k, stack_.back(), JoinKind::Tributary});
            stack_.pop_back();
        }
        if (!stack_.empty()) {
            Junction(stack_.back(), k);
            if (Joins(stack_.back(), k)) {
                r_.joins.push_back({k, stack_.back(), JoinKind::Continuation});
                stack_.back() = k;
                return true;
            }
        }
        if (static_cast<int>(stack_.size()) >= kMaxOpenEnds) return false;
        stack_.push_back(k);
        return true;
    }

    WalkResult& r_;
    std::vector<int> stack_;
};

// Reaches on a closed circuit: both ends in one strongly connected set of manholes
// (Tarjan's method, without recursion so that long lines cannot exhaust the stack).
std::vector<int> CycleReaches(const std::vector<WalkReach>& table) {
    std::unordered_map<std::string, int> ids;
    ids.reserve(table.size() * 2);
    auto id = [&](const std::string& name) {
        return ids.emplace(name, static_cast<int>(ids.size())).first->second;
    };
    std::vector<std::pair<int, int>> edges;
    edges.reserve(table.size());
    for (const WalkReach& t : table)
        edges.emplace_back(id(t.upstream), id(t.downstream));
    const int n = static_cast<int>(ids.size());
    std::vector<int> start(static_cast<size_t>(n) + 1, 0), adjacent(edges.size());
    for (auto [from, to] : edges)
        ++start[static_cast<size_t>(from) + 1];
    for (int v = 0; v < n; ++v)
        start[static_cast<size_t>(v) + 1] += start[static_cast<size_t>(v)];
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (auto [from, to] : edges)
            adjacent[static_cast<size_t>(fill[static_cast<size_t>(from)]++)] = to;
    }

    std::vector<int> index(static_cast<size_t>(n), -1), low(static_cast<size_t>(n), 0),
        component(static_cast<size_t>(n), -1), open;
    std::vector<char> onStack(static_cast<size_t>(n), 0);
    std::vector<std::pair<int, int>> calls;  // node, next edge
    int counter = 0, components = 0;
    auto visit = [&](int v) {
        index[static_cast<size_t>(v)] = low[static_cast<size_t>(v)] = counter++;
        open.push_back(v);
        onStack[static_cast<size_t>(v)] = 1;
        calls.emplace_back(v, start[static_cast<size_t>(v)]);
    };
    for (int root = 0; root < n; ++root) {
        if (index[static_cast<size_t>(root)] >= 0) continue;
        visit(root);
        while (!calls.empty()) {
            const int v = calls.back().first;
            const int e = calls.back().second;
            if (e < start[static_cast<size_t>(v) + 1]) {
                ++calls.back().second;
                const int w = adjacent[static_cast<size_t>(e)];
                if (index[static_cast<size_t>(w)] < 0)
                    visit(w);
                else if (onStack[static_cast<size_t>(w)])
                    low[static_cast<size_t>(v)] =
                        std::min(low[static_cast<size_t>(v)], index[static_cast<size_t>(w)]);
                continue;
            }
            calls.pop_back();
            if (low[static_cast<size_t>(v)] == index[static_cast<size_t>(v)]) {
                int w;
                do {
                    w = open.back();
                    open.pop_back();
                    onStack[static_cast<size_t>(w)] = 0;
                    component[static_cast<size_t>(w)] = components;
                } while (w != v);
                ++components;
            }
            if (!calls.empty()) {
                const int parent = calls.back().first;
                low[static_cast<size_t>(parent)] =
                    std::min(low[static_cast<size_t>(parent)], low[static_cast<size_t>(v)]);
            }
        }
    }
    std::vector<int> cycle;
    for (size_t k = 0; k < edges.size(); ++k) {
        auto [from, to] = edges[k];
        if (from != to &&
            component[static_cast<size_t>(from)] == component[static_cast<size_t>(to)])
            cycle.push_back(static_cast<int>(k));
    }
    return cycle;
}

void BuildTable(const std::vector<TramoT>& reaches, WalkResult& r, std::vector<int>* extra) {
    r = {};
    if (reaches.size() > static_cast<size_t>(kMaxLines)) {
        r.errors.push_back({WalkFault::TooManyReaches, -1});
        r.stopped = true;
        return;
    }
    r.table.reserve(reaches.size());
    bool overflow = false;
    for (size_t k = 0; k < reaches.size(); ++k) {
        const TramoT& t = reaches[k];
        r.table.push_back({t.Upstream, t.Downstream, static_cast<int>(k) + 1, CrownCode(t)});
        if (!IsOutlet(t)) continue;
        if (static_cast<int>(r.outlets.size()) < kMaxOutlets) {
            r.outlets.push_back(static_cast<int>(k));
            continue;
        }
        if (!overflow) r.errors.push_back({WalkFault::TooManyOutlets, static_cast<int>(k)});
        overflow = true;
        if (extra) extra->push_back(static_cast<int>(k));
    }
}

}  // namespace

int CrownCode(const TramoT& t) {
    if (Investigated(t.Class)) return t.Class;
    if (t.Class != kClassNotInvestigated || t.Type == kTypeToSector) return 0;
    const bool up = t.CrownUp != 0, down = t.CrownDown != 0;
    if (up && down) return kCrownsBoth;
    if (down) return kCrownDownOnly;
    if (up) return kCrownUpOnly;
    return kCrownsNone;
}

bool IsOutlet(const TramoT& t) {
    return t.Type == kTypeDischarge || t.Type == kTypePumping || t.Type == kTypeToSector;
}

std::string TrimmedName(const std::string& name) {
    size_t end = name.size();
    while (end > 0 && name[end - 1] == ' ')
        --end;
    return name.substr(0, end);
}

WalkResult ReachTable(const std::vector<TramoT>& reaches) {
    WalkResult r;
    BuildTable(reaches, r, nullptr);
    return r;
}

WalkResult WalkNetwork(const std::vector<TramoT>& reaches) {
    WalkResult r;
    std::vector<int> extra;
    BuildTable(reaches, r, &extra);
    if (r.stopped) return r;
    Walker w(r);
    w.extraOutlets_ = std::move(extra);
    w.Run();
    for (int k : CycleReaches(r.table))
        r.errors.push_back({WalkFault::Cycle, k});
    return r;
}

}  // namespace nivex::network
