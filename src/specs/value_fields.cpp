#include "specs/value_fields.h"

#include <cmath>

#include "console/codepage.h"
#include "console/keys.h"
#include "specs/value_rules.h"

namespace nivex::specs::detail {
namespace {

constexpr int kColumn = kFieldColumn;

using Rule = std::function<std::string(const EspecT&, double&, bool)>;

ValueField Field(char type, const std::string& prompt, int column, int row, int width, int decimals,
                 int record, int offset, int index = -1) {
    ValueField f;
    f.campo.prompt = cp(prompt);
    f.campo.type = type;
    f.campo.column = static_cast<int16_t>(column);
    f.campo.row = static_cast<int16_t>(row);
    f.campo.width = static_cast<int16_t>(width);
    f.campo.decimals = static_cast<int16_t>(decimals);
    if (type != 'S') f.campo.minimum = "0";
    f.description = prompt;
    f.record = record;
    f.offset = offset;
    f.index = index;
    return f;
}

ValueField Real(const std::string& prompt, int row, int width, int decimals, int record, int offset,
                int column = kColumn) {
    return Field('R', prompt, column, row, width, decimals, record, offset);
}

ValueField Whole(const std::string& prompt, int row, int width, int record, int offset,
                 int column = kColumn) {
    return Field('I', prompt, column, row, width, 0, record, offset);
}

void Bind(ValueField& f, float EspecT::* member) {
    f.get = [member](const EspecT& e) { return static_cast<double>(e.*member); };
    f.put = [member](EspecT& e, double v) { e.*member = static_cast<float>(v); };
}

void Bind(ValueField& f, int EspecT::* member) {
    f.get = [member](const EspecT& e) { return static_cast<double>(e.*member); };
    f.put = [member](EspecT& e, double v) { e.*member = static_cast<int>(std::lround(v)); };
}

// kg/m² kept ×100 as an integer.
void BindHundredths(ValueField& f, int EspecT::* member) {
    f.get = [member](const EspecT& e) { return (e.*member) / 100.0; };
    f.put = [member](EspecT& e, double v) { e.*member = static_cast<int>(std::lround(v * 100)); };
}

template <class R>
Rule Plain(R rule) {
    return [rule](const EspecT&, double& v, bool) { return rule(v); };
}

template <class R>
Rule WithActive(R rule) {
    return [rule](const EspecT&, double& v, bool active) { return rule(active, v); };
}

bool NotZeroOnEntry(float EspecT::* member, const EspecT& e) {
    return e.*member != 0;
}

// ---- G and H share the pairs of tractive forces and real velocities ----
const char* const kMinMinTractive = "Fuerza tractiva minima minimorum (Kg/m2)  <0 = no>:";
const char* const kMinTractive = "Fuerza tractiva minima (Kg/m2) <0 = no especific.>:";
const char* const kMinMinVelocity = "Velocidad minima minimorum real (m/s)     <0 = no>:";
const char* const kMinVelocity = "Velocidad minima real (m/s)   <0 = no especificar>:";

// Leaving a minimum-minimorum field forward, or a minimum field backward, defers the
// pair check to the other member.
constexpr std::array<uint8_t, 2> kForward{key::Enter, key::Down};
constexpr std::array<uint8_t, 2> kBackward{key::Up, 0};

std::vector<ValueField> TractivePairs(int firstRow, bool sanitary) {
    std::vector<ValueField> out;
    ValueField minMinT = Real(kMinMinTractive, firstRow, 6, 2, 0, sanitary ? 34 : 274);
    ValueField minT = Real(kMinTractive, firstRow + 1, 6, 2, 0, sanitary ? 36 : 270);
    ValueField minMinV = Real(kMinMinVelocity, firstRow + 2, 6, 2, 0, sanitary ? 266 : 282);
    ValueField minV = Real(kMinVelocity, firstRow + 3, 6, 2, 0, sanitary ? 106 : 278);
    if (sanitary) {
        BindHundredths(minMinT, &EspecT::SanMinMinTractive100);
        BindHundredths(minT, &EspecT::SanMinTractive100);
        minMinT.active = [](const EspecT& e) { return e.SanMinMinTractive100 != 0; };
        minT.active = [](const EspecT& e) { return e.SanMinTractive100 != 0; };
        minMinT.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinMinTractive(a, v, e.SanMinTractive100 / 100.0);
        };
        minT.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinTractive(a, v, e.SanMinMinTractive100 / 100.0);
        };
        Bind(minMinV, &EspecT::SanMinMinRealVelocity);
        Bind(minV, &EspecT::SanMinRealVelocity);
        minMinV.active = [](const EspecT& e) {
            return NotZeroOnEntry(&EspecT::SanMinMinRealVelocity, e);
        };
        minV.active = [](const EspecT& e) {
            return NotZeroOnEntry(&EspecT::SanMinRealVelocity, e);
        };
        minMinV.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinMinRealVelocity(a, v, e.SanMinRealVelocity);
        };
        minV.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinRealVelocity(a, v, e.SanMinMinRealVelocity);
        };
    } else {
        Bind(minMinT, &EspecT::StormMinMinTractive);
        Bind(minT, &EspecT::StormMinTractive);
        minMinT.active = [](const EspecT& e) {
            return NotZeroOnEntry(&EspecT::StormMinMinTractive, e);
        };
        minT.active = [](const EspecT& e) { return NotZeroOnEntry(&EspecT::StormMinTractive, e); };
        minMinT.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinMinTractive(a, v, e.StormMinTractive);
        };
        minT.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinTractive(a, v, e.StormMinMinTractive);
        };
        Bind(minMinV, &EspecT::StormMinMinRealVelocity);
        Bind(minV, &EspecT::StormMinRealVelocity);
        minMinV.active = [](const EspecT& e) {
            return NotZeroOnEntry(&EspecT::StormMinMinRealVelocity, e);
        };
        minV.active = [](const EspecT& e) {
            return NotZeroOnEntry(&EspecT::StormMinRealVelocity, e);
        };
        minMinV.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinMinRealVelocity(a, v, e.StormMinRealVelocity);
        };
        minV.rule = [](const EspecT& e, double& v, bool a) {
            return rules::MinRealVelocity(a, v, e.StormMinMinRealVelocity);
        };
    }
    minMinT.relaxed = minMinV.relaxed = kForward;
    minT.relaxed = minV.relaxed = kBackward;
    for (ValueField* f : {&minMinT, &minT, &minMinV, &minV})
        out.push_back(std::move(*f));
    return out;
}

