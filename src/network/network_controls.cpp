#include "network/network_controls.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <numeric>
#include <unordered_map>

#include "console/codepage.h"
#include "network/reach_file.h"
#include "network/reach_rules.h"
#include "project/file_size.h"
#include "specs/criteria_store.h"
#include "specs/value_rules.h"

namespace nivex::network {
namespace {

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// A count kept in a float field, brought into 0..most.
int CountOf(double v, int most) {
    if (!std::isfinite(v) || v < 0) return 0;
    return std::min(most, static_cast<int>(v));
}

std::string Fixed(double v, int decimals) {
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "?";
    return std::string(buffer, end);
}

// A value as the messages show it: whole numbers without decimals.
std::string Num(double v) {
    if (!std::isfinite(v)) return "?";
    if (std::fabs(v - std::round(v)) < 1e-6) return Fixed(std::round(v), 0);
    return Fixed(v, 2);
}

bool Blank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

bool InDiameterTable(const specs::EspecT& e, double d) {
    const int n = specs::UsedDiameters(e);
    for (int i = 0; i < n; ++i)
        if (static_cast<float>(d) == e.Diameters[static_cast<size_t>(i)]) return true;
    return false;
}

bool StormKind(int kind) {
    return kind > 2;
}

bool SeriesClass(int designClass) {
    return designClass == 8 || designClass == 9;
}

}  // namespace

bool WithControl(project::Project& p, std::string* error, const std::function<bool()>& body) {
    if (!p.OpenControl()) return Fail(error, toUtf8(p.error));
    std::string message;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &message)) {
        p.CloseControl();
        return Fail(error, message);
    }
    const bool ok = body();
    p.CloseControl();
    return ok;
}

bool SaveControlRecords(project::Project& p, std::initializer_list<int> records,
                        std::string* error) {
    if (specs::SaveRecords(p.control, p.header, p.espec, records)) return true;
    return Fail(error, p.control.error().empty()
                           ? "No se pudo escribir el archivo " + p.files.control()
                           : p.control.error());
}

namespace {

// ---- A ----

class Groups {
  public:
    explicit Groups(SpecificationCheck& c) : c_(c) {}
    void Open(const char* heading) {
        heading_ = cp(heading);
        shown_ = false;
    }
    void Error(const std::string& utf8) {
        if (!shown_) c_.lines.push_back(heading_);
        shown_ = true;
        c_.lines.push_back(cp(utf8));
        ++c_.errors;
    }
    void ErrorIf(bool fault, const char* utf8) {
        if (fault) Error(utf8);
    }

