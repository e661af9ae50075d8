#pragma once
// Workbooks read back by an independent reader: openpyxl in the build's Python, once with
// the formulas as text and once with the values a spreadsheet stored for them. And a
// designed project of the batch rig taken through quantities, prices and budget.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "swmm/swmm_project_rig.h"

namespace nivex::exchange::testing {

// One cell as openpyxl gives it: kind 'n' a number, 's' a text, 'f' a formula (value its
// text, cached the value stored with it); rows and columns count from 1.
struct ReadCell {
    char kind = 0;
    std::string value;
    std::string cached;
    std::string format;
    double number() const { return std::strtod(value.c_str(), nullptr); }
    double cachedNumber() const { return std::strtod(cached.c_str(), nullptr); }
};

struct ReadSheet {
    std::string freeze;
    std::map<std::pair<int, int>, ReadCell> cells;
    int rows = 0;
    const ReadCell* at(int row, int column) const {
        const auto it = cells.find({row, column});
        return it == cells.end() ? nullptr : &it->second;
    }
    std::string text(int row, int column) const {
        const ReadCell* c = at(row, column);
        return c ? c->value : "";
    }
};

struct ReadBook {
    std::string error;  // empty when read
    std::vector<std::string> names;
    std::map<std::string, ReadSheet> sheets;
};

// Cents of a money figure, for comparisons to the cent.
inline long long Cents(double v) {
    return std::llround(v * 100);
}

inline const char* kReadScript = R"(import sys, openpyxl
book, out = sys.argv[1], sys.argv[2]
wf = openpyxl.load_workbook(book)
wv = openpyxl.load_workbook(book, data_only=True)
with open(out, 'w', encoding='utf-8', newline='\n') as f:
    for ws in wf.worksheets:
        f.write('#\t%s\t%s\n' % (ws.title, ws.freeze_panes or ''))
        cv = wv[ws.title]
        for row in ws.iter_rows():
            for c in row:
                v = c.value
                if v is None:
                    continue
                if c.data_type == 'f':
                    kind = 'f'
                elif isinstance(v, str):
                    kind = 's'
                elif isinstance(v, bool):
                    kind = 'b'
                elif isinstance(v, (int, float)):
                    kind = 'n'
                else:
                    kind = 'x'
                text = v if isinstance(v, str) else repr(v)
                cached = cv.cell(row=c.row, column=c.column).value
                cached = '' if cached is None else cached if isinstance(cached, str) else repr(cached)
                f.write('%s\t%d\t%d\t%s\t%s\t%s\t%s\n' % (ws.title, c.row, c.column, kind, text,
                                                          cached, c.number_format))
)";

inline std::string Quoted(const std::string& s) {
    return "'" + s + "'";
}

// Whether the build's Python has openpyxl.
inline bool OpenpyxlAvailable() {
    return std::system((Quoted(NIVEX_PYTHON) + " -c 'import openpyxl' >/dev/null 2>&1").c_str()) ==
           0;
}

inline std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    return fields;
}

// The workbook at path read by openpyxl; scratch is a folder for the script and its output.
inline ReadBook ReadWithOpenpyxl(const std::filesystem::path& path,
                                 const std::filesystem::path& scratch) {
    ReadBook book;
    const std::filesystem::path script = scratch / "read_xlsx.py";
    const std::filesystem::path out = scratch / "read_xlsx.txt";
    std::ofstream(script) << kReadScript;
    const std::string command = Quoted(NIVEX_PYTHON) + " " + Quoted(script.string()) + " " +
                                Quoted(path.string()) + " " + Quoted(out.string());
    if (std::system(command.c_str()) != 0) {
        book.error = "openpyxl could not read " + path.string();
        return book;
    }
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> f = Split(line);
        if (f.size() >= 2 && f[0] == "#") {
            book.names.push_back(f[1]);
            book.sheets[f[1]].freeze = f.size() > 2 ? f[2] : "";
            continue;
        }
        if (f.size() < 7) {
            book.error = "unreadable line: " + line;
            return book;
        }
        ReadSheet& sheet = book.sheets[f[0]];
        const int row = std::atoi(f[1].c_str());
        sheet.cells[{row, std::atoi(f[2].c_str())}] = {f[3][0], f[4], f[5], f[6]};
        sheet.rows = std::max(sheet.rows, row);
    }
    return book;
}

