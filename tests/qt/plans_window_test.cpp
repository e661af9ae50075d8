// The "Planos" window: the menu bar's entry and its gate, the plan of a designed
// simulated network with the profile of the line clicked, the search of a manhole, the
// fitting and the profile between two manholes. Positions are checked against the plan's
// own geometry (where each reach and manhole landed on the paper), never against pixels.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/batch.h"
#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "drawings/manhole_coordinates.h"
#include "drawings/profile_lines.h"
#include "network/network_controls.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "network/simulated_project.h"
#include "qt/event_pump.h"
#include "qt/nivex_form.h"
#include "qt/plans_window.h"
#include "qt/qt_text.h"
#include "qt_rig.h"
#include "shell/main_menu.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;
using drawings::Point;
using qt::qtext;

// The program's menu bar and session over a project made by nivex-batch's verbs.
class Plans : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-planos-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_ / "projects");
        start_ = fs::current_path();
        QObject::connect(&form_.consoleView(), &qt::TWinConsole::keyArrived, &pump_,
                         &qt::QtEventPump::wake);
        form_.onMenuItem = [this](const shell::MenuItem& item) {
            shell::MenuItemChosen(session_, item);
        };
        session_.plans = &plans_;
        Batch({"new", "--yes"});
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }

    void Batch(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--projects", (base_ / "projects").string(), "--project", "AB1"});
        std::ostringstream out, err;
        const int rc = cli::RunBatch(args, out, err);
        fs::current_path(start_);
        ASSERT_EQ(rc, 0) << ::testing::PrintToString(args) << "\n" << out.str() << err.str();
    }
    // A simulated grid of h x v blocks of 60 m, designed when asked.
    void Grid(int h, int v, bool designed) {
        Batch({"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto",
               "entidad=Empresa", "--texto", "proyecto=Barrio Norte", "--texto", "fecha=2026",
               "--texto", "consultor=Yo", "--yes"});
        Batch({"simulate", "--horizontal", std::to_string(h), "--vertical", std::to_string(v),
               "--length", "60", "--slope", "1", "--ground", "1000", "--yes"});
        if (!designed) return;
        Batch({"controls", "--yes"});
        Batch({"design", "--opciones", "NNSS"});
    }
    // The project's folder: its name follows the project's name.
    fs::path Folder() const {
        for (const auto& e : fs::directory_iterator(base_ / "projects"))
            if (e.is_directory() && e.path().filename().string().rfind("AB-", 0) == 0)
                return e.path();
        ADD_FAILURE() << "no project folder";
        return base_;
    }
    // The sector as the program holds it once opened.
    void Open() {
        project::Project& p = session_.project;
        p.selection.code = "AB";
        p.selection.sector = "1";
        p.selection.sectors = "1";
        p.selection.sectorNumber = 1;
        p.selection.extension = "AB1";
        p.selection.accepted = true;
        p.files.Build(Folder().string(), "AB1");
        std::string error;
        ASSERT_TRUE(network::LoadControlState(p, &error)) << error;
        menu_.enableAll();
    }

    // A menu choice through the window's own menu bar. A refusal not expected is answered
    // after a while, so that the test fails instead of waiting for ever.
    void Choose(const char* caption) {
        QAction* a = form_.itemAction(cp(caption));
        ASSERT_NE(a, nullptr) << caption;
        QTimer::singleShot(5000, &form_, [this] {
            if (screen_.WindowDepth() > 0) PressEnter();
        });
        a->trigger();
    }
    void PressEnter() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(&form_.consoleView(), &press);
    }
    // A refused choice: its box is answered with Enter; what it said.
    std::string Refused(const char* caption) {
        screen_.clearLastMessage();
        QTimer::singleShot(50, &form_, [this] { PressEnter(); });
        Choose(caption);
        return screen_.lastMessage();
    }

    qt::PlansForm& Window() {
        qt::PlansForm* w = plans_.window();
        EXPECT_NE(w, nullptr);
        spin(30);  // laid out
        return *w;
    }

    static void Click(qt::DrawingView& view, QPointF pixel) {
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, pixel, view.mapToGlobal(pixel), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
            QApplication::sendEvent(&view, &e);
        }
    }
    static bool Shows(const qt::DrawingView& view, const drawings::Box& b) {
        const drawings::Box v = view.visiblePaper();
        return v.x0 <= b.x0 + 1e-6 && v.y0 <= b.y0 + 1e-6 && v.x1 >= b.x1 - 1e-6 &&
               v.y1 >= b.y1 - 1e-6;
    }

    fs::path base_, start_;
    UiSwitches switches_;
    ScriptedUi ui_;
    console::Console console_{switches_, ui_};
    console::Screen screen_{console_};
    shell::MenuBarModel menu_;
    qt::TForm1 form_{console_, menu_};
    qt::QtEventPump pump_{console_};
    NullDesktop desktop_;
    ui::MemorySettings settings_;
    shell::Session session_{switches_, console_, screen_, ui_, desktop_, settings_, menu_};
    qt::QtPlansWindow plans_{nullptr};
};

