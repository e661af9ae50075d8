// The budget items: their texts from the criteria and where each reads its quantity.

#include "budget/budget_items.h"

#include <gtest/gtest.h>

#include "console/codepage.h"

namespace nivex::budget {
namespace {

using Texts = std::vector<std::string>;

// Sizes 200, 250.5 and 1000 mm, then `ducts` square ducts from `firstDuct` on.
std::vector<BudgetChapter> Chapters(float firstDuct, int ducts) {
    specs::EspecT e;
    specs::ApplyDefaults(e);
    e.DiameterCount = 4;
    e.Diameters = {200, 250.5f, 1000, firstDuct};
    e.SectionCount = 3 + ducts;
    for (size_t k = 0; k < 3; ++k)
        specs::SetRangeValue(e, specs::kExcavationLimitSlots[k], std::array{1.5, 2.5, 4.0}[k]);
    specs::SetRangeValue(e, specs::kManholeLimitSlots[0], 2);
    specs::SetRangeValue(e, specs::kManholeLimitSlots[1], 3.5);
    e.Manhole180Diameter = 800;
    return BuildBudgetChapters(e);
}

Texts Of(const ItemGroup& g) {
    Texts texts;
    for (const BudgetItem& item : g.items)
        texts.push_back(item.text);
    return texts;
}

TEST(BudgetItems, TextsFollowTheLimitsTheSizeListAndTheFirstDuct) {
    const auto c = Chapters(1200, 1);
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(c[6].title, "BAJANTES CAMARAS DE CAIDA");
    EXPECT_EQ(c[0].groups.at(3).heading, "En material comun (con bombeo)");
    EXPECT_EQ(Of(c[0].groups[5]),
              (Texts{"Profundidad menor de 1.50 m", "Profundidad entre 1.50 y 2.50 m",
                     "Profundidad entre 2.50 y 4.00 m", "Profundidad mayor de 4.00 m"}));
    EXPECT_EQ(c[2].groups.at(2).heading,
              cp("Pozos de inspeccion de diseño especial (Conductos mayores de 800 mm)"));
    EXPECT_EQ(Of(c[2].groups[2])[1], "Profundidad entre 2.00 y 3.50 m");
    EXPECT_EQ(Of(c[3].groups.at(3)),
              (Texts{"Diametro 200 milimetros", "Diametro 250.5 milimetros",
                     "Diametro 1000 milimetros", "Ducto Cuadrado 1200 milimetros"}));
    EXPECT_EQ(Of(c[4].groups[0])[3], "Ducto Cuadrado principal 1200 milimetros");
    EXPECT_EQ(Of(c[7].groups[0])[3], "Elimin. Ducto Cuadrado - Diametro 1200 milimetros");
    // Drops: a pipe up to 900 mm (900 itself too), a special chamber above, pipe or duct.
    EXPECT_EQ(Of(Chapters(700, 3)[6].groups[0]),
              (Texts{"Bajante en tubo para Diametro 200 milimetros",
                     "Bajante en tubo para Diametro 250.5 milimetros",
                     "Camara especial para Diametro 1000 milimetros",
                     "Bajante en tubo para Ducto principal 700 milimetros",
                     "Bajante en tubo para Ducto principal 900 milimetros",
                     "Camara especial para Ducto principal 1100 mm"}));
}

TEST(BudgetItems, QuantitiesComeFromTheirCellsAndNeverFromTotals) {
    const auto chapters = Chapters(1200, 1);
    quantities::QuantityTables t;
    t.Clear(4);
    t.excavation[4][3] = 17;
    t.excavation[7][5] = 999;
    t.fill = {5, 0, 0, 5};
    t.manholes[1][quantities::kAddedRow][2].count = 2;
    t.manholes[1][quantities::kNetworkRow][2].count = 3;
    t.manholes[1][quantities::kUnusedRow][2].count = 50;
    t.pipes[2][3].length = 120;
    t.pipes[2][5].length = 120;  // the range total
    t.drops[0].count = 4;        // every drop; the positions carry their own
    t.drops[2].count = 4;
    t.removals[1].length = 33;
    t.removals[5].length = 8;  // sizes outside the list
    std::vector<std::string> found;
    for (const BudgetChapter& c : chapters)
        for (const ItemGroup& g : c.groups)
            for (const BudgetItem& item : g.items)
                if (double q = ItemQuantity(t, item); q != 0)
                    found.push_back(std::to_string(c.number) + " " + item.text + " = " +
                                    std::to_string(static_cast<int>(q)));
    EXPECT_EQ(found,
              (Texts{"1 Profundidad entre 2.50 y 4.00 m = 17", "2 En material de la excavacion = 5",
                     "3 Profundidad entre 2.00 y 3.50 m = 5", "4 Diametro 1000 milimetros = 120",
                     "7 Bajante en tubo para Diametro 250.5 milimetros = 4",
                     "8 Elimin. tuberia - Diametro 200 milimetros = 33"}));

    quantities::QuantityTables shorter;  // a file written before the size list grew
    shorter.Clear(2);
    shorter.connections[3] = shorter.drops[3].count = 7;
    for (const BudgetChapter& c : chapters)
        for (const ItemGroup& g : c.groups)
            for (const BudgetItem& item : g.items)
                EXPECT_EQ(ItemQuantity(shorter, item), 0) << item.text;
}

}  // namespace
}  // namespace nivex::budget
