#include "design/alternatives_table.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <locale>
#include <sstream>

#include "design/design_state.h"
#include "network/tramo.h"
#include "project/project.h"
#include "project/replace_file.h"
#include "shell/startup.h"

namespace nivex::design {
namespace {

constexpr uint64_t kMantissa52 = (uint64_t{1} << 52) - 1;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr uint16_t kExtendedTop = 0x7FFF;
constexpr uint8_t kUndesignedByte = 100;

uint64_t Bits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

double FromBits(uint64_t u) {
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

// Rounds away the low `shift` bits of m (1..64) to nearest, ties to even.
uint64_t RoundShift(uint64_t m, int shift) {
    if (shift >= 64) {
        // Only the top bit of m can be the half: anything above it rounds up to 1.
        return (shift == 64 && m > kIntegerBit) ? 1 : 0;
    }
    const uint64_t keep = m >> shift;
    const uint64_t rem = m & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    return (rem > half || (rem == half && (keep & 1))) ? keep + 1 : keep;
}

std::string Cut(const std::string& text, size_t n) {
    return text.size() > n ? text.substr(0, n) : text;
}

// Record a must come after record b in the order of the alternatives.
// Records without a design go behind the designed ones, whatever their figures hold.
// A mean depth of 0 (an abandoned alternative) counts as the largest of all, so that such
// records end behind every other one.
bool ComesAfter(const AlternativeT& a, const AlternativeT& b) {
    if (WasDesigned(a) != WasDesigned(b)) return !WasDesigned(a);
    if (a.meanDepth == 0) return true;
    if (b.meanDepth == 0) return false;
    if (a.meanDepth != b.meanDepth) return a.meanDepth > b.meanDepth;
    if (a.meanSize != b.meanSize) return a.meanSize > b.meanSize;
    if (a.largestCrownDepth != b.largestCrownDepth)
        return a.largestCrownDepth > b.largestCrownDepth;
    if (a.largestFinalDepth != b.largestFinalDepth)
        return a.largestFinalDepth > b.largestFinalDepth;
    if (a.smallestFinalDepth > b.smallestFinalDepth) return true;
    // The first four keys tie and a's smallest final depth is not larger: the records
    // still change places when they replaced as many existing reaches.
    return a.eliminated == b.eliminated;
}

}  // namespace

bool IsDesignedAlternative(int k) {
    return std::find(kDesignedAlternatives.begin(), kDesignedAlternatives.end(), k) !=
           kDesignedAlternatives.end();
}

std::array<uint8_t, kExtendedSize> EncodeExtended(double value) {
    const uint64_t u = Bits(value);
    const int exponent = static_cast<int>((u >> 52) & 0x7FF);
    const uint64_t fraction = u & kMantissa52;
    int e = 0;
    uint64_t mantissa = 0;
    if (exponent == 0x7FF) {  // infinity or NaN, the payload kept at the top
        e = kExtendedTop;
        mantissa = kIntegerBit | (fraction << 11);
    } else if (exponent == 0) {
        if (fraction != 0) {  // a denormal double is a normal extended
            const int top = std::bit_width(fraction) - 1;
            mantissa = fraction << (63 - top);
            e = top - 1074 + kExtendedBias;
        }
    } else {
        e = exponent - kDoubleBias + kExtendedBias;
        mantissa = kIntegerBit | (fraction << 11);
    }
    const auto signExponent = static_cast<uint16_t>((u >> 63) << 15 | static_cast<uint16_t>(e));
    std::array<uint8_t, kExtendedSize> out{};
    for (size_t i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    out[8] = static_cast<uint8_t>(signExponent & 0xFF);
    out[9] = static_cast<uint8_t>(signExponent >> 8);
    return out;
}

double DecodeExtended(const uint8_t* bytes) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[i];
    const auto signExponent = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
    const uint64_t sign = static_cast<uint64_t>(signExponent >> 15) << 63;
    const int exponent = signExponent & kExtendedTop;
    const uint64_t infinity = sign | (uint64_t{0x7FF} << 52);
    if (exponent == kExtendedTop) {
        const uint64_t fraction = mantissa & ~kIntegerBit;
        if (fraction == 0) return FromBits(infinity);
        uint64_t payload = (fraction >> 11) & kMantissa52;
        if (payload == 0) payload = uint64_t{1} << 51;  // still a NaN
        return FromBits(infinity | payload);
    }
    if (mantissa == 0) return FromBits(sign);
    // Denormals (exponent 0) share the scale of exponent 1; unnormals are normalised.
    int e = (exponent == 0 ? 1 : exponent) - kExtendedBias;
    const int lead = std::countl_zero(mantissa);
    mantissa <<= lead;
    e -= lead;
    if (e > kDoubleBias) return FromBits(infinity);
    if (e >= 1 - kDoubleBias) {
        uint64_t keep = RoundShift(mantissa, 11);
        if (keep >> 53) {
            keep >>= 1;
            ++e;
            if (e > kDoubleBias) return FromBits(infinity);
        }
        return FromBits(sign | (static_cast<uint64_t>(e + kDoubleBias) << 52) |
                        (keep & kMantissa52));
    }
    // Below the normal range: a denormal double, or zero. Rounding up into the smallest
    // normal gives its bits as well.
    return FromBits(sign | RoundShift(mantissa, 11 + (1 - kDoubleBias - e)));
}

double Extended(const codec::Bytes& b, size_t off) {
    uint8_t bytes[kExtendedSize];
    for (size_t i = 0; i < kExtendedSize; ++i)
        bytes[i] = codec::Byte(b, off + i);
    return DecodeExtended(bytes);
}

void PutExtended(codec::Bytes& b, size_t off, double value) {
    if (Bits(Extended(b, off)) == Bits(value)) return;
    const std::array<uint8_t, kExtendedSize> bytes = EncodeExtended(value);
    for (size_t i = 0; i < kExtendedSize; ++i)
        codec::PutByte(b, off + i, bytes[i]);
}

void Decode(const codec::Bytes& record, AlternativeT& a) {
    a.cost = -1;
    a.number = codec::I16(record, 0);
    a.meanDepth = codec::F64(record, 2);
    a.meanSize = codec::F64(record, 10);
    a.largestCrownDepth = codec::F64(record, 18);
    a.outfalls = codec::I16(record, 26);
    a.largestFinalDepth = codec::F64(record, 28);
    a.smallestFinalDepth = codec::F64(record, 36);
    a.largestDiameter = codec::F64(record, 44);
    a.eliminated = codec::F64(record, 52);
    a.status = codec::Text(record, 60, 2);
    a.raw = record;
    a.raw.resize(kAlternativeSize, 0);
}

bool Encode(const AlternativeT& a, codec::Bytes& record) {
    codec::Bytes r = record;
    r.resize(kAlternativeSize, 0);
    if (!codec::PutI16(r, 0, a.number) || !codec::PutI16(r, 26, a.outfalls)) return false;
    codec::PutF64(r, 2, a.meanDepth);
    codec::PutF64(r, 10, a.meanSize);
    codec::PutF64(r, 18, a.largestCrownDepth);
    codec::PutF64(r, 28, a.largestFinalDepth);
    codec::PutF64(r, 36, a.smallestFinalDepth);
    codec::PutF64(r, 44, a.largestDiameter);
    codec::PutF64(r, 52, a.eliminated);
    codec::PutText(r, 60, 2, a.status);
    record = std::move(r);
    return true;
}

void Decode(const codec::Bytes& record, AlternativesHeader& h) {
    h.controlReserved = codec::Text(record, 63, 10);
    h.consultant = codec::Text(record, 74, 25);
    h.entity = codec::Text(record, 100, 63);
    h.projectName = codec::Text(record, 164, 25);
    h.projectDate = codec::Text(record, 190, 25);
    h.version = codec::Text(record, 216, 5);
    h.topologyMode = codec::I16(record, 222);
    h.reachCount = codec::F64(record, 224);
    h.lengthSum = codec::F64(record, 234);
    h.areaSum = Extended(record, 242);
    h.searchDays = codec::F64(record, 252);
    h.sectorNumber = codec::I16(record, 260);
    h.designClass = codec::I16(record, 262);
    h.existingPercent = codec::F64(record, 264);
    h.email = codec::Text(record, 272, 35);
    h.country = codec::Text(record, 308, 27);
}

bool Encode(const AlternativesHeader& h, codec::Bytes& record) {
    codec::Bytes r = record;
    r.resize(kAlternativeSize, 0);
    if (!codec::PutI16(r, 222, h.topologyMode) || !codec::PutI16(r, 260, h.sectorNumber) ||
        !codec::PutI16(r, 262, h.designClass))
        return false;
    codec::PutText(r, 63, 10, h.controlReserved);
    codec::PutText(r, 74, 25, h.consultant);
    codec::PutText(r, 100, 63, h.entity);
    codec::PutText(r, 164, 25, h.projectName);
    codec::PutText(r, 190, 25, h.projectDate);
    codec::PutText(r, 216, 5, h.version);
    codec::PutF64(r, 224, h.reachCount);
    codec::PutF64(r, 234, h.lengthSum);
    PutExtended(r, 242, h.areaSum);
    codec::PutF64(r, 252, h.searchDays);
    codec::PutF64(r, 264, h.existingPercent);
    codec::PutText(r, 272, 35, h.email);
    codec::PutText(r, 308, 27, h.country);
    record = std::move(r);
    return true;
}

AlternativesTable::AlternativesTable() {
    for (int k = 0; k < kAlternatives; ++k)
        records[static_cast<size_t>(k)].number = k;
}

void Decode(const codec::Bytes& bytes, AlternativesTable& table) {
    for (size_t k = 0; k < kAlternatives; ++k) {
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(
                                               std::min(bytes.size(), k * kAlternativeSize));
        const auto last = bytes.begin() + static_cast<std::ptrdiff_t>(
                                              std::min(bytes.size(), (k + 1) * kAlternativeSize));
        Decode(codec::Bytes(first, last), table.records[k]);
    }
    Decode(table.records[0].raw, table.header);
}

bool Encode(const AlternativesTable& table, codec::Bytes& bytes) {
    codec::Bytes out;
    out.reserve(kDesignStateSize);
    for (size_t k = 0; k < kAlternatives; ++k) {
        codec::Bytes record = table.records[k].raw;
        if (!Encode(table.records[k], record)) return false;
        if (k == 0 && !Encode(table.header, record)) return false;
        out.insert(out.end(), record.begin(), record.end());
    }
    bytes = std::move(out);
    return true;
}

void FillUndesigned(AlternativesTable& table, int k) {
    Decode(codec::Bytes(kAlternativeSize, kUndesignedByte), table.records[static_cast<size_t>(k)]);
}

void ClearAbandoned(AlternativesTable& table, int k) {
    AlternativeT& a = table.records[static_cast<size_t>(k)];
    Decode(codec::Bytes(kAlternativeSize, 0), a);
    a.number = k;
}

bool WasDesigned(const AlternativeT& a) {
    // Far beyond any depth in metres or size in millimetres a design gives.
    constexpr double kLargestFigure = 1e6;
    if (!IsDesignedAlternative(a.number)) return false;
    if (a.outfalls < 1 || a.outfalls > kMaxFinalReaches) return false;
    for (double v : {a.meanDepth, a.meanSize, a.largestCrownDepth, a.largestFinalDepth,
                     a.smallestFinalDepth, a.largestDiameter, a.eliminated})
        if (!std::isfinite(v) || v < 0 || v > kLargestFigure) return false;
    return true;
}

int TopologyModeOfRun(const project::Project& project) {
    if (project.header.Simulated == 1) return kTopologyManual;
    if (project.espec.FromSwmm == 1) return kTopologyAutomatic;
    return project.espec.TopologyMode;
}

std::string DesignStatePath(const project::Project& project) {
    return project.files.designState();
}

namespace {

// The costs of the alternatives beside the design state: "CostosAlt." + its extension.
std::string CostsPath(const std::string& statePath) {
    const std::filesystem::path state(statePath);
    const std::string name = state.filename().string();
    const size_t dot = name.rfind('.');
    return (state.parent_path() /
            ("CostosAlt." + (dot == std::string::npos ? std::string() : name.substr(dot + 1))))
        .string();
}

// Lines "number cost"; a line that does not read is skipped, a missing file knows no cost.
void ReadCosts(AlternativesTable& table, const std::string& statePath) {
    std::ifstream in(CostsPath(statePath));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        words.imbue(std::locale::classic());
        int number = 0;
        double cost = -1;
        if (!(words >> number >> cost) || !std::isfinite(cost) || cost < 0) continue;
        for (AlternativeT& a : table.records)
            if (a.number == number && (number == 0 || IsDesignedAlternative(number))) a.cost = cost;
    }
}

bool WriteCosts(const AlternativesTable& table, const std::string& statePath, std::string* error) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(2);
    for (const AlternativeT& a : table.records)
        if (a.cost >= 0 && std::isfinite(a.cost) &&
            (a.number == 0 || IsDesignedAlternative(a.number)))
            text << a.number << ' ' << a.cost << "\r\n";
    return project::ReplaceFileContents(CostsPath(statePath), text.str(), error);
}

}  // namespace

