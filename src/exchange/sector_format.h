#pragma once
// The formats the open sector is exported to, from nivex-batch's "exportar" and the
// desktop's "Planos" entry alike, and what an exchange tells its user.

#include <string>
#include <vector>

namespace nivex::exchange {

enum class SectorFormat { GeoPackage, Shapefiles, Dxf, Workbook };

// What an export or an import did, as nivex-batch prints it and the desktop shows it (UTF-8).
struct ExchangeReport {
    std::vector<std::string> lines;     // "GeoPackage escrito: ...", "tramos: 12", ...
    std::vector<std::string> warnings;  // without the "Aviso: " the batch puts before them
};

}  // namespace nivex::exchange
