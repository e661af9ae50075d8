// How long the console component takes to paint a busy screen, and how many runs it
// paints. Run by hand: bench_console_paint [frames]

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/console.h"
#include "qt/cell_painter.h"
#include "qt/console_font.h"
#include "qt/win_console.h"
#include "ui/ui.h"

namespace {

class QuietUi : public nivex::ui::Ui {
  public:
    char showWarning(const std::string&, const std::string&) override { return 'S'; }
    char showError(const std::string&, const std::string&) override { return 'S'; }
    char askYesNo(const std::string&, const std::string&) override { return 'N'; }
    char askYesNoCancel(const std::string&, const std::string&) override { return 'C'; }
    void showInformation(const std::string&, const std::string&) override {}
};

// A screen like a data screen: a double frame, a title bar, prompts with fields, a
// shaded column and a table ruled with single lines.
void fill(nivex::console::Console& c) {
    using nivex::console::kButtonFirst;
    c.setBackground(0x000080);
    c.setForeground(0xFFFFFF);
    c.clrScr();
    const std::string top = std::string(1, char(201)) + std::string(78, char(205)) + char(187);
    const std::string side = std::string(1, char(186)) + std::string(78, ' ') + char(186);
    const std::string bottom = std::string(1, char(200)) + std::string(78, char(205)) + char(188);
    c.gotoXY(1, 1);
    c.writeText(top);
    for (int r = 2; r < 24; ++r) {
        c.gotoXY(1, r);
        c.writeText(side);
    }
    c.gotoXY(1, 24);
    c.writeText(bottom);
    c.setBackground(0x008080);
    c.setEmphasis(true);
    c.setEffects(kButtonFirst);
    c.gotoXY(2, 2);
    c.writeText(" ESPECIFICACIONES GENERALES" + std::string(51, ' '));
    c.setEffects(0);
    c.setEmphasis(false);
    c.setBackground(0x000080);
    for (int r = 4; r < 14; ++r) {
        c.gotoXY(4, r);
        c.writeText("Pendiente minima de los tramos (%) ....");
        c.drawField(10, "  0.50", r == 6, 0);
    }
    for (int r = 15; r < 23; ++r) {
        c.gotoXY(4, r);
        std::string row;
        for (int k = 0; k < 6; ++k)
            row += std::string(9, char(196)) + char(197);
        c.writeText(row);
        c.gotoXY(66, r);
        c.writeText(std::string(12, char(176 + r % 3)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    nivex::UiSwitches switches;
    QuietUi ui;
    nivex::console::Console console(switches, ui);
    fill(console);

    nivex::qt::CellPainter painter(nivex::qt::consoleFace(14));
    const auto& m = painter.metrics();
    QImage image(82 * m.width, 27 * m.rowHeight(), QImage::Format_RGB32);
    const nivex::console::Rect all{1, 1, 82, 27};

    int runs = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < frames; ++i) {
        QPainter p(&image);
        runs = painter.paint(p, console, all);
    }
    const double fullMs = clock.nsecsElapsed() / 1e6 / frames;

    // One field as the editor repaints it after a keystroke.
    clock.restart();
    for (int i = 0; i < frames * 20; ++i) {
        QPainter p(&image);
        painter.paint(p, console, {44, 6, 53, 6});
    }
    const double fieldUs = clock.nsecsElapsed() / 1e3 / (frames * 20);

    // The whole component, buttons included, as the window paints it.
    nivex::qt::TWinConsole view(console);
    console.setLegend(1, 27, "F9^borrar F11^recup.dato PgDn^avanzar PgUp^retroceder Esc^salir",
                      true, 1);
    QImage widgetImage(view.size(), QImage::Format_RGB32);
    clock.restart();
    for (int i = 0; i < frames / 5 + 1; ++i)
        view.render(&widgetImage);
    const double widgetMs = clock.nsecsElapsed() / 1e6 / (frames / 5 + 1);

    std::printf("cell %dx%d px, %d runs per full screen (%d cells)\n", m.width, m.rowHeight(), runs,
                82 * 27);
    std::printf("full screen:  %.3f ms/frame over %d frames\n", fullMs, frames);
    std::printf("one field:    %.1f us/repaint\n", fieldUs);
    std::printf("component:    %.3f ms/render with its buttons\n", widgetMs);
    return 0;
}
