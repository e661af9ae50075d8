#include "network/reach_csv.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <optional>

#include "console/codepage.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "specs/criteria_store.h"

namespace nivex::network {
namespace {

// One column: where its value lives in the reach. The line column has no member.
struct Column {
    const char* name;
    int field;
    int TramoT::* whole = nullptr;
    float TramoT::* real = nullptr;
    std::string TramoT::* text = nullptr;
    // Values shown by two fields (one per group) are read from the one that applies.
    bool twin = false;
};

const Column kColumns[] = {
    {"Linea", kFieldLine},
    {"Tramo de", kFieldUpstream, nullptr, nullptr, &TramoT::Upstream},
    {"Tramo a", kFieldDownstream, nullptr, nullptr, &TramoT::Downstream},
    {"Zona sanitaria", kFieldZone, nullptr, &TramoT::SanitaryZone},
    {"Ecuacion o serie pluvial", kFieldRain, &TramoT::RainNumber},
    {"Zona RAS", kFieldRain, nullptr, &TramoT::RasZone},
    {"Aporte", kFieldContribution, &TramoT::Contribution},
    {"Cota rasante superior (m)", kFieldGroundUp, nullptr, &TramoT::GroundUp},
    {"Cota rasante inferior (m)", kFieldGroundDown, nullptr, &TramoT::GroundDown},
    {"Longitud del tramo (m)", kFieldLength, nullptr, &TramoT::Length},
    {"Area del tramo (Has)", kFieldArea, nullptr, &TramoT::Area},
    {"Clase", kFieldClass, &TramoT::Class},
    {"Cota clave superior (m)", kFieldCrownUp, nullptr, &TramoT::CrownUp},
    {"Diametro del tubo (mm)", kFieldDiameter, nullptr, &TramoT::Diameter, nullptr, true},
    {"Pendiente del tubo (%)", kFieldSlope, nullptr, &TramoT::Slope},
    {"Cota clave inferior (m)", kFieldCrownDown, nullptr, &TramoT::CrownDown, nullptr, true},
    {"Coeficiente de Manning", kFieldManningN, nullptr, &TramoT::ManningN},
    {"V.Min.Real Indust. (m/s)", kFieldIndustrialVelocity, nullptr, &TramoT::IndustrialVelocity},
    {"Profundidad minima (m)", kFieldMinimumDepth, nullptr, &TramoT::MinimumDepth},
    {"Caudal puntual (l/s)", kFieldPointFlow, nullptr, &TramoT::PointFlow, nullptr, true},
    {"Area futura sanitaria", kFieldFutureArea, nullptr, &TramoT::FutureArea},
    {"Area adic.pluvial (Has)", kFieldStormArea, nullptr, &TramoT::StormArea},
    {"Tiempo area adic. (min)", kFieldStormAreaTime, nullptr, &TramoT::StormAreaTime},
    {"Coef. de escorrentia", kFieldRunoff, nullptr, &TramoT::Runoff},
    {"Factor alivio", kFieldReliefFactor, nullptr, &TramoT::ReliefFactor},
    {"Tipo", kFieldType, &TramoT::Type},
    {"Otro sector: caudal puntual (l/s)", kFieldInPointFlow, nullptr, &TramoT::PointFlow, nullptr,
     true},
    {"Otro sector: diametro (mm)", kFieldInDiameter, nullptr, &TramoT::Diameter, nullptr, true},
    {"Otro sector: cota clave inferior (m)", kFieldInCrownDown, nullptr, &TramoT::CrownDown,
     nullptr, true},
    {"Aguas negras acumuladas (l/s)", kFieldInFlow, nullptr, &TramoT::InFlow},
    {"Infil.+ C.E. acumuladas (l/s)", kFieldInInfiltration, nullptr, &TramoT::InInfiltration},
    {"Poblacion acumulada (habitantes)", kFieldInPopulation, nullptr, &TramoT::InPopulation},
    {"Area real acumulada (Has)", kFieldInRealArea, nullptr, &TramoT::InRealArea},
    {"Area equivalente acumulada (Has)", kFieldInEquivalentArea, nullptr,
     &TramoT::InEquivalentArea},
    {"Tiempo concentracion origen (min)", kFieldInOriginTime, nullptr, &TramoT::InOriginTime},
    {"Tiempo concentracion tramo (min)", kFieldInReachTime, nullptr, &TramoT::InReachTime},
    {"Sector origen", kFieldSourceSector, &TramoT::Sector, nullptr, nullptr, true},
    {"Sector destino", kFieldDestinationSector, &TramoT::Sector, nullptr, nullptr, true},
    // The F6 mark is entered on the screen too.
    {"Quitar existente", 0, nullptr, &TramoT::RemoveExisting},
};
constexpr size_t kColumnCount = std::size(kColumns);

// Which of two columns sharing a value the reach takes it from.
bool TwinApplies(const Column& c, const TramoT& t) {
    switch (c.field) {
        case kFieldDiameter:
        case kFieldCrownDown:
        case kFieldPointFlow:
            return t.Class != kScreenClassOtherSector;
        case kFieldInPointFlow:
        case kFieldInDiameter:
        case kFieldInCrownDown:
            return t.Class == kScreenClassOtherSector;
        case kFieldSourceSector:
            return t.Type != kScreenTypeToSector;
        case kFieldDestinationSector:
            return t.Type == kScreenTypeToSector;
    }
    return true;
}

void AppendCell(std::string& out, std::string_view cell) {
    const bool quote = cell.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote) {
        out += cell;
        return;
    }
    out += '"';
    for (char ch : cell) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

template <typename T>
void AppendNumber(std::string& out, T value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, ec == std::errc() ? end : buffer);
}

// A CSV row with the line of the text it starts on.
struct Row {
    int line = 0;
    std::vector<std::string> cells;
};

// Splits the text into rows; quoted cells may hold commas, quotes and line breaks.
// Blank lines are no rows. False with the line of an unclosed quote.
bool SplitRows(std::string_view text, std::vector<Row>& rows, int& badLine) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        Row row;
        row.line = line;
        std::string cell;
        bool rowEnded = false;
        while (!rowEnded) {
            cell.clear();
            if (i < text.size() && text[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= text.size()) {
                        badLine = row.line;
                        return false;
                    }
                    char ch = text[i++];
                    if (ch == '"') {
                        if (i < text.size() && text[i] == '"') {
                            cell += '"';
                            ++i;
                        } else {
                            break;
                        }
                    } else {
                        if (ch == '\n') ++line;
                        cell += ch;
                    }
                }
            }
            // Unquoted text, or whatever follows a closing quote up to the separator.
            while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                cell += text[i++];
            row.cells.push_back(cell);
            if (i >= text.size()) {
                rowEnded = true;
            } else if (text[i] == ',') {
                ++i;
            } else {
                if (text[i] == '\r') ++i;
                if (i < text.size() && text[i] == '\n') ++i;
                ++line;
                rowEnded = true;
            }
        }
        if (row.cells.size() == 1 && row.cells[0].empty()) continue;
        rows.push_back(std::move(row));
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool ParseWhole(std::string_view s, int& v) {
    s = Trim(s);
    if (s.empty()) {
        v = 0;
        return true;
    }
    if (s.front() == '+') s.remove_prefix(1);
    long value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return false;
    v = static_cast<int>(value);
    return true;
}

