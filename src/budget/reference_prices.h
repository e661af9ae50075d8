#pragma once
// Reference unit prices for a project that has none yet: an order-of-magnitude table in
// Colombian pesos, good enough to compare two designs of the same network, never a budget.
// docs/precios-referencia.md gives every value and formula with its source and date.

#include <span>

#include "budget/budget_items.h"
#include "budget/price_file.h"
#include "quantities/quantity_rules.h"
#include "specs/espec.h"

namespace nivex::budget {

// A price per unit as a power of the size: a · (D / 1000)^b, D in mm.
struct PowerLaw {
    double a = 0;  // pesos at D = 1000 mm
    double b = 0;
    double operator()(double size) const;
};

struct PriceAnchor {
    double size;   // mm
    double price;  // pesos
};

// The least-squares line through the anchors in logarithms (at least two distinct sizes).
PowerLaw FitPowerLaw(std::span<const PriceAnchor> anchors);

// Supply and installation of a circular pipe in the shallowest excavation range, pesos per
// metre: the law fitted to the anchors of the reference table.
PowerLaw ReferencePipeLaw();

// The reference price of one item of chapters 1..8 for the criteria whose limits are l.
double ReferencePrice(const quantities::QuantityLimits& l, const BudgetItem& item);

// Every item of chapters 1..8 that BuildBudgetChapters(e) lists, priced from the reference
// table (whole pesos); no lump-sum item.
UnitPrices ReferencePrices(const specs::EspecT& e);

}  // namespace nivex::budget