TEST_F(Plans, TheEntryStandsBeforeHelpAndRefusesAsTheMenuDoes) {
    const auto top = form_.menuBar()->actions();
    ASSERT_EQ(top.size(), 14);
    EXPECT_EQ(top[12]->text(), "Planos");
    ASSERT_NE(top[12]->menu(), nullptr);
    const auto items = top[12]->menu()->actions();
    ASSERT_EQ(items.size(), 7);
    EXPECT_EQ(items[0]->text(), "Plano de la Red");
    EXPECT_EQ(items[1]->text(), "Perfiles Longitudinales");
    EXPECT_EQ(items[2]->text(), "Coordenadas de Pozos");
    EXPECT_EQ(items[3]->text(), "Exportar GeoPackage");
    EXPECT_EQ(items[4]->text(), "Exportar Shapefile");
    EXPECT_EQ(items[5]->text(), "Exportar DXF");
    EXPECT_EQ(items[6]->text(), "Exportar Excel (XLSX)");

    Open();  // a new project: no reach yet
    EXPECT_EQ(Refused("Plano de la Red"), "... Falta entrar los datos de los tramos ...");
    EXPECT_EQ(Refused("Perfiles Longitudinales"), "... Falta entrar los datos de los tramos ...");
    EXPECT_EQ(plans_.window(), nullptr);
    EXPECT_EQ(screen_.WindowDepth(), 0);

    // Entered but not designed: the profiles are refused, the plan opens without them and
    // says why on their side.
    ASSERT_NO_FATAL_FAILURE(Grid(2, 2, false));
    Open();
    EXPECT_EQ(Refused("Perfiles Longitudinales"), cp("... Falta hacer el diseño del proyecto ..."));
    EXPECT_EQ(plans_.window(), nullptr);
    Choose("Plano de la Red");
    qt::PlansForm& w = Window();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Planos - BARRIO NORTE - AB1"));
    EXPECT_EQ(w.profileRefusal()->text(),
              QString::fromUtf8("... Falta hacer el diseño del proyecto ..."));
    EXPECT_TRUE(w.profileRefusal()->isVisible());
    EXPECT_FALSE(w.lineChoice()->isEnabled());
    EXPECT_FALSE(w.drawButton()->isEnabled());
    // 2 x 2 blocks: 2 x 3 + 3 x 2 streets and the outfall.
    EXPECT_EQ(w.plan().reaches.size(), 13u);
    EXPECT_TRUE(w.layoutNote()->text().isEmpty());  // the simulation placed every manhole

    // Without the coordinates the plan is schematic, and the window says so.
    fs::remove(Folder() / "Pozos.AB1");
    Choose("Plano de la Red");
    EXPECT_TRUE(Window().layoutNote()->text().startsWith(QStringLiteral("Esquematico")))
        << Window().layoutNote()->text().toStdString();
}

