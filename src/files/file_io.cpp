#include "files/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace mv::files {

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

// Closes a descriptor once, whatever path leaves the scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result: a failed close can mean lost data.
    int Close() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n, int& err) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        if (w == 0) {
            err = EIO;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out,
                    std::uint64_t& fileSize, std::string& error) {
    out.clear();
    fileSize = 0;
    // Non-blocking so that opening a pipe without a writer returns at once; it is refused below.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        error = path + ": cannot open: " + Reason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = path + ": cannot open: " + Reason(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = path + ": is a folder, not a file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + ": is not a regular file";
        return false;
    }
    fileSize = static_cast<std::uint64_t>(st.st_size);
    out.resize(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t r = ::read(fd.get(), out.data() + got, maxBytes - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            error = path + ": cannot read: " + Reason(errno);
            out.clear();
            return false;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    out.resize(got);
    // The file may have shrunk or grown since fstat; what was read is what counts.
    if (got < maxBytes) fileSize = got;
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string& error) {
    const std::string fail = path + ": cannot save: ";
    if (path.empty() || path.back() == '/') {
        error = fail + "no file name";
        return false;
    }
    // Save through a symbolic link into the file it points at, so the link survives.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = fail + "a folder of that name exists";
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // Renaming over a device or a pipe would replace it, not write to it.
        error = fail + "not a regular file";
        return false;
    }

    const std::string dir = DirectoryOf(target);
    const std::string base = BaseOf(target);
    std::string temp;
    int fdNum = -1;
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && fdNum < 0; ++attempt) {
        temp = dir;
        temp.append("/.").append(base).append(".").append(std::to_string(::getpid()));
        temp.append(".").append(std::to_string(++counter)).append(".");
        temp.append(std::to_string(std::time(nullptr) % 100000)).append(".tmp");
        // Mode 0666 lets the umask decide, as for any new file.
        fdNum = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fdNum < 0 && errno != EEXIST) break;
    }
    if (fdNum < 0) {
        error = fail + Reason(errno);
        return false;
    }
    Fd fd(fdNum);
    auto abandon = [&](int err) {
        error = fail + Reason(err);
        ::unlink(temp.c_str());
        return false;
    };
    // A replaced file keeps its permissions.
    if (exists) (void)::fchmod(fd.get(), st.st_mode & 07777);
    int err = 0;
    if (!WriteAll(fd.get(), static_cast<const std::uint8_t*>(data), size, err)) return abandon(err);
    if (::fsync(fd.get()) != 0) return abandon(errno);
    if (fd.Close() != 0) return abandon(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return abandon(errno);
    // Make the rename itself durable; a failure here does not undo a completed save.
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) (void)::fsync(dirFd.get());
    return true;
}

}  // namespace mv::files
