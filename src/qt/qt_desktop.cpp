#include "qt/qt_desktop.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QUrl>

#include "qt/qt_text.h"
#include "shell/startup.h"

namespace nivex::qt {

bool QtDesktop::registerListingFont(const std::string& path) {
    const QString file = QString::fromStdString(path);  // paths are native text
    if (!QFileInfo::exists(file)) return false;
    // Earlier registrations go first, so the file is registered exactly once.
    for (int id : fonts_)
        QFontDatabase::removeApplicationFont(id);
    fonts_.clear();
    const int id = QFontDatabase::addApplicationFont(file);
    if (id < 0) return false;
    fonts_.push_back(id);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) return false;
    const QString face = QString::fromLatin1(kListingFace);
    if (!families.contains(face, Qt::CaseInsensitive)) {
        QFont::removeSubstitutions(face);
        QFont::insertSubstitution(face, families.first());
    }
    return true;
}

ui::OpenResult QtDesktop::openDocument(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    if (!file.exists()) return ui::OpenResult::FileMissing;
    const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    if (!(openUrl ? openUrl(url) : QDesktopServices::openUrl(url)))
        return ui::OpenResult::NoProgram;
    return ui::OpenResult::Opened;
}

void QtDesktop::showAbout() {
    const QString text = QStringLiteral("NIVEX\n\nDiseño de redes de alcantarillado\nVersión ") +
                         QString::fromLatin1(shell::kVersionText);
    QMessageBox::about(owner_.data(), QStringLiteral("Acerca de"), text);
}

bool QtDesktop::moveToTrash(const std::string& path) {
    // File-system paths are native (UTF-8) text, not code-page text.
    return QFile::moveToTrash(QString::fromStdString(path));
}

}  // namespace nivex::qt
