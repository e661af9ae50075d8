#include "project/project_opening.h"

#include "project/project_selection.h"

namespace nivex::project {
shell::MenuFacts MenuFactsOf(const Project& p) {
    shell::MenuFacts facts;
    facts.designClass = p.header.DesignClass;
    facts.slopePerDiameter = p.header.SlopePerDiameter;
    facts.sector = p.selection.sector;
    facts.sectors = p.selection.sectors;
    facts.backupFolderExists = p.BackupFolderExists();
    facts.systemKind = p.espec.SystemKind;
    facts.energyJunctionDiameter = p.espec.EnergyJunctionDiameter;
    return facts;
}

void FitMenuToOpenedProject(shell::Session& s) {
    const shell::MenuFacts facts = MenuFactsOf(s.project);
    shell::ApplyListingItems(s.menu, facts);
    shell::ApplyConstructionStageItems(s.menu, facts);
    shell::ApplyBackupItem(s.menu, facts.backupFolderExists);
    s.menu.enableAll();
    shell::ApplyTotaliserVisibility(s.menu, facts);
}

bool OpenProject(shell::Session& s) {
    if (!s.projectDialog) return false;
    ProjectSelection selection(s, s.project);
    if (!s.projectDialog->run(selection)) return false;

    // The dialog read and repaired the records; take record 0 as it now stands.
    Project& p = s.project;
    if (p.OpenControl()) {
        if (p.control.RecordCount() >= 1) p.ReadHeader();
        p.CloseControl();
    }
    FitMenuToOpenedProject(s);
    s.console.setCaption(p.caption);
    return true;
}

}  // namespace nivex::project
