#include "budget/budget_run.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

#include "budget/price_lines.h"
#include "console/codepage.h"
#include "network/network_controls.h"
#include "project/file_size.h"
#include "project/replace_file.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"

namespace nivex::budget {
namespace {

using quantities::QuantityTables;

template <class Io, class Values>
void Layout(Io& io, Values& v) {
    const size_t s = static_cast<size_t>(std::max(v.sizeCount, 0));
    for (size_t i = 1; i <= 6; ++i)
        for (size_t j = 1; j <= 4; ++j)
            io.Number(v.excavation[i][j]);
    for (size_t i = 1; i <= 3; ++i)
        io.Number(v.fill[i]);
    for (auto& group : v.manholes)
        for (size_t row = 1; row <= 2; ++row)
            for (size_t j = 1; j <= 4; ++j)
                io.Number(group[row][j]);
    for (size_t r = 1; r <= 4; ++r)
        for (size_t p = 1; p <= s; ++p)
            io.Number(v.pipes[r][p]);
    for (size_t p = 1; p <= s; ++p)
        io.Number(v.connections[p]);
    io.Number(v.bedding[1]);
    io.Number(v.bedding[2]);
    io.Globals(v.globals);
    for (size_t c = 1; c <= kChapters; ++c)
        io.Number(v.chapters[c]);
    io.Number(v.total);
    for (size_t p = 1; p <= s; ++p)
        io.Number(v.drops[p]);
}

// Where an item's value goes in the budget file; nullptr for the removals, kept only in
// their chapter's total.
double* ValueSlot(BudgetValues& v, const BudgetItem& item) {
    const int a = item.first, b = item.second;
    const auto inside = [](int k, int low, int high) { return k >= low && k <= high; };
    const auto at = [&](std::vector<double>& list, int k) -> double* {
        return inside(k, 1, v.sizeCount) ? &list[static_cast<size_t>(k)] : nullptr;
    };
    switch (item.source) {
        case QuantitySource::Excavation:
            return inside(a, 1, 6) && inside(b, 1, 4)
                       ? &v.excavation[static_cast<size_t>(a)][static_cast<size_t>(b)]
                       : nullptr;
        case QuantitySource::Fill:
            return inside(a, 1, 3) ? &v.fill[static_cast<size_t>(a)] : nullptr;
        case QuantitySource::Manholes:
            return inside(a, 0, 2) && inside(b, 1, 3)
                       ? &v.manholes[static_cast<size_t>(a)][1][static_cast<size_t>(b)]
                       : nullptr;
        case QuantitySource::Pipes:
            return inside(a, 1, 4) ? at(v.pipes[static_cast<size_t>(a)], b) : nullptr;
        case QuantitySource::Connections:
            return at(v.connections, a);
        case QuantitySource::Bedding:
            return inside(a, 1, 2) ? &v.bedding[static_cast<size_t>(a)] : nullptr;
        case QuantitySource::Drops:
            return at(v.drops, a);
        case QuantitySource::Removals:
            return nullptr;
    }
    return nullptr;
}

int HighestTag(const std::string& tag) {
    return !tag.empty() && tag[0] >= '1' && tag[0] <= '3' ? tag[0] - '0' : 0;
}

}  // namespace

void BudgetValues::Clear(int sizes) {
    *this = BudgetValues{};
    sizeCount = std::max(sizes, 0);
    const size_t positions = static_cast<size_t>(sizeCount) + 1;
    for (auto& range : pipes)
        range.assign(positions, 0.0);
    connections.assign(positions, 0.0);
    drops.assign(positions, 0.0);
}

std::string BudgetFilePath(const project::FileNames& files, int system) {
    // The quantity file's base with V for Q: "SANNEWQ." → "SANNEWV.".
    const std::string quantity = quantities::QuantityFileBase(system);
    return files.path(quantity.substr(0, quantity.size() - 2) + "V.");
}

bool BelongsTo(const GlobalItemT& item, int system) {
    const bool existing = item.tag == "E";
    if (system == quantities::kSystemNew) return !existing;
    if (system == quantities::kSystemExisting) return existing;
    if (system == quantities::kSystemTotal) return true;
    return item.tag == std::to_string(system - quantities::kSystemTotal);
}

int CountUnpriced(const std::vector<BudgetChapter>& chapters, const QuantityTables& q,
                  const UnitPrices& prices) {
    int count = 0;
    for (const BudgetChapter& chapter : chapters)
        for (const ItemGroup& group : chapter.groups)
            for (const BudgetItem& item : group.items)
                if (ItemQuantity(q, item) > 0 && PriceOf(prices, item) == 0) ++count;
    return count;
}

BudgetValues ValueSystem(int system, const std::vector<BudgetChapter>& chapters,
                         const QuantityTables& q, const UnitPrices& prices) {
    BudgetValues v;
    v.Clear(q.sizeCount);
    for (const BudgetChapter& chapter : chapters)
        for (const ItemGroup& group : chapter.groups)
            for (const BudgetItem& item : group.items) {
                const double quantity = quantities::RoundTo2(ItemQuantity(q, item));
                const double value = RoundToCents(quantity * PriceOf(prices, item));
                if (double* slot = ValueSlot(v, item)) *slot = value;
                if (chapter.number >= 1 && chapter.number <= kBudgetChapters)
                    v.chapters[static_cast<size_t>(chapter.number)] += value;
            }
    for (const GlobalItemT& g : prices.globals)
        if (BelongsTo(g, system)) {
            v.globals.push_back(g);
            v.chapters[kChapters] += g.value;
        }
    for (size_t c = 1; c <= kChapters; ++c) {
        v.chapters[c] = RoundToCents(v.chapters[c]);
        v.total += v.chapters[c];
    }
    v.total = RoundToCents(v.total);
    return v;
}

bool WriteBudgetFile(const std::string& path, const BudgetValues& v, std::string* error) {
    PriceLineWriter writer;
    Layout(writer, v);
    std::string message;
    if (project::ReplaceFileContents(path, writer.out, &message)) return true;
    if (error) *error = cp(message);
    return false;
}

PriceFileResult ReadBudgetFile(const std::string& path, int sizes, BudgetValues& v) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {PriceRead::Missing, ""};
    if (std::string big = project::OversizedFile(path, project::kMostNumberFileBytes); !big.empty())
        return {PriceRead::Damaged, cp(big)};
    std::ifstream in(path, std::ios::binary);
    BudgetValues read;
    read.Clear(sizes);
    PriceLineReader reader{in};
    Layout(reader, read);
    if (!in.is_open() || reader.failed)
        return {PriceRead::Damaged,
                cp("El archivo de presupuesto ") + path +
                    cp(" esta incompleto o tiene un dato invalido en la linea ") +
                    std::to_string(reader.line)};
    v = std::move(read);
    return {};
}

