#include "qt/event_pump.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace nivex::qt {

QtEventPump::QtEventPump(console::Console& console) : console_(console) {
    console_.setPump(this);
}

QtEventPump::~QtEventPump() {
    console_.setPump(nullptr);
}

void QtEventPump::leaveIfAsked() const {
    if (leaving_) throw console::ProgramExit{};
}

void QtEventPump::waitForInput() {
    leaveIfAsked();
    if (!console_.queue().empty()) return;
    QEventLoop loop;
    loops_.push_back(&loop);
    loop.exec();
    loops_.pop_back();
    leaveIfAsked();
}

void QtEventPump::processPending() {
    QCoreApplication::processEvents();
    leaveIfAsked();
}

// Window messages keep flowing while the program sleeps, so the screen stays painted.
void QtEventPump::sleepMs(int ms) {
    leaveIfAsked();
    if (ms > 0) {
        QEventLoop loop;
        QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    leaveIfAsked();
}

void QtEventPump::beep() {
    QApplication::beep();
}

void QtEventPump::wake() {
    for (QEventLoop* loop : loops_)
        loop->quit();
}

void QtEventPump::requestExit() {
    leaving_ = true;
    wake();
}

}  // namespace nivex::qt
