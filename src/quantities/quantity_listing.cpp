#include "quantities/quantity_listing.h"

#include <algorithm>

#include "listings/listing_file.h"
#include "listings/listing_steps.h"
#include "network/general_listing_parts.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_run.h"
#include "shell/session.h"

namespace nivex::quantities {
namespace {

constexpr const char* kRangeTitle = "LISTADO DE CANTIDADES DE OBRA ";
constexpr const char* kPageTitle = "C A N T I D A D E S   D E   O B R A";
constexpr const char* kViewerTitle = "Cantidades Obra";
constexpr const char* kNotComputed = "... Falta calcular las cantidades de obra ...";
constexpr int kWidth = 100;  // the widest table, that of the pipes, fills it
constexpr int kStatusRow = 12;

std::string SystemText(int system) {
    if (system >= kFirstStageSystem)
        return "[ ETAPA # " + std::to_string(system - kSystemTotal) + " ]";
    return "[ " + SystemTitle(system) + " ]";
}

// The project, the system and the sheet; the double lines around the title.
std::vector<std::string> HeaderLines(const shell::Session& s, int system, std::string_view title,
                                     int width, int sheet) {
    const std::string project = listings::ProjectText(s);
    const std::string sheetText = "HOJA No." + std::to_string(sheet);
    const std::string systemText = SystemText(system);
    const auto place = [](std::string& line, int at, const std::string& text) {
        line.resize(static_cast<size_t>(std::max(at, static_cast<int>(line.size()) + 1)), ' ');
        line += text;
    };
    std::string first = project;
    const int space = width - static_cast<int>(project.size()) - 10;
    place(first,
          static_cast<int>(project.size()) + (space - static_cast<int>(systemText.size())) / 2,
          systemText);
    place(first, width - 10, sheetText);

    const std::string rule(static_cast<size_t>(width), static_cast<char>(listings::kDoubleLine));
    std::string middle = "******";
    place(middle, (width - static_cast<int>(title.size())) / 2, std::string(title));
    place(middle, width - 6, "******");
    return {first, rule, middle, rule};
}

// Starts a new page when the lines do not fit on this one but would on an empty one.
bool Keep(shell::Session& s, listings::ListingRun& run, int lines) {
    const listings::ListingState& st = s.listing;
    const int room = st.LinesPerPage - st.PageLine;
    const int page = st.LinesPerPage - listings::kHeaderLines;
    if (lines <= room || lines > page || st.PageLine <= listings::kHeaderLines) return true;
    return run.NewPage(run.title());
}

int Lines(const QuantityTable& t) {
    return static_cast<int>(t.before.size() + t.head.size() + t.rows.size()) + 1;
}

// A table that does not fit starts the next page; one longer than a page breaks
// inside, its heading repeated.
bool WriteTable(shell::Session& s, listings::ListingRun& run, const QuantityTable& t) {
    if (!Keep(s, run, Lines(t))) return false;
    for (const std::string& line : t.before)
        if (!run.Row(line)) return false;
    for (const std::string& line : t.head) {
        if (!run.BeforeLine()) return false;
        run.Centred(line);
    }
    run.heading = [&] {
        for (const std::string& line : t.head)
            run.Centred(line);
    };
    run.closeTable = [&] { run.Centred(t.bottom); };
    bool going = true;
    for (const std::string& row : t.rows) {
        going = run.BeforeLine();
        if (!going) break;
        run.Centred(row);
    }
    run.heading = nullptr;
    run.closeTable = nullptr;
    if (going) run.Centred(t.bottom);
    return going;
}

// The title and paragraphs are kept with the first table when they fit together.
bool WriteSection(shell::Session& s, listings::ListingRun& run, const QuantitySection& section) {
    int first = static_cast<int>(section.prose.size()) + 1;
    if (!section.tables.empty()) first += Lines(section.tables.front()) + 1;
    if (!Keep(s, run, first)) return false;
    if (!run.Row("")) return false;
    for (const std::string& line : section.prose)
        if (!run.Row(line)) return false;
    for (const QuantityTable& table : section.tables) {
        if (!run.Row("")) return false;
        if (!WriteTable(s, run, table)) return false;
    }
    for (const std::string& line : section.after)
        if (!run.Row(line)) return false;
    return true;
}

// False when the listing must end now.
bool WriteSystem(shell::Session& s, listings::ListingRun& run,
                 const std::vector<QuantitySection>& sections) {
    for (const QuantitySection& section : sections)
        if (!WriteSection(s, run, section)) return false;
    return true;
}

}  // namespace

std::vector<int> ListedSystems(bool hasNewReach, bool hasExistingReach, int stageCount) {
    std::vector<int> systems;
    for (int system = kSystemNew; system <= kSystemTotal + stageCount; ++system) {
        if (!hasNewReach && (system == kSystemNew || system == kSystemTotal)) continue;
        if (!hasExistingReach && (system == kSystemExisting || system == kSystemTotal)) continue;
        systems.push_back(system);
    }
    return systems;
}

void ListQuantities(shell::Session& s) {
    if (!network::general::LoadSector(s)) return;
    if (s.project.header.StageDone[2] == 0) return s.screen.ShowMessageBox(kNotComputed);
    if (!network::general::ConfirmWithRange(s, kRangeTitle)) return;

    const specs::EspecT& e = s.project.espec;
    const QuantityLimits limits = LimitsOf(e);
    const std::vector<int> systems = ListedSystems(e.HasNewReach == 1, e.HasExistingReach == 1,
                                                   std::clamp(e.StageCount, 0, kMaxStages));

    int current = 0;
    listings::ListingRun run(s, kPageTitle, kWidth);
    run.viewerTitle = kViewerTitle;
    run.pageHeader = [&](std::string_view title, int sheet) {
        return HeaderLines(s, current, title, run.width(), sheet);
    };
    bool begun = false;
    for (int system : systems) {
        s.screen.WriteCentred(kStatusRow, "   Estoy leyendo el " + SystemTitle(system) + "   ");
        QuantityTables tables;
        tables.Clear(limits.sizeCount());
        const std::string path = QuantityFilePath(s.project.files, system);
        const QuantityFileResult read = ReadQuantityFile(path, limits.sizeCount(), tables);
        if (read.status == FileRead::Damaged) {
            // Nothing of a listing half made is kept.
            s.ui.showError(read.error, "Error");
            return;
        }
        current = system;
        if (!begun) {
            begun = true;
            if (!run.Begin()) return;
        } else if (!run.NewPage(kPageTitle)) {
            break;
        }
        if (!WriteSystem(s, run, QuantitySections(tables, limits, e.PipeTypes))) break;
    }
    if (begun) run.Finish();
}

}  // namespace nivex::quantities
