#include "shell/project_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>

#include "shell/control_file.h"

namespace nivex::testing {

TempFolder::TempFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    path = std::filesystem::temp_directory_path() /
           ("nivex-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous, ec);
    std::filesystem::remove_all(path, ec);
}

void WriteControlFile(const std::string& path, const shell::ProyectoT& header) {
    shell::ControlFile file;
    ASSERT_TRUE(file.Open(path)) << file.error();
    file.ClearBuffers();
    ASSERT_TRUE(shell::Encode(header, file.buffer(0)));
    for (int k = 0; k < shell::kControlRecords; ++k)
        ASSERT_TRUE(file.WriteRecord(k)) << file.error();
}

AcceptingDialog::AcceptingDialog(project::Project& target, const std::string& folder,
                                 std::string extension, std::string sectors)
    : target_(target),
      folder_(folder),
      extension_(std::move(extension)),
      sectors_(std::move(sectors)) {}

bool AcceptingDialog::run(project::ProjectSelection&) {
    ++runs;
    if (!accept) return false;
    project::Selection& s = target_.selection;
    s.code = extension_.substr(0, 2);
    s.sector = extension_.substr(2, 1);
    s.sectors = sectors_;
    s.sectorNumber = s.sector[0] - '0';
    s.sectorCount = sectors_[0] - '0';
    s.extension = extension_;
    s.baseFolder = folder_;
    s.subfolderName = ".";
    s.accepted = true;
    target_.files.Build(folder_, extension_);
    WriteControlFile(target_.files.control(), header);
    target_.caption = "Prueba";
    return true;
}

}  // namespace nivex::testing
