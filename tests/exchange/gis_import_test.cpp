// The GIS import over layers written here with GDAL: the geometry gives the direction, the
// length and the bends, the manholes the names, grounds and points, mapped fields the rest;
// bad layers (ends meeting no manhole, multi-part lines, missing fields, values that are not
// finite numbers, far too many features, values the reach rules refuse) are refused whole
// with a message naming the feature, and no file of the project changes.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>

#include "cli/batch_rig.h"
#include "exchange/csv_line.h"
#include "exchange/gis_fields.h"
#include "network/reach_csv.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;
using Path = std::vector<std::pair<double, double>>;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Closer {
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};

// A GeoPackage of a point and a line layer, built feature by feature.
class Layers {
  public:
    Layers(const fs::path& path, int epsg, const std::string& pointLayer = "pozos",
           const std::string& lineLayer = "tramos") {
        GDALAllRegister();
        GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
        ds_.reset(gpkg->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        srs_.importFromEPSG(epsg);
        srs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        points_ = ds_->CreateLayer(pointLayer.c_str(), &srs_, wkbPoint, nullptr);
        lines_ = ds_->CreateLayer(lineLayer.c_str(), &srs_, wkbUnknown, nullptr);
        ds_->StartTransaction();
    }
    ~Layers() { ds_->CommitTransaction(); }

    void PointField(const char* name, OGRFieldType type) { Field(points_, name, type); }
    void LineField(const char* name, OGRFieldType type) { Field(lines_, name, type); }

    using Setter = std::function<void(OGRFeature&)>;
    void Point(double x, double y, const Setter& set) {
        OGRPoint p(x, y);
        Add(points_, p, set);
    }
    void Line(const Path& path, const Setter& set = {}) {
        OGRLineString l;
        for (auto [x, y] : path)
            l.addPoint(x, y);
        Add(lines_, l, set);
    }
    void MultiLine(const std::vector<Path>& parts) {
        OGRMultiLineString m;
        for (const Path& path : parts) {
            OGRLineString l;
            for (auto [x, y] : path)
                l.addPoint(x, y);
            m.addGeometry(&l);
        }
        Add(lines_, m, {});
    }

  private:
    static void Field(OGRLayer* layer, const char* name, OGRFieldType type) {
        OGRFieldDefn f(name, type);
        layer->CreateField(&f);
    }
    static void Add(OGRLayer* layer, const OGRGeometry& g, const Setter& set) {
        OGRFeature* f = OGRFeature::CreateFeature(layer->GetLayerDefn());
        f->SetGeometry(&g);
        if (set) set(*f);
        EXPECT_EQ(layer->CreateFeature(f), OGRERR_NONE);
        OGRFeature::DestroyFeature(f);
    }
    std::unique_ptr<GDALDataset, Closer> ds_;
    OGRSpatialReference srs_;
    OGRLayer* points_ = nullptr;
    OGRLayer* lines_ = nullptr;
};

class GisImport : public BatchProjectTest {
  protected:
    BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    fs::path file(const std::string& name) const {
        for (const auto& e : fs::directory_iterator(base_ / "projects"))
            if (e.path().filename().string().rfind("AB", 0) == 0) return e.path() / name;
        return {};
    }

    // Three manholes 100 m apart on a line falling 1 m a reach, with their grounds; the
    // lines from P1 to P2 and P2 to P3 unless `lines` draws others.
    void Standard(Layers& l, const std::function<void(Layers&)>& lines = {}) {
        l.PointField("nombre", OFTString);
        l.PointField("rasante", OFTReal);
        int k = 0;
        for (const char* name : {"P1", "P2", "P3"}) {
            const double x = 100.0 * k, ground = 100.0 - k;
            l.Point(x, 0, [&](OGRFeature& f) {
                f.SetField("nombre", name);
                f.SetField("rasante", ground);
            });
            ++k;
        }
        if (lines) {
            lines(l);
        } else {
            l.Line({{0, 0}, {100, 0}});
            l.Line({{100, 0}, {200, 0}});
        }
    }

