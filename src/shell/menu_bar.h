#pragma once
// The window's menu bar as data and as a model: its fourteen top entries, their items
// with the keys each pushes, and which of them are enabled and visible. The window
// draws it and reports clicks; the main menu's rules set it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nivex::shell {

enum class MenuAction {
    InjectKeys,        // push Esc keys as needed, then the main key and the sub key
    Open,              // "Abrir": the last accepted project's folder, then '0'
    ViewManual,        // "Ver Manual"
    About,             // "Acerca de"
    Plan,              // "Plano de la Red": the drawings' window, the plan in front
    Profiles,          // "Perfiles Longitudinales": the same window, the profile in front
    Coordinates,       // "Coordenadas de Pozos": the table of the manholes' X and Y
    ExportGeoPackage,  // "Exportar GeoPackage" and the other formats: the sector exported
    ExportShapefiles,
    ExportDxf,
    ExportWorkbook,
};

struct MenuItem {
    std::string entry;    // caption of its top entry (code-page bytes)
    std::string caption;  // code-page bytes; unique among items
    uint8_t mainKey = 0;
    uint8_t subKey = 0;  // 0: no sub-option
    MenuAction action = MenuAction::InjectKeys;
    bool enabled = true;
    bool visible = true;
};

struct MenuEntry {
    std::string caption;
    bool isItem = false;  // "Tramos" and "Controles" are items themselves
    bool enabled = true;
    bool visible = true;
};

class MenuBarModel {
  public:
    MenuBarModel();  // the table of the program, everything enabled and visible

    const std::vector<MenuEntry>& entries() const { return entries_; }
    const std::vector<MenuItem>& items() const { return items_; }
    // The items of one top entry, in order (for an entry that is an item: that item).
    std::vector<const MenuItem*> itemsOf(std::string_view entry) const;

    // Captions are code-page bytes; an unknown caption is ignored (false / nullptr).
    void setEntryEnabled(std::string_view entry, bool on);
    void setEntryVisible(std::string_view entry, bool on);
    void setItemEnabled(std::string_view caption, bool on);
    void setItemVisible(std::string_view caption, bool on);
    bool entryEnabled(std::string_view entry) const;
    bool entryVisible(std::string_view entry) const;
    bool itemEnabled(std::string_view caption) const;
    bool itemVisible(std::string_view caption) const;
    const MenuItem* item(std::string_view caption) const;

    // Every top entry but "Archivos" and "Ayuda".
    void disableAll();
    void enableAll();

    // Called after every change, so that a window can redraw the bar.
    std::function<void()> onChange;

  private:
    MenuEntry* findEntry(std::string_view caption);
    MenuItem* findItem(std::string_view caption);
    void notify();

    std::vector<MenuEntry> entries_;
    std::vector<MenuItem> items_;
};

}  // namespace nivex::shell
