// The desktop's exchange items over the session's dialogs: each export writes where the user
// said and reports what nivex-batch reports, a cancel writes nothing, a file that cannot be
// written is named; "Entrar Red SIG" lists the file's layers, proposes the fields of the
// data's own names, refuses a mapping that leaves a needed datum out, and replaces the
// network only once the user agrees.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "cli/batch_rig.h"
#include "console/codepage.h"
#include "exchange/exchange_menu.h"
#include "exchange/gis_layers.h"
#include "network/network_controls.h"
#include "network/reach_csv.h"
#include "support/session_rig.h"

namespace nivex::exchange {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct ScriptedChooser : ui::FileChooser {
    std::string answer;
    std::string kind, title, filter, start;
    std::string chooseFile(const std::string& t, const std::string& f,
                           const std::string& d) override {
        return Answer("open", t, f, d);
    }
    std::string chooseSaveFile(const std::string& t, const std::string& f,
                               const std::string& d) override {
        return Answer("save", t, f, d);
    }
    std::string chooseFolder(const std::string& t, const std::string& d) override {
        return Answer("folder", t, "", d);
    }
    std::string Answer(const char* k, const std::string& t, const std::string& f,
                       const std::string& d) {
        kind = k;
        title = t;
        filter = f;
        start = d;
        return answer;
    }
};

// The mapping the dialog proposes, changed as the test says.
GisMapping Proposed(const std::vector<GisLayerInfo>& layers) {
    GisMapping m;
    m.reachLayer = ProposedLayer(layers, GisGeometry::Lines);
    m.manholeLayer = ProposedLayer(layers, GisGeometry::Points);
    for (const GisDatumRow& row : GisDatumRows()) {
        const std::string& layer = row.manhole ? m.manholeLayer : m.reachLayer;
        for (const GisLayerInfo& l : layers)
            if (l.name == layer) m.fields[row.datum] = ProposedField(l, row.datum);
    }
    return m;
}

struct FakeMapping : ui::GisMappingDialog {
    bool accept = true;
    std::function<void(GisMapping&)> change;
    std::string path;
    std::vector<GisLayerInfo> layers;
    bool run(const std::string& p, const std::vector<GisLayerInfo>& l, GisMapping& m) override {
        path = p;
        layers = l;
        m = Proposed(l);
        if (change) change(m);
        return accept;
    }
};

class MenuExchangeTest : public cli::BatchProjectTest {
  protected:
    cli::BatchOutcome run(const std::string& project, std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", project});
        return batch(args);
    }
    // A 3 x 2 grid of 100 m blocks, designed: 3 x 3 + 2 x 4 streets and the outfall, 18
    // reaches, in a tree that drains to one outfall: 19 manholes.
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
    fs::path folder() const {
        for (const auto& e : fs::directory_iterator(base_ / "projects"))
            if (e.path().filename().string().rfind("AB", 0) == 0) return e.path();
        return {};
    }
    // The sector as the desktop program holds it once opened.
    void Open(const std::string& sector) {
        project::Project& p = s.session.project;
        p.selection.code = "AB";
        p.selection.sector = sector;
        p.selection.sectors = sector;
        p.selection.sectorNumber = std::stoi(sector);
        p.selection.extension = "AB" + sector;
        p.selection.accepted = true;
        p.files.Build(folder().string(), "AB" + sector);
        std::string error;
        ASSERT_TRUE(network::LoadControlState(p, &error)) << error;
        s.session.fileChooser = &chooser;
        s.session.gisMapping = &mapping;
    }
    const testing::RecordedBox& LastBox() {
        static const testing::RecordedBox none;
        return s.rig.ui.last() ? *s.rig.ui.last() : none;
    }

    testing::SessionRig s;
    ScriptedChooser chooser;
    FakeMapping mapping;
    MenuExchange exchange{s.session};
};

long long Features(const fs::path& path, const char* layer) {
    GDALAllRegister();
    GDALDataset* ds = GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!ds) return -1;
    OGRLayer* l = ds->GetLayerByName(layer);
    const long long n = l ? l->GetFeatureCount(TRUE) : -1;
    GDALClose(ds);
    return n;
}

