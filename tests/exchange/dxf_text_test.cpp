// The DXF of a small hand-made plan read back by GDAL: paper mm taken back to the sector's
// metres by the plan's own scale (a schematic plan kept in mm), Spanish letters through the
// file's code page, and the labels without room on a layer of their own, switched off.

#include <gdal.h>
#include <ogr_api.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>

#include "console/codepage.h"
#include "exchange/dxf_writer.h"

namespace nivex::exchange {
namespace {

namespace dr = nivex::drawings;
namespace fs = std::filesystem;

struct Read {
    std::string layer, text, style;
    OGREnvelope box;
    std::vector<std::pair<double, double>> points;
};

std::vector<Read> ReadBack(const std::string& contents) {
    const fs::path path =
        fs::temp_directory_path() / ("nivex-dxf-text-" + std::to_string(::getpid()) + ".dxf");
    std::ofstream(path, std::ios::binary) << contents;
    GDALAllRegister();
    std::vector<Read> all;
    const char* const drivers[] = {"DXF", nullptr};
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, drivers, nullptr, nullptr);
    EXPECT_NE(ds, nullptr);
    if (ds) {
        OGRLayerH layer = GDALDatasetGetLayer(ds, 0);
        while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
            Read r;
            r.layer = OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, "Layer"));
            r.text = OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, "Text"));
            if (const char* s = OGR_F_GetStyleString(f)) r.style = s;
            if (OGRGeometryH g = OGR_F_GetGeometryRef(f)) {
                OGR_G_GetEnvelope(g, &r.box);
                for (int i = 0; i < OGR_G_GetPointCount(g); ++i)
                    r.points.push_back({OGR_G_GetX(g, i), OGR_G_GetY(g, i)});
            }
            all.push_back(std::move(r));
            OGR_F_Destroy(f);
        }
        GDALClose(ds);
    }
    fs::remove(path);
    return all;
}

dr::Text Label(const char* layer, dr::Point at, double height, int rotation,
               const std::string& text) {
    dr::Text t;
    t.layer = layer;
    t.at = at;
    t.height = height;
    t.rotation = rotation;
    t.h = dr::HAlign::Centre;
    t.text = text;
    return t;
}

// A plan at 1:500 whose lower left sector corner (1000, 2000) lies at (100, 200) mm.
dr::Plan SmallPlan(bool schematic) {
    dr::Plan plan;
    plan.scale = 500;
    plan.schematic = schematic;
    plan.origin = {100, 200};
    plan.west = 1000;
    plan.south = 2000;
    plan.drawing.width = 420;
    plan.drawing.height = 297;
    // (1010, 2020) is 10 m east and 20 m north of the corner: 20 and 40 mm at 1:500.
    plan.drawing.AddLine("tramos nuevos", {{120, 240}, {201, 240}});
    plan.drawing.AddCircle("pozos", {120, 240}, 0.8, false);
    plan.drawing.AddText(Label("textos", {160, 241.2}, 1.8, 90, cp("Cañería ñandú")));
    plan.leftOut.push_back(Label("textos", {160, 238.8}, 1.8, 0, cp("D 200 S 0.500% L 40.50")));
    return plan;
}

TEST(DxfText, ThePlanComesBackInTheSectorsMetresWithItsLettersAndHiddenLabels) {
    const dr::Plan plan = SmallPlan(false);
    const std::string dxf = DxfText(plan, {}, {});
    const std::vector<Read> all = ReadBack(dxf);
    int lines = 0, circles = 0, texts = 0, hidden = 0;
    for (const Read& r : all) {
        if (r.layer == "tramos nuevos") {
            ++lines;
            ASSERT_EQ(r.points.size(), 2u);
            // 201 mm is 101 mm from the origin: 50.5 m at 1:500.
            EXPECT_NEAR(r.points[0].first, 1010, 1e-9);
            EXPECT_NEAR(r.points[0].second, 2020, 1e-9);
            EXPECT_NEAR(r.points[1].first, 1050.5, 1e-9);
            EXPECT_NEAR(r.points[1].second, 2020, 1e-9);
        } else if (r.layer == "pozos") {
            ++circles;
            // Radius 0.8 mm on the sheet is 0.4 m.
            EXPECT_NEAR((r.box.MinX + r.box.MaxX) / 2, 1010, 1e-6);
            EXPECT_NEAR((r.box.MinY + r.box.MaxY) / 2, 2020, 1e-6);
            EXPECT_NEAR(r.box.MaxX - r.box.MinX, 0.8, 1e-3);
        } else if (r.layer == "textos") {
            ++texts;
            EXPECT_EQ(r.text, "Cañería ñandú");  // UTF-8 again, through ANSI_1252
            EXPECT_NE(r.style.find("a:90"), std::string::npos) << r.style;
            EXPECT_NE(r.style.find("s:0.9g"), std::string::npos) << r.style;  // 1.8 mm
            EXPECT_NEAR(r.points.at(0).first, 1030, 1e-9);
            EXPECT_NEAR(r.points.at(0).second, 2020.6, 1e-9);
        } else if (r.layer == kDxfHiddenTexts) {
            ++hidden;
            EXPECT_EQ(r.text, "D 200 S 0.500% L 40.50");
        }
    }
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(circles, 1);
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(hidden, 1);
    // The hidden labels' layer is off: a negative colour in the layer table.
    EXPECT_TRUE(
        std::regex_search(dxf, std::regex("\n  2\ntextos superpuestos\n 70\n0\n 62\n-[0-9]+\n")));
    EXPECT_TRUE(std::regex_search(dxf, std::regex(R"(\$INSUNITS\s+70\s+6\s)")));
}

TEST(DxfText, ASchematicPlanStaysInMillimetresOfItsSheet) {
    const dr::Plan plan = SmallPlan(true);
    const std::string dxf = DxfText(plan, {}, {});
    EXPECT_TRUE(std::regex_search(dxf, std::regex(R"(\$INSUNITS\s+70\s+4\s)")));
    bool line = false;
    for (const Read& r : ReadBack(dxf))
        if (r.layer == "tramos nuevos") {
            line = true;
            ASSERT_EQ(r.points.size(), 2u);
            EXPECT_DOUBLE_EQ(r.points[0].first, 120);
            EXPECT_DOUBLE_EQ(r.points[1].first, 201);
            EXPECT_DOUBLE_EQ(r.points[1].second, 240);
        }
    EXPECT_TRUE(line);
}

// AutoCAD refuses handles at or above the header's next handle: a file with more entities
// than the fixed one dxflib writes (FFFF) raises it.
TEST(DxfText, TheNextHandleIsAboveEveryHandle) {
    dr::Plan plan = SmallPlan(false);
    for (int i = 0; i < 70000; ++i)
        plan.drawing.AddLine("tramos nuevos", {{120, 240 + i * 1e-3}, {130, 240 + i * 1e-3}});
    const std::string dxf = DxfText(plan, {}, {});
    std::smatch next;
    ASSERT_TRUE(std::regex_search(dxf, next, std::regex(R"(\$HANDSEED\n  5\n([0-9A-F]+)\n)")));
    const unsigned long limit = std::stoul(next[1], nullptr, 16);
    unsigned long highest = 0;
    const std::regex handle("\n  5\n([0-9A-F]+)\n");
    for (auto it = std::sregex_iterator(next[0].second, dxf.cend(), handle);
         it != std::sregex_iterator(); ++it)
        highest = std::max(highest, std::stoul((*it)[1], nullptr, 16));
    EXPECT_GT(highest, 0xFFFFul);
    EXPECT_GT(limit, highest);
}

}  // namespace
}  // namespace nivex::exchange
