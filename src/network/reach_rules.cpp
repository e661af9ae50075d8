#include "network/reach_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "console/codepage.h"

namespace nivex::network {
namespace {

const std::string kGiveData = "ERROR...Debe introducir el dato";
const std::string kNotSectorised = "ERROR...Opcion Invalida. Este proyecto no maneja sectores";
const std::string kNotCommercial = "ERROR...Diametro comercial no incluido";
const std::string kIncomplete = "...Informacion errada o incompleta";

// Values compare as the floats they are stored as.
float F(double v) {
    return static_cast<float>(v);
}

std::string Between1And(int count) {
    return "ERROR...Usar entre 1 y " + std::to_string(count);
}

using console::CampoT;

CampoT Limited(CampoT f, const char* least, const char* most) {
    f.minimum = least;
    f.maximum = most;
    return f;
}

CampoT Name(const std::string& prompt, int row) {
    CampoT f = Campo(prompt, row, 'S', static_cast<int>(kNameLength), 0);
    f.upperCase = true;
    return f;
}

std::string RightAligned(int value, size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

bool ClassWithCrowns(int screenClass) {
    return screenClass == kClassExisting || screenClass == kClassRestricted;
}

bool InSections(const specs::EspecT& e, double d, bool pipesOnly) {
    for (const auto& s : specs::Sections(e))
        if ((!pipesOnly || !s.duct) && s.size == F(d)) return true;
    return false;
}

std::string Fixed3(double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
    return std::string(buf, r.ptr);
}

}  // namespace

console::CampoT Campo(const std::string& prompt, int row, char type, int width, int decimals,
                      int column) {
    console::CampoT f;
    f.prompt = cp(prompt);
    f.row = static_cast<int16_t>(row);
    f.column = static_cast<int16_t>(column);
    f.type = type;
    f.width = static_cast<int16_t>(width);
    f.decimals = static_cast<int16_t>(decimals);
    return f;
}

std::array<CampoT, kReachFieldCount + 1> ReachFieldDescriptors(const ReachContext& c) {
    std::array<CampoT, kReachFieldCount + 1> f;
    f[kFieldLine] = Campo("============================> LINEA # :", 2, 'I', 5, 0);
    f[kFieldUpstream] = Name("TRAMO < DE > :", 3);
    f[kFieldDownstream] = Name("TRAMO < A  > :", 4);
    f[kFieldZone] =
        Limited(Campo("Zona sanitaria tramo ( 1 a " +
                          RightAligned(static_cast<int>(c.espec.ZoneCount), 2) + ")        :",
                      5, 'I', 2, 0),
                "0", "15");
    std::string rain = "Tipo ecuacion pluvial ( 1 a #)        :";
    switch (RainFieldForm(c)) {
        case RainField::RasZone:
            rain = "Zona [Resid.=0 Comerc. o Indust.=1]";
            break;
        case RainField::Series:
            rain =
                "Tipo serie hietogramas Swmm ( 1 a " + std::to_string(RainFieldCount(c)) + ")  :";
            break;
        default:
            rain =
                "Tipo ecuacion pluvial ( 1 a " + std::to_string(RainFieldCount(c)) + ")        :";
            break;
    }
    f[kFieldRain] = Limited(Campo(rain, 6, 'I', 1, 0), "0", "5");
    f[kFieldContribution] =
        Limited(Campo("Aporte [1=sanit. 2=combin. 3=pluvial] :", 7, 'I', 1, 0), "0", "3");
    f[kFieldGroundUp] = Campo("Cota rasante superior (m) ........... :", 8, 'R', 7, 2);
    f[kFieldGroundDown] = Campo("Cota rasante inferior (m) ........... :", 9, 'R', 7, 2);
    f[kFieldLength] = Campo("     Longitud del tramo (m) ......... :", 10, 'R', 7, 2);
    f[kFieldArea] =
        Limited(Campo("     Area del tramo (Has) ........... :", 11, 'R', 7, 2), "0", "");
    // 4 is "De otro sector": the class rule refuses it with its own messages.
    f[kFieldClass] = Limited(
        Campo("[0=nuevo 1=existente 2=restringido 3=no investigado]  :", 12, 'I', 1, 0), "0", "4");
    f[kFieldCrownUp] = Campo("Cota clave superior (m) ............. :", 13, 'R', 7, 2);
    f[kFieldDiameter] = Campo("     Diametro del tubo (mm)           :", 14, 'R', 6, 0);
    f[kFieldSlope] =
        Limited(Campo("     Pendiente del tubo (%)           :", 15, 'R', 7, 3), "0", "999");
    f[kFieldCrownDown] = Campo("Cota clave inferior (m) ............. :", 16, 'R', 7, 2);
    f[kFieldManningN] = Campo("     Coeficiente (n) de Manning       :", 17, 'R', 6, 4);
    f[kFieldSpecialData] = Campo("[   ENTRAR DATOS ESPECIALES (S/N)   ] :", 18, 'S', 1, 0);
    f[kFieldSpecialData].upperCase = true;
    f[kFieldSpecialData].maximum = "SN";
    f[kFieldIndustrialVelocity] = Campo("  V.Min.Real Indust. (m/s)RAS :", 19, 'R', 4, 2);
    f[kFieldMinimumDepth] = Campo("  Profundidad minima tramo (m):", 20, 'R', 7, 2);
    f[kFieldPointFlow] = Campo("  Caudal puntual l/s)         :", 21, 'R', 7, 2);
    f[kFieldFutureArea] = Limited(
        Campo(c.kind() == 1 ? "  Area futura sanitaria (Hmts):" : "  Area futura sanitaria (Has) :",
              22, 'R', 7, 2),
        "0", "");
    f[kFieldStormArea] = Limited(Campo("  Area adic.pluvial (Has):", 19, 'R', 7, 2, 42), "0", "");
    f[kFieldStormAreaTime] = Campo("  Tiempo area adic.(min) :", 20, 'R', 7, 2, 42);
    f[kFieldRunoff] = Campo("  Coef. de escorrentia   :", 21, 'R', 4, 2, 42);
    f[kFieldReliefFactor] = Campo("  Factor alivio (#.#)    :", 22, 'R', 3, 1, 42);
    f[kFieldType] = Limited(
        Campo("Tipo  [0=red 1=emisario 2=vertimiento 3=e. de bombeo] :", 23, 'I', 1, 0), "0", "4");
    f[kFieldInPointFlow] = Campo(" Caudal puntual(l/s)                  :", 14, 'R', 7, 2);
    f[kFieldInDiameter] = Campo(" Diametro del tubo (mm)               :", 15, 'R', 6, 0);
    f[kFieldInCrownDown] = Campo(" Cota clave inferior (m)              :", 16, 'R', 7, 2);
    f[kFieldInFlow] = Campo(" Aguas negras acumuladas (l/s)        :", 17, 'R', 7, 2);
    f[kFieldInInfiltration] = Campo(" Infil.+ C.E. acumuladas (l/s)        :", 18, 'R', 7, 2);
    f[kFieldInPopulation] = Campo(" Poblacion acumulada (habitantes)     :", 19, 'R', 7, 0);
    f[kFieldInRealArea] =
        Limited(Campo(" Area real acumulada (Has)            :", 20, 'R', 7, 2), "0", "");
    f[kFieldInEquivalentArea] =
        Limited(Campo(" Area equivalente acumulada (Has)     :", 21, 'R', 7, 2), "0", "");
    f[kFieldInOriginTime] = Campo(" Tiempo concentracion origen (min)    :", 22, 'R', 7, 2);
    f[kFieldInReachTime] = Campo(" Tiempo concentracion tramo (min)     :", 23, 'R', 7, 2);
    f[kFieldSourceSector] = Limited(Campo(" Sector No.:", 13, 'I', 1, 0, 60), "0", "9");
    f[kFieldDestinationSector] = Limited(Campo(" Sector No.:", 23, 'I', 1, 0, 60), "0", "9");
    return f;
}

RainField RainFieldForm(const ReachContext& c) {
    if (c.espec.RasRainfallModel == 1 && c.kind() >= 3) return RainField::RasZone;
    if (c.designClass >= 3 && c.designClass <= 7 && c.espec.EquationCount > 1)
        return RainField::Equation;
    if ((c.designClass == 8 || c.designClass == 9) && c.espec.SeriesCount > 1)
        return RainField::Series;
    return RainField::None;
}

int RainFieldCount(const ReachContext& c) {
    switch (RainFieldForm(c)) {
        case RainField::Equation:
            return static_cast<int>(c.espec.EquationCount);
        case RainField::Series:
            return c.espec.SeriesCount;
        default:
            return 0;
    }
}

bool FieldApplies(int field, const TramoT& t, const ReachContext& c) {
    const int k = c.kind();
    const int cls = t.Class;
    const bool normalGroup = cls >= kClassNew && cls <= kClassNotInvestigated;
    const bool otherSector = cls == kScreenClassOtherSector;
    if (field >= kFieldCrownUp && field <= kFieldReliefFactor && !normalGroup) return false;
    if (field >= kFieldInPointFlow && field <= kFieldSourceSector && !otherSector) return false;
    switch (field) {
        case kFieldLine:
        case kFieldGroundUp:
        case kFieldGroundDown:
        case kFieldLength:
        case kFieldClass:
        case kFieldSpecialData:
        case kFieldIndustrialVelocity:
        case kFieldInPointFlow:
        case kFieldInDiameter:
        case kFieldInCrownDown:
        case kFieldSourceSector:
            return true;
        case kFieldUpstream:
        case kFieldDownstream:
        case kFieldType:
            return !c.fromSwmm;
        case kFieldZone:
            return k != 4 && c.espec.ZoneCount > 1;
        case kFieldRain:
            return RainFieldForm(c) != RainField::None;
        case kFieldContribution:
            return k == 5;
        case kFieldArea:
            return k != 1;
        case kFieldCrownUp:
        case kFieldCrownDown:
            return cls != kClassNew;
        case kFieldDiameter:
            return cls != kClassNew;
        case kFieldSlope:
            return ClassWithCrowns(cls);
        case kFieldManningN:
            return cls == kClassExisting || cls == kClassNotInvestigated;
        case kFieldMinimumDepth:
            return cls == kClassNew;
        case kFieldPointFlow:
        case kFieldFutureArea:
            return k != 4;
        case kFieldStormArea:
        case kFieldRunoff:
            return k >= 3;
        case kFieldStormAreaTime:
            return k >= 3 && t.StormArea > 0;
        case kFieldReliefFactor:
            return k == 3 || k == 5;
        case kFieldInFlow:
        case kFieldInInfiltration:
        case kFieldInPopulation:
            return k != 4;
        case kFieldInRealArea:
        case kFieldInEquivalentArea:
        case kFieldInOriginTime:
        case kFieldInReachTime:
            return k >= 3;
        case kFieldDestinationSector:
            return t.Type == kScreenTypeToSector;
        default:
            return false;
    }
}

int GroupFirst(const TramoT& t) {
    return t.Class == kScreenClassOtherSector ? kFieldType : kFieldCrownUp;
}

int GroupLast(const TramoT& t) {
    return t.Class == kScreenClassOtherSector ? kFieldSourceSector : kFieldType;
}

bool IndustrialVelocityEditable(const ReachContext& c) {
    return c.kind() == 1 || c.kind() == 2 || c.kind() == 5;
}

bool AcceptedDiameters::contains(double d) const {
    return std::find(sizes_.begin(), sizes_.end(), F(d)) != sizes_.end();
}

void AcceptedDiameters::accept(double d) {
    if (!contains(d) && sizes_.size() < kCapacity) sizes_.push_back(F(d));
}

// ---- Line ----

int NextFreeLine(const ReachContext& c) {
    return std::min(c.lineCount + 1, kMaxLines);
}

int ClampLine(int typed, const ReachContext& c) {
    const int last = c.fromSwmm ? std::max(c.lineCount, 1) : NextFreeLine(c);
    return std::clamp(typed, 1, last);
}

std::string LineLimitStatus(const ReachContext& c) {
    if (c.lineCount < kMaxLines) return {};
    return "Se llego al mayor numero de lineas (" + std::to_string(kMaxLines) + ")";
}

std::string LineBeyondLimit(int typed) {
    if (typed <= kMaxLines) return {};
    return "ERROR...El mayor numero de tramos (lineas) es de " + std::to_string(kMaxLines);
}

// ---- Names ----

std::optional<std::string> ManholeName(std::string_view typed) {
    if (typed.empty() || typed.size() > kNameLength) return std::nullopt;
    if (typed.front() == ' ' || typed.back() == ' ') return std::nullopt;
    for (unsigned char ch : typed)
        if (ch < 0x20 || ch == 0x7f) return std::nullopt;
    return upper(typed);
}

std::string UpstreamRule(const std::string& name, bool leavingBack) {
    return name.empty() && !leavingBack ? kGiveData : std::string();
}

std::string DownstreamRule(const std::string& upstream, const std::string& name, bool leavingBack) {
    if (name.empty()) return leavingBack ? std::string() : kGiveData;
    if (name == upstream) return "ERROR...Nomenclatura incorrecta";
    return {};
}

// ---- Zone, field 5, contribution ----

std::string ZoneRule(double zone, const ReachContext& c, bool leavingUp) {
    const int zones = static_cast<int>(c.espec.ZoneCount);
    if (F(zone) == 0 && leavingUp) return {};
    if (F(zone) < 1 || F(zone) > zones) return Between1And(zones);
    return {};
}

std::string RainRule(double value, const ReachContext& c, bool leavingUp) {
    const RainField form = RainFieldForm(c);
    if (form == RainField::None) return {};
    if (form == RainField::RasZone)
        return F(value) == 0 || F(value) == 1 ? std::string() : "ERROR...Usar Cero o Uno";
    if (F(value) == 0 && leavingUp) return {};
    const int count = RainFieldCount(c);
    if (F(value) < 1 || F(value) > count) return Between1And(count);
    return {};
}

std::string ContributionRule(int value) {
    return value < 1 ? "ERROR...Usar minimo 1" : "";
}

// ---- Grounds, length ----

std::string GroundUpRule(double v) {
    return F(v) == 0 ? "ERROR...Introduzca Cota Rasante Superior" : "";
}

std::string GroundDownRule(double v) {
    return F(v) == 0 ? "ERROR...Introduzca Cota Rasante Inferior" : "";
}

std::string LengthRule(double v) {
    return F(v) > 0 ? "" : "ERROR...Introduzca la longitud";
}

// ---- Class ----

FieldResult ClassRule(int value, const ReachContext& c) {
    if (value != kScreenClassOtherSector) return {};
    if (!c.sectorised()) return {kNotSectorised};
    if (c.sector == 1) return {"ERROR...El sector 1 no admite la opcion: 4=De otro sector"};
    return {{}, ReachAsk::SourceSector};
}

std::string ApplyClass(TramoT& t, int former, int value) {
    if (value != kClassNew) t.MinimumDepth = 0;
    if (former == kScreenClassOtherSector && value != kScreenClassOtherSector) {
        t.Diameter = 0;
        t.CrownUp = 0;
        t.CrownDown = 0;
        t.Slope = 0;
        t.ManningN = 0;
    }
    if (value != kScreenClassOtherSector) {
        t.InFlow = 0;
        t.InInfiltration = 0;
        t.InPopulation = 0;
        t.InRealArea = 0;
        t.InEquivalentArea = 0;
        t.InOriginTime = 0;
        t.InReachTime = 0;
    } else {
        t.Type = kTypeNetwork;
    }
    t.Class = value;
    if (value == kClassNotInvestigated) t.Slope = 0;
    if (ClassWithCrowns(value) && value != former && t.Length > 0 && t.CrownUp != 0 &&
        t.CrownDown != 0) {
        const double slope = SlopeFromCrowns(t.CrownUp, t.CrownDown, t.Length);
        if (!SlopeIsNormal(slope)) {
            t.CrownUp = 0;
            t.CrownDown = 0;
            t.Slope = 0;
            return AbnormalSlope(slope);
        }
        t.Slope = F(slope);
    }
    return {};
}

// ---- Crowns, diameter, slope, Manning n ----

std::string CrownUpRule(const TramoT& t, double v) {
    if (t.Class == kClassNotInvestigated) return {};
    if (F(v) == 0) return "ERROR...Introduzca Cota Clave Superior";
    if (F(v) >= t.GroundUp) return "ERROR...Debe estar por debajo de la Cota Rasante Superior";
    return {};
}

std::string CrownDownRule(const TramoT& t, double v) {
    if (t.Class == kClassNotInvestigated) return {};
    if (F(v) == 0) return "ERROR...Introduzca Cota Clave Inferior";
    if (F(v) >= t.GroundDown) return "ERROR...Debe estar por debajo de la Cota Rasante Inferior";
    if (F(v) >= t.CrownUp) return "ERROR...La clave inferior debe ser menor que la superior";
    return {};
}

std::string AbnormalSlope(double slope) {
    return "ERROR...Pendiente anormal (" + Fixed3(slope) + " %) - reintroduzca datos";
}

void RecomputeSlope(TramoT& t) {
    if (ClassWithCrowns(t.Class) && t.Length > 0 && t.CrownUp != 0 && t.CrownDown != 0)
        t.Slope = F(SlopeFromCrowns(t.CrownUp, t.CrownDown, t.Length));
}

void ApplySlope(TramoT& t, double former, double value) {
    if (F(value) == 0) {
        t.Slope = 0;
        RecomputeSlope(t);
        return;
    }
    t.Slope = F(value);
    if (std::fabs(value - former) > 0.0001)
        t.CrownDown = F(CrownDownFromSlope(t.CrownUp, t.Length, value));
}

FieldResult DiameterRule(const TramoT& t, double d, const ReachContext& c,
                         const AcceptedDiameters& accepted, bool leavingUp) {
    if (F(d) == 0 && leavingUp) return {};
    switch (t.Class) {
        case kClassExisting:
            if (F(d) < 145 || F(d) > 9000)
                return {"ERROR...Diametro no puede ser menor de 145 mm o mayor de 9000 mm"};
            if (!InSections(c.espec, d, false) && !accepted.contains(d))
                return {{}, ReachAsk::AcceptDiameter};
            return {};
        case kClassNotInvestigated:
            if (F(d) > 9000) return {"ERROR...Diametro no puede ser mayor de 9000 mm"};
            return {};
        case kClassRestricted:
            if (!InSections(c.espec, d, false)) return {kNotCommercial};
            return {};
        default:
            return {};
    }
}

std::string ManningNRule(double n) {
    if (F(n) >= 0.009f && F(n) <= 0.015f) return {};
    return "ERROR...El coeficiente de Manning debe ser mayor de 0.008 y menor de 0.016";
}

// ---- Special data ----

bool SpecialDataAnswer(char answer) {
    return answer == 'S' || answer == 'N';
}

std::string IndustrialVelocityRule(double v, const ReachContext& c) {
    if (!IndustrialVelocityEditable(c))
        return F(v) == 0 ? std::string() : "ERROR...El Valor debe ser cero ";
    if (F(v) == 0 || (F(v) >= 0.5f && F(v) <= 1.0f)) return {};
    return "ERROR...El Valor debe estar comprendido entre 0.50 y 1.00 o ser Cero)";
}

void ApplyStormArea(TramoT& t) {
    if (t.StormArea == 0) t.StormAreaTime = 0;
}

// ---- Type and sectors ----

FieldResult TypeRule(int value, const ReachContext& c) {
    if (value != kScreenTypeToSector) return {};
    if (!c.sectorised()) return {kNotSectorised};
    // Sector 9, or the last sector the project has so far: no sector after it to go to.
    if (c.sector >= c.lastSector)
        return {"ERROR...El sector " + std::to_string(c.sector) +
                " es el ultimo y no admite ir a otro sector"};
    return {{}, ReachAsk::DestinationSector};
}

void ApplyType(TramoT& t, int value) {
    t.Type = value;
    if (value == kScreenTypeToSector && t.Class == kScreenClassOtherSector) t.Class = kClassNew;
}

std::string SourceSectorRule(int sector, const ReachContext& c) {
    if (sector < c.sector) return {};
    return "ERROR...Debe ser menor que el sector corriente (" + std::to_string(c.sector) + ")";
}

std::string DestinationSectorRule(int sector, const ReachContext& c) {
    if (sector <= c.sector)
        return "ERROR...Debe ser mayor que el sector corriente (" + std::to_string(c.sector) + ")";
    if (sector > c.lastSector)
        return "ERROR...No existe el sector " + std::to_string(sector) + " en este proyecto";
    return {};
}

void SettleSector(TramoT& t) {
    if (t.Sector == 0 && (t.Class == kScreenClassOtherSector || t.Type == kScreenTypeToSector))
        t.Sector = 1;
}

// ---- Class-4 data ----

std::string InDiameterRule(double d, const ReachContext& c) {
    return InSections(c.espec, d, true) ? "" : kNotCommercial;
}

std::string InEquivalentAreaRule(double equivalent, double real) {
    if (F(equivalent) > F(real)) return "ERROR...No puede ser mayor que el area real acumulada";
    return {};
}

// ---- Search ----

bool NamesMatch(const IndiceTramoT& entry, const std::string& upstream,
                const std::string& downstream) {
    if (upstream.empty() && downstream.empty()) return false;
    if (upstream.empty()) return entry.Downstream == downstream;
    if (downstream.empty()) return entry.Upstream == upstream;
    return entry.Upstream == upstream && entry.Downstream == downstream;
}

int FindReachLine(const std::vector<IndiceTramoT>& index, const std::string& upstream,
                  const std::string& downstream, int current) {
    const int last = static_cast<int>(index.size());
    auto matches = [&](int line) {
        return line >= 1 && line <= last &&
               NamesMatch(index[static_cast<size_t>(line - 1)], upstream, downstream);
    };
    for (int line = current + 1; line <= last; ++line)
        if (matches(line)) return line;
    for (int line = std::min(current - 1, last); line >= 1; --line)
        if (matches(line)) return line;
    return matches(current) ? current : 0;
}

// ---- Whole reach ----

std::vector<ReachProblem> WholeReachCheck(const TramoT& t, const ReachContext& c) {
    std::vector<ReachProblem> out;
    const int k = c.kind();
    const bool crowns = ClassWithCrowns(t.Class);

    const int zones = static_cast<int>(c.espec.ZoneCount);
    if (k != 4 && zones > 1 && (t.SanitaryZone < 1 || t.SanitaryZone > zones))
        out.push_back({kFieldZone, kIncomplete});
    // The number is asked only when field 5 is not the RAS zone.
    const RainField form = RainFieldForm(c);
    if (k > 2 && (form == RainField::Equation || form == RainField::Series) &&
        (t.RainNumber < 1 || t.RainNumber > RainFieldCount(c)))
        out.push_back({kFieldRain, kIncomplete});
    if (k == 5 && t.Contribution == 0) out.push_back({kFieldContribution, kIncomplete});
    if (crowns) {
        if (t.CrownUp == 0) out.push_back({kFieldCrownUp, kIncomplete});
        if (t.Diameter == 0) out.push_back({kFieldDiameter, kIncomplete});
        if (t.CrownDown == 0) out.push_back({kFieldCrownDown, kIncomplete});
    }
    if (t.GroundUp == 0) out.push_back({kFieldGroundUp, kIncomplete});
    if (t.GroundDown == 0) out.push_back({kFieldGroundDown, kIncomplete});
    if (t.Length == 0) out.push_back({kFieldLength, kIncomplete});

    if (t.Upstream.empty() || t.Downstream.empty() || t.Upstream == t.Downstream)
        out.push_back({t.Upstream.empty() ? kFieldUpstream : kFieldDownstream, "...nomenclatura"});
    if (crowns && !(t.GroundUp > t.CrownUp)) out.push_back({kFieldCrownUp, "...prof.nudo(s)"});
    if (crowns && !(t.GroundDown > t.CrownDown))
        out.push_back({kFieldCrownDown, "...prof.nudo(i)"});
    else if (t.Class == kScreenClassOtherSector && t.CrownDown == 0)
        out.push_back({kFieldInCrownDown, "...prof.nudo(i)"});
    if (crowns && !(t.CrownUp > t.CrownDown)) out.push_back({kFieldSlope, "...pendiente"});
    return out;
}

std::string WholeReachMessage(const std::vector<ReachProblem>& problems) {
    if (problems.empty()) return {};
    std::string text;
    for (const auto& p : problems)
        if (p.message == kIncomplete) text = kIncomplete;
    if (text.empty())
        for (const auto& p : problems)
            text += p.message;
    return "ERROR => " + text + " => corrija!";
}

// ---- Values that were not typed ----

namespace {

// The entry values of a record, with the field that edits each and its name in messages.
struct EntryValue {
    float TramoT::* member;
    int field;
    const char* name;
};

const EntryValue kEntryValues[] = {
    {&TramoT::GroundUp, kFieldGroundUp, "la cota rasante superior"},
    {&TramoT::GroundDown, kFieldGroundDown, "la cota rasante inferior"},
    {&TramoT::Length, kFieldLength, "la longitud"},
    {&TramoT::ReliefFactor, kFieldReliefFactor, "el factor alivio"},
    {&TramoT::Area, kFieldArea, "el area"},
    {&TramoT::PointFlow, kFieldPointFlow, "el caudal puntual"},
    {&TramoT::CrownUp, kFieldCrownUp, "la cota clave superior"},
    {&TramoT::Diameter, kFieldDiameter, "el diametro"},
    {&TramoT::Slope, kFieldSlope, "la pendiente"},
    {&TramoT::CrownDown, kFieldCrownDown, "la cota clave inferior"},
    {&TramoT::StormArea, kFieldStormArea, "el area adicional pluvial"},
    {&TramoT::SanitaryZone, kFieldZone, "la zona sanitaria"},
    {&TramoT::MinimumDepth, kFieldMinimumDepth, "la profundidad minima"},
    {&TramoT::FutureArea, kFieldFutureArea, "el area futura sanitaria"},
    {&TramoT::ManningN, kFieldManningN, "el coeficiente de Manning"},
    {&TramoT::InFlow, kFieldInFlow, "las aguas negras acumuladas"},
    {&TramoT::InInfiltration, kFieldInInfiltration, "la infiltracion acumulada"},
    {&TramoT::InPopulation, kFieldInPopulation, "la poblacion acumulada"},
    {&TramoT::Runoff, kFieldRunoff, "el coeficiente de escorrentia"},
    {&TramoT::InRealArea, kFieldInRealArea, "el area real acumulada"},
    {&TramoT::InEquivalentArea, kFieldInEquivalentArea, "el area equivalente acumulada"},
    {&TramoT::StormAreaTime, kFieldStormAreaTime, "el tiempo del area adicional"},
    {&TramoT::InOriginTime, kFieldInOriginTime, "el tiempo de concentracion en el origen"},
    {&TramoT::InReachTime, kFieldInReachTime, "el tiempo de concentracion del tramo"},
    {&TramoT::RasZone, kFieldRain, "la zona RAS"},
    {&TramoT::IndustrialVelocity, kFieldIndustrialVelocity, "la velocidad minima industrial"},
};

// The whole numbers of a record and the values they may take as stored.
struct WholeValue {
    int TramoT::* member;
    int least, most;
    const char* name;
};

const WholeValue kWholeValues[] = {
    {&TramoT::Class, kClassNew, kClassNotInvestigated, "la clase"},
    {&TramoT::Type, kTypeNetwork, kTypeToSector, "el tipo"},
    {&TramoT::RainNumber, 0, 5, "la ecuacion o serie pluvial"},
    {&TramoT::Contribution, 0, 3, "el aporte"},
    {&TramoT::Sector, 0, 9, "el sector"},
};

std::string Shown(float v) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string("?");
}

// The fields' limits, which do not depend on the sector (their prompts do): fixed data,
// made once.
const std::array<CampoT, kReachFieldCount + 1>& FieldLimits() {
    static const std::array<CampoT, kReachFieldCount + 1> fields =
        ReachFieldDescriptors(ReachContext{});
    return fields;
}

// The magnitude below which a value fits the width of its field as the screen shows it.
double FieldBound(const CampoT& f) {
    const int decimals = f.decimals >= 6 ? 2 : std::max<int>(0, f.decimals);
    const int room = f.width - (decimals > 0 ? decimals + 1 : 0);
    return std::pow(10.0, std::max(room, 1)) - 0.5 * std::pow(10.0, -decimals);
}

}  // namespace

std::string FieldValueRule(int field, double value) {
    if (field < 1 || field > kReachFieldCount) return {};
    return console::validateFieldValue(FieldLimits()[static_cast<size_t>(field)],
                                       static_cast<float>(value));
}

std::string ReachRecordFault(const codec::Bytes& record) {
    for (size_t off : {size_t{0}, size_t{6}, size_t{440}, size_t{446}})
        if (codec::Byte(record, off) > kNameLength)
            return "el nombre de pozo de la posicion " + std::to_string(off) + " tiene " +
                   std::to_string(codec::Byte(record, off)) + " caracteres, mas de " +
                   std::to_string(kNameLength);
    TramoT t;
    Decode(record, t);
    for (const WholeValue& w : kWholeValues) {
        const int v = t.*w.member;
        if (v < w.least || v > w.most)
            return std::string(w.name) + " (" + std::to_string(v) + ") no es de " +
                   std::to_string(w.least) + " a " + std::to_string(w.most);
    }
    const auto& fields = FieldLimits();
    for (const EntryValue& e : kEntryValues) {
        const float v = t.*e.member;
        if (!std::isfinite(v)) return std::string(e.name) + " no es un numero (" + Shown(v) + ")";
        if (std::fabs(v) >= FieldBound(fields[static_cast<size_t>(e.field)]))
            return std::string(e.name) + " (" + Shown(v) + ") no cabe en su campo";
    }
    if (!(t.RemoveExisting == 0 || t.RemoveExisting == 1))
        return "la marca de quitar el tramo existente (" + Shown(t.RemoveExisting) +
               ") no es 0 ni 1";
    return {};
}

}  // namespace nivex::network
