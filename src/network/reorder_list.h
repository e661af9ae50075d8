#pragma once
// The reordering list of the reach screen: every line of the network by its two names,
// reordered, inserted, deleted and moved by blocks, saved in "SanSc." between sessions,
// and committed as a new reach file and index.

#include <string>
#include <vector>

#include "network/reach_file.h"
#include "network/tramo.h"
#include "project/project.h"

namespace nivex::network {

class ReorderModel {
  public:
    struct Row {
        TramoBufT node;  // names and former line; the links are those of the saved list
        bool blockStart = false;
        bool blockEnd = false;
    };

    // The lines in the order of the index.
    void FromIndex(const std::vector<IndiceTramoT>& index);
    // The list saved by F4, followed from its head; false (and nothing changed) when the
    // nodes do not form one list or name a line the reach file does not have.
    bool FromSaved(const std::vector<TramoBufT>& nodes, int lineCount);
    // The nodes as saved: node k is the k-th row, linked to its neighbours.
    std::vector<TramoBufT> Saved() const;

    int size() const { return static_cast<int>(rows_.size()); }
    const Row& row(int k) const { return rows_[static_cast<size_t>(k)]; }
    TramoBufT& node(int k) { return rows_[static_cast<size_t>(k)].node; }
    bool changed() const { return changed_; }
    void setChanged() { changed_ = true; }

    // A new empty row after row k (0-based); returns its position.
    int InsertAfter(int k);
    // Deletes row k; a lone row is emptied instead. Returns the row to show next.
    int Delete(int k);

    void MarkStart(int k);
    void MarkEnd(int k);
    void ClearMarks();
    // The rows between the two marks, in list order; false unless both are set.
    bool Block(int& first, int& last) const;
    // Deletes the block (the list keeps one empty row at least); returns the row to show.
    bool DeleteBlock(int& current);
    // Moves the block after row `current`, which must lie outside it; current becomes the
    // position of the row it was on.
    bool MoveBlockAfter(int& current);

    // The first row that matches the names, as the reach screen's search matches; -1.
    int Find(const std::string& upstream, const std::string& downstream) const;

  private:
    std::vector<Row> rows_;
    bool changed_ = false;
};

// "SanSc.": the saved list, read whole and written whole.
bool ReadSavedList(const std::string& path, std::vector<TramoBufT>& nodes, std::string& error);
bool WriteSavedList(const std::string& path, const std::vector<TramoBufT>& nodes,
                    std::string& error);

// Writes the network in list order: a row with a former line copies that record (with the
// names of the list, so that record and index agree), a new row gets a record of zeros
// with its names, and a new row left without names is dropped. The new reach file is
// written as "SanTem." and the index as a temporary file; only when both are whole do they
// replace the old ones, so an interrupted commit leaves the old network. The header is
// marked first (controls to run again, the new count). The reach file is closed for it
// and opened again; "SanSc." is erased. False with error (UTF-8).
bool CommitReorder(project::Project& p, ReachFile& file, const ReorderModel& list,
                   std::string& error);

}  // namespace nivex::network
