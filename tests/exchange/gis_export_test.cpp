// The GIS export read back by GDAL's own drivers: the layers, their system, every reach and
// manhole once, the attributes against the design copy read on its own, the points against
// the coordinates file; and the network exported then imported into another sector gives
// the same reach file, coordinates and bends.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "cli/batch_rig.h"
#include "design/design_columns.h"
#include "drawings/manhole_coordinates.h"
#include "drawings/profile_lines.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Closer {
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};
using Dataset = std::unique_ptr<GDALDataset, Closer>;

Dataset OpenVector(const fs::path& p) {
    GDALAllRegister();
    return Dataset(GDALDataset::FromHandle(
        GDALOpenEx(p.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

class GisExport : public BatchProjectTest {
  protected:
    BatchOutcome run(const std::string& project, std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", project});
        return batch(args);
    }
    // A 3 x 2 grid of 100 m reaches, falling 1 %, designed; the grid's manholes carry
    // coordinates 100 m apart.
    void Designed() {
        ASSERT_EQ(run("AB1", {"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia",
                              "--texto", "entidad=Empresa", "--texto", "proyecto=Barrio", "--texto",
                              "fecha=2026", "--texto", "consultor=Yo", "--yes"})
                      .rc,
                  0);
        ASSERT_EQ(run("AB1", {"simulate", "--horizontal", "3", "--vertical", "2", "--length", "100",
                              "--slope", "1", "--ground", "1000", "--yes"})
                      .rc,
                  0);
        ASSERT_EQ(run("AB1", {"controls", "--yes"}).rc, 0);
        ASSERT_EQ(run("AB1", {"design", "--opciones", "NNSS"}).rc, 0);
    }
    // The project's folder, named after the project.
    fs::path folder() const {
        for (const auto& e : fs::directory_iterator(base_ / "projects"))
            if (e.path().filename().string().rfind("AB", 0) == 0) return e.path();
        return {};
    }
    fs::path file(const std::string& name) const { return folder() / name; }
};

TEST_F(GisExport, TheGeoPackageReadByGdalHoldsTheDesignCopyAndTheCoordinates) {
    const fs::path gpkg = base_ / "red.gpkg";
    const BatchOutcome early = run("AB1", {"exportar", "gpkg", "--out", gpkg.string()});
    EXPECT_NE(early.rc, 0);
    EXPECT_FALSE(fs::exists(gpkg));
    Designed();
    const BatchOutcome r = run("AB1", {"exportar", "gpkg", "--out", gpkg.string()});
    ASSERT_EQ(r.rc, 0) << r.err;

    std::vector<network::TramoT> records;
    std::string error;
    ASSERT_TRUE(drawings::ReadDesignedReaches(file("ZSDB.AB1").string(), records, error));
    drawings::ManholeCoordinates coords = drawings::ParseCoordinates(ReadAll(file("Pozos.AB1")));
    ASSERT_FALSE(coords.points.empty());

    Dataset ds = OpenVector(gpkg);
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayerCount(), 2);
    OGRLayer* tramos = ds->GetLayerByName("tramos");
    OGRLayer* pozos = ds->GetLayerByName("pozos");
    ASSERT_TRUE(tramos && pozos);
    for (OGRLayer* layer : {tramos, pozos}) {
        const OGRSpatialReference* srs = layer->GetSpatialRef();
        ASSERT_TRUE(srs);
        EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "9377");
    }
    EXPECT_EQ(tramos->GetFeatureCount(), static_cast<GIntBig>(records.size()));

    // Every record once, each design value the record's float.
    const auto& columns = design::DesignColumns();
    std::set<int> lines;
    for (auto& f : *tramos) {
        const int line = f->GetFieldAsInteger("linea");
        ASSERT_TRUE(line >= 1 && line <= static_cast<int>(records.size()));
        EXPECT_TRUE(lines.insert(line).second) << line;
        network::TramoT t = records[static_cast<size_t>(line - 1)];
        const std::vector<design::DesignCell> cells = design::DesignCells(line, t);
        for (size_t c = 0; c < columns.size(); ++c) {
            const std::string name = std::string(columns[c].name) == "q" ? "q_Q0" : columns[c].name;
            const int k = f->GetFieldIndex(name.c_str());
            ASSERT_GE(k, 0) << name;
            switch (columns[c].kind) {
                case design::ColumnKind::Text:
                    EXPECT_EQ(std::string(f->GetFieldAsString(k)), cells[c].text) << name;
                    break;
                case design::ColumnKind::Integer:
                    EXPECT_EQ(f->GetFieldAsInteger(k), cells[c].integer) << name << " " << line;
                    break;
                case design::ColumnKind::Real:
                    EXPECT_EQ(static_cast<float>(f->GetFieldAsDouble(k)), cells[c].real)
                        << name << " " << line;
                    break;
            }
        }
        EXPECT_STREQ(f->GetFieldAsString("estado"), "tramos nuevos");
        // From the upstream manhole's point to the downstream one's.
        const OGRLineString* g = f->GetGeometryRef()->toLineString();
        ASSERT_EQ(g->getNumPoints(), 2);
        const drawings::ManholePoint* from = coords.find(t.Upstream);
        const drawings::ManholePoint* to = coords.find(t.Downstream);
        ASSERT_TRUE(from && to);
        EXPECT_EQ(g->getX(0), from->x);
        EXPECT_EQ(g->getY(0), from->y);
        EXPECT_EQ(g->getX(1), to->x);
        EXPECT_EQ(g->getY(1), to->y);
    }
    EXPECT_EQ(lines.size(), records.size());

    // Every manhole once, at its point; the ground and leaving crown of its reach there.
    std::set<std::string> names;
    for (auto& f : *pozos) {
        const std::string name = f->GetFieldAsString("nombre");
        EXPECT_TRUE(names.insert(name).second) << name;
        const drawings::ManholePoint* at = coords.find(name);
        ASSERT_TRUE(at) << name;
        const OGRPoint* p = f->GetGeometryRef()->toPoint();
        EXPECT_EQ(p->getX(), at->x);
        EXPECT_EQ(p->getY(), at->y);
        for (const network::TramoT& t : records)
            if (t.Upstream == name) {
                EXPECT_EQ(static_cast<float>(f->GetFieldAsDouble("rasante")), t.GroundUp);
                EXPECT_EQ(static_cast<float>(f->GetFieldAsDouble("clave_sale")), t.CrownUp);
                // The crown's depth: ground less crown.
                EXPECT_NEAR(f->GetFieldAsDouble("prof_sale"), t.GroundUp - t.CrownUp, 0.01);
                break;
            }
    }
    std::set<std::string> expected;
    for (const network::TramoT& t : records)
        expected.insert({t.Upstream, t.Downstream});
    EXPECT_EQ(names, expected);
}

TEST_F(GisExport, ASchematicLayoutIsNotExportedAsASurvey) {
    Designed();
    // Two manholes lose their points.
    drawings::ManholeCoordinates coords = drawings::ParseCoordinates(ReadAll(file("Pozos.AB1")));
    ASSERT_GT(coords.points.size(), 2u);
    coords.points.resize(coords.points.size() - 2);
    std::ofstream(file("Pozos.AB1"), std::ios::binary) << drawings::FormatCoordinates(coords);
    const fs::path gpkg = base_ / "red.gpkg";
    const BatchOutcome r = run("AB1", {"exportar", "gpkg", "--out", gpkg.string()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("2 pozo(s) no tienen coordenadas"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(gpkg));
    for (const auto& e : fs::directory_iterator(base_))  // no temporary folder left
        EXPECT_TRUE(e.path().filename() == "projects" || e.path().filename() == "xdg") << e.path();
}

TEST_F(GisExport, ExportedAndImportedIntoAnotherSectorGivesTheSameNetwork) {
    Designed();
    // A bend on one reach, which the line carries and the import gives back.
    std::ofstream(file("Vertices.AB1"), std::ios::binary) << "1\t2\t10150\t10410.25\n";
    for (const std::string format : {"gpkg", "shp"}) {
        SCOPED_TRACE(format);
        const std::string sector = format == "gpkg" ? "AB2" : "AB3";
        const fs::path out = base_ / ("red." + format);
        const BatchOutcome e = run("AB1", {"exportar", format, "--out", out.string()});
        ASSERT_EQ(e.rc, 0) << e.err;
        ASSERT_EQ(run(sector, {"new", "--yes"}).rc, 0);
        const BatchOutcome i = run(sector, {"importar-sig", out.string(), "--yes"});
        ASSERT_EQ(i.rc, 0) << i.err;
        const std::string ext = "AB" + sector.substr(2);
        EXPECT_EQ(ReadAll(file("ZSDX." + ext)), ReadAll(file("ZSDX.AB1")));
        EXPECT_EQ(ReadAll(file("XSDC." + ext)), ReadAll(file("XSDC.AB1")));
        EXPECT_EQ(ReadAll(file("Pozos." + ext)), ReadAll(file("Pozos.AB1")));
        EXPECT_EQ(ReadAll(file("Vertices." + ext)), ReadAll(file("Vertices.AB1")));
    }
    // The Shapefile folder is replaced whole.
    const fs::path shp = base_ / "red.shp";
    ASSERT_EQ(run("AB1", {"exportar", "shp", "--out", shp.string()}).rc, 0);
    std::set<std::string> files;
    for (const auto& e : fs::directory_iterator(shp))
        files.insert(e.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"pozos.cpg", "pozos.dbf", "pozos.prj", "pozos.shp",
                                            "pozos.shx", "tramos.cpg", "tramos.dbf", "tramos.prj",
                                            "tramos.shp", "tramos.shx"}));
    // A folder holding anything else is left alone.
    std::ofstream(shp / "notas.txt") << "mio";
    const BatchOutcome refused = run("AB1", {"exportar", "shp", "--out", shp.string()});
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("notas.txt"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadAll(shp / "notas.txt"), "mio");
}

}  // namespace
}  // namespace nivex::cli
