#pragma once
// The fields of a row of a SWMM 5 input file, as the engine splits them: blanks or tabs
// between fields, a field in double quotes may hold blanks, a ';' outside quotes starts
// a comment.

#include <string>
#include <string_view>
#include <vector>

namespace nivex::swmm {

inline std::vector<std::string> InputFields(std::string_view row) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < row.size()) {
        while (i < row.size() && blank(row[i]))
            ++i;
        if (i >= row.size() || row[i] == ';') break;
        if (row[i] == '"') {
            const size_t close = row.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? row.size() : close;
            fields.emplace_back(row.substr(i + 1, end - i - 1));
            i = end == row.size() ? end : end + 1;
        } else {
            const size_t start = i;
            while (i < row.size() && !blank(row[i]) && row[i] != ';')
                ++i;
            fields.emplace_back(row.substr(start, i - start));
        }
    }
    return fields;
}

}  // namespace nivex::swmm
