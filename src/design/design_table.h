#pragma once
// The design fields of a record of the design copy by name, as "dump design --csv" prints
// them and the exchange formats carry them: after the line and the two manhole names, the
// values below in this order.

#include <string>
#include <vector>

#include "network/tramo.h"

namespace nivex::design {

struct DesignColumn {
    const char* name;
    bool whole;  // a mark or a count; otherwise a real number in the column's unit
};

// The columns after "linea", "de" and "a".
const std::vector<DesignColumn>& DesignValueColumns();

// One value per column of DesignValueColumns, in order; a whole column's value is integral.
// Reals are the record's single floats, unchanged.
std::vector<float> DesignValuesOf(const network::TramoT& t);

// "linea,de,a," and the names of DesignValueColumns, separated by commas.
std::string DesignColumnsLine();

}  // namespace nivex::design
