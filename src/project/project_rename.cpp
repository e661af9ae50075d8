#include "project/project_rename.h"

#include <filesystem>
#include <system_error>

#include "console/codepage.h"
#include "project/sector_lock.h"

namespace nivex::project {
namespace {

constexpr size_t kNameLength = 25;

// The folder name of a project: a '/' in the name cannot be part of it.
std::string FolderName(const std::string& code, const std::string& name) {
    std::string folder = code + "-" + toUtf8(name);
    for (char& c : folder)
        if (c == '/') c = '-';
    return folder;
}

// Captions begin with the project name.
std::string Renamed(const std::string& caption, const std::string& oldName,
                    const std::string& newName) {
    if (caption.compare(0, oldName.size(), oldName) != 0) return caption;
    return newName + caption.substr(oldName.size());
}

}  // namespace

bool RenameProject(Project& p, const std::string& name, bool* renamedFolder) {
    const std::string newName = name.substr(0, kNameLength);
    if (renamedFolder) *renamedFolder = false;

    if (!p.OpenControl()) return false;
    if (p.control.RecordCount() < 1 || !p.ReadHeader()) {
        p.error = cp("No se pudo leer el registro 0 del archivo " + p.files.control());
        p.CloseControl();
        return false;
    }
    const std::string oldName = p.header.ProjectName;
    p.header.ProjectName = newName;
    const bool written = p.WriteHeader();
    p.CloseControl();
    if (!written) {
        p.header.ProjectName = oldName;
        return false;
    }
    p.baseCaption = Renamed(p.baseCaption, oldName, newName);
    p.caption = Renamed(p.caption, oldName, newName);

    Selection& s = p.selection;
    const std::string folder = FolderName(s.code, newName);
    if (folder == s.subfolderName) {
        if (renamedFolder) *renamedFolder = true;
        return true;
    }
    std::error_code ec;
    const std::filesystem::path base(s.baseFolder);
    if (std::filesystem::exists(base / folder, ec)) return true;  // keep the old folder
    // Another program working on a sector of the project keeps the folder where it is.
    if (FolderHasLiveLock((base / s.subfolderName).string(), p.lock.path())) return true;
    std::filesystem::rename(base / s.subfolderName, base / folder, ec);
    if (ec) return true;
    s.subfolderName = folder;
    p.files.Build(s.subfolderPath(), s.extension);
    p.lock.Moved(p.files.lock());
    std::filesystem::current_path(s.subfolderPath(), ec);
    if (renamedFolder) *renamedFolder = true;
    return true;
}

}  // namespace nivex::project
