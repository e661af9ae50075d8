#pragma once
// The logic of the project selection dialog: the list of the projects of a base folder,
// the rules of its three fields, "Explorar...", "Aceptar" with its sector checks, the
// totaliser check, the confirmation and the window caption, and its other buttons. The
// desktop dialog and nivex-batch both drive this class; neither repeats any of it.

#include <string>
#include <vector>

#include "project/project.h"
#include "shell/session.h"
#include "specs/criteria_store.h"

namespace nivex::project {

// Who opens a sector and what for: the program the sector's lock names, and whether it
// is to change the sector (it then holds the lock, or is refused while another process
// holds it) or only to read it (it reads it even then, and writes nothing).
struct SectorUse {
    std::string program = "NIVEX";
    bool changes = true;
};

// One line of the dialog's list.
struct ListEntry {
    std::string extension;  // "AB1"; a totaliser line has sector digit '0'
    std::string name;       // project name (25 characters at most)
    std::string sectors;    // totaliser line: the number of sectors; otherwise empty
    std::string folder;     // the project subfolder's name, "AB-Centro"
    std::string line;       // the text shown, "AB1 - Centro SECTOR # 1"
};

// The three fields of the dialog.
struct SelectionFields {
    std::string code;     // Edit1
    std::string sector;   // Edit2
    std::string sectors;  // Edit3
};

// How the list of a base folder ended.
enum class ListOutcome {
    Listed,
    FolderMissing,  // "ERROR... No existe ese directorio"
    Duplicate,      // "Error de duplicacion" was shown: the program must end
};

class ProjectSelection {
  public:
    ProjectSelection(shell::Session& session, Project& project);

    // Cleans up incomplete folders (to the trash, with a warning each), lists the
    // projects, and selects the first line. Also the base folder of later acceptances.
    ListOutcome List(const std::string& baseFolder);
    const std::vector<ListEntry>& entries() const { return entries_; }
    std::vector<std::string> lines() const;
    const std::string& baseFolder() const { return baseFolder_; }

    // The fields a click on line i fills in (a totaliser line: sector "0" and its count).
    SelectionFields FieldsOfLine(size_t i) const;

    // Key rules of the fields: whether a typed character is taken, and as what (code
    // letters are turned to upper case). 0 means the key is dropped.
    static char CodeKey(char typed);
    static char DigitKey(char typed);
    // Leaving the sector field: any sector but "0" sets the count to "1".
    static SelectionFields LeaveSector(SelectionFields fields);
    // Whether the count field is open for typing (white) for this sector.
    static bool CountFieldOpen(const std::string& sector) { return sector == "0"; }

    // "Explorar...": the file name chosen in the file dialog ("" when cancelled). The
    // folder part becomes the base folder and the project folder; stored in the
    // settings when it differs from the start folder.
    ListOutcome Explore(const std::string& chosenFile);

    // "Aceptar": 'S' when the project was accepted and opened (the dialog closes), 'N'
    // otherwise (every refusal has been shown through the session's Ui). The sector's
    // lock is taken before anything of it is written, and kept in the project.
    char Accept(const SelectionFields& fields, const SectorUse& use = {});
    // Who agrees to the repair of a damaged control file; by default the user is asked
    // through the session's Ui. A batch run answers from its own option instead of the
    // answer it gives the confirmation of the opening.
    void setRepairConsent(specs::RepairConsent consent) { repairConsent_ = std::move(consent); }

    // "Terminar": true when the user confirms leaving.
    bool Terminate();
    void QuickGuide();
    void ExplainDelete();           // "Eliminar"
    void ExplainMissingProjects();  // "Si faltan proyectos"

    // The dialog's caption: "  Nivex - Version: 20.12".
    static std::string DialogCaption();

  private:
    specs::RepairConsent repairConsent_;
    shell::Session& session_;
    Project& project_;
    std::string baseFolder_;
    std::vector<ListEntry> entries_;
};

}  // namespace nivex::project
