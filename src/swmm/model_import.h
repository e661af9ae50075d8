#pragma once
// The import of an EPA SWMM 5 input file as the network of a project (main choice 1,
// 'Q'): one new reach per conduit, with the node names, the node elevations and the
// conduit lengths of the model in metres, and the model's map coordinates kept in the
// project's map file. The whole file is read and checked first; the project is touched
// only when every part of it passes.

#include <string>
#include <string_view>
#include <vector>

#include "drawings/manhole_coordinates.h"
#include "drawings/reach_vertices.h"
#include "network/tramo.h"
#include "project/project.h"
#include "ui/file_chooser.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::swmm {

// Texts of the import, UTF-8 (cp() before they are shown).
constexpr const char* kImportQuestion = "Desea Entrar un Archivo Swmm ?";
constexpr const char* kImportRefusal =
    "Este Proyecto no debe ser sobrescrito pues se perderia la informacion anterior.\r"
    "Utilice un proyecto nuevo para entrar un archivo Swmm.";
constexpr const char* kImportDone = "Generacion de proyecto a partir de archivo Swmm realizada";
constexpr const char* kDialogTitle = "Proyectos SWMM";
constexpr const char* kDialogFilter = "(*.inp)|*.inp";
constexpr const char* kCancelled = "Proceso cancelado por el usuario";
constexpr const char* kCancelledCaption = "Proceso terminado";
constexpr const char* kReservedPrefix = "SWMM -";
constexpr const char* kReservedPrefixMessage =
    "El proyecto seleccionado no debe iniciar con SWMM -\r"
    "pues tal nomenclatura se reserva para los proyectos SWMM generados por NivexPlus.\r\r"
    "Seleccione otro proyecto.";
constexpr const char* kReservedPrefixCaption = "Seleccion Incorrecta";
constexpr const char* kStructuresMessage =
    "Para poder manejar el proyecto capturado en Swmm desde NivexPlus no debe contener "
    "ninguna de las siguientes estructuras:\r\r"
    "[STORAGE] [PUMPS] [DIVIDERS] [ORIFICES] [WEIRS] [OUTLETS]";
constexpr const char* kNamingMessage =
    "La nomenclatura de los nodos no debe tener mas de 5 caracteres - Revise";
constexpr const char* kNamingCaption = "Error de Nomenclatura";
constexpr const char* kUnknownNodeMessage =
    "Es posible que un tramo final no haya sido marcado como tal sino como pozo intermedio.\r"
    "Revise en SWMM el proyecto que intenta pasar a NivexPlus\r"
    "Ver anexo 12";
constexpr const char* kModelCaption = "Error en SWMM";

// Settings read and written by the import.
constexpr const char* kSwmmFolderSetting = "sSWMMdir";
constexpr const char* kImportedFileSetting = "sEntrarSwmmDir";

// Input files above this size are refused before they are read.
constexpr size_t kMaxInputBytes = size_t{64} << 20;
// The longest line of a section the import reads.
constexpr size_t kMaxLineLength = 255;

// Why a file was refused: the message and the caption of its box (UTF-8).
struct ImportRefusal {
    std::string message;
    std::string caption = "Error";
    std::string file;  // named in the refusal of a line, when known
};

// A model that passed every check.
struct ImportedModel {
    std::string flowUnit;  // "CFS", "LPS", ... as the model gives it, upper case
    bool inFeet = false;   // US units: elevations and lengths were converted from feet
    int junctions = 0;
    int outfalls = 0;
    // One reach per conduit in the model's order, in screen form: names, grounds,
    // length, type 2 for a conduit into an outfall; everything else zero.
    std::vector<network::TramoT> reaches;
    // The bytes of the file after the "[COORDINATES]" line, unchanged; empty without it.
    std::string map;
    // The points of [COORDINATES] that place manholes of the reaches, in the order the
    // reaches name them.
    std::vector<drawings::ManholePoint> coordinates;
    // The rows of [VERTICES] of conduits of the model: the bends of their reaches.
    drawings::ReachVertices vertices;
};

// Whether the flow unit means US units, in which elevations and lengths are in feet.
bool IsUsFlowUnit(std::string_view unit);

// Reads and checks the whole text of an input file: every elevation and length passes the
// rule of its field on the reach screen (range, width, decimals; in feet once converted
// and rounded to the field's decimals). False with the refusal, which names the line and
// refusal.file when it is set.
bool ParseSwmmModel(std::string_view text, ImportedModel& model, ImportRefusal& refusal);

// The file's name part (after the last '/' or '\') begins with the prefix of the input
// files that the program writes itself.
bool HasReservedPrefix(const std::string& path);

// Whether the open sector may take an imported network: it has no reaches and is not a
// simulated project, or it was imported before. Uses p.header and p.espec as loaded.
bool ImportAllowed(const project::Project& p);

// The import of one file into the open sector, without boxes: the prefix check, the
// setting of the last file imported, the reading and every check of the model; then the
// backup of the reach file put back silently, the network replaced, the sector marked
// as imported, the map file written and the manhole coordinates replaced by the model's. `model`,
// when given, receives what was read. False with the refusal; nothing of the project has changed
// unless a file operation failed while the new network was being written (the refusal then says
// which).
bool ImportSwmmFile(shell::Session& s, const std::string& path, ImportRefusal& refusal,
                    ImportedModel* model = nullptr);

// `ImportSwmmModel`: the open-file dialog, then ImportSwmmFile; refusals and the cancel
// are shown in their boxes. True when the network was imported.
bool ImportSwmmModel(shell::Session& s, ui::FileChooser* chooser);

// Main choice 1, 'Q': the question, whether the sector may be overwritten, the import
// and its report, through the session's open-file dialog (without one, 'Q' says that no
// file can be chosen).
void RunSwmmImport(shell::Session& s);

}  // namespace nivex::swmm
