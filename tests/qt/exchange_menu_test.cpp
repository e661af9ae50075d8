// The desktop's exchange: the dialog that maps the network's data to a GIS file's layers and
// fields (its proposals from the fields' names, its refusal of a mapping that leaves a needed
// datum out), and the exports of a designed simulated project chosen in the window's own menu
// bar, each target given in the program's Spanish file dialog, read back afterwards.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <unistd.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/screen.h"
#include "exchange/exchange_menu.h"
#include "network/network_controls.h"
#include "qt/event_pump.h"
#include "qt/file_chooser.h"
#include "qt/gis_mapping_dialog.h"
#include "qt/nivex_form.h"
#include "qt_rig.h"
#include "shell/main_menu.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;
using exchange::GisGeometry;
using exchange::GisLayerInfo;

std::vector<GisLayerInfo> Layers() {
    return {
        {"redes", GisGeometry::Lines, {"ID", "Zona", "AREA", "rasan_sup", "rasan_inf"}},
        {"pozos", GisGeometry::Points, {"NOMBRE", "cota"}},
        {"barrios", GisGeometry::Other, {"nombre"}},
    };
}

TEST(GisMappingDialog, ProposesTheFieldsOfTheDataNamesAndRefusesANeededDatumLeftOut) {
    qt::GisMappingDialog d("/datos/red.gpkg", Layers());
    // The only line layer and the layer named as the export names it; a layer of unknown
    // geometry may be chosen too, since GDAL does not always tell it.
    EXPECT_EQ(d.reachLayerChoice()->currentText(), "redes");
    EXPECT_EQ(d.reachLayerChoice()->count(), 2);
    EXPECT_EQ(d.manholeLayerChoice()->currentText(), "pozos");
    EXPECT_EQ(d.fieldChoice("zona")->currentText(), "Zona");
    EXPECT_EQ(d.fieldChoice("area")->currentText(), "AREA");
    EXPECT_EQ(d.fieldChoice("r_diam")->currentText(), "(ninguno)");
    EXPECT_EQ(d.fieldChoice("nombre")->currentText(), "NOMBRE");
    EXPECT_EQ(d.fieldChoice("rasante")->currentText(), "(ninguno)");
    EXPECT_EQ(d.fieldChoice("nada"), nullptr);
    // Every datum of the import has its choice: the reach table's, the state and the
    // manhole's two.
    for (const std::string& datum : exchange::GisDatumNames())
        EXPECT_NE(d.fieldChoice(datum), nullptr) << datum;

    exchange::GisMapping m = d.mapping();
    EXPECT_EQ(m.reachLayer, "redes");
    EXPECT_EQ(m.fields.at("area"), "AREA");
    EXPECT_EQ(m.fields.at("r_diam"), "");  // read from no field
    EXPECT_EQ(m.fields.size(), exchange::GisDatumNames().size());

    // The lines give both grounds: the manholes' ground may go without a field. Without one
    // of the lines' grounds it may not, and "Aceptar" says why and stays.
    d.fieldChoice("rasan_inf")->setCurrentIndex(0);
    d.show();
    d.acceptButton()->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.refusalLabel()->isVisible());
    EXPECT_EQ(d.refusalLabel()->text(),
              "Falta elegir el campo del dato rasante en la capa de los pozos, o los de "
              "rasan_sup y rasan_inf en la de los tramos");
    d.fieldChoice("rasante")->setCurrentText("cota");
    d.fieldChoice("nombre")->setCurrentIndex(0);
    d.acceptButton()->click();
    EXPECT_TRUE(d.refusalLabel()->text().startsWith("Falta elegir el campo del dato nombre"));
    EXPECT_EQ(d.result(), QDialog::Rejected);
    d.fieldChoice("nombre")->setCurrentText("NOMBRE");
    d.acceptButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.mapping().fields.at("rasante"), "cota");

    // Another layer chosen for the manholes: its fields are proposed afresh.
    d.manholeLayerChoice()->setCurrentText("barrios");
    EXPECT_EQ(d.fieldChoice("nombre")->currentText(), "nombre");
    EXPECT_EQ(d.fieldChoice("rasante")->currentText(), "(ninguno)");
}

