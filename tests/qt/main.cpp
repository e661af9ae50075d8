// The Qt tests need an application object; without a display they draw off screen, on a
// screen of 1366 x 768, the smallest laptop screen the program must fit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryFile>
#include <clocale>

int main(int argc, char** argv) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QTemporaryFile screen;
    if (platform.isEmpty() || platform == "offscreen") {
        if (screen.open()) {
            screen.write(R"({"screens": [{"name": "portatil", "x": 0, "y": 0, "width": 1366,
                "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            screen.flush();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toLocal8Bit());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
