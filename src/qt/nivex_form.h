#pragma once
// The main window: the menu bar drawn from the menu-bar model, the console component in
// the client area, the caption, the font size that follows maximising and restoring, and
// the confirmation of closing.

#include <QAction>
#include <QMainWindow>
#include <functional>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "qt/win_console.h"
#include "shell/menu_bar.h"

namespace nivex::qt {

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    TForm1(console::Console& console, shell::MenuBarModel& menu, QWidget* parent = nullptr);
    ~TForm1() override;

    TWinConsole& consoleView() { return *view_; }

    // Set by the program: what a menu choice does, whether the user confirms closing, and
    // what happens once he has.
    std::function<void(const shell::MenuItem&)> onMenuItem;
    std::function<bool()> confirmClose;
    std::function<void()> onLeave;

    // Wide enough for every entry of the menu bar (no entry hides behind "››"), as far as
    // the screen allows.
    QSize sizeHint() const override;

    // The console's sizes for a screen: full when maximised, normal otherwise.
    void fitToScreen(const QSize& screen);
    int fullFontSize() const { return fullSize_; }
    int normalFontSize() const { return normalSize_; }

    // The actions of the bar, by caption (code-page bytes); nullptr for an unknown one.
    QAction* entryAction(std::string_view entry) const;
    QAction* itemAction(std::string_view caption) const;

  public slots:
    // Another start of the program asked this copy to come forward.
    void bringForward();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    void buildMenuBar();
    void refreshMenuBar();
    void chosen(size_t itemIndex);
    void measureScreen(const QSize& screen);
    void fitNormalWindow();
    void firstKeyArrived();

    console::Console& console_;
    shell::MenuBarModel& menu_;
    TWinConsole* view_;
    std::vector<QAction*> entryActions_;  // by entry
    std::vector<QAction*> itemActions_;   // by item; entries that are items share theirs
    int fullSize_ = 14, normalSize_ = 9;
    bool leaving_ = false;
    bool firstKeyAwaited_ = true;
};

}  // namespace nivex::qt
