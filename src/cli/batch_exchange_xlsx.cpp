// Placeholder until the xlsx exchange lands.

#include "cli/batch_exchange.h"

namespace nivex::cli {

int ExportWorkbook(Batch& b) {
    return b.Fail("Error: este formato aun no esta disponible");
}

}  // namespace nivex::cli
