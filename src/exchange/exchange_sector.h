#pragma once
// The export of the open sector to one format, as nivex-batch's "exportar" verbs and the
// desktop's "Exportar" items run it: the inputs read from the sector's files, the file
// written, and what was written described line by line.

#include <string>

#include "drawings/profile.h"
#include "exchange/sector_format.h"
#include "project/project.h"

namespace nivex::exchange {

// Writes the sector `p` (its header loaded and the export's gate passed) to `path`: a file,
// or a folder for the Shapefiles. `scales` are the DXF's profile scales. False with *error
// (UTF-8, naming the file; as the batch prints it) and nothing changed at path; the warnings
// found before the failure stay in the report.
bool ExportSector(project::Project& p, SectorFormat format, const std::string& path,
                  const drawings::ProfileScales& scales, ExchangeReport& report,
                  std::string* error);

}  // namespace nivex::exchange