bool ReadDesignState(AlternativesTable& table, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return fail("No existe el archivo de alternativas " + path);
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return fail("No se pudo leer el archivo de alternativas " + path);
    const std::string expected = std::to_string(kDesignStateSize);
    if (size < kDesignStateSize)
        return fail("El archivo de alternativas " + path + " esta incompleto: tiene " +
                    std::to_string(size) + " bytes de " + expected);
    if (size > kDesignStateSize)
        return fail("El archivo de alternativas " + path + " esta dañado: tiene " +
                    std::to_string(size) + " bytes y debe tener " + expected);
    std::ifstream in(path, std::ios::binary);
    codec::Bytes bytes(kDesignStateSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(kDesignStateSize))
        return fail("No se pudo leer el archivo de alternativas " + path);
    Decode(bytes, table);
    ReadCosts(table, path);
    return true;
}

bool WriteDesignState(const AlternativesTable& table, const std::string& path, std::string* error) {
    codec::Bytes bytes;
    if (!Encode(table, bytes)) {
        if (error) *error = "Un valor no cabe en el archivo de alternativas " + path;
        return false;
    }
    return project::ReplaceFileContents(
               path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
               error) &&
           WriteCosts(table, path, error);
}

bool OpenDesignState(AlternativesTable& table, const std::string& path, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !WriteDesignState(table, path, error)) return false;
    return ReadDesignState(table, path, error);
}

