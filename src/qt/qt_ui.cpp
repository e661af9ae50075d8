#include "qt/qt_ui.h"

#include <QApplication>
#include <QPushButton>

#include "qt/qt_text.h"

namespace nivex::qt {

QMessageBox::StandardButton QtUi::run(QMessageBox::Icon icon, const std::string& message,
                                      const std::string& caption,
                                      QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, qtext(caption), messageText(message), buttons, owner_.data());
    box.setTextFormat(Qt::PlainText);
    // The program speaks Spanish whatever translations the system has.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Yes, "&Sí"},
        {QMessageBox::No, "&No"},
        {QMessageBox::Ok, "Aceptar"},
        {QMessageBox::Cancel, "Cancelar"}};
    for (const auto& [which, text] : captions)
        if (QAbstractButton* b = box.button(which)) b->setText(QString::fromUtf8(text));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
}

namespace {

// A box captioned "Informacion" (or "Informe") tells the user something went as asked:
// it carries the information sign, not the warning one.
bool isInformation(const std::string& caption) {
    return caption.rfind("Inform", 0) == 0 || caption.rfind("INFORM", 0) == 0;
}

}  // namespace

char QtUi::showWarning(const std::string& message, const std::string& caption) {
    const QMessageBox::Icon icon =
        isInformation(caption) ? QMessageBox::Information : QMessageBox::Warning;
    return run(icon, message, caption, QMessageBox::Ok) == QMessageBox::Ok ? 'S' : ' ';
}

char QtUi::showError(const std::string& message, const std::string& caption) {
    return run(QMessageBox::Critical, message, caption, QMessageBox::Ok) == QMessageBox::Ok ? 'S'
                                                                                            : ' ';
}

char QtUi::askYesNo(const std::string& message, const std::string& caption) {
    auto answer = run(QMessageBox::Warning, message, caption, QMessageBox::Yes | QMessageBox::No);
    return answer == QMessageBox::Yes ? 'S' : 'N';
}

char QtUi::askYesNoCancel(const std::string& message, const std::string& caption) {
    auto answer = run(QMessageBox::Warning, message, caption,
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return 'S';
    if (answer == QMessageBox::No) return 'N';
    return 'C';
}

void QtUi::showInformation(const std::string& message, const std::string& caption) {
    run(QMessageBox::Information, message, caption, QMessageBox::Ok);
}

}  // namespace nivex::qt
