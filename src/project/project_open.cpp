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
constexpr const char* kNewProjectName = "Proyecto Nuevo";

// Errors name the file; file names are turned into the program's code page for the boxes.
bool fail(Project& p) {
    p.error = cp(p.control.error());
    return false;
}

bool writeHeader(Project& p) {
    return p.WriteHeader();  // its error is in the code page already
}

bool loadExisting(Project& p) {
    // Reads what the file holds (never past its end), repairs the set and writes back
    // every record a repair touched or that was missing.
    std::string error;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &error)) {
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

// The six records of another sector's control file, read without opening it for writing.
bool ReadOtherSector(const std::string& path, shell::ProyectoT& header, specs::EspecT& e) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    codec::Bytes record(shell::kControlRecordSize);
    for (int k = 0; k < shell::kControlRecords; ++k) {
        if (!in.read(reinterpret_cast<char*>(record.data()),
                     static_cast<std::streamsize>(record.size())))
            return k > 0;  // what the file holds; the rest keeps its defaults
        if (k == 0) shell::Decode(record, header);
        specs::Decode(k, record, e);
    }
    return true;
}

}  // namespace

bool LoadControl(Project& p, bool& empty) {
    empty = false;
    if (!p.OpenControl()) return fail(p);
    const int records = p.control.RecordCount();
    empty = records == 0;
    bool ok = empty ? initialiseNew(p) : loadExisting(p);
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
    if (!ReadOtherSector(p.files.folder() + "XSDA." + p.selection.code + "1", oneHeader, one))
        return true;
    ShareWithSectorOne(oneHeader, p.header);
    ShareWithSectorOne(one, p.espec);
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
