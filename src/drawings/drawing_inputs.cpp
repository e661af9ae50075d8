#include "drawings/drawing_inputs.h"

#include <filesystem>

#include "console/codepage.h"
#include "design/revision.h"
#include "drawings/manhole_coordinates.h"
#include "drawings/profile_lines.h"
#include "drawings/reach_vertices.h"
#include "network/reach_csv.h"

namespace nivex::drawings {

bool LoadDrawingInputs(project::Project& p, DrawingInputs& in, std::string* error) {
    in = DrawingInputs{};
    std::error_code ec;
    in.designed =
        p.header.StageDone[1] != 0 && std::filesystem::is_regular_file(p.files.designCopy(), ec);
    std::string failure;
    if (in.designed) {
        if (!ReadDesignedReaches(p.files.designCopy(), in.reaches, failure)) {
            *error = toUtf8(failure);
            return false;
        }
        in.reachCount = p.header.ReachCount;
        // A copy that does not match the control record draws as the network it holds.
        if (!design::RevisionInputProblem(in.reaches, in.reachCount).empty())
            in.reachCount = static_cast<int>(in.reaches.size());
        in.findings =
            PlanFindings(design::RevisionCriteriaOf(p.espec, p.header), in.reaches, in.reachCount);
    } else {
        if (!network::ReadNetwork(p, in.reaches, error)) return false;
        in.reachCount = static_cast<int>(in.reaches.size());
    }
    if (in.reaches.empty()) {
        *error = "El sector no tiene tramos: no hay nada que dibujar";
        return false;
    }
    ManholeCoordinates stored;
    if (!ReadCoordinates(p, stored, &in.skippedCoordinates, error)) return false;
    in.placement = PlaceManholes(ReachEndsOf(in.reaches), stored);
    int skippedBends = 0;
    if (!ReadVertices(p, in.bends, &skippedBends, error)) return false;
    in.skippedCoordinates += skippedBends;
    in.header = PlanHeaderOf(p);
    return true;
}

PlanOptions PlanOptionsOf(const DrawingInputs& in, int scale, Paper paper) {
    PlanOptions o;
    o.scale = scale;
    o.paper = paper;
    o.reachCount = in.reachCount;
    o.findings = in.findings;
    o.header = in.header;
    o.bends = in.bends;
    return o;
}

}  // namespace nivex::drawings
