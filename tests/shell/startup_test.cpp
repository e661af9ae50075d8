#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/settings_store.h"

namespace nivex::shell {
namespace {
namespace fs = std::filesystem;

// A home folder of its own for each test, and the process's folder put back afterwards.
class FoldersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = fs::current_path();
        home_ = fs::temp_directory_path() /
                (std::string("nivex-home-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_ / "start");
        defaults_ = FolderDefaults::underHome(home_.string());
        folders_.start = (home_ / "start").string();
    }
    void TearDown() override {
        fs::current_path(saved_);
        fs::remove_all(home_);
    }
    std::string current() const { return fs::current_path().string(); }

    fs::path saved_, home_;
    FolderDefaults defaults_;
    Folders folders_;
    ui::MemorySettings settings_;
};

TEST_F(FoldersTest, EmptyStoreMakesTheDefaultFolders) {
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, "", folders_));
    EXPECT_EQ(folders_.project, defaults_.project);
    EXPECT_EQ(current(), fs::canonical(defaults_.project).string());
    EXPECT_EQ(settings_.read(kSettingsKey, "sProyDir"), defaults_.project);
    EXPECT_EQ(settings_.read(kSettingsKey, "sSWMMdir"), defaults_.swmm);
    EXPECT_EQ(settings_.read(kSettingsKey, "sWordDir"), defaults_.word);
    EXPECT_TRUE(fs::is_directory(defaults_.swmm));
    EXPECT_TRUE(fs::is_directory(defaults_.word));
}

TEST_F(FoldersTest, DefaultProjectFolderThatCannotBeMadeFallsBackToTheStartFolder) {
    // A file stands where the folder would go.
    fs::create_directories(fs::path(defaults_.project).parent_path());
    std::ofstream(defaults_.project) << "x";
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, "", folders_));
    EXPECT_EQ(folders_.project, folders_.start);
    EXPECT_EQ(current(), folders_.start);
    EXPECT_EQ(settings_.read(kSettingsKey, "sProyDir"), folders_.start);
}

TEST_F(FoldersTest, EmptyStoreWithTheDefaultProjectFolderUsesIt) {
    fs::create_directories(defaults_.project);
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, "", folders_));
    EXPECT_EQ(folders_.project, defaults_.project);
    EXPECT_EQ(current(), fs::canonical(defaults_.project).string());
    EXPECT_EQ(settings_.read(kSettingsKey, "sProyDir"), defaults_.project);
}

TEST_F(FoldersTest, StoredProjectFolderIsEnteredAndKept) {
    fs::path mine = home_ / "mis proyectos";
    fs::create_directories(mine);
    settings_.write(kSettingsKey, "sProyDir", mine.string());
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, "", folders_));
    EXPECT_EQ(folders_.project, mine.string());
    EXPECT_EQ(settings_.read(kSettingsKey, "SPROYDIR"), mine.string());
}

TEST_F(FoldersTest, StoredProjectFolderThatCannotBeEnteredIsReplacedByTheStartFolder) {
    settings_.write(kSettingsKey, "sProyDir", (home_ / "no existe").string());
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, "", folders_));
    EXPECT_EQ(folders_.project, folders_.start);
    EXPECT_EQ(settings_.read(kSettingsKey, "sProyDir"), folders_.start);
}

TEST_F(FoldersTest, OldProgramFilesDefaultIsReplacedButNotItsOtherSpelling) {
    fs::create_directories(defaults_.project);
    const std::string programFiles = (home_ / "Program Files").string();
    fs::create_directories(programFiles + "/NivexPlus");
    fs::create_directories(programFiles + "/NIVEXPLUS");

    settings_.write(kSettingsKey, "sProyDir", programFiles + "/NivexPlus");
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, programFiles, folders_));
    EXPECT_EQ(folders_.project, defaults_.project);

    settings_.write(kSettingsKey, "sProyDir", programFiles + "/NIVEXPLUS");
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, programFiles, folders_));
    EXPECT_EQ(folders_.project, programFiles + "/NIVEXPLUS");
}

TEST_F(FoldersTest, AnotherSwmmFolderStoredDeletesTheWholeKey) {
    fs::path mine = home_ / "mis proyectos";
    fs::create_directories(mine);
    settings_.write(kSettingsKey, "sProyDir", mine.string());
    settings_.write(kSettingsKey, "sSwmmDir", (home_ / "otra").string());  // any letter case
    ASSERT_FALSE(ResolveFolders(settings_, defaults_, "", folders_));
    // The run still uses the default SWMM folder and the project folder it entered...
    EXPECT_EQ(folders_.swmm, defaults_.swmm);
    EXPECT_EQ(folders_.project, mine.string());
    // ...but the stored project folder is gone, so the next start falls back to the default.
    EXPECT_EQ(settings_.read(kSettingsKey, "sProyDir"), "");
    EXPECT_EQ(settings_.read(kSettingsKey, "sSWMMdir"), "");
    EXPECT_EQ(settings_.read(kSettingsKey, "sWordDir"), defaults_.word);
}

TEST_F(FoldersTest, DefaultFolderThatCannotBeCreatedIsReported) {
    // A file where the SWMM folder should be.
    fs::create_directories(home_);
    {
        std::ofstream(defaults_.swmm) << "x";
    }
    auto error = ResolveFolders(settings_, defaults_, "", folders_);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("00 Archivos Swmm"), std::string::npos);
}

TEST(MainCaption, ShowsTheVersion) {
    EXPECT_EQ(MainCaption(), "NIVEX - VERSION: 20.12");
}

}  // namespace
}  // namespace nivex::shell
