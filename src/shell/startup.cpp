#include "shell/startup.h"

#include <clocale>
#include <filesystem>
#include <system_error>

#include "console/codepage.h"

namespace nivex::shell {
namespace fs = std::filesystem;

FolderDefaults FolderDefaults::underHome(const std::string& home) {
    fs::path base(home);
    return {(base / "01 Archivos NivexPlus" / "NivexPlus").string(),
            (base / "00 Archivos Swmm").string(),
            (base / "00 Archivos Word de NivexPlus").string()};
}

std::string MainCaption() {
    return std::string(kCaptionPrefix) + kVersionText;
}

namespace {

bool enter(const std::string& folder) {
    std::error_code ec;
    fs::current_path(folder, ec);
    return !ec;
}

bool ensureFolder(const std::string& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

// A stored check value that differs from the default throws the whole settings key away,
// so that a folder picked for one run never outlives it.
void checkFolderValue(ui::SettingsStore& settings, const char* name, const std::string& value) {
    std::string stored = settings.read(kSettingsKey, name);
    if (!stored.empty() && stored != value) settings.deleteAll(kSettingsKey);
    if (stored.empty()) settings.write(kSettingsKey, name, value);
}

}  // namespace

std::optional<std::string> ResolveFolders(ui::SettingsStore& settings,
                                          const FolderDefaults& defaults,
                                          const std::string& programFiles, Folders& folders) {
    // Project folder.
    std::string project = settings.read(kSettingsKey, "sProyDir");
    bool entered = !project.empty() && enter(project);
    const std::string oldDefault = programFiles + "/NivexPlus";
    if (project.empty() || (!programFiles.empty() && project == oldDefault)) {
        project = defaults.project;
        settings.write(kSettingsKey, "sProyDir", project);
        // A first run makes the default folder, as it does the SWMM and word folders.
        entered = ensureFolder(project) && enter(project);
    }
    if (!entered) {
        project = folders.start;
        settings.write(kSettingsKey, "sProyDir", project);
        enter(project);
    }
    folders.project = project;

    // SWMM and word folders: always the defaults for the run.
    folders.swmm = defaults.swmm;
    if (!ensureFolder(folders.swmm))
        return "No se puede crear la carpeta " + folders.swmm + "\rNo se puede continuar";
    checkFolderValue(settings, "sSWMMdir", folders.swmm);

    folders.word = defaults.word;
    if (!ensureFolder(folders.word))
        return "No se puede crear la carpeta " + folders.word + "\rNo se puede continuar";
    checkFolderValue(settings, "sWordDir", folders.word);
    return std::nullopt;
}

bool StartUp(Session& s, const FolderDefaults& defaults, const std::string& programFiles) {
    // Numbers always use '.' whatever the user's locale says.
    std::setlocale(LC_NUMERIC, "C");
    s.switches.beepSilenced = true;

    // Nothing but "Archivos" and "Ayuda" may be chosen before a project is open, not even
    // while the first key is awaited.
    s.menu.disableAll();
    s.console.readKey();  // the first key or click is discarded
    // A menu choice made instead pushed its keys behind it: the project dialog that
    // opens next is what "Abrir" asked for, and the keys would open it a second time.
    s.console.clearKeys();
    s.switches.menuKeyAccepted = false;

    std::error_code ec;
    if (s.folders.start.empty()) s.folders.start = fs::current_path(ec).string();
    if (auto error = ResolveFolders(s.settings, defaults, programFiles, s.folders)) {
        s.ui.showError(cp(*error), "Error Fatal");
        return false;
    }

    s.screen.OpenWindow('W', 1, 1, 1, "", 2, 27, 82);
    s.console.clrScr();
    s.menu.disableAll();

    const std::string font = (fs::path(s.folders.program) / kFontFileName).string();
    if (!fs::exists(font, ec) || !s.desktop.registerListingFont(font)) {
        s.ui.showError(
            "Falta el archivo Nivex.TTF\rDebe estar en el mismo Directorio del programa "
            "Nivex.exe\r\rError grave de Instalacion. REINSTALE EL PROGRAMA",
            "Error Fatal");
        return false;
    }
    return true;
}

}  // namespace nivex::shell
