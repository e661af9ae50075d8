// The table of verbs in docs/batch-verbs.md against what nivex-batch says of itself: the
// general help names the same verbs, and each form's own help the same options, gate and
// exit codes, so that the page cannot drift from the program.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"

namespace nivex::cli {
namespace {

struct Row {
    std::set<std::string> options, general, exits;
    std::string gate;
};

std::string Help(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch(args, out, err), 0) << err.str();
    return out.str();
}

std::set<std::string> Matches(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it)
        found.insert((*it)[1].str());
    return found;
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, '|');) {
        const size_t first = cell.find_first_not_of(' ');
        cells.push_back(first == std::string::npos
                            ? ""
                            : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    return cells;
}

// The rows of the verb table: "| `verb sub` | arguments | options | general | gate | codes |".
std::map<std::string, Row> DocumentedForms() {
    std::ifstream in(std::string(NIVEX_DOCS_DIR) + "/batch-verbs.md");
    EXPECT_TRUE(in.good()) << NIVEX_DOCS_DIR;
    std::map<std::string, Row> rows;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| Verb |", 0) == 0) inTable = true;
        if (!inTable || line.rfind("| `", 0) != 0) continue;
        const std::vector<std::string> c = Cells(line);  // c[0] is before the first '|'
        if (c.size() < 7) {
            ADD_FAILURE() << "short row: " << line;
            continue;
        }
        Row r;
        r.options = Matches(c[3], "`(--[a-z-]+)`");
        r.general = Matches(c[4], "`(--[a-z-]+)`");
        const std::set<std::string> gate = Matches(c[5], "`([^`]+)`");
        r.gate = gate.empty() ? "none" : *gate.begin();
        r.exits = Matches(c[6], "([0-9]+)");
        rows[c[1].substr(1, c[1].size() - 2)] = r;
    }
    return rows;
}

// The forms a verb's help describes: a line of its own after an empty line, then
// "  key: value" lines.
std::map<std::string, Row> HelpForms(const std::string& verb, std::string* block) {
    std::map<std::string, Row> forms;
    std::istringstream in(Help({verb, "--help"}));
    Row* current = nullptr;
    bool afterBlank = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            afterBlank = true;
            continue;
        }
        if (afterBlank && line[0] != ' ') {
            current = &forms[line];
        } else if (!current) {
            *block += line + '\n';
        } else if (line.rfind("  opciones generales: ", 0) == 0) {
            current->general = Matches(line, "(--[a-z-]+)");
        } else if (line.rfind("  opciones: ", 0) == 0) {
            current->options = Matches(line, "(--[a-z-]+)");
        } else if (line.rfind("  requisitos del menu: ", 0) == 0) {
            const std::set<std::string> gate = Matches(line, "opcion ([0-9A-Z]+)");
            current->gate = gate.empty() ? "none" : *gate.begin();
        } else if (line.rfind("  codigos de salida: ", 0) == 0) {
            current->exits = Matches(line, "([0-9]+)");
        }
        afterBlank = false;
    }
    return forms;
}

// The verbs of the general help: the first word of the lines of its last section.
std::set<std::string> HelpVerbs() {
    const std::string help = Help({"--help"});
    return Matches(help.substr(help.find("Verbos:")), "\n  ([a-z][a-z-]*)");
}

TEST(BatchVerbsPage, NamesTheVerbsOfTheHelp) {
    std::set<std::string> documented;
    for (const auto& [form, row] : DocumentedForms())
        documented.insert(form.substr(0, form.find(' ')));
    EXPECT_EQ(documented, HelpVerbs());
}

TEST(BatchVerbsPage, EveryFormHasTheOptionsGateAndExitCodesItsHelpShows) {
    const std::map<std::string, Row> documented = DocumentedForms();
    std::set<std::string> helped;
    for (const std::string& verb : HelpVerbs()) {
        std::string block;
        const std::map<std::string, Row> forms = HelpForms(verb, &block);
        for (const auto& [form, row] : forms) {
            helped.insert(form);
            const auto doc = documented.find(form);
            if (doc == documented.end()) {
                ADD_FAILURE() << form << " is not in the page";
                continue;
            }
            EXPECT_EQ(doc->second.options, row.options) << form;
            EXPECT_EQ(doc->second.general, row.general) << form;
            EXPECT_EQ(doc->second.gate, row.gate) << form;
            EXPECT_EQ(doc->second.exits, row.exits) << form;
            // The usage lines of the general help show every option the form takes.
            for (const std::string& option : row.options)
                EXPECT_NE(block.find(option), std::string::npos) << form << ' ' << option;
        }
        // ... and no option the verb does not take.
        std::set<std::string> taken{"--projects", "--project", "--yes"};
        for (const auto& [form, row] : forms)
            taken.insert(row.options.begin(), row.options.end());
        for (const std::string& option : Matches(block, "(--[a-z-]+)"))
            EXPECT_EQ(taken.count(option), 1u) << verb << " shows " << option;
    }
    for (const auto& [form, row] : documented)
        EXPECT_EQ(helped.count(form), 1u) << form << " is in the page only";
}

}  // namespace
}  // namespace nivex::cli
