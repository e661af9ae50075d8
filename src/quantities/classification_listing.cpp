#include "quantities/classification_listing.h"

#include <algorithm>

#include "console/codepage.h"
#include "listings/listing_steps.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"
#include "network/network_controls.h"
#include "quantities/quantity_driver.h"
#include "shell/session.h"

namespace nivex::quantities {
namespace {

constexpr const char* kRangeTitle = "LISTADO DE CLASIFICACION DE TRAMOS Y POZOS ";
constexpr const char* kPageTitle =
    "CLASIFICACION DE LOS TRAMOS DE COLECTORES Y POZOS DE INSPECCION";
constexpr int kWidth = 90;
constexpr const char* kIndent = "     ";
constexpr int kStatusRow = 12;

// Labels several to a line, each in a column wide enough for the longest.
void AddNames(std::vector<std::string>& lines, const std::vector<std::string>& names,
              size_t least) {
    size_t column = least;
    for (const std::string& n : names)
        column = std::max(column, n.size() + 2);
    const size_t perLine = std::max<size_t>(1, (kWidth - 5) / column);
    std::string line;
    for (size_t k = 0; k < names.size(); ++k) {
        std::string cell = names[k];
        if ((k + 1) % perLine != 0 && k + 1 < names.size()) cell.resize(column, ' ');
        line += cell;
        if ((k + 1) % perLine == 0 || k + 1 == names.size()) {
            lines.push_back(kIndent + line);
            line.clear();
        }
    }
}

// "MENOR DE a m", "ENTRE a m Y b m", ..., "MAYOR DE z m" for the limits in order.
std::string RangeText(const double* limits, int count, int range) {
    if (range == 1) return "MENOR DE " + LimitText(limits[0]) + " m";
    if (range > count) return "MAYOR DE " + LimitText(limits[count - 1]) + " m";
    return "ENTRE " + LimitText(limits[range - 2]) + " m Y " + LimitText(limits[range - 1]) + " m";
}

std::string Heading(int part, int number, const std::string& text) {
    return "< " + std::to_string(part) + "." + std::to_string(number) + "> " + text;
}

void Collectors(std::vector<std::string>& lines, const Classification& c, const QuantityLimits& l) {
    int number = 0;
    for (int range = 1; range <= kExcavationRanges; ++range) {
        const auto& sizes = c.reaches[static_cast<size_t>(range - 1)];
        if (sizes.empty()) continue;
        lines.push_back(Heading(
            1, ++number,
            "COLECTORES CON PROFUNDIDAD A BATEA " + RangeText(l.excavation.data(), 3, range)));
        for (const SizeClass& k : sizes) {
            lines.push_back("");
            lines.push_back(
                std::string("  ") + (l.isDuct(k.position) ? "Ducto Cuadrado : " : "Diametro : ") +
                SizeText(l.size(k.position)) +
                " mm.   Profundidad media :" + listings::FormatNumber(k.meanDepth(), "##.##") +
                " m" + "   Numero total de tramos :" +
                listings::FormatNumber(static_cast<int>(k.reaches.size()), "####"));
            AddNames(lines, k.reaches, 16);
        }
        lines.push_back("");
    }
}

void Manholes(std::vector<std::string>& lines, const Classification& c, const QuantityLimits& l) {
    const std::string headings[kManholeGroups] = {
        "POZOS DE INSPECCION DE 1.20 m. DE DIAMETRO INTERIOR (TUBERIAS HASTA " +
            std::to_string(l.manhole120) + " mm)",
        "POZOS DE INSPECCION DE 1.80 m. DE DIAMETRO INTERIOR (TUBERIAS HASTA " +
            std::to_string(l.manhole180) + " mm)",
        cp("POZOS DE INSPECCION DE DISEÑO ESPECIAL (CONDUCTOS MAYORES DE ") +
            std::to_string(l.manhole180) + " mm)",
    };
    int number = 0;
    for (size_t group = 0; group < kManholeGroups; ++group) {
        const auto& ranges = c.manholes[group];
        if (std::all_of(ranges.begin(), ranges.end(),
                        [](const ManholeClass& m) { return m.names.empty(); }))
            continue;
        lines.push_back(headings[group]);
        lines.push_back("");
        for (int range = 1; range <= kManholeRanges; ++range) {
            const ManholeClass& m = ranges[static_cast<size_t>(range - 1)];
            if (m.names.empty()) continue;
            lines.push_back(Heading(
                2, ++number,
                "POZOS DE INSPECCION CON PROFUNDIDAD " + RangeText(l.manhole.data(), 2, range)));
            lines.push_back(std::string("  Profundidad media :") +
                            listings::FormatNumber(m.meanDepth(), "##.##") + " m" +
                            "          Numero total de camaras :" +
                            listings::FormatNumber(static_cast<int>(m.names.size()), "####"));
            AddNames(lines, m.names, 8);
            lines.push_back("");
        }
    }
}

void AddedManholes(std::vector<std::string>& lines, const Classification& c,
                   const QuantityLimits& l) {
    const std::string start = "LOCALIZACION DE POZOS INICIALES AGREGADOS POR EL PROGRAMA - ";
    const std::string headings[kManholeGroups] = {
        start + "DIAMETRO 1.20 m.)",
        start + "DIAMETRO 1.80 m.)",
        start + cp("DISEÑO ESPECIAL)"),
    };
    int number = 0;
    for (size_t group = 0; group < kManholeGroups; ++group) {
        const auto& ranges = c.added[group];
        if (std::all_of(ranges.begin(), ranges.end(),
                        [](const ManholeClass& m) { return m.names.empty(); }))
            continue;
        lines.push_back(headings[group]);
        lines.push_back("");
        for (int range = 1; range <= kManholeRanges; ++range) {
            const ManholeClass& m = ranges[static_cast<size_t>(range - 1)];
            if (m.names.empty()) continue;
            lines.push_back(Heading(3, ++number,
                                    "POZOS INSPECCION INICIALES NUEVOS CON PROFUNDIDAD " +
                                        RangeText(l.manhole.data(), 2, range)));
            lines.push_back("  Colocarlos en los pozos iniciales de los siguientes tramos: ");
            AddNames(lines, m.names, 16);
            lines.push_back("");
        }
    }
}

// The design copies, each sector's reaches classified in turn; false after the message.
bool Classify(shell::Session& s, const QuantityLimits& l, Classification& c) {
    QuantityInput input;
    const InputOutcome loaded = LoadQuantityInput(s.project, input);
    switch (loaded.problem) {
        case InputProblem::None:
            break;
        case InputProblem::NoDesign:
            s.screen.ShowMessageBox(cp("... Falta hacer o repetir el diseño del proyecto ..."));
            return false;
        case InputProblem::MissingSector:
            s.console.clrScr();
            s.screen.WriteCentred(10, MissingSectorMessage(loaded.sector));
            s.screen.WaitEnterOrEsc(12, "Para terminar oprima [ Enter ]");
            return false;
        case InputProblem::FileError:
            s.ui.showError(loaded.error, "Error");
            return false;
    }
    const bool totaliser = s.project.selection.isTotaliser();
    c = ClassifyNetwork(input, l, [&](int sector, int line, int count) {
        if (totaliser && line == 1)
            s.screen.WriteCentred(10, "... voy a realizar la clasificacion del sector #" +
                                          std::to_string(sector) + " ...");
        s.screen.WriteCentred(kStatusRow, "   Procesando la linea [" + std::to_string(line) +
                                              "] de [" + std::to_string(count) + "]   ");
    });
    if (!c.fault) return true;
    s.ui.showError(DiameterFaultMessage(*c.fault), "Error");
    return false;
}

}  // namespace

std::vector<std::string> ClassificationLines(const Classification& c, const QuantityLimits& l) {
    std::vector<std::string> lines;
    Collectors(lines, c, l);
    Manholes(lines, c, l);
    AddedManholes(lines, c, l);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

void ListClassification(shell::Session& s) {
    std::string error;
    if (!network::LoadControlState(s.project, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    if (!network::general::ConfirmWithRange(s, kRangeTitle)) return;
    const QuantityLimits limits = LimitsOf(s.project.espec);
    Classification c;
    if (!Classify(s, limits, c)) return;

    listings::ListingRun run(s, cp(kPageTitle), kWidth);
    if (!run.Begin()) return;
    for (const std::string& line : ClassificationLines(c, limits))
        if (!run.Row(line)) break;
    run.Finish();
}

}  // namespace nivex::quantities