// A designed project of class 1 on a 3 × 3 grid of 60 m reaches at 1 % (25 reaches).
class WorkbookProjectTest : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        if (!OpenpyxlAvailable()) {
            GTEST_SKIP() << "openpyxl cannot be imported by " << NIVEX_PYTHON;
        }
        Design(1);
    }
    cli::BatchOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--project", "AB1"});
        return batch(args);
    }
    // The unit price of the k-th item of the price list: 1000 + 37.13 k, every one above 0.
    static double PriceOfRow(int k) { return 1000 + 37.13 * k; }
    // Stages, quantities, every price set, budget: every step must succeed.
    void Budget(const std::vector<std::string>& stages) {
        std::vector<std::string> set{"stages", "set"};
        set.insert(set.end(), stages.begin(), stages.end());
        if (!stages.empty()) {
            ASSERT_EQ(run(set).rc, 0);
        }
        cli::BatchOutcome r = run({"quantities"});
        ASSERT_EQ(r.rc, 0) << r.err;
        r = run({"prices", "export"});
        ASSERT_EQ(r.rc, 0) << r.err;
        std::istringstream in(r.out);
        std::ostringstream csv;
        std::string line;
        std::getline(in, line);
        csv << line << "\r\n";
        char price[32];
        for (int k = 0; std::getline(in, line); ++k) {
            std::snprintf(price, sizeof price, "%.2f", PriceOfRow(k));
            csv << line.substr(0, line.rfind(',') + 1) << price << "\r\n";
        }
        const std::filesystem::path file = base_ / "precios.csv";
        std::ofstream(file, std::ios::binary) << csv.str();
        r = run({"prices", "import", file.string()});
        ASSERT_EQ(r.rc, 0) << r.err;
        budgetOut = run({"budget"});
        ASSERT_EQ(budgetOut.rc, 0) << budgetOut.err;
    }
    ReadBook Read(const std::filesystem::path& path) {
        ReadBook book = ReadWithOpenpyxl(path, base_);
        EXPECT_EQ(book.error, "");
        return book;
    }

    cli::BatchOutcome budgetOut;
};

// A system's budget as its sheet shows it: the stored value of every chapter subtotal and of
// the total, in cents.
struct ReadChapter {
    int number = 0;
    long long cents = 0;
};
struct ReadBudget {
    std::string system;
    std::vector<ReadChapter> chapters;
    long long total = 0;
};

// Walks the budget sheet checking on the way that its formulas add up: an item's value is
// ROUND(C*D,2) of its own row, a subtotal the SUM over the rows of its chapter, the total the
// SUM of the subtotals; and that the value stored with each is that arithmetic to the cent.
inline std::vector<ReadBudget> WalkBudget(const ReadSheet& sheet) {
    std::vector<ReadBudget> systems;
    int first = 0;  // the first row of the chapter
    long long items = 0;
    std::string subtotals;
    long long sum = 0;
    for (int r = 1; r <= sheet.rows; ++r) {
        const std::string a = sheet.text(r, 1), d = sheet.text(r, 4), row = std::to_string(r);
        const ReadCell* e = sheet.at(r, 5);
        if (a.rfind("PRESUPUESTO ", 0) == 0) {
            systems.push_back({a.substr(12), {}, 0});
            subtotals.clear();
            sum = 0;
            first = 0;
        } else if (a.rfind("CAPITULO #", 0) == 0) {
            first = r + 1;
            items = 0;
        } else if (d.rfind("SUBTOTAL CAPITULO #", 0) == 0) {
            EXPECT_TRUE(e && e->kind == 'f') << "row " << r;
            if (!e || systems.empty()) continue;
            EXPECT_EQ(e->value,
                      "=SUM(E" + std::to_string(first) + ":E" + std::to_string(r - 1) + ")");
            EXPECT_EQ(Cents(e->cachedNumber()), items) << "row " << r;
            systems.back().chapters.push_back(
                {std::atoi(d.c_str() + 19), Cents(e->cachedNumber())});
            subtotals += (subtotals.empty() ? "E" : ",E") + row;
            sum += Cents(e->cachedNumber());
            first = 0;
        } else if (d == "TOTAL GENERAL") {
            EXPECT_TRUE(e && e->kind == 'f') << "row " << r;
            if (!e || systems.empty()) continue;
            EXPECT_EQ(e->value, "=SUM(" + subtotals + ")");
            EXPECT_EQ(Cents(e->cachedNumber()), sum) << "row " << r;
            systems.back().total = Cents(e->cachedNumber());
        } else if (e && first > 0) {
            if (e->kind == 'f') {
                EXPECT_EQ(e->value, "=ROUND(C" + row + "*D" + row + ",2)");
                const ReadCell* q = sheet.at(r, 3);
                const ReadCell* p = sheet.at(r, 4);
                EXPECT_TRUE(q && p && q->kind == 'n' && p->kind == 'n') << "row " << r;
                if (!q || !p) continue;
                const long long value = std::llround(q->number() * p->number() * 100);
                EXPECT_EQ(Cents(e->cachedNumber()), value) << "row " << r;
                items += value;
            } else {
                EXPECT_EQ(e->kind, 'n') << "row " << r;  // a lump-sum item
                items += Cents(e->number());
            }
        }
    }
    return systems;
}

}  // namespace nivex::exchange::testing
