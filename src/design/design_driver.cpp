#include "design/design_driver.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "console/codepage.h"
#include "design/design_internal.h"
#include "design/reach_values.h"
#include "design/topology_list_file.h"
#include "network/network_walk.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "specs/criteria_store.h"

namespace nivex::design {
namespace {

using detail::Designer;
using network::TramoT;

constexpr int kProgressEvery = 10000;

using detail::kSystemFailure;
using detail::kSystemFailureTitle;
const char* const kFatalRead =
    "Hubo un error fatal durante la lectura de un archivo y debe reiniciar el programa. "
    "Posiblemente hay un nodo final (vertimiento o estacion de bombas) que por no tener "
    "nomeclatura unica, sin usar en otros tramos, confunde al programa. Corrija y reintente "
    "el diseño. ";
const char* const kFatalReadTitle = "ERROR FATAL";

bool Fail(DesignSink& sink, DesignResult& r, const std::string& title, const std::string& text,
          const std::string& detail) {
    r.end = DesignEnd::Failed;
    r.title = cp(title);
    r.error = cp(text);
    if (!detail.empty()) r.error += "\r" + cp(detail);  // file errors come in UTF-8
    sink.Message(r.title, r.error);
    return false;
}

// The quantity files of the sector, which the design makes stale.
void DeleteQuantityFiles(const project::FileNames& f) {
    std::error_code ec;
    const std::string suffix = "." + f.extension();
    for (const auto& entry : std::filesystem::directory_iterator(f.folder(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= suffix.size() + 4) continue;
        if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
        const std::string head = name.substr(0, 4);
        if (head == "SANN" || head == "SANO" || head == "SANA" || head == "SANE")
            std::filesystem::remove(entry.path(), ec);
    }
}

void DeleteFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// The values of the control record that summarise the designed network.
void Summarise(project::Project& p, const std::vector<TramoT>& records, int networkRecords) {
    bool existing = false, fresh = false;
    int finals = 0;
    double weighted = 0, lengths = 0;
    for (int k = 0; k < networkRecords && k < static_cast<int>(records.size()); ++k) {
        const TramoT& t = records[static_cast<size_t>(k)];
        if (t.Class == network::kClassExisting) existing = true;
        if (t.Class == network::kClassNew || t.Class == network::kClassRestricted) fresh = true;
        if (network::IsOutlet(t)) ++finals;
        TramoT copy = t;
        weighted += std::fabs(double(GroundSlope(copy))) * t.Length;
        lengths += std::round(double(t.Length));
    }
    p.espec.HasExistingReach = existing ? 1 : 0;
    p.espec.HasNewReach = fresh ? 1 : 0;
    p.header.DesignCounters[0] = finals;
    const double mean = lengths > 0 ? Round2(weighted / lengths) : 0;
    p.header.DesignCounters[1] =
        static_cast<int>(std::clamp(std::round(mean * 100), -32768.0, 32767.0));
}

bool SaveControl(project::Project& p, std::initializer_list<int> records) {
    if (!p.control.isOpen() && !p.OpenControl()) return false;
    return specs::SaveRecords(p.control, p.header, p.espec, records);
}

// Copies the reach file into the design copy with the links of every record.
// The order and directions of an automatic alternative over the entered records: a new
// search, whose list is kept for the later designs of the alternative, or the list kept.
// False when the design must end (r says why); true with nothing to apply for the
// network as entered or an alternative without a kept list.
bool AlternativeOrder(project::Project& p, const DesignRun& run, DesignSink& sink, DesignResult& r,
                      const std::vector<TramoT>& reaches, std::vector<ListedReach>& order) {
    order.clear();
    const std::string path = TopologyListPath(p.files, run.alternative);
    std::vector<TopologySearchEntry> list;
    if (run.search) {
        const TopologySearchResult found = SearchTopology(reaches, run.variant, run.searchLimits);
        if (found.cancelled) {
            sink.cancelled = true;
            r.end = DesignEnd::Cancelled;
            return false;
        }
        if (found.result != kSearchDone) {
            r.end = DesignEnd::Topology;
            r.topologyResult = found.result;
            r.topologyError = found.error;
            return false;
        }
        std::vector<TopologyEntry> entries(found.list.size());
        for (size_t k = 0; k < entries.size(); ++k) {
            entries[k].upstream = found.list[k].upstream;
            entries[k].downstream = found.list[k].downstream;
        }
        std::string error;
        if (!WriteTopologyList(path, entries, &error))
            return Fail(sink, r, kSystemFailureTitle, kSystemFailure, error);
        list = found.list;
    } else {
        if (run.alternative == 0 || (p.header.CriteriaValid != 0 && !run.finalDesign)) return true;
        std::vector<TopologyEntry> entries;
        std::string error;
        const TopologyListRead read = ReadTopologyList(path, entries, &error);
        if (read == TopologyListRead::Missing) return true;
        if (read == TopologyListRead::Damaged)
            return Fail(sink, r, kFatalReadTitle, kFatalRead, error);
        for (const TopologyEntry& e : entries)
            list.push_back({e.upstream, e.downstream, -1, false});
    }
    order = ReachListOrder(reaches, list);
    return true;
}

bool PrepareTopology(project::Project& p, const DesignRun& run, DesignSink& sink, DesignResult& r,
                     std::vector<TramoT>& reaches) {
    std::vector<codec::Bytes> bytes;
    std::string damage;
    if (!network::ReadReachRecords(p.files.reaches(), bytes, damage))
        return Fail(sink, r, kFatalReadTitle, kFatalRead, damage);
    reaches.assign(bytes.size(), TramoT{});
    for (size_t k = 0; k < bytes.size(); ++k)
        network::Decode(bytes[k], reaches[k]);
    std::vector<ListedReach> order;
    if (!AlternativeOrder(p, run, sink, r, reaches, order)) return false;
    if (!order.empty()) {
        std::vector<TramoT> ordered;
        std::vector<codec::Bytes> orderedBytes;
        ordered.reserve(order.size());
        orderedBytes.reserve(order.size());
        for (const ListedReach& l : order) {
            ordered.push_back(reaches[static_cast<size_t>(l.source)]);
            orderedBytes.push_back(bytes[static_cast<size_t>(l.source)]);
            if (l.turned) TurnReach(ordered.back());
        }
        reaches = std::move(ordered);
        bytes = std::move(orderedBytes);
    }
    const int total = static_cast<int>(reaches.size());
    LinkReaches(reaches);
    for (size_t k = 0; k < bytes.size(); ++k) {
        if ((k + 1) % kProgressEvery == 0)
            sink.Progress(cp("Procesando [") + std::to_string(k + 1) + cp("] de [") +
                          std::to_string(total) + cp("]   "));
        if (!network::Encode(reaches[k], bytes[k]))
            return Fail(sink, r, kFatalReadTitle, kFatalRead, p.files.reaches());
    }
    // The header first: a stop while the copy is replaced never leaves an earlier design
    // marked as done over the bare network.
    p.header.StageDone[1] = p.header.StageDone[2] = p.header.StageDone[3] = 0;
    if (!SaveControl(p, {}))
        return Fail(sink, r, kSystemFailureTitle, kSystemFailure, p.control.error());
    std::string error;
    if (!network::ReplaceRecordFile(p.files.designCopy(), network::kTramoSize, bytes, error))
        return Fail(sink, r, kSystemFailureTitle, kSystemFailure, error);
    p.header.StageDone[0] = 1;
    if (!SaveControl(p, {}))
        return Fail(sink, r, kSystemFailureTitle, kSystemFailure, p.control.error());
    return true;
}

}  // namespace

void LinkReaches(std::vector<TramoT>& reaches) {
    const int count = static_cast<int>(reaches.size());
    for (TramoT& t : reaches)
        for (int& v : t.Diseno.I16)
            v = 0;
    // Lines in file order: a line ends at an outlet or at the last record.
    bool lineStart = true;
    for (int k = 0; k < count; ++k) {
        TramoT& t = reaches[static_cast<size_t>(k)];
        OwnRecord(t) = k + 1;
        if (!lineStart) {
            PreviousRecord(t) = k;
            NextRecord(reaches[static_cast<size_t>(k - 1)]) = k + 1;
        }
        lineStart = network::IsOutlet(t);
    }
    // Tributaries: the reaches the walk joins to a reach, whether the walk takes them off
    // the stack or the reach continues their line; none across the end of a line.
    std::vector<std::vector<int>> joined(static_cast<size_t>(count));
    auto link = [&](int reach, int tributary) {
        if (reach <= tributary || reach >= count || tributary < 0) return;
        const TramoT& t = reaches[static_cast<size_t>(tributary)];
        if (network::IsOutlet(t) || ReceiverRecord(reaches[static_cast<size_t>(tributary)])) return;
        if (t.Downstream != reaches[static_cast<size_t>(reach)].Upstream) return;
        auto& list = joined[static_cast<size_t>(reach)];
        if (static_cast<int>(list.size()) >= kMaxTributaries) return;
        list.push_back(tributary);
        ReceiverRecord(reaches[static_cast<size_t>(tributary)]) = reach + 1;
    };
    const network::WalkResult walk = network::WalkNetwork(reaches);
    for (const network::WalkJoin& j : walk.joins)
        link(j.reach, j.entry);
    // Where the walk stopped, the reaches right before a reach that end where it starts.
    for (int k = 1; k < count; ++k)
        for (int j = k - 1; j >= 0; --j) {
            const TramoT& before = reaches[static_cast<size_t>(j)];
            if (before.Downstream != reaches[static_cast<size_t>(k)].Upstream) break;
            if (network::IsOutlet(before)) break;
            link(k, j);
        }
    for (int k = 0; k < count; ++k) {
        auto& list = joined[static_cast<size_t>(k)];
        std::sort(list.begin(), list.end());
        TramoT& t = reaches[static_cast<size_t>(k)];
        TributaryCount(t) = static_cast<int>(list.size());
        for (size_t i = 0; i < list.size(); ++i)
            TributaryRecord(t, static_cast<int>(i)) = list[i] + 1;
    }
}

bool DesignMethodAllowed(const specs::EspecT& e, int designClass, std::string* title,
                         std::string* message) {
    if (designClass < 6 || e.SwmmRouting == 0) return true;
    if (title) *title = cp("Error especificacion");
    if (message)
        *message = cp(
            "Este diseño exige que el metodo de calculo SWMM sea ONDA DINAMICA.\r\rCorrija en el "
            "menu de Especificaciones.");
    return false;
}

std::string DoubtfulStatusText() {
    return cp("Status = ?? (Posible fallas en Empalme Energia)");
}

std::string IgnoredReliefText(int count) {
    return cp("Se ignoraron ") + std::to_string(count) +
           cp(" camaras de alivio localizadas en tramos iniciales pues no") + "\r" +
           cp("tiene sentido recibir caudales que van a ser evacuados de inmediato");
}

bool RunDesign(project::Project& p, const DesignOptions& options, DesignSink& sink,
               DesignResult& result, const DesignRun& run) {
    return PrepareDesignRun(p, sink, result) && DesignNetwork(p, options, sink, result, run);
}

bool PrepareDesignRun(project::Project& p, DesignSink& sink, DesignResult& result) {
    result = DesignResult{};
    if (!p.OpenControl())
        return Fail(sink, result, kSystemFailureTitle, kSystemFailure, toUtf8(p.error));
    std::string message;
    const bool loaded = specs::LoadDesignCriteria(p.control, p.header, p.espec, &message);
    p.CloseControl();
    if (!loaded) return Fail(sink, result, kSystemFailureTitle, kSystemFailure, message);
    std::string title;
    if (!DesignMethodAllowed(p.espec, p.header.DesignClass, &title, &message)) {
        result.end = DesignEnd::Failed;
        result.title = title;
        result.error = message;
        sink.Message(title, message);
        return false;
    }
    DeleteFile(p.files.designFinal());
    ReadData1();
    ReadData2();
    return true;
}

bool DesignNetwork(project::Project& p, const DesignOptions& options, DesignSink& sink,
                   DesignResult& result, const DesignRun& run) {
    result = DesignResult{};
    if (!p.OpenControl())
        return Fail(sink, result, kSystemFailureTitle, kSystemFailure, toUtf8(p.error));
    std::string message;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &message)) {
        p.CloseControl();
        return Fail(sink, result, kSystemFailureTitle, kSystemFailure, message);
    }
    const std::array<uint8_t, 4> stagesBefore = p.header.StageDone;
    // A model run of an earlier design says nothing of this one: its report must be run
    // again before the SWMM listings show it.
    if (p.header.SwmmRan != 0) {
        p.header.SwmmRan = 0;
        if (!SaveControl(p, {})) {
            const std::string e = p.control.error();
            p.CloseControl();
            return Fail(sink, result, kSystemFailureTitle, kSystemFailure, e);
        }
    }
    std::vector<TramoT> reaches;
    if (!PrepareTopology(p, run, sink, result, reaches)) {
        p.CloseControl();
        return false;
    }
    const int networkRecords = static_cast<int>(reaches.size());
    result.reaches = networkRecords;

