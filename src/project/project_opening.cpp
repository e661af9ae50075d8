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

    // Accepting loaded, repaired and wrote the records: the header and the criteria in
    // memory are those on disk.
    FitMenuToOpenedProject(s);
    s.console.setCaption(s.project.caption);
    return true;
}

}  // namespace nivex::project
