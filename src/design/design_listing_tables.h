#pragma once
// The tables of the design listings: their columns with the captions, and the row of a
// reach in each of them. Rows are code-page bytes beginning and ending with the bar 179.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "design/design_listing_cells.h"
#include "design/design_listing_data.h"

namespace nivex::design::tables {

// The row of record `record` (from 1); removed: the reach is one the design took out.
using RowFunction = std::function<std::string(int record, network::TramoT& t, bool removed)>;

struct Table {
    std::vector<cells::Column> columns;
    RowFunction row;
};

// What the rows need besides the reach.
struct Context {
    const shell::Session& session;
    const DesignCopy& copy;
    const SwmmResults* swmm = nullptr;  // the hydraulic-model forms only
    // The model's names of the nodes at both ends of every record (the model renames
    // head nodes and repeated ones); empty: the manhole names.
    const std::vector<std::pair<std::string, std::string>>* nodes = nullptr;
};

// The names a record's ends have in the model (record k + 1 at k).
const std::string& InletName(const Context& x, size_t k, const network::TramoT& t);
const std::string& OutletName(const Context& x, size_t k, const network::TramoT& t);

Table Hydraulic(const Context& x);
// nameWidth 7: the physical hydraulic-model form.
Table Physical(const Context& x, int nameWidth = 5);
Table SanitaryFlows(const Context& x);
Table StormFlows(const Context& x);
Table SwmmHydraulic(const Context& x);

// The energy junction of tributary t with the reach r that receives it.
std::vector<cells::Column> JunctionColumns();
std::string JunctionRow(const Context& x, int record, network::TramoT& t, network::TramoT& r);

// The initial manholes added: three entries a row.
std::vector<std::string> AddedManholeHeading();
std::string AddedManholeBottom();
// entries: (line, upstream, downstream) of up to three reaches; the rest dashed.
std::string AddedManholeRow(const std::vector<const network::TramoT*>& entries,
                            const std::vector<int>& lines);

}  // namespace nivex::design::tables
