#pragma once
// A sector on disk with a network to design, the design run with a recording sink, and
// the records of the design copy read back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_driver.h"
#include "design/reach_values.h"
#include "network/record_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "record_floats.h"
#include "specs/criteria_store.h"

namespace nivex::design::test {

namespace fs = std::filesystem;
using network::TramoT;

// A reach in stored form: area 0.5 ha, 50 m, new, type 0.
inline TramoT Reach(const std::string& up, const std::string& down, float groundUp,
                    float groundDown, int type = 0) {
    TramoT t;
    t.Upstream = up;
    t.Downstream = down;
    t.GroundUp = groundUp;
    t.GroundDown = groundDown;
    t.Length = 50;
    t.Area = 0.5f;
    t.Type = type;
    return t;
}

// A fixed reach with its pipe and crowns.
inline TramoT Fixed(TramoT t, int reachClass, float d, float crownUp, float crownDown) {
    t.Class = reachClass;
    t.Diameter = d;
    t.CrownUp = crownUp;
    t.CrownDown = crownDown;
    t.Slope = static_cast<float>((double(crownUp) - crownDown) * 100.0 / t.Length);
    t.ManningN = 0.013f;
    return t;
}

class RecordingSink : public DesignSink {
  public:
    void Progress(const std::string& line) override { lines.push_back(line); }
    void Message(const std::string& title, const std::string& text) override {
        messages.push_back(title + ": " + text);
    }
    std::vector<std::string> lines, messages;
    std::string all() const {
        std::string s;
        for (const std::string& l : lines)
            s += l + "\n";
        return s;
    }
};

class DesignRig : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        dir_ = fs::temp_directory_path() /
               ("nivex-design-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        p_.selection.code = "AB";
        p_.selection.sectors = "1";
        p_.files.Build(dir_.string(), "AB1");
        ASSERT_TRUE(p_.OpenControl());
        ASSERT_TRUE(specs::InitialiseDesignCriteria(p_.control, p_.header, p_.espec));
        p_.header.DesignClass = 2;
        ASSERT_TRUE(specs::SaveRecords(p_.control, p_.header, p_.espec, {0, 1, 2, 3, 4, 5}));
        p_.CloseControl();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Changes the criteria and the header as a screen would and saves them.
    void Criteria(const std::function<void(specs::EspecT&, shell::ProyectoT&)>& change) {
        ASSERT_TRUE(p_.OpenControl());
        std::string error;
        ASSERT_TRUE(specs::LoadDesignCriteria(p_.control, p_.header, p_.espec, &error)) << error;
        change(p_.espec, p_.header);
        p_.espec.SystemKind = specs::SystemKindOfClass(p_.header.DesignClass);
        p_.header.SwmmClass = p_.header.DesignClass >= 6 ? 1 : 0;
        ASSERT_TRUE(specs::SaveRecords(p_.control, p_.header, p_.espec, {0, 1, 2, 3, 4, 5}));
        p_.CloseControl();
    }
    void DesignClass(int c) {
        Criteria([c](specs::EspecT&, shell::ProyectoT& h) { h.DesignClass = c; });
    }

    void Network(const std::vector<TramoT>& reaches) {
        std::vector<codec::Bytes> records;
        for (const TramoT& t : reaches) {
            codec::Bytes b(network::kTramoSize, 0);
            ASSERT_TRUE(network::Encode(t, b));
            records.push_back(b);
        }
        std::string error;
        ASSERT_TRUE(
            network::ReplaceRecordFile(p_.files.reaches(), network::kTramoSize, records, error))
            << error;
        Criteria([&](specs::EspecT&, shell::ProyectoT& h) {
            h.ReachCount = static_cast<int>(reaches.size());
            h.ControlsDone = {1, 1, 1, 1};
        });
    }

    bool Design(const std::string& options = "NNSS") {
        DesignOptions o;
        EXPECT_TRUE(o.Parse(options));
        sink_ = RecordingSink{};
        return DesignNetwork(p_, o, sink_, result_);
    }

    std::vector<TramoT> Zsdb() {
        std::vector<TramoT> v;
        network::RecordFile f(network::kTramoSize);
        EXPECT_TRUE(f.Open(p_.files.designCopy()));
        for (int k = 0; k < f.count(); ++k) {
            codec::Bytes b;
            EXPECT_TRUE(f.Read(k, b));
            TramoT t;
            network::Decode(b, t);
            v.push_back(t);
        }
        f.Close();
        return v;
    }

    std::string Evolution() {
        std::ifstream in(p_.files.evolution(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    project::Project p_;
    RecordingSink sink_;
    DesignResult result_;
};

inline bool AllFinite(const std::vector<TramoT>& records, std::string* where) {
    for (size_t k = 0; k < records.size(); ++k) {
        const std::vector<float> f = Floats(records[k]);
        for (size_t i = 0; i < f.size(); ++i)
            if (!std::isfinite(f[i])) {
                *where = "record " + std::to_string(k + 1) + " value " + std::to_string(i);
                return false;
            }
    }
    return true;
}

}  // namespace nivex::design::test
