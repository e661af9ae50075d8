#pragma once
// The console component: paints the console model, turns key presses and clicks into key
// codes, runs the two 100 ms mouse timers and the caret, and shows the buttons of the two
// legend rows and the free buttons.

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

#include "console/console.h"
#include "console/keys.h"
#include "qt/cell_painter.h"

namespace nivex::qt {

// The console's physical key for a Qt key; letter receives 'A'..'Z' for Physical::Letter.
key::Physical physicalOf(int qtKey, char* letter);

class TWinConsole : public QWidget, public console::ConsoleListener {
    Q_OBJECT

  public:
    explicit TWinConsole(console::Console& console, QWidget* parent = nullptr);
    ~TWinConsole() override;

    console::Console& model() { return console_; }
    const CellPainter& cells() const { return painter_; }
    QSize sizeHint() const override;
    // The room a button's caption keeps from each of its edges, bevel included.
    static constexpr int kButtonInset = 6;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The 0-based cell under a pixel.
    QPoint cellAt(const QPoint& pixel) const;
    // Button widgets by place, for the window and for tests.
    QPushButton* legendButton(int legendRow, int slot) const;
    QPushButton* freeButton(int number) const;  // 1..20

    // The caret is shown only while the application is active.
    void setApplicationActive(bool active);
    // Where the caret is drawn now; empty while it is hidden.
    QRect caretRect() const;

  signals:
    void keyArrived();
    void captionSet(const QString& caption);
    void cellSizeChanged();

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void cellsChanged(const console::Rect& screenRect) override;
    void buttonsChanged() override;
    void caretChanged() override;
    void captionChanged() override;
    void fontSizeChanged() override;
    void keyPushed() override;
    void focusRequested() override;

    void layoutLegend(int legendRow);
    void layoutFreeButtons();
    void startMouseTimers();
    QPoint caretCell() const;  // 1-based screen cell of the cursor
    QFont buttonFace(bool bold) const;
    // The button face, made smaller where needed so that every caption keeps clear of
    // the button's edges.
    QFont fittingFace(bool bold, const QStringList& captions, int buttonWidth) const;
    int legendLineHeight() const;

    console::Console& console_;
    CellPainter painter_;
    std::array<std::array<QPushButton*, console::Console::kButtonsPerLegend>, 2> legend_{};
    std::array<QPushButton*, console::Console::kFreeButtons> free_{};
    QTimer repeatTimer_, secondClickTimer_, blinkTimer_;
    bool appActive_ = true;
    bool blinkOn_ = true;
    QRect shownCaret_;
};

}  // namespace nivex::qt
