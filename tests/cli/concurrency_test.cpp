// Two nivex-batch programs started together on one sector, over and over, with small
// delays between them: afterwards the sector holds what one of them, or both one after
// the other, would have left on their own; a program that found the sector in use said
// who held it and changed nothing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/batch_process.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

using nivex::testing::BatchExecutable;
using nivex::testing::ExecBatch;

pid_t Start(const std::vector<std::string>& args, const fs::path& output) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ExecBatch(args, output);
}

struct Ran {
    int rc = -1;
    std::string out;
};

Ran Wait(pid_t pid, const fs::path& output) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Bytes(output)};
}

// Every file of the project folder, by its path inside it.
using Folder = std::map<std::string, std::string>;

// One verb as a user types it, and the name the lock gives its program.
struct Verb {
    std::vector<std::string> args;
    std::string program;
};

class Concurrency : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = fs::temp_directory_path() / ("nivex-concurrency-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        setenv("XDG_DATA_HOME", (root_ / "xdg").c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }
    void SetUp() override {
        if (!fs::exists(BatchExecutable())) GTEST_SKIP() << "nivex-batch is not built";
    }

    static std::vector<std::string> On(const fs::path& projects, std::vector<std::string> args) {
        args.insert(args.begin(), {"--projects", projects.string(), "--project", "AB1"});
        return args;
    }
    static Ran Run(const fs::path& projects, const std::vector<std::string>& args) {
        const fs::path out = root_ / "alone.txt";
        return Wait(Start(On(projects, args), out), out);
    }
    static void Make(const fs::path& projects, const std::vector<std::vector<std::string>>& steps) {
        fs::create_directories(projects);
        for (const auto& step : steps) {
            const Ran r = Run(projects, step);
            ASSERT_EQ(r.rc, 0) << ::testing::PrintToString(step) << "\n" << r.out;
        }
    }
    static void Fresh(const fs::path& from, const fs::path& to) {
        fs::remove_all(to);
        fs::create_directories(to.parent_path());
        fs::copy(from, to, fs::copy_options::recursive);
    }
    static Folder Read(const fs::path& projects) {
        Folder folder;
        const fs::path top = projects / "AB-RED";
        for (const auto& e : fs::recursive_directory_iterator(top))
            if (e.is_regular_file()) folder[fs::relative(e.path(), top).string()] = Bytes(e.path());
        return folder;
    }
    // What the verbs leave when run one after the other from start, and their exit codes.
    struct Ends {
        Folder folder;
        std::vector<int> rcs;
    };
    static Ends Sequence(const fs::path& start, const std::vector<const Verb*>& verbs) {
        const fs::path ref = root_ / "ref" / "projects";
        Fresh(start, ref);
        Ends e;
        for (const Verb* v : verbs)
            e.rcs.push_back(Run(ref, v->args).rc);
        e.folder = Read(ref);
        return e;
    }
    static std::string Differences(const Folder& got, const Folder& want) {
        std::string text;
        for (const auto& [name, bytes] : got) {
            auto it = want.find(name);
            if (it == want.end())
                text += " +" + name;
            else if (it->second != bytes)
                text += " ~" + name;
        }
        for (const auto& [name, bytes] : want)
            if (!got.count(name)) text += " -" + name;
        return text;
    }

    // Runs the pair `trials` times; counts the runs in which one was refused.
    void Race(const fs::path& start, const Verb& a, const Verb& b, int trials, int* refusals) {
        const Ends aAlone = Sequence(start, {&a}), bAlone = Sequence(start, {&b});
        const Ends ab = Sequence(start, {&a, &b}), ba = Sequence(start, {&b, &a});
        const fs::path trial = root_ / "trial" / "projects";
        const std::string pair = a.program + " / " + b.program;
        for (int k = 0; k < trials; ++k) {
            Fresh(start, trial);
            const auto delay = std::chrono::microseconds(k % 4 == 0 ? 0 : 500 * (k % 4));
            const bool aFirst = k % 2 == 0;
            const Verb& first = aFirst ? a : b;
            const Verb& second = aFirst ? b : a;
            const fs::path out1 = root_ / "first.txt", out2 = root_ / "second.txt";
            const pid_t p1 = Start(On(trial, first.args), out1);
            std::this_thread::sleep_for(delay);
            const pid_t p2 = Start(On(trial, second.args), out2);
            const Ran r1 = Wait(p1, out1), r2 = Wait(p2, out2);
            const Ran& ra = aFirst ? r1 : r2;
            const Ran& rb = aFirst ? r2 : r1;
            const std::string when = pair + ", trial " + std::to_string(k);
            const Folder now = Read(trial);

            const bool aRefused = ra.out.find("esta en uso por") != std::string::npos;
            const bool bRefused = rb.out.find("esta en uso por") != std::string::npos;
            ASSERT_FALSE(aRefused && bRefused) << when << "\n" << ra.out << "\n" << rb.out;
            if (aRefused || bRefused) {
                ++*refusals;
                const Ran& loser = aRefused ? ra : rb;
                const Verb& winner = aRefused ? b : a;
                const Ends& alone = aRefused ? bAlone : aAlone;
                EXPECT_NE(loser.rc, 0) << when;
                EXPECT_NE(loser.out.find("El sector AB1 esta en uso por " + winner.program + " ("),
                          std::string::npos)
                    << when << ": the refusal does not name the holder\n"
                    << loser.out;
                EXPECT_NE(loser.out.find("No se hizo ningun cambio."), std::string::npos) << when;
                EXPECT_EQ((aRefused ? rb : ra).rc, alone.rcs[0]) << when;
                EXPECT_EQ(Differences(now, alone.folder), "")
                    << when << ": not what " << winner.program << " leaves alone";
                continue;
            }
            // Both ran: one after the other, in one of the two orders.
            const bool asAB =
                Differences(now, ab.folder).empty() && ra.rc == ab.rcs[0] && rb.rc == ab.rcs[1];
            const bool asBA =
                Differences(now, ba.folder).empty() && rb.rc == ba.rcs[0] && ra.rc == ba.rcs[1];
            EXPECT_TRUE(asAB || asBA)
                << when << ": neither order (exit codes " << ra.rc << ", " << rb.rc << "; against "
                << a.program << " then " << b.program << ":" << Differences(now, ab.folder)
                << "; the other way:" << Differences(now, ba.folder) << ")\n"
                << ra.out << "\n"
                << rb.out;
        }
    }

    static fs::path root_;
};