  private:
    SpecificationCheck& c_;
    std::string heading_;
    bool shown_ = false;
};

void CheckRanges(const specs::EspecT& e, Groups& g) {
    g.Open("... Diametros comerciales a utilizar ...");
    const int n = specs::UsedDiameters(e);
    for (int i = 0; i + 1 < n; ++i) {
        const float d = e.Diameters[static_cast<size_t>(i)];
        if (!(d < e.Diameters[static_cast<size_t>(i) + 1]))
            g.Error("El diametro comercial " + Num(d) + " debe ser menor que el siguiente");
    }

    auto ordered = [&](int slot, int next, const char* prefix) {
        const double v = specs::RangeValue(e, slot);
        if (!(v < specs::RangeValue(e, next)))
            g.Error(std::string(prefix) + specs::NumericText(v) +
                    " debe ser menor que la siguiente");
    };
    g.Open("... Rangos de profundidad excavaciones ...");
    ordered(specs::kExcavationLimitSlots[0], specs::kExcavationLimitSlots[1],
            "La primera profundidad de zanja ");
    ordered(specs::kExcavationLimitSlots[1], specs::kExcavationLimitSlots[2],
            "La segunda profundidad de zanja ");

    g.Open("... Anchos de zanja ...");
    static const char* const kWidths[] = {"El primer ancho de zanja ", "El segundo ancho de zanja ",
                                          "El tercer ancho de zanja "};
    for (size_t k = 0; k < 3; ++k) {
        const double v = specs::RangeValue(e, specs::kTrenchOverWidthSlots[k]);
        if (!(v < specs::RangeValue(e, specs::kTrenchOverWidthSlots[k + 1])))
            g.Error(kWidths[k] + specs::NumericText(v) + " debe ser menor que el siguiente");
    }

    g.Open("... Rangos de profundidades pozos ...");
    ordered(specs::kManholeLimitSlots[0], specs::kManholeLimitSlots[1],
            "La primera profundidad de pozo ");
}

void CheckGeneral(const specs::EspecT& e, Groups& g) {
    g.Open("... Especificaciones Generales ...");
    const bool fixedN = e.ManningOption != 0;
    g.ErrorIf(fixedN && e.ManningN == 0,
              "Falta especificar el coeficiente de manning para tuberia nueva");
    g.ErrorIf(e.ExistingReachManningN == 0,
              "Falta especificar el coeficiente de manning para tuberia existente");
    g.ErrorIf(e.MinMinCrownDepth == 0, "Falta especificar la profundidad minima minimorum a clave");
    g.ErrorIf(e.MinCrownDepth == 0, "Falta especificar la profundidad minima a clave");
    g.ErrorIf(e.MaxDesirableCrownDepth == 0,
              "Falta especificar la profundidad maxima deseable a clave");
    g.ErrorIf(e.MaxCrownDepth == 0, "Falta especificar la profundidad maxima a clave");
    g.ErrorIf(e.MaxVelocity == 0, "Falta especificar la velocidad maxima");
    g.ErrorIf(e.MinDesignSlope == 0, "Falta especificar la pendiente minima de diseño");
    g.ErrorIf(fixedN && e.ManningN != 0 && e.ExistingReachManningN != 0 &&
                  e.ExistingReachManningN < e.ManningN,
              "El coef. de manning para tuberias existentes no puede ser menor que el de nuevas");
    g.ErrorIf(e.MinCrownDepth < e.MinMinCrownDepth,
              "La profundidad minima a clave no puede ser menor que la minima minimorum");
    g.ErrorIf(e.MaxDesirableCrownDepth < e.MinCrownDepth,
              "La profundidad maxima deseable no puede ser menor que la minima a clave");
    g.ErrorIf(e.MaxCrownDepth < e.MaxDesirableCrownDepth,
              "La profundidad maxima a clave no puede ser menor que la maxima deseable");
    g.ErrorIf(e.CrownJoinDiameter > 0 && !InDiameterTable(e, e.CrownJoinDiameter),
              "El diametro a partir del cual se empalman las claves a nivel no esta en la tabla");
}

void CheckSanitary(const specs::EspecT& e, Groups& g) {
    g.Open("... Especificaciones Sanitarias ...");
    g.ErrorIf(e.SanMinTractive100 > 0 && e.SanMinMinTractive100 > 0 &&
                  e.SanMinTractive100 < e.SanMinMinTractive100,
              "La fuerza tractiva minima no puede ser menor que la minima minimorum");
    g.ErrorIf(e.SanMinRealVelocity > e.MaxVelocity,
              "La velocidad minima real no puede ser mayor que la maxima a tubo lleno");
    g.ErrorIf(e.SanMinFlow == 0, "Falta especificar el caudal minimo de calculo");
    g.ErrorIf(e.PeakMethod == 6 && e.MinCoefficientMethod == 5 &&
                  e.FixedMinCoefficient > e.FixedPeakCoefficient,
              "El coeficente minimo diario no puede ser mayor que el maximo horario");
    g.ErrorIf(e.SanMinFullVelocity > e.MaxVelocity,
              "La velocidad minima a tubo lleno no puede ser mayor que la maxima ");
    g.ErrorIf(e.MaxFilling == 0, "Falta especificar el maximo llenado del tubo y/D");
    g.ErrorIf(!InDiameterTable(e, e.MinSanitaryDiameter),
              "El diametro minimo sanitario no esta en la tabla de diametros comerciales");
}

void CheckStorm(const specs::EspecT& e, int designClass, Groups& g) {
    g.Open("... Especificaciones pluviales ...");
    g.ErrorIf(e.MinConcentrationTime == 0, "Falta especificar el tiempo de concentracion minimo");
    g.ErrorIf(e.RunoffCoefficient == 0,
              "Falta especificar el coeficiente de escorrentia mas usual");
    g.ErrorIf(!InDiameterTable(e, e.MinStormDiameter),
              "El diametro minimo pluvial no esta en la tabla de diametros comerciales");
    if (SeriesClass(designClass)) return;
    const int equations = CountOf(e.EquationCount, specs::kMaxEquations);
    for (int k = 0; k < equations; ++k) {
        const specs::RainEquation& q = e.Equations[static_cast<size_t>(k)];
        if (q.frequency > 0 && q.a == 0)
            g.Error("Falta especificar las ecuaciones pluviales para frecuencias de " +
                    Num(q.frequency) + "anos");
    }
}

void CheckUnitsAndRain(const specs::EspecT& e, int designClass, Groups& g) {
    const int kind = e.SystemKind;
    g.Open("... Valores Unitarios Sanitarios ...");
    if (kind != 4) {
        const int zones = std::max(1, CountOf(e.ZoneCount, specs::kMaxZones));
        bool complete = true;
        for (int k = 0; k < zones; ++k) {
            const specs::SanitaryZone& z = e.Zones[static_cast<size_t>(k)];
            complete = complete && z.sewageFlow > 0 && z.density > 0;
        }
        g.ErrorIf(!complete,
                  "Los valores unitarios sanitarios estan incompletos. Reviselos para todas las "
                  "zonas");
    }

    g.Open("... Ecuaciones de Aguas LLuvias ...");
    if (StormKind(kind) && SeriesClass(designClass)) {
        const int series = std::max(1, CountOf(e.SeriesCount, specs::kMaxSeries));
        bool complete = true;
        for (int k = 0; k < series; ++k) {
            const auto& values = e.Series[static_cast<size_t>(k)];
            complete = complete &&
                       std::any_of(values.begin(), values.end(), [](float v) { return v > 0; });
        }
        g.ErrorIf(!complete, "Falta especificar adecuadamente los Hietograma Swmm. Reviselos");
    } else if (StormKind(kind) && e.RasRainfallModel != 1) {
        const int equations = std::max(1, CountOf(e.EquationCount, specs::kMaxEquations));
        bool complete = true;
        for (int k = 0; k < equations; ++k) {
            const specs::RainEquation& q = e.Equations[static_cast<size_t>(k)];
            complete = complete && q.frequency > 0 && q.m > 0;
        }
        g.ErrorIf(!complete,
                  "Falta especificar adecuadamente las ecuaciones de aguas lluvias. Reviselas");
    }

    g.Open("... Ajustes Swmm ...");
    if (designClass >= 6) {
        const int basins =
            std::max(1, SeriesClass(designClass) ? CountOf(e.SeriesCount, specs::kRainBasins)
                                                 : CountOf(e.EquationCount, specs::kRainBasins));
        bool complete = e.SwmmAdjustment > 0;
        for (int k = 0; k < basins; ++k)
            complete = complete && e.SwmmWidths[static_cast<size_t>(k)] > 0 &&
                       e.SwmmSlopes[static_cast<size_t>(k)] > 0;
        g.ErrorIf(!complete, "Falta especificar completamente los Ajustes Swmm. Reviselos");
    }
}

void CheckConstruction(const specs::EspecT& e, Groups& g) {
    g.Open("... Datos de Construccion ...");
    g.ErrorIf(!specs::rules::FillSum(e).empty(), "Los porcentajes de rellenos no suman 100%");
    const auto code = [&](int item) {
        return CountOf(e.ConstructionData[static_cast<size_t>(item)], 4);
    };
    g.ErrorIf(!specs::rules::BeddingOrder(code(specs::kBeddingGravelCode),
                                          code(specs::kBeddingConcreteCode))
                   .empty(),
              "Debe especificar para la cimentacion en concreto mayor profundidad que para recebo");
}

// ---- B ----

constexpr int kTypeDischarge = 2;
constexpr int kTypePumping = 3;

const char* const kCodeTexts[kReachCodes + 1] = {
    "",
    "correctamente la zona sanitaria  ",
    "bien el tipo de ecuacion pluvial ",
    "la clase de caudal que recibe    ",
    "la cota de rasante superior      ",
    "la cota de rasante inferior      ",
    "la longitud                      ",
    "la cota de clave superior        ",
    "el diametro existente            ",
    "la pendiente                     ",
    "la cota de clave inferior        ",
    "adecuadamente la clave superior  ",
    "adecuadamente la clave inferior  ",
    "el coeficiente de escorrentia    ",
    "tramo final(Vertimiento,e.bombas)",
    "bien ultimo tramo ( De Sector ? )",
};

bool Existing(const TramoT& t) {
    return t.Class == kClassExisting || t.Class == kClassRestricted;
}

// The codes of one reach; a completed slope is written into t.
void ReachCodes(TramoT& t, const specs::EspecT& e, int designClass, bool& completed,
                std::array<bool, kReachCodes + 1>& has) {
    const int kind = e.SystemKind;
    const int zones = CountOf(e.ZoneCount, specs::kMaxZones);
    const int equations = CountOf(e.EquationCount, specs::kMaxEquations);
    has[1] = kind != 4 && zones > 1 && (t.SanitaryZone < 1 || t.SanitaryZone > zones);
    has[2] = e.RasRainfallModel != 1 && kind > 2 && equations > 1 && !SeriesClass(designClass) &&
             (t.RainNumber < 1 || t.RainNumber > equations);
    has[3] = kind == 5 && t.Contribution == 0;
    has[4] = t.GroundUp == 0;
    has[5] = t.GroundDown == 0;
    has[6] = t.Length == 0;
    const bool existing = Existing(t);
    has[7] = existing && t.CrownUp == 0;
    has[8] = existing && t.Diameter == 0;
    has[9] = existing && t.Slope == 0;
    has[10] = existing && t.CrownDown == 0;
    has[11] = existing && !(t.CrownUp < t.GroundUp);
    has[12] = existing && !(t.CrownDown < t.GroundDown) && t.Type != kTypeDischarge &&
              t.Type != kTypePumping;
    has[13] = kind > 2 && e.RunoffCoefficient == 0 && t.Runoff == 0;
    completed = false;
    if (has[9] && t.CrownUp != 0 && t.CrownDown != 0 && t.Length != 0) {
        const float slope = static_cast<float>(SlopeFromCrowns(t.CrownUp, t.CrownDown, t.Length));
        if (std::isfinite(slope) && slope != 0) {
            t.Slope = slope;
            completed = true;
        }
    }
}

// ---- C ----

double Round2(double v) {
    return std::round(v * 100) / 100;
}

bool WellNamed(const std::string& name) {
    const auto canonical = ManholeName(name);
    return canonical && *canonical == name;
}

ErrorRow RowOf(const TramoT& t, int line, const char* text) {
    return {line, t.Upstream, t.Downstream, t.GroundUp, t.GroundDown, text};
}

// ---- Error file ----

constexpr char kH = static_cast<char>(205);         // ═
constexpr char kV = static_cast<char>(179);         // │
constexpr char kTopLeft = static_cast<char>(213);   // ╒
constexpr char kTopTee = static_cast<char>(224);    // ╤ (209 is Ñ)
constexpr char kTopRight = static_cast<char>(184);  // ╕
constexpr char kMidLeft = static_cast<char>(198);   // ╞
constexpr char kCross = static_cast<char>(216);     // ╪
constexpr char kMidRight = static_cast<char>(181);  // ╡
constexpr char kBotLeft = static_cast<char>(212);   // ╘
constexpr char kBotTee = static_cast<char>(207);    // ╧
constexpr char kBotRight = static_cast<char>(190);  // ╛

constexpr int kLineWidth = 11, kNameWidth = 7, kGroundWidth = 17, kObservationWidth = 27;
constexpr int kMessageWidth = 80;

std::string Centre(const std::string& text, int width) {
    const int n = static_cast<int>(text.size());
    if (n >= width) return text.substr(0, static_cast<size_t>(width));
    const int left = (width - n) / 2;
    return std::string(static_cast<size_t>(left), ' ') + text +
           std::string(static_cast<size_t>(width - n - left), ' ');
}

std::string Left(const std::string& text, int width) {
    std::string s = " " + text;
    s.resize(static_cast<size_t>(width), ' ');
    return s;
}

std::string Right(const std::string& text, int width) {
    std::string s = text + " ";
    if (static_cast<int>(s.size()) >= width) return s.substr(s.size() - static_cast<size_t>(width));
    return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

std::vector<int> Columns(ErrorTable table) {
    if (table == ErrorTable::Names)
        return {kLineWidth, kNameWidth, kNameWidth, kGroundWidth, kGroundWidth, kObservationWidth};
    return {kLineWidth, kNameWidth, kNameWidth, kMessageWidth};
}

std::string Rule(const std::vector<int>& widths, char left, char tee, char right) {
    std::string s(1, left);
    for (size_t k = 0; k < widths.size(); ++k) {
        s += std::string(static_cast<size_t>(widths[k]), kH);
        s += k + 1 < widths.size() ? tee : right;
    }
    return s;
}

// Cells joined by bars; each cell already has its width.
std::string Cells(const std::vector<std::string>& cells) {
    std::string s(1, kV);
    for (const std::string& c : cells)
        s += c + kV;
    return s;
}

std::vector<std::string> Heading(ErrorTable table) {
    const std::vector<int> w = Columns(table);
    const int tramo = kNameWidth * 2 + 1;
    // The top rule follows the first title row, whose "tramo" and "cota rasante" span two
    // columns each.
    std::vector<int> merged = {kLineWidth, tramo};
    if (table == ErrorTable::Names)
        merged.insert(merged.end(), {kGroundWidth * 2 + 1, kObservationWidth});
    else
        merged.push_back(kMessageWidth);
    std::vector<std::string> lines;
    lines.push_back(Rule(merged, kTopLeft, kTopTee, kTopRight));
    if (table == ErrorTable::Names) {
        lines.push_back(Cells({Centre("L I N E A", kLineWidth), Centre("T R A M O", tramo),
                               Centre("C O T A   R A S A N T E", kGroundWidth * 2 + 1),
                               Centre("O B S E R V A C I O N E S", kObservationWidth)}));
        lines.push_back(
            Cells({Centre("#", kLineWidth), Centre("D E", kNameWidth), Centre("A", kNameWidth),
                   Centre("S U P E R I O R", kGroundWidth), Centre("I N F E R I O R", kGroundWidth),
                   std::string(kObservationWidth, ' ')}));
    } else {
        lines.push_back(Cells({Centre("L I N E A", kLineWidth), Centre("T R A M O", tramo),
                               Centre("M E N S A J E", kMessageWidth)}));
        lines.push_back(Cells({Centre("#", kLineWidth), Centre("D E", kNameWidth),
                               Centre("A", kNameWidth), std::string(kMessageWidth, ' ')}));
    }
    lines.push_back(Rule(w, kMidLeft, kCross, kMidRight));
    return lines;
}

std::string RowText(ErrorTable table, const ErrorRow& r) {
    const std::string line = r.line > 0 ? std::to_string(r.line) : "";
    std::vector<std::string> cells = {Right(line + "  ", kLineWidth), Left(r.upstream, kNameWidth),
                                      Left(r.downstream, kNameWidth)};
    if (table == ErrorTable::Names) {
        cells.push_back(Right(Fixed(r.groundUp, 3) + "  ", kGroundWidth));
        cells.push_back(Right(Fixed(r.groundDown, 3) + "  ", kGroundWidth));
        cells.push_back(Left(r.text, kObservationWidth));
    } else {
        cells.push_back(Left(r.text, kMessageWidth));
    }
    return Cells(cells);
}

}  // namespace

// ---- Module state ----

bool ReadStoredReaches(project::Project& p, std::vector<TramoT>& reaches, std::string* error) {
    ReachFile file;
    if (!OpenNetwork(p, file)) return Fail(error, toUtf8(p.error));
    reaches.clear();
    reaches.reserve(static_cast<size_t>(file.count()));
    for (int line = 1; line <= file.count(); ++line) {
        TramoT t;
        if (!file.Read(line, t)) {
            file.Close();
            return Fail(error, file.error());
        }
        reaches.push_back(std::move(t));
    }
    if (!file.Close()) return Fail(error, file.error());
    return true;
}

bool LoadControlState(project::Project& p, std::string* error) {
    return WithControl(p, error, [] { return true; });
}

bool LoadSectorView(const project::Project& open, project::Project& view, std::string* error) {
    view.selection = open.selection;
    view.files = open.files;
    view.consultant = open.consultant;
    return LoadControlState(view, error);
}

bool EnterControls(project::Project& p, std::string* error) {
    return WithControl(p, error, [&] {
        std::vector<TramoT> reaches;
        if (!ReadStoredReaches(p, reaches, error)) return false;
        p.espec.HasExistingReach =
            std::any_of(reaches.begin(), reaches.end(),
                        [](const TramoT& t) {
                            return t.Class == kClassExisting || t.Class == kClassNotInvestigated;
                        })
                ? 1
                : 0;
        p.header.SwmmRan = 0;
        return SaveControlRecords(p, {5}, error);
    });
}

bool SettleDesignStage(project::Project& p, std::string* error) {
    return WithControl(p, error, [&] {
        const auto& c = p.header.ControlsDone;
        const bool allOn = std::all_of(c.begin(), c.end(), [](uint8_t f) { return f != 0; });
        if (allOn || p.header.StageDone[1] == 0) return true;
        p.header.StageDone[1] = 0;
        return SaveControlRecords(p, {}, error);
    });
}

bool MarkControlPassed(project::Project& p, int control, std::string* error) {
    if (control < 0 || control >= kControlCount) return true;
    return WithControl(p, error, [&] {
        p.header.ControlsDone[static_cast<size_t>(control)] = 1;
        return SaveControlRecords(p, {}, error);
    });
}

// ---- A ----

SpecificationCheck CheckSpecifications(const specs::EspecT& e, const shell::ProyectoT& h) {
    SpecificationCheck c;
    Groups g(c);
    CheckRanges(e, g);
    CheckGeneral(e, g);
    if (e.SystemKind != 4) CheckSanitary(e, g);
    if (StormKind(e.SystemKind)) CheckStorm(e, h.DesignClass, g);
    CheckUnitsAndRain(e, h.DesignClass, g);
    CheckConstruction(e, g);

    auto missing = [&](bool absent, const char* text, bool required = true) {
        if (!absent) return;
        c.missingData.push_back(cp(text));
        c.missingRequired = c.missingRequired || required;
    };
    missing(Blank(h.Email), "Falta indicar el correo electronico");
    missing(Blank(h.Country), "Falta indicar el Pais");
    missing(Blank(h.Entity), "Falta indicar el nombre de la Entidad");
    missing(project::ProjectUnnamed(h.ProjectName), "Falta indicar el nombre del Proyecto ");
    missing(Blank(h.ProjectDate), "Falta indicar la fecha del proyecto  ");
    missing(Blank(h.Consultant), "Falta indicar el nombre del consultor", false);
    return c;
}

bool RunControlA(project::Project& p, SpecificationCheck& check, std::string* error) {
    return WithControl(p, error, [&] {
        check = CheckSpecifications(p.espec, p.header);
        if (!check.passed()) return true;
        p.header.ControlsDone[kControlA] = 1;
        return SaveControlRecords(p, {}, error);
    });
}

// ---- B ----

bool ReachCheck::faultless() const {
    return finalNodes.empty() &&
           std::all_of(counts.begin(), counts.end(), [](int n) { return n == 0; });
}

std::vector<std::string> ReachCheck::lines() const {
    std::vector<std::string> out;
    for (int code = 1; code <= kReachCodes; ++code) {
        const int n = counts[static_cast<size_t>(code)];
        if (n == 0) continue;
        if (code == kCodeNoOutlet)
            out.push_back(cp("... En el proyecto no se especifico al menos un ") +
                          kCodeTexts[code] + "...");
        else
            out.push_back(cp("... En " + std::to_string(n) + " tramos no se especifico ") +
                          kCodeTexts[code] + "...");
    }
    return out;
}

std::string ZeroAreasLine() {
    return cp(
        "... Todas las areas tributarias son cero. El diseño podria ser sanitario por longitud "
        "tributaria ...");
}

ReachCheck CheckReaches(std::vector<TramoT>& reaches, const specs::EspecT& e,
                        const shell::ProyectoT& h) {
    ReachCheck c;
    // Discharges and pumping stations end their own line: no other reach may end there.
    std::unordered_map<std::string, int> endings;
    for (const TramoT& t : reaches)
        ++endings[t.Downstream];
    for (size_t k = 0; k < reaches.size(); ++k) {
        const TramoT& t = reaches[k];
        if ((t.Type == kTypeDischarge || t.Type == kTypePumping) && endings[t.Downstream] > 1)
            c.finalNodes.push_back(RowOf(t, static_cast<int>(k) + 1, ""));
    }

    bool outlet = false;
    for (size_t k = 0; k < reaches.size(); ++k) {
        TramoT& t = reaches[k];
        outlet = outlet || IsOutlet(t);
        const bool last = k + 1 == reaches.size();
        if (t.Type == kTypeFromSector && !last) continue;
        std::array<bool, kReachCodes + 1> has{};
        bool completed = false;
        ReachCodes(t, e, h.DesignClass, completed, has);
        if (completed) c.completedSlopes.push_back(static_cast<int>(k) + 1);
        for (int code = 1; code <= 13; ++code)
            if (has[static_cast<size_t>(code)]) ++c.counts[static_cast<size_t>(code)];
        if (last && t.Type == kTypeFromSector) ++c.counts[15];
    }
    if (!outlet) c.counts[kCodeNoOutlet] = 1;
    c.allAreasZero =
        h.DesignClass > 1 && !reaches.empty() &&
        std::all_of(reaches.begin(), reaches.end(), [](const TramoT& t) { return t.Area == 0; });
    return c;
}

bool RunControlB(project::Project& p, ReachCheck& check, std::string* error) {
    return WithControl(p, error, [&] {
        std::vector<TramoT> reaches;
        if (!ReadStoredReaches(p, reaches, error)) return false;
        check = CheckReaches(reaches, p.espec, p.header);
        if (!check.completedSlopes.empty()) {
            ReachFile file;
            if (!OpenNetwork(p, file)) return Fail(error, toUtf8(p.error));
            for (int line : check.completedSlopes) {
                TramoT t;
                if (!file.Read(line, t)) return Fail(error, file.error());
                t.Slope = reaches[static_cast<size_t>(line) - 1].Slope;
                if (!file.Write(line, t)) return Fail(error, file.error());
            }
            if (!file.Close()) return Fail(error, file.error());
        }
        if (!check.faultless() || check.allAreasZero) return true;
        p.header.ControlsDone[kControlB] = 1;
        return SaveControlRecords(p, {}, error);
    });
}

// ---- Error file ----

std::string ErrorTableTitle(ErrorTable table) {
    return table == ErrorTable::Names ? "< VERIFICACION DE NOMENCLATURA Y COTAS DE LOS TRAMOS >"
                                      : "< VERIFICACION ORDENAMIENTO HIDRAULICO >";
}

bool WriteErrorFile(const std::string& path, ErrorTable table, const std::vector<ErrorRow>& rows,
                    std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(error, "No se pudo crear el archivo " + path);
    auto put = [&](const std::string& line) { out << line << "\r\n"; };
    put(ErrorTableTitle(table));
    put("");
    for (const std::string& line : Heading(table))
        put(line);
    for (const ErrorRow& r : rows)
        put(RowText(table, r));
    put(Rule(Columns(table), kBotLeft, kBotTee, kBotRight));
    out.flush();
    if (!out) return Fail(error, "No se pudo escribir el archivo " + path);
    return true;
}

bool ReadErrorFile(const std::string& path, ErrorFileText& text, std::string* error) {
    if (std::string big = project::OversizedFile(path, project::kMostTextFileBytes); !big.empty())
        return Fail(error, big);
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(error, "No se pudo leer el archivo " + path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    constexpr size_t kHeadingLines = 4;
    if (lines.size() < 3 + kHeadingLines || lines.back().empty() || lines.back()[0] != kBotLeft)
        return Fail(error, "El archivo de errores esta incompleto: " + path);
    text = {};
    text.title = lines[0];
    text.heading.assign(lines.begin() + 2, lines.begin() + 2 + kHeadingLines);
    text.rows.assign(lines.begin() + 2 + kHeadingLines, lines.end() - 1);
    text.closing = lines.back();
    return true;
}

// ---- C ----

bool GroundsAgree(double a, double b) {
    return std::fabs(Round2(a) - Round2(b)) <= 0.0005;
}

std::vector<ErrorRow> CheckNamesAndGrounds(const std::vector<TramoT>& reaches) {
    std::vector<int> order(reaches.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const TramoT &x = reaches[static_cast<size_t>(a)], &y = reaches[static_cast<size_t>(b)];
        if (x.Upstream != y.Upstream) return x.Upstream < y.Upstream;
        return x.Downstream < y.Downstream;
    });
    auto reach = [&](int k) -> const TramoT& { return reaches[static_cast<size_t>(k)]; };

    std::vector<ErrorRow> rows;
    for (size_t i = 0; i < order.size(); ++i) {
        const TramoT& t = reach(order[i]);
        if (!WellNamed(t.Upstream) || !WellNamed(t.Downstream))
            rows.push_back(RowOf(t, order[i] + 1, "nomenclatura ??"));
        if (i == 0) continue;
        const TramoT& before = reach(order[i - 1]);
        if (before.Upstream == t.Upstream && before.Downstream == t.Downstream) {
            rows.push_back(RowOf(before, order[i - 1] + 1, "este tramo"));
            rows.push_back(RowOf(t, order[i] + 1, "esta repetido"));
        }
    }

    // Every manhole against its first appearance in the sorted reaches.
    struct First {
        int reach;
        float ground;
    };
    std::unordered_map<std::string, First> first;
    first.reserve(reaches.size() * 2);
    for (int k : order) {
        const TramoT& t = reach(k);
        for (auto [name, ground] :
             {std::pair{&t.Upstream, t.GroundUp}, {&t.Downstream, t.GroundDown}}) {
            if (TrimmedName(*name).empty()) continue;
            auto [it, fresh] = first.emplace(*name, First{k, ground});
            if (fresh || GroundsAgree(it->second.ground, ground)) continue;
            rows.push_back(RowOf(reach(it->second.reach), it->second.reach + 1, "error rasante"));
            rows.push_back(RowOf(t, k + 1, "en pozo comun"));
        }
    }
    return rows;
}

bool RunControlC(project::Project& p, std::vector<ErrorRow>& rows, std::string* error) {
    return WithControl(p, error, [&] {
        std::vector<TramoT> reaches;
        if (!ReadStoredReaches(p, reaches, error)) return false;
        rows = CheckNamesAndGrounds(reaches);
        if (!WriteErrorFile(p.files.messages(), ErrorTable::Names, rows, error)) return false;
        if (!rows.empty()) return true;
        p.header.ControlsDone[kControlC] = 1;
        return SaveControlRecords(p, {}, error);
    });
}

// ---- D ----

namespace {

std::string FaultText(WalkFault f) {
    switch (f) {
        case WalkFault::NullName:
            return " ERROR...ningun nudo puede ser nulo";
        case WalkFault::SameNames:
            return " ERROR...nomenclatura incorrecta";
        case WalkFault::NoContinuity:
            return " ERROR...este tramo carece de continuidad";
        case WalkFault::Cycle:
            return " ERROR...este tramo forma un circuito cerrado";
        case WalkFault::StackFull:
            return " ERROR...mas de " + std::to_string(kMaxOpenEnds) +
                   " ramales abiertos a la vez. Revise el orden de los tramos";
        case WalkFault::TooManyOutlets:
            return " ERROR...mas de " + std::to_string(kMaxOutlets) +
                   " tramos finales (Vertimiento,e.bombas,a otro sector)";
        case WalkFault::TooManyReaches:
            return " ERROR...mas de " + std::to_string(kMaxLines) + " tramos en el proyecto";
    }
    return {};
}

const char* MarkText(int mark) {
    switch (mark) {
        case kMarkUpstream:
            return " ERROR...falta investigar clave superior para empalme";
        case kMarkDownstream:
            return " ERROR...falta investigar clave inferior para empalme";
        default:
            return " ERROR...falta investigar ambas claves para empalmes";
    }
}

ErrorRow WalkRow(const WalkResult& w, int reach, std::string text) {
    if (reach < 0 || reach >= static_cast<int>(w.table.size())) return {0, "", "", 0, 0, text};
    const WalkReach& t = w.table[static_cast<size_t>(reach)];
    return {t.line, t.upstream, t.downstream, 0, 0, std::move(text)};
}

bool ManualTopology(int mode) {
    return mode != 2;  // 0 reads as 1
}

}  // namespace

std::vector<std::string> SortedManholeNames(const std::vector<TramoT>& reaches) {
    std::vector<std::string> names;
    names.reserve(reaches.size() * 2);
    for (const TramoT& t : reaches) {
        names.push_back(t.Upstream);
        names.push_back(t.Downstream);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

OrderCheck CheckOrdering(const std::vector<TramoT>& reaches, int topologyMode,
                         bool energyJunctions) {
    OrderCheck c;
    const bool manual = ManualTopology(topologyMode);
    c.walk = manual ? WalkNetwork(reaches) : ReachTable(reaches);
    const WalkResult& w = c.walk;
    for (const WalkError& e : w.errors)
        c.rows.push_back(WalkRow(w, e.reach, cp(FaultText(e.fault))));

    if (manual && !w.table.empty()) {
        // More than four reaches meet where a name stands six times.
        std::vector<const std::string*> names;
        names.reserve(w.table.size() * 2);
        for (const WalkReach& t : w.table) {
            names.push_back(&t.upstream);
            names.push_back(&t.downstream);
        }
        std::sort(names.begin(), names.end(),
                  [](const std::string* a, const std::string* b) { return *a < *b; });
        int equal = 0;
        for (size_t i = 1; i < names.size(); ++i) {
            if (*names[i] != *names[i - 1]) {
                equal = 0;
                continue;
            }
            if (++equal == 5)
                c.rows.push_back({0, "", "", 0, 0,
                                  cp("ERROR...En el pozo de inspeccion [") + *names[i] +
                                      cp("] convergen mas de cuatro tramos.")});
        }
    }

    if (topologyMode == 2 || topologyMode == 3 || energyJunctions)
        for (size_t k = 0; k < reaches.size() && k < w.table.size(); ++k)
            if (reaches[k].Class == kClassNotInvestigated)
                c.rows.push_back(WalkRow(
                    w, static_cast<int>(k),
                    cp(" ERROR...no usar tramo no investigado en diseños autom. o con empalme "
                       "energia")));

    c.errorRows = static_cast<int>(c.rows.size());
    if (c.errorRows == 0 && w.marked > 0)
        for (size_t k = 0; k < w.table.size(); ++k)
            if (w.table[k].mark != kMarkNone)
                c.rows.push_back(WalkRow(w, static_cast<int>(k), MarkText(w.table[k].mark)));
    return c;
}

bool RunControlD(project::Project& p, OrderCheck& check, std::string* error) {
    return WithControl(p, error, [&] {
        std::vector<TramoT> reaches;
        if (!ReadStoredReaches(p, reaches, error)) return false;
        check = CheckOrdering(reaches, p.espec.TopologyMode, p.espec.EnergyJunctionDiameter > 0);
        if (!WriteErrorFile(p.files.messages(), ErrorTable::Ordering, check.rows, error))
            return false;
        if (!check.passed()) return true;
        std::string message;
        if (!WriteManholeNames(p.files.manholeNames(), SortedManholeNames(reaches), message))
            return Fail(error, message);
        p.header.ControlsDone[kControlD] = 1;
        return SaveControlRecords(p, {}, error);
    });
}

}  // namespace nivex::network
