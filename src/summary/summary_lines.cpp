#include "summary/summary_lines.h"

#include <algorithm>
#include <cmath>

#include "console/codepage.h"

namespace nivex::summary {
namespace {

using quantities::QuantityTables;

constexpr const char* kCount = "       #####";
constexpr const char* kReal = "#,###,###.##";
constexpr const char* kPercent = "       ##.##";
constexpr const char* kMoney = "$##,###,###,###";
constexpr int kIndexRule = 61;
constexpr int kSectionColumn = 3;  // inside the index block
constexpr int kEntryColumn = 8;

std::string Centred(std::string_view text, int width) {
    const int left = std::max(0, (width - static_cast<int>(text.size())) / 2);
    return std::string(static_cast<size_t>(left), ' ') + std::string(text);
}

// Divisions by a zero count or length are not made: the value stays 0.
double Ratio(double value, double by) {
    return by != 0 ? value / by : 0.0;
}

struct Row {
    const char* label;
    double value;
    const char* picture;
};

void Block(std::vector<std::string>& out, const char* heading, const std::vector<Row>& rows,
           int width) {
    out.push_back(Centred(cp(heading), width));
    for (const Row& r : rows) {
        // Counts and money are whole numbers, and a zero among them is printed as 0.
        const bool whole = std::string_view(r.picture).find('.') == std::string_view::npos;
        out.push_back(whole ? SummaryLine(cp(r.label), std::lround(r.value), r.picture, width)
                            : SummaryLine(cp(r.label), r.value, r.picture, width));
    }
}

}  // namespace

std::string SummaryLine(std::string_view label, const listings::FormatValue& value,
                        std::string_view picture, int width) {
    const std::string number = listings::FormatLine(picture, {value});
    std::string line(label);
    const int points = width - static_cast<int>(label.size()) - 1 - static_cast<int>(number.size());
    if (points > 0) line += ' ' + std::string(static_cast<size_t>(points), '.');
    return line + number;
}

std::vector<std::string> SummaryBody(int designClass, const std::string& identification,
                                     const QuantityTables& q, const budget::BudgetValues& v) {
    const int w = kSummaryWidth;
    using namespace quantities;
    const auto& a = q.statisticsA;
    const auto& b = q.statisticsB;
    const bool modelClass = designClass >= 6;
    const double reaches = a[kReachCount];
    const double connections = q.connections.size() > static_cast<size_t>(q.sizeCount + 1)
                                   ? q.connections[static_cast<size_t>(q.sizeCount + 1)]
                                   : 0.0;

    std::vector<std::string> out;
    out.emplace_back();
    out.push_back(Centred("<< ... " + upper(identification) + " ... >>", w));
    out.emplace_back();

    Block(out, "DATOS GENERALES DEL SISTEMA TOTAL ( existente mas nuevo )",
          {{"numero de tramos totales", reaches, kCount},
           {"longitud total (m)", a[kTotalLength], kReal},
           {"pendiente promedio del terreno ( % )", a[kMeanGroundSlope], kReal},
           {"pendiente promedio del proyecto ( % )", a[kMeanSlope], kReal},
           {modelClass ? "velocidad real minima promedio del sistema total ( m/s )"
                       : "velocidad real promedio del sistema total ( m/s )",
            a[kMeanVelocity], kReal},
           {modelClass ? "porcentaje de tramos con velocidad real minima menor que 0.30 ( m/s )"
                       : "porcentaje de tramos con velocidad real menor que 0.30 ( m/s )",
            a[kSlowPercent], kReal},
           {"porcentaje de tramos con fuerza tractiva menor que 0.10 ( Kg/m2 )",
            a[kLowTractivePercent], kReal}},
          w);

    out.emplace_back();
    Block(
        out, "DATOS DE POSIBILIDAD DE FORMACION H2S - INDICE POMEROY",
        {{"% tramos con v/r menor a  5000  (poco probable)", Ratio(q.sulfide[0], reaches) * 100,
          kPercent},
         {"% tramos con v/r 5000  -  10000 (posible)      ", Ratio(q.sulfide[1], reaches) * 100,
          kPercent},
         {"% tramos con v/r mayor a  10000 (muy probable) ", Ratio(q.sulfide[2], reaches) * 100,
          kPercent},
         {"Indice de Pomeroy promedio en el sistema       ", Ratio(q.sulfide[3], reaches), kCount}},
        w);

    out.emplace_back();
    Block(
        out, "DATOS DEL SISTEMA NUEVO",
        {{"numero de tramos", b[kPipeReaches], kCount},
         {"longitud ( m )", b[kPipeLength], kReal},
         {"dimension maxima tuberia o ducto cuadrado ( milimetros )", b[kLargestDiameter], kCount},
         {"dimension promedio aritmetico tuberias y ductos cuadrados ( milimetros )", b[kMeanSize],
          kReal},
         {"profundidad media ( m )", b[kPipeMeanDepth], kReal},
         {"profundidad maxima ( m )", b[kLargestCrownDepth], kReal},
         {"volumen de excavacion promedio ( m3/m )", b[kExcavationPerMetre], kReal},
         {"numero de pozos de inspeccion", b[kManholeCount], kCount},
         {"profundidad media pozos de inspeccion ( m )", b[kMeanManholeDepth], kReal},
         {"numero de camaras de caida", b[kDropCount], kCount},
         {"longitud media de colector por pozo de inspeccion ( m/unidad )", b[kLengthPerManhole],
          kReal},
         {"numero de conexiones domiciliarias", connections, kCount},
         {"numero de tramos existentes eliminados", q.removalTotal.count, kCount},
         {"longitud de los tramos existentes eliminados ( m )", q.removalTotal.length, kCount}},
        w);

    const auto& c = v.chapters;
    std::vector<Row> costs = {
        {"valor de las excavaciones", c[1], kMoney},
        {"valor de los rellenos compactados", c[2], kMoney},
        {"valor de los pozos de inspeccion", c[3], kMoney},
        {"valor de los conductos (tuberias o ductos cuadrados)instalados", c[4], kMoney},
        {"valor de las conexiones domiciliarias", c[5], kMoney},
        {"valor de la cimentacion de las tuberias", c[6], kMoney},
        {"valor de los bajantes de las camaras de caida", c[7], kMoney},
        {"Valor de la eliminacion de tramos construidos", c[8], kMoney},
        {"valor de otros items (especiales)", c[9], kMoney},
        {"valor total del sistema nuevo", v.total, kMoney},
        {"costo por metro lineal de colector nuevo", Ratio(v.total, b[kPipeLength]), kMoney},
    };
    if (connections != 0)
        costs.push_back({"costo por conexion adicional", Ratio(v.total, connections), kMoney});
    out.emplace_back();
    Block(out, "COSTOS DEL SISTEMA NUEVO", costs, w);
    return out;
}

// ---- The project index ----

const std::array<const char*, kIndexOptions> kIndexOptionTexts = {
    "Cuadro de Calculo de Colectores Principales",
    "Problemas de Capacidad o Empalme",
    "Deficiencias en Tramos Existentes o Restringidos",
    "Datos Generales de los Tramos",
    "Datos Especiales de los Tramos",
    "Resumen de los Tramos",
    "Relacion de los tramos",
    "Lista de Precios Unitarios",
};

IndexAnswers OfferedAnswers(int mask) {
    IndexAnswers answers{};
    for (int k = 0; k < kIndexOptions; ++k)
        answers[static_cast<size_t>(k)] = (mask >> k) & 1;
    answers[kDeficiencies] = false;
    return answers;
}

int MaskOf(const IndexAnswers& answers) {
    int mask = 0;
    for (int k = 0; k < kIndexOptions; ++k)
        if (answers[static_cast<size_t>(k)]) mask |= 1 << k;
    return mask;
}

namespace {

struct Section {
    const char* title;
    std::vector<const char*> entries;
};

// The block of the index, indented so that its rules stand centred in the page width.
class IndexBlock {
  public:
    explicit IndexBlock(int width)
        : indent_(static_cast<size_t>(std::max(0, (width - kIndexRule) / 2))) {}

