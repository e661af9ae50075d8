#pragma once
// The cells of the design listings: numbers in their pictures with their dash forms, the
// duct mark, emphasis, names, the boxed table headings, and the observations of a reach.
// Every cell ends with the vertical line 179; texts are code-page bytes.

#include <string>
#include <string_view>
#include <vector>

#include "design/hydraulics.h"
#include "network/tramo.h"

namespace nivex::design::cells {

constexpr char kBar = static_cast<char>(179);
constexpr char kDuctMark = static_cast<char>(223);

// The value in its picture and the bar; the dash form when the value is 0 (or no
// number). A value of `wideFrom` or more takes the wide picture when one is given. A
// value that still does not fit fills the cell with '*'.
std::string Number(double value, std::string_view picture, std::string_view dash,
                   std::string_view wide = {}, double wideFrom = 0);
// A value whose zero is shown as a number (no dash form).
std::string Plain(double value, std::string_view picture);
// A text cut or filled with blanks to the width, and the bar.
std::string Text(std::string_view text, int width);
// A manhole name in its places (5, or 7 in the hydraulic-model forms).
std::string Name(const std::string& name, int width = 5);
// Diameter or duct side in six places: " #### " for a pipe, " ####" and the mark for a
// square duct, "  --  " for none.
std::string Size(const HydraulicCriteria& c, double size);
// The cell (bar included) between the emphasis codes.
std::string Emphasised(const std::string& cell);
std::string EmphasisedIf(bool on, const std::string& cell);

// ---- Boxed table headings ----

// A column and its captions over three rows. A first-row caption with span > 1 covers the
// next span − 1 columns too, whose first row is then empty.
struct Column {
    int width;
    const char* top;
    const char* middle;
    const char* bottom;
    int span = 1;
};

// The heading lines: the top rule, the three caption rows and the rule under them.
std::vector<std::string> Heading(const std::vector<Column>& columns);
std::string Bottom(const std::vector<Column>& columns);
// A box across the whole table holding one centred text (three lines).
std::vector<std::string> FramedLine(const std::vector<Column>& columns, std::string_view text);
int TableWidth(const std::vector<Column>& columns);

// ---- What a reach says ----

bool FromOtherSector(const network::TramoT& t);
// The relief flow spilled at the reach's relief chamber (storm and sanitary, l/s).
double ReliefFlow(network::TramoT& t);
// The flow decides the design: the full flow exceeds the design flow by less than 2 %.
bool FlowDecides(network::TramoT& t);
// Two values equal at two decimals.
bool SameAt2(double a, double b);

// The five characters before an observation: the class mark of the reach; "<**> " for a
// new reach whose flow does not decide its design; emphasised unless blank.
std::string Prefix(network::TramoT& t, bool removed);
// Eight characters and the bar: what the reach's type makes of it.
std::string TypeText(const network::TramoT& t);
// " ALIVIO =#####.## l/s" and the bar, for a reach that is not existing and has a relief
// chamber spilling; empty otherwise.
std::string ReliefText(network::TramoT& t);
// The 21 characters and bar after the prefix of a removed reach.
std::string RemovedText(network::TramoT& t);
// " << LLEGA DE SECTOR ## >> " style texts: the sector in the two places of the pattern.
std::string SectorText(std::string_view pattern, int sector);

// Observations (26 characters and the bar) of the hydraulic and the physical listings.
std::string HydraulicObservation(network::TramoT& t, bool removed);
std::string PhysicalObservation(network::TramoT& t, bool removed);
// The 13-character state of the physical listing (drops, drop chambers, junction).
std::string PhysicalState(network::TramoT& t);

}  // namespace nivex::design::cells
