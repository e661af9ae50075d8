// Stored data through nivex-batch as the program really opens a sector: an index short of
// lines, values the screens take surviving a reopening, what sectors 2 to 9 share with
// sector 1, the project data control A asks for, and a network of values no screen writes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/batch_rig.h"
#include "network/tramo.h"
#include "shell/record_codec.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

const std::vector<std::string> kProjectData = {
    "--texto", "correo=a@b.co", "--texto", "pais=Colombia", "--texto", "entidad=Empresa",
    "--texto", "fecha=2026",    "--texto", "consultor=Yo",  "--texto", "proyecto=Red"};

class BatchData : public BatchProjectTest {
  protected:
    BatchOutcome run(std::vector<std::string> args, const std::string& sector = "AB1") {
        args.insert(args.begin(), {"--project", sector});
        return batch(args);
    }
    // The project folder, whatever the project is called.
    fs::path folder() const {
        for (const auto& entry : fs::directory_iterator(base_ / "projects"))
            if (fs::exists(entry.path() / "XSDA.AB1")) return entry.path();
        return {};
    }
    void Named(std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"config", "--autolimpieza", "tractiva"};
        args.insert(args.end(), kProjectData.begin(), kProjectData.end());
        args.insert(args.end(), more.begin(), more.end());
        args.push_back("--yes");
        const BatchOutcome r = run(args);
        ASSERT_EQ(r.rc, 0) << r.err;
    }
};

// Construction data as the control file holds them: record 1, one float each from offset 0.
float Construction(const std::string& control, int item) {
    codec::Bytes r(control.begin() + 512, control.begin() + 1024);
    return codec::F32(r, static_cast<size_t>(4 * item));
}

// The opening rebuilds an index that does not name the lines of the reach file; when it was
// short of lines the construction data become those after a rebuild: compaction 1, fills
// 100, 0 and 0, no gravel bedding.
TEST_F(BatchData, TheOpeningResetsTheConstructionDataWhenItRebuildsAShortIndex) {
    ASSERT_EQ(run({"simulate", "--horizontal", "2", "--vertical", "2", "--yes"}).rc, 0);
    const BatchOutcome set =
        run({"criteria", "set", "r1.0[9]=1.2", "r1.0[10]=50", "r1.0[11]=50", "r1.0[13]=2"});
    ASSERT_EQ(set.rc, 0) << set.err;
    const fs::path index = folder() / "XSDC.AB1", control = folder() / "XSDA.AB1";
    const std::string whole = Slurp(index);
    ASSERT_EQ(whole.size() % network::kIndiceSize, 0u);
    ASSERT_GT(whole.size(), 2 * network::kIndiceSize);

    // The same number of entries, one of them naming other manholes: rebuilt, data kept.
    std::string renamed = whole;
    renamed.replace(1, 2, "ZZ");
    Spit(index, renamed);
    ASSERT_EQ(run({"info"}).rc, 0);
    EXPECT_EQ(Slurp(index), whole);
    EXPECT_FLOAT_EQ(Construction(Slurp(control), 9), 1.2f);
    EXPECT_FLOAT_EQ(Construction(Slurp(control), 13), 2);

    // One entry short.
    Spit(index, whole.substr(0, whole.size() - network::kIndiceSize));
    const BatchOutcome info = run({"info"});
    ASSERT_EQ(info.rc, 0) << info.err;
    EXPECT_EQ(Slurp(index), whole);
    const std::string after = Slurp(control);
    EXPECT_FLOAT_EQ(Construction(after, 9), 1);
    EXPECT_FLOAT_EQ(Construction(after, 10), 100);
    EXPECT_FLOAT_EQ(Construction(after, 11), 0);
    EXPECT_FLOAT_EQ(Construction(after, 12), 0);
    EXPECT_FLOAT_EQ(Construction(after, 13), 0);
    EXPECT_FLOAT_EQ(Construction(after, 14), 3) << "the concrete bedding is not touched";
}

// The adjustment screen takes 0.80 to 1.30; the opening keeps what it took.
TEST_F(BatchData, AnAdjustmentFactorTheScreenTakesSurvivesReopening) {
    for (const char* taken : {"0.80", "1.25", "1.30"}) {
        const BatchOutcome r = run({"criteria", "set", std::string("r3.400=") + taken});
        ASSERT_EQ(r.rc, 0) << r.err;
        const std::string shown = valueOf(run({"criteria"}).out, "r3.400");
        EXPECT_EQ(shown.substr(0, shown.find(' ')), taken);
    }
    for (const char* refused : {"0.79", "1.31"})
        EXPECT_EQ(run({"criteria", "set", std::string("r3.400=") + refused}).rc, 1) << refused;
}