// The program's menu bar and session over a project made by nivex-batch's verbs, with the
// program's own file dialogs.
class ExchangeMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-exportar-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        start_ = fs::current_path();
        form_.onMenuItem = [this](const shell::MenuItem& item) {
            shell::MenuItemChosen(session_, item);
        };
        session_.fileChooser = &chooser_;
        session_.exchange = &exchange_;
        Batch({"new", "--yes"});
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }
    void Batch(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "AB1"});
        std::ostringstream out, err;
        const int rc = cli::RunBatch(args, out, err);
        fs::current_path(start_);
        ASSERT_EQ(rc, 0) << ::testing::PrintToString(args) << "\n" << out.str() << err.str();
    }
    fs::path Folder() const {
        for (const auto& e : fs::directory_iterator(base_ / "projects"))
            if (e.is_directory() && e.path().filename().string().rfind("AB-", 0) == 0)
                return e.path();
        return base_;
    }
    // A simulated grid of 2 x 2 blocks of 60 m, designed: 2 x 3 + 3 x 2 streets and the
    // outfall, 13 reaches.
    void Designed() {
        Batch({"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto",
               "entidad=Empresa", "--texto", "proyecto=Barrio Norte", "--texto", "fecha=2026",
               "--texto", "consultor=Yo", "--yes"});
        Batch({"simulate", "--horizontal", "2", "--vertical", "2", "--length", "60", "--slope", "1",
               "--ground", "1000", "--yes"});
        Batch({"controls", "--yes"});
        Batch({"design", "--opciones", "NNSS"});
        project::Project& p = session_.project;
        p.selection.code = "AB";
        p.selection.sector = "1";
        p.selection.sectors = "1";
        p.selection.sectorNumber = 1;
        p.selection.extension = "AB1";
        p.selection.accepted = true;
        p.files.Build(Folder().string(), "AB1");
        std::string error;
        ASSERT_TRUE(network::LoadControlState(p, &error)) << error;
        menu_.enableAll();
    }

    struct Seen {
        QString title;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QFileDialog::AcceptMode accept = QFileDialog::AcceptOpen;
    };
    // The item chosen in the menu bar; its file dialog, once up, answered with `answer`.
    Seen Export(const char* caption, const fs::path& answer) {
        Seen seen;
        std::function<void()> answerDialog;
        answerDialog = [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d) {
                QTimer::singleShot(10, answerDialog);
                return;
            }
            seen = {d->windowTitle(), d->nameFilters(), d->fileMode(), d->acceptMode()};
            // A folder is entered, as the user does before "Elegir"; a file's name is typed
            // in the folder it goes to.
            if (d->fileMode() == QFileDialog::Directory) {
                d->setDirectory(QString::fromStdString(answer.string()));
            } else {
                d->setDirectory(QString::fromStdString(answer.parent_path().string()));
                auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                name->setText(QString::fromStdString(answer.filename().string()));
            }
            static_cast<QDialog*>(d)->accept();  // as the dialog's own button does
        };
        QTimer::singleShot(10, answerDialog);
        QAction* a = form_.itemAction(cp(caption));
        EXPECT_NE(a, nullptr) << caption;
        if (a) a->trigger();
        return seen;
    }

    fs::path base_, start_;
    UiSwitches switches_;
    ScriptedUi ui_;
    console::Console console_{switches_, ui_};
    console::Screen screen_{console_};
    shell::MenuBarModel menu_;
    qt::TForm1 form_{console_, menu_};
    NullDesktop desktop_;
    ui::MemorySettings settings_;
    shell::Session session_{switches_, console_, screen_, ui_, desktop_, settings_, menu_};
    qt::QtFileChooser chooser_{nullptr};
    exchange::MenuExchange exchange_{session_};
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

std::string Head(const fs::path& p, size_t n) {
    std::ifstream in(p, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

TEST_F(ExchangeMenu, EachFormatIsExportedThroughTheMenuAndItsSpanishDialog) {
    ASSERT_NO_FATAL_FAILURE(Designed());
    const fs::path out = base_ / "salida";
    fs::create_directories(out / "capas");  // made in the dialog by the user

    Seen s = Export("Exportar GeoPackage", out / "red.gpkg");
    EXPECT_EQ(s.title, "Exportar GeoPackage");
    EXPECT_EQ(s.filters, QStringList{"GeoPackage (*.gpkg)"});
    EXPECT_EQ(s.accept, QFileDialog::AcceptSave);
    ASSERT_NE(ui_.last(), nullptr);
    EXPECT_EQ(ui_.last()->kind, "info") << ui_.last()->message;
    EXPECT_EQ(Features(out / "red.gpkg", "tramos"), 13);
    EXPECT_EQ(Features(out / "red.gpkg", "pozos"), 14);  // a tree: one manhole more

    s = Export("Exportar Shapefile", out / "capas");
    EXPECT_EQ(s.mode, QFileDialog::Directory);
    EXPECT_EQ(ui_.last()->kind, "info") << ui_.last()->message;
    EXPECT_EQ(Features(out / "capas", "tramos"), 13);
    EXPECT_TRUE(fs::exists(out / "capas" / "pozos.shp"));

    s = Export("Exportar DXF", out / "planos");  // typed without the extension
    EXPECT_EQ(s.filters, QStringList{"DXF (*.dxf)"});
    EXPECT_EQ(ui_.last()->kind, "info") << ui_.last()->message;
    const std::string text = Head(out / "planos.dxf", 1 << 22);
    ASSERT_GT(text.size(), 4u) << ui_.last()->message;
    EXPECT_NE(text.find("ENTITIES"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "EOF\n");

    s = Export("Exportar Excel (XLSX)", out / "libro.xlsx");
    EXPECT_EQ(s.filters, QStringList{"Libro de Excel (*.xlsx)"});
    EXPECT_EQ(ui_.last()->kind, "info") << ui_.last()->message;
    EXPECT_EQ(Head(out / "libro.xlsx", 4), std::string("PK\x03\x04", 4));
    EXPECT_GT(fs::file_size(out / "libro.xlsx"), 1000u);
}

}  // namespace
}  // namespace nivex::testing
