#include "FileIO.h"

#include "LargeMemory.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kOutputBufferSize = 1 << 20;
constexpr std::size_t kReadPiece = std::size_t(4) << 20;
constexpr std::size_t kPrefaultThreshold = std::size_t(16) << 20;

int pwriteAll(int fd, const char* data, std::size_t size, off_t at) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size, at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= std::size_t(n);
        at += n;
    }
    return 0;
}

// Writes all of data, or returns the error with *done (when given) set to the bytes written.
int writeAll(int fd, const char* data, std::size_t size, std::size_t* done = nullptr) {
    const char* const start = data;
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done)
                *done = std::size_t(data - start);
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
// buffer that grows a quarter at a time, reporting each piece to the observer as a sized file
// does. A buffer that would not fit stops the reading with OutOfMemory, as a sized file's
// does. Returns the error, if any.
ErrorCode readUnsized(int fd, const QString& path, std::size_t slack, ByteBuffer& out,
                      ReadObserver* observer) {
    out.data = ByteBuffer::allocate(kReadPiece + slack);
    for (;;) {
        const std::size_t capacity = out.data.get_deleter().size - slack;
        if (capacity - out.size < kReadPiece) {
            const std::size_t grown = capacity + std::max(kReadPiece, capacity / 4) + slack;
            try {
                char* p = static_cast<char*>(
                    large_memory::reallocate(out.data.get(), capacity + slack, grown));
                (void)out.data.release();
                out.data = std::unique_ptr<char[], BufferRelease>(p, BufferRelease{grown});
            } catch (const std::bad_alloc&) {
                return ErrorCode::OutOfMemory;
            }
            continue;
        }
        const ssize_t n = ::read(fd, out.data.get() + out.size, capacity - out.size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ErrorCode::fromErrno(errno, path);
        if (n == 0)
            return ErrorCode::None;
        out.size += std::size_t(n);
        if (observer && !observer->read(out.data.get(), out.size))
            return ErrorCode::OutOfMemory;
    }
}

} // namespace

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // a byte b (0x80..0xFF) not in UTF-8 is U+DC00 + b

// The length of the valid UTF-8 sequence at p (shortest form, no surrogates, at most U+10FFFF),
// or 0.
int utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = p[0];
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        length = 2;
    else if (b >= 0xE0 && b <= 0xEF)
        length = 3, low = b == 0xE0 ? 0xA0 : 0x80, high = b == 0xED ? 0x9F : 0xBF;
    else if (b >= 0xF0 && b <= 0xF4)
        length = 4, low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
    else
        return 0;
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return length;
}

bool isEscapedByte(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const auto* run = p; // valid UTF-8 up to p
        int length = 0;
        while (p < end && (length = utf8SequenceLength(p, end)) > 0)
            p += length;
        name += QString::fromUtf8(reinterpret_cast<const char*>(run), p - run);
        if (p < end)
            name += QChar(char16_t(kEscapeBase + *p++));
    }
    return name;
}

QByteArray fileNameBytes(QStringView name) {
    QByteArray bytes;
    qsizetype run = 0; // ordinary text from run up to i
    for (qsizetype i = 0; i <= name.size(); ++i) {
        // A low surrogate after a high one is half of a pair, not an escaped byte.
        const bool escaped = i < name.size() && isEscapedByte(name[i].unicode()) &&
                             (i == 0 || !name[i - 1].isHighSurrogate());
        if (i < name.size() && !escaped)
            continue;
        bytes += name.sliced(run, i - run).toUtf8();
        if (escaped)
            bytes += char(name[i].unicode() - kEscapeBase);
        run = i + 1;
    }
    return bytes;
}

QString fileNameOnDisk(const QString& name) {
    if (!name.contains(QChar::ReplacementCharacter))
        return name;
    QByteArray path = name.startsWith(QLatin1Char('/')) ? QByteArray("/") : QByteArray();
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QByteArray entry = fileNameBytes(part);
        struct stat st {};
        if (part.contains(QChar::ReplacementCharacter) &&
            ::lstat((path + entry).constData(), &st) != 0) {
            if (DIR* dir = ::opendir(path.isEmpty() ? "." : path.constData())) {
                while (const dirent* e = ::readdir(dir))
                    if (QString::fromUtf8(e->d_name) == part) {
                        entry = e->d_name;
                        break;
                    }
                ::closedir(dir);
            }
        }
        path += entry;
        if (&part != &parts.constLast())
            path += '/';
    }
    if (name.endsWith(QLatin1Char('/')))
        path += '/';
    return fileNameFromBytes(path);
}

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

