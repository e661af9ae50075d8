// The values of the screens F, G, H, I, J, S, L, O and K as one catalogue, read and set
// through the same fields and rules the screens use.

#include <memory>

#include "console/field_text.h"
#include "specs/criteria_catalog.h"
#include "specs/value_fields.h"
#include "specs/value_rules.h"

namespace nivex::specs {
namespace {

using detail::ValueField;

std::string Shown(const ValueField& f, const EspecT& e) {
    if (f.isText()) return f.getText(e);
    if (f.inactiveKept && !f.activeIn(e)) return "0";
    double v = f.get(e);
    return console::fieldtext::plainNumber(f.campo, &v).value_or("");
}

std::string Take(const ValueField& f, EspecT& e, const std::string& text) {
    std::string message = console::validateField(f.campo, text, nullptr);
    if (!message.empty()) return message;
    if (f.isText()) {
        f.putText(e, text);
        return {};
    }
    double v = console::fieldtext::parseReal(console::withDecimalPoint(f.campo, text)).value_or(0);
    const bool active = f.activeIn(e);
    if (f.rule) {
        message = f.rule(e, v, active);
        if (!message.empty()) return message;
    }
    if (active || !f.inactiveKept) f.put(e, v);
    return {};
}

CriteriaValueDef Entry(char screen, ValueField field) {
    auto f = std::make_shared<const ValueField>(std::move(field));
    CriteriaValueDef d;
    d.record = f->record;
    d.offset = f->offset;
    d.index = f->index;
    d.screen = screen;
    d.description = f->description;
    d.get = [f](const EspecT& e, const shell::ProyectoT&) { return Shown(*f, e); };
    d.set = [f](EspecT& e, shell::ProyectoT&, const std::string& text) {
        return Take(*f, e, text);
    };
    return d;
}

std::vector<CriteriaValueDef> Build() {
    std::vector<CriteriaValueDef> out;
    const auto add = [&out](char screen, std::vector<ValueField> fields) {
        for (ValueField& f : fields)
            if (f.catalogued) out.push_back(Entry(screen, std::move(f)));
    };
    const EspecT defaults = DefaultEspec();

    // F: the Manning rows with the decimals of their active form.
    EspecT roughness = defaults;
    roughness.ManningOption = 0;
    EspecT fixed = defaults;
    fixed.ManningOption = 1;
    std::vector<ValueField> general = detail::GeneralFields(fixed);
    general.front() = detail::GeneralFields(roughness).front();
    add('F', std::move(general));

    EspecT sanitary = defaults;
    sanitary.SystemKind = 2;
    add('G', detail::SanitaryFields(sanitary));
    add('H', detail::StormFields());

    add('I', {detail::ZoneCountField()});
    for (int z = 0; z < kMaxZones; ++z)
        add('I', detail::ZoneFields(defaults, z));
    add('J', {detail::EquationCountField()});
    for (int k = 0; k < kMaxEquations; ++k)
        add('J', detail::EquationFields(k));
    add('S', detail::SeriesHeadFields());
    for (int s = 0; s < kMaxSeries; ++s)
        add('S', detail::SeriesValueFields(defaults, s));
    add('L', detail::AdjustmentFields());
    add('O', detail::ReductionFields());
    add('K', detail::ConstructionFirstPage());
    add('K', detail::ConstructionSecondPage(defaults));
    return out;
}

}  // namespace

const std::vector<CriteriaValueDef>& ValueScreenValues() {
    static const std::vector<CriteriaValueDef> values = Build();
    return values;
}

std::string ValueScreenCrossCheck(char letter, const EspecT& e, const shell::ProyectoT&) {
    return rules::CrossCheck(letter, e);
}

}  // namespace nivex::specs
