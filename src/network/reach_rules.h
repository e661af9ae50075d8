#pragma once
// The rules of the reach entry screen: which of its 38 fields apply to a reach, the check
// of every field and of the whole reach. The screen, the CSV import of nivex-batch and the
// tests call these, so a reach is refused the same way wherever it comes from. Messages
// are code-page bytes; an empty message means the value is taken. The reach is always in
// its screen form (classes 0 to 4, types 0 to 4; see ToScreenForm).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/screen.h"
#include "network/tramo.h"
#include "specs/espec.h"

namespace nivex::network {

// The field numbers of the screen, in screen order.
enum ReachField : int {
    kFieldLine = 1,
    kFieldUpstream,
    kFieldDownstream,
    kFieldZone,
    kFieldRain,  // equation, series or RAS zone
    kFieldContribution,
    kFieldGroundUp,
    kFieldGroundDown,
    kFieldLength,
    kFieldArea,
    kFieldClass,
    kFieldCrownUp,
    kFieldDiameter,
    kFieldSlope,
    kFieldCrownDown,
    kFieldManningN,
    kFieldSpecialData,
    kFieldIndustrialVelocity,
    kFieldMinimumDepth,
    kFieldPointFlow,
    kFieldFutureArea,
    kFieldStormArea,
    kFieldStormAreaTime,
    kFieldRunoff,
    kFieldReliefFactor,
    kFieldType,
    kFieldInPointFlow,
    kFieldInDiameter,
    kFieldInCrownDown,
    kFieldInFlow,
    kFieldInInfiltration,
    kFieldInPopulation,
    kFieldInRealArea,
    kFieldInEquivalentArea,
    kFieldInOriginTime,
    kFieldInReachTime,
    kFieldSourceSector,
    kFieldDestinationSector,
    kReachFieldCount = kFieldDestinationSector
};

struct ReachContext {
    specs::EspecT espec;
    int designClass = 0;  // ProyectoT::DesignClass
    int sector = 0;       // the open sector's digit; 0 for a project without sectors
    // The last sector the project has (sectors are made in order, so every one up to it
    // exists): a reach goes to no sector beyond it.
    int lastSector = 9;
    bool fromSwmm = false;
    bool simulated = false;
    int line = 1;       // current line
    int lineCount = 0;  // records of the reach file

    int kind() const { return espec.SystemKind; }
    bool sectorised() const { return sector >= 1; }
};

// The descriptors of the 38 fields, by field number (entry 0 unused): prompt, place,
// width, decimals and limits, as the field editor checks them.
// One field of the reach screens: its prompt (UTF-8), place, kind, width and decimals.
console::CampoT Campo(const std::string& prompt, int row, char type, int width, int decimals,
                      int column = 1);

std::array<console::CampoT, kReachFieldCount + 1> ReachFieldDescriptors(const ReachContext& c);

// The field editor's rule (range, width, decimals) for a value of field `field` that was
// not typed (a CSV table, a SWMM model): "" when the screen would take it, else its
// message ("Error...").
std::string FieldValueRule(int field, double value);

// A record of the reach file or of its design copy that no screen could have written: a
// name longer than its field, a class or type out of range, an entry value that is not a
// number or does not fit its field. Empty when sound; else what is wrong (code page).
std::string ReachRecordFault(const codec::Bytes& record);

// What field 5 asks.
enum class RainField { None, RasZone, Equation, Series };
RainField RainFieldForm(const ReachContext& c);
// Number of equations or series field 5 offers (0 for the RAS zone or none).
int RainFieldCount(const ReachContext& c);

// Whether field `field` is shown and edited for this reach. Fields 12 to 25 belong to the
// group of screen classes 0 to 3, fields 27 to 37 to that of class 4.
bool FieldApplies(int field, const TramoT& t, const ReachContext& c);
// First and last field of the reach's group after the class field.
int GroupFirst(const TramoT& t);
int GroupLast(const TramoT& t);
// Field 18 is shown for every kind but can only be set for kinds 1, 2 and 5.
bool IndustrialVelocityEditable(const ReachContext& c);

// Something the screen must ask the user before the value is taken.
enum class ReachAsk {
    None,
    SourceSector,       // class 4 chosen: ask field 37 at once
    DestinationSector,  // type 4 chosen: ask field 38 at once
    AcceptDiameter,     // "Diametro comercial no incluido. Lo Acepta?" (caption "Control")
};
struct FieldResult {
    std::string message;  // refused when not empty
    ReachAsk ask = ReachAsk::None;
    bool ok() const { return message.empty(); }
};

// The diameters that are not commercial sizes but were accepted in this run.
class AcceptedDiameters {
  public:
    static constexpr size_t kCapacity = 31;
    bool contains(double d) const;
    void accept(double d);  // beyond the capacity the size is asked again next time