FileReadResult readWholeFile(const QString& path, std::size_t slack, ReadObserver* observer,
                             bool locked) {
    FileReadResult result;
    if (path.isEmpty() || path.contains(QChar(0))) {
        result.openError = ErrorCode::BadFileName;
        return result;
    }
    const QByteArray native = fileNameBytes(path);
    const UniqueFd fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        result.openError = ErrorCode::fromErrno(errno, path);
        return result;
    }
    if (locked)
        while (::flock(fd.get(), LOCK_SH) != 0 && errno == EINTR) {
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
            result.readError = readUnsized(fd.get(), path, slack, result.bytes, observer);
        } catch (const std::bad_alloc&) {
            result.readError = ErrorCode::OutOfMemory;
        }
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

// A name's bytes, from the root.
QByteArray absoluteNameBytes(const QString& path) {
    QByteArray bytes = fileNameBytes(path);
    if (bytes.startsWith('/'))
        return bytes;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd))
        return bytes;
    QByteArray dir(cwd);
    return dir.endsWith('/') ? dir + bytes : dir + '/' + bytes;
}

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

// A new file beside native (a link's target) that can take its place: with the old file's mode,
// owner and group, or the umask's mode where there is none yet. None (-1) where the directory
// takes no new file or the owner and group cannot be kept (the old file is then written in
// place); path receives its name.
UniqueFd tempBeside(const QByteArray& native, const struct stat* old, QByteArray& path) {
    if (old && ::geteuid() != 0 && old->st_uid != ::geteuid())
        return UniqueFd();
    const qsizetype slash = native.lastIndexOf('/');
    path = native.left(slash + 1) + '.' + native.mid(slash + 1) + ".XXXXXX";
    UniqueFd fd(::mkostemp(path.data(), O_CLOEXEC));
    if (!fd)
        return fd;
    // The owner first: a change of owner or group clears the set-ID bits of the mode.
    bool kept = true;
    if (old && ::geteuid() == 0)
        kept = ::fchown(fd.get(), old->st_uid, old->st_gid) == 0;
    else if (old && old->st_gid != ::getegid())
        kept = ::fchown(fd.get(), uid_t(-1), old->st_gid) == 0;
    kept = kept && ::fchmod(fd.get(), old ? old->st_mode & 07777 : 0666 & ~currentUmask()) == 0;
    if (!kept) {
        ::unlink(path.constData());
        return UniqueFd();
    }
    return fd;
}

