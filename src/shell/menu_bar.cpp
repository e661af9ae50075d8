#include "shell/menu_bar.h"

#include "console/codepage.h"

namespace nivex::shell {
namespace {

struct ItemRow {
    const char* entry;
    const char* caption;
    char mainKey;
    char subKey;  // 0: none
    MenuAction action;
};

constexpr MenuAction K = MenuAction::InjectKeys;

// clang-format off
constexpr ItemRow kItems[] = {
    {"Archivos", "Abrir", '0', 0, MenuAction::Open},
    {"Archivos", "Recuperar Archivo Original", '1', 'M', K},
    {"Archivos", "Generar Proyecto Simulado", '1', 'P', K},
    {"Archivos", "Entrar Archivo Swmm", '1', 'Q', K},
    {"Archivos", "Entrar Red SIG", '1', 'U', K},
    {"Especificaciones", "Configuracion General Proyecto", '1', 'A', K},
    {"Especificaciones", "Maximo numero de diametros", '1', 'T', K},
    {"Especificaciones", "Diametros Comerciales a utilizar", '1', 'B', K},
    {"Especificaciones", "Pendientes Minimas", '1', 'R', K},
    {"Especificaciones", "Rangos Profundidades Excavaciones", '1', 'C', K},
    {"Especificaciones", "Anchos de Zanja", '1', 'D', K},
    {"Especificaciones", "Rangos Profundidad Pozos", '1', 'E', K},
    {"Especificaciones", "Diametro Pozos", '1', 'N', K},
    {"Especificaciones", "Especificaciones Generales", '1', 'F', K},
    {"Especificaciones", "Especificaciones Sanitarias", '1', 'G', K},
    {"Especificaciones", "Especificaciones Pluviales", '1', 'H', K},
    {"Especificaciones", "Valores Unitarios Sanitarios", '1', 'I', K},
    {"Especificaciones", "Ecuaciones Aguas Lluvias", '1', 'J', K},
    {"Especificaciones", "Hietogramas SWMM", '1', 'S', K},
    {"Especificaciones", "Ajuste Swmm", '1', 'L', K},
    {"Especificaciones", "Factor de Reduccion  Pluvial", '1', 'O', K},
    {"Especificaciones", "Datos de Construccion", '1', 'K', K},
    {"Tramos", "Tramos", '2', 'A', K},
    {"Controles", "Controles", '3', 0, K},
    {"List. Generales", "Especificaciones", '4', 'A', K},
    {"List. Generales", "Datos Generales Tramos ", '4', 'B', K},
    {"List. Generales", "Datos Especiales Tramos", '4', 'C', K},
    {"List. Generales", "Resumen de los Tramos", '4', 'D', K},
    {"List. Generales", "Relacion Ordenada Tramos", '4', 'E', K},
    {"List. Generales", "Relacion Ordenada Pozos", '4', 'F', K},
    {"Diseño", "Diseño del Proyecto", '5', 'A', K},
    {"Diseño", "Revision Diseño", '6', 'A', K},
    {"Diseño", "Listado Evolucion Diseño", '5', 'B', K},
    {"Diseño", "Listado Problemas Encontrados", '6', 'B', K},
    {"Diseño", "Listados Deficiencias Encontradas", '6', 'C', K},
    {"Diseño", "Listado Deficiencias RAS", '6', 'D', K},
    {"Diseño", "Revisar con SWMM", '6', 'F', K},
    {"List. Diseño", "Diseño Hidraulico", '7', 'C', K},
    {"List. Diseño", "Diseño Fisico", '7', 'D', K},
    {"List. Diseño", "Caudales Sanitarios", '7', 'E', K},
    {"List. Diseño", "Caudales Pluviales", '7', 'F', K},
    {"List. Diseño", "Empalmes Energia", '7', 'G', K},
    {"List. Diseño", "Pozos Iniciales Nuevos Adicionados", '7', 'H', K},
    {"List. Diseño", "Reporte SWMM", '7', 'I', K},
    {"List. Diseño", "Diseño Hidraulico para Swmm  (inundados)", '7', 'J', K},
    {"List. Diseño", "Diseño Fisico para Swmm  (inundados)", '7', 'K', K},
    {"List. Diseño", "Diseño hidraulico para Swmm", '7', 'M', K},
    {"List. Diseño", "Diseño fisico para Swmm", '7', 'N', K},
    {"Cant. Obra", "Definicion Etapas Construccion (opcional)", '8', 'A', K},
    {"Cant. Obra", "Calculo Cantidades Obra", '8', 'B', K},
    {"List. Obra", "Etapas Construccion", '9', 'A', K},
    {"List. Obra", "Cantidades de Obra", '9', 'B', K},
    {"List. Obra", "Clasificacion Tramos y Pozos", '9', 'C', K},
    {"List. Obra", "Formulario Precios Requeridos", '9', 'D', K},
    {"List. Obra", "Formulario Precios Totales", '9', 'E', K},
    {"Presupuesto", "Entrada Precios Unitarios", 'X', 'A', K},
    {"Presupuesto", "Entrada Precios Globales", 'X', 'B', K},
    {"Presupuesto", "Calculo del Presupuesto", 'X', 'C', K},
    {"List. Presupuesto", "Precios Unitarios", 'Y', 'A', K},
    {"List. Presupuesto", "Presupuesto de Obra", 'Y', 'B', K},
    {"List. Resumen", "Resumen General Proyecto", 'Z', 'A', K},
    {"List. Resumen", "Indice General Proyecto", 'Z', 'B', K},
    {"Planos", "Plano de la Red", 0, 0, MenuAction::Plan},
    {"Planos", "Perfiles Longitudinales", 0, 0, MenuAction::Profiles},
    {"Planos", "Coordenadas de Pozos", 0, 0, MenuAction::Coordinates},
    {"Planos", "Exportar GeoPackage", 0, 0, MenuAction::ExportGeoPackage},
    {"Planos", "Exportar Shapefile", 0, 0, MenuAction::ExportShapefiles},
    {"Planos", "Exportar DXF", 0, 0, MenuAction::ExportDxf},
    {"Planos", "Exportar Excel (XLSX)", 0, 0, MenuAction::ExportWorkbook},
    {"Ayuda", "Ver Manual", 0, 0, MenuAction::ViewManual},
    {"Ayuda", "Acerca de", 0, 0, MenuAction::About},
};

constexpr const char* kEntries[] = {
    "Archivos", "Especificaciones", "Tramos", "Controles", "List. Generales", "Diseño",
    "List. Diseño", "Cant. Obra", "List. Obra", "Presupuesto", "List. Presupuesto",
    "List. Resumen", "Planos", "Ayuda",
};
// clang-format on

}  // namespace

MenuBarModel::MenuBarModel() {
    for (const char* caption : kEntries) {
        MenuEntry e;
        e.caption = cp(caption);
        e.isItem = e.caption == "Tramos" || e.caption == "Controles";
        entries_.push_back(std::move(e));
    }
    for (const auto& row : kItems) {
        MenuItem item;
        item.entry = cp(row.entry);
        item.caption = cp(row.caption);
        item.mainKey = static_cast<uint8_t>(row.mainKey);
        item.subKey = static_cast<uint8_t>(row.subKey);
        item.action = row.action;
        items_.push_back(std::move(item));
    }
}

std::vector<const MenuItem*> MenuBarModel::itemsOf(std::string_view entry) const {
    std::vector<const MenuItem*> out;
    for (const auto& item : items_)
        if (item.entry == entry) out.push_back(&item);
    return out;
}

MenuEntry* MenuBarModel::findEntry(std::string_view caption) {
    for (auto& e : entries_)
        if (e.caption == caption) return &e;
    return nullptr;
}

MenuItem* MenuBarModel::findItem(std::string_view caption) {
    for (auto& i : items_)
        if (i.caption == caption) return &i;
    return nullptr;
}

const MenuItem* MenuBarModel::item(std::string_view caption) const {
    for (const auto& i : items_)
        if (i.caption == caption) return &i;
    return nullptr;
}

void MenuBarModel::notify() {
    if (onChange) onChange();
}

void MenuBarModel::setEntryEnabled(std::string_view entry, bool on) {
    if (auto* e = findEntry(entry); e && e->enabled != on) {
        e->enabled = on;
        notify();
    }
}

void MenuBarModel::setEntryVisible(std::string_view entry, bool on) {
    if (auto* e = findEntry(entry); e && e->visible != on) {
        e->visible = on;
        notify();
    }
}

void MenuBarModel::setItemEnabled(std::string_view caption, bool on) {
    if (auto* i = findItem(caption); i && i->enabled != on) {
        i->enabled = on;
        notify();
    }
}

void MenuBarModel::setItemVisible(std::string_view caption, bool on) {
    if (auto* i = findItem(caption); i && i->visible != on) {
        i->visible = on;
        notify();
    }
}

bool MenuBarModel::entryEnabled(std::string_view entry) const {
    for (const auto& e : entries_)
        if (e.caption == entry) return e.enabled;
    return false;
}

bool MenuBarModel::entryVisible(std::string_view entry) const {
    for (const auto& e : entries_)
        if (e.caption == entry) return e.visible;
    return false;
}

bool MenuBarModel::itemEnabled(std::string_view caption) const {
    const MenuItem* i = item(caption);
    return i && i->enabled;
}

bool MenuBarModel::itemVisible(std::string_view caption) const {
    const MenuItem* i = item(caption);
    return i && i->visible;
}

void MenuBarModel::disableAll() {
    for (auto& e : entries_)
        e.enabled = e.caption == "Archivos" || e.caption == "Ayuda";
    notify();
}

void MenuBarModel::enableAll() {
    for (auto& e : entries_)
        e.enabled = true;
    notify();
}

}  // namespace nivex::shell
