#include "OutputRules.h"

#include "document/LineStore.h"
#include "system/FileIO.h"
#include "system/Progress.h"

#include <sys/stat.h>

namespace {

// Whether the output file will start empty (replaced, new or empty), so it takes a byte order
// mark; looked at before opening, which replaces it.
bool startsEmpty(const QString& path, bool append) {
    struct stat st {};
    return !append || ::stat(fileNameBytes(path).constData(), &st) != 0 ||
           (S_ISREG(st.st_mode) && st.st_size == 0);
}

ErrorCode writeMark(OutputFile& file, bool empty, TextEncoding encoding) {
    const QByteArrayView mark = byteOrderMark(encoding);
    return empty && !mark.isEmpty() ? file.write(mark.data(), std::size_t(mark.size()))
                                    : ErrorCode::None;
}

} // namespace

QString outputFailureText() {
    return QStringLiteral("ファイルをオープンできません");
}
QString outputDialogTitle() {
    return QStringLiteral("書き出しファイル名");
}

ErrorCode writeSelectedRows(const QString& path, bool append, const LineStore& rows,
                            Progress* progress) {
    OutputFile file;
    const bool empty = startsEmpty(path, append);
    if (const ErrorCode err = file.open(path, append))
        return err;
    ErrorCode err = writeMark(file, empty, rows.format().encoding);
    const QByteArrayView end = lineTerminator(rows.format());
    const std::size_t total = rows.rowCount();
    std::size_t written = 0;
    rows.forEachSelected([&](std::size_t row) {
        if (err)
            return false;
        // Stopped by the person: the rows written so far stay, and that is no failure.
        if (progress && ++written % 4096 == 0 && !progress->advance(row, total))
            return false;
        const QByteArrayView bytes = rows.rowBytes(row);
        err = file.write(bytes.data(), std::size_t(bytes.size()));
        if (!err)
            err = file.write(end.data(), std::size_t(end.size()));
        if (!err)
            file.endRow();
        return !err;
    });
    const ErrorCode closeErr = file.close();
    return err ? err : closeErr;
}

ErrorCode writeLine(const QString& path, bool append, const QByteArray& line, TextFormat format) {
    OutputFile file;
    const bool empty = startsEmpty(path, append);
    if (const ErrorCode err = file.open(path, append))
        return err;
    ErrorCode err = writeMark(file, empty, format.encoding);
    if (!err)
        err = file.write(line);
    const QByteArrayView end = lineTerminator(format);
    if (!err)
        err = file.write(end.data(), std::size_t(end.size()));
    if (!err)
        file.endRow();
    const ErrorCode closeErr = file.close();
    return err ? err : closeErr;
}
