#pragma once
// The project control file "XSDA.": six records of 512 bytes, record 0 the project header.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/record_codec.h"

namespace nivex::shell {

constexpr size_t kControlRecordSize = 512;
constexpr int kControlRecords = 6;

// Record 0: the fields that say where the project stands and what identifies it.
struct ProyectoT {
    std::array<uint8_t, 4> ControlsDone{};  // network controls A..D passed
    std::array<uint8_t, 4> StageDone{};     // [1] design, [2] quantities, [3] budget
    int ReachCount = 0;
    int Reserved12 = 0;
    int RunCounter = 0;    // offset 14, kept as read
    int IndexOptions = 0;  // offset 16: the optional entries of the project index, one bit each
    std::array<int, 3> DesignCounters{};  // offsets 28, 30, 32
    std::string ProjectName;              // s25
    std::string Reserved160;              // s1
    std::string ProjectDate;              // s25
    std::string Entity;                   // s63
    uint8_t DiameterTableValid = 0;       // offset 252
    uint8_t CriteriaValid = 0;            // offset 253
    int AbandonedAlternatives = 0;        // offset 254
    uint8_t BackupExists = 0;
    uint8_t Simulated = 0;
    float DesignAlternative = -1;  // offset 262: -1 none chosen yet
    std::string Reserved338 = "0000000000";
    std::string Consultant;  // s35
    std::string Email;       // s35
    std::string Country;     // s26
    int SimulatedVertical = 0;
    int SimulatedHorizontal = 0;
    float SimulatedLength = 0;
    int Ras2016Model = 2;      // 1 on, 2 off
    int SlopePerDiameter = 2;  // 1 on, 2 off
    int DesignClass = 0;
    uint8_t SwmmClass = 0;
    uint8_t SwmmRan = 0;
    // Offset 464, one byte, the first of the 48 the record leaves zero: the design method,
    // 0 "Estandar" (what every older file holds), 1 "Costo minimo". Any other byte reads
    // as 0, so a damaged byte never selects an unknown method.
    int DesignMethod = 0;
};

constexpr int kStandardMethod = 0;
constexpr int kLeastCostMethod = 1;

// The design of this sector chooses diameters, slopes and depths for the lowest cost.
inline bool LeastCostMethod(const ProyectoT& p) {
    return p.DesignMethod == 1;
}

void Decode(const codec::Bytes& record, ProyectoT& p);
// False when a value does not fit its 16-bit field; the buffer is then left untouched.
bool Encode(const ProyectoT& p, codec::Bytes& record);

// What is wrong with the size of a control file of `bytes` bytes: more than its six
// records, or a record cut short. Empty when neither; else a Spanish message (UTF-8)
// naming the file and the record.
std::string ControlFileSizeFault(const std::string& path, uintmax_t bytes);

// The file of one sector. Kept open while a module works on it; every operation says
// whether it succeeded, and error() names the file in Spanish.
class ControlFile {
  public:
    ControlFile() = default;
    ~ControlFile() { Close(); }
    ControlFile(const ControlFile&) = delete;
    ControlFile& operator=(const ControlFile&) = delete;

    // Opens (creating an empty file when missing); an open file is closed first. A file
    // whose size is not whole records, or more than six, is refused (error() says why).
    bool Open(const std::string& path);
    // Read only: the file is opened for reading alone and never created, and the writes
    // keep their records in the buffers only. For a process that reads a sector while
    // another one works on it; kept across Close and Open.
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool readOnly() const { return readOnly_; }
    void Close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Whole records in the file; 0 for a project not yet initialised.
    int RecordCount();
    // Reads record k (0..5) into its buffer; fails past the end of the file.
    bool ReadRecord(int k);
    // Writes record k's buffer.
    bool WriteRecord(int k);
    // Writes the buffers of several records at once: the whole file is written under a
    // temporary name and renamed over the old one, so that a save is either all on disk
    // or not at all. One record is written in place.
    bool WriteRecords(const std::vector<int>& records);
    codec::Bytes& buffer(int k) { return buffers_[static_cast<size_t>(k)]; }
    const codec::Bytes& buffer(int k) const { return buffers_[static_cast<size_t>(k)]; }
    void ClearBuffers();

    const std::string& error() const { return error_; }

  private:
    bool fail(const std::string& what);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    bool readOnly_ = false;
    std::array<codec::Bytes, kControlRecords> buffers_{
        codec::Bytes(kControlRecordSize), codec::Bytes(kControlRecordSize),
        codec::Bytes(kControlRecordSize), codec::Bytes(kControlRecordSize),
        codec::Bytes(kControlRecordSize), codec::Bytes(kControlRecordSize)};
};

}  // namespace nivex::shell
