#include "platform/io/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <string_view>

namespace veskel {
namespace {

std::string Reason(int err) { return std::strerror(err); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }

private:
    int fd_;
};

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes, const NeededBytes& needed) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(Reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw FileError(Reason(errno));
    if (S_ISDIR(st.st_mode)) throw FileError(Reason(EISDIR));
    if (st.st_size > 0 && std::size_t(st.st_size) > maxBytes) throw FileError("file too large");
    const bool stream = !S_ISREG(st.st_mode);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(st.st_size > 0 ? std::size_t(st.st_size) : 0);
    std::uint8_t buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(Reason(errno));
        }
        if (n == 0) break;
        if (bytes.size() + std::size_t(n) > maxBytes) throw FileError("file too large");
        bytes.insert(bytes.end(), buf, buf + n);
        if (stream && needed) {
            if (const std::size_t want = needed(bytes); want <= bytes.size()) {
                bytes.resize(want);
                break;
            }
        }
    }
    return bytes;
}

namespace {

constexpr std::string_view kTempPrefix = ".veskel-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandomChars = 6;

bool IsTempName(std::string_view name) {
    return name.size() == kTempPrefix.size() + kTempRandomChars + kTempSuffix.size() &&
           name.substr(0, kTempPrefix.size()) == kTempPrefix &&
           name.substr(name.size() - kTempSuffix.size()) == kTempSuffix;
}

std::string TempName() {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // Random bytes from the kernel: std::random_device would first probe the processor, which
    // costs more than the whole name inside a virtual machine.
    std::uint8_t bytes[kTempRandomChars];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != ssize_t(sizeof bytes)) {
        // No entropy yet (early boot): the time and the process make the name unlikely to clash,
        // and a clash only means another try.
        static std::atomic<std::uint64_t> counter{0};
        std::uint64_t v = std::uint64_t(::getpid()) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(std::time(nullptr)) ^
                          (counter.fetch_add(1) * 0xBF58476D1CE4E5B9ull);
        for (std::uint8_t& b : bytes) b = std::uint8_t(v >>= 7);
    }
    std::string name(kTempPrefix);
    for (std::uint8_t b : bytes) name += kChars[b % (sizeof kChars - 1)];
    name += kTempSuffix;
    return name;
}

// The first tries at a temporary name for `path` take their characters from its file name, so
// the next save of the same file finds what a dead save of it left without reading the whole
// folder (which, in a folder of thousands of banners, would cost more than the save itself);
// later tries, after clashes, are random.
constexpr int kDerivedTries = 4;

std::string TempNameFor(const std::string& path, int attempt) {
    if (attempt >= kDerivedTries) return TempName();
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t slash = path.find_last_of('/');
    std::uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a over the file name and the try
    for (std::size_t i = slash == std::string::npos ? 0 : slash + 1; i < path.size(); ++i)
        h = (h ^ std::uint8_t(path[i])) * 0x100000001b3ull;
    h = (h ^ std::uint64_t(attempt)) * 0x100000001b3ull;
    std::string name(kTempPrefix);
    for (std::size_t i = 0; i < kTempRandomChars; ++i, h /= sizeof kChars - 1) name += kChars[h % (sizeof kChars - 1)];
    name += kTempSuffix;
    return name;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// Removes `name` in `dirFd` if it is a temporary file that a dead save left: a living save holds
// a lock on its file, so a file whose lock can be taken has no owner any more.
void RemoveIfDead(int dirFd, const char* name) {
    Fd fd(::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat opened {}, named {};
    if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return;  // its save is alive
    // Unlink only the file that was checked, not one that has taken its name since.
    if (::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino &&
        named.st_dev == opened.st_dev)
        ::unlinkat(dirFd, name, 0);
}

// Removes what dead saves of `path` left beside it under the names they took first.
void RemoveDeadSavesOf(const std::string& dir, const std::string& path) {
    for (int attempt = 0; attempt < kDerivedTries; ++attempt)
        RemoveIfDead(AT_FDCWD, (dir + "/" + TempNameFor(path, attempt)).c_str());
}

// Removes every temporary file that dead saves left in `dir`. Done once per folder and process,
// so a batch into one folder does not read the folder again for every file. Other threads wait
// until it is done: their staged files, unlocked once written, must not look dead to it.
void RemoveDeadSavesOnce(const std::string& dir) {
    static std::mutex mutex;
    static std::set<std::string> done;
    std::lock_guard<std::mutex> lock(mutex);
    if (!done.insert(dir).second) return;
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0) return;
    DIR* listing = ::fdopendir(::dup(dirFd.get()));
    if (!listing) return;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(listing))
        if (IsTempName(e->d_name)) names.push_back(e->d_name);
    ::closedir(listing);
    for (const std::string& name : names) RemoveIfDead(dirFd.get(), name.c_str());
}

void WriteAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(Reason(errno));
        }
        done += std::size_t(n);
    }
}

// The permissions the file gets: an existing target's own, otherwise those of an ordinary new
// file (0666 less the umask, applied by open itself).
void KeepPermissions(int fd, const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        throw FileError(Reason(errno));
}

