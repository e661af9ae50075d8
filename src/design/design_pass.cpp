// The passes of a design over the records of the design copy.

#include <algorithm>
#include <cmath>

#include "console/codepage.h"
#include "design/design_internal.h"
#include "design/reach_values.h"
#include "design/revision.h"
#include "specs/criteria_store.h"

namespace nivex::design::detail {

int StateOf(const TramoT& t) {
    if (t.Class == network::kClassNotInvestigated && t.Type == network::kTypeFromSector) return 4;
    return t.Class;
}

bool IsNew(const TramoT& t) {
    return t.Class == network::kClassNew;
}

float Finite(double v) {
    return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}

Designer::Designer(project::Project& p, DesignState& state, DesignSink& sink, DesignResult& result,
                   const DesignRun& run)
    : p_(p),
      state_(state),
      sink_(sink),
      result_(result),
      run_(run),
      e_(p.espec),
      hc_(CriteriaOf(p.espec, p.header)),
      fc_(FlowCriteriaOf(p.espec, hc_.designClass)),
      jc_(JunctionCriteriaOf(p.espec)),
      log_(sink) {
    designClass_ = hc_.designClass;
    systemKind_ = specs::SystemKindOfClass(designClass_);
    if (systemKind_ == 0) systemKind_ = e_.SystemKind;
    qfull_ = FlowRatioFromDepth(hc_, 1.0f);
    ras2016_ = p.header.Ras2016Model == 1;
    slopePerDiameter_ = p.header.SlopePerDiameter == 1;
    ReadData1();
    ReadData2();
}

int Designer::Append(const TramoT& t) {
    recs_.push_back(t);
    dirty_.push_back(1);
    state_.counters.addedRecords = static_cast<int>(recs_.size());
    return static_cast<int>(recs_.size());
}

bool Designer::WriteRecords(network::TramoFile& file) {
    for (size_t k = 0; k < recs_.size(); ++k) {
        if (!dirty_[k]) continue;
        if (!file.Write(static_cast<int>(k) + 1, recs_[k])) return false;
        dirty_[k] = 0;
    }
    return file.Flush();
}

bool Designer::Run(std::vector<TramoT>&& records, int networkRecords) {
    recs_ = std::move(records);
    enteredImposed_.clear();
    for (TramoT& t : recs_)
        enteredImposed_.push_back(ImposedDiameter(t));
    dirty_.assign(recs_.size(), 0);
    networkRecords_ = networkRecords;
    state_.raiseStack.clear();
    state_.finalReaches.clear();
    state_.counters = DesignCounters{};
    state_.counters.addedRecords = static_cast<int>(recs_.size());
    for (int pass : {2, 3})
        if (!DesignPass(pass)) return false;
    return true;
}

bool Designer::RunPass(std::vector<TramoT>&& records, int networkRecords, int pass) {
    recs_ = std::move(records);
    dirty_.assign(recs_.size(), 0);
    networkRecords_ = std::min(networkRecords, static_cast<int>(recs_.size()));
    state_.raiseStack.clear();
    state_.finalReaches.clear();
    state_.counters = DesignCounters{};
    state_.counters.addedRecords = static_cast<int>(recs_.size());
    const DesignOptions& o = state_.options;
    state_.counters.replacements = o.replaceExisting || o.replaceRestricted ? 1 : -1;
    return DesignPass(pass);
}

const float* Designer::ModelFlow(int n) const {
    if (n < 1 || n > static_cast<int>(run_.modelFlows.size())) return nullptr;
    return &run_.modelFlows[static_cast<size_t>(n - 1)];
}

bool Designer::DesignPass(int pass) {
    state_.pass = pass;
    state_.readjustingSweep = false;
    if (!log_.Create(p_.files.evolution())) {
        result_.end = DesignEnd::Failed;
        result_.title = cp(kSystemFailureTitle);
        result_.error = cp(kSystemFailure) + "\r" + log_.error();
        sink_.Message(result_.title, result_.error);
        return false;
    }
    log_.Line(cp("  ...........voy a iniciar el diseno del proyecto............observe !"));
    state_.counters.addedRecords = static_cast<int>(recs_.size());
    if (pass == 2) {
        const DesignOptions& o = state_.options;
        state_.counters.replacements = o.replaceExisting || o.replaceRestricted ? 1 : -1;
    }
    ignoredRelief_.assign(static_cast<size_t>(networkRecords_), 0);
    bool ok = Sweep();
    if (ok) {
        log_.Line(cp("..........voy a reajustar el diseño del proyecto..........observe !"));
        state_.readjustingSweep = true;
        ok = Sweep();
    }
    if (ok) EndOfPass();

    network::TramoFile file;
    bool written = file.Open(p_.files.designCopy()) && WriteRecords(file);
    std::string fileError = written ? std::string() : file.error();
    if (!file.Close() && written) {
        written = false;
        fileError = file.error();
    }
    const bool logged = log_.Close();
    if (!written || !logged) {
        result_.end = DesignEnd::Failed;
        result_.title = cp(kSystemFailureTitle);
        result_.error = cp(kSystemFailure) + "\r" + (written ? log_.error() : cp(fileError));
        sink_.Message(result_.title, result_.error);
        return false;
    }
    if (!ok) {
        result_.end = DesignEnd::Cancelled;
        return false;
    }
    return true;
}

bool Designer::Sweep() {
    // A raise sends the design back; the bound keeps a faulty network from looping.
    long steps = 0;
    const long limit = 50L * (networkRecords_ + 10);
    int n = 1;
    while (n <= networkRecords_ && n >= 1) {
        if (sink_.cancelled) return false;
        DesignReach(n);
        // A laid-out design already delivers every line at the level of a fixed reach.
        const int next = pins_.empty() ? RaiseToFixedReach(n) : n + 1;
        log_.EndLine();
        n = ++steps > limit ? n + 1 : next;
    }
    return !sink_.cancelled;
}

void Designer::EndOfPass() {
    const bool last = state_.pass == 3;
    if (last && run_.finalDesign && jc_.energyDiameter > 0 && networkRecords_ > 0) {
        LoadReach(networkRecords_);
        EnergyJunction(networkRecords_, true);
    }
    const MarkCounts counts = MarkInitialManholesAndMismatches(recs_, networkRecords_, last);
    // A laid-out line that delivers at a fixed reach's level keeps the mark of that joint.
    for (int k = 1; k <= networkRecords_; ++k)
        if (const Pin* pin = PinOf(k); pin && pin->raised && JunctionMark(Rec(k)) == 0)
            JunctionMark(Rec(k)) = 2;
    std::fill(dirty_.begin(), dirty_.begin() + networkRecords_, 1);
    result_.insufficientCapacity = counts.insufficientCapacity;
    result_.junctionMismatches = counts.mismatches;
    result_.deeperThanDesirable =
        NewReachesDeeperThanDesirable(recs_, networkRecords_, e_.MaxDesirableCrownDepth);
    result_.newReachDeficiencies =
        NewReachesWithDeficiencies(RevisionCriteriaOf(p_.espec, p_.header), recs_, networkRecords_);
    state_.counters.ignoredReliefChambers =
        static_cast<int>(std::count(ignoredRelief_.begin(), ignoredRelief_.end(), 1));
    // The model loop's passes do not repeat the warning of the design they redo.
    if (last && run_.finalDesign && run_.modelFlows.empty() &&
        state_.counters.ignoredReliefChambers > 0)
        sink_.Message(cp("Advertencia"), IgnoredReliefText(state_.counters.ignoredReliefChambers));
}

}  // namespace nivex::design::detail

