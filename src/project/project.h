#pragma once
// The open project sector: which project and sector was chosen, the names of its files
// and its control file with the decoded header.

#include <string>
#include <string_view>

#include "project/sector_lock.h"
#include "shell/control_file.h"
#include "specs/espec.h"

namespace nivex::project {

// The names of one sector's files: folder + base + extension ("<folder>/XSDA.AB1").
// Names keep their exact letter case.
class FileNames {
  public:
    // folder: the project subfolder, with or without the trailing '/'.
    void Build(const std::string& folder, const std::string& extension);

    const std::string& folder() const { return folder_; }  // ends with '/'
    const std::string& extension() const { return extension_; }

    // folder + base + extension; an empty base gives the file named by the extension.
    std::string path(std::string_view base) const;

    std::string control() const { return path("XSDA."); }
    std::string reaches() const { return path("ZSDX."); }
    std::string reachIndex() const { return path("XSDC."); }
    std::string manholeNames() const { return path("XSDD."); }
    std::string quantityWork() const { return path("XSDN."); }
    std::string designCopy() const { return path("ZSDB."); }
    std::string designWork() const { return path("XTEM."); }
    std::string designFinal() const { return path("XFIN."); }
    std::string evolution() const { return path("MensEv."); }
    std::string problems() const { return path("MensPr."); }
    std::string deficiencies() const { return path("MensDe."); }
    std::string rasDeficiencies() const { return path("MensRas."); }
    std::string messages() const { return path("Mens."); }
    std::string designState() const { return path(""); }
    // The lock file of the sector ("Bloqueo.AB1").
    std::string lock() const { return path(kLockBase); }
    // The map file of a project imported from SWMM.
    std::string swmmMap() const { return path("MAPA."); }
    // The SWMM result files and the listing copy of the report: in the project folder,
    // named without extension.
    std::string folderFile(std::string_view name) const { return folder_ + std::string(name); }
    std::string swmmReportCopy() const { return folderFile("Swm"); }
    std::string swmmMaxFlows() const { return folderFile("RepSwm"); }
    std::string swmmVelocities() const { return folderFile("VelSwmm"); }
    std::string swmmDepths() const { return folderFile("DepthSwmm"); }
    std::string swmmFullFlows() const { return folderFile("MaxFullFlow"); }
    std::string swmmFroude() const { return folderFile("FroudeInSwmm"); }
    std::string swmmFloodedNodes() const { return folderFile("NodeFSwmm"); }
    std::string swmmSurchargedNodes() const { return folderFile("NodeSSwmm"); }
    std::string swmmSurchargedLinks() const { return folderFile("LinkSwmm"); }

    // "Respaldo AB1" in the project subfolder, and the two copies it holds.
    std::string backupFolder() const;
    std::string backupReaches() const;  // "XDXS." + extension
    std::string backupIndex() const;    // "XSDC." + extension

  private:
    std::string folder_;
    std::string extension_;
};

// The project chosen in the selection dialog; lasts until the next acceptance.
struct Selection {
    std::string code;     // two letters, "AB"
    std::string sector;   // one digit, "0".."9"
    std::string sectors;  // number of sectors, one digit; "1" for a single sector
    int sectorNumber = 0;
    int sectorCount = 1;
    std::string extension;      // code + sector digit, "AB1"
    std::string baseFolder;     // folder of the dialog that holds the project folders
    std::string subfolderName;  // code + '-' + project name, "AB-Proyecto Nuevo"
    bool accepted = false;      // a project was accepted with 'S' in this run

    std::string subfolderPath() const;  // baseFolder + '/' + subfolderName
    bool isTotaliser() const { return sector == "0" && sectors != "1"; }
    // Several sectors: the count compares greater than "1" as text.
    bool severalSectors() const { return sectors > "1"; }
};

// The open sector. Modules open the control file when they need it and close it again.
struct Project {
    Selection selection;
    FileNames files;
    shell::ControlFile control;
    shell::ProyectoT header;  // record 0 as last read or written
    specs::EspecT espec;      // the design criteria as last loaded
    std::string consultant;   // kept from record 0 for the listings (at most 35)
    std::string baseCaption;  // name, code, sector and design mode
    std::string caption;      // what the main window shows
    std::string error;        // the last file error, in Spanish, naming the file
    // Held while this process works on the sector; free when it only reads it while
    // another process holds it (the control file then keeps every change in memory).
    SectorLock lock;

    // Opens the sector's control file (creating it empty); false with error() set.
    bool OpenControl();
    void CloseControl() { control.Close(); }
    // Record 0 into header (the file must be open and hold the record).
    bool ReadHeader();
    // header into record 0; fails (and writes nothing) when a value does not fit.
    bool WriteHeader();
    bool BackupFolderExists() const;
    // Opened to read while another process works on it: nothing may be written.
    bool onlyReads() const { return control.readOnly(); }
};

// The name every new project gets, and what control A takes for no name at all: a blank
// name, or that one in any letter case with blanks or the underscores of older files
// around it ("PROYECTO NUEVO", "___Proyecto Nuevo___").
constexpr const char* kNewProjectName = "Proyecto Nuevo";
bool ProjectUnnamed(const std::string& name);
bool BlankText(const std::string& text);
// The project data control A requires: e-mail, country, entity, a name and a date.
bool RequiredProjectDataGiven(const shell::ProyectoT& h);

}  // namespace nivex::project
