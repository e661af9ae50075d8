// Showing and printing listing files.

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "drawings/paper_listing.h"
#include "drawings/paper_writer.h"
#include "listings/viewer_model.h"

namespace nivex::cli {

bool WritePdf(Batch& b, const std::string& listing, const std::string& pdf) {
    std::string error;
    int pages = 0;
    if (!drawings::PrintListingToPdf(listing, pdf, drawings::DrawingFontIn(ProgramFolder()),
                                     b.session.viewerState.ReportMode, &error, &pages)) {
        b.err << "Error: " << error << '\n';
        return false;
    }
    return true;
}

bool WriteShown(Batch& b, const std::string& listing) {
    listings::ViewerModel model;
    if (!model.Load(listing)) {
        b.err << "Error: " << toUtf8(model.error()) << '\n';
        return false;
    }
    b.out << listings::PlainText(model);
    if (model.cutLines() > 0)
        b.err << "Aviso: " << model.cutLines() << " lineas de mas de 255 caracteres se cortaron\n";
    if (model.missingGlyphs() > 0)
        b.err << "Aviso: " << model.missingGlyphs() << " caracteres no se pueden mostrar\n";
    return true;
}

int VerbShow(Batch& b) {
    if (b.options.operands.size() != 1) return b.Fail("Error: show necesita un archivo de listado");
    return WriteShown(b, b.options.operands[0]) ? 0 : 1;
}

int VerbPrint(Batch& b) {
    if (b.options.operands.size() != 1)
        return b.Fail("Error: print necesita un archivo de listado");
    const std::string pdf = b.options.value("--pdf");
    if (pdf.empty()) return b.Fail("Error: print necesita --pdf SALIDA.pdf");
    return WritePdf(b, b.options.operands[0], pdf) ? 0 : 1;
}

}  // namespace nivex::cli
