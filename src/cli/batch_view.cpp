// Showing and printing listing files.

#include "cli/batch_context.h"

namespace nivex::cli {

bool WritePdf(Batch& b, const std::string&, const std::string&) {
    b.err << "Error: PDF no disponible todavia\n";
    return false;
}

bool WriteShown(Batch& b, const std::string&) {
    b.err << "Error: vista no disponible todavia\n";
    return false;
}

int VerbShow(Batch& b) {
    return b.Fail("Error: show no disponible todavia");
}
int VerbPrint(Batch& b) {
    return b.Fail("Error: print no disponible todavia");
}

}  // namespace nivex::cli
