// Placeholder until the dxf exchange lands.

#include "cli/batch_exchange.h"

namespace nivex::cli {

int ExportDxf(Batch& b) {
    return b.Fail("Error: este formato aun no esta disponible");
}

}  // namespace nivex::cli
