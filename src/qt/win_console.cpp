#include "qt/win_console.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qt/console_font.h"
#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

using console::Console;
constexpr int kMouseTickMs = 100;
constexpr int kLegendPerLine = Console::kColumns / Console::kLegendPitchCells;  // 7
constexpr double kLegendLineRows = 1.51;
constexpr QRgb kGround = 0xC0C0C0;

}  // namespace

key::Physical physicalOf(int qtKey, char* letter) {
    using key::Physical;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        if (letter) *letter = static_cast<char>('A' + (qtKey - Qt::Key_A));
        return Physical::Letter;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return static_cast<Physical>(static_cast<int>(Physical::F1) + (qtKey - Qt::Key_F1));
    switch (qtKey) {
        case Qt::Key_Backspace:
            return Physical::Backspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return Physical::Tab;  // Shift never changes a code
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Physical::Enter;
        case Qt::Key_Escape:
            return Physical::Esc;
        case Qt::Key_Up:
            return Physical::Up;
        case Qt::Key_Down:
            return Physical::Down;
        case Qt::Key_Left:
            return Physical::Left;
        case Qt::Key_Right:
            return Physical::Right;
        case Qt::Key_Delete:
            return Physical::Delete;
        case Qt::Key_PageDown:
            return Physical::PgDn;
        case Qt::Key_PageUp:
            return Physical::PgUp;
        case Qt::Key_Home:
            return Physical::Home;
        case Qt::Key_End:
            return Physical::End;
        case Qt::Key_Insert:
            return Physical::Insert;
        default:
            return Physical::Other;
    }
}

TWinConsole::TWinConsole(console::Console& console, QWidget* parent)
    : QWidget(parent), console_(console), painter_(consoleFace(console.fontSize())) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    for (int row = 0; row < 2; ++row) {
        for (int slot = 0; slot < Console::kButtonsPerLegend; ++slot) {
            auto* b = new QPushButton(this);
            b->setFocusPolicy(Qt::NoFocus);
            b->hide();
            connect(b, &QPushButton::clicked, this, [this, row, slot] {
                const auto& buttons = console_.legend(row + 1);
                if (slot < static_cast<int>(buttons.size())) console_.buttonClicked(buttons[slot]);
            });
            legend_[row][slot] = b;
        }
    }
    for (int i = 0; i < Console::kFreeButtons; ++i) {
        auto* b = new QPushButton(this);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, i] {
            if (const auto& slot = console_.freeButtons()[i]) console_.buttonClicked(*slot);
        });
        free_[i] = b;
    }

    repeatTimer_.setInterval(kMouseTickMs);
    secondClickTimer_.setInterval(kMouseTickMs);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] {
        console_.repeatTick();
        if (!console_.repeatTimerWanted()) repeatTimer_.stop();
    });
    connect(&secondClickTimer_, &QTimer::timeout, this, [this] {
        console_.secondClickTick();
        if (!console_.secondClickTimerWanted()) secondClickTimer_.stop();
    });
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) blinkTimer_.setInterval(flash / 2);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] {
        blinkOn_ = !blinkOn_;
        update(shownCaret_);
    });

    appActive_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
    console_.setListener(this);
    setFixedSize(sizeHint());
}

TWinConsole::~TWinConsole() {
    console_.setListener(nullptr);
}

QSize TWinConsole::sizeHint() const {
    const auto& m = painter_.metrics();
    return {console_.columns() * m.width, (console_.rows() + kButtonAreaRows) * m.rowHeight()};
}

QPoint TWinConsole::cellAt(const QPoint& pixel) const {
    const auto& m = painter_.metrics();
    return {pixel.x() / m.width, pixel.y() / m.rowHeight()};
}

QPushButton* TWinConsole::legendButton(int legendRow, int slot) const {
    if (legendRow < 1 || legendRow > 2 || slot < 0 || slot >= Console::kButtonsPerLegend)
        return nullptr;
    return legend_[legendRow - 1][slot];
}

QPushButton* TWinConsole::freeButton(int number) const {
    if (number < 1 || number > Console::kFreeButtons) return nullptr;
    return free_[number - 1];
}

// ---- painting ----

