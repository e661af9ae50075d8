// The alternatives from the command line: the row chosen with --alternativa, the table as
// CSV, the comparison listing, and the entered network back from its backup.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "network/network_controls.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class BatchAlternatives : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        // Designed as an entered network in the mode with both topologies.
        std::string error;
        ASSERT_TRUE(network::WithControl(project, &error, [&] {
            project.header.Simulated = 0;
            project.espec.TopologyMode = 3;
            return network::SaveControlRecords(project, {5}, &error);
        })) << error;
    }
};

TEST_F(BatchAlternatives, ChosenRowTableListingAndRecovery) {
    const std::string entered = Bytes(project.files.reaches());
    BatchOutcome r = batch({"--project", "AB1", "design", "--alternativa", "2", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string chosen = valueOf(r.out, "alternativa");
    EXPECT_TRUE(chosen == "1" || chosen == "2" || chosen == "10" || chosen == "12" ||
                chosen == "15" || chosen == "16")
        << chosen;
    EXPECT_TRUE(fs::exists(project.files.backupReaches()));

    r = batch({"--project", "AB1", "alternatives"});
    ASSERT_EQ(r.rc, 0) << r.err;
    std::istringstream csv(r.out);
    std::string heading, manual, automatic;
    std::getline(csv, heading);
    std::getline(csv, manual);
    std::getline(csv, automatic);
    EXPECT_EQ(heading,
              "Clase,Prof. Med.,Costo ($),Diam. Med.,Prof. Max.,Diam. Max.,# Vertim.,Prof.Fin.Max,"
              "Prof.Fin.Min.,Tram. Elimin.,Alternativa,Status");
    // The cost of each design, kept beside the table and read back with it.
    EXPECT_NE(manual.find(",\""), std::string::npos) << manual;  // "1,234,567" is quoted
    EXPECT_EQ(manual.rfind("Manual,", 0), 0u);
    EXPECT_EQ(automatic.rfind("Auto 1,", 0), 0u);
    EXPECT_NE(automatic.find("," + chosen + ",OK"), std::string::npos) << automatic;

    const fs::path listing = base_ / "alternativas.txt";
    r = batch({"--project", "AB1", "alternatives", "--listado", listing.string()});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string text = Bytes(listing);
    EXPECT_NE(text.find("COMPARACION DE ALTERNATIVAS"), std::string::npos);
    EXPECT_NE(text.find("Auto 1"), std::string::npos);
    EXPECT_NE(text.find("Alternativas abandonadas por exceso de complejidad"), std::string::npos);

    r = batch({"--project", "AB1", "restore-backup", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Bytes(project.files.reaches()), entered);
}

TEST_F(BatchAlternatives, ARowWithoutAnAlternativeIsRefused) {
    const BatchOutcome r = batch({"--project", "AB1", "design", "--alternativa", "9", "--yes"});
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.err.find("Debe selecionar una opcion o cancelar"), std::string::npos) << r.err;
    EXPECT_NE(batch({"--project", "AB1", "design", "--alternativa", "x"}).rc, 0);
}

}  // namespace
}  // namespace nivex::cli