TEST_F(Plans, ADesignedGridClickedSearchedFittedAndProfiled) {
    ASSERT_NO_FATAL_FAILURE(Grid(3, 3, true));
    Open();
    Choose("Plano de la Red");
    qt::PlansForm& w = Window();
    const drawings::Plan& plan = w.plan();
    const auto& reaches = w.request().inputs.reaches;
    ASSERT_TRUE(w.request().inputs.designed);
    ASSERT_EQ(plan.reaches.size(), 25u);  // 3 x 4 + 4 x 3 + the outfall

    // Every reach in exactly one line of the "Perfil:" choice.
    ASSERT_EQ(w.lineChoice()->count(), static_cast<int>(w.lines().size()));
    std::vector<int> seen(reaches.size() + 1, 0);
    for (const auto& line : w.lines())
        for (int r : line.records)
            ++seen[static_cast<size_t>(r)];
    for (size_t r = 1; r < seen.size(); ++r)
        EXPECT_EQ(seen[r], 1) << "record " << r;
    // A line's caption names its first and last manhole.
    const auto& first = w.lines().front().records;
    EXPECT_TRUE(w.lineChoice()->itemText(0).endsWith(
        qtext("Pozo " + reaches[size_t(first.front() - 1)].Upstream + " a Pozo " +
              reaches[size_t(first.back() - 1)].Downstream)))
        << w.lineChoice()->itemText(0).toStdString();

    // Fitted: the whole page in view; zoomed in it is not; "Ajustar" brings it back.
    qt::DrawingView& view = w.planView();
    const drawings::Box page{0, 0, plan.drawing.width, plan.drawing.height};
    EXPECT_TRUE(Shows(view, page));
    view.zoomAbout(QPointF(view.width() / 2.0, view.height() / 2.0), 6);
    EXPECT_FALSE(Shows(view, page));
    w.planFitButton()->click();
    EXPECT_TRUE(Shows(view, page));

    // A click at the middle of a reach of the second line (not the line shown first).
    ASSERT_GE(w.lines().size(), 2u);
    const int record = w.lines()[1].records.front();
    const drawings::PlanReach* picked = nullptr;
    for (const auto& r : plan.reaches)
        if (r.record == record) picked = &r;
    ASSERT_NE(picked, nullptr);
    const Point mid{(picked->from.x + picked->to.x) / 2, (picked->from.y + picked->to.y) / 2};
    view.centreOn(mid, 3);
    EXPECT_TRUE(w.tipAt(mid).startsWith(qtext("Tramo " + reaches[size_t(record - 1)].Upstream)))
        << w.tipAt(mid).toStdString();
    Click(view, view.toScreen(mid));
    EXPECT_EQ(w.selectedRecord(), record);
    EXPECT_EQ(w.profileRecords(), w.lines()[1].records);
    EXPECT_EQ(w.lineChoice()->currentIndex(), 1);
    const network::TramoT& t = reaches[size_t(record - 1)];
    EXPECT_TRUE(w.values()->text().startsWith(qtext("Tramo " + t.Upstream + " - " + t.Downstream)))
        << w.values()->text().toStdString();
    EXPECT_TRUE(w.values()->text().contains(
        QStringLiteral("D = %1 mm").arg(QString::number(t.Diameter, 'f', 0))))
        << w.values()->text().toStdString();
    // The picked reach is marked on the profile along its crown, from the line's first
    // manhole (abscissa 0) as far as the reaches before it in the line.
    double before = 0;
    for (int r : w.lines()[1].records) {
        if (r == record) break;
        before += reaches[size_t(r - 1)].Length;
    }
    ASSERT_EQ(w.profileView().marks().size(), 1u);
    const auto& crown = w.profileView().marks()[0].points;
    ASSERT_EQ(crown.size(), 2u);
    const drawings::Profile& pr = w.profile();
    EXPECT_NEAR(crown[0].x, pr.originX + before * 1000.0 / pr.scales.horizontal, 1e-6);
    EXPECT_NEAR(crown[1].x - crown[0].x, t.Length * 1000.0 / pr.scales.horizontal, 1e-6);
    EXPECT_NEAR(crown[0].y, pr.baseY + (t.CrownUp - pr.datum) * 1000.0 / pr.scales.vertical, 1e-6);

    // A click on a manhole tells of it.
    Click(view, view.toScreen(plan.manholes.front().at));
    EXPECT_TRUE(w.values()->text().startsWith(qtext("Pozo " + plan.manholes.front().name)))
        << w.values()->text().toStdString();

    // The search centres the manhole and rings it; an unknown name is refused.
    const drawings::PlanManhole& outfall = plan.manholes.back();
    w.planFitButton()->click();
    w.searchField()->setText(qtext(outfall.name));
    EXPECT_TRUE(w.findManhole());
    const QPointF at = view.toScreen(outfall.at);
    EXPECT_NEAR(at.x(), view.width() / 2.0, 1.0);
    EXPECT_NEAR(at.y(), view.height() / 2.0, 1.0);
    EXPECT_TRUE(w.status()->text().isEmpty());
    w.searchField()->setText(QStringLiteral("ZZ99"));
    EXPECT_FALSE(w.findManhole());
    EXPECT_EQ(w.status()->text(), QStringLiteral("No existe el pozo ZZ99"));

    // The path from the upper end of the first line to its last manhole; the other way
    // round there is none, and the window says what PathBetween says.
    const std::string from = reaches[size_t(first.front() - 1)].Upstream;
    const std::string to = reaches[size_t(first.back() - 1)].Downstream;
    w.fromField()->setText(qtext(from));
    w.toField()->setText(qtext(to));
    EXPECT_TRUE(w.drawPath());
    EXPECT_EQ(w.profileRecords(), first);
    w.fromField()->setText(qtext(to));
    w.toField()->setText(qtext(from));
    EXPECT_FALSE(w.drawPath());
    drawings::ProfileLine none;
    std::string error;
    ASSERT_FALSE(drawings::PathBetween(reaches, to, from, none, error));
    EXPECT_EQ(w.status()->text(), qt::messageText(error));
    EXPECT_EQ(w.profileRecords(), first);  // the profile shown stays

    // "Perfiles Longitudinales" brings the profile side forward in the same window.
    Choose("Perfiles Longitudinales");
    EXPECT_EQ(plans_.window(), &w);
    EXPECT_TRUE(w.profileView().isVisible());
    EXPECT_GT(w.profileView().width(), w.planView().width());
}

}  // namespace
}  // namespace nivex::testing

