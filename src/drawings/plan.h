#pragma once
// The plan of the network ("Plano de la Red"): the manholes with their names, every reach
// from its upstream to its downstream manhole coloured by its state, a flow arrow at its
// middle, its diameter, slope and length, the reaches the revision lists on a layer of
// their own, and the title block. Besides the geometry the plan keeps, for a window, where
// each reach and manhole landed on the paper, so that what lies under the mouse and a
// manhole by name can be found.

#include <string>
#include <string_view>
#include <vector>

#include "design/revision.h"
#include "drawings/drawing.h"
#include "drawings/reach_vertices.h"
#include "drawings/schematic_layout.h"
#include "drawings/title_block.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::drawings {

enum class ReachState { New, Existing, Restricted, Removed };

// The layer of the reaches of a state.
const char* StateLayer(ReachState s);

// The state of record `record` (from 1) of the design copy: the records after the
// network's reachCount are the existing or restricted reaches the design removed; a
// reach not investigated is drawn as existing.
ReachState StateOf(const network::TramoT& t, int record, int reachCount);

// The header the listings print, from the project's control record.
PlanHeader PlanHeaderOf(const project::Project& p);

// The findings of the revision for every record of the design copy (at record - 1), as
// the revision lists them: capacity and junction problems, deficiencies and RAS
// deficiencies of the network's reaches. Empty for a reach without findings.
std::vector<std::vector<std::string>> PlanFindings(const design::RevisionCriteria& c,
                                                   const std::vector<network::TramoT>& records,
                                                   int reachCount);

enum class Paper { Carta, Oficio, A3, A1 };
// Width and height in portrait (mm).
Box PaperSize(Paper paper);

struct PlanOptions {
    int scale = 0;            // 1:scale; 0 fits the plan to `paper`
    Paper paper = Paper::A1;  // with scale 0, portrait or landscape, whichever fits larger
    // With a scale: the page is `paper`, turned the way the network fits it best (it may
    // not fit: FitsPaper tells); otherwise the page is as large as the network needs.
    bool onPaper = false;
    int reachCount = 0;  // reaches of the network; 0 every record is one
    std::vector<std::vector<std::string>> findings;  // per record, as PlanFindings gives
    PlanHeader header;
    // The bends of reaches in the manholes' coordinates; a schematic layout leaves them out.
    ReachVertices bends;
};

struct PlanReach {
    int record = 0;  // of the design copy, from 1
    ReachState state = ReachState::New;
    Point from, to;          // upstream and downstream manhole on the paper
    std::vector<Point> via;  // its bends between them, in order (most reaches have none)
    int label = -1;          // its label among the drawing's texts; -1 left out (or none)
    std::vector<std::string> findings;

    // from, the bends and to.
    std::vector<Point> Path() const;
    // The longest straight piece of the path, where its arrow and label go.
    std::pair<Point, Point> LongestPiece() const;
};

struct PlanManhole {
    std::string name;  // code page
    Point at;
    int label = -1;  // its name among the drawing's texts; -1 left out
};

struct Plan {
    Drawing drawing;
    int scale = 0;
    bool schematic = false;
    // Paper point of layout point (x, y): origin + (x - west, y - south) * 1000 / scale.
    Point origin;
    double west = 0, south = 0;
    std::vector<PlanReach> reaches;     // drawn reaches, in record order
    std::vector<PlanManhole> manholes;  // in the layout's order
    std::vector<Text> leftOut;          // labels that found no room; shown when zoomed in

    Point PaperPoint(double x, double y) const;
    // Whether every manhole and the title block lie inside the page.
    bool FitsPaper() const;
    // The drawn reach nearest to paper point p within `within` mm; nullptr when none.
    const PlanReach* NearestReach(Point p, double within) const;
    // The manhole named `name` (code page); nullptr when the plan has none.
    const PlanManhole* FindManhole(std::string_view name) const;
};

// The plan of the design copy `reaches` with its manholes where `placement` puts them.
Plan BuildPlan(const std::vector<network::TramoT>& reaches, const ManholeLayout& placement,
               const PlanOptions& options);

}  // namespace nivex::drawings
