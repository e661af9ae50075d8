// nivex-batch killed with SIGKILL while it replaces the reach file or writes the control
// file: the project must open again holding the old or the new contents, never a blend.
// Timed kills land wherever the clock puts them; traced kills stop the program at the
// entry of its k-th file-changing system call, so every boundary between two writes is
// tried once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "network/tramo.h"
#include "support/temp_files.h"

#include "support/batch_process.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

using nivex::testing::BatchExecutable;
using nivex::testing::ExecBatch;

// The child's side of every launch: output to a file, then the program.
[[noreturn]] void Exec(const std::vector<std::string>& args, const fs::path& output, bool traced) {
    if (traced) ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ExecBatch(args, output);
}

struct Outcome {
    int status = 0;
    std::string out;
    bool exited() const { return WIFEXITED(status); }
    int rc() const { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }
};

// Runs to the end; the output is stdout and stderr together.
Outcome RunToEnd(const std::vector<std::string>& args, const fs::path& output) {
    Outcome r;
    const pid_t pid = ::fork();
    if (pid == 0) Exec(args, output, false);
    ::waitpid(pid, &r.status, 0);
    r.out = Bytes(output);
    return r;
}

// Starts the program, waits until armed() holds (or delay passes when there is nothing to
// watch), waits extra, then kills it. True when the program was still running.
bool KillAt(const std::vector<std::string>& args, const fs::path& output,
            const std::function<bool()>& armed, std::chrono::microseconds extra) {
    const pid_t pid = ::fork();
    if (pid == 0) Exec(args, output, false);
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (armed && !armed()) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return false;
        if (Clock::now() > deadline) break;
    }
    if (extra.count() > 0) std::this_thread::sleep_for(extra);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status);
}

#if defined(__x86_64__)
bool ChangesFiles(const user_regs_struct& regs) {
    switch (regs.orig_rax) {
        case 1:    // write
        case 18:   // pwrite64
        case 20:   // writev
        case 77:   // ftruncate
        case 82:   // rename
        case 87:   // unlink
        case 263:  // unlinkat
        case 264:  // renameat
        case 316:  // renameat2
            return true;
        case 2:  // open
            return (regs.rsi & (O_WRONLY | O_RDWR | O_TRUNC)) != 0;
        case 257:  // openat
            return (regs.rdx & (O_WRONLY | O_RDWR | O_TRUNC)) != 0;
        default:
            return false;
    }
}
constexpr bool kTraceable = true;
#else
constexpr bool kTraceable = false;
#endif

// Runs under ptrace and kills the program on entering its k-th file-changing system call
// counted from the moment armed() holds (always, when empty); k = 0 never kills. Returns the
// number of such calls seen, and whether the kill happened.
struct Traced {
    int calls = 0;
    bool killed = false;
};
Traced RunTraced(const std::vector<std::string>& args, const fs::path& output, int k,
                 const std::function<bool()>& armed) {
    Traced t;
#if defined(__x86_64__)
    const pid_t pid = ::fork();
    if (pid == 0) Exec(args, output, true);
    int status = 0;
    ::waitpid(pid, &status, 0);  // stopped at the exec
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
    bool on = !armed;
    int signal = 0;
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(signal));
        signal = 0;
        if (::waitpid(pid, &status, 0) != pid || WIFEXITED(status) || WIFSIGNALED(status)) break;
        if (!WIFSTOPPED(status)) continue;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            if (WSTOPSIG(status) != SIGTRAP) signal = WSTOPSIG(status);
            continue;
        }
        user_regs_struct regs{};
        ::ptrace(PTRACE_GETREGS, pid, nullptr, &regs);
        const bool entering = static_cast<long long>(regs.rax) == -ENOSYS;
        if (!entering || !ChangesFiles(regs)) continue;
        if (!on) on = armed();
        if (!on) continue;
        if (++t.calls == k) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            t.killed = true;
            break;
        }
    }
