// The network of a sector as a CSV table, out and back in.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "network/reorder_list.h"
#include "project/replace_file.h"

namespace nivex::cli {
namespace {

int Export(Batch& b) {
    if (b.options.operands.size() != 1) return b.Fail("Uso: reaches export [--out ARCHIVO]");
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    std::vector<network::TramoT> reaches;
    std::string error;
    if (!network::ReadNetwork(b.session.project, reaches, &error)) return b.Fail(error);
    const std::string csv = network::ExportReachesCsv(reaches);
    const std::string out = b.options.value("--out");
    if (out.empty()) {
        b.out << csv;
        return 0;
    }
    if (const std::string failure = WriteOut(out, csv); !failure.empty()) return b.Fail(failure);
    b.out << "Tramos exportados: " << reaches.size() << '\n';
    return 0;
}

int Import(Batch& b) {
    if (b.options.operands.size() != 2) return b.Fail("Uso: reaches import ARCHIVO.csv [--yes]");
    const std::string& path = b.options.operands[1];
    if (!std::ifstream(path, std::ios::binary)) return b.Fail("No se pudo leer el archivo " + path);

    b.ui.setYes(true);
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    network::ReachContext context;
    std::string error;
    if (!network::LoadReachContext(p, context, &error)) return b.Fail(error);
    const network::ImportResult result = network::ImportReachesCsvFile(path, context);
    if (!result.ok()) {
        for (const std::string& problem : result.problems)
            b.err << toUtf8(problem) << '\n';
        return b.Fail("No se importo ningun tramo: " + std::to_string(result.problems.size()) +
                      " problema(s)");
    }
    if (!b.options.yes) return b.Fail(std::string(network::kReplaceQuestion) + " No");
    if (!network::ReplaceNetwork(p, result.reaches, &error)) return b.Fail(error);
    b.out << "Tramos importados: " << result.reaches.size() << '\n';
    return 0;
}

bool LineNumber(const std::string& text, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 1 || n > 10000) return false;
    value = static_cast<int>(n);
    return true;
}

// The block move of the reordering screen: lines FIRST..LAST after line AFTER, committed.
int Move(Batch& b) {
    const char* usage = "Uso: reaches move PRIMERA ULTIMA DESPUES [--yes]";
    int first = 0, last = 0, after = 0;
    if (b.options.operands.size() != 4 || !LineNumber(b.options.operands[1], first) ||
        !LineNumber(b.options.operands[2], last) || !LineNumber(b.options.operands[3], after))
        return b.Fail(usage);
    b.ui.setYes(true);
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    network::ReachFile file;
    if (!network::OpenNetwork(p, file)) return b.Fail(toUtf8(p.error));
    const int count = file.count();
    if (first > last || last > count || after > count || (after >= first && after <= last)) {
        file.Close();
        return b.Fail("Las lineas deben estar entre 1 y " + std::to_string(count) +
                      " y la linea DESPUES fuera del bloque");
    }
    if (!b.options.yes) {
        file.Close();
        return b.Fail("Desea dejar en firme el reordenamiento No");
    }
    network::ReorderModel list;
    list.FromIndex(file.index());
    list.MarkStart(first - 1);
    list.MarkEnd(last - 1);
    int current = after - 1;
    if (!list.MoveBlockAfter(current)) {
        file.Close();
        return b.Fail("No se pudo mover el bloque");
    }
    std::string error;
    const bool committed = network::CommitReorder(p, file, list, error);
    file.Close();
    if (!committed) return b.Fail(error);
    b.out << "Lineas " << first << " a " << last << " movidas despues de la linea " << after
          << '\n';
    return 0;
}

}  // namespace

int VerbReaches(Batch& b) {
    const std::string what = b.options.operands.empty() ? "" : b.options.operands[0];
    if (what == "export") return Export(b);
    if (what == "import") return Import(b);
    if (what == "move") return Move(b);
    return b.Fail(
        "Uso: reaches export [--out ARCHIVO] | reaches import ARCHIVO.csv [--yes] | reaches "
        "move PRIMERA ULTIMA DESPUES [--yes]");
}

}  // namespace nivex::cli
