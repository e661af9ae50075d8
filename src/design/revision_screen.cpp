// The screens of main choice 6 over the revision: its sub-options, the progress of the
// revision with the summary page at its end, and the three lists in the viewer.

#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "design/revision.h"
#include "listings/listing_file.h"
#include "project/file_size.h"
#include "shell/session.h"
#include "swmm/engine.h"
#include "swmm/model_writer.h"
#include "swmm/swmm_progress.h"

namespace nivex::design {
namespace {

constexpr const char* kLegend = "F9^borrar F11^recup.dato ESC^salir";
constexpr int kProgressRow = 6;
constexpr const char* kSwmmDone =
    "Revision con SWMM terminada\r\rLos resultados se ven en List. Diseño: \"Reporte SWMM\"";
constexpr const char* kSwmmCancelled = "Calculo con SWMM cancelado por el usuario";

void Frame(shell::Session& s, const char* title) {
    s.switches.atMainMenu = false;
    s.console.clrScr();
    s.screen.ShowHeader(cp(title));
    s.screen.ShowLegend(kLegend);
    s.switches.endKeys = "Enter Esc";
}

void Report(shell::Session& s, const std::string& title, const std::string& message) {
    if (title.empty())
        s.screen.ShowMessageBox(message);
    else
        s.ui.showError(message, title);
}

struct ListEntry {
    char key;
    const char* screenTitle;
    std::string (project::FileNames::*file)() const;
    const char* question;
    const char* caption;
    const char* viewerTitle;
    const char* empty;
};

const ListEntry kLists[] = {
    {'B', "LISTADO DE PROBLEMAS ENCONTRADOS", &project::FileNames::problems,
     "desea listar los problemas encontrados ?", "Confirmar", "Problemas Encontrados",
     "No existen Problemas"},
    {'C', "LISTADO DE DEFICIENCIAS ENCONTRADAS", &project::FileNames::deficiencies,
     "desea listar las deficiencias encontradas ?", "Confirmacion", "Deficiencias Encontradas",
     "No existen Deficiencias"},
    {'D', "LISTADO DE DEFICIENCIAS NORMAS ESPECIALES RAS", &project::FileNames::rasDeficiencies,
     "desea listar las deficiencias RAS encontradas ?", "Confirmacion", "Deficiencias RAS",
     "No existen Deficiencias RAS"},
};

// The list copied line by line into the listing file; false after an error box.
bool CopyToListing(shell::Session& s, const std::string& path) {
    if (const std::string big = project::OversizedFile(path, project::kMostTextFileBytes);
        !big.empty()) {
        s.ui.showError(cp(big), "Error");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        s.ui.showError(cp("No se pudo leer el archivo ") + cp(path), "Error");
        return false;
    }
    listings::RemoveListingFiles(s);
    if (!listings::OpenListingFile(s)) {
        s.ui.showError(s.listing.file.error(), "Error");
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        s.listing.file.WriteLine(line);
    }
    const bool failed = s.listing.file.failed() || in.bad();
    const std::string error =
        in.bad() ? cp("No se pudo leer el archivo ") + cp(path) : s.listing.file.error();
    listings::CloseListing(s);
    if (!failed) return true;
    listings::RemoveListingFiles(s);
    s.ui.showError(error, "Error");
    return false;
}

}  // namespace

void RunRevision(shell::Session& s) {
    const std::string endKeys = s.switches.endKeys;
    Frame(s, "REVISION DEL CALCULO");
    RevisionSummary summary;
    std::string title, message;
    const bool revised = ReviseSector(
        s, summary,
        [&](int n, int total) {
            s.screen.WriteCentred(kProgressRow, "procesando [" + std::to_string(n) + "] de [" +
                                                    std::to_string(total) + "]    ");
        },
        &title, &message);
    s.project.CloseControl();
    if (!revised) {
        Report(s, title, message);
        s.switches.endKeys = endKeys;
        return;
    }
    if (WriteSummaryPage(s, summary)) {
        if (s.viewer) s.viewer->ShowListing(listings::ListingPath(s), "Resumen Revision");
        listings::RemoveListingFiles(s);
    }
    s.switches.endKeys = endKeys;
}

void ShowRevisionList(shell::Session& s, char subOption) {
    const ListEntry* entry = nullptr;
    for (const ListEntry& e : kLists)
        if (e.key == subOption) entry = &e;
    if (!entry) return;
    const std::string endKeys = s.switches.endKeys;
    Frame(s, entry->screenTitle);
    const std::string path = (s.project.files.*entry->file)();
    switch (RevisionListState(path)) {
        case ListState::Missing:
            s.ui.showWarning(cp("Primero debe hacer la Revision del Diseño"), "Informacion");
            break;
        case ListState::Empty:
            s.ui.showWarning(cp(entry->empty), "Informacion");
            break;
        case ListState::Holding:
            if (s.ui.askYesNo(cp(entry->question), entry->caption) != 'S') break;
            if (!CopyToListing(s, path)) break;
            if (s.viewer) s.viewer->ShowListing(listings::ListingPath(s), entry->viewerTitle);
            listings::RemoveListingFiles(s);
            break;
    }
    s.switches.endKeys = endKeys;
}

void ListProblems(shell::Session& s) {
    ShowRevisionList(s, 'B');
}

void ListDeficiencies(shell::Session& s) {
    ShowRevisionList(s, 'C');
}

void ListRasDeficiencies(shell::Session& s) {
    ShowRevisionList(s, 'D');
}

void ReviewMenu(shell::Session& s) {
    s.switches.atMainMenu = false;
    const auto sub = s.console.takeKey();
    if (!sub) return;
    switch (*sub) {
        case 'A':
            RunRevision(s);
            break;
        case 'B':
        case 'C':
        case 'D':
            ShowRevisionList(s, static_cast<char>(*sub));
            break;
        case 'F': {
            swmm::SwmmEngine& engine = swmm::ProgramEngine();
            if (!swmm::CheckSwmmEngine(s.ui, engine)) break;
            swmm::SwmmContext ctx{s.project, s.ui, &s.screen, swmm::SessionSwmmFolder(s),
                                  false,     ""};
            swmm::SwmmProgress progress(s.progress);
            const swmm::SwmmRevision r = swmm::ReviseWithSwmm(ctx, engine, &progress);
            s.screen.ClearFieldError();  // the wait line of the run
            if (!r.written.error.empty()) s.ui.showError(cp(r.written.error), "Error");
            // The progress window closes by itself: the user is told the run has ended, and
            // where its results are.
            if (r.ran && r.code == 0)
                s.ui.showInformation(progress.cancelled() ? kSwmmCancelled : cp(kSwmmDone),
                                     "Informacion");
            break;
        }
        default:  // 'E' and any other key do nothing
            break;
    }
    s.project.CloseControl();
}

}  // namespace nivex::design
