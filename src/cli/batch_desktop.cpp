#include "cli/batch_desktop.h"

#include <filesystem>
#include <system_error>

#include "project/trash.h"

namespace nivex::cli {

ui::OpenResult BatchDesktop::openDocument(const std::string& path) {
    // A batch run shows no documents; it only tells whether the file is there.
    std::error_code ec;
    return std::filesystem::exists(path, ec) ? ui::OpenResult::NoProgram
                                             : ui::OpenResult::FileMissing;
}

bool BatchDesktop::moveToTrash(const std::string& path) {
    return project::MoveToTrash(path, nullptr);
}

}  // namespace nivex::cli
