// The values of the table screens in the catalogue of criteria values, and their
// cross-rules.

#include "console/codepage.h"
#include "console/field_text.h"
#include "specs/criteria_catalog.h"
#include "specs/table_fields.h"
#include "specs/table_rules.h"

namespace nivex::specs {
namespace {

constexpr const char* kTableLetters = "TBRCDEN";

// B's and R's prompts follow the table of the open set; the catalogue names every entry
// the same way whatever the table holds.
std::string Description(char letter, const tables::TableField& f) {
    const std::string number = std::to_string(f.index + 1);
    if (letter == 'B') return number + " - Diametro Comercial en ( mm )";
    if (letter == 'R') return number + " - Pendiente minima del diametro comercial ( % )";
    return toUtf8(console::fieldtext::trimRight(f.campo.prompt));
}

std::vector<CriteriaValueDef> BuildValues() {
    EspecT fullTable;
    fullTable.DiameterCount = kMaxDiameters;
    std::vector<CriteriaValueDef> values;
    for (const char* letter = kTableLetters; *letter; ++letter) {
        for (const tables::TableField& f : tables::ScreenFields(*letter, fullTable)) {
            CriteriaValueDef def;
            def.record = f.record;
            def.offset = f.offset;
            def.index = f.index;
            def.screen = *letter;
            def.description = Description(*letter, f);
            def.get = [f](const EspecT& e, const shell::ProyectoT&) {
                return tables::ShownText(f, e);
            };
            def.set = [f](EspecT& e, shell::ProyectoT&, const std::string& text) {
                return tables::TakeText(f, e, text);
            };
            values.push_back(std::move(def));
        }
    }
    return values;
}

}  // namespace

const std::vector<CriteriaValueDef>& TableScreenValues() {
    static const std::vector<CriteriaValueDef> values = BuildValues();
    return values;
}

std::string TableScreenCrossCheck(char letter, const EspecT& e, const shell::ProyectoT&) {
    switch (letter) {
        case 'T':
            return MaxDiametersCrossRule(e);
        case 'B':
            return DiameterOrderRule(e);
        case 'C':
            return ExcavationOrderRule(e);
        case 'D':
            return TrenchOrderRule(e);
        case 'E':
            return ManholeLimitOrderRule(e);
        case 'N':
            return ManholeDiameterOrderRule(e);
        default:
            return {};
    }
}

}  // namespace nivex::specs