  private:
    std::vector<float> sizes_;
};

// ---- Line ----
int NextFreeLine(const ReachContext& c);
// A typed line brought into range: below 1 is 1, beyond the next free line (the last line
// for a SWMM-imported project) is that line.
int ClampLine(int typed, const ReachContext& c);
// Status text when the file already holds the most lines, else empty.
std::string LineLimitStatus(const ReachContext& c);
// Refusal of a line beyond the most lines, else empty.
std::string LineBeyondLimit(int typed);

// ---- Names ----
// A typed name as stored: upper case, 1 to 5 printable characters without blanks at
// either end; none when it cannot be a manhole name.
std::optional<std::string> ManholeName(std::string_view typed);
// `leavingBack`: the field is left with Up, Esc or PgUp, which allows an empty name.
std::string UpstreamRule(const std::string& name, bool leavingBack);
std::string DownstreamRule(const std::string& upstream, const std::string& name, bool leavingBack);

// ---- Zone, field 5, contribution ----
// `leavingUp`: 0 is accepted when the field is left with Up.
std::string ZoneRule(double zone, const ReachContext& c, bool leavingUp);
std::string RainRule(double value, const ReachContext& c, bool leavingUp);
std::string ContributionRule(int value);

// ---- Grounds, length ----
std::string GroundUpRule(double v);
std::string GroundDownRule(double v);
std::string LengthRule(double v);

// ---- Class ----
// Values 0 to 3, or 4 in a sectorised project beyond sector 1 (then ask the source sector).
FieldResult ClassRule(int value, const ReachContext& c);
// The consequences of taking class `value` (already accepted by ClassRule) for a reach
// shown with class `former`. Returns the abnormal-slope message when the slope from the
// crowns was refused (the crowns and slope are then cleared; go back to field 12).
std::string ApplyClass(TramoT& t, int former, int value);

// ---- Crowns, diameter, slope, Manning n ----
std::string CrownUpRule(const TramoT& t, double v);
std::string CrownDownRule(const TramoT& t, double v);
std::string AbnormalSlope(double slope);
// After a crown or the length changed: a class 1 or 2 reach with both crowns and a length
// gets the slope from its crowns.
void RecomputeSlope(TramoT& t);
// The slope typed in field 14 over the former one.
void ApplySlope(TramoT& t, double former, double value);
// `leavingUp`: a diameter of 0 left with Up is accepted.
FieldResult DiameterRule(const TramoT& t, double d, const ReachContext& c,
                         const AcceptedDiameters& accepted, bool leavingUp);
std::string ManningNRule(double n);

// ---- Special data ----
// Field 17 takes 'S' or 'N' only.
bool SpecialDataAnswer(char answer);
std::string IndustrialVelocityRule(double v, const ReachContext& c);
// Field 22 at 0 clears field 23.
void ApplyStormArea(TramoT& t);

// ---- Type and sectors ----
FieldResult TypeRule(int value, const ReachContext& c);
// Type 4 chosen while the class is 4 sets the class to 0; class 4 chosen while the type
// is 4 sets the type to 0.
void ApplyType(TramoT& t, int value);
std::string SourceSectorRule(int sector, const ReachContext& c);
std::string DestinationSectorRule(int sector, const ReachContext& c);
// Sector 0 is stored as 1 once the type field is reached.
void SettleSector(TramoT& t);

// ---- Class-4 data ----
std::string InDiameterRule(double d, const ReachContext& c);
std::string InEquivalentAreaRule(double equivalent, double real);

// ---- Search ----
// A reach matches when both names agree, or when one of the two names sought is empty and
// the other agrees.
bool NamesMatch(const IndiceTramoT& entry, const std::string& upstream,
                const std::string& downstream);
// The line the search finds: forward from the line after `current` to the last, then
// backward from the line before it to line 1, then `current` itself; 0 when none.
int FindReachLine(const std::vector<IndiceTramoT>& index, const std::string& upstream,
                  const std::string& downstream, int current);

// ---- Whole reach ----
struct ReachProblem {
    int field;
    std::string message;  // one part of the screen's text
};
// Every fault of the reach, in the order of the check: first those that make the data
// wrong or incomplete, then naming, depths and slope.
std::vector<ReachProblem> WholeReachCheck(const TramoT& t, const ReachContext& c);
// The text the screen shows for the problems, empty when there are none.
std::string WholeReachMessage(const std::vector<ReachProblem>& problems);

}  // namespace nivex::network
