// The desktop program: one copy per user, the main window with its console, then the run
// of the program shell until the user leaves.

#include <QApplication>
#include <clocale>

#include "qt/desktop_program.h"
#include "qt/single_instance.h"
#include "qt/spanish_translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // QApplication takes the user's locale for the C library: numbers keep '.'.
    std::setlocale(LC_NUMERIC, "C");
    nivex::qt::InstallSpanishTranslations(app);

    nivex::qt::SingleInstance instance(
        nivex::qt::SingleInstance::baseNameOf(QString::fromLocal8Bit(argv[0])));
    if (!instance.becomePrimary()) return 0;

    nivex::qt::DesktopProgram program;
    QObject::connect(&instance, &nivex::qt::SingleInstance::activationRequested, &program.form(),
                     &nivex::qt::TForm1::bringForward);
    return program.run();
}
