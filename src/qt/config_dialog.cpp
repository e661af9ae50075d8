#include "qt/config_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "qt/file_chooser.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

using project::Box;
using project::Group;
using project::Text;

constexpr const char* kFilePrompt = "Oprima Abrir (Open)";
constexpr const char* kFileFilter = "(*.inp)";

// Enter and Down go through the texts in this order.
constexpr std::array<Text, project::kTexts> kTextOrder{
    Text::Consultant, Text::Email, Text::Country, Text::Entity, Text::Project, Text::Date};

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(plainCaption(caption), parent);
    b->setObjectName(QLatin1String(name));
    // Enter moves between the texts; it never presses a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// The groups' items stand close together, so that the dialog fits a laptop's screen.
void tighten(QBoxLayout* layout) {
    layout->setSpacing(2);
    layout->setContentsMargins(8, 4, 8, 4);
}

// A caption wider than `width` pixels takes two lines, broken at the blank before a
// bracket or a dash where its longer line is shortest; its words and blanks stay as they
// are.
void wrapCaption(QAbstractButton* b, int width) {
    const QFontMetrics fm(b->font());
    const QString text = b->text();
    if (fm.horizontalAdvance(text) <= width) return;
    int best = -1, bestWidth = 0;
    for (int i = 1; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char(' ') ||
            (text[i + 1] != QLatin1Char('(') && text[i + 1] != QLatin1Char('-')))
            continue;
        const int longer =
            std::max(fm.horizontalAdvance(text.left(i)), fm.horizontalAdvance(text.mid(i + 1)));
        if (best < 0 || longer < bestWidth) {
            best = i;
            bestWidth = longer;
        }
    }
    if (best > 0) b->setText(text.left(best) + QLatin1Char('\n') + text.mid(best + 1));
}

}  // namespace

TGenForm1::TGenForm1(shell::Session& session, project::Configuration& configuration,
                     QWidget* parent)
    : QDialog(parent), session_(session), configuration_(configuration) {
    setObjectName(QStringLiteral("TGenForm1"));
    setWindowTitle(qtext(project::ConfigurationCaption()));
    build();
    refresh();
    if (configuration_.state().textsEnabled) textField(Text::Consultant)->setFocus();
}

QLineEdit* TGenForm1::buildText(Text t, const char* name) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(static_cast<int>(project::LengthOf(t)));
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, t] { textEdited(t); });
    texts_[static_cast<size_t>(t)] = edit;
    return edit;
}

QGroupBox* TGenForm1::buildGroup(Group g, const char* name) {
    auto* box = new QGroupBox(qtext(project::CaptionOf(g)), this);
    box->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(box);
    tighten(layout);
    auto* buttons = new QButtonGroup(box);
    const std::vector<std::string> items = project::ItemsOf(g);
    for (size_t i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(plainCaption(items[i]), box);
        radio->setObjectName(QString::fromLatin1(name) + QLatin1Char('_') + QString::number(i));
        buttons->addButton(radio, static_cast<int>(i));
        layout->addWidget(radio);
    }
    connect(buttons, &QButtonGroup::idClicked, this, [this, g](int item) {
        configuration_.SelectItem(g, item);
        afterClick();
    });
    groups_[static_cast<size_t>(g)] = box;
    buttons_[static_cast<size_t>(g)] = buttons;
    return box;
}

QCheckBox* TGenForm1::buildBox(Box b, const char* name) {
    auto* check = new QCheckBox(plainCaption(project::CaptionOf(b)), this);
    check->setObjectName(QLatin1String(name));
    connect(check, &QCheckBox::clicked, this, [this, b](bool checked) {
        configuration_.SetBox(b, checked);
        afterClick();
    });
    boxes_[static_cast<size_t>(b)] = check;
    return check;
}

