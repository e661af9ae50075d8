// Pictures of the program on the screen it runs on, with the checks that what it shows is
// whole: the main window with a menu open, the configuration dialog, the listing viewer
// and the viewer's save dialog. Run under the offscreen platform at the sizes of the
// screens the program must fit (a laptop's 1366 x 768, a desk's 1280 x 1024).
//
//   nivex-pantallas FOLDER [MODEL.inp]
//
// The "Planos" window is pictured over a designed simulated network of 10 x 10 blocks and,
// when a SWMM model is given, over that model imported and designed.
//
// Fails, saying what is cut, when a menu entry lies outside the menu bar, a window is
// larger than the screen, the configuration dialog must scroll or cuts a caption, or a
// dialog of Qt's own speaks English.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "network/network_controls.h"
#include "picture_tools.h"
#include "qt/config_dialog.h"
#include "qt/desktop_program.h"
#include "qt/desktop_script.h"
#include "qt/listing_viewer.h"
#include "qt/plans_window.h"
#include "qt/project_tour.h"
#include "qt/spanish_translations.h"
#include "shell/main_menu.h"

namespace {

int faults = 0;

void fault(const std::string& what) {
    std::fprintf(stderr, "nivex-pantallas: %s\n", what.c_str());
    ++faults;
}

std::string text(const QString& s) {
    return s.toUtf8().toStdString();
}

// The window fits the screen.
void checkFits(const QWidget& w, const QSize& screen, const char* what) {
    const QRect r = w.frameGeometry();
    if (r.width() > screen.width() || r.height() > screen.height())
        fault(std::string(what) + ": " + std::to_string(r.width()) + " x " +
              std::to_string(r.height()) + " no cabe en la pantalla");
}

void checkMenuBar(nivex::qt::TForm1& form) {
    const QMenuBar* bar = form.menuBar();
    for (QAction* a : bar->actions()) {
        if (!a->isVisible()) continue;
        if (bar->actionGeometry(a).right() >= bar->width())
            fault("ventana principal: \"" + text(a->text()) + "\" queda fuera del menu");
    }
    // The window as it opens without a window manager to maximise it: its own size.
    if (form.sizeHint().width() < bar->sizeHint().width() &&
        bar->sizeHint().width() <= form.screen()->availableGeometry().width())
        fault("ventana principal: su ancho propio esconde entradas del menu");
}

void checkConfiguration(nivex::qt::TGenForm1& dialog, const QSize& screen) {
    nivex::pictures::settle();
    checkFits(dialog, screen, "configuracion");
    const QScrollArea* scroll = dialog.scrollArea();
    if (scroll->horizontalScrollBar()->isVisible()) fault("configuracion: se desplaza a lo ancho");
    if (scroll->verticalScrollBar()->isVisible()) fault("configuracion: se desplaza a lo alto");
    for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        if (b->sizeHint().width() > b->width())
            fault("configuracion: texto cortado \"" + text(b->text()) + "\"");
    for (const QLabel* l : dialog.findChildren<QLabel*>())
        if (l->sizeHint().width() > l->width())
            fault("configuracion: texto cortado \"" + text(l->text()) + "\"");
}

void checkSpanish(const QWidget& dialog, const char* what) {
    QStringList seen{dialog.windowTitle()};
    for (const QLabel* l : dialog.findChildren<QLabel*>())
        seen << l->text().remove(QLatin1Char('&'));
    for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        seen << b->text().remove(QLatin1Char('&'));
    for (const char* english : {"Look in:", "File name:", "Files of type:", "Save As", "Save",
                                "Open", "Cancel", "Choose"})
        if (seen.contains(QLatin1String(english)))
            fault(std::string(what) + ": en ingles \"" + english + "\"");
}

using Verbs = std::vector<std::vector<std::string>>;
using Save = std::function<void(const std::string&, const QPixmap&)>;

// A project that nivex-batch's verbs make in `folder`, opened as the program opens it.
bool madeProject(const std::string& folder, const Verbs& verbs, nivex::project::Project& p) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    const fs::path here = fs::current_path();
    Verbs all{{"new", "--yes"}};
    all.insert(all.end(), verbs.begin(), verbs.end());
    for (std::vector<std::string> args : all) {
        args.insert(args.begin(), {"--projects", folder, "--project", "AB1"});
        std::ostringstream out, err;
        const int rc = nivex::cli::RunBatch(args, out, err);
        fs::current_path(here);
        if (rc != 0) {
            fault("planos: nivex-batch " + args[4] + ": " + err.str());
            return false;
        }
    }
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_directory() && e.path().filename().string().rfind("AB-", 0) == 0)
            p.files.Build(e.path().string(), "AB1");
    p.selection.code = "AB";
    p.selection.sector = "1";
    p.selection.sectors = "1";
    p.selection.sectorNumber = 1;
    p.selection.extension = "AB1";
    std::string error;
    if (!nivex::network::LoadControlState(p, &error)) {
        fault("planos: " + error);
        return false;
    }
    return true;
}

