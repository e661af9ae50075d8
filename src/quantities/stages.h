#pragma once
// Construction stages of the new reaches (main choice 8 'A'): the rule a stage must keep,
// the design copy "ZSDB." opened while stages are edited, the counting that stores the
// number of stages in record 5, and its summary message. Errors are UTF-8, naming the file.

#include <array>
#include <string>
#include <vector>

#include "network/reach_file.h"
#include "network/tramo.h"
#include "project/project.h"
#include "quantities/quantity_tables.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::quantities {

// Why a reach of class reachClass (stored form) cannot have the stage; empty when it can.
std::string StageProblem(int reachClass, double stage);

struct StageCounts {
    std::array<int, kMaxStages + 1> reaches{};  // by stage 0..3
    // The highest stage with a reach; 0 when none.
    int stages() const;
};

StageCounts CountOf(const std::vector<network::TramoT>& records);

// The text shown after the counting (code page).
std::string StageSummary(const StageCounts& counts);

// The design copy of the open sector while its stages are edited: lines 1..count() are
// the network's reaches (the records after them are reaches the design removed).
class StageCopy {
  public:
    // False with error() when the file cannot be opened or holds none of the network.
    bool Open(const project::Project& p);
    bool Close();
    int count() const { return count_; }
    bool Read(int line, network::TramoT& t);
    // Writes the reach only when its stage differs from the one on disk.
    bool Write(int line, const network::TramoT& t);
    // Some stage was written since Open.
    bool changed() const { return changed_; }
    const std::string& error() const { return error_; }

  private:
    bool fail(const std::string& message);

    network::TramoFile file_;
    int count_ = 0;
    bool changed_ = false;
    std::string error_;
};

struct StageSetting {
    int line = 0;
    double stage = 0;
};

// Every setting is checked against its reach before anything is written: a refused one
// stops with *error and the copy untouched. When a stage changed, the quantities and the
// budget are no longer current (record 0 written).
bool SetStages(project::Project& p, const std::vector<StageSetting>& settings, std::string* error);

// Header and criteria of the open sector read into p.
bool LoadStageState(project::Project& p, std::string* error);

// Clears StageDone[2] and StageDone[3] and writes record 0.
bool MarkStagesChanged(project::Project& p, std::string* error);

// The counts of the design copy; nothing is written.
bool ReadStageCounts(const project::Project& p, StageCounts& counts, std::string* error);
// The same, then the number of stages stored in record 5.
bool StoreStageCount(project::Project& p, StageCounts& counts, std::string* error);

// After the stage screen ends with F4: counts, stores, and shows the summary (an error
// box when a file fails). False on a file error; *counts receives the counts.
bool CountStages(shell::Session& s, StageCounts* counts = nullptr);

}  // namespace nivex::quantities