    void Empty(int count = 1) {
        for (int k = 0; k < count; ++k)
            lines.emplace_back();
    }
    void Rule() { At(0, std::string(kIndexRule, '=')); }
    void Title(std::string_view text) {
        const int left = std::max(0, (kIndexRule - static_cast<int>(text.size())) / 2);
        At(left, text);
        At(left, std::string(text.size(), '-'));
    }
    void At(int column, std::string_view text) {
        lines.push_back(std::string(indent_ + static_cast<size_t>(column), ' ') +
                        std::string(text));
    }

    std::vector<std::string> lines;

  private:
    size_t indent_;
};

}  // namespace

std::vector<std::string> IndexLines(int designClass, const IndexAnswers& answers, int sectorNumber,
                                    int width) {
    auto optional = [&](IndexOption o) -> const char* {
        return answers[o] ? kIndexOptionTexts[o] : nullptr;
    };
    const bool sanitary = designClass != 4;
    const bool storm = designClass > 2;
    const std::vector<Section> sections = {
        {"1 - RESUMEN GENERAL Y ESPECIFICACIONES",
         {"Resumen General", "Especificaciones Generales y de Construccion",
          sanitary ? "Especificaciones Sanitarias y Valores Unitarios Sanitarios" : nullptr,
          storm ? "Especificaciones Pluviales y Ecuaciones de Aguas Lluvias" : nullptr}},
        {"2 - DISEÑO Y CALCULOS",
         {sanitary ? "Cuadro de Caudales Sanitario" : nullptr,
          storm ? "Cuadro de Caudales Pluviales" : nullptr, "Cuadro de Calculo de Alcantarillado",
          optional(kMainCollectors), optional(kCapacityProblems), optional(kDeficiencies)}},
        {"3 - CANTIDADES DE OBRA Y PRESUPUESTO",
         {"Cantidades de Obra", "Clasificacion de los Tramos de Colectores y Pozos de Inspeccion",
          "Presupuesto"}},
        {"4 - ANEXOS ( LISTADOS VERIFICACION Y DATOS DE ENTRADA )",
         {"Listados de verificacion con SWMM", optional(kGeneralData), optional(kSpecialData),
          optional(kReachSummary), optional(kReachRelation), optional(kUnitPriceList)}},
    };
    int leftOut = 0;
    for (const Section& s : sections)
        leftOut += static_cast<int>(std::count(s.entries.begin(), s.entries.end(), nullptr));

    IndexBlock block(width);
    block.Empty(leftOut / 2 + 6);
    block.Rule();
    if (sectorNumber > 0) block.Title("RESUMEN GENERAL - SECTOR #" + std::to_string(sectorNumber));
    block.Title("INDICE DE TEMAS");
    for (const Section& s : sections) {
        block.Empty();
        block.At(kSectionColumn, cp(s.title));
        for (const char* entry : s.entries)
            if (entry) block.At(kEntryColumn, cp(entry));
    }
    block.Empty();
    block.Rule();
    return block.lines;
}

std::vector<std::string> ConsolidatedIndexLines(int width) {
    IndexBlock block(width);
    block.Empty(15);
    block.Rule();
    block.Title("RESUMEN CONSOLIDADO ( TODOS LOS SECTORES )");
    block.Empty();
    for (const char* entry :
         {"Resumen General", "Cantidades de Obra",
          "Clasificacion de los Tramos de Colectores y Pozos de Inspeccion", "Presupuesto"})
        block.At(kEntryColumn, entry);
    block.Empty();
    block.Rule();
    return block.lines;
}

}  // namespace nivex::summary
