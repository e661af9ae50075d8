#pragma once
// The design fields of a reach record as a table: the columns of "dump design --csv" and of
// the design sheet of the workbook, by name, unit and kind, and the cells of one record.

#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::design {

enum class ColumnKind { Text, Integer, Real };

struct DesignColumn {
    const char* name;     // the CSV name: "Q"
    const char* caption;  // with its unit, UTF-8: "Q (l/s)"
    ColumnKind kind;
    int decimals;  // as the design listings print it
};

// linea, de, a, clase, ... pozo_nuevo.
const std::vector<DesignColumn>& DesignColumns();

// One cell: text (code page) for the names, integer or float for the rest.
struct DesignCell {
    std::string text;
    int integer = 0;
    float real = 0;
};

// The cells of the record at `line` of the design copy, in the order of DesignColumns().
std::vector<DesignCell> DesignCells(int line, network::TramoT& t);

// The shortest text that reads back as the same float, '.' as separator: a real cell as
// the CSV writes it, and as the workbook stores it (that text read as a double).
std::string ShortestText(float v);

}  // namespace nivex::design
