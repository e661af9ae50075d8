#pragma once
// The import of a network from GIS layers into the open sector, as nivex-batch's
// "importar-sig" and the desktop's "Entrar Red SIG" run it: the layers read and checked
// against the sector's rules and coordinate system; then, once the user agreed, the sector's
// network, manhole coordinates and bends replaced by them.

#include <string>

#include "exchange/gis_fields.h"
#include "exchange/gis_import.h"
#include "exchange/sector_format.h"
#include "project/project.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::exchange {

// Reads the layers at `path` for the sector `p` (its reach rules and coordinate system from
// its files). False with *error (UTF-8, as the batch prints it) when a file of the sector
// cannot be read; the layers' own problems are in `read`.
bool ReadGisForSector(project::Project& p, const std::string& path, const GisMapping& mapping,
                      GisImport& read, std::string* error);

// Why nothing was imported: "No se importo ningun tramo: N problema(s)".
std::string GisRefusal(const GisImport& read);

// The network read (read.ok()) in place of the open sector's: its reach backup put back
// first (the backup belonged to the network replaced), then the reach file, the manhole
// coordinates and the bends. The report says what came in and warns of what did not.
// False with *error (UTF-8, as the batch prints it) when a file operation failed.
bool ReplaceWithGisNetwork(shell::Session& s, const GisImport& read, ExchangeReport& report,
                           std::string* error);

}  // namespace nivex::exchange
