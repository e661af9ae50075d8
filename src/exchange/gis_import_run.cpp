#include "exchange/gis_import_run.h"

#include "console/codepage.h"
#include "drawings/manhole_coordinates.h"
#include "drawings/reach_vertices.h"
#include "network/reach_csv.h"
#include "project/reach_backup.h"
#include "shell/session.h"

namespace nivex::exchange {

namespace dr = nivex::drawings;

bool ReadGisForSector(project::Project& p, const std::string& path, const GisMapping& mapping,
                      GisImport& read, std::string* error) {
    network::ReachContext context;
    dr::ManholeCoordinates stored;
    std::string e;
    if (!network::LoadReachContext(p, context, &e) ||
        !dr::ReadCoordinates(p, stored, nullptr, &e)) {
        *error = "Error: " + e;
        return false;
    }
    read = ReadGisNetwork(path, mapping, context, stored.system);
    return true;
}

std::string GisRefusal(const GisImport& read) {
    return "No se importo ningun tramo: " + std::to_string(read.problemCount) + " problema(s)";
}

bool ReplaceWithGisNetwork(shell::Session& s, const GisImport& read, ExchangeReport& report,
                           std::string* error) {
    project::Project& p = s.project;
    if (!project::RestoreReachBackupSilently(s)) {
        *error = toUtf8(p.error);
        return false;
    }
    std::string e;
    if (!network::ReplaceNetwork(p, read.reaches, &e) ||
        !dr::WriteCoordinates(p, read.coordinates, &e) || !dr::WriteVertices(p, read.bends, &e)) {
        *error = "Error: " + e;
        return false;
    }
    if (!read.systemDeclared)
        report.warnings.push_back(
            "las capas no declaran su sistema de coordenadas; se conserva el del sector (EPSG " +
            std::to_string(read.coordinates.system.epsg) + ")");
    if (read.unusedManholes > 0)
        report.warnings.push_back(std::to_string(read.unusedManholes) +
                                  " pozo(s) de la capa no son extremo de ningun tramo y no se "
                                  "importaron");
    report.lines.push_back("Tramos importados: " + std::to_string(read.reaches.size()));
    report.lines.push_back("pozos: " + std::to_string(read.coordinates.points.size()));
    report.lines.push_back("tramos eliminados omitidos: " + std::to_string(read.removedLeftOut));
    report.lines.push_back("sistema: EPSG " + std::to_string(read.coordinates.system.epsg));
    return true;
}

}  // namespace nivex::exchange
