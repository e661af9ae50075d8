#include "design/alternatives_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "console/codepage.h"
#include "listings/number_format.h"
#include "network/network_controls.h"
#include "quantities/quantity_driver.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"

namespace nivex::design {
namespace {

constexpr double kSecondsPerDay = 86400.0;

bool SaveRecords(project::Project& p, std::initializer_list<int> records, DesignSink& sink,
                 const std::function<void()>& change) {
    std::string error;
    const bool saved = network::WithControl(p, &error, [&] {
        change();
        return network::SaveControlRecords(p, records, &error);
    });
    if (!saved) sink.Message("Error", cp(error));
    return saved;
}

class Run {
  public:
    Run(project::Project& p, DesignOptions& options, DesignSink& sink, const AlternativesHooks& h,
        const DesignRun& finalRun)
        : p_(p), options_(options), sink_(sink), hooks_(h), finalRun_(finalRun) {}

    AlternativesOutcome Go();

  private:
    bool Cancelled() const { return sink_.cancelled || (hooks_.cancelled && hooks_.cancelled()); }
    bool LoadState();
    bool WriteState();
    // One preliminary design of alternative k; false when the run must end.
    bool Preliminary(int k, bool search);
    bool Automatic();
    AlternativesOutcome Final(int alternative);
    // What the dialog gave back: the network as entered, or an automatic alternative
    // whose preliminary design the table holds.
    bool Designable(int alternative) const;
    AlternativesOutcome Choose(double days);
    AlternativesOutcome End(AlternativesEnd end) {
        out_.end = end;
        if (hooks_.progressBar) hooks_.progressBar(0);
        // A stopped run has rewritten the design copy: no finished design is left.
        if (end == AlternativesEnd::Cancelled)
            SaveRecords(p_, {}, sink_, [&] {
                p_.header.StageDone[1] = p_.header.StageDone[2] = p_.header.StageDone[3] = 0;
            });
        return out_;
    }

