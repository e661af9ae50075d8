// The DXF of a designed sector read back by GDAL's own DXF reader: every reach once as a line
// between its manholes' surveyed coordinates, every manhole once as a circle there, the
// labels with the design's values, texts as tall in metres as the sheet's mm at the plan's
// scale, and the profiles' layers beside the plan.

#include <gdal.h>
#include <ogr_api.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cli/batch_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

struct Entity {
    std::string layer, subclasses, text, style;
    std::vector<std::pair<double, double>> points;  // of a line; a circle's centre alone
};

std::vector<Entity> ReadDxf(const fs::path& path) {
    GDALAllRegister();
    std::vector<Entity> all;
    const char* const drivers[] = {"DXF", nullptr};
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, drivers, nullptr, nullptr);
    if (!ds) return all;
    OGRLayerH layer = GDALDatasetGetLayer(ds, 0);
    OGR_L_ResetReading(layer);
    while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
        Entity e;
        auto field = [&](const char* name) {
            const int i = OGR_F_GetFieldIndex(f, name);
            return i >= 0 && OGR_F_IsFieldSetAndNotNull(f, i)
                       ? std::string(OGR_F_GetFieldAsString(f, i))
                       : std::string();
        };
        e.layer = field("Layer");
        e.subclasses = field("SubClasses");
        e.text = field("Text");
        if (const char* s = OGR_F_GetStyleString(f)) e.style = s;
        if (OGRGeometryH g = OGR_F_GetGeometryRef(f)) {
            if (e.subclasses.find("AcDbCircle") != std::string::npos) {
                OGREnvelope box;
                OGR_G_GetEnvelope(g, &box);
                e.points.push_back({(box.MinX + box.MaxX) / 2, (box.MinY + box.MaxY) / 2});
            } else if (wkbFlatten(OGR_G_GetGeometryType(g)) == wkbLineString ||
                       wkbFlatten(OGR_G_GetGeometryType(g)) == wkbPoint) {
                for (int i = 0; i < OGR_G_GetPointCount(g); ++i)
                    e.points.push_back({OGR_G_GetX(g, i), OGR_G_GetY(g, i)});
            }
        }
        all.push_back(std::move(e));
        OGR_F_Destroy(f);
    }
    GDALClose(ds);
    return all;
}

bool Near(std::pair<double, double> a, std::pair<double, double> b) {
    return std::fabs(a.first - b.first) <= 0.001 && std::fabs(a.second - b.second) <= 0.001;
}

// The text height of a label, from its OGR style "LABEL(...,s:1.25g,...)".
double HeightOf(const std::string& style) {
    std::smatch m;
    if (!std::regex_search(style, m, std::regex(R"(s:([0-9.]+)g)"))) return -1;
    return std::stod(m[1]);
}