fs::path Concurrency::root_;

TEST_F(Concurrency, PairsOfProgramsOnOneSectorLeaveOneWholeResult) {
    const fs::path start = root_ / "start" / "projects", other = root_ / "other" / "projects";
    const fs::path netA = root_ / "a.csv", netB = root_ / "b.csv";
    const std::vector<std::string> config = {
        "config",          "--class",       "1",          "--texto",       "proyecto=Red",
        "--texto",         "correo=a@b.co", "--texto",    "pais=Colombia", "--texto",
        "entidad=Empresa", "--texto",       "fecha=2026", "--texto",       "consultor=Yo",
        "--autolimpieza",  "tractiva",      "--yes"};
    Make(other, {{"new", "--yes"},
                 {"simulate", "--horizontal", "6", "--vertical", "4", "--yes"},
                 {"reaches", "export", "--out", netB.string()}});
    Make(start, {{"new", "--yes"},
                 config,
                 {"simulate", "--horizontal", "8", "--vertical", "8", "--yes"},
                 {"reaches", "export", "--out", netA.string()},
                 {"reaches", "import", netA.string(), "--yes"},
                 {"controls", "--yes"},
                 {"design", "--yes"},
                 {"quantities"},
                 {"budget", "--yes"}});
    ASSERT_FALSE(HasFatalFailure());

    const Verb importA{{"reaches", "import", netA.string(), "--yes"}, "nivex-batch reaches import"};
    const Verb importB{{"reaches", "import", netB.string(), "--yes"}, "nivex-batch reaches import"};
    const Verb design{{"design", "--yes"}, "nivex-batch design"};
    const Verb quantities{{"quantities"}, "nivex-batch quantities"};
    const Verb budget{{"budget", "--yes"}, "nivex-batch budget"};
    const Verb criteria{{"criteria", "set", "r0.42=0.011", "r1.372=25"},
                        "nivex-batch criteria set"};
    const Verb info{{"info"}, "nivex-batch info"};

    const int trials =
        std::getenv("NIVEX_LONG") && std::string(std::getenv("NIVEX_LONG")) == "1" ? 60 : 8;
    int refusals = 0;
    const auto began = std::chrono::steady_clock::now();
    for (const auto& [a, b] : {std::pair{&importA, &importB}, std::pair{&importB, &design},
                               std::pair{&design, &quantities}, std::pair{&quantities, &budget},
                               std::pair{&criteria, &design}, std::pair{&budget, &importB}}) {
        Race(start, *a, *b, trials, &refusals);
        ASSERT_FALSE(HasFatalFailure());
    }
    EXPECT_GT(refusals, 0) << "the programs never met: nothing was tried";

    // One that only reads is never refused and changes nothing: the writer waits for it
    // or goes on beside it.
    const Ends designed = Sequence(start, {&design});
    const fs::path trial = root_ / "trial" / "projects";
    for (int k = 0; k < trials; ++k) {
        Fresh(start, trial);
        const fs::path out1 = root_ / "first.txt", out2 = root_ / "second.txt";
        const pid_t writer = Start(On(trial, design.args), out1);
        std::this_thread::sleep_for(std::chrono::microseconds(700 * k));
        const pid_t reader = Start(On(trial, info.args), out2);
        const Ran w = Wait(writer, out1), r = Wait(reader, out2);
        EXPECT_EQ(w.rc, 0) << w.out;
        EXPECT_EQ(r.rc, 0) << r.out;
        EXPECT_NE(r.out.find("tramos: "), std::string::npos) << r.out;
        EXPECT_EQ(Differences(Read(trial), designed.folder), "") << "reader trial " << k;
    }
    std::cout << "[ pairs    ] " << refusals << " refusals in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - began)
                     .count()
              << " ms\n";
}

}  // namespace
}  // namespace nivex::cli
