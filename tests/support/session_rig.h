#pragma once
// A session over the scripted console, for the tests of screens and listings.

#include "console/screen.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "support/scripted.h"
#include "ui/settings_store.h"

namespace nivex::testing {

struct SessionRig {
    ConsoleRig rig;
    console::Screen screen{rig.console};
    NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
};

}  // namespace nivex::testing
