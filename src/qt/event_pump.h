#pragma once
// Waiting in the desktop program: a nested event loop that ends when a key, a click or a
// menu choice reaches the key queue, or when leaving the program has been confirmed.

#include <QObject>
#include <vector>

#include "console/console.h"

class QEventLoop;

namespace nivex::qt {

class QtEventPump : public QObject, public console::EventPump {
    Q_OBJECT

  public:
    explicit QtEventPump(console::Console& console);
    ~QtEventPump() override;

    // The EventPump calls throw console::ProgramExit once leaving has been confirmed.
    void waitForInput() override;
    void processPending() override;
    void sleepMs(int ms) override;
    void beep() override;

    bool leaving() const { return leaving_; }
    // Whether the program waits for a key now.
    bool waiting() const { return !loops_.empty(); }

  public slots:
    // Something reached the key queue: every waiting loop looks again.
    void wake();
    // Closing the main window was confirmed.
    void requestExit();

  private:
    void leaveIfAsked() const;

    console::Console& console_;
    std::vector<QEventLoop*> loops_;
    bool leaving_ = false;
};

}  // namespace nivex::qt
