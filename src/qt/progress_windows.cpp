#include "qt/progress_windows.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

constexpr int kClockMs = 1000;

void centreOn(QWidget& window, const QRect& area) {
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

QRect screenArea(const QWidget* near) {
    QScreen* screen = near ? near->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QString ElapsedText(qint64 seconds) {
    seconds = std::max<qint64>(0, seconds);
    return QStringLiteral("Tiempo Transcurrido: %1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// ---- the bar window ----

TPrBar::TPrBar(int maximum, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setFixedSize(kWidth, kHeight);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    bar_ = new QProgressBar(frame);
    bar_->setRange(0, std::max(0, maximum));
    bar_->setValue(0);
    bar_->setTextVisible(false);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(4, 4, 4, 4);
    inner->addWidget(bar_);
    centreOn(*this, mainWindow ? mainWindow->frameGeometry() : screenArea(nullptr));
}

// ---- the timer window ----

TfrmPrg::TfrmPrg(const QString& line1, const QString& line2, bool& cancel, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setFixedSize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    const QString texts[3] = {line1, line2, ElapsedText(0)};
    for (int i = 0; i < 3; ++i) {
        lines_[i] = new QLabel(texts[i], this);
        lines_[i]->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        lines_[i]->setTextFormat(Qt::PlainText);
        layout->addWidget(lines_[i]);
    }
    // The caller has no steps to show: the bar only says that the search goes on.
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, [&cancel] { cancel = true; });

    clock_ = new QTimer(this);
    clock_->setInterval(kClockMs);
    connect(clock_, &QTimer::timeout, this, &TfrmPrg::tick);
    started_.start();
    clock_->start();
    centreOn(*this, screenArea(parent));
}

void TfrmPrg::tick() {
    // To the nearest second: a coarse timer may fire a little early.
    lines_[2]->setText(ElapsedText((started_.elapsed() + 500) / 1000));
}

// ---- the status window ----

TPrBr::TPrBr(const QString& caption, const QString& label, int maximum, bool& cancel,
             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setFixedSize(kWidth, kHeight);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);

    label_ = new QLabel(label, this);
    elapsed_ = new QLabel(ElapsedText(0), this);
    auto* top = new QHBoxLayout;
    for (QLabel* text : {label_, elapsed_}) {
        text->setTextFormat(Qt::PlainText);
        top->addWidget(text);
    }
    elapsed_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addLayout(top);

    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    setBar(0, maximum);
    layout->addWidget(bar_);

    auto* counts = new QHBoxLayout;
    for (QLabel*& text : counts_) {
        text = new QLabel(this);
        text->setTextFormat(Qt::PlainText);
        text->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        // Blank lines keep their height: the window does not jump when counts appear.
        text->setMinimumHeight(text->fontMetrics().height());
        counts->addWidget(text);
    }
    layout->addLayout(counts);

    cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, [&cancel] { cancel = true; });

    clock_ = new QTimer(this);
    clock_->setInterval(kClockMs);
    connect(clock_, &QTimer::timeout, this, &TPrBr::tick);
    started_.start();
    clock_->start();
    centreOn(*this, screenArea(parent));
}

void TPrBr::setBar(int position, int maximum) {
    maximum = std::max(0, maximum);
    if (bar_->maximum() != maximum) bar_->setRange(0, maximum);
    bar_->setValue(std::clamp(position, 0, maximum));
}

void TPrBr::setCounts(const QString& line1, const QString& line2) {
    counts_[0]->setText(line1);
    counts_[1]->setText(line2);
}

void TPrBr::tick() {
    elapsed_->setText(ElapsedText((started_.elapsed() + 500) / 1000));
}

// ---- the program's windows ----

QtProgress::~QtProgress() {
    delete barWindow_.data();
    delete timerWindow_.data();
    delete statusWindow_.data();
}

void QtProgress::OpenProgressBar(int maximum) {
    delete barWindow_.data();
    barWindow_ = new TPrBar(maximum, mainWindow_.data());
    barWindow_->show();
}

void QtProgress::StepProgressBar() {
    if (barWindow_) {
        QProgressBar* bar = barWindow_->bar();
        bar->setValue(std::min(bar->value() + 1, bar->maximum()));
    }
    QCoreApplication::processEvents();
}

void QtProgress::CloseProgressBar() {
    delete barWindow_.data();
    if (mainWindow_ && mainWindow_->isMinimized())
        mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
}

void QtProgress::OpenProgressTimer(const std::string& line1, const std::string& line2) {
    delete timerWindow_.data();
    cancel_ = false;
    timerWindow_ = new TfrmPrg(qtext(line1), qtext(line2), cancel_, mainWindow_.data());
    timerWindow_->show();
}

void QtProgress::ProgressTick() {
    QCoreApplication::processEvents();
}

void QtProgress::CloseProgressTimer() {
    delete timerWindow_.data();
}

void QtProgress::OpenProgressStatus(const std::string& caption, const std::string& label,
                                    int maximum) {
    delete statusWindow_.data();
    cancel_ = false;
    statusWindow_ = new TPrBr(qtext(caption), qtext(label), maximum, cancel_, mainWindow_.data());
    statusWindow_->show();
}

void QtProgress::SetProgressStatusCaption(const std::string& caption) {
    if (statusWindow_) statusWindow_->setWindowTitle(qtext(caption));
}

void QtProgress::SetProgressStatusBar(int position, int maximum) {
    if (statusWindow_) statusWindow_->setBar(position, maximum);
}

void QtProgress::SetProgressStatusCounts(const std::string& line1, const std::string& line2) {
    if (statusWindow_) statusWindow_->setCounts(qtext(line1), qtext(line2));
}

void QtProgress::CloseProgressStatus() {
    delete statusWindow_.data();
}

}  // namespace nivex::qt
