#include "specs/table_fields.h"

#include <cmath>

#include "console/codepage.h"
#include "console/field_text.h"
#include "specs/table_rules.h"

namespace nivex::specs::tables {
namespace {

using console::CampoT;

constexpr int kFieldColumn = 14;
constexpr int kDiameterWidth = 6;
constexpr int kSlopeWidth = 5;
// Two decimals and one integer digit ("4.50"): the entry library keeps a position free.
constexpr int kMetresWidth = 5;
constexpr int kCountWidth = 2;
constexpr int kManholeDiameterWidth = 4;

CampoT Field(std::string prompt, char type, int column, int row, int width, int decimals) {
    CampoT f;
    f.prompt = std::move(prompt);
    f.type = type;
    f.column = static_cast<int16_t>(column);
    f.row = static_cast<int16_t>(row);
    f.width = static_cast<int16_t>(width);
    f.decimals = static_cast<int16_t>(decimals);
    return f;
}

int Whole(double value) {
    return static_cast<int>(std::lround(value));
}

std::string PadLeft(std::string text, size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// ---- T ----

std::vector<TableField> CountFields() {
    TableField pipes;
    pipes.campo = Field("Numero maximo de diametros tuberias               :", 'I', kFieldColumn, 8,
                        kCountWidth, 0);
    pipes.record = 1;
    pipes.offset = 372;
    pipes.read = [](const EspecT& e) { return double(e.DiameterCount); };
    pipes.write = [](EspecT& e, double value) {
        const int count = Whole(value);
        std::string message = PipeCountRule(count);
        if (!message.empty()) return message;
        // The ducts field shows the total minus the pipes: the ducts stay as they are.
        const int ducts = e.SectionCount - e.DiameterCount;
        e.DiameterCount = count;
        e.SectionCount = count + ducts;
        return message;
    };

    TableField ducts;
    ducts.campo = Field("Numero maximo de ductos cuadrados                 :", 'I', kFieldColumn,
                        10, kCountWidth, 0);
    ducts.record = 1;
    ducts.offset = 374;
    ducts.read = [](const EspecT& e) { return double(e.SectionCount - e.DiameterCount); };
    ducts.write = [](EspecT& e, double value) {
        const int count = Whole(value);
        std::string message = DuctCountRule(e.DiameterCount, count);
        if (message.empty()) e.SectionCount = e.DiameterCount + count;
        return message;
    };
    return {pipes, ducts};
}

// ---- B and R ----

int RowOf(const EspecT& e, int entry) {
    const int first = FirstPageEntries(e);
    return kTableFirstRow + (entry < first ? entry : entry - first);
}

std::string Number(int entry) {
    return PadLeft(std::to_string(entry + 1), 2);
}

std::vector<TableField> DiameterFields(const EspecT& e) {
    const int n = UsedDiameters(e);
    std::vector<TableField> fields;
    for (int i = 0; i < n; ++i) {
        const bool duct = i == n - 1;
        TableField f;
        f.campo = Field(Number(i) + (duct ? " - 1er Conducto Cuadrado ( mm )   :"
                                          : " - Diametro Comercial en ( mm )   :"),
                        'R', kTableColumn, RowOf(e, i), kDiameterWidth, 0);
        f.record = 3;
        f.offset = 120;
        f.index = i;
        f.page = i < FirstPageEntries(e) ? 0 : 1;
        const auto k = static_cast<size_t>(i);
        f.read = [k](const EspecT& s) { return double(s.Diameters[k]); };
        f.write = [k](EspecT& s, double value) {
            s.Diameters[k] = static_cast<float>(value);
            return std::string();
        };
        fields.push_back(std::move(f));
    }
    return fields;
}

std::vector<TableField> SlopeFields(const EspecT& e) {
    const int n = UsedDiameters(e);
    std::vector<TableField> fields;
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<size_t>(i);
        const std::string size = PadLeft(std::to_string(Whole(e.Diameters[k])), 4);
        const bool duct = i == n - 1;
        TableField f;
        f.campo =
            Field(Number(i) + (duct ? " - 1er Conducto Cuadrado " : " - Diametro Comercial ") +
                      size + " (mm)",
                  'R', kTableColumn, RowOf(e, i), kSlopeWidth, 2);
        f.record = 3;
        f.offset = 240;
        f.index = i;
        f.page = i < FirstPageEntries(e) ? 0 : 1;
        f.read = [k](const EspecT& s) { return double(s.MinimumSlopes[k]); };
        f.write = [k](EspecT& s, double value) {
            std::string message = MinimumSlopeRule(value);
            if (message.empty()) s.MinimumSlopes[k] = static_cast<float>(value);
            return message;
        };
        fields.push_back(std::move(f));
    }
    return fields;
}

// ---- C, D, E: numeric texts of record 5 ----

using RangeRule = std::string (*)(const EspecT&, int, double);

template <size_t N>
std::vector<TableField> RangeFields(const std::array<const char*, N>& prompts,
                                    const std::array<int, N>& slots, int firstRow, RangeRule rule) {
    std::vector<TableField> fields;
    for (size_t k = 0; k < N; ++k) {
        TableField f;
        f.campo = Field(prompts[k], 'R', kFieldColumn, firstRow + 2 * static_cast<int>(k),
                        kMetresWidth, 2);
        const int slot = slots[k];
        f.record = 5;
        f.offset = 5 * slot;
        f.read = [slot](const EspecT& e) { return RangeValue(e, slot); };
        f.write = [slot, rule, k](EspecT& e, double value) {
            std::string message = rule(e, static_cast<int>(k), value);
            if (message.empty()) SetRangeValue(e, slot, value);
            return message;
        };
        fields.push_back(std::move(f));
    }
    return fields;
}

std::vector<TableField> ExcavationFields() {
    return RangeFields<3>({"Limite superior del primer rango en  ( m )        :",
                           "Limite superior del segundo rango en ( m )        :",
                           "Limite superior del tercer rango en  ( m )        :"},
                          kExcavationLimitSlots, 8, ExcavationLimitRule);
}

std::vector<TableField> TrenchFields() {
    return RangeFields<4>({"Para valores menores que el primer rango de prof. :",
                           "Entre primer rango y segundo rango de profundidad :",
                           "Entre segundo rango y tercer rango de profundidad :",
                           "Para valores mayores que el tercer rango de prof. :"},
                          kTrenchOverWidthSlots, 12, TrenchWidthRule);
}

std::vector<TableField> ManholeRangeFields() {
    return RangeFields<2>({"Limite superior del primer rango en  ( m )        :",
                           "Limite superior del segundo rango en ( m )        :"},
                          kManholeLimitSlots, 8, ManholeLimitRule);
}

// ---- N ----

std::vector<TableField> ManholeDiameterFields() {
    std::vector<TableField> fields;
    const std::array<const char*, 2> prompts = {
        "Usar pozos de 1.20 m para tuberias hasta de ( mm )  :",
        "Usar pozos de 1.80 m para tuberias hasta de ( mm )  :"};
    for (int k = 0; k < 2; ++k) {
        TableField f;
        f.campo = Field(prompts[static_cast<size_t>(k)], 'I', kFieldColumn, 8 + 2 * k,
                        kManholeDiameterWidth, 0);
        f.record = 5;
        f.offset = k == 0 ? 65 : 67;
        f.read = [k](const EspecT& e) {
            return double(k == 0 ? e.Manhole120Diameter : e.Manhole180Diameter);
        };
        f.write = [k](EspecT& e, double value) {
            const int diameter = Whole(value);
            std::string message = ManholeDiameterRule(e, k, diameter);
            if (message.empty()) (k == 0 ? e.Manhole120Diameter : e.Manhole180Diameter) = diameter;
            return message;
        };
        fields.push_back(std::move(f));
    }
    return fields;
}

}  // namespace

int FirstPageEntries(const EspecT& e) {
    return (UsedDiameters(e) + 1) / 2;
}

std::vector<TableField> ScreenFields(char letter, const EspecT& e) {
    switch (letter) {
        case 'T':
            return CountFields();
        case 'B':
            return DiameterFields(e);
        case 'R':
            return SlopeFields(e);
        case 'C':
            return ExcavationFields();
        case 'D':
            return TrenchFields();
        case 'E':
            return ManholeRangeFields();
        case 'N':
            return ManholeDiameterFields();
        default:
            return {};
    }
}

std::string ShownText(const TableField& f, const EspecT& e) {
    double value = f.read(e);
    return console::editText(f.campo, &value);
}

std::string TakeText(const TableField& f, EspecT& e, const std::string& text) {
    std::string message = console::validateField(f.campo, text, nullptr);
    if (!message.empty()) return message;
    return f.write(
        e, console::fieldtext::parseReal(console::withDecimalPoint(f.campo, text)).value_or(0.0));
}

}  // namespace nivex::specs::tables
