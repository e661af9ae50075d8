#pragma once
// A file of fixed-size records, kept open and buffered while a module works on it.
// Records are numbered from 0 here; only whole records count, a trailing part is never
// read. Errors name the file in Spanish.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/record_codec.h"

namespace nivex::network {

// The most records a file of the network may hold: its lines.
constexpr int kMostRecords = 10000;

// What is wrong with a file of `bytes` bytes of records of recordSize: more records than
// the format holds, or a size that is not a whole number of records. Empty when neither;
// else a Spanish message (UTF-8) naming the file and the record cut short.
std::string RecordFileSizeFault(const std::string& path, uintmax_t bytes, size_t recordSize,
                                int mostRecords);

class RecordFile {
  public:
    // A file holds at most mostRecords records; a larger file, or one that ends inside a
    // record, is refused when it is opened and nothing of it is read.
    explicit RecordFile(size_t recordSize, int mostRecords = kMostRecords)
        : size_(recordSize), most_(mostRecords) {}
    ~RecordFile() { Close(); }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens for reading and writing, creating an empty file when missing.
    bool Open(const std::string& path);
    // Flushes and closes; false when the last writes could not be completed.
    bool Close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    size_t recordSize() const { return size_; }

    int count() const { return count_; }
    bool Read(int k, codec::Bytes& record);
    // k may be count() to append.
    bool Write(int k, const codec::Bytes& record);
    bool Flush();

    const std::string& error() const { return error_; }

  private:
    enum class Last { None, Read, Write };
    bool fail(const std::string& what);
    bool seek(int k, Last op);

    size_t size_;
    int most_;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    int count_ = 0;
    long pos_ = -1;
    Last last_ = Last::None;
};

// Replaces a whole file of records: writes a temporary file of its own beside path, then
// renames it over path.
bool ReplaceRecordFile(const std::string& path, size_t recordSize,
                       const std::vector<codec::Bytes>& records, std::string& error);

}  // namespace nivex::network
