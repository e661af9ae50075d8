// "List. Generales" B to F and the sub-menu of main choice 4.

#include "network/general_listings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>

#include "console/codepage.h"
#include "console/keys.h"
#include "listings/listing_file.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "shell/letter_menu.h"

namespace nivex::network {

using general::BoxColumn;
using general::NumberCell;

namespace {

constexpr const char* kNoReaches = "No ha introducido ningun tramo";

int Whole(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 30000) return 0;
    return static_cast<int>(std::lround(v));
}

bool Reject(shell::Session& s, const char* text) {
    s.ui.showError(cp(text), "Error");
    return false;
}

// The reaches in line order, class and type as stored.
bool ReadReaches(shell::Session& s, std::vector<TramoT>& reaches) {
    std::string error;
    if (!ReadNetwork(s.project, reaches, &error)) {
        general::ShowFileError(s, error);
        return false;
    }
    for (TramoT& t : reaches)
        ToStoredForm(t);
    return true;
}

void WriteHeading(listings::ListingRun& run, const std::vector<BoxColumn>& columns) {
    run.Line(general::BoxTop(columns));
    for (int row = 0; row < 3; ++row)
        run.Line(general::BoxCaption(columns, row));
    run.Line(general::BoxSeparator(columns));
}

// One row per reach under the box of the columns, the legend lines after it.
void ListReachTable(shell::Session& s, const char* title, int width,
                    const std::vector<BoxColumn>& columns, const std::vector<TramoT>& reaches,
                    const std::function<std::string(int, const TramoT&)>& row,
                    const std::vector<const char*>& legend) {
    listings::ListingRun run(s, cp(title), width);
    run.heading = [&] { WriteHeading(run, columns); };
    run.closeTable = [&] { run.Line(general::BoxBottom(columns)); };
    if (!run.Begin()) return;
    for (size_t k = 0; k < reaches.size(); ++k)
        if (!run.Row(row(static_cast<int>(k) + 1, reaches[k]))) break;
    run.Finish([&] {
        run.Line(general::BoxBottom(columns));
        run.Line("");
        for (const char* line : legend)
            run.Line(cp(line));
    });
}

// ---- B ----

std::vector<BoxColumn> GeneralColumns(bool hyetographs) {
    return {
        {4, {"lin.", "#", ""}},
        {5, {"t r a m o", "de", ""}, true},
        {5, {"", "a", ""}},
        {6, {"zona", "#", ""}},
        {7, {hyetographs ? "serie" : "ecuac.", hyetographs ? "hietog." : "pluvial", ""}},
        {8, {"clase", "caudal", "recibe"}},
        {8, {"rasante", "superior", "(m)"}},
        {8, {"rasante", "inferior", "(m)"}},
        {8, {"longitud", "(m)", ""}},
        {8, {"area", "tramo", "(Has)"}},
        {5, {"clase", "de", "tramo"}},
        {8, {"clave(s)", "(m)", ""}},
        {6, {"diam", "(mm)", ""}},
        {6, {"pend", "(%)", ""}},
        {8, {"clave(i)", "(m)", ""}},
        {7, {"Manning", "(#)", ""}},
    };
}

std::string ContributionCell(const TramoT& t) {
    switch (t.Contribution) {
        case 1:
            return "a.negras";
        case 2:
            return " combin.";
        case 3:
            return " pluvial";
        default:
            return "  ????  ";
    }
}

std::string GeneralRow(const shell::Session& s, int line, const TramoT& t) {
    const specs::EspecT& e = s.project.espec;
    const int kind = e.SystemKind;
    const bool from = t.Type == kTypeFromSector;
    const int zone = Whole(t.SanitaryZone);
    const bool zoneDashed = from || kind == 4 || e.ZoneCount < 1 || zone == 0;
    const bool rainDashed =
        from || kind == 1 || kind == 2 || general::RainCount(s) < 1 || t.RainNumber == 0;
    return general::BoxRow({
        NumberCell(false, line, "####"),
        general::NameCell(t.Upstream),
        general::NameCell(t.Downstream),
        zoneDashed ? " <--> " : " <" + listings::FormatNumber(zone, "##") + "> ",
        rainDashed ? "  [--] " : "  [" + listings::FormatNumber(t.RainNumber, "##") + "] ",
        from || kind != 5 ? "  ----  " : ContributionCell(t),
        NumberCell(from || t.GroundUp == 0, t.GroundUp, "####.##", 1),
        NumberCell(t.GroundDown == 0, t.GroundDown, "####.##", 1),
        NumberCell(from || t.Length == 0, t.Length, "####.##", 1),
        NumberCell(from || kind == 1, t.Area, "####.##", 1),
        from ? " [4] " : " [" + listings::FormatNumber(t.Class, "#") + "] ",
        NumberCell(from || t.CrownUp == 0, t.CrownUp, "####.##", 1),
        NumberCell(t.Diameter == 0, t.Diameter, "####", 1, 1),
        NumberCell(from || t.Slope == 0, t.Slope, "##.###"),
        NumberCell(t.CrownDown == 0, t.CrownDown, "####.##", 1),
        NumberCell(t.ManningN == 0, t.ManningN, "#.####", 1),
    });
}

// ---- C ----

std::vector<BoxColumn> SpecialColumns(bool lengths) {
    return {
        {4, {"lin.", "#", ""}},
        {5, {"t r a m o", "de", ""}, true},
        {5, {"", "a", ""}},
        {6, {"Zona", "Comerc", "Indust"}},
        {8, {"Vel.Min.", "Real-m/s", "Z.Indust"}},
        {6, {"prof", "minima", "(m)"}},
        {9, {"caudal", "puntual", "(l/s)"}},
        {9, {"area fut.", "sanitaria", lengths ? "(Hm)" : "(Has)"}},
        {8, {"areas pluviales", "area", "(Has)"}, true},
        {7, {"", "tiempo", "(min)"}},
        {7, {"coef.", "escorr.", ""}},
        {7, {"factor", "alivio", "(#.#)"}},
        {5, {"tipo", "(#)", ""}},
        {24, {"d e s c r i p c i o n", "", ""}},
    };
}

std::string SectorText(const char* plain, const TramoT& t) {
    return plain + listings::FormatNumber(t.Sector, "##");
}

std::string Observation(const TramoT& t) {
    const bool removed = t.RemoveExisting != 0;
    switch (t.Type) {
        case 0:
            return removed ? "T.E. debe ser sustituido" : std::string(24, ' ');
        case 1:
            return removed ? "TE a sustituir  emisario" : "                emisario";
        case 2:
            return removed ? "TE a sustituir  vertim. " : "                vertim. ";
        case 3:
            return removed ? "TE a sustituir  e.bombas" : "                e.bombas";
        case kTypeFromSector:
            return SectorText(removed ? "sustit.  LLEGA SECTOR " : "         LLEGA SECTOR ", t);
        case kTypeToSector:
            return SectorText(removed ? "sustit.   VA A SECTOR " : "          VA A SECTOR ", t);
        default:
            return std::string(24, ' ');
    }
}

std::string TypeCell(const TramoT& t) {
    if (t.Type == kTypeFromSector) return " [*] ";
    if (t.Type == kTypeToSector) return " [4] ";
    return " [" + listings::FormatNumber(t.Type, "#") + "] ";
}

std::string SpecialRow(const shell::Session& s, int line, const TramoT& t) {
    const int kind = s.project.espec.SystemKind;
    const bool from = t.Type == kTypeFromSector;
    const bool noStorm = from || kind == 1 || kind == 2;
    return general::BoxRow({
        NumberCell(false, line, "####"),
        general::NameCell(t.Upstream),
        general::NameCell(t.Downstream),
        noStorm || t.RasZone == 0 ? "  --- " : "  SI  ",
        NumberCell(from || kind == 3 || kind == 4 || t.IndustrialVelocity == 0,
                   t.IndustrialVelocity, "##.##", 2, 1),
        NumberCell(from || t.MinimumDepth == 0, t.MinimumDepth, "#.##", 1, 1),
        NumberCell(t.PointFlow == 0, t.PointFlow, "######.##"),
        NumberCell(from || kind == 4 || t.FutureArea == 0, t.FutureArea, "####.##", 1, 1),
        NumberCell(noStorm || t.StormArea == 0, t.StormArea, "####.##", 0, 1),
        NumberCell(noStorm || t.StormAreaTime == 0, t.StormAreaTime, "##.##", 1, 1),
        NumberCell(noStorm || t.Runoff == 0, t.Runoff, "#.##", 2, 1),
        NumberCell(noStorm || t.ReliefFactor == 0, t.ReliefFactor, "#.#", 2, 2),
        TypeCell(t),
        cp(Observation(t)),
    });
}

// ---- D ----

constexpr int kZoneSlots = 19;  // zones 0 to 18; 0 holds the reaches without a zone
constexpr int kRainSlots = 9;   // equations 0 to 8
constexpr const char* kIndent = "     ";
constexpr const char* kNumber = " #,###,###.##";
constexpr const char* kHectometres = " ###,###.####";

struct Summary {
    std::array<double, 4> lengthByClass{};
    double length = 0;
    std::array<double, kZoneSlots> zones{};
    double zoneSum = 0, future = 0;
    std::array<double, kRainSlots> rains{};
    double stormSum = 0, gross = 0;
    double pointFlows = 0;
};

int Slot(double value, int slots) {
    const int k = Whole(value);
    return k >= 0 && k < slots ? k : 0;
}

Summary Summarise(const std::vector<TramoT>& reaches, const specs::EspecT& e, int rainCount) {
    Summary sum;
    const int kind = e.SystemKind;
    for (const TramoT& t : reaches) {
        sum.pointFlows += t.PointFlow;
        if (t.Type == kTypeFromSector) continue;
        if (t.Class >= 0 && t.Class < 4)
            sum.lengthByClass[static_cast<size_t>(t.Class)] += t.Length;
        sum.length += t.Length;
        if (kind != 4) {
            const double share = kind == 1 ? t.Length / 100.0 : t.Area;
            if (e.ZoneCount > 1)
                sum.zones[static_cast<size_t>(Slot(t.SanitaryZone, kZoneSlots))] += share;
            sum.zoneSum += share;
            sum.future += t.FutureArea;
        }
        if (kind >= 3) {
            if (rainCount > 1)
                sum.rains[static_cast<size_t>(Slot(t.RainNumber, kRainSlots))] += t.Area;
            sum.stormSum += t.Area;
            sum.gross += t.StormArea;
        }
    }
    return sum;
}

std::vector<std::string> SummaryLines(const shell::Session& s, const Summary& sum) {
    const specs::EspecT& e = s.project.espec;
    const int kind = e.SystemKind;
    std::vector<std::string> lines;
    auto item = [&](const std::string& label, double value, const char* picture = kNumber) {
        lines.push_back(listings::FormatLine(kIndent + label + picture, {value}));
    };
    auto numbered = [&](const std::string& label, int number, double value, const char* picture) {
        lines.push_back(listings::FormatLine(kIndent + label + picture, {number, value}));
    };
    auto rule = [&] { lines.push_back(kIndent + std::string(30, ' ') + "------------"); };

    lines.push_back("");
    lines.push_back("LONGITUDES EXACTAS - SIN REDONDEO AL METRO - (m) : ");
    lines.push_back("");
    item("Tramos nuevos               :", sum.lengthByClass[0]);
    item("Tramos existentes           :", sum.lengthByClass[1]);
    item("Tramos restringidos         :", sum.lengthByClass[2]);
    item("Tramos no investigados      :", sum.lengthByClass[3]);
    rule();
    item("Longitud Total              :", sum.length);
    lines.push_back(
        listings::FormatLine(std::string(kIndent) + "Numero de tramos            :        #####",
                             {s.project.header.ReachCount}));

    if (kind != 4) {
        const char* picture = kind == 1 ? kHectometres : kNumber;
        lines.push_back("");
        lines.push_back(kind == 1 ? "AREAS SANITARIAS (Hm) : " : "AREAS SANITARIAS (Has) : ");
        lines.push_back("");
        const int zones = std::min(Whole(e.ZoneCount), kZoneSlots - 1);
        if (e.ZoneCount > 1) {
            for (int z = 1; z <= zones; ++z)
                numbered("Zona No. ##                 :", z, sum.zones[static_cast<size_t>(z)],
                         picture);
            if (sum.zones[0] != 0) item("Zona sin definir            :", sum.zones[0], picture);
            rule();
        }
        item("Suma area de las zonas      :", sum.zoneSum, picture);
        item("Areas futuras sanitarias    :", sum.future, picture);
        item("       Area Sanitaria Total :", sum.zoneSum + sum.future, picture);
    }
    if (kind >= 3) {
        lines.push_back("");
        lines.push_back("AREAS PLUVIALES (Has) : ");
        lines.push_back("");
        const int rains = std::min(general::RainCount(s), kRainSlots - 1);
        if (rains > 1) {
            for (int k = 1; k <= rains; ++k)
                numbered("Zona de ecuacion No. ##     :", k, sum.rains[static_cast<size_t>(k)],
                         kNumber);
            if (sum.rains[0] != 0) item("Zona sin definir            :", sum.rains[0]);
            rule();
        }
        item("Suma area de las zonas      :", sum.stormSum);
        item("Areas brutas pluviales      :", sum.gross);
        item("         Area Pluvial Total :", sum.stormSum + sum.gross);
    }
    lines.push_back("");
    lines.push_back("CAUDALES PUNTUALES (l/s) : ");
    lines.push_back("");
    item("         Caudales Puntuales :", sum.pointFlows);
    return lines;
}

// ---- E ----

constexpr const char* kRelationGap = "        ";
constexpr int kRelationLine = 6, kRelationReach = 18;

std::vector<BoxColumn> RelationColumns() {
    return {{kRelationLine, {"linea", "", ""}}, {kRelationReach, {"t  r  a  m  o", "", ""}}};
}

std::string ThreeTimes(const std::string& box) {
    return box + kRelationGap + box + kRelationGap + box;
}

bool ReadIndex(shell::Session& s, std::vector<IndiceTramoT>& entries) {
    ReachFile file;
    if (!OpenNetwork(s.project, file)) {
        s.ui.showError(s.project.error, "Error");  // already in the code page
        return false;
    }
    entries = file.index();
    if (file.Close()) return true;
    general::ShowFileError(s, file.error());
    return false;
}

// ---- F ----

constexpr int kNamesPerLine = 8;
constexpr int kManholeHeaderLines = 6;

}  // namespace

