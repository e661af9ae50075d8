#include "project/project_selection.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "console/codepage.h"
#include "project/project_list.h"
#include "project/project_open.h"
#include "project/replace_file.h"
#include "project/sector_checks.h"
#include "project/sector_lock.h"
#include "shell/startup.h"

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr const char* kErrorCaption = "Error";
constexpr const char* kSystemError =
    "Error del Sistema Operativo - Fue Controlado - PuedeContinuar";
constexpr const char* kInstallCaption = "Error de Instalacion";

// Asked after the message that names a damaged control file and its first damaged value.
constexpr const char* kRepairQuestion =
    "\r\rDesea reemplazar los valores dañados por los valores por omision?\r"
    "(Los controles y las etapas del diseño se deberan hacer de nuevo)";
constexpr const char* kRepairCaption = "Archivo dañado";
// How long one that changes a sector waits for one that only reads it to finish.
constexpr auto kWaitForReaders = std::chrono::seconds(5);

constexpr char kBackspace = 8;
constexpr char kEnter = 13;

// The folder as an absolute path without a trailing '/', so that later changes of the
// current folder do not move it.
std::string absoluteFolder(const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::absolute(folder, ec);
    if (ec) return folder;
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

bool isDigit(const std::string& s, char lowest) {
    return s.size() == 1 && s[0] >= lowest && s[0] <= '9';
}

// What is wrong with the typed fields before anything is looked up; nothing when fine.
std::optional<std::string> FieldsProblem(const SelectionFields& f) {
    auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (f.code.size() != 2 || !letter(f.code[0]) || !letter(f.code[1]))
        return "El codigo del proyecto debe tener dos letras (A..Z)";
    if (!isDigit(f.sector, '0')) return "El sector debe ser un digito de 0 a 9";
    if (!isDigit(f.sectors, '1')) return "El numero de sectores debe ser un digito de 1 a 9";
    return std::nullopt;
}

// One press of "Aceptar": what it created, so that a refusal can take it back.
class Acceptance {
  public:
    Acceptance(shell::Session& s, Project& p, std::vector<ListEntry>& entries,
               const std::string& base, const SelectionFields& f, const SectorUse& use,
               const specs::RepairConsent& consent)
        : s_(s), p_(p), entries_(entries), base_(base), f_(f), use_(use), consent_(consent) {}

    char Run() {
        if (!EnterSubfolder()) return 'N';
        FillSelection();
        if (!TakeSector()) return 'N';
        const std::string folder = subfolder_.string();
        if (auto message = SectorCheckFailure(folder, f_.code, f_.sector, f_.sectors))
            return Refuse(*message);
        if (p_.selection.isTotaliser()) {
            TotaliserCheck check = CheckTotaliser(folder, f_.code, p_.selection.sectorCount);
            if (!check.complete) return Refuse(check.table);
            std::string error;
            if (!p_.onlyReads() && !CopyIntoTotaliser(folder, f_.code, check.sourceSector, error))
                return Refuse(error);
        }
        bool empty = false;
        const bool loaded = LoadControl(p_, empty, [this](const std::string& damage) {
            if (consent_) return consent_(damage);
            return s_.ui.askYesNo(cp(damage) + cp(kRepairQuestion), cp(kRepairCaption)) == 'S';
        });
        controlWasEmpty_ = empty;
        if (!loaded) return Refuse(p_.error);

        if (s_.ui.askYesNo(ConfirmationText(p_), "") != 'S') return Undo();
        if (!FinishOpening(p_)) return Refuse(p_.error);
        p_.selection.accepted = true;
        p_.CloseControl();
        if (lock_.held()) p_.lock = std::move(lock_);  // the former sector's is let go
        return 'S';
    }

  private:
    // The sector's lock, before anything of the sector is written. One that only reads
    // goes on without it while another process holds it, and then writes nothing. The
    // holder removes what a stopped rewrite left behind.
    bool TakeSector() {
        const std::string path = p_.files.lock();
        bool reads = false;
        if (!(p_.lock.held() && p_.lock.path() == path)) {  // not the sector this run holds
            const LockHolder me = ThisProcess(use_.program, !use_.changes);
            const auto wait = use_.changes ? kWaitForReaders : std::chrono::milliseconds(0);
            switch (lock_.Acquire(path, me, wait)) {
                case LockResult::Taken:
                    break;
                case LockResult::Busy:
                    if (use_.changes) {
                        Refuse(cp(InUseMessage(p_.selection.extension, lock_.holder(), path)));
                        return false;
                    }
                    reads = true;
                    break;
                case LockResult::Failed:
                    if (use_.changes) {
                        Refuse(cp(lock_.error()));
                        return false;
                    }
                    reads = true;  // a folder this user may only read
                    break;
            }
        }
        p_.control.SetReadOnly(reads);
        if (!reads) {
            RemoveLeftTempFiles(p_.files.folder(), p_.selection.extension);
            RemoveLeftTempFiles(p_.files.backupFolder(), p_.selection.extension);
        }
        return true;
    }

    // The subfolder, created for a new code, made the current folder.
    bool EnterSubfolder() {
        auto known = std::find_if(entries_.begin(), entries_.end(), [&](const ListEntry& e) {
            return e.extension.compare(0, 2, f_.code) == 0;
        });
        newCode_ = known == entries_.end();
        folderName_ = newCode_ ? f_.code + "-" + kNewProjectName : known->folder;
        subfolder_ = fs::path(base_) / folderName_;
        std::error_code ec;
        if (newCode_) {
            createdFolder_ = fs::create_directory(subfolder_, ec);
            if (ec || !fs::is_directory(subfolder_, ec)) {
                s_.ui.showError(
                    "No se pudo crear la carpeta del proyecto:\r" + cp(subfolder_.string()),
                    kErrorCaption);
                return false;
            }
            const std::string ext = f_.code + f_.sector;
            entries_.push_back(
                {ext, kNewProjectName, "", folderName_, SectorLine(ext, kNewProjectName)});
        }
        fs::current_path(subfolder_, ec);
        if (ec) {
            Refuse("No se pudo entrar a la carpeta del proyecto:\r" + cp(subfolder_.string()));
            return false;
        }
        return true;
    }

    void FillSelection() {
        Selection& sel = p_.selection;
        sel.code = f_.code;
        sel.sector = f_.sector;
        sel.sectors = f_.sectors;
        sel.sectorNumber = f_.sector[0] - '0';
        sel.sectorCount = f_.sectors[0] - '0';
        sel.extension = f_.code + f_.sector;
        sel.baseFolder = base_;
        sel.subfolderName = folderName_;
        p_.files.Build(subfolder_.string(), sel.extension);
    }

    char Refuse(const std::string& message) {
        s_.ui.showError(message, kErrorCaption);
        return Undo();
    }

    // A new project left with 'N' leaves nothing behind: its control file, and the
    // subfolder this acceptance created when it is empty again (the next listing would
    // otherwise send it to the trash with a warning).
    char Undo() {
        p_.CloseControl();
        lock_.Release();
        std::error_code ec;
        if (controlWasEmpty_) fs::remove(p_.files.control(), ec);
        if (createdFolder_ && fs::is_empty(subfolder_, ec)) {
            fs::current_path(base_, ec);
            fs::remove(subfolder_, ec);
        }
        if (newCode_) {
            std::erase_if(entries_, [&](const ListEntry& e) {
                return e.folder == folderName_ && e.name == kNewProjectName &&
                       e.extension.compare(0, 2, f_.code) == 0;
            });
        }
        return 'N';
    }

    shell::Session& s_;
    Project& p_;
    std::vector<ListEntry>& entries_;
    const std::string& base_;
    SelectionFields f_;
    const SectorUse& use_;
    const specs::RepairConsent& consent_;
    SectorLock lock_;  // taken by this acceptance; the project's once it is accepted
    bool newCode_ = false;
    bool createdFolder_ = false;
    bool controlWasEmpty_ = false;
    std::string folderName_;
    fs::path subfolder_;
};

}  // namespace