namespace nivex::design {

bool DeeperThanDesirable(double depth, double desirable) {
    if (!std::isfinite(depth) || !std::isfinite(desirable)) return false;
    return std::lround(depth * 100.0) > std::lround(desirable * 100.0);
}

int NewReachesDeeperThanDesirable(const std::vector<network::TramoT>& records, int networkRecords,
                                  double desirable) {
    const int n = std::min(networkRecords, static_cast<int>(records.size()));
    int count = 0;
    for (int k = 0; k < n; ++k) {
        const network::TramoT& t = records[static_cast<size_t>(k)];
        if (t.Class != network::kClassNew) continue;
        // Outfalls count at their lower end too: they are dug like any other reach.
        if (DeeperThanDesirable(t.Diseno.F140[0], desirable) ||
            DeeperThanDesirable(t.Diseno.F140[1], desirable))
            ++count;
    }
    return count;
}

bool RedesignLastPass(project::Project& p, const DesignOptions& options, DesignSink& sink,
                      DesignResult& result, const DesignRun& run, int networkRecords) {
    using detail::kSystemFailure;
    using detail::kSystemFailureTitle;
    using network::TramoT;
    auto fail = [&](const std::string& detail) {
        p.CloseControl();
        result.end = DesignEnd::Failed;
        result.title = cp(kSystemFailureTitle);
        result.error = cp(kSystemFailure);
        if (!detail.empty()) result.error += "\r" + cp(detail);
        sink.Message(result.title, result.error);
        return false;
    };
    if (!p.OpenControl()) return fail(toUtf8(p.error));
    std::string message;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &message)) return fail(message);
    p.CloseControl();

    std::vector<TramoT> records;
    network::TramoFile file;
    if (!file.Open(p.files.designCopy())) return fail(file.error());
    for (int k = 1; k <= file.count(); ++k) {
        TramoT t;
        if (!file.Read(k, t)) {
            const std::string e = file.error();
            file.Close();
            return fail(e);
        }
        records.push_back(std::move(t));
    }
    file.Close();

    DesignState state;
    state.options = options;
    detail::Designer designer(p, state, sink, result, run);
    const bool designed = designer.RunPass(std::move(records), networkRecords, 3);
    result.finalReaches = state.finalReaches;
    result.counters = state.counters;
    return designed;
}

}  // namespace nivex::design
