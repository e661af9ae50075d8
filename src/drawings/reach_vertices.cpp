#include "drawings/reach_vertices.h"

#include <filesystem>
#include <map>

#include "drawings/manhole_coordinates.h"
#include "project/replace_file.h"

namespace nivex::drawings {

std::string VerticesPath(const project::FileNames& files) {
    return files.path("Vertices.");
}

std::string FormatVertices(const ReachVertices& v) {
    std::string text;
    for (const ReachBends& r : v)
        for (const auto& [x, y] : r.points)
            text.append(r.upstream)
                .append(1, '\t')
                .append(r.downstream)
                .append(1, '\t')
                .append(CoordinateText(x))
                .append(1, '\t')
                .append(CoordinateText(y))
                .append("\n");
    return text;
}

ReachVertices ParseVertices(std::string_view text, int* skipped) {
    ReachVertices v;
    std::map<std::pair<std::string, std::string>, size_t> at;
    int left = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::vector<std::string_view> f = TabFields(line);
        double x = 0, y = 0;
        if (f.size() != 4 || !ValidManholeName(f[0]) || !ValidManholeName(f[1]) ||
            !ReadFiniteNumber(f[2], x) || !ReadFiniteNumber(f[3], y)) {
            ++left;
            continue;
        }
        const auto key = std::make_pair(std::string(f[0]), std::string(f[1]));
        auto it = at.find(key);
        if (it == at.end()) {
            it = at.emplace(key, v.size()).first;
            v.push_back({key.first, key.second, {}});
        }
        v[it->second].points.push_back({x, y});
    }
    if (skipped) *skipped = left;
    return v;
}

bool ReadVertices(const project::Project& p, ReachVertices& v, int* skipped, std::string* error) {
    v.clear();
    if (skipped) *skipped = 0;
    std::string text;
    if (!ReadMapFile(VerticesPath(p.files), text, error)) return false;
    v = ParseVertices(text, skipped);
    return true;
}

bool WriteVertices(const project::Project& p, const ReachVertices& v, std::string* error) {
    const std::string path = VerticesPath(p.files);
    if (p.onlyReads()) {
        if (error)
            *error = "El sector " + p.files.extension() +
                     " esta en uso por otro programa: no se escribio el archivo " + path;
        return false;
    }
    if (v.empty()) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        if (ec) {
            if (error) *error = "No se pudo borrar el archivo " + path;
            return false;
        }
        return true;
    }
    return project::ReplaceFileContents(path, FormatVertices(v), error);
}

const ReachBends* FindBends(const ReachVertices& v, std::string_view upstream,
                            std::string_view downstream) {
    for (const ReachBends& r : v)
        if (r.upstream == upstream && r.downstream == downstream) return &r;
    return nullptr;
}

}  // namespace nivex::drawings
