#include "project/project.h"
#include "console/codepage.h"

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

bool Project::BackupFolderExists() const {
    std::error_code ec;
    return std::filesystem::is_directory(files.backupFolder(), ec);
}

}  // namespace nivex::project