class DxfRoundTrip : public BatchProjectTest {
  protected:
    BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    void Designed() {
        ASSERT_EQ(run({"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto",
                       "entidad=Empresa", "--texto", "proyecto=Barrio", "--texto", "fecha=2026",
                       "--texto", "consultor=Yo", "--yes"})
                      .rc,
                  0);
        ASSERT_EQ(run({"simulate", "--horizontal", "2", "--vertical", "2", "--length", "80",
                       "--slope", "1", "--ground", "1000", "--yes"})
                      .rc,
                  0);
        ASSERT_EQ(run({"controls", "--yes"}).rc, 0);
        ASSERT_EQ(run({"design", "--opciones", "NNSS"}).rc, 0);
    }
    // The design copy's reaches as "dump design --csv" lists them, by column name.
    std::vector<std::map<std::string, std::string>> DesignRows() {
        const BatchOutcome d = run({"dump", "design", "--csv"});
        std::istringstream in(d.out);
        std::vector<std::string> names;
        std::vector<std::map<std::string, std::string>> rows;
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> cells;
            std::stringstream s(line);
            for (std::string c; std::getline(s, c, ',');)
                cells.push_back(c);
            if (names.empty()) {
                names = cells;
                continue;
            }
            std::map<std::string, std::string> row;
            for (size_t i = 0; i < names.size() && i < cells.size(); ++i)
                row[names[i]] = cells[i];
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(DxfRoundTrip, GdalReadsBackThePlanInTheSurveyedMetresAndTheProfiles) {
    Designed();
    // Surveyed coordinates far from the origin, with millimetres, for every manhole.
    const BatchOutcome names = run({"pozos", "export"});
    ASSERT_EQ(names.rc, 0) << names.err;
    std::map<std::string, std::pair<double, double>> at;
    std::ostringstream table;
    table << "pozo,x,y\n";
    {
        std::istringstream in(names.out);
        std::string line;
        std::getline(in, line);
        int i = 0;
        while (std::getline(in, line)) {
            const std::string name = line.substr(0, line.find(','));
            const double x = 4880000.125 + 73.251 * i + 11.5 * (i % 3);
            const double y = 2065000.75 + 41.837 * (i % 4) + 19.003 * i;
            at[name] = {x, y};
            char buf[128];
            std::snprintf(buf, sizeof buf, "%s,%.3f,%.3f\n", name.c_str(), x, y);
            table << buf;
            ++i;
        }
    }
    ASSERT_GT(at.size(), 5u);
    const fs::path csv = base_ / "pozos.csv";
    std::ofstream(csv, std::ios::binary) << table.str();
    ASSERT_EQ(run({"pozos", "import", csv.string()}).rc, 0);

    const fs::path out = base_ / "red.dxf";
    const BatchOutcome r = run({"exportar", "dxf", "--out", out.string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "unidades del plano"), "metros");
    const int scale = std::stoi(valueOf(r.out, "escala de los textos del plano").substr(2));

    // AutoCAD 2000 or later, in metres.
    std::ifstream raw(out, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(raw), {}};
    std::smatch version;
    ASSERT_TRUE(std::regex_search(bytes, version, std::regex(R"(\$ACADVER\s+1\s+AC(\d{4}))")));
    EXPECT_GE(std::stoi(version[1]), 1015);
    EXPECT_TRUE(std::regex_search(bytes, std::regex(R"(\$INSUNITS\s+70\s+6\s)")));

    const std::vector<Entity> entities = ReadDxf(out);
    ASSERT_FALSE(entities.empty());
    const auto rows = DesignRows();
    ASSERT_FALSE(rows.empty());

    // Every reach once, its ends on its manholes.
    int reachLines = 0;
    for (const Entity& e : entities)
        if (e.layer.rfind("tramos", 0) == 0) ++reachLines;
    EXPECT_EQ(reachLines, static_cast<int>(rows.size()));
    for (const auto& row : rows) {
        const auto up = at.at(row.at("de")), down = at.at(row.at("a"));
        int found = 0;
        for (const Entity& e : entities)
            if (e.layer.rfind("tramos", 0) == 0 && e.points.size() >= 2 &&
                Near(e.points.front(), up) && Near(e.points.back(), down))
                ++found;
        EXPECT_EQ(found, 1) << row.at("de") << "-" << row.at("a");
    }

    // Every manhole once, a circle on its point; its name beside it, 2 mm of the sheet tall.
    int planCircles = 0;
    for (const auto& [name, p] : at) {
        int circles = 0;
        for (const Entity& e : entities)
            if (e.layer == "pozos" && e.subclasses.find("AcDbCircle") != std::string::npos &&
                Near(e.points.front(), p))
                ++circles;
        EXPECT_EQ(circles, 1) << name;
        planCircles += circles;
        bool named = false;
        for (const Entity& e : entities)
            if (e.layer.rfind("textos", 0) == 0 && e.text == name && !e.points.empty() &&
                std::hypot(e.points.front().first - p.first, e.points.front().second - p.second) <
                    3.0 * scale / 1000) {
                named = true;
                EXPECT_NEAR(HeightOf(e.style), 2.0 * scale / 1000, 2e-3 * scale / 1000) << name;
            }
        EXPECT_TRUE(named) << name;
    }
    EXPECT_EQ(planCircles, static_cast<int>(at.size()));

    // The labels: D in mm, S in % with three decimals, L in m with two, as the plan writes them.
    for (const auto& row : rows) {
        char label[96];
        std::snprintf(label, sizeof label, "D %.0f S %.3f%% L %.2f", std::stod(row.at("D")),
                      std::stod(row.at("S")), std::stod(row.at("longitud")));
        int found = 0;
        for (const Entity& e : entities)
            if (e.layer.rfind("textos", 0) == 0 && e.text == label) ++found;
        EXPECT_GE(found, 1) << label;
    }

    // The profiles' own layers, under the plan; both title blocks.
    double lowestManhole = 1e300;
    for (const auto& [name, p] : at)
        lowestManhole = std::min(lowestManhole, p.second);
    for (const char* layer : {"terreno", "clave", "batea", "banda de datos"}) {
        int below = 0;
        for (const Entity& e : entities)
            if (e.layer == layer && !e.points.empty() && e.points.front().second < lowestManhole)
                ++below;
        EXPECT_GT(below, 0) << layer;
    }
    int titles = 0;
    for (const Entity& e : entities)
        if (e.layer == "rotulo" && e.text == "PLANO DE LA RED") ++titles;
    EXPECT_EQ(titles, 1);
}

}  // namespace
}  // namespace nivex::cli
