#include "design/design_listing_cells.h"

#include <algorithm>
#include <cmath>

#include "console/codepage.h"
#include "design/reach_values.h"
#include "listings/listing_file.h"
#include "listings/number_format.h"
#include "network/general_listing_parts.h"

namespace nivex::design::cells {
namespace {

using network::TramoT;

constexpr char kLine = static_cast<char>(196);  // ─

bool Usable(double v) {
    return std::isfinite(v) && v != 0;
}

std::string Fit(std::string text, size_t width) {
    if (text.size() > width) return std::string(width, '*');
    return text;
}

std::string Rule(const std::vector<Column>& columns, char left, char tee, char right,
                 bool keepSpans) {
    std::string s(1, left);
    int inSpan = 0;
    for (size_t k = 0; k < columns.size(); ++k) {
        if (inSpan == 0) inSpan = std::max(columns[k].span, 1);
        s += std::string(static_cast<size_t>(columns[k].width), kLine);
        --inSpan;
        if (k + 1 == columns.size())
            s += right;
        else
            s += keepSpans && inSpan > 0 ? kLine : tee;
    }
    return s;
}

std::string Caption(const char* text, int width) {
    return network::general::Centre(text ? cp(text) : std::string(), width) + kBar;
}

}  // namespace

std::string Number(double value, std::string_view picture, std::string_view dash,
                   std::string_view wide, double wideFrom) {
    if (!Usable(value)) return std::string(dash) + kBar;
    const bool useWide = !wide.empty() && std::fabs(value) >= wideFrom;
    const std::string_view p = useWide ? wide : picture;
    return Fit(listings::FormatLine(p, {value}), p.size()) + kBar;
}

std::string Plain(double value, std::string_view picture) {
    if (!std::isfinite(value)) value = 0;
    return Fit(listings::FormatLine(picture, {value}), picture.size()) + kBar;
}

std::string Text(std::string_view text, int width) {
    std::string s(text.substr(0, static_cast<size_t>(width)));
    s.resize(static_cast<size_t>(width), ' ');
    return s + kBar;
}

std::string Name(const std::string& name, int width) {
    return Text(name, width);
}

std::string Size(const HydraulicCriteria& c, double size) {
    if (!Usable(size) || size < 0) return std::string("  --  ") + kBar;
    const bool duct = IsDuct(c, static_cast<float>(size));
    const std::string digits = Fit(listings::FormatNumber(size, " ####"), 5);
    return digits + (duct ? kDuctMark : ' ') + kBar;
}

std::string Emphasised(const std::string& cell) {
    return std::string(1, listings::kEsc) + 'G' + cell + listings::kEsc + 'H';
}

std::string EmphasisedIf(bool on, const std::string& cell) {
    return on ? Emphasised(cell) : cell;
}

// ---- Headings ----

std::vector<std::string> Heading(const std::vector<Column>& columns) {
    std::vector<std::string> lines;
    lines.push_back(Rule(columns, static_cast<char>(218), static_cast<char>(194),
                         static_cast<char>(191), true));
    std::string top(1, kBar);
    for (size_t k = 0; k < columns.size();) {
        const int span = std::max(columns[k].span, 1);
        int width = -1;
        for (int j = 0; j < span && k + static_cast<size_t>(j) < columns.size(); ++j)
            width += columns[k + static_cast<size_t>(j)].width + 1;
        top += Caption(columns[k].top, width);
        k += static_cast<size_t>(span);
    }
    lines.push_back(top);
    std::string middle(1, kBar), bottom(1, kBar);
    for (const Column& c : columns) {
        middle += Caption(c.middle, c.width);
        bottom += Caption(c.bottom, c.width);
    }
    lines.push_back(middle);
    lines.push_back(bottom);
    lines.push_back(Rule(columns, static_cast<char>(195), static_cast<char>(197),
                         static_cast<char>(180), false));
    return lines;
}

std::string Bottom(const std::vector<Column>& columns) {
    return Rule(columns, static_cast<char>(192), static_cast<char>(193), static_cast<char>(217),
                false);
}

int TableWidth(const std::vector<Column>& columns) {
    int width = 1;
    for (const Column& c : columns)
        width += c.width + 1;
    return width;
}

std::vector<std::string> FramedLine(const std::vector<Column>& columns, std::string_view text) {
    const auto inner = static_cast<size_t>(TableWidth(columns) - 2);
    return {static_cast<char>(218) + std::string(inner, kLine) + static_cast<char>(191),
            kBar + network::general::Centre(text, static_cast<int>(inner)) + kBar,
            static_cast<char>(192) + std::string(inner, kLine) + static_cast<char>(217)};
}

// ---- What a reach says ----

bool FromOtherSector(const TramoT& t) {
    return t.Type == network::kTypeFromSector && t.Class == network::kClassNotInvestigated;
}

double ReliefFlow(TramoT& t) {
    const double v = double(StormSpilled(t)) + SanitarySpilled(t);
    return std::isfinite(v) ? v : 0;
}

bool FlowDecides(TramoT& t) {
    const double q = DesignFlow(t), q0 = FullFlowQ0(t);
    if (!Usable(q) || !std::isfinite(q0)) return false;
    return q0 / q - 1 < 0.02;
}

bool SameAt2(double a, double b) {
    return std::isfinite(a) && std::isfinite(b) && Round2(a) == Round2(b);
}

std::string Prefix(TramoT& t, bool removed) {
    const char* mark = "     ";
    switch (t.Class) {
        case network::kClassNew:
            if (removed) break;
            if (JunctionMark(t) == 2)
                mark = "E.E. ";
            else if (!FlowDecides(t))
                mark = "<**> ";
            break;
        case network::kClassExisting:
            mark = "T.E. ";
            break;
        case network::kClassRestricted:
            mark = "T.R. ";
            break;
        case network::kClassNotInvestigated:
            mark = "N.I. ";
            break;
        default:
            break;
    }
    const std::string s = mark;
    return s == "     " ? s : Emphasised(s);
}

std::string TypeText(const TramoT& t) {
    switch (t.Type) {
        case 1:
            return std::string("emisario") + kBar;
        case 2:
            return std::string(" vertim.") + kBar;
        case 3:
            return std::string("e.bombas") + kBar;
        case network::kTypeToSector:
            return listings::FormatLine("A SEC ##", {t.Sector}) + kBar;
        default:
            return std::string(8, ' ') + kBar;
    }
}

std::string ReliefText(TramoT& t) {
    if (t.Class == network::kClassExisting) return "";
    const double relief = ReliefFlow(t);
    if (!Usable(t.ReliefFactor) || !Usable(relief)) return "";
    return Fit(listings::FormatLine(" ALIVIO =#####.## l/s", {relief}), 21) + kBar;
}

std::string RemovedText(TramoT& t) {
    const char* text = "inicial muy enterrado";
    if (double(FullFlowQ0(t)) < 0.99 * DesignFlow(t))
        text = "le falta capacidad   ";
    else if (JunctionMark(t) == 1)
        text = "no puede empalmarse  ";
    else if (t.RemoveExisting == 1)
        text = "eliminado manualmente";
    return text + std::string(1, kBar);
}

std::string SectorText(std::string_view pattern, int sector) {
    return listings::FormatLine(pattern, {sector});
}

std::string HydraulicObservation(TramoT& t, bool removed) {
    const std::string prefix = Prefix(t, removed);
    if (removed) return prefix + RemovedText(t);
    if (NewInitialManhole(t) == 1) return prefix + "Poner Pozo Inic Nuevo" + kBar;
    const std::string relief = ReliefText(t);
    if (!relief.empty()) return prefix + relief;
    const char* state = "             ";
    if (t.Class != network::kClassExisting) {
        if (double(FullFlowQ0(t)) < 0.99 * DesignFlow(t))
            state = "falta capac. ";
        else if (t.Diameter < ImposedDiameter(t) && t.ReliefFactor == 0 && TributaryCount(t) > 0)
            state = "reduce diam. ";
    }
    return prefix + state + TypeText(t);
}

std::string PhysicalState(TramoT& t) {
    if (JunctionMark(t) == 1) return "mal empalme  ";
    if (t.Class == network::kClassNotInvestigated) return "no investig. ";
    const double chambers = DropChambers(t);
    if (std::isfinite(chambers) && chambers >= 1) {
        const long n = std::lround(chambers);
        std::string s = DropKind(t) == 3 ? listings::FormatNumber(n, "#") + " C.C.interm. "
                                         : "faltan " + listings::FormatNumber(n, "#") + " C.C.";
        s.resize(13, ' ');
        return s;
    }
    if (Usable(DropHeight(t)) && DropHeight(t) > 0)
        return t.Diameter > 900 ? "c.c.especial " : "c.c.baj.tubo ";
    return "             ";
}

std::string PhysicalObservation(TramoT& t, bool removed) {
    const std::string prefix = Prefix(t, removed);
    if (removed) return prefix + RemovedText(t);
    if (NewInitialManhole(t) == 1) return prefix + "Poner Pozo Inic Nuevo" + kBar;
    const std::string relief = ReliefText(t);
    if (!relief.empty()) return prefix + relief;
    return prefix + PhysicalState(t) + TypeText(t);
}

}  // namespace nivex::design::cells
