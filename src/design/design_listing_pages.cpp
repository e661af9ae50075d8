#include "design/design_listing_pages.h"

#include <algorithm>
#include <array>

#include "console/codepage.h"
#include "listings/listing_file.h"
#include "shell/session.h"
#include "shell/startup.h"

namespace nivex::design {
namespace {

constexpr size_t kNameLimit = 35;
constexpr size_t kConsultantLimit = 46;

constexpr std::array<const char*, 9> kClassTexts = {
    "Tipo: sanitario por longitudes",     "Tipo: sanitario por areas",
    "Tipo: combinado (Metodo Racional)",  "Tipo: pluvial (Metodo Racional)",
    "Tipo: mixto (Metodo Racional)",      "Tipo: combinado (Bloques Alternados)",
    "Tipo: pluvial (Bloques alternados)", "Tipo: combinado (Hidrografo Swmm",
    "Tipo: pluvial (Hidrografo Swmm)",
};

constexpr const char* kConventions =
    "Convenciones tramos : T.E. = existente  N.I. = no investigado  T.R. = definido "
    "proyectista  E.E. =  empalmado: usa espec.minimas";
constexpr const char* kConventionsNarrow =
    "Convenciones tramos: T.E. = existente  N.I. = no investigado  T.R. = definido "
    "proyectista  E.E. =  empalmado: usa espec.minimas";
constexpr const char* kJunctionConventions =
    "EEE = empalme con existente exige espec. minim. DE = diametro excluido";

int Length(const std::string& s) {
    return static_cast<int>(s.size());
}

// A text at the 0-based position of a line, blanks before it.
void Place(std::string& line, int at, const std::string& text) {
    at = std::max(at, 0);
    if (Length(line) < at) line.resize(static_cast<size_t>(at), ' ');
    line = line.substr(0, static_cast<size_t>(at)) + text;
}

std::string Centred(const std::string& text, int width) {
    std::string line;
    Place(line, (width - Length(text)) / 2, text);
    return line;
}

// The first text at the margin, the third ending at the width, the second centred in the
// space between them.
std::string ThreeTexts(const std::string& a, const std::string& b, const std::string& c,
                       int width) {
    std::string line = a;
    const int space = width - Length(a) - Length(c);
    Place(line, Length(a) + (space - Length(b)) / 2, b);
    Place(line, width - Length(c), c);
    return line;
}

std::string TwoTexts(const std::string& a, const std::string& b, int width) {
    std::string line = a;
    Place(line, std::max(width - Length(b), Length(a) + 1), b);
    return line;
}

}  // namespace

std::string ClassText(int designClass) {
    if (designClass < 1 || designClass > 9) return "";
    return cp(kClassTexts[static_cast<size_t>(designClass - 1)]);
}

std::string MethodText(const shell::Session& s) {
    const int designClass = s.project.header.DesignClass;
    if (designClass < 6 || designClass > 9) return "METODO FLUJO UNIFORME";
    const float routing = s.project.espec.SwmmRouting;
    if (routing == 1) return "SWMM ONDA CINEMATICA";
    if (routing == 2) return "SWMM FLUJO UNIFORME";
    return "SWMM ONDA DINAMICA";
}

std::vector<std::string> DesignHeaderLines(const shell::Session& s, HeaderKind kind,
                                           std::string_view title, int width, int sheet) {
    const shell::ProyectoT& h = s.project.header;
    const project::Selection& sel = s.project.selection;
    std::vector<std::string> lines;
    lines.push_back(Centred(h.Entity, width));
    lines.push_back(
        ThreeTexts(std::string(title), h.ProjectDate, "HOJA No " + std::to_string(sheet), width));
    std::string project = "PROYECTO: " + h.ProjectName.substr(0, kNameLimit);
    if (sel.severalSectors() && sel.sectorNumber > 0)
        project += " - sector # " + std::to_string(sel.sectorNumber);
    lines.push_back(ThreeTexts(project, MethodText(s),
                               "CONSULTOR: " + h.Consultant.substr(0, kConsultantLimit), width));
    lines.push_back(std::string(static_cast<size_t>(width), static_cast<char>(205)));
    lines.push_back(ThreeTexts("Programa [ N I V E X ]", "Diseno alcantarillados",
                               std::string("version [ ") + shell::kVersionText + " ]", width));
    if (kind == HeaderKind::Design) {
        lines.push_back(width < 128 ? kConventionsNarrow : kConventions);
        lines.push_back(
            TwoTexts(ClassText(h.DesignClass), cp("Conducto: Tuberia o Ducto Cuadrado ▀"), width));
    } else {
        lines.push_back(ClassText(h.DesignClass));
        if (kind == HeaderKind::Junctions) lines.push_back(kJunctionConventions);
    }
    return lines;
}

DesignPages::DesignPages(shell::Session& session, HeaderKind kind, std::string title, int width)
    : ListingRun(session, std::move(title), std::max(width, listings::kMinimumPageWidth)) {
    pageHeader = [this, &session, kind](std::string_view pageTitle, int sheet) {
        return DesignHeaderLines(session, kind, pageTitle, this->width(), sheet);
    };
}

}  // namespace nivex::design
