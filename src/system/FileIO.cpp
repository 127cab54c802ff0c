#include "FileIO.h"

#include "LargeMemory.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kOutputBufferSize = 1 << 20;
constexpr std::size_t kReadPiece = std::size_t(4) << 20;
constexpr std::size_t kPrefaultThreshold = std::size_t(16) << 20;

int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= std::size_t(n);
    }
    return 0;
}

// Touches every page of a fresh buffer from a helper thread, ahead of the reads. Without a
// thread (small buffers, or none to be had) the reads take the faults themselves.
class PageToucher {
  public:
    PageToucher(char* data, std::size_t size) : touched_(size) {
        if (size < kPrefaultThreshold)
            return;
        touched_ = 0;
        try {
            thread_ = std::thread([this, data, size] { run(data, size); });
        } catch (const std::system_error&) {
            touched_ = size;
        }
    }
    ~PageToucher() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    void waitFor(std::size_t end) {
        while (touched_.load(std::memory_order_acquire) < end)
            std::this_thread::yield();
    }

  private:
    void run(char* data, std::size_t size) {
        const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
        for (std::size_t at = 0; at < size && !stop_.load(std::memory_order_relaxed);) {
            const std::size_t end = std::min(size, at + kReadPiece);
            for (std::size_t p = at; p < end; p += page)
                reinterpret_cast<volatile char*>(data)[p] = 0;
            at = end;
            touched_.store(at, std::memory_order_release);
        }
        touched_.store(size, std::memory_order_release);
    }
    std::atomic<std::size_t> touched_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool isDevNull(const struct stat& st) {
    struct stat null {};
    return S_ISCHR(st.st_mode) && ::stat("/dev/null", &null) == 0 && null.st_rdev == st.st_rdev;
}

// Reads what a file that reports no size holds (pseudo-files such as those in /proc) into a
// buffer of the size found. Returns the error, if any.
ErrorCode readUnsized(int fd, const QString& path, std::size_t slack, ByteBuffer& out) {
    QByteArray bytes;
    char piece[65536];
    for (;;) {
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ErrorCode::fromErrno(errno, path);
        if (n == 0)
            break;
        bytes.append(piece, n);
    }
    out.data = ByteBuffer::allocate(std::size_t(bytes.size()) + slack);
    std::memcpy(out.data.get(), bytes.constData(), std::size_t(bytes.size()));
    out.size = std::size_t(bytes.size());
    return ErrorCode::None;
}

} // namespace

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    close();
}

int UniqueFd::close() {
    if (fd_ < 0)
        return 0;
    return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
}

void BufferRelease::operator()(char* p) const {
    large_memory::release(p, size);
}

std::unique_ptr<char[], BufferRelease> ByteBuffer::allocate(std::size_t size) {
    return std::unique_ptr<char[], BufferRelease>(static_cast<char*>(large_memory::allocate(size)),
                                                  BufferRelease{size});
}

FileReadResult readWholeFile(const QString& path, std::size_t slack, ReadObserver* observer) {
    FileReadResult result;
    if (path.isEmpty() || path.contains(QChar(0))) {
        result.openError = ErrorCode::BadFileName;
        return result;
    }
    const QByteArray native = QFile::encodeName(path);
    const UniqueFd fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        result.openError = ErrorCode::fromErrno(errno, path);
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        result.openError = ErrorCode::fromErrno(errno, path);
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        result.openError = ErrorCode::PathFileAccess;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.openError = ErrorCode::BadFileName;
        return result;
    }
    std::size_t capacity = std::size_t(st.st_size);
    if (observer)
        observer->opened(capacity);
    if (capacity == 0) {
        try {
            result.readError = readUnsized(fd.get(), path, slack, result.bytes);
        } catch (const std::bad_alloc&) {
            result.readError = ErrorCode::OutOfMemory;
        }
        if (observer && result.bytes.size > 0 &&
            !observer->read(result.bytes.data.get(), result.bytes.size))
            result.readError = ErrorCode::OutOfMemory;
        return result;
    }
    try {
        result.bytes.data = ByteBuffer::allocate(capacity + slack);
    } catch (const std::bad_alloc&) {
        result.readError = ErrorCode::OutOfMemory;
        return result;
    }
    char* const data = result.bytes.data.get();
    // Fresh memory costs a page fault per page; a helper touches the pages ahead of the
    // reads, so the faults are taken on the other core while this one copies.
    PageToucher toucher(data, capacity);
    // A file that grows while it is read is read up to the size it had at the open.
    std::size_t got = 0;
    while (got < capacity) {
        const std::size_t want = std::min(kReadPiece, capacity - got);
        toucher.waitFor(got + want);
        ssize_t n = ::read(fd.get(), data + got, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.readError = ErrorCode::fromErrno(errno, path);
            break;
        }
        if (n == 0)
            break;
        got += std::size_t(n);
        if (observer && !observer->read(data, got)) {
            result.readError = ErrorCode::OutOfMemory;
            break;
        }
    }
    result.bytes.size = got;
    return result;
}

