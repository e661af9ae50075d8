// How long every stage of the work takes on large networks, without a window: a street grid
// and a trunk collector with side lines, of 1000 and of 10000 reaches, each taken through
// the controls, the design, the six automatic alternatives, the revision, the SWMM input
// file, the quantities, the budget and the hydraulic and quantity listings. One
// "stage: seconds" line per stage and the peak memory of the process after each network.
// Run by hand: nivex-bench [reaches ...] (default 1000 10000). In a Release build every
// stage of 10000 reaches should take under a second, the alternatives under 10 s
// together, and the process should stay under 100 MB.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "budget/budget_run.h"
#include "budget/price_file.h"
#include "comb_network.h"
#include "console/codepage.h"
#include "console/console.h"
#include "console/screen.h"
#include "design/alternatives_run.h"
#include "design/alternatives_table.h"
#include "design/design_driver.h"
#include "design/revision.h"
#include "drawings/drawing_inputs.h"
#include "drawings/paper_writer.h"
#include "drawings/plan.h"
#include "drawings/profile_lines.h"
#include "drawings/profile_sheets.h"
#include "listings/listing_catalog.h"
#include "network/network_controls.h"
#include "project/project.h"
#include "quantities/quantity_driver.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "specs/espec.h"
#include "swmm/model_writer.h"
#include "ui/settings_store.h"

namespace {

namespace fs = std::filesystem;
using namespace nivex;

// Message boxes go to standard error so that the timings stay readable.
class SilentUi : public ui::Ui {
  public:
    char showWarning(const std::string& m, const std::string&) override { return Say(m); }
    char showError(const std::string& m, const std::string&) override { return Say(m); }
    char askYesNo(const std::string&, const std::string&) override { return 'S'; }
    char askYesNoCancel(const std::string&, const std::string&) override { return 'S'; }
    void showInformation(const std::string& m, const std::string&) override { Say(m); }

  private:
    char Say(const std::string& m) {
        std::fprintf(stderr, "%s\n", toUtf8(m).c_str());
        return 'S';
    }
};

struct NoDesktop : ui::Desktop {
    bool registerListingFont(const std::string&) override { return true; }
    ui::OpenResult openDocument(const std::string&) override { return ui::OpenResult::Opened; }
    void showAbout() override {}
    bool moveToTrash(const std::string&) override { return false; }
};

// The viewer only measures what it is given.
struct SizeViewer : ui::ListingViewer {
    long bytes = 0;
    void ShowListing(const std::string& file, const std::string&) override {
        std::error_code ec;
        bytes = static_cast<long>(fs::file_size(file, ec));
    }
};

// A design sink that keeps the last message box, to say why a design stopped.
struct KeepingSink : design::DesignSink {
    std::string last;
    void Message(const std::string& title, const std::string& text) override {
        last = toUtf8(title) + ": " + toUtf8(text);
    }
};

// One stage timed: body fills note (shown after the seconds) or, when it fails, the reason.
bool Stage(const char* name, const std::function<bool(std::string&)>& body) {
    std::string note;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = body(note);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok)
        std::printf("%s: %.3f fallo (%s)\n", name, seconds, note.c_str());
    else if (note.empty())
        std::printf("%s: %.3f\n", name, seconds);
    else
        std::printf("%s: %.3f (%s)\n", name, seconds, note.c_str());
    std::fflush(stdout);
    return ok;
}

// The project data control A asks for, stored in record 0.
bool FillProjectData(project::Project& p, std::string* error) {
    return network::WithControl(p, error, [&] {
        p.header.ProjectDate = "Enero 2024";
        p.header.Entity = "Empresa";
        p.header.Email = "a@b.co";
        p.header.Country = "Colombia";
        p.header.Consultant = "Ingeniero";
        return network::SaveControlRecords(p, {}, error);
    });
}

