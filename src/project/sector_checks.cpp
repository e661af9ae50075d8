#include "project/sector_checks.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "console/codepage.h"
#include "project/file_size.h"
#include "project/project_list.h"
#include "project/replace_file.h"
#include "shell/control_file.h"

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr size_t kStageQuantities = 6;  // StageDone[2] in record 0
constexpr size_t kStageBudget = 7;      // StageDone[3]

std::string fileOf(const std::string& folder, const char* base, const std::string& ext) {
    return (fs::path(folder) / (base + ext)).string();
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool sectorFilesExist(const std::string& folder, const std::string& ext) {
    return exists(fileOf(folder, "XSDA.", ext)) && exists(fileOf(folder, "ZSDB.", ext)) &&
           exists(fileOf(folder, "XSDD.", ext));
}

bool sectorComplete(const std::string& controlPath) {
    shell::ProyectoT p;
    if (!ReadHeaderOnly(controlPath, p)) return false;
    for (uint8_t done : p.ControlsDone)
        if (!done) return false;
    return p.StageDone[0] && p.StageDone[1];
}

bool readWhole(const std::string& path, std::vector<char>& bytes) {
    if (!OversizedFile(path, kMostTextFileBytes).empty()) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Writes bytes to target through a temporary file beside it and a rename.
bool replaceFile(const std::string& target, const std::vector<char>& bytes) {
    const std::string temp = MakeTempFile(target, nullptr);
    if (temp.empty()) return false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) fs::remove(temp, ec);
    return !ec;
}

bool copyFile(const std::string& from, const std::string& to, bool clearLaterStages,
              std::string& error) {
    std::vector<char> bytes;
    if (!readWhole(from, bytes)) {
        error = "No se pudo leer el archivo " + cp(from);
        return false;
    }
    if (clearLaterStages && bytes.size() > kStageBudget) {
        bytes[kStageQuantities] = 0;
        bytes[kStageBudget] = 0;
    }
    if (!replaceFile(to, bytes)) {
        error = "No se pudo escribir el archivo " + cp(to);
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> SectorCheckFailure(const std::string& folder, const std::string& code,
                                              const std::string& sector,
                                              const std::string& sectors) {
    if (exists(fileOf(folder, "XSDA.", code + "0")) && sector >= "1" && sectors == "1" &&
        !exists(fileOf(folder, "XSDA.", code + "1")))
        return "Ya existe un proyecto sin sectores con ese mismo codigo";
    if (exists(fileOf(folder, "XSDA.", code + "1")) && sector == "0" && sectors == "1")
        return "El proyecto requiere al menos otros sector antes \r"
               "de poder usar esta opcion de totalizacion";
    if (sector >= "2" && !sector.empty()) {
        const std::string previous(1, static_cast<char>(sector[0] - 1));
        if (!exists(fileOf(folder, "XSDA.", code + previous)))
            return "Los sectores deben incluirse en estricto orden ascendente";
    }
    return std::nullopt;
}

TotaliserCheck CheckTotaliser(const std::string& folder, const std::string& code, int count) {
    TotaliserCheck check;
    check.complete = true;
    check.table = "Sector       Estado \r\n\r\n";
    for (int s = 1; s <= count; ++s) {
        const std::string ext = code + std::to_string(s);
        const char* state;
        if (!sectorFilesExist(folder, ext)) {
            state = " ... Inexistente ... ";
            check.complete = false;
        } else {
            if (check.sourceSector == 0) check.sourceSector = s;
            if (sectorComplete(fileOf(folder, "XSDA.", ext))) {
                state = "   << Correcto >>    ";
            } else {
                state = " .. Falta Calculo .. ";
                check.complete = false;
            }
        }
        check.table += "   " + std::to_string(s) + state + "\r\n";
    }
    check.table += "\r\n... No puede  Totalizar ...\r\n";
    return check;
}

bool CopyIntoTotaliser(const std::string& folder, const std::string& code, int source,
                       std::string& error) {
    const std::string from = code + std::to_string(source);
    const std::string to = code + "0";
    return copyFile(fileOf(folder, "XSDA.", from), fileOf(folder, "XSDA.", to), true, error) &&
           copyFile(fileOf(folder, "ZSDB.", from), fileOf(folder, "ZSDB.", to), false, error) &&
           copyFile(fileOf(folder, "XSDD.", from), fileOf(folder, "XSDD.", to), false, error);
}

}  // namespace nivex::project
