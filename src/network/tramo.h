#pragma once
// The pipe-reach record of the reach file and its design copy, the index entry, the node of
// the reordering list, and the small computations on a reach that screens share.

#include <array>
#include <cstdint>
#include <string>

#include "shell/record_codec.h"

namespace nivex::network {

constexpr size_t kTramoSize = 452;
constexpr size_t kIndiceSize = 14;
constexpr size_t kTramoBufSize = 18;
constexpr size_t kManholeNameSize = 6;  // s5 of the manhole name file
constexpr size_t kNameLength = 5;
constexpr int kMaxLines = 10000;

// Reach classes and types as stored; the screen adds class 4 and shifts type 5 to 4.
constexpr int kClassNew = 0;
constexpr int kClassExisting = 1;
constexpr int kClassRestricted = 2;
constexpr int kClassNotInvestigated = 3;
constexpr int kScreenClassOtherSector = 4;
constexpr int kTypeNetwork = 0;
constexpr int kTypeFromSector = 4;
constexpr int kTypeToSector = 5;
constexpr int kScreenTypeToSector = 4;

// The design values of a reach, by position; zero in the reach file as entered.
struct DisenoT {
    int I12 = 0;
    int I14 = 0;
    std::array<int, 10> I16{};  // offsets 16..34
    int I40 = 0;
    int I50 = 0;
    std::array<float, 4> F72{};  // 72..84
    float F92 = 0;
    std::array<float, 3> F112{};  // 112..120
    float F128 = 0;
    float ConstructionStage = 0;  // 132: 0 none, 1 to 3
    std::array<float, 6> F140{};  // 140..160
    std::array<float, 2> F168{};  // 168, 172
    std::array<float, 4> F184{};  // 184..196
    float F212 = 0;
    float F220 = 0;
    std::array<float, 28> F244{};  // 244..352
    float F376 = 0;
    std::string Name440;  // s5
    std::string Name446;  // s5
};

struct TramoT {
    std::string Upstream;    // 0 s5
    std::string Downstream;  // 6 s5
    int Class = 0;           // 36
    int Reserved38 = 0;
    int Type = 0;                // 42
    int RainNumber = 0;          // 44: equation or series; 0 with only one
    int Sector = 0;              // 46: source (type 4) or destination (type 5)
    int Contribution = 0;        // 48: 1 sanitary, 2 combined, 3 storm
    float GroundUp = 0;          // 52
    float GroundDown = 0;        // 56
    float Length = 0;            // 60
    float ReliefFactor = 0;      // 64
    float Area = 0;              // 68
    float PointFlow = 0;         // 88
    float CrownUp = 0;           // 96
    float Diameter = 0;          // 100
    float Slope = 0;             // 104
    float CrownDown = 0;         // 108
    float StormArea = 0;         // 124
    float SanitaryZone = 0;      // 136
    float MinimumDepth = 0;      // 164
    float FutureArea = 0;        // 176
    float ManningN = 0;          // 180
    float InFlow = 0;            // 200
    float InInfiltration = 0;    // 204
    float InPopulation = 0;      // 208
    float Runoff = 0;            // 216
    float InRealArea = 0;        // 224
    float InEquivalentArea = 0;  // 228
    float StormAreaTime = 0;     // 232
    float InOriginTime = 0;      // 236
    float InReachTime = 0;       // 240
    float RemoveExisting = 0;    // 356 "Quitar_Exist"
    float Reserved360 = 0;
    float RasZone = 0;             // 364: 0 residential, 1 commercial or industrial
    float IndustrialVelocity = 0;  // 368
    float Reserved372 = 0;
    std::array<float, 15> Reserved380{};
    DisenoT Diseno;
};

struct IndiceTramoT {
    std::string Upstream;
    std::string Downstream;
    int Line = 0;
};

struct TramoBufT {
    std::string Upstream;
    std::string Downstream;
    int FormerLine = 0;  // 0 for a line created in the list
    int Previous = 0;    // 0 at the head
    int Next = 0;        // 0 at the tail
};

void Decode(const codec::Bytes& record, TramoT& t);
// False when a value does not fit its 16-bit field; the buffer is then left untouched.
bool Encode(const TramoT& t, codec::Bytes& record);
void Decode(const codec::Bytes& record, IndiceTramoT& e);
bool Encode(const IndiceTramoT& e, codec::Bytes& record);
void Decode(const codec::Bytes& record, TramoBufT& n);
bool Encode(const TramoBufT& n, codec::Bytes& record);

// Stored class and type to what the entry screen shows, and back.
void ToScreenForm(TramoT& t);
void ToStoredForm(TramoT& t);

// Offset of the first entry value that is not a finite number, or -1. Such values are
// kept as read so that the record survives unchanged; the caller reports them.
int FirstNonFiniteEntry(const TramoT& t);

// Slope (%) from the crowns, truncated to three decimals.
double SlopeFromCrowns(double crownUp, double crownDown, double length);
// Whether the entry screen accepts a slope computed from the crowns.
bool SlopeIsNormal(double slope);
// Downstream crown from a slope (%), to two decimals; 0 becomes 0.001.
double CrownDownFromSlope(double crownUp, double length, double slope);

}  // namespace nivex::network
