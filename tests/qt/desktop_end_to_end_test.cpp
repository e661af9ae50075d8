// The desktop program driven through its menu bar, its dialogs and its screens as a user
// would: a simulated network from the project dialog to the summary, every listing of
// the menu bar, the manual; then the files and listings the run left.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTableWidget>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "qt/alternatives_dialog.h"
#include "qt/desktop_program.h"
#include "qt/desktop_script.h"
#include "qt/project_tour.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

int CountOf(const QString& text, const QString& what) {
    return static_cast<int>(text.count(what));
}

TEST(DesktopEndToEnd, AProjectFromTheDialogToTheSummaryThroughTheMenuBar) {
    const fs::path start = fs::current_path();  // the program moves into its project folder
    const fs::path base = fs::temp_directory_path() / ("nivex-desk-" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "home");
    setenv("HOME", (base / "home").c_str(), 1);

    qt::DesktopProgram program(QString::fromStdString((base / "nivex.ini").string()));
    std::vector<QUrl> opened;
    program.desktop().openUrl = [&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    qt::DesktopScript script(program);
    script.onFailed = [&script](const std::string& why) {
        // The program waits for what never came: say where, then stop the run.
        std::cerr << why << "\n" << script.screenText();
        if (QWidget* m = QApplication::activeModalWidget()) {
            std::cerr << "ventana: " << m->metaObject()->className() << "\n";
            if (auto* b = qobject_cast<QMessageBox*>(m)) std::cerr << b->text().toStdString();
        }
        std::cerr << std::endl;
        std::_Exit(1);
    };

    qt::ProjectTour tour;
    std::map<std::string, QString> listings;
    std::vector<std::string> skipped;
    std::vector<std::pair<QString, QString>> boxes;
    tour.listingShown = [&listings](const std::string& item, const QString& text) {
        listings[item] = text;
    };
    tour.listingSkipped = [&skipped](const std::string& item) { skipped.push_back(item); };
    tour.boxAnswered = [&boxes](const QString& caption, const QString& text) {
        boxes.emplace_back(caption, text);
    };
    tour.beforeLeaving = [&tour, &program](qt::DesktopScript& s) {
        for (const std::string& item : qt::ListingMenuItems())
            tour.addListing(s, item);
        s.then(
            "manual", [&s] { return s.waitsForKey(); },
            [&program] { program.form().itemAction("Ver Manual")->trigger(); });
    };
    QStringList alternatives;  // the first cell of each row of the dialog
    tour.picture = [&alternatives](const std::string& name, QWidget& shown) {
        if (name != "alternativas") return;
        const QTableWidget* grid = static_cast<qt::TFormCostos&>(shown).grid();
        for (int row = 0; row < grid->rowCount(); ++row)
            if (grid->item(row, 0) && !grid->item(row, 0)->text().isEmpty())
                alternatives << grid->item(row, 0)->text();
    };
    tour.addTo(script);
    script.start();
    EXPECT_EQ(program.run(), 0);
    ASSERT_TRUE(script.finished());

    // The network typed again is designed as entered and by the automatic topology.
    ASSERT_GE(alternatives.size(), 2) << alternatives.join(",").toStdString();
    EXPECT_EQ(alternatives[0], "Manual");
    EXPECT_EQ(alternatives[1], "Auto 1");

    for (const auto& [caption, text] : boxes) {
        EXPECT_NE(caption, "Error") << text.toStdString();
        EXPECT_NE(caption, "Error Fatal") << text.toStdString();
    }

    // The project and its design on disk.
    const fs::path projects = base / "home" / "01 Archivos NivexPlus" / "NivexPlus";
    fs::path folder;
    for (const auto& e : fs::directory_iterator(projects))
        if (e.is_directory()) folder = e.path();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.filename().string().find("ED-"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "ED1"));
    EXPECT_TRUE(fs::exists(folder / "SANNEWQ.ED1"));  // quantities
    EXPECT_TRUE(fs::exists(folder / "SANNEWV.ED1"));  // budget
    bool report = false;
    for (const auto& e : fs::directory_iterator(base / "home" / "00 Archivos Swmm"))
        if (e.path().extension() == ".rpt")
            report =
                ReadAll(e.path()).find("EPA STORM WATER MANAGEMENT MODEL") != std::string::npos;
    EXPECT_TRUE(report);

    // The listings as the viewer showed them.
    const QString hydraulic = listings["Diseño Hidraulico"];
    EXPECT_TRUE(hydraulic.contains("EMPRESAS PUBLICAS DEL MUNICIPIO"));
    EXPECT_TRUE(hydraulic.contains("PROYECTO: ALCANTARILLADO SANITARIO"));
    EXPECT_TRUE(hydraulic.contains("METODO FLUJO UNIFORME"));
    // Every one of the 32 reaches is set by the minimum crown depth, and the note says so.
    EXPECT_EQ(CountOf(hydraulic, QStringLiteral("<**>")), 32 + 1);
    EXPECT_TRUE(hydraulic.contains(QStringLiteral("vertim.")));
    EXPECT_TRUE(listings["Revision Diseño"].size() > 0);
    EXPECT_TRUE(listings["Reporte SWMM"].contains("SWMM"));
    const QString budget = listings["Presupuesto de Obra"];
    EXPECT_TRUE(budget.contains("[ PRESUPUESTO SISTEMA NUEVO ]"));
    // 1,760 m3 + 1,693 m3 + 33 manholes + 2,560 m + 256 connections, all at $125,000.
    EXPECT_TRUE(budget.contains("787,750,000")) << budget.toStdString();
    EXPECT_TRUE(budget.contains("320,000,000"));
    EXPECT_FALSE(budget.contains("320,000,001"));
    EXPECT_TRUE(listings["Cantidades de Obra"].contains("2,560"));
    EXPECT_TRUE(listings["Resumen General Proyecto"].size() > 0);
    for (const char* item :
         {"Especificaciones", "Datos Generales Tramos ", "Relacion Ordenada Pozos", "Diseño Fisico",
          "Caudales Sanitarios", "Formulario Precios Totales", "Precios Unitarios",
          "Indice General Proyecto"})
        EXPECT_GT(listings[item].size(), 200) << item;
    // A sanitary project has no storm flows nor energy junctions to list.
    EXPECT_EQ(skipped, (std::vector<std::string>{"Caudales Pluviales", "Empalmes Energia"}));

    // "Ver Manual" opened the manual beside the program.
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile(), QCoreApplication::applicationDirPath() + "/Nivex.pdf");
    fs::current_path(start);
    fs::remove_all(base);
}

}  // namespace
}  // namespace nivex::testing
