// The verbs about the design criteria: printing every value, and changing values
// through the rules of the screens that edit them.

#include <set>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "specs/criteria_catalog.h"
#include "specs/criteria_module.h"
#include "specs/criteria_store.h"

namespace nivex::cli {
namespace {

std::vector<const specs::CriteriaValueDef*> AllValues() {
    std::vector<const specs::CriteriaValueDef*> all;
    for (const auto* list : {&specs::TableScreenValues(), &specs::ValueScreenValues()})
        for (const specs::CriteriaValueDef& d : *list)
            all.push_back(&d);
    return all;
}

std::string KeyOf(const specs::CriteriaValueDef& d) {
    std::string key = "r" + std::to_string(d.record) + "." + std::to_string(d.offset);
    if (d.index >= 0) key += "[" + std::to_string(d.index) + "]";
    return key;
}

std::string CrossCheck(char letter, const specs::EspecT& e, const shell::ProyectoT& h) {
    std::string message = specs::TableScreenCrossCheck(letter, e, h);
    if (message.empty()) message = specs::ValueScreenCrossCheck(letter, e, h);
    return message;
}

// A screen prompt without the dots, blanks and colon that lead to its value.
std::string Described(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == ':' || text.back() == '.'))
        text.pop_back();
    return text;
}

int PrintValues(Batch& b) {
    const project::Project& p = b.session.project;
    for (const specs::CriteriaValueDef* d : AllValues())
        b.out << KeyOf(*d) << ": " << toUtf8(d->get(p.espec, p.header)) << "  # "
              << Described(d->description) << '\n';
    return 0;
}

int SetValues(Batch& b) {
    std::vector<std::pair<const specs::CriteriaValueDef*, std::string>> changes;
    const auto all = AllValues();
    for (size_t i = 1; i < b.options.operands.size(); ++i) {
        const std::string& assignment = b.options.operands[i];
        const size_t eq = assignment.find('=');
        if (eq == std::string::npos)
            return b.Fail("Error: se esperaba rR.OFFSET=VALOR, no " + assignment);
        const std::string key = assignment.substr(0, eq);
        const specs::CriteriaValueDef* def = nullptr;
        for (const specs::CriteriaValueDef* d : all)
            if (KeyOf(*d) == key) def = d;
        if (!def) return b.Fail("Error: no hay un valor de especificaciones " + key);
        changes.emplace_back(def, assignment.substr(eq + 1));
    }
    if (changes.empty()) return b.Fail("Error: criteria set necesita al menos un rR.OFFSET=VALOR");

    project::Project& p = b.session.project;
    if (!p.OpenControl()) return b.Fail(toUtf8(p.error));
    std::string error;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &error)) {
        p.CloseControl();
        return b.Fail(error);
    }
    const auto before = specs::Snapshot(p);
    // Everything is checked before anything is written: a refusal changes nothing.
    std::set<char> screens;
    for (const auto& [def, text] : changes) {
        const std::string refusal = def->set(p.espec, p.header, cp(text));
        if (!refusal.empty()) {
            p.CloseControl();
            return b.Fail(toUtf8(refusal));
        }
        screens.insert(def->screen);
    }
    for (char letter : screens) {
        const std::string refusal = CrossCheck(letter, p.espec, p.header);
        if (!refusal.empty()) {
            p.CloseControl();
            return b.Fail(toUtf8(refusal));
        }
    }
    bool ok = true;
    if (specs::SetChanged(p, before))  // one save: all of the command's changes or none
        ok = specs::SaveScreenChanges(p, std::vector<uint8_t>(screens.begin(), screens.end()));
    const std::string failure = p.control.error();
    p.CloseControl();
    return ok ? 0 : b.Fail(failure);
}

}  // namespace

int VerbCriteria(Batch& b) {
    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    if (b.options.operands.empty()) return PrintValues(b);
    if (b.options.operands[0] == "set") return SetValues(b);
    return b.Fail("Error: criteria admite solo 'set' despues del verbo");
}

}  // namespace nivex::cli
