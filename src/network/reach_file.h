#pragma once
// The network files of a sector: the reach file "ZSDX." with its index "XSDC.", the
// manhole names "XSDD.", and the work files "SanTem." and "SanSc." of the reordering.
// Lines are numbered from 1. Errors name the file in Spanish (UTF-8, not yet in the code
// page).

#include <string>
#include <vector>

#include "network/record_file.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::network {

// "El archivo ... esta dañado: linea N: ..." (UTF-8), what a record that fails
// ReachRecordFault is reported as.
std::string DamagedLine(const std::string& path, int line, const std::string& fault);

// A file of TramoT records, lines from 1. A line whose values no screen could have written
// is refused when read, naming the file and the line. A rewritten line keeps the bytes of
// its previous content that belong to no field.
class TramoFile {
  public:
    bool Open(const std::string& path) { return file_.Open(path); }
    bool Close() { return file_.Close(); }
    bool isOpen() const { return file_.isOpen(); }
    int count() const { return file_.count(); }
    // Stored form; line count() + 1 reads as a new record of zeros.
    bool Read(int line, TramoT& t);
    // Stored form; line count() + 1 appends.
    bool Write(int line, const TramoT& t);
    // The bytes of line k as they are on disk.
    bool ReadRecord(int line, codec::Bytes& bytes) { return file_.Read(line - 1, bytes); }
    bool Flush() { return file_.Flush(); }
    const std::string& path() const { return file_.path(); }
    const std::string& error() const { return error_.empty() ? file_.error() : error_; }

  private:
    bool fail(const std::string& what);

    RecordFile file_{kTramoSize};
    std::string error_;
    int cachedLine_ = 0;
    codec::Bytes cached_;
};

// What the opening did to the files.
struct OpeningReport {
    bool indexRebuilt = false;
    int manningSet = 0;  // reaches that got the existing-reach n
};

class ReachFile {
  public:
    // Opens both files (creating them empty), gives manningN to every existing or not
    // investigated reach without one, and rebuilds the index in line order when it does
    // not match the reach file. readOnly: a sector another program holds is only read; the
    // index is mended in memory and no reach is written.
    bool Open(const std::string& reachPath, const std::string& indexPath, float manningN,
              bool readOnly = false);
    bool Close();
    int count() const { return reaches_.count(); }
    const OpeningReport& opening() const { return opening_; }
    // The index mirrored in memory: entry k - 1 holds line k.
    const std::vector<IndiceTramoT>& index() const { return entries_; }

    // Line k in the entry screen's form of class and type; count() + 1 is a new line of
    // zeros (line 1 of an empty project).
    bool ReadLine(int line, TramoT& t);
    // Stores the screen form of t as line k (at most count() + 1 and 10000) and sets
    // index entry k in memory and on disk.
    bool WriteLine(int line, const TramoT& t);
    // The same without the class and type conversion (records already stored form).
    bool Read(int line, TramoT& t) { return reaches_.Read(line, t) || fail(reaches_.error()); }
    bool Write(int line, const TramoT& t);
    bool ReadRecord(int line, codec::Bytes& bytes) {
        return reaches_.ReadRecord(line, bytes) || fail(reaches_.error());
    }
    bool Flush();
    const std::string& reachPath() const { return reaches_.path(); }
    const std::string& indexPath() const { return index_.path(); }

    const std::string& error() const { return error_; }

  private:
    bool fail(const std::string& message);
    bool writeEntry(int line, const TramoT& t);
    bool rebuildIndex(const std::vector<IndiceTramoT>& expected);

    TramoFile reaches_;
    RecordFile index_{kIndiceSize};
    std::vector<IndiceTramoT> entries_;
    std::vector<codec::Bytes> entryBytes_;
    OpeningReport opening_;
    std::string error_;
};

// Every record of a reach file or of its design copy, each checked as TramoFile checks a
// line; false with error (UTF-8) naming the file, and the line when one is damaged.
bool ReadReachRecords(const std::string& path, std::vector<codec::Bytes>& records,
                      std::string& error);

// What a change of the network means for the header: the new reach count, the controls
// and the later stages to be done again, the table of design alternatives no longer
// valid and the project no longer simulated.
void RecordNetworkChange(shell::ProyectoT& h, int reachCount);

// What a sector's opening checks after a rewrite that may have been interrupted: the reach
// file is what counts. An index that does not name its lines is rebuilt (an index short of
// lines also resets the construction data and writes record 1), and a header whose reach
// count differs records the change of network. False with *error (UTF-8) when a file
// fails. A damaged reach file or index (another size than whole records, more than 10000
// lines, a line no screen writes) settles nothing: it is a failure too, or, when `damage`
// is given, told there (UTF-8) while the opening goes on to a sector whose modules refuse
// the file and whose network may still be replaced or restored.
bool SettleNetworkFiles(project::Project& p, std::string* error, std::string* damage = nullptr);

// The construction data after an index rebuild: compaction 1, fills 100, 0, 0, no gravel.
void ResetConstructionAfterRebuild(specs::EspecT& e);

// Opens the reach file of the open sector with its opening repairs; after an index
// rebuild the construction data are reset and record 1 of the control file written
// (opening the control file for it when closed). False with p.error set.
bool OpenNetwork(project::Project& p, ReachFile& f);

// "XSDD.": the manhole names in the order given (the controls sort them).
bool ReadManholeNames(const std::string& path, std::vector<std::string>& names, std::string& error);
bool WriteManholeNames(const std::string& path, const std::vector<std::string>& names,
                       std::string& error);

// "SanTem.": erased each time the reach module starts; a missing file is no error.
std::string ReachWorkPath(const project::FileNames& f);
bool EraseReachWork(const project::FileNames& f, std::string& error);

// "SanSc.": the nodes of the reordering list, numbered from 1.
std::string ReorderListPath(const project::FileNames& f);
class ReorderList {
  public:
    bool Open(const std::string& path) { return file_.Open(path); }
    bool Close() { return file_.Close(); }
    int count() const { return file_.count(); }
    bool Read(int node, TramoBufT& n);
    // node may be count() + 1 to append.
    bool Write(int node, const TramoBufT& n);
    const std::string& error() const { return error_.empty() ? file_.error() : error_; }

  private:
    RecordFile file_{kTramoBufSize};
    std::string error_;
};

}  // namespace nivex::network
