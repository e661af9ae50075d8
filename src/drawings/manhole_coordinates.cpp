#include "drawings/manhole_coordinates.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "project/replace_file.h"

namespace nivex::drawings {
namespace {

constexpr std::string_view kSystemTag = "SISTEMA";
constexpr char kSeparator = '\t';
// Far more than any sector's manholes: a larger file is not one of ours.
constexpr std::uintmax_t kMostBytes = std::uintmax_t{16} << 20;

bool ReadSystem(std::string_view line, CoordinateSystem& system) {
    const std::vector<std::string_view> f = TabFields(line);
    if (f.size() != 3 || f[0] != kSystemTag) return false;
    int epsg = 0;
    const auto r = std::from_chars(f[1].data(), f[1].data() + f[1].size(), epsg);
    if (r.ec != std::errc() || r.ptr != f[1].data() + f[1].size() || epsg <= 0) return false;
    system.epsg = epsg;
    system.label = std::string(f[2]);
    return true;
}

}  // namespace

std::vector<std::string_view> TabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(kSeparator, start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

bool ReadFiniteNumber(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

bool ValidManholeName(std::string_view name) {
    if (name.empty() || name.size() > 5 || name.front() == ' ' || name.back() == ' ') return false;
    for (unsigned char ch : name)
        if (ch < 0x20 || ch == 0x7f) return false;
    return true;
}

bool ReadMapFile(const std::string& path, std::string& text, std::string* error) {
    text.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return true;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMostBytes) {
        if (error)
            *error = ec ? "No se pudo leer el archivo " + path
                        : "El archivo " + path + " es demasiado grande para ser de coordenadas";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    text.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        if (error) *error = "No se pudo leer el archivo " + path;
        return false;
    }
    return true;
}

const ManholePoint* ManholeCoordinates::find(std::string_view name) const {
    for (const ManholePoint& p : points)
        if (p.name == name) return &p;
    return nullptr;
}

std::string CoordinatesPath(const project::FileNames& files) {
    return files.path("Pozos.");
}

std::string CoordinateText(double value) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string("0");
}

std::string FormatCoordinates(const ManholeCoordinates& c) {
    std::string text;
    text.reserve(32 * (c.points.size() + 1));
    text.append(kSystemTag).append(1, kSeparator).append(std::to_string(c.system.epsg));
    text.append(1, kSeparator).append(c.system.label).append("\n");
    for (const ManholePoint& p : c.points) {
        text.append(p.name).append(1, kSeparator).append(CoordinateText(p.x));
        text.append(1, kSeparator).append(CoordinateText(p.y)).append("\n");
    }
    return text;
}

ManholeCoordinates ParseCoordinates(std::string_view text, int* skipped) {
    ManholeCoordinates c;
    int left = 0;
    std::set<std::string, std::less<>> seen;
    bool first = true;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const bool header = first;
        first = false;
        if (line.empty()) continue;
        if (header && line.starts_with(kSystemTag)) {
            if (!ReadSystem(line, c.system)) ++left;
            continue;
        }
        const std::vector<std::string_view> f = TabFields(line);
        ManholePoint p;
        if (f.size() != 3 || !ValidManholeName(f[0]) || !ReadFiniteNumber(f[1], p.x) ||
            !ReadFiniteNumber(f[2], p.y) || seen.count(f[0])) {
            ++left;
            continue;
        }
        p.name = std::string(f[0]);
        seen.insert(p.name);
        c.points.push_back(std::move(p));
    }
    if (skipped) *skipped = left;
    return c;
}

bool ReadCoordinatesFile(const std::string& path, ManholeCoordinates& c, int* skipped,
                         std::string* error) {
    c = {};
    if (skipped) *skipped = 0;
    std::string text;
    if (!ReadMapFile(path, text, error)) return false;
    c = ParseCoordinates(text, skipped);
    return true;
}

bool ReadCoordinates(const project::Project& p, ManholeCoordinates& c, int* skipped,
                     std::string* error) {
    return ReadCoordinatesFile(CoordinatesPath(p.files), c, skipped, error);
}

bool WriteCoordinates(const project::Project& p, const ManholeCoordinates& c, std::string* error) {
    const std::string path = CoordinatesPath(p.files);
    if (p.onlyReads()) {
        if (error)
            *error = "El sector " + p.files.extension() +
                     " esta en uso por otro programa: no se escribio el archivo " + path;
        return false;
    }
    return project::ReplaceFileContents(path, FormatCoordinates(c), error);
}

}  // namespace nivex::drawings
