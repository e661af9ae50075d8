// The records of the design copy "ZSDB." as a table, one row per record, with the
// design fields by name.

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/design_table.h"
#include "network/reach_file.h"

namespace nivex::cli {
namespace {

// The shortest text that reads back as the same float, '.' as separator.
std::string Number(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

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

std::string Row(int line, const network::TramoT& t) {
    std::string s = std::to_string(line) + ',' + Cell(t.Upstream) + ',' + Cell(t.Downstream);
    const auto& columns = design::DesignValueColumns();
    const std::vector<float> values = design::DesignValuesOf(t);
    for (size_t k = 0; k < columns.size(); ++k)
        s += ',' +
             (columns[k].whole ? std::to_string(static_cast<int>(values[k])) : Number(values[k]));
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
    b.out << design::DesignColumnsLine() << '\n';
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
