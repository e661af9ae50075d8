#include "qt/project_tour.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <memory>

#include "console/codepage.h"
#include "console/keys.h"
#include "qt/alternatives_dialog.h"
#include "qt/config_dialog.h"
#include "qt/identification_dialog.h"
#include "qt/listing_viewer.h"
#include "qt/project_dialog.h"

namespace nivex::qt {
namespace {

// Types a text into a field of a dialog as the user does.
void typeInto(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    Q_EMIT edit->textEdited(text);
}

QAbstractButton* buttonOf(QWidget* window, const QString& caption) {
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->text().remove(QLatin1Char('&')) == caption) return b;
    return nullptr;
}

}  // namespace

std::vector<std::string> ListingMenuItems() {
    return {"Especificaciones",
            "Datos Generales Tramos ",
            "Datos Especiales Tramos",
            "Resumen de los Tramos",
            "Relacion Ordenada Tramos",
            "Relacion Ordenada Pozos",
            "Listado Evolucion Diseño",
            "Listado Problemas Encontrados",
            "Listados Deficiencias Encontradas",
            "Listado Deficiencias RAS",
            "Diseño Hidraulico",
            "Diseño Fisico",
            "Caudales Sanitarios",
            "Caudales Pluviales",
            "Empalmes Energia",
            "Pozos Iniciales Nuevos Adicionados",
            "Reporte SWMM",
            "Etapas Construccion",
            "Cantidades de Obra",
            "Clasificacion Tramos y Pozos",
            "Formulario Precios Requeridos",
            "Formulario Precios Totales",
            "Precios Unitarios",
            "Presupuesto de Obra",
            "Indice General Proyecto"};
}

void ProjectTour::addListing(DesktopScript& script, const std::string& item) {
    // 0: not chosen yet, 1: chosen, 2: not offered for this project, 3: shown or answered.
    auto state = std::make_shared<int>(0);
    script.repeatUntil(
        "listado \"" + item + "\"",
        [&script, state] {
            return *state == 2 ||
                   (*state == 3 && script.waitsForKey() && !script.screenShows("Desde Hoja"));
        },
        [this, &script, item, state] {
            if (*state == 0) {
                if (!script.waitsForKey()) return;
                QAction* action = script.program().form().itemAction(cp(item));
                if (!action || !action->isEnabled() || !action->isVisible()) {
                    *state = 2;
                    if (listingSkipped) listingSkipped(item);
                    return;
                }
                *state = 1;
                action->trigger();
                return;
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* viewer = qobject_cast<TViewForm*>(modal)) {
                if (listingShown) listingShown(item, viewer->text()->toPlainText());
                *state = 3;
                viewer->closeButton()->click();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (boxAnswered) boxAnswered(box->windowTitle(), box->text());
                *state = 3;
                QAbstractButton* b = box->button(QMessageBox::Yes);
                if (!b) b = box->button(QMessageBox::Ok);
                if (b) b->click();
            } else if (auto* identification = qobject_cast<TFormIdentif*>(modal)) {
                if (QAbstractButton* yes = buttonOf(identification, QStringLiteral("SI")))
                    yes->click();
            } else if (!modal && script.screenShows("Desde Hoja")) {
                script.key(key::AltZ);
            } else if (!modal && script.screenShows("LISTADOS OPCIONALES")) {
                script.key(key::Enter);  // the optional parts of the index as offered
            }
        });
}