    DesignState state;
    state.options = options;
    Designer designer(p, state, sink, result, run);
    bool designed = designer.Run(std::move(reaches), networkRecords);
    if (designed) {
        designer.LeastCost(run.leastCost.value_or(shell::LeastCostMethod(p.header)));
        designed = result.end == DesignEnd::Designed;
    }
    result.finalReaches = state.finalReaches;
    result.counters = state.counters;
    if (!designed) {
        if (result.end == DesignEnd::Cancelled) {
            p.header.StageDone = stagesBefore;
            SaveControl(p, {});
        } else if (result.title == cp(kFatalReadTitle)) {
            p.header.DiameterTableValid = 0;
            p.header.CriteriaValid = 0;
            SaveControl(p, {});
        }
        p.CloseControl();
        return false;
    }

    DeleteQuantityFiles(p.files);
    Summarise(p, designer.records(), networkRecords);
    DeleteFile(p.files.problems());
    DeleteFile(p.files.deficiencies());
    DeleteFile(p.files.rasDeficiencies());
    p.header.StageDone[0] = 1;
    const bool modelLoop = run.finalDesign && p.header.DesignClass >= 6 && run.modelLoop;
    // Only a whole final design marks the sector designed: a run stopped after one of its
    // preliminary designs must not leave that design to the quantities and listings.
    p.header.StageDone[1] = run.finalDesign && !modelLoop ? 1 : 0;
    p.header.StageDone[2] = p.header.StageDone[3] = 0;
    if (!SaveControl(p, {5})) {
        const std::string e = p.control.error();
        p.CloseControl();
        return Fail(sink, result, kSystemFailureTitle, kSystemFailure, e);
    }
    p.CloseControl();
    if (modelLoop && !run.modelLoop(p, result)) return false;
    return true;
}

}  // namespace nivex::design
