#include "drawings/profile_lines.h"

#include <filesystem>

#include "console/codepage.h"
#include "design/reach_values.h"
#include "network/reach_file.h"

namespace nivex::drawings {
namespace {

using network::TramoT;

int Count(const std::vector<TramoT>& reaches) {
    return static_cast<int>(reaches.size());
}

const TramoT& At(const std::vector<TramoT>& reaches, int r) {
    return reaches[static_cast<size_t>(r - 1)];
}

// Whether tributary a arrives with more than tributary b (a and b from 1).
bool Larger(const std::vector<TramoT>& reaches, int a, int b) {
    TramoT ta = At(reaches, a), tb = At(reaches, b);
    if (design::DesignFlow(ta) != design::DesignFlow(tb))
        return design::DesignFlow(ta) > design::DesignFlow(tb);
    if (ta.Diameter != tb.Diameter) return ta.Diameter > tb.Diameter;
    return a < b;
}

}  // namespace

bool ReadDesignedReaches(const std::string& path, std::vector<TramoT>& reaches,
                         std::string& error) {
    reaches.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = cp("... Falta hacer o repetir el diseño del proyecto ...");
        return false;
    }
    network::TramoFile file;
    if (!file.Open(path)) {
        error = file.error();
        return false;
    }
    reaches.reserve(static_cast<size_t>(file.count()));
    for (int line = 1; line <= file.count(); ++line) {
        TramoT t;
        if (!file.Read(line, t)) {
            error = file.error();
            file.Close();
            reaches.clear();
            return false;
        }
        reaches.push_back(std::move(t));
    }
    file.Close();
    return true;
}

int Receiver(const std::vector<TramoT>& reaches, int r) {
    TramoT t = At(reaches, r);
    const int next = design::ReceiverRecord(t);
    return next >= 1 && next <= Count(reaches) && next != r ? next : 0;
}

std::vector<ProfileLine> CollectorLines(const std::vector<TramoT>& reaches) {
    const int n = Count(reaches);
    // The main tributary of every reach: the one whose line goes on through it.
    std::vector<int> receiver(static_cast<size_t>(n + 1), 0), main(static_cast<size_t>(n + 1), 0);
    for (int r = 1; r <= n; ++r) {
        const int next = Receiver(reaches, r);
        receiver[static_cast<size_t>(r)] = next;
        if (next == 0) continue;
        int& m = main[static_cast<size_t>(next)];
        if (m == 0 || Larger(reaches, r, m)) m = r;
    }
    std::vector<char> taken(static_cast<size_t>(n + 1), 0);
    std::vector<ProfileLine> lines;
    auto follow = [&](int r) {
        ProfileLine line;
        while (r != 0 && !taken[static_cast<size_t>(r)]) {
            taken[static_cast<size_t>(r)] = 1;
            line.records.push_back(r);
            const int next = receiver[static_cast<size_t>(r)];
            r = next != 0 && main[static_cast<size_t>(next)] == r ? next : 0;
        }
        lines.push_back(std::move(line));
    };
    for (int r = 1; r <= n; ++r)
        if (main[static_cast<size_t>(r)] == 0) follow(r);
    // Links that loop back (a damaged copy) leave reaches no head reaches: each still gets
    // a line, so that none is left out.
    for (int r = 1; r <= n; ++r)
        if (!taken[static_cast<size_t>(r)]) follow(r);
    return lines;
}

bool PathBetween(const std::vector<TramoT>& reaches, const std::string& from, const std::string& to,
                 ProfileLine& path, std::string& error) {
    path.records.clear();
    const int n = Count(reaches);
    if (from == to) {
        error = cp("Los pozos inicial y final del perfil son el mismo: ") + from;
        return false;
    }
    bool leaves = false, exists = false;
    for (int r = 1; r <= n; ++r) {
        const TramoT& t = At(reaches, r);
        if (t.Upstream == to || t.Downstream == to) exists = true;
        if (t.Upstream != from) continue;
        leaves = true;
        ProfileLine walk;
        for (int k = r; k != 0 && static_cast<int>(walk.records.size()) < n;
             k = Receiver(reaches, k)) {
            walk.records.push_back(k);
            if (At(reaches, k).Downstream == to) {
                path = std::move(walk);
                return true;
            }
        }
    }
    if (!leaves)
        error = cp("Ningún tramo sale del pozo ") + from;
    else if (!exists)
        error = cp("El pozo ") + to + cp(" no existe en la red");
    else
        error = cp("El pozo ") + to + cp(" no está aguas abajo del pozo ") + from;
    return false;
}

}  // namespace nivex::drawings
