#include "qt/plans_window.h"

#include "qt/coordinates_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "design/reach_values.h"
#include "drawings/paper_writer.h"
#include "drawings/plan_view_model.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

using drawings::Point;

// Names of manholes are 2 mm tall on the plan: a found manhole is shown with its name
// readable.
constexpr double kFoundPixelsPerMm = 6;
const QColor kLineMark(0, 170, 0, 90);
const QColor kReachMark(0, 150, 0);
const QColor kFoundMark(200, 0, 200);

QString Joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines)
        out << qtext(l);
    return out.join(QLatin1Char('\n'));
}

QLabel* Heading(const char* utf8) {
    auto* l = new QLabel(QString::fromUtf8(utf8));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

double Distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

}  // namespace

PlansForm::PlansForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Buscar pozo:")));
    search_ = new QLineEdit;
    search_->setMaxLength(12);
    search_->setFixedWidth(search_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 10);
    top->addWidget(search_);
    auto* find = new QPushButton(QStringLiteral("Buscar"));
    top->addWidget(find);
    top->addSpacing(16);
    layoutNote_ = new QLabel;
    layoutNote_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    top->addWidget(layoutNote_);
    top->addStretch(1);

    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->addWidget(buildPlanSide());
    splitter_->addWidget(buildProfileSide());
    splitter_->setChildrenCollapsible(false);

    values_ = new QLabel;
    values_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    values_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    values_->setMinimumHeight(values_->fontMetrics().lineSpacing() * 6 + 8);
    values_->setFrameShape(QFrame::StyledPanel);
    status_ = new QLabel;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter_, 1);
    layout->addWidget(values_);
    layout->addWidget(status_);

    connect(search_, &QLineEdit::returnPressed, this, [this] { findManhole(); });
    connect(find, &QPushButton::clicked, this, [this] { findManhole(); });
}

QWidget* PlansForm::buildPlanSide() {
    auto* side = new QWidget;
    auto* head = new QHBoxLayout;
    head->addWidget(Heading("Plano de la Red"));
    head->addStretch(1);
    planPrint_ = new QPushButton(QStringLiteral("Imprimir..."));
    head->addWidget(planPrint_);
    planFit_ = new QPushButton(QStringLiteral("Ajustar"));
    head->addWidget(planFit_);
    planView_ = new DrawingView;
    planView_->tipAt = [this](Point p) { return tipAt(p); };
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(head);
    layout->addWidget(planView_, 1);
    connect(planFit_, &QPushButton::clicked, planView_, &DrawingView::fit);
    connect(planPrint_, &QPushButton::clicked, this,
            [this] { print(DrawingPrintDialog::Kind::Plan); });
    connect(planView_, &DrawingView::clicked, this, [this](double x, double y) { pickAt({x, y}); });
    return side;
}

QWidget* PlansForm::buildProfileSide() {
    auto* side = new QWidget;
    auto* head = new QHBoxLayout;
    head->addWidget(Heading("Perfiles Longitudinales"));
    head->addStretch(1);
    profilePrint_ = new QPushButton(QStringLiteral("Imprimir..."));
    head->addWidget(profilePrint_);
    profileFit_ = new QPushButton(QStringLiteral("Ajustar"));
    head->addWidget(profileFit_);

    auto* choose = new QHBoxLayout;
    choose->addWidget(new QLabel(QStringLiteral("Perfil:")));
    lineChoice_ = new QComboBox;
    lineChoice_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lineChoice_->setMinimumContentsLength(24);
    choose->addWidget(lineChoice_, 1);

    auto* path = new QHBoxLayout;
    from_ = new QLineEdit;
    to_ = new QLineEdit;
    for (QLineEdit* e : {from_, to_}) {
        e->setMaxLength(12);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 8);
    }
    path->addWidget(new QLabel(QStringLiteral("Desde pozo")));
    path->addWidget(from_);
    path->addWidget(new QLabel(QStringLiteral("Hasta pozo")));
    path->addWidget(to_);
    draw_ = new QPushButton(QStringLiteral("Dibujar perfil"));
    path->addWidget(draw_);
    path->addStretch(1);

    profileView_ = new DrawingView;
    refusal_ = new QLabel;
    refusal_->setAlignment(Qt::AlignCenter);
    refusal_->setWordWrap(true);
    profileStack_ = new QStackedWidget;
    profileStack_->addWidget(profileView_);
    profileStack_->addWidget(refusal_);

    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(head);
    layout->addLayout(choose);
    layout->addLayout(path);
    layout->addWidget(profileStack_, 1);

    connect(profileFit_, &QPushButton::clicked, profileView_, &DrawingView::fit);
    connect(profilePrint_, &QPushButton::clicked, this,
            [this] { print(DrawingPrintDialog::Kind::Profiles); });
    connect(lineChoice_, &QComboBox::activated, this, [this](int index) { showLine(index); });
    connect(draw_, &QPushButton::clicked, this, [this] { drawPath(); });
    connect(to_, &QLineEdit::returnPressed, this, [this] { drawPath(); });
    return side;
}

