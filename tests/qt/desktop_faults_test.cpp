// The desktop program driven as a user drives it, through the faults users met: a menu bar
// locked by an error left behind, menu choices lost while a message waits or taken as the
// Esc that stops a long run, decimal commas, closing the window while a price is typed,
// reaches sent to sectors that do not exist, and a project dialog opened twice.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTime>
#include <QGroupBox>
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

    // The texts the controls ask for; the topology item and the class when given.
    void Configure(int topology = -1, int designClass = 0) {
        script().choose("Configuracion General Proyecto");
        script().then(
            "configuracion", [] { return DesktopScript::modal<qt::TGenForm1>() != nullptr; },
            [topology, designClass] {
                auto* dialog = DesktopScript::modal<qt::TGenForm1>();
                using project::Text;
                typeInto(dialog->textField(Text::Consultant), QStringLiteral("Ing. Laura Gómez"));
                typeInto(dialog->textField(Text::Email), QStringLiteral("laura@ejemplo.co"));
                typeInto(dialog->textField(Text::Country), QStringLiteral("Colombia"));
                typeInto(dialog->textField(Text::Entity), QStringLiteral("Empresas Públicas"));
                typeInto(dialog->textField(Text::Project), QStringLiteral("La Esperanza"));
                typeInto(dialog->textField(Text::Date), QStringLiteral("10/12/26"));
                if (topology >= 0) dialog->radioItem(project::Group::Topology, topology)->click();
                if (designClass > 0)
                    dialog->radioItem(project::Group::Class, designClass - 1)->click();
                dialog->acceptButton()->click();
            });
        AtMainMenu();
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
    void UpToPrices(const char* code = "ED") {
        NewProject(code);
        Configure();
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

// ---- a menu choice made while a refusal waits ----

// A choice made while a message waits for Enter presses Enter first, then runs: with the
// controls refusal showing, the listing "Especificaciones" asks its question; with the design
// refusal showing, the design runs.
TEST_F(DesktopFaults, AMenuChoiceMadeWhileARefusalWaitsIsTaken) {
    NewProject();
    Configure();
    Simulate();
    script().choose("Diseño del Proyecto");
    script().whenShown("... Falta hacer los controles de calidad ...", {});
    script().choose("Especificaciones");  // of "List. Generales"
    Answer("Desea listar las especificaciones ?", QMessageBox::No);
    // A listing chosen in the menu bar ends with it: the main screen waits again.

    Controls();
    script().choose("Revision Diseño");
    script().whenShown("... Falta hacer el diseño del proyecto ...", {});
    script().choose("Diseño del Proyecto");
    FinishDesign();
    Leave();
    ASSERT_TRUE(Run());
    EXPECT_EQ(BoxesWith("Desea listar las especificaciones"), 1);
}

// ---- a menu choice during a long run ----

// While the design runs, a menu choice is refused with its message and the run goes on:
// during the search of the automatic topology (its window showing), and during the
// engine runs of a SWMM class (its "Status" window showing).
TEST_F(DesktopFaults, AMenuChoiceDuringTheDesignIsRefusedAndTheDesignGoesOn) {
    auto typeLengthAgain = [this](const std::string& line) {
        OpenReaches(line);
        script().act("longitud tecleada", [this] {
            script().type("\n\n\n\n80\n");
            script().key(key::F1 + 3);  // F4: save; the network is the user's own
            script().key(key::Esc);
        });
        AtMainMenu();
    };
    auto chooseDuring = [this](const char* what, std::function<bool()> running) {
        script().then(what, std::move(running), [this] {
            EXPECT_TRUE(program_->session().switches.processRunning);
            form().itemAction("Controles")->trigger();
        });
        Answer("mientras no haya terminado el proceso en ejecucion", QMessageBox::Ok);
    };

    NewProject();
    Configure(2);                       // "Manual y Automatico": the design searches topologies
    Simulate("8\n6\n80\n0.8\n2600\n");  // a search long enough to be seen running
    typeLengthAgain("111");
    Controls();
    script().choose("Diseño del Proyecto");
    chooseDuring("busqueda de topologia", [this] {
        // The search marks itself running before its window shows: either is the moment.
        if (program_->session().switches.processRunning) return true;
        for (auto* w : form().findChildren<qt::TfrmPrg*>())
            if (w->isVisible()) return true;
        return false;
    });
    FinishDesign();
    Leave();
    ASSERT_TRUE(Run());
    EXPECT_EQ(BoxesWith("Proceso terminado por el usuario"), 0);
    EXPECT_EQ(BoxesWith("mientras no haya terminado el proceso en ejecucion"), 1);

    // Class 7: the final design verifies itself with the engine, pass after pass.
    boxes_.clear();
    Start();
    NewProject("EG");
    Configure(-1, 7);
    Simulate();
    typeLengthAgain("32");
    Controls();
    script().choose("Diseño del Proyecto");
    script().then(
        "alternativas", [] { return DesktopScript::modal<qt::TFormCostos>() != nullptr; },
        [] { DesktopScript::modal<qt::TFormCostos>()->acceptButton()->click(); });
    script().whenShown("Desea ignorar las restricciones", [this] { script().key(key::AltZ); });
    chooseDuring("corridas de SWMM", [this] {
        for (auto* w : form().findChildren<qt::TPrBr*>())
            if (w->isVisible()) return true;
        return false;
    });
    Answer("RECOMENDACION", QMessageBox::Ok);  // the flooded nodes of this small network
    script().whenShown("Para finalizar el diseño oprima", [this] { script().key(key::Enter); });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());
    EXPECT_EQ(BoxesWith("Proceso terminado por el usuario"), 0);
    EXPECT_EQ(BoxesWith("mientras no haya terminado el proceso en ejecucion"), 1);
}

// ---- decimal commas ----

// "4,50" is 4.50 wherever a field has decimals and no point was typed; a comma that cannot
// be the decimal point is refused naming the point. Nothing is ever ten times too large.
TEST_F(DesktopFaults, ACommaIsTheDecimalPointOrRefusedNamingThePoint) {
    const char* refused = "No use la coma: el separador decimal es el punto (.)";
    NewProject();
    // The simulation screen: an integer refuses the comma; reals of 2 decimals take it.
    script().choose("Generar Proyecto Simulado");
    Answer("simulado ?", QMessageBox::Yes);
    script().whenShown("SIMULACION DE PROYECTOS", [this] { script().type("4,5\n"); });
    script().whenShown(refused, [this] { script().type("4\n3\n80,5\n0,8\n2600,25\n"); });
    Answer("simulado realizada", QMessageBox::Ok);
    AtMainMenu();

    // The reaches were made 80.50 m long. The line number refuses a comma; a reach typed
    // with commas keeps what was meant.
    OpenReaches("32");
    Check("longitud simulada", [this] {
        EXPECT_NE(Row(10).find(" 80.50"), std::string::npos) << Row(10);
        script().key(key::Up);  // to the line field
        script().type("3,1\n");
    });
    script().whenShown(refused, [this] { script().type("31\n"); });
    script().then(
        "linea 31", [this] { return ReachLineShown("31") && Waits(); },
        [this] {
            script().type("\n\n2601,5\n2600,75\n52,4\n");
            script().key(key::Esc);
        });
    AtMainMenu();
    OpenReaches("32", false);
    Check("linea 32", [this] { script().key(key::PgUp); });
    script().then(
        "linea 31 guardada", [this] { return ReachLineShown("31") && Waits(); },
        [this] {
            EXPECT_NE(Row(8).find(": 2,601.50"), std::string::npos) << Row(8);
            EXPECT_NE(Row(9).find(": 2,600.75"), std::string::npos) << Row(9);
            EXPECT_NE(Row(10).find(":    52.40"), std::string::npos) << Row(10);
            script().key(key::Esc);
        });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());

    // A unit price, shown with thousands separators: "36,500" could be either, and is
    // refused; "36,50" and "36500,75" are taken with their decimals.
    Start();
    UpToPrices("EF");
    Check("precio con coma", [this] {
        script().type("36,50\n");
        script().key(key::Up);
    });
    Check("precio 36.50", [this] {
        // Edited again: the price as the field keeps it.
        EXPECT_NE(Row(7).find("$ 36.50 "), std::string::npos) << script().screenText();
        script().type("36,500\n");
    });
    script().whenShown(refused, [this] {
        script().type("36500,75\n");
        script().key(key::Up);
    });
    Check("precio 36,500.75", [this] {
        EXPECT_NE(Row(7).find("$ 36500.75 "), std::string::npos) << script().screenText();
        script().key(key::Esc);
    });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());
}

