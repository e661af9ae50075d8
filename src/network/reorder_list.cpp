#include "network/reorder_list.h"

#include <algorithm>
#include <filesystem>

#include "console/codepage.h"
#include "network/reach_rules.h"
#include "network/record_file.h"

namespace nivex::network {

void ReorderModel::FromIndex(const std::vector<IndiceTramoT>& index) {
    rows_.clear();
    rows_.reserve(index.size() + 1);
    for (const IndiceTramoT& e : index)
        rows_.push_back({TramoBufT{e.Upstream, e.Downstream, e.Line, 0, 0}});
    if (rows_.empty()) rows_.push_back({});
    changed_ = false;
}

bool ReorderModel::FromSaved(const std::vector<TramoBufT>& nodes, int lineCount) {
    const int n = static_cast<int>(nodes.size());
    int head = 0;
    for (int k = 1; k <= n && head == 0; ++k)
        if (nodes[static_cast<size_t>(k - 1)].Previous == 0) head = k;
    if (head == 0) return false;
    std::vector<Row> rows;
    std::vector<bool> seen(static_cast<size_t>(n) + 1, false);
    int previous = 0;
    for (int k = head; k != 0;) {
        if (k < 1 || k > n || seen[static_cast<size_t>(k)]) return false;
        seen[static_cast<size_t>(k)] = true;
        const TramoBufT& node = nodes[static_cast<size_t>(k - 1)];
        if (node.Previous != previous || node.FormerLine < 0 || node.FormerLine > lineCount)
            return false;
        rows.push_back({node});
        previous = k;
        k = node.Next;
    }
    if (static_cast<int>(rows.size()) != n) return false;
    rows_ = std::move(rows);
    changed_ = true;  // a saved list is a change not yet committed
    return true;
}

std::vector<TramoBufT> ReorderModel::Saved() const {
    std::vector<TramoBufT> nodes;
    nodes.reserve(rows_.size());
    const int n = size();
    for (int k = 0; k < n; ++k) {
        TramoBufT node = rows_[static_cast<size_t>(k)].node;
        node.Previous = k;  // nodes are numbered from 1
        node.Next = k + 1 < n ? k + 2 : 0;
        nodes.push_back(std::move(node));
    }
    return nodes;
}

int ReorderModel::InsertAfter(int k) {
    const int at = std::clamp(k + 1, 0, size());
    rows_.insert(rows_.begin() + at, Row{});
    changed_ = true;
    return at;
}

int ReorderModel::Delete(int k) {
    if (k < 0 || k >= size()) return std::clamp(k, 0, size() - 1);
    changed_ = true;
    if (size() == 1) {
        rows_[0] = Row{};
        return 0;
    }
    rows_.erase(rows_.begin() + k);
    return std::min(k, size() - 1);
}

void ReorderModel::MarkStart(int k) {
    for (Row& r : rows_)
        r.blockStart = false;
    if (k >= 0 && k < size()) rows_[static_cast<size_t>(k)].blockStart = true;
}

void ReorderModel::MarkEnd(int k) {
    for (Row& r : rows_)
        r.blockEnd = false;
    if (k >= 0 && k < size()) rows_[static_cast<size_t>(k)].blockEnd = true;
}

void ReorderModel::ClearMarks() {
    for (Row& r : rows_)
        r.blockStart = r.blockEnd = false;
}

bool ReorderModel::Block(int& first, int& last) const {
    int start = -1, end = -1;
    for (int k = 0; k < size(); ++k) {
        if (rows_[static_cast<size_t>(k)].blockStart) start = k;
        if (rows_[static_cast<size_t>(k)].blockEnd) end = k;
    }
    if (start < 0 || end < 0) return false;
    first = std::min(start, end);
    last = std::max(start, end);
    return true;
}

bool ReorderModel::DeleteBlock(int& current) {
    int first = 0, last = 0;
    if (!Block(first, last)) return false;
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
    if (rows_.empty()) rows_.push_back({});
    ClearMarks();
    changed_ = true;
    if (current > last)
        current -= last - first + 1;
    else if (current >= first)
        current = first;
    current = std::clamp(current, 0, size() - 1);
    return true;
}

bool ReorderModel::MoveBlockAfter(int& current) {
    int first = 0, last = 0;
    if (!Block(first, last) || (current >= first && current <= last)) return false;
    std::vector<Row> block(rows_.begin() + first, rows_.begin() + last + 1);
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
    const int width = last - first + 1;
    if (current > last) current -= width;
    rows_.insert(rows_.begin() + current + 1, block.begin(), block.end());
    ClearMarks();
    changed_ = true;
    return true;
}

int ReorderModel::Find(const std::string& upstream, const std::string& downstream) const {
    for (int k = 0; k < size(); ++k) {
        const TramoBufT& n = rows_[static_cast<size_t>(k)].node;
        if (NamesMatch(IndiceTramoT{n.Upstream, n.Downstream, 0}, upstream, downstream)) return k;
    }
    return -1;
}

bool ReadSavedList(const std::string& path, std::vector<TramoBufT>& nodes, std::string& error) {
    nodes.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return true;
    ReorderList file;
    if (!file.Open(path)) {
        error = file.error();
        return false;
    }
    nodes.reserve(static_cast<size_t>(file.count()));
    for (int k = 1; k <= file.count(); ++k) {
        TramoBufT n;
        if (!file.Read(k, n)) {
            error = file.error();
            return false;
        }
        nodes.push_back(std::move(n));
    }
    file.Close();
    return true;
}

bool WriteSavedList(const std::string& path, const std::vector<TramoBufT>& nodes,
                    std::string& error) {
    std::vector<codec::Bytes> records;
    records.reserve(nodes.size());
    for (size_t k = 0; k < nodes.size(); ++k) {
        codec::Bytes bytes(kTramoBufSize, 0);
        if (!Encode(nodes[k], bytes)) {
            error = "No se pudo codificar la linea " + std::to_string(k + 1) + " de la lista";
            return false;
        }
        records.push_back(std::move(bytes));
    }
    return ReplaceRecordFile(path, kTramoBufSize, records, error);
}

bool CommitReorder(project::Project& p, ReachFile& file, const ReorderModel& list,
                   std::string& error) {
    std::vector<codec::Bytes> records, entries;
    records.reserve(static_cast<size_t>(list.size()));
    entries.reserve(static_cast<size_t>(list.size()));
    for (int k = 0; k < list.size(); ++k) {
        const TramoBufT& n = list.row(k).node;
        if (n.FormerLine == 0 && n.Upstream.empty() && n.Downstream.empty()) continue;
        codec::Bytes bytes(kTramoSize, 0);
        TramoT t;
        if (n.FormerLine > 0) {
            if (!file.ReadRecord(n.FormerLine, bytes)) {
                error = file.error();
                return false;
            }
            Decode(bytes, t);
        }
        t.Upstream = n.Upstream;
        t.Downstream = n.Downstream;
        const int line = static_cast<int>(records.size()) + 1;
        codec::Bytes entry(kIndiceSize, 0);
        if (!Encode(t, bytes) || !Encode(IndiceTramoT{n.Upstream, n.Downstream, line}, entry)) {
            error = "No se pudo codificar la linea " + std::to_string(line);
            return false;
        }
        records.push_back(std::move(bytes));
        entries.push_back(std::move(entry));
    }
    if (records.size() > static_cast<size_t>(kMaxLines)) {
        error = LineBeyondLimit(kMaxLines + 1);
        return false;
    }

    // The header first: a stop before the new order is in place leaves the old one with
    // its controls to be run again, never the new order taken as controlled.
    bool marked = p.OpenControl() && p.ReadHeader();
    if (marked) {
        RecordNetworkChange(p.header, static_cast<int>(records.size()));
        marked = p.WriteHeader();
    }
    p.CloseControl();
    if (!marked) {
        error = toUtf8(p.error);
        return false;
    }

    const std::string work = ReachWorkPath(p.files);
    const std::string reaches = p.files.reaches();
    const std::string index = p.files.reachIndex();
    if (!file.Flush()) {
        error = file.error();
        return false;
    }
    // The new reach file is whole in "SanTem." before anything old is replaced.
    if (!ReplaceRecordFile(work, kTramoSize, records, error)) return false;
    file.Close();
    std::error_code ec;
    std::filesystem::rename(work, reaches, ec);
    if (ec) {
        error = "No se pudo reemplazar el archivo " + reaches + ": " + ec.message();
        OpenNetwork(p, file);
        return false;
    }
    // A crash here leaves the new reaches with the old index, which the next opening
    // rebuilds from the reach file.
    const bool indexed = ReplaceRecordFile(index, kIndiceSize, entries, error);
    std::filesystem::remove(ReorderListPath(p.files), ec);
    if (!OpenNetwork(p, file)) {
        error = toUtf8(p.error);
        return false;
    }
    return indexed;
}

}  // namespace nivex::network