// The "Planos" window over the project: the plan zoomed in on the reach nearest the middle
// of the network, clicked; then the profile of its line in front.
void picturePlans(const std::string& folder, const Verbs& verbs, const std::string& name,
                  const QSize& screen, const Save& save) {
    nivex::project::Project p;
    if (!madeProject(folder, verbs, p)) return;
    nivex::ui::PlansRequest request;
    std::string error;
    if (!nivex::shell::ReadDrawings(p, nivex::shell::DrawingKind::Plan, request, &error)) {
        fault("planos: " + error);
        return;
    }
    nivex::qt::QtPlansWindow plans(nullptr);
    plans.show(std::move(request));
    nivex::qt::PlansForm& w = *plans.window();
    nivex::pictures::settle();
    checkFits(w, screen, "planos");
    const nivex::drawings::Plan& plan = w.plan();
    if (plan.reaches.empty() || plan.manholes.empty()) {
        fault("planos: el plano de " + name + " no tiene tramos");
        return;
    }
    nivex::drawings::Point centre;
    for (const auto& m : plan.manholes)
        centre = {centre.x + m.at.x / plan.manholes.size(),
                  centre.y + m.at.y / plan.manholes.size()};
    nivex::drawings::Point mid;
    double nearest = 1e300;
    for (const auto& r : plan.reaches) {
        const nivex::drawings::Point m{(r.from.x + r.to.x) / 2, (r.from.y + r.to.y) / 2};
        const double d = std::hypot(m.x - centre.x, m.y - centre.y);
        if (d < nearest) nearest = d, mid = m;
    }
    save("planos-" + name + "-red", w.grab());
    w.planView().centreOn(mid, 5);
    w.pickAt(mid);
    nivex::pictures::settle();
    save("planos-" + name + "-plano", w.grab());
    w.bringForward(nivex::ui::PlansSide::Profile);
    nivex::pictures::settle();
    w.pickAt(mid);  // the profile read along the reach in the wider view
    // Zoomed in on the reach from its manholes' names down to the data band under it.
    const nivex::drawings::Profile& profile = w.profile();
    nivex::qt::DrawingView& side = w.profileView();
    if (!side.marks().empty() && !profile.rows.empty()) {
        double band = profile.rows.front().y0;
        for (const auto& row : profile.rows)
            band = std::min(band, row.y0);
        const auto& crown = side.marks().front().points;
        const double top = std::max(crown.front().y, crown.back().y) + 25;
        side.centreOn({(crown.front().x + crown.back().x) / 2, (band + top) / 2},
                      0.95 * side.height() / (top - band));
    }
    nivex::pictures::settle();
    save("planos-" + name + "-perfil", w.grab());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    nivex::qt::InstallSpanishTranslations(app);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "uso: nivex-pantallas CARPETA [MODELO.inp]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "nivex-pantallas: no se pudo crear %s\n", argv[1]);
        return 1;
    }
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home/ingeniero"));
    if (!root.isValid() || !QDir().mkpath(home)) return 1;
    qputenv("HOME", home.toLocal8Bit());
    const QString shownHome = QStringLiteral("/home/ingeniero");

    nivex::qt::DesktopProgram program(root.filePath(QStringLiteral("nivex.ini")));
    program.desktop().openUrl = [](const QUrl&) { return true; };
    nivex::qt::DesktopScript script(program);
    script.onFailed = [&script](const std::string& why) {
        std::fprintf(stderr, "nivex-pantallas: %s\n%s\n", why.c_str(), script.screenText().c_str());
        std::_Exit(1);
    };

    std::set<std::string> taken;
    auto save = [&out, &taken](const char* name, const QPixmap& shot) {
        const QString path = out.filePath(QString::fromLatin1(name) + ".png");
        if (!shot.save(path)) {
            std::fprintf(stderr, "nivex-pantallas: no se pudo escribir %s\n",
                         path.toLocal8Bit().constData());
            std::_Exit(1);
        }
        taken.insert(name);
    };
    auto picture = [&](QWidget& shown, const std::function<QPixmap()>& take) {
        return nivex::pictures::withPathShownAs(shown, home, shownHome, take);
    };

    nivex::qt::TForm1& form = program.form();
    nivex::qt::ProjectTour tour;
    tour.picture = [&](const std::string& name, QWidget& shown) {
        if (name == "menu") {
            checkFits(form, screen, "ventana principal");
            checkMenuBar(form);
            save("ventana", picture(form, [&form] {
                     return nivex::pictures::withMenuOpen(form,
                                                          form.entryAction(nivex::cp("Diseño")));
                 }));
        } else if (name == "configuracion") {
            auto& dialog = static_cast<nivex::qt::TGenForm1&>(shown);
            checkConfiguration(dialog, screen);
            save("configuracion", picture(dialog, [&dialog] { return dialog.grab(); }));
        } else if (name == "listado") {
            checkFits(shown, screen, "visor");
            save("visor", picture(shown, [&shown] { return shown.grab(); }));
        }
    };
    // The viewer's "Grabar" opens Qt's save dialog: pictured, checked and cancelled.
    tour.beforeLeaving = [&](nivex::qt::DesktopScript& s) {
        s.choose("Diseño Hidraulico");
        s.whenShown("Desde Hoja", [&s] { s.key(nivex::key::AltZ); });
        s.then(
            "visor",
            [] { return nivex::qt::DesktopScript::modal<nivex::qt::TViewForm>() != nullptr; },
            [] { nivex::qt::DesktopScript::modal<nivex::qt::TViewForm>()->saveButton()->click(); });
        s.then(
            "dialogo de grabar",
            [] { return nivex::qt::DesktopScript::modal<QFileDialog>() != nullptr; },
            [&] {
                auto* dialog = nivex::qt::DesktopScript::modal<QFileDialog>();
                nivex::pictures::settle();
                checkFits(*dialog, screen, "dialogo de grabar");
                checkSpanish(*dialog, "dialogo de grabar");
                save("archivo", picture(*dialog, [dialog] { return dialog->grab(); }));
                dialog->reject();
            });
        s.then(
            "cerrar visor",
            [] { return nivex::qt::DesktopScript::modal<nivex::qt::TViewForm>() != nullptr; },
            [] {
                nivex::qt::DesktopScript::modal<nivex::qt::TViewForm>()->closeButton()->click();
            });
    };
    tour.addTo(script);
    script.start();
    program.run();
    if (!script.finished()) return 1;

    auto savePlans = [&save](const std::string& name, const QPixmap& shot) {
        save(name.c_str(), shot);
    };
    const std::string plansRoot = root.filePath(QStringLiteral("planos")).toStdString();
    picturePlans(plansRoot + "/simulado",
                 {{"config", "--texto", "proyecto=Barrio La Esperanza", "--texto",
                   "entidad=Empresas Publicas", "--texto", "consultor=Ing. Laura Gomez", "--texto",
                   "fecha=10/12/26", "--texto", "correo=laura@ejemplo.co", "--texto",
                   "pais=Colombia", "--yes"},
                  {"simulate", "--horizontal", "10", "--vertical", "10", "--length", "80",
                   "--slope", "1", "--ground", "2600", "--yes"},
                  {"controls", "--yes"},
                  {"design", "--opciones", "NNSS"}},
                 "simulado", screen, savePlans);
    if (argc == 3)
        picturePlans(plansRoot + "/ejemplo1",
                     {{"config", "--class", "2", "--topologia", "automatico", "--texto",
                       "proyecto=Ejemplo 1 SWMM", "--texto", "entidad=EPA", "--texto",
                       "consultor=Ing. Laura Gomez", "--texto", "fecha=10/12/26", "--texto",
                       "correo=laura@ejemplo.co", "--texto", "pais=Colombia", "--yes"},
                      {"import-swmm", argv[2], "--yes"},
                      {"controls", "--yes"},
                      {"design", "--opciones", "NNSS"}},
                     "ejemplo1", screen, savePlans);

    std::vector<std::string> names{"ventana", "configuracion", "visor", "archivo"};
    for (const char* what : {"red", "plano", "perfil"}) {
        names.push_back(std::string("planos-simulado-") + what);
        if (argc == 3) names.push_back(std::string("planos-ejemplo1-") + what);
    }
    for (const std::string& name : names)
        if (!taken.count(name)) fault("falta la imagen " + name);
    return faults == 0 ? 0 : 1;
}
