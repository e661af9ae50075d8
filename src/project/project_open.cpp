#include "project/project_open.h"

#include <cmath>
#include <filesystem>

#include "console/codepage.h"
#include "project/project_list.h"

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr int kHeaderRecord = 0;
constexpr int kLastRecord = shell::kControlRecords - 1;
constexpr size_t kTopologyModeOffset = 424;  // record 5, i16
constexpr int kModeManualOnly = 1;
constexpr const char* kNewProjectName = "Proyecto Nuevo";

// Errors name the file; file names are turned into the program's code page for the boxes.
bool fail(Project& p) {
    p.error = cp(p.control.error());
    return false;
}

bool writeHeader(Project& p) {
    if (p.WriteHeader()) return true;
    p.error = cp(p.error);
    return false;
}

bool loadExisting(Project& p, int records) {
    const int present = std::min(records, shell::kControlRecords);
    for (int k = 0; k < present; ++k)
        if (!p.control.ReadRecord(k)) return fail(p);
    for (int k = present; k <= kLastRecord; ++k) {
        std::fill(p.control.buffer(k).begin(), p.control.buffer(k).end(), 0);
        if (!p.control.WriteRecord(k)) return fail(p);
    }
    shell::Decode(p.control.buffer(kHeaderRecord), p.header);  // an empty 338 reads as zeros
    return writeHeader(p);
}

bool initialiseNew(Project& p) {
    p.control.ClearBuffers();
    p.header = shell::ProyectoT{};
    if (p.selection.sector == "0" || p.selection.sector == "1")
        p.header.ProjectName = kNewProjectName;
    if (!shell::Encode(p.header, p.control.buffer(kHeaderRecord))) {
        p.error = "Un valor del registro 0 no cabe en su campo: " + cp(p.files.control());
        return false;
    }
    for (int k = 0; k <= kLastRecord; ++k)
        if (!p.control.WriteRecord(k)) return fail(p);
    return true;
}

int topologyMode(Project& p) {
    int mode = codec::I16(p.control.buffer(kLastRecord), kTopologyModeOffset);
    return mode >= 1 && mode <= 3 ? mode : kModeManualOnly;
}

}  // namespace

bool LoadControl(Project& p, bool& empty) {
    empty = false;
    if (!p.OpenControl()) return fail(p);
    const int records = p.control.RecordCount();
    empty = records == 0;
    bool ok = empty ? initialiseNew(p) : loadExisting(p, records);
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

bool TakeSectorOneData(Project& p) {
    if (p.selection.sectorNumber < 2) return true;
    shell::ProyectoT one;
    if (!ReadHeaderOnly(p.files.folder() + "XSDA." + p.selection.code + "1", one)) return true;
    ShareWithSectorOne(one, p.header);
    return writeHeader(p);
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
        } else if (alternative == 0) {
            p.caption = p.baseCaption + "        (Alternativa Manual)";
        } else {
            p.caption = p.baseCaption + "        (Alternativa Automatica #" +
                        std::to_string(alternative) + ")";
        }
    }
    p.consultant = h.Consultant.substr(0, 35);
    return writeHeader(p);
}

}  // namespace nivex::project