Rule DiameterRule() {
    return [](const EspecT& e, double& v, bool) {
        int nearest = 0;
        std::string message = rules::CommercialDiameter(e, v, &nearest);
        if (!message.empty() && nearest != 0) v = nearest;
        return message;
    };
}

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

// ---- F ----

std::vector<ValueField> GeneralFields(const EspecT& e) {
    std::vector<ValueField> f;
    const bool fromRoughness = rules::ManningFromRoughness(e);
    // Inactive fields of the Manning rows show 0 without decimals.
    const auto decimals = [](bool active, int d) { return active ? d : 0; };

    f.push_back(Real("Usar [n] variable con diam.- Rugosidad Absoluta de:", 4, 7,
                     decimals(fromRoughness, 4), 2, 494));
    Bind(f.back(), &EspecT::AbsoluteRoughness);
    f.back().active = rules::ManningFromRoughness;
    f.back().rule = WithActive(rules::Roughness);

    const auto fixedN = [](const EspecT& x) { return !rules::ManningFromRoughness(x); };
    f.push_back(Real("Coeficiente [ n ] de Manning para tuberia         :", 5, 6,
                     decimals(!fromRoughness, 3), 0, 42));
    Bind(f.back(), &EspecT::ManningN);
    f.back().active = fixedN;
    f.back().rule = WithActive(rules::ManningN);

    f.push_back(Real("... < Usar [ n ] anterior hasta diametro (mm) de >:", 6, 5, 0, 0, 330));
    Bind(f.back(), &EspecT::ManningLimitDiameter);
    f.back().active = fixedN;
    f.back().rule = [](const EspecT& x, double& v, bool a) {
        return rules::ManningLimitDiameter(x, a, v);
    };

    f.push_back(Real("......... < para diametros mayores usar [ n ] de >:", 7, 6,
                     decimals(!fromRoughness, 3), 0, 334));
    Bind(f.back(), &EspecT::ManningNLarge);
    f.back().active = fixedN;
    f.back().rule = WithActive(rules::ManningNLarge);

    struct Depth {
        const char* prompt;
        int offset;
        float EspecT::* member;
        std::string (*rule)(const EspecT&, double);
    };
    const std::array<Depth, 4> depths{{
        {"Profundidad minima minimorum a clave (m)          :", 94, &EspecT::MinMinCrownDepth,
         rules::MinMinCrownDepth},
        {"Profundidad minima a clave (m)                    :", 58, &EspecT::MinCrownDepth,
         rules::MinCrownDepth},
        {"Profundidad maxima deseable (m) < Preferir 5.00 > :", 74, &EspecT::MaxDesirableCrownDepth,
         rules::MaxDesirableCrownDepth},
        {"Profundidad maxima a clave (m)                    :", 62, &EspecT::MaxCrownDepth,
         rules::MaxCrownDepth},
    }};
    int row = 8;
    for (const Depth& d : depths) {
        f.push_back(Real(d.prompt, row++, 6, 2, 0, d.offset));
        Bind(f.back(), d.member);
        f.back().rule = [r = d.rule](const EspecT& x, double& v, bool) { return r(x, v); };
    }

    f.push_back(Real("Altura minima de bajante en tubo (m)              :", 12, 6, 2, 0, 54));
    Bind(f.back(), &EspecT::MinDropHeight);

    // Rows 13 and 15 hold the lines that head fields 10 and 11.
    f.push_back(Whole("............. < 0 = No empalmar ningun diametro > :", 14, 4, 0, 24));
    Bind(f.back(), &EspecT::CrownJoinDiameter);
    f.back().active = rules::CrownJoinAllowed;
    f.back().inactiveKept = false;
    f.back().rule = WithActive(rules::CrownJoinValue);

    f.push_back(Real(".. a nivel caidas inferiores a (m) < 0 = ninguna >:", 16, 6, 2, 0, 22));
    f.back().get = [](const EspecT& x) {
        return x.AvoidCriticalDiameter != 0 ? 0.0 : x.CrownJoinDropCm / 100.0;
    };
    f.back().put = [](EspecT& x, double v) {
        x.CrownJoinDropCm = static_cast<int>(std::lround(v * 100));
    };
    f.back().active = rules::CrownJoinAllowed;
    f.back().inactiveKept = false;
    f.back().rule = WithActive(rules::CrownJoinValue);

    f.push_back(Real("Rebajar la clave de salida en (m)                 :", 17, 6, 2, 0, 70));
    Bind(f.back(), &EspecT::OutletCrownLowering);
    f.back().rule = Plain(rules::OutletCrownLowering);

    f.push_back(Real("Velocidad maxima de diseno (m/s)                  :", 18, 6, 2, 0, 50));
    Bind(f.back(), &EspecT::MaxVelocity);
    f.back().rule = Plain(rules::MaxVelocity);

    f.push_back(Real("Pendiente minima de diseno (%)                    :", 19, 7, 3, 0, 82));
    Bind(f.back(), &EspecT::MinDesignSlope);
    f.back().rule = Plain(rules::MinDesignSlope);
    f.back().warning = rules::MinDesignSlopeWarning;

    f.push_back(Real("Empalmar por energia diametros mayores de (mm)    :", 20, 5, 0, 0, 86));
    Bind(f.back(), &EspecT::EnergyJunctionDiameter);
    f.back().active = [](const EspecT& x) { return x.EnergyJunctionDiameter != 0; };
    f.back().rule = WithActive(rules::JunctionSwitch);

    f.push_back(Real("Evitar flujo critico en diametros mayores de (mm) :", 21, 5, 0, 0, 258));
    Bind(f.back(), &EspecT::AvoidCriticalDiameter);
    f.back().active = [](const EspecT& x) { return x.AvoidCriticalDiameter != 0; };
    f.back().rule = WithActive(rules::JunctionSwitch);
    return f;
}

