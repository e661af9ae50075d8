#pragma once
// A whole-file rewrite: the new contents go to a temporary file beside the target, whose
// name no other process can be given, and it is renamed over the target only once it is
// complete, so the old file stays until its replacement exists.

#include <functional>
#include <string>
#include <string_view>

namespace nivex::project {

// False with *error (UTF-8, naming the file) and no temporary file left behind.
bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* error);

// The message of a write that failed just now: "No se pudo escribir el archivo <path>",
// led by "El disco esta lleno: " when the system said so (errno ENOSPC or EDQUOT).
std::string WriteFailure(const std::string& path);
std::string WriteFailure(const std::string& what, const std::string& path);

// Makes a new empty file beside path, "<path>.nivex-tmp-XXXXXX", with the permissions a
// file created there would have; its name, or "" with *error (UTF-8) when it cannot be made.
// Two processes never get the same name.
std::string MakeTempFile(const std::string& path, std::string* error);

// A file another library writes by its name: `write` fills a temporary file beside path
// (given its name) and the file is renamed over path once `write` says it is complete.
// False with *error (UTF-8, naming path) and no temporary file left when either fails.
bool WriteThroughTempFile(const std::string& path,
                          const std::function<bool(const std::string& temp)>& write,
                          std::string* error);

// Whether a file name is a temporary file of a rewrite of one of the files of the sector
// with this extension ("ZSDX.AB1.nivex-tmp-a8Kd2P"), or one of the fixed "ZSDX.AB1.tmp"
// names of earlier versions.
bool IsLeftTempFile(std::string_view fileName, std::string_view extension);

// Removes the temporary files a stopped rewrite left in folder for the sector; how many.
// Only for the holder of the sector's lock: others may be writing theirs.
int RemoveLeftTempFiles(const std::string& folder, std::string_view extension);

}  // namespace nivex::project
