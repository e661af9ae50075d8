// Raising new lines to the level of a fixed reach they arrive at, and the energy
// junctions of a reach with its tributaries.

#include <algorithm>
#include <cmath>

#include "console/codepage.h"
#include "design/design_internal.h"
#include "design/reach_values.h"

namespace nivex::design::detail {
namespace {

constexpr int kEnergyRuns = 10;
constexpr int kEnergyGrowthFrom = 3;  // from the fourth repetition on
constexpr double kSlopeMargin = 0.003;

}  // namespace

int Designer::RaiseToFixedReach(int n) {
    TramoT& r = Rec(n);
    if (TributaryCount(r) <= 0) return n + 1;
    if (IsNew(r) || double(r.CrownUp) + 0.01 < ProposedCrown(r)) return n + 1;
    auto& stack = state_.raiseStack;
    if (!stack.empty() && stack.back() == n + 1) {
        stack.pop_back();
        return n + 1;
    }
    if (static_cast<int>(stack.size()) >= kMaxRaiseStack) return n + 1;
    stack.push_back(n + 1);
    int work = 0;
    std::vector<std::pair<int, TramoT>> before;
    undo_ = &before;
    const int count = std::clamp(TributaryCount(r), 0, kMaxTributaries);
    for (int k = 0; k < count; ++k) {
        const int tr = TributaryRecord(r, k);
        if (!Valid(tr)) continue;
        TramoT& t = Rec(tr);
        // Each line is asked for its own level at the fixed reach: the widest arrives at
        // its invert, a smaller one at its crown, not at the level the widest needs.
        const double delivery = double(r.CrownUp) + OutletCrownDrop(jc_, r.Diameter, t.Diameter);
        if (IsNew(t) && double(t.CrownDown) <= delivery + 1e-4) {
            Remember(tr);
            RaiseMark(t) = 1;
            DeliveryLevel(t) = static_cast<float>(delivery);
            dirty_[static_cast<size_t>(tr - 1)] = 1;
            ++work;
        }
    }
    if (work == 0) {
        undo_ = nullptr;
        const int top = stack.back();
        stack.pop_back();
        return top;
    }

    int k = PreviousRecord(r);
    int lastVisited = n;
    bool gaveUp = false;
    int failedAt = 0;
    while (work > 0 && Valid(k)) {
        log_.Append(" <");
        LoadReach(k);
        lastVisited = k;
        TramoT& t = Slot(kSlotCurrent);
        const int previous = PreviousRecord(t);
        if (!IsNew(t) || RaiseMark(t) != 1) {
            k = previous;
            continue;
        }
        const double ed = DeliveryLevel(t);
        const double l = t.Length;
        const bool hasReceiver = SlotRecord(kSlotReceiver) > 0;
        TramoT& recv = Slot(kSlotReceiver);
        const float dropR =
            hasReceiver ? OutletCrownDrop(jc_, recv.Diameter, ImposedDiameter(recv)) : 0.0f;
        // A reach delivers at the level asked of it, but never out of the ground, nor with
        // less than the least cover of all unless the fixed reach it joins lies as high: a
        // level it cannot reach so is left as a mismatch at the manhole below.
        double top = double(t.GroundDown) - e_.MinMinCrownDepth;
        if (hasReceiver && !IsNew(recv) && recv.CrownUp != 0)
            top = std::max(top, double(recv.CrownUp) + dropR);
        top = std::min(top, double(t.GroundDown));
        const float end = CrownUnderCover(t.GroundDown, 0, static_cast<float>(std::min(ed, top)));
        // Drop chambers take up a lift as long as the reach still falls at its slope; a
        // reach lifted further no longer needs them and is re-sloped as any other.
        if (DropKind(t) == kDropChambers &&
            double(t.CrownUp) - end < double(t.Slope) * l / 100.0 - 1e-4) {
            DropKind(t) = kDropNone;
            DropChambers(t) = 0;
        }
        if (DropKind(t) == kDropChambers) {
            // Lifted to the fixed reach as a re-sloped reach is, and marked so: its lower
            // end keeps only the least cover of all.
            t.CrownDown = end;
            RaiseMark(t) = 0;
            JunctionMark(t) = 2;
            Depths(t);
            WriteSlot(kSlotCurrent);
            --work;
            k = previous;
            continue;
        }
        ReachWork w = WorkFor(t);
        const float n0 = ManningOf(t), q = DesignFlow(t);
        float tau = SlopeForTractiveForce(hc_, w.minTractive, t.Diameter, n0, w.selfCleansingFlow);
        if ((w.storm || w.relief) && e_.RasStormTractive == 1)
            tau = std::max(tau, SlopeForTau015(hc_, t.Diameter, w.storm));
        const double smin =
            std::max({double(SelfCleansingSlope(t, w)), double(tau), double(e_.MinDesignSlope),
                      double(DiameterMinimumSlope(t.Diameter))});
        const double sreq =
            std::max(smin, double(SlopeForFlow(hc_, w.qmax, q, n0, t.Diameter))) + kSlopeMargin;
        double lowest = LowestCrown(t);
        if (t.Diameter < ImposedDiameter(t)) lowest -= (ImposedDiameter(t) - t.Diameter) / 1000.0;
        // The proposed crown may stand above where the tributaries now arrive (a junction
        // re-sloped them after it was set): the reach starts no higher than they allow.
        double start = ProposedCrown(t);
        for (int j = kSlotFirstTributary; j < kSlots; ++j)
            if (SlotRecord(j) > 0 && Slot(j).CrownDown != 0)
                start = std::min(start, double(Slot(j).CrownDown) -
                                            OutletCrownDrop(jc_, t.Diameter, Slot(j).Diameter));
        const double sp =
            l > 0 ? std::min((start - end) * 100.0 / l, double(MaxVelocitySlope(t, w))) : 0.0;
        const double sl = l > 0 ? (lowest - end) * 100.0 / l : -1.0;
        if (sreq > sl) {
            gaveUp = true;
            failedAt = k;
            break;
        }
        double s = std::max(sreq, sp);
        // A re-sloped reach keeps out of the critical band as its design did; a steeper
        // fall lifts the line above it, as a required slope does.
        if (e_.AvoidCriticalDiameter > 0) {
            float froude = 0;
            const double steeper =
                SlopeAvoidingCriticalFlow(hc_, static_cast<float>(s), q, t.Diameter, n0, froude);
            if (steeper <= double(MaxVelocitySlope(t, w))) s = std::max(s, steeper);
        }
        t.CrownDown = end;
        t.CrownUp = Round2(Finite(double(t.CrownDown) + s * l / 100.0));
        t.Slope = Finite(s);
        ProposedCrown(t) = t.CrownUp;
        if (hasReceiver) ProposedCrown(recv) = t.CrownDown - dropR;
        RaiseMark(t) = 0;
        JunctionMark(t) = 2;
        if (jc_.energyDiameter > 0)
            for (int j = kSlotFirstTributary; j < kSlots; ++j)
                if (SlotRecord(j) > 0 && IsNew(Slot(j))) {
                    JunctionMark(Slot(j)) = 2;
                    WriteSlot(j);
                }
        EvaluateReach(t, w);
        if (hasReceiver) ReachDropIntoReceiver(jc_, t, recv);
        WriteSlot(kSlotCurrent);
        WriteSlot(kSlotReceiver);
        if (s != sp) {
            int marked = 0;
            for (int j = kSlotFirstTributary; j < kSlots; ++j) {
                if (SlotRecord(j) <= 0) continue;
                TramoT& u = Slot(j);
                // Each tributary is lifted to its own level: a wider one to the invert of
                // the lifted reach, a smaller one to its crown; never all of them to the
                // level the widest asks, which may stand out of the ground.
                const double level =
                    double(t.CrownUp) + OutletCrownDrop(jc_, t.Diameter, u.Diameter);
                if (!IsNew(u) || double(u.CrownDown) > level + 1e-4) continue;
                RaiseMark(u) = 1;
                DeliveryLevel(u) = Round2(static_cast<float>(level));
                u.CrownDown = Round2(static_cast<float>(level));
                TributaryDrop(jc_, u, t);
                WriteSlot(j);
                ++marked;
            }
            work += marked - 1;
        } else {
            --work;
        }
        k = previous;
    }

    undo_ = nullptr;
    if (!gaveUp) {
        log_.Append(" <!>");
        if (Valid(lastVisited) && lastVisited != n) {
            TramoT& cur = Rec(lastVisited);
            RaiseMark(cur) = 0;
            dirty_[static_cast<size_t>(lastVisited - 1)] = 1;
        }
        if (systemKind_ >= 3) {
            for (int j = std::min(lastVisited, n); j <= n; ++j) {
                LoadReach(j);
                TramoT& t = Slot(kSlotCurrent);
                const std::vector<const TramoT*> in = ConstTributaries(*this);
                if (t.Type != network::kTypeFromSector)
                    OriginTime(t) = Finite(ConcentrationTimeAtOrigin(t, in, fc_));
                const int before = flowCounts_.ignoredReliefChambers;
                // In the model loop the model's flows stand, as in the other passes.
                ComputeStormFlows(t, in, fc_, flowCounts_, ModelFlow(SlotRecord(kSlotCurrent)));
                flowCounts_.ignoredReliefChambers = before;
                ComputeDesignFlow(t, fc_);
                ReachWork w = WorkFor(t);
                EvaluateReach(t, w);
                WriteSlot(kSlotCurrent);
                log_.Append(" >");
            }
        }
        if (!stack.empty()) {
            const int top = stack.back();
            stack.pop_back();
            return top;
        }
        return n + 1;
    }

    // The line cannot come up to the fixed reach: the reaches the walk has already lifted
    // go back to their own design, so the line arrives as it was designed and the mismatch
    // stands at the fixed reach, where it is reported, instead of halfway up the line.
    const int receiverState = SlotRecord(kSlotReceiver) > 0 ? StateOf(Slot(kSlotReceiver)) : 0;
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        Rec(it->first) = it->second;
        dirty_[static_cast<size_t>(it->first - 1)] = 1;
    }
    const DesignOptions& o = state_.options;
    const int stateR = StateOf(Rec(n));
    const bool replace =
        state_.counters.replacements != -1 &&
        ((stateR == 1 && o.replaceExisting) || (stateR == 2 && o.replaceRestricted) ||
         (receiverState == 3 && o.replaceExisting));
    if (replace) {
        ++state_.counters.replacements;
        TramoT copy = Rec(n);
        JunctionMark(copy) = 1;
        Append(copy);
        TramoT& fixed = Rec(n);
        fixed.Class = network::kClassNew;
        JunctionMark(fixed) = 0;
        dirty_[static_cast<size_t>(n - 1)] = 1;
        log_.Append(" <-->");
    } else {
        log_.Append(
            " <?"
            "?> ");
    }
    if (!stack.empty()) stack.pop_back();
    // A replaced reach is designed again as new, with the line that ends in it.
    return replace ? failedAt : n + 1;
}