// ---- G ----

std::vector<ValueField> SanitaryFields(const EspecT& e) {
    std::vector<ValueField> f;
    f.push_back(Real("Caudal minimo de calculo (l/s)                    :", 4, 6, 2, 0, 110));
    Bind(f.back(), &EspecT::SanMinFlow);
    f.back().rule = Plain(rules::PositiveValue);

    f.push_back(Real("Coeficiente maximo horario (valor fijo)           :", 5, 6, 2, 0, 114));
    Bind(f.back(), &EspecT::FixedPeakCoefficient);
    f.back().active = [](const EspecT& x) { return x.PeakMethod == 6; };
    f.back().rule = WithActive(rules::FixedPeakCoefficient);

    f.push_back(Whole("Temperatura del agua (grados centigrados)         :", 6, 2, 0, 18));
    Bind(f.back(), &EspecT::WaterTemperature);
    f.push_back(Whole("DB0 a los 5 dias (mg/l)                           :", 7, 4, 0, 20));
    Bind(f.back(), &EspecT::Bod5);

    for (ValueField& pair : TractivePairs(8, true))
        f.push_back(std::move(pair));
    if (e.SystemKind == 3) return f;  // a combined system stops here

    f.push_back(Real("Coef. Minimo Diseño - Relacion (Qinicial/Qfinal)  :", 12, 6, 2, 0, 126));
    Bind(f.back(), &EspecT::FixedMinCoefficient);
    f.back().active = [](const EspecT& x) { return x.MinCoefficientMethod == 5; };
    f.back().rule = WithActive(rules::FixedMinCoefficient);

    f.push_back(Real("Velocidad minima tubo lleno < 0 = no especificar >:", 13, 6, 2, 0, 98));
    Bind(f.back(), &EspecT::SanMinFullVelocity);
    f.back().active = [](const EspecT& x) { return x.SanMinFullVelocity != 0; };
    f.back().rule = WithActive(rules::GivenWhenActive);

    f.push_back(Real("Maximo llenado del tubo (y/do)                    :", 14, 6, 2, 0, 46));
    f.back().get = [](const EspecT& x) { return static_cast<double>(x.MaxFilling); };
    f.back().put = [](EspecT& x, double v) {
        if (static_cast<float>(v) == x.MaxFilling) return;
        x.MaxFilling = static_cast<float>(v);
        x.MaxFillingRatio = static_cast<float>(FlowRatioAtDepth(v));
    };
    f.back().rule = Plain(rules::MaxFilling);

    f.push_back(Whole("Diametro minimo sanitario (mm)                    :", 15, 4, 0, 38));
    Bind(f.back(), &EspecT::MinSanitaryDiameter);
    f.back().rule = DiameterRule();
    return f;
}

