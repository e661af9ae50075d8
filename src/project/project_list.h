#pragma once
// Listing the projects of a base folder: the clean-up of incomplete project folders, the
// extensions of the control files, the duplicate-code check and the lines of the
// dialog's list. Reads the control files, never writes them.

#include <optional>
#include <string>
#include <vector>

#include "project/project_selection.h"
#include "shell/control_file.h"
#include "ui/desktop.h"
#include "ui/ui.h"

namespace nivex::project {

constexpr size_t kMaxListLines = 1000;

// Record 0 of a control file read straight from disk, without opening it for writing;
// false (and p untouched) when the file is missing or shorter than one record.
bool ReadHeaderOnly(const std::string& controlPath, shell::ProyectoT& p);
// The project name of record 0; empty when the file holds no whole record.
std::string ReadProjectName(const std::string& controlPath);

// Every "??-*" folder of base without "XSDA." + code + "0" or "1" goes to the
// trash, each with its warning (an error box when it could not be moved).
void TrashIncompleteFolders(const std::string& base, ui::Ui& ui, ui::Desktop& desktop);

struct FolderListing {
    std::vector<ListEntry> entries;
    std::optional<std::string> duplicateCode;  // set: the list was interrupted
};

// The list over the folders of base (which must be a folder that can be read).
FolderListing ListProjects(const std::string& base);

// The "Error de duplicacion" message.
std::string DuplicateMessage(const std::string& code, const std::string& base);

// The texts of the list lines.
std::string SectorLine(const std::string& extension, const std::string& name);
std::string TotaliserLine(const std::string& code, const std::string& name);

}  // namespace nivex::project
