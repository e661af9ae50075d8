#include "budget/price_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "budget/price_lines.h"
#include "console/codepage.h"
#include "console/screen.h"
#include "project/file_size.h"
#include "project/replace_file.h"
#include "quantities/quantity_file.h"

namespace nivex::budget {
namespace {

bool Inside(int v, int low, int high) {
    return v >= low && v <= high;
}

// The order of the file, once for both directions.
template <class Io, class Prices>
void Layout(Io& io, Prices& p, int n) {
    const size_t positions = static_cast<size_t>(std::clamp(n, 0, kPricePositions));
    for (size_t i = 1; i <= 6; ++i)
        for (size_t j = 1; j <= 4; ++j)
            io.Number(p.excavation[i][j]);
    for (size_t i = 1; i <= 3; ++i)
        io.Number(p.fill[i]);
    for (auto& group : p.manholes)
        for (size_t row = 1; row <= 2; ++row)
            for (size_t j = 1; j <= 4; ++j)
                io.Number(group[row][j]);
    for (size_t r = 1; r <= 4; ++r)
        for (size_t k = 1; k <= positions; ++k)
            io.Number(p.pipes[r][k]);
    for (size_t k = 1; k <= positions; ++k)
        io.Number(p.connections[k]);
    io.Number(p.bedding[1]);
    io.Number(p.bedding[2]);
    io.Globals(p.globals);
    for (size_t k = 1; k <= positions; ++k)
        io.Number(p.drops[k]);
    for (size_t k = 1; k <= positions; ++k)
        io.Number(p.removals[k]);
}

void RoundAll(UnitPrices& p) {
    struct Rounder {
        void Number(double& v) { v = RoundToCents(v); }
        void Globals(std::vector<GlobalItemT>& items) {
            for (GlobalItemT& g : items)
                g.value = RoundToCents(g.value);
        }
    } rounder;
    Layout(rounder, p, kPricePositions);
}

}  // namespace

std::string PriceRule(double value, int width) {
    console::CampoT field;
    field.type = 'R';
    field.width = static_cast<int16_t>(width);
    field.decimals = 2;
    field.minimum = "0";
    return console::validateFieldValue(field, value);
}

std::string UnitPriceRule(double price) {
    return PriceRule(price, kUnitPriceWidth);
}

std::string GlobalValueRule(double value) {
    return PriceRule(value, kGlobalValueWidth);
}

double RoundToCents(double x) {
    if (!std::isfinite(x)) return 0;
    const double cents = x * 100.0;
    // A half cent reached through binary noise still goes up. The nudge is a few units of
    // the last place: a fixed share of the value would add whole cents to large budgets.
    const double noise =
        8 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(cents));
    return std::round(cents + std::copysign(noise, cents)) / 100.0;
}

double* PriceSlot(UnitPrices& p, const BudgetItem& item) {
    const int a = item.first, b = item.second;
    const auto slot = [](auto& array, int k) -> double* {
        return Inside(k, 1, kPricePositions) ? &array[static_cast<size_t>(k)] : nullptr;
    };
    switch (item.source) {
        case QuantitySource::Excavation:
            return Inside(a, 1, 6) && Inside(b, 1, 4)
                       ? &p.excavation[static_cast<size_t>(a)][static_cast<size_t>(b)]
                       : nullptr;
        case QuantitySource::Fill:
            return Inside(a, 1, 3) ? &p.fill[static_cast<size_t>(a)] : nullptr;
        case QuantitySource::Manholes:
            return Inside(a, 0, 2) && Inside(b, 1, 3)
                       ? &p.manholes[static_cast<size_t>(a)][1][static_cast<size_t>(b)]
                       : nullptr;
        case QuantitySource::Pipes:
            return Inside(a, 1, 4) ? slot(p.pipes[static_cast<size_t>(a)], b) : nullptr;
        case QuantitySource::Connections:
            return slot(p.connections, a);
        case QuantitySource::Bedding:
            return Inside(a, 1, 2) ? &p.bedding[static_cast<size_t>(a)] : nullptr;
        case QuantitySource::Drops:
            return slot(p.drops, a);
        case QuantitySource::Removals:
            return slot(p.removals, a);
    }
    return nullptr;
}

double PriceOf(const UnitPrices& prices, const BudgetItem& item) {
    const double* slot = PriceSlot(const_cast<UnitPrices&>(prices), item);
    return slot ? *slot : 0.0;
}

std::string PriceFilePath(const project::Project& p) {
    return p.files.folder() + "XSANPRE." + p.selection.code + "0";
}

PriceFileResult ReadPriceFile(const std::string& path, int firstDuct, UnitPrices& prices) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        prices = UnitPrices{};
        return {PriceRead::Missing, ""};
    }
    if (std::string big = project::OversizedFile(path, project::kMostNumberFileBytes); !big.empty())
        return {PriceRead::Damaged, cp(big)};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {PriceRead::Damaged, cp("No se pudo leer el archivo ") + path};
    UnitPrices read;
    PriceLineReader reader{in};
    reader.priceRules = true;
    Layout(reader, read, firstDuct);
    if (reader.failed) {
        const std::string what = reader.cut ? " termina antes de tiempo (linea "
                                            : " tiene un dato invalido en la linea ";
        return {PriceRead::Damaged, cp("El archivo de precios ") + path + cp(what) +
                                        std::to_string(reader.line) + (reader.cut ? ")" : "")};
    }
    // Another size table leaves lines over: the prices would not belong to their items.
    std::string extra;
    while (std::getline(in, extra))
        if (!extra.empty() && extra != "\r")
            return {PriceRead::Damaged,
                    cp("El archivo de precios ") + path +
                        cp(" no corresponde a la tabla de diametros del proyecto")};
    prices = std::move(read);
    return {};
}

bool WritePriceFile(const std::string& path, int firstDuct, UnitPrices& prices,
                    std::string* error) {
    RoundAll(prices);
    if (prices.globals.size() > static_cast<size_t>(kGlobalKept))
        prices.globals.resize(static_cast<size_t>(kGlobalKept));
    PriceLineWriter writer;
    Layout(writer, prices, firstDuct);
    std::string message;
    if (project::ReplaceFileContents(path, writer.out, &message)) return true;
    if (error) *error = cp(message);
    return false;
}

}  // namespace nivex::budget
