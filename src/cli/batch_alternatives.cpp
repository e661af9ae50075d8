// The alternatives of the sector's last design run, as the dialog shows them: its table in
// CSV, or the comparison listing written to a file.

#include <string>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/alternatives_listing.h"
#include "design/alternatives_run.h"
#include "design/alternatives_table.h"
#include "network/network_controls.h"

namespace nivex::cli {
namespace {

constexpr const char* kHeadings[ui::kAlternativeColumns] = {
    "Clase",     "Prof. Med.",   "Costo ($)",     "Diam. Med.",    "Prof. Max.",  "Diam. Max.",
    "# Vertim.", "Prof.Fin.Max", "Prof.Fin.Min.", "Tram. Elimin.", "Alternativa", "Status"};

// A cell as a CSV field: quoted when it holds a comma or a quote.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

// The listing file copied where --listado says.
class ListingCopy : public ui::ListingViewer {
  public:
    explicit ListingCopy(std::string to) : to_(std::move(to)) {}
    void ShowListing(const std::string& file, const std::string&) override {
        failure = CopyOut(file, to_);
        written = failure.empty();
    }
    bool written = false;
    std::string failure = "Error: no se escribio el listado";

  private:
    std::string to_;
};

}  // namespace

int VerbAlternatives(Batch& b) {
    b.ui.setYes(true);
    if (int rc = b.OpenSector(false)) return rc;
    project::Project& p = b.session.project;
    std::string error;
    if (!network::LoadControlState(p, &error)) return b.Fail(error);
    design::AlternativesTable table;
    if (!design::ReadDesignState(table, design::DesignStatePath(p), &error)) return b.Fail(error);
    const int mode = design::TopologyModeOfRun(p);
    int n = 0;
    if (mode != design::kTopologyManual) {
        design::SortAlternatives(table);
        n = design::SelectAlternatives(table);
    }
    if (b.options.has("--listado")) {
        ListingCopy copy(b.options.value("--listado"));
        b.session.viewer = &copy;
        design::ListAlternatives(b.session, table, mode, n, p.header.AbandonedAlternatives);
        b.session.viewer = nullptr;
        if (!copy.written) return b.Fail(copy.failure);
        return 0;
    }
    const ui::AlternativesChoice choice =
        design::AlternativesRows(table, mode, n, p.espec.AlternativesRunDays);
    for (int k = 0; k < ui::kAlternativeColumns; ++k)
        b.out << (k ? "," : "") << Field(kHeadings[k]);
    b.out << '\n';
    for (const auto& row : choice.rows) {
        for (int k = 0; k < ui::kAlternativeColumns; ++k)
            b.out << (k ? "," : "") << Field(toUtf8(row[static_cast<size_t>(k)]));
        b.out << '\n';
    }
    return 0;
}

}  // namespace nivex::cli
