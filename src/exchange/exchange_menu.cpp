#include "exchange/exchange_menu.h"

#include <cctype>
#include <filesystem>

#include "console/codepage.h"
#include "exchange/exchange_sector.h"
#include "exchange/gis_import_run.h"
#include "network/network_controls.h"
#include "network/reach_csv.h"
#include "project/project_opening.h"
#include "shell/menu_rules.h"
#include "shell/session.h"
#include "shell/startup.h"

namespace nivex::exchange {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNoChooser = "No hay un dialogo para elegir el archivo en esta version.";
constexpr const char* kCancelled = "Proceso cancelado por el usuario";
constexpr const char* kCancelledCaption = "Proceso terminado";
constexpr const char* kImportCaption = "Entrar Red SIG";

struct Target {
    const char* caption;  // of the item and the boxes
    const char* title;    // of the dialog
    const char* filter;   // "" for a folder
    const char* suffix;
};

Target TargetOf(SectorFormat format) {
    switch (format) {
        case SectorFormat::GeoPackage:
            return {"Exportar GeoPackage", "Exportar GeoPackage", "GeoPackage|*.gpkg", ".gpkg"};
        case SectorFormat::Shapefiles:
            return {"Exportar Shapefile", "Exportar Shapefile: carpeta de las capas", "", ""};
        case SectorFormat::Dxf:
            return {"Exportar DXF", "Exportar DXF", "DXF|*.dxf", ".dxf"};
        case SectorFormat::Workbook:
            return {"Exportar Excel (XLSX)", "Exportar Excel (XLSX)", "Libro de Excel|*.xlsx",
                    ".xlsx"};
    }
    return {"", "", "", ""};
}

// "RED.GPKG" has its extension as "red.gpkg" has.
bool EndsWithSuffix(const std::string& path, const std::string& suffix) {
    if (path.size() < suffix.size()) return false;
    for (size_t k = 0; k < suffix.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - suffix.size() + k])) !=
            suffix[k])
            return false;
    return true;
}

// The report's lines, then its warnings, one a line of the box.
std::string ReportText(const ExchangeReport& report) {
    std::string text;
    for (const std::string& line : report.lines)
        text += (text.empty() ? "" : "\r") + line;
    for (const std::string& warning : report.warnings)
        text += (text.empty() ? "" : "\r") + ("Aviso: " + warning);
    return text;
}

std::string ProblemsText(const GisImport& read) {
    std::string text = GisRefusal(read) + ":";
    const size_t shown = std::min(read.problems.size(), kProblemsShown);
    for (size_t k = 0; k < shown; ++k)
        text += "\r" + read.problems[k];
    if (read.problemCount > shown)
        text += "\r... y " + std::to_string(read.problemCount - shown) + " problema(s) mas";
    return text;
}

// The folder a dialog opens in: the one last used, else the sector's.
std::string FirstFolder(shell::Session& s, const char* setting) {
    std::string folder = s.settings.read(shell::kSettingsKey, setting);
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) folder = s.project.files.folder();
    return folder;
}

void RememberFolder(shell::Session& s, const char* setting, const std::string& path) {
    s.settings.write(shell::kSettingsKey, setting, fs::path(path).parent_path().string());
}

}  // namespace

void MenuExchange::exportSector(SectorFormat format) {
    if (!s_.fileChooser) {
        s_.ui.showError(cp(kNoChooser), "Error");
        return;
    }
    const Target t = TargetOf(format);
    const std::string folder = FirstFolder(s_, kExportFolderSetting);
    std::string path;
    if (format == SectorFormat::Shapefiles) {
        path = s_.fileChooser->chooseFolder(cp(t.title), folder);
    } else {
        const std::string name = s_.project.selection.extension + t.suffix;
        path = s_.fileChooser->chooseSaveFile(cp(t.title), t.filter,
                                              (fs::path(folder) / name).string());
        if (!path.empty() && !EndsWithSuffix(path, t.suffix)) path += t.suffix;
    }
    if (path.empty()) return;
    RememberFolder(s_, kExportFolderSetting, path);

    // A reading of its own, so that a screen holding the sector's files is left alone.
    project::Project view;
    ExchangeReport report;
    std::string error;
    const std::string caption = t.caption;
    if (!network::LoadSectorView(s_.project, view, &error) ||
        !ExportSector(view, format, path, {}, report, &error)) {
        report.lines = {error};
        s_.ui.showError(cp(ReportText(report)), cp(caption));
        return;
    }
    s_.ui.showInformation(cp(ReportText(report)), cp(caption));
}

bool MenuExchange::importGis() {
    if (!s_.fileChooser || !s_.gisMapping) {
        s_.ui.showError(cp(kNoChooser), "Error");
        return false;
    }
    const std::string chosen = s_.fileChooser->chooseFile(
        cp("Red SIG"), "GeoPackage o Shapefile|*.gpkg *.shp", FirstFolder(s_, kGisFolderSetting));
    if (chosen.empty()) {
        s_.ui.showWarning(cp(kCancelled), cp(kCancelledCaption));
        return false;
    }
    RememberFolder(s_, kGisFolderSetting, chosen);
    const std::string source = GisSourceOf(chosen);
    std::vector<GisLayerInfo> layers;
    std::string error;
    if (!ListGisLayers(source, layers, &error)) {
        s_.ui.showError(cp(error), cp(kImportCaption));
        return false;
    }
    GisMapping mapping;
    if (!s_.gisMapping->run(source, layers, mapping)) {
        s_.ui.showWarning(cp(kCancelled), cp(kCancelledCaption));
        return false;
    }
    GisImport read;
    if (!ReadGisForSector(s_.project, source, mapping, read, &error)) {
        s_.ui.showError(cp(error), cp(kImportCaption));
        return false;
    }
    if (!read.ok()) {
        s_.ui.showError(cp(ProblemsText(read)), cp(kImportCaption));
        return false;
    }
    const std::string question = std::to_string(read.reaches.size()) + " tramo(s) leidos de " +
                                 source + "\r" + network::kReplaceQuestion;
    if (s_.ui.askYesNo(cp(question), "Confirmacion") != 'S') return false;
    ExchangeReport report;
    const bool replaced = ReplaceWithGisNetwork(s_, read, report, &error);
    shell::ApplyListingItems(s_.menu, project::MenuFactsOf(s_.project));
    if (!replaced) {
        s_.ui.showError(cp(error), cp(kImportCaption));
        return false;
    }
    s_.ui.showInformation(cp(ReportText(report)), cp(kImportCaption));
    return true;
}

}  // namespace nivex::exchange
