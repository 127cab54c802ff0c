#pragma once
// Whole-file reading and output files on POSIX descriptors, so that every failure carries the
// system's error number (mapped to the runtime's error codes by ErrorCode::fromErrno).
#include "RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sys/types.h>
#include <vector>

// File names as the file system has them: bytes, mostly UTF-8 but not always (a Windows
// archive unpacks to Shift-JIS names). The program holds a name as text in which each byte that
// is not part of valid UTF-8 stands as the lone surrogate U+DC80 + (byte - 0x80), so that every
// name converts back to its exact bytes. These two are the only conversions between names and
// the file system's bytes.
QString fileNameFromBytes(QByteArrayView bytes);
QByteArray fileNameBytes(QStringView name);

// A name the toolkit decoded with U+FFFD for bytes that are not UTF-8 (its file dialogs): each
// part that does not exist as given is matched against its folder's entries, read the same way.
// The name as given where nothing matches.
QString fileNameOnDisk(const QString& name);

// Frees a buffer of the size it was allocated with.
struct BufferRelease {
    std::size_t size = 0;
    void operator()(char* p) const;
};

// A block of bytes read from a file. Not initialised on allocation, so reading a large file
// costs one copy from the page cache and nothing more.
struct ByteBuffer {
    std::unique_ptr<char[], BufferRelease> data;
    std::size_t size = 0;

    // Room for size bytes (large_memory); throws std::bad_alloc.
    static std::unique_ptr<char[], BufferRelease> allocate(std::size_t size);
};

struct FileReadResult {
    ErrorCode openError; // the file was not opened
    ErrorCode readError; // the file was opened but not read to its end
    ByteBuffer bytes;    // what was read (on a read error, the part read before it)
};

// Follows a read as it goes: opened(size) once the file is open, then read(data, size) after each
// piece with all bytes read so far, on the calling thread, while they are still in the cache.
// read returns false when the observer ran out of memory: the reading stops with OutOfMemory.
class ReadObserver {
  public:
    virtual ~ReadObserver() = default;
    virtual void opened(std::size_t size) { (void)size; }
    virtual bool read(const char* data, std::size_t size) { return (void)data, (void)size, true; }
};

// Reads a regular file whole. Directories, FIFOs and devices are refused at the open, without
// blocking on them. A file that reports a size of 0 (a pseudo-file) is read to its end in
// pieces, reported to the observer like a sized file's, into a buffer that grows while it fits
// (large_memory::fits); beyond that the read stops with OutOfMemory.
// slack extra bytes are allocated after the content for the caller's use. locked: read under a
// shared lock, so a rewrite in place (replaceFileContent) is seen before or after, never during.
FileReadResult readWholeFile(const QString& path, std::size_t slack = 0,
                             ReadObserver* observer = nullptr, bool locked = false);

// Replaces a file's content so that a failure at any moment leaves either the old or the new
// content: the bytes go to a temporary file beside it, which is flushed and renamed over the
// old one, with the old one's mode (the umask's for a new file). A symbolic link is followed:
// its target is replaced beside itself and the link stays. A file without write permission
// (for its owner, or for this user) is left alone. Where the directory takes no new file, or the
// file cannot be replaced or its owner kept (another user's file this user may write), the file
// is written in place under an exclusive lock: the new bytes over the old, then cut to their
// length. Returns false on failure (the old file, where there was one, is then left untouched
// by the rename path).
bool replaceFileContent(const QString& path, const QByteArray& bytes);

// Owns a file descriptor (-1: none) and closes it when it goes, whichever way its owner's
// function or life ends.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd();

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes it now (a write's last error may show only here): 0 or the system's error number.
    int close();

  private:
    int fd_ = -1;
};

// An output text file opened for appending or from empty, written through a buffer. A failure
// leaves no part of a row: the file ends at the last row end (endRow) written whole. Content an
// opening from empty replaces is kept until close(): the new content goes to a file beside it
// (a link's target), with its mode, owner and group, which then takes its place; a failure
// keeps the old content. Where the folder takes no new file, the owner cannot be kept or the
// file has other names, it is emptied and written in place.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Each returns the failure, if any. After an error the file stays usable for close().
    // Only a regular file (or /dev/null) is opened: a FIFO, socket or device is refused
    // without blocking and without writing.
    ErrorCode open(const QString& path, bool append);
    ErrorCode write(const char* data, std::size_t size);
    ErrorCode write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // What was written so far ends a row.
    void endRow();
    ErrorCode close();

  private:
    ErrorCode flush();
    ErrorCode failed(int err);
    void dropAside();
    UniqueFd fd_;
    QString path_;
    QByteArray temp_, target_; // the file beside and the one it replaces; empty: in place
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    off_t start_ = 0;                 // where the writing began
    std::uint64_t flushed_ = 0;       // bytes given to the system since then
    std::vector<std::uint32_t> ends_; // where rows end in the buffer
    std::uint64_t whole_ = 0;         // where the last row that reached the system ended
};
