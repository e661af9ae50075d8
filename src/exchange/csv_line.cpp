#include "exchange/csv_line.h"

namespace nivex::exchange {

bool SplitCsvLine(std::string_view line, char sep, std::vector<std::string>& fields) {
    fields.assign(1, {});
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == sep) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return !quoted;
}

}  // namespace nivex::exchange
