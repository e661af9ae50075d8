#include "qt/spanish_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace nivex::qt {

bool InstallSpanishTranslations(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qtbase" holds the widgets' texts; "qt" is the catalogue that includes it.
    for (const char* catalogue : {"qtbase_es", "qt_es"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QLatin1String(catalogue), folder) &&
            QCoreApplication::installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}

}  // namespace nivex::qt