bool ParseReal(std::string_view s, float& v) {
    s = Trim(s);
    if (s.empty()) {
        v = 0;
        return true;
    }
    if (s.front() == '+') s.remove_prefix(1);
    float value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return false;
    v = value;
    return true;
}

std::string At(int line, const std::string& message) {
    return "Linea " + std::to_string(line) + ": " + message;
}

std::string Quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

// Every number of the row through its field's rule of range, width and decimals, as the
// screen's editor would have let it be typed; a value no screen holds is never stored.
void CheckValues(const TramoT& t, std::vector<std::string>& found) {
    for (const Column& col : kColumns) {
        if (col.text || (col.twin && !TwinApplies(col, t))) continue;
        const std::string column = "la columna " + Quoted(col.name) + ": ";
        if (col.field == 0) {
            if (col.real && t.*col.real != 0 && t.*col.real != 1)
                found.push_back(column + "admite 0 o 1");
            continue;
        }
        if (!col.whole && !col.real) continue;
        const double value = col.whole ? t.*col.whole : t.*col.real;
        if (const std::string rule = FieldValueRule(col.field, value); !rule.empty())
            found.push_back(column + rule);
    }
}

// The rules of every field the screen would ask for this reach, then the whole-reach
// check when the fields pass.
void CheckReach(const TramoT& t, const ReachContext& c, int line,
                std::vector<std::string>& problems) {
    std::vector<std::string> found;
    auto rule = [&](int field, const std::string& message) {
        if (!message.empty() && FieldApplies(field, t, c)) found.push_back(message);
    };
    if (t.Class < 0 || t.Class > kScreenClassOtherSector)
        found.push_back("la columna \"Clase\" admite de 0 a 4");
    if (t.Type < 0 || t.Type > kScreenTypeToSector)
        found.push_back("la columna \"Tipo\" admite de 0 a 4");
    CheckValues(t, found);
    rule(kFieldUpstream, UpstreamRule(t.Upstream, false));
    rule(kFieldDownstream, DownstreamRule(t.Upstream, t.Downstream, false));
    rule(kFieldZone, ZoneRule(t.SanitaryZone, c, false));
    const bool ras = RainFieldForm(c) == RainField::RasZone;
    rule(kFieldRain, RainRule(ras ? t.RasZone : t.RainNumber, c, false));
    rule(kFieldContribution, ContributionRule(t.Contribution));
    rule(kFieldGroundUp, GroundUpRule(t.GroundUp));
    rule(kFieldGroundDown, GroundDownRule(t.GroundDown));
    rule(kFieldLength, LengthRule(t.Length));
    rule(kFieldClass, ClassRule(t.Class, c).message);
    rule(kFieldCrownUp, CrownUpRule(t, t.CrownUp));
    // A size outside the list that the screen would ask about is taken: the table is the
    // user's answer.
    rule(kFieldDiameter, DiameterRule(t, t.Diameter, c, AcceptedDiameters{}, false).message);
    rule(kFieldCrownDown, CrownDownRule(t, t.CrownDown));
    if ((t.Class == kClassExisting || t.Class == kClassRestricted) && t.Length > 0 &&
        t.CrownUp != 0 && t.CrownDown != 0) {
        const double slope = SlopeFromCrowns(t.CrownUp, t.CrownDown, t.Length);
        if (!SlopeIsNormal(slope)) rule(kFieldClass, AbnormalSlope(slope));
    }
    rule(kFieldManningN, ManningNRule(t.ManningN));
    rule(kFieldIndustrialVelocity, IndustrialVelocityRule(t.IndustrialVelocity, c));
    rule(kFieldType, TypeRule(t.Type, c).message);
    rule(kFieldInDiameter, InDiameterRule(t.Diameter, c));
    rule(kFieldInEquivalentArea, InEquivalentAreaRule(t.InEquivalentArea, t.InRealArea));
    rule(kFieldSourceSector, SourceSectorRule(t.Sector, c));
    rule(kFieldDestinationSector, DestinationSectorRule(t.Sector, c));
    if (found.empty()) {
        const std::string whole = WholeReachMessage(WholeReachCheck(t, c));
        if (!whole.empty()) found.push_back(whole);
    }
    for (const std::string& m : found)
        problems.push_back(At(line, m));
}

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

}  // namespace

