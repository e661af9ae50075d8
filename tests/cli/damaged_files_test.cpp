// Every file of a project carried to its budget, damaged six ways (one byte short, bytes
// over, random bytes, 0xFF, NaN, a sparse gigabyte) and run through nivex-batch as a process
// of its own, with a time limit and the memory capped at 4 GB: no signal, no hang, an exit
// code of 0 or 1 with a message, the damaged file named by the verbs that read it, and no
// file changed by a verb that only reads. CI runs each file with its readers and a verb in
// turn; NIVEX_LONG=1 runs every verb on every damaged file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/batch_process.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr std::uintmax_t kHuge = std::uintmax_t{1} << 30;
constexpr rlim_t kMemory = rlim_t{4} << 30;
constexpr auto kLimit = std::chrono::seconds(20);

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

using nivex::testing::BatchExecutable;
using nivex::testing::ExecBatch;

struct Outcome {
    bool timedOut = false;
    int status = 0;
    std::string out;
    bool exited() const { return !timedOut && WIFEXITED(status); }
    int rc() const { return exited() ? WEXITSTATUS(status) : -1; }
};

// The program with the memory capped, its output (stdout and stderr) in a file, killed
// when it runs past the limit.
Outcome RunProgram(const Args& args, const fs::path& output) {
    Outcome r;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit memory{kMemory, kMemory};
        ::setrlimit(RLIMIT_AS, &memory);
        ExecBatch(args, output);
    }
    const auto end = std::chrono::steady_clock::now() + kLimit;
    while (::waitpid(pid, &r.status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &r.status, 0);
            r.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    r.out = Bytes(output);
    return r;
}

enum class Damage { Short, Longer, Random, Ones, NaN, Huge };
const Damage kDamages[] = {Damage::Short, Damage::Longer, Damage::Random,
                           Damage::Ones,  Damage::NaN,    Damage::Huge};

const char* NameOf(Damage d) {
    switch (d) {
        case Damage::Short:
            return "cut by one byte";
        case Damage::Longer:
            return "three bytes over";
        case Damage::Random:
            return "random bytes";
        case Damage::Ones:
            return "0xFF";
        case Damage::NaN:
            return "NaN";
        case Damage::Huge:
            return "sparse gigabyte";
    }
    return "?";
}

// The same size when the damage keeps it (nothing to do for an empty file).
bool Applies(Damage d, std::uintmax_t size) {
    return size > 0 || d == Damage::Longer || d == Damage::Huge;
}

