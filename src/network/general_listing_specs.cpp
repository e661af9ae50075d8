// "List. Generales" A: the design criteria of the open sector, block after block.

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "console/codepage.h"
#include "design/hydraulics.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"
#include "network/general_listings.h"

namespace nivex::network {
namespace {

using general::BoxColumn;
using general::NumberCell;

constexpr int kWidth = 90;
constexpr size_t kLabelWidth = 62;  // the value follows the dotted label
constexpr const char* kCoefficient = "###.####";
constexpr const char* kMeasure = "  ###.##";  // depths, lengths, velocities
constexpr const char* kWhole = "   #####";    // diameters, counts
constexpr const char* kConstruction = "######.##";
constexpr const char* kZeroIsNone = " <0 = no especificar>";

const char* const kClassTexts[9] = {
    "[ SANITARIO POR LONGITUDES TRIBUTARIAS - FLUJO UNIFORME ]",
    "[ SANITARIO POR AREAS TRIBUTARIAS - FLUJO UNIFORME ]",
    "[ COMBINADO POR AREAS TRIBUTARIAS - METODO RACIONAL ]",
    "[ PLUVIAL POR AREAS TRIBUTARIAS - METODO RACIONAL ]",
    "[ MIXTO POR AREAS TRIBUTARIAS - METODO RACIONAL ]",
    "[ COMBINADO POR AREAS TRIBUTARIAS - BLOQUES ALTERNADOS ]",
    "[ PLUVIAL POR AREAS TRIBUTARIAS - BLOQUES ALTERNADOS ]",
    "[ COMBINADO POR AREAS TRIBUTARIAS - HIETOGRAMAS SWMM ]",
    "[ PLUVIAL POR AREAS TRIBUTARIAS - HIETORAMAS SWMM ]",
};

const char* const kRoutingTexts[3] = {"MODELO DISEÑO: [ONDA DIAMICA -",
                                      "MODELO DISEÑO: [ONDA CINEMATICA -",
                                      "MODELO DISEÑO: [FLUJO UNIFORME -"};
const char* const kInfiltrationTexts[3] = {" INFILTRACION: HORTON ]", " INFILTRACION: GREEN AMPT ]",
                                           " INFILTRACION: CURVA NUMERO ]"};

const char* const kPeakTexts[6] = {
    "[ FORMULA DE HARMON ]",      "[ FORMULA DE BABBIT ]",        "[ FORMULA DE FLORES ]",
    "[ FORMULA DE LOS ANGELES ]", "[ FORMULA DE TCHOBONOGLOUS ]", "{ FORMULA DE GAINES ]",
};
constexpr int kFixedPeak = 6;

// Methods of the minimum coefficient in the order of the configuration dialog; 5 is
// the fixed value.
const char* const kMinimumTexts[5] = {"[ USAR MAXIMO HORARIO ]", "[ USAR MAXIMO DIARIO ]",
                                      "[ USAR CAUDAL MEDIO ]", "[ USAR MINIMO DIARIO ]",
                                      "[ USAR MINIMO HORARIO ]"};
constexpr int kFixedMinimum = 5;

const char* const kProtectionTexts[3] = {"[ MINIMO ]", "[ ACEPTABLE ]", "[ RECOMENDADO ]"};

int Whole(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 30000) return -1;
    return static_cast<int>(std::lround(v));
}

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

std::string FixedValueText(double value) {
    return "[ VALOR FIJO DE " + Trimmed(listings::FormatNumber(value, "###.##")) + " ]";
}

std::string PeakText(const specs::EspecT& e) {
    if (e.PeakMethod == kFixedPeak) return FixedValueText(e.FixedPeakCoefficient);
    if (e.PeakMethod >= 0 && e.PeakMethod < kFixedPeak) return kPeakTexts[e.PeakMethod];
    return "";
}

std::string MinimumText(const specs::EspecT& e) {
    const int method = Whole(e.MinCoefficientMethod);
    if (method == kFixedMinimum) return FixedValueText(e.FixedMinCoefficient);
    if (method >= 0 && method < kFixedMinimum) return kMinimumTexts[method];
    return "";
}

// Label and filler up to the value column; a label that brings its filler keeps it.
std::string Dotted(std::string label) {
    if (label.size() >= kLabelWidth) return label;
    label += ' ';
    label.resize(kLabelWidth, '.');
    return label;
}

const char* YesNo(bool on) {
    return on ? "[ SI ]" : "[ NO ]";
}

// The listing being written, with the table that is open: a page break closes it and
// the next page opens it again.
class SpecWriter {
  public:
    explicit SpecWriter(listings::ListingRun& run) : run_(run) {
        run_.heading = [this] {
            if (table_) Heading();
        };
        run_.closeTable = [this] {
            if (table_) run_.Line(general::BoxBottom(*table_));
        };
    }

