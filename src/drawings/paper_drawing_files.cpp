#include "drawings/paper_drawing_files.h"

#include <charconv>
#include <utility>
#include <vector>

#include "console/codepage.h"
#include "drawings/profile_lines.h"

namespace nivex::drawings {

bool ReadScale(std::string_view text, int& scale) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.rfind("1:", 0) == 0) text.remove_prefix(2);
    long n = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || n < 1 ||
        n > kMostScale)
        return false;
    scale = static_cast<int>(n);
    return true;
}

bool PaperNamed(const std::string& name, Paper& paper) {
    for (Paper p : {Paper::Carta, Paper::Oficio, Paper::A3, Paper::A1})
        if (name == PaperName(p)) {
            paper = p;
            return true;
        }
    return false;
}

const char* PaperName(Paper paper) {
    switch (paper) {
        case Paper::Carta:
            return "carta";
        case Paper::Oficio:
            return "oficio";
        case Paper::A3:
            return "a3";
        case Paper::A1:
            break;
    }
    return "a1";
}

bool WritePlanFile(const DrawingInputs& in, const PlanFile& request, PlanFileResult& result,
                   std::string* error) {
    PlanOptions o = PlanOptionsOf(in, 0, request.paper);
    Plan plan = BuildPlan(in.reaches, in.placement, o);
    if (request.scale > 0) {
        const int fitting = plan.scale;
        o.scale = request.scale;
        o.onPaper = true;
        plan = BuildPlan(in.reaches, in.placement, o);
        if (!plan.FitsPaper()) {
            *error = "a escala 1:" + std::to_string(request.scale) +
                     " la red no cabe en el papel " + PaperName(request.paper) +
                     "; la mayor escala que cabe es 1:" + std::to_string(fitting);
            return false;
        }
    }
    PaperWriteOptions w;
    w.fontFile = request.fontFile;
    if (!WriteDrawings({&plan.drawing}, request.format, request.path, w, error)) return false;
    result.scale = plan.scale;
    result.width = plan.drawing.width;
    result.height = plan.drawing.height;
    result.schematic = plan.schematic;
    result.reaches = plan.reaches.size();
    result.manholes = plan.manholes.size();
    return true;
}

bool WriteProfilesFile(const DrawingInputs& in, const ProfilesFile& request,
                       ProfilesFileResult& result, std::string* error) {
    std::vector<ProfileLine> lines;
    if (!request.from.empty() || !request.to.empty()) {
        ProfileLine path;
        std::string failure;
        if (!PathBetween(in.reaches, request.from, request.to, path, failure)) {
            *error = toUtf8(failure);
            return false;
        }
        lines.push_back(std::move(path));
    } else {
        lines = CollectorLines(in.reaches);
    }
    ProfileSheetOptions o = request.sheets;
    o.header = in.header;
    const ProfileSheetSet set = BuildProfileSheets(in.reaches, lines, o);
    std::vector<const Drawing*> pages;
    for (const Drawing& sheet : set.sheets)
        pages.push_back(&sheet);
    PaperWriteOptions w;
    w.fontFile = request.fontFile;
    if (!WriteDrawings(pages, request.format, request.path, w, error)) return false;
    result.lines = lines.size();
    result.parts = set.parts.size();
    result.sheets = set.sheets.size();
    return true;
}

}  // namespace nivex::drawings