#else
    (void)args, (void)output, (void)k, (void)armed;
#endif
    return t;
}

// What one project folder held: reach file, index, control file.
struct State {
    std::string reaches, index, control;
};

class CrashSafety : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = fs::temp_directory_path() / ("nivex-crash-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        setenv("XDG_DATA_HOME", (root_ / "xdg").c_str(), 1);  // keep the user's trash out
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }

    void SetUp() override {
        if (!fs::exists(BatchExecutable())) GTEST_SKIP() << "nivex-batch is not built";
    }

    static fs::path folder(const fs::path& projects) { return projects / "AB-RED"; }
    static fs::path reachFile(const fs::path& projects) { return folder(projects) / "ZSDX.AB1"; }
    static State Read(const fs::path& projects) {
        const fs::path f = folder(projects);
        return {Bytes(f / "ZSDX.AB1"), Bytes(f / "XSDC.AB1"), Bytes(f / "XSDA.AB1")};
    }
    static std::vector<std::string> On(const fs::path& projects, std::vector<std::string> args) {
        args.insert(args.begin(), {"--projects", projects.string(), "--project", "AB1"});
        return args;
    }
    static Outcome Batch(const fs::path& projects, const std::vector<std::string>& args) {
        return RunToEnd(On(projects, args), root_ / "out.txt");
    }
    static std::string ValueOf(const std::string& output, const std::string& key) {
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(key + ": ", 0) == 0) return line.substr(key.size() + 2);
        return "<missing " + key + ">";
    }
    // A new project made with the given steps, each of which must succeed.
    static void Make(const fs::path& projects, const std::vector<std::vector<std::string>>& steps) {
        fs::create_directories(projects);
        for (const auto& step : steps) {
            const Outcome r = Batch(projects, step);
            ASSERT_EQ(r.rc(), 0) << ::testing::PrintToString(step) << "\n" << r.out;
        }
    }
    static void Fresh(const fs::path& from, const fs::path& to) {
        fs::remove_all(to);
        fs::create_directories(to.parent_path());
        fs::copy(from, to, fs::copy_options::recursive);
    }

    // The state the command leaves, and the index a later opening settles on.
    struct Ends {
        State before, after;
        std::string indexBefore, indexAfter;
    };
    static Ends Reference(const fs::path& start, const std::vector<std::string>& command) {
        Ends e;
        const fs::path ref = root_ / "ref" / "projects";
        Fresh(start, ref);
        e.before = Read(ref);
        EXPECT_EQ(Batch(ref, {"info"}).rc(), 0);
        e.indexBefore = Bytes(folder(ref) / "XSDC.AB1");
        Fresh(start, ref);
        const Outcome r = Batch(ref, command);
        EXPECT_EQ(r.rc(), 0) << r.out;
        e.after = Read(ref);
        EXPECT_EQ(Batch(ref, {"info"}).rc(), 0);
        e.indexAfter = Bytes(folder(ref) / "XSDC.AB1");
        return e;
    }

    // The project after a kill: the reach file whole, old or new; the index consistent with
    // it once opened; the header counting the reaches that are there. A header that
    // disagrees with the reach file is noted in blends.
    void CheckNetwork(const fs::path& projects, const Ends& e, const std::string& when) {
        const State s = Read(projects);
        const bool old = s.reaches == e.before.reaches, now = s.reaches == e.after.reaches;
        EXPECT_TRUE(old || now) << when << ": the reach file is neither the old nor the new one ("
                                << s.reaches.size() << " bytes)";
        const Outcome info = Batch(projects, {"info"});
        ASSERT_EQ(info.rc(), 0) << when << ": " << info.out;
        const std::string index = Bytes(folder(projects) / "XSDC.AB1");
        if ((old || now) && index != (old ? e.indexBefore : e.indexAfter))
            blends_.insert(when +
                           ": the index differs from the one a complete run leaves for the " +
                           (old ? "old" : "new") + " network");
        const std::string count = std::to_string(s.reaches.size() / network::kTramoSize);
        if (ValueOf(info.out, "tramos") != count)
            blends_.insert(when + ": header counts " + ValueOf(info.out, "tramos") +
                           " reaches, the reach file holds " + count +
                           (old ? " (old network)" : " (new network)"));
        const Outcome controls = Batch(projects, {"controls", "--yes"});
        EXPECT_TRUE(controls.exited()) << when << ": controls died";
    }
    void CheckControl(const fs::path& projects, const Ends& e, const std::string& when) {
        const std::string control = Bytes(folder(projects) / "XSDA.AB1");
        EXPECT_EQ(control.size(), e.before.control.size()) << when;
        if (control != e.before.control && control != e.after.control) {
            size_t changed = 0;
            for (size_t k = 0; k < control.size() && k < e.after.control.size(); k += 512)
                if (control.compare(k, 512, e.after.control, k, 512) == 0 &&
                    e.before.control.compare(k, 512, e.after.control, k, 512) != 0)
                    ++changed;
            blends_.insert(when + ": the control file is neither old nor new (" +
                           std::to_string(changed) + " changed record(s) already written)");
        }
        const Outcome info = Batch(projects, {"info"});
        EXPECT_EQ(info.rc(), 0) << when << ": " << info.out;
        EXPECT_TRUE(Batch(projects, {"criteria"}).exited()) << when;
        EXPECT_TRUE(Batch(projects, {"controls", "--yes"}).exited()) << when;
    }

    // The traced boundaries from the moment armed() holds: the first `first` of them, then
    // one in `stride`, plus the last `tail`.
    template <typename Check>
    void TraceEveryBoundary(const fs::path& start, const std::vector<std::string>& command,
                            const std::function<bool(const fs::path&)>& armed, int stride, int tail,
                            Check check, int* kills, int first = 0) {
        const fs::path trial = root_ / "trial" / "projects";
        auto armedOn = [&] {
            return armed ? std::function<bool()>([&] { return armed(trial); })
                         : std::function<bool()>();
        };
        Fresh(start, trial);
        const int total = RunTraced(On(trial, command), root_ / "out.txt", 0, armedOn()).calls;
        ASSERT_GT(total, 0);
        for (int k = 1; k <= total; ++k) {
            if (k > first && k % stride != 1 % stride && k < total - tail) continue;
            Fresh(start, trial);
            const Traced t = RunTraced(On(trial, command), root_ / "out.txt", k, armedOn());
            if (t.killed) ++*kills;
            check(trial,
                  "traced kill at call " + std::to_string(k) + " of " + std::to_string(total));
        }
    }

    void ReportBlends(const std::string& what) {
        if (blends_.empty()) return;
        std::string all;
        for (const std::string& b : blends_)
            all += "\n  " + b;
        ADD_FAILURE() << what << all;
    }

    static fs::path root_;
    std::set<std::string> blends_;
};