void PlansForm::load(ui::PlansRequest request) {
    request_ = std::move(request);
    const drawings::DrawingInputs& in = request_.inputs;
    setWindowTitle(messageText(request_.title));
    plan_ = drawings::BuildPlan(
        in.reaches, in.placement,
        drawings::PlanOptionsOf(in, drawings::WindowPlanScale(in), drawings::Paper::A1));
    planView_->setDrawing(plan_.drawing, plan_.leftOut);
    if (plan_.schematic) {
        QString note = QString::fromLatin1(drawings::kSchematicLabel);
        if (!in.placement.missing.empty())
            note += QStringLiteral(": faltan las coordenadas de %1 pozos")
                        .arg(in.placement.missing.size());
        layoutNote_->setText(note);
    } else {
        layoutNote_->clear();
    }

    selected_ = 0;
    foundShown_ = false;
    lines_.clear();
    profileLine_ = {};
    profile_ = {};
    profileView_->clear();
    {
        const QSignalBlocker quiet(lineChoice_);
        lineChoice_->clear();
    }
    const bool profiles = in.designed && request_.profilesRefusal.empty();
    for (QWidget* w : std::initializer_list<QWidget*>{lineChoice_, from_, to_, draw_, profileFit_,
                                                      profilePrint_})
        w->setEnabled(profiles);
    if (profiles) {
        lines_ = drawings::CollectorLines(in.reaches);
        const QSignalBlocker quiet(lineChoice_);
        for (size_t i = 0; i < lines_.size(); ++i)
            lineChoice_->addItem(QStringLiteral("%1. ").arg(i + 1) +
                                 qtext(drawings::LineCaption(in.reaches, lines_[i])));
        profileStack_->setCurrentWidget(profileView_);
        if (!lines_.empty()) showLine(0);
        lineMarked_ = false;  // shown, not chosen: the plan keeps its colours
    } else {
        refusal_->setText(messageText(request_.profilesRefusal));
        profileStack_->setCurrentWidget(refusal_);
    }
    values_->setText(
        QStringLiteral("Haga clic en un tramo o en un pozo del plano para ver sus "
                       "valores."));
    say({}, false);
    markPlan();
}

void PlansForm::bringForward(ui::PlansSide side) {
    if (side == ui::PlansSide::Plan) {
        splitter_->setSizes({3000, 2000});
        search_->setFocus();
    } else {
        splitter_->setSizes({2000, 3000});
        lineChoice_->setFocus();
    }
}

void PlansForm::say(const QString& text, bool wrong) {
    status_->setStyleSheet(wrong ? QStringLiteral("color: #b00000") : QString());
    status_->setText(text);
}