const std::vector<std::string>& ReachCsvColumns() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const Column& c : kColumns)
            v.push_back(c.name);
        return v;
    }();
    return names;
}

std::string ExportReachesCsv(const std::vector<TramoT>& reaches) {
    std::string out;
    out.reserve(64 * kColumnCount * (reaches.size() + 1));
    for (size_t k = 0; k < kColumnCount; ++k) {
        if (k) out += ',';
        AppendCell(out, kColumns[k].name);
    }
    out += '\n';
    for (size_t line = 1; line <= reaches.size(); ++line) {
        const TramoT& t = reaches[line - 1];
        for (size_t k = 0; k < kColumnCount; ++k) {
            const Column& c = kColumns[k];
            if (k) out += ',';
            if (c.text)
                AppendCell(out, toUtf8(t.*c.text));
            else if (c.whole)
                AppendNumber(out, t.*c.whole);
            else if (c.real)
                AppendNumber(out, t.*c.real);
            else
                AppendNumber(out, static_cast<int>(line));
        }
        out += '\n';
    }
    return out;
}

ImportResult ImportReachesCsv(std::string_view text, const ReachContext& context) {
    ImportResult result;
    std::vector<Row> rows;
    int badLine = 0;
    if (!SplitRows(text, rows, badLine)) {
        result.problems.push_back(At(badLine, "comillas sin cerrar"));
        return result;
    }
    if (rows.empty()) {
        result.problems.push_back(At(1, "falta la fila de encabezados"));
        return result;
    }

    // Header names to columns.
    const Row& header = rows.front();
    std::vector<int> columnOf(header.cells.size(), -1);
    std::vector<bool> seen(kColumnCount, false);
    for (size_t j = 0; j < header.cells.size(); ++j) {
        const std::string name(Trim(header.cells[j]));
        for (size_t k = 0; k < kColumnCount; ++k)
            if (name == kColumns[k].name) {
                if (seen[k])
                    result.problems.push_back(
                        At(header.line, "columna repetida " + Quoted(kColumns[k].name)));
                seen[k] = true;
                columnOf[j] = static_cast<int>(k);
            }
        if (columnOf[j] < 0)
            result.problems.push_back(At(header.line, "columna desconocida \"" + cp(name) + "\""));
    }
    for (size_t k = 0; k < kColumnCount; ++k)
        if (!seen[k])
            result.problems.push_back(
                At(header.line, "falta la columna " + Quoted(kColumns[k].name)));
    if (!result.problems.empty()) return result;

    const size_t count = rows.size() - 1;
    if (count > static_cast<size_t>(kMaxLines)) {
        result.problems.push_back(At(rows[kMaxLines + 1].line, LineBeyondLimit(kMaxLines + 1)));
        return result;
    }

    ReachContext c = context;
    c.lineCount = static_cast<int>(count);
    result.reaches.reserve(count);
    for (size_t r = 1; r < rows.size(); ++r) {
        const Row& row = rows[r];
        if (row.cells.size() != header.cells.size()) {
            result.problems.push_back(
                At(row.line, "se esperaban " + std::to_string(header.cells.size()) +
                                 " columnas y hay " + std::to_string(row.cells.size())));
            continue;
        }
        TramoT t;
        bool parsed = true;
        // Twins after the class and type they depend on.
        for (int pass = 0; pass < 2; ++pass)
            for (size_t j = 0; j < row.cells.size(); ++j) {
                const Column& col = kColumns[columnOf[j]];
                if (col.twin != (pass == 1) || (pass == 1 && !TwinApplies(col, t))) continue;
                const std::string& cell = row.cells[j];
                bool good = true;
                if (col.text) {
                    const std::string typed = cp(Trim(cell));
                    if (typed.empty()) {
                        (t.*col.text).clear();
                    } else if (auto name = ManholeName(typed)) {
                        t.*col.text = *name;
                    } else {
                        result.problems.push_back(At(row.line, "la columna " + Quoted(col.name) +
                                                                   " no es un nombre de pozo (\"" +
                                                                   typed + "\")"));
                        parsed = false;
                    }
                    continue;
                }
                if (col.whole) {
                    good = ParseWhole(cell, t.*col.whole);
                } else if (col.real) {
                    good = ParseReal(cell, t.*col.real);
                } else {
                    int line = 0;
                    good = ParseWhole(cell, line);
                }
                if (!good) {
                    result.problems.push_back(At(row.line, "la columna " + Quoted(col.name) +
                                                               " debe ser un numero (\"" +
                                                               cp(cell) + "\")"));
                    parsed = false;
                }
            }
        if (!parsed) continue;
        c.line = static_cast<int>(r);
        CheckReach(t, c, row.line, result.problems);
        result.reaches.push_back(std::move(t));
    }
    if (!result.ok()) result.reaches.clear();
    return result;
}