    project::Project& p_;
    DesignOptions& options_;
    DesignSink& sink_;
    const AlternativesHooks& hooks_;
    const DesignRun& finalRun_;
    AlternativesTable table_;
    std::vector<network::TramoT> reaches_;
    AlternativesOutcome out_;
    int searches_ = 0;
};

bool Run::LoadState() {
    std::string error;
    if (!network::LoadControlState(p_, &error) ||
        !network::ReadStoredReaches(p_, reaches_, &error)) {
        sink_.Message("Error", cp(error));
        return false;
    }
    if (!OpenDesignState(table_, DesignStatePath(p_), &error)) {
        // The file holds only what the designs compute: a damaged one is computed again.
        sink_.Message("Advertencia", cp(error + "\rLas alternativas se calculan de nuevo."));
        table_ = AlternativesTable{};
        if (!SaveRecords(p_, {}, sink_, [&] {
                p_.header.DiameterTableValid = 0;
                p_.header.CriteriaValid = 0;
            }))
            return false;
    }
    out_.mode = TopologyModeOfRun(p_);
    if (out_.mode < kTopologyManual || out_.mode > kTopologyBoth) out_.mode = kTopologyManual;
    return WriteState();
}

bool Run::WriteState() {
    RefreshHeader(table_, p_, out_.mode, reaches_);
    std::string error;
    if (WriteDesignState(table_, DesignStatePath(p_), &error)) return true;
    sink_.Message("Error", cp(error));
    return false;
}

bool Run::Preliminary(int k, bool search) {
    DesignRun run;
    run.finalDesign = false;
    run.alternative = k;
    run.search = search;
    run.variant = std::string(kTopologyVariants[static_cast<size_t>(k)].characters);
    run.leastCost = finalRun_.leastCost;
    run.searchLimits.cancel = [this] { return Cancelled(); };
    run.searchLimits.budget = hooks_.searchBudget;
    if (search && hooks_.searching) hooks_.searching(++searches_);
    table_.records[static_cast<size_t>(k)].status.clear();
    DesignNetwork(p_, PreliminaryOptions(), sink_, out_.result, run);
    if (search && hooks_.searching) hooks_.searching(0);
    if (hooks_.step)  // the bar counts the two passes of every design
        for (int pass = 0; pass < 2; ++pass)
            hooks_.step();
    out_.chosen = k;
    return true;
}

// The six variants of the automatic topology; false when the run ends.
bool Run::Automatic() {
    int abandoned = 0;
    const auto start = std::chrono::steady_clock::now();
    const bool searchAgain = p_.header.DiameterTableValid == 0;
    for (int k = 1; k < kAlternatives; ++k) {
        if (!IsDesignedAlternative(k)) {
            FillUndesigned(table_, k);
            continue;
        }
        if (Cancelled()) {
            out_.end = AlternativesEnd::Cancelled;
            return false;
        }
        const bool search = searchAgain && kTopologyVariants[static_cast<size_t>(k)].searchFlag;
        Preliminary(k, search);
        DesignResult& r = out_.result;
        if (r.end == DesignEnd::Cancelled) {
            out_.end = AlternativesEnd::Cancelled;
            return false;
        }
        if (r.end == DesignEnd::Topology && r.topologyResult == kSearchTooComplex) {
            ClearAbandoned(table_, k);
            ++abandoned;
            continue;
        }
        if (r.end == DesignEnd::Topology) {
            sink_.Message(TopologyCaption(r.topologyError), TopologyMessage());
            out_.end = AlternativesEnd::Failed;
            return false;
        }
        if (r.end != DesignEnd::Designed || !DiameterCheck(p_, r, sink_)) {
            out_.end = AlternativesEnd::Failed;
            return false;
        }
        std::string error;
        if (!CaptureAlternative(p_, table_, k, r, &error)) {
            sink_.Message("Error", error);
            out_.end = AlternativesEnd::Failed;
            return false;
        }
    }
    const double days =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        kSecondsPerDay;
    if (searchAgain) table_.header.searchDays = days;
    if (!SaveRecords(p_, {1}, sink_, [&] {
            p_.header.DiameterTableValid = 1;
            p_.header.CriteriaValid = 1;
            p_.header.AbandonedAlternatives = abandoned;
            p_.espec.AlternativesRunDays = days;
        }))
        return false;
    return WriteState();
}

bool Run::Designable(int alternative) const {
    if (alternative == 0) return true;
    return std::any_of(
        table_.records.begin() + 1, table_.records.end(),
        [&](const AlternativeT& a) { return a.number == alternative && WasDesigned(a); });
}

// The dialog, then the final design of the alternative chosen in it.
AlternativesOutcome Run::Choose(double days) {
    if (hooks_.progressBar) hooks_.progressBar(0);
    const int chosen = hooks_.choose ? hooks_.choose(table_, out_.mode, days) : 0;
    if (chosen < 0) return End(AlternativesEnd::Declined);
    if (!Designable(chosen)) {
        // Never a design of what was not designed: as a dialog closed without a choice.
        sink_.Message("Error", "Debe selecionar una opcion o cancelar");
        SaveRecords(p_, {}, sink_, [&] { p_.header.StageDone[1] = 0; });
        return End(AlternativesEnd::Declined);
    }
    if (out_.mode == kTopologyManual && !WriteState()) return End(AlternativesEnd::Failed);
    return Final(chosen);
}

AlternativesOutcome Run::Final(int alternative) {
    if (hooks_.askOptions) hooks_.askOptions(options_);
    DesignRun run = finalRun_;
    run.finalDesign = true;
    run.alternative = alternative;
    run.search = false;
    run.variant = std::string(kTopologyVariants[static_cast<size_t>(alternative)].characters);
    out_.chosen = alternative;
    const bool designed = DesignNetwork(p_, options_, sink_, out_.result, run);
    if (!designed)
        return End(out_.result.end == DesignEnd::Cancelled ? AlternativesEnd::Cancelled
                                                           : AlternativesEnd::Failed);
    if (out_.mode == kTopologyManual && !DiameterCheck(p_, out_.result, sink_))
        return End(AlternativesEnd::Failed);
    return End(AlternativesEnd::Designed);
}

AlternativesOutcome Run::Go() {
    if (!LoadState()) return End(AlternativesEnd::Failed);
    const bool designsAgain = p_.header.DiameterTableValid == 1 && p_.header.CriteriaValid == 0;
    if (hooks_.progressBar && out_.mode != kTopologyManual && designsAgain)
        hooks_.progressBar(out_.mode == kTopologyAutomatic ? 12 : 14);
    table_.records[0].status.clear();

    if (out_.mode == kTopologyManual) {
        Preliminary(0, false);
        if (out_.result.end == DesignEnd::Cancelled) return End(AlternativesEnd::Cancelled);
        if (out_.result.end != DesignEnd::Designed) return End(AlternativesEnd::Failed);
        std::string error;
        if (!CaptureAlternative(p_, table_, 0, out_.result, &error)) {
            sink_.Message("Error", error);
            return End(AlternativesEnd::Failed);
        }
        return Choose(0);
    }

    if (out_.mode == kTopologyBoth) {
        Preliminary(0, false);
        if (out_.result.end == DesignEnd::Cancelled) return End(AlternativesEnd::Cancelled);
        if (out_.result.end != DesignEnd::Designed || !DiameterCheck(p_, out_.result, sink_))
            return End(AlternativesEnd::Failed);
        std::string error;
        if (!CaptureAlternative(p_, table_, 0, out_.result, &error)) {
            sink_.Message("Error", error);
            return End(AlternativesEnd::Failed);
        }
    }

    double days = p_.espec.AlternativesRunDays;
    if (p_.header.DiameterTableValid == 1 && p_.header.CriteriaValid == 1) {
        // Nothing changed since the last run: its alternatives and duration stand.
        if (!WriteState()) return End(AlternativesEnd::Failed);
    } else {
        if (!Automatic()) return End(out_.end);
        days = p_.espec.AlternativesRunDays;
    }
    return Choose(days);
}

std::string Fixed2(double v) {
    return listings::FormatNumber(v, "###,###,###.##");
}

std::string Trim(std::string text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first);
}

}  // namespace