// ---- H ----

std::vector<ValueField> StormFields() {
    std::vector<ValueField> f;
    f.push_back(Real("Velocidad minima a tubo lleno (m/s)               :", 4, 6, 2, 0, 122));
    Bind(f.back(), &EspecT::StormMinFullVelocity);
    f.back().active = [](const EspecT& x) { return x.StormMinFullVelocity != 0; };
    f.back().rule = WithActive(rules::GivenWhenActive);

    f.push_back(Real("Tiempo de concentracion minimo (minutos)          :", 5, 6, 2, 0, 90));
    Bind(f.back(), &EspecT::MinConcentrationTime);
    f.back().rule = Plain(rules::PositiveValue);

    f.push_back(Real("Coeficiente de escorrentia mas usual              :", 6, 6, 2, 0, 118));
    Bind(f.back(), &EspecT::RunoffCoefficient);
    f.back().campo.maximum = "1";
    f.back().rule = Plain(rules::RunoffCoefficient);

    f.push_back(Whole("Diametro minimo pluvial (mm)                      :", 7, 4, 0, 40));
    Bind(f.back(), &EspecT::MinStormDiameter);
    f.back().rule = DiameterRule();

    for (ValueField& pair : TractivePairs(8, false))
        f.push_back(std::move(pair));
    return f;
}

// ---- I ----

ValueField ZoneCountField() {
    ValueField f = Whole("Numero de Zonas ( Maximo 15 ) ..... < 1 = Unica > :", 5, 2, 2, 0);
    f.campo.minimum = "1";
    f.campo.maximum = "15";
    Bind(f, &EspecT::ZoneCount);
    return f;
}