    void Text(const std::string& utf8) { Bytes(cp(utf8)); }
    void Blank() { Bytes(""); }

    void Item(const std::string& label, double value, const char* picture,
              const std::string& comment = "") {
        // A whole picture shows 0 as "0", which a real 0 would leave blank.
        const bool whole = std::string_view(picture).find('.') == std::string_view::npos;
        const listings::FormatValue v =
            whole ? listings::FormatValue(std::lround(value)) : listings::FormatValue(value);
        Bytes(Dotted(cp(label)) + listings::FormatNumber(v, picture) + cp(comment));
    }
    // An item whose value is a text ("[ SI ]", a method).
    void Item(const std::string& label, const std::string& text) {
        Bytes(Dotted(cp(label)) + " " + cp(text));
    }
    // A label that ends in its own filler and a note: the value goes between them.
    void Noted(const std::string& labelAndNote, double value, const char* picture) {
        const size_t note = labelAndNote.find(" <");
        Item(labelAndNote.substr(0, note), value, picture,
             note == std::string::npos ? "" : labelAndNote.substr(note));
    }

    void BeginTable(std::vector<BoxColumn> columns, int captionRows) {
        tableColumns_ = std::move(columns);
        captionRows_ = captionRows;
        table_ = &tableColumns_;
        if (ok_) Heading();
    }
    void TableRow(const std::vector<std::string>& cells) {
        ok_ = ok_ && run_.Row(general::BoxRow(cells));
    }
    void EndTable() {
        if (ok_) run_.Line(general::BoxBottom(tableColumns_));
        table_ = nullptr;
    }

  private:
    void Bytes(const std::string& text) { ok_ = ok_ && run_.Row(text); }
    void Heading() {
        run_.Line(general::BoxTop(*table_));
        for (int row = 0; row < captionRows_; ++row)
            run_.Line(general::BoxCaption(*table_, row));
        run_.Line(general::BoxSeparator(*table_));
    }

