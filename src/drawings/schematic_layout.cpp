#include "drawings/schematic_layout.h"

#include <algorithm>
#include <unordered_map>

namespace nivex::drawings {
namespace {

constexpr int kNone = -1;

// The manholes numbered in the order they first appear, and the reaches between them.
struct Network {
    std::vector<std::string> names;
    std::vector<int> down;  // the first reach leaving each manhole: its downstream manhole

    explicit Network(const std::vector<ReachEnds>& reaches) {
        std::unordered_map<std::string, int> ids;
        ids.reserve(reaches.size() * 2);
        auto id = [&](const std::string& name) {
            const auto [it, added] = ids.emplace(name, static_cast<int>(names.size()));
            if (added) {
                names.push_back(name);
                down.push_back(kNone);
            }
            return it->second;
        };
        for (const ReachEnds& r : reaches) {
            const int u = id(r.upstream), d = id(r.downstream);
            if (down[static_cast<size_t>(u)] == kNone && u != d) down[static_cast<size_t>(u)] = d;
        }
    }
    size_t size() const { return names.size(); }
};

// A manhole whose way down comes back to itself is made an outfall, so that every
// manhole belongs to a tree.
void CutLoops(Network& n) {
    const size_t count = n.size();
    std::vector<int> state(count, 0);  // 0 unknown, 1 on the walk now, 2 ends at an outfall
    std::vector<int> walk;
    for (size_t start = 0; start < count; ++start) {
        walk.clear();
        int at = static_cast<int>(start);
        while (at != kNone && state[static_cast<size_t>(at)] == 0) {
            state[static_cast<size_t>(at)] = 1;
            walk.push_back(at);
            at = n.down[static_cast<size_t>(at)];
        }
        if (at != kNone && state[static_cast<size_t>(at)] == 1)
            n.down[static_cast<size_t>(at)] = kNone;
        for (int w : walk)
            state[static_cast<size_t>(w)] = 2;
    }
}

}  // namespace

std::vector<ReachEnds> ReachEndsOf(const std::vector<network::TramoT>& reaches) {
    std::vector<ReachEnds> ends;
    ends.reserve(reaches.size());
    for (const network::TramoT& t : reaches)
        ends.push_back({t.Upstream, t.Downstream});
    return ends;
}

const ManholePoint* ManholeLayout::find(std::string_view name) const {
    if (byName_.size() == manholes.size() && !manholes.empty()) {
        const auto it = byName_.find(std::string(name));
        return it == byName_.end() || it->second >= manholes.size() ? nullptr
                                                                    : &manholes[it->second];
    }
    for (const ManholePoint& p : manholes)
        if (p.name == name) return &p;
    return nullptr;
}

void ManholeLayout::Index() {
    byName_.clear();
    for (size_t i = 0; i < manholes.size(); ++i)
        byName_.emplace(manholes[i].name, i);
}

ManholeLayout SchematicLayout(const std::vector<ReachEnds>& reaches) {
    Network n(reaches);
    CutLoops(n);
    const size_t count = n.size();
    // The manholes upstream of each one, in reach order.
    std::vector<std::vector<int>> ups(count);
    std::vector<int> outfalls;
    for (size_t k = 0; k < count; ++k) {
        if (n.down[k] == kNone)
            outfalls.push_back(static_cast<int>(k));
        else
            ups[static_cast<size_t>(n.down[k])].push_back(static_cast<int>(k));
    }

    // Every tree from its outfall down the branches, a manhole before those upstream of it.
    auto preorder = [&](std::vector<int>& order) {
        order.clear();
        std::vector<int> stack(outfalls.rbegin(), outfalls.rend());
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            order.push_back(at);
            const auto& u = ups[static_cast<size_t>(at)];
            stack.insert(stack.end(), u.rbegin(), u.rend());
        }
    };
    std::vector<int> order;
    order.reserve(count);
    preorder(order);

    // The tallest branch first, so that the main line keeps its column.
    std::vector<int> height(count, 0);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const int d = n.down[static_cast<size_t>(*it)];
        if (d != kNone)
            height[static_cast<size_t>(d)] =
                std::max(height[static_cast<size_t>(d)], height[static_cast<size_t>(*it)] + 1);
    }
    for (auto& u : ups)
        std::stable_sort(u.begin(), u.end(), [&](int a, int b) {
            return height[static_cast<size_t>(a)] > height[static_cast<size_t>(b)];
        });
    preorder(order);

    std::vector<int> row(count, 0), column(count, 0);
    int nextColumn = 0;
    for (int at : order) {
        const int d = n.down[static_cast<size_t>(at)];
        if (d != kNone) row[static_cast<size_t>(at)] = row[static_cast<size_t>(d)] + 1;
        if (ups[static_cast<size_t>(at)].empty()) column[static_cast<size_t>(at)] = nextColumn++;
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const auto& u = ups[static_cast<size_t>(*it)];
        if (!u.empty()) column[static_cast<size_t>(*it)] = column[static_cast<size_t>(u.front())];
    }

    ManholeLayout layout;
    layout.schematic = true;
    layout.manholes.reserve(count);
    for (size_t k = 0; k < count; ++k)
        layout.manholes.push_back(
            {n.names[k], column[k] * kSchematicStep, row[k] * kSchematicStep});
    layout.Index();
    return layout;
}

ManholeLayout PlaceManholes(const std::vector<ReachEnds>& reaches,
                            const ManholeCoordinates& stored) {
    std::unordered_map<std::string, const ManholePoint*> byName;
    for (const ManholePoint& p : stored.points)
        byName.emplace(p.name, &p);
    ManholeLayout measured;
    std::vector<std::string> missing;
    std::unordered_map<std::string, bool> seen;
    for (const ReachEnds& r : reaches)
        for (const std::string* name : {&r.upstream, &r.downstream}) {
            if (!seen.emplace(*name, true).second) continue;
            const auto it = byName.find(*name);
            if (it == byName.end())
                missing.push_back(*name);
            else
                measured.manholes.push_back(*it->second);
        }
    if (missing.empty() && !reaches.empty()) {
        measured.Index();
        return measured;
    }
    ManholeLayout layout = SchematicLayout(reaches);
    layout.missing = std::move(missing);
    return layout;
}

}  // namespace nivex::drawings
