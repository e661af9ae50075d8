#pragma once
// The user's trash in the freedesktop.org layout, for runs without a
// desktop (the batch tool): $XDG_DATA_HOME/Trash, by default ~/.local/share/Trash.

#include <string>

namespace nivex::project {

// Moves a file or folder into the trash with its .trashinfo, so that it can be put back.
// False with *error set (Spanish, naming the path) when it could not be moved; the item
// is then where it was.
bool MoveToTrash(const std::string& path, std::string* error);

}  // namespace nivex::project