DesignOptions PreliminaryOptions() {
    DesignOptions o;
    o.replaceExisting = true;
    o.replaceRestricted = true;
    o.ignoreRestrictions = false;
    o.flushInitialOutlets = false;
    return o;
}

AlternativesOutcome RunAlternatives(project::Project& p, DesignOptions& options, DesignSink& sink,
                                    const AlternativesHooks& hooks, const DesignRun& finalRun) {
    return Run(p, options, sink, hooks, finalRun).Go();
}

bool CaptureAlternative(project::Project& p, AlternativesTable& table, int k, const DesignResult& r,
                        std::string* error) {
    AlternativeT& a = table.records[static_cast<size_t>(k)];
    a.number = k;
    a.cost = r.leastCost.standardCost > 0 ? r.leastCost.cost : -1;
    // The manual design too: its row would otherwise show the outfalls of some former run.
    a.outfalls = static_cast<int>(r.finalReaches.size());
    a.largestFinalDepth = 0;
    a.smallestFinalDepth = r.finalReaches.empty() ? 0 : 100;
    for (const FinalReach& f : r.finalReaches) {
        if (f.depth > a.largestFinalDepth) a.largestFinalDepth = f.depth;
        if (f.depth < a.smallestFinalDepth) a.smallestFinalDepth = f.depth;
    }
    const quantities::QuantityOutcome q = quantities::RunQuantities(p, false);
    if (q.stop != quantities::RunStop::None) {
        *error =
            q.message.empty() ? cp("No se pudieron calcular las cantidades de obra") : q.message;
        return false;
    }
    quantities::QuantityTables t;
    const int sizes = quantities::LimitsOf(p.espec).sizeCount();
    t.Clear(sizes);
    const quantities::QuantityFileResult read = quantities::ReadQuantityFile(
        quantities::QuantityFilePath(p.files, quantities::kSystemNew), sizes, t);
    if (read.status == quantities::FileRead::Damaged) {
        *error = read.error;
        return false;
    }
    using namespace quantities;
    a.meanDepth = t.statisticsB[kPipeMeanDepth];
    a.meanSize = t.statisticsB[kMeanSize];
    a.largestCrownDepth = t.statisticsB[kLargestCrownDepth];
    a.largestDiameter = t.statisticsB[kLargestDiameter];
    const int replacements = r.counters.replacements;
    a.eliminated = replacements == -1 ? 0 : replacements - 1;
    if (r.doubtful()) a.status = "??";
    return true;
}

