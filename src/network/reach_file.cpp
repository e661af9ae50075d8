#include "network/reach_file.h"

#include <cstdio>
#include <filesystem>

#include "console/codepage.h"
#include "network/network_controls.h"
#include "network/reach_rules.h"
#include "specs/criteria_store.h"

namespace nivex::network {

using codec::Bytes;

// ---- TramoFile ----

std::string DamagedLine(const std::string& path, int line, const std::string& fault) {
    return "El archivo " + path + " esta dañado: linea " + std::to_string(line) + ": " + fault;
}

bool TramoFile::fail(const std::string& what) {
    error_ = what + " el archivo " + file_.path();
    return false;
}

bool TramoFile::Read(int line, TramoT& t) {
    error_.clear();
    if (line < 1 || line > count() + 1)
        return fail("Linea " + std::to_string(line) + " no existe en");
    if (line == count() + 1) {
        t = TramoT{};
        return true;
    }
    if (line != cachedLine_) {
        if (!file_.Read(line - 1, cached_)) {
            cachedLine_ = 0;
            return false;
        }
        if (const std::string fault = ReachRecordFault(cached_); !fault.empty()) {
            cachedLine_ = 0;
            error_ = DamagedLine(file_.path(), line, fault);
            return false;
        }
        cachedLine_ = line;
    }
    Decode(cached_, t);
    return true;
}

bool TramoFile::Write(int line, const TramoT& t) {
    error_.clear();
    if (line < 1 || line > count() + 1 || line > kMaxLines)
        return fail("Linea " + std::to_string(line) + " invalida en");
    Bytes base(kTramoSize);
    if (line == cachedLine_) {
        base = cached_;
    } else if (line <= count() && !file_.Read(line - 1, base)) {
        return false;
    }
    if (!Encode(t, base))
        return fail("Valor fuera de limites (linea " + std::to_string(line) + ") en");
    cachedLine_ = 0;
    if (!file_.Write(line - 1, base)) return false;
    cached_ = std::move(base);
    cachedLine_ = line;
    return true;
}

// ---- ReachFile ----

bool ReachFile::fail(const std::string& message) {
    error_ = message;
    return false;
}

bool ReachFile::Open(const std::string& reachPath, const std::string& indexPath, float manningN,
                     bool readOnly) {
    Close();
    error_.clear();
    opening_ = {};
    entries_.clear();
    entryBytes_.clear();
    if (!reaches_.Open(reachPath)) return fail(reaches_.error());
    if (!index_.Open(indexPath)) return fail(index_.error());

    for (int k = 0; k < index_.count(); ++k) {
        Bytes b;
        if (!index_.Read(k, b)) return fail(index_.error());
        IndiceTramoT e;
        Decode(b, e);
        entries_.push_back(e);
        entryBytes_.push_back(std::move(b));
    }

    bool consistent = index_.count() == count();
    std::vector<IndiceTramoT> expected;
    expected.reserve(static_cast<size_t>(count()));
    for (int line = 1; line <= count(); ++line) {
        TramoT t;
        if (!reaches_.Read(line, t)) return fail(reaches_.error());
        bool existing = t.Class == kClassExisting || t.Class == kClassNotInvestigated;
        if (existing && t.ManningN == 0 && !readOnly) {
            t.ManningN = manningN;
            if (!reaches_.Write(line, t)) return fail(reaches_.error());
            ++opening_.manningSet;
        }
        IndiceTramoT e{t.Upstream, t.Downstream, line};
        if (consistent) {
            const IndiceTramoT& have = entries_[static_cast<size_t>(line - 1)];
            consistent = have.Upstream == e.Upstream && have.Downstream == e.Downstream &&
                         have.Line == e.Line;
        }
        expected.push_back(std::move(e));
    }
    if (!reaches_.Flush()) return fail(reaches_.error());
    if (consistent) return true;
    if (!readOnly) return rebuildIndex(expected);
    entryBytes_.clear();
    for (const auto& e : expected) {
        Bytes b(kIndiceSize);
        if (!Encode(e, b)) return fail("Valor fuera de limites en el archivo " + index_.path());
        entryBytes_.push_back(std::move(b));
    }
    entries_ = std::move(expected);
    return true;
}

bool ReachFile::rebuildIndex(const std::vector<IndiceTramoT>& expected) {
    std::vector<Bytes> records;
    records.reserve(expected.size());
    for (const auto& e : expected) {
        Bytes b(kIndiceSize);
        if (!Encode(e, b)) return fail("Valor fuera de limites en el archivo " + index_.path());
        records.push_back(std::move(b));
    }
    std::string path = index_.path();
    index_.Close();
    std::string error;
    if (!ReplaceRecordFile(path, kIndiceSize, records, error)) return fail(error);
    if (!index_.Open(path)) return fail(index_.error());
    entries_ = expected;
    entryBytes_ = std::move(records);
    opening_.indexRebuilt = true;
    return true;
}

bool ReachFile::Close() {
    bool ok = reaches_.Close();
    if (!ok) error_ = reaches_.error();
    if (!index_.Close()) {
        if (ok) error_ = index_.error();
        ok = false;
    }
    return ok;
}

bool ReachFile::Flush() {
    if (!reaches_.Flush()) return fail(reaches_.error());
    if (!index_.Flush()) return fail(index_.error());
    return true;
}

bool ReachFile::ReadLine(int line, TramoT& t) {
    if (!Read(line, t)) return false;
    ToScreenForm(t);
    return true;
}

bool ReachFile::WriteLine(int line, const TramoT& t) {
    TramoT stored = t;
    ToStoredForm(stored);
    return Write(line, stored);
}

bool ReachFile::Write(int line, const TramoT& t) {
    if (!reaches_.Write(line, t)) return fail(reaches_.error());
    return writeEntry(line, t);
}

bool ReachFile::writeEntry(int line, const TramoT& t) {
    auto k = static_cast<size_t>(line - 1);
    if (k > entries_.size()) return fail("Indice incompleto en el archivo " + index_.path());
    IndiceTramoT e{t.Upstream, t.Downstream, line};
    Bytes b = k < entryBytes_.size() ? entryBytes_[k] : Bytes(kIndiceSize);
    if (!Encode(e, b)) return fail("Valor fuera de limites en el archivo " + index_.path());
    if (!index_.Write(static_cast<int>(k), b)) return fail(index_.error());
    if (k == entries_.size()) {
        entries_.push_back(e);
        entryBytes_.push_back(std::move(b));
    } else {
        entries_[k] = e;
        entryBytes_[k] = std::move(b);
    }
    return true;
}

bool ReadReachRecords(const std::string& path, std::vector<codec::Bytes>& records,
                      std::string& error) {
    RecordFile file(kTramoSize, kMaxLines);
    if (!file.Open(path)) return (error = file.error(), false);
    records.assign(static_cast<size_t>(file.count()), Bytes{});
    for (size_t k = 0; k < records.size(); ++k) {
        if (!file.Read(static_cast<int>(k), records[k])) return (error = file.error(), false);
        if (const std::string fault = ReachRecordFault(records[k]); !fault.empty())
            return (error = DamagedLine(path, static_cast<int>(k + 1), fault), false);
    }
    return file.Close() || (error = file.error(), false);
}

// ---- Opening of the sector's network ----

void RecordNetworkChange(shell::ProyectoT& h, int reachCount) {
    h.ReachCount = reachCount;
    h.ControlsDone = {};
    for (size_t k = 1; k < h.StageDone.size(); ++k)
        h.StageDone[k] = 0;
    h.DiameterTableValid = 0;
    h.Simulated = 0;
}

bool SettleNetworkFiles(project::Project& p, std::string* error, std::string* damage) {
    std::error_code ec;
    if (p.selection.isTotaliser() || !std::filesystem::exists(p.files.reaches(), ec)) return true;
    // A damaged file is reported, and nothing is made from it.
    auto damaged = [&](const std::string& what) {
        if (!damage) return (*error = what, false);
        *damage = what;
        return true;
    };
    // Both files are checked against the size of their format before anything is read.
    for (auto [path, size] :
         {std::pair{p.files.reaches(), kTramoSize}, std::pair{p.files.reachIndex(), kIndiceSize}}) {
        const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
        if (ec) continue;  // the reading below reports it, or makes the missing index
        if (std::string fault = RecordFileSizeFault(path, bytes, size, kMaxLines); !fault.empty())
            return damaged(fault);
    }
    std::vector<codec::Bytes> reaches, entries;
    {
        RecordFile file(kTramoSize, kMaxLines);
        if (!file.Open(p.files.reaches())) return (*error = file.error(), false);
        reaches.resize(static_cast<size_t>(file.count()));
        for (size_t k = 0; k < reaches.size(); ++k)
            if (!file.Read(static_cast<int>(k), reaches[k])) return (*error = file.error(), false);
        if (!file.Close()) return (*error = file.error(), false);
    }
    for (size_t k = 0; k < reaches.size(); ++k)
        if (const std::string fault = ReachRecordFault(reaches[k]); !fault.empty())
            return damaged(DamagedLine(p.files.reaches(), static_cast<int>(k + 1), fault));
    RecordFile index(kIndiceSize, kMaxLines);
    if (!index.Open(p.files.reachIndex())) return (*error = index.error(), false);
    entries.resize(static_cast<size_t>(index.count()));
    for (size_t k = 0; k < entries.size(); ++k)
        if (!index.Read(static_cast<int>(k), entries[k])) return (*error = index.error(), false);
    if (!index.Close()) return (*error = index.error(), false);
    std::vector<codec::Bytes> expected(reaches.size());
    const bool countDiffers = entries.size() != reaches.size();
    bool indexMatches = !countDiffers;
    for (size_t k = 0; k < reaches.size(); ++k) {
        TramoT t;
        Decode(reaches[k], t);
        expected[k].assign(kIndiceSize, 0);
        if (!Encode(IndiceTramoT{t.Upstream, t.Downstream, static_cast<int>(k + 1)}, expected[k]))
            return (*error = "No se pudo codificar el indice de la linea " + std::to_string(k + 1),
                    false);
        if (indexMatches) {
            IndiceTramoT e;
            Decode(entries[k], e);
            indexMatches = e.Upstream == t.Upstream && e.Downstream == t.Downstream &&
                           e.Line == static_cast<int>(k + 1);
        }
    }
    std::string message;
    if (!indexMatches && !ReplaceRecordFile(p.files.reachIndex(), kIndiceSize, expected, message))
        return (*error = message, false);
    const int count = static_cast<int>(reaches.size());
    if (p.header.ReachCount == count && !countDiffers) return true;
    return WithControl(p, error, [&] {
        const bool recount = p.header.ReachCount != count;
        if (recount) RecordNetworkChange(p.header, count);
        if (!countDiffers) return !recount || SaveControlRecords(p, {}, error);
        // An index rebuilt for want of lines takes the construction data back to their
        // values after a rebuild.
        ResetConstructionAfterRebuild(p.espec);
        return SaveControlRecords(p, {1}, error);
    });
}

void ResetConstructionAfterRebuild(specs::EspecT& e) {
    e.ConstructionData[specs::kCompactionFactor] = 1;
    e.ConstructionData[specs::kFillExcavated] = 100;
    e.ConstructionData[specs::kFillBorrowed] = 0;
    e.ConstructionData[specs::kFillSelected] = 0;
    e.ConstructionData[specs::kBeddingGravelCode] = 0;
}

bool OpenNetwork(project::Project& p, ReachFile& f) {
    if (!f.Open(p.files.reaches(), p.files.reachIndex(), p.espec.ExistingReachManningN,
                p.onlyReads())) {
        p.error = cp(f.error());
        return false;
    }
    if (!f.opening().indexRebuilt) return true;
    ResetConstructionAfterRebuild(p.espec);
    bool wasOpen = p.control.isOpen();
    // Records 0 and 1 are read first so that their bytes outside the fields survive.
    bool ok = wasOpen || (p.OpenControl() && p.control.ReadRecord(0) && p.control.ReadRecord(1));
    ok = ok && specs::SaveRecords(p.control, p.header, p.espec, {1});
    if (!ok && p.error.empty()) p.error = cp(p.control.error());
    if (!wasOpen) p.CloseControl();
    return ok;
}

// ---- Manhole names ----

bool ReadManholeNames(const std::string& path, std::vector<std::string>& names,
                      std::string& error) {
    names.clear();
    RecordFile file(kManholeNameSize, 2 * kMaxLines);
    if (!file.Open(path)) {
        error = file.error();
        return false;
    }
    Bytes b;
    for (int k = 0; k < file.count(); ++k) {
        if (!file.Read(k, b)) {
            error = file.error();
            return false;
        }
        names.push_back(codec::Text(b, 0, kNameLength));
    }
    return file.Close() || (error = file.error(), false);
}

bool WriteManholeNames(const std::string& path, const std::vector<std::string>& names,
                       std::string& error) {
    std::vector<Bytes> records;
    records.reserve(names.size());
    for (const auto& n : names) {
        Bytes b(kManholeNameSize);
        codec::PutText(b, 0, kNameLength, n);
        records.push_back(std::move(b));
    }
    return ReplaceRecordFile(path, kManholeNameSize, records, error);
}

// ---- Work files of the reordering ----

std::string ReachWorkPath(const project::FileNames& f) {
    return f.path("SanTem.");
}

bool EraseReachWork(const project::FileNames& f, std::string& error) {
    std::string path = ReachWorkPath(f);
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
        if (std::remove(path.c_str()) != 0) {
            error = "No se pudo borrar el archivo " + path;
            return false;
        }
    }
    return true;
}

std::string ReorderListPath(const project::FileNames& f) {
    return f.path("SanSc.");
}

bool ReorderList::Read(int node, TramoBufT& n) {
    error_.clear();
    Bytes b;
    if (!file_.Read(node - 1, b)) return false;
    Decode(b, n);
    return true;
}

bool ReorderList::Write(int node, const TramoBufT& n) {
    error_.clear();
    if (node < 1 || node > kMaxLines || node > count() + 1) {
        error_ = "Nodo " + std::to_string(node) + " invalido en el archivo " + file_.path();
        return false;
    }
    Bytes b(kTramoBufSize);
    if (node <= count() && !file_.Read(node - 1, b)) return false;
    if (!Encode(n, b)) {
        error_ = "Valor fuera de limites en el archivo " + file_.path();
        return false;
    }
    return file_.Write(node - 1, b);
}

}  // namespace nivex::network