fs::path CrashSafety::root_;

const std::vector<std::string> kConfig = {"config",         "--class",       "1",
                                          "--texto",        "correo=a@b.co", "--texto",
                                          "pais=Colombia",  "--texto",       "entidad=Empresa",
                                          "--texto",        "fecha=2026",    "--texto",
                                          "consultor=Yo",   "--texto",       "proyecto=Red",
                                          "--autolimpieza", "tractiva",      "--yes"};

TEST_F(CrashSafety, ImportOfReachesIsOldOrNew) {
    const fs::path big = root_ / "big" / "projects", start = root_ / "import" / "projects";
    const fs::path csv = root_ / "big.csv";
    Make(big, {{"new", "--yes"},
               {"simulate", "--horizontal", "40", "--vertical", "40", "--yes"},
               {"reaches", "export", "--out", csv.string()}});
    Make(start, {{"new", "--yes"},
                 kConfig,
                 {"simulate", "--horizontal", "3", "--vertical", "3", "--yes"},
                 {"controls", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> command{"reaches", "import", csv.string(), "--yes"};
    const Ends e = Reference(start, command);
    ASSERT_GT(e.after.reaches.size(), 1000 * network::kTramoSize);
    ASSERT_NE(e.before.reaches, e.after.reaches);

    // The new network is never taken as controlled: its controls are to be run again. The
    // temporary files the kill left are gone once the sector has been opened again.
    int leftovers = 0;
    const auto check = [&](const fs::path& p, const std::string& when) {
        if (testing::HasTempFile(reachFile(p))) ++leftovers;
        if (Read(p).reaches == e.after.reaches) {
            EXPECT_EQ(ValueOf(Batch(p, {"info"}).out, "controles"), "0000") << when;
        }
        CheckNetwork(p, e, when);  // runs the controls
        for (const auto& f : fs::directory_iterator(folder(p)))
            EXPECT_TRUE(f.path().filename().string().find(".nivex-tmp-") == std::string::npos &&
                        f.path().extension() != ".tmp")
                << when << ": left behind " << f.path().filename();
    };
    const fs::path trial = root_ / "trial" / "projects";
    const auto temp = [&] { return testing::HasTempFile(reachFile(trial)); };
    int timed = 0, during = 0;
    const auto began = Clock::now();
    // Blind delays first, then delays counted from the temporary file's appearance.
    for (int us : {0, 2000, 10000, 30000, 60000}) {
        Fresh(start, trial);
        if (KillAt(On(trial, command), root_ / "out.txt", {}, std::chrono::microseconds(us)))
            ++timed;
        if (temp()) ++during;
        check(trial, "kill after " + std::to_string(us) + " us");
    }
    for (int us = 0; us <= 3000; us += 500) {
        Fresh(start, trial);
        if (KillAt(On(trial, command), root_ / "out.txt", temp, std::chrono::microseconds(us)))
            ++timed;
        if (temp()) ++during;
        check(trial, "kill " + std::to_string(us) + " us after the temporary file");
    }
    std::cout << "[ timed    ] " << timed << " kills, " << during
              << " while the reach file was being written\n";

    int traced = 0;
    if (kTraceable)
        TraceEveryBoundary(
            start, command, [](const fs::path& p) { return testing::HasTempFile(reachFile(p)); },
            40, 24, check, &traced);
    std::cout << "[ traced   ] " << traced << " kills in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count()
              << " ms, " << leftovers << " leaving a temporary file\n";
    EXPECT_GT(leftovers, 0) << "no kill left a temporary file: the removal was not tried";
    ReportBlends("The imported network and its index or header disagree:");
}

TEST_F(CrashSafety, AdoptedAlternativeIsOldOrNew) {
    const fs::path start = root_ / "design" / "projects";
    const fs::path csv = root_ / "design.csv";
    Make(start, {{"new", "--yes"},
                 kConfig,
                 {"simulate", "--horizontal", "8", "--vertical", "8", "--length", "60", "--slope",
                  "1", "--ground", "1000", "--yes"},
                 {"reaches", "export", "--out", csv.string()},
                 {"reaches", "import", csv.string(), "--yes"},  // no longer a simulated network
                 {"config", "--topologia", "ambos", "--yes"},
                 {"controls", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> command{"design", "--alternativa", "2", "--yes"};
    const Ends e = Reference(start, command);
    ASSERT_NE(e.before.reaches, e.after.reaches) << "the alternative was not adopted";

    const fs::path trial = root_ / "trial" / "projects";
    const auto temp = [&] { return testing::HasTempFile(reachFile(trial)); };
    int timed = 0, during = 0;
    for (int us : {0, 200, 1000}) {
        Fresh(start, trial);
        if (KillAt(On(trial, command), root_ / "out.txt", temp, std::chrono::microseconds(us)))
            ++timed;
        if (temp()) ++during;
        CheckNetwork(trial, e, "kill " + std::to_string(us) + " us after the temporary file");
    }
    std::cout << "[ timed    ] " << timed << " kills, " << during
              << " while the reach file was being written\n";

    int traced = 0;
    if (kTraceable)
        TraceEveryBoundary(
            start, command, [](const fs::path& p) { return testing::HasTempFile(reachFile(p)); }, 1,
            0, [&](const fs::path& p, const std::string& when) { CheckNetwork(p, e, when); },
            &traced);
    std::cout << "[ traced   ] " << traced << " kills\n";
    ReportBlends("The adopted alternative and its index or header disagree:");
}

TEST_F(CrashSafety, ReorderingCommitIsOldOrNew) {
    const fs::path start = root_ / "reorder" / "projects";
    Make(start, {{"new", "--yes"},
                 kConfig,
                 {"simulate", "--horizontal", "40", "--vertical", "40", "--yes"},
                 {"controls", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> command{"reaches", "move", "1", "200", "3000", "--yes"};
    const Ends e = Reference(start, command);
    ASSERT_NE(e.before.reaches, e.after.reaches) << "the lines were not moved";

    // The new order is never taken as controlled: its controls are to be run again.
    const auto check = [&](const fs::path& p, const std::string& when) {
        if (Read(p).reaches == e.after.reaches) {
            EXPECT_EQ(ValueOf(Batch(p, {"info"}).out, "controles"), "0000") << when;
        }
        CheckNetwork(p, e, when);  // runs the controls
    };
    const fs::path trial = root_ / "trial" / "projects";
    // The reordered network is written under this name before it replaces the old one.
    const auto writing = [](const fs::path& p) { return fs::exists(folder(p) / "SanTem.AB1"); };
    int timed = 0, during = 0;
    for (int us : {0, 500, 2000, 10000}) {
        Fresh(start, trial);
        if (KillAt(
                On(trial, command), root_ / "out.txt", [&] { return writing(trial); },
                std::chrono::microseconds(us)))
            ++timed;
        if (writing(trial)) ++during;
        check(trial, "kill " + std::to_string(us) + " us after the temporary file");
    }
    std::cout << "[ timed    ] " << timed << " kills, " << during
              << " while the reach file was being written\n";

    int traced = 0;
    if (kTraceable) TraceEveryBoundary(start, command, writing, 8, 8, check, &traced);
    std::cout << "[ traced   ] " << traced << " kills\n";
    ReportBlends("The reordered network and its index or header disagree:");
}

// Reaches of the design copy that carry no design (no diameter or no full-pipe flow).
int UndesignedReaches(const std::string& dump) {
    std::istringstream in(dump);
    int undesigned = 0, rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] < '1' || line[0] > '9') continue;  // heading, questions
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            cells.push_back(cell);
        ++rows;
        if (cells.size() < 18 || std::atof(cells[6].c_str()) <= 0 ||
            std::atof(cells[17].c_str()) <= 0)
            ++undesigned;
    }
    return rows == 0 ? -1 : undesigned;
}

TEST_F(CrashSafety, ARedesignNeverTakesTheBareNetworkForADesign) {
    if (!kTraceable) GTEST_SKIP() << "traced kills need x86-64";
    const fs::path start = root_ / "redesign" / "projects";
    Make(start, {{"new", "--yes"},
                 kConfig,
                 {"simulate", "--horizontal", "6", "--vertical", "6", "--yes"},
                 {"controls", "--yes"},
                 {"design", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(UndesignedReaches(Batch(start, {"dump", "design", "--csv"}).out), 0);
    const std::vector<std::string> command{"design", "--yes"};

    // A design marked as done is a whole design; otherwise it is to be made again.
    const auto check = [&](const fs::path& p, const std::string& when) {
        const std::string stages = ValueOf(Batch(p, {"info"}).out, "etapas");
        ASSERT_EQ(stages.size(), 4u) << when << ": " << stages;
        if (stages[1] != '1') return;
        EXPECT_EQ(UndesignedReaches(Batch(p, {"dump", "design", "--csv"}).out), 0)
            << when << ": the design is marked as done over reaches without a design";
    };
    // From the moment the first design copy is being replaced: every boundary around the
    // replacement, then a sample of the designs.
    const auto copying = [](const fs::path& p) {
        return testing::HasTempFile(folder(p) / "ZSDB.AB1");
    };
    int traced = 0;
    TraceEveryBoundary(start, command, copying, 16, 4, check, &traced, 16);
    std::cout << "[ traced   ] " << traced << " kills\n";
}

TEST_F(CrashSafety, ControlFileIsOldOrNew) {
    if (!kTraceable) GTEST_SKIP() << "traced kills need x86-64";
    const fs::path start = root_ / "control" / "projects";
    Make(
        start,
        {{"new", "--yes"}, kConfig, {"simulate", "--horizontal", "3", "--vertical", "3", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    int traced = 0;
    for (const std::vector<std::string>& command : {
             std::vector<std::string>{"criteria", "set", "r0.42=0.011", "r1.372=25"},
         }) {
        const Ends e = Reference(start, command);
        ASSERT_NE(e.before.control, e.after.control) << command[0] << " changed nothing";
        TraceEveryBoundary(
            start, command, {}, 1, 0,
            [&](const fs::path& p, const std::string& when) {
                CheckControl(p, e, command[0] + ", " + when);
            },
            &traced);
    }
    std::cout << "[ traced   ] " << traced << " kills\n";
    ReportBlends("The control file is neither the old nor the new one:");
}

// Every file of the project folder by its path inside it, but the lock and the temporary
// files a killed program leaves for the next opening to remove.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name.rfind("Bloqueo.", 0) == 0 ||
            name.find(".nivex-tmp-") != std::string::npos)
            continue;
        files[fs::relative(e.path(), folder).string()] = Bytes(e.path());
    }
    return files;
}

// The files that are neither as before nor as after the whole run.
std::string Blended(const std::map<std::string, std::string>& now,
                    const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
    std::string names;
    auto version = [](const auto& files, const std::string& name) {
        auto it = files.find(name);
        return it == files.end() ? std::optional<std::string>() : it->second;
    };
    std::set<std::string> all;
    for (const auto* files : {&now, &before, &after})
        for (const auto& [name, bytes] : *files)
            all.insert(name);
    for (const std::string& name : all) {
        const auto v = version(now, name);
        if (v != version(before, name) && v != version(after, name)) names += " " + name;
    }
    return names;
}

// A design runs its preliminary designs (the network as entered and the automatic
// alternatives), then the final design of the row chosen. Killed anywhere, the sector is
// marked designed only over that whole final design; otherwise the quantities refuse.
TEST_F(CrashSafety, AKilledDesignIsMarkedDoneOnlyOverItsFinalDesign) {
    if (!kTraceable) GTEST_SKIP() << "traced kills need x86-64";
    const fs::path start = root_ / "passes" / "projects";
    const fs::path csv = root_ / "passes.csv";
    Make(start, {{"new", "--yes"},
                 kConfig,
                 {"simulate", "--horizontal", "5", "--vertical", "5", "--yes"},
                 {"reaches", "export", "--out", csv.string()},
                 {"reaches", "import", csv.string(), "--yes"},  // no longer a simulated network
                 {"config", "--topologia", "ambos", "--yes"},
                 {"controls", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> command{"design", "--alternativa", "1", "--yes"};
    const Ends e = Reference(start, command);
    const fs::path ref = root_ / "ref" / "projects";
    const std::string finalCopy = Bytes(folder(ref) / "ZSDB.AB1");
    ASSERT_EQ(ValueOf(Batch(ref, {"info"}).out, "etapas").substr(0, 2), "11");
    // The preliminary designs leave other design copies than the final one.
    Fresh(start, ref);
    EXPECT_NE(Batch(ref, {"design", "--alternativa", "99", "--yes"}).rc(), 0);
    ASSERT_TRUE(Bytes(folder(ref) / "ZSDB.AB1") != finalCopy);

    int designedKills = 0;
    const auto check = [&](const fs::path& p, const std::string& when) {
        const std::string stages = ValueOf(Batch(p, {"info"}).out, "etapas");
        ASSERT_EQ(stages.size(), 4u) << when << ": " << stages;
        if (stages[1] == '1') {
            ++designedKills;
            EXPECT_TRUE(Bytes(folder(p) / "ZSDB.AB1") == finalCopy)
                << when << ": the sector is marked designed over another design than the final";
            return;
        }
        const Outcome q = Batch(p, {"quantities"});
        EXPECT_NE(q.rc(), 0) << when << ": quantities of an undesigned sector";
        // Refused by the menu's gate of the quantities.
        EXPECT_NE(q.out.find("Falta hacer el dise"), std::string::npos) << when << q.out;
    };
    int traced = 0;
    TraceEveryBoundary(start, command, {}, 25, 3, check, &traced);
    std::cout << "[ traced   ] " << traced << " kills, " << designedKills
              << " after the final design was whole\n";
}

// The quantity and budget runs write several files and then mark their stage: killed
// anywhere, every file is as before or as after, and a stage marked done has all of its
// files as the whole run leaves them.
TEST_F(CrashSafety, AKilledQuantityOrBudgetRunIsMarkedDoneOnlyWhenWhole) {
    if (!kTraceable) GTEST_SKIP() << "traced kills need x86-64";
    const fs::path start = root_ / "costs" / "projects";
    Make(start, {{"new", "--yes"},
                 kConfig,
                 {"simulate", "--horizontal", "5", "--vertical", "5", "--yes"},
                 {"controls", "--yes"},
                 {"design", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());
    const fs::path costed = root_ / "costed" / "projects";
    Fresh(start, costed);
    ASSERT_EQ(Batch(costed, {"quantities"}).rc(), 0);

    int traced = 0;
    for (const auto& [from, command, stage] :
         {std::tuple{start, std::vector<std::string>{"quantities"}, size_t{2}},
          std::tuple{costed, std::vector<std::string>{"budget", "--yes"}, size_t{3}}}) {
        const fs::path ref = root_ / "ref" / "projects";
        Fresh(from, ref);
        const auto before = Files(folder(ref));
        const Outcome r = Batch(ref, command);
        ASSERT_EQ(r.rc(), 0) << r.out;
        const auto after = Files(folder(ref));
        ASSERT_EQ(ValueOf(Batch(ref, {"info"}).out, "etapas")[stage], '1');
        ASSERT_TRUE(before != after);
        int marked = 0;
        const auto check = [&](const fs::path& p, const std::string& when) {
            const auto now = Files(folder(p));
            EXPECT_EQ(Blended(now, before, after), "") << command[0] << ", " << when;
            const std::string stages = ValueOf(Batch(p, {"info"}).out, "etapas");
            ASSERT_EQ(stages.size(), 4u) << when << ": " << stages;
            if (stages[stage] != '1') return;
            ++marked;
            for (const auto& [name, bytes] : after) {
                if (name.rfind("SAN", 0) != 0) continue;  // the quantity and budget files
                EXPECT_TRUE(now.count(name) && now.at(name) == bytes)
                    << command[0] << ", " << when << ": marked done without the whole " << name;
            }
        };
        TraceEveryBoundary(from, command, {}, 1, 0, check, &traced);
        std::cout << "[ " << command[0] << " ] " << marked << " kills after the stage was marked\n";
    }
    std::cout << "[ traced   ] " << traced << " kills\n";
}

}  // namespace
}  // namespace nivex::cli