void Designer::EnergyJunction(int n, bool last) {
    if (!(jc_.energyDiameter > 0)) return;
    TramoT& c = Slot(kSlotCurrent);
    const std::vector<TramoT*> in = TributarySlots(*this);
    if (in.empty()) return;
    const float receiverVelocity =
        SlotRecord(kSlotReceiver) > 0 ? RealVelocity(Slot(kSlotReceiver)) : 0.0f;
    const float startDiameter = c.Diameter;
    const bool repeatable = state_.pass == 3;
    for (int run = 0; run < kEnergyRuns; ++run) {
        double deficit = 0, inlet = 0;
        for (TramoT* t : in) {
            const EnergyValues v = TributaryEnergy(jc_, hc_, *t, c, receiverVelocity);
            deficit = std::max(deficit, -v.surplus);
            if (v.supercritical && c.Diameter > jc_.energyDiameter && v.inletExcess > deficit)
                deficit = v.inletExcess;
            if (InletMargin(*t) < 0) inlet = std::max(inlet, -double(InletMargin(*t)));
            if (v.invertDrop < 0) deficit = std::max(deficit, -v.invertDrop);
        }
        for (int k = kSlotFirstTributary; k < kSlots; ++k)
            WriteSlot(k);
        // The inlet-control excess already stands in the deficit when it is the larger: a
        // negative margin is the same excess seen from the tributary, not a second one.
        const double lower = Round2(repeatable ? std::max(deficit, inlet) : deficit);
        if (!(lower > 0) || !IsNew(c)) break;
        // A laid-out reach keeps its crowns: what it lacks is solved again from above.
        if (PinOf(n)) {
            if (n <= static_cast<int>(energyDeficit_.size()))
                energyDeficit_[static_cast<size_t>(n - 1)] =
                    std::max(energyDeficit_[static_cast<size_t>(n - 1)], lower);
            break;
        }
        if ((run > 0 && !repeatable) || run == kEnergyRuns - 1) break;
        if (run >= kEnergyGrowthFrom) {
            if (startDiameter > c.Diameter) c.Diameter = startDiameter;
            float bigger = c.Diameter;
            for (int k = 0; k < hc_.sizes.count; ++k)
                if (hc_.sizes.size[static_cast<size_t>(k)] > c.Diameter) {
                    bigger = hc_.sizes.size[static_cast<size_t>(k)];
                    break;
                }
            if (bigger > c.Diameter)
                c.Diameter = bigger;
            else
                state_.counters.energyDoubtful = true;
            if (JunctionMark(c) == 1 && c.Diameter > jc_.energyDiameter)
                state_.counters.energyDoubtful = true;
            if (c.ManningN < 0) c.ManningN = -ReachManningN(hc_, 0, c.Diameter);
        }
        c.CrownUp = Round2(Finite(double(c.CrownUp) - lower));
        ProposedCrown(c) = c.CrownUp;
        ReachWork w = WorkFor(c);
        SelectSlope(c, w);
        // The new slope keeps out of the critical band as the readjustment's did.
        if (AvoidCriticalFlow(c))
            c.CrownDown = Round2(Finite(double(c.CrownUp) - double(c.Slope) * c.Length / 100.0));
        if (double(c.GroundDown) - c.CrownDown < MinDepth(c)) {
            c.CrownDown = c.GroundDown - MinDepth(c);
            c.CrownUp = Round2(Finite(double(c.CrownDown) + double(c.Slope) * c.Length / 100.0));
        }
        EvaluateReach(c, w);
        if (SlotRecord(kSlotReceiver) > 0) {
            TramoT& r = Slot(kSlotReceiver);
            if (IsNew(r) && r.Diameter == ImposedDiameter(r)) {
                r.CrownUp = c.CrownDown - OutletCrownDrop(jc_, r.Diameter, ImposedDiameter(r));
                WriteSlot(kSlotReceiver);
            }
        }
    }
    if (last) Put(c, n);
}

}  // namespace nivex::design::detail
