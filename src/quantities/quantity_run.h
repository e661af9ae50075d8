#pragma once
// The quantity run (main choice 8, 'B'): the designed network of the sector, or of every
// sector in the totaliser, turned into the quantity tables of the new system and of each
// construction stage, the removals of the reaches the design took out, the statistics of
// the network and the size class of every manhole.

#include <optional>
#include <string>
#include <vector>

#include "network/tramo.h"
#include "project/project.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_tables.h"

namespace nivex::quantities {

// One sector's design copy: the network in line order, then the reaches the design
// removed.
struct SectorReaches {
    int sector = 0;
    std::vector<network::TramoT> records;
    int networkCount = 0;
};

struct QuantityInput {
    std::vector<SectorReaches> sectors;  // one, or sectors 1..count in the totaliser
    int stageCount = 0;                  // record 5 offset 165, 0..3
    bool hasNewReach = false;            // record 5 offset 423
    int designClass = 0;                 // 6 to 9: the hydraulic-model classes
};

enum class InputProblem { None, NoDesign, MissingSector, FileError };

struct InputOutcome {
    InputProblem problem = InputProblem::None;
    int sector = 0;     // MissingSector: the sector without files
    std::string error;  // FileError: naming the file (code page)
};

// The design copies the run reads for the open sector p.
InputOutcome LoadQuantityInput(const project::Project& p, QuantityInput& input);
// The design copy of one sector's files (records and the network count of its control
// record). False with *error (code page).
bool LoadSectorReaches(const project::FileNames& files, int sector, SectorReaches& out,
                       std::string* error);

// A counted reach whose diameter is not in the size list: the run stops there.
struct DiameterFault {
    int line = 0;
    std::string upstream, downstream;
};

struct SystemQuantities {
    int system = 0;  // kSystemNew, or kFirstStageSystem + k - 1
    QuantityTables tables;
};

struct QuantityResult {
    std::vector<SystemQuantities> systems;  // the systems computed, in order
    // The files "SANNEWQ." and "SANALLQ." every run leaves: the new system (zeros when it
    // was not computed) and the total system, each with the reaches the design removed.
    // Both are built afresh, so a second run never adds the removals twice.
    QuantityTables newWithRemovals, totalWithRemovals;
    // Size class of every manhole of the sorted list: 1 = 1.20 m, 2 = 1.80 m, 3 special.
    std::vector<int> manholeClasses;
    std::optional<DiameterFault> fault;  // the systems before it are kept
};

// The computation itself: no file is read or written.
QuantityResult ComputeQuantityTables(const QuantityInput& input, const specs::EspecT& e);

// The message of a diameter fault (code page), with its "\r" line breaks.
std::string DiameterFaultMessage(const DiameterFault& fault);

// The files of a result: the quantity file of each system computed, the two files with
// the removals (not after a fault) and the manhole class file "XSDN.". Every file is
// written whole through a temporary file. False with *error (code page).
bool WriteQuantityResult(const project::FileNames& files, const QuantityResult& result,
                         std::string* error);

// The quantity file of system s of the open sector.
std::string QuantityFilePath(const project::FileNames& files, int system);

}  // namespace nivex::quantities
