#pragma once
// A designed simulated project made with nivex-batch in a temporary base folder, opened
// as the program opens it, for the SWMM tests that run the real engine.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_rig.h"
#include "network/network_controls.h"
#include "project/project.h"
#include "swmm/model_writer.h"

namespace nivex::swmm::testing {

class DesignedProjectTest : public cli::BatchProjectTest {
  protected:
    // Class, then the grid; every step must succeed.
    void Design(int designClass, int horizontal = 3, int vertical = 3) {
        const std::string cls = std::to_string(designClass);
        std::vector<std::string> config{
            "--project",       "AB1",           "config",     "--class",       cls,
            "--texto",         "correo=a@b.co", "--texto",    "pais=Colombia", "--texto",
            "entidad=Empresa", "--texto",       "fecha=2026", "--texto",       "consultor=Yo",
            "--texto",         "proyecto=Red"};
        if (designClass <= 5) config.insert(config.end(), {"--autolimpieza", "tractiva"});
        config.push_back("--yes");
        cli::BatchOutcome r = batch(config);
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        r = batch({"--project", "AB1", "simulate", "--horizontal", std::to_string(horizontal),
                   "--vertical", std::to_string(vertical), "--length", "60", "--slope", "1",
                   "--ground", "1000", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        r = batch({"--project", "AB1", "controls", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        r = batch({"--project", "AB1", "design", "--yes"});
        ASSERT_EQ(r.rc, 0) << r.out << r.err;
        std::filesystem::current_path(start_);
        Open();
    }
    void Open() {
        project.files.Build(folder().string(), "AB1");
        project.selection.extension = "AB1";
        project.selection.code = "AB";
        project.selection.sector = "1";
        project.selection.sectors = "1";
        project.selection.sectorNumber = 1;
        std::string error;
        ASSERT_TRUE(network::LoadControlState(project, &error)) << error;
        ASSERT_TRUE(LoadDesignReaches(project, reaches, &error)) << error;
    }
    // The project folder, named by the project once Design() has named it.
    std::filesystem::path folder() const {
        for (const char* name : {"AB-RED", "AB-Proyecto Nuevo"})
            if (std::filesystem::exists(base_ / "projects" / name))
                return base_ / "projects" / name;
        return base_ / "projects" / "AB-RED";
    }
    std::string swmmFolder() const { return (base_ / "swmm").string(); }

    project::Project project;
    std::vector<network::TramoT> reaches;
};

}  // namespace nivex::swmm::testing
