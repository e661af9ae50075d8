// The records of the design copy "ZSDB." as a table, one row per record, with the
// design fields by name.

#include <charconv>
#include <filesystem>
#include <string>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/reach_values.h"
#include "network/reach_file.h"

namespace nivex::cli {
namespace {

const char* const kDesignColumns =
    "linea,de,a,clase,tipo,longitud,D,S,n,clave_sup,clave_inf,batea_sup,batea_inf,prof_sup,"
    "prof_inf,Q,Qmin,Q0,V0,q,y/D,V,tau,Froude,caida,altura_caida,diam_bajante,camaras,empalme,"
    "elevar,pozo_nuevo";

// The shortest text that reads back as the same float, '.' as separator.
std::string Number(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Cell(const std::string& name) {
    const std::string text = toUtf8(name);
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string Row(int line, network::TramoT& t) {
    using namespace design;
    std::string s = std::to_string(line) + ',' + Cell(t.Upstream) + ',' + Cell(t.Downstream);
    for (int v : {t.Class, t.Type})
        s += ',' + std::to_string(v);
    for (float v : {t.Length, t.Diameter, t.Slope, t.ManningN, t.CrownUp, t.CrownDown, InvertUp(t),
                    InvertDown(t), DepthUp(t), DepthDown(t), DesignFlow(t), SanitaryMin(t),
                    FullFlowQ0(t), FullVelocityV0(t), FlowRatioQ(t), RelativeDepth(t),
                    RealVelocity(t), TractiveX100(t) / 100.0f, Froude(t)})
        s += ',' + Number(v);
    s += ',' + std::to_string(DropKind(t));
    for (float v : {DropHeight(t), DropPipeDiameter(t), DropChambers(t)})
        s += ',' + Number(v);
    for (int v : {JunctionMark(t), RaiseMark(t), NewInitialManhole(t)})
        s += ',' + std::to_string(v);
    return s;
}

int DumpDesign(Batch& b) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    const std::string path = b.session.project.files.designCopy();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return b.Fail("... Falta hacer o repetir el diseño del proyecto ...");
    network::TramoFile file;
    if (!file.Open(path)) return b.Fail(toUtf8(file.error()));
    b.out << kDesignColumns << '\n';
    for (int line = 1; line <= file.count(); ++line) {
        network::TramoT t;
        if (!file.Read(line, t)) {
            const std::string e = toUtf8(file.error());
            file.Close();
            return b.Fail(e);
        }
        b.out << Row(line, t) << '\n';
    }
    file.Close();
    return 0;
}

}  // namespace

int VerbDump(Batch& b) {
    const auto& ops = b.options.operands;
    if (ops.empty() || ops[0] != "design")
        return b.Fail("Error: dump necesita que volcar: dump design [--csv]");
    return DumpDesign(b);
}

}  // namespace nivex::cli