    // The import refused whole: exit 1, every expected text on standard error, no file of
    // the projects changed.
    void Refused(const fs::path& gpkg, const std::vector<std::string>& texts,
                 std::vector<std::string> extra = {}) {
        const auto before = Snapshot();
        std::vector<std::string> args = {"importar-sig", gpkg.string(), "--yes"};
        args.insert(args.end(), extra.begin(), extra.end());
        const BatchOutcome r = run(args);
        EXPECT_EQ(r.rc, 1);
        EXPECT_NE(r.err.find("No se importo ningun tramo"), std::string::npos) << r.err;
        for (const std::string& text : texts)
            EXPECT_NE(r.err.find(text), std::string::npos) << text << "\n" << r.err;
        EXPECT_EQ(Changed(before, Snapshot()), "");
    }

    // The network as the reach CSV table: rows of cells by column name.
    std::vector<std::map<std::string, std::string>> Network() {
        const BatchOutcome r = run({"reaches", "export"});
        std::vector<std::map<std::string, std::string>> rows;
        std::istringstream in(r.out);
        std::vector<std::string> header, cells;
        for (std::string line; std::getline(in, line);) {
            if (header.empty()) {
                exchange::SplitCsvLine(line, ',', header);
                continue;
            }
            exchange::SplitCsvLine(line, ',', cells);
            std::map<std::string, std::string> row;
            for (size_t k = 0; k < header.size() && k < cells.size(); ++k)
                row[header[k]] = cells[k];
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(GisImport, TheGeometryAndMappedFieldsMakeTheNetwork) {
    const fs::path gpkg = base_ / "red.gpkg";
    {
        // EPSG 3116: MAGNA-SIRGAS / Colombia Bogota zone. Fields of the utility's own names.
        Layers l(gpkg, 3116, "pozos_emp", "redes");
        l.PointField("ID", OFTString);
        l.PointField("COTA", OFTReal);
        const struct {
            const char* name;
            double x, y, ground;
        } points[] = {{"p1", 1000, 2000, 101.5},
                      {"P2", 1060, 2000, 100.5},
                      {"P3", 1160, 2000, 99.5},
                      {"P9", 5000, 5000, 90}};
        for (const auto& p : points)
            l.Point(p.x, p.y, [&](OGRFeature& f) {
                f.SetField("ID", p.name);
                f.SetField("COTA", p.ground);
            });
        l.LineField("AREA_HA", OFTReal);
        // Through a bend at (1030, 2040): 50 m and 50 m. The end lies 5 mm from P2.
        l.Line({{1000, 2000}, {1030, 2040}, {1060.005, 2000}},
               [](OGRFeature& f) { f.SetField("AREA_HA", 0.25); });
        // Drawn from P3 to P2: the reach runs that way, 100 m.
        l.Line({{1160, 2000}, {1060, 2000}}, [](OGRFeature& f) { f.SetField("AREA_HA", 0.5); });
    }
    const BatchOutcome r = run({"importar-sig", gpkg.string(), "--capa-tramos", "redes",
                                "--capa-pozos", "pozos_emp", "--campo", "nombre=ID", "--campo",
                                "rasante=COTA", "--campo", "area=AREA_HA", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(valueOf(r.out, "Tramos importados"), "2");
    EXPECT_EQ(valueOf(r.out, "sistema"), "EPSG 3116");
    EXPECT_NE(r.err.find("1 pozo(s) de la capa no son extremo"), std::string::npos) << r.err;

    const auto rows = Network();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("Tramo de"), "P1");  // names as the screen stores them
    EXPECT_EQ(rows[0].at("Tramo a"), "P2");
    EXPECT_EQ(rows[0].at("Longitud del tramo (m)"), "100");
    EXPECT_EQ(rows[0].at("Cota rasante superior (m)"), "101.5");
    EXPECT_EQ(rows[0].at("Cota rasante inferior (m)"), "100.5");
    EXPECT_EQ(rows[0].at("Area del tramo (Has)"), "0.25");
    EXPECT_EQ(rows[1].at("Tramo de"), "P3");
    EXPECT_EQ(rows[1].at("Tramo a"), "P2");
    EXPECT_EQ(rows[1].at("Longitud del tramo (m)"), "100");
    EXPECT_EQ(rows[1].at("Cota rasante superior (m)"), "99.5");

    const std::string coords = ReadAll(file("Pozos.AB1"));
    EXPECT_EQ(coords.substr(0, coords.find('\n')).substr(0, 13), "SISTEMA\t3116\t");
    EXPECT_NE(coords.find("\nP1\t1000\t2000\n"), std::string::npos) << coords;
    EXPECT_NE(coords.find("\nP3\t1160\t2000\n"), std::string::npos) << coords;
    EXPECT_EQ(coords.find("P9"), std::string::npos) << coords;
    EXPECT_EQ(ReadAll(file("Vertices.AB1")), "P1\tP2\t1030\t2040\n");
}

TEST_F(GisImport, BadLayersAreRefusedWholeNamingTheFeature) {
    // A network to keep.
    ASSERT_EQ(run({"simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc, 0);
    int n = 0;
    auto gpkg = [&] { return base_ / ("malo" + std::to_string(++n) + ".gpkg"); };

    {
        SCOPED_TRACE("an end that meets no manhole");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            Standard(l, [](Layers& l) {
                l.Line({{0, 0}, {100, 0}});
                l.Line({{100, 0}, {150, 5}});
            });
        }
        Refused(p, {"Capa \"tramos\", elemento 2: el extremo final (150, 5) no coincide con "
                    "ningun pozo de la capa \"pozos\" (tolerancia 0.01 m)"});
    }
    {
        SCOPED_TRACE("a line of two parts");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            Standard(l, [](Layers& l) {
                l.Line({{0, 0}, {100, 0}});
                l.MultiLine({{{100, 0}, {150, 0}}, {{150, 0}, {200, 0}}});
            });
        }
        Refused(p, {"elemento 2: es una linea de 2 partes"});
    }
    {
        SCOPED_TRACE("missing fields");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            l.PointField("ID", OFTString);
            l.Point(0, 0, [](OGRFeature& f) { f.SetField("ID", "P1"); });
            l.Line({{0, 0}, {100, 0}});
        }
        Refused(p, {"La capa \"pozos\" no tiene el campo \"nombre\"",
                    "La capa \"pozos\" no tiene el campo \"rasante\""});
        const fs::path q = gpkg();
        {
            Layers l(q, 9377);
            Standard(l);
        }
        Refused(q, {"La capa \"tramos\" no tiene el campo \"LARGO\" (dato longitud)"},
                {"--campo", "longitud=LARGO"});
        Refused(q, {"no tiene la capa \"colectores\" (tiene: \"pozos\", \"tramos\")"},
                {"--capa-tramos", "colectores"});
    }
    {
        SCOPED_TRACE("values that are not finite numbers");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            // A REAL column holds no NaN (SQLite keeps NULL): a text field brings it.
            l.PointField("nombre", OFTString);
            l.PointField("rasante", OFTString);
            l.Point(0, 0, [](OGRFeature& f) {
                f.SetField("nombre", "P1");
                f.SetField("rasante", "100");
            });
            l.Point(100, 0, [](OGRFeature& f) {
                f.SetField("nombre", "P2");
                f.SetField("rasante", "NaN");
            });
            l.Line({{0, 0}, {100, 0}});
        }
        Refused(p, {"Capa \"pozos\", elemento 2: el campo \"rasante\" no es un numero finito"});
        const fs::path q = gpkg();
        {
            Layers l(q, 9377);
            l.LineField("area", OFTReal);
            Standard(l, [](Layers& l) {
                l.Line({{0, 0}, {100, 0}}, [](OGRFeature& f) {
                    f.SetField("area", std::numeric_limits<double>::infinity());
                });
            });
        }
        Refused(q, {"Capa \"tramos\", elemento 1: el campo \"area\" no es un numero finito"});
    }
    {
        SCOPED_TRACE("values the reach rules refuse");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            l.LineField("longitud", OFTReal);
            Standard(l, [](Layers& l) {
                l.Line({{0, 0}, {100, 0}});
                l.Line({{100, 0}, {200, 0}}, [](OGRFeature& f) { f.SetField("longitud", -5.0); });
            });
        }
        Refused(p, {"Capa \"tramos\", elemento 2: (P2-P3)"});
    }
    {
        SCOPED_TRACE("many bad lines: the first hundred in full, all of them counted");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            Standard(l, [](Layers& l) {
                for (int k = 0; k < 150; ++k)
                    l.Line({{0, 0}, {500, 500}});
            });
        }
        Refused(p, {"elemento 100: el extremo final", "... y 50 problema(s) mas",
                    "No se importo ningun tramo: 150 problema(s)"});
    }
    {
        SCOPED_TRACE("100000 lines");
        const fs::path p = gpkg();
        {
            Layers l(p, 9377);
            Standard(l, [](Layers& l) {
                for (int k = 0; k < 100000; ++k)
                    l.Line({{0, 0}, {100, 0}});
            });
        }
        Refused(p, {"La capa \"tramos\" de " + p.string() +
                    " tiene 100000 elementos y un sector tiene a lo mas 10000 tramos"});
    }
    {
        SCOPED_TRACE("not a GIS file");
        const fs::path p = base_ / "texto.gpkg";
        std::ofstream(p) << "no soy un GeoPackage";
        Refused(p, {"No se pudo abrir " + p.string() + " como GeoPackage o Shapefile"});
    }
}

TEST_F(GisImport, WithoutYesNothingIsReplaced) {
    ASSERT_EQ(run({"simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc, 0);
    const fs::path p = base_ / "red.gpkg";
    {
        Layers l(p, 9377);
        Standard(l);
    }
    const auto before = Snapshot();
    const BatchOutcome r = run({"importar-sig", p.string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Desea reemplazar los tramos del proyecto ? No"), std::string::npos)
        << r.err;
    EXPECT_EQ(Changed(before, Snapshot()), "");
    const BatchOutcome bad = run({"importar-sig", p.string(), "--campo", "diametro=D"});
    EXPECT_EQ(bad.rc, 1);
    EXPECT_NE(bad.err.find("dato desconocido 'diametro'"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace nivex::cli

namespace nivex::exchange {
namespace {

// Every entry column of the reach CSV table is a datum, once, and the datum names fit a DBF.
TEST(GisData, EveryColumnOfTheReachTableHasOneDatum) {
    std::set<std::string> columns, names;
    for (const ReachDatum& d : ReachData()) {
        EXPECT_TRUE(columns.insert(d.column).second) << d.column;
        std::string lower = d.name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(names.insert(lower).second) << d.name;
        EXPECT_LE(std::string(d.name).size(), 10u) << d.name;
    }
    std::set<std::string> expected(network::ReachCsvColumns().begin(),
                                   network::ReachCsvColumns().end());
    for (const char* own : {"Linea", "Tramo de", "Tramo a"})
        expected.erase(own);
    EXPECT_EQ(columns, expected);

    GisMapping m;
    std::string error;
    EXPECT_TRUE(ParseFieldMapping({"nombre=ID", "longitud=LARGO"}, m, &error)) << error;
    EXPECT_EQ(m.FieldOf("nombre"), "ID");
    EXPECT_EQ(m.FieldOf("rasante"), "rasante");
    EXPECT_FALSE(ParseFieldMapping({"nombre=X"}, m, &error));
    EXPECT_NE(error.find("dos veces"), std::string::npos) << error;
    GisMapping n;
    EXPECT_FALSE(ParseFieldMapping({"nombre"}, n, &error));
    EXPECT_NE(error.find("DATO=CAMPO"), std::string::npos) << error;
}

}  // namespace
}  // namespace nivex::exchange