// Every price of the project at 1000.
bool WritePrices(project::Project& p, std::string* error) {
    if (!network::LoadControlState(p, error)) return false;
    const int ducts = specs::UsedDiameters(p.espec);
    budget::UnitPrices prices;
    for (int m = 1; m <= 6; ++m)
        for (int r = 1; r <= 4; ++r)
            prices.excavation[m][r] = 1000;
    for (int k = 1; k <= 3; ++k)
        prices.fill[k] = 1000;
    for (auto& group : prices.manholes)
        for (int r = 1; r <= 3; ++r)
            group[1][r] = 1000;
    for (int pos = 1; pos <= budget::kPricePositions; ++pos) {
        for (int r = 1; r <= 4; ++r)
            prices.pipes[r][pos] = 1000;
        prices.connections[pos] = prices.drops[pos] = prices.removals[pos] = 1000;
    }
    prices.bedding[1] = prices.bedding[2] = 1000;
    std::string message;
    if (!budget::WritePriceFile(budget::PriceFilePath(p), ducts, prices, &message)) {
        *error = toUtf8(message);
        return false;
    }
    return true;
}

// The six automatic alternatives, in a folder of their own so that the manual design of
// the other stages is left as it is.
bool Alternatives(const fs::path& dir, const std::vector<network::TramoT>& reaches,
                  std::string& note, bool leastCost = false) {
    fs::create_directories(dir);
    project::Project p;
    p.files.Build(dir.string(), "AB1");
    if (!bench::WriteBenchSector(p, reaches)) {
        note = "no se pudo escribir el sector";
        return false;
    }
    std::string error;
    if (!network::WithControl(p, &error, [&] {
            p.espec.TopologyMode = design::kTopologyAutomatic;
            p.header.ControlsDone = {1, 1, 1, 1};
            p.header.DesignMethod = leastCost ? shell::kLeastCostMethod : shell::kStandardMethod;
            return network::SaveControlRecords(p, {5}, &error);
        })) {
        note = error;
        return false;
    }
    KeepingSink sink;
    design::DesignOptions options;
    design::AlternativesHooks hooks;
    int rows = 0;
    hooks.choose = [&](design::AlternativesTable& table, int, double) {
        design::SortAlternatives(table);
        rows = design::SelectAlternatives(table);
        return -1;  // the comparison is what is timed
    };
    design::DesignRun run;
    run.leastCost = leastCost;
    const design::AlternativesOutcome out = design::RunAlternatives(p, options, sink, hooks, run);
    if (out.end != design::AlternativesEnd::Declined) {
        note = sink.last.empty() ? "no llego a la eleccion" : sink.last;
        return false;
    }
    note = std::to_string(rows) + " fila(s) para elegir";
    return true;
}

