// The eight sections of the quantity listing: their texts, as the contract documents
// describe the work items, and their tables.

#include <cmath>

#include "console/codepage.h"
#include "listings/number_format.h"
#include "quantities/quantity_listing.h"

namespace nivex::quantities {
namespace {

constexpr char kBar = static_cast<char>(179);
constexpr double kLargestDropPipe = 900;  // mm; larger conduits get a special chamber

// A box of columns of fixed widths, drawn with the DOS line codes.
class Box {
  public:
    explicit Box(std::vector<int> widths) : widths_(std::move(widths)) {}

    std::string Top() const { return Rule(218, 194, 191); }
    std::string Separator() const { return Rule(195, 197, 180); }
    std::string Bottom() const { return Rule(192, 193, 217); }
    // The texts centred in their columns.
    std::string Centred(const std::vector<std::string>& texts) const {
        std::string s(1, kBar);
        for (size_t k = 0; k < widths_.size(); ++k)
            s += Fit(k < texts.size() ? texts[k] : "", widths_[k], true) + kBar;
        return s;
    }
    // The first text from the column's second place, the others centred.
    std::string Row(const std::vector<std::string>& texts) const {
        std::string s(1, kBar);
        for (size_t k = 0; k < widths_.size(); ++k) {
            const std::string text = k < texts.size() ? texts[k] : "";
            s += (k == 0 ? Fit(" " + text, widths_[k], false) : Fit(text, widths_[k], true)) + kBar;
        }
        return s;
    }
    std::vector<std::string> Head(const std::vector<std::string>& captions) const {
        return {Top(), Centred(captions), Separator()};
    }