void RefreshHeader(AlternativesTable& table, const project::Project& project, int mode,
                   const std::vector<network::TramoT>& reaches) {
    const shell::ProyectoT& p = project.header;
    AlternativesHeader& h = table.header;
    h.controlReserved = Cut(p.Reserved338, 10);
    h.consultant = Cut(p.Consultant, 25);
    h.entity = Cut(p.Entity, 63);
    h.projectName = Cut(p.ProjectName, 25);
    h.projectDate = Cut(p.ProjectDate, 25);
    h.version = Cut(shell::kVersionText, 5);
    h.topologyMode = mode;
    h.reachCount = p.ReachCount;

    const size_t count = std::min(reaches.size(), static_cast<size_t>(std::max(p.ReachCount, 0)));
    const bool areas = project.espec.SystemKind != 1;
    double length = 0;
    double existing = 0;
    long double area = 0;  // the sum is kept in extended precision
    for (size_t i = 0; i < count; ++i) {
        const network::TramoT& t = reaches[i];
        length += t.Length;
        if (areas) area += t.Area;
        if (t.Class == network::kClassExisting || t.Class == network::kClassNotInvestigated)
            existing += t.Length;
    }
    h.lengthSum = length;
    h.areaSum = static_cast<double>(area);
    h.existingPercent = length == 0 ? 0 : 100 * existing / length;

    const std::string& extension = project.files.extension();
    const char digit = extension.empty() ? '0' : extension.back();
    h.sectorNumber = digit >= '0' && digit <= '9' ? digit - '0' : 0;
    h.designClass = p.DesignClass;
    h.email = Cut(p.Email, 35);
    h.country = Cut(p.Country, 27);
    if (mode == kTopologyManual) table.records[0].status = "OK";
}

