#include "design/design_listing_data.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "design/reach_values.h"
#include "network/general_listing_parts.h"
#include "network/reach_file.h"
#include "project/file_size.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_results.h"

namespace nivex::design {
namespace {

constexpr const char* kNoDesign = "... Falta hacer o repetir el diseño del proyecto ...";

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

}  // namespace

std::string DesignCopyProblem(const std::vector<network::TramoT>& records, int reachCount) {
    if (reachCount <= 0 || static_cast<int>(records.size()) < reachCount) return cp(kNoDesign);
    // The design numbers every record of the network it designed; a copy of another
    // network, or of one since changed, does not carry the numbers of this one.
    for (int k = 0; k < reachCount; ++k) {
        network::TramoT t = records[static_cast<size_t>(k)];
        if (OwnRecord(t) != k + 1) return cp(kNoDesign);
    }
    // What follows the network are reaches the design took out, never new ones.
    for (size_t k = static_cast<size_t>(reachCount); k < records.size(); ++k)
        if (records[k].Class == network::kClassNew) return cp(kNoDesign);
    return "";
}

bool LoadDesignCopy(shell::Session& s, DesignCopy& copy) {
    if (!network::general::LoadSector(s)) return false;
    const std::string path = s.project.files.designCopy();
    if (s.project.header.StageDone[1] == 0 || !Exists(path)) {
        s.screen.ShowMessageBox(cp(kNoDesign));
        return false;
    }
    network::TramoFile file;
    if (!file.Open(path)) {
        s.ui.showError(cp(file.error()), "Error");
        return false;
    }
    copy.records.clear();
    copy.records.reserve(static_cast<size_t>(file.count()));
    for (int line = 1; line <= file.count(); ++line) {
        network::TramoT t;
        if (!file.Read(line, t)) {
            const std::string error = file.error();
            file.Close();
            s.ui.showError(cp(error), "Error");
            return false;
        }
        copy.records.push_back(std::move(t));
    }
    file.Close();
    const std::string problem = DesignCopyProblem(copy.records, s.project.header.ReachCount);
    if (!problem.empty()) {
        s.screen.ShowMessageBox(problem);
        return false;
    }
    copy.networkCount = s.project.header.ReachCount;
    copy.criteria = CriteriaOf(s.project.espec, s.project.header);
    return true;
}

int StartingCollectorSize(const specs::EspecT& e) {
    if (e.MinSanitaryDiameter > 0 && e.MinSanitaryDiameter < e.MinStormDiameter)
        return e.MinSanitaryDiameter;
    return e.MinStormDiameter;
}

std::string SwmmResultPath(const shell::Session& s, const char* name) {
    return s.project.files.folder() + name;
}

bool CheckSwmmListingsReady(shell::Session& s) {
    const swmm::SwmmContext context{s.project, s.ui, &s.screen, swmm::SessionSwmmFolder(s),
                                    false,     ""};
    return swmm::CheckSwmmListingsReady(context);
}

std::vector<std::string> ReadResultLines(const std::string& path) {
    std::vector<std::string> lines;
    if (!project::OversizedFile(path, project::kMostNumberFileBytes).empty()) return lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(Trim(line));
    return lines;
}

double ResultValue(const std::vector<std::string>& lines, size_t k) {
    if (k >= lines.size() || lines[k].empty()) return 0;
    const std::string& text = lines[k];
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v)) return 0;
    return v;
}

bool SwmmResults::isFlooded(const std::string& name) const {
    for (const std::string& n : flooded)
        if (n == name) return true;
    return false;
}

SwmmResults ReadSwmmResults(const shell::Session& s) {
    SwmmResults r;
    r.fullFlowRatio = ReadResultLines(SwmmResultPath(s, "MaxFullFlow"));
    r.depthRatio = ReadResultLines(SwmmResultPath(s, "DepthSwmm"));
    r.velocity = ReadResultLines(SwmmResultPath(s, "VelSwmm"));
    r.flooded = ReadResultLines(SwmmResultPath(s, "NodeFSwmm"));
    std::erase_if(r.flooded, [](const std::string& n) { return n.empty(); });
    return r;
}

}  // namespace nivex::design
