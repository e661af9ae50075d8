#include "specs/criteria_module.h"

#include <algorithm>

#include <array>
#include <vector>

#include "console/codepage.h"
#include "console/console.h"
#include "network/simulated_project.h"
#include "project/configuration.h"
#include "project/project_opening.h"
#include "project/reach_backup.h"
#include "shell/menu_rules.h"
#include "specs/criteria_screens.h"
#include "specs/criteria_store.h"
#include "swmm/model_import.h"

namespace nivex::specs {
namespace {

// What a change on a screen invalidates.
enum Clears : unsigned {
    kControlA = 1u << 0,
    kControlB = 1u << 1,
    kStage2 = 1u << 2,         // the design
    kStage3 = 1u << 3,         // quantities
    kStage4 = 1u << 4,         // budget
    kDiameterState = 1u << 5,  // design-state byte 252
};
constexpr unsigned kStages2to4 = kStage2 | kStage3 | kStage4;
constexpr unsigned kStages3and4 = kStage3 | kStage4;

struct ScreenDef {
    uint8_t letter;
    void (*run)(shell::Session&);
    std::vector<int> records;  // besides record 0, always written
    unsigned clears;
};

const std::vector<ScreenDef>& Screens() {
    static const std::vector<ScreenDef> screens = {
        {'T', ScreenMaxDiameters, {1}, kControlA | kStages3and4},
        {'B', ScreenDiameters, {3, 5}, kControlA | kControlB | kStages2to4 | kDiameterState},
        {'R', ScreenMinimumSlopes, {3, 5}, kControlA | kControlB | kStages2to4},
        {'C', ScreenExcavationRanges, {5}, kControlA | kStages3and4},
        {'D', ScreenTrenchWidths, {5}, kControlA | kStages3and4},
        {'E', ScreenManholeRanges, {5}, kControlA | kStages3and4},
        {'N', ScreenManholeDiameters, {5}, kControlA | kStages3and4},
        {'F', ScreenGeneral, {2}, kControlA | kControlB | kStages2to4},
        {'G', ScreenSanitary, {}, kControlA | kControlB | kStages2to4},
        {'H', ScreenStorm, {}, kControlA | kControlB | kStages2to4},
        {'I', ScreenSanitaryUnits, {2}, kControlA | kControlB | kStages2to4},
        {'J', ScreenRainEquations, {4}, kControlA | kControlB | kStages2to4},
        {'S', ScreenHyetographs, {2}, kControlA | kControlB | kStages2to4},
        {'L', ScreenSwmmAdjustment, {3}, kControlA | kStages3and4},
        {'O', ScreenReductionFactors, {3}, kControlA | kStages3and4},
        {'K', ScreenConstruction, {1}, kControlA | kStages3and4},
    };
    return screens;
}

const ScreenDef* FindScreen(uint8_t letter) {
    for (const ScreenDef& d : Screens())
        if (d.letter == letter) return &d;
    return nullptr;
}

}  // namespace

std::array<codec::Bytes, 6> Snapshot(const project::Project& p) {
    std::array<codec::Bytes, 6> records;
    for (int k = 0; k < 6; ++k) {
        records[k] = codec::Bytes(shell::kControlRecordSize, 0);
        if (k == 0) shell::Encode(p.header, records[k]);
        Encode(k, p.espec, records[k]);
    }
    return records;
}

namespace {

void ApplyClears(shell::ProyectoT& h, unsigned clears) {
    if (clears & kControlA) h.ControlsDone[0] = 0;
    if (clears & kControlB) h.ControlsDone[1] = 0;
    if (clears & kStage2) h.StageDone[1] = 0;
    if (clears & kStage3) h.StageDone[2] = 0;
    if (clears & kStage4) h.StageDone[3] = 0;
    if (clears & kDiameterState) h.DiameterTableValid = 0;
    h.CriteriaValid = 0;  // every saved change invalidates the alternatives
}

bool Report(shell::Session& s, const std::string& error) {
    s.ui.showError(cp(error), "Error");
    return false;
}

}  // namespace

bool SaveScreenChange(project::Project& p, uint8_t letter) {
    return SaveScreenChanges(p, std::vector<uint8_t>{letter});
}

bool SaveScreenChanges(project::Project& p, const std::vector<uint8_t>& letters) {
    std::vector<int> records;
    bool any = false;
    for (uint8_t letter : letters) {
        const ScreenDef* def = FindScreen(letter);
        if (!def) continue;
        any = true;
        ApplyClears(p.header, def->clears);
        // The diameter table's copy, slopes and sections follow the new table.
        const std::vector<int> own =
            letter == 'B' ? AfterDiameterTableSaved(p.espec) : def->records;
        records.insert(records.end(), own.begin(), own.end());
    }
    if (!any) return true;
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return SaveRecords(p.control, p.header, p.espec, records);
}

bool SetChanged(const project::Project& p, const std::array<codec::Bytes, 6>& before) {
    return Snapshot(p) != before;
}

bool RunCriteriaScreen(shell::Session& s, uint8_t letter) {
    const ScreenDef* def = FindScreen(letter);
    if (!def) return true;
    project::Project& p = s.project;
    if (!p.OpenControl()) return Report(s, toUtf8(p.error));
    std::string error;
    if (!LoadDesignCriteria(p.control, p.header, p.espec, &error)) {
        p.CloseControl();
        return Report(s, error);
    }
    const auto before = Snapshot(p);
    const auto save = [&] {
        const bool saved = !SetChanged(p, before) || SaveScreenChange(p, letter);
        if (!saved) Report(s, p.control.error());
        p.CloseControl();
        return saved;
    };
    try {
        def->run(s);
    } catch (const console::ProgramExit&) {
        save();  // leaving the program from the screen keeps every value it took
        throw;
    }
    const bool ok = save();
    shell::ApplyClassItems(s.menu, project::MenuFactsOf(p));
    shell::ApplyListingItems(s.menu, project::MenuFactsOf(p));
    return ok;
}

void RunDesignCriteria(shell::Session& s) {
    s.switches.atMainMenu = false;
    const auto sub = s.console.takeKey();
    if (!sub) return;
    switch (*sub) {
        case 'A':
            if (s.configDialog) {
                project::Configuration configuration(s);
                s.configDialog->run(configuration);
            }
            return;
        case 'M':
            project::RestoreReachBackup(s);
            return;
        case 'P':
            network::RunSimulatedProject(s);
            return;
        case 'Q':
            swmm::RunSwmmImport(s);
            return;
        case 'U':
            if (s.exchange)
                s.exchange->importGis();
            else
                s.ui.showError(cp("No hay un dialogo para elegir la red SIG en esta version."),
                               "Error");
            return;
        default:
            RunCriteriaScreen(s, *sub);
            return;
    }
}

}  // namespace nivex::specs
