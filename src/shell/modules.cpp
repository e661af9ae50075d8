#include "shell/modules.h"

#include <array>

#include "project/reach_backup.h"

namespace nivex::shell {
namespace {

using Module = void (*)(Session&);

// Choice 1: the specifications and the file operations of the "Archivos" menu.
void Specifications(Session& s) {
    s.switches.atMainMenu = false;
    const auto sub = s.console.takeKey();
    if (sub && *sub == 'M') project::RestoreReachBackup(s);
}

// Indexed by main choice; null where the module is not built yet.
constexpr std::array<Module, 13> kModules = {
    nullptr,         // 0: project opening, run by the main menu itself
    Specifications,  // 1
};

}  // namespace

void RunModule(Session& s, int choice) {
    if (choice < 1 || choice >= static_cast<int>(kModules.size()) || !kModules[choice]) {
        s.console.takeKey();
        return;
    }
    kModules[static_cast<size_t>(choice)](s);
}

}  // namespace nivex::shell