std::vector<ValueField> ZoneFields(const EspecT& e, int zone) {
    const bool byLength = e.SystemKind == 1;
    const std::array<const char*, 3> prompts =
        byLength
            ? std::array<const char*, 3>{"Caudal unitario de aguas negras ( l/s/100 m )     :",
                                         "Infiltracion y conexiones erradas ( l/s/100 m )   :",
                                         "Densidad ( Habitantes/100 m )                     :"}
            : std::array<const char*, 3>{"Caudal unitario de aguas negras [ l/s/Ha )        :",
                                         "Infiltracion y conexiones erradas ( l/s/Ha )      :",
                                         "Densidad ( Habitantes/Ha )                        :"};
    const auto z = static_cast<size_t>(zone);
    std::vector<ValueField> f;
    f.push_back(Field('R', prompts[0], kColumn, 9, 7, 4, 2, 4, zone));
    f.back().get = [z](const EspecT& x) { return static_cast<double>(x.Zones[z].sewageFlow); };
    f.back().put = [z](EspecT& x, double v) { x.Zones[z].sewageFlow = static_cast<float>(v); };
    f.push_back(Field('R', prompts[1], kColumn, 10, 7, 4, 2, 8, zone));
    f.back().get = [z](const EspecT& x) { return static_cast<double>(x.Zones[z].infiltration); };
    f.back().put = [z](EspecT& x, double v) { x.Zones[z].infiltration = static_cast<float>(v); };
    f.push_back(Field('R', prompts[2], kColumn, 11, 8, 2, 2, 12, zone));
    f.back().get = [z](const EspecT& x) { return static_cast<double>(x.Zones[z].density); };
    f.back().put = [z](EspecT& x, double v) { x.Zones[z].density = static_cast<float>(v); };
    return f;
}

ValueField NumberField(const std::string& prompt, int row, int maximum, int& number) {
    ValueField f = Whole(prompt, row, maximum < 10 ? 1 : 2, 0, 0);
    f.catalogued = false;
    f.campo.minimum = "1";
    f.campo.maximum = std::to_string(maximum);
    f.get = [&number](const EspecT&) { return static_cast<double>(number); };
    f.put = [&number](EspecT&, double v) { number = static_cast<int>(std::lround(v)); };
    return f;
}

// ---- J ----

ValueField EquationCountField() {
    ValueField f = Whole("Numero de Ecuaciones  ( Maximo 5 )  < 1 = Unica > :", 7, 1, 4, 0);
    f.campo.minimum = "1";
    f.campo.maximum = "5";
    Bind(f, &EspecT::EquationCount);
    return f;
}

std::vector<ValueField> EquationFields(int equation) {
    struct Part {
        const char* prompt;
        int offset;
        float RainEquation::* member;
    };
    const std::array<Part, 5> parts{{
        {"               FRECUENCIA ( anos )                :", 0, &RainEquation::frequency},
        {"               Coeficiente <A>                    :", 8, &RainEquation::a},
        {"               Coeficiente <B>                    :", 12, &RainEquation::b},
        {"               Exponente   <n>                    :", 16, &RainEquation::n},
        {"               Exponente   <m>                    :", 20, &RainEquation::m},
    }};
    const auto k = static_cast<size_t>(equation);
    std::vector<ValueField> f;
    int row = 11;
    for (const Part& p : parts) {
        f.push_back(Field('R', p.prompt, kColumn, row++, 8, 2, 4, 56 + p.offset, equation));
        f.back().get = [k, m = p.member](const EspecT& x) {
            return static_cast<double>(x.Equations[k].*m);
        };
        f.back().put = [k, m = p.member](EspecT& x, double v) {
            x.Equations[k].*m = static_cast<float>(v);
        };
    }
    return f;
}

// ---- S ----

std::vector<ValueField> SeriesHeadFields() {
    std::vector<ValueField> f;
    f.push_back(Whole("   Tiempo en minutos entre 2 valores consecutivos :", 4, 2, 2, 184));
    f.back().campo.minimum = "5";
    f.back().campo.maximum = "60";
    Bind(f.back(), &EspecT::SeriesInterval);
    f.push_back(Whole("   Numero Series ( Maximo 5 ) ..... < 1 = Unica > :", 5, 1, 2, 186));
    f.back().campo.minimum = "1";
    f.back().campo.maximum = "5";
    Bind(f.back(), &EspecT::SeriesCount);
    f.push_back(Whole("   _____________________________________SERIE No. :", 7, 1, 2, 188));
    f.back().campo.minimum = "1";
    f.back().campo.maximum = "5";
    Bind(f.back(), &EspecT::CurrentSeries);
    return f;
}

