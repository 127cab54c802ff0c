#include "PageJournal.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QPageSize>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[] = "KARVELPAGE1\n";
constexpr qint64 kMagicSize = sizeof kMagic - 1;
constexpr quint8 kLine = 'L';
constexpr quint8 kSheet = 'P';
// Lines drawn are written out when this much waits, and always when the command ends.
constexpr qsizetype kWriteAt = 1 << 20;

void setVersion(QDataStream& s) {
    s.setVersion(QDataStream::Qt_6_4);
}

QByteArray headerBytes(const DocumentTarget& t) {
    QByteArray bytes(kMagic, kMagicSize);
    QDataStream s(&bytes, QIODevice::Append);
    setVersion(s);
    const QPageSize size = t.layout.pageSize();
    s << t.printer << t.defaultPrinter << t.pdfFile << t.pdfDirectory << qint32(size.id())
      << size.size(QPageSize::Point) << qint32(t.layout.orientation())
      << t.layout.margins(QPageLayout::Point) << t.jobOptions << qint32(t.fromSheet)
      << qint32(t.toSheet) << t.reversed << qint32(t.copies) << t.collated;
    return bytes;
}

bool readHeader(QDataStream& s, DocumentTarget& t) {
    qint32 id = 0, orientation = 0, from = 0, to = 0, copies = 1;
    QSizeF points;
    QMarginsF margins;
    s >> t.printer >> t.defaultPrinter >> t.pdfFile >> t.pdfDirectory >> id >> points >>
        orientation >> margins >> t.jobOptions >> from >> to >> t.reversed >> copies >> t.collated;
    t.fromSheet = from;
    t.toSheet = to;
    t.copies = copies;
    if (s.status() != QDataStream::Ok || points.isEmpty())
        return false;
    const QPageSize size = id >= 0 && id < QPageSize::Custom ? QPageSize(QPageSize::PageSizeId(id))
                                                             : QPageSize(points, QPageSize::Point);
    t.layout =
        QPageLayout(size, QPageLayout::Orientation(orientation), margins, QPageLayout::Point);
    return true;
}

ErrorCode writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ErrorCode::fromErrno(n < 0 ? errno : ENOSPC);
        done += n;
    }
    return {};
}

} // namespace

QString PageJournal::directory() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/karvel");
}

ErrorCode PageJournal::begin(const DocumentTarget& target, QString* where) {
    const QString dir = directory();
    if (where)
        *where = dir;
    if (!QDir().mkpath(dir))
        return ErrorCode::fromErrno(errno ? errno : EACCES, dir);
    ::chmod(QFile::encodeName(dir).constData(), 0700);
    // Made under a name no other copy looks at, locked, and given its header before it takes
    // the name the next start looks for.
    QByteArray name = QFile::encodeName(dir) + "/.page-XXXXXX";
    UniqueFd fd(::mkostemp(name.data(), O_APPEND | O_CLOEXEC));
    if (!fd)
        return ErrorCode::fromErrno(errno, dir);
    ::flock(fd.get(), LOCK_EX);
    const QByteArray header = headerBytes(target);
    ErrorCode error = writeAll(fd.get(), header);
    if (!error && ::fdatasync(fd.get()) != 0)
        error = ErrorCode::fromErrno(errno);
    const QByteArray final = QFile::encodeName(dir) + "/page-" + name.right(6) + ".journal";
    if (!error && ::rename(name.constData(), final.constData()) != 0)
        error = ErrorCode::fromErrno(errno);
    if (error) {
        ::unlink(name.constData());
        return error;
    }
    fd_ = std::move(fd);
    path_ = QFile::decodeName(final);
    target_ = target;
    pending_.clear();
    headerSize_ = written_ = header.size();
    starts_ = {headerSize_};
    return {};
}

void PageJournal::addLine(const DrawnLine& line) {
    QDataStream s(&pending_, QIODevice::Append);
    setVersion(s);
    s << kLine << qint32(line.sheet) << line.x << line.y << line.text << line.family << line.points;
    if (pending_.size() >= kWriteAt)
        (void)writePending(); // else tried again when the command ends
}

