// The checks of the revision on one reach record, and the lines and boxed tables of the
// three lists they fill.

#include <algorithm>
#include <cmath>

#include "console/codepage.h"
#include "design/design_driver.h"
#include "design/revision.h"
#include "listings/number_format.h"

namespace nivex::design {

using listings::FormatLine;
using network::TramoT;

namespace {

// Frame codes of the DOS code page (224 stands for the tee whose code is Ñ here).
constexpr char kBar = static_cast<char>(179);
constexpr char kDouble = static_cast<char>(205);
constexpr char kTopLeft = static_cast<char>(213);
constexpr char kTopRight = static_cast<char>(184);
constexpr char kTopTee = static_cast<char>(224);
constexpr char kLeftTee = static_cast<char>(198);
constexpr char kCross = static_cast<char>(216);
constexpr char kRightTee = static_cast<char>(181);
constexpr char kBottomLeft = static_cast<char>(212);
constexpr char kBottomTee = static_cast<char>(207);
constexpr char kBottomRight = static_cast<char>(190);

// A value read from a record: a non-finite one counts as 0.
double V(float v) {
    return std::isfinite(v) ? static_cast<double>(v) : 0.0;
}

// Record values by their meaning (the accessors take a mutable record).
double Q(const TramoT& t) {
    return V(t.Diseno.F92);
}
double Q0(const TramoT& t) {
    return V(t.Diseno.F112[0]);
}
double V0(const TramoT& t) {
    return V(t.Diseno.F112[1]);
}
double FlowRatio(const TramoT& t) {
    return V(t.Diseno.F112[2]);
}
double Real(const TramoT& t) {
    return V(t.Diseno.F128);
}
double DepthUpOf(const TramoT& t) {
    return V(t.Diseno.F140[0]);
}
double DepthDownOf(const TramoT& t) {
    return V(t.Diseno.F140[1]);
}
double ImposedOf(const TramoT& t) {
    return V(t.Diseno.F140[4]);
}
double ReferenceOf(const TramoT& t) {
    return V(t.Diseno.F184[0]);
}
double ChambersOf(const TramoT& t) {
    return V(t.Diseno.F184[1]);
}
double StormOf(const TramoT& t) {
    return V(t.Diseno.F244[2]);
}
double RelativeDepthOf(const TramoT& t) {
    return V(t.Diseno.F244[6]);
}
double FroudeOf(const TramoT& t) {
    return V(t.Diseno.F244[12]);
}
double SurplusOf(const TramoT& t) {
    return V(t.Diseno.F244[20]);
}
int Tributaries(const TramoT& t) {
    const int n = t.Diseno.I16[4];
    return n < 0 ? 0 : (n > 5 ? 5 : n);
}
double Trunc(double v) {
    return std::fabs(v) < 1e9 ? std::trunc(v) : 0.0;
}

bool StormOrRelief(const TramoT& t) {
    return StormOf(t) != 0 || V(t.ReliefFactor) != 0;
}

// Minimum slope of the reach's size: looked up among the entered sizes (the pipes and the
// first duct); a size not found takes the slope of the position after them.
double MinimumSlopeOf(const RevisionCriteria& c, double d) {
    const SizeList& sizes = c.hydraulics.sizes;
    const int last = std::min(sizes.firstDuct, sizes.count - 1);
    for (int k = 0; k <= last; ++k)
        if (std::fabs(static_cast<double>(sizes.size[static_cast<size_t>(k)]) - d) < 0.5)
            return sizes.minSlope[static_cast<size_t>(k)];
    const int after = last + 1;
    if (after >= 0 && after < sizes.count) return sizes.minSlope[static_cast<size_t>(after)];
    return specs::kDuctMinSlope;
}

void Add(std::vector<Finding>& out, int code, const char* picture,
         const std::vector<listings::FormatValue>& values) {
    out.push_back({code, FormatLine(picture, values)});
}

// One check of the deficiency table; the model classes run the marked ones.
void Check2(const RevisionCriteria&, const TramoT& t, std::vector<Finding>& out) {
    if (Tributaries(t) > 0 && V(t.ReliefFactor) == 0 && Trunc(ImposedOf(t)) > Trunc(V(t.Diameter)))
        Add(out, 2, "El diametro( #### mm) es menor que el de un tramo anterior( #### mm )",
            {static_cast<long>(Trunc(V(t.Diameter))), static_cast<long>(Trunc(ImposedOf(t)))});
}

void Check6(const RevisionCriteria& c, const TramoT& t, std::vector<Finding>& out) {
    const bool defaultDepth = V(t.MinimumDepth) < 0;
    const double up = Round2(DepthUpOf(t)), down = Round2(DepthDownOf(t));
    if (up < c.minMinCrownDepth && defaultDepth && ChambersOf(t) == 0)
        Add(out, 6, "La profundidad a clave del nudo superior ( ##.## m ) es insuficiente", {up});
    if (down < c.minMinCrownDepth && defaultDepth && t.Type != 2 && t.Type != 3)
        Add(out, 6, "La profundidad a clave del nudo inferior ( ##.## m ) es insuficiente", {down});
}

// A new reach deeper than desirable at an end not already listed as too deep is listed
// too: such a depth is never reached silently. The text leaves out the article of the
// lines above so that it fits its cell.
void Check7(const RevisionCriteria& c, const TramoT& t, std::vector<Finding>& out) {
    const double up = Round2(DepthUpOf(t)), down = Round2(DepthDownOf(t));
    const bool deepUp = up > c.maxCrownDepth;
    const bool deepDown = down > c.maxCrownDepth && t.Type != 2 && t.Type != 3;
    const bool fresh = t.Class == network::kClassNew;
    if (deepUp)
        Add(out, 7, "La profundidad a clave del nudo superior ( ##.## m ) es grande", {up});
    else if (fresh && DeeperThanDesirable(up, c.maxDesirableCrownDepth))
        Add(out, 7, "Profundidad a clave del nudo superior ( ##.## m ) supera la deseable", {up});
    if (deepDown)
        Add(out, 7, "La profundidad a clave del nudo inferior ( ##.## m ) es grande", {down});
    else if (fresh && DeeperThanDesirable(down, c.maxDesirableCrownDepth))
        Add(out, 7, "Profundidad a clave del nudo inferior ( ##.## m ) supera la deseable", {down});
}

void Check8(const RevisionCriteria&, const TramoT& t, std::vector<Finding>& out) {
    if (ChambersOf(t) > 0)
        Add(out, 8, "Falta(n) [## ] camara(s) de caida intermedia(s)", {Round2(ChambersOf(t))});
}

void Check9(const RevisionCriteria&, const TramoT& t, std::vector<Finding>& out) {
    const double s = Round2(V(t.Slope));
    const double up = V(t.CrownUp), down = V(t.CrownDown);
    if (s >= 0 && up > down) return;
    double shown = 0;
    if (up > down)
        shown = s;
    else if (up < down)
        // A reach without a length keeps its stored slope: the crowns give none.
        shown = V(t.Length) > 0 ? (up - down) * 100.0 / V(t.Length) : s;
    Add(out, 9, "La pendiente del tramo ( ###.### % ) no puede ser cero ni negativa", {shown});
}

void Check11(const RevisionCriteria&, const TramoT& t, std::vector<Finding>& out) {
    if (Tributaries(t) == 0 && ReferenceOf(t) - 0.005 > V(t.CrownUp))
        Add(out, 11, "Tramo inicial mas bajo ( ##.## m ) que otro. Poner pozo inicial nuevo",
            {ReferenceOf(t) - V(t.CrownUp)});
}

void Check12(const RevisionCriteria& c, const TramoT& t, std::vector<Finding>& out) {
    if (!c.slopePerDiameter) return;
    const double smin = MinimumSlopeOf(c, V(t.Diameter));
    if (smin - 0.01 > V(t.Slope))
        Add(out, 12, "Pendiente minima insuficiente ( ##.## % ) menor que ( ##.## % )",
            {V(t.Slope), smin});
}

// Table rules over the column widths: bars marks the column bars (between column k and
// k + 1 at k) that take a tee.
std::string Rule(const std::vector<int>& widths, const std::vector<bool>& bars, char left, char tee,
                 char right) {
    std::string s(1, left);
    for (size_t k = 0; k < widths.size(); ++k) {
        s += std::string(static_cast<size_t>(widths[k]), kDouble);
        if (k + 1 < widths.size()) s += bars[k] ? tee : kDouble;
    }
    return s + right;
}

// The text in the span of its cell, blanks after it.
std::string Fit(std::string_view text, int width) {
    std::string s(text.substr(0, static_cast<size_t>(width)));
    s.resize(static_cast<size_t>(width), ' ');
    return s;
}

// A heading row: each cell spans the given number of columns.
struct Cell {
    const char* text;
    int span = 1;
};

std::string HeadingRow(const std::vector<int>& widths, const std::vector<Cell>& cells) {
    std::string s(1, kBar);
    size_t k = 0;
    for (const Cell& c : cells) {
        int width = -1;
        for (int n = 0; n < c.span && k < widths.size(); ++n, ++k)
            width += widths[k] + 1;
        s += Fit(cp(c.text), width) + kBar;
    }
    return s;
}

// The bars of a heading row (after column k, for each k but the last).
std::vector<bool> BarsOf(const std::vector<int>& widths, const std::vector<Cell>& cells) {
    std::vector<bool> bars(widths.size(), false);
    size_t k = 0;
    for (const Cell& c : cells) {
        k += static_cast<size_t>(c.span);
        if (k >= 1 && k - 1 < bars.size()) bars[k - 1] = true;
    }
    return bars;
}

std::vector<bool> AllBars(size_t n) {
    return std::vector<bool>(n, true);
}

const std::vector<int> kProblemWidths = {5, 5, 5, 9, 9, 9, 9, 8, 7, 10, 10, 11};
const std::vector<int> kModelProblemWidths = {5, 5, 5, 9, 8, 7, 10, 10, 11};
const std::vector<int> kFindingWidths = {5, 5, 5, 9, 74};

const char* const kJunctionHeading = "    problemas de mal empalme medido por bateas    ";

std::vector<Cell> ProblemRow1(bool model) {
    if (model) return {{""}, {"   tramo   ", 2}, {"  clase  "}, {kJunctionHeading, 5}};
    return {{""},
            {"   tramo   ", 2},
            {"  clase  "},
            {"  problemas  de  capacidad   ", 3},
            {kJunctionHeading, 5}};
}

std::vector<Cell> ProblemRow2(bool model) {
    std::vector<Cell> row = {{"linea"}, {"  de "}, {"  a  "}, {"   de    "}};
    if (!model) row.insert(row.end(), {{" Q lleno "}, {"Q calculo"}, {" deficit "}});
    row.insert(row.end(), {{"      tramo anterior       ", 3}, {"   tramo corriente    ", 2}});
    return row;
}

std::vector<Cell> ProblemRow3(bool model) {
    std::vector<Cell> row = {{""}, {""}, {""}, {"  tramo  "}};
    if (!model) row.insert(row.end(), {{"  (l/s)  "}, {"  (l/s)  "}, {"  (l/s)  "}});
    row.insert(row.end(),
               {{"   de   "}, {"   a   "}, {"batea inf."}, {"batea sup."}, {"deficit (m)"}});
    return row;
}

const std::vector<Cell> kFindingRow1 = {
    {"linea"},
    {" t r a m o ", 2},
    {"c l a s e"},
    {"              d e s c r i p c i o n   d e l   p r o b l e m a             "}};
const std::vector<Cell> kFindingRow2 = {{""}, {"  de "}, {"  a  "}, {"t r a m o"}, {""}};

// "#### " line, the two manholes and the class, each cell opened by a bar.
std::string LineStart(int line, const TramoT& t) {
    const std::string bar(1, kBar);
    const std::string picture =
        bar + "#### " + bar + "\\   \\" + bar + "\\   \\" + bar + "\\       \\" + bar;
    return FormatLine(picture, {line, t.Upstream, t.Downstream, StateWord(t)});
}

}  // namespace

RevisionCriteria RevisionCriteriaOf(const specs::EspecT& e, const shell::ProyectoT& header) {
    RevisionCriteria c;
    c.hydraulics = CriteriaOf(e, header);
    c.designClass = c.hydraulics.designClass;
    c.modelClass = c.designClass >= 6;
    c.qfull = FlowRatioFromDepth(c.hydraulics, 1.0f);
    c.qfill = FlowRatioFromDepth(c.hydraulics, e.MaxFilling);
    c.stormMinFullVelocity = e.StormMinFullVelocity;
    c.sanitaryMinFullVelocity = e.SanMinFullVelocity;
    c.maxVelocity = e.MaxVelocity;
    c.minMinRealVelocity = e.SanMinMinRealVelocity;
    c.minMinCrownDepth = e.MinMinCrownDepth;
    c.maxCrownDepth = e.MaxCrownDepth;
    c.maxDesirableCrownDepth = e.MaxDesirableCrownDepth;
    c.avoidCriticalDiameter = e.AvoidCriticalDiameter;
    c.froudeLower = e.FroudeLower;
    c.froudeUpper = e.FroudeUpper;
    c.minMinTractive = static_cast<float>(e.SanMinMinTractive100) / 100.0f;
    c.energyJunctionDiameter = e.EnergyJunctionDiameter;
    c.ras2016 = header.Ras2016Model == 1;
    c.slopePerDiameter = header.SlopePerDiameter == 1;
    c.floodedNodes = e.FloodedNodes;
    c.surchargedNodes = e.SurchargedNodes;
    return c;
}

std::string StateWord(const TramoT& t) {
    if (t.Diseno.I50 == 2) return "empalmado";
    switch (t.Class) {
        case network::kClassNew:
            return "  nuevo  ";
        case network::kClassExisting:
            return "existente";
        case network::kClassRestricted:
            return "restring.";
        case network::kClassNotInvestigated:
            return "No invest";
        default:
            return "         ";
    }
}

std::vector<Finding> RevisionChecks(const RevisionCriteria& c, const TramoT& t) {
    std::vector<Finding> out;
    const bool storm = StormOrRelief(t);
    const double qallow = storm ? c.qfull : c.qfill;
    const double vfmin = storm ? c.stormMinFullVelocity : c.sanitaryMinFullVelocity;
    const double q = FlowRatio(t), v0 = Round2(V0(t));

    if (q - 0.005 > qallow && Round2(q - 0.001) <= 1)
        Add(out, 1, "El tubo trabaja demasiado lleno ( y/do = ####.## )",
            {Round2(RelativeDepthOf(t))});
    Check2(c, t, out);
    const double rasMinimum =
        c.ras2016 ? static_cast<double>(RasMinimumVelocity(c.hydraulics, t.Diameter)) : 0.0;
    if (v0 < vfmin - 0.001 || (c.ras2016 && rasMinimum - 0.01 > V0(t)))
        Add(out, 3, "La velocidad a tubo lleno ( ##.## m/s ) es mas baja que ( ##.## m/s )",
            {v0, c.ras2016 ? Round2(rasMinimum) : vfmin});
    if (v0 > c.maxVelocity + 0.001)
        Add(out, 4, "La velocidad a tubo lleno ( ##.## m/s ) es muy alta", {v0});
    if (Round2(Real(t)) < c.minMinRealVelocity - 0.001)
        Add(out, 5, "La velocidad real ( ##.## m/s) es muy baja", {Round2(Real(t))});
    Check6(c, t, out);
    Check7(c, t, out);
    Check8(c, t, out);
    Check9(c, t, out);
    const double tau = Round2(t.Diseno.I12 / 100.0);
    if (t.Diseno.I12 != 0 && c.avoidCriticalDiameter == 0 &&
        tau < Round2(static_cast<double>(c.minMinTractive)))
        Add(out, 10, "La fuerza tractiva ( ##.## Kg/m2 ) es baja", {tau});
    Check11(c, t, out);
    Check12(c, t, out);
    if (c.energyJunctionDiameter > 0 && SurplusOf(t) + 0.001 < 0 &&
        V(t.Diameter) > c.energyJunctionDiameter)
        Add(out, 13, "Mal empalme energia. Diferencia energia = ( ##.## m )", {SurplusOf(t)});
    return out;
}

std::vector<Finding> ModelClassChecks(const RevisionCriteria& c, const TramoT& t) {
    std::vector<Finding> out;
    Check2(c, t, out);
    Check6(c, t, out);
    Check7(c, t, out);
    Check8(c, t, out);
    Check9(c, t, out);
    Check11(c, t, out);
    Check12(c, t, out);
    return out;
}

int NewReachesWithDeficiencies(const RevisionCriteria& c, const std::vector<TramoT>& records,
                               int count) {
    int reaches = 0;
    const int last = std::min(count, static_cast<int>(records.size()));
    for (int k = 0; k < last; ++k) {
        const TramoT& t = records[static_cast<size_t>(k)];
        if (t.Class != network::kClassNew) continue;
        bool found = !RasChecks(c, t).empty();
        for (const Finding& f : c.modelClass ? ModelClassChecks(c, t) : RevisionChecks(c, t))
            found = found || (f.code != 7 && f.code != 8 && f.code != 11);
        if (found) ++reaches;
    }
    return reaches;
}

ReachFindings FindingsOf(const RevisionCriteria& c, const std::vector<TramoT>& records, int k) {
    ReachFindings f;
    const TramoT& t = records[static_cast<size_t>(k - 1)];
    const bool investigated = t.Class != network::kClassNotInvestigated;
    f.capacity = !c.modelClass && investigated && CapacityProblem(t);
    f.junctions = JunctionProblems(t, records);
    if (!investigated) return f;
    f.deficiencies = c.modelClass ? ModelClassChecks(c, t) : RevisionChecks(c, t);
    f.ras = RasChecks(c, t);
    return f;
}

std::vector<Finding> RasChecks(const RevisionCriteria& c, const TramoT& t) {
    std::vector<Finding> out;
    const double fr = FroudeOf(t);
    if (c.avoidCriticalDiameter > 0 && fr > c.froudeLower && fr < c.froudeUpper &&
        RelativeDepthOf(t) > 0.70)
        Add(out, 1, "El numero de Froude( ##.### %) esta dentro del rango a evitar", {fr});
    return out;
}

bool CapacityProblem(const TramoT& t) {
    return Q(t) - 0.1 > Q0(t);
}

std::vector<JunctionProblem> JunctionProblems(const TramoT& t, const std::vector<TramoT>& records) {
    std::vector<JunctionProblem> out;
    if (ChambersOf(t) != 0 || V(t.CrownUp) == 0 || Tributaries(t) == 0) return out;
    const double invert = Round2(V(t.CrownUp) - V(t.Diameter) / 1000.0);
    for (int k = 0; k < Tributaries(t); ++k) {
        const int record = t.Diseno.I16[static_cast<size_t>(5 + k)];
        if (record < 1 || record > static_cast<int>(records.size())) continue;
        const TramoT& u = records[static_cast<size_t>(record - 1)];
        if (V(u.CrownDown) == 0) continue;
        const double tributary = Round2(V(u.CrownDown) - V(u.Diameter) / 1000.0) + 0.01;
        if (invert - 0.005 > tributary)
            out.push_back({u.Upstream, u.Downstream, tributary, invert});
    }
    return out;
}

std::string CapacityLine(int line, const TramoT& t) {
    const std::string bar(1, kBar);
    const std::string picture = "#####.## " + bar + "#####.## " + bar + "#####.## " + bar +
                                " ---    " + bar + " ---   " + bar + "      --- " + bar +
                                "      --- " + bar + "       --- " + bar;
    return LineStart(line, t) + FormatLine(picture, {Q0(t), Q(t), Q0(t) - Q(t)});
}

std::string JunctionLine(int line, const TramoT& t, const JunctionProblem& j, bool modelClass) {
    const std::string bar(1, kBar);
    std::string picture;
    if (!modelClass) picture = "     --- " + bar + "     --- " + bar + "     --- " + bar;
    picture += " \\   \\  " + bar + " \\   \\ " + bar + "  ####.## " + bar + "  ####.## " + bar +
               "   ####.## " + bar;
    return LineStart(line, t) + FormatLine(picture, {j.upstream, j.downstream, j.tributaryInvert,
                                                     j.invert, Round2(j.deficit())});
}

std::string FindingLine(int line, const TramoT& t, const Finding& f) {
    std::string cell = " ... " + f.text;
    if (cell.size() < 74) cell.resize(74, ' ');
    return LineStart(line, t) + cell + kBar;
}

std::vector<std::string> ProblemHeading(bool modelClass) {
    const std::vector<int>& w = modelClass ? kModelProblemWidths : kProblemWidths;
    const std::vector<Cell> row1 = ProblemRow1(modelClass);
    return {Rule(w, BarsOf(w, row1), kTopLeft, kTopTee, kTopRight), HeadingRow(w, row1),
            HeadingRow(w, ProblemRow2(modelClass)), HeadingRow(w, ProblemRow3(modelClass)),
            Rule(w, AllBars(w.size()), kLeftTee, kCross, kRightTee)};
}

std::string ProblemBottom(bool modelClass) {
    const std::vector<int>& w = modelClass ? kModelProblemWidths : kProblemWidths;
    return Rule(w, AllBars(w.size()), kBottomLeft, kBottomTee, kBottomRight);
}

int ProblemTableWidth(bool modelClass) {
    return modelClass ? 80 : 110;
}

std::vector<std::string> FindingHeading() {
    const std::vector<int>& w = kFindingWidths;
    return {Rule(w, BarsOf(w, kFindingRow1), kTopLeft, kTopTee, kTopRight),
            HeadingRow(w, kFindingRow1), HeadingRow(w, kFindingRow2),
            Rule(w, AllBars(w.size()), kLeftTee, kCross, kRightTee)};
}

std::string FindingBottom() {
    const std::vector<int>& w = kFindingWidths;
    return Rule(w, BarsOf(w, kFindingRow1), kBottomLeft, kBottomTee, kBottomRight);
}

std::string ProblemTitle(bool modelClass) {
    return modelClass ? "< PROBLEMAS DE EMPALME >" : "< PROBLEMAS DE CAPACIDAD O EMPALME >";
}

std::string DeficiencyTitle() {
    return "< DEFICIENCIAS EN TRAMOS EXISTENTES O RESTRINGIDOS >";
}

std::string RasTitle() {
    return "< DEFICIENCIAS SEGUN NORMAS ESPECIALES RAS >";
}

int RevisionCounts::deficiencies() const {
    int sum = 0;
    for (int k = 1; k <= 13; ++k)
        sum += deficiency[static_cast<size_t>(k)];
    return sum;
}

}  // namespace nivex::design
