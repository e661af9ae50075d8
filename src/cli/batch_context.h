#pragma once
// What every verb of nivex-batch shares: the parsed command line, a session like the
// desktop program's (without its windows) and opening the project sector named on it.

#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch_desktop.h"
#include "cli/batch_progress.h"
#include "cli/batch_ui.h"
#include "console/console.h"
#include "console/screen.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace nivex::cli {

struct Options {
    std::string projects;
    std::string project;
    std::string verb;
    std::vector<std::string> operands;          // what follows the verb
    std::map<std::string, std::string> values;  // --name TEXT and the like
    // Every option with its value in the order given, repeated ones included.
    std::vector<std::pair<std::string, std::string>> ordered;
    bool yes = false;
    // The menu item whose gate the verb passes when it opens the sector ("XC"), or "".
    std::string gate;

    std::string value(const std::string& option) const {
        auto it = values.find(option);
        return it == values.end() ? std::string() : it->second;
    }
    bool has(const std::string& option) const { return values.count(option) != 0; }
};

class Batch {
  public:
    Batch(const Options& options, std::ostream& out, std::ostream& err);

    const Options& options;
    std::ostream& out;
    std::ostream& err;

    UiSwitches switches;
    BatchUi ui;
    console::Console console;
    console::Screen screen;
    BatchDesktop desktop;
    BatchProgress progress;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session;

    // Opens --project in --projects as "Aceptar" does, answering its confirmation Yes,
    // then refuses with the menu's message when the gate of the verb's item is closed.
    // create: a sector that does not exist yet may be made. 0 or the exit code.
    int OpenSector(bool create);
    // The gate of options.gate on the open sector: 0, or the exit code of the refusal.
    int Gate();
    // Prints a failure in one line and gives the exit code 1.
    int Fail(const std::string& utf8Message);
};

// The verbs, each in the file of its subject.
int VerbNew(Batch& b);
int VerbInfo(Batch& b);
int VerbListProjects(Batch& b);
int VerbRestoreBackup(Batch& b);
int VerbShow(Batch& b);
int VerbPrint(Batch& b);
int VerbList(Batch& b);
int VerbConfig(Batch& b);
int VerbCriteria(Batch& b);
int VerbSimulate(Batch& b);
int VerbReaches(Batch& b);
int VerbPozos(Batch& b);
int VerbPlano(Batch& b);
int VerbPerfiles(Batch& b);
int VerbExportar(Batch& b);
int VerbImportarSig(Batch& b);
int VerbImportSwmm(Batch& b);
int VerbControls(Batch& b);
int VerbCalc(Batch& b);
int VerbDesign(Batch& b);
int VerbAlternatives(Batch& b);
int VerbDump(Batch& b);
int VerbSwmm(Batch& b);
int VerbReview(Batch& b);
int VerbStages(Batch& b);
int VerbQuantities(Batch& b);
int VerbBudget(Batch& b);
int VerbPrices(Batch& b);
int VerbGlobals(Batch& b);

// A listing file into a PDF, or onto standard output as the viewer shows it; false when
// it failed (the message has been printed).
bool WritePdf(Batch& b, const std::string& listing, const std::string& pdf);
// Files written where the command line says, under a temporary name and renamed: whole
// or not at all. "" or the message naming the file (and saying when the disk is full).
std::string WriteOut(const std::string& path, std::string_view contents);
std::string CopyOut(const std::string& from, const std::string& to);
std::string WriteFailure(const std::string& path, int errorNumber);
bool ReadWhole(const std::string& path, std::string& contents);
bool WriteShown(Batch& b, const std::string& listing);
// The folder of the running executable, where the program's own files lie (its font).
std::string ProgramFolder();
// The value of a scale option, "1:N" (or "N"), as N; 0 after printing the refusal when it
// is not a whole N from 1 to 10 000 000.
int ScaleOf(Batch& b, const std::string& option);

}  // namespace nivex::cli
