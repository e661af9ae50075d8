#include "project/reach_backup.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "console/codepage.h"
#include "project/replace_file.h"
#include "project/sector_lock.h"
#include "shell/menu_rules.h"

namespace nivex::project {
namespace {

namespace fs = std::filesystem;

constexpr char kLegend[] = "F9^borrar F11^recup.dato ESC^salir";
constexpr char kQuestion[] =
    "Al recuperar el archivo original se perderan las modificaciones\r\r"
    "        Desea recuperar el archivo de tramos original ?";
constexpr char kRestored[] = "Recuperado archivo original\ren la entrada de los tramos";
constexpr char kNoBackup[] = "No existe respaldo del archivo original";

std::string Named(std::string_view what, const std::string& path) {
    return std::string(what) + " el archivo " + cp(path);
}

// Copies source into a temporary file beside target, named in temp; the target itself is
// not touched yet.
bool CopyToTemp(const std::string& source, const std::string& target, std::string& temp,
                std::string* error) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        *error = Named("No se pudo leer", source);
        return false;
    }
    temp = MakeTempFile(target, error);
    if (temp.empty()) {
        *error = cp(*error);
        return false;
    }
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
        *error = Named("No se pudo crear", temp);
        std::error_code ec;
        fs::remove(temp, ec);
        return false;
    }
    char chunk[1 << 16];
    while (in && out) {
        in.read(chunk, sizeof chunk);
        out.write(chunk, in.gcount());
    }
    const bool readOk = in.eof() && !in.bad();
    out.close();
    if (readOk && out) return true;
    *error = readOk ? Named("No se pudo escribir", target) : Named("No se pudo leer", source);
    std::error_code ec;
    fs::remove(temp, ec);
    return false;
}

// Puts the two backed-up files over the reach file and its index. Both copies are made
// before either target is replaced, and the backup goes only once both are in place.
bool RestoreFiles(const FileNames& f, std::string* error) {
    const std::string sources[2] = {f.backupReaches(), f.backupIndex()};
    const std::string targets[2] = {f.reaches(), f.reachIndex()};
    std::string temps[2];
    std::error_code ec;
    auto dropTemps = [&] {
        for (const auto& t : temps)
            if (!t.empty()) fs::remove(t, ec);
    };
    for (int i = 0; i < 2; ++i) {
        if (!CopyToTemp(sources[i], targets[i], temps[i], error)) {
            dropTemps();
            return false;
        }
    }
    for (int i = 0; i < 2; ++i) {
        fs::rename(temps[i], targets[i], ec);
        if (ec) {
            *error = Named("No se pudo reemplazar", targets[i]);
            dropTemps();
            return false;
        }
        temps[i].clear();
    }
    for (const auto& s : sources)
        fs::remove(s, ec);
    fs::remove(f.backupFolder(), ec);
    return true;
}

// Opens the control file and reads record 0 when the file holds it.
bool OpenHeader(Project& p) {
    if (!p.OpenControl()) return false;
    return p.control.RecordCount() == 0 || p.ReadHeader();
}

// Record 0 is written only into an initialised file: one lone record would make the
// project look opened before with its other records missing.
bool SaveHeader(Project& p) {
    return p.control.RecordCount() == 0 || p.WriteHeader();
}

bool IsSectorExtension(std::string_view text, std::string_view code) {
    return text.size() == code.size() + 1 && text.starts_with(code) && text.back() >= '0' &&
           text.back() <= '9';
}

// The base of a name that ends in "." + code + sector digit ("SANN1" of "SANN1.AB2").
std::optional<std::string_view> BaseOf(std::string_view name, std::string_view code) {
    const size_t tail = code.size() + 2;
    if (name.size() < tail) return std::nullopt;
    const std::string_view ext = name.substr(name.size() - tail);
    if (ext.front() != '.' || !IsSectorExtension(ext.substr(1), code)) return std::nullopt;
    return name.substr(0, name.size() - tail);
}

bool IsQuantityFile(std::string_view name, std::string_view code) {
    const auto base = BaseOf(name, code);
    if (!base) return false;
    for (std::string_view start : {"SANN", "SANO", "SANA", "SANE"})
        if (base->starts_with(start)) return true;
    return false;
}

