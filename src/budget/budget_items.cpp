#include "budget/budget_items.h"

#include "console/codepage.h"
#include "quantities/quantity_rules.h"

namespace nivex::budget {
namespace {

using quantities::LimitText;
using quantities::QuantityLimits;
using quantities::SizeText;

constexpr const char* kMaterials[quantities::kMaterials] = {
    "En material comun (en seco)",    "En conglomerado (en seco)",    "En roca (en seco)",
    "En material comun (con bombeo)", "En conglomerado (con bombeo)", "En roca (con bombeo)",
};

// "Profundidad menor de E1 m" ... "Profundidad mayor de E3 m" (or of the manhole limits).
std::vector<std::string> DepthTexts(const double* limits, int count) {
    std::vector<std::string> texts;
    texts.push_back("Profundidad menor de " + LimitText(limits[0]) + " m");
    for (int k = 1; k < count; ++k)
        texts.push_back("Profundidad entre " + LimitText(limits[k - 1]) + " y " +
                        LimitText(limits[k]) + " m");
    texts.push_back("Profundidad mayor de " + LimitText(limits[count - 1]) + " m");
    return texts;
}

BudgetChapter Excavation(const QuantityLimits& l) {
    BudgetChapter c{1, "EXCAVACIONES (m3)", "m3", {}};
    const auto depths = DepthTexts(l.excavation.data(), 3);
    for (int i = 1; i <= quantities::kMaterials; ++i) {
        ItemGroup g{kMaterials[i - 1], {}};
        for (int j = 1; j <= quantities::kExcavationRanges; ++j)
            g.items.push_back(
                {depths[static_cast<size_t>(j - 1)], QuantitySource::Excavation, i, j});
        c.groups.push_back(std::move(g));
    }
    return c;
}

BudgetChapter Fill() {
    BudgetChapter c{2, "RELLENOS COMPACTADOS (m3)", "m3", {{}}};
    int k = 0;
    for (const char* text :
         {"En material de la excavacion", "En material de prestamo", "En material seleccionado"})
        c.groups[0].items.push_back({text, QuantitySource::Fill, ++k, 0});
    return c;
}

BudgetChapter Manholes(const QuantityLimits& l) {
    BudgetChapter c{3, "CONSTRUCCION POZOS DE INSPECCION (unid)", "unid", {}};
    const std::string to120 = std::to_string(l.manhole120);
    const std::string to180 = std::to_string(l.manhole180);
    const std::string headings[quantities::kManholeGroups] = {
        "Pozos de inspeccion de 1.20 m. de diametro interior (Tuberias hasta " + to120 + " mm)",
        "Pozos de inspeccion de 1.80 m. de diametro interior (Tuberias hasta " + to180 + " mm)",
        cp("Pozos de inspeccion de diseño especial (Conductos mayores de ") + to180 + " mm)",
    };
    const auto depths = DepthTexts(l.manhole.data(), 2);
    for (int group = 0; group < quantities::kManholeGroups; ++group) {
        ItemGroup g{headings[group], {}};
        for (int range = 1; range <= quantities::kManholeRanges; ++range)
            g.items.push_back(
                {depths[static_cast<size_t>(range - 1)], QuantitySource::Manholes, group, range});
        c.groups.push_back(std::move(g));
    }
    return c;
}

// One item per position of the size list, its text by whether the position is a duct.
ItemGroup PerPosition(const QuantityLimits& l, QuantitySource source, int first,
                      std::string (*text)(double size, bool duct)) {
    ItemGroup g;
    for (int p = 1; p <= l.sizeCount(); ++p)
        g.items.push_back(
            {text(l.size(p), l.isDuct(p)), source, first == 0 ? p : first, first == 0 ? 0 : p});
    return g;
}

std::string PipeText(double size, bool duct) {
    return (duct ? "Ducto Cuadrado " : "Diametro ") + SizeText(size) + " milimetros";
}

std::string ConnectionText(double size, bool duct) {
    return (duct ? "Ducto Cuadrado principal " : "Diametro principal ") + SizeText(size) +
           " milimetros";
}

std::string DropText(double size, bool duct) {
    if (size <= kLargestDropPipe)
        return (duct ? "Bajante en tubo para Ducto principal " : "Bajante en tubo para Diametro ") +
               SizeText(size) + " milimetros";
    if (duct) return "Camara especial para Ducto principal " + SizeText(size) + " mm";
    return "Camara especial para Diametro " + SizeText(size) + " milimetros";
}

std::string RemovalText(double size, bool duct) {
    return (duct ? "Elimin. Ducto Cuadrado - Diametro " : "Elimin. tuberia - Diametro ") +
           SizeText(size) + " milimetros";
}

BudgetChapter Pipes(const QuantityLimits& l) {
    BudgetChapter c{4, "SUMINISTRO E INSTALACION DE TUBERIAS (ml)", "ml", {}};
    const auto depths = DepthTexts(l.excavation.data(), 3);
    for (int range = 1; range <= quantities::kExcavationRanges; ++range) {
        ItemGroup g = PerPosition(l, QuantitySource::Pipes, range, PipeText);
        g.heading = depths[static_cast<size_t>(range - 1)];
        c.groups.push_back(std::move(g));
    }
    return c;
}

BudgetChapter Bedding() {
    return {6,
            "CIMENTACION DE TUBERIAS (m3)",
            "m3",
            {{"",
              {{"En material granular suelto tipo recebo", QuantitySource::Bedding, 1, 0},
               {"En concreto 1:3:5", QuantitySource::Bedding, 2, 0}}}}};
}

// The entry at index k of a table, 0 outside it.
template <typename Table>
double At(const Table& table, int k, double (*field)(const typename Table::value_type&)) {
    if (k < 0 || static_cast<size_t>(k) >= table.size()) return 0;
    return field(table[static_cast<size_t>(k)]);
}

double Length(const quantities::PipeCell& c) {
    return c.length;
}
double Count(const quantities::DropCell& c) {
    return c.count;
}
double Value(const double& v) {
    return v;
}

bool Inside(int k, int low, int high) {
    return k >= low && k <= high;
}

}  // namespace

std::vector<BudgetChapter> BuildBudgetChapters(const specs::EspecT& e) {
    const QuantityLimits l = quantities::LimitsOf(e);
    std::vector<BudgetChapter> chapters;
    chapters.push_back(Excavation(l));
    chapters.push_back(Fill());
    chapters.push_back(Manholes(l));
    chapters.push_back(Pipes(l));
    chapters.push_back({5,
                        "CONEXIONES DOMICILIARIAS (unid)",
                        "unid",
                        {PerPosition(l, QuantitySource::Connections, 0, ConnectionText)}});
    chapters.push_back(Bedding());
    chapters.push_back({7,
                        "BAJANTES CAMARAS DE CAIDA",
                        "unid",
                        {PerPosition(l, QuantitySource::Drops, 0, DropText)}});
    chapters.push_back(
        {8, "TRAMOS ELIMINADOS", "ml", {PerPosition(l, QuantitySource::Removals, 0, RemovalText)}});
    return chapters;
}

double ItemQuantity(const quantities::QuantityTables& t, const BudgetItem& item) {
    const int a = item.first, b = item.second;
    switch (item.source) {
        case QuantitySource::Excavation:
            if (!Inside(a, 1, quantities::kMaterials) ||
                !Inside(b, 1, quantities::kExcavationRanges))
                return 0;
            return t.excavation[static_cast<size_t>(a)][static_cast<size_t>(b)];
        case QuantitySource::Fill:
            return Inside(a, 1, 3) ? t.fill[static_cast<size_t>(a - 1)] : 0;
        case QuantitySource::Manholes: {
            if (!Inside(a, 0, quantities::kManholeGroups - 1) ||
                !Inside(b, 1, quantities::kManholeRanges))
                return 0;
            const auto& group = t.manholes[static_cast<size_t>(a)];
            return group[quantities::kAddedRow][static_cast<size_t>(b)].count +
                   group[quantities::kNetworkRow][static_cast<size_t>(b)].count;
        }
        case QuantitySource::Pipes:
            if (!Inside(a, 1, quantities::kExcavationRanges) || !Inside(b, 1, t.sizeCount))
                return 0;
            return At(t.pipes[static_cast<size_t>(a)], b, Length);
        case QuantitySource::Connections:
            return Inside(a, 1, t.sizeCount) ? At(t.connections, a, Value) : 0;
        case QuantitySource::Bedding:
            return Inside(a, 1, 2) ? t.bedding[static_cast<size_t>(a - 1)] : 0;
        case QuantitySource::Drops:
            return Inside(a, 1, t.sizeCount) ? At(t.drops, a, Count) : 0;
        case QuantitySource::Removals:
            return Inside(a, 1, t.sizeCount) ? At(t.removals, a, Length) : 0;
    }
    return 0;
}

}  // namespace nivex::budget