std::vector<int> BudgetSystems(const specs::EspecT& e) {
    std::vector<int> systems;
    if (e.HasNewReach) systems.push_back(quantities::kSystemNew);
    const int stages =
        std::max(std::clamp(e.StageCount, 0, quantities::kMaxStages), HighestTag(e.BudgetStageTag));
    for (int k = 1; k <= stages; ++k)
        systems.push_back(quantities::kSystemTotal + k);
    return systems;
}

std::string UnpricedMessage(int system, int count) {
    return "En " + quantities::SystemTitle(system) + " " + std::to_string(count) +
           " precio(s) unitario(s) esta(n) en CERO" + "\r" +
           "  (Los valores del presupuesto no se mostraran)" + "\r" +
           "(pero se podran ver en el resumen los demas datos)" + "\r" +
           "   Desea de todas maneras continuar el calculo ?";
}

BudgetOutcome RunBudget(project::Project& p, const UnpricedQuestion& ask) {
    BudgetOutcome out;
    std::string error;
    if (!network::LoadControlState(p, &error)) {
        out.stop = BudgetStop::FileError;
        out.message = cp(error);
        return out;
    }
    const int sizes = quantities::LimitsOf(p.espec).sizeCount();
    UnitPrices prices;
    const PriceFileResult priced =
        ReadPriceFile(PriceFilePath(p), specs::UsedDiameters(p.espec), prices);
    if (priced.status == PriceRead::Damaged) {
        out.stop = BudgetStop::FileError;
        out.message = priced.error;
        return out;
    }
    const std::vector<BudgetChapter> chapters = BuildBudgetChapters(p.espec);
    for (int system : BudgetSystems(p.espec)) {
        QuantityTables q;
        q.Clear(sizes);
        const quantities::QuantityFileResult read =
            quantities::ReadQuantityFile(quantities::QuantityFilePath(p.files, system), sizes, q);
        if (read.status == quantities::FileRead::Damaged) {
            out.stop = BudgetStop::QuantityFile;
            out.message = read.error;
            return out;
        }
        BudgetOutcome::System result{system, CountUnpriced(chapters, q, prices), {}};
        if (result.unpriced > 0) {
            if (ask(UnpricedMessage(system, result.unpriced)) != 'S') {
                out.stop = BudgetStop::Declined;
                return out;
            }
            result.values.Clear(sizes);
        } else {
            result.values = ValueSystem(system, chapters, q, prices);
        }
        if (!WriteBudgetFile(BudgetFilePath(p.files, system), result.values, &out.message)) {
            out.stop = BudgetStop::FileError;
            return out;
        }
        out.systems.push_back(std::move(result));
    }
    if (!network::WithControl(p, &error, [&] {
            p.header.StageDone[3] = 1;
            return network::SaveControlRecords(p, {}, &error);
        })) {
        out.stop = BudgetStop::FileError;
        out.message = cp(error);
    }
    return out;
}

}  // namespace nivex::budget
