// The manhole coordinates of a sector as a CSV table, out and back in.

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "drawings/coordinates_csv.h"
#include "drawings/manhole_coordinates.h"
#include "network/reach_csv.h"
#include "project/file_size.h"

namespace nivex::cli {
namespace {

// Opens the sector and reads its manholes and its stored coordinates; 0 or the exit code.
int Load(Batch& b, std::set<std::string>& manholes, drawings::ManholeCoordinates& stored) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    std::vector<network::TramoT> reaches;
    std::string error;
    if (!network::ReadNetwork(p, reaches, &error)) return b.Fail(error);
    for (const network::TramoT& t : reaches) {
        manholes.insert(t.Upstream);
        manholes.insert(t.Downstream);
    }
    int skipped = 0;
    if (!drawings::ReadCoordinates(p, stored, &skipped, &error)) return b.Fail(error);
    if (skipped > 0)
        b.err << "Aviso: " << skipped << " linea(s) del archivo "
              << drawings::CoordinatesPath(p.files) << " no se pudieron leer y se omiten\n";
    return 0;
}

int Export(Batch& b) {
    std::set<std::string> manholes;
    drawings::ManholeCoordinates stored;
    if (int rc = Load(b, manholes, stored)) return rc;
    int kept = 0;
    for (const drawings::ManholePoint& point : stored.points)
        kept += manholes.count(point.name) ? 1 : 0;
    if (const int gone = static_cast<int>(stored.points.size()) - kept; gone > 0)
        b.err << "Aviso: " << gone
              << " pozo(s) con coordenadas ya no estan en la red y no se exportan\n";
    const std::string csv = drawings::ExportCoordinatesCsv(stored, manholes);
    const std::string out = b.options.value("--out");
    if (out.empty()) {
        b.out << csv;
        return 0;
    }
    if (const std::string failure = WriteOut(out, csv); !failure.empty()) return b.Fail(failure);
    b.out << "Pozos exportados: " << kept << '\n';
    return 0;
}

int Import(Batch& b, const std::string& path) {
    if (const std::string big = project::OversizedFile(path, project::kMostNumberFileBytes);
        !big.empty())
        return b.Fail(big);
    std::ifstream in(path, std::ios::binary);
    if (!in) return b.Fail("Error: no se puede leer el archivo " + path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return b.Fail("Error: no se puede leer el archivo " + path);

    std::set<std::string> manholes;
    drawings::ManholeCoordinates stored;
    if (int rc = Load(b, manholes, stored)) return rc;
    project::Project& p = b.session.project;
    // The table as a whole becomes the sector's coordinates, in the system already recorded.
    std::string error;
    if (!drawings::ParseCoordinatesCsv(text, path, p.files.extension(), manholes, stored.points,
                                       &error))
        return b.Fail(error);
    if (!drawings::WriteCoordinates(p, stored, &error)) return b.Fail(error);
    b.out << "Pozos importados: " << stored.points.size() << '\n';
    b.out << "sistema: EPSG:" << stored.system.epsg << ' ' << toUtf8(stored.system.label) << '\n';
    return 0;
}

}  // namespace

int VerbPozos(Batch& b) {
    const auto& operands = b.options.operands;
    if (operands.size() == 1 && operands[0] == "export") return Export(b);
    if (operands.size() == 2 && operands[0] == "import") return Import(b, operands[1]);
    return b.Fail("Error: pozos lleva export [--out ARCHIVO] o import ARCHIVO.csv");
}

}  // namespace nivex::cli
