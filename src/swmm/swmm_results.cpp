#include "swmm/swmm_results.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "console/codepage.h"
#include "console/screen.h"
#include "design/hydraulics.h"
#include "network/network_controls.h"
#include "project/file_size.h"
#include "project/replace_file.h"
#include "specs/criteria_store.h"
#include "swmm/swmm_run.h"
#include "ui/listing_viewer.h"
#include "ui/ui.h"

namespace nivex::swmm {

using network::TramoT;

namespace {

constexpr size_t kTakenWidth = 10;
constexpr double kGravity = 9.81;

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool IsStarLine(const std::string& line) {
    return Trim(line).rfind("***", 0) == 0;
}

// 10 characters from a 0-based column; nothing before the line's start.
std::string Take(const std::string& line, long column) {
    if (column < 0 || static_cast<size_t>(column) >= line.size()) return "";
    return Trim(line.substr(static_cast<size_t>(column), kTakenWidth));
}

// The line after the title, or npos when the title is missing.
size_t AfterTitle(const std::vector<std::string>& report, const char* title) {
    for (size_t i = 0; i < report.size(); ++i)
        if (report[i].find(title) != std::string::npos) return i + 1;
    return std::string::npos;
}

}  // namespace

ColumnResult ExtractColumn(const std::vector<std::string>& report, const LinkColumn& table, int n) {
    ColumnResult r;
    r.values.assign(static_cast<size_t>(std::max(0, n)), "");
    size_t i = AfterTitle(report, table.title);
    if (i == std::string::npos) return r;
    r.tableFound = true;
    // The header word is looked for inside this table only.
    bool content = false;
    long column = -1;
    for (; i < report.size(); ++i) {
        if (IsStarLine(report[i])) {
            if (content) return r;
            continue;
        }
        content = true;
        const size_t at = report[i].find(table.header);
        if (at != std::string::npos) {
            column = static_cast<long>(at);
            break;
        }
    }
    if (column < 0) return r;
    r.headerFound = true;
    i += 2;  // the header line, then the dashes
    for (int row = 0; row < n && i < report.size(); ++row, ++i)
        r.values[static_cast<size_t>(row)] = Take(report[i], column + table.offset);
    r.rows = 0;
    for (const std::string& v : r.values)
        if (!v.empty()) ++r.rows;
    return r;
}

NameResult ExtractNames(const std::vector<std::string>& report, const NameList& table, int n) {
    NameResult r;
    size_t i = AfterTitle(report, table.title);
    if (i == std::string::npos) return r;
    r.tableFound = true;
    bool content = false;
    for (; i < report.size(); ++i) {
        const std::string& line = report[i];
        if (IsStarLine(line)) {
            if (content) return r;
            continue;
        }
        content = true;
        if (line.find(table.none) != std::string::npos) {
            r.none = true;
            return r;
        }
        const size_t at = line.find(table.header);
        if (at == std::string::npos) continue;
        i += 2;
        // The table ends at its blank line, at the end of the file or after n rows.
        for (int row = 0; row < n && i < report.size(); ++row, ++i) {
            if (Trim(report[i]).empty()) break;
            r.names.push_back(Take(report[i], static_cast<long>(at)));
        }
        return r;
    }
    return r;
}

namespace {

bool ParseNumber(const std::string& text, double& v) {
    if (text.empty()) return false;
    char* end = nullptr;
    v = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(v);
}

double CircularHydraulicDepth(double d, double yd) {
    const double theta = 2 * std::acos(1 - 2 * yd);
    const double area = d * d / 8 * (theta - std::sin(theta));
    const double top = d * std::sin(theta / 2);
    return top > 0 ? area / top : 0;
}

}  // namespace

std::vector<std::string> DerivedFroude(const std::vector<std::string>& velocities,
                                       const std::vector<std::string>& depthRatios,
                                       const std::vector<double>& diameters) {
    std::vector<std::string> out(velocities.size());
    for (size_t k = 0; k < velocities.size(); ++k) {
        double v = 0, yd = 0;
        if (k >= depthRatios.size() || !ParseNumber(velocities[k], v) ||
            !ParseNumber(depthRatios[k], yd))
            continue;
        const double d = k < diameters.size() ? diameters[k] / 1000 : 0;
        double froude = 0;
        if (d > 0 && yd > 0 && yd < 1) {
            // Square ducts are written as closed rectangles from 3 m on.
            const double depth = d >= 3 ? yd * d : CircularHydraulicDepth(d, yd);
            if (depth > 0) froude = std::fabs(v) / std::sqrt(kGravity * depth);
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f", design::Round2(froude));
        out[k] = buf;
    }
    return out;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    text.clear();
    if (!project::OversizedFile(path, project::kMostTextFileBytes).empty()) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return false;
    text = bytes.str();
    return true;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    if (!project::OversizedFile(path, project::kMostTextFileBytes).empty()) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return !in.bad();
}

bool WriteResultFile(const std::string& path, const std::vector<std::string>& lines,
                     std::string* error) {
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    return project::ReplaceFileContents(path, text, error);
}

bool ReadResultFile(const std::string& path, int n, std::vector<std::string>& values,
                    std::string* error) {
    values.clear();
    std::vector<std::string> lines;
    if (std::string big = project::OversizedFile(path, project::kMostNumberFileBytes);
        !big.empty()) {
        if (error) *error = big;
        return false;
    }
    if (!ReadTextLines(path, lines)) {
        if (error) *error = "No existe el archivo de resultados SWMM " + path;
        return false;
    }
    if (static_cast<int>(lines.size()) < n) {
        if (error)
            *error = "El archivo de resultados SWMM " + path + " tiene " +
                     std::to_string(lines.size()) + " lineas y la red " + std::to_string(n) +
                     " tramos";
        return false;
    }
    for (int k = 0; k < n; ++k)
        values.push_back(Trim(lines[static_cast<size_t>(k)]));
    return true;
}

bool ExtractResults(const project::FileNames& files, const std::vector<std::string>& report,
                    const std::vector<TramoT>& reaches, const ExtractionSet& which,
                    SwmmReading& reading) {
    const int n = static_cast<int>(reaches.size());
    reading.reaches = n;
    std::string error;
    auto fail = [&](const std::string& e) {
        if (reading.problem.empty()) reading.problem = e;
        return false;
    };
    auto column = [&](bool wanted, const LinkColumn& table, const std::string& path) {
        if (!wanted) return true;
        const ColumnResult c = ExtractColumn(report, table, n);
        return WriteResultFile(path, c.values, &error) || fail(error);
    };
    bool ok = column(which.flows, kMaxFlowColumn, files.swmmMaxFlows()) &&
              column(which.velocities, kVelocityColumn, files.swmmVelocities()) &&
              column(which.depths, kDepthColumn, files.swmmDepths()) &&
              column(which.fullFlows, kFullFlowColumn, files.swmmFullFlows());
    if (!ok) return false;
    // The link flow table tells whether the report holds every conduit.
    const ColumnResult flows = ExtractColumn(report, kMaxFlowColumn, n);
    reading.linkRows = flows.rows;
    if (which.froude) {
        ColumnResult f = ExtractColumn(report, kFroudeColumn, n);
        if (!f.headerFound) {
            std::vector<double> diameters;
            for (const TramoT& t : reaches)
                diameters.push_back(t.Diameter);
            f.values = DerivedFroude(ExtractColumn(report, kVelocityColumn, n).values,
                                     ExtractColumn(report, kDepthColumn, n).values, diameters);
            reading.froudeDerived = true;
        }
        if (!WriteResultFile(files.swmmFroude(), f.values, &error)) return fail(error);
    }
    // The lists name the nodes as the engine read them; the files name them as the program.
    std::map<std::string, std::string> programNames;
    if (which.surchargedNodes || which.floodedNodes) programNames = ProgramNodeNames(reaches);
    auto names = [&](bool wanted, const NameList& table, const std::string& path, int& count) {
        if (!wanted) return true;
        NameResult r = ExtractNames(report, table, n);
        count = static_cast<int>(r.names.size());
        if (r.none) {
            std::error_code ec;
            std::filesystem::remove(path, ec);
            return true;
        }
        for (std::string& name : r.names) {
            const auto it = programNames.find(name);
            if (it != programNames.end()) name = it->second;
        }
        return WriteResultFile(path, r.names, &error) || fail(error);
    };
    ok = names(which.surchargedNodes, kSurchargedNodes, files.swmmSurchargedNodes(),
               reading.surcharged) &&
         names(which.floodedNodes, kFloodedNodes, files.swmmFloodedNodes(), reading.flooded) &&
         names(which.surchargedLinks, kSurchargedLinks, files.swmmSurchargedLinks(),
               reading.surchargedLinks);
    if (!ok) return false;
    if (reading.linkRows < n)
        fail("El reporte de SWMM esta incompleto: la tabla \"Link Flow Summary\" tiene " +
             std::to_string(reading.linkRows) + " de " + std::to_string(n) + " conductos");
    return true;
}

std::string WithProgramNames(const std::string& text,
                             const std::map<std::string, std::string>& names) {
    if (names.empty()) return text;
    std::string out = text;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (size_t k = 0; k < out.size();) {
        if (blank(out[k])) {
            ++k;
            continue;
        }
        size_t end = k;
        while (end < out.size() && !blank(out[end]))
            ++end;
        const auto it = names.find(out.substr(k, end - k));
        // The program's name is as long as the engine's: the columns stay.
        if (it != names.end() && it->second.size() == end - k) out.replace(k, end - k, it->second);
        k = end;
    }
    return out;
}

// ---- Junctions ----

bool HasJunctionProblems(const std::vector<TramoT>& reaches) {
    const int n = static_cast<int>(reaches.size());
    for (const TramoT& t : reaches) {
        if (t.Diseno.F184[1] > 0) return true;  // intermediate drop chambers missing
        if (t.CrownUp == 0) continue;
        const double up = design::Round2(double(t.CrownUp) - double(t.Diameter) / 1000);
        const int count = std::clamp(t.Diseno.I16[4], 0, 5);
        for (int k = 0; k < count; ++k) {
            const int record = t.Diseno.I16[static_cast<size_t>(5 + k)];
            if (record < 1 || record > n) continue;
            const TramoT& in = reaches[static_cast<size_t>(record - 1)];
            if (in.CrownDown == 0) continue;
            const double down = design::Round2(double(in.CrownDown) - double(in.Diameter) / 1000);
            if (up - 0.005 > down + 0.01 + 1e-9) return true;
        }
    }
    return false;
}

bool CheckJunctionProblems(const std::vector<TramoT>& reaches, ui::Ui& ui) {
    if (!HasJunctionProblems(reaches)) return true;
    return ui.askYesNo(cp("Hay tramos con problemas de empalme y/o le faltan camaras de caida "
                          "intermedias, y en esos casos pueden desvirtuarse en algunos sitios los "
                          "resultados de SWMM. (Conviene corregir primero los problemas. Ver "
                          "Diseño/Revision Diseño)") +
                           "\r\r" + std::string(19, ' ') +
                           cp("De todas maneras desea ver los resultados"),
                       cp("Advertencia")) == 'S';
}

// ---- The report of the open sector ----

std::string SwmmReportPath(const SwmmContext& ctx) {
    const project::Project& p = ctx.project;
    return SwmmFileNames(ctx.swmmFolder, p.files.extension(), p.header.ProjectName).report;
}

void DeleteSwmmReport(const SwmmContext& ctx) {
    std::error_code ec;
    std::filesystem::remove(SwmmReportPath(ctx), ec);
}

bool CheckSwmmListingsReady(const SwmmContext& ctx) {
    std::error_code ec;
    if (!std::filesystem::exists(SwmmReportPath(ctx), ec)) {
        ctx.ui.showWarning(cp("Primero debe hacer la Revision con SWMM en menu Diseños"),
                           cp("Informacion"));
        return false;
    }
    if (!std::filesystem::exists(ctx.project.files.swmmReportCopy(), ec)) {
        ctx.ui.showWarning(cp("Primero debe correr el Reporte SWMM en menu Lst. Diseño"),
                           cp("Informacion"));
        return false;
    }
    return true;
}

namespace {

void Status(SwmmContext& ctx, const std::string& text) {
    if (!ctx.screen) return;
    if (text.empty())
        ctx.screen->ClearFieldError();
    else
        ctx.screen->FieldError(text);
}

bool StoreCounts(project::Project& p, int surcharged, int flooded, std::string* error) {
    if (!network::LoadControlState(p, error)) return false;
    p.espec.SurchargedNodes = surcharged;
    p.espec.FloodedNodes = flooded;
    if (!p.OpenControl()) {
        if (error) *error = toUtf8(p.error);
        return false;
    }
    // Record 0 is read again so that only the counts change.
    if (!p.ReadHeader() || !specs::SaveRecords(p.control, p.header, p.espec, {2})) {
        if (error) *error = p.error.empty() ? p.control.error() : toUtf8(p.error);
        p.CloseControl();
        return false;
    }
    p.CloseControl();
    return true;
}

}  // namespace

bool ReadSwmmReport(SwmmContext& ctx, const std::vector<TramoT>& reaches, bool silent,
                    ui::ListingViewer* viewer, SwmmReading* readingOut) {
    SwmmReading local;
    SwmmReading& reading = readingOut ? *readingOut : local;
    reading = SwmmReading{};
    reading.reaches = static_cast<int>(reaches.size());
    project::Project& p = ctx.project;
    std::string error;
    if (p.files.folder().empty()) {
        reading.problem = "No hay un proyecto abierto";
        return false;
    }
    if (!network::LoadControlState(p, &error)) {
        reading.problem = error;
        return false;
    }
    const int cls = p.header.DesignClass;
    if (!p.header.SwmmRan && cls >= 1 && cls <= 5) {
        ctx.ui.showWarning(cp("Primero debe Revisar con Swmm (En opcion menu: \"Diseño\")"),
                           cp("Informacion"));
        return false;
    }
    const std::string reportPath = SwmmReportPath(ctx);
    std::error_code ec;
    const bool exists = std::filesystem::exists(reportPath, ec);
    std::vector<std::string> report;
    if (exists && !ReadTextLines(reportPath, report)) {
        reading.problem = "No se pudo leer el reporte de SWMM " + reportPath;
        Status(ctx, "");
        return silent;
    }
    reading.reportFound = exists;
    if (silent) {
        if (exists) {
            ExtractionSet which;
            which.flows = which.velocities = which.depths = which.fullFlows = which.froude = true;
            which.surchargedNodes = which.floodedNodes = true;
            if (ExtractResults(p.files, report, reaches, which, reading) &&
                !StoreCounts(p, reading.surcharged, reading.flooded, &error) &&
                reading.problem.empty())
                reading.problem = error;
        }
        Status(ctx, "");
        return true;
    }
    if (!exists) {
        Status(ctx, "");
        ctx.ui.showWarning(cp("Primero debe hacer la Revision con SWMM en menu Diseño"),
                           cp("Informacion"));
        return false;
    }
    ExtractionSet first;
    first.fullFlows = first.froude = true;
    ExtractResults(p.files, report, reaches, first, reading);
    if (CheckJunctionProblems(reaches, ctx.ui)) {
        Status(ctx, cp(" ... espere ... "));
        const std::string copy = p.files.swmmReportCopy();
        std::filesystem::remove(copy, ec);
        ec.clear();
        // The listing shows the report with the program's names of the nodes.
        std::string text;
        if (ReadWholeFile(reportPath, text))
            project::ReplaceFileContents(copy, WithProgramNames(text, ProgramNodeNames(reaches)),
                                         nullptr);
        if (!std::filesystem::exists(copy, ec)) {
            ctx.ui.showWarning(cp("No hay nada para imprimir en el rango seleccionado"),
                               cp("Advertencia"));
        } else {
            if (viewer) viewer->ShowListing(copy, cp("Reporte SWMM"));
            ExtractionSet rest;
            rest.flows = rest.velocities = rest.depths = true;
            rest.surchargedNodes = rest.floodedNodes = rest.surchargedLinks = true;
            ExtractResults(p.files, report, reaches, rest, reading);
        }
    }
    Status(ctx, "");
    return false;
}

}  // namespace nivex::swmm