void ProjectTour::addTo(DesktopScript& script) {
    auto shoot = [this](const std::string& name, QWidget* shown) {
        if (picture && shown) picture(name, *shown);
    };
    auto answer = [this, &script](const char* containing, QMessageBox::StandardButton button) {
        script.then(
            std::string("mensaje \"") + containing + "\"",
            [containing] { return DesktopScript::box(containing) != nullptr; },
            [this, containing, button] {
                QMessageBox* b = DesktopScript::box(containing);
                if (!b) return;
                if (boxAnswered) boxAnswered(b->windowTitle(), b->text());
                if (QAbstractButton* pressed = b->button(button)) pressed->click();
            });
    };
    TForm1& form = script.program().form();

    // The first key of the run is discarded; then the project dialog.
    script.act("primera tecla", [&script] { script.key(key::Enter); });
    script.then(
        "dialogo de proyecto", [] { return DesktopScript::modal<TNivexForm1>() != nullptr; },
        [shoot] {
            auto* dialog = DesktopScript::modal<TNivexForm1>();
            typeInto(dialog->codeField(), QStringLiteral("ED"));
            typeInto(dialog->sectorField(), QStringLiteral("1"));
            typeInto(dialog->countField(), QStringLiteral("1"));
            shoot("proyecto", dialog);
            dialog->acceptButton()->click();
        });
    answer("Sector# 1", QMessageBox::Yes);

    script.choose("Configuracion General Proyecto");
    script.then(
        "configuracion", [] { return DesktopScript::modal<TGenForm1>() != nullptr; },
        [shoot] {
            auto* dialog = DesktopScript::modal<TGenForm1>();
            using project::Text;
            typeInto(dialog->textField(Text::Consultant), QStringLiteral("Ing. Laura Gómez"));
            typeInto(dialog->textField(Text::Email), QStringLiteral("laura.gomez@ejemplo.co"));
            typeInto(dialog->textField(Text::Country), QStringLiteral("Colombia"));
            typeInto(dialog->textField(Text::Entity),
                     QStringLiteral("Empresas Públicas del Municipio"));
            typeInto(dialog->textField(Text::Project),
                     QStringLiteral("Alcantarillado sanitario La Esperanza"));
            typeInto(dialog->textField(Text::Date), QStringLiteral("10/12/26"));
            dialog->radioItem(project::Group::Topology, 2)->click();  // manual and automatic
            shoot("configuracion", dialog);
            dialog->acceptButton()->click();
        });

    script.choose("Generar Proyecto Simulado");
    answer("simulado ?", QMessageBox::Yes);
    script.whenShown("SIMULACION DE PROYECTOS",
                     [&script] { script.type("4\n3\n80\n0.8\n2600\n"); });
    answer("simulado realizada", QMessageBox::Ok);
    script.then(
        "menu principal", [&script] { return script.atMainMenu(); },
        [shoot, &form] { shoot("menu", &form); });

    script.choose("Especificaciones Generales");
    script.whenShown("Profundidad minima a clave", [shoot, &script, &form] {
        shoot("especificaciones", &form);
        script.key(key::Esc);
    });

    // The length of the last reach typed again and saved: the network is the user's own
    // from then on, and the design may choose its topology.
    script.choose("Tramos");
    answer("cambiara de simulado a normal", QMessageBox::Ok);
    script.whenShown("LINEA # :", [shoot, &script, &form] {
        shoot("tramos", &form);
        script.type("\n\n\n\n80\n");
        script.key(key::F1 + 3);  // F4: save
    });
    script.act("salir de tramos", [&script] { script.key(key::Esc); });

    // The four controls in their order; the last two ask first.
    script.choose("Controles");
    const char* passed[] = {"Especificaciones completas", "informacion de los tramos esta completa",
                            "nomenclatura y cotas esta completa",
                            "ordenamiento hidraulico esta correcto"};
    for (int k = 0; k < 4; ++k) {
        script.whenShown("Seleccione opcion entre [A] y [D]",
                         [&script] { script.key(key::Enter); });
        if (k >= 2) answer("Desea realizar la verificacion", QMessageBox::Yes);
        script.whenShown(passed[k], [&script] { script.key(key::Enter); });
    }
    script.whenShown("Todas las revisiones estan correctas", [shoot, &script, &form] {
        shoot("controles", &form);
        script.key(key::Esc);
    });

    script.choose("Diseño del Proyecto");
    script.then(
        "alternativas", [] { return DesktopScript::modal<TFormCostos>() != nullptr; },
        [shoot] {
            auto* dialog = DesktopScript::modal<TFormCostos>();
            shoot("alternativas", dialog);
            dialog->acceptButton()->click();
        });
    script.whenShown("Desea ignorar las restricciones", [&script] { script.key(key::AltZ); });
    script.whenShown("Para finalizar el diseño oprima", [shoot, &script, &form] {
        shoot("diseno", &form);
        script.key(key::Enter);
    });

    addListing(script, "Revision Diseño");
    script.choose("Revisar con SWMM");
    answer("Desea correr SWMM", QMessageBox::Yes);
    answer("Revision con SWMM terminada", QMessageBox::Ok);

    script.choose("Diseño Hidraulico");
    script.whenShown("Desde Hoja", [&script] { script.key(key::AltZ); });
    script.then(
        "visor", [] { return DesktopScript::modal<TViewForm>() != nullptr; },
        [this, shoot] {
            auto* viewer = DesktopScript::modal<TViewForm>();
            shoot("listado", viewer);
            if (listingShown) listingShown("Diseño Hidraulico", viewer->text()->toPlainText());
            viewer->closeButton()->click();
        });

    script.choose("Calculo Cantidades Obra");
    answer("Realizado el Calculo de Cantidades de Obra", QMessageBox::Ok);

    // The indispensable prices, one after the other with F2, up to the chapter of the
    // removed reaches, which this network has none of.
    script.choose("Entrada Precios Unitarios");
    script.whenShown("ENTRADA DE PRECIOS UNITARIOS", [&script] { script.key(key::F1 + 1); });
    auto pictured = std::make_shared<bool>(false);
    script.repeatUntil(
        "precios", [&script] { return script.screenShows("CAPITULO #8"); },
        [shoot, &script, &form, pictured] {
            if (!*pictured && script.screenShows("CAPITULO #3")) {
                shoot("presupuesto", &form);
                *pictured = true;
            }
            script.type("125000");
            script.key(key::F1 + 1);
        });
    script.act("fin de precios", [&script] { script.key(key::Esc); });
    script.choose("Calculo del Presupuesto");
    answer("Realizado el Calculo del Presupuesto", QMessageBox::Ok);

    script.choose("Resumen General Proyecto");
    script.then(
        "identificacion", [] { return DesktopScript::modal<TFormIdentif>() != nullptr; },
        [shoot] {
            auto* dialog = DesktopScript::modal<TFormIdentif>();
            if (auto* edit = dialog->findChild<QLineEdit*>())
                typeInto(edit, QStringLiteral("Diseño definitivo - revisión 1"));
            shoot("resumen", dialog);
            if (QAbstractButton* yes = buttonOf(dialog, QStringLiteral("SI"))) yes->click();
        });
    script.then(
        "resumen", [] { return DesktopScript::modal<TViewForm>() != nullptr; },
        [this] {
            auto* viewer = DesktopScript::modal<TViewForm>();
            if (listingShown)
                listingShown("Resumen General Proyecto", viewer->text()->toPlainText());
            viewer->closeButton()->click();
        });

    if (beforeLeaving) {
        script.then("menu principal", [&script] { return script.waitsForKey(); }, {});
        beforeLeaving(script);
    }

    script.then("salir", [&script] { return script.waitsForKey(); }, [&form] { form.close(); });
    answer("Desea abandonar ahora", QMessageBox::Yes);
}

}  // namespace nivex::qt
