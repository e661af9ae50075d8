#include "project/sector_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>
#include <utility>

namespace nivex::project {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFirstLine = "NIVEX bloqueo de sector";
constexpr size_t kLongestText = 4096;  // a holder's file is a few lines
constexpr size_t kLongestValue = 200;
constexpr auto kRetryPause = std::chrono::milliseconds(20);
// A holder that has just made the file may not have written its name yet.
constexpr int kReadTries = 20;
constexpr auto kReadPause = std::chrono::milliseconds(5);

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "?";
    return name;
}

std::string UserName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) return pw->pw_name;
    if (const char* user = std::getenv("USER")) return user;
    return std::to_string(::geteuid());
}

// Field 22 of /proc/<pid>/stat; 0 when it cannot be read.
unsigned long long ProcessStarted(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int k = 3; k <= 22 && fields >> field; ++k)
        if (k == 22) return std::strtoull(field.c_str(), nullptr, 10);
    return 0;
}

std::string Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
    return text;
}

// One line of the file: control characters would break it.
std::string Clean(std::string_view value) {
    std::string out(value.substr(0, kLongestValue));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    return out;
}

std::string ReadAll(int fd) {
    std::string text(kLongestText, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n =
            ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return text;
}

std::optional<LockHolder> ReadHolderPatiently(int fd) {
    for (int k = 0; k < kReadTries; ++k) {
        if (auto holder = ParseLockHolder(ReadAll(fd))) return holder;
        std::this_thread::sleep_for(kReadPause);
    }
    return std::nullopt;
}

// Whether fd is still the file at path (a holder removes its file as it lets it go).
bool SameFile(int fd, const std::string& path) {
    struct stat open{}, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool WriteHolder(int fd, const LockHolder& me) {
    const std::string text = FormatLockHolder(me);
    if (::ftruncate(fd, 0) != 0) return false;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool FlockUnsupported(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

}  // namespace

LockHolder ThisProcess(std::string_view program, bool reading) {
    LockHolder h;
    h.program = Clean(program);
    h.user = Clean(UserName());
    h.host = Clean(HostName());
    h.pid = static_cast<long>(::getpid());
    h.started = ProcessStarted(h.pid);
    h.since = Now();
    h.reading = reading;
    return h;
}

std::string FormatLockHolder(const LockHolder& h) {
    std::string text(kFirstLine);
    text += "\nprograma=" + Clean(h.program);
    text += "\nusuario=" + Clean(h.user);
    text += "\nequipo=" + Clean(h.host);
    text += "\nproceso=" + std::to_string(h.pid);
    text += "\ninicio=" + std::to_string(h.started);
    text += "\ndesde=" + Clean(h.since);
    text += std::string("\nuso=") + (h.reading ? "lectura" : "escritura");
    text += '\n';
    return text;
}

std::optional<LockHolder> ParseLockHolder(std::string_view text) {
    if (text.size() > kLongestText) return std::nullopt;
    LockHolder h;
    bool first = true, havePid = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            if (line != kFirstLine) return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (value.size() > kLongestValue) return std::nullopt;
        auto number = [&](auto& target) {
            const auto [ptr, ec] =
                std::from_chars(value.data(), value.data() + value.size(), target);
            return ec == std::errc() && ptr == value.data() + value.size();
        };
        // Values are read as they would be written: a holder reads back the same.
        if (key == "programa") {
            h.program = Clean(value);
        } else if (key == "usuario") {
            h.user = Clean(value);
        } else if (key == "equipo") {
            h.host = Clean(value);
        } else if (key == "proceso") {
            if (!number(h.pid) || h.pid <= 0) return std::nullopt;
            havePid = true;
        } else if (key == "inicio") {
            if (!number(h.started)) return std::nullopt;
        } else if (key == "desde") {
            h.since = Clean(value);
        } else if (key == "uso") {
            if (value != "lectura" && value != "escritura") return std::nullopt;
            h.reading = value == "lectura";
        }  // keys of later versions are passed over
    }
    if (first || !havePid || h.program.empty() || h.host.empty()) return std::nullopt;
    return h;
}

bool IsThisProcess(const LockHolder& h) {
    return h.host == Clean(HostName()) && h.pid == static_cast<long>(::getpid()) &&
           (h.started == 0 || h.started == ProcessStarted(h.pid));
}

bool HolderIsGone(const LockHolder& h) {
    if (h.host != Clean(HostName())) return false;
    // No process has a number beyond what the system gives.
    if (h.pid <= 0 || h.pid > std::numeric_limits<pid_t>::max()) return true;
    if (::kill(static_cast<pid_t>(h.pid), 0) != 0 && errno == ESRCH) return true;
    if (h.started == 0) return false;
    const unsigned long long started = ProcessStarted(h.pid);
    return started != 0 && started != h.started;
}

std::string InUseMessage(std::string_view extension, const std::optional<LockHolder>& holder,
                         const std::string& lockPath) {
    std::string text = "El sector " + std::string(extension) + " esta en uso por ";
    if (!holder) {
        text += "otro programa, que no se pudo identificar.";
    } else {
        text += holder->program + " (usuario " + holder->user + ", equipo " + holder->host +
                ", proceso " + std::to_string(holder->pid) + ") desde " + holder->since + ".";
    }
    text += "\rNo se hizo ningun cambio.";
    if (!holder || holder->host != Clean(HostName()))
        text += "\rSi ese programa ya no esta abierto, borre el archivo " + lockPath;
    return text;
}

SectorLock::SectorLock(SectorLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      holder_(std::move(other.holder_)),
      me_(std::move(other.me_)),
      error_(std::move(other.error_)) {}

SectorLock& SectorLock::operator=(SectorLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        holder_ = std::move(other.holder_);
        me_ = std::move(other.me_);
        error_ = std::move(other.error_);
    }
    return *this;
}

LockResult SectorLock::Acquire(const std::string& path, const LockHolder& me,
                               std::chrono::milliseconds waitForReaders) {
    if (held() && path == path_) return LockResult::Taken;
    Release();
    holder_.reset();
    error_.clear();
    const auto deadline = std::chrono::steady_clock::now() + waitForReaders;
    // A holder that only reads lets go soon: try again until the wait is over.
    auto busy = [&](int fd, std::optional<LockHolder> other) {
        ::close(fd);
        holder_ = std::move(other);
        const bool retry =
            holder_ && holder_->reading && std::chrono::steady_clock::now() < deadline;
        if (retry) std::this_thread::sleep_for(kRetryPause);
        return retry;
    };
    for (int attempt = 0;; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            error_ = "No se pudo crear el archivo de bloqueo " + path;
            return LockResult::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && !FlockUnsupported(errno)) {
            if (busy(fd, ReadHolderPatiently(fd))) continue;
            return LockResult::Busy;
        }
        if (!SameFile(fd, path)) {  // its holder let it go meanwhile: the next file is new
            ::close(fd);
            if (attempt < 100) continue;
            error_ = "No se pudo tomar el archivo de bloqueo " + path;
            return LockResult::Failed;
        }
        // Free for flock. The file may still name a holder that flock cannot see (on
        // another computer, or where flock is not shared): it stands unless it is gone.
        const std::string text = ReadAll(fd);
        if (!text.empty()) {
            std::optional<LockHolder> other = ParseLockHolder(text);
            if (other && !IsThisProcess(*other) && !HolderIsGone(*other)) {
                if (busy(fd, std::move(other))) continue;
                return LockResult::Busy;
            }
        }
        if (!WriteHolder(fd, me)) {
            ::close(fd);
            error_ = "No se pudo escribir el archivo de bloqueo " + path;
            return LockResult::Failed;
        }
        fd_ = fd;
        path_ = path;
        me_ = me;
        return LockResult::Taken;
    }
}

void SectorLock::Release() {
    if (fd_ < 0) return;
    // Removed while still locked: whoever opened it meanwhile sees that it is gone.
    if (SameFile(fd_, path_)) ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
}

void SectorLock::Moved(const std::string& newPath) {
    if (fd_ >= 0 && SameFile(fd_, newPath)) path_ = newPath;
}

bool FolderHasLiveLock(const std::string& folder, const std::string& except) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->path().filename().string().starts_with(kLockBase)) continue;
        if (!except.empty() && fs::equivalent(it->path(), except, ec)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::string text;
        text.resize(kLongestText + 1);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(in.gcount()));
        const std::optional<LockHolder> holder = ParseLockHolder(text);
        // A file that names nobody may be one whose holder is writing its name.
        if (!holder || !HolderIsGone(*holder)) return true;
    }
    return false;
}

}  // namespace nivex::project
