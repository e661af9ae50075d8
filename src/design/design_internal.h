#pragma once
// The inside of the design driver: the records of the design copy kept decoded while a
// design runs, and the per-reach steps over them. Only the driver's files include it.

#include <string>
#include <vector>

#include "design/design_driver.h"
#include "design/design_flows.h"
#include "design/hydraulics.h"
#include "design/junctions.h"
#include "network/reach_file.h"

namespace nivex::design {
struct CostProblem;
struct CostReach;
struct CostSolution;
struct RevisionCriteria;
}  // namespace nivex::design

namespace nivex::design::detail {

using network::TramoT;

// The failure of a design file, which the program cannot get over (UTF-8).
constexpr const char* kSystemFailure =
    "Hubo una falla imprevista en el Sistema Operativo. Vuelva a cargar el programa";
constexpr const char* kSystemFailureTitle = "Falla Sistema Operativo";

// State of a reach as the design sees it: 0 new, 1 existing, 2 restricted, 3 not
// investigated, 4 from another sector.
int StateOf(const TramoT& t);
bool IsNew(const TramoT& t);
// Minimum crown depth of a reach (the stored value may be negative: a default).
inline float MinDepth(const TramoT& t) {
    return t.MinimumDepth < 0 ? -t.MinimumDepth : t.MinimumDepth;
}
float Finite(double v);
// A crown kept to the centimetre, no higher than crown, that leaves at least the cover
// asked under the ground: rounding to the nearest centimetre could take up to 5 mm of it.
float CrownUnderCover(float ground, float cover, float crown = 10000.0f);
// Intermediate drop chambers for a start hu deep (m) between the depth limits.
int IntermediateDropChambers(double hu, double hmax, double hmin);
// The tributaries loaded in the slots.
class Designer;
std::vector<TramoT*> TributarySlots(Designer& d);
std::vector<const TramoT*> ConstTributaries(Designer& d);

// Everything the steps of one reach compute for the next ones.
struct ReachWork {
    int tributaries = 0;
    bool storm = false;   // carries storm flow (or class 3)
    bool relief = false;  // an active relief chamber: relief factor with tributaries
    float qmax = 1;
    float minFullVelocity = 0;
    float minRealVelocity = 0;
    float minTractive = 0;  // kg/m²
    float selfCleansingFlow = 0;
    float eref = 0;  // reference level at the downstream end
    float availableSlope = 0;
    float outletDrop = 0;
    float allowance = 0;  // m the ground was lowered for an initial reach
    float classMinimum = 0;
    float dc = 0;  // commercial size of the flow
    bool lookAheadFailed = false;
};

class Designer {
  public:
    Designer(project::Project& p, DesignState& state, DesignSink& sink, DesignResult& result,
             const DesignRun& run);

    // Runs both passes over the records; false on a failure or a cancel.
    bool Run(std::vector<TramoT>&& records, int networkRecords);
    // Runs one pass only (the model loop's redesign of the last pass).
    bool RunPass(std::vector<TramoT>&& records, int networkRecords, int pass);
    std::vector<TramoT>& records() { return recs_; }

    // ---- per-reach steps (design_reach.cpp) ----
    void DesignReach(int n);
    void LoadReach(int n);
    void NormaliseClass(TramoT& t);
    void MinimumDepthAndAllowance(TramoT& t, ReachWork& w);
    void PrepareUpstreamManhole(TramoT& t, ReachWork& w);
    void Junction(TramoT& t, ReachWork& w);
    void Flows(TramoT& t, ReachWork& w);
    // The storm flows of the current reach, from the model when it has its flow.
    void StormFlows(TramoT& t);
    // The model flow of record n while the model loop redesigns, else null.
    const float* ModelFlow(int n) const;
    void SelfCleansing(TramoT& t, ReachWork& w);
    void SelectDiameter(TramoT& t, ReachWork& w);
    void SelectSlope(TramoT& t, ReachWork& w);
    void SetCrowns(TramoT& t, ReachWork& w);
    bool ReadjustReach(TramoT& t, ReachWork& w);
    bool Overloaded(const TramoT& t, const ReachWork& w) const;
    // The minimum slope listed for a size, when the option asks for it (else 0).
    float DiameterMinimumSlope(float d) const;
    void GrowWhileOverloaded(TramoT& t, ReachWork& w);
    // Raises the slope out of the critical band when the criteria ask; true when it rose.
    bool AvoidCriticalFlow(TramoT& t);
    void RoundCrowns(TramoT& t);
    void EvaluateReach(TramoT& t, const ReachWork& w);
    void StoreReach(int n);
    float MaxVelocitySlope(const TramoT& t, const ReachWork& w) const;
    float SelfCleansingSlope(const TramoT& t, const ReachWork& w) const;
    float ReferenceLevel(const TramoT& t, const ReachWork& w) const;
    float AvailableSlope(const TramoT& t, float eref) const;
    void Depths(TramoT& t) const;
    float ManningOf(const TramoT& t) const;
    // The criteria of a reach that are not the current one (look-ahead, re-sloping).
    ReachWork WorkFor(TramoT& t);
    bool LookAhead(const TramoT& t, const ReachWork& w, float d);
    bool Reslope(TramoT& t, float endCrown);

