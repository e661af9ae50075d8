#pragma once
// The design alternatives of a sector: alternative 0 is the network as entered, 1 to 16
// variants of the automatic topology. Each keeps a few statistics of its preliminary
// design; record 0 also carries a header that identifies the project. The table lives in
// memory for the open sector and on disk in the design state file, one record of
// 17 x 336 bytes named by the sector's extension alone.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/record_codec.h"

namespace nivex::network {
struct TramoT;
}
namespace nivex::project {
struct Project;
}

namespace nivex::design {

constexpr size_t kAlternativeSize = 336;
constexpr int kAlternatives = 17;                                      // 0 manual, 1..16 automatic
constexpr size_t kDesignStateSize = kAlternativeSize * kAlternatives;  // 5712
constexpr size_t kExtendedSize = 10;

// Topology modes of a run.
constexpr int kTopologyManual = 1;
constexpr int kTopologyAutomatic = 2;
constexpr int kTopologyBoth = 3;

// What the topology search is handed for alternative k: its flag and four characters.
struct TopologyVariant {
    uint8_t searchFlag;
    std::string_view characters;
};
constexpr std::array<TopologyVariant, kAlternatives> kTopologyVariants{{
    {0, "    "},
    {1, "A1A1"},
    {1, "A1A2"},
    {1, "A1D1"},
    {1, "A1D2"},
    {1, "A2A1"},
    {1, "A2A2"},
    {1, "A2D1"},
    {1, "A2D2"},
    {1, "D1A1"},
    {1, "D1A2"},
    {1, "D1D1"},
    {1, "D1D2"},
    {1, "D2A1"},
    {1, "D2A2"},
    {1, "D2D1"},
    {1, "D2D2"},
}};

// Only these automatic alternatives are designed; the others hold bytes of value 100.
constexpr std::array<int, 6> kDesignedAlternatives{1, 2, 10, 12, 15, 16};
bool IsDesignedAlternative(int k);

// The x87 80-bit extended format (little-endian: 64-bit mantissa with its explicit
// integer bit, then sign and 15-bit exponent biased by 16383), independent of what the
// compiler makes of long double. Every double converts exactly; the way back rounds to
// nearest, ties to even.
std::array<uint8_t, kExtendedSize> EncodeExtended(double value);
double DecodeExtended(const uint8_t* bytes);
double Extended(const codec::Bytes& b, size_t off);
// Leaves the bytes alone when they already decode to value (bit for bit), so that the
// extra precision of a value read from disk survives a rewrite.
void PutExtended(codec::Bytes& b, size_t off, double value);

// One alternative. Status: "" before its design, "??" when the energy junctions could not
// be satisfied, "OK" once shown.
struct AlternativeT {
    int number = 0;                 // 0 i16
    double meanDepth = 0;           // 2: m
    double meanSize = 0;            // 10: mm
    double largestCrownDepth = 0;   // 18: m
    int outfalls = 0;               // 26 i16
    double largestFinalDepth = 0;   // 28: m
    double smallestFinalDepth = 0;  // 36: m
    double largestDiameter = 0;     // 44: mm
    double eliminated = 0;          // 52: existing reaches replaced
    std::string status;             // 60 s2
    // Construction cost of its design (pesos), kept beside the file in "CostosAlt." + the
    // sector's extension, by alternative number; below 0 when not known.
    double cost = -1;
    // The record as last read: what the fields are encoded over, bytes 63..335 included.
    codec::Bytes raw = codec::Bytes(kAlternativeSize, 0);
};

void Decode(const codec::Bytes& record, AlternativeT& a);  // also keeps record as raw
// The fields over record (336 bytes); false, record untouched, when an integer does not
// fit 16 bits.
bool Encode(const AlternativeT& a, codec::Bytes& record);

// Record 0, offsets 63 to 335: who and what the stored alternatives belong to.
struct AlternativesHeader {
    std::string controlReserved;  // 63 s10: control record 0 offset 338
    std::string consultant;       // 74 s25
    std::string entity;           // 100 s63
    std::string projectName;      // 164 s25
    std::string projectDate;      // 190 s25
    std::string version;          // 216 s5
    int topologyMode = 0;         // 222 i16
    double reachCount = 0;        // 224
    double lengthSum = 0;         // 234: m
    double areaSum = 0;           // 242: ha, 80-bit extended on disk
    double searchDays = 0;        // 252: last search of the automatic alternatives
    int sectorNumber = 0;         // 260 i16
    int designClass = 0;          // 262 i16
    double existingPercent = 0;   // 264: % of the length in class 1 or 3 reaches
    std::string email;            // 272 s35
    std::string country;          // 308 s27
};

// Against a whole record 0 (336 bytes, offsets as above).
void Decode(const codec::Bytes& record, AlternativesHeader& h);
bool Encode(const AlternativesHeader& h, codec::Bytes& record);

struct AlternativesTable {
    AlternativesTable();
    std::array<AlternativeT, kAlternatives> records;
    AlternativesHeader header;  // kept in record 0's bytes 63..335
};

// The 5712 bytes of the design state file, and back (bytes must hold 5712).
void Decode(const codec::Bytes& bytes, AlternativesTable& table);
bool Encode(const AlternativesTable& table, codec::Bytes& bytes);

// An alternative that is not designed: 336 bytes of value 100.
void FillUndesigned(AlternativesTable& table, int k);
// An alternative abandoned for complexity: zeros except its number.
void ClearAbandoned(AlternativesTable& table, int k);
// Whether an automatic record holds a preliminary design: one of the six designed
// alternatives, with the outfalls every design has and figures a design can give. False
// for the bytes of 100, an abandoned record and a damaged one: such a record is never
// offered nor chosen.
bool WasDesigned(const AlternativeT& a);

// The topology mode a run uses: 1 for a simulated project, 2 for one imported from SWMM,
// otherwise the stored one.
int TopologyModeOfRun(const project::Project& project);

// The design state file of the open sector.
std::string DesignStatePath(const project::Project& project);
// Reads the file into the table; false with *error (Spanish, UTF-8, naming the file) and
// the table as it was when the file is missing, unreadable or not of 5712 bytes.
bool ReadDesignState(AlternativesTable& table, const std::string& path, std::string* error);
// Writes the table through a temporary file renamed into place.
bool WriteDesignState(const AlternativesTable& table, const std::string& path, std::string* error);
// What project opening does: creates the file from the table when it is missing, then
// reads it.
bool OpenDesignState(AlternativesTable& table, const std::string& path, std::string* error);

// The header from the open project and its reach file records (stored form, line 1
// first; at most ReachCount of them are summed). In mode 1 record 0 becomes "OK".
void RefreshHeader(AlternativesTable& table, const project::Project& project, int mode,
                   const std::vector<network::TramoT>& reaches);

// Orders records 1 to 16 from the best alternative down, the designed ones first; record 0
// stays first.
void SortAlternatives(AlternativesTable& table);
// After the sort: brings the designed record with the smallest mean size, largest crown
// depth and largest diameter, when one beats the first record, right behind the rows
// chosen so far. Gives the number of automatic rows to show, 1 to 4, every one designed;
// 0 when no alternative was designed.
int SelectAlternatives(AlternativesTable& table);

}  // namespace nivex::design
