// A network whose every automatic alternative is abandoned for complexity, designed from
// the command line in the automatic mode: nothing undesigned is offered, chosen or
// adopted, and the entered network is left as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "batch_rig.h"
#include "network/network_controls.h"
#include "network/network_walk.h"
#include "network/reach_csv.h"
#include "project/project.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        v.push_back(line);
    return v;
}

// One CSV row per reach: the named cells, every other one 0.
std::string Csv(const std::vector<std::map<std::string, std::string>>& rows) {
    const std::vector<std::string>& columns = network::ReachCsvColumns();
    std::string text;
    for (size_t c = 0; c < columns.size(); ++c)
        text += (c ? "," : "") + columns[c];
    text += '\n';
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const auto it = rows[r].find(columns[c]);
            text += (c ? "," : "") + (columns[c] == "Linea" ? std::to_string(r + 1)
                                      : it != rows[r].end() ? it->second
                                                            : std::string("0"));
        }
        text += '\n';
    }
    return text;
}

std::map<std::string, std::string> Row(const std::string& up, const std::string& down,
                                       const std::string& groundUp, const std::string& groundDown,
                                       int type) {
    return {{"Tramo de", up},
            {"Tramo a", down},
            {"Cota rasante superior (m)", groundUp},
            {"Cota rasante inferior (m)", groundDown},
            {"Longitud del tramo (m)", "60"},
            {"Area del tramo (Has)", "0.18"},
            {"Tipo", std::to_string(type)}};
}

// One more outfall than the open lines a design may hold: every order the automatic
// topology could give keeps all of them open at once, so each of its six alternatives is
// abandoned. The entered order is not checked for it in the automatic mode.
std::string TooManyOutfalls() {
    std::vector<std::map<std::string, std::string>> rows;
    for (int k = 1; k <= network::kMaxOpenEnds + 1; ++k)
        rows.push_back(Row("A" + std::to_string(k), "B" + std::to_string(k), "1000", "999.4", 2));
    return Csv(rows);
}

// Two lines meeting at C and going on to the outfall D.
std::string SmallNetwork() {
    return Csv({Row("A", "B", "1000", "999.4", 0), Row("B", "C", "999.4", "998.8", 0),
                Row("E", "C", "999.8", "998.8", 0), Row("C", "D", "998.8", "998.2", 2)});
}

class AbandonedAlternatives : public BatchProjectTest {
  protected:
    void Sector(const std::string& topology) {
        const BatchOutcome r = batch(
            {"--project",      "AB1",        "config",        "--class",      "1",
             "--autolimpieza", "tractiva",   "--topologia",   topology,       "--texto",
             "correo=a@b.co",  "--texto",    "pais=Colombia", "--texto",      "entidad=Empresa",
             "--texto",        "fecha=2026", "--texto",       "consultor=Yo", "--texto",
             "proyecto=Red",   "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        project.files.Build(folder().string(), "AB1");
    }
    void Network(const std::string& csv) {
        const fs::path path = base_ / "red.csv";
        std::ofstream(path, std::ios::binary) << csv;
        BatchOutcome r = batch({"--project", "AB1", "reaches", "import", path.string(), "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        r = batch({"--project", "AB1", "controls", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
    }
    shell::ProyectoT Header() {
        std::string error;
        EXPECT_TRUE(network::LoadControlState(project, &error)) << error;
        return project.header;
    }
    std::string Caption() { return valueOf(batch({"--project", "AB1", "info"}).out, "caption"); }
    std::vector<std::string> Table() {
        const BatchOutcome r = batch({"--project", "AB1", "alternatives"});
        EXPECT_EQ(r.rc, 0) << r.err;
        return Lines(r.out);
    }
    fs::path folder() const { return base_ / "projects" / "AB-RED"; }

    project::Project project;
};

TEST_F(AbandonedAlternatives, AutomaticModeOffersNothingAndDesignsNothing) {
    Sector("automatico");
    Network(TooManyOutfalls());
    const std::string entered = Bytes(project.files.reaches());
    const std::string index = Bytes(project.files.reachIndex());
    for (int run = 1; run <= 2; ++run) {  // the second run shows the stored alternatives
        const BatchOutcome r = batch({"--project", "AB1", "design", "--yes"});
        EXPECT_NE(r.rc, 0) << run;
        EXPECT_NE(r.err.find("Error: Debe selecionar una opcion o cancelar"), std::string::npos)
            << run << r.err;
        EXPECT_EQ(r.out.find("alternativa:"), std::string::npos) << run << r.out;
        EXPECT_EQ(Bytes(project.files.reaches()), entered) << run;
        EXPECT_EQ(Bytes(project.files.reachIndex()), index) << run;
        EXPECT_FALSE(fs::exists(project.files.backupFolder())) << run;
        const shell::ProyectoT h = Header();
        EXPECT_EQ(h.StageDone[1], 0) << run;
        EXPECT_EQ(h.AbandonedAlternatives, 6) << run;
        EXPECT_LT(h.DesignAlternative, 0) << run;
        EXPECT_EQ(Caption().find("Alternativa"), std::string::npos) << run;
    }
    // The table offers no row; the listing counts the six abandoned alternatives.
    EXPECT_EQ(Table().size(), 1u);
    const fs::path listing = base_ / "alternativas.txt";
    ASSERT_EQ(batch({"--project", "AB1", "alternatives", "--listado", listing.string()}).rc, 0);
    const std::string text = Bytes(listing);
    EXPECT_EQ(text.find("Auto "), std::string::npos);
    EXPECT_NE(text.find("complejidad en el dise\xF1o    : 6"), std::string::npos);
}

TEST_F(AbandonedAlternatives, CaptionForgetsAnAlternativeOfAFormerNetwork) {
    Sector("automatico");
    Network(SmallNetwork());
    BatchOutcome r = batch({"--project", "AB1", "design", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(Caption().find("(Alternativa Automatica #1)"), std::string::npos);

    Network(TooManyOutfalls());
    r = batch({"--project", "AB1", "design", "--yes"});
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("Debe selecionar una opcion o cancelar"), std::string::npos) << r.err;
    EXPECT_EQ(Caption().find("Alternativa"), std::string::npos) << Caption();
    EXPECT_EQ(Header().StageDone[1], 0);
}

}  // namespace
}  // namespace nivex::cli
