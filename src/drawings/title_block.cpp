#include "drawings/title_block.h"

#include <algorithm>
#include <utility>

#include "console/codepage.h"

namespace nivex::drawings {
namespace {

const char* const kTitle = "rotulo";

std::string Truncated(std::string text, double height, double width) {
    const size_t fits = static_cast<size_t>(width / (kCharWidth * height));
    if (text.size() > fits) text.resize(fits);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

Text Make(Point at, double height, HAlign h, VAlign v, std::string text) {
    Text t;
    t.layer = kTitle;
    t.at = at;
    t.height = height;
    t.h = h;
    t.v = v;
    t.text = std::move(text);
    return t;
}

}  // namespace

void AddTitleBlock(Drawing& d, const std::string& title, const PlanHeader& header,
                   const std::vector<std::string>& lines, bool northArrow,
                   std::vector<Box>* texts) {
    const Box block{d.width - kSheetMargin - kTitleBlockWidth, kSheetMargin, d.width - kSheetMargin,
                    kSheetMargin + kTitleBlockHeight};
    d.AddLine(kTitle, {{block.x0, block.y0},
                       {block.x1, block.y0},
                       {block.x1, block.y1},
                       {block.x0, block.y1},
                       {block.x0, block.y0}});
    const double arrowColumn = northArrow ? block.x1 - 24 : block.x1;
    if (northArrow) d.AddLine(kTitle, {{arrowColumn, block.y0}, {arrowColumn, block.y1}});
    const double textWidth = arrowColumn - block.x0 - 4;
    std::vector<std::pair<std::string, double>> rows;
    rows.push_back({title, 3.5});
    rows.push_back({header.entity, 2.5});
    rows.push_back({cp("Proyecto: ") + header.project, 2.5});
    if (!header.sector.empty()) rows.push_back({cp("Sector: ") + header.sector, 2.5});
    rows.push_back({cp("Consultor: ") + header.consultant, 2.5});
    rows.push_back({cp("Fecha: ") + header.date, 2.5});
    for (const std::string& line : lines)
        rows.push_back({line, 2.5});
    // Rows share the block's height when there are more than the usual seven.
    const double pitch = std::min(2.2, (kTitleBlockHeight - 4 - 3.5 - 2.5 * (rows.size() - 1)) /
                                           static_cast<double>(rows.size() - 1));
    double y = block.y1 - 2;
    for (auto& [text, height] : rows) {
        Text t = Make({block.x0 + 2, y}, height, HAlign::Left, VAlign::Top,
                      Truncated(text, height, textWidth));
        y -= height + pitch;
        if (texts) texts->push_back(TextBox(t));
        d.AddText(std::move(t));
    }
    if (!northArrow) return;
    // The north arrow: a shaft with a filled head, "N" above it.
    const double cx = (arrowColumn + block.x1) / 2;
    const double bottom = block.y0 + 6, top = block.y1 - 12;
    d.AddLine(kTitle, {{cx, bottom}, {cx, top}});
    d.AddArea(kTitle, {{cx, top + 6}, {cx + 3, top}, {cx - 3, top}});
    Text n = Make({cx, top + 7}, 3.5, HAlign::Centre, VAlign::Bottom, "N");
    if (texts) texts->push_back(TextBox(n));
    d.AddText(std::move(n));
}

}  // namespace nivex::drawings
