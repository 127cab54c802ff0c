#include "RuntimeError.h"

#include "FileIO.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

// Whether the folder a file name is in exists.
bool folderExists(const QString& path) {
    const QByteArray name = fileNameBytes(path);
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : name.left(slash);
    struct stat st {};
    return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

QString ErrorCode::description() const {
    switch (value_) {
    case InvalidCall:
        return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case Overflow:
        return QStringLiteral("オーバーフローしました。");
    case OutOfMemory:
        return QStringLiteral("メモリが不足しています。");
    case TypeMismatch:
        return QStringLiteral("型が一致しません。");
    case BadFileName:
        return QStringLiteral("ファイル名または番号が不正です。");
    case FileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case DeviceIo:
        return QStringLiteral("デバイス I/O エラーです。");
    case DiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case PermissionDenied:
        return QStringLiteral("書き込みできません。");
    case PathFileAccess:
        return QStringLiteral("パス名が無効です。");
    case PathNotFound:
        return QStringLiteral("パスが見つかりません。");
    default:
        return ErrorCode(DeviceIo).description();
    }
}

ErrorCode ErrorCode::fromErrno(int err, const QString& path) {
    switch (err) {
    case ENOENT:
        if (!path.isEmpty() && !folderExists(path))
            return PathNotFound;
        return FileNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return PermissionDenied;
    case EISDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return PathFileAccess;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    case ENOMEM:
        return OutOfMemory;
    case ENXIO:
    case ENODEV:
        return BadFileName;
    default:
        return DeviceIo;
    }
}
