#pragma once
// Where each manhole of a sector is drawn. With coordinates for every manhole, there; when
// any manhole lacks them, a computed schematic layout of the drainage tree stands in for
// the whole drawing, which then says "Esquematico". Mixing measured and computed points
// would draw reaches across each other and suggest a survey that does not exist, so no
// drawing mixes them.
//
// The schematic layout: every reach runs from its upstream to its downstream manhole and
// the manholes without a reach leaving them are the outfalls. They stand on the lowest
// row; a manhole one reach upstream of another stands one row higher. Each tree takes its
// own band of columns, side by side, and inside a tree every manhole keeps the columns of
// the manholes upstream of it together, so that no two reaches of a tree cross. A manhole
// stands in the column of its tallest upstream branch, so that the main line runs straight
// along the flow. A reach that does not fit a tree (a second reach leaving a manhole, a
// loop) is kept as a reach but not as a branch, and may cross others.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "drawings/manhole_coordinates.h"
#include "network/tramo.h"

namespace nivex::drawings {

// The label every drawing of a computed layout carries.
constexpr const char* kSchematicLabel = "Esquematico";
// Rows and columns of the schematic layout are this far apart (drawing units).
constexpr double kSchematicStep = 50;

struct ReachEnds {
    std::string upstream, downstream;  // code-page bytes
};
std::vector<ReachEnds> ReachEndsOf(const std::vector<network::TramoT>& reaches);

struct ManholeLayout {
    // Every manhole of the reaches once, in the order they first appear.
    std::vector<ManholePoint> manholes;
    bool schematic = false;
    // The manholes without coordinates that made the drawing schematic.
    std::vector<std::string> missing;

    // By name; through the index when Index() was called after the last change.
    const ManholePoint* find(std::string_view name) const;
    void Index();

  private:
    std::unordered_map<std::string, size_t> byName_;
};

// The schematic layout of the reaches.
ManholeLayout SchematicLayout(const std::vector<ReachEnds>& reaches);

// The stored coordinates when every manhole of the reaches has them (and there is at least
// one reach); otherwise the schematic layout, with the manholes that lacked them.
ManholeLayout PlaceManholes(const std::vector<ReachEnds>& reaches,
                            const ManholeCoordinates& stored);

}  // namespace nivex::drawings