void TWinConsole::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QRect dirty = e->rect();
    const auto& m = painter_.metrics();
    const QRect grid(0, 0, console_.columns() * m.width, console_.rows() * m.rowHeight());
    if (dirty.intersects(grid)) {
        const QRect d = dirty & grid;
        painter_.paint(p, console_,
                       {d.left() / m.width + 1, d.top() / m.rowHeight() + 1,
                        d.right() / m.width + 1, d.bottom() / m.rowHeight() + 1});
    }
    // The button rows and any spare pixels keep the window's ground.
    const QRegion rest = QRegion(dirty) - QRegion(grid);
    for (const QRect& r : rest)
        p.fillRect(r, QColor(kGround));

    if (const QRect caret = caretRect(); !caret.isEmpty() && dirty.intersects(caret)) {
        const QPoint cell = caretCell();
        const auto& under = console_.cell(cell.x(), cell.y());
        console::Rgb ink = under.fg == under.bg ? 0x000000 : under.fg;
        if (under.effects & (console::kActiveInside | console::kActiveLeft)) ink = 0x000000;
        p.fillRect(caret, QColor(QRgb(0xFF000000u | ink)));
    }
}

QPoint TWinConsole::caretCell() const {
    const auto& w = console_.window();
    return {w.left + console_.whereX() - 1, w.top + console_.whereY() - 1};
}

QRect TWinConsole::caretRect() const {
    if (!console_.caretShown() || !appActive_ || !blinkOn_) return {};
    const QPoint cell = caretCell();
    if (cell.x() < 1 || cell.x() > console_.columns() || cell.y() < 1 || cell.y() > console_.rows())
        return {};
    const auto& m = painter_.metrics();
    const QRect r = painter_.cellRect(cell.x(), cell.y());
    return {r.left(), r.top() + 3, 1, std::max(1, m.height - 5)};
}

void TWinConsole::setApplicationActive(bool active) {
    appActive_ = active;
    caretChanged();
}

// ---- listener ----

void TWinConsole::cellsChanged(const console::Rect& r) {
    update(painter_.dirtyRect(r));
}

void TWinConsole::caretChanged() {
    update(shownCaret_);
    blinkOn_ = true;
    shownCaret_ = caretRect();
    update(shownCaret_);
    if (!shownCaret_.isEmpty() && blinkTimer_.interval() > 0)
        blinkTimer_.start();
    else
        blinkTimer_.stop();
}

void TWinConsole::captionChanged() {
    emit captionSet(qtext(console_.caption()));
}

void TWinConsole::fontSizeChanged() {
    painter_.setFace(consoleFace(console_.fontSize()));
    setFixedSize(sizeHint());
    caretChanged();
    update();
    emit cellSizeChanged();
}

void TWinConsole::keyPushed() {
    emit keyArrived();
}

void TWinConsole::focusRequested() {
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
}

// ---- buttons ----

QFont TWinConsole::buttonFace(bool bold) const {
    QFont face = consoleFace(static_cast<int>(std::lround(console_.fontSize() * 9 / 12.0)));
    face.setBold(bold);
    return face;
}

QFont TWinConsole::fittingFace(bool bold, const QStringList& captions, int buttonWidth) const {
    QFont face = buttonFace(bold);
    const int room = buttonWidth - 2 * kButtonInset;
    auto fits = [&captions, room](const QFont& f) {
        const QFontMetrics fm(f);
        for (const QString& caption : captions)
            if (fm.horizontalAdvance(caption) > room) return false;
        return true;
    };
    for (qreal points = face.pointSizeF() - 0.5; points >= 4 && !fits(face); points -= 0.5)
        face.setPointSizeF(points);
    return face;
}

int TWinConsole::legendLineHeight() const {
    return static_cast<int>(std::lround(kLegendLineRows * painter_.metrics().rowHeight()));
}

void TWinConsole::buttonsChanged() {
    layoutLegend(1);
    layoutLegend(2);
    layoutFreeButtons();
}