ImportResult ImportReachesCsvFile(const std::string& path, const ReachContext& context) {
    ImportResult result;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        result.problems.push_back(cp("No se pudo leer el archivo " + path));
        return result;
    }
    if (size > kMostCsvBytes) {
        result.problems.push_back(cp("El archivo " + path + " es demasiado grande: tiene " +
                                     std::to_string(size) + " bytes y una tabla de " +
                                     std::to_string(kMaxLines) + " lineas no pasa de " +
                                     std::to_string(kMostCsvBytes) + " bytes"));
        return result;
    }
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        result.problems.push_back(cp("No se pudo leer el archivo " + path));
        return result;
    }
    result = ImportReachesCsv(text, context);
    for (std::string& problem : result.problems)
        problem = cp(path) + ": " + problem;
    return result;
}

namespace {

// The last sector of the project whose control file exists, from the open one on.
int LastSector(const project::Project& p) {
    int last = p.selection.sectorNumber;
    if (last < 1) return last;
    std::error_code ec;
    while (last < 9 &&
           std::filesystem::is_regular_file(
               p.files.folder() + "XSDA." + p.selection.code + std::to_string(last + 1), ec))
        ++last;
    return last;
}

}  // namespace

bool LoadReachContext(project::Project& p, ReachContext& context, std::string* error) {
    if (!p.OpenControl()) return Fail(error, toUtf8(p.error));
    std::string message;
    const bool loaded = specs::LoadDesignCriteria(p.control, p.header, p.espec, &message);
    p.CloseControl();
    if (!loaded) return Fail(error, message);
    context = {};
    context.espec = p.espec;
    context.designClass = p.header.DesignClass;
    context.sector = p.selection.sectorNumber;
    context.lastSector = LastSector(p);
    context.fromSwmm = p.espec.FromSwmm != 0;
    context.simulated = p.header.Simulated != 0;
    context.lineCount = p.header.ReachCount;
    return true;
}

