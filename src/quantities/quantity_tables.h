#pragma once
// The quantities of work of one system (the new network, or one construction stage) as
// the quantity run leaves them and the quantity file keeps them. Indices follow the
// file: excavation rows 1..7 and columns 1..5, manhole rows 0..2 and columns 1..5, size
// positions 1..S with S + 1 for totals; the unused index 0 keeps the tables readable
// against the file layout.

#include <array>
#include <string>
#include <vector>

namespace nivex::quantities {

constexpr int kMaterials = 6;         // excavation rows 1..6; row 7 holds the totals
constexpr int kExcavationRanges = 4;  // excavation columns 1..4; column 5 the row total
constexpr int kManholeGroups = 3;     // 1.20 m, 1.80 m, special
constexpr int kManholeRanges = 3;     // depth ranges 1..3 (column 4 is always zero)
constexpr int kPipeTypeTexts = 3;

enum ManholeGroup : int { kManhole120 = 0, kManhole180 = 1, kManholeSpecial = 2 };
enum ManholeRow : int { kAddedRow = 0, kNetworkRow = 1, kUnusedRow = 2 };

struct ManholeCell {
    double count = 0;
    double depthSum = 0;   // m
    double meanDepth = 0;  // m
};

struct PipeCell {
    double length = 0;       // m, each reach rounded to whole metres
    double lengthDepth = 0;  // sum of length × depth to invert
    double count = 0;        // reaches
    double meanDepth = 0;    // m
};

struct DropCell {
    double count = 0;
    double heightSum = 0;   // m
    double meanHeight = 0;  // m
};

// Statistics A (group 11), positions 1..7 at 0..6.
enum StatisticA : int {
    kReachCount = 0,
    kTotalLength,
    kMeanGroundSlope,
    kMeanSlope,
    kSlowPercent,
    kLowTractivePercent,
    kMeanVelocity,
    kStatisticsA
};
// Statistics B (group 12), positions 1..11 at 0..10.
enum StatisticB : int {
    kPipeReaches = 0,
    kPipeLength,
    kLargestDiameter,
    kMeanSize,
    kPipeMeanDepth,
    kExcavationPerMetre,
    kManholeCount,
    kMeanManholeDepth,
    kDropCount,
    kLengthPerManhole,
    kLargestCrownDepth,
    kStatisticsB
};
// The running sums (group 13).
enum RunningSum : int {
    kVelocitySum = 0,
    kSlowReaches,
    kLowTractiveReaches,
    kSlopeLength,
    kGroundSlopeLength,
    kRunningSums
};

struct QuantityTables {
    // S, the positions of the size list; every per-size table has S + 2 entries.
    int sizeCount = 0;

    std::array<std::array<double, kExcavationRanges + 2>, kMaterials + 2> excavation{};  // m3
    std::array<double, 4> working{};  // range volumes of the last reach; readers ignore them
    std::array<double, 4> fill{};     // excavated, borrowed, selected material, total (m3)
    // [group][row 0..2][column 1..5]
    std::array<std::array<std::array<ManholeCell, 6>, 3>, kManholeGroups> manholes{};
    std::array<std::vector<PipeCell>, kExcavationRanges + 1> pipes;  // [range 1..4][p]
    PipeCell pipeTotal;
    std::vector<double> connections;  // [p], units
    std::array<double, 3> bedding{};  // gravel, concrete, total (m3)
    std::array<double, kStatisticsA> statisticsA{};
    std::array<double, kStatisticsB> statisticsB{};
    std::array<double, kRunningSums> sums{};
    double sixteenthValue = 0;                          // the construction value that is not edited
    std::array<std::string, kPipeTypeTexts> pipeTypes;  // code-page text
    std::array<double, 4> sulfide{};                    // Z ≤ 5000, ≤ 10000, above, sum of Z
    std::vector<DropCell> drops;                        // [p 0..S+1]; 0 holds every drop
    std::vector<PipeCell> removals;  // [p 0..S+1]; S+1 the sizes outside the list
    PipeCell removalTotal;

    // Every table zero, sized for S positions; the sixteenth value and the pipe type
    // texts are kept.
    void Clear(int sizes);
};

// ---- The systems of a run ----

constexpr int kSystemNew = 1;
constexpr int kSystemExisting = 2;
constexpr int kSystemTotal = 3;
constexpr int kFirstStageSystem = 4;  // stage k is system 3 + k
constexpr int kMaxStages = 3;

// "SISTEMA NUEVO", "SISTEMA EXISTENTE", "SISTEMA TOTAL", "ETAPA #k" (code page = ASCII).
std::string SystemTitle(int system);
// The file base of a system's quantity file: "SANNEWQ.", "SANOLDQ.", "SANALLQ.",
// "SANETkQ.".
std::string QuantityFileBase(int system);

}  // namespace nivex::quantities
