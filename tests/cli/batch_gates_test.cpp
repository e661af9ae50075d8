// The menu's gates in front of the batch verbs: a verb whose stage is not reached prints the
// message the menu shows for its item, exits 1 and changes no file of the project.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

// The menu's messages, in the order the menu tests them.
const std::string kNoReaches = "... Falta entrar los datos de los tramos ...";
const std::string kNoControls = "... Falta hacer los controles de calidad ...";
const std::string kNoDesign = "... Falta hacer el diseño del proyecto ...";
const std::string kNoQuantities = "... Falta calcular las cantidades de obra ...";
const std::string kNoBudget = "... Falta calcular los presupuestos ...";

using Commands = std::vector<std::vector<std::string>>;

class BatchGates : public swmm::testing::DesignedProjectTest {
  protected:
    void ExpectRefused(const Commands& commands, const std::string& message) {
        for (std::vector<std::string> args : commands) {
            const std::string line = ::testing::PrintToString(args);
            args.insert(args.begin(), {"--project", "AB1"});
            const auto before = Snapshot();
            const BatchOutcome r = batch(args);
            EXPECT_EQ(r.rc, 1) << line;
            EXPECT_NE(r.err.find(message), std::string::npos) << line << '\n' << r.err;
            EXPECT_EQ(r.out, "") << line;
            EXPECT_EQ(Changed(before, Snapshot()), "") << line;
        }
    }
    void Must(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        const BatchOutcome r = batch(args);
        ASSERT_EQ(r.rc, 0) << ::testing::PrintToString(args) << '\n' << r.err;
    }
    // A simulated network of the rig's project data, its controls not run.
    void Entered() {
        Must({"config", "--class", "1", "--texto", "proyecto=Red", "correo=a@b.co", "pais=Colombia",
              "entidad=Empresa", "fecha=2026", "consultor=Yo", "--autolimpieza", "tractiva"});
        Must({"simulate", "--horizontal", "2", "--vertical", "2", "--length", "60", "--slope", "1",
              "--ground", "1000", "--yes"});
    }
};

TEST_F(BatchGates, ANewProjectRefusesEveryStageAfterTheReaches) {
    ExpectRefused({{"controls", "--yes"},
                   {"design", "--yes"},
                   {"alternatives"},
                   {"review", "--yes"},
                   {"swmm", "run", "--yes"},
                   {"dump", "design"},
                   {"stages", "set", "1=1"},
                   {"quantities"},
                   {"budget"},
                   {"budget", "--yes"},
                   {"prices", "export"},
                   {"globals", "set", "1", "Campamento", "0", "10"},
                   {"list", "5B", "--yes"},
                   {"list", "7C", "--yes"},
                   {"list", "9A"},
                   {"list", "9D"},
                   {"list", "9E"},
                   {"list", "YB"},
                   {"list", "ZA", "--yes"}},
                  kNoReaches);
}

TEST_F(BatchGates, ReachesNotCheckedRefuseTheDesignAndWhatFollows) {
    Entered();
    ExpectRefused({{"design", "--yes"},
                   {"alternatives"},
                   {"list", "5B", "--yes"},
                   {"review", "--yes"},
                   {"quantities"},
                   {"budget", "--yes"}},
                  kNoControls);
    // The general listings are not gated in a project of one sector.
    Must({"list", "4D", "--yes"});
    Must({"controls", "--yes"});
    ExpectRefused({{"list", "5B", "--yes"},
                   {"list", "7D", "--yes"},
                   {"swmm", "write", "--yes"},
                   {"stages"},
                   {"quantities"}},
                  kNoDesign);
}

TEST_F(BatchGates, TheBudgetWaitsForTheQuantitiesAndItsListingsForTheBudget) {
    Design(1, 2, 2);
    ASSERT_FALSE(HasFatalFailure());
    ExpectRefused({{"budget", "--yes"},
                   {"prices", "export"},
                   {"globals"},
                   {"list", "9B"},
                   {"list", "9D"},
                   {"list", "9E"},
                   {"list", "YA"}},
                  kNoQuantities);
    Must({"quantities"});
    ExpectRefused({{"list", "YB"}, {"list", "ZB", "--yes"}}, kNoBudget);
    Must({"budget", "--yes"});
    Must({"list", "YA"});
}

}  // namespace
}  // namespace nivex::cli
