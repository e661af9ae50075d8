#include "project/project.h"
#include "console/codepage.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace nivex::project {

void FileNames::Build(const std::string& folder, const std::string& extension) {
    folder_ = folder;
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    extension_ = extension;
}

std::string FileNames::path(std::string_view base) const {
    std::string name = folder_;
    name += base;
    name += extension_;
    return name;
}

std::string FileNames::backupFolder() const {
    return folder_ + "Respaldo " + extension_;
}
std::string FileNames::backupReaches() const {
    return backupFolder() + "/XDXS." + extension_;
}
std::string FileNames::backupIndex() const {
    return backupFolder() + "/XSDC." + extension_;
}

std::string Selection::subfolderPath() const {
    if (baseFolder.empty()) return subfolderName;
    if (baseFolder.back() == '/') return baseFolder + subfolderName;
    return baseFolder + '/' + subfolderName;
}

bool Project::OpenControl() {
    if (control.Open(files.control())) return true;
    error = cp(control.error());
    return false;
}

bool Project::ReadHeader() {
    if (!control.ReadRecord(0)) {
        error = cp(control.error());
        return false;
    }
    shell::Decode(control.buffer(0), header);
    return true;
}

bool Project::WriteHeader() {
    if (!shell::Encode(header, control.buffer(0))) {
        error = cp("Un valor del registro 0 no cabe en su campo de 16 bits: " + files.control());
        return false;
    }
    if (control.WriteRecord(0)) return true;
    error = cp(control.error());
    return false;
}

bool BlankText(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

bool ProjectUnnamed(const std::string& name) {
    const size_t first = name.find_first_not_of(" _");
    if (first == std::string::npos) return true;
    const std::string core = name.substr(first, name.find_last_not_of(" _") - first + 1);
    const std::string unnamed = kNewProjectName;
    if (core.size() != unnamed.size()) return false;
    for (size_t i = 0; i < core.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(core[i])) !=
            std::toupper(static_cast<unsigned char>(unnamed[i])))
            return false;
    return true;
}

bool RequiredProjectDataGiven(const shell::ProyectoT& h) {
    return !BlankText(h.Email) && !BlankText(h.Country) && !BlankText(h.Entity) &&
           !ProjectUnnamed(h.ProjectName) && !BlankText(h.ProjectDate);
}

bool Project::BackupFolderExists() const {
    std::error_code ec;
    return std::filesystem::is_directory(files.backupFolder(), ec);
}

}  // namespace nivex::project
