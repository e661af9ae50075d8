#pragma once
// A scripted walk through the real desktop program: steps that wait in the event loop
// for what the program shows (a text on the console, a dialog, a message box) and then
// act as the user would (keys, menu choices, buttons). The manual's pictures and the
// end-to-end run of the desktop program are made this way.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "qt/desktop_program.h"

namespace nivex::qt {

class DesktopScript : public QObject {
    Q_OBJECT

  public:
    explicit DesktopScript(DesktopProgram& program, QObject* parent = nullptr);

    // A step: once ready() holds (and the keys of the steps before are taken), act()
    // runs from the event loop. A step not ready within timeoutMs fails the script.
    void then(std::string what, std::function<bool()> ready, std::function<void()> act,
              int timeoutMs = 30000);
    // Shortcuts for the usual steps. Texts are UTF-8.
    void whenShown(std::string_view text, std::function<void()> act, int timeoutMs = 30000);
    void choose(std::string_view menuItem);                    // once the program waits for a key
    void act(std::string what, std::function<void()> action);  // at once, in order
    // A step that acts again and again, each time the program has taken the keys of the
    // last turn, until done() holds.
    void repeatUntil(std::string what, std::function<bool()> done, std::function<void()> each,
                     int timeoutMs = 60000);

    // Starts the steps; what happens when the last step ran or a step failed.
    void start();
    std::function<void()> onFinished;
    std::function<void(const std::string& why)> onFailed;
    bool finished() const { return steps_.empty() && !failed_; }
    bool failed() const { return failed_; }

    // What the program shows now.
    bool screenShows(std::string_view utf8) const;
    std::string screenText() const;  // every console row, UTF-8, one per line
    template <class T>
    static T* modal() {
        return qobject_cast<T*>(QApplication::activeModalWidget());
    }
    static QMessageBox* box(std::string_view containing = {});
    // Queues keys: code-page characters and key codes.
    void type(std::string_view utf8);
    void key(uint8_t code);
    // Whether the program waits in its main menu with every key taken.
    bool atMainMenu() const;
    // Whether the program waits for a key, every key taken and no window open over it.
    bool waitsForKey() const;

    DesktopProgram& program() { return program_; }

  private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
        int timeoutMs;
        std::function<void()> each;  // a repeated step: ready() is its end
    };
    void poll();

    DesktopProgram& program_;
    std::deque<Step> steps_;
    QTimer timer_;
    qint64 stepStarted_ = 0;
    qint64 lastTurn_ = 0;
    bool acting_ = false;
    bool failed_ = false;
};

}  // namespace nivex::qt