bool DiameterCheck(project::Project& p, const DesignResult& r, DesignSink& sink) {
    std::string message;
    if (r.counters.missingDiameter) {
        message =
            cp("PROBLEMA DE DIAMETRO INEXISTENTE\r\rEn los datos entrados hay al menos un diametro "
               "que no esta inluido dentro\rde la tabla de diametros comerciales disponibles para "
               "el diseño.\rEso puede ocurrir cuando despues de introducidos los datos de los "
               "tramos\rse modifica posteriormente la tabla de diametros comerciales. REVISE");
    } else if (r.counters.largestBeyondList != 0) {
        const double d = 100 * std::nearbyint(r.counters.largestBeyondList / 100.0 + 0.5);
        char number[32];
        std::snprintf(number, sizeof number, "%.0f", d);
        message =
            cp(std::string("PROBLEMA DE DIAMETROS INSUFICIENTES\r\rLos caudales de calculo son "
                           "demasiado grandes y requieren diametros de hasta\r") +
               number +
               " (mm)\r\rPara hacer viable el diseño. Las alternativas posibles son las "
               "siguientes:\r\r1 - Aumentar los diametros contenidos en la tabla de "
               "especificacionmes.\r2 - Modificar el diseño para incluir box culverts o "
               "canales.\r3 - Emplear camaras de alivio (diseño pluvial o combinado).\r4 - "
               "Incluir mas vertimientos para dsiminuir los caudales.\r\rTRUCO:\rPara poder ver "
               "listados de calculo (aunque incorrectos) que faciliten analizar\rla situacion, "
               "vaya a Especificaciones/Diametros comerciales a utilizar y ponga como\rdiametro "
               "mayor el que le indica esta pantalla (aunque no sea comercial). Luego\rreintente "
               "el calculo.");
    } else {
        return true;
    }
    sink.Message("Error", message);
    SaveRecords(p, {}, sink, [&] {
        p.header.StageDone[0] = 1;
        p.header.StageDone[1] = p.header.StageDone[2] = p.header.StageDone[3] = 0;
    });
    return false;
}

std::string TopologyMessage() {
    return cp(
        "En la opcion del menu: Tramos\rfalta especificar al menos un tramo\rque necesariamente "
        "debe ser Final\r(Tipo : Vertimiento o Estacion de Bombas)\r..............REVISE......"
        ".........\r\rSi no encuentra facilmente el error\rle sugerimos intentar un diseño "
        "manual.\rLuego pude cambiar el tipo de diseño");
}

std::string TopologyCaption(int error) {
    return "Error Topologia No. " + std::to_string(error);
}

// Whole pesos, thousands grouped; blank when the cost is not known.
std::string CostCell(double cost) {
    if (!(cost >= 0) || !std::isfinite(cost)) return "";
    const std::string text = PesosText(cost);
    return text.substr(0, text.find('.'));
}

std::string DurationText(double days) {
    const long seconds = std::lround(std::max(0.0, days) * kSecondsPerDay);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

int RowPosition(int mode, int n, int row) {
    const int manual = mode == kTopologyAutomatic ? 0 : 1;
    const int automatic = mode == kTopologyManual ? 0 : n;
    if (row < 1 || row > manual + automatic) return -1;
    return mode == kTopologyAutomatic ? row : row - 1;
}

ui::AlternativesChoice AlternativesRows(AlternativesTable& table, int mode, int n, double days) {
    ui::AlternativesChoice choice;
    choice.time = "Tiempo Total = " + DurationText(days);
    choice.gridRows = mode == kTopologyManual ? 15 : mode == kTopologyAutomatic ? 17 : 18;
    auto row = [&](const std::string& label, int position) {
        AlternativeT& a = table.records[static_cast<size_t>(position)];
        if (a.status != "??") a.status = "OK";
        choice.rows.push_back(
            {label, Trim(Fixed2(a.meanDepth)), CostCell(a.cost), Trim(Fixed2(a.meanSize)),
             Trim(Fixed2(a.largestCrownDepth)),
             Trim(listings::FormatNumber(std::lround(a.largestDiameter), "###,###,###")),
             std::to_string(a.outfalls), Trim(Fixed2(a.largestFinalDepth)),
             Trim(Fixed2(a.smallestFinalDepth)),
             Trim(listings::FormatNumber(std::lround(a.eliminated), "###,###,###")),
             std::to_string(a.number), a.status});
    };
    if (mode != kTopologyAutomatic) row("Manual", 0);
    if (mode != kTopologyManual)
        for (int k = 1;
             k <= n && k < kAlternatives && WasDesigned(table.records[static_cast<size_t>(k)]); ++k)
            row("Auto " + std::to_string(k), k);
    return choice;
}

}  // namespace nivex::design