// Writes into an unnamed file of `dir` and links it in as `path`. Returns false when the file
// system offers no unnamed files (nothing has been written then).
bool WriteAnonymous(const std::string& dir, const std::string& path, std::span<const std::uint8_t> data) {
    Fd fd(::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
        throw FileError(Reason(errno));
    }
    KeepPermissions(fd.get(), path);
    WriteAll(fd.get(), data);
    if (::fsync(fd.get()) != 0) throw FileError(Reason(errno));
    // Held until the end, so that while the file has a temporary name no cleaner takes it.
    if (::flock(fd.get(), LOCK_EX) != 0) throw FileError(Reason(errno));
    const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
    // A new file is linked in under its own name at once, in one step.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno == ENOENT && ::access("/proc/self/fd", X_OK) != 0) return false;  // no /proc: the named way
    if (errno != EEXIST) throw FileError(Reason(errno));
    // Replacing: a name of our own form beside it, renamed over the old file. A kill between the
    // two steps leaves that name, which the next process's first save here removes.
    for (int attempt = 0;; ++attempt) {
        const std::string tmp = dir + "/" + TempNameFor(path, attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST && attempt < 100) continue;
            throw FileError(Reason(errno));
        }
        if (::rename(tmp.c_str(), path.c_str()) != 0) {
            const int err = errno;
            ::unlink(tmp.c_str());
            throw FileError(Reason(err));
        }
        return true;
    }
}

// Creates a file of our temporary-name form for `path` in `dir`, locked so that no cleaner takes
// it while this process lives, and stores its name in `tmp`.
Fd CreateLockedTemporary(const std::string& dir, const std::string& path, std::string& tmp) {
    for (int attempt = 0;; ++attempt) {
        tmp = dir + "/" + TempNameFor(path, attempt);
        Fd created(::open(tmp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666));
        if (created.get() < 0) {
            if (errno == EEXIST && attempt < 100) continue;
            throw FileError(Reason(errno));
        }
        struct stat st {};
        // A cleaner may have taken the file between its creation and the lock: then start over.
        if (::flock(created.get(), LOCK_EX) == 0 && ::fstat(created.get(), &st) == 0 && st.st_nlink > 0)
            return created;
        if (attempt >= 100) throw FileError(Reason(EAGAIN));
    }
}

void WriteNamed(const std::string& dir, const std::string& path, std::span<const std::uint8_t> data) {
    std::string tmp;
    Fd fd = CreateLockedTemporary(dir, path, tmp);
    try {
        KeepPermissions(fd.get(), path);
        WriteAll(fd.get(), data);
        if (::fsync(fd.get()) != 0) throw FileError(Reason(errno));
        if (::rename(tmp.c_str(), path.c_str()) != 0) throw FileError(Reason(errno));
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
}

}  // namespace

void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> data, TempFileKind kind) {
    const std::string dir = FolderOf(path);
    RemoveDeadSavesOf(dir, path);
    if (kind != TempFileKind::Anonymous || !WriteAnonymous(dir, path, data)) WriteNamed(dir, path, data);
    // Make the new name durable; a failure here no longer endangers either file.
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) ::fsync(dirFd.get());
}

std::string WriteTemporaryBeside(const std::string& path, std::span<const std::uint8_t> data) {
    const std::string dir = FolderOf(path);
    RemoveDeadSavesOnce(dir);
    std::string tmp;
    Fd fd = CreateLockedTemporary(dir, path, tmp);
    try {
        KeepPermissions(fd.get(), path);
        WriteAll(fd.get(), data);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    // Closing drops the lock: a staged file waits unlocked for its rename, which the batch does
    // within about a second; only another process's first save into this folder in that moment
    // could take it, and the line is then reported as not written.
    if (::close(fd.release()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw FileError(Reason(err));
    }
    return tmp;
}

std::vector<std::string> FlushAndRename(const std::vector<StagedFile>& files) {
    std::vector<std::string> reasons(files.size());
    // One flush per file system: syncfs writes out every file of it, these among them. Where it
    // fails, each file is flushed on its own, which also tells which of them failed.
    std::vector<dev_t> flushed, failed;
    for (const StagedFile& f : files) {
        struct stat st {};
        if (::stat(f.temporary.c_str(), &st) != 0) continue;  // reported when it is flushed or renamed
        const auto seen = [&](const std::vector<dev_t>& v) { return std::find(v.begin(), v.end(), st.st_dev) != v.end(); };
        if (seen(flushed) || seen(failed)) continue;
        Fd dir(::open(FolderOf(f.temporary).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0 && ::syncfs(dir.get()) == 0)
            flushed.push_back(st.st_dev);
        else
            failed.push_back(st.st_dev);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const StagedFile& f = files[i];
        struct stat st {};
        if (::stat(f.temporary.c_str(), &st) != 0) {
            reasons[i] = Reason(errno);
            continue;
        }
        if (std::find(flushed.begin(), flushed.end(), st.st_dev) == flushed.end()) {
            Fd fd(::open(f.temporary.c_str(), O_RDONLY | O_CLOEXEC));
            if (fd.get() < 0 || ::fsync(fd.get()) != 0) {
                reasons[i] = Reason(errno);
                ::unlink(f.temporary.c_str());
                continue;
            }
        }
        if (::rename(f.temporary.c_str(), f.path.c_str()) != 0) {
            reasons[i] = Reason(errno);
            ::unlink(f.temporary.c_str());
        }
    }
    return reasons;
}

void SyncFolders(const std::vector<std::string>& paths) {
    std::vector<std::string> done;
    for (const std::string& p : paths) {
        std::string dir = FolderOf(p);
        if (std::find(done.begin(), done.end(), dir) != done.end()) continue;
        Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() >= 0) ::fsync(fd.get());
        done.push_back(std::move(dir));
    }
}

std::string LowerExtension(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

}  // namespace veskel
