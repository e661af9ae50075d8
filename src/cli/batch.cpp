#include "cli/batch.h"

#include <ostream>

#include "shell/startup.h"

namespace nivex::cli {
namespace {

void PrintHelp(std::ostream& out) {
    out << "Uso: nivex-batch [--projects CARPETA] [--project CODIGO] VERBO [opciones]\n"
           "\n"
           "Opciones generales:\n"
           "  --version   muestra la version del programa\n"
           "  --help      muestra esta ayuda\n"
           "\n"
           "Verbos:\n"
           "  (ninguno todavia)\n";
}

}  // namespace

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintHelp(err);
        return 2;
    }
    for (const auto& arg : args) {
        if (arg == "--version") {
            out << shell::kVersionText << '\n';
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            PrintHelp(out);
            return 0;
        }
    }
    err << "Error: verbo desconocido: " << args.front() << '\n';
    return 2;
}

}  // namespace nivex::cli
