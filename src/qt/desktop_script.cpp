#include "qt/desktop_script.h"

#include <QAbstractButton>
#include <QDateTime>

#include "console/codepage.h"
#include "console/keys.h"
#include "qt/qt_text.h"

namespace nivex::qt {

DesktopScript::DesktopScript(DesktopProgram& program, QObject* parent)
    : QObject(parent), program_(program) {
    timer_.setInterval(15);
    connect(&timer_, &QTimer::timeout, this, &DesktopScript::poll);
}

void DesktopScript::then(std::string what, std::function<bool()> ready, std::function<void()> act,
                         int timeoutMs) {
    steps_.push_back({std::move(what), std::move(ready), std::move(act), timeoutMs, {}});
}

void DesktopScript::repeatUntil(std::string what, std::function<bool()> done,
                                std::function<void()> each, int timeoutMs) {
    steps_.push_back({std::move(what), std::move(done), {}, timeoutMs, std::move(each)});
}

void DesktopScript::whenShown(std::string_view text, std::function<void()> act, int timeoutMs) {
    const std::string wanted(text);
    then(
        "pantalla con \"" + wanted + "\"", [this, wanted] { return screenShows(wanted); },
        std::move(act), timeoutMs);
}

void DesktopScript::choose(std::string_view menuItem) {
    const std::string caption = cp(menuItem);
    then(
        "menu \"" + std::string(menuItem) + "\"", [this] { return waitsForKey(); },
        [this, caption, what = std::string(menuItem)] {
            QAction* action = program_.form().itemAction(caption);
            if (!action || !action->isEnabled()) {
                failed_ = true;
                timer_.stop();
                if (onFailed) onFailed("opcion de menu no disponible: " + what);
                return;
            }
            action->trigger();
        });
}

void DesktopScript::act(std::string what, std::function<void()> action) {
    then(std::move(what), [] { return true; }, std::move(action));
}

void DesktopScript::start() {
    stepStarted_ = QDateTime::currentMSecsSinceEpoch();
    timer_.start();
}

void DesktopScript::poll() {
    if (acting_ || failed_) return;
    if (steps_.empty()) {
        timer_.stop();
        if (onFinished) onFinished();
        return;
    }
    Step& step = steps_.front();
    // Keys still queued wait behind a modal window: it is answered first.
    const bool keysTaken =
        program_.console().queue().empty() || QApplication::activeModalWidget() != nullptr;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (step.each && keysTaken && !step.ready()) {
        // A turn at most every 100 ms: what the last one started must show first.
        if (now - lastTurn_ >= 100) {
            lastTurn_ = now;
            acting_ = true;
            QTimer::singleShot(0, this, [this, each = step.each] {
                acting_ = false;
                each();
            });
        }
    } else if (keysTaken && step.ready()) {
        Step current = std::move(step);
        steps_.pop_front();
        stepStarted_ = QDateTime::currentMSecsSinceEpoch();
        // The action may open a dialog or a screen that waits: it runs from the event
        // loop, and this poll goes on beneath it.
        acting_ = true;
        QTimer::singleShot(0, this, [this, act = std::move(current.act)] {
            acting_ = false;
            if (act) act();
        });
        return;
    }
    if (now - stepStarted_ > step.timeoutMs) {
        failed_ = true;
        timer_.stop();
        if (onFailed) onFailed("no llego: " + step.what);
    }
}

bool DesktopScript::screenShows(std::string_view utf8) const {
    const std::string wanted = cp(utf8);
    const auto& console = program_.console();
    for (int row = 1; row <= console.rows(); ++row)
        if (console.rowText(row).find(wanted) != std::string::npos) return true;
    return false;
}

std::string DesktopScript::screenText() const {
    std::string text;
    const auto& console = program_.console();
    for (int row = 1; row <= console.rows(); ++row)
        text += toUtf8(console.rowText(row)) + "\n";
    return text;
}

QMessageBox* DesktopScript::box(std::string_view containing) {
    auto* b = modal<QMessageBox>();
    if (!b || containing.empty()) return b;
    return b->text().contains(QString::fromUtf8(containing.data(), qsizetype(containing.size())))
               ? b
               : nullptr;
}

void DesktopScript::type(std::string_view utf8) {
    for (unsigned char c : cp(utf8))
        program_.console().pushKey(c == '\n' ? key::Enter : c);
}

void DesktopScript::key(uint8_t code) {
    program_.console().pushKey(code);
}

bool DesktopScript::atMainMenu() const {
    return program_.session().switches.atMainMenu && program_.console().queue().empty() &&
           QApplication::activeModalWidget() == nullptr;
}

bool DesktopScript::waitsForKey() const {
    return program_.waitingForKey() && program_.console().queue().empty() &&
           QApplication::activeModalWidget() == nullptr;
}

}  // namespace nivex::qt