// ---- closing the window is Esc ----

// A price being typed when the window is closed is kept as Esc keeps it; one Esc refuses
// is not, and the price before it stays.
TEST_F(DesktopFaults, ClosingTheWindowKeepsThePriceBeingTypedAsEscDoes) {
    UpToPrices();
    Check("precio 35000", [this] {
        script().type("35000\n");
        script().key(key::Up);
        script().type("36500");  // being typed
    });
    script().then(
        "cerrar con el precio tecleado", [this] { return Waits() && screenShows("$ 36500 "); },
        [this] { form().close(); });
    Answer("Desea abandonar ahora", QMessageBox::Yes);
    ASSERT_TRUE(Run());

    // The next run shows the price typed, and with Esc keeps the next one too.
    auto toFirstPrice = [this] {
        AtMainMenu();
        script().choose("Entrada Precios Unitarios");
        script().whenShown("ENTRADA DE PRECIOS UNITARIOS", [this] { script().key(kF2); });
        script().then("primer precio", [this] { return screenShows("CAPITULO #1") && Waits(); },
                      {});
    };
    Start();
    NewProject();
    toFirstPrice();
    Check("precio guardado al cerrar", [this] {
        EXPECT_NE(Row(7).find("$ 36500.00 "), std::string::npos) << script().screenText();
        script().type("37000");
        script().key(key::Esc);
    });
    toFirstPrice();
    Check("precio guardado con Esc", [this] {
        EXPECT_NE(Row(7).find("$ 37000.00 "), std::string::npos) << script().screenText();
        script().type("38000.123");  // three decimals: refused
    });
    script().then(
        "cerrar con un precio rechazado", [this] { return Waits() && screenShows("$ 38000.123"); },
        [this] { form().close(); });
    Answer("Desea abandonar ahora", QMessageBox::Yes);
    ASSERT_TRUE(Run());

    Start();
    NewProject();
    toFirstPrice();
    Check("el precio de antes", [this] {
        EXPECT_NE(Row(7).find("$ 37000.00 "), std::string::npos) << script().screenText();
        script().key(key::Esc);
    });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());
}

