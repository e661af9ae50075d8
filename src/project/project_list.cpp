#include "project/project_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "console/codepage.h"
#include "project/sector_lock.h"

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr const char* kControlBase = "XSDA.";

bool isProjectFolderName(const std::string& name) {
    return name.size() >= 3 && name[2] == '-';
}

// The subfolders of base, by name: the order of the list never depends on the order in
// which the system hands the entries over.
std::vector<std::string> sortedSubfolders(const std::string& base) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(base, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (it->is_directory(kindError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool fileExists(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool hasFirstControlFile(const fs::path& folder, const std::string& code) {
    for (const std::string& c : {code, upper(code)})
        for (char sector : {'0', '1'})
            if (fileExists(folder / (kControlBase + c + sector))) return true;
    return false;
}

bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

// The extensions of the control files of one project folder: "XSDA." + the folder's
// code (upper case) + a sector digit, sorted.
std::vector<std::string> controlExtensions(const fs::path& folder, const std::string& code) {
    std::vector<std::string> exts;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() != 8 || name.compare(0, 5, kControlBase) != 0) continue;
        std::string ext = name.substr(5);
        if (!isUpperLetter(ext[0]) || !isUpperLetter(ext[1]) || ext[2] < '0' || ext[2] > '9')
            continue;
        if (ext.compare(0, 2, code) != 0) continue;
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) continue;
        exts.push_back(ext);
    }
    std::sort(exts.begin(), exts.end());
    return exts;
}

struct Found {
    std::string extension;
    std::string folder;
};

}  // namespace

bool ReadHeaderOnly(const std::string& controlPath, shell::ProyectoT& p) {
    std::ifstream in(controlPath, std::ios::binary);
    if (!in) return false;
    codec::Bytes record(shell::kControlRecordSize);
    in.read(reinterpret_cast<char*>(record.data()), static_cast<std::streamsize>(record.size()));
    if (in.gcount() != static_cast<std::streamsize>(record.size())) return false;
    shell::Decode(record, p);
    return true;
}

std::string ReadProjectName(const std::string& controlPath) {
    shell::ProyectoT p;
    return ReadHeaderOnly(controlPath, p) ? p.ProjectName : std::string();
}

void TrashIncompleteFolders(const std::string& base, ui::Ui& ui, ui::Desktop& desktop) {
    for (const std::string& name : sortedSubfolders(base)) {
        if (!isProjectFolderName(name)) continue;
        const fs::path folder = fs::path(base) / name;
        if (hasFirstControlFile(folder, name.substr(0, 2))) continue;
        // Another process may be making its first sector right now.
        if (FolderHasLiveLock(folder.string())) continue;
        if (desktop.moveToTrash(folder.string()))
            ui.showWarning(
                "Por tener archivos incompletos se envio a la papelera de reciclaje\r"
                "la carpeta: " +
                    cp(name) + " (Puede ser restaurada)",
                "Advertencia");
        else
            ui.showError("No se pudo enviar a la papelera de reciclaje la carpeta: " + cp(name) +
                             "\r(Tiene archivos incompletos)",
                         "Advertencia");
    }
}

std::string DuplicateMessage(const std::string& code, const std::string& base) {
    return "Se interrumpio el despliegue de los proyectos porque existe al\r"
           "menos una Carpeta con letras de identificacion repetidas \"" +
           code +
           "\".\r\r"
           "Localicela con el Explorador de windows en el Directorio ...\r"
           "... " +
           cp(base) +
           "\r"
           " y trasladela a otro directorio.\r\r"
           "Mientras no quite el duplicado no podra cargar el Programa.";
}

std::string SectorLine(const std::string& extension, const std::string& name) {
    if (extension[2] == '0') return extension + " - " + name;
    return extension + " - " + name + " SECTOR # " + extension[2];
}

std::string TotaliserLine(const std::string& code, const std::string& name) {
    return code + "0 - " + name + " TOTAL";
}

FolderListing ListProjects(const std::string& base) {
    FolderListing out;

    // The extensions of every project folder; a code in two folders stops the list.
    std::vector<Found> found;
    std::map<std::string, std::string> folderOfCode;
    for (const std::string& name : sortedSubfolders(base)) {
        if (!isProjectFolderName(name)) continue;
        const std::string code = upper(name.substr(0, 2));
        auto exts = controlExtensions(fs::path(base) / name, code);
        if (exts.empty()) continue;
        if (folderOfCode.count(code)) {
            out.duplicateCode = code;
            return out;
        }
        folderOfCode[code] = name;
        for (auto& e : exts)
            found.push_back({e, name});
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.extension < b.extension; });

    // The sector-0 file of a code with sectors is shown by the totaliser line.
    std::map<std::string, int> extensionsOfCode;
    for (const auto& f : found)
        ++extensionsOfCode[f.extension.substr(0, 2)];
    std::erase_if(found, [&](const Found& f) {
        return f.extension[2] == '0' && extensionsOfCode[f.extension.substr(0, 2)] > 1;
    });

    // The lines, with a totaliser line after the sectors of a project from sector 1.
    auto add = [&](ListEntry e) {
        if (out.entries.size() < kMaxListLines) out.entries.push_back(std::move(e));
    };
    char firstSector = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        const Found& f = found[i];
        const std::string code = f.extension.substr(0, 2);
        const char sector = f.extension[2];
        const bool firstOfCode = i == 0 || found[i - 1].extension.compare(0, 2, code) != 0;
        const bool lastOfCode =
            i + 1 == found.size() || found[i + 1].extension.compare(0, 2, code) != 0;
        std::string name;
        if (sector <= '1' || firstOfCode || out.entries.empty())
            name = ReadProjectName(
                (fs::path(base) / f.folder / (kControlBase + f.extension)).string());
        else
            name = out.entries.back().name;
        add({f.extension, name, "", f.folder, SectorLine(f.extension, name)});

        if (firstOfCode) firstSector = sector;
        if (lastOfCode && firstSector == '1')
            add({code + "0", name, std::string(1, sector), f.folder, TotaliserLine(code, name)});
    }
    return out;
}

}  // namespace nivex::project