// Writes bytes over a file's content from its start and then cuts it to their length, under an
// exclusive lock, so that no moment shows it empty or cut short to another copy of the program
// that locks it to read (readWholeFile's shared lock) or to write.
bool rewriteInPlace(const QByteArray& native, const QByteArray& bytes) {
    UniqueFd fd(::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    while (::flock(fd.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    bool ok = pwriteAll(fd.get(), bytes.constData(), std::size_t(bytes.size()), 0) == 0 &&
              ::ftruncate(fd.get(), off_t(bytes.size())) == 0 && ::fsync(fd.get()) == 0;
    return fd.close() == 0 && ok;
}

} // namespace

bool replaceFileContent(const QString& path, const QByteArray& bytes) {
    const QByteArray native = followLinks(absoluteNameBytes(path));
    struct stat old {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    // A file its owner protected from writing, or that this user may not write, stays as it is.
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
                   ::access(native.constData(), W_OK) != 0))
        return false;
    QByteArray temp;
    if (UniqueFd fd = tempBeside(native, exists ? &old : nullptr, temp); fd) {
        bool ok =
            writeAll(fd.get(), bytes.constData(), bytes.size()) == 0 && ::fsync(fd.get()) == 0;
        ok = fd.close() == 0 && ok;
        if (ok && ::rename(temp.constData(), native.constData()) == 0)
            return true;
        ::unlink(temp.constData());
        // A file that may be written but not replaced (another user's, in a sticky folder) is
        // written in place.
        if (!ok || !exists)
            return false;
    }
    // The directory takes no new file, or the file could not be replaced: write in place if
    // the file itself allows it.
    return exists && rewriteInPlace(native, bytes);
}

OutputFile::~OutputFile() {
    close();
}

ErrorCode OutputFile::open(const QString& path, bool append) {
    close();
    path_ = path;
    if (path.isEmpty() || path.contains(QChar(0)))
        return ErrorCode::BadFileName;
    const QByteArray native = fileNameBytes(path);
    // Opened without blocking, so a FIFO with no reader cannot hang the program; anything but
    // a regular file (or /dev/null) is refused before a byte is written or anything truncated.
    UniqueFd fd(::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    if (!fd)
        return errno == ENXIO ? ErrorCode::BadFileName : ErrorCode::fromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !(S_ISREG(st.st_mode) || isDevNull(st)))
        return ErrorCode::BadFileName;
    // Content to replace goes aside first (not for a file of several names, which a new file
    // would part from the others).
    if (!append && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_nlink == 1) {
        const QByteArray target = followLinks(absoluteNameBytes(path));
        if (UniqueFd aside = tempBeside(target, &st, temp_); aside) {
            fd = std::move(aside);
            target_ = target;
        } else {
            temp_.clear();
        }
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if ((!append && temp_.isEmpty() && S_ISREG(st.st_mode) && ::ftruncate(fd.get(), 0) != 0) ||
        ::fcntl(fd.get(), F_SETFL, (flags & ~O_NONBLOCK) | (append ? O_APPEND : 0)) != 0) {
        const ErrorCode err = ErrorCode::fromErrno(errno, path);
        dropAside();
        return err;
    }
    fd_ = std::move(fd);
    buffer_.reset(new char[kOutputBufferSize]);
    start_ = append && S_ISREG(st.st_mode) ? st.st_size : 0;
    used_ = flushed_ = whole_ = 0;
    ends_.clear();
    return ErrorCode::None;
}

void OutputFile::dropAside() {
    if (!temp_.isEmpty())
        ::unlink(temp_.constData());
    temp_.clear();
}

ErrorCode OutputFile::failed(int err) {
    // Written in place: the file ends at the last row written whole.
    if (temp_.isEmpty())
        (void)!::ftruncate(fd_.get(), start_ + off_t(whole_));
    return ErrorCode::fromErrno(err, path_);
}

ErrorCode OutputFile::flush() {
    if (!fd_ || used_ == 0)
        return ErrorCode::None;
    std::size_t done = used_;
    const int err = writeAll(fd_.get(), buffer_.get(), used_, &done);
    // The last row end that reached the file.
    const auto end = std::upper_bound(ends_.begin(), ends_.end(), done);
    if (end != ends_.begin())
        whole_ = flushed_ + end[-1];
    flushed_ += used_;
    used_ = 0;
    ends_.clear();
    return err ? failed(err) : ErrorCode::None;
}

ErrorCode OutputFile::write(const char* data, std::size_t size) {
    if (!fd_)
        return ErrorCode::BadFileName;
    if (used_ + size > kOutputBufferSize) {
        if (const ErrorCode err = flush())
            return err;
        if (size > kOutputBufferSize) {
            const int err = writeAll(fd_.get(), data, size);
            flushed_ += size;
            return err ? failed(err) : ErrorCode::None;
        }
    }
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return ErrorCode::None;
}

void OutputFile::endRow() {
    if (used_ == 0)
        whole_ = flushed_;
    else if (ends_.empty() || ends_.back() != used_)
        ends_.push_back(std::uint32_t(used_));
}

ErrorCode OutputFile::close() {
    if (!fd_)
        return ErrorCode::None;
    ErrorCode err = flush();
    if (const int closeError = fd_.close(); closeError != 0 && !err)
        err = ErrorCode::fromErrno(closeError, path_);
    buffer_.reset();
    // The new content takes the old one's place only when all of it was written.
    if (!temp_.isEmpty() && !err && ::rename(temp_.constData(), target_.constData()) != 0)
        err = ErrorCode::fromErrno(errno, path_);
    if (err)
        dropAside();
    temp_.clear();
    return err;
}
