#pragma once
// The desktop's exchange of the open sector with other programs: the "Exportar" items of
// "Planos" and "Entrar Red SIG" of "Archivos", and the dialog that maps a network's data to
// the layers and fields of a GIS file.

#include <string>
#include <vector>

#include "exchange/gis_fields.h"
#include "exchange/gis_layers.h"
#include "exchange/sector_format.h"

namespace nivex::ui {

class GisMappingDialog {
  public:
    virtual ~GisMappingDialog() = default;
    // Shows the layers of `path` and a field for each datum; false when the user cancelled.
    // Accepted, `mapping` names both layers and gives every datum its field ("" for none),
    // and passes GisMappingRefusal.
    virtual bool run(const std::string& path, const std::vector<exchange::GisLayerInfo>& layers,
                     exchange::GisMapping& mapping) = 0;
};

class SectorExchange {
  public:
    virtual ~SectorExchange() = default;
    // "Exportar ...", the gate passed: the target asked, the export, what it wrote.
    virtual void exportSector(exchange::SectorFormat format) = 0;
    // "Entrar Red SIG": the file, the mapping, the reading, the confirmation and the network
    // replaced. True when it was.
    virtual bool importGis() = 0;
};

}  // namespace nivex::ui
