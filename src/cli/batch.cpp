#include "cli/batch.h"

#include <filesystem>
#include <map>
#include <ostream>

#include "cli/batch_desktop.h"
#include "cli/batch_ui.h"
#include "console/codepage.h"
#include "console/console.h"
#include "console/screen.h"
#include "project/project_rename.h"
#include "project/project_selection.h"
#include "project/reach_backup.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "shell/startup.h"

namespace nivex::cli {
namespace {

void PrintHelp(std::ostream& out) {
    out << "Uso: nivex-batch [--projects CARPETA] [--project CODIGO] VERBO [opciones]\n"
           "\n"
           "Opciones generales:\n"
           "  --version          muestra la version del programa\n"
           "  --help             muestra esta ayuda\n"
           "  --projects CARPETA carpeta base de los proyectos\n"
           "  --project AB1      codigo del proyecto (dos letras) y digito del sector\n"
           "  --yes              responde Si a las confirmaciones (si no, No)\n"
           "\n"
           "Verbos:\n"
           "  new [--name TEXTO] [--sectors N]  crea o abre el sector de un proyecto\n"
           "  info                              estado del sector (lineas clave: valor)\n"
           "  list-projects                     lineas de la lista de proyectos\n"
           "  restore-backup                    recupera el archivo de tramos original\n";
}

struct Options {
    std::string projects;
    std::string project;
    std::string verb;
    std::string name;
    std::string sectors;
    bool yes = false;
};

bool Parse(const std::vector<std::string>& args, Options& o, std::ostream& err) {
    std::map<std::string, std::string*> valued = {{"--projects", &o.projects},
                                                  {"--project", &o.project},
                                                  {"--name", &o.name},
                                                  {"--sectors", &o.sectors}};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (auto it = valued.find(a); it != valued.end()) {
            if (i + 1 >= args.size()) {
                err << "Error: falta el valor de " << a << '\n';
                return false;
            }
            *it->second = args[++i];
        } else if (a == "--yes") {
            o.yes = true;
        } else if (!a.empty() && a[0] == '-') {
            err << "Error: opcion desconocida: " << a << '\n';
            return false;
        } else if (o.verb.empty()) {
            o.verb = a;
        } else {
            err << "Error: argumento de mas: " << a << '\n';
            return false;
        }
    }
    return true;
}

// One batch run's console, boxes and project: what the screens would have.
struct BatchSession {
    UiSwitches switches;
    BatchUi ui;
    console::Console console{switches, ui};
    console::Screen screen{console};
    BatchDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{switches, console, screen, ui, desktop, settings, menu};

    BatchSession(std::ostream& err, bool yes) : ui(err, yes) {
        switches.beepSilenced = true;
        std::error_code ec;
        session.folders.start = std::filesystem::current_path(ec).string();
    }
};

// "AB1" into the dialog's fields; false when it is not two letters and a digit.
bool FieldsOf(const std::string& code, const std::string& sectors,
              project::SelectionFields& fields) {
    if (code.size() != 2 && code.size() != 3) return false;
    fields = {};
    for (size_t i = 0; i < 2; ++i) {
        const char c = project::ProjectSelection::CodeKey(code[i]);
        if (c < 'A' || c > 'Z') return false;
        fields.code += c;
    }
    fields.sector = code.size() == 3 ? code.substr(2) : "0";
    if (fields.sector[0] < '0' || fields.sector[0] > '9') return false;
    fields.sectors = sectors.empty() ? "1" : sectors;
    if (fields.sectors.size() != 1 || fields.sectors[0] < '1' || fields.sectors[0] > '9')
        return false;
    if (!project::ProjectSelection::CountFieldOpen(fields.sector))
        fields = project::ProjectSelection::LeaveSector(fields);
    return true;
}

class Runner {
  public:
    Runner(const Options& o, std::ostream& out, std::ostream& err)
        : o_(o), out_(out), err_(err), batch_(err, o.yes) {}

    int run() {
        if (o_.verb == "list-projects") return listProjects();
        if (o_.verb == "new") return openSector(true);
        if (o_.verb == "info") return info();
        if (o_.verb == "restore-backup") return restoreBackup();
        err_ << "Error: verbo desconocido: " << o_.verb << '\n';
        return 2;
    }

  private:
    // The base folder listed as the dialog lists it.
    bool list(project::ProjectSelection& selection) {
        if (o_.projects.empty()) {
            err_ << "Error: falta --projects CARPETA\n";
            return false;
        }
        batch_.session.folders.project = o_.projects;
        switch (selection.List(o_.projects)) {
            case project::ListOutcome::Listed:
                return true;
            case project::ListOutcome::FolderMissing:
                err_ << "ERROR... No existe ese directorio: " << o_.projects << '\n';
                return false;
            case project::ListOutcome::Duplicate:
                return false;  // the box has been printed
        }
        return false;
    }