// The sector a derived file belongs to ("AB2" of "SANN1.AB2", "ZSDX.AB2Z" and "AB2").
std::string SectorOf(std::string_view name, std::string_view code) {
    const size_t size = code.size() + 1;
    if (name.size() > size && (name.back() == 'Y' || name.back() == 'Z') &&
        !IsSectorExtension(name.substr(name.size() - size), code))
        name.remove_suffix(1);
    return std::string(name.substr(name.size() - size));
}

bool IsNetworkFile(std::string_view name, std::string_view code) {
    if (IsSectorExtension(name, code)) return true;  // the design state file
    if (name.ends_with('Y') || name.ends_with('Z')) {
        const auto base = BaseOf(name.substr(0, name.size() - 1), code);
        if (base && *base == "ZSDX") return true;
    }
    const auto base = BaseOf(name, code);
    if (!base) return false;
    for (std::string_view exact : {"ZSDB", "XSDD", "XFIN", "MensEv"})
        if (*base == exact) return true;
    return base->starts_with("TrUpT");
}

}  // namespace

bool RestoreReachBackup(shell::Session& s) {
    Project& p = s.project;
    s.console.clrScr();
    s.screen.ShowLegend(kLegend);
    s.switches.endKeys = "Enter Esc";

    // Whatever the answer, the network must be checked again.
    bool ok = OpenHeader(p);
    if (ok) {
        p.header.ControlsDone = {};
        ok = SaveHeader(p);
    }
    if (ok && s.ui.askYesNo(kQuestion, "Confirmacion") == 'S') {
        if (!p.BackupFolderExists()) {
            p.header.BackupExists = 0;
            s.ui.showError(kNoBackup, "Error?");
            ok = SaveHeader(p);
        } else if (RestoreFiles(p.files, &p.error)) {
            p.header.BackupExists = 0;
            s.ui.showWarning(kRestored, "Informacion");
            p.header.DesignAlternative = 0;
            ok = SaveHeader(p);
        } else {
            ok = false;
        }
    }
    if (!ok) s.ui.showError(p.error, "Error");
    p.CloseControl();
    shell::ApplyBackupItem(s.menu, p.BackupFolderExists());
    return ok;
}

bool RestoreReachBackupSilently(shell::Session& s) {
    Project& p = s.project;
    bool ok = true;
    if (p.BackupFolderExists()) {
        ok = OpenHeader(p) && RestoreFiles(p.files, &p.error);
        if (ok) {
            p.header.BackupExists = 0;
            p.header.DesignAlternative = 0;
            ok = SaveHeader(p);
        }
        p.CloseControl();
    }
    shell::ApplyBackupItem(s.menu, p.BackupFolderExists());
    return ok;
}

void RemoveDerivedFiles(const Project& p) {
    if (p.selection.severalSectors()) return;
    const std::string code =
        p.selection.code.empty() ? p.files.extension().substr(0, 2) : p.selection.code;
    if (code.empty()) return;

    bool allControls = true;
    for (uint8_t done : p.header.ControlsDone)
        allControls = allControls && done != 0;
    const bool networkStale = !allControls;
    const bool quantitiesStale = networkStale || p.header.StageDone[2] == 0;
    if (!quantitiesStale) return;

    // Names first: removing while the folder is being read may skip entries.
    std::map<std::string, std::vector<fs::path>> doomed;  // by sector
    std::error_code ec;
    for (fs::directory_iterator it(p.files.folder(), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        const std::string name = it->path().filename().string();
        if (IsQuantityFile(name, code) || (networkStale && IsNetworkFile(name, code)))
            doomed[SectorOf(name, code)].push_back(it->path());
    }
    // The files of a sector another program works on are its own to keep or remove.
    const std::string program = p.lock.held() ? p.lock.me().program : "NIVEX";
    for (const auto& [extension, paths] : doomed) {
        FileNames names;
        names.Build(p.files.folder(), extension);
        SectorLock lock;
        const bool ours = p.lock.held() && p.lock.path() == names.lock();
        if (!ours && lock.Acquire(names.lock(), ThisProcess(program, false)) != LockResult::Taken)
            continue;
        for (const auto& path : paths)
            fs::remove(path, ec);
    }
}

}  // namespace nivex::project
