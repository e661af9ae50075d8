// The lock of a sector: what its file says of the holder, who is told what, and when a
// lock is taken over. Other holders are real processes (fork), as two programs are.

#include "project/sector_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace nivex::project {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

LockHolder Someone() {
    LockHolder h;
    h.program = "nivex-batch design";
    h.user = "ana";
    h.host = "pc1";
    h.pid = 4242;
    h.started = 987654;
    h.since = "31/01/2026 10:32:05";
    return h;
}

bool Same(const LockHolder& a, const LockHolder& b) {
    return a.program == b.program && a.user == b.user && a.host == b.host && a.pid == b.pid &&
           a.started == b.started && a.since == b.since && a.reading == b.reading;
}

// A process of this computer that has ended: its number names nobody now.
long EndedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(LockHolderText, ReadsBackWhatItWroteAndRefusesWhatNamesNobody) {
    LockHolder h = Someone();
    h.reading = true;
    const auto back = ParseLockHolder(FormatLockHolder(h));
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(Same(*back, h));

    // Written on Windows or by a later version: line ends and unknown keys are passed over.
    const auto crlf = ParseLockHolder(
        "NIVEX bloqueo de sector\r\nprograma=NIVEX\r\nequipo=pc1\r\nproceso=7\r\ncolor=azul\r\n");
    ASSERT_TRUE(crlf.has_value());
    EXPECT_EQ(crlf->program, "NIVEX");
    EXPECT_EQ(crlf->pid, 7);
    EXPECT_FALSE(crlf->reading);

    const std::string good = "NIVEX bloqueo de sector\nprograma=NIVEX\nequipo=pc1\n";
    for (const std::string& bad :
         {std::string(), std::string("\n\n"), std::string("otra cosa\nprograma=NIVEX\nproceso=7\n"),
          good,  // no process
          good + "proceso=0\n", good + "proceso=-3\n", good + "proceso=7x\n",
          good + "proceso=7\ninicio=ayer\n", good + "proceso=7\nuso=talvez\n",
          good + "proceso=7\nsin igual\n",
          std::string("NIVEX bloqueo de sector\nequipo=pc1\nproceso=7\n"),
          good + "proceso=7\nusuario=" + std::string(300, 'a') + "\n"})
        EXPECT_FALSE(ParseLockHolder(bad).has_value()) << bad;

    // A line break inside a value would make a second line: it is written as a blank, and
    // other control characters are read as blanks too, so that what is read writes back the
    // same.
    h.user = "ana\nproceso=1";
    const auto cleaned = ParseLockHolder(FormatLockHolder(h));
    ASSERT_TRUE(cleaned.has_value());
    EXPECT_EQ(cleaned->user, "ana proceso=1");
    EXPECT_EQ(cleaned->pid, 4242);
    const auto odd = ParseLockHolder(good + "proceso=7\ndesde=hoy\x0c\x7f\n");
    ASSERT_TRUE(odd.has_value());
    EXPECT_EQ(odd->since, "hoy  ");
    EXPECT_TRUE(Same(*ParseLockHolder(FormatLockHolder(*odd)), *odd));
}

TEST(LockHolderText, TheMessageSaysWhoSinceWhenAndHowToFreeWhatCannotBeChecked) {
    LockHolder here = Someone();
    here.host = ThisProcess("x", false).host;
    EXPECT_EQ(InUseMessage("AB1", here, "/p/AB-X/Bloqueo.AB1"),
              "El sector AB1 esta en uso por nivex-batch design (usuario ana, equipo " + here.host +
                  ", proceso 4242) desde 31/01/2026 10:32:05.\rNo se hizo ningun "
                  "cambio.");
    EXPECT_EQ(InUseMessage("AB1", Someone(), "/p/AB-X/Bloqueo.AB1"),
              "El sector AB1 esta en uso por nivex-batch design (usuario ana, equipo pc1, proceso "
              "4242) desde 31/01/2026 10:32:05.\rNo se hizo ningun cambio.\rSi ese programa ya no "
              "esta abierto, borre el archivo /p/AB-X/Bloqueo.AB1");
    EXPECT_EQ(InUseMessage("CD2", std::nullopt, "/p/CD-Y/Bloqueo.CD2"),
              "El sector CD2 esta en uso por otro programa, que no se pudo identificar.\rNo se "
              "hizo ningun cambio.\rSi ese programa ya no esta abierto, borre el archivo "
              "/p/CD-Y/Bloqueo.CD2");
}