bool ReadNetwork(project::Project& p, std::vector<TramoT>& reaches, std::string* error) {
    ReachFile file;
    if (!OpenNetwork(p, file)) return Fail(error, toUtf8(p.error));
    reaches.clear();
    reaches.reserve(static_cast<size_t>(file.count()));
    for (int line = 1; line <= file.count(); ++line) {
        TramoT t;
        if (!file.ReadLine(line, t)) return Fail(error, file.error());
        reaches.push_back(std::move(t));
    }
    if (!file.Close()) return Fail(error, file.error());
    return true;
}

bool ReplaceNetwork(project::Project& p, const std::vector<TramoT>& reaches, std::string* error) {
    if (reaches.size() > static_cast<size_t>(kMaxLines))
        return Fail(error, LineBeyondLimit(kMaxLines + 1));
    std::vector<codec::Bytes> records, entries;
    records.reserve(reaches.size());
    entries.reserve(reaches.size());
    for (size_t k = 0; k < reaches.size(); ++k) {
        TramoT t = reaches[k];
        ToStoredForm(t);
        codec::Bytes record(kTramoSize, 0);
        if (!Encode(t, record))
            return Fail(error,
                        "No se pudo codificar el tramo de la linea " + std::to_string(k + 1));
        codec::Bytes entry(kIndiceSize, 0);
        if (!Encode(IndiceTramoT{t.Upstream, t.Downstream, static_cast<int>(k + 1)}, entry))
            return Fail(error,
                        "No se pudo codificar el indice de la linea " + std::to_string(k + 1));
        records.push_back(std::move(record));
        entries.push_back(std::move(entry));
    }
    if (!p.OpenControl()) return Fail(error, toUtf8(p.error));
    std::string message;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &message)) {
        p.CloseControl();
        return Fail(error, message);
    }
    // The header first: a stop before the new network is in place leaves the old one with
    // its controls to be run again, never the new one taken as controlled.
    RecordNetworkChange(p.header, static_cast<int>(reaches.size()));
    if (!specs::SaveRecords(p.control, p.header, p.espec, {})) {
        message = p.control.error();
        p.CloseControl();
        return Fail(error, message);
    }
    const bool replaced = ReplaceRecordFile(p.files.reaches(), kTramoSize, records, message) &&
                          ReplaceRecordFile(p.files.reachIndex(), kIndiceSize, entries, message);
    p.CloseControl();
    return replaced || Fail(error, message);
}

}  // namespace nivex::network
