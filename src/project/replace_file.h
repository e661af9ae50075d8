#pragma once
// A whole-file rewrite: the new contents go to "<path>.tmp", which is renamed over the
// file only once it is complete, so the old file stays until its replacement exists.

#include <string>
#include <string_view>

namespace nivex::project {

// False with *error (UTF-8, naming the file) and no temporary file left behind.
bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* error);

}  // namespace nivex::project
