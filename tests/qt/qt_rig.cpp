#include "qt_rig.h"

#include <QEventLoop>
#include <QTimer>

namespace nivex::testing {

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::vector<int> WidgetRig::drain() {
    std::vector<int> keys;
    while (auto k = console.takeKey())
        keys.push_back(*k);
    return keys;
}

void WidgetRig::press(int qtKey, Qt::KeyboardModifiers mods, const QString& text) {
    QKeyEvent e(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(&view, &e);
}

void WidgetRig::mouse(QEvent::Type type, const QPoint& pixel, Qt::MouseButton button) {
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    if (type == QEvent::MouseMove) button = Qt::NoButton;
    QMouseEvent e(type, QPointF(pixel), QPointF(view.mapToGlobal(pixel)), button, held,
                  Qt::NoModifier);
    QApplication::sendEvent(&view, &e);
}

void WidgetRig::click(const QPoint& pixel, Qt::MouseButton button) {
    mouse(QEvent::MouseButtonPress, pixel, button);
    mouse(QEvent::MouseButtonRelease, pixel, button);
}

QPoint WidgetRig::centreOf(int column, int row) const {
    const auto& m = view.cells().metrics();
    return {column * m.width + m.width / 2, row * m.rowHeight() + m.rowHeight() / 2};
}

}  // namespace nivex::testing
