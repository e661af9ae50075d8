#include "quantities/stages.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "console/codepage.h"
#include "network/network_controls.h"
#include "shell/session.h"
#include "specs/criteria_store.h"

namespace nivex::quantities {
namespace {

constexpr const char* kExistingRefused =
    "ERROR ... Tramos Existentes o No Investigados no pueden ser de etapa";
constexpr const char* kTooHigh = "ERROR ... Usar maximo 3 etapas";
constexpr const char* kNotWhole = "ERROR ... La etapa debe ser 0, 1, 2 o 3";
constexpr int kStageCountRecord = 5;

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// A stage as it is stored; anything but 0..3 counts as no stage.
int StoredStage(const network::TramoT& t) {
    const float v = t.Diseno.ConstructionStage;
    if (!std::isfinite(v) || v != std::floor(v) || v < 0 || v > kMaxStages) return 0;
    return static_cast<int>(v);
}

bool ReadRecords(const project::Project& p, std::vector<network::TramoT>& records,
                 std::string* error) {
    StageCopy copy;
    if (!copy.Open(p)) return Fail(error, copy.error());
    records.clear();
    for (int line = 1; line <= copy.count(); ++line) {
        network::TramoT t;
        if (!copy.Read(line, t)) {
            const std::string message = copy.error();
            copy.Close();
            return Fail(error, message);
        }
        records.push_back(std::move(t));
    }
    if (!copy.Close()) return Fail(error, copy.error());
    return true;
}

}  // namespace

std::string StageProblem(int reachClass, double stage) {
    const bool existing =
        reachClass == network::kClassExisting || reachClass == network::kClassNotInvestigated;
    if (existing && stage != 0) return kExistingRefused;
    if (stage > kMaxStages) return kTooHigh;
    if (!std::isfinite(stage) || stage < 0 || stage != std::floor(stage)) return kNotWhole;
    return "";
}

int StageCounts::stages() const {
    for (int k = kMaxStages; k > 0; --k)
        if (reaches[static_cast<size_t>(k)] > 0) return k;
    return 0;
}

StageCounts CountOf(const std::vector<network::TramoT>& records) {
    StageCounts c;
    for (const network::TramoT& t : records)
        ++c.reaches[static_cast<size_t>(StoredStage(t))];
    return c;
}

std::string StageSummary(const StageCounts& c) {
    if (c.stages() == 0) return cp("No se definieron etapas de construccion");
    std::string text = "Se definieron las siguientes etapas de construccion : \n\r";
    for (int k = 1; k <= kMaxStages; ++k)
        text += "             Etapa " + std::to_string(k) + " : incluye " +
                std::to_string(c.reaches[static_cast<size_t>(k)]) + " Tramos" + "\n\r";
    return cp(text);
}

// ---- StageCopy ----

bool StageCopy::fail(const std::string& message) {
    error_ = message;
    return false;
}

bool StageCopy::Open(const project::Project& p) {
    error_.clear();
    changed_ = false;
    const std::string path = p.files.designCopy();
    std::error_code ec;
    // Opening creates a missing file; a missing copy means no design.
    if (!std::filesystem::is_regular_file(path, ec)) return fail("No existe el archivo " + path);
    if (!file_.Open(path)) return fail(file_.error());
    count_ = std::min(p.header.ReachCount, file_.count());
    if (count_ > 0) return true;
    file_.Close();
    return fail("El archivo " + path + " no tiene los tramos del proyecto");
}

bool StageCopy::Close() {
    if (!file_.isOpen()) return true;
    return file_.Close() || fail(file_.error());
}

bool StageCopy::Read(int line, network::TramoT& t) {
    if (line < 1 || line > count_)
        return fail("Linea " + std::to_string(line) + " no existe en el archivo " + file_.path());
    return file_.Read(line, t) || fail(file_.error());
}

bool StageCopy::Write(int line, const network::TramoT& t) {
    network::TramoT stored;
    if (!Read(line, stored)) return false;
    if (stored.Diseno.ConstructionStage == t.Diseno.ConstructionStage) return true;
    // Only the stage changes: the rest of the record stays as the design wrote it.
    stored.Diseno.ConstructionStage = t.Diseno.ConstructionStage;
    if (!file_.Write(line, stored)) return fail(file_.error());
    changed_ = true;
    return true;
}

// ---- Setting and counting ----

bool SetStages(project::Project& p, const std::vector<StageSetting>& settings, std::string* error) {
    StageCopy copy;
    if (!copy.Open(p)) return Fail(error, copy.error());
    std::vector<network::TramoT> reaches;
    for (const StageSetting& s : settings) {
        network::TramoT t;
        if (s.line < 1 || s.line > copy.count()) {
            copy.Close();
            return Fail(error, "Linea " + std::to_string(s.line) + ": no existe (hay " +
                                   std::to_string(copy.count()) + " tramos)");
        }
        if (!copy.Read(s.line, t)) {
            const std::string message = copy.error();
            copy.Close();
            return Fail(error, message);
        }
        const std::string problem = StageProblem(t.Class, s.stage);
        if (!problem.empty()) {
            copy.Close();
            return Fail(error, "Linea " + std::to_string(s.line) + ": " + problem);
        }
        t.Diseno.ConstructionStage = static_cast<float>(s.stage);
        reaches.push_back(std::move(t));
    }
    for (size_t k = 0; k < settings.size(); ++k) {
        if (copy.Write(settings[k].line, reaches[k])) continue;
        const std::string message = copy.error();
        copy.Close();
        return Fail(error, message);
    }
    const bool changed = copy.changed();
    if (!copy.Close()) return Fail(error, copy.error());
    return !changed || MarkStagesChanged(p, error);
}

bool LoadStageState(project::Project& p, std::string* error) {
    return network::WithControl(p, error, [] { return true; });
}

bool MarkStagesChanged(project::Project& p, std::string* error) {
    return network::WithControl(p, error, [&] {
        p.header.StageDone[2] = 0;
        p.header.StageDone[3] = 0;
        return network::SaveControlRecords(p, {}, error);
    });
}

bool ReadStageCounts(const project::Project& p, StageCounts& counts, std::string* error) {
    std::vector<network::TramoT> records;
    if (!ReadRecords(p, records, error)) return false;
    counts = CountOf(records);
    return true;
}

bool StoreStageCount(project::Project& p, StageCounts& counts, std::string* error) {
    if (!ReadStageCounts(p, counts, error)) return false;
    return network::WithControl(p, error, [&] {
        p.espec.StageCount = counts.stages();
        return network::SaveControlRecords(p, {kStageCountRecord}, error);
    });
}

bool CountStages(shell::Session& s, StageCounts* out) {
    StageCounts counts;
    std::string error;
    if (!StoreStageCount(s.project, counts, &error)) {
        s.ui.showError(cp(error), "Error");
        return false;
    }
    s.ui.showWarning(StageSummary(counts), "Informacion");
    if (out) *out = counts;
    return true;
}

}  // namespace nivex::quantities
