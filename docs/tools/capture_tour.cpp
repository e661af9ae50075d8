// Takes the pictures of the manual from the real program: the walk through a project of
// the desktop program under the offscreen platform, each picture saved as it comes.
//
//   nivex-capturas FOLDER
//
// Fails when the walk does not reach its end or a picture is missing.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "console/codepage.h"
#include "picture_tools.h"
#include "qt/desktop_program.h"
#include "qt/desktop_script.h"
#include "qt/project_tour.h"
#include "qt/spanish_translations.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    nivex::qt::InstallSpanishTranslations(app);
    if (argc != 2) {
        std::fprintf(stderr, "uso: nivex-capturas CARPETA\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "nivex-capturas: no se pudo crear %s\n", argv[1]);
        return 1;
    }
    // A home of its own: the walk creates its project there, not in the user's folders.
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home/ingeniero"));
    if (!root.isValid() || !QDir().mkpath(home)) return 1;
    qputenv("HOME", home.toLocal8Bit());

    nivex::qt::DesktopProgram program(root.filePath(QStringLiteral("nivex.ini")));
    program.desktop().openUrl = [](const QUrl&) { return true; };
    nivex::qt::DesktopScript script(program);
    script.onFailed = [&script](const std::string& why) {
        std::fprintf(stderr, "nivex-capturas: %s\n%s\n", why.c_str(), script.screenText().c_str());
        std::_Exit(1);
    };

    std::set<std::string> taken;
    nivex::qt::ProjectTour tour;
    // The walk's home is shown as an engineer's own.
    const QString shownHome = QStringLiteral("/home/ingeniero");
    tour.picture = [&out, &taken, &program, &home, &shownHome](const std::string& name,
                                                               QWidget& shown) {
        const QString path = out.filePath(QString::fromStdString(name) + ".png");
        nivex::qt::TForm1& form = program.form();
        // The main window is pictured with the menu of the design open: its empty screen
        // alone says nothing.
        const QPixmap shot = nivex::pictures::withPathShownAs(shown, home, shownHome, [&] {
            if (&shown == &form)
                return name == "menu" ? nivex::pictures::withMenuOpen(
                                            form, form.entryAction(nivex::cp("Diseño")))
                                      : form.grab();
            return shown.grab();
        });
        if (!shot.save(path)) {
            std::fprintf(stderr, "nivex-capturas: no se pudo escribir %s\n",
                         path.toLocal8Bit().constData());
            std::_Exit(1);
        }
        taken.insert(name);
    };
    tour.addTo(script);
    script.start();
    program.run();
    if (!script.finished()) return 1;
    for (const char* name :
         {"proyecto", "configuracion", "menu", "especificaciones", "tramos", "controles", "diseno",
          "alternativas", "listado", "presupuesto", "resumen"})
        if (!taken.count(name)) {
            std::fprintf(stderr, "nivex-capturas: falta la imagen %s\n", name);
            return 1;
        }
    return 0;
}
