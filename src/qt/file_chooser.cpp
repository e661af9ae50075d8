#include "qt/file_chooser.h"

#include <QFileDialog>

#include "qt/qt_text.h"

namespace nivex::qt {

std::string QtFileChooser::chooseFile(const std::string& title, const std::string& filter,
                                      const std::string& folder) {
    // "description|pattern" as the dialog writes it: "description (pattern)".
    QString qfilter = qtext(filter);
    const qsizetype bar = qfilter.indexOf(QLatin1Char('|'));
    if (bar >= 0)
        qfilter =
            qfilter.left(bar) + QStringLiteral(" (") + qfilter.mid(bar + 1) + QLatin1Char(')');
    const QString chosen = QFileDialog::getOpenFileName(parent_, qtext(title),
                                                        QString::fromStdString(folder), qfilter);
    return chosen.toStdString();
}

}  // namespace nivex::qt