namespace {

// The file a path names once every symbolic link is followed (also a link whose target does not
// exist yet); the path itself when it is no link.
QByteArray followLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray target(qsizetype(st.st_size > 0 ? st.st_size : 4096), '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), std::size_t(target.size()));
        if (n < 0)
            return path;
        target.truncate(n);
        if (!target.startsWith('/'))
            target = path.left(path.lastIndexOf('/') + 1) + target;
        path = target;
    }
    return path;
}

mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

bool replaceFileContent(const QString& path, const QByteArray& bytes) {
    const QByteArray native = followLinks(QFile::encodeName(QFileInfo(path).absoluteFilePath()));
    struct stat old {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    // A file its owner protected from writing, or that this user may not write, stays as it is.
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
                   ::access(native.constData(), W_OK) != 0))
        return false;
    const qsizetype slash = native.lastIndexOf('/');
    QByteArray temp = native.left(slash + 1) + '.' + native.mid(slash + 1) + ".XXXXXX";
    if (UniqueFd fd(::mkstemp(temp.data())); fd) {
        // The new file takes the old one's mode and owner, or the umask's mode for a new one.
        ::fchmod(fd.get(), exists ? old.st_mode & 07777 : 0666 & ~currentUmask());
        if (exists && ::geteuid() == 0)
            (void)!::fchown(fd.get(), old.st_uid, old.st_gid);
        bool ok =
            writeAll(fd.get(), bytes.constData(), bytes.size()) == 0 && ::fsync(fd.get()) == 0;
        ok = fd.close() == 0 && ok;
        if (ok && ::rename(temp.constData(), native.constData()) == 0)
            return true;
        ::unlink(temp.constData());
        return false;
    }
    // The directory takes no new file: write in place if the file itself allows it.
    UniqueFd fd(::open(native.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return false;
    const bool ok = writeAll(fd.get(), bytes.constData(), bytes.size()) == 0;
    return fd.close() == 0 && ok;
}

OutputFile::~OutputFile() {
    close();
}

ErrorCode OutputFile::open(const QString& path, bool append) {
    close();
    path_ = path;
    if (path.isEmpty() || path.contains(QChar(0)))
        return ErrorCode::BadFileName;
    const QByteArray native = QFile::encodeName(path);
    // Opened without blocking, so a FIFO with no reader cannot hang the program; anything but
    // a regular file (or /dev/null) is refused before a byte is written or anything truncated.
    UniqueFd fd(::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    if (!fd)
        return errno == ENXIO ? ErrorCode::BadFileName : ErrorCode::fromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !(S_ISREG(st.st_mode) || isDevNull(st)))
        return ErrorCode::BadFileName;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if ((!append && S_ISREG(st.st_mode) && ::ftruncate(fd.get(), 0) != 0) ||
        ::fcntl(fd.get(), F_SETFL, (flags & ~O_NONBLOCK) | (append ? O_APPEND : 0)) != 0)
        return ErrorCode::fromErrno(errno, path);
    fd_ = std::move(fd);
    buffer_.reset(new char[kOutputBufferSize]);
    used_ = 0;
    return ErrorCode::None;
}

ErrorCode OutputFile::flush() {
    if (!fd_ || used_ == 0)
        return ErrorCode::None;
    int err = writeAll(fd_.get(), buffer_.get(), used_);
    used_ = 0;
    return err ? ErrorCode::fromErrno(err, path_) : ErrorCode::None;
}

ErrorCode OutputFile::write(const char* data, std::size_t size) {
    if (!fd_)
        return ErrorCode::BadFileName;
    if (used_ + size > kOutputBufferSize) {
        if (const ErrorCode err = flush())
            return err;
        if (size > kOutputBufferSize) {
            int e = writeAll(fd_.get(), data, size);
            return e ? ErrorCode::fromErrno(e, path_) : ErrorCode::None;
        }
    }
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return ErrorCode::None;
}

ErrorCode OutputFile::close() {
    if (!fd_)
        return ErrorCode::None;
    ErrorCode err = flush();
    if (const int closeError = fd_.close(); closeError != 0 && !err)
        err = ErrorCode::fromErrno(closeError, path_);
    buffer_.reset();
    return err;
}
