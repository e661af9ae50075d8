#pragma once
// The verbs of nivex-batch as data: what each one accepts (sub-verbs, arguments, options),
// the menu item whose gate it passes, and its lines of the help. The command line is read
// against this table only, so that a verb takes exactly what its help shows.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch_context.h"

namespace nivex::cli {

// Exit codes of every verb.
constexpr int kExitDone = 0;
constexpr int kExitRefused = 1;        // refused or failed: the message says why
constexpr int kExitNotUnderstood = 2;  // the command line was not understood

// Which of the general options a verb uses.
enum class ProjectUse {
    None,      // neither --projects nor --project
    Base,      // --projects only
    Sector,    // --projects and --project, both needed
    Optional,  // --project optional (with --projects)
};

// The gate of a form that is the menu item of its listing key (list CLAVE).
constexpr std::string_view kListingGate = "CLAVE";
// The gates of the drawings: the plan once there are reaches, the profiles once designed.
constexpr std::string_view kPlanGate = "PLANO";
constexpr std::string_view kProfilesGate = "PERFILES";
constexpr int kManyOperands = 10000;

// One form of a verb: its sub-verb and what follows it.
struct VerbForm {
    std::string_view sub;       // the sub-verb ("write"); empty for none
    std::string_view operands;  // the arguments after it as the help names them
    int minOperands = 0;
    int maxOperands = 0;  // kManyOperands: no limit
    std::vector<std::string_view> options;
    std::vector<std::string_view> required;  // options that must be given
    std::vector<int> files;  // positions (after the sub-verb) of arguments naming files
    // The menu item (main key and sub-option, "XC") whose gate the verb passes; empty for
    // none; kListingGate for the item of the listing key.
    std::string_view gate;
};

struct VerbDef {
    std::string_view name;
    ProjectUse project;
    int (*run)(Batch&);
    std::vector<VerbForm> forms;
    std::string_view help;  // its lines of the general help
};

const std::vector<VerbDef>& Verbs();
const VerbDef* FindVerb(std::string_view name);

// The command line read against the table. On success `o` holds it (with file arguments
// made absolute from the current folder and the gate of the form) and *verb its verb;
// otherwise the Spanish message naming what was not understood has been printed.
bool ReadCommandLine(const std::vector<std::string>& args, Options& o, const VerbDef** verb,
                     std::ostream& err);

// The verb a command line names, for the help; nullptr when none.
const VerbDef* VerbOfLine(const std::vector<std::string>& args);

void PrintHelp(std::ostream& out);
// One verb: its help lines, then for each form the arguments, options, gate and exit codes.
void PrintVerbHelp(const VerbDef& verb, std::ostream& out);

}  // namespace nivex::cli
