#pragma once
// A console shown by its component, with helpers that send the component the events the
// window system would.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/ui_switches.h"
#include "qt/win_console.h"
#include "support/scripted.h"

namespace nivex::testing {

// Runs the event loop for ms milliseconds.
void spin(int ms);

struct WidgetRig {
    UiSwitches switches;
    ScriptedUi ui;
    console::Console console{switches, ui};
    qt::TWinConsole view{console};

    // Every key in the queue, in order; the queue is empty afterwards.
    std::vector<int> drain();
    void press(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {});
    void mouse(QEvent::Type type, const QPoint& pixel, Qt::MouseButton button = Qt::LeftButton);
    void click(const QPoint& pixel, Qt::MouseButton button = Qt::LeftButton);
    // The pixel in the middle of a 0-based cell.
    QPoint centreOf(int column, int row) const;
};

}  // namespace nivex::testing
