#pragma once
// The runtime's numbered errors and their standard descriptions. Every message box that
// shows an error description takes its text from here.
#include <QString>

namespace runtime_error {

enum Code {
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIo = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    PathFileAccess = 75,
    PathNotFound = 76,
};

QString description(int code);

// Maps a system error number onto the runtime's error. path, when given, lets a missing file
// be told apart from a missing directory.
int fromErrno(int err, const QString& path = QString());

} // namespace runtime_error
