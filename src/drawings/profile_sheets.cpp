#include "drawings/profile_sheets.h"

#include <algorithm>
#include <string>

#include "console/codepage.h"

namespace nivex::drawings {
namespace {

using network::TramoT;

// Paper left of abscissa 0 and right of the last manhole in a profile's own drawing: its
// margin, the row titles of the data band and the room of the last labels.
constexpr double kProfileLeft = 52, kProfileRight = 40;

// The first records of `records` from `start` whose profile, by their lengths, fits
// `width`; at least one.
size_t FittingCount(const std::vector<TramoT>& reaches, const std::vector<int>& records,
                    size_t start, double width, int horizontal) {
    double length = 0;
    size_t n = 0;
    for (size_t i = start; i < records.size(); ++i) {
        length += reaches[static_cast<size_t>(records[i] - 1)].Length;
        if (n > 0 && kProfileLeft + length * 1000.0 / horizontal + kProfileRight > width) break;
        ++n;
    }
    return std::max<size_t>(n, 1);
}

struct Part {
    ProfileLine line;
    Profile profile;
};

// The line cut into parts whose drawings are no wider than `width`.
void CutLine(const std::vector<TramoT>& reaches, const ProfileLine& line, double width,
             ProfileScales scales, std::vector<Part>& parts) {
    size_t start = 0;
    while (start < line.records.size()) {
        size_t n = FittingCount(reaches, line.records, start, width, scales.horizontal);
        Part part;
        for (;;) {
            part.line.records.assign(line.records.begin() + static_cast<long>(start),
                                     line.records.begin() + static_cast<long>(start + n));
            part.profile = BuildProfile(reaches, part.line, scales);
            if (part.profile.drawing.width <= width || n == 1) break;
            --n;
        }
        parts.push_back(std::move(part));
        start += n;
    }
}

}  // namespace

ProfileSheetSet BuildProfileSheets(const std::vector<TramoT>& reaches,
                                   const std::vector<ProfileLine>& lines,
                                   const ProfileSheetOptions& o) {
    const Box portrait = PaperSize(o.paper);
    const double paperW = portrait.y1, paperH = portrait.x1;
    // The profiles stand above the strip of the title block.
    const double strip = kSheetMargin + kTitleBlockHeight;
    ProfileScales scales = o.scales;
    if (scales.horizontal <= 0) scales.horizontal = ProfileScales{}.horizontal;
    if (scales.vertical <= 0) scales.vertical = ProfileScales{}.vertical;

    std::vector<Part> parts;
    for (const ProfileLine& line : lines)
        CutLine(reaches, line, paperW, scales, parts);

    // Rows from the top of the sheet down; in a row, parts side by side.
    ProfileSheetSet set;
    double rowTop = 0, rowHeight = 0, x = 0;
    // A part goes down into the strip of the title block where it ends left of the block
    // (its own margin stays clear of it).
    auto fitsAt = [&](double left, const Drawing& d) {
        const Drawing& sheet = set.sheets.back();
        const double bottom = rowTop - d.height;
        const double blockLeft = sheet.width - kSheetMargin - kTitleBlockWidth;
        return left + d.width <= sheet.width &&
               (bottom >= strip || (bottom >= 0 && left + d.width <= blockLeft));
    };
    for (Part& part : parts) {
        const Drawing& d = part.profile.drawing;
        bool fits = !set.sheets.empty() && fitsAt(x, d);
        if (!fits && !set.sheets.empty()) {  // a new row
            rowTop -= rowHeight;
            rowHeight = 0;
            x = 0;
            fits = fitsAt(0, d);
        }
        if (!fits) {
            Drawing sheet;
            sheet.width = std::max(paperW, d.width);
            sheet.height = std::max(paperH, d.height + strip);
            set.sheets.push_back(std::move(sheet));
            rowTop = set.sheets.back().height;
            rowHeight = 0;
            x = 0;
        }
        const Point offset{x, rowTop - d.height};
        set.sheets.back().Append(d, offset);
        x += d.width;
        rowHeight = std::max(rowHeight, d.height);
        set.parts.push_back(std::move(part.line));
        set.sheetOf.push_back(static_cast<int>(set.sheets.size()) - 1);
        set.offsetOf.push_back(offset);
    }
    const std::string scaleLine = cp("Escalas: H 1:") + std::to_string(scales.horizontal) +
                                  "  V 1:" + std::to_string(scales.vertical);
    for (size_t k = 0; k < set.sheets.size(); ++k)
        AddTitleBlock(set.sheets[k], cp("PERFILES LONGITUDINALES"), o.header,
                      {scaleLine, cp("Hoja ") + std::to_string(k + 1) + cp(" de ") +
                                      std::to_string(set.sheets.size())},
                      false);
    return set;
}

}  // namespace nivex::drawings
