// The steps that design one reach: its slots, class, depths, upstream manhole and
// junction, flows, diameter, slope, crowns, evaluation, replacement and storage.

#include <algorithm>
#include <cmath>

#include "console/codepage.h"
#include "design/design_internal.h"
#include "design/reach_values.h"

namespace nivex::design::detail {
namespace {

constexpr float kNoCrown = 10000;
constexpr float kMissingN = -0.012f;
constexpr float kNotInvestigatedDiameter = 100;
constexpr int kMaxLookAhead = network::kMaxLines;

std::string StateWord(const TramoT& t) {
    switch (StateOf(t)) {
        case 1:
            return "Existente  ";
        case 2:
            return "Restringido";
        case 3:
            return "No. Invest.";
        case 4:
            return "De sector  ";
        default:
            return "";
    }
}

std::string Size(float d) {
    return std::to_string(static_cast<long>(std::lround(d)));
}

}  // namespace

// ---- slots ----

void Designer::LoadReach(int n) {
    for (WorkingSlot& s : state_.slots)
        s.record = 0;
    Slot(kSlotCurrent) = Rec(n);
    SlotRecord(kSlotCurrent) = n;
    TramoT& c = Slot(kSlotCurrent);
    const int count = std::clamp(TributaryCount(c), 0, kMaxTributaries);
    for (int k = 0; k < count; ++k) {
        const int r = TributaryRecord(c, k);
        if (!Valid(r)) continue;
        Slot(kSlotFirstTributary + k) = Rec(r);
        SlotRecord(kSlotFirstTributary + k) = r;
    }
    const int receiver = ReceiverRecord(c);
    if (Valid(receiver)) {
        Slot(kSlotReceiver) = Rec(receiver);
        SlotRecord(kSlotReceiver) = receiver;
    }
}

std::vector<TramoT*> TributarySlots(Designer& d) {
    std::vector<TramoT*> v;
    for (int k = kSlotFirstTributary; k < kSlots; ++k)
        if (d.SlotRecord(k) > 0) v.push_back(&d.Slot(k));
    return v;
}

std::vector<const TramoT*> ConstTributaries(Designer& d) {
    std::vector<const TramoT*> v;
    for (TramoT* t : TributarySlots(d))
        v.push_back(t);
    return v;
}

void Designer::StoreReach(int n) {
    for (WorkingSlot& s : state_.slots)
        JunctionMark(s.reach) = 0;
    TramoT& c = Slot(kSlotCurrent);
    Put(c, n);
    if (ReceiverRecord(c) != 0) return;
    FinalReach f;
    f.record = n;
    f.upstream = c.Upstream;
    f.downstream = c.Downstream;
    f.diameter = static_cast<int>(c.Diameter);
    f.depth = DropChambers(c) > 0 ? MinDepth(c) : DepthDown(c);
    state_.RememberFinalReach(f);
}

// ---- small rules ----

float Designer::ManningOf(const TramoT& t) const {
    if (t.ManningN != 0 && std::isfinite(t.ManningN)) return std::fabs(t.ManningN);
    return ReachManningN(hc_, 0, t.Diameter);
}

void Designer::Depths(TramoT& t) const {
    if (t.CrownUp != 0) DepthUp(t) = Finite(double(t.GroundUp) - t.CrownUp);
    if (t.CrownDown != 0) DepthDown(t) = Finite(double(t.GroundDown) - t.CrownDown);
    DepthMean(t) = Finite((double(DepthUp(t)) + DepthDown(t)) / 2);
}

float Designer::ReferenceLevel(const TramoT& t, const ReachWork& w) const {
    const int r = ReceiverRecord(const_cast<TramoT&>(t));
    if (!Valid(r)) return t.GroundDown;
    const TramoT& receiver = const_cast<Designer*>(this)->Rec(r);
    const bool designedAsNew = IsNew(receiver) || (receiver.Class == network::kClassRestricted &&
                                                   state_.options.ignoreRestrictions);
    if (designedAsNew) return t.GroundDown;
    return std::max(t.GroundDown, receiver.CrownUp + MinDepth(t) + w.outletDrop);
}

float Designer::AvailableSlope(const TramoT& t, float eref) const {
    if (!(t.Length > 0)) return e_.MinDesignSlope;
    const double s = (double(MinDepth(t)) + t.CrownUp - eref) * 100.0 / t.Length;
    return std::max(Finite(s), e_.MinDesignSlope);
}

float Designer::MaxVelocitySlope(const TramoT& t, const ReachWork& w) const {
    const float n = ManningOf(t);
    const float qv = w.selfCleansingFlow;
    const float full = SlopeForFullVelocity(hc_, t.Diameter, n, e_.MaxVelocity);
    const float real = qv > 0 ? SlopeForRealVelocity(hc_, qv, e_.MaxVelocity, t.Diameter, n) : 0;
    const float s = real > 0 ? std::min(real, full) : full;
    return std::max(s, e_.MinDesignSlope);
}

float Designer::SelfCleansingSlope(const TramoT& t, const ReachWork& w) const {
    const float n = ManningOf(t);
    float vf = w.minFullVelocity;
    if (ras2016_) vf = std::max(vf, RasMinimumVelocity(hc_, t.Diameter));
    float s = vf > 0 ? SlopeForFullVelocity(hc_, t.Diameter, n, vf) : 0;
    if (DesignFlow(const_cast<TramoT&>(t)) != 0 && w.minRealVelocity != 0)
        s = std::max(
            s, SlopeForRealVelocity(hc_, w.selfCleansingFlow, w.minRealVelocity, t.Diameter, n));
    return Finite(s);
}

ReachWork Designer::WorkFor(TramoT& t) {
    ReachWork w;
    w.tributaries = std::clamp(TributaryCount(t), 0, kMaxTributaries);
    w.relief = t.ReliefFactor != 0 && w.tributaries > 0;
    SelfCleansing(t, w);
    const int r = ReceiverRecord(t);
    w.outletDrop = Valid(r) ? OutletCrownDrop(jc_, Rec(r).Diameter, ImposedDiameter(Rec(r)))
                            : jc_.outletCrownDrop;
    w.eref = ReferenceLevel(t, w);
    w.availableSlope = AvailableSlope(t, w.eref);
    return w;
}

bool Designer::Reslope(TramoT& t, float endCrown) {
    const TramoT before = t;
    ReachWork w = WorkFor(t);
    w.eref = endCrown + MinDepth(t);
    w.availableSlope = AvailableSlope(t, w.eref);
    int record = 0;
    for (int k = kSlotFirstTributary; k < kSlots; ++k)
        if (&Slot(k) == &t) record = SlotRecord(k);
    if (const Pin* pin = PinOf(record); pin && IsNew(t) && t.Length > 0) {
        // A laid-out reach ends where the junction takes it, no lower: its slope is what
        // that fall gives, never less than it was laid with. It is never lifted.
        if (Round2(endCrown) > t.CrownDown) return false;
        t.CrownDown = Round2(endCrown);
        t.Slope = std::max(pin->slope, static_cast<float>(Finite((double(t.CrownUp) - t.CrownDown) *
                                                                 100.0 / t.Length)));
    } else {
        SelectSlope(t, w);
    }
    // A steeper fall would end below the crown it joins: a slope that lands in the critical
    // band is not taken, and the tributary drops into the manhole as it was designed.
    if (readjusting() && e_.AvoidCriticalDiameter > 0 &&
        InCriticalBand(hc_, t.Slope, DesignFlow(t), t.Diameter, ManningOf(t)) &&
        !InCriticalBand(hc_, before.Slope, DesignFlow(t), before.Diameter, ManningOf(before))) {
        t = before;
        return false;
    }
    Depths(t);
    EvaluateReach(t, w);
    return true;
}

// ---- the steps ----

void Designer::NormaliseClass(TramoT& t) {
    switch (designClass_) {
        case 1:
        case 2:
            t.Contribution = 1;
            break;
        case 3:
            t.Contribution = 2;
            break;
        case 4:
            t.Contribution = 3;
            break;
        default:
            break;
    }
    if (e_.ZoneCount <= 1) t.SanitaryZone = 1;
    if (e_.EquationCount <= 1) t.RainNumber = 1;
    if (designClass_ >= 3 && designClass_ <= 5 && t.Runoff == 0) t.Runoff = e_.RunoffCoefficient;
    if (designClass_ == 1 || designClass_ == 2 || designClass_ == 4) t.ReliefFactor = 0;
    if (designClass_ == 1) t.Area = t.Length / 100.0f;
    if (state_.options.ignoreRestrictions && t.Class == network::kClassRestricted)
        t.Class = network::kClassNew;
}

void Designer::MinimumDepthAndAllowance(TramoT& t, ReachWork& w) {
    float a = static_cast<float>(e_.MinSanitaryDiameter);
    if (systemKind_ == 3 || systemKind_ == 4) a = static_cast<float>(e_.MinStormDiameter);
    if (systemKind_ == 5 && StormFlow(t) != 0) a = static_cast<float>(e_.MinStormDiameter);
    const bool initial = w.tributaries == 0;
    if (state_.options.flushInitialOutlets) {
        if (t.MinimumDepth == 0) t.MinimumDepth = -e_.MinCrownDepth;
        return;
    }
    if (t.MinimumDepth == 0)
        t.MinimumDepth = initial ? -e_.MinCrownDepth : -(a / 1000.0f + e_.MinCrownDepth);
    if (initial) {
        w.allowance = a / 1000.0f;
        t.GroundDown -= w.allowance;
    }
}

void Designer::PrepareUpstreamManhole(TramoT& t, ReachWork& w) {
    float dmin = static_cast<float>(
        w.storm || w.relief || designClass_ == 3 ? e_.MinStormDiameter : e_.MinSanitaryDiameter);
    dmin = std::max(dmin, ImposedDiameter(t));
    const bool isNew = IsNew(t);
    float cref = isNew ? t.GroundUp - MinDepth(t) : (t.CrownUp != 0 ? t.CrownUp : t.GroundUp);
    float cmax = cref;
    if (isNew) {
        cmax = t.GroundUp - e_.MinMinCrownDepth;
        if (MinDepth(t) > e_.MinCrownDepth) cmax -= MinDepth(t) - e_.MinCrownDepth;
    }
    float ct = kNoCrown;
    for (TramoT* tp : TributarySlots(*this)) {
        TramoT& in = *tp;
        const bool inRelief = in.ReliefFactor != 0 && TributaryCount(in) > 0;
        const float effective = inRelief ? static_cast<float>(e_.MinStormDiameter)
                                         : std::max(in.Diameter, ImposedDiameter(in));
        dmin = std::max(dmin, effective);
        if (in.CrownDown != 0 || IsNew(in)) {
            cref = std::min(cref, in.CrownDown);
            if (!IsNew(in)) cmax = std::min(cmax, in.CrownDown);
            ct = std::min(ct, in.CrownDown);
        }
    }
    ImposedDiameter(t) = dmin;
    float drop = 0;
    if (t.Diameter == dmin && !(jc_.outletCrownDrop <= ct - cref)) drop = jc_.outletCrownDrop;
    ProposedCrown(t) = cref - drop;
    LowestCrown(t) = cmax - drop;
    if (isNew) t.CrownUp = ProposedCrown(t);
}

void Designer::Junction(TramoT& t, ReachWork& w) {
    const double start = std::max(double(e_.MinConcentrationTime), double(t.StormAreaTime));
    const JunctionOutcome out =
        UpstreamJunction(jc_, hc_, t, TributarySlots(*this), w.outletDrop, start, readjusting(),
                         [this](TramoT& in, float end) { return Reslope(in, end); });
    if (t.Type != network::kTypeFromSector) OriginTime(t) = Finite(out.originTime);
    for (int k = kSlotFirstTributary; k < kSlots; ++k)
        WriteSlot(k);
}

void Designer::StormFlows(TramoT& t) {
    const std::vector<const TramoT*> in = ConstTributaries(*this);
    const int before = flowCounts_.ignoredReliefChambers;
    ComputeStormFlows(t, in, fc_, flowCounts_, ModelFlow(SlotRecord(kSlotCurrent)));
    flowCounts_.ignoredReliefChambers = before;
}

void Designer::Flows(TramoT& t, ReachWork& w) {
    const std::vector<const TramoT*> in = ConstTributaries(*this);
    const int before = flowCounts_.ignoredReliefChambers;
    const int n = SlotRecord(kSlotCurrent);
    const float* model = ModelFlow(n);
    if (designClass_ >= 3) ComputeStormFlows(t, in, fc_, flowCounts_, model);
    if (designClass_ != 4) ComputeSanitaryFlows(t, in, NextRecord(t) == 0, fc_, flowCounts_);
    // The model's flow carries the sanitary flow as well: the storm flow is what is left
    // of it once the sanitary maximum of the reach is known.
    if (designClass_ >= 3 && model && *model != 0 && SanitaryMax(t) != 0) StormFlows(t);
    ComputeDesignFlow(t, fc_);
    if (flowCounts_.ignoredReliefChambers != before && n >= 1 && n <= networkRecords_)
        ignoredRelief_[static_cast<size_t>(n - 1)] = 1;
    SelfCleansing(t, w);
}

void Designer::SelfCleansing(TramoT& t, ReachWork& w) {
    const int kind = ContributionKind(t, designClass_);
    const bool stormKind = kind == 1 || kind == 2;
    w.storm = StormFlow(t) != 0 || stormKind || designClass_ == 3;
    const bool storm = w.storm || w.relief;
    w.qmax = storm ? qfull_ : FlowRatioFromDepth(hc_, e_.MaxFilling);
    w.minFullVelocity = storm ? e_.StormMinFullVelocity : e_.SanMinFullVelocity;
    if (stormKind) {
        w.minTractive = e_.StormMinTractive;
        w.minRealVelocity = e_.StormMinRealVelocity;
    } else {
        w.minTractive = e_.SanMinTractive100 / 100.0f;
        w.minRealVelocity = std::max(t.IndustrialVelocity, e_.SanMinRealVelocity);
    }
    // Classes 3 to 5 keep no minimum sanitary flow: a reach cleans itself, or not, at the
    // sanitary flow it is designed for, never at a flow of nothing (which asks for any slope).
    const float sanitary = SanitaryMin(t) > 0 ? SanitaryMin(t) : SanitaryMax(t);
    w.selfCleansingFlow = storm ? DesignFlow(t) : sanitary;
}

void Designer::SelectDiameter(TramoT& t, ReachWork& w) {
    if (t.ManningN == 0) t.ManningN = kMissingN;
    const bool classStorm = designClass_ == 5 && t.Runoff != 0;
    if (!IsNew(t)) {
        if (StateOf(t) == 3 && t.Diameter == 0) t.Diameter = kNotInvestigatedDiameter;
        if (t.ManningN <= 0) t.ManningN = -ReachManningN(hc_, 0, t.Diameter);
        w.eref = ReferenceLevel(t, w);
        w.availableSlope = AvailableSlope(t, w.eref);
        return;
    }
    if (w.tributaries == 0)
        ImposedDiameter(t) =
            static_cast<float>(designClass_ == 3 ? e_.MinStormDiameter : e_.MinSanitaryDiameter);
    const float dmin = ImposedDiameter(t);
    w.eref = ReferenceLevel(t, w);
    w.availableSlope = AvailableSlope(t, w.eref);
    const float q = DesignFlow(t);
    const float ruleN = std::fabs(t.ManningN) > 0 && t.ManningN > 0 ? t.ManningN : 0;
    auto nAt = [&](float d) { return ruleN > 0 ? ruleN : ReachManningN(hc_, 0, d); };
    const float d1 = std::max(DiameterForVelocity(hc_, e_.MaxVelocity, w.qmax, q), dmin);
    float d2 = DiameterForVelocity(hc_, std::max(w.minFullVelocity, 0.6f), w.qmax, q);
    if (w.availableSlope > 0)
        d2 = std::min(d2, DiameterForFlow(hc_, w.qmax, q, nAt(d2), w.availableSlope));
    const float dt = std::max(d2, d1);
    const float dc = CommercialSize(hc_, dt, classStorm);
    w.dc = dc;
    const SizeList& sizes = hc_.sizes;
    if (dt > sizes.largest()) {
        state_.counters.largerSizesNeeded = true;
        state_.counters.largestBeyondList = std::max(state_.counters.largestBeyondList, dt);
    }
    auto next = [&](float d) {
        for (int k = 0; k < sizes.count; ++k)
            if (sizes.size[static_cast<size_t>(k)] > d) return sizes.size[static_cast<size_t>(k)];
        return d;
    };
    float d = dmin;
    w.lookAheadFailed = false;
    if (dmin < dc) {
        d = CommercialSize(hc_, dmin, classStorm);
        while (d < dc) {
            if (LookAhead(t, w, d)) break;
            log_.Append("<" + Size(d) + ">");
            const float bigger = next(d);
            if (bigger <= d) break;
            d = bigger;
        }
        if (d >= dc && !LookAhead(t, w, d)) {
            w.lookAheadFailed = true;
            log_.Append(" <!>");
        }
    }
    const int type = t.Type;
    if (type == 2 || type == 3 || type == network::kTypeFromSector) d = dmin;
    const bool lastRecord = SlotRecord(kSlotCurrent) == networkRecords_;
    if (lastRecord) d = dc;
    // Every reach takes at least its imposed minimum; the last one takes it exactly, as the
    // outfalls of type 2 do: its size must not depend on where it stands in the file.
    d = std::max(d, dmin);
    if (lastRecord && d > dmin) d = dmin;
    t.Diameter = d;
    if (t.ManningN <= 0) t.ManningN = -ReachManningN(hc_, 0, d);
    bool listed = false;
    for (int k = 0; k < sizes.count; ++k)
        if (sizes.size[static_cast<size_t>(k)] == d) listed = true;
    if (!listed) state_.counters.missingDiameter = true;
}

bool Designer::LookAhead(const TramoT& t, const ReachWork& w, float d) {
    const float n = t.ManningN > 0 ? t.ManningN : ReachManningN(hc_, 0, d);
    const float q = DesignFlow(const_cast<TramoT&>(t));
    const float s = SlopeForFlow(hc_, w.qmax, q, n, d);
    if (FullVelocity(hc_, n, s, d) > e_.MaxVelocity) return false;
    double lacc = t.Length;
    int passed = 0;
    const TramoT* reached = &t;
    for (int guard = 0; guard < kMaxLookAhead; ++guard) {
        const double crown = double(t.CrownUp) - s * lacc / 100.0 - double(w.outletDrop) * passed;
        const double depth = double(reached->GroundDown) - crown;
        const int r = ReceiverRecord(const_cast<TramoT&>(*reached));
        if (!Valid(r)) return depth < e_.MaxDesirableCrownDepth;
        Slot(kSlotLookAhead) = Rec(r);
        SlotRecord(kSlotLookAhead) = r;
        const TramoT& next = Slot(kSlotLookAhead);
        const int st = StateOf(next);
        const bool fixed =
            st == 1 || st == 3 || st == 4 || (st == 2 && !state_.options.ignoreRestrictions);
        if (fixed) return !(next.CrownUp > crown);
        if (depth < e_.MinCrownDepth) return true;
        if (depth > e_.MaxDesirableCrownDepth) return false;
        reached = &Rec(r);
        lacc += next.Length;
        ++passed;
    }
    return true;
}

void Designer::SelectSlope(TramoT& t, ReachWork& w) {
    if (!IsNew(t)) return;
    const float d = t.Diameter, n = ManningOf(t), q = DesignFlow(t);
    const float s1 = SelfCleansingSlope(t, w);
    const float s3 = std::max(SlopeForFlow(hc_, w.qmax, q, n, d), w.availableSlope);
    float s = std::max(s1, s3);
    float tau = SlopeForTractiveForce(hc_, w.minTractive, d, n, w.selfCleansingFlow);
    if ((w.storm || w.relief) && e_.RasStormTractive == 1)
        tau = std::max(tau, SlopeForTau015(hc_, d, w.storm));
    s = std::max(s, tau);
    s = std::min(s, MaxVelocitySlope(t, w));
    s = std::max(s, DiameterMinimumSlope(d));
    s = Finite(s);
    t.CrownDown = Round2(Finite(double(t.CrownUp) - double(s) * t.Length / 100.0));
    // A lower end left with too little cover goes down to it, and the reach runs at the
    // slope its crowns then have where the velocity cap allows it.
    if (double(t.GroundDown) - t.CrownDown < MinDepth(t)) {
        t.CrownDown = t.GroundDown - MinDepth(t);
        const double real =
            t.Length > 0 ? (double(t.CrownUp) - t.CrownDown) * 100.0 / t.Length : double(s);
        // Steeper than the cap, the reach runs at the cap and its crowns take the rest.
        s = std::max(s, std::min(Finite(real), MaxVelocitySlope(t, w)));
    }
    t.Slope = s;
}

float CrownUnderCover(float ground, float cover, float crown) {
    const double highest = double(ground) - cover;
    double c = Round2(std::min(double(crown), highest));
    if (c > highest + 1e-4) c -= 0.01;
    return Finite(c);
}

int IntermediateDropChambers(double hu, double hmax, double hmin) {
    const double step = hmax - hmin;
    if (!(step > 0) || !(hu > hmax) || !std::isfinite(hu)) return hu > hmax ? 1 : 0;
    int c = static_cast<int>((hu - hmax) / step + 1e-9);
    if ((hu - hmax) - c * step > 1e-4) ++c;
    return c;
}

void Designer::SetCrowns(TramoT& t, ReachWork& w) {
    if (!IsNew(t)) return;
    w.outletDrop = OutletCrownDrop(jc_, t.Diameter, ImposedDiameter(t));
    const float slopeBefore = t.Slope;
    if (readjusting()) {
        const bool grew = ReadjustReach(t, w);
        if (grew && w.relief && SlotRecord(kSlotReceiver) > 0) {
            TramoT& r = Slot(kSlotReceiver);
            ImposedDiameter(r) = std::max(ImposedDiameter(r), t.Diameter);
            WriteSlot(kSlotReceiver);
        }
    }
    const bool critical = readjusting() && e_.AvoidCriticalDiameter > 0;
    const float smax = MaxVelocitySlope(t, w);
    const double l = t.Length;
    DropChambers(t) = 0;
    if (smax > t.Slope) {
        DropKind(t) = kDropNone;
        DropHeight(t) = 0;
        DropPipeDiameter(t) = 0;
        if (critical && t.Slope != slopeBefore) {
            t.CrownDown = Finite(double(t.CrownUp) - double(t.Slope) * l / 100.0);
            if (double(t.GroundDown) - t.CrownDown < MinDepth(t)) {
                t.CrownDown = CrownUnderCover(w.eref, MinDepth(t));
                t.CrownUp = Round2(Finite(double(t.CrownDown) + double(t.Slope) * l / 100.0));
            }
        }
        Depths(t);
        return;
    }
    t.Slope = smax;
    t.CrownDown = CrownUnderCover(t.GroundDown, MinDepth(t), t.CrownDown);
    t.CrownUp = Round2(Finite(double(t.CrownDown) + double(smax) * l / 100.0));
    Depths(t);
    if (critical) RoundCrowns(t);
    DropHeight(t) = 0;
    DropPipeDiameter(t) = 0;
    double hu = double(t.GroundUp) - t.CrownUp;
    if (hu < e_.MaxCrownDepth) {
        DropKind(t) = kDropInManhole;
        return;
    }
    if (!(w.eref > t.GroundDown)) {
        t.CrownDown = CrownUnderCover(t.GroundDown, MinDepth(t));
        t.CrownUp = Round2(Finite(double(t.CrownDown) + double(smax) * l / 100.0));
        Depths(t);
        hu = double(t.GroundUp) - t.CrownUp;
        if (hu < e_.MaxCrownDepth) {
            DropKind(t) = kDropInManhole;
            return;
        }
    }
    if (designClass_ > 5) {
        DropKind(t) = kDropInManhole;
        return;
    }
    DropChambers(t) =
        static_cast<float>(IntermediateDropChambers(hu, e_.MaxCrownDepth, e_.MinCrownDepth));
    t.CrownUp = Round2(ProposedCrown(t));
    DropKind(t) = kDropChambers;
    Depths(t);
}

bool Designer::ReadjustReach(TramoT& t, ReachWork& w) {
    const float n = ManningOf(t), q = DesignFlow(t);
    const bool classStorm = designClass_ == 5 && t.Runoff != 0;
    AvoidCriticalFlow(t);
    float largestIn = 0;
    for (TramoT* in : TributarySlots(*this))
        largestIn = std::max(largestIn, in->Diameter);
    const float flowD = std::trunc(DiameterForFlow(hc_, w.qmax, q, n, t.Slope));
    float dp = CommercialSize(hc_, flowD, classStorm);
    const float q0 = FullFlow(hc_, ReachManningN(hc_, t.ManningN, dp), t.Slope, dp);
    if (!(q0 > 0) || q / q0 > w.qmax || dp < ImposedDiameter(t)) {
        for (int k = 0; k < hc_.sizes.count; ++k) {
            const float s = hc_.sizes.size[static_cast<size_t>(k)];
            if (s > dp && s >= largestIn) {
                dp = s;
                break;
            }
        }
    }
    if (!(dp > t.Diameter)) return false;
    const float up = t.CrownUp;
    const float lowered = up - (dp - t.Diameter) / 1000.0f;
    t.CrownUp = std::max(lowered, std::min(up, ProposedCrown(t)));
    t.Diameter = dp;
    if (t.ManningN < 0) t.ManningN = -ReachManningN(hc_, 0, dp);
    w.availableSlope = AvailableSlope(t, w.eref);
    SelectSlope(t, w);
    const float previousSlope = t.Slope, previousDown = t.CrownDown;
    const float nd = ManningOf(t), d = t.Diameter;
    float s = SlopeForFlow(hc_, w.qmax, q, nd, d);
    if (q != 0 && w.minRealVelocity != 0)
        s = std::max(s, SlopeForRealVelocity(hc_, w.selfCleansingFlow, w.minRealVelocity, d, nd));
    s = std::max(
        s, SlopeForTractiveForce(hc_, e_.SanMinTractive100 / 100.0f, d, nd, w.selfCleansingFlow));
    if ((w.storm || w.relief) && e_.RasStormTractive == 1)
        s = std::max(s, SlopeForTau015(hc_, d, w.storm));
    s = std::max({s, e_.MinDesignSlope, DiameterMinimumSlope(d)});
    float froude = 0;
    s = SlopeAvoidingCriticalFlow(hc_, s, q, d, nd, froude);
    const float down = Round2(Finite(double(t.CrownUp) - double(s) * t.Length / 100.0));
    if (double(t.GroundDown) - down < MinDepth(t)) {
        t.Slope = previousSlope;
        t.CrownDown = previousDown;
    } else {
        t.Slope = Finite(s);
        t.CrownDown = down;
    }
    Depths(t);
    return true;
}

float Designer::DiameterMinimumSlope(float d) const {
    if (!slopePerDiameter_) return 0;
    for (int k = 0; k < hc_.sizes.count; ++k)
        if (hc_.sizes.size[static_cast<size_t>(k)] == d)
            return hc_.sizes.minSlope[static_cast<size_t>(k)];
    return 0;
}

bool Designer::Overloaded(const TramoT& t, const ReachWork& w) const {
    const float q0 = FullFlow(hc_, ManningOf(t), t.Slope, t.Diameter);
    const float q = DesignFlow(const_cast<TramoT&>(t));
    // The last digits of the formulas are forgiven, never more than the revision forgives.
    const double carried = double(q0) * w.qmax;
    if (q > 0 && !(double(q) <= carried + std::min(carried * 1e-4, 0.05))) return true;
    // The velocity cap can take a slope back into the critical band the readjustment
    // left: a larger pipe runs below the band's depth.
    return readjusting() && e_.AvoidCriticalDiameter > 0 &&
           InCriticalBand(hc_, t.Slope, q, t.Diameter, ManningOf(t));
}

void Designer::GrowWhileOverloaded(TramoT& t, ReachWork& w) {
    // The slope is capped by the real velocity, which the choice of diameter does not see:
    // a pipe that cannot carry its flow at the slope it got takes the next size.
    const int type = t.Type;
    if (!IsNew(t) || type == 3 || type == network::kTypeFromSector) return;
    // A flow grown since the slope was chosen (a later concentration time) asks first for
    // the slope that carries it.
    if (Overloaded(t, w)) {
        SelectSlope(t, w);
        SetCrowns(t, w);
    }
    const SizeList& sizes = hc_.sizes;
    for (int guard = 0; guard < sizes.count && Overloaded(t, w); ++guard) {
        float bigger = t.Diameter;
        for (int k = 0; k < sizes.count; ++k)
            if (sizes.size[static_cast<size_t>(k)] > t.Diameter) {
                bigger = sizes.size[static_cast<size_t>(k)];
                break;
            }
        if (!(bigger > t.Diameter)) {
            state_.counters.largerSizesNeeded = true;
            return;
        }
        log_.Append("<" + Size(bigger) + ">");
        t.Diameter = bigger;
        if (t.ManningN < 0) t.ManningN = -ReachManningN(hc_, 0, bigger);
        SelectSlope(t, w);
        SetCrowns(t, w);
    }
}

bool Designer::AvoidCriticalFlow(TramoT& t) {
    if (!(e_.AvoidCriticalDiameter > 0)) return false;
    float froude = 0;
    const float before = t.Slope;
    t.Slope =
        SlopeAvoidingCriticalFlow(hc_, t.Slope, DesignFlow(t), t.Diameter, ManningOf(t), froude);
    Froude(t) = Finite(froude);
    return t.Slope != before;
}

void Designer::RoundCrowns(TramoT& t) {
    // The crowns are kept to the centimetre: the proposed crown is compared as it would be
    // stored, or a crown already set from it looks higher by the float's last digits.
    if (!IsNew(t)) return;
    float proposed = Round2(ProposedCrown(t));
    // Nor above the invert of a wider pipe that arrives, as the readjustment laid it.
    if (readjusting() && DropKind(t) != kDropChambers)
        for (TramoT* in : TributarySlots(*this))
            if (in->Diameter > t.Diameter)
                proposed = std::min(
                    proposed, Round2(ProposedCrown(t) - (in->Diameter - t.Diameter) / 1000.0f));
    if (!(proposed < t.CrownUp)) return;
    t.CrownUp = proposed;
    t.CrownDown = Round2(Finite(double(t.CrownUp) - double(t.Slope) * t.Length / 100.0));
    Depths(t);
}

void Designer::EvaluateReach(TramoT& t, const ReachWork& w) {
    Depths(t);
    if (t.Length > 0)
        GroundSlope(t) = Finite((double(t.GroundUp) - t.GroundDown) * 100.0 / t.Length);
    if (t.CrownUp != 0) InvertUp(t) = Round2(Finite(double(t.CrownUp) - t.Diameter / 1000.0));
    if (t.CrownDown != 0) InvertDown(t) = Round2(Finite(double(t.CrownDown) - t.Diameter / 1000.0));
    if (StateOf(t) == 3) return;
    const float n = ManningOf(t), s = t.Slope, d = t.Diameter, q = DesignFlow(t);
    const float q0 = FullFlow(hc_, n, s, d);
    const float v0 = FullVelocity(hc_, n, s, d);
    FullFlowQ0(t) = q0;
    FullVelocityV0(t) = v0;
    const float ratio = q0 > 0 ? Finite(double(q) / q0) : 0;
    FlowRatioQ(t) = ratio;
    const float yd = DepthRatio(hc_, d, ratio);
    RelativeDepth(t) = yd;
    // The ratio is kept to the hundredth, but a real flow is never read as none: the
    // force at a ratio of zero says nothing of a pipe that carries water.
    const float exact = q0 > 0 ? Finite(double(w.selfCleansingFlow) / q0) : 0;
    const float qs = Round2(exact) == 0 && exact > 0 ? exact : Round2(exact);
    const double tau = ratio != 0 ? TractiveForce(hc_, qs, d, s, w.storm) : 0;
    TractiveX100(t) = static_cast<int>(std::clamp(std::rint(100.0 * tau), -32768.0, 32767.0));
    const float v = PartialVelocity(hc_, d, ratio, v0);
    RealVelocity(t) = v;
    SelfCleansingVelocity(t) = w.storm || w.relief ? 0.0f : PartialVelocity(hc_, d, qs, v0);
    SulfideZ(t) = SulfideIndex(yd, q, s, hc_.waterTemperature, hc_.bod5);
    WaterDepth(t) = Round2(Finite(double(yd) * d / 1000.0));
    if (designClass_ >= 3 && StormFlow(t) > 0 && v > 0)
        TravelTime(t) = Round2(Finite(double(t.Length) / v / 60.0));
    // A reach raised or re-sloped after its design keeps a Froude number of its own.
    Froude(t) = Round2(FroudeNumber(hc_, ratio, d, v));
}

void Designer::DesignReach(int n) {
    LoadReach(n);
    TramoT& c = Slot(kSlotCurrent);
    ReachWork w;
    w.tributaries = static_cast<int>(TributarySlots(*this).size());
    NormaliseClass(c);
    MinimumDepthAndAllowance(c, w);
    log_.Append(cp("TRAMO [") + c.Upstream + cp("] - [") + c.Downstream + cp("] ") +
                cp(StateWord(c)));

    auto steps = [&] {
        if (const Pin* pin = PinOf(n); pin && IsNew(c)) {
            DesignPinned(c, w, *pin);
            return;
        }
        w.relief = c.ReliefFactor != 0 && w.tributaries > 0;
        if (IsNew(c)) {
            if (DropKind(c) == kDropChambers) DropKind(c) = kDropNone;
            DropChambers(c) = 0;
            if (w.tributaries == 0) {
                c.CrownUp = Round2(c.GroundUp - MinDepth(c));
                ProposedCrown(c) = c.CrownUp;
                float lowest = c.GroundUp - e_.MinMinCrownDepth;
                if (MinDepth(c) > e_.MinCrownDepth) lowest -= MinDepth(c) - e_.MinCrownDepth;
                LowestCrown(c) = lowest;
            }
        }
        // Whether it carries storm water is known from its last flows until they are new.
        SelfCleansing(c, w);
        ClearReachFlows(c);
        if (w.tributaries > 0) PrepareUpstreamManhole(c, w);
        w.outletDrop = jc_.outletCrownDrop;
        if (w.tributaries > 0)
            Junction(c, w);
        else if (c.Type != network::kTypeFromSector)
            OriginTime(c) =
                Finite(std::max(double(e_.MinConcentrationTime), double(c.StormAreaTime)));
        Flows(c, w);
        SelectDiameter(c, w);
        if (readjusting() && IsNew(c) && w.tributaries > 0) {
            float largest = 0;
            for (TramoT* in : TributarySlots(*this))
                largest = std::max(largest, in->Diameter);
            if (double(c.CrownUp) - c.Diameter / 1000.0 >
                double(ProposedCrown(c)) - largest / 1000.0 + 0.01)
                c.CrownUp -= (largest - c.Diameter) / 1000.0f;
        }
        SelectSlope(c, w);
        SetCrowns(c, w);
        GrowWhileOverloaded(c, w);
        if (w.tributaries > 0 && (DropKind(c) != kDropNone || c.Diameter != ImposedDiameter(c))) {
            w.outletDrop = OutletCrownDrop(jc_, c.Diameter, ImposedDiameter(c));
            Junction(c, w);
            if (designClass_ >= 3) {
                StormFlows(c);
                ComputeDesignFlow(c, fc_);
                SelfCleansing(c, w);
                // The junction done again may give a later concentration time and so more
                // flow than the pipe was chosen for.
                GrowWhileOverloaded(c, w);
            }
        }
        RoundCrowns(c);
        EvaluateReach(c, w);
    };
    steps();

    const int state = StateOf(c);
    const bool replaceable = (state == 1 && state_.options.replaceExisting) ||
                             (state == 2 && state_.options.replaceRestricted);
    if (state_.counters.replacements != -1 && replaceable && c.Type != network::kTypeFromSector &&
        double(DesignFlow(c)) - 0.1 > FullFlowQ0(c)) {
        ++state_.counters.replacements;
        Append(c);
        c.Class = network::kClassNew;
        c.Diameter = 0;
        steps();
    }
    if (w.allowance != 0) {
        c.GroundDown += w.allowance;
        if (c.CrownDown != 0) DepthDown(c) = Finite(double(c.GroundDown) - c.CrownDown);
        DepthMean(c) = Finite((double(DepthUp(c)) + DepthDown(c)) / 2);
    }
    if (jc_.energyDiameter > 0 && w.tributaries > 0) EnergyJunction(n, false);
    Froude(c) = Round2(FroudeNumber(hc_, FlowRatioQ(c), c.Diameter, RealVelocity(c)));
    StoreReach(n);
}

}  // namespace nivex::design::detail