std::vector<ValueField> SeriesValueFields(const EspecT& e, int series) {
    std::vector<ValueField> f;
    const auto s = static_cast<size_t>(series);
    for (int i = 0; i < kSeriesValues; ++i) {
        const int minutes = i * e.SeriesInterval;
        std::string label = (i < 9 ? " " : "") + std::to_string(i + 1) + " - " +
                            TwoDigits(minutes / 60) + ":" + TwoDigits(minutes % 60) +
                            "       mm/hr";
        // Eight wide: the three integer digits of an intensity leave room for 3 decimals.
        f.push_back(Field('R', label, 25, 10 + i, 8, 3, 2, 190, series * kSeriesValues + i));
        f.back().description =
            "Serie " + std::to_string(series + 1) + " valor " + std::to_string(i + 1) + " (mm/hr)";
        const auto at = static_cast<size_t>(i);
        f.back().get = [s, at](const EspecT& x) { return static_cast<double>(x.Series[s][at]); };
        f.back().put = [s, at](EspecT& x, double v) { x.Series[s][at] = static_cast<float>(v); };
    }
    return f;
}

// ---- L ----

std::vector<ValueField> AdjustmentFields() {
    constexpr int column = 18;
    std::vector<ValueField> f;
    f.push_back(Real("                Factor Seleccionado :", 5, 5, 2, 3, 400, column));
    f.back().campo.minimum = "0.80";
    f.back().campo.maximum = "1.30";
    Bind(f.back(), &EspecT::SwmmAdjustment);
    for (int block = 0; block < 2; ++block) {
        for (int i = 0; i < kRainBasins; ++i) {
            const std::string prompt =
                "                  Cuenca Lluvias #" + std::to_string(i + 1) + " :";
            const auto at = static_cast<size_t>(i);
            if (block == 0) {
                f.push_back(Field('R', prompt, column, 9 + i, 3, 0, 3, 360, i));
                f.back().get = [at](const EspecT& x) { return double(x.SwmmWidths[at]); };
                f.back().put = [at](EspecT& x, double v) { x.SwmmWidths[at] = float(v); };
            } else {
                f.push_back(Field('R', prompt, column, 15 + i, 6, 2, 3, 380, i));
                f.back().get = [at](const EspecT& x) { return double(x.SwmmSlopes[at]); };
                f.back().put = [at](EspecT& x, double v) { x.SwmmSlopes[at] = float(v); };
            }
        }
    }
    return f;
}

// ---- O ----

std::vector<ValueField> ReductionFields() {
    const std::array<const char*, kReductionFactors> prompts{
        "Factor Reduccion para area entre  50 y 100  Has.  :",
        "Factor Reduccion para area entre 100 y 200  Has.  :",
        "Factor Reduccion para area entre 200 y 400  Has.  :",
        "Factor Reduccion para area entre 400 y 800  Has.  :",
        "Factor Reduccion para area entre 800 y 1600 Has.  :"};
    std::vector<ValueField> f;
    for (int k = 0; k < kReductionFactors; ++k) {
        f.push_back(
            Field('R', prompts[static_cast<size_t>(k)], kColumn, 5 + 2 * k, 5, 2, 0, 302, k));
        const auto at = static_cast<size_t>(k);
        f.back().get = [at](const EspecT& x) { return double(x.ReductionFactors[at]); };
        f.back().put = [at](EspecT& x, double v) { x.ReductionFactors[at] = float(v); };
        f.back().rule = [k](const EspecT& x, double& v, bool) {
            return rules::ReductionFactor(x, k, v);
        };
    }
    return f;
}

// ---- K ----

namespace {

ValueField ConstructionItem(const std::string& prompt, int column, int row, int width, int decimals,
                            int item) {
    ValueField f =
        Field(decimals > 0 ? 'R' : 'I', prompt, column, row, width, decimals, 1, 0, item);
    const auto at = static_cast<size_t>(item);
    f.get = [at](const EspecT& x) { return static_cast<double>(x.ConstructionData[at]); };
    f.put = [at](EspecT& x, double v) { x.ConstructionData[at] = static_cast<float>(v); };
    return f;
}

// "#.##" of the bedding prompts: the three excavation range limits.
std::string BeddingPrompt(const EspecT& e, const char* material) {
    std::string text = std::string("Cimentar ") + material + " (0=No 1=>0";
    for (int j = 0; j < 3; ++j) {
        std::string limit =
            e.RangeTexts[static_cast<size_t>(kExcavationLimitSlots[static_cast<size_t>(j)])];
        limit.resize(4, ' ');
        text += " " + std::to_string(j + 2) + "=>" + limit;
    }
    return text + ") :";
}

}  // namespace

