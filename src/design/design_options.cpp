#include "design/design_options.h"
#include "console/codepage.h"

#include <filesystem>

#include "specs/criteria_store.h"

namespace nivex::design {
namespace {

bool Answer(const std::string& text, size_t at, bool byDefault) {
    if (at >= text.size()) return byDefault;
    if (text[at] == 'S') return true;
    if (text[at] == 'N') return false;
    return byDefault;
}

}  // namespace

DesignOptions StoredDesignOptions(const shell::ProyectoT& h) {
    const DesignOptions defaults;
    DesignOptions o;
    const std::string& t = h.Reserved338;
    o.replaceExisting = Answer(t, 0, defaults.replaceExisting);
    o.replaceRestricted = Answer(t, 1, defaults.replaceRestricted);
    o.ignoreRestrictions = Answer(t, 2, defaults.ignoreRestrictions);
    o.flushInitialOutlets = Answer(t, 3, defaults.flushInitialOutlets);
    return o;
}

void StoreDesignOptions(shell::ProyectoT& h, const DesignOptions& o) {
    std::string t = h.Reserved338;
    t.resize(10, '0');
    const std::string letters = o.Letters();
    t.replace(0, letters.size(), letters);
    h.Reserved338 = t;
}

bool SaveDesignOptions(project::Project& p, const DesignOptions& o) {
    if (!p.OpenControl()) return false;
    std::string message;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &message)) {
        p.CloseControl();
        p.error = cp(message);
        return false;
    }
    const bool changed = StoredDesignOptions(p.header).Letters() != o.Letters();
    StoreDesignOptions(p.header, o);
    if (changed) p.header.StageDone[0] = 0;
    const bool saved = specs::SaveRecords(p.control, p.header, p.espec, {});
    if (!saved) p.error = cp(p.control.error());
    p.CloseControl();
    if (saved && changed) {
        std::error_code ec;
        for (const std::string& f : {p.files.evolution(), p.files.problems(),
                                     p.files.deficiencies(), p.files.rasDeficiencies()})
            std::filesystem::remove(f, ec);
    }
    return saved;
}

}  // namespace nivex::design
