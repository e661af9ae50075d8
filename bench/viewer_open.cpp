// How long the listing viewer takes to read a 10000-line listing and build its text.
// Run by hand: bench_viewer_open [lines] [--show seconds]
// With --show the viewer stays on screen for that many seconds (to look at it).

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "console/codepage.h"
#include "console/console.h"
#include "console/screen.h"
#include "console/ui_switches.h"
#include "listings/viewer_model.h"
#include "qt/listing_viewer.h"
#include "qt/qt_desktop.h"
#include "qt/qt_ui.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace {

constexpr int kMargin = 8;
constexpr int kWidth = 128;
constexpr int kBodyLines = 80;

std::string rule(unsigned char code) {
    return std::string(kMargin, ' ') + std::string(kWidth, char(code));
}

// A listing framed in sheets as the page header and footer write them, with a table
// ruled by the column line and an emphasised word on every seventh row.
void writeListing(const std::string& path, int lines) {
    std::ofstream out(path, std::ios::binary);
    const std::string m(kMargin, ' ');
    const char bar = char(179);
    int written = 0;
    for (int sheet = 1; written < lines; ++sheet) {
        for (int i = 0; i < 5; ++i)
            out << "\r\n";
        out << "\x1bG" << m << nivex::cp("PROYECTO :  Alcantarillado Barrio Año Nuevo")
            << std::string(40, ' ') << "15/03/2024" << std::string(12, ' ') << "HOJA No." << sheet
            << "\r\n";
        out << rule(205) << "\r\n";
        out << m << "******" << std::string(44, ' ') << nivex::cp("DISEÑO HIDRAULICO")
            << std::string(55, ' ') << "******\r\n";
        out << rule(205) << "\r\n";
        out << "\x1bH" << m << char(218) << std::string(10, char(196)) << char(194)
            << std::string(10, char(196)) << char(194) << std::string(60, char(196)) << char(191)
            << "\r\n";
        for (int row = 0; row < kBodyLines - 2; ++row) {
            char cells[64];
            std::snprintf(cells, sizeof cells, " T-%-6d %c %-8d %c", sheet * 100 + row, bar,
                          200 + row, bar);
            std::string text;
            if (row % 7 == 3) {
                text = "  velocidad \x1bGBAJA*\x1bH pendiente 0.50 %";
                text.resize(64, ' ');  // the two codes take no column
            } else {
                char flow[64];
                std::snprintf(flow, sizeof flow, "  Q = %7.2f l/s  D = 250 mm  S = 0.80 %%",
                              row * 3.25);
                text = flow;
                text.resize(60, ' ');
            }
            out << m << bar << cells << text << bar << "\r\n";
        }
        out << m << char(192) << std::string(10, char(196)) << char(193)
            << std::string(10, char(196)) << char(193) << std::string(60, char(196)) << char(217)
            << "\r\n";
        out << "\x1bG" << rule(205) << "\r\n" << "\x1bH\x13\r\n";
        written += 9 + kBodyLines + 2;
    }
}

class QuietUi : public nivex::ui::Ui {
  public:
    char showWarning(const std::string&, const std::string&) override { return 'S'; }
    char showError(const std::string&, const std::string&) override { return 'S'; }
    char askYesNo(const std::string&, const std::string&) override { return 'N'; }
    char askYesNoCancel(const std::string&, const std::string&) override { return 'C'; }
    void showInformation(const std::string&, const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    int lines = 10000;
    int showSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--show") == 0 && i + 1 < argc)
            showSeconds = std::atoi(argv[++i]);
        else
            lines = std::atoi(argv[i]);
    }

    nivex::qt::QtDesktop desktop;
    const QString font = QCoreApplication::applicationDirPath() + "/Nivex.TTF";
    if (!desktop.registerListingFont(font.toStdString()))
        std::printf("listing font %s missing: fixed-pitch fallback\n", qPrintable(font));

    QTemporaryDir dir;
    const std::string path = (dir.path() + "/LPT").toStdString();
    writeListing(path, lines);

    QElapsedTimer timer;
    timer.start();
    nivex::listings::ViewerModel model;
    if (!model.Load(path)) {
        std::printf("%s\n", nivex::toUtf8(model.error()).c_str());
        return 1;
    }
    const qint64 loaded = timer.elapsed();
    QTextDocument document;
    document.setDefaultFont(nivex::qt::listingFace(8));
    nivex::qt::fillListingDocument(document, model);
    const qint64 built = timer.elapsed();
    const QSizeF size = document.documentLayout()->documentSize();
    const qint64 laid = timer.elapsed();
    std::printf(
        "%zu lines: model %lld ms, document %lld ms, layout %lld ms, total %lld ms "
        "(%.0f x %.0f px)\n",
        model.lines().size(), static_cast<long long>(loaded),
        static_cast<long long>(built - loaded), static_cast<long long>(laid - built),
        static_cast<long long>(laid), size.width(), size.height());

    nivex::UiSwitches switches;
    QuietUi ui;
    nivex::console::Console console(switches, ui);
    nivex::console::Screen screen(console);
    nivex::ui::MemorySettings settings;
    nivex::shell::MenuBarModel menu;
    nivex::shell::Session session{switches, console, screen, ui, desktop, settings, menu};
    session.project.header.ProjectName = nivex::cp("Alcantarillado Barrio Año Nuevo");
    nivex::qt::QtListingViewer viewer(session);
    QElapsedTimer shown;
    viewer.onCreated = [&](nivex::qt::TViewForm& form) {
        if (showSeconds <= 0) {
            QTimer::singleShot(0, &form, [&form, &shown] {
                std::printf("viewer open and shown in %lld ms\n",
                            static_cast<long long>(shown.elapsed()));
                form.reject();
            });
            return;
        }
        form.searchBox()->setText("BAJA");
        QTimer::singleShot(300, &form, [&form] { form.searchButton()->click(); });
        QTimer::singleShot(showSeconds * 1000, &form, &QDialog::reject);
    };
    shown.start();
    viewer.ShowListing(path, nivex::cp("Diseño Hidraulico"));
    return laid < 1000 ? 0 : 2;
}