    // ---- raise to a fixed reach and energy junctions (design_raise.cpp) ----
    int RaiseToFixedReach(int n);
    void EnergyJunction(int n, bool last);

    // ---- the least-cost design (design_least_cost.cpp) ----
    // A new reach laid as the optimiser chose it; the rest of its steps run as ever.
    struct Pin {
        float diameter = 0;  // 0: not pinned
        float crownUp = 0, crownDown = 0, slope = 0;
        int chambers = 0;     // intermediate drop chambers beyond the velocity cap
        bool raised = false;  // delivers at the level of a fixed reach, as the standard did
    };
    // After the standard design: its cost and, when asked, the design of least cost with
    // the same flows, junctions and criteria, kept when it passes every check the standard
    // one passes and costs less; otherwise the standard design stays, and the result says
    // why.
    void LeastCost(bool optimise);
    struct LeastCostRun;
    // The problem the optimiser solves, from the flows of this round; false (and why) when
    // the network has a reach it cannot lay.
    bool CostProblemOf(LeastCostRun& run, CostProblem& problem, std::string& why);
    // The sizes a new reach may take, with the slopes the criteria allow each.
    bool CostOptionsOf(LeastCostRun& run, int k, CostReach& r);
    int ChambersOf(const CostReach& r, float d, double crownDown) const;
    // The least size of a reach before the pipes arriving: its class minimum for the water
    // it carries, or the size entered for it when larger.
    float LeastImposed(const ReachWork& w, int record) const;
    // The optimiser's layout as pins for the last pass, matched pipes level as the junction
    // lays them.
    void PinLayout(const LeastCostRun& run, const CostProblem& problem,
                   const CostSolution& solution);
    void LevelMatchedPins(const LeastCostRun& run, const CostProblem& problem);
    bool PassOverPins(const LeastCostRun& run);
    // What the revision or the junctions would hold against the design just made.
    std::string LayoutFault(const LeastCostRun& run, const RevisionCriteria& rc);
    // The standard design back in the design copy, its evolution file and its result.
    void KeepStandard(const LeastCostRun& run);
    const Pin* PinOf(int n) const {
        if (n < 1 || n > static_cast<int>(pins_.size())) return nullptr;
        const Pin& p = pins_[static_cast<size_t>(n - 1)];
        return p.diameter > 0 ? &p : nullptr;
    }
    void DesignPinned(TramoT& c, ReachWork& w, const Pin& pin);
    // The criteria of a reach from the flows it carries.
    ReachWork CriteriaWork(TramoT& t);
    // Whether a reach laid out meets its slope criteria with the flows it now carries.
    bool MeetsCriteria(TramoT& t);
    std::vector<Pin> pins_;
    std::vector<double> energyDeficit_;  // by record - 1: what an energy junction lacked
    // The least sizes the records held before the design raised them (by record - 1).
    std::vector<float> enteredImposed_;

    // ---- records ----
    TramoT& Rec(int n) { return recs_[static_cast<size_t>(n - 1)]; }
    bool Valid(int n) const { return n >= 1 && n <= static_cast<int>(recs_.size()); }
    void Put(const TramoT& t, int n) {
        Remember(n);
        Rec(n) = t;
        dirty_[static_cast<size_t>(n - 1)] = 1;
    }
    int Append(const TramoT& t);
    // While a raise walks up a line, the records as they were before it, to put back when
    // the line cannot come up.
    void Remember(int n) {
        if (!undo_) return;
        for (const auto& [k, t] : *undo_)
            if (k == n) return;
        undo_->emplace_back(n, Rec(n));
    }
    std::vector<std::pair<int, TramoT>>* undo_ = nullptr;
    TramoT& Slot(int k) { return state_.slots[static_cast<size_t>(k)].reach; }
    int& SlotRecord(int k) { return state_.slots[static_cast<size_t>(k)].record; }
    void WriteSlot(int k) {
        if (SlotRecord(k) > 0) Put(Slot(k), SlotRecord(k));
    }
    bool readjusting() const { return state_.pass == 3 && state_.readjustingSweep; }

    project::Project& p_;
    DesignState& state_;
    DesignSink& sink_;
    DesignResult& result_;
    const DesignRun& run_;
    const specs::EspecT& e_;
    HydraulicCriteria hc_;
    FlowCriteria fc_;
    JunctionCriteria jc_;
    FlowCounts flowCounts_;
    int designClass_ = 2;
    int systemKind_ = 2;
    float qfull_ = 1;
    bool ras2016_ = false;
    bool slopePerDiameter_ = false;
    EvolutionLog log_;
    std::vector<TramoT> recs_;
    std::vector<char> dirty_;
    std::vector<char> ignoredRelief_;
    int networkRecords_ = 0;

    bool DesignPass(int pass);
    bool Sweep();
    bool WriteRecords(network::TramoFile& file);
    void EndOfPass();
};

}  // namespace nivex::design::detail
