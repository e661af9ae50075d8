// Unit prices and lump-sum items from the command line: the prices of the entry screen as
// CSV out and in, and the lump-sum rows set one at a time with the rules of their screen.

#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "budget/price_screens.h"
#include "cli/batch_context.h"
#include "console/codepage.h"
#include "exchange/csv_line.h"
#include "project/file_size.h"

namespace nivex::cli {
namespace {

using budget::BudgetItem;
using budget::PriceBook;
using budget::QuantitySource;

constexpr const char* kCsvHeader = "capitulo,item,precio";
constexpr const char* kGlobalsHeader = "fila,descripcion,etapa,valor";
constexpr size_t kDescriptionMost = 255;

// An item as the CSV names it (code page): chapters 1, 3 and 4 repeat the same item text
// under each heading, so the heading goes first.
struct NamedItem {
    int chapter = 0;
    std::string text;
    BudgetItem item;
};

std::vector<NamedItem> NamedItems(const PriceBook& book) {
    std::vector<NamedItem> items;
    for (const budget::BudgetChapter& c : book.chapters)
        for (const budget::ItemGroup& g : c.groups)
            for (const BudgetItem& item : g.items)
                items.push_back({c.number,
                                 g.heading.empty() ? item.text : g.heading + " / " + item.text,
                                 item});
    return items;
}

std::string CsvField(const std::string& utf8) {
    if (utf8.find_first_of(",\"") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string PriceText(double value) {
    char buffer[400];  // room for the largest double in full
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return end.ec == std::errc() ? std::string(buffer, end.ptr) : std::string("?");
}

// A price of the command line or the CSV: a number, '.' as the decimal point.
bool ParseNumber(const std::string& text, double& value) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    const char* begin = t.data() + (t[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(begin, t.data() + t.size(), value);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(value);
}

bool ParseInt(const std::string& text, int& value) {
    const std::string t = Trim(text);
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

// The size position of an item priced per position, 0 for the others.
int PositionOf(const BudgetItem& item) {
    switch (item.source) {
        case QuantitySource::Pipes:
            return item.second;
        case QuantitySource::Connections:
        case QuantitySource::Drops:
        case QuantitySource::Removals:
            return item.first;
        default:
            return 0;
    }
}

bool SamePrices(const PriceBook& book, budget::UnitPrices& a, budget::UnitPrices& b) {
    for (const NamedItem& n : NamedItems(book)) {
        const double* x = budget::PriceSlot(a, n.item);
        const double* y = budget::PriceSlot(b, n.item);
        if (x && y && *x != *y) return false;
    }
    return true;
}

int OpenBook(Batch& b, PriceBook& book) {
    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    std::string error;
    if (!budget::LoadPriceBook(b.session.project, book, &error)) return b.Fail(toUtf8(error));
    return 0;
}

int Export(Batch& b, PriceBook& book) {
    std::ostringstream csv;
    csv << kCsvHeader << '\n';
    for (const NamedItem& n : NamedItems(book)) {
        const double* slot = budget::PriceSlot(book.prices, n.item);
        if (!slot) continue;  // a position without a price
        csv << n.chapter << ',' << CsvField(toUtf8(n.text)) << ',' << PriceText(*slot) << '\n';
    }
    const std::string out = b.options.value("--out");
    if (out.empty()) {
        b.out << csv.str();
        return 0;
    }
    if (const std::string failure = WriteOut(out, csv.str()); !failure.empty())
        return b.Fail(failure);
    return 0;
}

int Import(Batch& b, PriceBook& book, const std::string& file) {
    if (const std::string big = project::OversizedFile(file, project::kMostNumberFileBytes);
        !big.empty())
        return b.Fail(big);
    std::ifstream in(file, std::ios::binary);
    if (!in) return b.Fail("Error: no se puede leer el archivo " + file);
    std::map<std::pair<int, std::string>, BudgetItem> byName;
    for (NamedItem& n : NamedItems(book))
        byName.emplace(std::make_pair(n.chapter, std::move(n.text)), n.item);

    // Every row is checked before anything is stored: a file with one bad row changes
    // nothing.
    budget::UnitPrices prices = book.prices;
    std::vector<std::string> notKept;
    std::string line;
    int row = 0, imported = 0;
    bool first = true;
    std::vector<std::string> fields;
    while (std::getline(in, line)) {
        ++row;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty()) continue;
        if (first && Trim(line) == kCsvHeader) {
            first = false;
            continue;
        }
        first = false;
        const std::string at = "Error: fila " + std::to_string(row) + ": ";
        if (!exchange::SplitCsvLine(line, ',', fields) || fields.size() != 3)
            return b.Fail(at + "se esperaban 3 campos (capitulo,item,precio)");
        int chapter = 0;
        if (!ParseInt(fields[0], chapter)) return b.Fail(at + "capitulo no numerico: " + fields[0]);
        const auto found = byName.find({chapter, cp(Trim(fields[1]))});
        if (found == byName.end())
            return b.Fail(at + "item desconocido en el capitulo " + std::to_string(chapter) + ": " +
                          fields[1]);
        double price = 0;
        if (!ParseNumber(fields[2], price)) return b.Fail(at + "precio no numerico: " + fields[2]);
        if (price < 0) return b.Fail(at + "precio negativo: " + fields[2]);
        if (const std::string rule = budget::UnitPriceRule(price); !rule.empty())
            return b.Fail(at + fields[2] + ": " + toUtf8(rule));
        double* slot = budget::PriceSlot(prices, found->second);
        if (!slot) return b.Fail(at + "el item no lleva precio: " + fields[1]);
        *slot = price;
        ++imported;
        if (PositionOf(found->second) > book.firstDuct && *slot != 0)
            notKept.push_back("Aviso: fila " + std::to_string(row) +
                              ": el precio de un ducto despues del primero sirve para el "
                              "presupuesto pero no se guarda en el archivo de precios");
    }
    if (in.bad()) return b.Fail("Error: no se puede leer el archivo " + file);

    const bool changed = !SamePrices(book, book.prices, prices);
    book.prices = prices;
    std::string error;
    if (!budget::StorePrices(b.session.project, book, changed, &error))
        return b.Fail(toUtf8(error));
    for (const std::string& warning : notKept)
        b.err << warning << '\n';
    b.out << "precios: " << imported << '\n';
    return 0;
}

void PrintGlobals(Batch& b, const PriceBook& book) {
    b.out << kGlobalsHeader << '\n';
    int row = 0;
    for (const budget::GlobalItemT& g : book.prices.globals)
        b.out << ++row << ',' << CsvField(toUtf8(g.description)) << ',' << g.tag << ','
              << PriceText(g.value) << '\n';
}

}  // namespace

int VerbPrices(Batch& b) {
    const auto& operands = b.options.operands;
    const bool exporting = operands.size() == 1 && operands[0] == "export";
    const bool importing = operands.size() == 2 && operands[0] == "import";
    if (!exporting && !importing)
        return b.Fail("Error: prices lleva export [--out ARCHIVO] o import ARCHIVO.csv");
    PriceBook book;
    if (int rc = OpenBook(b, book)) return rc;
    return exporting ? Export(b, book) : Import(b, book, operands[1]);
}

int VerbGlobals(Batch& b) {
    const auto& operands = b.options.operands;
    const bool setting = operands.size() == 5 && operands[0] == "set";
    if (!operands.empty() && !setting)
        return b.Fail("Error: globals lleva set FILA \"DESCRIPCION\" ETAPA VALOR, o nada");
    budget::GlobalItemT item;
    int row = 0;
    if (setting) {
        if (!ParseInt(operands[1], row) || row < 1 || row > budget::kGlobalRows)
            return b.Fail("Error: la fila debe ser de 1 a " + std::to_string(budget::kGlobalRows));
        item.description = cp(operands[2]);
        if (item.description.size() > kDescriptionMost)
            return b.Fail("Error: la descripcion pasa de 255 caracteres");
        item.tag = upper(Trim(operands[3]));
        if (item.tag.empty()) item.tag = "0";
        if (const std::string problem = budget::GlobalTagProblem(item.tag); !problem.empty())
            return b.Fail(problem + ": " + operands[3]);
        if (!ParseNumber(operands[4], item.value))
            return b.Fail("Error: valor no numerico: " + operands[4]);
        if (item.value < 0) return b.Fail("Error: el valor no puede ser negativo: " + operands[4]);
        if (const std::string rule = budget::GlobalValueRule(item.value); !rule.empty())
            return b.Fail(operands[4] + ": " + toUtf8(rule));
    }
    PriceBook book;
    if (int rc = OpenBook(b, book)) return rc;
    if (setting) {
        std::vector<budget::GlobalItemT> rows = book.prices.globals;
        if (static_cast<int>(rows.size()) < budget::kGlobalRows) rows.resize(budget::kGlobalRows);
        rows[static_cast<size_t>(row - 1)] = item;
        std::string error;
        if (!budget::StoreGlobals(b.session.project, book, rows, &error))
            return b.Fail(toUtf8(error));
    }
    PrintGlobals(b, book);
    return 0;
}

}  // namespace nivex::cli
