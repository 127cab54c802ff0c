#include "RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

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
        if (!path.isEmpty() && !QFileInfo(path).absoluteDir().exists())
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