namespace nivex::testing {
namespace {

// A sector of about 10000 reaches (the most a sector holds): the window opens on it, and
// a paint fitted, zoomed in and dragged each stays well under what a user would notice.
// "Imprimir..." writes what nivex-batch plano and perfiles write: a plan refused at a scale
// the network does not fit on the paper, and written when fitted; the profile shown alone.
TEST_F(Plans, PrintDialogsWriteThePlanAndTheProfileShown) {
    ASSERT_NO_FATAL_FAILURE(Grid(3, 3, true));
    Open();
    Choose("Plano de la Red");
    qt::PlansForm& w = Window();
    auto pages = [](const fs::path& pdf) {
        std::ifstream in(pdf, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const std::regex page(R"(/Type /Page\b[^s])");
        return std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page),
                             std::sregex_iterator());
    };

    auto plan = w.printDialog(qt::DrawingPrintDialog::Kind::Plan);
    plan->quiet = true;
    EXPECT_FALSE(plan->save());  // no file named yet
    const fs::path pdf = base_ / "plano.pdf";
    plan->fileField()->setText(QString::fromStdString(pdf.string()));
    plan->paperChoice()->setCurrentText(QStringLiteral("carta"));
    // 3 x 80 m by 3 x 80 m is 2.4 m of paper at 1:100.
    plan->scaleChoice()->setCurrentText(QStringLiteral("1:100"));
    EXPECT_FALSE(plan->save());
    EXPECT_NE(plan->lastMessage().find("no cabe en el papel carta"), std::string::npos)
        << plan->lastMessage();
    plan->scaleChoice()->setCurrentText(QStringLiteral("1:0"));
    EXPECT_FALSE(plan->save());
    EXPECT_NE(plan->lastMessage().find("1:N"), std::string::npos) << plan->lastMessage();
    EXPECT_FALSE(fs::exists(pdf));
    plan->scaleChoice()->setCurrentIndex(0);  // fitted to the paper
    ASSERT_TRUE(plan->save()) << plan->lastMessage();
    EXPECT_EQ(pages(pdf), 1);

