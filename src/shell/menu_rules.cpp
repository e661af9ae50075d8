#include "shell/menu_rules.h"

#include "console/codepage.h"

namespace nivex::shell {
namespace {

// The class-dependent items and, per design class 1..9, whether each is enabled. A class
// outside 1..9 is treated as 3.
struct ClassRow {
    const char* items[2];
    bool on[9];
};

// clang-format off
const ClassRow kClassRows[] = {
    {{"Especificaciones Sanitarias", "Valores Unitarios Sanitarios"},
     {true, true, true, false, true, true, false, true, false}},
    {{"Especificaciones Pluviales", nullptr},
     {false, false, true, true, true, true, true, true, true}},
    {{"Ecuaciones Aguas Lluvias", nullptr},
     {false, false, true, true, true, true, true, true, true}},
    {{"Factor de Reduccion  Pluvial", nullptr},
     {false, false, true, true, true, false, false, false, false}},
    {{"Hietogramas SWMM", nullptr},
     {false, false, false, false, false, false, false, true, true}},
    {{"Ajuste Swmm", nullptr},
     {false, false, false, false, false, true, true, true, true}},
    {{"Listado Deficiencias RAS", nullptr},
     {true, true, true, true, true, false, false, false, false}},
    {{"Revisar con SWMM", "Diseño Hidraulico para Swmm  (inundados)"},
     {true, true, true, true, true, true, true, true, true}},
};
// clang-format on

// Tables that sectors 2 to 9 take from sector 1.
const char* const kSectorOneTables[] = {"Diametros Comerciales a utilizar",
                                        "Rangos Profundidades Excavaciones", "Anchos de Zanja",
                                        "Rangos Profundidad Pozos", "Diametro Pozos"};

const char* const kHiddenInTotaliser[] = {
    "Especificaciones", "Tramos",       "Controles", "List. Generales",
    "Diseño",           "List. Diseño", "Planos"};

}  // namespace

void ApplyClassItems(MenuBarModel& menu, const MenuFacts& facts) {
    const int column =
        (facts.designClass >= 1 && facts.designClass <= 9) ? facts.designClass - 1 : 2;
    for (const ClassRow& row : kClassRows)
        for (const char* item : row.items)
            if (item) menu.setItemEnabled(cp(item), row.on[column]);

    menu.setItemEnabled("Empalmes Energia", facts.energyJunctionDiameter != 0);
    menu.setItemEnabled("Pendientes Minimas", facts.slopePerDiameter == 1);
    const bool ownTables = facts.sector == "0" || facts.sector == "1";
    for (const char* item : kSectorOneTables)
        menu.setItemEnabled(item, ownTables);
}

void ApplyTotaliserVisibility(MenuBarModel& menu, const MenuFacts& facts) {
    const bool totaliser = facts.sector == "0" && facts.sectors != "1";
    for (const char* entry : kHiddenInTotaliser)
        menu.setEntryVisible(cp(entry), !totaliser);
    menu.setItemEnabled("Clasificacion Tramos y Pozos", !totaliser);
}

void ApplyListingItems(MenuBarModel& menu, const MenuFacts& facts) {
    for (const char* item :
         {"Diseño Hidraulico", "Diseño Fisico", "Pozos Iniciales Nuevos Adicionados"})
        menu.setItemVisible(cp(item), true);
    const int kind = facts.systemKind;
    menu.setItemVisible("Caudales Sanitarios", kind == 1 || kind == 2 || kind == 3 || kind == 5);
    const int c = facts.designClass;
    menu.setItemVisible("Caudales Pluviales", c == 3 || c == 4 || c == 5);
}

void ApplyConstructionStageItems(MenuBarModel& menu, const MenuFacts& facts) {
    const bool single = facts.sectors == "1";
    menu.setItemEnabled("Definicion Etapas Construccion (opcional)", single);
    menu.setItemEnabled("Etapas Construccion", single);
}

void ApplyBackupItem(MenuBarModel& menu, bool backupFolderExists) {
    menu.setItemEnabled("Recuperar Archivo Original", backupFolderExists);
}

}  // namespace nivex::shell
