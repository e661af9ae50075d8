// The desktop program driven as a user drives it, through the faults users met: a menu bar
// locked by an error left behind, menu choices lost while a message waits or taken as the
// Esc that stops a long run, decimal commas, closing the window while a price is typed,
// reaches sent to sectors that do not exist, and a project dialog opened twice.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTime>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <memory>

#include "console/codepage.h"
#include "console/keys.h"
#include "qt/alternatives_dialog.h"
#include "qt/config_dialog.h"
#include "qt/desktop_program.h"
#include "qt/desktop_script.h"
#include "qt/progress_windows.h"
#include "qt/project_dialog.h"
#include "qt/qt_text.h"

namespace nivex::testing {
namespace {

namespace fs = std::filesystem;
using qt::DesktopScript;

constexpr uint8_t kF2 = key::F1 + 1;
constexpr uint8_t kF9 = key::F9;

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    Q_EMIT edit->textEdited(text);
}

class DesktopFaults : public ::testing::Test {
  protected:
    fs::path start_ = fs::current_path();  // the program moves into its project folder
    fs::path base_;
    std::unique_ptr<qt::DesktopProgram> program_;
    std::unique_ptr<DesktopScript> script_;
    std::string failure_;
    // Every message box the walk answered, "caption: text".
    std::vector<std::string> boxes_;
    QTimer abandon_;

    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-desk-faults-" + std::to_string(getpid()) + "-" + std::to_string(++n));
        fs::remove_all(base_);
        fs::create_directories(base_ / "home");
        setenv("HOME", (base_ / "home").c_str(), 1);
        Start();
    }

    void TearDown() override {
        abandon_.stop();
        script_.reset();
        program_.reset();
        fs::current_path(start_);
        fs::remove_all(base_);
    }