    // With a line on the screen, its profile alone; all the lines take more parts.
    w.showLine(0);
    const std::vector<int> shown = w.profileRecords();
    ASSERT_FALSE(shown.empty());
    auto profiles = w.printDialog(qt::DrawingPrintDialog::Kind::Profiles);
    profiles->quiet = true;
    const fs::path one = base_ / "uno.svg";
    profiles->fileField()->setText(QString::fromStdString(one.string()));
    profiles->formatChoice()->setCurrentIndex(1);
    profiles->whichChoice()->setCurrentIndex(1);
    ASSERT_TRUE(profiles->save()) << profiles->lastMessage();
    EXPECT_NE(profiles->lastMessage().find("1 perfil(es)"), std::string::npos)
        << profiles->lastMessage();
    std::ifstream svg(one, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(svg), {}};
    EXPECT_NE(text.find("<svg"), std::string::npos);
}

// A sector of ten thousand reaches opens whole, and zooming in and dragging move the view
// over it (how long it takes is measured by bench_plans_window, not here).
TEST_F(Plans, TenThousandReachesOpenAndMove) {
    // The grid the simulation lays out, beyond the 40 x 40 blocks its screen takes.
    Open();
    project::Project& p = session_.project;
    network::SimulationParams grid;
    grid.horizontal = grid.vertical = 70;
    grid.length = 60;
    const std::vector<network::TramoT> reaches = network::SimulatedReaches(grid);
    std::vector<codec::Bytes> records;
    for (const network::TramoT& t : reaches) {
        records.emplace_back(network::kTramoSize, 0);
        ASSERT_TRUE(network::Encode(t, records.back()));
    }
    std::string error;
    ASSERT_TRUE(network::ReplaceRecordFile(p.files.reaches(), network::kTramoSize, records, error))
        << error;
    network::ReachFile file;
    ASSERT_TRUE(network::OpenNetwork(p, file));
    file.Close();
    ASSERT_TRUE(p.OpenControl());
    ASSERT_TRUE(p.ReadHeader());
    p.header.ReachCount = static_cast<int>(reaches.size());
    ASSERT_TRUE(p.WriteHeader());
    p.CloseControl();
    drawings::ManholeCoordinates placed;
    placed.points = network::SimulatedCoordinates(grid, reaches);
    ASSERT_TRUE(drawings::WriteCoordinates(p, placed, &error)) << error;
    Choose("Plano de la Red");
    ASSERT_NE(plans_.window(), nullptr);
    qt::PlansForm& w = *plans_.window();
    ASSERT_EQ(w.plan().reaches.size(), 70u * 71u * 2u + 1u);

    qt::DrawingView& view = w.planView();
    view.grab();  // painted into a picture, whether the screen shows it or not
    const drawings::Box fitted = view.visiblePaper();
    view.zoomAbout(QPointF(view.width() / 2.0, view.height() / 2.0), 40);
    view.grab();
    const drawings::Box zoomed = view.visiblePaper();
    EXPECT_LT(zoomed.x1 - zoomed.x0, (fitted.x1 - fitted.x0) / 10);
    Click(view, QPointF(10, 10));  // a click elsewhere on the page picks nothing in particular
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
        const QPointF at = type == QEvent::MouseButtonPress ? QPointF(100, 100) : QPointF(300, 250);
        QMouseEvent e(type, at, view.mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&view, &e);
    }
    view.grab();
    const drawings::Box dragged = view.visiblePaper();
    // Dragged 200 px right and 150 px down: the paper moved the other way under the view.
    EXPECT_LT(dragged.x0, zoomed.x0);
    EXPECT_GT(dragged.y0, zoomed.y0);
}

}  // namespace
}  // namespace nivex::testing