// Every stage over one network, in the order of the work.
void RunNetwork(const char* kind, int nominal, const std::vector<network::TramoT>& reaches,
                const fs::path& base) {
    std::printf("red: %s %d\ntramos: %zu\n", kind, nominal, reaches.size());
    const fs::path dir = base / (std::string(kind) + "-" + std::to_string(nominal));
    fs::create_directories(dir);

    UiSwitches switches;
    SilentUi ui;
    console::Console console(switches, ui);
    console::Screen screen(console);
    NoDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session s(switches, console, screen, ui, desktop, settings, menu);
    SizeViewer viewer;
    s.viewer = &viewer;
    s.listing.rangePreset = true;  // every sheet, every collector
    s.listing.presetSize = 0;
    s.folders.project = dir.string();

    project::Project& p = s.project;
    p.selection.code = "AB";
    p.selection.sectors = "1";
    p.files.Build(dir.string(), "AB1");
    std::string error;
    if (!bench::WriteBenchSector(p, reaches) || !FillProjectData(p, &error)) {
        std::printf("red: no se pudo escribir el sector (%s)\n", error.c_str());
        return;
    }

    Stage("controles", [&](std::string& note) {
        network::SpecificationCheck a;
        network::ReachCheck b;
        std::vector<network::ErrorRow> c;
        network::OrderCheck d;
        if (!network::EnterControls(p, &note) || !network::RunControlA(p, a, &note) ||
            !network::RunControlB(p, b, &note) || !network::RunControlC(p, c, &note) ||
            !network::RunControlD(p, d, &note))
            return false;
        note = std::string("A ") + (a.passed() ? "OK" : "??") + ", B " +
               (b.faultless() ? "OK" : "??") + ", C " + (c.empty() ? "OK" : "??") + ", D " +
               (d.passed() ? "OK" : "??");
        return true;
    });
    // The later stages need the controls passed; a network they object to is still timed.
    if (!network::WithControl(p, &error, [&] {
            p.header.ControlsDone = {1, 1, 1, 1};
            return network::SaveControlRecords(p, {}, &error);
        }))
        std::printf("controles: no se pudieron marcar (%s)\n", error.c_str());

    const bool designed = Stage("diseño", [&](std::string& note) {
        KeepingSink sink;
        design::DesignResult result;
        if (!design::DesignNetwork(p, design::DesignOptions{}, sink, result)) {
            note = sink.last.empty() ? "no termino diseñado" : sink.last;
            return false;
        }
        note = std::to_string(result.reaches) + " tramos, " +
               std::to_string(result.finalReaches.size()) + " salida(s)";
        return true;
    });

    Stage("alternativas",
          [&](std::string& note) { return Alternatives(dir / "alternativas", reaches, note); });
    // The design of least cost after the standard one, on a copy of the sector.
    Stage("diseño costo minimo", [&](std::string& note) {
        project::Project q;
        q.files.Build((dir / "costo").string(), "AB1");
        fs::create_directories(dir / "costo");
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file())
                fs::copy_file(entry.path(), dir / "costo" / entry.path().filename(),
                              fs::copy_options::overwrite_existing);
        q.selection = p.selection;
        KeepingSink sink;
        design::DesignResult result;
        design::DesignRun run;
        run.leastCost = true;
        if (!design::DesignNetwork(q, design::DesignOptions{}, sink, result, run)) {
            note = sink.last.empty() ? "no termino diseñado" : sink.last;
            return false;
        }
        const design::LeastCostReport& r = result.leastCost;
        char text[200];
        std::snprintf(text, sizeof text, "estandar %.0f, costo minimo %.0f, ahorro %.1f %%%s",
                      r.standardCost, r.cost,
                      r.standardCost > 0 ? 100 * (r.standardCost - r.cost) / r.standardCost : 0.0,
                      r.used ? "" : " (queda el estandar)");
        note = text;
        if (!r.used && !r.note.empty()) note += ": " + toUtf8(r.note);
        return true;
    });
    Stage("alternativas costo minimo", [&](std::string& note) {
        return Alternatives(dir / "alternativas-costo", reaches, note, true);
    });

    if (!designed) {
        for (const char* name : {"revision", "entrada swmm", "cantidades", "presupuesto",
                                 "plano pdf", "perfiles pdf", "listado 7C", "listado 9B"})
            std::printf("%s: no medido (sin diseño)\n", name);
        std::printf("memoria pico: %.1f MB\n", bench::PeakKilobytes() / 1024.0);
        return;
    }

    Stage("revision", [&](std::string& note) {
        design::RevisionSummary summary;
        std::string title, message;
        const bool ok = design::ReviseSector(s, summary, nullptr, &title, &message);
        p.CloseControl();
        if (!ok) {
            note = toUtf8(message);
            return false;
        }
        note = std::to_string(summary.counts.problems()) + " problemas, " +
               std::to_string(summary.counts.deficiencies()) + " deficiencias";
        return true;
    });

    Stage("entrada swmm", [&](std::string& note) {
        std::vector<network::TramoT> design;
        if (!swmm::LoadDesignReaches(p, design, &note)) return false;
        const swmm::SwmmModel model = swmm::BuildSwmmModel(design, p.espec, p.header.DesignClass);
        swmm::SwmmContext ctx{p, ui, nullptr, swmm::SessionSwmmFolder(s), false, ""};
        const swmm::SwmmWriteOutcome out = swmm::WriteSwmmInput(ctx, model, design);
        if (!out.written) {
            note = !out.error.empty() ? out.error
                   : out.reliefFault  ? "camaras de alivio consecutivas"
                                      : "no se escribio";
            return false;
        }
        std::error_code ec;
        note = std::to_string(fs::file_size(out.files.input, ec)) + " bytes";
        return true;
    });

    Stage("cantidades", [&](std::string& note) {
        const quantities::QuantityOutcome run = quantities::RunQuantities(p);
        if (run.stop != quantities::RunStop::None) {
            note = run.message.empty() ? "se detuvo" : toUtf8(run.message);
            return false;
        }
        return true;
    });

    if (!WritePrices(p, &error)) {
        std::printf("presupuesto: no medido (precios: %s)\n", error.c_str());
    } else {
        Stage("presupuesto", [&](std::string& note) {
            int unpriced = 0;
            const budget::BudgetOutcome out = budget::RunBudget(p, [&](const std::string&) {
                ++unpriced;
                return 'S';
            });
            p.CloseControl();
            if (out.stop != budget::BudgetStop::None) {
                note = out.message.empty() ? "se detuvo" : toUtf8(out.message);
                return false;
            }
            note = std::to_string(out.systems.size()) + " sistema(s)";
            if (unpriced > 0) note += ", " + std::to_string(unpriced) + " con precios en cero";
            return true;
        });
    }

    // The drawings as "plano --pdf" and "perfiles --pdf" make them, files included.
    drawings::PaperWriteOptions paper;
    std::error_code ec;
    paper.fontFile =
        drawings::DrawingFontIn(fs::read_symlink("/proc/self/exe", ec).parent_path().string());
    Stage("plano pdf", [&](std::string& note) {
        drawings::DrawingInputs in;
        if (!drawings::LoadDrawingInputs(p, in, &note)) return false;
        const drawings::Plan plan = drawings::BuildPlan(
            in.reaches, in.placement, drawings::PlanOptionsOf(in, 0, drawings::Paper::A1));
        const fs::path pdf = dir / "plano.pdf";
        if (!drawings::WriteDrawings({&plan.drawing}, drawings::PageFormat::Pdf, pdf.string(),
                                     paper, &note))
            return false;
        note = "1:" + std::to_string(plan.scale) + ", " + std::to_string(fs::file_size(pdf, ec)) +
               " bytes";
        return true;
    });
    Stage("perfiles pdf", [&](std::string& note) {
        drawings::DrawingInputs in;
        if (!drawings::LoadDrawingInputs(p, in, &note)) return false;
        drawings::ProfileSheetOptions o;
        o.header = in.header;
        const drawings::ProfileSheetSet set =
            drawings::BuildProfileSheets(in.reaches, drawings::CollectorLines(in.reaches), o);
        std::vector<const drawings::Drawing*> pages;
        for (const drawings::Drawing& sheet : set.sheets)
            pages.push_back(&sheet);
        const fs::path pdf = dir / "perfiles.pdf";
        if (!drawings::WriteDrawings(pages, drawings::PageFormat::Pdf, pdf.string(), paper, &note))
            return false;
        note = std::to_string(set.sheets.size()) + " hojas A1, " +
               std::to_string(fs::file_size(pdf, ec)) + " bytes";
        return true;
    });

    for (const char* key : {"7C", "9B"}) {
        const listings::ListingDef* listing = listings::FindListing(key);
        const std::string name = std::string("listado ") + key;
        if (listing == nullptr) {
            std::printf("%s: no medido (no esta en el catalogo)\n", name.c_str());
            continue;
        }
        viewer.bytes = 0;
        Stage(name.c_str(), [&](std::string& note) {
            listing->run(s);
            if (viewer.bytes <= 0) {
                note = "no se escribio";
                return false;
            }
            note = std::to_string(viewer.bytes) + " bytes";
            return true;
        });
    }
    std::printf("memoria pico: %.1f MB\n", bench::PeakKilobytes() / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int k = 1; k < argc; ++k)
        sizes.push_back(std::atoi(argv[k]));
    if (sizes.empty()) sizes = {1000, 10000};
    const fs::path base = fs::temp_directory_path() / ("nivex-bench-" + std::to_string(getpid()));
    // The smaller networks first: the peak memory is the process's, not the network's.
    for (int n : sizes) {
        if (n < 100) continue;
        // Side lines of about the trunk's own count: 1000 is 20 x 50, 10000 is 100 x 100.
        const int sides = n >= 10000 ? 100 : n / 50;
        RunNetwork("peine", n, bench::Comb(sides, n / sides), base);
        RunNetwork("malla", n, bench::Grid(n), base);
    }
    fs::remove_all(base);
    return 0;
}