    // A new run of the program over the same home folder and settings.
    void Start() {
        script_.reset();
        program_.reset();
        program_ = std::make_unique<qt::DesktopProgram>(
            QString::fromStdString((base_ / "nivex.ini").string()));
        script_ = std::make_unique<DesktopScript>(*program_);
        script_->onFailed = [this](const std::string& why) {
            failure_ = why + "\n" + script_->screenText();
            if (auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                failure_ += "caja: " + b->text().toStdString();
            Abandon();
        };
    }

    // A failed walk: every window closed, then the program asked to end.
    void Abandon() {
        abandon_.disconnect();
        QObject::connect(&abandon_, &QTimer::timeout, [this] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                if (auto* d = qobject_cast<QDialog*>(m)) d->done(QDialog::Rejected);
                return;
            }
            if (program_->form().onLeave) program_->form().onLeave();
        });
        abandon_.start(50);
    }

    DesktopScript& script() { return *script_; }
    qt::TForm1& form() { return program_->form(); }
    bool screenShows(std::string_view utf8) const { return script_->screenShows(utf8); }

    // Runs the walk to its end; false (with the reason recorded) when a step never came.
    bool Run() {
        failure_.clear();
        script_->start();
        const int result = program_->run();
        abandon_.stop();
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(failure_.empty()) << failure_;
        return failure_.empty() && script_->finished();
    }

    void Answer(std::string containing, QMessageBox::StandardButton button) {
        script().then(
            "mensaje \"" + containing + "\"",
            [containing] { return DesktopScript::box(containing) != nullptr; },
            [this, containing, button] {
                QMessageBox* b = DesktopScript::box(containing);
                if (!b) return;
                boxes_.push_back(b->windowTitle().toStdString() + ": " + b->text().toStdString());
                if (QAbstractButton* pressed = b->button(button)) pressed->click();
            });
    }
    int BoxesWith(const std::string& text) const {
        int n = 0;
        for (const std::string& b : boxes_)
            n += b.find(text) != std::string::npos ? 1 : 0;
        return n;
    }

    // The project dialog, filled and accepted, and its confirmation answered.
    void ChooseProject(const char* code, const char* sector) {
        script().then(
            std::string("dialogo de proyecto ") + code + sector,
            [] { return DesktopScript::modal<qt::TNivexForm1>() != nullptr; },
            [code, sector] {
                auto* dialog = DesktopScript::modal<qt::TNivexForm1>();
                typeInto(dialog->codeField(), QString::fromLatin1(code));
                typeInto(dialog->sectorField(), QString::fromLatin1(sector));
                typeInto(dialog->countField(), QStringLiteral("1"));
                dialog->acceptButton()->click();
            });
        Answer(std::string("Sector# ") + sector, QMessageBox::Yes);
    }

    // The first key of the run, then the project.
    void NewProject(const char* code = "ED", const char* sector = "1") {
        script().act("primera tecla", [this] { script().key(key::Enter); });
        ChooseProject(code, sector);
    }

    // A simulated network of 4 x 3 blocks of 80 m: 32 reaches.
    void Simulate(const char* keys = "4\n3\n80\n0.8\n2600\n") {
        script().choose("Generar Proyecto Simulado");
        Answer("simulado ?", QMessageBox::Yes);
        const std::string typed = keys;
        script().whenShown("SIMULACION DE PROYECTOS", [this, typed] { script().type(typed); });
        Answer("simulado realizada", QMessageBox::Ok);
        AtMainMenu();
    }

    void AtMainMenu() {
        script().then("menu principal", [this] { return script().atMainMenu(); }, {});
    }

    // "Tramos" (on a simulated project, its warning first), then the last line on screen.
    void OpenReaches(const std::string& line, bool simulated = true) {
        script().choose("Tramos");
        if (simulated) Answer("cambiara de simulado a normal", QMessageBox::Ok);
        script().then("linea " + line, [this, line] { return ReachLineShown(line) && Waits(); },
                      {});
    }
    bool ReachLineShown(const std::string& line) const {
        return screenShows("LINEA # :" + std::string(6 - line.size(), ' ') + line);
    }
    bool Waits() const { return script_->waitsForKey(); }
    // A row of the screens, counted inside the frame of the whole-screen window.
    std::string Row(int row) const { return toUtf8(program_->console().rowText(row + 1)); }

    // The four network controls in their order; the last two ask first.
    void Controls() {
        script().choose("Controles");
        const char* passed[] = {
            "Especificaciones completas", "informacion de los tramos esta completa",
            "nomenclatura y cotas esta completa", "ordenamiento hidraulico esta correcto"};
        for (int k = 0; k < 4; ++k) {
            script().whenShown("Seleccione opcion entre [A] y [D]",
                               [this] { script().key(key::Enter); });
            if (k >= 2) Answer("Desea realizar la verificacion", QMessageBox::Yes);
            script().whenShown(passed[k], [this] { script().key(key::Enter); });
        }
        script().whenShown("Todas las revisiones estan correctas",
                           [this] { script().key(key::Esc); });
        AtMainMenu();
    }

    // The design accepted as the dialog offers it, with the options as they are.
    void FinishDesign() {
        script().then(
            "alternativas", [] { return DesktopScript::modal<qt::TFormCostos>() != nullptr; },
            [] { DesktopScript::modal<qt::TFormCostos>()->acceptButton()->click(); });
        script().whenShown("Desea ignorar las restricciones", [this] { script().key(key::AltZ); });
        script().whenShown("Para finalizar el diseño oprima", [this] { script().key(key::Enter); });
        AtMainMenu();
    }

    // A project up to its unit prices: the network typed again (so that it is the user's
    // own), the controls, the design and the quantities.
    void UpToPrices() {
        NewProject();
        Simulate();
        OpenReaches("32");
        script().act("longitud tecleada", [this] {
            script().type("\n\n\n\n80\n");
            script().key(key::F1 + 3);  // F4: save
            script().key(key::Esc);
        });
        AtMainMenu();
        Controls();
        script().choose("Diseño del Proyecto");
        FinishDesign();
        script().choose("Calculo Cantidades Obra");
        Answer("Realizado el Calculo de Cantidades de Obra", QMessageBox::Ok);
        AtMainMenu();
        script().choose("Entrada Precios Unitarios");
        script().whenShown("ENTRADA DE PRECIOS UNITARIOS", [this] { script().key(kF2); });
        // The first item the quantities need: an excavation price.
        script().then("primer precio", [this] { return screenShows("CAPITULO #1") && Waits(); },
                      {});
    }

    void Leave() {
        script().then("salir", [this] { return Waits(); }, [this] { form().close(); });
        Answer("Desea abandonar ahora", QMessageBox::Yes);
    }

    void Check(std::string what, std::function<void()> check) {
        script().then(std::move(what), [this] { return Waits(); }, std::move(check));
    }
};

