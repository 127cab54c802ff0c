#include "OutputRules.h"

#include "document/LineStore.h"
#include "system/FileIO.h"
#include "system/Progress.h"

QString outputFailureText() {
    return QStringLiteral("ファイルをオープンできません");
}
QString outputDialogTitle() {
    return QStringLiteral("書き出しファイル名");
}

ErrorCode writeSelectedRows(const QString& path, bool append, const LineStore& rows,
                            Progress* progress) {
    OutputFile file;
    if (const ErrorCode err = file.open(path, append))
        return err;
    ErrorCode err;
    const QByteArrayView end = lineTerminator(rows.format().lineEnd);
    const std::size_t total = rows.rowCount();
    std::size_t written = 0;
    rows.forEachSelected([&](std::size_t row) {
        // Stopped by the person: the rows written so far stay, and that is no failure.
        if (progress && ++written % 4096 == 0 && !progress->advance(row, total))
            return false;
        const QByteArrayView bytes = rows.rowBytes(row);
        err = file.write(bytes.data(), std::size_t(bytes.size()));
        if (!err)
            err = file.write(end.data(), std::size_t(end.size()));
        return !err;
    });
    const ErrorCode closeErr = file.close();
    return err ? err : closeErr;
}

ErrorCode writeLine(const QString& path, bool append, const QByteArray& line, LineEndStyle style) {
    OutputFile file;
    if (const ErrorCode err = file.open(path, append))
        return err;
    ErrorCode err = file.write(line);
    const QByteArrayView end = lineTerminator(style);
    if (!err)
        err = file.write(end.data(), std::size_t(end.size()));
    const ErrorCode closeErr = file.close();
    return err ? err : closeErr;
}
