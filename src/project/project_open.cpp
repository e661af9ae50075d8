#include "project/project_open.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "project/project_list.h"
#include "specs/criteria_store.h"

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr int kModeManualOnly = 1;
constexpr int kModeAutomaticOnly = 2;

// Errors name the file; file names are turned into the program's code page for the boxes.
bool fail(Project& p) {
    p.error = cp(p.control.error());
    return false;
}

bool writeHeader(Project& p) {
    return p.WriteHeader();  // its error is in the code page already
}

bool loadExisting(Project& p, const specs::RepairConsent& consent) {
    // Reads what the file holds (never past its end), repairs the set and writes back
    // every record a repair touched or that was missing.
    std::string error;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &error, consent)) {
        p.error = cp(error);
        return false;
    }
    return writeHeader(p);
}

bool initialiseNew(Project& p) {
    p.header = shell::ProyectoT{};
    if (p.selection.sector == "0" || p.selection.sector == "1")
        p.header.ProjectName = kNewProjectName;
    if (!specs::InitialiseDesignCriteria(p.control, p.header, p.espec)) return fail(p);
    return true;
}

int topologyMode(const Project& p) {
    const int mode = p.espec.TopologyMode;
    return mode >= 1 && mode <= 3 ? mode : kModeManualOnly;
}

enum class OtherSector { Read, Missing, Damaged };

// The six records of another sector's control file, read without opening it for writing;
// a damaged one is not read at all (error says why, UTF-8).
OtherSector ReadOtherSector(const std::string& path, shell::ProyectoT& header, specs::EspecT& e,
                            std::string& error) {
    std::error_code ec;
    const auto bytes = fs::file_size(path, ec);
    if (ec) return OtherSector::Missing;
    error = shell::ControlFileSizeFault(path, bytes);
    if (!error.empty()) return OtherSector::Damaged;
    std::ifstream in(path, std::ios::binary);
    if (!in) return OtherSector::Missing;
    std::array<codec::Bytes, shell::kControlRecords> records;
    int present = 0;
    for (auto& record : records) {
        record.assign(shell::kControlRecordSize, 0);
        if (!in.read(reinterpret_cast<char*>(record.data()),
                     static_cast<std::streamsize>(record.size())))
            break;  // what the file holds; the rest keeps its defaults
        ++present;
    }
    if (present == 0) return OtherSector::Missing;
    if (std::string damage = specs::FindControlDamage(records, present); !damage.empty()) {
        error = specs::DamagedControlMessage(path, damage);
        return OtherSector::Damaged;
    }
    shell::Decode(records[0], header);
    for (int k = 0; k < present; ++k)
        specs::Decode(k, records[static_cast<size_t>(k)], e);
    return OtherSector::Read;
}

}  // namespace

bool LoadControl(Project& p, bool& empty, const specs::RepairConsent& consent) {
    empty = false;
    if (!p.OpenControl()) return fail(p);
    const int records = p.control.RecordCount();
    empty = records == 0;
    bool ok = empty ? initialiseNew(p) : loadExisting(p, consent);
    if (!ok) return false;
    return TakeSectorOneData(p);
}

void ShareWithSectorOne(const shell::ProyectoT& one, shell::ProyectoT& header) {
    header.Consultant = one.Consultant;
    header.Email = one.Email;
    header.Country = one.Country;
    header.ProjectName = one.ProjectName;
    header.ProjectDate = one.ProjectDate;
    header.Entity = one.Entity;
    // The system kind comes with the class it belongs to: the menu follows both.
    if (one.DesignClass >= 1 && one.DesignClass <= 9) {
        header.DesignClass = one.DesignClass;
        header.SwmmClass = one.DesignClass >= 6 ? 1 : 0;
    }
}

void ShareWithSectorOne(const specs::EspecT& one, specs::EspecT& e) {
    e.SystemKind = one.SystemKind;
    e.Diameters = one.Diameters;
    e.DiameterCopy = one.DiameterCopy;
    e.MinimumSlopes = one.MinimumSlopes;
    e.DiameterCount = one.DiameterCount;
    e.SectionCount = one.SectionCount;
    e.RangeTexts = one.RangeTexts;
    e.Manhole120Diameter = one.Manhole120Diameter;
    e.Manhole180Diameter = one.Manhole180Diameter;
}

bool TakeSectorOneData(Project& p) {
    if (p.selection.sectorNumber < 2) return true;
    shell::ProyectoT oneHeader;
    specs::EspecT one = specs::DefaultEspec();
    std::string error;
    switch (ReadOtherSector(p.files.folder() + "XSDA." + p.selection.code + "1", oneHeader, one,
                            error)) {
        case OtherSector::Missing:
            return true;
        case OtherSector::Damaged:
            p.error = cp(error);
            return false;
        case OtherSector::Read:
            break;
    }
    const int formerClass = p.header.DesignClass;
    ShareWithSectorOne(oneHeader, p.header);
    ShareWithSectorOne(one, p.espec);
    if (p.header.DesignClass != formerClass) {
        // A design of another class is no design of this one.
        p.header.ControlsDone = {0, 0, 0, 0};
        if (p.espec.TopologyMode == kModeAutomaticOnly) p.header.ControlsDone[3] = 1;
        p.header.StageDone = {0, 0, 0, 0};
        p.header.CriteriaValid = 0;
    }
    if (specs::SaveRecords(p.control, p.header, p.espec, {1, 3, 5})) return true;
    return fail(p);
}

std::string ConfirmationText(const Project& p) {
    const Selection& s = p.selection;
    std::string process;
    if (s.isTotaliser())
        process = "Calcular Presupuesto Consolidado de los Sectores (1.." + s.sectors + ")";
    else if (s.sector != "0")
        process = "Cualquier operacion en el Sector# " + s.sector + " del proyecto";
    else
        process = "Cualquier operacion en el proyecto (no tiene sectores)";
    return "Entidad   : " + p.header.Entity + "\r\n" + "Proyecto  : " + p.header.ProjectName +
           "\r\n" + "Fecha     : " + p.header.ProjectDate + "\r\n" + "Proceso   : " + process;
}

std::string DesignModeText(int mode) {
    switch (mode) {
        case 2:
            return cp("     Diseño Solo Automatico    ");
        case 3:
            return cp("     Diseño Manual y Automatico");
        default:
            return cp("     Diseño Solo Manual        ");
    }
}

bool FinishOpening(Project& p) {
    const Selection& s = p.selection;
    shell::ProyectoT& h = p.header;
    h.BackupExists = p.BackupFolderExists() ? 1 : 0;

    const int mode = topologyMode(p);
    p.baseCaption = h.ProjectName + "      Codigo : " + s.code + "     Sector : " + s.sector +
                    DesignModeText(mode);
    if (s.isTotaliser()) {
        p.caption = h.ProjectName + "    Codigo: " + s.code + "    Sector: " + s.sector +
                    "    (Totalizacion de sectores)";
    } else {
        const long alternative =
            mode == kModeManualOnly ? 0 : std::lround(static_cast<double>(h.DesignAlternative));
        if (alternative < 0) {
            p.caption = p.baseCaption;
            h.StageDone[1] = 0;
        } else {
            p.caption = p.baseCaption + AlternativeCaption(alternative);
        }
    }
    p.consultant = h.Consultant.substr(0, 35);
    return writeHeader(p);
}

std::string AlternativeCaption(long alternative) {
    if (alternative == 0) return "        (Alternativa Manual)";
    return "        (Alternativa Automatica #" + std::to_string(alternative) + ")";
}

}  // namespace nivex::project
