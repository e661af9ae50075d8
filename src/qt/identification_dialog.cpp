#include "qt/identification_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

constexpr int kTextLength = 55;

}  // namespace

TFormIdentif::TFormIdentif(const std::string& text, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormIdentif"));
    setWindowTitle(QStringLiteral("Confirmacion"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Escriba un texto que identifique en el Resumen "
                                                "la alternativa seleccionada (opcional)"),
                                 this));
    edit_ = new QLineEdit(qtext(text), this);
    edit_->setObjectName(QStringLiteral("Identif"));
    edit_->setMaxLength(kTextLength);
    layout->addWidget(edit_);
    auto* question = new QLabel(QStringLiteral("Desea realizar el Listado ?"), this);
    question->setAlignment(Qt::AlignCenter);
    layout->addWidget(question);

    auto* buttons = new QHBoxLayout;
    auto* yes = new QPushButton(QStringLiteral("SI"), this);
    yes->setObjectName(QStringLiteral("Button1"));
    yes->setDefault(true);
    auto* no = new QPushButton(QStringLiteral("NO"), this);
    no->setObjectName(QStringLiteral("Button2"));
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(yes, &QPushButton::clicked, this, [this] {
        answer_ = 'S';
        accept();
    });
    connect(no, &QPushButton::clicked, this, [this] {
        answer_ = 'N';
        accept();
    });
}

std::string TFormIdentif::text() const {
    return bytesOf(edit_->text());
}

char QtIdentificationDialog::run(std::string& text) {
    TFormIdentif form(text, parent_);
    form.exec();
    if (form.answer() == 0) return 'N';
    text = form.text();
    return form.answer();
}

}  // namespace nivex::qt
