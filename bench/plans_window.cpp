// How long the Planos window takes with a designed 10000-reach sector: opening it (the
// sector read, the plan built and first painted), then painting it fitted, zoomed in and
// after a drag. Run by hand: bench_plans_window [side lines] [reaches per side line]
// (opening should take well under a second, each paint a few tens of milliseconds).

#include <unistd.h>

// Before Qt's headers: the design's own "slots" is a word Qt takes for itself.
#include "comb_network.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "qt/plans_window.h"
#include "shell/gating.h"
#include "shell/main_menu.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    QApplication app(argc, argv);
    const int sides = argc > 1 ? std::atoi(argv[1]) : 100;
    const int perSide = argc > 2 ? std::atoi(argv[2]) : 100;
    const fs::path dir =
        fs::temp_directory_path() / ("nivex-bench-plans-window-" + std::to_string(getpid()));
    fs::create_directories(dir);
    nivex::project::Project p;
    p.selection.code = "AB";
    p.selection.sectors = "1";
    p.selection.extension = "AB1";
    if (!nivex::bench::DesignedBenchComb(p, dir.string(), sides, perSide)) {
        fs::remove_all(dir);
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    nivex::ui::PlansRequest request;
    std::string error;
    if (!nivex::shell::ReadDrawings(p, nivex::shell::DrawingKind::Plan, request, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        fs::remove_all(dir);
        return 1;
    }
    const qint64 read = clock.elapsed();
    nivex::qt::QtPlansWindow window(nullptr);
    window.show(std::move(request));
    nivex::qt::PlansForm& form = *window.window();
    nivex::qt::DrawingView& view = form.planView();
    view.grab();
    const qint64 opened = clock.elapsed();

    auto paint = [&view] {
        QElapsedTimer t;
        t.start();
        view.grab();  // the widget painted into a picture, shown on a screen or not
        return t.elapsed();
    };
    const qint64 fitted = paint();
    view.zoomAbout(QPointF(view.width() / 2.0, view.height() / 2.0), 40);
    const qint64 zoomed = paint();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
        const QPointF at = type == QEvent::MouseButtonPress ? QPointF(100, 100) : QPointF(300, 250);
        QMouseEvent e(type, at, view.mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&view, &e);
    }
    const qint64 dragged = paint();
    std::printf(
        "reaches: %zu\nread_ms: %lld\nopen_ms: %lld\nfitted_paint_ms: %lld\n"
        "zoomed_paint_ms: %lld\ndragged_paint_ms: %lld\n",
        form.plan().reaches.size(), static_cast<long long>(read), static_cast<long long>(opened),
        static_cast<long long>(fitted), static_cast<long long>(zoomed),
        static_cast<long long>(dragged));
    fs::remove_all(dir);
    return 0;
}
