// The records of the design copy "ZSDB." as a table, one row per record, with the
// design fields by name.

#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/design_columns.h"
#include "network/reach_file.h"

namespace nivex::cli {
namespace {

std::string Cell(const std::string& name) {
    const std::string text = toUtf8(name);
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string Header() {
    std::string s;
    for (const design::DesignColumn& c : design::DesignColumns())
        s += (s.empty() ? "" : ",") + std::string(c.name);
    return s;
}

std::string Row(int line, network::TramoT& t) {
    const std::vector<design::DesignColumn>& columns = design::DesignColumns();
    const std::vector<design::DesignCell> cells = design::DesignCells(line, t);
    std::string s;
    for (size_t k = 0; k < cells.size(); ++k) {
        if (k > 0) s += ',';
        switch (columns[k].kind) {
            case design::ColumnKind::Text:
                s += Cell(cells[k].text);
                break;
            case design::ColumnKind::Integer:
                s += std::to_string(cells[k].integer);
                break;
            case design::ColumnKind::Real:
                s += design::ShortestText(cells[k].real);
                break;
        }
    }
    return s;
}

int DumpDesign(Batch& b) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    const std::string path = b.session.project.files.designCopy();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return b.Fail("... Falta hacer o repetir el diseño del proyecto ...");
    network::TramoFile file;
    if (!file.Open(path)) return b.Fail(toUtf8(file.error()));
    b.out << Header() << '\n';
    for (int line = 1; line <= file.count(); ++line) {
        network::TramoT t;
        if (!file.Read(line, t)) {
            const std::string e = toUtf8(file.error());
            file.Close();
            return b.Fail(e);
        }
        b.out << Row(line, t) << '\n';
    }
    file.Close();
    return 0;
}

}  // namespace

int VerbDump(Batch& b) {
    const auto& ops = b.options.operands;
    if (ops.empty() || ops[0] != "design")
        return b.Fail("Error: dump necesita que volcar: dump design [--csv]");
    return DumpDesign(b);
}

}  // namespace nivex::cli
