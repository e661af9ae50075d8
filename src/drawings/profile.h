#pragma once
// The drawing of one longitudinal profile ("Perfil Longitudinal"): ground, crown and
// invert lines, the pipes as bands, the manholes with their names and crown depths, the
// drops, the elevation scale and the data band under the profile.

#include <string>
#include <vector>

#include "drawings/drawing.h"
#include "drawings/profile_lines.h"
#include "network/tramo.h"

namespace nivex::drawings {

// 1:horizontal along the line, 1:vertical for elevations.
struct ProfileScales {
    int horizontal = 1000;
    int vertical = 100;
};

// One row of the data band: its title and the strip of paper it takes.
struct DataRow {
    std::string title;  // code page
    double y0 = 0, y1 = 0;
};

struct Profile {
    Drawing drawing;
    ProfileScales scales;
    double datum = 0;    // elevation drawn at baseY (m), a round metre below the lowest invert
    double originX = 0;  // paper x of abscissa 0 (the line's first manhole)
    double baseY = 0;    // paper y of the datum
    std::vector<DataRow> rows;

    double X(double abscissa) const { return originX + abscissa * 1000.0 / scales.horizontal; }
    double Y(double elevation) const {
        return baseY + (elevation - datum) * 1000.0 / scales.vertical;
    }
};

// The drawing of the reaches of `line` (record numbers of `reaches`, the design copy in
// file order). Scales that are not above 0 take the defaults.
Profile BuildProfile(const std::vector<network::TramoT>& reaches, const ProfileLine& line,
                     ProfileScales scales = {});

}  // namespace nivex::drawings