TEST_F(MenuExchangeTest, EachFormatIsWrittenWhereTheUserSaysAndReported) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    ASSERT_NO_FATAL_FAILURE(Open("1"));
    fs::create_directories(base_ / "salida");

    chooser.answer = (base_ / "salida" / "red.gpkg").string();
    exchange.exportSector(SectorFormat::GeoPackage);
    EXPECT_EQ(chooser.kind, "save");
    EXPECT_EQ(chooser.filter, "GeoPackage|*.gpkg");
    EXPECT_EQ(chooser.start, folder().string() + "/AB1.gpkg");  // the sector's folder first
    EXPECT_EQ(LastBox().kind, "info");
    EXPECT_EQ(LastBox().caption, "Exportar GeoPackage");
    EXPECT_EQ(LastBox().message, "GeoPackage escrito: " + chooser.answer +
                                     "\rtramos: 18\rpozos: 19\rsistema: EPSG " +
                                     LastBox().message.substr(LastBox().message.rfind(' ') + 1));
    EXPECT_EQ(Features(chooser.answer, "tramos"), 18);
    EXPECT_EQ(Features(chooser.answer, "pozos"), 19);

    // The next dialog opens where the last file went.
    chooser.answer = (base_ / "salida" / "capas").string();
    exchange.exportSector(SectorFormat::Shapefiles);
    EXPECT_EQ(chooser.kind, "folder");
    EXPECT_EQ(chooser.start, (base_ / "salida").string());
    EXPECT_EQ(LastBox().message.rfind("Shapefiles escritos en: " + chooser.answer, 0), 0u)
        << LastBox().message;
    EXPECT_EQ(Features(base_ / "salida" / "capas", "tramos"), 18);

    // A name typed without the extension gets it.
    chooser.answer = (base_ / "salida" / "planos").string();
    exchange.exportSector(SectorFormat::Dxf);
    EXPECT_EQ(chooser.filter, "DXF|*.dxf");
    EXPECT_EQ(LastBox().message.rfind("DXF escrito: " + chooser.answer + ".dxf\r", 0), 0u)
        << LastBox().message;
    EXPECT_NE(ReadAll(base_ / "salida" / "planos.dxf").find("SECTION"), std::string::npos);

    chooser.answer = (base_ / "salida" / "LIBRO.XLSX").string();  // its extension in capitals
    exchange.exportSector(SectorFormat::Workbook);
    EXPECT_EQ(chooser.filter, "Libro de Excel|*.xlsx");
    EXPECT_EQ(LastBox().caption, "Exportar Excel (XLSX)");
    EXPECT_NE(LastBox().message.find("\rtramos: 18"), std::string::npos) << LastBox().message;
    EXPECT_EQ(ReadAll(chooser.answer).substr(0, 2), "PK");  // a zip, as every workbook
}

TEST_F(MenuExchangeTest, ACancelWritesNothingAndAFileThatCannotBeWrittenIsNamed) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    ASSERT_NO_FATAL_FAILURE(Open("1"));
    const auto before = Snapshot();
    chooser.answer = "";
    exchange.exportSector(SectorFormat::Workbook);
    EXPECT_TRUE(s.rig.ui.boxes.empty());
    EXPECT_EQ(Changed(before, Snapshot()), "");

    chooser.answer = (base_ / "no-existe" / "red.gpkg").string();
    exchange.exportSector(SectorFormat::GeoPackage);
    EXPECT_EQ(LastBox().kind, "error");
    EXPECT_NE(LastBox().message.find(chooser.answer), std::string::npos) << LastBox().message;
    EXPECT_FALSE(fs::exists(base_ / "no-existe"));
}

TEST_F(MenuExchangeTest, TheNetworkOfTheLayersReplacesTheSectorsOnceTheUserAgrees) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    ASSERT_NO_FATAL_FAILURE(Open("1"));
    const fs::path shp = base_ / "capas";
    chooser.answer = shp.string();
    exchange.exportSector(SectorFormat::Shapefiles);
    ASSERT_EQ(LastBox().kind, "info") << LastBox().message;
    ASSERT_EQ(run("AB2", {"new", "--yes"}).rc, 0);
    ASSERT_NO_FATAL_FAILURE(Open("2"));

    // A Shapefile chosen: its folder is read, both layers offered.
    chooser.answer = (shp / "tramos.shp").string();
    const auto before = Snapshot();
    s.rig.ui.answers = {'N'};
    EXPECT_FALSE(exchange.importGis());
    EXPECT_EQ(chooser.kind, "open");
    EXPECT_EQ(mapping.path, shp.string());
    ASSERT_EQ(mapping.layers.size(), 2u);
    EXPECT_EQ(LastBox().kind, "yesno");
    EXPECT_EQ(LastBox().message, "18 tramo(s) leidos de " + shp.string() +
                                     "\rDesea reemplazar los tramos del proyecto ?");
    EXPECT_EQ(Changed(before, Snapshot()), "");

    s.rig.ui.answers = {'S'};
    EXPECT_TRUE(exchange.importGis());
    EXPECT_EQ(LastBox().kind, "info");
    EXPECT_EQ(LastBox().caption, "Entrar Red SIG");
    EXPECT_EQ(LastBox().message.rfind("Tramos importados: 18\rpozos: 19\r", 0), 0u)
        << LastBox().message;
    const fs::path f = folder();
    EXPECT_EQ(ReadAll(f / "ZSDX.AB2"), ReadAll(f / "ZSDX.AB1"));
    EXPECT_EQ(ReadAll(f / "Pozos.AB2"), ReadAll(f / "Pozos.AB1"));
}

