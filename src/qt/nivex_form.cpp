#include "qt/nivex_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include "qt/console_font.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

// F10 would open the menu bar on some desktops: it belongs to the console.
class F10Filter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(e)->key() == Qt::Key_F10) {
            e->accept();
            return true;
        }
        return QObject::eventFilter(watched, e);
    }
};

constexpr QRgb kGround = 0xC0C0C0;

// The run starts by waiting for a key on an empty screen: the status line says so.
constexpr const char* kFirstKeyHint =
    "Oprima cualquier tecla o haga clic en la pantalla para comenzar";

}  // namespace

TForm1::TForm1(console::Console& console, shell::MenuBarModel& menu, QWidget* parent)
    : QMainWindow(parent), console_(console), menu_(menu) {
    auto* client = new QWidget(this);
    QPalette ground = client->palette();
    ground.setColor(QPalette::Window, QColor(kGround));
    client->setPalette(ground);
    client->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new TWinConsole(console_, client);
    layout->addWidget(view_, 0, Qt::AlignHCenter | Qt::AlignTop);
    setCentralWidget(client);

    buildMenuBar();
    menu_.onChange = [this] { refreshMenuBar(); };

    connect(view_, &TWinConsole::captionSet, this, &QWidget::setWindowTitle);
    connect(view_, &TWinConsole::cellSizeChanged, this, [this] {
        if (!isMaximized() && !isFullScreen() && !isMinimized())
            QTimer::singleShot(0, this, &TForm1::fitNormalWindow);
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, view_, [this](Qt::ApplicationState s) {
        view_->setApplicationActive(s == Qt::ApplicationActive);
    });
    qApp->installEventFilter(new F10Filter(this));
    statusBar()->showMessage(QString::fromUtf8(kFirstKeyHint));
    view_->installEventFilter(this);

    // The window starts maximised, at the full size. No wake-up key is left behind: the
    // first read of the run must wait for the user.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        measureScreen(screen->availableGeometry().size());
    if (console_.fontSize() != fullSize_) console_.setFontSize(fullSize_);
    console_.clearKeys();
    if (!console_.caption().empty()) setWindowTitle(qtext(console_.caption()));
    view_->setFocus();
    // Its own size, not the two thirds of the screen Qt gives a window by default: that
    // is what a window system that does not maximise shows.
    resize(sizeHint());
}

TForm1::~TForm1() {
    menu_.onChange = nullptr;
}

QSize TForm1::sizeHint() const {
    QSize hint = QMainWindow::sizeHint();
    hint.setWidth(std::max(hint.width(), menuBar()->sizeHint().width()));
    if (const QScreen* s = screen()) {
        // The frame the window system draws around the window takes a little room too.
        const int room = s->availableGeometry().width() - (frameGeometry().width() - width());
        hint.setWidth(std::min(hint.width(), std::max(room, QMainWindow::sizeHint().width())));
    }
    return hint;
}

// A key typed or a click in the console ends the first wait, as does a menu choice.
bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (watched == view_ && firstKeyAwaited_ &&
        (e->type() == QEvent::KeyPress || e->type() == QEvent::MouseButtonPress))
        firstKeyArrived();
    return QMainWindow::eventFilter(watched, e);
}

void TForm1::firstKeyArrived() {
    if (!firstKeyAwaited_) return;
    firstKeyAwaited_ = false;
    statusBar()->clearMessage();
    statusBar()->hide();
}

void TForm1::measureScreen(const QSize& screen) {
    fullSize_ = qt::fullFontSize(screen);
    normalSize_ = qt::normalFontSize(fullSize_, screen.width());
}

void TForm1::fitToScreen(const QSize& screen) {
    measureScreen(screen);
    const int wanted = isMaximized() ? fullSize_ : normalSize_;
    if (console_.fontSize() != wanted) console_.setFontSize(wanted);
}

void TForm1::fitNormalWindow() {
    if (isMaximized() || isFullScreen() || isMinimized()) return;
    resize(sizeHint());
}

// ---- menu bar ----

void TForm1::buildMenuBar() {
    const auto& entries = menu_.entries();
    const auto& items = menu_.items();
    itemActions_.assign(items.size(), nullptr);
    for (const auto& entry : entries) {
        QAction* entryAction = nullptr;
        if (entry.isItem) {
            entryAction = menuBar()->addAction(plainCaption(entry.caption));
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i].entry == entry.caption) {
                    itemActions_[i] = entryAction;
                    connect(entryAction, &QAction::triggered, this, [this, i] { chosen(i); });
                    break;
                }
        } else {
            QMenu* m = menuBar()->addMenu(plainCaption(entry.caption));
            entryAction = m->menuAction();
            for (size_t i = 0; i < items.size(); ++i) {
                if (items[i].entry != entry.caption) continue;
                QAction* a = m->addAction(plainCaption(items[i].caption));
                connect(a, &QAction::triggered, this, [this, i] { chosen(i); });
                itemActions_[i] = a;
            }
        }
        entryActions_.push_back(entryAction);
    }
    refreshMenuBar();
}

void TForm1::refreshMenuBar() {
    const auto& entries = menu_.entries();
    const auto& items = menu_.items();
    for (size_t e = 0; e < entries.size(); ++e) {
        bool enabled = entries[e].enabled, visible = entries[e].visible;
        if (entries[e].isItem) {
            if (const shell::MenuItem* item = menu_.item(entries[e].caption)) {
                enabled = enabled && item->enabled;
                visible = visible && item->visible;
            }
        }
        entryActions_[e]->setEnabled(enabled);
        entryActions_[e]->setVisible(visible);
    }
    for (size_t i = 0; i < items.size(); ++i) {
        QAction* a = itemActions_[i];
        if (!a || items[i].entry == items[i].caption) continue;
        a->setEnabled(items[i].enabled);
        a->setVisible(items[i].visible);
    }
}

void TForm1::chosen(size_t itemIndex) {
    firstKeyArrived();
    if (onMenuItem && itemIndex < menu_.items().size()) onMenuItem(menu_.items()[itemIndex]);
}

QAction* TForm1::entryAction(std::string_view entry) const {
    const auto& entries = menu_.entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].caption == entry) return entryActions_[i];
    return nullptr;
}

QAction* TForm1::itemAction(std::string_view caption) const {
    const auto& items = menu_.items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].caption == caption) return itemActions_[i];
    return nullptr;
}

// ---- window ----

void TForm1::bringForward() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// The program ends by unwinding from the wait it is in, never from here: closing is only
// asked for, and once confirmed the waiting read leaves.
void TForm1::closeEvent(QCloseEvent* e) {
    e->ignore();
    if (leaving_) return;
    if (confirmClose && confirmClose()) {
        leaving_ = true;
        if (onLeave) onLeave();
    }
}

void TForm1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    const auto old = static_cast<QWindowStateChangeEvent*>(e)->oldState();
    if (isMinimized()) return;
    const bool wasMaximized = old & Qt::WindowMaximized;
    if (isMaximized() && !wasMaximized && console_.fontSize() != fullSize_)
        console_.setFontSize(fullSize_);
    else if (!isMaximized() && !isFullScreen() && wasMaximized &&
             console_.fontSize() != normalSize_)
        console_.setFontSize(normalSize_);
}

}  // namespace nivex::qt
