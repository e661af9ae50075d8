#pragma once
// A new name for the open project: record 0, the project folder and the caption follow.

#include <string>

#include "project/project.h"

namespace nivex::project {

// name: code-page bytes, cut to the 25 characters of the field. The folder code + '-' +
// old name becomes code + '-' + new name and the current folder. False with p.error set
// when record 0 could not be written; a folder that cannot be renamed, or in which
// another program works on a sector, keeps its name (the project still opens from it)
// and is reported through renamedFolder = false.
bool RenameProject(Project& p, const std::string& name, bool* renamedFolder = nullptr);

}  // namespace nivex::project