// Ten cells wide, every eleven cells plus two pixels; seven to a line, the spare cells
// split on both sides. A legend given at column 82 fills its lines from the right.
void TWinConsole::layoutLegend(int legendRow) {
    const auto& m = painter_.metrics();
    const auto& buttons = console_.legend(legendRow);
    const int pitch = Console::kLegendPitchCells * m.width + 2;
    const int margin = (console_.columns() * m.width - kLegendPerLine * pitch) / 2;
    const int lineHeight = legendLineHeight();
    const int gridBottom = console_.rows() * m.rowHeight();
    const int count = static_cast<int>(buttons.size());
    // One face for the whole legend, small enough for its longest caption.
    QStringList captions;
    for (const console::KeyButton& kb : buttons)
        captions << plainCaption(kb.caption);
    const QFont face = fittingFace(true, captions, Console::kLegendButtonCells * m.width);

    for (int slot = 0; slot < Console::kButtonsPerLegend; ++slot) {
        QPushButton* b = legend_[legendRow - 1][slot];
        if (slot >= count) {
            b->hide();
            continue;
        }
        const console::KeyButton& kb = buttons[slot];
        const int line = legendRow - 1 + slot / kLegendPerLine;
        int place = slot % kLegendPerLine;
        if (kb.laidFromRight) {
            const int inLine =
                std::min(kLegendPerLine, count - (slot / kLegendPerLine) * kLegendPerLine);
            place += kLegendPerLine - inLine;
        }
        b->setText(plainCaption(kb.caption));
        b->setToolTip(qtext(kb.hint));
        b->setFont(face);
        QPalette pal = b->palette();
        pal.setColor(QPalette::ButtonText, QColor(QRgb(0xFF000000u | kb.colour)));
        b->setPalette(pal);
        b->setGeometry(margin + place * pitch, gridBottom + line * lineHeight + 1,
                       Console::kLegendButtonCells * m.width, lineHeight - 2);
        b->show();
    }
}

void TWinConsole::layoutFreeButtons() {
    const auto& buttons = console_.freeButtons();
    const auto& m = painter_.metrics();
    for (int i = 0; i < Console::kFreeButtons; ++i) {
        QPushButton* b = free_[i];
        const auto& kb = buttons[i];
        if (!kb || !kb->visible) {
            b->hide();
            continue;
        }
        const QString caption = plainCaption(kb->caption);
        const int width = std::max(1, kb->width) * m.width;
        b->setText(caption);
        b->setToolTip(qtext(kb->hint));
        // A caption of one or two letters ("X") fills its small button as it is.
        b->setFont(caption.trimmed().size() > 2 ? fittingFace(kb->bold, {caption.trimmed()}, width)
                                                : buttonFace(kb->bold));
        const QRect cell = painter_.cellRect(kb->column, kb->row);
        b->setGeometry(cell.left(), cell.top(), width, m.rowHeight());
        b->show();
        b->raise();
    }
}

// ---- input ----

bool TWinConsole::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::ShortcutOverride:
            // Every key belongs to the console: no shortcut, mnemonic or F10 takes it.
            e->accept();
            return true;
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                keyPressEvent(k);  // not a focus move
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QWidget::event(e);
}

void TWinConsole::keyPressEvent(QKeyEvent* e) {
    char letter = 0;
    const key::Physical physical = physicalOf(e->key(), &letter);
    const bool alt = e->modifiers() & Qt::AltModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    console_.keyPress(physical, letter, alt, ctrl);
    // Qt delivers the character with the press; the console drops it when the press
    // already gave a code.
    const QString text = e->text();
    if (text.size() == 1) {
        const std::string bytes = bytesOf(text);
        const bool unknown = bytes == "?" && text != QStringLiteral("?");
        if (bytes.size() == 1 && !unknown) console_.characterTyped(static_cast<uint8_t>(bytes[0]));
    }
    e->accept();
}

void TWinConsole::mousePressEvent(QMouseEvent* e) {
    int button = 0;
    if (e->button() == Qt::LeftButton) button = -1;
    if (e->button() == Qt::RightButton) button = 1;
    if (!button) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint cell = cellAt(e->position().toPoint());
    console_.mouseDown(cell.x(), cell.y(), button);
    startMouseTimers();
}

void TWinConsole::mouseMoveEvent(QMouseEvent* e) {
    const QPoint cell = cellAt(e->position().toPoint());
    console_.mouseMove(cell.x(), cell.y());
    if (!console_.repeatTimerWanted()) repeatTimer_.stop();
}

void TWinConsole::mouseReleaseEvent(QMouseEvent*) {
    console_.mouseUp();
    repeatTimer_.stop();
}

void TWinConsole::startMouseTimers() {
    if (console_.repeatTimerWanted()) repeatTimer_.start();
    if (console_.secondClickTimerWanted())
        secondClickTimer_.start();
    else
        secondClickTimer_.stop();
}

}  // namespace nivex::qt
