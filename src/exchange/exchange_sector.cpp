#include "exchange/exchange_sector.h"

#include "drawings/drawing_inputs.h"
#include "drawings/manhole_coordinates.h"
#include "exchange/dxf_writer.h"
#include "exchange/gis_export.h"
#include "exchange/xlsx_content.h"
#include "exchange/xlsx_workbook.h"
#include "network/reach_csv.h"

namespace nivex::exchange {
namespace {

namespace dr = nivex::drawings;

void SkippedCoordinates(const dr::DrawingInputs& in, ExchangeReport& report) {
    if (in.skippedCoordinates > 0)
        report.warnings.push_back(std::to_string(in.skippedCoordinates) +
                                  " linea(s) del archivo de coordenadas no se pudieron leer y se "
                                  "omiten");
}

bool Fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

bool ExportLayers(project::Project& p, GisFormat format, const std::string& path,
                  ExchangeReport& report, std::string* error) {
    dr::DrawingInputs in;
    std::string e;
    if (!dr::LoadDrawingInputs(p, in, &e)) return Fail(error, "Error: " + e);
    if (!in.designed) return Fail(error, "... Falta hacer o repetir el diseño del proyecto ...");
    SkippedCoordinates(in, report);
    dr::ManholeCoordinates stored;
    std::vector<network::TramoT> lines;
    if (!dr::ReadCoordinates(p, stored, nullptr, &e) || !network::ReadNetwork(p, lines, &e))
        return Fail(error, "Error: " + e);
    GisExportCounts counts;
    if (!ExportGis(in, lines, stored.system, format, path, &counts, &e))
        return Fail(error, "Error: " + e);
    report.lines.push_back(
        (format == GisFormat::GeoPackage ? "GeoPackage escrito: " : "Shapefiles escritos en: ") +
        path);
    report.lines.push_back("tramos: " + std::to_string(counts.reaches));
    report.lines.push_back("pozos: " + std::to_string(counts.manholes));
    report.lines.push_back("sistema: EPSG " + std::to_string(stored.system.epsg));
    return true;
}

bool ExportDxf(project::Project& p, const std::string& path, const dr::ProfileScales& scales,
               ExchangeReport& report, std::string* error) {
    dr::DrawingInputs in;
    std::string e;
    if (!dr::LoadDrawingInputs(p, in, &e)) return Fail(error, "Error: " + e);
    SkippedCoordinates(in, report);
    if (in.placement.schematic)
        report.warnings.push_back(std::to_string(in.placement.missing.size()) +
                                  " pozo(s) sin coordenadas; el plano va esquematico, en mm de "
                                  "la hoja y no en metros");
    DxfSummary s;
    if (!WriteSectorDxf(in, scales, path, &s, &e)) return Fail(error, "Error: " + e);
    report.lines.push_back("DXF escrito: " + path);
    report.lines.push_back(std::string("unidades del plano: ") +
                           (s.schematic ? "mm de la hoja" : "metros"));
    report.lines.push_back("escala de los textos del plano: 1:" + std::to_string(s.planScale));
    report.lines.push_back("tramos: " + std::to_string(s.reaches));
    report.lines.push_back("pozos: " + std::to_string(s.manholes));
    report.lines.push_back("perfiles: " + std::to_string(s.profiles));
    report.lines.push_back("hojas de perfiles: " + std::to_string(s.sheets));
    return true;
}

bool ExportWorkbook(project::Project& p, const std::string& path, ExchangeReport& report,
                    std::string* error) {
    WorkbookContent content;
    std::string e;
    if (!LoadWorkbookContent(p, content, &e)) return Fail(error, "Error: " + e);
    if (!WriteWorkbook(content, path, &e)) return Fail(error, "Error: " + e);
    for (const std::string& note : content.omitted)
        report.warnings.push_back(note);
    std::string sheets = kDesignSheet;
    if (content.hasQuantities) sheets += std::string(", ") + kQuantitySheet;
    if (content.hasBudget) sheets += std::string(", ") + kBudgetSheet;
    if (!content.omitted.empty()) sheets += std::string(", ") + kNoteSheet;
    report.lines.push_back("Libro escrito: " + path);
    report.lines.push_back("hojas: " + sheets);
    report.lines.push_back("tramos: " + std::to_string(content.design.size()));
    return true;
}

}  // namespace

bool ExportSector(project::Project& p, SectorFormat format, const std::string& path,
                  const drawings::ProfileScales& scales, ExchangeReport& report,
                  std::string* error) {
    switch (format) {
        case SectorFormat::GeoPackage:
            return ExportLayers(p, GisFormat::GeoPackage, path, report, error);
        case SectorFormat::Shapefiles:
            return ExportLayers(p, GisFormat::Shapefiles, path, report, error);
        case SectorFormat::Dxf:
            return ExportDxf(p, path, scales, report, error);
        case SectorFormat::Workbook:
            return ExportWorkbook(p, path, report, error);
    }
    return Fail(error, "Error: formato desconocido");
}

}  // namespace nivex::exchange
