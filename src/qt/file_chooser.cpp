#include "qt/file_chooser.h"

#include <QAbstractItemModel>
#include <QFileDialog>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

#include "qt/qt_text.h"

namespace nivex::qt {

namespace {

// "description|pattern" as the dialog writes it: "description (pattern)".
QString DialogFilter(const std::string& filter) {
    QString qfilter = qtext(filter);
    const qsizetype bar = qfilter.indexOf(QLatin1Char('|'));
    if (bar >= 0)
        qfilter =
            qfilter.left(bar) + QStringLiteral(" (") + qfilter.mid(bar + 1) + QLatin1Char(')');
    return qfilter;
}

}  // namespace

std::string QtFileChooser::chooseFile(const std::string& title, const std::string& filter,
                                      const std::string& folder) {
    QFileDialog dialog(parent_, qtext(title), QString::fromStdString(folder), DialogFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

std::string QtFileChooser::chooseSaveFile(const std::string& title, const std::string& filter,
                                          const std::string& suggested) {
    QFileDialog dialog(parent_, qtext(title), QString::fromStdString(suggested),
                       DialogFilter(filter));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // "*.gpkg": a name typed without it gets it.
    const size_t dot = filter.rfind("*.");
    if (dot != std::string::npos)
        dialog.setDefaultSuffix(QString::fromStdString(filter.substr(dot + 2)));
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

std::string QtFileChooser::chooseFolder(const std::string& title, const std::string& folder) {
    QFileDialog dialog(parent_, qtext(title), QString::fromStdString(folder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

void SizeFileDialog(QFileDialog& dialog) {
    QSize wanted(860, 540);
    if (const QScreen* screen = dialog.screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() - QSize(40, 80));
    dialog.resize(wanted.expandedTo(dialog.sizeHint()));
    // The side bar of places wide enough for a user's folder name.
    if (auto* splitter = dialog.findChild<QSplitter*>()) {
        const int side = dialog.fontMetrics().averageCharWidth() * 22;
        splitter->setSizes({side, wanted.width() - side});
    }
    // Every column of the detailed view as wide as its title at least.
    for (QTreeView* view : dialog.findChildren<QTreeView*>()) {
        QHeaderView* header = view->header();
        const QAbstractItemModel* model = view->model();
        if (!model) continue;
        for (int c = 0; c < header->count(); ++c) {
            const QString title = model->headerData(c, Qt::Horizontal).toString();
            const int least = header->fontMetrics().horizontalAdvance(title) + 32;
            if (header->sectionSize(c) < least) header->resizeSection(c, least);
        }
    }
}

}  // namespace nivex::qt
