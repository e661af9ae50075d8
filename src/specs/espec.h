#pragma once
// The design criteria of the open sector (EspecT): every value the criteria
// screens edit, kept in records 0 to 5 of the control file "XSDA.". Record 0 is shared
// with the project header (shell::ProyectoT), which owns offsets 0-9, 12-17, 28-33,
// 134-257, 262 and 338-511; EspecT owns the rest of record 0 and all of records 1 to 5.
//
// Comments give "record/offset type": i = 16-bit integer (widened to int in memory and
// range-checked on writing), f = 32-bit float, d = 64-bit float, b = byte, sN = short
// text of N characters.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/control_file.h"
#include "shell/record_codec.h"

namespace nivex::specs {

constexpr int kMaxDiameters = 30;  // entries of the commercial diameter table
constexpr int kMaxSections = 60;   // table entries plus the further square ducts
constexpr int kMaxZones = 15;
constexpr int kMaxEquations = 5;
constexpr int kMaxSeries = 5;
constexpr int kSeriesValues = 15;
constexpr int kRainBasins = 5;
constexpr int kReductionFactors = 5;
constexpr int kRangeTexts = 13;
constexpr int kPipeTypes = 3;
constexpr float kDuctStep = 200;        // mm between the sides of the further ducts
constexpr float kDuctMinSlope = 0.01f;  // % for every square duct

// Positions inside EspecT::ConstructionData (record 1 offset 0, 16 × f).
enum ConstructionItem : int {
    kDryCommon = 0,         // % dry excavation in common material
    kDryConglomerate,       // % dry excavation in conglomerate
    kDryRock,               // % dry excavation in rock
    kWetCommon,             // % wet excavation in common material
    kWetConglomerate,       // % wet excavation in conglomerate
    kWetRock,               // % wet excavation in rock (the six add up to 100)
    kConnectionsPerMetre,   // house connections per metre of collector
    kConnectionLength,      // mean length of a house connection (m)
    kConnectionExcavation,  // m3 of excavation per metre of connection
    kCompactionFactor,      // compaction factor for trench fills
    kFillExcavated,         // % of fill with excavated material
    kFillBorrowed,          // % of fill with borrowed material
    kFillSelected,          // % of fill with selected material (the three add up to 100)
    kBeddingGravelCode,     // bedding with gravel: 0 none, 1 from depth 0, 2..4 range limit
    kBeddingConcreteCode,   // bedding with concrete, same codes
    kConstructionUnused,    // not edited
    kConstructionItems
};

// Slots of EspecT::RangeTexts (record 5 offset 0 + 5·slot, s4 numeric texts, metres).
constexpr std::array<int, 3> kExcavationLimitSlots{0, 1, 2};  // upper limits, ranges 1-3
constexpr std::array<int, 2> kManholeLimitSlots{4, 5};        // upper limits, ranges 1-2
// Trench over-width beyond the pipe diameter: below the first excavation range, between
// first and second, between second and third, above the third.
constexpr std::array<int, 4> kTrenchOverWidthSlots{8, 9, 10, 11};

struct SanitaryZone {
    float sewageFlow = 0;    // unit sewage flow, l/s per unit (100 m when kind 1, else ha)
    float infiltration = 0;  // infiltration plus wrong connections, l/s per unit
    float density = 0;       // inhabitants per unit
};

// i = A/(B + t^n)^m (i in l/s/ha, t in minutes); above durationBound the second form.
struct RainEquation {
    float frequency = 0;      // years
    float durationBound = 0;  // tb, minutes; 0 = no bound (the entry screen stores 0)
    float a = 0, b = 0, n = 0, m = 0;
    float reserved1 = 0;
    float a2 = 0, b2 = 0, n2 = 0, m2 = 0;  // form for durations above tb
    float reserved2 = 0;
};

struct EspecT {
    // ---- Record 0 (criteria part) ----
    int PeakMethod = 0;           // 0/10 i: max hourly coefficient 0 Harmon .. 5 Gaines, 6 fixed
    int WaterTemperature = 25;    // 0/18 i: °C
    int Bod5 = 250;               // 0/20 i: BOD at 5 days, mg/l
    int CrownJoinDropCm = 75;     // 0/22 i: join at crown drops below this (cm); 0 none
    int CrownJoinDiameter = 595;  // 0/24 i: join at crown reaches from this diameter (mm) up
    int SystemKind = 2;           // 0/26 i: 1 san. lengths, 2 san. areas, 3 comb., 4 storm, 5 mixed
    int SanMinMinTractive100 = 10;      // 0/34 i: sanitary min-minimorum tractive force, kg/m² ×100
    int SanMinTractive100 = 10;         // 0/36 i: sanitary minimum tractive force, kg/m² ×100
    int MinSanitaryDiameter = 182;      // 0/38 i: mm, a commercial diameter (second one)
    int MinStormDiameter = 227;         // 0/40 i: mm, a commercial diameter (third one)
    float ManningN = 0.009f;            // 0/42 f: n of pipes up to ManningLimitDiameter
    float MaxFilling = 0.75f;           // 0/46 f: max y/D of sanitary design, 0.70-0.82
    float MaxVelocity = 5.0f;           // 0/50 f: m/s, at least 3
    float MinDropHeight = 0.75f;        // 0/54 f: minimum drop height inside a pipe, m
    float MinCrownDepth = 1.0f;         // 0/58 f: m
    float MaxCrownDepth = 5.0f;         // 0/62 f: m
    float MaxFillingRatio = 0;          // 0/66 f: hydraulic ratio of MaxFilling (set by defaults)
    float OutletCrownLowering = 0.02f;  // 0/70 f: lower the outlet crown by, m (≤ 0.06)
    float MaxDesirableCrownDepth = 5.0f;   // 0/74 f: m
    float DesignRunValue = -1;             // 0/78 f: kept by the design run
    float MinDesignSlope = 0.05f;          // 0/82 f: %, at least 0.05
    float EnergyJunctionDiameter = 0;      // 0/86 f: energy junctions above this mm; 0 none
    float MinConcentrationTime = 15;       // 0/90 f: storm, minutes, > 0
    float MinMinCrownDepth = 0.70f;        // 0/94 f: minimum-minimorum crown depth, m
    float SanMinFullVelocity = 0;          // 0/98 f: m/s; 0 not specified
    float MinCoefficientMethod = 5;        // 0/102 f: sanitary minimum coefficient 0-5, 5 fixed
    float SanMinRealVelocity = 0;          // 0/106 f: m/s; 0 not specified
    float SanMinFlow = 1.5f;               // 0/110 f: sanitary minimum design flow, l/s, > 0
    float FixedPeakCoefficient = 0;        // 0/114 f: > 1 when PeakMethod = 6, else 0
    float RunoffCoefficient = 0.5f;        // 0/118 f: storm, most usual, (0, 1]
    float StormMinFullVelocity = 0;        // 0/122 f: m/s; 0 not specified
    float FixedMinCoefficient = 0;         // 0/126 f: Qinitial/Qfinal when method 5, else 0
    float ExistingReachManningN = 0.013f;  // 0/130 f: n given to existing reaches without one
    float AvoidCriticalDiameter = 0;       // 0/258 f: avoid critical flow above this mm; 0 no
    // 0/262 f (design alternative chosen) is shell::ProyectoT::DesignAlternative.
    float SanMinMinRealVelocity = 0;    // 0/266 f: m/s; 0 not specified
    float StormMinTractive = 0.10f;     // 0/270 f: kg/m²; 0 not specified
    float StormMinMinTractive = 0.10f;  // 0/274 f: kg/m²; 0 not specified
    float StormMinRealVelocity = 0;     // 0/278 f: m/s; 0 not specified
    float StormMinMinRealVelocity = 0;  // 0/282 f: m/s; 0 not specified
    float RasStormTractive = 0;         // 0/286 f: 1 = RAS rule 0.15 kg/m² at q/Q 0.10
    float RasRainfallModel = 0;         // 0/290 f: 1 = RAS model for the rain equations
    float RasProtectionDegree = 0;      // 0/294 f: 0 minimum, 1 acceptable, 2 recommended
    float Reserved298 = 0;              // 0/298 f
    // 0/302..318 5 × f: storm reduction factors, areas 50-100, 100-200, 200-400,
    // 400-800, 800-1600 ha.
    std::array<float, kReductionFactors> ReductionFactors{0.99f, 0.95f, 0.93f, 0.90f, 0.88f};
    float SwmmRouting = 0;              // 0/322 f: 0 dynamic wave, 1 kinematic, 2 steady
    float HydraulicRelations = 0;       // 0/326 f: 1 = n/N variable, other = n/N = 1
    float ManningLimitDiameter = 1524;  // 0/330 f: mm up to which ManningN applies
    float ManningNLarge = 0.013f;       // 0/334 f: n for larger diameters