void Apply(Damage d, const fs::path& file, unsigned draw) {
    const std::uintmax_t size = fs::file_size(file);
    std::string bytes;
    switch (d) {
        case Damage::Short:
            fs::resize_file(file, size - 1);
            return;
        case Damage::Longer:
            std::ofstream(file, std::ios::binary | std::ios::app) << "XYZ";
            return;
        case Damage::Huge:
            fs::resize_file(file, kHuge);
            return;
        case Damage::Random: {
            std::mt19937 random(draw);
            bytes.resize(size);
            for (char& c : bytes)
                c = static_cast<char>(random());
            break;
        }
        case Damage::Ones:
            bytes.assign(size, '\xFF');
            break;
        case Damage::NaN:
            bytes.assign(size, '\0');
            for (size_t at = 0; at + 4 <= bytes.size(); at += 4)
                bytes.replace(at, 4, "\x00\x00\xC0\x7F", 4);
            break;
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The verbs, and whether they only read the project.
struct Verb {
    Args args;
    bool readOnly;
};

std::string Line(const Args& args) {
    std::string s;
    for (const std::string& a : args)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

class DamagedFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        root_ = fs::temp_directory_path() / ("nivex-damaged-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(good_());
        setenv("XDG_DATA_HOME", (root_ / "xdg").c_str(), 1);  // keep the user's trash out
        listing_ = root_ / "listado.txt";
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }

    void SetUp() override {
        if (!fs::exists(BatchExecutable())) GTEST_SKIP() << "nivex-batch is not built";
        if (!fs::exists(folder(good_()))) MakeProject();
    }

    static fs::path good_() { return root_ / "good"; }
    static fs::path folder(const fs::path& projects) { return projects / "AB-RED"; }
    static Args On(const fs::path& projects, Args args) {
        // Listing the projects names none.
        if (!args.empty() && args[0] == "list-projects")
            args.insert(args.begin(), {"--projects", projects.string()});
        else
            args.insert(args.begin(), {"--projects", projects.string(), "--project", "AB1"});
        return args;
    }
    static Outcome Batch(const fs::path& projects, const Args& args) {
        return RunProgram(On(projects, args), root_ / "salida.txt");
    }

    // New, configured, a simulated grid, controlled, designed and reviewed, its quantities,
    // every price and a lump-sum item, and its budget.
    void MakeProject() {
        const fs::path projects = good_();
        const fs::path prices = root_ / "precios.csv";
        const std::vector<Args> steps = {
            {"new", "--yes"},
            {"config", "--autolimpieza", "tractiva", "--texto", "correo=a@b.co", "--texto",
             "pais=Colombia", "--texto", "entidad=Empresa", "--texto", "fecha=2026", "--texto",
             "consultor=Yo", "--texto", "proyecto=Red", "--yes"},
            {"simulate", "--horizontal", "2", "--vertical", "2", "--yes"},
            {"controls", "--yes"},
            {"design", "--yes"},
            {"review"},
            {"quantities"},
            {"prices", "export", "--out", prices.string()}};
        for (const Args& step : steps) {
            const Outcome r = Batch(projects, step);
            ASSERT_EQ(r.rc(), 0) << Line(step) << "\n" << r.out;
        }
        std::istringstream in(Bytes(prices));
        std::string line, filled;
        std::getline(in, line);
        filled = line + "\n";
        while (std::getline(in, line))
            filled += line.substr(0, line.rfind(',') + 1) + "100.00\n";
        std::ofstream(prices, std::ios::binary | std::ios::trunc) << filled;
        for (const Args& step :
             {Args{"prices", "import", prices.string()},
              Args{"globals", "set", "1", "Campamento", "0", "1000"}, Args{"budget", "--yes"}}) {
            const Outcome r = Batch(projects, step);
            ASSERT_EQ(r.rc(), 0) << Line(step) << "\n" << r.out;
        }
        const Outcome info = Batch(projects, {"info"});
        ASSERT_NE(info.out.find("etapas: 1111"), std::string::npos) << info.out;
    }

    static std::vector<Verb> Verbs() {
        const std::string out = listing_.string();
        std::vector<Verb> verbs = {
            {{"info"}, true},
            {{"criteria"}, true},
            {{"reaches", "export"}, true},
            {{"dump", "design"}, true},
            {{"alternatives"}, true},
            {{"stages"}, true},
            {{"globals"}, true},
            {{"prices", "export"}, true},
            {{"list-projects"}, true},
            {{"controls", "--yes"}, false},
            {{"design", "--yes"}, false},
            {{"review"}, false},
            {{"quantities"}, false},
            {{"budget", "--yes"}, false},
            {{"swmm", "write", "--yes"}, false},
            {{"restore-backup", "--yes"}, false},
        };
        for (const char* key : {"4A", "4B", "4C", "5B", "6B", "7C", "7D", "9A", "9B", "9C", "9D",
                                "9E", "YA", "YB", "ZA", "ZB"})
            verbs.push_back({{"list", key, "--out", out, "--yes"}, true});
        return verbs;
    }

    // The verbs that read a file, and must name it when it is a gigabyte (or, for the files
    // of records, when it is cut or grown); the opening reads the control file, the reach
    // file and its index, so every verb names those.
    static std::vector<std::string> Readers(const std::string& file) {
        static const std::map<std::string, std::vector<std::string>> readers = {
            {"XSDA.AB1", {"info", "criteria", "controls --yes", "design --yes", "globals"}},
            {"ZSDX.AB1", {"info", "controls --yes", "design --yes", "reaches export"}},
            {"XSDC.AB1", {"info", "list 4B", "quantities"}},
            {"ZSDB.AB1", {"dump design", "stages", "list 7C", "review", "quantities"}},
            {"AB1", {"alternatives"}},
            {"SANNEWQ.AB1", {"list 9B", "list YB", "list ZA"}},
            {"SANNEWV.AB1", {"list YB", "list ZA"}},
            {"XSANPRE.AB0", {"globals", "prices export", "budget --yes", "list YB"}},
            {"MensEv.AB1", {"list 5B"}},
            {"MensPr.AB1", {"list 6B"}},
        };
        const auto found = readers.find(file);
        return found == readers.end() ? std::vector<std::string>{} : found->second;
    }
    static bool Records(const std::string& file) {
        return file == "XSDA.AB1" || file == "ZSDX.AB1" || file == "XSDC.AB1" || file == "ZSDB.AB1";
    }
    // A verb's name as the readers list it: the verb without the listing's options.
    static std::string Key(const Args& args) {
        if (args[0] == "list") return "list " + args[1];
        return Line(args);
    }

    // What a file holds, for the checks: the bytes, or only the size of a huge one.
    static std::string Held(const fs::path& file) {
        const std::uintmax_t size = fs::file_size(file);
        return size > (std::uintmax_t{16} << 20) ? "size " + std::to_string(size) : Bytes(file);
    }

    void Check(const std::string& file, Damage damage, const Verb& verb, unsigned draw) {
        const std::string when = file + " " + NameOf(damage) + ", " + Line(verb.args);
        const fs::path trial = root_ / "trial";
        fs::remove_all(trial);
        fs::copy(good_(), trial, fs::copy_options::recursive);
        const fs::path damaged = folder(trial) / file;
        Apply(damage, damaged, draw);
        std::map<std::string, std::string> before;
        for (const auto& entry : fs::directory_iterator(folder(trial)))
            if (entry.is_regular_file())
                before[entry.path().filename().string()] = Held(entry.path());

        const Outcome r = Batch(trial, verb.args);
        ++runs_;
        ASSERT_FALSE(r.timedOut) << when << ": still running after 20 s";
        ASSERT_TRUE(WIFEXITED(r.status))
            << when << ": ended by signal " << WTERMSIG(r.status) << "\n"
            << r.out;
        EXPECT_TRUE(r.rc() == 0 || r.rc() == 1) << when << ": exit code " << r.rc() << "\n"
                                                << r.out;
        if (r.rc() != 0) {
            EXPECT_FALSE(r.out.empty()) << when << ": refused without a word";
        }
        const std::string path = damaged.string();
        for (const char* said : {"esta dañado", "es demasiado grande"})
            for (size_t at = r.out.find(said); at != std::string::npos;
                 at = r.out.find(said, at + 1)) {
                const size_t line = r.out.rfind('\n', at) + 1;
                EXPECT_NE(r.out.substr(line, at - line).find("El archivo "), std::string::npos)
                    << when << ": " << r.out.substr(line, at - line + 40);
            }

        // The verbs that read the file say which file it is.
        const std::vector<std::string> readers = Readers(file);
        const bool reads =
            std::find(readers.begin(), readers.end(), Key(verb.args)) != readers.end();
        const bool sizeDamage =
            damage == Damage::Huge ||
            (Records(file) && (damage == Damage::Short || damage == Damage::Longer));
        if (reads && sizeDamage) {
            EXPECT_NE(r.out.find(path), std::string::npos) << when << ": file not named\n" << r.out;
        }
        if (reads && damage == Damage::Huge) {
            EXPECT_TRUE(r.out.find(path + " es demasiado grande") != std::string::npos ||
                        r.out.find(path + " esta dañado") != std::string::npos)
                << when << "\n"
                << r.out;
        }

        // What only reads changes nothing; the index alone is made again from a sound reach
        // file when its whole entries name other lines.
        for (const auto& [name, held] : before) {
            const fs::path now = folder(trial) / name;
            if (!fs::exists(now)) {
                // A verb that changes the project may remove what it makes stale.
                EXPECT_FALSE(verb.readOnly) << when << ": " << name << " is gone";
                EXPECT_TRUE(name != "XSDA.AB1" && name != "ZSDX.AB1") << when << ": " << name;
                continue;
            }
            const std::string after = Held(now);
            if (after == held) continue;
            const bool rebuiltIndex =
                name == "XSDC.AB1" && file == name && after == Bytes(folder(good_()) / name);
            if (verb.readOnly) {
                EXPECT_TRUE(rebuiltIndex) << when << ": " << name << " changed";
            } else if (name == file) {
                EXPECT_TRUE(rebuiltIndex || (file != "XSDA.AB1" && file != "ZSDX.AB1"))
                    << when << ": the damaged " << name << " was rewritten";
            }
        }
    }

    static fs::path root_, listing_;
    int runs_ = 0;
};

fs::path DamagedFiles::root_, DamagedFiles::listing_;

TEST_F(DamagedFiles, EveryFileEveryDamageThroughTheVerbs) {
    const bool everything = std::getenv("NIVEX_LONG") != nullptr;
    const std::vector<Verb> verbs = Verbs();
    std::set<std::string> covered;
    const auto start = std::chrono::steady_clock::now();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder(good_())))
        if (entry.is_regular_file()) files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 14u);
    size_t turn = 0;
    for (size_t f = 0; f < files.size(); ++f) {
        const std::string file = files[f].string();
        const std::uintmax_t size = fs::file_size(folder(good_()) / file);
        const std::vector<std::string> readers = Readers(file);
        for (size_t d = 0; d < std::size(kDamages); ++d) {
            const Damage damage = kDamages[d];
            if (!Applies(damage, size)) continue;
            const unsigned draw = static_cast<unsigned>(f * 10 + d);
            for (const Verb& verb : verbs) {
                const std::string key = Key(verb.args);
                const bool reader = key == "info" ||
                                    std::find(readers.begin(), readers.end(), key) != readers.end();
                // Besides the readers, one more verb in turn.
                const bool inTurn = &verb == &verbs[turn % verbs.size()];
                if (!everything && !reader && !inTurn) continue;
                covered.insert(key);
                Check(file, damage, verb, draw);
                if (HasFatalFailure()) return;
            }
            ++turn;
        }
    }
    for (const Verb& verb : verbs)
        EXPECT_TRUE(covered.count(Key(verb.args))) << Line(verb.args) << " never ran";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d runs over %zu files in %.1f s\n", runs_, files.size(), seconds);
}

}  // namespace
}  // namespace nivex::cli