    int listProjects() {
        project::ProjectSelection selection(batch_.session, batch_.session.project);
        if (!list(selection)) return 1;
        for (const std::string& line : selection.lines())
            out_ << toUtf8(line) << '\n';
        return 0;
    }

    // Accepts the sector as "Aceptar" does. create: a sector that does not exist yet
    // may be made.
    int openSector(bool create) {
        project::SelectionFields fields;
        if (!FieldsOf(o_.project, o_.sectors, fields)) {
            err_ << "Error: --project debe ser dos letras y el digito del sector (AB1)\n";
            return 1;
        }
        project::ProjectSelection selection(batch_.session, batch_.session.project);
        if (!list(selection)) return 1;
        if (!create && !exists(selection, fields)) {
            err_ << "Error: no existe el proyecto " << fields.code << fields.sector << " en "
                 << o_.projects << '\n';
            return 1;
        }
        if (selection.Accept(fields) != 'S') {
            err_ << "Error: el proyecto " << fields.code << fields.sector << " no fue aceptado\n";
            return 1;
        }
        if (create && !o_.name.empty()) {
            project::Project& p = batch_.session.project;
            if (!project::RenameProject(p, cp(o_.name))) {
                err_ << toUtf8(p.error) << '\n';
                return 1;
            }
        }
        return 0;
    }

    static bool exists(const project::ProjectSelection& selection,
                       const project::SelectionFields& f) {
        for (const auto& entry : selection.entries())
            if (entry.extension.substr(0, 2) == f.code) {
                std::error_code ec;
                const auto folder = std::filesystem::path(selection.baseFolder()) / entry.folder;
                return std::filesystem::exists(folder / ("XSDA." + f.code + f.sector), ec);
            }
        return false;
    }

    int info() {
        batch_.ui.setYes(true);
        if (int rc = openSector(false)) return rc;
        const project::Project& p = batch_.session.project;
        const shell::ProyectoT& h = p.header;
        auto digits = [](const std::array<uint8_t, 4>& flags) {
            std::string text;
            for (uint8_t f : flags)
                text += static_cast<char>('0' + (f ? 1 : 0));
            return text;
        };
        out_ << "codigo: " << p.selection.code << '\n'
             << "sector: " << p.selection.sector << '\n'
             << "sectores: " << p.selection.sectors << '\n'
             << "proyecto: " << toUtf8(h.ProjectName) << '\n'
             << "clase: " << h.DesignClass << '\n'
             << "tramos: " << h.ReachCount << '\n'
             << "controles: " << digits(h.ControlsDone) << '\n'
             << "etapas: " << digits(h.StageDone) << '\n'
             << "caption: " << toUtf8(p.caption) << '\n';
        return 0;
    }

    int restoreBackup() {
        batch_.ui.setYes(true);  // the sector itself opens without asking
        if (int rc = openSector(false)) return rc;
        batch_.ui.setYes(o_.yes);
        const project::Project& p = batch_.session.project;
        const bool hadBackup = p.BackupFolderExists();
        if (!project::RestoreReachBackup(batch_.session)) return 1;
        if (!hadBackup) return 1;  // "No existe respaldo del archivo original"
        if (p.BackupFolderExists()) {
            err_ << "Error: no se recupero el archivo original (respuesta N)\n";
            return 1;
        }
        return 0;
    }

    const Options& o_;
    std::ostream& out_;
    std::ostream& err_;
    BatchSession batch_;
};

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
    Options options;
    if (!Parse(args, options, err)) return 2;
    if (!options.projects.empty()) {
        // Accepting a project changes the current folder: the base must not depend on it.
        std::error_code ec;
        auto absolute = std::filesystem::absolute(options.projects, ec);
        if (!ec) options.projects = absolute.lexically_normal().string();
        while (options.projects.size() > 1 && options.projects.back() == '/')
            options.projects.pop_back();
    }
    if (options.verb.empty()) {
        err << "Error: falta el verbo\n";
        return 2;
    }
    const std::string start = [] {
        std::error_code ec;
        return std::filesystem::current_path(ec).string();
    }();
    Runner runner(options, out, err);
    const int rc = runner.run();
    // Accepting a project makes its folder current; a batch caller keeps its own.
    std::error_code ec;
    std::filesystem::current_path(start, ec);
    return rc;
}

}  // namespace nivex::cli
