#pragma once
// The desktop's exchange items over the session's dialogs and boxes: each export asks for its
// target and runs the export nivex-batch's "exportar" runs; "Entrar Red SIG" asks for the file
// and the mapping of its fields, then reads and replaces the network as "importar-sig" does.

#include "ui/exchange.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::exchange {

// Problems shown in the box of a refused import; the rest are counted.
constexpr size_t kProblemsShown = 15;

// Settings: the folder of the last export and of the last GIS file.
constexpr const char* kExportFolderSetting = "sExportarDir";
constexpr const char* kGisFolderSetting = "sRedSigDir";

class MenuExchange : public ui::SectorExchange {
  public:
    explicit MenuExchange(shell::Session& s) : s_(s) {}
    void exportSector(SectorFormat format) override;
    bool importGis() override;

  private:
    shell::Session& s_;
};

}  // namespace nivex::exchange