    // ---- Record 1 ----
    std::array<float, kConstructionItems> ConstructionData{100, 0,   0, 0, 0, 0, 0.1f, 6, 1,
                                                           1,   100, 0, 0, 1, 3, 1};  // 1/0 16 × f
    // 1/64, 145, 226 s80: pipe types "Tipo <1>" to "Tipo <3>" (set by the defaults).
    std::array<std::string, kPipeTypes> PipeTypes;
    double AlternativesRunDays = 0;     // 1/307 d: duration of the last alternatives run, days
    std::string ListingIdentification;  // 1/315 s55
    uint8_t FromSwmm = 0;               // 1/371 b: 1 when generated from a SWMM file
    int DiameterCount = 29;             // 1/372 i: table entries used (pipes + first duct)
    int SectionCount = 59;              // 1/374 i: entries plus the further ducts, ≤ 60

    // ---- Record 2 ----
    float ZoneCount = 1;                          // 2/0 f: 1 to 15
    std::array<SanitaryZone, kMaxZones> Zones{};  // 2/4 15 × 3 f
    int SeriesInterval = 10;                      // 2/184 i: minutes, 5 to 60
    int SeriesCount = 1;                          // 2/186 i: 1 to 5
    int CurrentSeries = 1;                        // 2/188 i: shown last on its screen
    std::array<std::array<float, kSeriesValues>, kMaxSeries> Series{};  // 2/190 5 × 15 f, mm/h
    int FloodedNodes = 0;                                               // 2/490 i: last SWMM run
    int SurchargedNodes = 0;                                            // 2/492 i: last SWMM run
    float AbsoluteRoughness = 0.03f;  // 2/494 f: mm, 0.0015 to 0.3

