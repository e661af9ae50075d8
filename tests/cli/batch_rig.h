#pragma once
// nivex-batch run in-process over a temporary base folder holding the new project AB1.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"

namespace nivex::cli {

struct BatchOutcome {
    int rc = 0;
    std::string out, err;
};

class BatchProjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        base_ = std::filesystem::temp_directory_path() /
                ("nivex-batch-rig-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(base_ / "projects");
        setenv("XDG_DATA_HOME", (base_ / "xdg").c_str(), 1);  // keep the user's trash out
        start_ = std::filesystem::current_path();
        ASSERT_EQ(batch({"--project", "AB1", "new", "--yes"}).rc, 0);
    }
    void TearDown() override {
        std::filesystem::current_path(start_);
        std::filesystem::remove_all(base_);
    }

    // One command line after "--projects <base>/projects".
    BatchOutcome batch(std::vector<std::string> args) {
        args.insert(args.begin(), {"--projects", (base_ / "projects").string()});
        std::ostringstream out, err;
        BatchOutcome r;
        r.rc = RunBatch(args, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
    // One command line on sector AB1.
    BatchOutcome inSector(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    // Sector AB1 with its identification filled in and a simulated grid of `horizontal` by
    // `vertical` reaches of `length` m on 1 % ground from 1000 m.
    void SimulatedSector(int horizontal, int vertical, int length) {
        ASSERT_EQ(inSector({"config", "--texto", "correo=a@b.co", "--texto", "pais=Colombia",
                            "--texto", "entidad=Empresa", "--texto", "proyecto=Barrio", "--texto",
                            "fecha=2026", "--texto", "consultor=Yo", "--yes"})
                      .rc,
                  0);
        ASSERT_EQ(inSector({"simulate", "--horizontal", std::to_string(horizontal), "--vertical",
                            std::to_string(vertical), "--length", std::to_string(length), "--slope",
                            "1", "--ground", "1000", "--yes"})
                      .rc,
                  0);
    }
    // The value of "key: value" in a verb's output.
    static std::string valueOf(const std::string& output, const std::string& key) {
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(key + ": ", 0) == 0) return line.substr(key.size() + 2);
        return "<missing " + key + ">";
    }

    // Every folder and file under the base of projects, with the bytes of each file.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> all;
        const std::filesystem::path root = base_ / "projects";
        for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
            const std::string name = e.path().lexically_relative(root).string();
            if (!e.is_regular_file()) {
                all[name + "/"] = "";
                continue;
            }
            std::ifstream in(e.path(), std::ios::binary);
            all[name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return all;
    }
    // The names of what differs between two snapshots, "" when nothing does.
    static std::string Changed(const std::map<std::string, std::string>& before,
                               const std::map<std::string, std::string>& after) {
        std::string names;
        for (const auto& [name, bytes] : before) {
            const auto it = after.find(name);
            if (it == after.end() || it->second != bytes) names += name + " ";
        }
        for (const auto& [name, bytes] : after)
            if (!before.count(name)) names += name + " ";
        return names;
    }

    std::filesystem::path base_, start_;
};

}  // namespace nivex::cli
