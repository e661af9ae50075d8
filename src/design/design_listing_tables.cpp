#include "design/design_listing_tables.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "design/design_flows.h"
#include "design/reach_values.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"

namespace nivex::design::tables {
namespace {

using cells::Column;
using cells::EmphasisedIf;
using cells::kBar;
using cells::Number;
using cells::Plain;
using network::TramoT;

// Pictures and their dash forms, by the width of the cell.
constexpr const char* kFlow = "#####.##";
constexpr const char* kFlowWide = " #######";
constexpr double kFlowWideFrom = 99999;
constexpr const char* kDash8 = "   ---  ";
constexpr const char* kMinFlow = "####.##";
constexpr const char* kMinFlowWide = "#######";
constexpr double kMinFlowWideFrom = 9999;
constexpr const char* kDash7 = "  ---  ";
constexpr const char* kDash6 = "  --  ";
constexpr const char* kDash5 = " --  ";
constexpr const char* kDash4 = " -- ";
constexpr const char* kElevation = "####.## ";

const char* const kFromSectorDesign = " << LLEGA DE SECTOR ## >> ";
const char* const kFromSectorSanitary = "    <<     LLEGA  DE  SECTOR  ##     >>    ";
const char* const kFromSectorStorm = "<< LLEGA DE SECTOR ## >>";

bool Usable(double v) {
    return std::isfinite(v) && v != 0;
}

int DesignClass(const Context& x) {
    return x.session.project.header.DesignClass;
}

bool CarriesStorm(const Context& x, const TramoT& t) {
    const int c = DesignClass(x);
    if (c == 5) return StormFlow(t) != 0;
    return c >= 3 && c <= 9;
}

std::string Line(int record) {
    return kBar + Plain(record, "#### ");
}

// ---- Values the design chose, compared with the criteria ----

double MinimumSlopeOf(const Context& x, double d) {
    const SizeList& sizes = x.copy.criteria.sizes;
    for (int k = 0; k < sizes.count; ++k)
        if (std::fabs(sizes.size[static_cast<size_t>(k)] - d) < 0.5)
            return sizes.minSlope[static_cast<size_t>(k)];
    return 0;
}

bool SlopeIsMinimum(const Context& x, const TramoT& t) {
    const specs::EspecT& e = x.session.project.espec;
    if (cells::SameAt2(t.Slope, e.MinDesignSlope)) return true;
    if (x.session.project.header.SlopePerDiameter != 1) return false;
    const double s = MinimumSlopeOf(x, t.Diameter);
    return s > 0 && cells::SameAt2(t.Slope, s);
}

bool EqualsAny(double v, std::initializer_list<double> bounds) {
    if (!Usable(v)) return false;
    for (double b : bounds)
        if (b > 0 && cells::SameAt2(v, b)) return true;
    return false;
}

bool VelocityIsBound(const Context& x, const TramoT& t, double v) {
    const specs::EspecT& e = x.session.project.espec;
    if (CarriesStorm(x, t))
        return EqualsAny(v, {e.MaxVelocity, e.StormMinRealVelocity, e.StormMinMinRealVelocity});
    return EqualsAny(v, {e.MaxVelocity, e.SanMinRealVelocity, e.SanMinMinRealVelocity});
}

bool TractiveIsMinimum(const Context& x, const TramoT& t, double tau) {
    const specs::EspecT& e = x.session.project.espec;
    if (CarriesStorm(x, t)) return EqualsAny(tau, {e.StormMinTractive, e.StormMinMinTractive});
    return EqualsAny(tau, {e.SanMinTractive100 / 100.0, e.SanMinMinTractive100 / 100.0});
}

bool FroudeIsBound(const Context& x, double yd, double froude) {
    const specs::EspecT& e = x.session.project.espec;
    if (!(e.AvoidCriticalDiameter > 0) || !(yd >= 0.70)) return false;
    return EqualsAny(froude, {e.FroudeLower, e.FroudeUpper});
}

// The design flow of the flow cells: with the relief flow in the classes that spill.
double ListedDesignFlow(const Context& x, TramoT& t) {
    double q = DesignFlow(t);
    const int c = DesignClass(x);
    if ((c == 3 || c == 5) && Usable(t.ReliefFactor)) q += cells::ReliefFlow(t);
    return q;
}

const char* FlowClassText(const Context& x, const TramoT& t) {
    const int c = DesignClass(x);
    if (c == 6 || c == 8) return "Combin.";
    if (c == 7 || c == 9) return "Pluvial";
    if (c == 5) {
        // Mixed: what arrives in the reach, by the flows it carries.
        const bool sanitary = Usable(t.InFlow) || Usable(t.InInfiltration);
        const bool storm = Usable(StormFlow(t));
        if (sanitary && storm) return t.Contribution == 2 ? "Combin." : "Mixto";
        if (sanitary) return "Sanit.";
        if (storm) return "Pluvial";
        return "-------";
    }
    switch (ContributionKind(t, c)) {
        case 0:
            return "Sanit.";
        case 1:
            return "Combin.";
        case 2:
            return "Pluvial";
        default:
            return "-------";
    }
}

std::string MinimumFlowCell(const Context& x, TramoT& t) {
    const int c = DesignClass(x);
    if (c >= 1 && c <= 4)
        return Number(SanitaryMin(t), kMinFlow, kDash7, kMinFlowWide, kMinFlowWideFrom);
    return cells::Text(network::general::Centre(FlowClassText(x, t), 7), 7);
}

Column MaximumFlowColumn(const Context& x) {
    const int c = DesignClass(x);
    if (c >= 1 && c <= 4) return {8, "caudal diseno", "maximo", "(l/s)", 2};
    return {8, "caudal", "diseno", "(l/s)"};
}

Column MinimumFlowColumn(const Context& x) {
    const int c = DesignClass(x);
    if (c >= 1 && c <= 4) return {7, nullptr, "minimo", "(l/s)"};
    return {7, "clase", "caudal", ""};
}

// The cells of flows, n, size and slope the hydraulic listing and its model form share.
std::string DesignCells(const Context& x, TramoT& t, bool designed) {
    const bool flowDecides = designed && cells::FlowDecides(t);
    std::string s;
    s += EmphasisedIf(flowDecides,
                      Number(ListedDesignFlow(x, t), kFlow, kDash8, kFlowWide, kFlowWideFrom));
    s += MinimumFlowCell(x, t);
    s += Number(std::fabs(t.ManningN), "#.####", kDash6);
    s += cells::Size(x.copy.criteria, t.Diameter);
    s += EmphasisedIf(designed && SlopeIsMinimum(x, t), Plain(t.Slope, "##.###"));
    return s;
}

std::string HydraulicRow(const Context& x, int record, TramoT& t, bool removed) {
    const bool designed = !removed && t.Class == network::kClassNew;
    const bool flowDecides = designed && cells::FlowDecides(t);
    const int c = DesignClass(x);
    const double yd = RelativeDepth(t), v = RealVelocity(t), vs = SelfCleansingVelocity(t);
    const double tau = TractiveX100(t) / 100.0, froude = Froude(t);
    const specs::EspecT& e = x.session.project.espec;
    std::string s = Line(record) + cells::Name(t.Upstream) + cells::Name(t.Downstream);
    s += DesignCells(x, t, designed);
    s += EmphasisedIf(flowDecides, Number(FullFlowQ0(t), kFlow, kDash8, kFlowWide, kFlowWideFrom));
    s += Plain(FullVelocityV0(t), "##.## ");
    s += EmphasisedIf(designed && (c == 1 || c == 2) && cells::SameAt2(yd, e.MaxFilling),
                      Number(yd, "#.##", kDash4));
    s += EmphasisedIf(designed && VelocityIsBound(x, t, v), Number(v, "##.##", kDash5));
    s += EmphasisedIf(designed && VelocityIsBound(x, t, vs), Number(vs, "##.##", kDash5));
    s += EmphasisedIf(designed && TractiveIsMinimum(x, t, tau),
                      Number(tau, "#.##", "--- ", "##.#", 10));
    s += EmphasisedIf(designed && FroudeIsBound(x, yd, froude), Number(froude, "#.##", "--- "));
    if (cells::FromOtherSector(t)) return s + cells::SectorText(kFromSectorDesign, t.Sector) + kBar;
    return s + cells::HydraulicObservation(t, removed);
}

}  // namespace

const std::string& InletName(const Context& x, size_t k, const TramoT& t) {
    if (x.nodes && k < x.nodes->size()) return (*x.nodes)[k].first;
    return t.Upstream;
}

const std::string& OutletName(const Context& x, size_t k, const TramoT& t) {
    if (x.nodes && k < x.nodes->size()) return (*x.nodes)[k].second;
    return t.Downstream;
}

namespace {

std::string SwmmHydraulicRow(const Context& x, int record, TramoT& t, bool removed) {
    const bool designed = !removed && t.Class == network::kClassNew;
    const bool flowDecides = designed && cells::FlowDecides(t);
    const SwmmResults& r = *x.swmm;
    // The model holds the network only, one line per reach in line order.
    const size_t k = removed ? static_cast<size_t>(-1) : static_cast<size_t>(record - 1);
    const size_t at = static_cast<size_t>(record - 1);
    const std::string& inlet = InletName(x, at, t);
    const std::string& outlet = OutletName(x, at, t);
    std::string s = Line(record) + cells::Name(inlet, 7) + cells::Name(outlet, 7);
    s += DesignCells(x, t, designed);
    s += Number(ResultValue(r.fullFlowRatio, k), "#.##", kDash4);
    s += Number(ResultValue(r.depthRatio, k), "#.##", kDash4);
    s += Number(ResultValue(r.velocity, k), "  ##.## ", kDash8);
    s += EmphasisedIf(flowDecides, Number(FullFlowQ0(t), kFlow, kDash8, kFlowWide, kFlowWideFrom));
    s += cells::Text(!removed && r.isFlooded(inlet) ? " SI" : "", 5);
    s += cells::Text(!removed && r.isFlooded(outlet) ? " SI" : "", 5);
    if (cells::FromOtherSector(t)) return s + cells::SectorText(kFromSectorDesign, t.Sector) + kBar;
    return s + cells::HydraulicObservation(t, removed);
}

std::string PhysicalRow(const Context& x, int nameWidth, int record, TramoT& t, bool removed) {
    const bool designed = !removed && t.Class == network::kClassNew;
    // The hydraulic-model form names the ends as the model does.
    const size_t at = static_cast<size_t>(record - 1);
    const bool model = nameWidth > 5;
    std::string s = Line(record) +
                    cells::Name(model ? InletName(x, at, t) : t.Upstream, nameWidth) +
                    cells::Name(model ? OutletName(x, at, t) : t.Downstream, nameWidth);
    s += Number(t.Length, kElevation, kDash8);
    s += cells::Size(x.copy.criteria, t.Diameter);
    s += EmphasisedIf(designed && SlopeIsMinimum(x, t), Plain(t.Slope, "##.###"));
    for (double v :
         {double(t.GroundUp), double(t.GroundDown), double(t.CrownUp), double(t.CrownDown)})
        s += Number(v, kElevation, kDash8);
    s += Number(DepthUp(t), "##.##", kDash5);
    s += Number(DepthDown(t), "##.##", kDash5);
    s += Number(DropHeight(t), "##.##", kDash5);
    s += Number(DropPipeDiameter(t), "####", " ---");
    if (cells::FromOtherSector(t)) return s + cells::SectorText(kFromSectorDesign, t.Sector) + kBar;
    return s + cells::PhysicalObservation(t, removed);
}

const Column kObservations{26, "", "o b s e r v a c i o n e s", ""};

// ---- Flows ----

const specs::SanitaryZone* ZoneOf(const Context& x, const TramoT& t, int& zone) {
    const specs::EspecT& e = x.session.project.espec;
    const int zones = std::min(static_cast<int>(std::lround(e.ZoneCount)), specs::kMaxZones);
    zone = 1;
    if (zones > 1) {
        if (!std::isfinite(t.SanitaryZone)) return nullptr;
        zone = static_cast<int>(std::lround(t.SanitaryZone));
    }
    if (zone < 1 || zone > std::max(zones, 1)) return nullptr;
    return &e.Zones[static_cast<size_t>(zone - 1)];
}

std::string SanitaryRow(const Context& x, int record, TramoT& t) {
    int zone = 0;
    const specs::SanitaryZone* z = ZoneOf(x, t, zone);
    std::string s = Line(record) + cells::Name(t.Upstream) + cells::Name(t.Downstream);
    s += Number(z ? zone : 0, " ## ", kDash4);
    if (cells::FromOtherSector(t)) {
        s += cells::SectorText(kFromSectorSanitary, t.Sector) + kBar;
    } else {
        const double base = OwnSanitaryBase(t);
        double own = t.PointFlow;
        if (z) own += base * (z->infiltration + (t.Type == 1 ? 0.0 : z->sewageFlow));
        s += Number(z ? z->sewageFlow : 0, "##.#### ", kDash8);
        s += Number(z ? z->infiltration : 0, "##.#### ", kDash8);
        s += Number(z ? z->density : 0, "####.## ", kDash8);
        s += Number(base, "####.##", kDash7);
        s += Number(own, kFlow, kDash8, "########", kFlowWideFrom);
    }
    s += Number(t.InFlow, kFlow, kDash8, "########", kFlowWideFrom);
    s += Number(t.InInfiltration, kFlow, kDash8, "########", kFlowWideFrom);
    s += Number(t.InPopulation, "########", kDash8);
    s += Number(PeakFactorM(t), " #.## ", kDash6);
    s += Number(SanitaryMax(t), kFlow, kDash8, "########", kFlowWideFrom);
    s += Number(SanitaryMin(t), kFlow, kDash8, "########", kFlowWideFrom);
    s += Number(SulfideZ(t), "###### ", kDash7);
    return s;
}

std::string StormRow(const Context& x, int record, TramoT& t) {
    const int c = DesignClass(x);
    const specs::EspecT& e = x.session.project.espec;
    std::string s = Line(record) + cells::Name(t.Upstream) + cells::Name(t.Downstream);
    if (cells::FromOtherSector(t)) {
        s += cells::SectorText(kFromSectorStorm, t.Sector) + kBar;
    } else {
        s += Number(OwnStormArea(t), " ###.## ", kDash8);
        s += Number(t.Runoff, " #.## ", kDash6);
        s += Number(OwnEquivalentArea(t), " ###.## ", kDash8);
    }
    s += Number(t.InRealArea, " #####.## ", "    ---   ");
    s += Number(t.InEquivalentArea, " #####.## ", "    ---   ");
    s += Number(t.InOriginTime, "  ##.## ", kDash8);
    s += Number(t.InReachTime, "  ##.## ", kDash8);
    const int equations =
        std::min(static_cast<int>(std::lround(e.EquationCount)), specs::kMaxEquations);
    const int set = t.RainNumber >= 1 ? t.RainNumber : 1;
    // The return period of the reach's rain, for a reach that drains rain.
    const bool drains = Usable(t.InRealArea);
    const double frequency =
        drains && set <= equations ? e.Equations[static_cast<size_t>(set - 1)].frequency : 0.0;
    s += Number(frequency, "  ## ", "  -- ");
    s += Number(Intensity(t), kFlow, kDash8, "########", kFlowWideFrom);
    const FlowCriteria fc = FlowCriteriaOf(e, c);
    const double reduction =
        Usable(StormFlow(t)) ? ReductionFactor(fc, ContributionKind(t, c), t.InRealArea) : 0.0;
    s += Number(reduction, " #.## ", kDash6);
    s += Number(StormFlow(t), "######.##", "    ---  ");
    const bool combined = c == 3 || c == 5 || c == 6 || c == 8;
    s += Number(combined ? DesignFlow(t) : 0.0f, " ######.## ", "     ---   ");
    return s;
}

}  // namespace

Table Hydraulic(const Context& x) {
    return {
        {{5, "", "linea", ""},
         {5, "t r a m o", "de", "", 2},
         {5, nullptr, "a", ""},
         MaximumFlowColumn(x),
         MinimumFlowColumn(x),
         {6, "", "<n>", ""},
         {6, "con-", "ducto", "(mm)"},
         {6, "pen-", "diente", "(%)"},
         {8, "caudal", "lleno", "(l/s)"},
         {6, "veloc.", "lleno", "(m/s)"},
         {4, "", "y/do", ""},
         {5, "veloc. real", "max.", "(m/s)", 2},
         {5, nullptr, "min.", "(m/s)"},
         {4, "fuer", "trac", "k/m2"},
         {4, "Num.", "Fro-", "ude"},
         kObservations},
        [&x](int record, TramoT& t, bool removed) { return HydraulicRow(x, record, t, removed); }};
}

Table Physical(const Context& x, int nameWidth) {
    return {{{5, "", "linea", ""},
             {nameWidth, "t r a m o", "de", "", 2},
             {nameWidth, nullptr, "a", ""},
             {8, "longitud", "tramo", "(m)"},
             {6, "con-", "ducto", "(mm)"},
             {6, "pen-", "diente", "(%)"},
             {8, "cotas rasante", "superior", "(m)", 2},
             {8, nullptr, "inferior", "(m)"},
             {8, "cotas de clave", "superior", "(m)", 2},
             {8, nullptr, "inferior", "(m)"},
             {5, "prof. clave", "sup.", "(m)", 2},
             {5, nullptr, "inf.", "(m)"},
             {5, "camar.caid", "altur", "(m)", 2},
             {4, nullptr, "diam", "(mm)"},
             kObservations},
            [&x, nameWidth](int record, TramoT& t, bool removed) {
                return PhysicalRow(x, nameWidth, record, t, removed);
            }};
}

Table SwmmHydraulic(const Context& x) {
    return {{{5, "", "linea", ""},
             {7, "t r a m o", "de", "", 2},
             {7, nullptr, "a", ""},
             MaximumFlowColumn(x),
             MinimumFlowColumn(x),
             {6, "", "<n>", ""},
             {6, "con-", "ducto", "(mm)"},
             {6, "pen-", "diente", "(%)"},
             {4, "Max.", "q/Q", ""},
             {4, "Max.", "y/do", ""},
             {8, "vel.real", "maxima", "(m/s)"},
             {8, "caudal", "lleno", "(l/s)"},
             {5, "inundacion", "nodo", "sup.", 2},
             {5, nullptr, "nodo", "inf."},
             kObservations},
            [&x](int record, TramoT& t, bool removed) {
                return SwmmHydraulicRow(x, record, t, removed);
            }};
}

Table SanitaryFlows(const Context& x) {
    const bool lengths = DesignClass(x) == 1;
    const char* unit = lengths ? "l/s/Hm." : "l/s/Ha.";
    return {{{5, "", "linea", ""},
             {5, "t r a m o", "de", "", 2},
             {5, nullptr, "a", ""},
             {4, "zona", "#", ""},
             {8, "valores unitarios", "a.negras", unit, 3},
             {8, nullptr, "inf + CE", unit},
             {8, nullptr, "densidad", lengths ? "hab/Hm." : "hab/Ha."},
             {7, "valores en ruta", lengths ? "Ltribut" : "area", lengths ? "(Hm.)" : "(Has.)", 2},
             {8, nullptr, "caudal", "(l/s)"},
             {8, "valores acumulados", "a.negras", "(l/s)", 3},
             {8, nullptr, "otros", "(l/s)"},
             {8, nullptr, "poblac.", "(hab.)"},
             {6, "coef.", "horar.", ""},
             {8, "caudal de diseno", "maximo", "(l/s)", 2},
             {8, nullptr, "minimo", "(l/s)"},
             {7, "indice", "Pomeroy", ""}},
            [&x](int record, TramoT& t, bool) { return SanitaryRow(x, record, t); }};
}

Table StormFlows(const Context& x) {
    return {{{5, "", "#", ""},
             {5, "t r a m o", "de", "", 2},
             {5, nullptr, "a", ""},
             {8, "area tramo", "real", "(Has)", 3},
             {6, nullptr, "coef.", ""},
             {8, nullptr, "equiv.", "(Has)"},
             {10, "area acumulada", "real", "(Has)", 2},
             {10, nullptr, "equiv.", "(Has)"},
             {8, "tiempo concent.", "origen", "(min)", 2},
             {8, nullptr, "tramo", "(min)"},
             {5, "intensidad", "frec.", "anos", 2},
             {8, nullptr, "intens.", "(l/s/Ha)"},
             {6, "aguas lluvias", "factor", "reduc.", 2},
             {9, nullptr, "caudal", "(l/s)"},
             {11, "s.combinado", "Qmax.diseño", "(sanit+plu)"}},
            [&x](int record, TramoT& t, bool) { return StormRow(x, record, t); }};
}

// ---- Energy junctions ----

std::vector<Column> JunctionColumns() {
    return {{5, "", "linea", ""},
            {5, "tramo arriba", "de", "", 2},
            {7, nullptr, "a", "entrada"},
            {6, "tramo abajo", "de", "salida", 2},
            {6, nullptr, "a", ""},
            {7, "empalme de bateas", "cota", "entrada", 3},
            {7, nullptr, "cota", "salida"},
            {5, nullptr, "Dif.", "H1>=0"},
            {7, "velocidad real", "tuberia", "entrada", 2},
            {7, nullptr, "tuberia", "salida"},
            {7, "empalme de energia", "entrada", "inicial", 5},
            {5, nullptr, "perd.", ""},
            {7, nullptr, "entrada", "final"},
            {7, nullptr, "energia", "salida"},
            {5, nullptr, "Dif.", "H2>=0"},
            {6, "ducto", "tramo", "arriba"},
            {3, "cla", "se", ""},
            {2, "ok", "", ""}};
}

std::string JunctionRow(const Context& x, int record, TramoT& t, TramoT& r) {
    const double limit = x.session.project.espec.EnergyJunctionDiameter;
    const bool excluded = !(r.Diameter > limit);
    const double in = Usable(JunctionInvertIn(t)) ? JunctionInvertIn(t) : InvertDown(t);
    const double out = Usable(JunctionInvertOut(t)) ? JunctionInvertOut(t) : InvertUp(r);
    double drop = InvertDrop(t);
    if (!Usable(drop) && Usable(in) && Usable(out)) drop = Round2(in - out) + 0.001;
    std::string s = Line(record) + cells::Name(t.Upstream, 5) + cells::Name(t.Downstream, 7) +
                    cells::Name(r.Upstream, 6) + cells::Name(r.Downstream, 6);
    s += Number(in, "####.##", kDash7);
    s += Number(out, "####.##", kDash7);
    s += Number(drop, "##.##", kDash5);
    s += Number(RealVelocity(t), " ##.## ", kDash7);
    s += Number(RealVelocity(r), " ##.## ", kDash7);
    s += Number(TributaryEnergy(t), "####.##", kDash7);
    s += Number(JunctionLoss(t), " #.##", kDash5);
    s += Number(EnergyLeft(t), "####.##", kDash7);
    s += Number(ReceiverEnergy(t), "####.##", kDash7);
    s += Number(EnergySurplus(t), "##.##", kDash5);
    s += cells::Size(x.copy.criteria, t.Diameter);
    const char* code = "";
    if (excluded)
        code = "DE";
    else if (JunctionMark(t) == 2)
        code = "EE";
    else if (t.Class == network::kClassExisting)
        code = "TE";
    else if (t.Class == network::kClassRestricted)
        code = "TR";
    else if (t.Class == network::kClassNotInvestigated)
        code = "NI";
    const bool invertsMeet = !std::isfinite(drop) || drop >= 0;
    const bool energyMeets =
        excluded || ((!std::isfinite(EnergySurplus(t)) || EnergySurplus(t) >= 0) &&
                     (!std::isfinite(InletMargin(t)) || InletMargin(t) >= 0));
    const bool meets = invertsMeet && energyMeets;
    const std::string classCell = *code ? std::string(" ") + code : (meets ? "" : ".?.");
    s += cells::Text(classCell, 3);
    s += cells::Text(meets ? "OK" : "?.", 2);
    return s;
}

// ---- Initial manholes added ----

namespace {
constexpr const char* kManholeGap = "           ";  // eleven blanks
constexpr char kLine = static_cast<char>(196);

std::string Rule(char left, char middle, char split, char right) {
    return left + std::string(7, kLine) + middle + std::string(7, kLine) + split +
           std::string(7, kLine) + right;
}

std::string ThreeTimes(const std::string& box) {
    return box + kManholeGap + box + kManholeGap + box;
}
}  // namespace

std::vector<std::string> AddedManholeHeading() {
    const std::string caption = kBar + std::string(" linea ") + kBar + " t  r  a  m  o " + kBar;
    return {ThreeTimes(Rule(static_cast<char>(218), static_cast<char>(194), kLine,
                            static_cast<char>(191))),
            ThreeTimes(caption),
            ThreeTimes(Rule(static_cast<char>(195), static_cast<char>(197), static_cast<char>(194),
                            static_cast<char>(180)))};
}

std::string AddedManholeBottom() {
    return ThreeTimes(Rule(static_cast<char>(192), static_cast<char>(193), static_cast<char>(193),
                           static_cast<char>(217)));
}

std::string AddedManholeRow(const std::vector<const network::TramoT*>& entries,
                            const std::vector<int>& lines) {
    std::string row;
    for (size_t k = 0; k < 3; ++k) {
        if (k > 0) row += kManholeGap;
        if (k < entries.size() && entries[k]) {
            const std::string picture =
                kBar + std::string(" ####  ") + kBar + " \\   \\ " + kBar + " \\   \\ " + kBar;
            row += listings::FormatLine(picture,
                                        {lines[k], entries[k]->Upstream, entries[k]->Downstream});
        } else {
            row += kBar + std::string("  ---  ") + kBar + "  ---  " + kBar + "  ---  " + kBar;
        }
    }
    return row;
}

}  // namespace nivex::design::tables