std::vector<ValueField> ConstructionFirstPage() {
    constexpr int column = 18;
    const std::array<const char*, 6> prompts{
        "% de excavacion seca en material comun   :", "% de excavacion seca en conglomerado     :",
        "% de excavacion seca en roca             :", "% de excavacion humeda en material comun :",
        "% de excavacion humeda en conglomerado   :", "% de excavacion humeda en roca           :"};
    std::vector<ValueField> f;
    for (int i = 0; i < 6; ++i) {
        f.push_back(ConstructionItem(prompts[static_cast<size_t>(i)], column, 5 + i, 7, 2, i));
        f.back().campo.maximum = "100";
    }
    ValueField enter =
        Field('S', "    Para entrar mas datos oprima [Enter] :", column, 12, 0, 0, 1, 0);
    enter.catalogued = false;
    enter.getText = [](const EspecT&) { return std::string(); };
    enter.putText = [](EspecT&, const std::string&) {};
    f.push_back(std::move(enter));
    return f;
}

std::vector<ValueField> ConstructionSecondPage(const EspecT& e) {
    constexpr int column = 5;
    std::vector<ValueField> f;
    f.push_back(ConstructionItem("Numero de conexiones por metro lineal de colector ( # )  :",
                                 column, 3, 6, 2, kConnectionsPerMetre));
    f.push_back(ConstructionItem("Longitud promedio de las conexiones domiciliarias ( m )  :",
                                 column, 4, 6, 2, kConnectionLength));
    f.push_back(ConstructionItem("m3 de excavacion por metro lineal de conexion domiciliar :",
                                 column, 5, 6, 2, kConnectionExcavation));
    f.push_back(ConstructionItem("Factor de compactacion para rellenos de zanjas ( #.## )  :",
                                 column, 6, 5, 2, kCompactionFactor));
    const std::array<const char*, 3> fills{
        "% de relleno con material de la excavacion               :",
        "% de relleno con material de prestamo                    :",
        "% de relleno con material seleccionado                   :"};
    for (int i = 0; i < 3; ++i) {
        f.push_back(ConstructionItem(fills[static_cast<size_t>(i)], column, 7 + i, 7, 2,
                                     kFillExcavated + i));
        f.back().campo.maximum = "100";
    }
    // The third fill closes the sum, unless the user goes back up to the others.
    f.back().rule = [](const EspecT& x, double& v, bool) {
        EspecT with = x;
        with.ConstructionData[kFillSelected] = static_cast<float>(v);
        return rules::FillSum(with);
    };
    f.back().relaxed = {key::Up, 0};

    f.push_back(
        ConstructionItem(BeddingPrompt(e, "con recebo "), column, 10, 1, 0, kBeddingGravelCode));
    f.back().campo.maximum = "4";
    f.push_back(
        ConstructionItem(BeddingPrompt(e, "en concreto"), column, 11, 1, 0, kBeddingConcreteCode));
    f.back().campo.maximum = "4";
    f.back().rule = [](const EspecT& x, double& v, bool) {
        return rules::BeddingOrder(static_cast<int>(x.ConstructionData[kBeddingGravelCode]),
                                   static_cast<int>(std::lround(v)));
    };

    for (int i = 0; i < kPipeTypes; ++i) {
        ValueField t =
            Field('S', "Tipo <" + std::to_string(i + 1) + "> :", column, 15 + i, 60, 0, 1, 64, i);
        const auto at = static_cast<size_t>(i);
        // 60 characters shown of the 80 kept: an untouched text keeps its tail.
        t.getText = [at](const EspecT& x) { return x.PipeTypes[at].substr(0, 60); };
        t.putText = [at](EspecT& x, const std::string& text) {
            std::string trimmed = text;
            while (!trimmed.empty() && trimmed.back() == ' ')
                trimmed.pop_back();
            x.PipeTypes[at] = trimmed;
        };
        f.push_back(std::move(t));
    }
    return f;
}

}  // namespace nivex::specs::detail
