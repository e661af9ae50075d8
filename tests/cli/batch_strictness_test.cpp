// A command line nivex-batch does not fully understand is refused: it names what it did not
// understand, exits 2 and touches nothing, instead of running with part of it ignored.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_rig.h"

namespace nivex::cli {
namespace {

struct Case {
    std::vector<std::string> args;  // after --projects
    std::string said;
};

class BatchStrictness : public BatchProjectTest {
  protected:
    void ExpectNotUnderstood(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            const std::string line = ::testing::PrintToString(c.args);
            const auto before = Snapshot();
            const BatchOutcome r = batch(c.args);
            EXPECT_EQ(r.rc, 2) << line << '\n' << r.err;
            EXPECT_NE(r.err.find(c.said), std::string::npos) << line << '\n' << r.err;
            EXPECT_EQ(r.out, "") << line;
            EXPECT_EQ(Changed(before, Snapshot()), "") << line;
        }
    }
};

TEST_F(BatchStrictness, StrayArgumentsAreNamed) {
    const std::string ab1[] = {"--project", "AB1"};
    std::vector<Case> cases;
    for (const char* verb : {"info", "config", "controls", "design", "alternatives", "new",
                             "simulate", "restore-backup", "quantities", "budget", "review"})
        cases.push_back({{ab1[0], ab1[1], verb, "stray", "--yes"},
                         std::string("Error: ") + verb + " no admite el argumento 'stray'"});
    cases.push_back({{"list-projects", "stray"}, "list-projects no admite el argumento 'stray'"});
    cases.push_back({{"calc", "--diameter", "300", "--slope", "1", "stray"},
                     "calc no admite el argumento 'stray'"});
    cases.push_back({{ab1[0], ab1[1], "reaches", "move", "1", "2", "3", "4"},
                     "reaches move no admite el argumento '4'"});
    cases.push_back(
        {{ab1[0], ab1[1], "stages", "show", "1=1"}, "stages show no admite el argumento '1=1'"});
    ExpectNotUnderstood(cases);
}

TEST_F(BatchStrictness, AnotherVerbsOptionIsNotTaken) {
    ExpectNotUnderstood({
        {{"--project", "AB1", "info", "--class", "3"}, "info no admite la opcion --class"},
        {{"--project", "AB1", "design", "--out", "x.csv", "--yes"},
         "design no admite la opcion --out"},
        {{"--project", "AB1", "reaches", "export", "--listado", "x"},
         "reaches export no admite la opcion --listado"},
        {{"--project", "AB1", "prices", "import", "p.csv", "--out", "x"},
         "prices import no admite la opcion --out"},
        {{"--project", "AB1", "list", "4A", "--alternativa", "1"},
         "list no admite la opcion --alternativa"},
        {{"calc", "--diameter", "300", "--slope", "1", "--yes"}, "calc no admite la opcion --yes"},
        {{"list-projects", "--project", "AB1"}, "list-projects no usa --project"},
        {{"--project", "AB1", "info", "--frobnicar"}, "opcion desconocida: --frobnicar"},
    });
    // A verb that reads no project takes no project options.
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch({"show", "LPT", "--project", "AB1"}, out, err), 2);
    EXPECT_NE(err.str().find("show no usa --project"), std::string::npos) << err.str();
}

TEST_F(BatchStrictness, RepeatedOptionsAndMissingPartsAreRefused) {
    ExpectNotUnderstood({
        {{"--project", "AB1", "design", "--alternativa", "1", "--alternativa", "2", "--yes"},
         "la opcion --alternativa se dio mas de una vez"},
        {{"--project", "AB1", "--project", "CD1", "info"}, "la opcion --project se dio mas"},
        {{"--project", "AB1", "controls", "--yes", "--yes"}, "la opcion --yes se dio mas"},
        {{"--project", "AB1", "swmm"}, "Error: swmm necesita write o run"},
        {{"--project", "AB1", "swmm", "correr", "--yes"},
         "swmm no entiende 'correr' (se espera write o run)"},
        {{"--project", "AB1", "reaches"}, "reaches necesita export, import o move"},
        {{"--project", "AB1", "dump"}, "dump necesita design"},
        {{"--project", "AB1", "reaches", "import"},
         "faltan argumentos: reaches import ARCHIVO.csv"},
        {{"--project", "AB1", "list"}, "faltan argumentos: list CLAVE"},
        {{"--project", "AB1", "list", "4A", "--out"}, "falta el valor de --out"},
        {{"info"}, "falta --project"},
        {{"--project", "AB1"}, "falta el verbo"},
        {{"--project", "AB1", "borrar"}, "verbo desconocido: borrar"},
    });
}

TEST_F(BatchStrictness, ValuesOfTheWrongOptionAreBlamedOnIt) {
    const auto before = Snapshot();
    const BatchOutcome r = batch({"--project", "CD1", "new", "--sectors", "0", "--yes"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("--sectors"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("--project"), std::string::npos) << r.err;
    EXPECT_EQ(Changed(before, Snapshot()), "");

    // The answers of a dialog given to a listing without it.
    const BatchOutcome l = batch({"--project", "AB1", "list", "4A", "--opciones", "SSNSSNNS"});
    EXPECT_EQ(l.rc, 1);
    EXPECT_NE(l.err.find("--opciones es solo del listado ZB"), std::string::npos) << l.err;
}

}  // namespace
}  // namespace nivex::cli
