#include "design/alternatives_screen.h"

#include <filesystem>

#include "console/codepage.h"
#include "design/alternatives_listing.h"
#include "design/alternatives_run.h"
#include "design/topology_search.h"
#include "network/network_controls.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "network/tramo.h"
#include "project/replace_file.h"
#include "shell/menu_rules.h"
#include "shell/session.h"
#include "summary/summary_listings.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_results.h"

namespace nivex::design {
namespace {

namespace fs = std::filesystem;

bool Store(shell::Session& s, const std::function<void(project::Project&)>& change) {
    std::string error;
    const bool saved = network::WithControl(s.project, &error, [&] {
        change(s.project);
        return network::SaveControlRecords(s.project, {}, &error);
    });
    if (!saved) s.ui.showError(cp(error), "Error");
    return saved;
}

// The results of the hydraulic model belong to the design they verified.
void DeleteModelResults(shell::Session& s) {
    swmm::SwmmContext ctx{s.project, s.ui, nullptr, swmm::SessionSwmmFolder(s), false, ""};
    swmm::DeleteSwmmReport(ctx);
    std::error_code ec;
    for (const char* name :
         {"Swm", "CaudalSwmm", "RepSwmm", "NodeSSwmm", "NodeFSwmm", "LinkSwmm", "AnalisisSwmm"})
        fs::remove(s.project.files.folderFile(name), ec);
}

bool ReadAll(const std::string& path, std::vector<codec::Bytes>& records, std::string& error) {
    return network::ReadReachRecords(path, records, error);
}

// The folder "Respaldo" with the entered reach file and index, each copied under a
// temporary name and renamed, so that a backup is whole or absent.
bool BackUpReaches(const project::FileNames& f, std::string& error) {
    std::error_code ec;
    fs::create_directories(f.backupFolder(), ec);
    const std::pair<std::string, std::string> copies[] = {{f.reaches(), f.backupReaches()},
                                                          {f.reachIndex(), f.backupIndex()}};
    for (const auto& [from, to] : copies) {
        const std::string temp = project::MakeTempFile(to, &error);
        if (temp.empty()) return false;
        fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::rename(temp, to, ec);
        if (ec) {
            fs::remove(temp, ec);
            error = "No se pudo copiar el archivo " + from + " al respaldo " + to;
            return false;
        }
    }
    return true;
}

}  // namespace

int ChooseAlternative(shell::Session& s, AlternativesTable& table, int mode, double days) {
    DeleteModelResults(s);
    int n = 0;
    if (mode != kTopologyManual) {
        SortAlternatives(table);
        n = SelectAlternatives(table);
    }
    const ui::AlternativesChoice choice = AlternativesRows(table, mode, n, days);
    const int abandoned = s.project.header.AbandonedAlternatives;
    auto print = [&] {
        if (summary::ConfirmIdentification(s)) ListAlternatives(s, table, mode, n, abandoned);
    };
    // A row offers an alternative only when it holds a design: the network as entered, or
    // an automatic alternative whose preliminary design was made.
    auto offered = [&](int position) {
        return position == 0 || (position > 0 && position < kAlternatives &&
                                 WasDesigned(table.records[static_cast<size_t>(position)]));
    };
    for (;;) {
        const int row = s.alternatives ? s.alternatives->run(choice, print) : 1;
        if (row >= 0) {
            const int position = RowPosition(mode, n, row);
            if (position >= 0 && offered(position)) {
                if (!Store(s, [&](project::Project& p) {
                        p.header.DesignAlternative = static_cast<float>(position);
                    }))
                    return -1;
                return table.records[static_cast<size_t>(position)].number;
            }
            s.ui.showError("Debe selecionar una opcion o cancelar", "Error");
            if (s.alternatives) continue;  // shown again until a row is chosen or it is closed
        }
        Store(s, [&](project::Project& p) {
            p.header.StageDone[1] = 0;
            // With no row to offer, the former choice names nothing the table now holds.
            if (choice.rows.empty()) p.header.DesignAlternative = -1;
        });
        return -1;
    }
}

bool AdoptAlternative(shell::Session& s) {
    project::Project& p = s.project;
    std::string error;
    if (!network::LoadControlState(p, &error)) {
        s.ui.showError(cp(error), "Error");
        return false;
    }
    if (p.header.DesignAlternative <= 0) return true;
    if (p.espec.HasNewReach == 0) {
        s.ui.showWarning(cp("Por ser todos los tramos existentes,\rno se mueve el diseño "
                            "(quedaria igual)  "),
                         "Informacion");
        return true;
    }
    const project::FileNames& f = p.files;
    std::vector<codec::Bytes> entered, designed;
    if (!ReadAll(f.reaches(), entered, error) || !ReadAll(f.designCopy(), designed, error)) {
        s.ui.showError(cp(error), "Error");
        return false;
    }
    const size_t count =
        std::min(designed.size(), static_cast<size_t>(std::max(0, p.header.ReachCount)));
    std::vector<network::TramoT> reaches(entered.size());
    for (size_t k = 0; k < entered.size(); ++k)
        network::Decode(entered[k], reaches[k]);
    std::vector<TopologySearchEntry> list;
    for (size_t k = 0; k < count; ++k) {
        network::TramoT t;
        network::Decode(designed[k], t);
        list.push_back({t.Upstream, t.Downstream, -1, false});
    }
    // Every entered record takes its place (those the design copy does not name follow
    // at the end), and the index names the records as they now stand.
    std::vector<codec::Bytes> ordered, index;
    for (const ListedReach& l : ReachListOrder(reaches, list)) {
        codec::Bytes bytes = entered[static_cast<size_t>(l.source)];
        network::TramoT t = reaches[static_cast<size_t>(l.source)];
        if (l.turned) {
            TurnReach(t);
            network::Encode(t, bytes);
        }
        codec::Bytes entry(network::kIndiceSize, 0);
        network::Encode(
            network::IndiceTramoT{t.Upstream, t.Downstream, static_cast<int>(index.size()) + 1},
            entry);
        ordered.push_back(std::move(bytes));
        index.push_back(std::move(entry));
    }
    if (!p.BackupFolderExists()) {
        if (!BackUpReaches(f, error)) {
            s.ui.showError(cp(error), "Error");
            return false;
        }
        shell::ApplyBackupItem(s.menu, true);
    }
    if (!network::ReplaceRecordFile(f.reaches(), network::kTramoSize, ordered, error) ||
        !network::ReplaceRecordFile(f.reachIndex(), network::kIndiceSize, index, error)) {
        s.ui.showError(cp(error), "Error");
        return false;
    }
    return true;
}

}  // namespace nivex::design
