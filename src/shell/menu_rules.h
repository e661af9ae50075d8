#pragma once
// The rules that fit the window's menu bar to the open project.

#include <string>

#include "shell/menu_bar.h"

namespace nivex::shell {

// What the rules look at.
struct MenuFacts {
    int designClass = 0;               // 1..9
    int systemKind = 0;                // contribution type 1..5 (record 0 offset 26)
    float energyJunctionDiameter = 0;  // record 0 offset 86; 0: no energy junctions
    int slopePerDiameter = 2;          // 1 on
    std::string sector;                // sector digit
    std::string sectors;               // number of sectors
    bool backupFolderExists = false;
};

// Items that depend on the design class, the energy junctions, the slope switch and
// the sector.
void ApplyClassItems(MenuBarModel& menu, const MenuFacts& facts);
// The totaliser of a project with sectors shows only the entries it can use.
void ApplyTotaliserVisibility(MenuBarModel& menu, const MenuFacts& facts);
void ApplyListingItems(MenuBarModel& menu, const MenuFacts& facts);
void ApplyConstructionStageItems(MenuBarModel& menu, const MenuFacts& facts);
// "Recuperar Archivo Original" only when the backup folder exists.
void ApplyBackupItem(MenuBarModel& menu, bool backupFolderExists);

}  // namespace nivex::shell
