#include "design/design_table.h"

#include "design/reach_values.h"

namespace nivex::design {

const std::vector<DesignColumn>& DesignValueColumns() {
    static const std::vector<DesignColumn> columns = {
        {"clase", true},
        {"tipo", true},
        {"longitud", false},
        {"D", false},
        {"S", false},
        {"n", false},
        {"clave_sup", false},
        {"clave_inf", false},
        {"batea_sup", false},
        {"batea_inf", false},
        {"prof_sup", false},
        {"prof_inf", false},
        {"Q", false},
        {"Qmin", false},
        {"Q0", false},
        {"V0", false},
        {"q", false},
        {"y/D", false},
        {"V", false},
        {"tau", false},
        {"Froude", false},
        {"caida", true},
        {"altura_caida", false},
        {"diam_bajante", false},
        {"camaras", false},
        {"empalme", true},
        {"elevar", true},
        {"pozo_nuevo", true},
    };
    return columns;
}

std::vector<float> DesignValuesOf(const network::TramoT& record) {
    network::TramoT t = record;  // the accessors name the fields of a record they may write
    return {static_cast<float>(t.Class),
            static_cast<float>(t.Type),
            t.Length,
            t.Diameter,
            t.Slope,
            t.ManningN,
            t.CrownUp,
            t.CrownDown,
            InvertUp(t),
            InvertDown(t),
            DepthUp(t),
            DepthDown(t),
            DesignFlow(t),
            SanitaryMin(t),
            FullFlowQ0(t),
            FullVelocityV0(t),
            FlowRatioQ(t),
            RelativeDepth(t),
            RealVelocity(t),
            TractiveX100(t) / 100.0f,
            Froude(t),
            static_cast<float>(DropKind(t)),
            DropHeight(t),
            DropPipeDiameter(t),
            DropChambers(t),
            static_cast<float>(JunctionMark(t)),
            static_cast<float>(RaiseMark(t)),
            static_cast<float>(NewInitialManhole(t))};
}

std::string DesignColumnsLine() {
    std::string line = "linea,de,a";
    for (const DesignColumn& c : DesignValueColumns())
        line += std::string(",") + c.name;
    return line;
}

}  // namespace nivex::design