ProjectSelection::ProjectSelection(shell::Session& session, Project& project)
    : session_(session), project_(project) {}

ListOutcome ProjectSelection::List(const std::string& baseFolder) {
    entries_.clear();
    baseFolder_ = absoluteFolder(baseFolder);
    std::error_code ec;
    if (baseFolder.empty() || !fs::is_directory(baseFolder_, ec)) return ListOutcome::FolderMissing;
    fs::directory_iterator probe(baseFolder_, ec);
    if (ec) return ListOutcome::FolderMissing;

    TrashIncompleteFolders(baseFolder_, session_.ui, session_.desktop);
    FolderListing listing = ListProjects(baseFolder_);
    if (listing.duplicateCode) {
        session_.ui.showError(DuplicateMessage(*listing.duplicateCode, baseFolder_),
                              "Error de duplicacion");
        return ListOutcome::Duplicate;
    }
    entries_ = std::move(listing.entries);
    return ListOutcome::Listed;
}

std::vector<std::string> ProjectSelection::lines() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_)
        out.push_back(e.line);
    return out;
}

SelectionFields ProjectSelection::FieldsOfLine(size_t i) const {
    if (i >= entries_.size()) return {};
    const ListEntry& e = entries_[i];
    return {e.extension.substr(0, 2), e.extension.substr(2, 1),
            e.sectors.empty() ? "1" : e.sectors};
}

