#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "network/record_file.h"
#include "network/tramo.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

class BatchControls : public BatchProjectTest {
  protected:
    fs::path folder() const { return *fs::directory_iterator(base_ / "projects"); }
    void ProjectData() {
        ASSERT_EQ(batch({"--project", "AB1", "config", "--texto", "correo=a@b.co", "--texto",
                         "pais=Colombia", "--texto", "entidad=Empresa", "--texto",
                         "proyecto=Barrio", "--texto", "fecha=2026", "--yes"})
                      .rc,
                  0);
    }
    void Network(const std::vector<network::TramoT>& reaches) {
        std::vector<codec::Bytes> records;
        for (const network::TramoT& t : reaches) {
            codec::Bytes b(network::kTramoSize, 0);
            ASSERT_TRUE(network::Encode(t, b));
            records.push_back(b);
        }
        std::string error;
        ASSERT_TRUE(network::ReplaceRecordFile((folder() / "ZSDX.AB1").string(),
                                               network::kTramoSize, records, error));
    }
    static network::TramoT R(const std::string& up, const std::string& down, int type = 0) {
        network::TramoT t;
        t.Upstream = up;
        t.Downstream = down;
        t.Type = type;
        // Every manhole has one ground, lower down the alphabet.
        t.GroundUp = 200.0f - static_cast<float>(up[0]);
        t.GroundDown = 200.0f - static_cast<float>(down[0]);
        t.Length = 30;
        t.Area = 0.2f;
        return t;
    }
};

TEST_F(BatchControls, WithoutYesTheQuestionsAreAnsweredNo) {
    Network({R("A", "B"), R("B", "C", 2)});
    const BatchOutcome r = batch({"--project", "AB1", "controls"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(valueOf(r.out, "A"), "??");
    EXPECT_EQ(valueOf(r.out, "C"), "??");  // not run: its confirmation was answered No
    EXPECT_EQ(valueOf(r.out, "D"), "??");
    EXPECT_NE(r.out.find("[A] Falta indicar el correo electronico\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[A] Debe completar la informacion faltante\n"), std::string::npos);
    EXPECT_NE(r.err.find("Desea realizar la verificacion ?"), std::string::npos) << r.err;
}

TEST_F(BatchControls, ErrorRowsOfTheFailingControls) {
    ProjectData();
    Network({R("X", "Y"), R("A", "B"), R("B", "C", 2)});
    BatchOutcome r = batch({"--project", "AB1", "controls", "--yes"});
    EXPECT_EQ(r.rc, 1) << r.out << r.err;
    EXPECT_EQ(valueOf(r.out, "A"), "OK");
    EXPECT_EQ(valueOf(r.out, "B"), "OK");
    EXPECT_EQ(valueOf(r.out, "C"), "OK");
    EXPECT_EQ(valueOf(r.out, "D"), "??");
    EXPECT_NE(r.out.find("[D] linea 1: X - Y:  ERROR...este tramo carece de continuidad\n"),
              std::string::npos)
        << r.out;

    Network({R("A", "B"), R("B", "C", 2)});
    r = batch({"--project", "AB1", "controls", "--yes"});
    EXPECT_EQ(r.rc, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "A: OK\nB: OK\nC: OK\nD: OK\n");
    EXPECT_TRUE(fs::exists(folder() / "XSDD.AB1"));
}

TEST_F(BatchControls, SectorWithoutReachesIsRefused) {
    const BatchOutcome r = batch({"--project", "AB1", "controls", "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("... Falta entrar los datos de los tramos ..."), std::string::npos);
}

TEST_F(BatchControls, NoOutletIsCodeFourteen) {
    ProjectData();
    Network({R("A", "B"), R("B", "C")});
    const BatchOutcome r = batch({"--project", "AB1", "controls", "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(valueOf(r.out, "B"), "??");
    EXPECT_NE(r.out.find("[B] ... En el proyecto no se especifico al menos un tramo "
                         "final(Vertimiento,e.bombas)...\n"),
              std::string::npos)
        << r.out;
}

}  // namespace
}  // namespace nivex::cli
