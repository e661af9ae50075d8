#include "design/junctions.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "design/reach_values.h"

namespace nivex::design {
namespace {

using network::TramoT;

constexpr double kTwoG = 19.62;
constexpr double kManholeDiameter = 1.2;  // m
// Heights are compared to the millimetre: crowns are stored to the centimetre.
constexpr double kTolerance = 1e-4;

float Stored(double v) {
    return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}

bool NotInvestigated(const TramoT& t) {
    return t.Class == network::kClassNotInvestigated && t.Type != network::kTypeFromSector;
}

// The three cases of a drop of height h.
void SetDrop(const JunctionCriteria& c, TramoT& t, double h) {
    h = Round2(h);
    if (h > 0 && h >= c.minDropHeight - kTolerance) {
        DropKind(t) = kDropPipe;
        DropPipeDiameter(t) = t.Diameter;
        DropHeight(t) = Stored(h);
    } else if (h > 0) {
        DropKind(t) = kDropInManhole;
        DropPipeDiameter(t) = 0;
        DropHeight(t) = 0;
    } else {
        DropKind(t) = kDropNone;
        DropPipeDiameter(t) = 0;
        DropHeight(t) = 0;
    }
}

// Ki of the entrance from the ratio of the manhole to the pipe.
double InletCoefficient(double a) {
    const double r = kManholeDiameter / a;
    if (r > 2) return 1.2;
    if (r > 1.6) return 1.3;
    if (r > 1.3) return 1.4;
    return 1.5;
}

double SmallToMillimetre(double v) {
    return v > -0.01 && v < 0 ? 0.001 : v;
}

}  // namespace

JunctionCriteria JunctionCriteriaOf(const specs::EspecT& e) {
    JunctionCriteria c;
    c.outletCrownDrop = e.OutletCrownLowering;
    c.minDropHeight = e.MinDropHeight;
    c.crownJoinDiameter = static_cast<float>(e.CrownJoinDiameter);
    c.crownJoinDrop = static_cast<float>(e.CrownJoinDropCm) / 100.0f;
    c.maxVelocity = e.MaxVelocity;
    c.energyDiameter = e.EnergyJunctionDiameter;
    c.maxCrownDepth = e.MaxCrownDepth;
    return c;
}

float OutletCrownDrop(const JunctionCriteria& c, float d, float imposed) {
    if (d > imposed) return 0;
    if (d < imposed) return (imposed - d) / 1000.0f;
    return c.outletCrownDrop;
}

void TributaryDrop(const JunctionCriteria& c, TramoT& t, const TramoT& current) {
    if (NotInvestigated(t) && t.CrownDown == 0) {
        SetDrop(c, t, 0);
        return;
    }
    const bool unknownStart = NotInvestigated(current) && current.CrownUp == 0;
    SetDrop(c, t, unknownStart ? 0.0 : double(t.CrownDown) - current.CrownUp);
}

void ReachDropIntoReceiver(const JunctionCriteria& c, TramoT& current, const TramoT& receiver) {
    const bool unknown = (NotInvestigated(current) && current.CrownDown == 0) ||
                         (NotInvestigated(receiver) && receiver.CrownUp == 0);
    SetDrop(c, current, unknown ? 0.0 : double(current.CrownDown) - receiver.CrownUp);
}

JunctionOutcome UpstreamJunction(const JunctionCriteria& c, const HydraulicCriteria& h,
                                 TramoT& current, const std::vector<TramoT*>& tributaries,
                                 float outletDrop, double timeStart, bool readjusting,
                                 const Reslope& reslope) {
    JunctionOutcome out;
    // The chamber count of a reach that descends through drop chambers stays its kind.
    if (DropKind(current) != kDropChambers) DropKind(current) = kDropNone;
    out.originTime = timeStart;
    out.lowestIncoming = current.GroundUp;
    const double cout = current.CrownUp;
    for (TramoT* tp : tributaries) {
        TramoT& t = *tp;
        NewInitialManhole(t) = 0;
        const bool isNew = t.Class == network::kClassNew;
        if (DropKind(t) == kDropChambers) {
            // It descends through its own chambers to the level it was given.
        } else if (!isNew) {
            const bool restricted = t.Class == network::kClassRestricted;
            const bool inletWithCrown = t.Type == network::kTypeFromSector && t.CrownDown != 0;
            if (restricted || inletWithCrown) TributaryDrop(c, t, current);
        } else if (DropKind(t) != kDropNone) {
            TributaryDrop(c, t, current);
        } else if (t.Length > 0) {
            // A tributary wider than the outgoing pipe is matched by the inverts: the
            // outgoing invert never stands above the one that arrives.
            const double wider = std::max(0.0, (double(t.Diameter) - current.Diameter) / 1000.0);
            const double level = cout + std::max(double(outletDrop), wider);
            const double st = (double(t.CrownUp) - level) * 100.0 / t.Length;
            if (st >= 0) {
                const float n =
                    t.ManningN != 0 ? std::fabs(t.ManningN) : ReachManningN(h, 0, t.Diameter);
                const bool tooFast =
                    FullVelocity(h, n, static_cast<float>(st), t.Diameter) >= c.maxVelocity;
                if (tooFast || c.crownJoinDiameter == 0) {
                    TributaryDrop(c, t, current);
                } else if (t.Diameter<c.crownJoinDiameter&& double(t.CrownDown) - cout> c
                               .crownJoinDrop +
                           kTolerance) {
                    TributaryDrop(c, t, current);
                } else {
                    if (readjusting && level - 0.001 < t.CrownDown && reslope &&
                        !reslope(t, static_cast<float>(level)))
                        TributaryDrop(c, t, current);
                    else
                        SetDrop(c, t, 0);
                }
            }
        }
        out.lowestIncoming = std::min(out.lowestIncoming, t.CrownDown);
        DeliveryLevel(t) = Stored(cout + outletDrop);
        out.originTime = std::max(out.originTime, double(t.InOriginTime) + t.InReachTime);
    }
    return out;
}

double JunctionCoefficient(float outgoingDiameter) {
    if (!(outgoingDiameter > 0)) return 0.05;
    const double r = kManholeDiameter / (outgoingDiameter / 1000.0);
    if (r <= 1.5) return 0.4;
    if (r <= 3) return 0.2;
    return 0.05;
}

double InletControlHead(float d, float q) {
    const double a = d / 1000.0;
    if (!(a > 0) || !std::isfinite(q) || !(q > 0)) return 0;
    const double flow = q / 1000.0;
    const double z = flow / (std::sqrt(9.81 * a) * a * a);
    const double ki = InletCoefficient(a);
    double head;
    if (z <= 0.62) {
        const double ycd = CriticalDepthRatio(static_cast<float>(z));
        const double area = AreaRatio(static_cast<float>(ycd));
        const double vc = area > 0 ? flow / (a * a * area) : 0;
        head = ki * (0.589 * a * std::pow(z, 2.67) + vc * vc / kTwoG + a * ycd);
    } else {
        head = a * ki * (1.91 * z * z + 0.7);
    }
    return std::isfinite(head) ? head : 0;
}

EnergyValues TributaryEnergy(const JunctionCriteria& c, const HydraulicCriteria& hc, TramoT& t,
                             TramoT& current, float receiverVelocity) {
    EnergyValues e;
    const double frt = Round2(double(FroudeNumber(hc, FlowRatioQ(t), t.Diameter, RealVelocity(t))));
    Froude(t) = Stored(frt);
    const double yt = Round2(double(RelativeDepth(t)) * t.Diameter / 1000.0);
    const double invT = Round2(double(t.CrownDown) - t.Diameter / 1000.0);
    const double invC = Round2(double(current.CrownUp) - current.Diameter / 1000.0);
    e.invertDrop = invT - invC + 0.001;
    const double vt = RealVelocity(t), vc = RealVelocity(current);
    const double hvt = Round2(vt * vt / kTwoG), hvc = Round2(vc * vc / kTwoG);
    const double yc = Round2(double(RelativeDepth(current)) * current.Diameter / 1000.0);
    const double et = Round2(invT + yt + hvt);
    const double cv = receiverVelocity < vc ? 0.2 : receiverVelocity > vc ? 0.1 : 0.0;
    const double loss =
        Round2(JunctionCoefficient(current.Diameter) * vt * vt / kTwoG + cv * std::fabs(hvc - hvt));
    const double left = Round2(et - loss);
    const double ec = Round2(invC + yc + hvc);
    e.surplus = left - ec + 0.001;
    double head = 0, above = 0;
    e.supercritical = frt >= 1;
    if (e.supercritical && current.Diameter > c.energyDiameter) {
        head = Round2(InletControlHead(current.Diameter, DesignFlow(current)));
        above = head > yc ? head - yc : 0;
        e.inletExcess = above - e.invertDrop;
    }
    JunctionInvertIn(t) = Stored(invT);
    JunctionInvertOut(t) = Stored(invC);
    InvertDrop(t) = Stored(SmallToMillimetre(e.invertDrop));
    TributaryEnergy(t) = Stored(et);
    JunctionLoss(t) = Stored(SmallToMillimetre(loss + 0.001));
    EnergyLeft(t) = Stored(left);
    ReceiverEnergy(t) = Stored(ec);
    EnergySurplus(t) = Stored(SmallToMillimetre(e.surplus));
    InletHead(t) = Stored(head);
    WaterDepth(t) = Stored(yt);
    InletHeadAbove(t) = Stored(above);
    VelocityHeadIn(t) = Stored(hvt);
    VelocityHeadOut(t) = Stored(hvc);
    InletMargin(t) =
        e.supercritical ? Stored(SmallToMillimetre(e.invertDrop - above + 0.001)) : 0.0f;
    return e;
}

MarkCounts MarkInitialManholesAndMismatches(std::vector<TramoT>& records, int networkRecords,
                                            bool addInitialManholes) {
    MarkCounts counts;
    const int n = std::min(networkRecords, static_cast<int>(records.size()));
    // The shallowest start among the reaches with tributaries that leave each manhole.
    struct Shallowest {
        int depthCm = 10000;
        float ground = 0;
    };
    std::unordered_map<std::string, Shallowest> manholes;
    manholes.reserve(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        TramoT& t = records[static_cast<size_t>(k)];
        if (TributaryCount(t) <= 0) continue;
        Shallowest& s = manholes[t.Upstream];
        const int cm = static_cast<int>(std::lround(double(DepthUp(t)) * 100.0));
        if (cm < s.depthCm) {
            s.depthCm = cm;
            s.ground = t.GroundUp;
        }
    }
    for (int k = 0; k < n; ++k) {
        TramoT& t = records[static_cast<size_t>(k)];
        const auto it = manholes.find(t.Upstream);
        const double reference = it == manholes.end() || it->second.depthCm == 10000
                                     ? -100.0
                                     : double(it->second.ground) - it->second.depthCm / 100.0;
        ReferenceCrown(t) = Stored(reference);
        const bool counted = t.Class == network::kClassNew || t.Class == network::kClassExisting ||
                             t.Class == network::kClassRestricted ||
                             t.Type == network::kTypeFromSector;
        if (counted && double(DesignFlow(t)) - 0.1 > FullFlowQ0(t)) ++counts.insufficientCapacity;
        const bool initial = TributaryCount(t) <= 0;
        NewInitialManhole(t) = addInitialManholes && initial && reference != -100.0 &&
                                       double(t.CrownUp) < reference - 0.005
                                   ? 1
                                   : 0;
    }
    for (int k = 0; k < n; ++k) {
        TramoT& t = records[static_cast<size_t>(k)];
        if (t.CrownUp == 0) continue;
        const double outInvert = Round2(double(t.CrownUp) - t.Diameter / 1000.0);
        const int count = std::clamp(TributaryCount(t), 0, 5);
        for (int j = 0; j < count; ++j) {
            const int r = TributaryRecord(t, j);
            if (r < 1 || r > static_cast<int>(records.size())) continue;
            const TramoT& in = records[static_cast<size_t>(r - 1)];
            if (Round2(double(in.CrownDown) - in.Diameter / 1000.0) + 0.01 < outInvert - 1e-6) {
                ++counts.mismatches;
                JunctionMark(t) = 1;
            }
        }
    }
    return counts;
}

}  // namespace nivex::design