    listings::ListingRun& run_;
    std::vector<BoxColumn> tableColumns_;
    const std::vector<BoxColumn>* table_ = nullptr;
    int captionRows_ = 0;
    bool ok_ = true;
};

void DesignBlocks(SpecWriter& w, const shell::Session& s) {
    const specs::EspecT& e = s.project.espec;
    const int designClass = s.project.header.DesignClass;
    w.Blank();
    w.Text(std::string("CLASE DE DISENO: ") +
           (designClass >= 1 && designClass <= 9 ? kClassTexts[designClass - 1] : ""));
    if (designClass == 8 || designClass == 9) {
        const int routing = std::clamp(Whole(e.SwmmRouting), 0, 2);
        const int infiltration = std::clamp(e.InfiltrationModel, 0, 2);
        w.Text(std::string(kRoutingTexts[routing]) + kInfiltrationTexts[infiltration]);
    }
    w.Blank();
    w.Text("COEFICIENTE MAXIMO HORARIO: " + PeakText(e));
    w.Text("COEFICIENTE MINIMO SANITARIO (AUTOLIMPIEZA): " + MinimumText(e));

    // The self-cleansing criteria chosen in the configuration, one a line.
    std::vector<std::string> controls;
    if (e.SanMinFullVelocity != 0) controls.push_back("[ VEL. MIN. TUBO LLENO ]");
    if (e.SanMinRealVelocity != 0) controls.push_back("[ VEL. MIN. REAL ]");
    if (e.SanMinTractive100 != 0) controls.push_back("[ FUERZA TRACTIVA ]");
    if (s.project.header.Ras2016Model == 1) controls.push_back("[ MODELO CIRIA 3 ]");
    if (s.project.header.SlopePerDiameter == 1)
        controls.push_back("[ TABLA PEND. MIN. CADA DIAM.]");
    const std::string title = "CONTROL AUTOLAVADO : ";
    for (size_t k = 0; k < controls.size(); ++k)
        w.Text((k == 0 ? title : std::string(title.size(), ' ')) + controls[k]);
    if (controls.empty()) w.Text(title);

    w.Blank();
    if (e.AvoidCriticalDiameter != 0)
        w.Text(e.WideFroudeBand == 1
                   ? "[ Evitar el flujo critico para Numero Froude entre 0.70 y 1.50 ]"
                   : "[ Evitar el flujo critico para Numero Froude entre 0.90 y 1.10 ]");
    w.Text(e.ManningOption == 0 ? "[ n Manning .. Usar sugerencia ASCE (Varia con el diametro) ]"
                                : "[ n Manning .. Usar modelo tradicional (Valor fijo) ]");
    if (e.HydraulicRelations != 1)
        w.Text("[ Las relaciones hidraulicas se calcularan con n/N = 1 ]");
}

void GeneralBlock(SpecWriter& w, const specs::EspecT& e) {
    w.Blank();
    w.Text("ESPECIFICACIONES GENERALES :");
    w.Blank();
    w.Item("[1] - Coeficiente [ n ] de Manning tuberia nueva", e.ManningN, kCoefficient);
    if (e.ManningNLarge > 0 && e.ManningNLarge != e.ManningN) {
        w.Item("      ... Usar [ n ] anterior hasta diametro (mm) de", e.ManningLimitDiameter,
               kWhole);
        w.Item("      ......... para diametros mayores usar [ n ] de", e.ManningNLarge,
               kCoefficient);
    }
    w.Item("[2] - Profundidad minima minimorum a clave (m)", e.MinMinCrownDepth, kMeasure);
    w.Item("[3] - Profundidad minima a clave (m)", e.MinCrownDepth, kMeasure);
    w.Item("[4] - Profundidad a clave maxima deseable (m)", e.MaxDesirableCrownDepth, kMeasure);
    w.Item("[5] - Profundidad maxima a clave (m)", e.MaxCrownDepth, kMeasure);
    w.Item("[6] - Altura minima de bajante en tubo (m)", e.MinDropHeight, kMeasure);
    w.Noted("[7] - Empalmar a nivel claves llegan desde diametro (mm) ........ <0 = no empalmar>",
            e.CrownJoinDiameter, kWhole);
    w.Noted("      ..... en diametros menores empalmar caidas hasta (m) .......... <0 = ninguna>",
            e.CrownJoinDropCm / 100.0, kMeasure);
    w.Item("[8] - Rebajar la clave de salida en (m)", e.OutletCrownLowering, kMeasure);
    w.Item("[9] - Velocidad maxima de diseño (m/s)", e.MaxVelocity, kMeasure);
    w.Item("[10]- Pendiente minima de diseno (%)", e.MinDesignSlope, kMeasure);
    w.Noted("[11]- Empalmar por energia diametros mayores de (mm) [RAS]....... <0 = no empalmar>",
            e.EnergyJunctionDiameter, kWhole);
    w.Noted("[12]- Evitar flujo critico en diametros mayores de (mm) [RAS]...... <0 = no evitar>",
            e.AvoidCriticalDiameter, kWhole);
}

void ConstructionBlock(SpecWriter& w, const specs::EspecT& e) {
    static const char* const labels[] = {
        "[1] - % de excavacion seca en material comun",
        "[2] - % de excavacion seca en conglomerado",
        "[3] - % de excavacion seca en roca",
        "[4] - % de excavacion humeda en material comun",
        "[5] - % de excavacion humeda en conglomerado",
        "[6] - % de excavacion humeda en roca",
        "[7] - Numero de conexiones por ml de colector",
        "[8] - Longitud promedio conexion domiciliaria (m)",
        "[9] - m3 de excavacion por ml de conexion",
        "[10]- Factor de compactacion para rellenos de zanjas",
        "[11]- % de relleno en material de la excavacion",
        "[12]- % de relleno en material de prestamo",
        "[13]- % de relleno en material seleccionado",
    };
    w.Blank();
    w.Text("ESPECIFICACIONES DE CONSTRUCCION :");
    w.Blank();
    for (int k = specs::kDryCommon; k <= specs::kFillSelected; ++k)
        w.Item(labels[k], e.ConstructionData[static_cast<size_t>(k)], kConstruction);
    const std::pair<const char*, int> beddings[] = {
        {"[14]- Cimentar con recebo para profundidades mayores de (m)", specs::kBeddingGravelCode},
        {"[15]- Cimentar con concreto para profundidades mayores de (m)",
         specs::kBeddingConcreteCode},
    };
    for (const auto& [label, item] : beddings) {
        const int code = Whole(e.ConstructionData[static_cast<size_t>(item)]);
        const double depth = specs::BeddingDepth(e, code);
        if (depth < 0)
            w.Item(label, " no usar");
        else
            w.Item(label, depth, kConstruction);
    }
}

void SanitaryBlock(SpecWriter& w, const specs::EspecT& e) {
    w.Blank();
    w.Text("ESPECIFICACIONES SANITARIAS :");
    w.Blank();
    w.Item("[1] - Caudal minimo de calculo (l/s)", e.SanMinFlow, kMeasure);
    if (e.PeakMethod == kFixedPeak)
        w.Item("[2] - Coeficiente maximo horario", e.FixedPeakCoefficient, kMeasure,
               " <valor fijo>");
    else
        w.Item("[2] - Coeficiente maximo horario", PeakText(e));
    w.Item("[3] - Temperatura del agua (grados centigrados)", e.WaterTemperature, kWhole);
    w.Item("[4] - DBO a los cinco dias (mg/l)", e.Bod5, kWhole);
    w.Noted("[5] - Fuerza tractiva minima minimorum (Kg/m2) ............... <0 = no especificar>",
            e.SanMinMinTractive100 / 100.0, kMeasure);
    w.Noted("[6] - Fuerza tractiva minima (kg/m2) ......................... <0 = no especificar>",
            e.SanMinTractive100 / 100.0, kMeasure);
    w.Noted("[7] - Velocidad minima minimorum real (m/s) .................. <0 = no especificar>",
            e.SanMinMinRealVelocity, kMeasure);
    w.Noted("[8] - Velocidad minima real (m/s) ............................ <0 = no especificar>",
            e.SanMinRealVelocity, kMeasure);
    if (Whole(e.MinCoefficientMethod) == kFixedMinimum)
        w.Item("[9] - Coeficiente minimo de diseno", e.FixedMinCoefficient, kMeasure,
               " <valor fijo>");
    else
        w.Item("[9] - Coeficiente minimo de diseno", MinimumText(e));
    w.Item("[10]- Velocidad minima a tubo lleno (m/s)", e.SanMinFullVelocity, kMeasure,
           kZeroIsNone);
    w.Item("[11]- Maximo llenado del tubo (y/do)", e.MaxFilling, kMeasure);
    w.Item("[12]- Diametro minimo sanitario (mm)", e.MinSanitaryDiameter, kWhole);
    w.Item("[13]- numero de zonas", e.ZoneCount, kWhole, " <maximo 15>");

    const bool lengths = e.SystemKind == 1;
    w.Blank();
    w.Text("VALORES UNITARIOS SANITARIOS :");
    w.Blank();
    w.BeginTable(
        {
            {7, {"zona", "", ""}},
            {16, {"caudales de", "aguas negras", lengths ? "l/s/100 mts." : "l/s/hectarea"}},
            {16, {"infiltracion +", "conex. erradas", lengths ? "l/s/100 mts." : "l/s/hectarea"}},
            {16, {"densidad de", "la poblacion", lengths ? "hab/100 mts." : "hab/hectarea"}},
        },
        3);
    const int zones = std::clamp(Whole(e.ZoneCount), 1, specs::kMaxZones);
    for (int z = 0; z < zones; ++z) {
        const specs::SanitaryZone& zone = e.Zones[static_cast<size_t>(z)];
        w.TableRow(
            {zones == 1 ? general::Centre("unica", 7) : general::Centre(std::to_string(z + 1), 7),
             NumberCell(false, zone.sewageFlow, "###.####", 4, 4),
             NumberCell(false, zone.infiltration, "###.####", 4, 4),
             NumberCell(false, zone.density, "####.##", 5, 4)});
    }
    w.EndTable();
}

void StormBlock(SpecWriter& w, const specs::EspecT& e) {
    w.Blank();
    w.Text("ESPECIFICACIONES PLUVIALES :");
    w.Blank();
    w.Item("[1] - Velocidad minima a tubo lleno (m/s)", e.StormMinFullVelocity, kMeasure,
           kZeroIsNone);
    w.Item("[2] - Tiempo de concentracion minimo (minutos)", e.MinConcentrationTime, kMeasure);
    w.Item("[3] - Coeficiente de escorrentia mas usual", e.RunoffCoefficient, kMeasure);
    w.Item("[4] - Diametro minimo pluvial (mm)", e.MinStormDiameter, kWhole);
    w.Noted("[5] - Fuerza tractiva minima minimorum (Kg/m2) ............... <0 = no especificar>",
            e.StormMinMinTractive, kMeasure);
    w.Noted("[6] - Fuerza tractiva minima (kg/m2) ......................... <0 = no especificar>",
            e.StormMinTractive, kMeasure);
    w.Noted("[7] - Velocidad minima minimorum real (m/s) .................. <0 = no especificar>",
            e.StormMinMinRealVelocity, kMeasure);
    w.Noted("[8] - Velocidad minima real (m/s) ............................ <0 = no especificar>",
            e.StormMinRealVelocity, kMeasure);
    w.Item("[9] - Fuerza Tractiva minima pluvial [RAS] (Usar 0.15 Kg/m2 para q/Q = 0.10)",
           YesNo(e.RasStormTractive == 1));
    const bool rasModel = e.RasRainfallModel == 1;
    w.Item("[10]- Usar modelo [RAS] para ecuaciones pluviales", YesNo(rasModel));
    // The protection degree matters only with the RAS rain model.
    if (rasModel) {
        const int degree = std::clamp(Whole(e.RasProtectionDegree), 0, 2);
        w.Item("[11]- Grado de proteccion pluvial [RAS]", kProtectionTexts[degree]);
    }
    w.Noted(std::string(rasModel ? "[12]- " : "[11]- ") +
                "numero de ecuaciones pluviales [ FORMA: i = A/(B + t^n)^m ] ...... <maximo 5>",
            e.EquationCount, kWhole);

    w.Blank();
    w.Text("ECUACIONES PLUVIALES :");
    w.Blank();
    w.BeginTable(
        {
            {7, {"tipo", "#", ""}},
            {12, {"frecuencia", "(a n o s)", ""}},
            {13, {"r a n g o s", "(minutos)", ""}},
            {13, {"coeficiente", "< A >", ""}},
            {13, {"coeficiente", "< B >", ""}},
            {11, {"exponente", "< n >", ""}},
            {11, {"exponente", "< m >", ""}},
        },
        2);
    const int equations = std::clamp(Whole(e.EquationCount), 1, specs::kMaxEquations);
    for (int k = 0; k < equations; ++k) {
        const specs::RainEquation& q = e.Equations[static_cast<size_t>(k)];
        const std::string kind = equations == 1 ? "unico" : listings::FormatNumber(k + 1, "##");
        auto row = [&](const std::string& range, float a, float b, float n, float m, bool first) {
            w.TableRow({general::Centre(first ? kind : "", 7),
                        first ? NumberCell(false, q.frequency, "###", 5, 4) : std::string(12, ' '),
                        general::Centre(range, 13), NumberCell(false, a, "#####.##", 2, 3),
                        NumberCell(false, b, "#####.##", 2, 3),
                        NumberCell(false, n, "##.###", 2, 3),
                        NumberCell(false, m, "##.###", 2, 3)});
        };
        if (q.durationBound > 0) {
            row("hasta " + listings::FormatNumber(q.durationBound, "#####"), q.a, q.b, q.n, q.m,
                true);
            row("hasta final", q.a2, q.b2, q.n2, q.m2, false);
        } else {
            row("hasta final", q.a, q.b, q.n, q.m, true);
        }
    }
    w.EndTable();
}

void DiameterTables(SpecWriter& w, const shell::Session& s) {
    const specs::EspecT& e = s.project.espec;
    const int pipes = std::max(specs::UsedDiameters(e) - 1, 0);  // the last entry is a duct
    if (s.project.header.Ras2016Model == 1) {
        const design::HydraulicCriteria criteria = design::CriteriaOf(e, s.project.header);
        w.Blank();
        w.Text("MODELO CIRIA 3 - DEFINE VELOCIDADES MINIMAS A TUBO LLENO PARA CADA DIAMETRO :");
        w.Blank();
        w.BeginTable(
            {{13, {"diametro", "comercial", "(mm)"}}, {13, {"Veloc. Min.", "de diseño", "(m/s)"}}},
            3);
        for (int k = 0; k < pipes; ++k) {
            const float d = e.Diameters[static_cast<size_t>(k)];
            w.TableRow(
                {NumberCell(false, d, "####", 5, 4),
                 NumberCell(false, design::RasMinimumVelocity(criteria, d), "###.##", 4, 3)});
        }
        w.EndTable();
    }
    if (s.project.header.SlopePerDiameter == 1) {
        w.Blank();
        w.Text("TABLA PENDIENTES MINIMAS DE DISEÑO ESPECIFICADAS PARA CADA DIAMETRO:");
        w.Blank();
        w.BeginTable({{13, {"diametro", "(mm)", ""}}, {13, {"Pend.Minima", "(%)", ""}}}, 2);
        for (int k = 0; k < pipes; ++k)
            w.TableRow({NumberCell(false, e.Diameters[static_cast<size_t>(k)], "####", 5, 4),
                        NumberCell(false, e.MinimumSlopes[static_cast<size_t>(k)], "##.##", 4, 4)});
        w.EndTable();
    }
}

}  // namespace

void ListSpecifications(shell::Session& s) {
    if (!general::LoadSector(s)) return;
    if (!general::ConfirmWithQuestion(s, "LISTADO ESPECIFICACIONES",
                                      "Desea listar las especificaciones ?"))
        return;
    listings::ListingRun run(s, cp("E S P E C I F I C A C I O N E S"), kWidth);
    SpecWriter w(run);
    if (!run.Begin()) return;
    const specs::EspecT& e = s.project.espec;
    DesignBlocks(w, s);
    GeneralBlock(w, e);
    ConstructionBlock(w, e);
    if (e.SystemKind != 4) SanitaryBlock(w, e);
    if (e.SystemKind >= 3) StormBlock(w, e);
    DiameterTables(w, s);
    run.Finish();
}

}  // namespace nivex::network
