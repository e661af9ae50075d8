#pragma once
// The pages of the design listings: the frame of every listing (range of sheets kept,
// footer, viewer) with the design page header in place of the standard one. The design
// header names the owner entity, the project and its consultant, the method and the
// design class; the flows and junction headers are shorter forms of it.
//
//     DesignPages pages(session, HeaderKind::Design, title, 127);
//     pages.heading = [&] { ... };
//     if (!pages.Begin()) return;
//     for (...)
//         if (!pages.Row(row)) break;
//     pages.Finish([&] { pages.Line(note); });

#include <string>
#include <string_view>
#include <vector>

#include "listings/listing_steps.h"

namespace nivex::design {

enum class HeaderKind {
    Design,     // hydraulic and physical listings: conventions and conduit note
    Flows,      // sanitary and storm flows
    Junctions,  // energy junctions: the flows header and the junction conventions
};

// The lines of a design page header for sheet `sheet`, each as it stands after the
// margin (code-page bytes, without the emphasis codes).
std::vector<std::string> DesignHeaderLines(const shell::Session& s, HeaderKind kind,
                                           std::string_view title, int width, int sheet);

// "METODO FLUJO UNIFORME", or the routing method of the hydraulic model classes.
std::string MethodText(const shell::Session& s);
// "Tipo: ..." of the design class; empty for no class.
std::string ClassText(int designClass);

// A listing run whose pages carry the design header.
class DesignPages : public listings::ListingRun {
  public:
    DesignPages(shell::Session& session, HeaderKind kind, std::string title, int width);
};

}  // namespace nivex::design
