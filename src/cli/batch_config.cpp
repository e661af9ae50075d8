// The verb "config": the clicks of the general configuration dialog in the order of the
// options, then "Aceptar" with the closing checks.

#include <array>
#include <optional>
#include <utility>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "project/configuration.h"

namespace nivex::cli {
namespace {

using project::Box;
using project::Group;
using project::Text;

struct Word {
    const char* word;
    int value;
};

std::optional<int> Lookup(const std::string& word, std::initializer_list<Word> words) {
    for (const Word& w : words)
        if (word == w.word) return w.value;
    return std::nullopt;
}

struct GroupOption {
    const char* option;
    Group group;
    std::initializer_list<Word> words;
};

const std::array<GroupOption, 7>& GroupOptions() {
    static const std::array<GroupOption, 7> options{{
        {"--manning", Group::Manning, {{"asce", 0}, {"fijo", 1}}},
        {"--pico",
         Group::Peak,
         {{"harmon", 0},
          {"babbit", 1},
          {"flores", 2},
          {"losangeles", 3},
          {"tchobanoglous", 4},
          {"gaines", 5},
          {"fijo", 6}}},
        {"--minimo",
         Group::Minimum,
         {{"maxhorario", 0},
          {"maxdiario", 1},
          {"medio", 2},
          {"mindiario", 3},
          {"minhorario", 4},
          {"fijo", 5}}},
        {"--topologia", Group::Topology, {{"manual", 0}, {"automatico", 1}, {"ambos", 2}}},
        {"--swmm", Group::Swmm, {{"dinamica", 0}, {"cinematica", 1}, {"uniforme", 2}}},
        {"--relaciones", Group::Relations, {{"uno", 0}, {"variable", 1}}},
        {"--infiltracion", Group::Infiltration, {{"horton", 0}, {"greenampt", 1}, {"cn", 2}}},
    }};
    return options;
}

constexpr std::array<std::pair<const char*, Box>, 5> kCleansingWords{{
    {"vlleno", Box::FullVelocity},
    {"ras2016", Box::Ras2016},
    {"vreal", Box::RealVelocity},
    {"tractiva", Box::Tractive},
    {"pendiente", Box::SlopePerDiameter},
}};

constexpr std::array<std::pair<const char*, Text>, 6> kTextWords{{
    {"consultor", Text::Consultant},
    {"correo", Text::Email},
    {"pais", Text::Country},
    {"entidad", Text::Entity},
    {"proyecto", Text::Project},
    {"fecha", Text::Date},
}};

std::string Invalid(const std::string& option, const std::string& value) {
    return "Error: valor no valido para " + option + ": " + value;
}

std::string Unavailable(const std::string& option) {
    return "Error: " + option + " no se puede cambiar en este proyecto (control desactivado)";
}

// The five self-cleansing boxes as the list names them: listed ones checked, the rest
// cleared. "" when it was applied, else the message.
std::string ApplyCleansing(project::Configuration& c, const std::string& list) {
    std::array<bool, 5> wanted{};
    size_t start = 0;
    while (start <= list.size() && !list.empty()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string word = list.substr(start, comma - start);
        bool known = false;
        for (size_t i = 0; i < kCleansingWords.size(); ++i)
            if (word == kCleansingWords[i].first) wanted[i] = known = true;
        if (!known && word != "ninguna") return Invalid("--autolimpieza", word);
        start = comma + 1;
    }
    for (size_t i = 0; i < kCleansingWords.size(); ++i) {
        const Box b = kCleansingWords[i].second;
        if (c.box(b).checked == wanted[i]) continue;
        if (!c.SetBox(b, wanted[i])) return Unavailable("--autolimpieza");
    }
    return {};
}

std::string ApplyText(project::Configuration& c, const std::string& assignment) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) return Invalid("--texto", assignment);
    const std::string field = assignment.substr(0, equals);
    for (const auto& [word, text] : kTextWords) {
        if (field != word) continue;
        if (!c.SetText(text, cp(assignment.substr(equals + 1)))) return Unavailable("--texto");
        return {};
    }
    return Invalid("--texto", field);
}

std::string ApplySwitch(project::Configuration& c, const std::string& option,
                        const std::string& value, Box b) {
    const auto on = Lookup(value, {{"si", 1}, {"no", 0}});
    if (!on) return Invalid(option, value);
    if (c.box(b).checked == (*on == 1)) return {};
    return c.SetBox(b, *on == 1) ? std::string() : Unavailable(option);
}

// One option of the command line as a click; "" when done (or not a dialog option).
std::string ApplyOption(project::Configuration& c, const std::string& option,
                        const std::string& value) {
    if (option == "--class") {
        const auto n = Lookup(value, {{"1", 1},
                                      {"2", 2},
                                      {"3", 3},
                                      {"4", 4},
                                      {"5", 5},
                                      {"6", 6},
                                      {"7", 7},
                                      {"8", 8},
                                      {"9", 9}});
        if (!n) return Invalid(option, value);
        if (c.group(Group::Class).item == *n - 1) return {};
        return c.SelectItem(Group::Class, *n - 1) ? std::string() : Unavailable(option);
    }
    for (const GroupOption& g : GroupOptions()) {
        if (option != g.option) continue;
        const auto item = Lookup(value, g.words);
        if (!item) return Invalid(option, value);
        if (c.group(g.group).item == *item) return {};
        return c.SelectItem(g.group, *item) ? std::string() : Unavailable(option);
    }
    if (option == "--energia") return ApplySwitch(c, option, value, Box::Energy);
    if (option == "--critico") return ApplySwitch(c, option, value, Box::Critical);
    if (option == "--autolimpieza") return ApplyCleansing(c, value);
    if (option == "--texto") return ApplyText(c, value);
    return {};
}

}  // namespace

int VerbConfig(Batch& b) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Configuration configuration(b.session);
    if (!configuration.ready()) return 1;  // the file error has been printed
    for (const auto& [option, value] : b.options.ordered) {
        const std::string problem = ApplyOption(configuration, option, value);
        if (!problem.empty()) return b.Fail(problem);
        if (!configuration.ready()) return 1;
    }
    if (!configuration.Accept()) return 1;  // the refusal has been printed
    return configuration.ready() ? 0 : 1;
}

}  // namespace nivex::cli
