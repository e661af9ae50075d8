#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/batch.h"
#include "shell/control_file.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

struct BatchRun {
    int rc = 0;
    std::string out, err;
};

class BatchProjects : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = fs::temp_directory_path() /
                ("nivex-batch-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::create_directories(base_);
        start_ = fs::current_path();
        // Keep the user's trash out of the tests.
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);
        fs::create_directories(base_ / "projects");
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(base_);
    }

    BatchRun batch(std::vector<std::string> args) {
        args.insert(args.begin(), {"--projects", projects().string()});
        std::ostringstream out, err;
        BatchRun r;
        r.rc = RunBatch(args, out, err);
        r.out = out.str();
        r.err = err.str();
        EXPECT_EQ(fs::current_path(), start_) << "the caller's folder must be kept";
        return r;
    }
    fs::path projects() const { return base_ / "projects"; }

    // "key: value" of an info run.
    static std::string value(const std::string& info, const std::string& key) {
        std::istringstream in(info);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(key + ": ", 0) == 0) return line.substr(key.size() + 2);
        return "<missing " + key + ">";
    }

    fs::path base_, start_;
};

TEST_F(BatchProjects, NewProjectIsCreatedOnlyWhenConfirmed) {
    BatchRun refused = batch({"--project", "CD1", "new"});
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("Cualquier operacion en el Sector# 1 del proyecto"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(projects() / "CD-Proyecto Nuevo" / "XSDA.CD1"));

    BatchRun made = batch({"--project", "CD1", "new", "--yes"});
    ASSERT_EQ(made.rc, 0) << made.err;
    const fs::path control = projects() / "CD-Proyecto Nuevo" / "XSDA.CD1";
    ASSERT_TRUE(fs::exists(control));
    EXPECT_EQ(fs::file_size(control), 3072u);

    BatchRun info = batch({"--project", "CD1", "info"});
    ASSERT_EQ(info.rc, 0) << info.err;
    EXPECT_EQ(value(info.out, "codigo"), "CD");
    EXPECT_EQ(value(info.out, "sector"), "1");
    EXPECT_EQ(value(info.out, "sectores"), "1");
    EXPECT_EQ(value(info.out, "proyecto"), "Proyecto Nuevo");
    EXPECT_EQ(value(info.out, "tramos"), "0");
    EXPECT_EQ(value(info.out, "controles"), "0000");
    EXPECT_EQ(value(info.out, "etapas"), "0000");
    EXPECT_EQ(value(info.out, "caption").rfind("Proyecto Nuevo      Codigo : CD     Sector : 1", 0),
              0u)
        << info.out;

    BatchRun list = batch({"list-projects"});
    EXPECT_EQ(list.rc, 0);
    EXPECT_EQ(list.out, "CD1 - Proyecto Nuevo SECTOR # 1\nCD0 - Proyecto Nuevo TOTAL\n");
}

TEST_F(BatchProjects, NamedProjectAndItsSectorsInOrder) {
    ASSERT_EQ(batch({"--project", "AB1", "new", "--name", "Centro", "--yes"}).rc, 0);
    EXPECT_TRUE(fs::exists(projects() / "AB-Centro" / "XSDA.AB1"));

    BatchRun gap = batch({"--project", "AB3", "new", "--yes"});
    EXPECT_EQ(gap.rc, 1);
    EXPECT_NE(gap.err.find("Los sectores deben incluirse en estricto orden ascendente"),
              std::string::npos)
        << gap.err;
    EXPECT_FALSE(fs::exists(projects() / "AB-Centro" / "XSDA.AB3"));

    ASSERT_EQ(batch({"--project", "AB2", "new", "--yes"}).rc, 0);
    BatchRun list = batch({"list-projects"});
    EXPECT_EQ(list.out, "AB1 - Centro SECTOR # 1\nAB2 - Centro SECTOR # 2\nAB0 - Centro TOTAL\n");

    // The totaliser needs every sector designed.
    BatchRun total = batch({"--project", "AB0", "new", "--sectors", "2", "--yes"});
    EXPECT_EQ(total.rc, 1);
    EXPECT_NE(total.err.find("No puede  Totalizar"), std::string::npos) << total.err;
}

TEST_F(BatchProjects, RefusalsAndBadArguments) {
    EXPECT_EQ(batch({"--project", "AB1", "info"}).rc, 1);  // no such project
    EXPECT_EQ(batch({"--project", "A1", "new"}).rc, 1);
    EXPECT_EQ(batch({"--project", "AB1", "frobnicate"}).rc, 2);
    EXPECT_EQ(batch({"--project"}).rc, 2);

    std::ostringstream out, err;
    EXPECT_EQ(RunBatch({"--projects", (base_ / "nowhere").string(), "list-projects"}, out, err), 1);
    EXPECT_NE(err.str().find("No existe ese directorio"), std::string::npos);
}

TEST_F(BatchProjects, DuplicateCodesStopTheListing) {
    fs::create_directories(projects() / "AB-Norte");
    fs::create_directories(projects() / "AB-Sur");
    for (const char* folder : {"AB-Norte", "AB-Sur"}) {
        shell::ControlFile f;
        ASSERT_TRUE(f.Open((projects() / folder / "XSDA.AB1").string()));
        f.ClearBuffers();
        for (int k = 0; k < 6; ++k)
            ASSERT_TRUE(f.WriteRecord(k));
    }
    BatchRun list = batch({"list-projects"});
    EXPECT_EQ(list.rc, 1);
    EXPECT_EQ(list.out, "");
    EXPECT_NE(list.err.find("Error de duplicacion"), std::string::npos) << list.err;
}

TEST_F(BatchProjects, RestoreBackupPutsTheEnteredNetworkBack) {
    ASSERT_EQ(batch({"--project", "EF1", "new", "--yes"}).rc, 0);
    const fs::path folder = projects() / "EF-Proyecto Nuevo";
    BatchRun none = batch({"--project", "EF1", "restore-backup", "--yes"});
    EXPECT_EQ(none.rc, 1);
    EXPECT_NE(none.err.find("No existe respaldo del archivo original"), std::string::npos);

    std::ofstream(folder / "ZSDX.EF1") << "cambiado";
    std::ofstream(folder / "XSDC.EF1") << "indice cambiado";
    fs::create_directories(folder / "Respaldo EF1");
    std::ofstream(folder / "Respaldo EF1" / "XDXS.EF1") << "original";
    std::ofstream(folder / "Respaldo EF1" / "XSDC.EF1") << "indice original";

    EXPECT_EQ(batch({"--project", "EF1", "restore-backup"}).rc, 1);  // answered No
    EXPECT_TRUE(fs::exists(folder / "Respaldo EF1"));

    BatchRun restored = batch({"--project", "EF1", "restore-backup", "--yes"});
    ASSERT_EQ(restored.rc, 0) << restored.err;
    std::ifstream reaches(folder / "ZSDX.EF1");
    std::string text((std::istreambuf_iterator<char>(reaches)), {});
    EXPECT_EQ(text, "original");
    EXPECT_FALSE(fs::exists(folder / "Respaldo EF1"));
}

}  // namespace
}  // namespace nivex::cli
