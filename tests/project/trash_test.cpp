#include "project/trash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <unistd.h>

namespace nivex::project {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// A folder of its own holding the data home, so the user's real trash is never touched.
struct TrashRig {
    fs::path dir;
    fs::path trash;
    std::string oldData;
    bool hadData = false;

    TrashRig() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("nivex-trash-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "base");
        if (const char* old = std::getenv("XDG_DATA_HOME")) hadData = true, oldData = old;
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);  // not there yet
        trash = dir / "data" / "Trash";
    }
    ~TrashRig() {
        if (hadData)
            setenv("XDG_DATA_HOME", oldData.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        fs::remove_all(dir);
    }
};

TEST(MoveToTrash, MovesAFolderAndRecordsWhereItCameFrom) {
    TrashRig r;
    const fs::path folder = r.dir / "base" / "AB-Año Uno";
    fs::create_directory(folder);
    std::ofstream(folder / "XSDA.AB1") << "control";
    std::string error;
    ASSERT_TRUE(MoveToTrash(folder.string(), &error)) << error;
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(ReadFile(r.trash / "files" / "AB-Año Uno" / "XSDA.AB1"), "control");

    const std::string info = ReadFile(r.trash / "info" / "AB-Año Uno.trashinfo");
    const std::string path = (r.dir / "base").string() + "/AB-A%C3%B1o%20Uno";
    const std::regex layout("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=(.*)\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(info, m, layout)) << info;
    EXPECT_EQ(m[1].str(), path);
    EXPECT_TRUE(std::regex_match(m[2].str(), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)")));
}

TEST(MoveToTrash, ATakenNameGetsANumberBeforeTheExtension) {
    TrashRig r;
    const fs::path file = r.dir / "base" / "XSDA.AB1";
    std::string error;
    for (const char* content : {"first", "second"}) {
        std::ofstream(file) << content;
        ASSERT_TRUE(MoveToTrash(file.string(), &error)) << error;
    }
    EXPECT_EQ(ReadFile(r.trash / "files" / "XSDA.AB1"), "first");
    EXPECT_EQ(ReadFile(r.trash / "files" / "XSDA.2.AB1"), "second");
    EXPECT_TRUE(fs::exists(r.trash / "info" / "XSDA.2.AB1.trashinfo"));
}

TEST(MoveToTrash, AMissingItemIsReportedByName) {
    TrashRig r;
    std::string error;
    EXPECT_FALSE(MoveToTrash((r.dir / "base" / "nada").string(), &error));
    EXPECT_NE(error.find("nada"), std::string::npos);
    EXPECT_FALSE(fs::exists(r.trash / "info"));
}

}  // namespace
}  // namespace nivex::project
