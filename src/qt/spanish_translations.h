#pragma once
// Qt's own texts (the file dialogs' "Buscar en", "Nombre de archivo", "Cancelar", the print
// dialog) in Spanish: the translations Qt ships, loaded once at start-up.

class QCoreApplication;

namespace nivex::qt {

// Installs Qt's Spanish translations in the application; false when none are found (the
// dialogs then speak English). The translators belong to the application.
bool InstallSpanishTranslations(QCoreApplication& app);

}  // namespace nivex::qt
