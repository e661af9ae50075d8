#pragma once
// The fields of the value screens F, G, H, I, J, S, L, O and K: descriptor, where the
// value lives, how it is read and written and which rule it obeys. The screens edit them
// and the catalogue (ValueScreenValues) exposes the same ones to nivex-batch.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "console/screen.h"
#include "specs/espec.h"

namespace nivex::specs::detail {

constexpr int kFieldColumn = 10;  // of the prompts of the one-column screens

struct ValueField {
    console::CampoT campo;    // prompt in code-page bytes
    std::string description;  // the same prompt, UTF-8
    int record = 0, offset = 0, index = -1;
    bool catalogued = true;  // false for screen-only fields (zone number, the Enter field)
    // Null: always active. An inactive field shows 0 and must be left at 0.
    std::function<bool(const EspecT&)> active;
    bool inactiveKept = true;  // an inactive field never writes its value
    std::function<double(const EspecT&)> get;
    std::function<void(EspecT&, double)> put;
    // The field's rule; it may replace v with the value the screen offers instead.
    std::function<std::string(const EspecT&, double& v, bool active)> rule;
    std::function<std::string(double)> warning;  // shown, the value is still taken
    // Ending keys that take any value of 0 or more without the rule.
    std::array<uint8_t, 2> relaxed{};
    // Text fields.
    std::function<std::string(const EspecT&)> getText;
    std::function<void(EspecT&, const std::string&)> putText;

    bool isText() const { return static_cast<bool>(getText); }
    bool activeIn(const EspecT& e) const { return !active || active(e); }
};

// ---- the fields of each screen, laid out on their rows ----
std::vector<ValueField> GeneralFields(const EspecT& e);   // F: 16
std::vector<ValueField> SanitaryFields(const EspecT& e);  // G: 12, 8 in a combined system
std::vector<ValueField> StormFields();                    // H: 8
ValueField ZoneCountField();
std::vector<ValueField> ZoneFields(const EspecT& e, int zone);  // I: zone 0..14
ValueField EquationCountField();
std::vector<ValueField> EquationFields(int equation);  // J: equation 0..4
std::vector<ValueField> SeriesHeadFields();            // S: interval, count, series shown
std::vector<ValueField> SeriesValueFields(const EspecT& e, int series);  // S: series 0..4
std::vector<ValueField> AdjustmentFields();                              // L: 11
std::vector<ValueField> ReductionFields();                               // O: 5
std::vector<ValueField> ConstructionFirstPage();                         // K: 6 + Enter
std::vector<ValueField> ConstructionSecondPage(const EspecT& e);         // K: 9 + 3 types

// Screen-only number fields (zone, equation), 1 to `maximum`, over a counter of the screen.
ValueField NumberField(const std::string& prompt, int row, int maximum, int& number);

}  // namespace nivex::specs::detail
