#include "design/evolution_listing.h"

#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "listings/listing_file.h"
#include "project/file_size.h"
#include "shell/session.h"

namespace nivex::design {
namespace {

constexpr int kLinesPerPage = 88;  // a page-end line before every 89th line

}  // namespace

void ListEvolution(shell::Session& s) {
    console::Screen& screen = s.screen;
    s.console.clrScr();
    screen.ShowHeader("LISTADO DE EVOLUCION DE LOS CALCULOS");
    const std::string path = s.project.files.evolution();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        screen.ShowMessageBox(cp("... Falta hacer o repetir el diseño del proyecto ..."));
        return;
    }
    if (s.ui.askYesNo(cp("Desea ver o listar la evolucion del diseño ?"), "Confirmacion") != 'S')
        return;
    if (const std::string big = project::OversizedFile(path, project::kMostTextFileBytes);
        !big.empty()) {
        s.ui.showError(cp(big), "Error");
        return;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        s.ui.showError(cp("No se pudo leer el archivo " + path), "Error");
        return;
    }
    listings::RemoveListingFiles(s);
    if (!listings::OpenListingFile(s)) {
        s.ui.showError(s.listing.file.error(), "Error");
        return;
    }
    listings::TextFile& out = s.listing.file;
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lines > 0 && lines % kLinesPerPage == 0)
            out.WriteLine(std::string(1, listings::kEndOfPage));
        out.WriteLine(line);
        ++lines;
    }
    const bool failed = out.failed();
    const std::string error = out.error();
    listings::CloseListing(s);
    if (failed) {
        s.ui.showError(error, "Error");
        listings::RemoveListingFiles(s);
        return;
    }
    if (!listings::CheckListingNotEmpty(s)) return;
    if (s.viewer) s.viewer->ShowListing(listings::ListingPath(s), "Evolucion Calculo");
    listings::RemoveListingFiles(s);
}

}  // namespace nivex::design