std::vector<std::string> ReachRelationRows(const std::vector<IndiceTramoT>& entries, int first,
                                           int rows) {
    std::vector<std::string> lines;
    const auto count = static_cast<long>(entries.size());
    for (int r = 0; r < rows; ++r) {
        std::string line;
        for (int box = 0; box < 3; ++box) {
            const long k = static_cast<long>(first) + static_cast<long>(box) * rows + r;
            if (box > 0) line += kRelationGap;
            if (k >= 0 && k < count) {
                const IndiceTramoT& e = entries[static_cast<size_t>(k)];
                line += general::BoxRow({NumberCell(false, e.Line, "####", 1, 1),
                                         "  " + general::NameCell(e.Upstream) + "    " +
                                             general::NameCell(e.Downstream) + "  "});
            } else {
                line += general::BoxRow({" ---  ", "   ---      ---   "});
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void ListGeneralData(shell::Session& s) {
    if (!general::LoadSector(s)) return;
    if (s.project.header.ReachCount == 0) {
        Reject(s, kNoReaches);
        return;
    }
    if (!general::ConfirmWithRange(s, "LISTADO DATOS GENERALES DE LOS TRAMOS ")) return;
    std::vector<TramoT> reaches;
    if (!ReadReaches(s, reaches)) return;
    ListReachTable(s, "DATOS GENERALES DE LOS TRAMOS", 124,
                   GeneralColumns(general::HyetographClass(s)), reaches,
                   [&](int line, const TramoT& t) { return GeneralRow(s, line, t); },
                   {"  CLASES DE TRAMOS: [0] = Nuevo  [1] = Existente  [2] = Restringido  [3] = No "
                    "Investigado"});
}

void ListSpecialData(shell::Session& s) {
    if (!general::LoadSector(s)) return;
    if (s.project.header.ReachCount == 0) {
        Reject(s, kNoReaches);
        return;
    }
    if (!general::ConfirmWithRange(s, "LISTADO DATOS ESPECIALES DE LOS TRAMOS ")) return;
    std::vector<TramoT> reaches;
    if (!ReadReaches(s, reaches)) return;
    ListReachTable(
        s, "DATOS ESPECIALES DE LOS TRAMOS", 125, SpecialColumns(s.project.espec.SystemKind == 1),
        reaches, [&](int line, const TramoT& t) { return SpecialRow(s, line, t); },
        {"        TIPOS DE TRAMOS: [0] = Red  [1] = Emisario  [2] = Vertimiento  [3] = Estacion "
         "de bombas",
         "           NOTA: Los tramos tipo 2 y 3 son finales de subconjuntos hidraulicos. Al "
         "menos un tramo debe ser final"});
}

void ListSummary(shell::Session& s) {
    if (!general::LoadSector(s)) return;
    if (!general::ConfirmWithQuestion(s, "LISTADO RESUMEN DE LOS TRAMOS",
                                      "Desea listar el resumen de los tramos ?"))
        return;
    general::ShowWait(s);
    std::vector<TramoT> reaches;
    if (!ReadReaches(s, reaches)) return;
    const int count = std::clamp(s.project.header.ReachCount, 0, static_cast<int>(reaches.size()));
    reaches.resize(static_cast<size_t>(count));
    const Summary sum = Summarise(reaches, s.project.espec, general::RainCount(s));
    listings::ListingRun run(s, cp("RESUMEN DE LOS TRAMOS"), 90);
    if (!run.Begin()) return;
    for (const std::string& line : SummaryLines(s, sum))
        if (!run.Row(line)) break;
    run.Finish();
}

void ListReachRelation(shell::Session& s) {
    if (!general::LoadSector(s)) return;
    if (s.project.header.ReachCount == 0) {
        Reject(s, kNoReaches);
        return;
    }
    if (!general::ConfirmWithRange(s, "LISTADO DE RELACION DE TRAMOS ")) return;
    general::ShowWait(s);
    std::vector<IndiceTramoT> entries;
    if (!ReadIndex(s, entries)) return;
    listings::ListingRun run(s, cp("RELACION DE TRAMOS"), 97);
    run.heading = [&] {
        const auto columns = RelationColumns();
        run.Line(ThreeTimes(general::BoxTop(columns)));
        run.Line(ThreeTimes(general::BoxCaption(columns, 0)));
        run.Line(ThreeTimes(general::BoxSeparator(columns)));
    };
    run.closeTable = [&] { run.Line(ThreeTimes(general::BoxBottom(RelationColumns()))); };
    if (!run.Begin()) return;
    // A page is one block of three boxes; the block overfills the page, so the next block
    // always starts a new one.
    const int rows = std::max(1, s.listing.LinesPerPage - listings::kHeaderLines);
    const int count = static_cast<int>(entries.size());
    for (int first = 0; first < count; first += 3 * rows) {
        if (first > 0 && !run.BeforeLine()) break;
        for (const std::string& line : ReachRelationRows(entries, first, rows))
            run.Line(line);
    }
    run.Finish([&] { run.Line(ThreeTimes(general::BoxBottom(RelationColumns()))); });
}

void ListManholeRelation(shell::Session& s) {
    if (!general::LoadSector(s)) return;
    const std::string path = s.project.files.manholeNames();
    std::vector<std::string> names;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        std::string error;
        if (!ReadManholeNames(path, names, error)) return general::ShowFileError(s, error);
    }
    if (names.empty()) {
        Reject(s, "No ha introducido ningun tramo\ro falta el control de calidad");
        return;
    }
    if (!general::ConfirmWithRange(s, "LISTADO DE RELACION DE POZOS ")) return;
    listings::ListingRun run(s, cp("RELACION ORDENADA ALFABETICAMENTE DE POZOS DE INSPECCION"), 90);
    run.heading = [&] {
        s.listing.PageLine = kManholeHeaderLines;
        run.Line("");
    };
    if (!run.Begin()) return;
    for (size_t k = 0; k < names.size(); k += kNamesPerLine) {
        std::string line(10, ' ');
        for (size_t j = k; j < names.size() && j < k + kNamesPerLine; ++j)
            line += "(" + general::NameCell(names[j]) + ")  ";
        if (!run.Row(line)) break;
    }
    run.Finish();
}

// ---- Sub-menu ----

namespace {

struct Listing {
    char letter;
    void (*run)(shell::Session&);
};

const shell::LetterMenu kMenu{"LISTADOS GENERALES",
                              general::kLegend,
                              24,
                              8,
                              58,
                              {
                                  {'A', "Especificaciones"},
                                  {'B', "Datos Generales Tramos "},
                                  {'C', "Datos Especiales Tramos"},
                                  {'D', "Resumen de los Tramos"},
                                  {'E', "Relacion Ordenada Tramos"},
                                  {'F', "Relacion Ordenada Pozos"},
                              }};

constexpr std::array<Listing, 6> kListings = {{
    {'A', ListSpecifications},
    {'B', ListGeneralData},
    {'C', ListSpecialData},
    {'D', ListSummary},
    {'E', ListReachRelation},
    {'F', ListManholeRelation},
}};

}  // namespace

void RunGeneralListings(shell::Session& s) {
    shell::RunLetterMenu(s, kMenu, [&s](char letter) {
        for (const Listing& l : kListings)
            if (l.letter == letter) l.run(s);
    });
}

}  // namespace nivex::network