// ---- reaches sent to another sector ----

// Type 4 ("ir a otro sector") needs a later sector of the project to go to: refused in
// the only sector of a project, and with two sectors the destination must exist. Esc on
// the destination gives the type back as it was.
TEST_F(DesktopFaults, AReachGoesOnlyToASectorTheProjectHas) {
    NewProject();
    Simulate();
    // Line 32 down to its type: names, grounds, length, area, class, special data.
    const std::string toType = "\n\n\n\n\n\n\n\n";
    OpenReaches("32");
    script().act("tipo 4 en el unico sector", [this, toType] { script().type(toType + "4\n"); });
    script().then(
        "rechazo del tipo 4",
        [this] {
            return screenShows("ERROR...El sector 1 es el ultimo y no admite ir a otro sector") &&
                   Waits();
        },
        [this] {
            EXPECT_FALSE(screenShows("Sector No.:"));
            script().key(key::Esc);
        });
    AtMainMenu();

    // Sector 2 made, then sector 1 opened again.
    script().choose("Abrir");
    ChooseProject("ED", "2");
    AtMainMenu();
    script().choose("Abrir");
    ChooseProject("ED", "1");
    AtMainMenu();
    OpenReaches("32");
    script().act("tipo 4 hacia el sector 3", [this, toType] { script().type(toType + "4\n3\n"); });
    script().then(
        "sector 3 rechazado",
        [this] { return screenShows("ERROR...No existe el sector 3 en este proyecto") && Waits(); },
        [this] { script().key(key::Esc); });
    script().then(
        "tipo como estaba", [this] { return !screenShows("Sector No.:") && Waits(); },
        [this] {
            // Line 32 is the outfall of the simulated network: type 2, "vertimiento".
            EXPECT_NE(Row(23).find(": 2 "), std::string::npos) << Row(23);
            script().type("4\n2\n");
        });
    script().then(
        "sector 2 tomado", [this] { return screenShows("LINEA # :    33") && Waits(); },
        [this] { script().key(key::PgUp); });
    script().then(
        "linea 32 hacia el sector 2", [this] { return ReachLineShown("32") && Waits(); },
        [this] {
            EXPECT_NE(Row(23).find(": 4"), std::string::npos) << Row(23);
            EXPECT_NE(Row(23).find("Sector No.: 2"), std::string::npos) << Row(23);
            script().key(key::Esc);
        });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());
}

