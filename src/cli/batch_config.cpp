// The verb "config": the clicks of the general configuration dialog in the order of the
// options, then "Aceptar" with the closing checks; all of it or nothing.

#include <stdlib.h>

#include <array>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "project/configuration.h"
#include "project/project_rename.h"

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

const std::array<GroupOption, 8>& GroupOptions() {
    static const std::array<GroupOption, 8> options{{
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
        {"--metodo", Group::Method, {{"estandar", 0}, {"costo-minimo", 1}}},
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

// One option of the command line as the click it stands for.
struct Click {
    enum Kind { Item, Switch, Cleansing, Field } kind = Item;
    std::string option;
    Group group = Group::Class;
    int item = 0;
    Box box = Box::Energy;
    bool on = false;
    std::array<bool, kCleansingWords.size()> wanted{};
    Text text = Text::Consultant;
    std::string value;  // code page
};

std::string ReadCleansing(const std::string& list, Click& click) {
    click.kind = Click::Cleansing;
    size_t start = 0;
    while (start <= list.size() && !list.empty()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string word = list.substr(start, comma - start);
        bool known = false;
        for (size_t i = 0; i < kCleansingWords.size(); ++i)
            if (word == kCleansingWords[i].first) click.wanted[i] = known = true;
        if (!known && word != "ninguna") return Invalid("--autolimpieza", word);
        start = comma + 1;
    }
    return {};
}

std::string ReadText(const std::string& assignment, std::set<std::string>& fields, Click& click) {
    click.kind = Click::Field;
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) return Invalid("--texto", assignment);
    const std::string field = assignment.substr(0, equals);
    for (const auto& [word, text] : kTextWords) {
        if (field != word) continue;
        if (!fields.insert(field).second)
            return "Error: el campo " + field + " de --texto se dio mas de una vez";
        click.text = text;
        click.value = cp(assignment.substr(equals + 1));
        return {};
    }
    return Invalid("--texto", field);
}

// One option of the command line as a click; "" when read.
std::string ReadClick(const std::string& option, const std::string& value,
                      std::set<std::string>& fields, Click& click) {
    click.option = option;
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
        click.group = Group::Class;
        click.item = *n - 1;
        return {};
    }
    for (const GroupOption& g : GroupOptions()) {
        if (option != g.option) continue;
        const auto item = Lookup(value, g.words);
        if (!item) return Invalid(option, value);
        click.group = g.group;
        click.item = *item;
        return {};
    }
    if (option == "--energia" || option == "--critico") {
        const auto on = Lookup(value, {{"si", 1}, {"no", 0}});
        if (!on) return Invalid(option, value);
        click.kind = Click::Switch;
        click.box = option == "--energia" ? Box::Energy : Box::Critical;
        click.on = *on == 1;
        return {};
    }
    if (option == "--autolimpieza") return ReadCleansing(value, click);
    return ReadText(value, fields, click);
}

// Every value checked before the sector is opened: "" and the clicks in the order given,
// or the message.
std::string ReadClicks(const Options& o, std::vector<Click>& clicks) {
    std::set<std::string> fields;
    for (const auto& [option, value] : o.ordered) {
        if (option == "--projects" || option == "--project") continue;
        Click click;
        if (std::string problem = ReadClick(option, value, fields, click); !problem.empty())
            return problem;
        clicks.push_back(click);
    }
    return {};
}

std::string SetBox(project::Configuration& c, const std::string& option, Box b, bool on) {
    if (c.box(b).checked == on) return {};
    return c.SetBox(b, on) ? std::string() : Unavailable(option);
}

// A click on the dialog; "" when done, else the message naming a disabled control.
std::string Apply(project::Configuration& c, const Click& k) {
    switch (k.kind) {
        case Click::Item:
            if (c.group(k.group).item == k.item) return {};
            return c.SelectItem(k.group, k.item) ? std::string() : Unavailable(k.option);
        case Click::Switch:
            return SetBox(c, k.option, k.box, k.on);
        case Click::Cleansing:
            // The five boxes as the list names them: listed ones checked, the rest cleared.
            for (size_t i = 0; i < kCleansingWords.size(); ++i)
                if (std::string problem =
                        SetBox(c, k.option, kCleansingWords[i].second, k.wanted[i]);
                    !problem.empty())
                    return problem;
            return {};
        case Click::Field:
            return c.SetText(k.text, k.value) ? std::string() : Unavailable(k.option);
    }
    return {};
}

// A folder of this run's own that holds a copy of the sector's control file where the
// project folder would be; removed with everything in it at the end.
class Scratch {
  public:
    Scratch() {
        std::error_code ec;
        std::string name =
            (std::filesystem::temp_directory_path(ec) / "nivex-config-XXXXXX").string();
        if (!ec && ::mkdtemp(name.data())) base_ = name;
    }
    ~Scratch() {
        std::error_code ec;
        if (!base_.empty()) std::filesystem::remove_all(base_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& base() const { return base_; }

  private:
    std::string base_;
};

// The sector of `from` as it would be in the base folder `base`.
void Relocate(const project::Project& from, const std::string& base, project::Project& to) {
    to.selection = from.selection;
    to.selection.baseFolder = base;
    to.files.Build(to.selection.subfolderPath(), to.selection.extension);
    to.header = from.header;
    to.espec = from.espec;
    to.consultant = from.consultant;
    to.baseCaption = from.baseCaption;
    to.caption = from.caption;
}

// The clicks and "Aceptar" on the dialog of `trial`: "" when it closed, else why not (a
// box may have said more).
std::string RunDialog(Batch& trial, const std::vector<Click>& clicks) {
    project::Configuration configuration(trial.session);
    if (!configuration.ready()) return "Error: no se pudo abrir la configuracion del proyecto";
    for (const Click& click : clicks) {
        if (std::string problem = Apply(configuration, click); !problem.empty()) return problem;
        if (!configuration.ready()) return "Error: la configuracion no se pudo guardar";
    }
    if (!configuration.Accept() || !configuration.ready())
        return "Error: la configuracion no se acepto; nada se cambio";
    return {};
}

}  // namespace

// The dialog keeps what some clicks change in the control file at once, and "Aceptar" may
// still refuse to close. So the whole command is tried on a copy of the control file
// first, and only a copy the dialog accepted replaces the sector's file, in one rename.
int VerbConfig(Batch& b) {
    std::vector<Click> clicks;
    if (std::string problem = ReadClicks(b.options, clicks); !problem.empty())
        return b.Fail(problem);
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    const std::string control = p.files.control();
    std::string before;
    if (!ReadWhole(control, before)) return b.Fail("Error: no se puede leer el archivo " + control);

    Scratch scratch;
    std::ostringstream said;
    Batch trial(b.options, said, said);
    Relocate(p, scratch.base(), trial.session.project);
    trial.session.folders = b.session.folders;
    trial.session.junctionDiameterEntered = b.session.junctionDiameterEntered;
    std::error_code ec;
    const auto current = std::filesystem::current_path(ec);
    if (!scratch.base().empty())
        std::filesystem::create_directories(trial.session.project.selection.subfolderPath(), ec);
    if (scratch.base().empty() || ec ||
        !WriteOut(trial.session.project.files.control(), before).empty())
        return b.Fail("Error: no se pudo preparar una copia de " + control);
    const std::string refusal = RunDialog(trial, clicks);
    std::filesystem::current_path(current, ec);  // a new name made the copy's folder current
    b.err << said.str();
    if (!refusal.empty()) return b.Fail(refusal);

    std::string after;
    if (!ReadWhole(trial.session.project.files.control(), after))
        return b.Fail("Error: no se pudo preparar una copia de " + control);
    if (after != before) {
        if (std::string failure = WriteOut(control, after); !failure.empty())
            return b.Fail(failure);
    }
    const std::string& name = trial.session.project.header.ProjectName;
    if (name != p.header.ProjectName) {
        bool renamed = false;
        if (!project::RenameProject(p, name, &renamed)) return b.Fail(toUtf8(p.error));
        if (!renamed) b.err << "Aviso: la carpeta del proyecto conserva su nombre\n";
    }
    return 0;
}

}  // namespace nivex::cli