// Sector 1 of class 9 (storm by hyetographs): sector 2 opens with class 9 and the storm
// kind, not with class 2 under the storm kind.
TEST_F(BatchData, SectorsTakeSectorOnesDesignClass) {
    std::vector<std::string> args = {"config", "--class", "9"};
    args.insert(args.end(), kProjectData.begin(), kProjectData.end());
    args.push_back("--yes");
    ASSERT_EQ(run(args).rc, 0);
    ASSERT_EQ(run({"new", "--yes"}, "AB2").rc, 0);
    const BatchOutcome info = run({"info"}, "AB2");
    EXPECT_EQ(valueOf(info.out, "clase"), "9") << info.out;
    const std::string control = Slurp(folder() / "XSDA.AB2");
    EXPECT_EQ(codec::I16(codec::Bytes(control.begin(), control.begin() + 512), 26), 4)
        << "the storm kind of class 9";

    // Sector 1 changes its class: sector 2 follows at its next opening, its stages undone.
    args[2] = "3";
    args.insert(args.end() - 1, {"--autolimpieza", "tractiva"});
    const BatchOutcome changed = run(args);
    ASSERT_EQ(changed.rc, 0) << changed.err;
    const BatchOutcome again = run({"info"}, "AB2");
    EXPECT_EQ(valueOf(again.out, "clase"), "3") << again.out;
    EXPECT_EQ(valueOf(again.out, "etapas"), "0000");
}

// A new project is called "Proyecto Nuevo": that is no name for control A; nor is a country
// or an entity taken away after control A passed.
TEST_F(BatchData, ControlANeedsTheProjectDataTheConfigurationHolds) {
    ASSERT_EQ(run({"simulate", "--horizontal", "1", "--vertical", "1", "--yes"}).rc, 0);
    std::vector<std::string> unnamed = {"config", "--autolimpieza", "tractiva"};
    unnamed.insert(unnamed.end(), kProjectData.begin(), kProjectData.end() - 2);
    unnamed.push_back("--yes");
    ASSERT_EQ(run(unnamed).rc, 0);
    BatchOutcome controls = run({"controls", "--yes"});
    EXPECT_NE(controls.rc, 0);
    EXPECT_NE(controls.out.find("Falta indicar el nombre del Proyecto"), std::string::npos)
        << controls.out;
    EXPECT_EQ(valueOf(run({"info"}).out, "controles").substr(0, 1), "0");

    Named();
    controls = run({"controls", "--yes"});
    ASSERT_EQ(controls.rc, 0) << controls.out << controls.err;
    EXPECT_EQ(valueOf(run({"info"}).out, "controles"), "1111");
    for (const char* blank : {"pais=", "entidad="}) {
        ASSERT_EQ(run({"config", "--texto", blank, "--yes"}).rc, 0);
        EXPECT_EQ(valueOf(run({"info"}).out, "controles"), "0111") << blank;
        EXPECT_NE(run({"design", "--yes"}).rc, 0) << "no design without control A";
        Named();
        ASSERT_EQ(run({"controls", "--yes"}).rc, 0);
    }
}

// A length that is not a number, or a file of nothing but NaN, passes no control and no
// design: the line is named and no file is changed.
TEST_F(BatchData, ANetworkOfNaNIsKeptFromTheControlsAndTheDesign) {
    Named();
    ASSERT_EQ(run({"simulate", "--horizontal", "2", "--vertical", "2", "--yes"}).rc, 0);
    ASSERT_EQ(run({"controls", "--yes"}).rc, 0);
    const fs::path reaches = folder() / "ZSDX.AB1";
    const std::string sound = Slurp(reaches);
    std::string nanLength = sound;
    const float nan = std::nanf("");
    std::memcpy(nanLength.data() + 2 * network::kTramoSize + 60, &nan, sizeof nan);
    std::string allNan(sound.size(), '\0');
    for (size_t at = 0; at + 4 <= allNan.size(); at += 4)
        std::memcpy(allNan.data() + at, &nan, sizeof nan);
    const std::pair<std::string, std::string> cases[] = {
        {nanLength, "ZSDX.AB1 esta dañado: linea 3: la longitud no es un numero"},
        {allNan, "ZSDX.AB1 esta dañado: linea 1: "},
    };
    // The flags of the controls and stages: bytes 0 to 7 of the control file.
    const auto flags = [&] { return Slurp(folder() / "XSDA.AB1").substr(0, 8); };
    for (const auto& [bytes, said] : cases) {
        Spit(reaches, bytes);
        const std::string before = flags();
        for (const std::vector<std::string>& verb :
             {std::vector<std::string>{"controls", "--yes"}, {"design", "--yes"}}) {
            const BatchOutcome r = run(verb);
            EXPECT_EQ(r.rc, 1) << verb[0] << r.out;
            EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
            EXPECT_EQ(Slurp(reaches), bytes);
            EXPECT_EQ(flags(), before) << verb[0];
            EXPECT_FALSE(fs::exists(folder() / "ZSDB.AB1")) << "no design copy of it";
        }
    }
}

}  // namespace
}  // namespace nivex::cli