bool PlansForm::findManhole() {
    const QString name = search_->text().trimmed();
    if (name.isEmpty()) return false;
    const drawings::PlanManhole* m = plan_.FindManhole(bytesOf(name));
    if (!m) m = plan_.FindManhole(bytesOf(name.toUpper()));
    if (!m) {
        say(QStringLiteral("No existe el pozo ") + name, true);
        return false;
    }
    say({}, false);
    found_ = m->at;
    foundShown_ = true;
    planView_->centreOn(m->at, kFoundPixelsPerMm);
    showManhole(*m);
    markPlan();
    return true;
}

const drawings::PlanReach* PlansForm::reachNear(Point p) const {
    return plan_.NearestReach(p, DrawingView::kPickPixels / planView_->pixelsPerMm());
}

const drawings::PlanManhole* PlansForm::manholeNear(Point p) const {
    const double within = DrawingView::kPickPixels / planView_->pixelsPerMm();
    const drawings::PlanManhole* best = nullptr;
    double nearest = within;
    for (const drawings::PlanManhole& m : plan_.manholes) {
        const double d = Distance(m.at, p);
        if (d <= nearest) {
            nearest = d;
            best = &m;
        }
    }
    return best;
}

QString PlansForm::tipAt(Point p) const {
    if (const drawings::PlanManhole* m = manholeNear(p))
        return QStringLiteral("Pozo ") + qtext(m->name);
    const drawings::PlanReach* r = reachNear(p);
    if (!r) return {};
    const network::TramoT& t = request_.inputs.reaches[static_cast<size_t>(r->record - 1)];
    return Joined(drawings::ReachTipLines(t, *r, request_.inputs.designed));
}

void PlansForm::pickAt(Point p) {
    if (const drawings::PlanManhole* m = manholeNear(p)) {
        showManhole(*m);
        return;
    }
    const drawings::PlanReach* r = reachNear(p);
    if (!r) return;
    selected_ = r->record;
    const network::TramoT& t = request_.inputs.reaches[static_cast<size_t>(r->record - 1)];
    std::vector<std::string> lines =
        drawings::ReachValueLines(t, r->state, request_.inputs.designed);
    for (const std::string& f : r->findings)
        lines.push_back(cp("Revisión: ") + f);
    values_->setText(Joined(lines));
    const int line = drawings::LineOfRecord(lines_, selected_);
    if (line >= 0) {
        lineChoice_->setCurrentIndex(line);
        showLine(line);
    }
    markPlan();
}

// A manhole's name and, for each reach leaving or arriving, the crown, invert and depth
// at the manhole.
void PlansForm::showManhole(const drawings::PlanManhole& m) {
    const auto& reaches = request_.inputs.reaches;
    const bool designed = request_.inputs.designed;
    QStringList out{QStringLiteral("Pozo ") + qtext(m.name)};
    auto fixed = [](double v) { return QString::number(v, 'f', 2); };
    for (const drawings::PlanReach& r : plan_.reaches) {
        network::TramoT t = reaches[static_cast<size_t>(r.record - 1)];
        const bool leaves = t.Upstream == m.name, arrives = t.Downstream == m.name;
        if (!leaves && !arrives) continue;
        QString row = (leaves ? QStringLiteral("Sale ") : QStringLiteral("Llega ")) +
                      qtext("tramo " + t.Upstream + " - " + t.Downstream) +
                      QStringLiteral(":  rasante ") + fixed(leaves ? t.GroundUp : t.GroundDown);
        if (designed && t.Diameter > 0) {
            const double crown = leaves ? t.CrownUp : t.CrownDown;
            const double invert = leaves ? design::InvertUp(t) : design::InvertDown(t);
            row += QStringLiteral("  clave ") + fixed(crown) + QStringLiteral("  batea ") +
                   fixed(invert != 0 ? invert : crown - t.Diameter / 1000.0) +
                   QStringLiteral("  prof. clave ") +
                   fixed(leaves ? design::DepthUp(t) : design::DepthDown(t));
        }
        out << row;
    }
    values_->setText(out.join(QLatin1Char('\n')));
}

