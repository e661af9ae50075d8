// The verbs about projects and sectors.

#include <array>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "project/project_rename.h"
#include "project/reach_backup.h"

namespace nivex::cli {
namespace {

std::string Digits(const std::array<uint8_t, 4>& flags) {
    std::string text;
    for (uint8_t f : flags)
        text += static_cast<char>('0' + (f ? 1 : 0));
    return text;
}

}  // namespace

int VerbNew(Batch& b) {
    if (int rc = b.OpenSector(true)) return rc;
    const std::string name = b.options.value("--name");
    if (name.empty()) return 0;
    project::Project& p = b.session.project;
    if (!project::RenameProject(p, cp(name))) return b.Fail(toUtf8(p.error));
    return 0;
}

int VerbInfo(Batch& b) {
    b.ui.setYes(true);
    if (int rc = b.OpenSector(false)) return rc;
    const project::Project& p = b.session.project;
    const shell::ProyectoT& h = p.header;
    b.out << "codigo: " << p.selection.code << '\n'
          << "sector: " << p.selection.sector << '\n'
          << "sectores: " << p.selection.sectors << '\n'
          << "proyecto: " << toUtf8(h.ProjectName) << '\n'
          << "clase: " << h.DesignClass << '\n'
          << "metodo: " << (shell::LeastCostMethod(h) ? "costo-minimo" : "estandar") << '\n'
          << "tramos: " << h.ReachCount << '\n'
          << "controles: " << Digits(h.ControlsDone) << '\n'
          << "etapas: " << Digits(h.StageDone) << '\n'
          << "caption: " << toUtf8(p.caption) << '\n';
    return 0;
}

int VerbRestoreBackup(Batch& b) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    const project::Project& p = b.session.project;
    const bool hadBackup = p.BackupFolderExists();
    if (!project::RestoreReachBackup(b.session)) return 1;
    if (!hadBackup) return 1;  // "No existe respaldo del archivo original" was printed
    if (p.BackupFolderExists())
        return b.Fail("Error: no se recupero el archivo original (respuesta N)");
    return 0;
}

}  // namespace nivex::cli
