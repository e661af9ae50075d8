#include "project/trash.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "console/codepage.h"

namespace nivex::project {
namespace {

namespace fs = std::filesystem;

// Trash folder of the home: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
fs::path HomeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return fs::path(home) / ".local" / "share" / "Trash";
}

// Path= holds the absolute path URL-encoded; '/' stays as it is.
std::string UrlEncode(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// "name", then "name.2", "name.3"... with the extension kept last ("XSDA.2.AB1").
std::string Candidate(const fs::path& name, int n) {
    if (n == 1) return name.string();
    return name.stem().string() + "." + std::to_string(n) + name.extension().string();
}

// Claims a name by creating its .trashinfo exclusively; two programs trashing at once
// cannot take the same one.
bool ClaimName(const fs::path& trash, const fs::path& original, const fs::path& name,
               std::string* claimed) {
    const std::string info = "[Trash Info]\nPath=" + UrlEncode(original.string()) +
                             "\nDeletionDate=" + LocalTimeNow() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = Candidate(name, n);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(trash / "files" / candidate, ec))) continue;
        const fs::path infoPath = trash / "info" / (candidate + ".trashinfo");
        std::FILE* f = std::fopen(infoPath.c_str(), "wx");
        if (!f) {
            if (fs::exists(fs::symlink_status(infoPath, ec))) continue;
            return false;
        }
        const bool written = std::fputs(info.c_str(), f) >= 0;
        if (std::fclose(f) != 0 || !written) {
            fs::remove(infoPath, ec);
            return false;
        }
        *claimed = candidate;
        return true;
    }
    return false;
}

// Rename, or copy and remove when the trash lies on another file system.
bool MoveItem(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec) return true;
    if (ec != std::errc::cross_device_link) return false;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) {
        fs::remove_all(to, ec);
        return false;
    }
    fs::remove_all(from, ec);
    return !ec;
}

}  // namespace

bool MoveToTrash(const std::string& path, std::string* error) {
    auto fail = [&](const char* what) {
        *error = std::string(what) + cp(path);
        return false;
    };
    std::error_code ec;
    fs::path original = fs::absolute(path, ec).lexically_normal();
    if (!ec && original.filename().empty()) original = original.parent_path();
    if (ec || !fs::exists(fs::symlink_status(original, ec)))
        return fail("No existe para enviarlo a la papelera: ");

    const fs::path trash = HomeTrash();
    if (trash.empty()) return fail("No se encontro la papelera para enviar: ");
    fs::create_directories(trash / "files", ec);
    if (!ec) fs::create_directories(trash / "info", ec);
    if (ec) return fail("No se pudo crear la papelera para enviar: ");

    std::string name;
    if (!ClaimName(trash, original, original.filename(), &name))
        return fail("No se pudo registrar en la papelera: ");
    if (!MoveItem(original, trash / "files" / name)) {
        fs::remove(trash / "info" / (name + ".trashinfo"), ec);
        return fail("No se pudo mover a la papelera: ");
    }
    return true;
}

}  // namespace nivex::project