void TGenForm1::build() {
    // Three columns, tight enough for a laptop screen of 1366 x 768 and for 1280 x 1024
    // without scrolling; the scrolled area is only for smaller screens.
    auto* content = new QWidget;
    auto* top = new QVBoxLayout(content);
    top->setContentsMargins(9, 6, 9, 0);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(12);
    top->addLayout(columns);

    // Left: identity texts, class, Manning rule and topology.
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    const std::array<std::pair<Text, const char*>, project::kTexts> texts{{
        {Text::Consultant, "Edit4"},
        {Text::Email, "Edit6"},
        {Text::Country, "Edit8"},
        {Text::Entity, "Edit1"},
        {Text::Project, "Edit2"},
        {Text::Date, "Edit3"},
    }};
    int row = 0;
    for (const auto& [t, name] : texts) {
        QLineEdit* edit = buildText(t, name);
        auto* label = new QLabel(qtext(project::CaptionOf(t)), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    left->addLayout(grid);
    left->addWidget(buildGroup(Group::Class, "RadioGroup1"));
    left->addWidget(buildGroup(Group::Manning, "RadioGroup2"));
    left->addWidget(buildGroup(Group::Topology, "RadioGroup3"));
    left->addStretch(1);
    columns->addLayout(left);

    // Middle: self-cleansing, sanitary coefficients and energy junctions.
    auto* middle = new QVBoxLayout;
    middle->setSpacing(6);
    auto* cleansing = new QGroupBox(qtext(project::SelfCleansingCaption()), this);
    cleansing->setObjectName(QStringLiteral("GroupBox1"));
    auto* cleansingLayout = new QVBoxLayout(cleansing);
    tighten(cleansingLayout);
    cleansingLayout->addWidget(buildBox(Box::FullVelocity, "CheckBox1"));
    cleansingLayout->addWidget(buildBox(Box::Ras2016, "CheckBox8"));
    cleansingLayout->addWidget(buildBox(Box::RealVelocity, "CheckBox2"));
    cleansingLayout->addWidget(buildBox(Box::Tractive, "CheckBox3"));
    cleansingLayout->addWidget(buildBox(Box::SlopePerDiameter, "CheckBox9"));
    middle->addWidget(cleansing);
    middle->addWidget(buildGroup(Group::Peak, "RadioGroup5"));
    middle->addWidget(buildGroup(Group::Minimum, "RadioGroup6"));
    middle->addWidget(buildBox(Box::Energy, "CheckBox4"));
    middle->addStretch(1);
    columns->addLayout(middle);

    // Right: SWMM options, critical flow and the design method.
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(buildGroup(Group::Swmm, "RadioGroup8"));
    right->addWidget(buildGroup(Group::Relations, "RadioGroup9"));
    right->addWidget(buildGroup(Group::Infiltration, "RadioGroup10"));
    auto* critical = new QGroupBox(qtext(project::CriticalFlowCaption()), this);
    critical->setObjectName(QStringLiteral("GroupBox2"));
    auto* criticalLayout = new QVBoxLayout(critical);
    tighten(criticalLayout);
    criticalLayout->addWidget(buildBox(Box::Critical, "CheckBox5"));
    right->addWidget(critical);
    right->addWidget(buildGroup(Group::Method, "RadioGroup11"));
    right->addStretch(1);
    columns->addLayout(right);

    // The two long captions take two lines, as wide as the titles of their column.
    const QFontMetrics titles(groups_[static_cast<size_t>(Group::Peak)]->font());
    auto titleWidth = [&titles](std::initializer_list<QGroupBox*> boxes) {
        int widest = 0;
        for (const QGroupBox* b : boxes)
            widest = std::max(widest, titles.horizontalAdvance(b->title()));
        return widest;
    };
    wrapCaption(checkBox(Box::SlopePerDiameter),
                titleWidth({cleansing, radioGroup(Group::Peak), radioGroup(Group::Minimum)}));
    wrapCaption(checkBox(Box::Critical),
                titleWidth({radioGroup(Group::Swmm), radioGroup(Group::Infiltration), critical}));

    auto* folderRow = new QHBoxLayout;
    auto* folderLabel = new QLabel(qtext(project::SwmmFolderCaption()), this);
    edit7_ = new QLineEdit(this);
    edit7_->setObjectName(QStringLiteral("Edit7"));
    edit7_->setReadOnly(true);
    edit7_->setFocusPolicy(Qt::NoFocus);
    folderLabel->setBuddy(edit7_);
    explore_ = button("Explorar", "Explorar", this);
    accept_ = button("Aceptar", "Aceptar", this);
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(edit7_, 1);
    folderRow->addWidget(explore_);
    folderRow->addSpacing(24);
    folderRow->addWidget(accept_);

    scroll_ = new QScrollArea(this);
    scroll_->setWidget(content);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 8);
    outer->setSpacing(6);
    outer->addWidget(scroll_);
    // The folder and the buttons stay in sight below the scrolled controls.
    folderRow->setContentsMargins(9, 0, 9, 0);
    outer->addLayout(folderRow);
    if (const QScreen* screen = this->screen()) fitTo(screen->availableGeometry().size());

    connect(explore_, &QPushButton::clicked, this, &TGenForm1::explore);
    connect(accept_, &QPushButton::clicked, this, &TGenForm1::acceptPressed);
}

QSize TGenForm1::sizeHint() const {
    const QWidget* content = scroll_->widget();
    const QLayout* outer = layout();
    const int below = outer->itemAt(1)->sizeHint().height();
    const QMargins m = outer->contentsMargins();
    return content->sizeHint() +
           QSize(m.left() + m.right(), m.top() + m.bottom() + outer->spacing() + below);
}

void TGenForm1::fitTo(const QSize& screen) {
    // The window system's frame and task bar take some of the screen.
    const QSize room = screen - QSize(40, 80);
    resize(sizeHint().boundedTo(room));
}

QRadioButton* TGenForm1::radioItem(Group g, int item) const {
    return qobject_cast<QRadioButton*>(buttons_[static_cast<size_t>(g)]->button(item));
}

void TGenForm1::refresh() {
    const project::ConfigurationState& s = configuration_.state();
    for (size_t i = 0; i < texts_.size(); ++i) {
        QLineEdit* edit = texts_[i];
        const QString text = qtext(s.texts[i]);
        if (edit->text() != text) {
            const int cursor = edit->cursorPosition();
            edit->setText(text);
            edit->setCursorPosition(cursor);
        }
        edit->setEnabled(s.textsEnabled);
    }
    for (size_t g = 0; g < groups_.size(); ++g) {
        QButtonGroup* buttons = buttons_[g];
        const QSignalBlocker blocker(buttons);
        // No item is selected while the stored value is none of them.
        buttons->setExclusive(false);
        for (QAbstractButton* b : buttons->buttons())
            b->setChecked(buttons->id(b) == s.groups[g].item);
        buttons->setExclusive(true);
        groups_[g]->setEnabled(s.groups[g].enabled);
    }
    for (size_t b = 0; b < boxes_.size(); ++b) {
        const QSignalBlocker blocker(boxes_[b]);
        boxes_[b]->setChecked(s.boxes[b].checked);
        boxes_[b]->setEnabled(s.boxes[b].enabled);
    }
    edit7_->setText(QString::fromStdString(s.swmmFolder));
}

void TGenForm1::afterClick() {
    refresh();
    if (configuration_.finished()) done(QDialog::Rejected);  // a file error ended it
}

void TGenForm1::textEdited(Text t) {
    configuration_.SetText(t, bytesOf(textField(t)->text()));
    refresh();
}

void TGenForm1::moveFrom(QLineEdit* edit, bool forward) {
    size_t i = 0;
    while (i < kTextOrder.size() && textField(kTextOrder[i]) != edit)
        ++i;
    const size_t n = kTextOrder.size();
    i = (i + (forward ? 1 : n - 1)) % n;
    QLineEdit* next = textField(kTextOrder[i]);
    next->setFocus();
    next->selectAll();
}

bool TGenForm1::eventFilter(QObject* watched, QEvent* e) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || e->type() != QEvent::KeyPress || !configuration_.state().textsEnabled)
        return QDialog::eventFilter(watched, e);
    switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            moveFrom(edit, true);
            return true;
        case Qt::Key_Up:
            moveFrom(edit, false);
            return true;
        default:
            return QDialog::eventFilter(watched, e);
    }
}

std::string TGenForm1::askSwmmFile() {
    if (chooseSwmmFile) return chooseSwmmFile();
    QFileDialog dialog(this, QString(), QString::fromStdString(configuration_.SwmmStartFolder()),
                       QLatin1String(kFileFilter));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.selectFile(qtext(kFilePrompt));
    SizeFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

void TGenForm1::explore() {
    configuration_.ChooseSwmmFile(askSwmmFile());
    refresh();
}

void TGenForm1::acceptPressed() {
    if (configuration_.Accept()) {
        QDialog::accept();
        return;
    }
    refresh();
}

void TGenForm1::reject() {
    if (configuration_.Close()) QDialog::reject();
}

void QtConfigurationDialog::run(project::Configuration& configuration) {
    if (!configuration.ready()) return;  // the file error has been shown
    TGenForm1 form(session_, configuration, parent_.data());
    if (onCreated) onCreated(form);
    form.exec();
}

}  // namespace nivex::qt
