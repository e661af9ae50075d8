// The rules of the table screens and their values in the catalogue: the limits and their
// messages, and that every catalogue value reads and writes where its record says.

#include "specs/table_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <stdexcept>

#include "specs/criteria_catalog.h"

namespace nivex::specs {
namespace {

const std::string kAscending = "ERROR...Los valores deben estar ordenados de menor a mayor";
const std::string kPipes =
    "El numero maximo de diametros comerciales debe estar comprendido entre 5 y 30";
const std::string kDucts = "El numero de ductos no puede ser cero ni negativo";
const std::string kSum = "La suma de numero y diametros y ductos no debe ser mayor que 60";
const std::string kDiameterOrder =
    "ERROR...Los diametros no estan en estricto orden ascendente. Revise y Corrija";

const CriteriaValueDef& ValueOf(char screen, int offset, int index = -1) {
    for (const CriteriaValueDef& d : TableScreenValues())
        if (d.screen == screen && d.offset == offset && d.index == index) return d;
    throw std::runtime_error("no such value");
}

TEST(TableRules, LimitsAndOrdersWithTheirMessages) {
    EXPECT_EQ(PipeCountRule(4), kPipes);
    EXPECT_EQ(PipeCountRule(5), "");
    EXPECT_EQ(PipeCountRule(30), "");
    EXPECT_EQ(PipeCountRule(31), kPipes);
    EXPECT_EQ(DuctCountRule(29, 0), kDucts);
    EXPECT_EQ(DuctCountRule(30, 30), "");
    EXPECT_EQ(DuctCountRule(30, 31), kSum);

    EspecT e = DefaultEspec();
    for (char letter : std::string("TBRCDEN"))
        EXPECT_EQ(TableScreenCrossCheck(letter, e, {}), "") << letter;
    e.Diameters[1] = 145;  // equal is not ascending
    EXPECT_EQ(TableScreenCrossCheck('B', e, {}), kDiameterOrder);
    e.Diameters[1] = 182;
    e.DiameterCount = 28;  // entries past the table are not looked at
    e.Diameters[29] = 1;
    EXPECT_EQ(DiameterOrderRule(e), "");
    EXPECT_EQ(MinimumSlopeRule(0.01), "");
    EXPECT_EQ(MinimumSlopeRule(0.009), "Error...El valor no puede ser menor de 0.01");

    EXPECT_EQ(ExcavationLimitRule(e, 0, 9.0), "");  // the first has no field before it
    EXPECT_EQ(ExcavationLimitRule(e, 1, 1.50), kAscending);
    EXPECT_EQ(ManholeLimitRule(e, 1, 1.80), kAscending);
    EXPECT_EQ(ManholeLimitRule(e, 1, 1.81), "");
    EXPECT_EQ(ManholeDiameterRule(e, 1, 600), kAscending);
    // Trench widths may tie while editing, not on leaving.
    EXPECT_EQ(TrenchWidthRule(e, 1, 0.40), "");
    EXPECT_EQ(TrenchWidthRule(e, 1, 0.39), kAscending);
    SetRangeValue(e, 9, 0.40);
    EXPECT_EQ(TableScreenCrossCheck('D', e, {}), kAscending);
    SetRangeValue(e, 0, 3.00);
    EXPECT_EQ(TableScreenCrossCheck('C', e, {}), kAscending);
    SetRangeValue(e, 4, 3.60);
    EXPECT_EQ(TableScreenCrossCheck('E', e, {}), kAscending);
    e.Manhole120Diameter = 900;
    EXPECT_EQ(TableScreenCrossCheck('N', e, {}), kAscending);
}

// What a record holds at a catalogue value's place, as the value is shown.
std::string StoredText(const CriteriaValueDef& d, const EspecT& e) {
    codec::Bytes bytes(shell::kControlRecordSize, 0);
    EXPECT_TRUE(Encode(d.record, e, bytes));
    const auto at = static_cast<size_t>(d.offset);
    if (d.record == 5 && d.offset < 65)
        return std::string(bytes.begin() + at + 1, bytes.begin() + at + 1 + bytes[at]);
    if (d.record == 1 || d.record == 5) return std::to_string(codec::I16(bytes, at));
    const float v = codec::F32(bytes, at + 4 * static_cast<size_t>(d.index));
    char text[32];
    std::snprintf(text, sizeof text, d.offset == 240 ? "%.2f" : "%.0f", v);
    return text;
}

TEST(TableCatalogue, EveryValueLivesWhereItsRecordSays) {
    const EspecT e = DefaultEspec();
    const shell::ProyectoT h;
    std::set<std::pair<int, int>> places;
    for (const CriteriaValueDef& d : TableScreenValues()) {
        EXPECT_FALSE(d.description.empty());
        EXPECT_TRUE(places.insert({d.record * 1000 + d.offset, d.index}).second) << d.description;
        if (d.record == 1 && d.offset == 374) {  // shown as the ducts beyond the table
            EXPECT_EQ(d.get(e, h), "30");
            EXPECT_EQ(StoredText(d, e), "59");
            continue;
        }
        EXPECT_EQ(d.get(e, h), StoredText(d, e)) << d.description;
    }
    EXPECT_EQ(places.size(), 2u + kMaxDiameters + kMaxDiameters + 3 + 4 + 2 + 2);
    EXPECT_EQ(ValueOf('C', 0).description, "Limite superior del primer rango en  ( m )        :");
}

TEST(TableCatalogue, SettingGoesThroughTheFieldAndItsRule) {
    EspecT e = DefaultEspec();
    shell::ProyectoT h;
    const EspecT before = e;
    // The entry library's own checks come first.
    EXPECT_EQ(ValueOf('C', 5).set(e, h, "2.345"), "Error...Usar maximo 2 cifra(s) decimale(s) ");
    EXPECT_EQ(ValueOf('C', 5).set(e, h, "1.20"), kAscending);
    EXPECT_EQ(ValueOf('R', 240, 3).set(e, h, "0"), "Error...El valor no puede ser menor de 0.01");
    EXPECT_EQ(ValueOf('T', 374).set(e, h, "32"), kSum);
    EXPECT_EQ(e.RangeTexts, before.RangeTexts);
    EXPECT_EQ(e.MinimumSlopes, before.MinimumSlopes);
    EXPECT_EQ(e.SectionCount, before.SectionCount);

    EXPECT_EQ(ValueOf('C', 5).set(e, h, "2.5"), "");
    EXPECT_EQ(e.RangeTexts[1], "2.50");
    // The pipes change, the ducts shown stay: the total follows.
    EXPECT_EQ(ValueOf('T', 372).set(e, h, "20"), "");
    EXPECT_EQ(e.SectionCount, 50);
    EXPECT_EQ(ValueOf('T', 374).get(e, h), "30");
}

}  // namespace
}  // namespace nivex::specs