void SortAlternatives(AlternativesTable& table) {
    auto& r = table.records;
    for (size_t i = 1; i < kAlternatives; ++i)
        for (size_t j = 1; j + i < kAlternatives; ++j)
            if (ComesAfter(r[j], r[j + 1])) std::swap(r[j], r[j + 1]);
}

int SelectAlternatives(AlternativesTable& table) {
    using Key = double AlternativeT::*;
    constexpr std::array<Key, 3> keys{&AlternativeT::meanSize, &AlternativeT::largestCrownDepth,
                                      &AlternativeT::largestDiameter};
    auto& r = table.records;
    // The sort put the designed records first: with none at the top there is none.
    if (!WasDesigned(r[1])) return 0;
    size_t p = 1;
    for (Key key : keys) {
        double minimum = r[1].*key;
        size_t candidate = 0;
        for (size_t k = p + 1; k < kAlternatives; ++k) {
            if (WasDesigned(r[k]) && r[k].*key < minimum) {
                minimum = r[k].*key;
                candidate = k;
            }
        }
        if (candidate == 0) continue;
        std::rotate(r.begin() + static_cast<std::ptrdiff_t>(p + 1),
                    r.begin() + static_cast<std::ptrdiff_t>(candidate),
                    r.begin() + static_cast<std::ptrdiff_t>(candidate + 1));
        ++p;
    }
    return static_cast<int>(p);
}

}  // namespace nivex::design
