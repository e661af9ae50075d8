// Opening a whole sector folder, as the selection dialog and nivex-batch open it: the
// files of the sector (control, reaches, index, design copy, names, design state, map,
// backup), its lock file, another sector's control file and leftovers of stopped
// rewrites, each with arbitrary contents. The first byte says whether the opening is to
// change the sector or only to read it; then, for each file, a byte naming it, two bytes
// of length (little-endian) and its bytes. Opened to change, the sector is left with its
// lock held and without leftovers; the lock goes once let go. Opened only to read while
// another program holds it, the opening changes nothing.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "console/console.h"
#include "console/screen.h"
#include "fuzz_input.h"
#include "network/network_controls.h"
#include "network/reach_file.h"
#include "project/project_selection.h"
#include "project/replace_file.h"
#include "shell/menu_bar.h"
#include "shell/session.h"
#include "ui/settings_store.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kFiles[] = {"XSDA.AB1",
                                  "ZSDX.AB1",
                                  "XSDC.AB1",
                                  "ZSDB.AB1",
                                  "XSDD.AB1",
                                  "Bloqueo.AB1",
                                  "AB1",
                                  "MAPA.AB1",
                                  "MensEv.AB1",
                                  "SANNEWQ.AB1",
                                  "XSDA.AB2",
                                  "ZSDX.AB1.nivex-tmp-Fz0001",
                                  "XSDA.AB1.tmp",
                                  "Respaldo AB1/XDXS.AB1",
                                  "Respaldo AB1/XSDC.AB1",
                                  "Respaldo AB1/XDXS.AB1.nivex-tmp-Fz0002"};
constexpr size_t kFileCount = sizeof kFiles / sizeof kFiles[0];

// Answers every question Yes and keeps nothing.
struct QuietUi : nivex::ui::Ui {
    char showWarning(const std::string&, const std::string&) override { return 'S'; }
    char showError(const std::string&, const std::string&) override { return 'S'; }
    char askYesNo(const std::string&, const std::string&) override { return 'S'; }
    char askYesNoCancel(const std::string&, const std::string&) override { return 'S'; }
    void showInformation(const std::string&, const std::string&) override {}
};

// Sends nothing to the trash.
struct QuietDesktop : nivex::ui::Desktop {
    bool registerListingFont(const std::string&) override { return true; }
    nivex::ui::OpenResult openDocument(const std::string&) override {
        return nivex::ui::OpenResult::FileMissing;
    }
    void showAbout() override {}
    bool moveToTrash(const std::string&) override { return false; }
};

std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::ifstream in(it->path(), std::ios::binary);
        files[fs::relative(it->path(), folder).string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nivex;
    const bool changes = (fuzz::TakeByte(data, size) & 1) != 0;
    const fs::path base = fuzz::WorkFolder() / "base";
    const fs::path folder = base / "AB-Fuzz";
    std::error_code ec;
    fs::current_path(fuzz::WorkFolder(), ec);
    fs::remove_all(base, ec);
    fs::create_directories(folder / "Respaldo AB1", ec);
    while (size > 0) {
        const size_t which = static_cast<size_t>(fuzz::TakeByte(data, size)) % kFileCount;
        size_t length = static_cast<size_t>(fuzz::TakeByte(data, size));
        length |= static_cast<size_t>(fuzz::TakeByte(data, size)) << 8;
        if (length > size) length = size;
        std::ofstream(folder / kFiles[which], std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
        data += length;
        size -= length;
    }
    const auto before = Contents(folder);

    UiSwitches switches;
    QuietUi ui;
    console::Console console(switches, ui);
    console::Screen screen(console);
    QuietDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session(switches, console, screen, ui, desktop, settings, menu);
    project::Project& p = session.project;
    project::ProjectSelection selection(session, p);
    const bool opened = selection.List(base.string()) == project::ListOutcome::Listed &&
                        selection.Accept({"AB", "1", "1"}, {"fuzz", changes}) == 'S';
    if (opened && p.onlyReads()) {
        const auto after = Contents(folder);
        for (const auto& [name, bytes] : after)
            if (!before.count(name) || before.at(name) != bytes)
                std::fprintf(stderr, "changed by one that only reads: %s\n", name.c_str());
        for (const auto& [name, bytes] : before)
            if (!after.count(name))
                std::fprintf(stderr, "removed by one that only reads: %s\n", name.c_str());
        if (after != before) __builtin_trap();
    }
    if (opened) {  // what the verbs read next
        std::string error;
        if (!p.onlyReads()) network::SettleNetworkFiles(p, &error);
        std::vector<network::TramoT> reaches;
        if (network::LoadControlState(p, &error)) network::ReadStoredReaches(p, reaches, &error);
    }
    if (opened && !p.onlyReads()) {
        if (!p.lock.held()) __builtin_trap();
        for (const fs::path& f : {fs::path(p.files.folder()), fs::path(p.files.backupFolder())})
            for (fs::directory_iterator it(f, ec), end; !ec && it != end; it.increment(ec))
                if (project::IsLeftTempFile(it->path().filename().string(), "AB1"))
                    __builtin_trap();  // a leftover the holder should have removed
        const std::string lock = p.files.lock();
        p.lock.Release();
        if (fs::exists(lock, ec)) __builtin_trap();
    }
    fs::current_path(fuzz::WorkFolder(), ec);
    fs::remove_all(base, ec);
    return 0;
}