// ---- the project dialog and the configuration dialog ----

// "Abrir" chosen instead of the first key opens the project dialog once. In the
// configuration, going from class 7 back to class 1 gives "Evitar Flujo Critico" back.
TEST_F(DesktopFaults, AbrirBeforeTheFirstKeyAndTheClassGoingBackFromSwmm) {
    auto dialogs = std::make_shared<int>(0);
    QTimer counter;
    bool shown = false;
    QObject::connect(&counter, &QTimer::timeout, [dialogs, &shown] {
        // Shown, not merely active: a question box over the dialog leaves it open.
        bool now = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<qt::TNivexForm1*>(w) && w->isVisible()) now = true;
        if (now && !shown) ++*dialogs;
        shown = now;
    });
    counter.start(5);
    script().act("abrir antes de la primera tecla",
                 [this] { form().itemAction("Abrir")->trigger(); });
    ChooseProject("ED", "1");
    // Nothing more comes: the main menu waits, with no second dialog.
    auto since = std::make_shared<qint64>(0);
    script().then(
        "menu principal",
        [this] { return script().atMainMenu() || DesktopScript::modal<qt::TNivexForm1>(); },
        [since] { *since = QDateTime::currentMSecsSinceEpoch(); });
    script().then(
        "sin segundo dialogo",
        [since] {
            return DesktopScript::modal<qt::TNivexForm1>() != nullptr ||
                   QDateTime::currentMSecsSinceEpoch() - *since > 300;
        },
        [dialogs] {
            EXPECT_EQ(DesktopScript::modal<qt::TNivexForm1>(), nullptr);
            EXPECT_EQ(*dialogs, 1);
        });

    script().choose("Configuracion General Proyecto");
    script().then(
        "configuracion", [] { return DesktopScript::modal<qt::TGenForm1>() != nullptr; },
        [] {
            auto* dialog = DesktopScript::modal<qt::TGenForm1>();
            using project::Box;
            using project::Group;
            QCheckBox* critical = dialog->checkBox(Box::Critical);
            EXPECT_TRUE(critical->isEnabled());
            dialog->radioItem(Group::Class, 6)->click();  // class 7, SWMM
            EXPECT_FALSE(critical->isEnabled());
            dialog->radioItem(Group::Class, 0)->click();  // class 1 again
            EXPECT_TRUE(critical->isEnabled());
            for (Box b :
                 {Box::FullVelocity, Box::RealVelocity, Box::Tractive, Box::Ras2016, Box::Energy})
                EXPECT_TRUE(dialog->checkBox(b)->isEnabled());
            EXPECT_TRUE(dialog->radioGroup(Group::Swmm)->isEnabled());
            EXPECT_TRUE(dialog->radioGroup(Group::Relations)->isEnabled());
            // It can be checked again, and the class change cleared the self-cleansing
            // criteria: one is chosen before accepting.
            critical->click();
            EXPECT_TRUE(critical->isChecked());
            dialog->checkBox(Box::FullVelocity)->click();
            dialog->acceptButton()->click();
        });
    AtMainMenu();
    Leave();
    ASSERT_TRUE(Run());
    EXPECT_EQ(*dialogs, 1);
}

}  // namespace
}  // namespace nivex::testing
