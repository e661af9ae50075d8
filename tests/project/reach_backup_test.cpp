#include "project/reach_backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include <unistd.h>

#include "project/sector_lock.h"
#include "support/scripted.h"

namespace nivex::project {
namespace {

namespace fs = std::filesystem;

using NullDesktop = nivex::testing::NullDesktop;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

const std::string kOriginalReaches("orig\0\xFF reaches", 14);
const char kRecoverItem[] = "Recuperar Archivo Original";

// Sector AB1 in a folder of its own, its control file initialised with all controls
// passed, alternative 3 chosen and the backup flag set.
struct Rig {
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    NullDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session s{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    fs::path dir;
    Project& p = s.project;

    Rig() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("nivex-backup-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        p.selection.code = "AB";
        p.selection.sectors = "1";
        p.files.Build(dir.string(), "AB1");
        p.header.ControlsDone = {1, 1, 1, 1};
        p.header.StageDone = {1, 1, 0, 0};
        p.header.DesignAlternative = 3;
        p.header.BackupExists = 1;
        EXPECT_TRUE(p.OpenControl());
        shell::Encode(p.header, p.control.buffer(0));
        for (int k = 0; k < shell::kControlRecords; ++k)
            EXPECT_TRUE(p.control.WriteRecord(k));
        p.CloseControl();
        p.header = {};  // the module must read record 0 itself
        WriteFile(p.files.reaches(), "entered reaches");
        WriteFile(p.files.reachIndex(), "entered index");
        menu.setItemEnabled(kRecoverItem, true);
    }
    ~Rig() { fs::remove_all(dir); }

    void MakeBackup(bool withIndex = true) {
        fs::create_directory(p.files.backupFolder());
        WriteFile(p.files.backupReaches(), kOriginalReaches);
        if (withIndex) WriteFile(p.files.backupIndex(), "original index");
    }
    shell::ProyectoT Stored() {
        shell::ControlFile f;
        shell::ProyectoT h;
        EXPECT_TRUE(f.Open(p.files.control()) && f.ReadRecord(0));
        shell::Decode(f.buffer(0), h);
        return h;
    }
    std::set<std::string> Names() {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
};

const std::array<uint8_t, 4> kNoControls{};

TEST(RestoreReachBackup, PutsTheOriginalBackAndDropsTheBackup) {
    Rig r;
    r.MakeBackup();
    r.rig.ui.answers = {'S'};
    EXPECT_TRUE(RestoreReachBackup(r.s));
    EXPECT_EQ(ReadFile(r.p.files.reaches()), kOriginalReaches);
    EXPECT_EQ(ReadFile(r.p.files.reachIndex()), "original index");
    EXPECT_EQ(r.Names(), (std::set<std::string>{"XSDA.AB1", "ZSDX.AB1", "XSDC.AB1"}));
    const auto h = r.Stored();
    EXPECT_EQ(h.ControlsDone, kNoControls);
    EXPECT_EQ(h.DesignAlternative, 0);
    EXPECT_EQ(h.BackupExists, 0);
    ASSERT_EQ(r.rig.ui.boxes.size(), 2u);
    EXPECT_EQ(r.rig.ui.boxes[0].kind, "yesno");
    EXPECT_EQ(r.rig.ui.boxes[0].message,
              "Al recuperar el archivo original se perderan las modificaciones\r\r"
              "        Desea recuperar el archivo de tramos original ?");
    EXPECT_EQ(r.rig.ui.boxes[0].caption, "Confirmacion");
    EXPECT_EQ(r.rig.ui.boxes[1].kind, "warning");
    EXPECT_EQ(r.rig.ui.boxes[1].message,
              "Recuperado archivo original\ren la entrada de los tramos");
    EXPECT_EQ(r.rig.ui.boxes[1].caption, "Informacion");
    EXPECT_FALSE(r.menu.itemEnabled(kRecoverItem));
    EXPECT_EQ(r.rig.switches.endKeys, "Enter Esc");
}

TEST(RestoreReachBackup, AnswerNoKeepsTheFilesButTheControlsMustRunAgain) {
    Rig r;
    r.MakeBackup();
    r.menu.setItemEnabled(kRecoverItem, false);
    r.rig.ui.answers = {'N'};
    EXPECT_TRUE(RestoreReachBackup(r.s));
    EXPECT_EQ(ReadFile(r.p.files.reaches()), "entered reaches");
    EXPECT_EQ(ReadFile(r.p.files.backupIndex()), "original index");
    const auto h = r.Stored();
    EXPECT_EQ(h.ControlsDone, kNoControls);
    EXPECT_EQ(h.DesignAlternative, 3);
    EXPECT_EQ(h.BackupExists, 1);
    EXPECT_EQ(r.rig.ui.boxes.size(), 1u);
    EXPECT_TRUE(r.menu.itemEnabled(kRecoverItem));
}

TEST(RestoreReachBackup, WithoutBackupSaysSo) {
    Rig r;
    r.rig.ui.answers = {'S'};
    EXPECT_TRUE(RestoreReachBackup(r.s));
    ASSERT_NE(r.rig.ui.last(), nullptr);
    EXPECT_EQ(r.rig.ui.last()->kind, "error");
    EXPECT_EQ(r.rig.ui.last()->message, "No existe respaldo del archivo original");
    EXPECT_EQ(r.rig.ui.last()->caption, "Error?");
    EXPECT_EQ(r.Stored().BackupExists, 0);
    EXPECT_EQ(r.Stored().DesignAlternative, 3);
    EXPECT_FALSE(r.menu.itemEnabled(kRecoverItem));
}

TEST(RestoreReachBackup, AFailedCopyReplacesNothingAndKeepsTheBackup) {
    Rig r;
    r.MakeBackup(/*withIndex=*/false);
    r.rig.ui.answers = {'S'};
    EXPECT_FALSE(RestoreReachBackup(r.s));
    EXPECT_EQ(r.rig.ui.last()->kind, "error");
    EXPECT_NE(r.rig.ui.last()->message.find("XSDC.AB1"), std::string::npos);
    EXPECT_EQ(ReadFile(r.p.files.reaches()), "entered reaches");
    EXPECT_EQ(ReadFile(r.p.files.backupReaches()), kOriginalReaches);
    EXPECT_EQ(r.Names(),
              (std::set<std::string>{"XSDA.AB1", "ZSDX.AB1", "XSDC.AB1", "Respaldo AB1"}));
    EXPECT_TRUE(r.menu.itemEnabled(kRecoverItem));
}

TEST(RestoreReachBackupSilently, RestoresWithoutBoxesAndKeepsTheControls) {
    Rig r;
    r.MakeBackup();
    EXPECT_TRUE(RestoreReachBackupSilently(r.s));
    EXPECT_TRUE(r.rig.ui.boxes.empty());
    EXPECT_EQ(ReadFile(r.p.files.reaches()), kOriginalReaches);
    EXPECT_FALSE(fs::exists(r.p.files.backupFolder()));
    const auto h = r.Stored();
    EXPECT_EQ(h.ControlsDone[3], 1);
    EXPECT_EQ(h.DesignAlternative, 0);
    EXPECT_EQ(h.BackupExists, 0);
    EXPECT_FALSE(r.menu.itemEnabled(kRecoverItem));

    // No backup: only the menu item follows.
    r.menu.setItemEnabled(kRecoverItem, true);
    EXPECT_TRUE(RestoreReachBackupSilently(r.s));
    EXPECT_FALSE(r.menu.itemEnabled(kRecoverItem));
}

// Files of sectors 1 and 2 of AB and of another project CD in one folder.
const std::set<std::string> kKept{
    "XSDA.AB1", "XSDA.AB2",  "ZSDX.AB1",  "XSDC.AB1",     "ZSDX.AB2",    "XSDC.AB2",  "XSDA.CD1",
    "ZSDB.CD1", "SANN1.CD1", "CD1",       "MensPr.AB1",   "XSDN.AB1",    "sann1.AB1", "zsdb.AB1",
    "ab1",      "SanSc.AB1", "ZSDX.AB1X", "ZSDB.AB1.bak", "Respaldo AB1"};
const std::set<std::string> kNetwork{"ZSDB.AB1", "ZSDB.AB2",   "XSDD.AB1",  "MensEv.AB2",
                                     "AB1",      "AB2",        "ZSDX.AB1Y", "ZSDX.AB2Z",
                                     "XFIN.AB1", "TrUpT1.AB1", "TrUpT.AB2"};
const std::set<std::string> kQuantities{"SANN1.AB2", "SANO3.AB1", "SANA.AB1", "SANE12.AB2",
                                        "SANN1.AB1"};

std::set<std::string> RemainingAfter(Rig& r, std::array<uint8_t, 4> controls,
                                     uint8_t quantitiesDone, const char* sectors = "1",
                                     const std::function<void()>& meanwhile = {}) {
    fs::remove_all(r.dir);
    fs::create_directory(r.dir);
    for (const auto* set : {&kKept, &kNetwork, &kQuantities})
        for (const auto& name : *set)
            if (name == "Respaldo AB1")
                fs::create_directory(r.dir / name);
            else
                WriteFile(r.dir / name, "x");
    r.p.header.ControlsDone = controls;
    r.p.header.StageDone[2] = quantitiesDone;
    r.p.selection.sectors = sectors;
    if (meanwhile) meanwhile();
    RemoveDerivedFiles(r.p);
    return r.Names();
}

TEST(RemoveDerivedFiles, RemovesWhatTheFlagsMakeStaleInEverySector) {
    Rig r;
    std::set<std::string> all = kKept;
    all.insert(kNetwork.begin(), kNetwork.end());
    all.insert(kQuantities.begin(), kQuantities.end());

    EXPECT_EQ(RemainingAfter(r, {1, 1, 0, 1}, 1), kKept);
    std::set<std::string> withoutQuantities = kKept;
    withoutQuantities.insert(kNetwork.begin(), kNetwork.end());
    EXPECT_EQ(RemainingAfter(r, {1, 1, 1, 1}, 0), withoutQuantities);
    EXPECT_EQ(RemainingAfter(r, {1, 1, 1, 1}, 1), all);
    EXPECT_EQ(RemainingAfter(r, {0, 0, 0, 0}, 0, "3"), all);  // a totaliser
}

// The files of a sector that another program is working on stay: it may be writing them.
TEST(RemoveDerivedFiles, KeepsTheFilesOfASectorInUse) {
    Rig r;
    SectorLock other;
    const std::string lock = r.p.files.folder() + "Bloqueo.AB2";
    std::set<std::string> left = kKept;
    for (const auto* set : {&kNetwork, &kQuantities})
        for (const auto& name : *set)
            if (name.find("AB2") != std::string::npos) left.insert(name);
    std::set<std::string> after = RemainingAfter(r, {1, 1, 0, 1}, 0, "1", [&] {
        ASSERT_EQ(other.Acquire(lock, ThisProcess("nivex-batch design", false)), LockResult::Taken);
    });
    EXPECT_EQ(after.erase("Bloqueo.AB2"), 1u);
    EXPECT_EQ(after, left);
    EXPECT_TRUE(other.held());
}

}  // namespace
}  // namespace nivex::project