    // ---- Record 3 ----
    std::array<float, kMaxDiameters> DiameterCopy{};   // 3/0 30 × f: table as last saved
    std::array<float, kMaxDiameters> Diameters{};      // 3/120 30 × f: mm, ascending
    std::array<float, kMaxDiameters> MinimumSlopes{};  // 3/240 30 × f: % per diameter
    std::array<float, kRainBasins> SwmmWidths{10, 10, 10, 10, 10};                 // 3/360 5 × f: m
    std::array<float, kRainBasins> SwmmSlopes{0.01f, 0.01f, 0.01f, 0.01f, 0.01f};  // 3/380 %
    float SwmmAdjustment = 0.95f;  // 3/400 f: selected adjustment factor
    int InfiltrationModel = 0;     // 3/404 i: 0 Horton, 1 Green-Ampt, 2 curve number

    // ---- Record 4 ----
    float EquationCount = 1;                              // 4/0 f: 1 to 5
    std::array<RainEquation, kMaxEquations> Equations{};  // 4/(8 + 48·k), k = 1..5, 12 × f

    // ---- Record 5 ----
    // 5/(5·slot) s4 numeric texts ("1.50"); see kExcavationLimitSlots and the others.
    std::array<std::string, kRangeTexts> RangeTexts;
    int Manhole120Diameter = 600;  // 5/65 i: manholes of 1.20 m for pipes up to this mm
    int Manhole180Diameter = 900;  // 5/67 i: manholes of 1.80 m up to this mm
    // 5/69 92 bytes reserved: always written as zeros.
    int ManningOption = 1;            // 5/161 i: 0 n from roughness, other traditional fixed n
    uint8_t HasExistingReach = 0;     // 5/163 b: set by the network controls
    uint8_t ExistingNetworkFlag = 0;  // 5/164 b: read with 163 by the budget
    int StageCount = 0;               // 5/165 i: construction stages 0 to 3
    std::string BudgetStageTag;       // 5/167 s255: highest lump-sum stage tag "0".."3"
    uint8_t HasNewReach = 0;          // 5/423 b
    int TopologyMode = 1;             // 5/424 i: 1 manual only, 2 automatic only, 3 both
    float FroudeLower = 0.9f;         // 5/426 f: lower bound of the avoided band
    float FroudeUpper = 1.1f;         // 5/430 f: upper bound
    int WideFroudeBand = 0;           // 5/434 i: 1 = the wide band 0.70-1.50 (listing text)
};

// Record k (0..5) of the control file into the fields of e; record 0 only its
// criteria fields.
void Decode(int record, const codec::Bytes& bytes, EspecT& e);
// Fields of e into record k's buffer. False, with the buffer untouched, when an integer
// does not fit its 16-bit field.
bool Encode(int record, const EspecT& e, codec::Bytes& bytes);

// The defaults of every table, with the diameter-dependent values computed.
EspecT DefaultEspec();
void ApplyDefaults(EspecT& e);

struct RepairResult {
    std::array<bool, 6> recordChanged{};
    bool any() const {
        for (bool c : recordChanged)
            if (c) return true;
        return false;
    }
};
// The load-time repairs, including a non-finite float replaced by its default.
RepairResult RepairOnLoad(EspecT& e, shell::ProyectoT& header);

// ---- Numeric texts of record 5 ----
// "1.50" read with '.' as separator; 0 when it holds no number.
double NumericTextValue(const std::string& text);
// Two decimals, '.' as separator.
std::string NumericText(double value);
double RangeValue(const EspecT& e, int slot);
void SetRangeValue(EspecT& e, int slot, double value);

// ---- Diameters and sections ----
// Table entries in use (DiameterCount limited to 1..30).
int UsedDiameters(const EspecT& e);
// 722.62 × (1.016·D)^(−1.419) to two decimals, +0.02 for the first two diameters.
std::vector<float> DefaultMinimumSlopes(const EspecT& e);
// Overwrites MinimumSlopes for the used diameters.
void RecomputeMinimumSlopes(EspecT& e);
// The matching or nearest table diameter (tie to the larger), whole mm; none when the
// value is larger than every diameter.
std::optional<int> NearestCommercialDiameter(const EspecT& e, double value);

struct Section {
    bool duct;
    float size;              // diameter or side, mm
    float minSlope = 0.01f;  // %
};
// The circular pipes with their minimum slopes, then every square duct.
std::vector<Section> Sections(const EspecT& e);

// Q/Q0 of a circular pipe running at depth ratio y/D, with a constant n: the ratio kept
// beside the maximum filling (record 0 offset 66).
double FlowRatioAtDepth(double yd);

// Depth (m) at which bedding starts for a construction bedding code; -1 for none.
double BeddingDepth(const EspecT& e, int code);

// System kind of a design class (1→1, 2→2, 3,6,8→3, 4,7,9→4, 5→5); 0 for no class.
int SystemKindOfClass(int designClass);
// The class a system kind stands for when the stored class is unusable.
int ClassOfSystemKind(int systemKind);

// After the diameter screen saved the table: copy, minimum diameters moved to the
// table, minimum slopes recomputed. Returns the records to write (0, 3, 5).
std::vector<int> AfterDiameterTableSaved(EspecT& e);

}  // namespace nivex::specs
