#pragma once
// One sector, one writer: the lock file beside a sector's files ("Bloqueo.AB1"). A process
// that changes the sector holds it for as long as it works on it; another one reads from
// it who holds it and changes nothing. The file is locked with flock, so that the lock
// of a process that died is free again, and it names its holder, so that the others can
// be told who it is and a lock the system did not free (another file system, another
// computer) can still be judged by the holder's process.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace nivex::project {

// Who holds a sector, as the lock file says.
struct LockHolder {
    std::string program;  // "NIVEX", "nivex-batch design"
    std::string user;
    std::string host;
    long pid = 0;
    // When the process started, in clock ticks after the computer started (0: unknown):
    // tells a process from a later one that was given the same number.
    unsigned long long started = 0;
    std::string since;     // when it took the lock, "31/01/2026 10:32:05"
    bool reading = false;  // it only reads, and for a short while
};

// This process as a holder, with the time of now.
LockHolder ThisProcess(std::string_view program, bool reading);

// The lock file's text, and back; nothing when the text is not a holder's.
std::string FormatLockHolder(const LockHolder& holder);
std::optional<LockHolder> ParseLockHolder(std::string_view text);

// Whether the holder is this very process.
bool IsThisProcess(const LockHolder& holder);
// Whether the holder is certainly gone: it ran on this computer and its process no longer
// runs (or the number now belongs to a process started at another time). A holder on
// another computer cannot be checked and is never taken as gone.
bool HolderIsGone(const LockHolder& holder);

// "El sector AB1 esta en uso por ... desde ...", UTF-8. With no holder (the file could not
// be read) or a holder on another computer, it says how to free the sector by hand.
std::string InUseMessage(std::string_view extension, const std::optional<LockHolder>& holder,
                         const std::string& lockPath);

enum class LockResult {
    Taken,   // this process holds the sector now
    Busy,    // another one holds it: holder() says who, when the file says so
    Failed,  // the lock file could not be made or written: error() says why
};

class SectorLock {
  public:
    SectorLock() = default;
    ~SectorLock() { Release(); }
    SectorLock(const SectorLock&) = delete;
    SectorLock& operator=(const SectorLock&) = delete;
    SectorLock(SectorLock&& other) noexcept;
    SectorLock& operator=(SectorLock&& other) noexcept;

    // Takes the lock file at path for me. While a holder that only reads keeps it, tries
    // again for up to waitForReaders. A lock left by a process that is gone is taken over.
    LockResult Acquire(const std::string& path, const LockHolder& me,
                       std::chrono::milliseconds waitForReaders = std::chrono::milliseconds(0));
    // Frees the lock and removes its file; nothing when none is held.
    void Release();
    // The file was moved with its folder to newPath: it is named so from now on.
    void Moved(const std::string& newPath);

    bool held() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Who took it, while held.
    const LockHolder& me() const { return me_; }
    // After Busy: the other holder, when its file could be read.
    const std::optional<LockHolder>& holder() const { return holder_; }
    // After Failed, UTF-8, naming the file.
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    std::string path_;
    std::optional<LockHolder> holder_;
    LockHolder me_;
    std::string error_;
};

// Whether a lock file in folder, but the one named except, is held by a process that is
// not gone (a folder in which another process is making or changing a sector).
bool FolderHasLiveLock(const std::string& folder, const std::string& except = {});

// "Bloqueo." + extension: the base of a sector's lock file.
constexpr std::string_view kLockBase = "Bloqueo.";

}  // namespace nivex::project
