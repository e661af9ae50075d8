#include "design/design_state.h"

namespace nivex::design {

bool DesignOptions::Parse(const std::string& letters) {
    if (letters.size() != 4) return false;
    bool v[4];
    for (size_t k = 0; k < 4; ++k) {
        const char c = letters[k];
        if (c == 'S' || c == 's')
            v[k] = true;
        else if (c == 'N' || c == 'n')
            v[k] = false;
        else
            return false;
    }
    replaceExisting = v[0];
    replaceRestricted = v[1];
    ignoreRestrictions = v[2];
    flushInitialOutlets = v[3];
    return true;
}

std::string DesignOptions::Letters() const {
    std::string s;
    for (bool b : {replaceExisting, replaceRestricted, ignoreRestrictions, flushInitialOutlets})
        s += b ? 'S' : 'N';
    return s;
}

DesignOptions DesignOptions::Preliminary() {
    DesignOptions o;
    o.Parse("SSNN");
    return o;
}

bool DesignState::RememberFinalReach(const FinalReach& f) {
    for (FinalReach& e : finalReaches)
        if (e.upstream == f.upstream && e.downstream == f.downstream) {
            e = f;
            return true;
        }
    if (static_cast<int>(finalReaches.size()) >= kMaxFinalReaches) return false;
    finalReaches.push_back(f);
    return true;
}

bool EvolutionLog::Close() {
    EndLine();
    if (!file_.isOpen()) return !file_.failed();
    return file_.Close();
}

void EvolutionLog::EndLine() {
    if (line_.empty()) return;
    std::string line;
    line.swap(line_);
    Emit(line);
}

void EvolutionLog::Line(const std::string& text) {
    EndLine();
    Emit(text);
}

void EvolutionLog::Emit(const std::string& text) {
    if (file_.isOpen()) file_.WriteLine(text);
    sink_.Progress(text);
}

}  // namespace nivex::design