  private:
    static std::string Fit(const std::string& text, int width, bool centre) {
        const auto w = static_cast<size_t>(width);
        if (text.size() >= w) return text.substr(0, w);
        const size_t left = centre ? (w - text.size()) / 2 : 0;
        return std::string(left, ' ') + text + std::string(w - text.size() - left, ' ');
    }
    std::string Rule(int left, int tee, int right) const {
        std::string s(1, static_cast<char>(left));
        for (size_t k = 0; k < widths_.size(); ++k) {
            s += std::string(static_cast<size_t>(widths_[k]), static_cast<char>(196));
            s += static_cast<char>(k + 1 == widths_.size() ? right : tee);
        }
        return s;
    }
    std::vector<int> widths_;
};

// A quantity in its picture. The pictures leave a zero blank; here a zero is a quantity
// and shows as one ("0", "0.00").
std::string Number(double value, std::string_view picture) {
    std::string text = listings::FormatNumber(std::isfinite(value) ? value : 0.0, picture);
    if (text.find_first_not_of(' ') != std::string::npos) return text;
    const size_t point = picture.find('.');
    std::string zero = "0";
    if (point != std::string_view::npos) zero += "." + std::string(picture.size() - point - 1, '0');
    if (zero.size() < text.size()) text.replace(text.size() - zero.size(), zero.size(), zero);
    return text;
}

std::string Limit(const QuantityLimits& l, int k) {
    return LimitText(l.excavation[static_cast<size_t>(k)]);
}

// A size of the list, with the duct mark from the first duct on.
std::string SizeCell(const QuantityLimits& l, int position) {
    if (position < 1 || position > l.sizeCount()) return "otro";
    return Number(l.size(position), "####") + (l.isDuct(position) ? cp(" ▀") : "  ");
}

// ---- I, II: excavation and fill ----

QuantitySection Excavation(const QuantityTables& t, const QuantityLimits& l) {
    const std::string e1 = Limit(l, 0), e2 = Limit(l, 1), e3 = Limit(l, 2);
    const auto w = [&](int k) { return LimitText(l.overWidth[static_cast<size_t>(k)]); };
    QuantitySection s;
    s.prose = {
        "I- EXCAVACIONES (m3)",
        "",
        "Excavaciones para la instalacion de tuberias y construccion de camaras de  ins-",
        "peccion.  Incluye  mano de obra, herramientas, entibados, extraccion de derrum-",
        "bes, entarimados, asi como explosivos o bombeo cuando fueren necesarios.",
        "Se especifican los siguientes anchos de zanja :",
        "a) Para profundidades menores de " + e1 + " metros ....: el diametro mas " + w(0) +
            " metros.",
        "b) Para profundidades entre " + e1 + " y " + e2 + " metros ..: el diametro mas " + w(1) +
            " metros.",
        "c) Para profundidades entre " + e2 + " y " + e3 + " metros ..: el diametro mas " + w(2) +
            " metros.",
        "d) Para profundidades mayores de " + e3 + " metros ....: el diametro mas " + w(3) +
            " metros.",
        "No obstante lo anterior, la zanja hasta 0.30 metros por encima de la clave ten-",
        "dra un sobreancho en relacion al diametro del tubo no superior a 0.30 m.",
    };
    static const char* const kRows[] = {
        "material comun (en seco)",    "conglomerado   (en seco)",    "roca           (en seco)",
        "material comun (con bombeo)", "conglomerado   (con bombeo)", "roca           (con bombeo)",
        "T   O   T   A   L   E   S",
    };
    const Box box({28, 11, 11, 11, 11, 11});
    const double E1 = l.excavation[0], E2 = l.excavation[1], E3 = l.excavation[2];
    QuantityTable table;
    table.head = box.Head({"CLASE", listings::FormatLine("< #.##", {E1}),
                           listings::FormatLine("#.##/#.##", {E1, E2}),
                           listings::FormatLine("#.##/#.##", {E2, E3}),
                           listings::FormatLine("> #.##", {E3}), "TOTALES"});
    for (int row = 1; row <= kMaterials + 1; ++row) {
        if (row == kMaterials + 1) table.rows.push_back(box.Separator());
        std::vector<std::string> cells = {kRows[row - 1]};
        for (int column = 1; column <= kExcavationRanges + 1; ++column)
            cells.push_back(Number(
                t.excavation[static_cast<size_t>(row)][static_cast<size_t>(column)], "####,###"));
        table.rows.push_back(box.Row(cells));
    }
    table.bottom = box.Bottom();
    s.tables.push_back(std::move(table));
    return s;
}

QuantitySection Fill(const QuantityTables& t) {
    QuantitySection s;
    s.prose = {
        "II- RELLENO COMPACTADO (m3)",
        "",
        "Relleno y apisonado de la zanja, retiro de materiales sobrantes y arreglo de la",
        "superficie a su estado original. Incluye mano de obra, herramientas y equipos.",
    };
    static const char* const kRows[] = {"Material de la excavacion", "Material de prestamo",
                                        "Material seleccionado", "T   O   T   A   L   E   S"};
    const Box box({30, 18});
    QuantityTable table;
    table.head = box.Head({"CLASE", "VOLUMEN (m3)"});
    for (size_t k = 0; k < 4; ++k) {
        if (k == 3) table.rows.push_back(box.Separator());
        table.rows.push_back(box.Row({kRows[k], Number(t.fill[k], "####,###")}));
    }
    table.bottom = box.Bottom();
    s.tables.push_back(std::move(table));
    return s;
}

// ---- III: manholes ----

QuantitySection Manholes(const QuantityTables& t, const QuantityLimits& l) {
    QuantitySection s;
    s.prose = {
        "III- POZOS DE INSPECCION (unidades)",
        "",
        "Construccion de pozos de inspeccion con tapa de 0.60 m. de diametro y escalones",
        "separados 0.40 m. centro a centro, y canaletas para conducir las aguas.",
    };
    const std::string m1 = LimitText(l.manhole[0]), m2 = LimitText(l.manhole[1]);
    const std::string limit120 = std::to_string(l.manhole120);
    const std::string limit180 = std::to_string(l.manhole180);
    const std::string headings[kManholeGroups] = {
        "Diametro interior de 1.20 - Para tuberia <= " + limit120 + " mm",
        "Diametro interior de 1.80 - Para tuberia > " + limit120 + " mm y <= " + limit180 + " mm",
        "Pozo inspeccion especial - Para tuberia > " + limit180 + " mm",
    };
    static const char* const kClasses[] = {"con placa plana reforzada", "con cono de reduccion",
                                           "con cono de reduccion", "    TOTALES    O    PROMEDIO"};
    const std::string ranges[] = {"< " + m1, m1 + " - " + m2, "> " + m2, "-----"};
    const Box box({30, 23, 23, 14});
    for (int group = 0; group < kManholeGroups; ++group) {
        const auto& rows = t.manholes[static_cast<size_t>(group)];
        const auto cell = [&](int row, int column) {
            return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
        };
        // The network's manholes and the initial ones the design added, together.
        const auto count = [&](int c) {
            return cell(kNetworkRow, c).count + cell(kAddedRow, c).count;
        };
        if (count(kManholeRanges + 2) <= 0) continue;
        QuantityTable table;
        table.before = {headings[group]};
        table.head =
            box.Head({"CLASE", "RANGO PROFUNDIDAD (m)", "PROFUNDIDAD MEDIA (m)", "UNIDADES (#)"});
        for (int c = 1; c <= kManholeRanges + 1; ++c) {
            const int column = c <= kManholeRanges ? c : kManholeRanges + 2;
            if (c > kManholeRanges) table.rows.push_back(box.Separator());
            const double n = count(column);
            const double depth =
                cell(kNetworkRow, column).depthSum + cell(kAddedRow, column).depthSum;
            table.rows.push_back(
                box.Row({kClasses[c - 1], ranges[c - 1], Number(n > 0 ? depth / n : 0.0, "##.##"),
                         Number(n, "####")}));
        }
        table.bottom = box.Bottom();
        s.tables.push_back(std::move(table));
    }
    return s;
}

// ---- IV, VII: pipes by size ----

const Box& PipeBox() {
    static const Box box({23, 22, 30, 20});
    return box;
}

std::vector<std::string> PipeHead() {
    return PipeBox().Head({"D I M E N S I O N (mm)", "PROFUNDIDAD MEDIA (m)",
                           "N U M E R O  D E  T R A M O S", "L O N G I T U D (m)"});
}

// A size row (centred), or a sum row under its label.
std::string PipeRow(const std::string& first, const PipeCell& c, bool label = false) {
    const std::vector<std::string> cells = {first, Number(c.meanDepth, "##.##"),
                                            Number(c.count, "####"), Number(c.length, "#,###,###")};
    return label ? PipeBox().Row(cells) : PipeBox().Centred(cells);
}

std::string DashRow(const std::string& first, bool label = false) {
    const std::vector<std::string> cells = {first, "-----", "----", "-----"};
    return label ? PipeBox().Row(cells) : PipeBox().Centred(cells);
}

// The rows of the positions with reaches; the dash row when none has any.
std::vector<std::string> PipeRows(const QuantityLimits& l, const std::vector<PipeCell>& cells,
                                  int last) {
    std::vector<std::string> rows;
    for (int p = 1; p <= last && p < static_cast<int>(cells.size()); ++p)
        if (cells[static_cast<size_t>(p)].count > 0)
            rows.push_back(PipeRow(SizeCell(l, p), cells[static_cast<size_t>(p)]));
    if (rows.empty()) rows.push_back(DashRow("-----"));
    return rows;
}

std::string RangeText(const QuantityLimits& l, int r) {
    const std::string e1 = Limit(l, 0), e2 = Limit(l, 1), e3 = Limit(l, 2);
    const std::string texts[] = {"menor de " + e1 + " m", "entre " + e1 + " y " + e2 + " m",
                                 "entre " + e2 + " y " + e3 + " m", "mayor de " + e3 + " m"};
    return "(" + std::to_string(r) + ") profundidad a batea " + texts[r - 1];
}

QuantitySection Pipes(const QuantityTables& t, const QuantityLimits& l,
                      const std::array<std::string, 3>& pipeTypes) {
    QuantitySection s;
    s.prose = {
        "IV- SUMINISTRO E INSTALACION DE TUBERIA (ml)",
        "",
        "Suministro e instalacion de tuberias, incluida la localizacion, uso de entibados",
        "y achique de aguas, cuando sean necesarios.",
    };
    for (size_t k = 0; k < pipeTypes.size(); ++k)
        if (pipeTypes[k].find_first_not_of(' ') != std::string::npos)
            s.prose.push_back("Clase de tuberia (" + std::to_string(k + 1) + "): " + pipeTypes[k]);
    std::string note =
        cp("Conducto: Tuberia o Ducto cuadrado ▀ cuando la dimension es mayor o igual a ");
    if (l.firstDuct >= 1 && l.firstDuct <= l.sizeCount()) note += SizeText(l.size(l.firstDuct));
    s.prose.push_back(note);

    const int S = t.sizeCount;
    const auto total = static_cast<size_t>(S + 1);
    for (int r = 1; r <= kExcavationRanges; ++r) {
        const std::vector<PipeCell>& cells = t.pipes[static_cast<size_t>(r)];
        if (cells.size() <= total || cells[total].count <= 0) continue;
        QuantityTable table;
        table.before = {RangeText(l, r)};
        table.head = PipeHead();
        table.rows = PipeRows(l, cells, S);
        table.rows.push_back(PipeBox().Separator());
        table.rows.push_back(PipeRow("  SUMA O PROMEDIO", cells[total], true));
        table.bottom = PipeBox().Bottom();
        s.tables.push_back(std::move(table));
    }
    // The system's total closes the last range's table; without pipes it is a dash table.
    if (s.tables.empty()) {
        QuantityTable table;
        table.head = PipeHead();
        table.rows = {DashRow("-----")};
        table.bottom = PipeBox().Bottom();
        s.tables.push_back(std::move(table));
    }
    QuantityTable& last = s.tables.back();
    last.rows.push_back(PipeBox().Separator());
    last.rows.push_back(t.pipeTotal.count > 0 ? PipeRow(" TOTAL O PROMEDIO", t.pipeTotal, true)
                                              : DashRow(" TOTAL O PROMEDIO", true));
    return s;
}

QuantitySection Removals(const QuantityTables& t, const QuantityLimits& l) {
    QuantitySection s;
    s.prose = {
        "VII- ELIMINACION DE TUBERIA EXISTENTE (ml)",
        "",
        "Sobrecosto por la eliminacion de tuberias que van a ser sustituidas por otras.",
        "Incluye los costos para mantener el funcionamiento mientras se hace el cambio.",
    };
    QuantityTable table;
    table.head = PipeHead();
    // Position S + 1 holds the removed reaches whose size is not in the list.
    table.rows = PipeRows(l, t.removals, t.sizeCount + 1);
    table.rows.push_back(PipeBox().Separator());
    table.rows.push_back(t.removalTotal.count > 0
                             ? PipeRow(" TOTAL O PROMEDIO", t.removalTotal, true)
                             : DashRow(" TOTAL O PROMEDIO", true));
    table.bottom = PipeBox().Bottom();
    s.tables.push_back(std::move(table));
    return s;
}

// ---- V, VI: connections and drops ----

QuantitySection Connections(const QuantityTables& t, const QuantityLimits& l) {
    QuantitySection s;
    s.prose = {
        "V- CONEXIONES DOMICILIARIAS (unidades)",
        "",
        "Construccion  de conexiones  domiciliarias en  tuberia de 150 m.m. de la  misma",
        "clase especificada  para los colectores. Incluye el suministro e instalacion de",
        "las tuberias y accesorios y la construccion de la cajilla de anden en  concreto",
        "de 2000 psi.  con dimensiones  interiores de 0.40x0.40x0.40 metros y espesor de",
        "pared de 0.15 metros. Incluye ademas las excavaciones, arreglo de zanja, relle-",
        "no, apisonado y retiro de material sobrante.",
    };
    const Box box({28, 26});
    QuantityTable table;
    table.head = box.Head({"DIMENSION DUCTO PRINCIPAL", "U N I D A D E S ( # )"});
    const int S = t.sizeCount;
    for (int p = 1; p <= S && p < static_cast<int>(t.connections.size()); ++p)
        if (t.connections[static_cast<size_t>(p)] > 0)
            table.rows.push_back(box.Centred(
                {SizeCell(l, p), Number(t.connections[static_cast<size_t>(p)], "######")}));
    if (table.rows.empty()) table.rows.push_back(box.Centred({"-----", "----"}));
    table.rows.push_back(box.Separator());
    const double total = static_cast<int>(t.connections.size()) > S + 1
                             ? t.connections[static_cast<size_t>(S + 1)]
                             : 0.0;
    table.rows.push_back(box.Row({" T  O  T  A  L", Number(total, "######")}));
    table.bottom = box.Bottom();
    s.tables.push_back(std::move(table));
    return s;
}

QuantitySection Drops(const QuantityTables& t, const QuantityLimits& l) {
    QuantitySection s;
    s.prose = {
        "VI - BAJANTES PARA CAMARAS DE CAIDA (unidades)",
        "",
        "Aditamento para caida de las aguas, adosado a la parte exterior  de  los  pozos",
        "de inspeccion y formados por una tee, una tuberia vertical y un codo de 90 gra-",
        cp("dos; o Camara de caida de diseño especial para conductos mayores de 900 mm"),
    };
    const Box box({30, 20, 28, 14});
    QuantityTable table;
    table.head = box.Head({"DIMENSION DUCTO PRINCIPAL (mm)", "DIAM. BAJANTE (mm)",
                           "LONGITUD MEDIA BAJANTE (m)", "UNIDADES (#)"});
    const int S = t.sizeCount;
    for (int p = 1; p <= S && p < static_cast<int>(t.drops.size()); ++p) {
        const DropCell& d = t.drops[static_cast<size_t>(p)];
        if (d.count <= 0) continue;
        const double size = p <= l.sizeCount() ? l.size(p) : 0.0;
        table.rows.push_back(box.Centred(
            {SizeCell(l, p), size <= kLargestDropPipe ? Number(size, "####") : "c.c.especial",
             Number(d.meanHeight, "##.##"), Number(d.count, "####")}));
    }
    if (table.rows.empty()) table.rows.push_back(box.Centred({"-----", "-----", "-----", "----"}));
    table.rows.push_back(box.Separator());
    const DropCell all = t.drops.empty() ? DropCell{} : t.drops[0];
    table.rows.push_back(box.Row({"   TOTALES    O    PROMEDIO", "",
                                  Number(all.meanHeight, "##.##"), Number(all.count, "####")}));
    table.bottom = box.Bottom();
    s.tables.push_back(std::move(table));
    return s;
}

// ---- VIII: bedding ----

QuantitySection Bedding(const QuantityTables& t) {
    QuantitySection s;
    s.prose = {
        "VIII- MATERIALES PARA CIMENTACION DE LAS TUBERIAS (m3)",
        "",
        "Material selecionado.-  Base en material granular suelto, tipo recebo, para so-",
        "porte de las tuberias donde lo determine el Interventor, atendiendo la  calidad",
        "del suelo o la profundidad de enterramiento de la tuberia.",
        "Base en concreto.- Suministro y colocacion de concreto simple 1:3:5 para cimen-",
        "tacion  de la tuberia en los  sitios donde lo ordene el Interventor, atendiendo",
        "la estabilidad del suelo y las cargas de trabajo sobre las tuberias.",
    };
    static const char* const kRows[] = {"recebo", "concreto 1:3:5", "   T O T A L"};
    const Box box({24, 26});
    QuantityTable table;
    table.head = box.Head({"C L A S E", "V O L U M E N ( m3 )"});
    for (size_t k = 0; k < 3; ++k) {
        if (k == 2) table.rows.push_back(box.Separator());
        table.rows.push_back(box.Row({kRows[k], Number(t.bedding[k], "####")}));
    }
    table.bottom = box.Bottom();
    s.tables.push_back(std::move(table));
    s.after = {
        "",
        "El espesor de la cimentacion en  recebo sera de 1/3 del diametro interior de la",
        "tuberia, con un minimo de 0.10 m y un maximo de 0.30 m. El espesor de la cimen-",
        "tacion en concreto sera de 1/4 del diametro interior de la tuberia, tambien con",
        "un minimo de 0.10 m y un maximo de 0.30 m.  Para ambos tipos de  cimentacion el",
        "ancho sera igual al diametro de la tuberia mas 0.30 m.",
    };
    return s;
}

}  // namespace

std::vector<QuantitySection> QuantitySections(const QuantityTables& t, const QuantityLimits& l,
                                              const std::array<std::string, 3>& pipeTypes) {
    return {Excavation(t, l),  Fill(t),     Manholes(t, l), Pipes(t, l, pipeTypes),
            Connections(t, l), Drops(t, l), Removals(t, l), Bedding(t)};
}

}  // namespace nivex::quantities
