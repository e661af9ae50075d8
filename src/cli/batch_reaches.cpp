// The network of a sector as a CSV table, out and back in.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "network/reach_csv.h"

namespace nivex::cli {
namespace {

// A half-written table never replaces a former one.
bool WriteFile(const std::string& path, const std::string& text) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f || !f.write(text.data(), static_cast<std::streamsize>(text.size())) || !f.flush()) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

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
    if (!WriteFile(out, csv)) return b.Fail("No se pudo escribir el archivo " + out);
    b.out << "Tramos exportados: " << reaches.size() << '\n';
    return 0;
}

int Import(Batch& b) {
    if (b.options.operands.size() != 2) return b.Fail("Uso: reaches import ARCHIVO.csv [--yes]");
    const std::string& path = b.options.operands[1];
    std::ifstream f(path, std::ios::binary);
    if (!f) return b.Fail("No se pudo leer el archivo " + path);
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());

    b.ui.setYes(true);
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    network::ReachContext context;
    std::string error;
    if (!network::LoadReachContext(p, context, &error)) return b.Fail(error);
    const network::ImportResult result = network::ImportReachesCsv(text, context);
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

}  // namespace

int VerbReaches(Batch& b) {
    const std::string what = b.options.operands.empty() ? "" : b.options.operands[0];
    if (what == "export") return Export(b);
    if (what == "import") return Import(b);
    return b.Fail("Uso: reaches export [--out ARCHIVO] | reaches import ARCHIVO.csv [--yes]");
}

}  // namespace nivex::cli
