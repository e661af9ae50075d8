// The profiles laid out on sheets: every reach in exactly one part, parts cut at manholes
// and following on, each part on its sheet where its own profile would draw it, nothing
// over the title block or another part, and no two texts of a sheet overlapping.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "design/design_rig.h"
#include "design/reach_values.h"
#include "drawings/profile_lines.h"
#include "drawings/profile_sheets.h"
#include "drawings/text_box_check.h"
#include "network/simulated_project.h"

namespace nivex::drawings {
namespace {

using design::test::DesignRig;
using network::TramoT;
using test::BoxOf;

// A placed part's frame on its sheet, and the block's frame, from their sizes alone.
struct Frame {
    double x0, y0, x1, y1;
};
bool Apart(const Frame& a, const Frame& b) {
    return a.x1 <= b.x0 + 1e-9 || b.x1 <= a.x0 + 1e-9 || a.y1 <= b.y0 + 1e-9 || b.y1 <= a.y0 + 1e-9;
}

void CheckSheets(const std::vector<TramoT>& z, const std::vector<ProfileLine>& lines,
                 const ProfileSheetOptions& o) {
    const ProfileSheetSet set = BuildProfileSheets(z, lines, o);
    ASSERT_EQ(set.parts.size(), set.sheetOf.size());
    ASSERT_EQ(set.parts.size(), set.offsetOf.size());

    // The parts of each line, in order, make up the line: every reach once, cut only at a
    // manhole where the next part starts.
    size_t k = 0;
    for (const ProfileLine& line : lines) {
        std::vector<int> joined;
        while (joined.size() < line.records.size() && k < set.parts.size()) {
            const ProfileLine& part = set.parts[k];
            ASSERT_FALSE(part.records.empty());
            if (!joined.empty()) {
                EXPECT_EQ(z[static_cast<size_t>(part.records.front() - 1)].Upstream,
                          z[static_cast<size_t>(joined.back() - 1)].Downstream);
            }
            joined.insert(joined.end(), part.records.begin(), part.records.end());
            ++k;
        }
        EXPECT_EQ(joined, line.records);
    }
    EXPECT_EQ(k, set.parts.size());

    const Box paper = PaperSize(o.paper);
    std::vector<std::vector<Frame>> frames(set.sheets.size());
    for (size_t i = 0; i < set.parts.size(); ++i) {
        const Profile p = BuildProfile(z, set.parts[i], o.scales);
        const Drawing& sheet = set.sheets[static_cast<size_t>(set.sheetOf[i])];
        const Point off = set.offsetOf[i];
        const Frame f{off.x, off.y, off.x + p.drawing.width, off.y + p.drawing.height};
        EXPECT_GE(f.x0, 0);
        EXPECT_GE(f.y0, 0);
        EXPECT_LE(f.x1, sheet.width + 1e-9);
        EXPECT_LE(f.y1, sheet.height + 1e-9);
        // A sheet larger than the paper only for a part that would not fit it.
        if (sheet.width > paper.y1 || sheet.height > paper.x1) {
            EXPECT_TRUE(p.drawing.width > paper.y1 ||
                        p.drawing.height > paper.x1 - kSheetMargin - kTitleBlockHeight);
        }
        // The part's first crown point where its own profile puts it, moved by the offset.
        const TramoT& first = z[static_cast<size_t>(set.parts[i].records.front() - 1)];
        const Point crown{p.X(0) + off.x, p.Y(first.CrownUp) + off.y};
        bool found = false;
        for (const Polyline& l : sheet.lines)
            if (l.layer == "clave" && !l.points.empty() &&
                std::fabs(l.points.front().x - crown.x) < 1e-6 &&
                std::fabs(l.points.front().y - crown.y) < 1e-6)
                found = true;
        EXPECT_TRUE(found) << "part " << i;
        frames[static_cast<size_t>(set.sheetOf[i])].push_back(f);
    }
    for (size_t s = 0; s < set.sheets.size(); ++s) {
        const Drawing& sheet = set.sheets[s];
        EXPECT_TRUE(sheet.width == paper.y1 || sheet.width > paper.y1);
        EXPECT_TRUE(sheet.height == paper.x1 || sheet.height > paper.x1);
        // The parts' own margins keep the block clear: content stays 10 mm off the frame.
        const Frame block{sheet.width - kSheetMargin - kTitleBlockWidth + 10, 0, sheet.width,
                          kSheetMargin + kTitleBlockHeight};
        const std::vector<Frame>& fs = frames[s];
        EXPECT_FALSE(fs.empty());
        for (size_t a = 0; a < fs.size(); ++a) {
            EXPECT_TRUE(Apart(fs[a], block)) << "sheet " << s << " part " << a;
            for (size_t b = a + 1; b < fs.size(); ++b)
                EXPECT_TRUE(Apart(fs[a], fs[b])) << "sheet " << s << " parts " << a << ", " << b;
        }
        std::vector<Box> boxes;
        for (const Text& t : sheet.texts)
            boxes.push_back(BoxOf(t));
        for (size_t a = 0; a < boxes.size(); ++a)
            for (size_t b = a + 1; b < boxes.size(); ++b)
                ASSERT_FALSE(Overlap(boxes[a], boxes[b]))
                    << "sheet " << s << ": '" << sheet.texts[a].text << "' and '"
                    << sheet.texts[b].text << "'";
    }
}

class ProfileSheets : public DesignRig {};

TEST_F(ProfileSheets, EveryPaperAndScaleHoldsEveryReachOnceWithoutOverlaps) {
    network::SimulationParams params;
    params.horizontal = 9;
    params.vertical = 2;
    params.length = 120;
    params.slope = 2;
    std::vector<TramoT> grid = network::SimulatedReaches(params);
    for (TramoT& t : grid)
        t.PointFlow = 2;
    Network(grid);
    ASSERT_TRUE(Design());
    const std::vector<TramoT> z = Zsdb();
    const std::vector<ProfileLine> lines = CollectorLines(z);
    for (Paper paper : {Paper::Carta, Paper::Oficio, Paper::A3, Paper::A1})
        for (ProfileScales scales : {ProfileScales{}, ProfileScales{500, 50}}) {
            ProfileSheetOptions o;
            o.paper = paper;
            o.scales = scales;
            SCOPED_TRACE("paper " + std::to_string(static_cast<int>(paper)) +
                         " scale 1:" + std::to_string(scales.horizontal));
            CheckSheets(z, lines, o);
        }
}

TEST_F(ProfileSheets, AReachLongerThanThePaperGetsASheetMadeForIt) {
    // One reach of 600 m is 600 mm at 1:1000 on a carta sheet 279 mm across: a sheet of its
    // own, at least 600 mm wide; the short line beside it goes on a carta sheet.
    network::SimulationParams params;
    params.horizontal = 1;
    params.vertical = 1;
    params.length = 600;
    params.slope = 1;
    Network(network::SimulatedReaches(params));
    ASSERT_TRUE(Design());
    const std::vector<TramoT> z = Zsdb();
    ProfileSheetOptions o;
    o.paper = Paper::Carta;
    CheckSheets(z, CollectorLines(z), o);
    const ProfileSheetSet set = BuildProfileSheets(z, CollectorLines(z), o);
    bool wide = false;
    for (const Drawing& sheet : set.sheets)
        wide = wide || sheet.width >= 600;
    EXPECT_TRUE(wide);
}

}  // namespace
}  // namespace nivex::drawings