ErrorCode PageJournal::writePending() {
    if (const ErrorCode error = writeAll(fd_.get(), pending_)) {
        // A record written in part is taken back, so that the next try appends whole ones.
        if (::ftruncate(fd_.get(), off_t(written_)) != 0)
            return ErrorCode::fromErrno(errno);
        return error;
    }
    written_ += pending_.size();
    pending_.clear();
    return {};
}

void PageJournal::addSheet() {
    pending_.append(char(kSheet));
    starts_.push_back(written_ + pending_.size());
}

ErrorCode PageJournal::save() {
    if (!fd_)
        return {};
    if (const ErrorCode error = writePending())
        return error;
    return ::fdatasync(fd_.get()) == 0 ? ErrorCode() : ErrorCode::fromErrno(errno);
}

void PageJournal::remove() {
    if (!fd_)
        return;
    ::unlink(QFile::encodeName(path_).constData());
    fd_ = UniqueFd();
    pending_.clear();
}

namespace {

// Reads the record from start: each sheet's start to sheet, each line to line, until the end, a
// part cut short, or sheet says no.
ErrorCode walk(int fd, qint64 start, const std::function<bool(qint64)>& sheet,
               const std::function<void(const DrawnLine&)>& line) {
    QFile file;
    if (!file.open(::dup(fd), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ||
        !file.seek(start))
        return ErrorCode::DeviceIo;
    QDataStream s(&file);
    setVersion(s);
    while (!s.atEnd()) {
        quint8 kind = 0;
        s >> kind;
        if (kind == kSheet) {
            if (!sheet(file.pos()))
                break;
            continue;
        }
        DrawnLine l;
        qint32 sheetNumber = 0;
        s >> sheetNumber >> l.x >> l.y >> l.text >> l.family >> l.points;
        if (kind != kLine || s.status() != QDataStream::Ok)
            break; // cut short while it was written: what came before is whole
        l.sheet = sheetNumber;
        if (line)
            line(l);
    }
    return file.error() == QFileDevice::NoError ? ErrorCode() : ErrorCode(ErrorCode::DeviceIo);
}

} // namespace

std::vector<qint64> PageJournal::sheetStarts() const {
    std::vector<qint64> starts{headerSize_};
    walk(fd_.get(), headerSize_, [&](qint64 at) { return starts.push_back(at), true; }, {});
    return starts;
}

ErrorCode PageJournal::readOpenSheet(int sheet, const std::function<void(const DrawnLine&)>& line) {
    if (sheet < 0 || std::size_t(sheet) >= starts_.size())
        return {};
    if (const ErrorCode error = writePending())
        return error;
    return readSheet(starts_[std::size_t(sheet)], line);
}

ErrorCode PageJournal::readSheet(qint64 start,
                                 const std::function<void(const DrawnLine&)>& line) const {
    return walk(
        fd_.get(), start, [](qint64) { return false; }, line);
}

bool PageJournal::anyLeftOpen() {
    return !QDir(directory()).entryList({QStringLiteral("page-*.journal")}, QDir::Files).isEmpty();
}

std::vector<PageJournal> PageJournal::leftOpen() {
    std::vector<PageJournal> found;
    const QDir dir(directory());
    const QStringList names =
        dir.entryList({QStringLiteral("page-*.journal")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        UniqueFd fd(::open(path.constData(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
        if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // a running program holds it
        // Taken and ejected by another copy between the listing and the lock: gone, or a new
        // file under the same name.
        struct stat held {
        }, named{};
        if (::fstat(fd.get(), &held) != 0 || ::stat(path.constData(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev)
            continue;
        QFile file;
        if (!file.open(::dup(fd.get()), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            continue;
        if (file.read(kMagicSize) != QByteArray(kMagic, kMagicSize))
            continue;
        QDataStream s(&file);
        setVersion(s);
        PageJournal journal;
        if (!readHeader(s, journal.target_))
            continue;
        journal.headerSize_ = file.pos();
        journal.written_ = file.size();
        journal.fd_ = std::move(fd);
        journal.path_ = QFile::decodeName(path);
        found.push_back(std::move(journal));
    }
    return found;
}