TEST(LockHolderLife, OnlyAProcessOfThisComputerThatEndedIsGone) {
    const LockHolder me = ThisProcess("NIVEX", false);
    EXPECT_EQ(me.pid, ::getpid());
    EXPECT_NE(me.started, 0u);
    EXPECT_TRUE(IsThisProcess(me));
    EXPECT_FALSE(HolderIsGone(me));

    LockHolder ended = me;
    ended.pid = EndedProcess();
    EXPECT_TRUE(HolderIsGone(ended));
    EXPECT_FALSE(IsThisProcess(ended));

    // The number of a running process given to one that started at another time.
    LockHolder reused = me;
    reused.started = me.started + 1;
    EXPECT_TRUE(HolderIsGone(reused));
    EXPECT_FALSE(IsThisProcess(reused));

    LockHolder unknownStart = ended;
    unknownStart.pid = ::getppid();  // runs, whatever it is
    unknownStart.started = 0;
    EXPECT_FALSE(HolderIsGone(unknownStart));

    LockHolder elsewhere = ended;
    elsewhere.host = me.host + "-otro";
    EXPECT_FALSE(HolderIsGone(elsewhere));  // cannot be checked from here

    LockHolder impossible = me;  // beyond any process number, or -1 once cut to 32 bits
    impossible.pid = 0xFFFFFFFFL;
    EXPECT_TRUE(HolderIsGone(impossible));
}

class SectorLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("nivex-lock-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        path_ = (folder_ / "Bloqueo.AB1").string();
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A child that takes the lock and tells the parent so; it then waits to be killed,
    // or lets go after holdFor.
    pid_t HolderProcess(const std::string& program, bool reading, milliseconds holdFor) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            SectorLock lock;
            const bool taken =
                lock.Acquire(path_, ThisProcess(program, reading)) == LockResult::Taken;
            const char c = taken ? '1' : '0';
            if (::write(ready[1], &c, 1) != 1) ::_exit(2);
            if (holdFor.count() == 0)
                for (;;)
                    ::pause();
            std::this_thread::sleep_for(holdFor);
            lock.Release();
            ::_exit(0);
        }
        ::close(ready[1]);
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(c, '1') << "the child did not get the lock";
        return pid;
    }

    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    fs::path folder_;
    std::string path_;
};

TEST_F(SectorLockTest, ASecondHolderIsToldWhoHoldsItUntilTheFirstLetsGo) {
    SectorLock first, second;
    const LockHolder me = ThisProcess("NIVEX", false);
    ASSERT_EQ(first.Acquire(path_, me), LockResult::Taken);
    EXPECT_TRUE(first.held());
    const auto written = ParseLockHolder(Text(path_));
    ASSERT_TRUE(written.has_value());
    EXPECT_TRUE(Same(*written, me));

    // Even within one process: two opened copies of a sector never both write.
    ASSERT_EQ(second.Acquire(path_, ThisProcess("nivex-batch info", true)), LockResult::Busy);
    EXPECT_FALSE(second.held());
    ASSERT_TRUE(second.holder().has_value());
    EXPECT_TRUE(Same(*second.holder(), me));
    EXPECT_TRUE(Same(*ParseLockHolder(Text(path_)), me)) << "the refused one wrote its name";

    first.Release();
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(second.Acquire(path_, me), LockResult::Taken);

    // Moved, the lock stays held once.
    SectorLock moved = std::move(second);
    EXPECT_TRUE(moved.held());
    EXPECT_FALSE(second.held());
    EXPECT_EQ(first.Acquire(path_, me), LockResult::Busy);
}

TEST_F(SectorLockTest, TheLockOfAKilledProcessIsTakenOver) {
    const pid_t child = HolderProcess("nivex-batch reaches import", false, milliseconds(0));
    SectorLock lock;
    ASSERT_EQ(lock.Acquire(path_, ThisProcess("NIVEX", false)), LockResult::Busy);
    ASSERT_TRUE(lock.holder().has_value());
    EXPECT_EQ(lock.holder()->pid, child);
    EXPECT_EQ(lock.holder()->program, "nivex-batch reaches import");
    EXPECT_EQ(InUseMessage("AB1", lock.holder(), path_)
                  .rfind("El sector AB1 esta en uso por nivex-batch reaches import (usuario ", 0),
              0u);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(fs::exists(path_)) << "a killed holder cannot remove its file";
    EXPECT_EQ(ParseLockHolder(Text(path_))->pid, child);
    ASSERT_EQ(lock.Acquire(path_, ThisProcess("NIVEX", false)), LockResult::Taken);
    EXPECT_EQ(ParseLockHolder(Text(path_))->pid, ::getpid());
}

