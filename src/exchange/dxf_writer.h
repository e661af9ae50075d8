#pragma once
// The plan and the longitudinal profiles as one DXF file for CAD (AutoCAD 2000, AC1015),
// written with dxflib: lines as LWPOLYLINE, manholes as CIRCLE, labels as TEXT with their
// height and rotation, filled arrows and bands as SOLID, every entity on its drawing's
// layer ("tramos nuevos", "pozos", "textos", "terreno", "clave", "batea", "banda de datos",
// "rotulo", ...), each layer with its colour and line weight.
//
// The plan is drawn in metres of the sector's coordinates: a point of the file is the
// manhole's own easting and northing, a text is as tall in metres as it is in mm on the
// sheet times the plan's scale. A schematic plan (manholes without coordinates) has no
// such metres: it is written in mm of its sheet, and says so above it. The profiles keep
// their scales: one drawing unit is one mm of their sheets, laid in a row under the plan.

#include <string>
#include <vector>

#include "drawings/drawing.h"
#include "drawings/drawing_inputs.h"
#include "drawings/plan.h"
#include "drawings/profile.h"

namespace nivex::exchange {

// The labels that found no room on the sheet: written on a layer of their own, off, so that
// every reach keeps its label in the file without covering the others.
constexpr const char* kDxfHiddenTexts = "textos superpuestos";

struct DxfSummary {
    int planScale = 0;
    bool schematic = false;
    int reaches = 0, manholes = 0;
    int profiles = 0, sheets = 0;
};

// The DXF text of the plan and the profile sheets, as described above.
std::string DxfText(const drawings::Plan& plan, const std::vector<drawings::Drawing>& sheets,
                    const drawings::ProfileScales& scales);

// The plan (fitted to an A1 sheet for its texts' size) and the profiles of every collector
// at `scales`, written whole to `path` through a temporary file beside it. False with
// *error (UTF-8, naming the file) and the old file left as it was when it cannot be written.
bool WriteSectorDxf(const drawings::DrawingInputs& in, const drawings::ProfileScales& scales,
                    const std::string& path, DxfSummary* summary, std::string* error);

}  // namespace nivex::exchange