char ProjectSelection::CodeKey(char typed) {
    if (typed >= 'A' && typed <= 'Z') return typed;
    if (typed >= 'a' && typed <= 'z') return static_cast<char>(typed - 'a' + 'A');
    if (typed == kBackspace || typed == kEnter) return typed;
    return 0;
}

char ProjectSelection::DigitKey(char typed) {
    if (typed >= '0' && typed <= '9') return typed;
    if (typed == kBackspace || typed == kEnter) return typed;
    return 0;
}

SelectionFields ProjectSelection::LeaveSector(SelectionFields fields) {
    if (fields.sector != "0") fields.sectors = "1";
    return fields;
}

ListOutcome ProjectSelection::Explore(const std::string& chosenFile) {
    if (chosenFile.empty()) return ListOutcome::Listed;  // the file dialog was cancelled
    try {
        const size_t slash = chosenFile.rfind('/');
        std::string folder;
        if (slash == std::string::npos)
            folder = fs::current_path().string();
        else
            folder = slash == 0 ? "/" : chosenFile.substr(0, slash);

        ListOutcome outcome = List(folder);
        if (outcome != ListOutcome::Listed) return outcome;
        fs::current_path(baseFolder_);
        session_.folders.project = baseFolder_;
        project_.files.Build(baseFolder_, project_.files.extension());
        if (baseFolder_ != absoluteFolder(session_.folders.start))
            session_.settings.write(shell::kSettingsKey, "sProyDir", baseFolder_);
        return outcome;
    } catch (const std::exception&) {
        session_.ui.showError(kSystemError, kErrorCaption);
        return ListOutcome::Listed;
    }
}

char ProjectSelection::Accept(const SelectionFields& fields, const SectorUse& use) {
    const SelectionFields f = LeaveSector(fields);
    if (auto problem = FieldsProblem(f)) {
        session_.ui.showError(*problem, kErrorCaption);
        return 'N';
    }
    try {
        return Acceptance(session_, project_, entries_, baseFolder_, f, use, repairConsent_)
            .Run();
    } catch (const std::exception&) {
        project_.CloseControl();
        session_.ui.showError(kSystemError, kErrorCaption);
        return 'N';
    }
}

bool ProjectSelection::Terminate() {
    if (session_.ui.askYesNo("Desea abandonar ahora ?", "Salir del Programa") != 'S') return false;
    project_.CloseControl();
    return true;
}

void ProjectSelection::QuickGuide() {
    const auto guide = (fs::path(session_.folders.program) / "Guia Rapida.pdf").string();
    switch (session_.desktop.openDocument(guide)) {
        case ui::OpenResult::Opened:
            break;
        case ui::OpenResult::FileMissing:
            session_.ui.showInformation(
                "Falta el archivo Guia Rapida.pdf\rDebe estar en el mismo Directorio del "
                "programa NIVEX.exe\r\rNo afecta las demas opciones del Menu. REINSTALE EL "
                "PROGRAMA",
                kInstallCaption);
            break;
        case ui::OpenResult::NoProgram:
            session_.ui.showInformation(cp("Falta el programa AcrobatReader\rPuede descargarlo de "
                                           "Internet\rEs de distribución gratuita"),
                                        kInstallCaption);
            break;
    }
}

void ProjectSelection::ExplainDelete() {
    session_.ui.showInformation(
        "                    INFORMACION :\r\r"
        "Los proyectos estan en el directorio base:\r" +
            cp(baseFolder_) +
            "\r"
            "cada uno en una carpeta llamada codigo-nombre (por ejemplo AB-Proyecto Nuevo).\r\r"
            "Este programa no borra proyectos. Para eliminar uno, abra el directorio base\r"
            "con el administrador de archivos y envie la carpeta del proyecto a la papelera.\r"
            "Desde la papelera se puede restaurar si hace falta.",
        "Eliminar Proyectos");
}

void ProjectSelection::ExplainMissingProjects() {
    session_.ui.showInformation(
        "                    INFORMACION:\r\r"
        "Solo se listan los proyectos del directorio base:\r" +
            cp(baseFolder_) +
            "\r\r"
            "Las versiones anteriores guardaban los proyectos en la carpeta de instalacion\r"
            "del programa. Los proyectos que esten en otro directorio deben trasladarse a\r"
            "mano: con el administrador de archivos mueva la carpeta completa de cada\r"
            "proyecto (codigo-nombre, por ejemplo AB-Proyecto Nuevo) al directorio base.\r"
            "Tambien puede escoger otro directorio base con \"Explorar...\".",
        "Proyectos Faltantes");
}

std::string ProjectSelection::DialogCaption() {
    return std::string("  Nivex - Version: ") + shell::kVersionText;
}

}  // namespace nivex::project