// Where the system keeps no lock on the file (another computer, a file system that does
// not share it), the holder it names decides.
TEST_F(SectorLockTest, AFileNamingARunningHolderStandsAndOneNamingNobodyIsTakenOver) {
    const LockHolder me = ThisProcess("NIVEX", false);
    SectorLock lock;

    LockHolder running = me;
    running.pid = ::getppid();
    running.started = 0;
    Write(FormatLockHolder(running));
    EXPECT_EQ(lock.Acquire(path_, me), LockResult::Busy);

    LockHolder elsewhere = Someone();
    Write(FormatLockHolder(elsewhere));
    EXPECT_EQ(lock.Acquire(path_, me), LockResult::Busy);
    EXPECT_NE(InUseMessage("AB1", lock.holder(), path_).find("borre el archivo " + path_),
              std::string::npos);

    LockHolder ended = me;
    ended.pid = EndedProcess();
    for (const std::string& left : {FormatLockHolder(ended), std::string("basura\x01\x02"),
                                    std::string(), FormatLockHolder(me)}) {
        Write(left);
        EXPECT_EQ(lock.Acquire(path_, me), LockResult::Taken) << left;
        EXPECT_TRUE(Same(*ParseLockHolder(Text(path_)), me));
        lock.Release();
        EXPECT_FALSE(fs::exists(path_));
    }
}

TEST_F(SectorLockTest, OneThatChangesWaitsForAReaderButNotForAWriter) {
    const LockHolder me = ThisProcess("nivex-batch design", false);
    SectorLock lock;

    pid_t reader = HolderProcess("nivex-batch info", true, milliseconds(300));
    EXPECT_EQ(lock.Acquire(path_, me), LockResult::Busy);  // no wait asked
    ASSERT_TRUE(lock.holder().has_value());
    EXPECT_TRUE(lock.holder()->reading);
    const auto start = Clock::now();
    EXPECT_EQ(lock.Acquire(path_, me, milliseconds(5000)), LockResult::Taken);
    EXPECT_LT(Clock::now() - start, milliseconds(4000));
    ::waitpid(reader, nullptr, 0);
    lock.Release();

    const pid_t writer = HolderProcess("nivex-batch budget", false, milliseconds(0));
    const auto asked = Clock::now();
    EXPECT_EQ(lock.Acquire(path_, me, milliseconds(5000)), LockResult::Busy);
    EXPECT_LT(Clock::now() - asked, milliseconds(1000)) << "waited for a writer";
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
}

TEST_F(SectorLockTest, AFolderWithALiveLockIsInUse) {
    EXPECT_FALSE(FolderHasLiveLock(folder_.string()));
    SectorLock lock;
    ASSERT_EQ(lock.Acquire(path_, ThisProcess("NIVEX", false)), LockResult::Taken);
    EXPECT_TRUE(FolderHasLiveLock(folder_.string()));
    lock.Release();
    LockHolder ended = ThisProcess("NIVEX", false);
    ended.pid = EndedProcess();
    Write(FormatLockHolder(ended));
    EXPECT_FALSE(FolderHasLiveLock(folder_.string()));
    Write("");  // its holder may be writing its name right now
    EXPECT_TRUE(FolderHasLiveLock(folder_.string()));
}

TEST_F(SectorLockTest, AFolderWhereNoFileCanBeMadeFails) {
    SectorLock lock;
    const std::string missing = (folder_ / "no-existe" / "Bloqueo.AB1").string();
    EXPECT_EQ(lock.Acquire(missing, ThisProcess("NIVEX", false)), LockResult::Failed);
    EXPECT_EQ(lock.error(), "No se pudo crear el archivo de bloqueo " + missing);
    EXPECT_FALSE(lock.held());
}

}  // namespace
}  // namespace nivex::project