void PlansForm::showLine(int index) {
    if (index < 0 || index >= static_cast<int>(lines_.size())) return;
    lineMarked_ = true;
    showProfile(lines_[static_cast<size_t>(index)]);
}

bool PlansForm::drawPath() {
    drawings::ProfileLine path;
    std::string error;
    const std::string from = bytesOf(from_->text().trimmed());
    const std::string to = bytesOf(to_->text().trimmed());
    if (!drawings::PathBetween(request_.inputs.reaches, from, to, path, error)) {
        say(messageText(error), true);
        return false;
    }
    say({}, false);
    lineChoice_->setCurrentIndex(-1);
    lineMarked_ = true;
    showProfile(std::move(path));
    return true;
}

// The profile drawn, the picked reach marked along its crown when the line holds it.
void PlansForm::showProfile(drawings::ProfileLine line) {
    const auto& reaches = request_.inputs.reaches;
    profile_ = drawings::BuildProfile(reaches, line);
    profileLine_ = std::move(line);
    profileView_->setDrawing(profile_.drawing);
    double a = 0;
    for (int record : profileLine_.records) {
        const network::TramoT& t = reaches[static_cast<size_t>(record - 1)];
        if (record == selected_) {
            profileView_->setMarks({{{{profile_.X(a), profile_.Y(t.CrownUp)},
                                      {profile_.X(a + t.Length), profile_.Y(t.CrownDown)}},
                                     kReachMark,
                                     5,
                                     false}});
            profileView_->fitHeightAt(profile_.X(a + t.Length / 2));
            break;
        }
        a += t.Length;
    }
    markPlan();
}

void PlansForm::markPlan() {
    std::vector<DrawingMark> marks;
    auto along = [this](int record) -> const drawings::PlanReach* {
        for (const drawings::PlanReach& r : plan_.reaches)
            if (r.record == record) return &r;
        return nullptr;
    };
    for (int record : lineMarked_ ? profileLine_.records : std::vector<int>{})
        if (const drawings::PlanReach* r = along(record))
            marks.push_back({{r->from, r->to}, kLineMark, 9, false});
    if (const drawings::PlanReach* r = selected_ ? along(selected_) : nullptr)
        marks.push_back({{r->from, r->to}, kReachMark, 4, false});
    if (foundShown_) marks.push_back({{found_}, kFoundMark, 3, true});
    planView_->setMarks(std::move(marks));
}

std::unique_ptr<DrawingPrintDialog> PlansForm::printDialog(DrawingPrintDialog::Kind kind) {
    std::string from, to;
    const auto& reaches = request_.inputs.reaches;
    if (!profileLine_.records.empty()) {
        from = reaches[static_cast<size_t>(profileLine_.records.front() - 1)].Upstream;
        to = reaches[static_cast<size_t>(profileLine_.records.back() - 1)].Downstream;
    }
    const std::string font =
        drawings::DrawingFontIn(QCoreApplication::applicationDirPath().toStdString());
    return std::make_unique<DrawingPrintDialog>(kind, request_.inputs, font, from, to, this);
}

void PlansForm::print(DrawingPrintDialog::Kind kind) {
    printDialog(kind)->exec();
}

QtPlansWindow::~QtPlansWindow() {
    delete window_.data();
}

bool QtPlansWindow::isOpen() const {
    return window_ && window_->isVisible();
}

bool QtPlansWindow::editCoordinates(project::Project& open) {
    return EditManholeCoordinates(owner_.data(), open);
}

void QtPlansWindow::show(ui::PlansRequest request) {
    if (!window_) {
        window_ = new PlansForm(owner_.data());
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        const QRect screen =
            (owner_ ? owner_->screen() : QGuiApplication::primaryScreen())->availableGeometry();
        window_->resize(screen.width() * 9 / 10, screen.height() * 9 / 10);
    }
    const ui::PlansSide front = request.front;
    window_->load(std::move(request));
    window_->bringForward(front);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

}  // namespace nivex::qt