TEST_F(MenuExchangeTest, ProblemsOfTheLayersAreShownAndCountedAndNothingChanges) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    ASSERT_NO_FATAL_FAILURE(Open("1"));
    const fs::path gpkg = base_ / "red.gpkg";
    chooser.answer = gpkg.string();
    exchange.exportSector(SectorFormat::GeoPackage);
    ASSERT_EQ(run("AB2", {"new", "--yes"}).rc, 0);
    ASSERT_NO_FATAL_FAILURE(Open("2"));
    const auto before = Snapshot();

    // The manholes' names read from their grounds, which no reach end names.
    mapping.change = [](GisMapping& m) { m.fields["nombre"] = "rasante"; };
    s.rig.ui.answers = {'S'};
    EXPECT_FALSE(exchange.importGis());
    EXPECT_EQ(LastBox().kind, "error");
    EXPECT_EQ(LastBox().message.rfind("No se importo ningun tramo: ", 0), 0u) << LastBox().message;
    EXPECT_EQ(Changed(before, Snapshot()), "");

    // A cancelled mapping says so, as a cancelled file does.
    mapping.accept = false;
    EXPECT_FALSE(exchange.importGis());
    EXPECT_EQ(LastBox().message, "Proceso cancelado por el usuario");
    chooser.answer = "";
    EXPECT_FALSE(exchange.importGis());
    EXPECT_EQ(LastBox().message, "Proceso cancelado por el usuario");
    EXPECT_EQ(Changed(before, Snapshot()), "");
}

// "(ninguno)" in the dialog: the datum is read from no field, not even one of its own name.
TEST_F(MenuExchangeTest, ADatumMappedToNoFieldIsNotRead) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    ASSERT_NO_FATAL_FAILURE(Open("1"));
    std::vector<network::TramoT> original;
    std::string error;
    ASSERT_TRUE(network::ReadNetwork(s.session.project, original, &error)) << error;
    double area = 0;
    for (const network::TramoT& t : original)
        area += t.Area;
    ASSERT_GT(area, 0);  // the simulated blocks drain areas
    const fs::path gpkg = base_ / "red.gpkg";
    chooser.answer = gpkg.string();
    exchange.exportSector(SectorFormat::GeoPackage);
    ASSERT_EQ(run("AB2", {"new", "--yes"}).rc, 0);
    ASSERT_NO_FATAL_FAILURE(Open("2"));

    mapping.change = [](GisMapping& m) { m.fields["area"] = ""; };
    s.rig.ui.answers = {'S'};
    ASSERT_TRUE(exchange.importGis()) << LastBox().message;
    std::vector<network::TramoT> imported;
    ASSERT_TRUE(network::ReadNetwork(s.session.project, imported, &error)) << error;
    ASSERT_EQ(imported.size(), original.size());
    for (const network::TramoT& t : imported)
        EXPECT_EQ(t.Area, 0.0f);

    // A needed datum mapped to no field is refused by the reading too.
    mapping.change = [](GisMapping& m) { m.fields["nombre"] = ""; };
    EXPECT_FALSE(exchange.importGis());
    EXPECT_NE(LastBox().message.find("necesita un campo para el dato nombre"), std::string::npos)
        << LastBox().message;
}

// The proposals and the refusals of the mapping dialog.
TEST(GisLayers, ProposalsFollowTheDataNamesAndNeededDataAreNotLeftOut) {
    const std::vector<GisLayerInfo> layers = {
        {"calles", GisGeometry::Lines, {"ID", "Zona", "AREA"}},
        {"Tramos", GisGeometry::Lines, {"ZONA", "r_diam"}},
        {"camaras", GisGeometry::Points, {"Nombre", "COTA"}},
        {"poligonos", GisGeometry::Other, {}},
    };
    EXPECT_EQ(ProposedLayer(layers, GisGeometry::Lines), "Tramos");    // its name, any case
    EXPECT_EQ(ProposedLayer(layers, GisGeometry::Points), "camaras");  // the only points
    EXPECT_EQ(ProposedLayer({layers[3]}, GisGeometry::Points), "");
    EXPECT_EQ(ProposedField(layers[0], "zona"), "Zona");
    EXPECT_EQ(ProposedField(layers[0], "area"), "AREA");
    EXPECT_EQ(ProposedField(layers[2], "rasante"), "");

    EXPECT_EQ(GisSourceOf("/d/capas/tramos.SHP"), "/d/capas");
    EXPECT_EQ(GisSourceOf("/d/red.gpkg"), "/d/red.gpkg");

    GisMapping m = Proposed(layers);
    EXPECT_EQ(m.fields.at("nombre"), "Nombre");
    EXPECT_EQ(GisMappingRefusal(m),
              "Falta elegir el campo del dato rasante en la capa de los pozos, o los de "
              "rasan_sup y rasan_inf en la de los tramos");
    m.fields["rasan_sup"] = "ZONA";
    EXPECT_NE(GisMappingRefusal(m), "");  // one ground of the lines is not enough
    m.fields["rasan_inf"] = "r_diam";
    EXPECT_EQ(GisMappingRefusal(m), "");
    m.fields["nombre"] = "";
    EXPECT_EQ(GisMappingRefusal(m),
              "Falta elegir el campo del dato nombre (el nombre del "
              "pozo) en la capa de los pozos");
    m.fields["nombre"] = "Nombre";
    m.manholeLayer = m.reachLayer;
    EXPECT_EQ(GisMappingRefusal(m), "La capa de los tramos y la de los pozos deben ser distintas");
}

}  // namespace
}  // namespace nivex::exchange
