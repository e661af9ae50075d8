#pragma once
// The lines of the price and budget files: numbers in the real notation one per line, and
// the lump-sum items as their count (a plain integer) followed by description, value and
// stage tag. Used by a file's layout for writing and for reading.

#include <charconv>
#include <istream>
#include <string>
#include <vector>

#include "budget/price_file.h"
#include "quantities/quantity_file.h"

namespace nivex::budget {

struct PriceLineWriter {
    std::string out;
    void Line(const std::string& text) {
        out += text;
        out += "\r\n";
    }
    void Number(const double& v) { Line(quantities::RealText(v)); }
    void Globals(const std::vector<GlobalItemT>& items) {
        Line(std::to_string(items.size()));
        for (const GlobalItemT& g : items) {
            Line(g.description);
            Number(g.value);
            Line(g.tag);
        }
    }
};

struct PriceLineReader {
    std::istream& in;
    int line = 0;
    bool failed = false;
    bool cut = false;
    // The price file: every number passes the rule of its price field.
    bool priceRules = false;

    bool Next(std::string& text) {
        if (failed) return false;
        ++line;
        if (!std::getline(in, text)) {
            failed = cut = true;
            return false;
        }
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return true;
    }
    void Number(double& v) { Value(v, false); }
    void Value(double& v, bool global) {
        std::string text;
        if (!Next(text)) return;
        if (!quantities::ParseReal(text, v)) failed = true;
        if (failed || !priceRules) return;
        if (!(global ? GlobalValueRule(v) : UnitPriceRule(v)).empty()) failed = true;
    }
    void Globals(std::vector<GlobalItemT>& items) {
        std::string text;
        if (!Next(text)) return;
        int count = -1;
        const char* end = text.data() + text.size();
        size_t a = text.find_first_not_of(' ');
        if (a == std::string::npos) a = text.size();
        auto r = std::from_chars(text.data() + a, end, count);
        if (r.ec != std::errc{} || r.ptr != end || count < 0 || count > kGlobalKept) {
            failed = true;
            return;
        }
        items.assign(static_cast<size_t>(count), GlobalItemT{});
        for (GlobalItemT& g : items) {
            Next(g.description);
            Value(g.value, true);
            Next(g.tag);
        }
    }
};

}  // namespace nivex::budget
