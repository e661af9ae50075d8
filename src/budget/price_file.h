#pragma once
// The unit prices of a project and its lump-sum items, kept once for every sector in the
// price file "XSANPRE." + code + "0": a CR LF text file of numbers in the real notation of
// the quantity files, one per line, every price rounded to cents.

#include <array>
#include <string>
#include <vector>

#include "budget/budget_items.h"
#include "project/project.h"

namespace nivex::budget {

constexpr int kPricePositions = 60;  // size positions with a price
constexpr int kGlobalRows = 17;      // lump-sum rows the screen edits
constexpr int kGlobalKept = 20;      // lump-sum items the file may hold

// A lump-sum item.
struct GlobalItemT {
    std::string description;  // code page, up to 255 characters
    std::string tag = "0";    // "0" no stage, "1".."3" a stage, "E" the existing system
    double value = 0;         // local currency
};

struct UnitPrices {
    std::array<std::array<double, 5>, 7> excavation{};  // [material 1..6][range 1..4]
    std::array<double, 4> fill{};                       // [1..3]
    // [group 0..2][row 1..2][range 1..4]; only row 1, ranges 1..3 are priced.
    std::array<std::array<std::array<double, 5>, 3>, 3> manholes{};
    std::array<std::array<double, kPricePositions + 1>, 5> pipes{};  // [range 1..4][p]
    std::array<double, kPricePositions + 1> connections{};           // [p]
    std::array<double, kPricePositions + 1> drops{};                 // [p]
    std::array<double, kPricePositions + 1> removals{};              // [p]
    std::array<double, 3> bedding{};                                 // [1] gravel, [2] concrete
    std::vector<GlobalItemT> globals;                                // at most kGlobalKept
};

// The unit price an item of chapters 1..8 takes (a slot of prices); nullptr when the item
// has none (a position beyond the priced ones).
double* PriceSlot(UnitPrices& prices, const BudgetItem& item);
double PriceOf(const UnitPrices& prices, const BudgetItem& item);

// The rules of the price fields of the two price screens, for a value from anywhere (the
// screens, an import, the command line, the price file): two decimals at most, not below
// 0, and no wider than the field (14 characters for a unit price, 16 for the value of a
// lump-sum item). "" when the value passes, else the field editor's message (code page).
constexpr int kUnitPriceWidth = 14;
constexpr int kGlobalValueWidth = 16;
std::string UnitPriceRule(double price);
std::string GlobalValueRule(double value);

// round(x · 100) / 100, halves away from zero.
double RoundToCents(double x);

// "XSANPRE." + code + "0" in the project subfolder, whatever the open sector.
std::string PriceFilePath(const project::Project& p);

enum class PriceRead { Read, Missing, Damaged };

struct PriceFileResult {
    PriceRead status = PriceRead::Read;
    std::string error;  // Damaged: what is wrong, naming the file (code page)
};

// firstDuct: n, the positions stored (the further ducts are not kept). A missing file
// gives empty prices and no lump-sum item; a damaged one leaves prices untouched.
PriceFileResult ReadPriceFile(const std::string& path, int firstDuct, UnitPrices& prices);
// Every price rounded to cents first; written whole through a temporary file. False with
// *error (code page, naming the file).
bool WritePriceFile(const std::string& path, int firstDuct, UnitPrices& prices, std::string* error);

}  // namespace nivex::budget
