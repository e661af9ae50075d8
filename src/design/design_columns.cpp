#include "design/design_columns.h"

#include <charconv>

#include "design/reach_values.h"

namespace nivex::design {

const std::vector<DesignColumn>& DesignColumns() {
    using K = ColumnKind;
    static const std::vector<DesignColumn> columns{
        {"linea", "linea", K::Integer, 0},
        {"de", "de", K::Text, 0},
        {"a", "a", K::Text, 0},
        {"clase", "clase", K::Integer, 0},
        {"tipo", "tipo", K::Integer, 0},
        {"longitud", "longitud (m)", K::Real, 2},
        {"D", "D (mm)", K::Real, 0},
        {"S", "S (%)", K::Real, 3},
        {"n", "n", K::Real, 4},
        {"clave_sup", "clave_sup (m)", K::Real, 2},
        {"clave_inf", "clave_inf (m)", K::Real, 2},
        {"batea_sup", "batea_sup (m)", K::Real, 2},
        {"batea_inf", "batea_inf (m)", K::Real, 2},
        {"prof_sup", "prof_sup (m)", K::Real, 2},
        {"prof_inf", "prof_inf (m)", K::Real, 2},
        {"Q", "Q (l/s)", K::Real, 2},
        {"Qmin", "Qmin (l/s)", K::Real, 2},
        {"Q0", "Q0 (l/s)", K::Real, 2},
        {"V0", "V0 (m/s)", K::Real, 2},
        {"q", "q/Q0", K::Real, 2},
        {"y/D", "y/D", K::Real, 2},
        {"V", "V (m/s)", K::Real, 2},
        {"tau", "tau (kg/m²)", K::Real, 2},
        {"Froude", "Froude", K::Real, 2},
        {"caida", "caida", K::Integer, 0},
        {"altura_caida", "altura_caida (m)", K::Real, 2},
        {"diam_bajante", "diam_bajante (mm)", K::Real, 0},
        {"camaras", "camaras", K::Real, 0},
        {"empalme", "empalme", K::Integer, 0},
        {"elevar", "elevar", K::Integer, 0},
        {"pozo_nuevo", "pozo_nuevo", K::Integer, 0},
    };
    return columns;
}

std::vector<DesignCell> DesignCells(int line, network::TramoT& t) {
    std::vector<DesignCell> cells;
    cells.reserve(DesignColumns().size());
    const auto integer = [&cells](int v) { cells.push_back({{}, v, 0}); };
    const auto real = [&cells](float v) { cells.push_back({{}, 0, v}); };
    integer(line);
    cells.push_back({t.Upstream, 0, 0});
    cells.push_back({t.Downstream, 0, 0});
    integer(t.Class);
    integer(t.Type);
    for (float v : {t.Length, t.Diameter, t.Slope, t.ManningN, t.CrownUp, t.CrownDown, InvertUp(t),
                    InvertDown(t), DepthUp(t), DepthDown(t), DesignFlow(t), SanitaryMin(t),
                    FullFlowQ0(t), FullVelocityV0(t), FlowRatioQ(t), RelativeDepth(t),
                    RealVelocity(t), TractiveX100(t) / 100.0f, Froude(t)})
        real(v);
    integer(DropKind(t));
    for (float v : {DropHeight(t), DropPipeDiameter(t), DropChambers(t)})
        real(v);
    for (int v : {JunctionMark(t), RaiseMark(t), NewInitialManhole(t)})
        integer(v);
    return cells;
}

std::string ShortestText(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

}  // namespace nivex::design
