// Whole-file rewrites through temporary files of their own: names nobody else is given,
// the leftovers of a stopped rewrite recognised by their names, and two processes that
// rewrite one file at once.

#include "project/replace_file.h"

#include <cerrno>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "network/record_file.h"

namespace nivex::project {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TempFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("nivex-replace-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string In(const std::string& name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

TEST(WriteFailures, AFullDiskIsSaidToBeFullNamingTheFile) {
    errno = ENOSPC;
    EXPECT_EQ(WriteFailure("/p/ZSDX.AB1"),
              "El disco esta lleno: No se pudo escribir el archivo /p/ZSDX.AB1");
    errno = EACCES;
    EXPECT_EQ(WriteFailure("/p/ZSDX.AB1"), "No se pudo escribir el archivo /p/ZSDX.AB1");
    // /dev/full takes every byte and refuses it with ENOSPC at the flush, as a full disk does.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "sin /dev/full";
    network::RecordFile records(8);
    ASSERT_TRUE(records.Open("/dev/full"));
    const bool written = records.Write(0, codec::Bytes(8, 1)) && records.Flush();
    EXPECT_FALSE(written);
    EXPECT_EQ(records.error(), "El disco esta lleno: No se pudo escribir el archivo /dev/full");
    records.Close();
}

TEST_F(TempFiles, EveryNameIsNewBesideTheTargetAndOpenAsTheFolderGives) {
    const mode_t saved = ::umask(022);
    const std::string target = In("ZSDX.AB1");
    std::set<std::string> names;
    for (int k = 0; k < 50; ++k) {
        std::string error;
        const std::string name = MakeTempFile(target, &error);
        ASSERT_FALSE(name.empty()) << error;
        EXPECT_TRUE(names.insert(name).second) << name << " given twice";
        EXPECT_EQ(fs::path(name).parent_path(), folder_);
        EXPECT_EQ(name.rfind(target + ".nivex-tmp-", 0), 0u) << name;
        EXPECT_TRUE(IsLeftTempFile(fs::path(name).filename().string(), "AB1")) << name;
        struct stat st{};
        ASSERT_EQ(::stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u) << name;  // as fopen would make it under umask 022
        EXPECT_EQ(st.st_size, 0);
    }
    ::umask(saved);
    std::string error;
    EXPECT_EQ(MakeTempFile(In("falta/ZSDX.AB1"), &error), "");
    EXPECT_EQ(error, "No se pudo crear el archivo temporal de " + In("falta/ZSDX.AB1"));
}

TEST_F(TempFiles, OnlyTheLeftoversOfTheSectorsOwnFilesAreRecognised) {
    for (const char* ours :
         {"ZSDX.AB1.nivex-tmp-a8Kd2P", "XSDA.AB1.nivex-tmp-000000", "TrUpT3.AB1.nivex-tmp-ZZZZZZ",
          "AB1.nivex-tmp-q1w2e3", "ZSDX.AB1.tmp", "MensEv.AB1.tmp", "AB1.tmp"})
        EXPECT_TRUE(IsLeftTempFile(ours, "AB1")) << ours;
    for (const char* theirs :
         {"ZSDX.AB2.nivex-tmp-a8Kd2P",   // another sector's
          "ZSDX.AB12.nivex-tmp-a8Kd2P",  // not this extension
          "XAB1.nivex-tmp-a8Kd2P", "ZSDX.AB1.nivex-tmp-a8Kd2", "ZSDX.AB1.nivex-tmp-a8Kd2P7",
          "ZSDX.AB1.nivex-tmp-a8K.2P", "ZSDX.AB1.nivex-tmp-", "ZSDX.AB1.TMP", "ZSDX.AB1.tmp2",
          "ZSDX.AB1", "notas.tmp", "LPT.tmp", ".nivex-tmp-a8Kd2P", "AB1.nivex-tmp-a8Kd2P.tmp", "",
          "ZSDX.AB2.tmp"})
        EXPECT_FALSE(IsLeftTempFile(theirs, "AB1")) << theirs;
    EXPECT_FALSE(IsLeftTempFile("ZSDX.AB1.tmp", ""));
}

// Two programs rewriting one file at once each see, after every rewrite of their own,
// the whole contents of one of them: never a file cut short or made of both.
TEST_F(TempFiles, TwoProcessesRewritingOneFileNeverBlendIt) {
    const std::string target = In("ZSDX.AB1");
    constexpr size_t kSize = 256 * 1024;
    constexpr int kRounds = 150;
    auto rewriter = [&](char mine) {
        const std::string contents(kSize, mine);
        int blends = 0;
        for (int k = 0; k < kRounds; ++k) {
            std::string error;
            if (!ReplaceFileContents(target, contents, &error)) ++blends;
            const std::string now = Text(target);
            if (now.size() != kSize || now.find_first_not_of(now[0]) != std::string::npos) ++blends;
        }
        ::_exit(blends == 0 ? 0 : 1);
    };
    pid_t children[2];
    for (int k = 0; k < 2; ++k) {
        children[k] = ::fork();
        if (children[k] == 0) rewriter(static_cast<char>('A' + k));
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "a rewrite saw the file cut short or blended";
    }
    const std::string last = Text(target);
    EXPECT_EQ(last.size(), kSize);
    for (const auto& e : fs::directory_iterator(folder_))
        EXPECT_EQ(e.path().filename(), "ZSDX.AB1") << "left behind";
}

}  // namespace
}  // namespace nivex::project