// ---- a field error never outlives its screen ----

// A refused value is asked again on the same field, Esc included; leaving the screen
// leaves no error marked, so the menu bar answers every choice afterwards.
TEST_F(DesktopFaults, ARefusedValueIsAskedAgainAndNoErrorOutlivesItsScreen) {
    NewProject();
    Simulate();

    // The length of line 32 cleared with F9, then Esc: refused and asked again.
    OpenReaches("32");
    script().act("longitud borrada", [this] {
        script().type("\n\n\n\n");
        script().key(kF9);
        script().key(key::Esc);
    });
    script().then(
        "longitud pedida otra vez",
        [this] { return screenShows("ERROR...Introduzca la longitud") && Waits(); },
        [this] {
            EXPECT_TRUE(screenShows("ENTRADA DATOS TRAMOS"));
            EXPECT_FALSE(program_->session().switches.atMainMenu);
            // The field shows the length the reach keeps, 80 m.
            EXPECT_NE(Row(10).find("80.00"), std::string::npos) << Row(10);
            script().key(key::Esc);  // now taken: the screen leaves
        });
    AtMainMenu();
    script().choose("Configuracion General Proyecto");
    script().then(
        "configuracion tras la longitud",
        [] { return DesktopScript::modal<qt::TGenForm1>() != nullptr; },
        [] { DesktopScript::modal<qt::TGenForm1>()->acceptButton()->click(); });
    AtMainMenu();

    // A new reach: its names, then Esc on the empty upper ground elevation.
    OpenReaches("32");
    script().act("tramo nuevo", [this] {
        script().key(key::PgDn);
        script().type("X1\nX2\n");
        script().key(key::Esc);
    });
    script().then(
        "cota pedida otra vez",
        [this] { return screenShows("ERROR...Introduzca Cota Rasante Superior") && Waits(); },
        [this] {
            EXPECT_TRUE(ReachLineShown("33"));
            EXPECT_FALSE(program_->session().switches.atMainMenu);
        });
    // While the error is on screen the menu bar refuses, and says why.
    script().choose("Configuracion General Proyecto");
    Answer("mientras haya mensajes de error", QMessageBox::Ok);
    // The elevation typed, the reach taken, then Esc leaves.
    Check("cota tecleada", [this] {
        script().type("2601.5\n2600.5\n40\n");
        script().key(key::Esc);
    });
    AtMainMenu();
    Check("sin error marcado", [this] {
        EXPECT_FALSE(program_->session().switches.errorShowing);
        EXPECT_FALSE(screenShows("ERROR"));
    });
    script().choose("Configuracion General Proyecto");
    script().then(
        "configuracion tras el tramo nuevo",
        [] { return DesktopScript::modal<qt::TGenForm1>() != nullptr; },
        [] { DesktopScript::modal<qt::TGenForm1>()->acceptButton()->click(); });

    // Both reaches as the user left them: line 32 kept its 80 m, line 33 was taken.
    OpenReaches("33", false);  // a reach typed: the project is the user's own now
    Check("linea 33", [this] {
        EXPECT_NE(Row(8).find("2,601.50"), std::string::npos) << Row(8);
        EXPECT_NE(Row(10).find("40.00"), std::string::npos) << Row(10);
        script().key(key::PgUp);
    });
    script().then(
        "linea 32", [this] { return ReachLineShown("32") && Waits(); },
        [this] {
            EXPECT_NE(Row(10).find("80.00"), std::string::npos) << Row(10);
            script().key(key::Esc);
        });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());
    EXPECT_EQ(BoxesWith("mientras haya mensajes de error"), 1);
}

}  // namespace
}  // namespace nivex::testing
