#include "quantities/stage_listing.h"

#include <cmath>

#include "console/codepage.h"
#include "console/keys.h"
#include "design/design_listing_data.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"
#include "quantities/stages.h"
#include "shell/session.h"

namespace nivex::quantities {
namespace {

using network::general::BoxColumn;

constexpr const char* kRangeTitle = "LISTADO ETAPAS DE CONSTRUCCION ";
constexpr const char* kPageTitle = "ETAPAS DE CONSTRUCCION";
constexpr const char* kBox = "│ ####  │ \\   \\ │ \\   \\ │ ####  │";
constexpr const char* kEmpty = "  ---  ";
constexpr const char* kGap = "   ";
constexpr int kCell = 7;
constexpr int kBoxesPerRow = 3;
constexpr int kWidth = 3 * (1 + 4 * (kCell + 1)) + 2 * 3;

std::vector<BoxColumn> Columns() {
    return {{kCell, {"linea", "", ""}},
            {kCell, {"t  r  a  m  o", "", ""}, true},
            {kCell, {"", "", ""}},
            {kCell, {"etapa", "", ""}}};
}

// Under the names' common caption the rule opens the two name columns.
std::string Separator(const std::vector<BoxColumn>& columns) {
    std::string rule = network::general::BoxSeparator(columns);
    rule[static_cast<size_t>(2 * (kCell + 1))] = static_cast<char>(194);  // ┬
    return rule;
}

std::string ThreeTimes(const std::string& box) {
    return box + kGap + box + kGap + box;
}

int Whole(float v) {
    if (!std::isfinite(v) || std::fabs(v) > 9999) return 0;
    return static_cast<int>(std::lround(v));
}

// Waits for Enter (or Esc) under the message.
void NoReaches(shell::Session& s) {
    s.console.clrScr();
    s.screen.ShowHeader(cp(kRangeTitle));
    s.screen.WriteCentred(10, cp("No se ha introducido ningun tramo"));
    s.screen.WaitEnterOrEsc(12, cp("Para continuar oprima [ Enter ]"));
}

}  // namespace

std::vector<std::string> StageRows(const std::vector<network::TramoT>& reaches) {
    static const std::string box = cp(kBox);
    static const std::string empty = network::general::BoxRow({kEmpty, kEmpty, kEmpty, kEmpty});
    std::vector<std::string> rows;
    for (size_t first = 0; first < reaches.size(); first += kBoxesPerRow) {
        std::string row;
        for (size_t k = first; k < first + kBoxesPerRow; ++k) {
            if (k > first) row += kGap;
            if (k >= reaches.size()) {
                row += empty;
                continue;
            }
            const network::TramoT& t = reaches[k];
            row += listings::FormatLine(box, {static_cast<int>(k + 1), t.Upstream, t.Downstream,
                                              Whole(t.Diseno.ConstructionStage)});
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void ListStages(shell::Session& s) {
    std::string error;
    if (!LoadStageState(s.project, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    if (s.project.header.ReachCount <= 0) return NoReaches(s);
    if (!network::general::ConfirmWithRange(s, kRangeTitle)) return;
    design::DesignCopy copy;
    if (!design::LoadDesignCopy(s, copy)) return;
    copy.records.resize(static_cast<size_t>(copy.networkCount));  // not the removed ones

    listings::ListingRun run(s, cp(kPageTitle), kWidth);
    const auto columns = Columns();
    run.heading = [&] {
        run.Line(ThreeTimes(network::general::BoxTop(columns)));
        run.Line(ThreeTimes(network::general::BoxCaption(columns, 0)));
        run.Line(ThreeTimes(Separator(columns)));
    };
    const auto bottom = [&] { run.Line(ThreeTimes(network::general::BoxBottom(columns))); };
    run.closeTable = bottom;
    if (!run.Begin()) return;
    for (const std::string& row : StageRows(copy.records))
        if (!run.Row(row)) break;
    run.Finish(bottom);
}

}  // namespace nivex::quantities
